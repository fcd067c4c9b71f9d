#include "qt_user_dialogs.h"

#include "empty_title.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

namespace lexorra {

namespace {

// Room in a title bar besides the title: the window icon and the buttons.
constexpr int kTitleBarExtras = 150;

// A message box sizes itself to its text; the title, which carries the
// headword, must not be cut off when the text is short. A spacer as wide as
// the title keeps the box at least that wide.
void keepTitleVisible(QMessageBox &box)
{
    if (box.windowTitle().isEmpty())
        return;
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = QFontMetrics(box.font()).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace

QtUserDialogs::QtUserDialogs(QWidget *parent) : m_parent(parent)
{}

QString QtUserDialogs::prompt(const QString &message, const QString &title)
{
    QInputDialog dialog(m_parent);
    dialog.setObjectName(kPromptName.toString());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    keepEmptyTitleEmpty(&dialog);
    dialog.setLabelText(message);
    dialog.setTextValue(QString());

    // A zero timer fires whenever the prompt's event loop has nothing else to do.
    QTimer idle;
    idle.setInterval(0);
    if (m_typed && m_idle) {
        QObject::connect(&dialog, &QInputDialog::textValueChanged, &idle, [this, &idle](const QString &text) {
            if (m_typed(text))
                idle.start();
        });
        QObject::connect(&idle, &QTimer::timeout, &idle, [this, &idle] {
            if (!m_idle())
                idle.stop();
        });
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

void QtUserDialogs::messageBox(const QString &text, const QString &title, dictionary::MessageIcon icon)
{
    const QMessageBox::Icon boxIcon =
        icon == dictionary::MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, m_parent);
    box.setObjectName(kMessageBoxName.toString());
    keepEmptyTitleEmpty(&box);
    // Translations come from files: show them as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    keepTitleVisible(box);
    box.exec();
}

void QtUserDialogs::setWhileTyping(std::function<bool(const QString &)> typed, std::function<bool()> idle)
{
    m_typed = std::move(typed);
    m_idle = std::move(idle);
}

void QtUserDialogs::setBusy(bool busy)
{
    // Only undo a cursor of our own, so that the override stack stays balanced.
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace lexorra
