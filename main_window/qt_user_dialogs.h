#pragma once

#include "lookup_interfaces.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QMessageBox;

namespace lexorra {

/// The lookup's prompt and message boxes as modal Qt dialogs.
///
/// Each box is an ordinary dialog run with exec(), found while it is open as
/// QApplication::activeModalWidget() under the object name kPromptName or
/// kMessageBoxName, so tests can fill it in and close it like a user.
class QtUserDialogs final : public dictionary::UserDialogs
{
public:
    static constexpr QStringView kPromptName = u"Prompt";
    static constexpr QStringView kMessageBoxName = u"MessageBox";

    /// The boxes open over @p parent (which may be null).
    explicit QtUserDialogs(QWidget *parent);
    ~QtUserDialogs() override;
    Q_DISABLE_COPY_MOVE(QtUserDialogs)

    /// A text prompt with @p message above an input field, titled @p title,
    /// with OK and Cancel. Returns the typed text, or empty text when cancelled.
    [[nodiscard]] QString prompt(const QString &message, const QString &title) override;

    /// A message box with @p text, titled @p title, with the information or
    /// critical icon and one OK button. Empty texts are shown as they are.
    void messageBox(const QString &text, const QString &title, dictionary::MessageIcon icon) override;

    /// The wait cursor over the whole application while @p busy.
    void setBusy(bool busy) override;

    /// Work to do while the prompt waits for the user: @p typed hears every
    /// change of the text typed so far and returns true when it has work for
    /// idle time; @p idle then does a slice of that work whenever the program
    /// is idle, until it returns false or the prompt closes.
    void setWhileTyping(std::function<bool(const QString &)> typed, std::function<bool()> idle);

    /// The largest window icon a prompt or box carries. Window managers draw
    /// a dialog's icon small, in its title bar; the main window's 256-pixel
    /// icon would travel to the X server and on to the window manager, about
    /// 300 KB, with every prompt and box.
    static constexpr int kDialogIconSize = 64;

    /// How long a closed prompt or box stays, hidden, before it is taken
    /// apart: by then the lookup's result is on screen.
    static constexpr int kDisposalDelayMs = 100;

private:
    [[nodiscard]] std::unique_ptr<QMessageBox> newMessageBox() const;
    // The parent's icon without its sizes over kDialogIconSize, or no icon
    // when there is none to leave out.
    [[nodiscard]] QIcon dialogIcon() const;
    void giveDialogIcon(QWidget &window) const;
    // Takes @p closed apart after the disposal delay, or at the next prompt.
    void disposeLater(QWidget *closed);
    void disposeNow();

    QPointer<QWidget> m_parent;
    // The box for the next message, made ahead of time; its parent may take
    // it along when it goes.
    QPointer<QMessageBox> m_nextBox;
    // Closed prompts and boxes: taking one apart costs a millisecond or two,
    // which the drawing of the lookup's result need not wait for.
    QList<QPointer<QWidget>> m_closed;
    QTimer m_disposal;
    // The main window's icon as the boxes carry it, and the key of the icon
    // it was made from.
    mutable QIcon m_dialogIcon;
    mutable qint64 m_dialogIconSource = 0;
    std::function<bool(const QString &)> m_typed;
    std::function<bool()> m_idle;
    bool m_busy = false;
};

} // namespace lexorra
