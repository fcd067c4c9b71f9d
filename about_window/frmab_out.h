#pragma once

#include <QWidget>

#include <array>

class QLabel;

namespace lexorra {

class ImagePushButton;

/// The About window: a small black tool window that says for which platform
/// the program was made and who made it. It is modeless and has no owner.
///
/// Every close, from its picture button, the Esc key, the close box or the
/// window manager, plays the collapse effect (height first, then width) before
/// the window goes; the window deletes itself then, so the next opening builds
/// a fresh one at full size.
///
/// Controls carry their names as object names: "Command1" and "Label1_0" to
/// "Label1_3".
class FrmabOut final : public QWidget
{
    Q_OBJECT

public:
    explicit FrmabOut(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(FrmabOut)

    /// True while a close plays its collapse; the window ignores further close
    /// requests meanwhile.
    [[nodiscard]] bool isClosing() const { return m_closing; }

public Q_SLOTS:
    /// The picture button: closes the window, which runs Form_Unload().
    void Command1_Click();

Q_SIGNALS:
    /// The collapse of a close has finished and the window is about to be
    /// destroyed. The main window hides its frame around the About label then.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Unload();
    void createControls();

    // The controls, declared in the order in which they are created.
    ImagePushButton *Command1 = nullptr;
    std::array<QLabel *, 4> Label1{};

    bool m_closing = false;
};

} // namespace lexorra
