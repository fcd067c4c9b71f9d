// The About window as the main window opens it: hovering the About label opens
// one window, every close collapses it and hides the label's frame, a request
// to show it while it collapses is ignored, and quitting the program removes
// it at once without the collapse.

#include "close_ways.h"
#include "fake_lookup.h"
#include "frame_shape.h"
#include "frm_trans.h"
#include "frmab_out.h"
#include "image_push_button.h"
#include "list_widget_state.h"
#include "resize_watch.h"
#include "scratch_dir.h"
#include "window_controls.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace lexorra::testing;

using namespace Qt::StringLiterals;
using lexorra::FrmabOut;
using lexorra::FrmTrans;

class TestAboutOpening final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void everyCloseCollapsesAndHidesTheFrame_data();
    void everyCloseCollapsesAndHidesTheFrame();
    void showRequestDuringCollapseIsIgnored();
    void movementRightAfterCloseOpensANewWindow();
    void quitWhileOpenRemovesItWithoutCollapse();
    void quitDuringCollapseStopsIt();

private:
    FrmabOut *hover();

    std::unique_ptr<lexorra::testing::ScratchWorkingDir> m_files;
    std::unique_ptr<lexorra::testing::FakeDialogs> m_dialogs;
    std::unique_ptr<FrmTrans> m_window;
};

void TestAboutOpening::initTestCase()
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void TestAboutOpening::init()
{
    m_files = std::make_unique<lexorra::testing::ScratchWorkingDir>();
    QVERIFY(m_files->isValid());
    QVERIFY(m_files->write(u"a.txt"_s, "apple,pomme\napricot,abricot\n"));
    m_dialogs = std::make_unique<lexorra::testing::FakeDialogs>();
    m_window = std::make_unique<FrmTrans>(m_dialogs.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // A listing that no About window may disturb.
    m_dialogs->replies = {u"apricot"_s};
    m_window->Begin_Translation();
    QCOMPARE(label2(*m_window)->text(), u"Abricot"_s);
}

void TestAboutOpening::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_files.reset();
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

FrmabOut *TestAboutOpening::hover()
{
    // Each call moves to another point: a move to where the pointer already is
    // is no movement.
    static int step = 0;
    QTest::mouseMove(label1(*m_window), QPoint(20 + (++step % 40), 12));
    return m_window->about();
}

void TestAboutOpening::everyCloseCollapsesAndHidesTheFrame_data()
{
    addCloseWayRows();
}

void TestAboutOpening::everyCloseCollapsesAndHidesTheFrame()
{
    QFETCH(CloseWay, way);

    QPointer<FrmabOut> about = hover();
    QVERIFY(about);
    const QSize full = about->size();
    bool frameVisibleDuringCollapse = false;
    lexorra::testing::ResizeWatch collapse(about);
    collapse.onResize = [&](int) { frameVisibleDuringCollapse = shape1(*m_window, 1)->isVisible(); };

    closeBy(*about, way);

    QVERIFY(collapse.sizes.size() > 2);
    QVERIFY(frameVisibleDuringCollapse); // hidden only after the collapse
    QVERIFY(!shape1(*m_window, 1)->isVisible());
    QTRY_VERIFY(about.isNull());
    QVERIFY(!m_window->about());

    // The main window keeps its listing and label.
    QCOMPARE(rowCount(list1(*m_window)), 2);
    QCOMPARE(currentRow(list1(*m_window)), 1);
    QCOMPARE(label2(*m_window)->text(), u"Abricot"_s);

    // The next movement over the label opens a fresh window at full size.
    QPointer<FrmabOut> again = hover();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(again->size(), full);
    QVERIFY(shape1(*m_window, 1)->isVisible());
}

void TestAboutOpening::showRequestDuringCollapseIsIgnored()
{
    QPointer<FrmabOut> about = hover();
    QSignalSpy unloaded(about.data(), &FrmabOut::unloaded);
    lexorra::testing::ResizeWatch collapse(about);
    collapse.onResize = [&](int resize) {
        if (resize <= 3) {
            QTest::mouseMove(label1(*m_window), QPoint(30 + resize, 12));
            QCOMPARE(m_window->about(), about.data());
            QVERIFY(shape1(*m_window, 1)->isVisible());
        }
    };
    about->close();

    QVERIFY(collapse.sizes.size() > 3);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!shape1(*m_window, 1)->isVisible());
    QTRY_VERIFY(about.isNull());
    int aboutWindows = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        aboutWindows += qobject_cast<FrmabOut *>(window) ? 1 : 0;
    QCOMPARE(aboutWindows, 0);
}

void TestAboutOpening::movementRightAfterCloseOpensANewWindow()
{
    QPointer<FrmabOut> closed = hover();
    closed->close();
    QVERIFY(closed); // closed, but destroyed only by the event loop
    QVERIFY(!shape1(*m_window, 1)->isVisible());

    FrmabOut *fresh = hover();
    QVERIFY(fresh);
    QVERIFY(fresh != closed.data());
    QVERIFY(fresh->isVisible());
    QVERIFY(!fresh->isClosing());
    QVERIFY(shape1(*m_window, 1)->isVisible());
    QTRY_VERIFY(closed.isNull());
    QCOMPARE(m_window->about(), fresh);
}

void TestAboutOpening::quitWhileOpenRemovesItWithoutCollapse()
{
    QPointer<FrmabOut> about = hover();
    QSignalSpy unloaded(about.data(), &FrmabOut::unloaded);
    lexorra::testing::ResizeWatch collapse(about);

    command1(*m_window)->click();
    QVERIFY(m_window->isEnding());
    QVERIFY(about);
    QVERIFY(!about->isVisible());
    QCOMPARE(collapse.sizes.size(), 0);
    QCOMPARE(unloaded.size(), 0);
    QVERIFY(shape1(*m_window, 1)->isVisible()); // the frame is not touched
}

void TestAboutOpening::quitDuringCollapseStopsIt()
{
    QPointer<FrmabOut> about = hover();
    QSignalSpy unloaded(about.data(), &FrmabOut::unloaded);
    QSize sizeAtQuit;
    lexorra::testing::ResizeWatch collapse(about);
    collapse.onResize = [&](int resize) {
        if (resize == 2) {
            command1(*m_window)->click();
            sizeAtQuit = about->size();
        }
    };
    about->close();

    QVERIFY(m_window->isEnding());
    QVERIFY(about); // still there until the event loop deletes it
    QVERIFY(!about->isVisible());
    QCOMPARE(about->size(), sizeAtQuit); // the collapse went no further
    QCOMPARE(unloaded.size(), 0);
    QVERIFY(shape1(*m_window, 1)->isVisible());
}

QTEST_MAIN(TestAboutOpening)
#include "tst_about_opening.moc"
