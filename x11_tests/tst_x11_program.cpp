// The built program on a real X server under a window manager, driven by
// synthesized input and read from the server as the screen shows it: window
// titles, placement, stacking, the About window's collapse, and quitting.

#include "locale_environments.h"
#include "x_screen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using lexorra::testing::XScreen;
using lexorra::testing::XWindow;
namespace input = lexorra::testing::input;

namespace {

constexpr int kWindowTimeoutMs = 10000;
// A bound on the program's end after a quit that only tells a program that
// does not end: how soon it ends says nothing on a machine busy with other
// work. That it ends at once shows in what the screen shows meanwhile.
constexpr int kQuitTimeoutMs = 30000;

// Points of the main window's client area, in pixels: inside the picture
// button, the About label, the quit button, and a blank part of the window.
constexpr QPoint kPicture(100, 133);
constexpr QPoint kAboutLabel(540, 336);
constexpr QPoint kQuitButton(100, 339);
constexpr QPoint kBlankMain(640, 280);
// The hover frame's left edge and the headword list and translation label.
constexpr QRect kHoverFrameLeftEdge(464, 314, 1, 36);
constexpr QRect kHeadwordList(200, 24, 185, 327);
constexpr QRect kTranslationLabel(408, 24, 245, 267);
// Points of the About window's client area: its picture button, a blank part.
constexpr QPoint kAboutButton(46, 98);
constexpr QPoint kBlankAbout(10, 50);

// One step of the collapse, 200 twips, in whole pixels rounded up.
constexpr int kStepPixels = 14;

const QColor kPaleCyan(192, 255, 255);
const QColor kLightYellow(255, 255, 192);

int countColour(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += QColor(image.pixel(x, y)) == colour ? 1 : 0;
    }
    return count;
}

// A text property decoded as its type says, or a marker that the window lacks it.
QString textOf(const XScreen &screen, XWindow window, const char *name)
{
    return screen.text(window, name).value_or(u"(not set)"_s);
}

// Where process @p pid works, as the bytes of its path.
QByteArray workingDirectoryOf(qint64 pid)
{
    QByteArray target(4096, '\0');
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/cwd";
    const ssize_t length = ::readlink(link.constData(), target.data(), std::size_t(target.size()));
    return length < 0 ? QByteArray() : target.left(length);
}

// A key of the desktop entry that the program's menu entry is made from.
QByteArray desktopEntryValue(const QByteArray &key)
{
    QFile entry(QString::fromUtf8(LEXORRA_DESKTOP_ENTRY));
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : entry.readAll().split('\n')) {
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    }
    return {};
}

QString describe(const QRect &r)
{
    return u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestX11Program final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void mainWindowCentredAndTitled();
    void aboutWindowCentredUntitledAndUnowned();
    void lookupThroughRealBoxes_data();
    void lookupThroughRealBoxes();
    void aboutCollapsesOnClose_data();
    void aboutCollapsesOnClose();
    void windowsRaisedByClicking();
    void quitEndsAtOnce_data();
    void quitEndsAtOnce();
    void sameInEveryLocale_data();
    void sameInEveryLocale();

private:
    // Starts the program in the scratch folder and waits for its main window;
    // @p program and @p arguments, when given, start it (through a shell).
    void startProgram(const QString &program = QString::fromUtf8(LEXORRA_PROGRAM), const QStringList &arguments = {},
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    // The program's windows other than the main window that are on the screen.
    [[nodiscard]] QList<XWindow> otherWindows() const;
    // Waits for exactly one other window of the program, not @p previous, to
    // be on the screen and framed; 0 when none came.
    [[nodiscard]] XWindow waitForOtherWindow(XWindow previous = 0) const;
    [[nodiscard]] bool isCentred(XWindow window) const;
    [[nodiscard]] QPoint inMain(QPoint point) const { return m_screen.clientRect(m_main).topLeft() + point; }
    [[nodiscard]] int hoverFramePixels() const;
    // Clicks the close box, the last button at the right end of the title bar.
    [[nodiscard]] bool clickCloseBox(XWindow window) const;
    // Opens the About window by moving the pointer over the About label.
    XWindow openAbout();

    XScreen m_screen;
    QTemporaryDir m_locales;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QProcess> m_program;
    XWindow m_main = 0;
};

void TestX11Program::initTestCase()
{
    QVERIFY2(m_screen.isValid(), "no X server at $DISPLAY");
    QVERIFY2(QFile::exists(QString::fromUtf8(LEXORRA_PROGRAM)), LEXORRA_PROGRAM);
}

void TestX11Program::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QFile letters(m_folder->filePath(u"a.txt"_s));
    QVERIFY(letters.open(QIODevice::WriteOnly));
    letters.write("apple,pomme\napricot,abricot\naxe,hache\n");
    letters.close();
    // Park the pointer away from every window, so no hover opens anything.
    QVERIFY(input::moveTo(QPoint(1, 1)));
    // That test starts the program itself, in each locale.
    if (QByteArrayView(QTest::currentTestFunction()) != "sameInEveryLocale")
        startProgram();
}

void TestX11Program::cleanup()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished(5000);
    }
    m_program.reset();
    m_folder.reset();
    // The window manager forgets the windows before the next test starts.
    QTRY_VERIFY_WITH_TIMEOUT(m_screen.clientsOf("lexorra").isEmpty(), kWindowTimeoutMs);
}

void TestX11Program::startProgram(const QString &program, const QStringList &arguments,
                                  const QProcessEnvironment &environment)
{
    m_program = std::make_unique<QProcess>();
    m_program->setWorkingDirectory(m_folder->path());
    m_program->setProcessEnvironment(environment);
    m_program->setProcessChannelMode(arguments.isEmpty() ? QProcess::ForwardedChannels : QProcess::SeparateChannels);
    m_program->start(program, arguments);
    QVERIFY2(m_program->waitForStarted(), qPrintable(m_program->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_screen.clientsOf("lexorra").size() == 1, kWindowTimeoutMs);
    m_main = m_screen.clientsOf("lexorra").first();
    // Framed by the window manager and placed by the program.
    QTRY_VERIFY_WITH_TIMEOUT(m_screen.isViewable(m_main) && m_screen.frameExtents(m_main) && isCentred(m_main),
                             kWindowTimeoutMs);
}

QList<XWindow> TestX11Program::otherWindows() const
{
    QList<XWindow> others = m_screen.clientsOf("lexorra");
    others.removeAll(m_main);
    others.erase(std::remove_if(others.begin(), others.end(), [this](XWindow w) { return !m_screen.isViewable(w); }),
                 others.end());
    return others;
}

XWindow TestX11Program::waitForOtherWindow(XWindow previous) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWindowTimeoutMs) {
        // One reading of the window list per try: it changes while windows come and go.
        const QList<XWindow> others = otherWindows();
        if (others.size() == 1 && others.first() != previous && m_screen.frameExtents(others.first()))
            return others.first();
        QTest::qWait(20);
    }
    return 0;
}

bool TestX11Program::isCentred(XWindow window) const
{
    // Centred frame and all: equal room on either side, up to the odd pixel.
    const QRect frame = m_screen.frameRect(window);
    const QRect area = m_screen.workArea();
    const int leftRoom = frame.left() - area.left();
    const int rightRoom = area.right() - frame.right();
    const int topRoom = frame.top() - area.top();
    const int bottomRoom = area.bottom() - frame.bottom();
    return frame.isValid() && std::abs(leftRoom - rightRoom) <= 1 && std::abs(topRoom - bottomRoom) <= 1;
}

int TestX11Program::hoverFramePixels() const
{
    return countColour(m_screen.grab(kHoverFrameLeftEdge.translated(m_screen.clientRect(m_main).topLeft())), kPaleCyan);
}

bool TestX11Program::clickCloseBox(XWindow window) const
{
    const QRect frame = m_screen.frameRect(window);
    const int titleBar = m_screen.frameExtents(window).value_or(QMargins()).top();
    return titleBar > 0 && input::click(QPoint(frame.right() - titleBar / 2, frame.top() + titleBar / 2));
}

XWindow TestX11Program::openAbout()
{
    // Two movements: the first may only enter the label.
    if (!input::moveTo(inMain(kAboutLabel)) || !input::moveTo(inMain(kAboutLabel + QPoint(3, 1))))
        return 0;
    const XWindow about = waitForOtherWindow();
    // Placed by the program once the window manager has framed it.
    if (about && !QTest::qWaitFor([&] { return isCentred(about); }, kWindowTimeoutMs))
        return 0;
    return about;
}

void TestX11Program::mainWindowCentredAndTitled()
{
    const QRect frame = m_screen.frameRect(m_main);
    QVERIFY2(isCentred(m_main), qPrintable(describe(frame) + u" on "_s + describe(m_screen.workArea())));
    // The frame is the window manager's: a title bar above the window.
    QVERIFY(m_screen.frameExtents(m_main)->top() > 0);
    QCOMPARE(textOf(m_screen, m_main, "_NET_WM_NAME"), u"Lexorra"_s);
    QCOMPARE(textOf(m_screen, m_main, "WM_NAME"), u"Lexorra"_s);
    QCOMPARE(m_screen.windowProperty(m_main, "WM_TRANSIENT_FOR"), XWindow(0));
    // Its class names the desktop entry it belongs to, for task switchers.
    const QList<QByteArray> wmClass = m_screen.textProperty(m_main, "WM_CLASS").value_or(QByteArray()).split('\0');
    QVERIFY2(wmClass.size() >= 2, wmClass.join(' ').constData());
    QCOMPARE(wmClass.at(1), desktopEntryValue("StartupWMClass"));
}

void TestX11Program::aboutWindowCentredUntitledAndUnowned()
{
    const XWindow about = openAbout();
    QVERIFY2(about, "no centred About window appeared");
    QVERIFY(m_screen.frameExtents(about)->top() > 0);
    QCOMPARE(textOf(m_screen, about, "_NET_WM_NAME"), QString());
    QCOMPARE(textOf(m_screen, about, "WM_NAME"), QString());
    QVERIFY(m_screen.windowTypes(about).contains("_NET_WM_WINDOW_TYPE_UTILITY"));
    QVERIFY(m_screen.windowProperty(about, "WM_TRANSIENT_FOR") != m_main);
    // The main window is still where it was, and titled.
    QVERIFY(isCentred(m_main));
    QCOMPARE(textOf(m_screen, m_main, "_NET_WM_NAME"), u"Lexorra"_s);
}

void TestX11Program::lookupThroughRealBoxes_data()
{
    QTest::addColumn<QByteArray>("letterFile");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<bool>("listed");
    QTest::newRow("found word") << QByteArray() << u"apricot"_s << u"Apricot"_s << true;
    QTest::newRow("no letter file") << QByteArray() << u"7up"_s << u"Warning !"_s << false;
    // Only spaces name the file ".txt ", whose empty first headword matches at
    // once: a box with an empty title and an empty text.
    QTest::newRow("empty title") << QByteArray(".txt ") << u"   "_s << QString() << true;
}

void TestX11Program::lookupThroughRealBoxes()
{
    QFETCH(QByteArray, letterFile);
    QFETCH(QString, reply);
    QFETCH(QString, boxTitle);
    QFETCH(bool, listed);
    if (!letterFile.isEmpty()) {
        QFile file(m_folder->filePath(QString::fromUtf8(letterFile)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("and,et\nant,fourmi\n");
    }
    const QPoint client = m_screen.clientRect(m_main).topLeft();
    const auto listPixels = [&] { return countColour(m_screen.grab(kHeadwordList.translated(client)), kLightYellow); };
    QCOMPARE(listPixels(), 0);

    QVERIFY(input::click(inMain(kPicture)));
    const XWindow prompt = waitForOtherWindow();
    QVERIFY2(prompt, "no prompt appeared");
    QCOMPARE(textOf(m_screen, prompt, "_NET_WM_NAME"), u" Lexorra."_s);
    QCOMPARE(textOf(m_screen, prompt, "WM_NAME"), u" Lexorra."_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_screen.activeWindow(), prompt, kWindowTimeoutMs);
    QVERIFY(input::typeText(reply));
    QVERIFY(input::key(u"Return"_s));

    const XWindow box = waitForOtherWindow(prompt);
    QVERIFY2(box, "no message box appeared");
    QCOMPARE(textOf(m_screen, box, "_NET_WM_NAME"), boxTitle);
    QCOMPARE(textOf(m_screen, box, "WM_NAME"), boxTitle);
    // The listing comes only after the box.
    QCOMPARE(listPixels(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_screen.activeWindow(), box, kWindowTimeoutMs);
    QVERIFY(input::key(u"Return"_s));
    QTRY_VERIFY_WITH_TIMEOUT(otherWindows().isEmpty(), kWindowTimeoutMs);

    // The translation label shows the selected headword's translation. The
    // window may reach the screen in parts: each is waited for.
    const auto labelPixels = [&] {
        return countColour(m_screen.grab(kTranslationLabel.translated(client)), kLightYellow);
    };
    if (listed) {
        QTRY_VERIFY_WITH_TIMEOUT(listPixels() > 0, kWindowTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(labelPixels() > 0, kWindowTimeoutMs);
    } else {
        QTest::qWait(200);
        QCOMPARE(listPixels(), 0);
        QCOMPARE(labelPixels(), 0);
    }
}

void TestX11Program::aboutCollapsesOnClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("picture button") << u"button"_s;
    QTest::newRow("Esc") << u"escape"_s;
    QTest::newRow("close box") << u"close box"_s;
}

void TestX11Program::aboutCollapsesOnClose()
{
    QFETCH(QString, how);
    const QRect mainBefore = m_screen.frameRect(m_main);
    QCOMPARE(hoverFramePixels(), 0);
    const XWindow about = openAbout();
    QVERIFY2(about, "no centred About window appeared");
    // Drawn in the main window, which may reach the screen after the About window.
    QTRY_VERIFY_WITH_TIMEOUT(hoverFramePixels() > 0, kWindowTimeoutMs);
    const QRect client = m_screen.clientRect(about);

    m_screen.watchSizes(about);
    if (how == u"button") {
        QVERIFY(input::click(client.topLeft() + kAboutButton));
    } else if (how == u"escape") {
        QTRY_COMPARE_WITH_TIMEOUT(m_screen.activeWindow(), about, kWindowTimeoutMs);
        QVERIFY(input::key(u"Escape"_s));
    } else {
        QVERIFY(clickCloseBox(about));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_screen.clients().contains(about), kWindowTimeoutMs);

    // Every size the window manager gave the window on the way: first only
    // lower, then only narrower, a step at a time, down to the smallest.
    const QList<QSize> sizes = m_screen.reportedSizes();
    QString trail;
    for (const QSize &s : sizes)
        trail += u" %1x%2"_s.arg(s.width()).arg(s.height());
    QVERIFY2(sizes.size() >= 4, qPrintable(trail));
    QSize previous = client.size();
    int heightSteps = 0;
    int widthSteps = 0;
    for (const QSize &size : sizes) {
        // A move alone is reported with the size unchanged.
        if (size == previous)
            continue;
        if (size.height() != previous.height()) {
            QVERIFY2(widthSteps == 0, qPrintable(u"height changed after the width began:"_s + trail));
            QVERIFY2(size.width() == previous.width(), qPrintable(trail));
            QVERIFY2(size.height() < previous.height() && previous.height() - size.height() <= kStepPixels,
                     qPrintable(trail));
            ++heightSteps;
        } else {
            QVERIFY2(size.width() < previous.width() && previous.width() - size.width() <= kStepPixels,
                     qPrintable(trail));
            ++widthSteps;
        }
        previous = size;
    }
    QVERIFY2(heightSteps >= client.height() / kStepPixels, qPrintable(trail));
    QVERIFY2(widthSteps >= client.width() / kStepPixels, qPrintable(trail));
    // Smaller than one more step would make it: as small as it was allowed.
    QVERIFY2(previous.height() < kStepPixels && previous.width() < kStepPixels, qPrintable(trail));

    QTRY_COMPARE_WITH_TIMEOUT(hoverFramePixels(), 0, kWindowTimeoutMs);
    QCOMPARE(m_screen.frameRect(m_main), mainBefore);
    QCOMPARE(m_program->state(), QProcess::Running);
}

void TestX11Program::windowsRaisedByClicking()
{
    const XWindow about = openAbout();
    QVERIFY2(about, "no centred About window appeared");
    const auto above = [this](XWindow upper, XWindow lower) {
        const QList<XWindow> order = m_screen.stacking();
        return order.contains(upper) && order.indexOf(upper) > order.indexOf(lower);
    };
    QTRY_VERIFY_WITH_TIMEOUT(above(about, m_main), kWindowTimeoutMs);

    QVERIFY(input::click(inMain(kBlankMain)));
    QTRY_VERIFY_WITH_TIMEOUT(above(m_main, about), kWindowTimeoutMs);

    // The About window sits inside the main window's area: move part of it
    // out from behind, then click it.
    QVERIFY(input::xdotool({u"windowmove"_s, QString::number(about), u"20"_s, u"20"_s}));
    QTRY_COMPARE_WITH_TIMEOUT(m_screen.clientRect(about).topLeft().x() < m_screen.frameRect(m_main).left(), true,
                              kWindowTimeoutMs);
    QVERIFY(input::click(m_screen.clientRect(about).topLeft() + kBlankAbout));
    QTRY_VERIFY_WITH_TIMEOUT(above(about, m_main), kWindowTimeoutMs);

    QVERIFY(input::click(inMain(kBlankMain)));
    QTRY_VERIFY_WITH_TIMEOUT(above(m_main, about), kWindowTimeoutMs);
}

void TestX11Program::quitEndsAtOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("quit button, About window open") << u"quit button"_s;
    QTest::newRow("main close box, About window open") << u"close box"_s;
    QTest::newRow("main window closed, About window collapsing") << u"during collapse"_s;
}

void TestX11Program::quitEndsAtOnce()
{
    QFETCH(QString, how);
    if (how == u"during collapse") {
        // The quit goes out as soon as the window manager has applied the
        // collapse's first step, so that it arrives while the collapse runs.
        // Should the collapse be over before that (a busy machine), the quit
        // ends the program all the same: it is started again, and tried again.
        bool sentDuringCollapse = false;
        for (int attempt = 0; attempt < 5 && !sentDuringCollapse; ++attempt) {
            const XWindow about = openAbout();
            QVERIFY2(about, "no centred About window appeared");
            const QSize full = m_screen.clientRect(about).size();
            m_screen.watchSizes(about);
            // Closed through the window manager, as its close box does, which
            // unlike a click through xdotool takes no time on the test's side.
            m_screen.requestClose(about);
            // Watched closely: the whole collapse may take only some tens of milliseconds.
            QElapsedTimer clock;
            clock.start();
            QList<QSize> sizes;
            while (clock.elapsed() < kWindowTimeoutMs && (sizes.isEmpty() || sizes.last() == full)) {
                QThread::usleep(200);
                sizes = m_screen.reportedSizes();
            }
            m_screen.requestClose(m_main);
            // Sent before the last step: the window is larger than the smallest it gets.
            sentDuringCollapse = !sizes.isEmpty() && sizes.last().width() >= kStepPixels;
            if (!sentDuringCollapse) {
                QVERIFY2(m_program->waitForFinished(kQuitTimeoutMs), "the program did not end after the quit");
                QTRY_VERIFY_WITH_TIMEOUT(m_screen.clientsOf("lexorra").isEmpty(), kWindowTimeoutMs);
                startProgram();
            }
        }
        QVERIFY2(sentDuringCollapse, "the collapse always ended before the quit went out");
        QVERIFY2(m_program->waitForFinished(kQuitTimeoutMs), "the program did not end after the quit");
    } else {
        const XWindow about = openAbout();
        QVERIFY2(about, "no centred About window appeared");
        const QSize full = m_screen.clientRect(about).size();
        m_screen.watchSizes(about);
        QVERIFY(how == u"quit button" ? input::click(inMain(kQuitButton)) : clickCloseBox(m_main));
        QVERIFY2(m_program->waitForFinished(kQuitTimeoutMs), "the program did not end after the quit");
        // Ended at once: the About window went as it was, without a step of its collapse.
        for (const QSize &size : m_screen.reportedSizes())
            QCOMPARE(size, full);
    }
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

// The program started in each locale, on a folder whose name is not UTF-8
// (and so can only be entered by its bytes), looks up a word that is not
// ASCII: every title reads the same, decoded as the window system defines,
// and the program prints nothing.
void TestX11Program::sameInEveryLocale_data()
{
    lexorra::testing::addLocaleRows(m_locales.path());
}

void TestX11Program::sameInEveryLocale()
{
    QFETCH(QProcessEnvironment, environment);
    QFETCH(QString, unavailable);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    // Typed through a key of its own, bound before the program reads the keyboard.
    QVERIFY(m_screen.bindKeysym(0xe9)); // eacute

    // Made and removed by its bytes, which Qt's file names cannot hold.
    const QByteArray folder = QFile::encodeName(m_folder->path()) + "/dictionnaire \xe9t\xe9";
    const QByteArray letterFile = folder + "/\xc3\xa9.txt";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const auto removeFolder = qScopeGuard([&] {
        ::unlink(letterFile.constData());
        ::rmdir(folder.constData());
    });
    {
        const QByteArray records = "\xc3\xa9t\xc3\xa9,summer\n\xc3\xa9"
                                   "cole,school\n";
        std::FILE *letters = std::fopen(letterFile.constData(), "wb");
        QVERIFY(letters);
        QCOMPARE(std::fwrite(records.constData(), 1, std::size_t(records.size()), letters),
                 std::size_t(records.size()));
        QCOMPARE(std::fclose(letters), 0);
    }
    startProgram(u"/bin/sh"_s, lexorra::testing::shellArguments(QString::fromUtf8(LEXORRA_PROGRAM), {folder}),
                 environment);
    if (QTest::currentTestFailed())
        QFAIL(m_program->readAllStandardError().constData());
    QCOMPARE(workingDirectoryOf(m_program->processId()), folder);
    QCOMPARE(textOf(m_screen, m_main, "_NET_WM_NAME"), u"Lexorra"_s);
    QCOMPARE(textOf(m_screen, m_main, "WM_NAME"), u"Lexorra"_s);

    QVERIFY(input::click(inMain(kPicture)));
    const XWindow prompt = waitForOtherWindow();
    QVERIFY2(prompt, "no prompt appeared");
    QTRY_COMPARE_WITH_TIMEOUT(m_screen.activeWindow(), prompt, kWindowTimeoutMs);
    QVERIFY(input::xdotool({u"key"_s, u"eacute"_s, u"t"_s, u"eacute"_s, u"Return"_s}));
    const XWindow box = waitForOtherWindow(prompt);
    QVERIFY2(box, "no message box appeared");
    QCOMPARE(textOf(m_screen, box, "_NET_WM_NAME"), u"\u00c9t\u00e9"_s);
    QCOMPARE(textOf(m_screen, box, "WM_NAME"), u"\u00c9t\u00e9"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_screen.activeWindow(), box, kWindowTimeoutMs);
    QVERIFY(input::key(u"Return"_s));
    QTRY_VERIFY_WITH_TIMEOUT(otherWindows().isEmpty(), kWindowTimeoutMs);

    QVERIFY(input::click(inMain(kQuitButton)));
    QVERIFY2(m_program->waitForFinished(kQuitTimeoutMs), "the program did not end after the quit");
    QCOMPARE(m_program->exitCode(), 0);
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
    QCOMPARE(m_program->readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestX11Program)
#include "tst_x11_program.moc"
