#include "frmab_out.h"

#include "collapse_form.h"
#include "empty_title.h"
#include "frmab_out_design.h"
#include "image_push_button.h"
#include "qt_window_geometry.h"
#include "window_centring.h"
#include "window_style.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace design = frmab_out_design;

FrmabOut::FrmabOut(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    keepEmptyTitleEmpty(this);
    setFixedSize(design::kClientSize);
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
    Command1->setGeometry(design::kCommand1Rect);
    Command1->setFocusPolicy(Qt::StrongFocus);

    for (const int index : design::kLabelCreationOrder) {
        const design::Label &entry = design::kLabels[static_cast<size_t>(index)];
        auto *label = new QLabel(QString::fromUtf16(entry.text), this);
        label->setObjectName(u"Label1_%1"_s.arg(index));
        label->setFont(designFont(u"Tahoma"_s, entry.points, QFont::Bold));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(false);
        setColours(label, QPalette::Window, Qt::black, QPalette::WindowText, QColor(entry.colour));
        label->setAutoFillBackground(true);
        label->move(entry.topLeft);
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
