#pragma once

#include "entry_texts.h"
#include "program_limits.h"

#include <QString>
#include <QtGlobal>

namespace lexorra::dictionary {

/// An ordered, unsorted list of text entries with at most one selected entry,
/// as the headword and translation lists are. Indexes are 16-bit; -1 means that
/// nothing is selected.
///
/// Selecting an entry by program must be the same selection change as a user's
/// click: whoever owns the list reacts to it, not the caller of select().
class EntryList
{
public:
    virtual ~EntryList() = default;

    virtual void clear() = 0;
    virtual void append(const QString &text) = 0;
    /// Appends @p texts in their order, as append() would one by one; a list
    /// that can take many entries in one step does so here, and may keep a
    /// share of @p texts instead of a copy.
    virtual void appendAll(const EntryTexts &texts)
    {
        for (qsizetype i = 0; i < texts.size(); ++i)
            append(texts.at(i));
    }
    [[nodiscard]] virtual qint16 count() const = 0;
    [[nodiscard]] virtual QString text(qint16 index) const = 0;
    [[nodiscard]] virtual qint16 selectedIndex() const = 0;
    virtual void select(qint16 index) = 0;

protected:
    EntryList() = default;
    Q_DISABLE_COPY_MOVE(EntryList)
};

/// A text caption, such as the translation label.
class Caption
{
public:
    virtual ~Caption() = default;

    virtual void setText(const QString &text) = 0;
    [[nodiscard]] virtual QString text() const = 0;

protected:
    Caption() = default;
    Q_DISABLE_COPY_MOVE(Caption)
};

/// The icon of a message box.
enum class MessageIcon { Information, Critical };

/// The modal boxes of a lookup.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    /// Asks for a line of text; returns empty text when the user cancels.
    [[nodiscard]] virtual QString prompt(const QString &message, const QString &title) = 0;

    /// Shows a message with one OK button and waits until it is dismissed.
    virtual void messageBox(const QString &text, const QString &title, MessageIcon icon) = 0;

    /// Told true when the lookup starts working on a letter file and false when
    /// it stops, so the user sees it is busy; never true while a prompt or a box
    /// is open. Calls come in pairs, on every path.
    virtual void setBusy(bool busy) { Q_UNUSED(busy) }

protected:
    UserDialogs() = default;
    Q_DISABLE_COPY_MOVE(UserDialogs)
};

} // namespace lexorra::dictionary
