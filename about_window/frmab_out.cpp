#include "frmab_out.h"

#include "collapse_form.h"
#include "image_push_button.h"
#include "qt_window_geometry.h"
#include "twips.h"
#include "window_centring.h"
#include "window_style.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QShortcut>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace {

// Client area of the window, in twips.
constexpr int kClientWidth = 3765;
constexpr int kClientHeight = 2070;

struct LabelDesign
{
    int left;
    int top;
    QRgb colour;
    qreal pointSize;
    const char16_t *text;
};

// The label array, by index. Each label takes the size of its text on one line
// and keeps its left and top edges.
constexpr std::array<LabelDesign, 4> kLabels{{
    {1320, 1440, qRgb(255, 255, 255), 8.25, u"Coding : Quillon"},
    {1005, 360, qRgb(255, 255, 192), 9.0, u"\u00A9 2026 \u00B7 Freeware"},
    {210, 120, qRgb(255, 255, 192), 9.0, u"For 32 Bit Windows Development."},
    {1260, 1680, qRgb(255, 128, 128), 8.25, u"quillon@lexorra.example"},
}};

// Creation order of the labels after the picture button.
constexpr std::array<int, 4> kLabelCreationOrder{3, 2, 1, 0};

} // namespace

FrmabOut::FrmabOut(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    // Given an empty title, the window system would show the program's name in
    // the title bar; a blank one shows nothing while the window's own title
    // stays empty.
    create();
    windowHandle()->setTitle(QStringLiteral(" "));
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setColours(this, QPalette::Window, Qt::black, QPalette::WindowText, palette().color(QPalette::WindowText));
    setAutoFillBackground(true);

    createControls();

    // Esc is the window's cancel key: it works like a click on the button.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command1, &QPushButton::click);
    connect(Command1, &QPushButton::clicked, this, &FrmabOut::Command1_Click);

    // Centred on the screen at every creation; a closed window is never reused.
    centreOnScreenWhenShown(this);
}

void FrmabOut::createControls()
{
    Command1 = new ImagePushButton(QPixmap(u":/assets/about_footprint.png"_s), this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setAccessibleName(tr("Close"));
    Command1->setGeometry(twipsRect(240, 960, 915, 1035));
    Command1->setFocusPolicy(Qt::StrongFocus);

    for (const int index : kLabelCreationOrder) {
        const LabelDesign &design = kLabels[static_cast<size_t>(index)];
        auto *label = new QLabel(QString::fromUtf16(design.text), this);
        label->setObjectName(u"Label1_%1"_s.arg(index));
        label->setFont(designFont(u"Tahoma"_s, design.pointSize, QFont::Bold));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(false);
        setColours(label, QPalette::Window, Qt::black, QPalette::WindowText, QColor(design.colour));
        label->setAutoFillBackground(true);
        label->move(twipsToPixels(design.left), twipsToPixels(design.top));
        label->adjustSize();
        Label1[static_cast<size_t>(index)] = label;
    }
    Command1->setFocus();
}

void FrmabOut::Command1_Click()
{
    close();
}

void FrmabOut::closeEvent(QCloseEvent *event)
{
    // A close request that arrives while the collapse plays (it dispatches
    // events between its passes) is ignored: one close, one collapse.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    Form_Unload();
    event->accept();
}

void FrmabOut::Form_Unload()
{
    QtWindowGeometry geometry(this);
    qint16 stepSize = 0;
    Collapse_Form(geometry, stepSize);
    // Hidden under the collapse means the program is ending: nothing else of
    // the close may happen then.
    if (isVisible())
        Q_EMIT unloaded();
}

} // namespace lexorra
