#include "qt_user_dialogs.h"

#include "empty_title.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPalette>
#include <QTimer>

#include <utility>

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
{
    m_disposal.setSingleShot(true);
    m_disposal.setInterval(kDisposalDelayMs);
    QObject::connect(&m_disposal, &QTimer::timeout, &m_disposal, [this] { disposeNow(); });
}

QtUserDialogs::~QtUserDialogs()
{
    disposeNow();
    delete m_nextBox;
}

void QtUserDialogs::disposeLater(QWidget *closed)
{
    m_closed.append(closed);
    m_disposal.start();
}

void QtUserDialogs::disposeNow()
{
    m_disposal.stop();
    // A box's parent may have taken it along already.
    const QList<QPointer<QWidget>> closed = std::exchange(m_closed, {});
    for (const QPointer<QWidget> &window : closed)
        delete window.data();
}

QIcon QtUserDialogs::dialogIcon() const
{
    const QIcon full = m_parent ? m_parent->windowIcon() : QGuiApplication::windowIcon();
    if (full.cacheKey() != m_dialogIconSource) {
        m_dialogIconSource = full.cacheKey();
        // Made once per icon of the main window: a new icon would take new
        // places in the pixmap cache.
        const QList<QSize> sizes = full.availableSizes();
        QIcon small;
        for (const QSize &size : sizes) {
            if (size.width() <= kDialogIconSize && size.height() <= kDialogIconSize)
                small.addPixmap(full.pixmap(size));
        }
        // Without a smaller size, or with nothing to leave out, the boxes
        // keep the icon they take from their parent.
        const bool leavesOut = !small.isNull() && small.availableSizes().size() < sizes.size();
        m_dialogIcon = leavesOut ? small : QIcon();
    }
    return m_dialogIcon;
}

void QtUserDialogs::giveDialogIcon(QWidget &window) const
{
    if (const QIcon icon = dialogIcon(); !icon.isNull())
        window.setWindowIcon(icon);
}

std::unique_ptr<QMessageBox> QtUserDialogs::newMessageBox() const
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok, m_parent);
    box->setObjectName(kMessageBoxName.toString());
    giveDialogIcon(*box);
    keepEmptyTitleEmpty(box.get());
    // Translations come from files: show them as written, never as markup.
    box->setTextFormat(Qt::PlainText);
    // An open box is the active window; drawn alike whether active or not, it
    // need not be drawn again when the window manager activates it.
    QPalette palette = box->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colorRole = static_cast<QPalette::ColorRole>(role);
        palette.setBrush(QPalette::Inactive, colorRole, palette.brush(QPalette::Active, colorRole));
    }
    box->setPalette(palette);
    box->ensurePolished();
    return box;
}

QString QtUserDialogs::prompt(const QString &message, const QString &title)
{
    // At most one lookup's closed windows are left, whatever the pace.
    disposeNow();
    auto *dialog = new QInputDialog(m_parent);
    dialog->setObjectName(kPromptName.toString());
    giveDialogIcon(*dialog);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setWindowTitle(title);
    keepEmptyTitleEmpty(dialog);
    dialog->setLabelText(message);
    dialog->setTextValue(QString());

    // A box that may follow is made while the user types. It gets no window
    // of the window system before it is shown, so nothing lists it until then.
    QTimer::singleShot(0, dialog, [this] {
        if (!m_nextBox)
            m_nextBox = newMessageBox().release();
    });

    // A zero timer fires whenever the prompt's event loop has nothing else to do.
    QTimer idle;
    idle.setInterval(0);
    if (m_typed && m_idle) {
        QObject::connect(dialog, &QInputDialog::textValueChanged, &idle, [this, &idle](const QString &text) {
            if (m_typed(text))
                idle.start();
        });
        QObject::connect(&idle, &QTimer::timeout, &idle, [this, &idle] {
            if (!m_idle())
                idle.stop();
        });
    }
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QString reply = accepted ? dialog->textValue() : QString();
    disposeLater(dialog);
    return reply;
}

void QtUserDialogs::messageBox(const QString &text, const QString &title, dictionary::MessageIcon icon)
{
    // Each box is shown once: a box kept hidden for the next message would
    // stay in the list of the program's windows that screen readers read.
    std::unique_ptr<QMessageBox> box(m_nextBox.data());
    m_nextBox.clear();
    if (!box)
        box = newMessageBox();
    box->setIcon(icon == dictionary::MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information);
    box->setWindowTitle(title);
    box->setText(text);
    keepTitleVisible(*box);
    box->exec();
    disposeLater(box.release());
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
