// The About window: its layout, and every way of closing it playing the
// collapse once before the window goes.
#include "close_ways.h"
#include "frmab_out.h"
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
    QCOMPARE(about->size(), QSize(251, 138));
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
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<QString>("text");

    QTest::newRow("Label1(0)") << 0 << QPoint(88, 96) << QColor(255, 255, 255) << 8.25 << u"Coding : Quillon"_s;
    QTest::newRow("Label1(1)") << 1 << QPoint(67, 24) << QColor(255, 255, 192) << 9.0 << QString();
    QTest::newRow("Label1(2)") << 2 << QPoint(14, 8) << QColor(255, 255, 192) << 9.0
                               << u"For 32 Bit Windows Development."_s;
    QTest::newRow("Label1(3)") << 3 << QPoint(84, 112) << QColor(255, 128, 128) << 8.25 << QString();
}

void TestFrmabOut::labels()
{
    QFETCH(int, index);
    QFETCH(QPoint, topLeft);
    QFETCH(QColor, colour);
    QFETCH(qreal, pointSize);
    QFETCH(QString, text);

    FrmabOut about;
    QLabel *label = label1(about, index);
    QVERIFY(label);
    QCOMPARE(label->objectName(), u"Label1_%1"_s.arg(index));
    QCOMPARE(label->pos(), topLeft);
    if (!text.isEmpty())
        QCOMPARE(label->text(), text);
    QVERIFY(!label->text().isEmpty());
    // Auto-sized: the label is exactly as large as its text on one line.
    QCOMPARE(label->size(), label->sizeHint());
    QVERIFY(!label->wordWrap());
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->font().family(), u"Tahoma"_s);
    QCOMPARE(label->font().weight(), QFont::Bold);
    QCOMPARE(label->font().pointSizeF(), pointSize);
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    QVERIFY(about.rect().contains(label->geometry()));
}

void TestFrmabOut::pictureButton()
{
    QPointer<FrmabOut> about = openWindow();
    auto *button = control<ImagePushButton>(*about, u"Command1"_s);
    QCOMPARE(button->objectName(), u"Command1"_s);
    QCOMPARE(button->geometry(), QRect(16, 64, 61, 69));
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
    QVERIFY(resizes.sizes.size() > 2);
    const auto widthStart = std::find_if(resizes.sizes.cbegin(), resizes.sizes.cend(),
                                         [&](const QSize &size) { return size.width() < full.width(); });
    QVERIFY(widthStart != resizes.sizes.cend());
    QVERIFY(std::all_of(resizes.sizes.cbegin(), widthStart,
                        [&](const QSize &size) { return size.width() == full.width(); }));
    QVERIFY(std::all_of(widthStart, resizes.sizes.cend(),
                        [&](const QSize &size) { return size.height() == widthStart->height(); }));
    QVERIFY(widthStart->height() < full.height() / 4);
    QVERIFY(resizes.sizes.last().width() < full.width() / 4);

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

using namespace lexorra::testing;
