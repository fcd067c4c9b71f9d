#pragma once

#include "lookup_interfaces.h"

#include <QPointer>
#include <QWidget>

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

    /// A text prompt with @p message above an input field, titled @p title,
    /// with OK and Cancel. Returns the typed text, or empty text when cancelled.
    [[nodiscard]] QString prompt(const QString &message, const QString &title) override;

    /// A message box with @p text, titled @p title, with the information or
    /// critical icon and one OK button. Empty texts are shown as they are.
    void messageBox(const QString &text, const QString &title, dictionary::MessageIcon icon) override;

    /// The wait cursor over the whole application while @p busy.
    void setBusy(bool busy) override;

private:
    QPointer<QWidget> m_parent;
    bool m_busy = false;
};

} // namespace lexorra
