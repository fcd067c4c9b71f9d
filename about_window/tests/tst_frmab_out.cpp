// The About window: its layout, and every way of closing it playing the
// collapse once before the window goes.
#include "close_ways.h"
#include "frmab_out.h"
#include "frmab_out_design.h"
#include "image_push_button.h"
#include "resize_watch.h"
#include "window_controls.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace lexorra;
using namespace lexorra::testing;
using namespace Qt::StringLiterals;
namespace design = lexorra::frmab_out_design;

namespace {

// Shows a fresh About window and waits until it is exposed.
FrmabOut *openWindow()
{
    auto *window = new FrmabOut;
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("About window not exposed");
    return window;
}

} // namespace

class TestFrmabOut : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void window();
    void labels_data();
    void labels();
    void fixedTexts();
    void pictureButton();
    void close_data();
    void close();
    void closeRequestsDuringCollapseAreIgnored();
};

void TestFrmabOut::window()
{
    QPointer<FrmabOut> about = openWindow();
    QVERIFY(about->windowFlags().testFlag(Qt::Tool));
    QVERIFY(about->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(about->windowTitle(), QString());
    QVERIFY(about->windowHandle()->title().trimmed().isEmpty()); // not the program's name
    QCOMPARE(about->size(), design::kClientSize);
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QCOMPARE(about->palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(about->parentWidget() == nullptr);
    QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));

    // Centred on the screen, frame and all.
    const QRect screen = about->screen()->availableGeometry();
    QTRY_VERIFY((about->frameGeometry().center() - screen.center()).manhattanLength() <= 2);
    delete about;
}

void TestFrmabOut::labels_data()
{
    QTest::addColumn<int>("index");
    for (int index = 0; index < int(design::kLabels.size()); ++index)
        QTest::addRow("Label1(%d)", index) << index;
}

void TestFrmabOut::labels()
{
    QFETCH(int, index);
    const design::Label &designed = design::kLabels[static_cast<size_t>(index)];

    QPointer<FrmabOut> about = openWindow();
    QLabel *label = label1(*about, index);
    QVERIFY(label);
    QCOMPARE(label->pos(), designed.topLeft);
    QCOMPARE(label->text(), QString::fromUtf16(designed.text));
    // Auto-sized: the label is exactly as large as its text on one line.
    QCOMPARE(label->size(), label->sizeHint());
    QVERIFY(!label->wordWrap());
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QCOMPARE(label->font().family(), u"Tahoma"_s);
    QCOMPARE(label->font().weight(), QFont::Bold);
    QCOMPARE(label->font().pointSizeF(), designed.points);
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);

    // Inside the window, overlapping no other control.
    QVERIFY(about->rect().contains(label->geometry()));
    for (const QWidget *other : about->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != label)
            QVERIFY2(!other->geometry().intersects(label->geometry()), qPrintable(other->objectName()));
    }

    // Drawn as designed: its text in its colour on black, edge to edge.
    const QImage drawn = about->grab(label->geometry()).toImage();
    QCOMPARE(drawn.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(drawn.pixelColor(drawn.width() - 1, drawn.height() - 1), QColor(Qt::black));
    int inked = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            inked += drawn.pixelColor(x, y) == QColor(designed.colour) ? 1 : 0;
    }
    QVERIFY2(inked > 10, qPrintable(u"%1 pixels in the label's colour"_s.arg(inked)));
    delete about;
}

void TestFrmabOut::fixedTexts()
{
    FrmabOut about;
    QCOMPARE(label1(about, 0)->text(), u"Coding : Quillon"_s);
    QCOMPARE(label1(about, 2)->text(), u"For 32 Bit Windows Development."_s);
    QVERIFY(!label1(about, 1)->text().isEmpty());
    QVERIFY(!label1(about, 3)->text().isEmpty());
}

void TestFrmabOut::pictureButton()
{
    QPointer<FrmabOut> about = openWindow();
    auto *button = control<ImagePushButton>(*about, u"Command1"_s);
    QVERIFY(button);
    QCOMPARE(button->geometry(), design::kCommand1Rect);
    QCOMPARE(button->text(), QString());
    QCOMPARE(button->picture().deviceIndependentSize().toSize(), QSize(58, 71));
    // Centred: the picture overhangs the 69-pixel face by a row at each end.
    QCOMPARE(button->pictureRect(), QRect(1, -1, 58, 71));
    QTRY_COMPARE(QApplication::focusWidget(), button);
    delete about;
}

void TestFrmabOut::close_data()
{
    addCloseWayRows();
}

void TestFrmabOut::close()
{
    QFETCH(CloseWay, way);

    QPointer<FrmabOut> about = openWindow();
    const QSize full = about->size();
    QSignalSpy unloaded(about.data(), &FrmabOut::unloaded);
    lexorra::testing::ResizeWatch resizes(about);

    closeBy(*about, way);

    QCOMPARE(unloaded.size(), 1);
    QVERIFY(about.isNull() || !about->isVisible());
    QTRY_VERIFY(about.isNull());

    // The collapse played: height first, down to nothing, then the width.
    QVERIFY2(resizes.notACollapse(full).isEmpty(), qPrintable(resizes.notACollapse(full)));

    // A new window opens at full size again.
    QPointer<FrmabOut> again = openWindow();
    QCOMPARE(again->size(), full);
    delete again;
}

void TestFrmabOut::closeRequestsDuringCollapseAreIgnored()
{
    QPointer<FrmabOut> about = openWindow();
    QSignalSpy unloaded(about.data(), &FrmabOut::unloaded);
    lexorra::testing::ResizeWatch resizes(about);
    int requests = 0;
    resizes.onResize = [&](int) {
        // Every kind of close request, while the collapse plays.
        ++requests;
        QVERIFY(about->isClosing());
        QTest::keyClick(about.data(), Qt::Key_Escape);
        command1(*about)->click();
        about->close();
        // A close event from the window system reaches the window directly.
        QCloseEvent fromWindowSystem;
        QCoreApplication::sendEvent(about.data(), &fromWindowSystem);
        QVERIFY(!fromWindowSystem.isAccepted());
    };
    about->close();
    QVERIFY(requests > 2);
    QCOMPARE(unloaded.size(), 1);
    QTRY_VERIFY(about.isNull());
}

QTEST_MAIN(TestFrmabOut)
#include "tst_frmab_out.moc"
