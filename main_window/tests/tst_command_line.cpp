// The program's command line: what it answers, what it refuses and with which
// exit status, and that a FOLDER given on it is where the letter files are
// then read from. The program itself is run too, with no display at all.
#include "command_line.h"
#include "fake_lookup.h"
#include "lexorra_version.h"
#include "translator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <linux/capability.h>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;
using lexorra::CommandLineOutcome;
using lexorra::handleCommandLine;

namespace {

// The placeholders a table row may use for paths made at run time.
QStringList resolve(QStringList arguments, const QTemporaryDir &dir)
{
    for (QString &argument : arguments)
        argument.replace(u"@"_s, dir.path());
    return arguments;
}

struct ProgramRun
{
    int exitStatus = -1;
    QString standardOutput;
    QString standardError;
};

// Runs the built program with no display and no platform chosen, as a shell
// on a console or an install script would; when @p unprivileged, without the
// right to pass over file permissions, which root otherwise has.
ProgramRun runProgram(const QStringList &arguments, bool unprivileged = false)
{
    QProcess process;
    if (unprivileged) {
        process.setChildProcessModifier([] {
            ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
            ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
        });
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(QString::fromUtf8(LEXORRA_PROGRAM), arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitStatus = process.exitCode();
    run.standardOutput = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.standardError = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// The table's columns: the arguments after the program's name ("@" is a
// scratch folder holding a.txt, folder/ and loop, a link to itself), whether
// the window should open, the exit status, and patterns the two outputs must
// match.
void addColumns()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("openWindow");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("standardOutput");
    QTest::addColumn<QString>("standardError");
}

// The command lines that the program answers or refuses without a window.
void addAnsweredRows()
{
    const QString help = u"^Usage: lexorra \\[options\\] \\[FOLDER\\]\\n(.*\\n)*.*--help.*\\n(.*\\n)*.*--version"_s;
    const QString version = u"^lexorra %1\\n$"_s.arg(QRegularExpression::escape(QString::fromUtf8(LEXORRA_VERSION)));
    const QString nothing = u"^$"_s;

    QTest::newRow("--help") << QStringList{u"--help"_s} << false << 0 << help << nothing;
    QTest::newRow("-h") << QStringList{u"-h"_s} << false << 0 << help << nothing;
    QTest::newRow("--help wins over a bad folder")
        << QStringList{u"@/none"_s, u"--help"_s} << false << 0 << help << nothing;
    QTest::newRow("--version") << QStringList{u"--version"_s} << false << 0 << version << nothing;
    QTest::newRow("-v") << QStringList{u"-v"_s} << false << 0 << version << nothing;
    QTest::newRow("unknown long option") << QStringList{u"--frobnicate"_s} << false << 2 << nothing
                                         << u"^lexorra: Unknown option 'frobnicate'.\\n$"_s;
    QTest::newRow("unknown short option")
        << QStringList{u"-x"_s, u"@"_s} << false << 2 << nothing << u"^lexorra: Unknown option 'x'.\\n$"_s;
    QTest::newRow("missing folder") << QStringList{u"@/none"_s} << false << 2 << nothing
                                    << u"^lexorra: [^\\n]*\"@/none\"[^\\n]*does not exist[^\\n]*\\n$"_s;
    QTest::newRow("missing parent folder") << QStringList{u"@/none/sub"_s} << false << 2 << nothing
                                           << u"^lexorra: [^\\n]*\"@/none/sub\"[^\\n]*does not exist[^\\n]*\\n$"_s;
    QTest::newRow("a file given as folder") << QStringList{u"@/a.txt"_s} << false << 2 << nothing
                                            << u"^lexorra: [^\\n]*\"@/a.txt\"[^\\n]*not a folder[^\\n]*\\n$"_s;
    QTest::newRow("a link to itself") << QStringList{u"@/loop"_s} << false << 2 << nothing
                                      << u"^lexorra: [^\\n]*\"@/loop\"[^\\n]*cannot be entered \\(.+\\)[^\\n]*\\n$"_s;
    QTest::newRow("empty folder name") << QStringList{QString()} << false << 2 << nothing
                                       << u"^lexorra: [^\\n]*\"\"[^\\n]*does not exist[^\\n]*\\n$"_s;
    QTest::newRow("two folders") << QStringList{u"@"_s, u"@/folder"_s} << false << 2 << nothing
                                 << u"^lexorra: [^\\n]*only one FOLDER[^\\n]*\\n$"_s;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void outcome_data();
    void outcome();
    void program_data();
    void program();
    void folderIsHonoured_data();
    void folderIsHonoured();
    void folderWithoutPermission();

private:
    /// True when @p text matches @p pattern, a table's pattern in which "@"
    /// stands for the scratch folder.
    [[nodiscard]] bool matches(const QString &pattern, const QString &text) const;

    QString m_startDir;
    QTemporaryDir m_dir;
};

void TestCommandLine::init()
{
    m_startDir = QDir::currentPath();
    QVERIFY(m_dir.isValid());
    QFile file(m_dir.filePath(u"a.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("apple,pomme\n") > 0);
    file.close();
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(u"folder"_s));
    QFile::remove(dir.filePath(u"loop"_s));
    QVERIFY(QFile::link(dir.filePath(u"loop"_s), dir.filePath(u"loop"_s)));
}

void TestCommandLine::cleanup()
{
    QVERIFY(QDir::setCurrent(m_startDir));
}

bool TestCommandLine::matches(const QString &pattern, const QString &text) const
{
    const QString dirPattern = QRegularExpression::escape(m_dir.path());
    return QRegularExpression(QString(pattern).replace(u"@"_s, dirPattern)).match(text).hasMatch();
}

void TestCommandLine::outcome_data()
{
    addColumns();
    const QString nothing = u"^$"_s;
    QTest::newRow("no arguments") << QStringList{} << true << 0 << nothing << nothing;
    QTest::newRow("a folder") << QStringList{u"@/folder"_s} << true << 0 << nothing << nothing;
    QTest::newRow("a folder after --") << QStringList{u"--"_s, u"@/folder"_s} << true << 0 << nothing << nothing;
    addAnsweredRows();
}

void TestCommandLine::outcome()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, openWindow);
    QFETCH(int, exitStatus);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);

    const CommandLineOutcome result = handleCommandLine(QStringList{u"lexorra"_s} + resolve(arguments, m_dir));
    QCOMPARE(result.openWindow, openWindow);
    QCOMPARE(result.exitStatus, exitStatus);
    QVERIFY2(matches(standardOutput, result.standardOutput), qPrintable(result.standardOutput));
    QVERIFY2(matches(standardError, result.standardError), qPrintable(result.standardError));
    // Only a folder that was accepted becomes the working directory.
    const bool entersFolder = openWindow && !arguments.isEmpty();
    QCOMPARE(QDir::currentPath() != m_startDir, entersFolder);
}

// The built program gives the same answers, on its standard output and
// error, without a display and without opening a window. (The command lines
// that open the window are run by the tests on a real display.)
void TestCommandLine::program_data()
{
    addColumns();
    addAnsweredRows();
}

void TestCommandLine::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);

    const ProgramRun run = runProgram(resolve(arguments, m_dir));
    QCOMPARE(run.exitStatus, exitStatus);
    QVERIFY2(matches(standardOutput, run.standardOutput), qPrintable(run.standardOutput));
    QVERIFY2(matches(standardError, run.standardError), qPrintable(run.standardError));
}

// After the command line, a lookup opens its letter file in FOLDER, whatever
// the folder is called and whether it is named absolutely or relatively.
void TestCommandLine::folderIsHonoured_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("relative");

    for (const QString &name : {u"plain"_s, u"with space"_s, u"accentué ünïcode"_s, u"-dash"_s, u"a,comma"_s}) {
        QTest::addRow("%s, absolute", qPrintable(name)) << name << false;
        QTest::addRow("%s, relative", qPrintable(name)) << name << true;
    }
}

void TestCommandLine::folderIsHonoured()
{
    QFETCH(QString, folder);
    QFETCH(bool, relative);

    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(folder));
    QFile letterFile(dir.filePath(folder + u"/b.txt"_s));
    QVERIFY(letterFile.open(QIODevice::WriteOnly));
    QVERIFY(letterFile.write("bread,pain\nbutter,beurre\n") > 0);
    letterFile.close();

    QVERIFY(QDir::setCurrent(m_dir.path()));
    const QString given = relative ? folder : dir.filePath(folder);
    const CommandLineOutcome result = handleCommandLine({u"lexorra"_s, u"--"_s, given});
    QVERIFY2(result.openWindow, qPrintable(result.standardError));

    lexorra::testing::FakeEntryList list1;
    lexorra::testing::FakeEntryList list2;
    lexorra::testing::FakeCaption label2;
    lexorra::testing::FakeDialogs dialogs;
    lexorra::dictionary::Translator translator(list1, list2, label2, dialogs);
    dialogs.replies = {u"butter"_s};
    translator.Begin_Translation();
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes.constFirst().title, u"Butter"_s);
    QCOMPARE(dialogs.boxes.constFirst().text, u"Beurre"_s);
    QCOMPARE(list1.entries, (QStringList{u"bread"_s, u"butter"_s}));
    // The scratch folder's own a.txt is not where the lookup looks any more.
    dialogs.replies = {u"apple"_s};
    translator.Begin_Translation();
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(dialogs.boxes.constLast().title, lexorra::dictionary::Translator::kMissingFileTitle.toString());
}

// A folder the user may not enter is refused with the system's reason. Root
// may enter any folder, so the program runs without that right.
void TestCommandLine::folderWithoutPermission()
{
    const QString locked = m_dir.filePath(u"locked"_s);
    QVERIFY(QDir().mkdir(locked));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner));
    const ProgramRun run = runProgram({locked}, true);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(run.exitStatus, 2);
    QVERIFY2(run.standardError.contains(u"cannot be entered"_s), qPrintable(run.standardError));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
