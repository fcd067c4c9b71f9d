#include "frm_trans.h"

#include "font_fallbacks.h"
#include "frame_shape.h"
#include "frm_trans_design.h"
#include "frmab_out.h"
#include "label_caption.h"
#include "list_box.h"
#include "picture_button.h"
#include "qt_user_dialogs.h"
#include "window_centring.h"
#include "window_style.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace {

namespace design = frm_trans_design;

constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Once the program ends, no window may react any more: closing and user input
// are dropped for every object until the main window is gone.
class EndGuard final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Close:
        case QEvent::Shortcut:
        case QEvent::Enter:
        case QEvent::Leave:
            return true;
        default:
            return event->isInputEvent();
        }
    }
};

// Names a control, puts it in its place, hides it when it starts hidden, and
// gives it the font and colours of its design, if any.
template <class Widget>
Widget *designed(Widget *control, const design::Control &plan, QPalette::ColorRole backgroundRole = QPalette::Window,
                 QPalette::ColorRole textRole = QPalette::WindowText)
{
    control->setObjectName(QString::fromUtf16(plan.name));
    control->setGeometry(plan.rect);
    if (!plan.visibleAtStart)
        control->hide();
    if (plan.font)
        control->setFont(designFont(QString::fromUtf16(plan.font->family), plan.font->points, plan.font->weight));
    if (plan.text && plan.background)
        setColours(control, backgroundRole, QColor(*plan.background), textRole, QColor(*plan.text));
    return control;
}

} // namespace

FrmTrans::FrmTrans(dictionary::UserDialogs *dialogs, QWidget *parent) : QWidget(parent, kWindowFlags)
{
    installFontFallbacks();

    setObjectName(u"FrmTrans"_s);
    setWindowTitle(u"Lexorra"_s);
    setWindowIcon(QIcon(u":/assets/red_ring.ico"_s));
    setFixedSize(design::kClientSize);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(design::kBlack));
    setPalette(palette);
    setAutoFillBackground(true);

    createControls();

    m_list1Entries = std::make_unique<ListBoxEntries>(*List1);
    m_list2Entries = std::make_unique<ListBoxEntries>(*List2);
    m_label2Caption = std::make_unique<LabelCaption>(*Label2);
    std::unique_ptr<QtUserDialogs> ownDialogs;
    if (!dialogs) {
        ownDialogs = std::make_unique<QtUserDialogs>(this);
        dialogs = ownDialogs.get();
    }
    m_translator =
        std::make_unique<dictionary::Translator>(*m_list1Entries, *m_list2Entries, *m_label2Caption, *dialogs);
    if (ownDialogs) {
        // While the user types a word, the lookup gets its memory ready for
        // the letter file the word names, in slices, while nothing else is
        // going on.
        ownDialogs->setWhileTyping([this](const QString &typed) { return m_translator->prepare(typed); },
                                   [this] { return m_translator->prepareMore(); });
        m_ownDialogs = std::move(ownDialogs);
    }

    connect(Image1, &PictureButton::pressed, this, &FrmTrans::Image1_MouseDown);
    connect(Image1, &PictureButton::released, this, &FrmTrans::Image1_MouseUp);
    connect(Image1, &PictureButton::clicked, this, &FrmTrans::Image1_Click);
    // The one route of every selection change of the headword list, whether a
    // click, a key or the listing made it.
    connect(List1, &ListBox::selectedEntryChanged, this, &FrmTrans::List1_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmTrans::Command1_Click);

    // The quit button is the window's cancel button: Esc presses it wherever
    // the focus is. Enter is left to the focused control.
    auto *cancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelKey->setContext(Qt::WindowShortcut);
    connect(cancelKey, &QShortcut::activated, Command1, &QPushButton::click);

    centreOnScreenWhenShown(this);

    Label1->setMouseTracking(true);
    Label1->installEventFilter(this);

    // Only the headword list and the quit button take the focus, in this order.
    QWidget::setTabOrder(List1, Command1);
    List1->setFocus(Qt::OtherFocusReason);
}

FrmTrans::~FrmTrans()
{
    // The About window has no owner; it goes with the program.
    delete m_about;
    // The children outlive this part of the object: none of their last signals
    // may reach a handler any more.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
}

void FrmTrans::createControls()
{
    List2 = designed(new ListBox(this), design::kList2);
    List2->setAccessibleName(u"Translations"_s);

    List1 = designed(new ListBox(this), design::kList1, QPalette::Base, QPalette::Text);
    List1->setAccessibleName(u"Headwords"_s);

    Command1 = designed(new QPushButton(u"qUit"_s, this), design::kCommand1);
    Command1->setToolTip(u"  Close this application   "_s);
    Command1->setAutoDefault(false);

    Label2 = designed(new QLabel(this), design::kLabel2);
    Label2->setFixedSize(design::kLabel2.rect.size());
    Label2->setAutoFillBackground(true);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);
    Label2->setAccessibleDescription(u"Translation"_s);

    Shape1[1] = designed(new FrameShape(QColor(design::kPaleCyan), this), design::kShape1Hover);

    Label1 = designed(new QLabel(u"abOuT_mE ..."_s, this), design::kLabel1);
    Label1->setAutoFillBackground(true);
    Label1->setTextFormat(Qt::PlainText);
    // Centred across, on the top line, wrapping at words like every label.
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);

    Shape1[0] = designed(new FrameShape(QColor(design::kPaleCyan), this), design::kShape1Press);

    Image1 = designed(new PictureButton(u":/assets/arrows.svg"_s, this), design::kImage1);
    Image1->setToolTip(u"  Click here to Translate a word  "_s);
    Image1->setAccessibleName(u"Translate a word"_s);
}

void FrmTrans::Recognize()
{
    m_translator->Recognize();
}

void FrmTrans::Begin_Translation()
{
    m_translator->Begin_Translation();
    showListing();
}

void FrmTrans::showListing()
{
    // The lists take the entries of a listing in one insertion each, before
    // the window handles any further event.
    m_list1Entries->flush();
    m_list2Entries->flush();
}

void FrmTrans::Form_Unload()
{
    endProgram();
}

void FrmTrans::Image1_Click()
{
    Begin_Translation();
}

void FrmTrans::Image1_MouseDown()
{
    Shape1[0]->setVisible(true);
}

void FrmTrans::Image1_MouseUp()
{
    Shape1[0]->setVisible(false);
}

void FrmTrans::Label1_MouseMove()
{
    Shape1[1]->setVisible(true);
    // While a close plays its collapse the window is on its way out: a request
    // to show it then is ignored, and the next movement opens a new one.
    if (m_about && m_about->isClosing()) {
        if (m_about->isVisible())
            return;
        // Closed and only waiting to be destroyed: that window is gone.
        m_about = nullptr;
    }
    if (!m_about) {
        m_about = new FrmabOut;
        connect(m_about, &FrmabOut::unloaded, this, [this] { Shape1[1]->setVisible(false); });
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void FrmTrans::List1_Click()
{
    Recognize();
    Q_EMIT headwordClicked(m_list1Entries->selectedIndex());
}

void FrmTrans::Command1_Click()
{
    endProgram();
}

// Ending the program leaves the event loop with QCoreApplication::exit(), which
// stops every running loop, the main one and any nested one. Before that, every
// other window is hidden, not closed, so none of them runs its close handling,
// and a guard on the application drops closing and user input from here on, so
// no handler of any window runs while the stack unwinds back to main(), which
// then destroys the windows.
void FrmTrans::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;

    // The guard goes with this window, at the end of main() or of a test.
    qApp->installEventFilter(new EndGuard(this));

    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->hide();
    }
    QCoreApplication::exit(0);
}

void FrmTrans::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}

bool FrmTrans::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label1 && event->type() == QEvent::MouseMove)
        Label1_MouseMove();
    return QWidget::eventFilter(watched, event);
}

} // namespace lexorra
