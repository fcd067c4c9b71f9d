// Window titles as the window system receives them: an empty title must reach
// it empty, not as the program's name, for the lookup's boxes and the About
// window, from their first showing on and after a change of title.

#include "frmab_out.h"
#include "program_start.h"
#include "qt_user_dialogs.h"
#include "x_screen.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;
// The dictionary core's names, wherever its namespace sits.
using namespace lexorra;
using lexorra::testing::XScreen;
using lexorra::testing::XWindow;

namespace {

constexpr int kTimeoutMs = 10000;

// The two titles as decoded from their property types.
struct SeenTitles
{
    QString netWmName;
    QString wmName;
    bool mapped = false;
};

} // namespace

class TestX11WindowTitles final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void boxTitlesOnScreen_data();
    void boxTitlesOnScreen();
    void aboutTitleOnScreen();
    void titleChangedWhileShown_data();
    void titleChangedWhileShown();

private:
    // Waits until @p window is on the screen, then reads its titles there.
    [[nodiscard]] SeenTitles titlesOnScreen(QWidget *window);

    XScreen m_screen;
};

void TestX11WindowTitles::initTestCase()
{
    QVERIFY2(m_screen.isValid(), "no X server at $DISPLAY");
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
}

SeenTitles TestX11WindowTitles::titlesOnScreen(QWidget *window)
{
    SeenTitles seen;
    const auto id = static_cast<XWindow>(window->winId());
    // Managed by the window manager: it has put a frame around it.
    (void)QTest::qWaitFor([&] { return m_screen.isViewable(id) && m_screen.frameExtents(id).has_value(); }, kTimeoutMs);
    seen.mapped = m_screen.isViewable(id);
    seen.netWmName = m_screen.text(id, "_NET_WM_NAME").value_or(u"(not set)"_s);
    seen.wmName = m_screen.text(id, "WM_NAME").value_or(u"(not set)"_s);
    return seen;
}

void TestX11WindowTitles::boxTitlesOnScreen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    const QStringList titles{QString(), u" Lexorra."_s, u"Warning !"_s, u" "_s, u"Ève"_s};
    for (const QString &kind : {u"prompt"_s, u"information"_s, u"critical"_s}) {
        for (const QString &title : titles)
            QTest::addRow("%s \"%s\"", qPrintable(kind), qPrintable(title)) << kind << title;
    }
}

void TestX11WindowTitles::boxTitlesOnScreen()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QtUserDialogs dialogs(nullptr);
    SeenTitles seen;
    bool opened = false;
    // The box waits in its own event loop; read it and close it from there.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || opened)
            return;
        opened = true;
        seen = titlesOnScreen(box);
        box->reject();
    });
    poll.start();
    if (kind == u"prompt")
        (void)dialogs.prompt(u"message"_s, title);
    else
        dialogs.messageBox(u"text"_s, title,
                           kind == u"critical" ? dictionary::MessageIcon::Critical
                                               : dictionary::MessageIcon::Information);
    poll.stop();

    QVERIFY(opened);
    QVERIFY(seen.mapped);
    QCOMPARE(seen.netWmName, title);
    QCOMPARE(seen.wmName, title);
}

void TestX11WindowTitles::aboutTitleOnScreen()
{
    QPointer<lexorra::FrmabOut> about = new lexorra::FrmabOut;
    about->show();
    const SeenTitles seen = titlesOnScreen(about);
    QVERIFY(seen.mapped);
    QCOMPARE(seen.netWmName, QString());
    QCOMPARE(seen.wmName, QString());
    delete about;
}

void TestX11WindowTitles::titleChangedWhileShown_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("emptied") << QStringList{u"Apple"_s, QString()};
    QTest::newRow("emptied twice") << QStringList{QString(), u"Apple"_s, QString()};
    QTest::newRow("given a title") << QStringList{QString(), u"Apple"_s};
}

void TestX11WindowTitles::titleChangedWhileShown()
{
    QFETCH(QStringList, titles);
    QPointer<lexorra::FrmabOut> about = new lexorra::FrmabOut;
    about->show();
    QVERIFY(titlesOnScreen(about).mapped);
    const auto id = static_cast<XWindow>(about->winId());
    for (const QString &title : titles) {
        about->setWindowTitle(title);
        QTRY_COMPARE_WITH_TIMEOUT(m_screen.text(id, "_NET_WM_NAME").value_or(u"(not set)"_s), title, kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_screen.text(id, "WM_NAME").value_or(u"(not set)"_s), title, kTimeoutMs);
    }
    delete about;
}

// The windows run in this process, which starts as the program does: with a
// UTF-8 character type, which the old title (WM_NAME) is encoded from.
int main(int argc, char *argv[])
{
    lexorra::useUtf8Locale();
    QApplication app(argc, argv);
    TestX11WindowTitles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_window_titles.moc"
