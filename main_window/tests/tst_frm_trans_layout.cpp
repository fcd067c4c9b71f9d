// The main window as it is built: its frame, its controls' places, order,
// visibility, focus, texts, fonts and colours, and what it draws.

#include "frame_shape.h"
#include "frm_trans.h"
#include "frm_trans_design.h"
#include "list_box.h"
#include "list_widget_state.h"
#include "picture_button.h"
#include "window_controls.h"

#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QMap>
#include <QMargins>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace lexorra::testing;

using namespace Qt::StringLiterals;
using lexorra::FrmTrans;
namespace design = lexorra::frm_trans_design;

namespace {

// The colour of a pixel of the window as it is drawn.
QColor pixelAt(QWidget &window, QPoint point)
{
    return window.grab().toImage().pixelColor(point);
}

QString nameOf(const design::Control &control)
{
    return QString::fromUtf16(control.name);
}

// Where a frame lies around the control it frames, in pixels beyond each edge.
QMargins marginsAround(const QRect &frame, const QRect &framed)
{
    return {framed.left() - frame.left(), framed.top() - frame.top(), frame.right() - framed.right(),
            frame.bottom() - framed.bottom()};
}

} // namespace

class TestFrmTransLayout final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowFrame();
    void windowIsCentredOnTheScreen();
    void windowIcon();
    void controlsAsDesigned();
    void framesSurroundWhatTheyFrame();
    void startsEmpty();
    void focusStartsOnHeadwordList();
    void tabMovesBetweenListAndQuitButtonOnly_data();
    void tabMovesBetweenListAndQuitButtonOnly();
    void onlyListAndQuitButtonTakeFocus_data();
    void onlyListAndQuitButtonTakeFocus();
    void texts_data();
    void texts();
    void fontsResolveToLookAlikes();
    void drawnColours_data();
    void drawnColours();
    void framesAreDrawnInPaleCyan_data();
    void framesAreDrawnInPaleCyan();
    void arrowsFillThePictureBox_data();
    void arrowsFillThePictureBox();
    void translationLabelWrapsAndKeepsItsSize();
    void listsKeepOrderAndSingleSelection_data();
    void listsKeepOrderAndSingleSelection();
};

void TestFrmTransLayout::windowFrame()
{
    FrmTrans window;
    QCOMPARE(window.objectName(), u"FrmTrans"_s);
    QCOMPARE(window.windowTitle(), u"Lexorra"_s);
    QVERIFY(window.isWindow());
    QCOMPARE(window.size(), design::kClientSize);
    // Fixed: the frame offers no resizing.
    QCOMPARE(window.minimumSize(), design::kClientSize);
    QCOMPARE(window.maximumSize(), design::kClientSize);

    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(window.windowType(), Qt::Window); // not a tool window: it has a taskbar entry
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowState(), Qt::WindowNoState);
    QCOMPARE(window.size(), design::kClientSize);
    QCOMPARE(window.palette().color(QPalette::Window), QColor(design::kBlack));
}

void TestFrmTransLayout::windowIsCentredOnTheScreen()
{
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    const QPoint windowCentre = window.frameGeometry().center();
    QVERIFY2((screenCentre - windowCentre).manhattanLength() <= 2,
             qPrintable(u"window centre %1,%2 vs screen centre %3,%4"_s.arg(windowCentre.x())
                            .arg(windowCentre.y())
                            .arg(screenCentre.x())
                            .arg(screenCentre.y())));
}

void TestFrmTransLayout::windowIcon()
{
    FrmTrans window;
    const QIcon icon = window.windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));

    // A red ring on a transparent cell.
    const QImage image = icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(32, 32));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(31, 31).alpha(), 0);
    int red = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (image.pixelColor(x, y) == QColor(255, 0, 0))
                ++red;
        }
    }
    QVERIFY2(red > 100, qPrintable(u"%1 bright red pixels"_s.arg(red)));
}

void TestFrmTransLayout::controlsAsDesigned()
{
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList created;
    for (QObject *child : window.children()) {
        if (child->isWidgetType() && !child->objectName().isEmpty())
            created.append(child->objectName());
    }
    QStringList designed;
    for (const design::Control &control : design::kControls)
        designed.append(nameOf(control));
    // Later controls lie above earlier ones: the picture over its press frame,
    // the About label over its hover frame, the headword list over List2.
    QCOMPARE(created, designed);

    for (const design::Control &control : design::kControls) {
        const QWidget *widget = lexorra::testing::control(window, nameOf(control));
        QVERIFY2(widget, qPrintable(nameOf(control)));
        QCOMPARE(widget->geometry(), control.rect);
        QCOMPARE(widget->isVisible(), control.visibleAtStart);
        if (control.font) {
            const QFont font = widget->font();
            QCOMPARE(font.family(), QString::fromUtf16(control.font->family));
            QCOMPARE(font.weight(), control.font->weight);
            QCOMPARE(font.pointSizeF(), control.font->points);
            QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        }
        if (control.text) {
            // A list's entries are drawn on its base, a label's text on the window colour.
            const bool list = qobject_cast<const QListView *>(widget);
            QCOMPARE(widget->palette().color(list ? QPalette::Text : QPalette::WindowText), QColor(*control.text));
            QCOMPARE(widget->palette().color(list ? QPalette::Base : QPalette::Window), QColor(*control.background));
        }
    }
}

void TestFrmTransLayout::framesSurroundWhatTheyFrame()
{
    FrmTrans window;
    const QRect picture = image1(window)->geometry();
    const QRect aboutLabel = label1(window)->geometry();
    // The press frame: 8 pixels beyond the picture on either side, 16 above
    // and 14 below; the hover frame: 24 beyond the label on the left, 16 on the
    // right, 8 above, and the label's own bottom edge.
    QCOMPARE(marginsAround(shape1(window, 0)->geometry(), picture), QMargins(8, 16, 8, 14));
    QCOMPARE(marginsAround(shape1(window, 1)->geometry(), aboutLabel), QMargins(24, 8, 16, 0));
    // List2 hides inside List1's area, near its lower-left corner.
    QVERIFY(list1(window)->geometry().contains(list2(window)->geometry()));
    QVERIFY(window.rect().contains(shape1(window, 0)->geometry()));
}

void TestFrmTransLayout::startsEmpty()
{
    FrmTrans window;
    QCOMPARE(list1(window)->model()->rowCount(), 0);
    QCOMPARE(list2(window)->model()->rowCount(), 0);
    QVERIFY(!list1(window)->selectionModel()->hasSelection());
    QVERIFY(!list2(window)->selectionModel()->hasSelection());
    QCOMPARE(label2(window)->text(), QString());
    QCOMPARE(window.translator().searchWord(), QString());
    QVERIFY(!window.isEnding());
}

void TestFrmTransLayout::focusStartsOnHeadwordList()
{
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), list1(window));
}

void TestFrmTransLayout::tabMovesBetweenListAndQuitButtonOnly_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QStringList>("focusAfterEachPress");
    QTest::newRow("Tab") << Qt::Key_Tab << QStringList{u"Command1"_s, u"List1"_s, u"Command1"_s, u"List1"_s};
    QTest::newRow("Shift+Tab") << Qt::Key_Backtab << QStringList{u"Command1"_s, u"List1"_s, u"Command1"_s};
}

void TestFrmTransLayout::tabMovesBetweenListAndQuitButtonOnly()
{
    QFETCH(Qt::Key, key);
    QFETCH(QStringList, focusAfterEachPress);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QStringList seen;
    for (qsizetype i = 0; i < focusAfterEachPress.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
        seen.append(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : u"(none)"_s);
    }
    QCOMPARE(seen, focusAfterEachPress);
}

void TestFrmTransLayout::onlyListAndQuitButtonTakeFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("takesFocus");
    QTest::newRow("List1") << u"List1"_s << true;
    QTest::newRow("Command1") << u"Command1"_s << true;
    QTest::newRow("Label2") << u"Label2"_s << false;
    QTest::newRow("Shape1(1)") << u"Shape1_1"_s << false;
    QTest::newRow("Label1") << u"Label1"_s << false;
    QTest::newRow("Shape1(0)") << u"Shape1_0"_s << false;
    QTest::newRow("Image1") << u"Image1"_s << false;
}

void TestFrmTransLayout::onlyListAndQuitButtonTakeFocus()
{
    QFETCH(QString, name);
    QFETCH(bool, takesFocus);
    FrmTrans window;
    QWidget *widget = control(window, name);
    QVERIFY(widget);
    QCOMPARE(bool(widget->focusPolicy() & Qt::TabFocus), takesFocus);
    QCOMPARE(bool(widget->focusPolicy() & Qt::ClickFocus), takesFocus);
}

void TestFrmTransLayout::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("Image1") << u"Image1"_s << QString() << u"  Click here to Translate a word  "_s;
    QTest::newRow("Command1") << u"Command1"_s << u"qUit"_s << u"  Close this application   "_s;
    QTest::newRow("Label1") << u"Label1"_s << u"abOuT_mE ..."_s << QString();
    QTest::newRow("Label2") << u"Label2"_s << QString() << QString();
    QTest::newRow("List1") << u"List1"_s << QString() << QString();
}

void TestFrmTransLayout::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    FrmTrans window;
    QWidget *widget = control(window, name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), toolTip);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
}

void TestFrmTransLayout::fontsResolveToLookAlikes()
{
    // What is drawn: the requested face or its look-alike, at the size asked
    // for in pixels at 96 dots per inch, never a bitmap strike of another size.
    const QStringList sans = {u"DejaVu Sans Condensed"_s, u"DejaVu Sans"_s};
    const QMap<QString, QStringList> lookAlikes = {
        {u"Tahoma"_s, sans}, {u"MS Sans Serif"_s, sans}, {u"Comic Sans MS"_s, {u"Comic Neue"_s}}};
    FrmTrans window;
    if (window.logicalDpiY() != 96)
        QSKIP("the pixel sizes hold at 96 dots per inch");
    for (const design::Control &control : design::kControls) {
        if (!control.font)
            continue;
        const QString family = QString::fromUtf16(control.font->family);
        const QFontInfo info(lexorra::testing::control(window, nameOf(control))->font());
        QVERIFY2(info.family() == family || lookAlikes.value(family).contains(info.family()),
                 qPrintable(nameOf(control) + u": "_s + info.family()));
        QCOMPARE(info.pixelSize(), qRound(control.font->points * 96 / 72));
        const bool bold = control.font->weight == QFont::Bold;
        QCOMPARE(info.bold(), bold);
        // A face of its own for the weight, not a regular one thickened by the renderer.
        QVERIFY2(info.styleName().contains(u"Bold"_s) == bold, qPrintable(info.styleName()));
    }
}

void TestFrmTransLayout::drawnColours_data()
{
    // Points of the window, in window pixels, and the colour drawn there.
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QColor>("colour");
    const QColor black(design::kBlack);
    const QRect window(QPoint(0, 0), design::kClientSize);
    const QRect hoverFrame = design::kShape1Hover.rect;
    QTest::newRow("window, top left corner") << window.topLeft() + QPoint(2, 2) << black;
    QTest::newRow("window, between picture and list")
        << QPoint(design::kList1.rect.left() - 8, design::kImage1.rect.bottom() + 50) << black;
    QTest::newRow("window, bottom right corner") << window.bottomRight() - QPoint(2, 2) << black;
    QTest::newRow("empty headword list") << design::kList1.rect.center() << QColor(design::kDarkGrey);
    QTest::newRow("blank translation label") << design::kLabel2.rect.center() << black;
    QTest::newRow("hidden List2's place shows List1") << design::kList2.rect.center() << QColor(design::kDarkGrey);
    QTest::newRow("hidden hover frame's place") << QPoint(hoverFrame.left() + 6, hoverFrame.center().y()) << black;
}

void TestFrmTransLayout::drawnColours()
{
    QFETCH(QPoint, point);
    QFETCH(QColor, colour);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(pixelAt(window, point), colour);
}

void TestFrmTransLayout::framesAreDrawnInPaleCyan_data()
{
    // A point on each frame's outline that no other control covers, and one
    // just inside it.
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("onOutline");
    QTest::addColumn<QPoint>("inside");
    const QRect press = design::kShape1Press.rect;
    const QRect hover = design::kShape1Hover.rect;
    QTest::newRow("Shape1(0), top edge") << 0 << QPoint(press.center().x(), press.top())
                                         << QPoint(press.center().x(), press.top() + 8);
    QTest::newRow("Shape1(0), left edge")
        << 0 << QPoint(press.left(), press.center().y()) << QPoint(press.left() + 4, press.center().y());
    QTest::newRow("Shape1(1), left edge")
        << 1 << QPoint(hover.left(), hover.center().y()) << QPoint(hover.left() + 12, hover.center().y());
    QTest::newRow("Shape1(1), bottom edge")
        << 1 << QPoint(hover.left() + 6, hover.bottom()) << QPoint(hover.left() + 6, hover.bottom() - 12);
}

void TestFrmTransLayout::framesAreDrawnInPaleCyan()
{
    QFETCH(int, index);
    QFETCH(QPoint, onOutline);
    QFETCH(QPoint, inside);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(pixelAt(window, onOutline), QColor(design::kBlack));

    shape1(window, index)->show();
    QCOMPARE(pixelAt(window, onOutline), QColor(design::kPaleCyan));
    // Nothing is painted inside the outline: the window's black shows.
    QCOMPARE(pixelAt(window, inside), QColor(design::kBlack));
}

void TestFrmTransLayout::arrowsFillThePictureBox_data()
{
    // Pixels of the 161 x 123 picture, chosen well inside one face (or well
    // away from all of them) in the drawing stretched to the whole box.
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("upper-left arrow, top face") << QPoint(40, 20) << QColor(0, 255, 255);
    QTest::newRow("upper-right arrow, top face") << QPoint(120, 20) << QColor(0, 255, 255);
    QTest::newRow("lower-left arrow, top face") << QPoint(19, 91) << QColor(0, 255, 255);
    QTest::newRow("lower-right arrow, top face") << QPoint(141, 91) << QColor(0, 255, 255);
    QTest::newRow("lower-left arrow, tail end") << QPoint(25, 109) << QColor(0, 128, 128);
    QTest::newRow("lower-right arrow, tail end") << QPoint(135, 109) << QColor(0, 128, 128);
    QTest::newRow("centre, unpainted") << QPoint(80, 60) << QColor(0, 0, 0);
    QTest::newRow("left edge, unpainted") << QPoint(0, 46) << QColor(0, 0, 0);
    QTest::newRow("bottom left corner, unpainted") << QPoint(3, 110) << QColor(0, 0, 0);
}

void TestFrmTransLayout::arrowsFillThePictureBox()
{
    QFETCH(QPoint, pixel);
    QFETCH(QColor, colour);
    FrmTrans window;
    QVERIFY(image1(window)->hasDrawing());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(pixelAt(window, image1(window)->geometry().topLeft() + pixel), colour);
}

void TestFrmTransLayout::translationLabelWrapsAndKeepsItsSize()
{
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QLabel *label = label2(window);
    QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(label->wordWrap());
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->minimumSize(), design::kLabel2.rect.size());
    QCOMPARE(label->maximumSize(), design::kLabel2.rect.size());

    label->setText(u"A translation far too long for one line of the label, and then some more words, "_s.repeated(8));
    QCoreApplication::processEvents();
    QCOMPARE(label->geometry(), design::kLabel2.rect);
    // The text wrapped onto several lines at the top left of the label.
    const QImage image = window.grab(label->geometry()).toImage();
    const QColor yellow(design::kLightYellow);
    int firstInkRow = -1;
    int lastInkRow = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == yellow) {
                if (firstInkRow < 0)
                    firstInkRow = y;
                lastInkRow = y;
                break;
            }
        }
    }
    QVERIFY(firstInkRow >= 0);
    QVERIFY2(firstInkRow < 10, qPrintable(QString::number(firstInkRow)));
    QVERIFY2(lastInkRow > 200, qPrintable(QString::number(lastInkRow)));
}

void TestFrmTransLayout::listsKeepOrderAndSingleSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("List1") << u"List1"_s;
    QTest::newRow("List2") << u"List2"_s;
}

void TestFrmTransLayout::listsKeepOrderAndSingleSelection()
{
    QFETCH(QString, name);
    FrmTrans window;
    auto *list = qobject_cast<lexorra::ListBox *>(control(window, name));
    QVERIFY(list);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(list->uniformItemSizes());
    QCOMPARE(list->viewMode(), QListView::ListMode);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!list->dragEnabled());
    // Entries stay in the order they came, unsorted, and none can be edited.
    lexorra::ListBoxEntries entries(*list);
    const QStringList unsorted = {u"pear"_s, u"apple"_s, u"fig"_s, u"apple"_s};
    for (const QString &entry : unsorted)
        entries.append(entry);
    entries.flush();
    QCOMPARE(lexorra::testing::texts(list), unsorted);
    const QModelIndex first = list->model()->index(0, 0);
    QVERIFY(!(list->model()->flags(first) & (Qt::ItemIsEditable | Qt::ItemIsDragEnabled)));
    QVERIFY(list->model()->flags(first) & Qt::ItemIsSelectable);
}

QTEST_MAIN(TestFrmTransLayout)
#include "tst_frm_trans_layout.moc"
