#pragma once

// In-memory stand-ins for the lists, the label and the boxes of a lookup, so
// that the core runs without any window, and a lookup wired to them.

#include "lookup_interfaces.h"
#include "translator.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace lexorra::testing {

/// An in-memory entry list that, like a real list box, reports every change of
/// its selection to whoever listens.
class FakeEntryList final : public lexorra::dictionary::EntryList
{
public:
    void clear() override
    {
        entries.clear();
        m_selected = -1;
    }
    void append(const QString &text) override { entries.append(text); }
    [[nodiscard]] qint16 count() const override { return static_cast<qint16>(entries.size()); }
    [[nodiscard]] QString text(qint16 index) const override { return entries.value(index); }
    [[nodiscard]] qint16 selectedIndex() const override { return m_selected; }
    void select(qint16 index) override
    {
        ++selectCalls;
        if (index == m_selected)
            return;
        m_selected = index;
        if (onSelectionChanged)
            onSelectionChanged();
    }

    QStringList entries;
    int selectCalls = 0;
    std::function<void()> onSelectionChanged;

private:
    qint16 m_selected = -1;
};

class FakeCaption final : public lexorra::dictionary::Caption
{
public:
    void setText(const QString &text) override { caption = text; }
    [[nodiscard]] QString text() const override { return caption; }

    QString caption;
};

/// Answers prompts from a script and records every prompt and box shown.
class FakeDialogs final : public lexorra::dictionary::UserDialogs
{
public:
    struct Box
    {
        QString text;
        QString title;
        lexorra::dictionary::MessageIcon icon;
        bool operator==(const Box &) const = default;
    };

    QString prompt(const QString &message, const QString &title) override
    {
        busyInDialog = busyInDialog || busyDepth != 0;
        if (onPrompt)
            onPrompt();
        prompts.append({message, title});
        return replies.isEmpty() ? QString() : replies.takeFirst();
    }
    void messageBox(const QString &text, const QString &title, lexorra::dictionary::MessageIcon icon) override
    {
        busyInDialog = busyInDialog || busyDepth != 0;
        boxes.append({text, title, icon});
    }
    void setBusy(bool busy) override
    {
        busyDepth += busy ? 1 : -1;
        busySpells += busy ? 1 : 0;
    }

    QStringList replies;
    QList<QPair<QString, QString>> prompts;
    QList<Box> boxes;
    /// Runs as each prompt opens, before it answers.
    std::function<void()> onPrompt;
    /// How many busy spells are running, how many began, and whether a prompt
    /// or a box ever opened during one.
    int busyDepth = 0;
    int busySpells = 0;
    bool busyInDialog = false;
};

/// A lookup over in-memory lists, wired the way the main window wires its
/// own: every selection change of List1 runs Recognize(). @p List is
/// FakeEntryList or another list that reports its selection changes so.
template <class List = FakeEntryList>
struct WiredLookup
{
    List list1;
    List list2;
    FakeCaption label2;
    FakeDialogs dialogs;
    lexorra::dictionary::Translator translator{list1, list2, label2, dialogs};

    WiredLookup()
    {
        list1.onSelectionChanged = [this] { translator.Recognize(); };
    }
    Q_DISABLE_COPY_MOVE(WiredLookup)

    /// Runs Begin_Translation() with @p reply as the prompt's answer.
    void lookUp(const QString &reply)
    {
        dialogs.replies = {reply};
        translator.Begin_Translation();
    }
};

} // namespace lexorra::testing
