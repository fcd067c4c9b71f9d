#pragma once

// Drives the modal boxes that a call opens, as a user would, while that call
// waits in them: each step runs on the next modal box that appears.

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace lexorra::testing {

/// What a message box showed when it was open.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat textFormat = Qt::AutoText;
    QStringList buttons;
    bool visible = false;
    int width = 0;
    int titleWidth = 0; ///< the title's width in the box's font
};

/// What a prompt showed when it was open.
struct SeenPrompt
{
    QString title;
    QString message;
    QString initialText;
    QStringList buttons;
    bool visible = false;
};

class ModalScript final : public QObject
{
public:
    using Step = std::function<void(QWidget *)>;

    ModalScript() = default;
    ~ModalScript() override { stop(); }

    /// Adds a step for the next modal box to open.
    void then(Step step) { m_steps.push_back(std::move(step)); }

    /// Types @p reply into the next box, which must be a prompt, and presses
    /// OK, or Cancel when @p accept is false. Records what the prompt showed.
    void answerPrompt(const QString &reply, bool accept = true, SeenPrompt *seen = nullptr)
    {
        then([this, reply, accept, seen](QWidget *modal) {
            auto *prompt = qobject_cast<QInputDialog *>(modal);
            if (!prompt) {
                m_mismatches.append(QString::fromLatin1(modal->metaObject()->className()));
                close(modal);
                return;
            }
            auto *edit = prompt->findChild<QLineEdit *>();
            auto *buttons = prompt->findChild<QDialogButtonBox *>();
            if (seen) {
                seen->title = prompt->windowTitle();
                seen->message = prompt->labelText();
                seen->initialText = edit ? edit->text() : QString();
                seen->visible = prompt->isVisible();
                if (buttons) {
                    for (QAbstractButton *button : buttons->buttons())
                        seen->buttons.append(button->text().remove(u'&'));
                }
            }
            if (edit)
                QTest::keyClicks(edit, reply);
            QPushButton *press =
                buttons ? buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel) : nullptr;
            if (press)
                QTest::mouseClick(press, Qt::LeftButton);
            else
                close(prompt);
        });
    }

    /// Records the next box, which must be a message box, and presses its OK button.
    void acknowledgeBox(SeenBox *seen)
    {
        then([this, seen](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                m_mismatches.append(QString::fromLatin1(modal->metaObject()->className()));
                close(modal);
                return;
            }
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->textFormat = box->textFormat();
            seen->visible = box->isVisible();
            seen->width = box->width();
            seen->titleWidth = QFontMetrics(box->font()).horizontalAdvance(box->windowTitle());
            for (QAbstractButton *button : box->buttons())
                seen->buttons.append(button->text().remove(u'&'));
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                QTest::mouseClick(ok, Qt::LeftButton);
            else
                close(box);
        });
    }

    /// Calls @p look on every modal box as it opens, before its step runs.
    void watch(Step look) { m_look = std::move(look); }

    /// Starts watching for modal boxes; call before the call that opens them.
    void start()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    /// Stops watching. Boxes that opened after the script ran out were closed
    /// and counted as unexpected.
    void stop() { m_timer.stop(); }

    [[nodiscard]] int stepsRun() const { return m_next; }
    [[nodiscard]] bool allStepsRun() const { return m_next == int(m_steps.size()); }
    [[nodiscard]] int unexpectedBoxes() const { return m_unexpected; }
    [[nodiscard]] const QStringList &mismatches() const { return m_mismatches; }
    /// Every step ran, each box was the kind its step expected, and no other box opened.
    [[nodiscard]] bool ranAsWritten() const { return allStepsRun() && m_mismatches.isEmpty() && m_unexpected == 0; }

private:
    static void close(QWidget *modal)
    {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == m_last)
            return;
        m_last = modal;
        if (m_look)
            m_look(modal);
        if (m_next < int(m_steps.size())) {
            // Steps may open nested event loops of their own: take the step first.
            const Step step = m_steps[std::size_t(m_next++)];
            step(modal);
        } else {
            ++m_unexpected;
            close(modal);
        }
    }

    std::vector<Step> m_steps;
    Step m_look;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    QStringList m_mismatches;
    int m_next = 0;
    int m_unexpected = 0;
};

} // namespace lexorra::testing
