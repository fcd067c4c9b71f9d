// The main window as it is built: its frame, its controls' places, order,
// visibility, focus, texts, fonts and colours, and what it draws.

#include "frame_shape.h"
#include "window_controls.h"
#include "frm_trans.h"
#include "list_box.h"
#include "list_widget_state.h"
#include "picture_button.h"

#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace lexorra::testing;

using namespace Qt::StringLiterals;
using lexorra::FrmTrans;

namespace {

QWidget *control(const FrmTrans &window, const QString &name)
{
    return window.findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
}

// The colour of a pixel of the window as it is drawn.
QColor pixelAt(QWidget &window, QPoint point)
{
    return window.grab().toImage().pixelColor(point);
}

const QStringList kCreationOrder = {u"List2"_s,    u"List1"_s,  u"Command1"_s, u"Label2"_s,
                                    u"Shape1_1"_s, u"Label1"_s, u"Shape1_0"_s, u"Image1"_s};

} // namespace

class TestFrmTransLayout final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowFrame();
    void windowIsCentredOnTheScreen();
    void windowIcon();
    void controlGeometry_data();
    void controlGeometry();
    void controlsAreCreatedInDesignOrder();
    void visibleAtStart_data();
    void visibleAtStart();
    void startsEmpty();
    void focusStartsOnHeadwordList();
    void tabMovesBetweenListAndQuitButtonOnly_data();
    void tabMovesBetweenListAndQuitButtonOnly();
    void onlyListAndQuitButtonTakeFocus_data();
    void onlyListAndQuitButtonTakeFocus();
    void texts_data();
    void texts();
    void fontsAsRequested_data();
    void fontsAsRequested();
    void fontsResolveToLookAlikes_data();
    void fontsResolveToLookAlikes();
    void colours_data();
    void colours();
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
    QCOMPARE(window.size(), QSize(670, 376));
    // Fixed: the frame offers no resizing.
    QCOMPARE(window.minimumSize(), QSize(670, 376));
    QCOMPARE(window.maximumSize(), QSize(670, 376));

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
    QCOMPARE(window.size(), QSize(670, 376));
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

void TestFrmTransLayout::controlGeometry_data()
{
    // The design's rectangles, in pixels at 15 twips to the pixel.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("List2") << u"List2"_s << QRect(208, 312, 41, 30);
    QTest::newRow("List1") << u"List1"_s << QRect(200, 24, 185, 327);
    QTest::newRow("Command1") << u"Command1"_s << QRect(56, 327, 89, 25);
    QTest::newRow("Label2") << u"Label2"_s << QRect(408, 24, 245, 267);
    QTest::newRow("Shape1(1)") << u"Shape1_1"_s << QRect(464, 312, 145, 41);
    QTest::newRow("Label1") << u"Label1"_s << QRect(488, 320, 105, 33);
    QTest::newRow("Shape1(0)") << u"Shape1_0"_s << QRect(12, 56, 177, 153);
    QTest::newRow("Image1") << u"Image1"_s << QRect(20, 72, 161, 123);
}

void TestFrmTransLayout::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *widget = control(window, name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), rect);
}

void TestFrmTransLayout::controlsAreCreatedInDesignOrder()
{
    // Later controls lie above earlier ones: the picture over its press frame,
    // the About label over its hover frame, the headword list over List2.
    FrmTrans window;
    QStringList order;
    for (QObject *child : window.children()) {
        if (kCreationOrder.contains(child->objectName()))
            order.append(child->objectName());
    }
    QCOMPARE(order, kCreationOrder);
}

void TestFrmTransLayout::visibleAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("visible");
    QTest::newRow("List2") << u"List2"_s << false;
    QTest::newRow("List1") << u"List1"_s << true;
    QTest::newRow("Command1") << u"Command1"_s << true;
    QTest::newRow("Label2") << u"Label2"_s << true;
    QTest::newRow("Shape1(1)") << u"Shape1_1"_s << false;
    QTest::newRow("Label1") << u"Label1"_s << true;
    QTest::newRow("Shape1(0)") << u"Shape1_0"_s << false;
    QTest::newRow("Image1") << u"Image1"_s << true;
}

void TestFrmTransLayout::visibleAtStart()
{
    QFETCH(QString, name);
    QFETCH(bool, visible);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *widget = control(window, name);
    QVERIFY(widget);
    QCOMPARE(widget->isVisible(), visible);
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

void TestFrmTransLayout::fontsAsRequested_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("weight");
    QTest::addColumn<qreal>("points");
    QTest::newRow("List1") << u"List1"_s << u"Tahoma"_s << int(QFont::Bold) << 12.0;
    QTest::newRow("Command1") << u"Command1"_s << u"Comic Sans MS"_s << int(QFont::Bold) << 11.25;
    QTest::newRow("Label2") << u"Label2"_s << u"MS Sans Serif"_s << int(QFont::Normal) << 13.5;
    QTest::newRow("Label1") << u"Label1"_s << u"Comic Sans MS"_s << int(QFont::Bold) << 14.25;
}

void TestFrmTransLayout::fontsAsRequested()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(int, weight);
    QFETCH(qreal, points);
    FrmTrans window;
    QWidget *widget = control(window, name);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.family(), family);
    QCOMPARE(int(font.weight()), weight);
    QCOMPARE(font.pointSizeF(), points);
    QVERIFY(!font.italic());
    QVERIFY(!font.underline());
    QVERIFY(!font.strikeOut());
}

void TestFrmTransLayout::fontsResolveToLookAlikes_data()
{
    // What is drawn: the requested face or its look-alike, at the size asked
    // for in pixels at 96 dots per inch, never a bitmap strike of another size.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    const QStringList sans = {u"DejaVu Sans Condensed"_s, u"DejaVu Sans"_s};
    QTest::newRow("List1") << u"List1"_s << (QStringList{u"Tahoma"_s} + sans) << 16 << true;
    QTest::newRow("Command1") << u"Command1"_s << QStringList{u"Comic Sans MS"_s, u"Comic Neue"_s} << 15 << true;
    QTest::newRow("Label2") << u"Label2"_s << (QStringList{u"MS Sans Serif"_s} + sans) << 18 << false;
    QTest::newRow("Label1") << u"Label1"_s << QStringList{u"Comic Sans MS"_s, u"Comic Neue"_s} << 19 << true;
}

void TestFrmTransLayout::fontsResolveToLookAlikes()
{
    QFETCH(QString, name);
    QFETCH(QStringList, families);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    FrmTrans window;
    QWidget *widget = control(window, name);
    QVERIFY(widget);
    if (widget->logicalDpiY() != 96)
        QSKIP("the pixel sizes hold at 96 dots per inch");
    const QFontInfo info(widget->font());
    QVERIFY2(families.contains(info.family()), qPrintable(info.family()));
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(info.bold(), bold);
    // A face of its own for the weight, not a regular one thickened by the renderer.
    QVERIFY2(info.styleName().contains(u"Bold"_s) == bold, qPrintable(info.styleName()));
}

void TestFrmTransLayout::colours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPalette::ColorRole>("textRole");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QPalette::ColorRole>("backgroundRole");
    QTest::addColumn<QColor>("background");
    QTest::newRow("window") << QString() << QPalette::WindowText << QColor() << QPalette::Window << QColor(0, 0, 0);
    QTest::newRow("List1") << u"List1"_s << QPalette::Text << QColor(255, 255, 192) << QPalette::Base
                           << QColor(64, 64, 64);
    QTest::newRow("Label2") << u"Label2"_s << QPalette::WindowText << QColor(255, 255, 192) << QPalette::Window
                            << QColor(0, 0, 0);
    QTest::newRow("Label1") << u"Label1"_s << QPalette::WindowText << QColor(128, 255, 255) << QPalette::Window
                            << QColor(0, 0, 0);
}

void TestFrmTransLayout::colours()
{
    QFETCH(QString, name);
    QFETCH(QPalette::ColorRole, textRole);
    QFETCH(QColor, text);
    QFETCH(QPalette::ColorRole, backgroundRole);
    QFETCH(QColor, background);
    FrmTrans window;
    QWidget *widget = name.isEmpty() ? &window : control(window, name);
    QVERIFY(widget);
    if (text.isValid())
        QCOMPARE(widget->palette().color(textRole), text);
    QCOMPARE(widget->palette().color(backgroundRole), background);
}

void TestFrmTransLayout::drawnColours_data()
{
    // Points of the window, in window pixels, and the colour drawn there.
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("window, top left corner") << QPoint(2, 2) << QColor(0, 0, 0);
    QTest::newRow("window, between picture and list") << QPoint(192, 250) << QColor(0, 0, 0);
    QTest::newRow("window, bottom right corner") << QPoint(667, 373) << QColor(0, 0, 0);
    QTest::newRow("empty headword list") << QPoint(290, 200) << QColor(64, 64, 64);
    QTest::newRow("blank translation label") << QPoint(530, 150) << QColor(0, 0, 0);
    QTest::newRow("hidden List2's place shows List1") << QPoint(228, 327) << QColor(64, 64, 64);
    QTest::newRow("hidden hover frame's place") << QPoint(470, 330) << QColor(0, 0, 0);
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
    // A point on each frame's outline that no other control covers.
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("onOutline");
    QTest::addColumn<QPoint>("inside");
    QTest::newRow("Shape1(0), top edge") << 0 << QPoint(100, 56) << QPoint(100, 64);
    QTest::newRow("Shape1(0), left edge") << 0 << QPoint(12, 130) << QPoint(16, 130);
    QTest::newRow("Shape1(1), left edge") << 1 << QPoint(464, 330) << QPoint(476, 330);
    QTest::newRow("Shape1(1), bottom edge") << 1 << QPoint(470, 352) << QPoint(470, 340);
}

void TestFrmTransLayout::framesAreDrawnInPaleCyan()
{
    QFETCH(int, index);
    QFETCH(QPoint, onOutline);
    QFETCH(QPoint, inside);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(shape1(window, index)->colour(), QColor(192, 255, 255));
    QCOMPARE(pixelAt(window, onOutline), QColor(0, 0, 0));

    shape1(window, index)->show();
    QCOMPARE(pixelAt(window, onOutline), QColor(192, 255, 255));
    // Nothing is painted inside the outline: the window's black shows.
    QCOMPARE(pixelAt(window, inside), QColor(0, 0, 0));
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
    QCOMPARE(label->minimumSize(), QSize(245, 267));
    QCOMPARE(label->maximumSize(), QSize(245, 267));

    label->setText(u"A translation far too long for one line of the label, and then some more words, "_s.repeated(8));
    QCoreApplication::processEvents();
    QCOMPARE(label->geometry(), QRect(408, 24, 245, 267));
    // The text wrapped onto several lines at the top left of the label.
    const QImage image = window.grab(label->geometry()).toImage();
    const QColor yellow(255, 255, 192);
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
