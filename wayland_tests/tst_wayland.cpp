// The windows under a real Wayland compositor, a headless Weston that
// run_on_wayland.sh starts: the compositor places them, the About window's
// close completes at once with the collapse the compositor allows, a lookup
// works through the real prompt and box, the program names itself to the
// compositor by its desktop entry, and nothing of this logs a word.

#include "fake_lookup.h"
#include "frame_shape.h"
#include "frm_trans.h"
#include "frm_trans_design.h"
#include "frmab_out.h"
#include "list_widget_state.h"
#include "modal_script.h"
#include "picture_button.h"
#include "resize_watch.h"
#include "scratch_dir.h"
#include "window_controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace lexorra::testing;
using lexorra::FrmabOut;
using lexorra::FrmTrans;

namespace {

// Far above what a close takes (well under 100 ms); only a close that waits
// for the compositor, which never answers, comes near it.
constexpr int kCloseBoundMs = 2000;
constexpr int kProgramTimeoutMs = 20000;

// The desktop entry's name, which is the application id: org.lexorra.Lexorra.
QString desktopEntryName()
{
    return QFileInfo(QString::fromUtf8(LEXORRA_DESKTOP_ENTRY)).fileName().section(u'.', 0, -3);
}

} // namespace

class TestWayland final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void mainWindowAppears();
    void aboutClosesAtOnceAfterItsCollapse();
    void lookupThroughRealBoxes();
    void programNamesItselfToTheCompositor();
};

void TestWayland::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), u"wayland"_s);
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void TestWayland::init()
{
    // The compositor places the windows: the program asks nothing of it that
    // it cannot have, so Qt has nothing to warn about.
    QTest::failOnWarning(QRegularExpression(u".*"_s));
}

void TestWayland::mainWindowAppears()
{
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), lexorra::frm_trans_design::kClientSize);
    QCOMPARE(window.windowHandle()->title(), u"Lexorra"_s);
    QVERIFY(list1(window)->isVisible());
}

void TestWayland::aboutClosesAtOnceAfterItsCollapse()
{
    FakeDialogs dialogs;
    FrmTrans window(&dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // A client cannot move the pointer on Wayland: the movement is given to
    // the window as the compositor would report it.
    QTest::mouseMove(window.windowHandle(), label1(window)->mapTo(&window, QPoint(20, 12)));
    QPointer<FrmabOut> about = window.about();
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    const QSize full = about->size();
    ResizeWatch resizes(about);

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(command1(*about), Qt::LeftButton);
    const qint64 took = clock.elapsed();

    QVERIFY(about.isNull() || !about->isVisible());
    QVERIFY2(took < kCloseBoundMs, qPrintable(u"the close took %1 ms"_s.arg(took)));
    // Lower, then narrower; the moves that would keep its centre in place are
    // the compositor's to refuse, and are not asked for.
    QVERIFY2(resizes.notACollapse(full).isEmpty(), qPrintable(resizes.notACollapse(full)));
    QVERIFY(!shape1(window, 1)->isVisible());
    QTRY_VERIFY(about.isNull());
}

void TestWayland::lookupThroughRealBoxes()
{
    ScratchWorkingDir files;
    QVERIFY(files.isValid());
    QVERIFY(files.write(u"a.txt"_s, "apple,pomme\napricot,abricot\naxe,hache\n"));
    FrmTrans window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    ModalScript script;
    SeenPrompt prompt;
    SeenBox box;
    script.answerPrompt(u"apricot"_s, true, &prompt);
    script.acknowledgeBox(&box);
    script.start();
    QTest::mouseClick(image1(window), Qt::LeftButton);
    script.stop();

    QVERIFY(script.ranAsWritten());
    QVERIFY(prompt.visible);
    QVERIFY(box.visible);
    QCOMPARE(box.title, u"Apricot"_s);
    QCOMPARE(box.text, u"Abricot"_s);
    QCOMPARE(texts(list1(window)), (QStringList{u"apple"_s, u"apricot"_s, u"axe"_s}));
    QCOMPARE(selectedRow(list1(window)), 1);
    QCOMPARE(label2(window)->text(), u"Abricot"_s);
}

void TestWayland::programNamesItselfToTheCompositor()
{
    // The program as installed, with the protocol it speaks written out.
    ScratchWorkingDir folder;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"WAYLAND_DEBUG"_s, u"client"_s);
    program.setProcessEnvironment(environment);
    program.start(QString::fromUtf8(LEXORRA_PROGRAM), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    // Shown: the compositor configured the window and the program drew it.
    QString protocol;
    const auto shown = [&] {
        protocol += QString::fromUtf8(program.readAllStandardError());
        const qsizetype configured = protocol.indexOf(u".ack_configure("_s);
        return configured >= 0 && protocol.indexOf(u".attach(wl_buffer"_s, configured) >= 0;
    };
    const bool wasShown = QTest::qWaitFor(shown, kProgramTimeoutMs);
    const bool stillRunning = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    QVERIFY2(wasShown, qPrintable(protocol.right(2000)));
    QVERIFY(stillRunning);

    const QString appId = u"set_app_id(\"%1\")"_s.arg(desktopEntryName());
    QVERIFY2(protocol.contains(appId), qPrintable(appId));
    QVERIFY(protocol.contains(u"set_title(\"Lexorra\")"_s));
    // Every line is the protocol's: the program logged nothing.
    for (const QString &line : protocol.split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(u'['), qPrintable(line));
}

int main(int argc, char *argv[])
{
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforms/libqwayland-generic.so"_s;
    if (!QFileInfo::exists(plugin)) {
        std::printf("SKIPPED: Qt's Wayland platform plugin %s is not installed (Debian: qt6-wayland); "
                    "scripts/setup.sh installs what the Wayland tests need.\n",
                    qPrintable(plugin));
        return 77;
    }
    QApplication app(argc, argv);
    TestWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
