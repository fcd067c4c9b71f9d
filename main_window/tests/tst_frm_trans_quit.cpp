// Ending the program: the quit button, its Esc key and closing the window
// leave the running event loop at once, and another open window of the
// program vanishes without its close handling.

#include "frm_trans.h"
#include "list_box.h"
#include "modal_script.h"
#include "picture_button.h"
#include "window_controls.h"

#include <QCloseEvent>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace lexorra::testing;

using namespace Qt::StringLiterals;
using lexorra::FrmTrans;

namespace {

// Another window of the program, as the About window is: it counts the close
// handling it runs.
class OtherWindow final : public QWidget
{
public:
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeEvents;
        QWidget::closeEvent(event);
    }
};

// A return code that only the safety net gives: the program did not end.
constexpr int kNotEnded = 99;

} // namespace

class TestFrmTransQuit final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void endsTheProgram_data();
    void endsTheProgram();
    void enterDoesNotQuit();
    void escInsideThePromptDoesNotQuit();
};

void TestFrmTransQuit::initTestCase()
{
    // Only the program's own ending may stop the loop, not the last window going.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void TestFrmTransQuit::endsTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Command1 clicked") << u"click"_s;
    QTest::newRow("Esc, focus on List1") << u"esc-list"_s;
    QTest::newRow("Esc, focus on Command1") << u"esc-button"_s;
    QTest::newRow("Space on focused Command1") << u"space-button"_s;
    QTest::newRow("window closed from its title bar") << u"close-box"_s;
    QTest::newRow("window closed by program") << u"close"_s;
}

void TestFrmTransQuit::endsTheProgram()
{
    QFETCH(QString, how);
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    OtherWindow other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    const std::function<void()> act = [&] {
        if (how == u"click") {
            QTest::mouseClick(command1(window), Qt::LeftButton);
        } else if (how == u"esc-list") {
            list1(window)->setFocus();
            QTest::keyClick(list1(window), Qt::Key_Escape);
        } else if (how == u"esc-button") {
            command1(window)->setFocus();
            QTest::keyClick(command1(window), Qt::Key_Escape);
        } else if (how == u"space-button") {
            command1(window)->setFocus();
            QTest::keyClick(command1(window), Qt::Key_Space);
        } else if (how == u"close-box") {
            window.windowHandle()->close();
        } else {
            window.close();
        }
    };

    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    QTimer::singleShot(0, &window, act);
    QTimer safetyNet;
    safetyNet.setSingleShot(true);
    connect(&safetyNet, &QTimer::timeout, qApp, [] { QCoreApplication::exit(kNotEnded); });
    safetyNet.start(20000);
    const int code = QCoreApplication::exec();
    safetyNet.stop();

    QCOMPARE(code, 0);
    QCOMPARE(aboutToQuit.size(), 1);
    QVERIFY(window.isEnding());
    // The other window went at once, without its close handling ...
    QVERIFY(!other.isVisible());
    QCOMPARE(other.closeEvents, 0);
    // ... and nothing of the program handles closing or input any more.
    other.close();
    QCOMPARE(other.closeEvents, 0);
    QSignalSpy headwords(&window, &FrmTrans::headwordClicked);
    lexorra::ListBoxEntries late(*qobject_cast<lexorra::ListBox *>(list1(window)));
    late.append(u"late"_s);
    late.flush();
    QTest::keyClick(list1(window), Qt::Key_Down);
    QCOMPARE(headwords.size(), 0);
}

void TestFrmTransQuit::enterDoesNotQuit()
{
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list1(window)->setFocus();
    QTest::keyClick(list1(window), Qt::Key_Return);
    QTest::keyClick(list1(window), Qt::Key_Enter);
    QTest::keyClick(command1(window), Qt::Key_Return);
    QVERIFY(!window.isEnding());
    QVERIFY(window.isVisible());
}

void TestFrmTransQuit::escInsideThePromptDoesNotQuit()
{
    // Esc in the lookup's prompt cancels the prompt, not the program.
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    ModalScript script;
    script.then([](QWidget *prompt) { QTest::keyClick(prompt, Qt::Key_Escape); });
    script.start();
    QTest::mouseClick(image1(window), Qt::LeftButton);
    script.stop();
    QVERIFY(script.ranAsWritten());
    QVERIFY(!window.isEnding());
    QVERIFY(window.isVisible());
}

QTEST_MAIN(TestFrmTransQuit)
#include "tst_frm_trans_quit.moc"
