#include "collapse_form.h"
#include "qt_window_geometry.h"

#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

using namespace lexorra;

class TestQtWindowGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void readsFrameAndClientInTwips();
    void writesWholePixels_data();
    void writesWholePixels();
    void fixedSizeWindowShrinksAndStaysFixed();
    void sizeBelowMinimumStaysAtMinimum();
    void goneWindowRejectsEverything_data();
    void goneWindowRejectsEverything();
    void readsWhatTheWindowSystemReported();
    void collapsesWindowToItsMinimum();
    void collapsesFixedSizeWindow();
    void collapseSurvivesWindowDestroyedDuringDispatch();

private:
    /// A shown top-level window, client area 200 x 160 pixels at (100, 50),
    /// frame 204 x 164 at (98, 48).
    std::unique_ptr<QWidget> m_window;
};

void TestQtWindowGeometry::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->setGeometry(100, 50, 200, 160);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The offscreen platform puts a 2-pixel frame around a decorated window;
    // the numbers below are worked out for that frame.
    QCOMPARE(m_window->geometry(), QRect(100, 50, 200, 160));
    QCOMPARE(m_window->frameGeometry(), QRect(98, 48, 204, 164));
}

void TestQtWindowGeometry::cleanup()
{
    m_window.reset();
}

void TestQtWindowGeometry::readsFrameAndClientInTwips()
{
    QtWindowGeometry geometry(m_window.get());

    QCOMPARE(geometry.outerHeight(), 164.0f * 15);
    QCOMPARE(geometry.outerWidth(), 204.0f * 15);
    QCOMPARE(geometry.clientHeight(), 160.0f * 15);
    QCOMPARE(geometry.clientWidth(), 200.0f * 15);
    QCOMPARE(geometry.top(), 48.0f * 15);
    QCOMPARE(geometry.left(), 98.0f * 15);
}

void TestQtWindowGeometry::writesWholePixels_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<float>("twips");
    QTest::addColumn<QRect>("frame");

    const QString height = u"height"_s;
    const QString width = u"width"_s;
    const QString top = u"top"_s;
    const QString left = u"left"_s;

    // Sizes are outer sizes: the frame keeps its 4 pixels, the client area
    // takes the change.
    QTest::newRow("height, whole pixels") << height << 2100.0f << QRect(98, 48, 204, 140);
    QTest::newRow("height, below half a pixel") << height << 2107.4f << QRect(98, 48, 204, 140);
    QTest::newRow("height, half a pixel up") << height << 2107.5f << QRect(98, 48, 204, 141);
    QTest::newRow("height, 2260 twips") << height << 2260.0f << QRect(98, 48, 204, 151);
    // The client area keeps one pixel: a window with none is no longer shown.
    QTest::newRow("height, all but the frame") << height << 60.0f << QRect(98, 48, 204, 5);
    QTest::newRow("height, negative") << height << -300.0f << QRect(98, 48, 204, 5);
    QTest::newRow("width, whole pixels") << width << 1500.0f << QRect(98, 48, 100, 164);
    QTest::newRow("width, fraction") << width << 2860.0f << QRect(98, 48, 191, 164);
    QTest::newRow("top, whole pixels") << top << 1500.0f << QRect(98, 100, 204, 164);
    QTest::newRow("top, 820 twips") << top << 820.0f << QRect(98, 55, 204, 164);
    QTest::newRow("top, half a pixel up") << top << 832.5f << QRect(98, 56, 204, 164);
    QTest::newRow("top, half a pixel near the edge") << top << 22.5f << QRect(98, 2, 204, 164);
    QTest::newRow("left, whole pixels") << left << 3000.0f << QRect(200, 48, 204, 164);
    QTest::newRow("left, 1570 twips") << left << 1570.0f << QRect(105, 48, 204, 164);
}

void TestQtWindowGeometry::writesWholePixels()
{
    QFETCH(QString, value);
    QFETCH(float, twips);
    QFETCH(QRect, frame);

    QtWindowGeometry geometry(m_window.get());
    if (value == u"height"_s)
        geometry.setOuterHeight(twips);
    else if (value == u"width"_s)
        geometry.setOuterWidth(twips);
    else if (value == u"top"_s)
        geometry.setTop(twips);
    else
        geometry.setLeft(twips);

    QCOMPARE(m_window->frameGeometry(), frame);
    QCOMPARE(m_window->geometry(), frame.marginsRemoved(QMargins(2, 2, 2, 2)));
    QCOMPARE(geometry.outerHeight(), static_cast<float>(frame.height() * 15));
    QCOMPARE(geometry.outerWidth(), static_cast<float>(frame.width() * 15));
    QCOMPARE(geometry.top(), static_cast<float>(frame.top() * 15));
    QCOMPARE(geometry.left(), static_cast<float>(frame.left() * 15));
}

void TestQtWindowGeometry::readsWhatTheWindowSystemReported()
{
    // A request made behind the adapter's back counts only once the window
    // system has reported it: until then the window is as it was.
    QtWindowGeometry geometry(m_window.get());
    m_window->setGeometry(150, 80, 100, 90);
    QCOMPARE(geometry.outerHeight(), 164.0f * 15);
    QCOMPARE(geometry.left(), 98.0f * 15);

    geometry.dispatchEvents();
    QTRY_COMPARE(geometry.outerHeight(), 94.0f * 15);
    QCOMPARE(geometry.outerWidth(), 104.0f * 15);
    QCOMPARE(geometry.clientHeight(), 90.0f * 15);
    QCOMPARE(geometry.top(), 78.0f * 15);
    QCOMPARE(geometry.left(), 148.0f * 15);
}

void TestQtWindowGeometry::fixedSizeWindowShrinksAndStaysFixed()
{
    m_window->setFixedSize(200, 160);
    QtWindowGeometry geometry(m_window.get());

    geometry.setOuterHeight(1500); // 100 pixels with the frame
    QCOMPARE(m_window->size(), QSize(200, 96));
    geometry.setOuterWidth(2400); // 160 pixels with the frame
    QCOMPARE(m_window->size(), QSize(156, 96));

    // The user still cannot resize it.
    QCOMPARE(m_window->minimumSize(), QSize(156, 96));
    QCOMPARE(m_window->maximumSize(), QSize(156, 96));
}

void TestQtWindowGeometry::sizeBelowMinimumStaysAtMinimum()
{
    m_window->setMinimumSize(50, 40);
    QtWindowGeometry geometry(m_window.get());

    geometry.setOuterHeight(300);
    geometry.setOuterWidth(300);

    QCOMPARE(m_window->size(), QSize(50, 40));
    QCOMPARE(geometry.outerHeight(), 44.0f * 15);
    QCOMPARE(geometry.outerWidth(), 54.0f * 15);
}

void TestQtWindowGeometry::goneWindowRejectsEverything_data()
{
    QTest::addColumn<bool>("destroyed");
    QTest::newRow("destroyed") << true;
    QTest::newRow("hidden, as when the program ends") << false;
}

void TestQtWindowGeometry::goneWindowRejectsEverything()
{
    QFETCH(bool, destroyed);
    QtWindowGeometry geometry(m_window.get());
    if (destroyed)
        m_window.reset();
    else
        m_window->hide();

    const std::pair<const char *, std::function<void()>> operations[] = {
        {"outerHeight", [&] { (void)geometry.outerHeight(); }},
        {"setOuterHeight", [&] { geometry.setOuterHeight(1000); }},
        {"outerWidth", [&] { (void)geometry.outerWidth(); }},
        {"setOuterWidth", [&] { geometry.setOuterWidth(1000); }},
        {"top", [&] { (void)geometry.top(); }},
        {"setTop", [&] { geometry.setTop(1000); }},
        {"left", [&] { (void)geometry.left(); }},
        {"setLeft", [&] { geometry.setLeft(1000); }},
        {"clientHeight", [&] { (void)geometry.clientHeight(); }},
        {"clientWidth", [&] { (void)geometry.clientWidth(); }},
    };
    for (const auto &[name, operation] : operations) {
        bool rejected = false;
        try {
            operation();
        } catch (const GeometryFailure &) {
            rejected = true;
        }
        QVERIFY2(rejected, name);
    }
    QVERIFY_THROWS_NO_EXCEPTION(geometry.dispatchEvents());
}

void TestQtWindowGeometry::collapsesWindowToItsMinimum()
{
    m_window->setMinimumSize(60, 40);
    QtWindowGeometry geometry(m_window.get());
    qint16 step = 0;

    Collapse_Form(geometry, step);

    QCOMPARE(m_window->size(), QSize(60, 40));
    // 200 twips from a whole-pixel size rounds to 13 pixels, 100 twips from a
    // whole-pixel position to 7. Outer height 164 -> 151 -> ... -> 47, then
    // the minimum (44) twice: 11 passes. Outer width 204 -> 191 -> ... -> 74,
    // then the minimum (64) twice: 12 passes.
    QCOMPARE(m_window->frameGeometry().topLeft(), QPoint(98 + 12 * 7, 48 + 11 * 7));
    QCOMPARE(step, qint16(200));
}

void TestQtWindowGeometry::collapsesFixedSizeWindow()
{
    m_window->setFixedSize(200, 160);
    QtWindowGeometry geometry(m_window.get());
    qint16 step = 0;

    Collapse_Form(geometry, step);

    // With no minimum size, both phases run until only the frame and a pixel
    // of client area are left.
    QCOMPARE(m_window->size(), QSize(1, 1));
    QCOMPARE(m_window->frameGeometry().size(), QSize(5, 5));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
}

void TestQtWindowGeometry::collapseSurvivesWindowDestroyedDuringDispatch()
{
    QPointer<QWidget> window = m_window.get();
    QtWindowGeometry geometry(window);
    int dispatchedBeforeDestruction = 0;
    QTimer::singleShot(0, this, [&] {
        ++dispatchedBeforeDestruction;
        m_window.reset();
    });
    qint16 step = 0;

    Collapse_Form(geometry, step);

    QCOMPARE(dispatchedBeforeDestruction, 1);
    QVERIFY(window.isNull());
    QCOMPARE(step, qint16(200));
}

QTEST_MAIN(TestQtWindowGeometry)
#include "tst_qt_window_geometry.moc"
