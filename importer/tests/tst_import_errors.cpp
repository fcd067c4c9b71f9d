// Bad input, refused and replaced output folders, full disks, kills and the
// menu entry, through the real lexorra-import: every failure is one line naming
// the file and place (and the system's reason), exit status 1, and leaves
// nothing behind; a killed import leaves what the next one cleans up.
#include "import_fixtures.h"
#include "output_folder.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace lexorra::import::fixtures {

namespace {

const QList<std::pair<QByteArray, QByteArray>> kArticles = {
    {"00databaseshort", "Small\n"}, {"one", "one /wʌn/\nun\n"}, {"two", "two\ndeux\n"}, {"three", "three\ntrois\n"}};

Files withFile(Files files, const QString &name, const QByteArray &bytes)
{
    for (auto &[fileName, content] : files) {
        if (fileName == name) {
            content = bytes;
            return files;
        }
    }
    files.append({name, bytes});
    return files;
}

Files withoutFile(Files files, const QString &name)
{
    files.removeIf([&name](const auto &file) { return file.first == name; });
    return files;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The error line without the program's name, after checking that it is the
// only line on standard error.
QString errorLine(const Run &run)
{
    if (!run.err.endsWith(u'\n') || run.err.count(u'\n') != 1)
        return u"not one line: "_s + run.err;
    return run.err.chopped(1).remove(QRegularExpression(u"^lexorra-import: "_s));
}

// A gzip stream of @p mebibytes MiB of "word word …" once inflated, made of
// members one after another: small on disk, large in memory if held whole.
QByteArray inflatingTo(int mebibytes)
{
    return gzipped(QByteArray("word ").repeated(1024 * 1024 / 5 + 1).left(1024 * 1024)).repeated(mebibytes);
}

// The child can no longer pass over permissions, even as root.
void withoutOverridingPermissions()
{
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
}

// The system's reason for @p error as a pattern: in the user's language, as
// the importer gives it.
QString systemReason(int error)
{
    return QRegularExpression::escape(QString::fromLocal8Bit(std::strerror(error)));
}

QProcessEnvironment environmentWith(const QString &name, const QString &value)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(name, value);
    return environment;
}

} // namespace

class TestImportErrors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badInput_data();
    void badInput();
    void outputFolder_data();
    void outputFolder();
    void fullDisk_data();
    void fullDisk();
    void killed_data();
    void killed();
    void liveImportKept();
    void boundedMemory_data();
    void boundedMemory();
    void menuEntry();
};

void TestImportErrors::badInput_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // a regular expression for the one line

    const Files plain = dictd(u"d"_s, kArticles, false);
    const Files packed = dictd(u"d"_s, kArticles, true);
    const QByteArray dz = packed.at(1).second;
    const QByteArray index = plain.at(0).second;
    const QStringList args = {u"d.index"_s, u"out"_s};

    QTest::newRow("missing data file") << withoutFile(plain, u"d.dict"_s) << args << 1
                                       << u"^d\\.index: missing d\\.dict\\.dz or d\\.dict beside it$"_s;
    QTest::newRow("missing index") << withoutFile(plain, u"d.index"_s) << QStringList{u"d.dict"_s, u"out"_s} << 1
                                   << u"^d\\.dict: missing d\\.index beside it$"_s;
    QTest::newRow("bad base-64 digit") << withFile(plain, u"d.index"_s, QByteArray(index).replace("one\t", "one\t*"))
                                       << args << 1 << u"^d\\.index: line 2: bad base-64 digit '\\*'"_s;
    QTest::newRow("no tabs") << withFile(plain, u"d.index"_s, index + "four 12 3\n") << args << 1
                             << u"^d\\.index: line 5: expected headword, offset and length"_s;
    QTest::newRow("offset past the end") << withFile(plain, u"d.index"_s, index + "four\tBAAA\tB\n") << args << 1
                                         << u"^d\\.index: line 5: offset 262144 and length 1 lie past the end"_s;
    QTest::newRow("length past the end") << withFile(plain, u"d.index"_s, index + "four\tA\t/////\n") << args << 1
                                         << u"^d\\.index: line 5: offset 0 and length \\d+ lie past the end"_s;
    QTest::newRow("length past the end of a gzip stream")
        << withFile(packed, u"d.index"_s, index + "four\tA\t" + encodeDictdNumber(quint64(1) << 40) + '\n') << args << 1
        << u"^d\\.index: line 5: offset 0 and length 1099511627776 lie past the end of d\\.dict\\.dz$"_s;
    // A dictzip file tells its size: an entry past it is refused before the
    // data is read, so before its damaged second chunk is found.
    QByteArray damaged = dictzipped(plain.at(1).second, 16);
    damaged[damaged.size() - 20] = char(damaged.at(damaged.size() - 20) ^ 0x55);
    QTest::newRow("length past the end of dictzip data")
        << withFile(withFile(withoutFile(plain, u"d.dict"_s), u"d.dict.dz"_s, damaged), u"d.index"_s,
                    index + "four\tA\t" + encodeDictdNumber(quint64(plain.at(1).second.size() + 1)) + '\n')
        << args << 1 << u"^d\\.index: line 5: offset 0 and length \\d+ lie past the end of d\\.dict\\.dz$"_s;
    QTest::newRow("invalid UTF-8 in index") << withFile(plain, u"d.index"_s, index + "f\xC3(ur\tA\tB\n") << args << 1
                                            << u"^d\\.index: line 5: not valid UTF-8$"_s;
    QTest::newRow("truncated gzip") << withFile(packed, u"d.dict.dz"_s, dz.left(dz.size() - 12)) << args << 1
                                    << u"^d\\.dict\\.dz: byte \\d+: the compressed data is cut short$"_s;
    QTest::newRow("corrupt gzip") << withFile(packed, u"d.dict.dz"_s, QByteArray(dz).replace(12, 4, "\xFF\xFF\xFF\xFF"))
                                  << args << 1 << u"^d\\.dict\\.dz: byte \\d+: corrupt compressed data"_s;
    QTest::newRow("not gzip") << withFile(packed, u"d.dict.dz"_s, "plain text") << args << 1
                              << u"^d\\.dict\\.dz: byte \\d+: corrupt compressed data"_s;

    QTest::newRow("tsv line without tab")
        << Files{{u"w.tsv"_s, "a\tb\nc\td\nno tab here\n"}} << QStringList{u"w.tsv"_s, u"out"_s} << 1
        << u"^w\\.tsv: line 3: no tab between headword and translation$"_s;
    QTest::newRow("tsv invalid UTF-8") << Files{{u"w.tsv"_s, "a\tb\nc\t\xE9t\xE9\n"}}
                                       << QStringList{u"w.tsv"_s, u"out"_s} << 1
                                       << u"^w\\.tsv: line 2: not valid UTF-8$"_s;
    QTest::newRow("csv quote left open") << Files{{u"w.csv"_s, "a,b\nc,\"d\ne,f\n"}}
                                         << QStringList{u"w.csv"_s, u"out"_s} << 1
                                         << u"^w\\.csv: line 2: quoted field not closed$"_s;
    QTest::newRow("nothing to import") << Files{{u"w.tsv"_s, "lonely\t \t\n \tnothing\n\n"}}
                                       << QStringList{u"w.tsv"_s, u"out"_s} << 1
                                       << u"^w\\.tsv: nothing to import: no entry has both a headword and a "
                                          "translation$"_s;

    const Files sd = stardict(u"s"_s, {{"cat", "chat"}, {"dog", "chien"}}, "m");
    const QStringList sdArgs = {u"s.ifo"_s, u"out"_s};
    QTest::newRow("StarDict version") << withFile(sd, u"s.ifo"_s, QByteArray(sd.at(0).second).replace("2.4.2", "9"))
                                      << sdArgs << 1 << u"^s\\.ifo: unsupported version \"9\""_s;
    QTest::newRow("StarDict idx larger") << withFile(sd, u"s.idx"_s, sd.at(1).second + "x") << sdArgs << 1
                                         << u"^s\\.idx: holds more than 24 bytes, but s\\.ifo gives idxfilesize=24$"_s;
    QTest::newRow("StarDict idx smaller") << withFile(sd, u"s.idx"_s, sd.at(1).second.chopped(1)) << sdArgs << 1
                                          << u"^s\\.idx: holds 23 bytes, but s\\.ifo gives idxfilesize=24$"_s;
    QTest::newRow("StarDict article past the end") << withFile(sd, u"s.dict"_s, "chat") << sdArgs << 1
                                                   << u"^s\\.idx: byte 12: offset 4 and length 5 lie past the end"_s;
    QTest::newRow("StarDict idx not UTF-8")
        << withFile(sd, u"s.idx"_s, QByteArray(sd.at(1).second).replace("dog", "d\xFFg")) << sdArgs << 1
        << u"^s\\.idx: byte 12: headword not valid UTF-8$"_s;

    QTest::newRow("unknown kind") << Files{{u"w.txt"_s, "a,b\n"}} << QStringList{u"w.txt"_s, u"out"_s} << 1
                                  << u"^w\\.txt: unknown kind of dictionary"_s;
    QTest::newRow("no such source") << Files{} << QStringList{u"none.tsv"_s, u"out"_s} << 1
                                    << u"^none\\.tsv: no such file$"_s;
    QTest::newRow("one argument") << Files{} << QStringList{u"w.tsv"_s} << 2 << u"^expected SOURCE and OUTPUT_FOLDER"_s;
    QTest::newRow("unknown option") << Files{} << QStringList{u"--fast"_s, u"a"_s, u"b"_s} << 2
                                    << u"^Unknown option 'fast'"_s;
}

void TestImportErrors::badInput()
{
    QFETCH(Files, files);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), files);
    const QStringList before = entries(dir.path());
    // The output's parent folder does not exist either: it is made, then removed again.
    arguments.replaceInStrings(QRegularExpression(u"^out$"_s), u"new/out"_s);
    const Run run = runImporter(dir.path(), arguments);

    QCOMPARE(run.status, status);
    QVERIFY2(run.err.endsWith(u'\n') && run.err.count(u'\n') == (status == 2 ? 2 : 1), qPrintable(run.err));
    const QString line = run.err.section(u'\n', 0, 0).remove(QRegularExpression(u"^lexorra-import: "_s));
    QVERIFY2(QRegularExpression(message).match(line).hasMatch(), qPrintable(line));
    QCOMPARE(entries(dir.path()), before);
    QVERIFY(run.out.isEmpty());
}

namespace {

// What the output folder is before the import.
enum class Before { Nothing, File, Import, ImportBeforeStamps, Unlistable };

} // namespace

void TestImportErrors::outputFolder_data()
{
    QTest::addColumn<Before>("before");
    QTest::addColumn<Files>("extra"); // added into the folder; a name ending in '/' is a folder
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("refusal"); // a regular expression, or empty when the import replaces the folder

    const QByteArray notes = "my notes\n";
    QTest::newRow("import, without --force")
        << Before::Import << Files{} << false << u"/out: folder is not empty \\(--force replaces it\\)$"_s;
    QTest::newRow("a user's notes")
        << Before::Nothing << Files{{u"thesis.txt"_s, notes}, {u"passwords.txt"_s, notes}, {u"todo-list.txt"_s, notes}}
        << true << u"/out: holds passwords\\.txt, which no import wrote, so --force does not replace it$"_s;
    QTest::newRow("a hidden note") << Before::Nothing << Files{{u".secret.txt"_s, notes}} << true
                                   << u"/out: holds \\.secret\\.txt, which no import wrote"_s;
    QTest::newRow("notes named like letter files")
        << Before::Nothing << Files{{u"a.txt"_s, "buy milk\n"}, {u"b.txt"_s, "\"bank\",\"banque\"\n"}} << true
        << u"/out: holds a\\.txt, which no import wrote"_s;
    QTest::newRow("a stamp that is not one")
        << Before::Nothing << Files{{stampFileName(), notes}, {u"b.txt"_s, "\"bank\",\"banque\"\n"}} << true
        << u"/out: holds \\.lexorra-import, which no import wrote"_s;
    QTest::newRow("a note beside an import") << Before::Import << Files{{u"notes.md"_s, notes}} << true
                                             << u"/out: holds notes\\.md, which no import wrote"_s;
    QTest::newRow("a folder beside an import")
        << Before::Import << Files{{u"c.txt/"_s, {}}} << true << u"/out: holds c\\.txt, which no import wrote"_s;
    QTest::newRow("a file in the way") << Before::File << Files{} << true << u"/out: exists and is not a folder$"_s;
    QTest::newRow("a folder that cannot be listed")
        << Before::Unlistable << Files{} << false << u"/out: cannot list the folder: "_s + systemReason(EACCES) + u'$';

    QTest::newRow("an import") << Before::Import << Files{} << true << QString();
    QTest::newRow("an import made before stamps") << Before::ImportBeforeStamps << Files{} << true << QString();
    QTest::newRow("an empty folder") << Before::Nothing << Files{} << false << QString();
}

void TestImportErrors::outputFolder()
{
    // --force replaces only what an import made, and a refusal names the first
    // thing it did not make; nothing is touched before the refusal.
    QFETCH(Before, before);
    QFETCH(Files, extra);
    QFETCH(bool, force);
    QFETCH(QString, refusal);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"old.tsv"_s, "apple\tpomme\nbank\tbanque\n"}, {u"new.tsv"_s, "cat\tchat\n"}});
    const QString out = dir.filePath(u"out"_s);
    if (before == Before::File) {
        writeFiles(dir.path(), {{u"out"_s, "x"}});
    } else if (before == Before::Import) {
        QCOMPARE(runImporter(dir.path(), {u"old.tsv"_s, u"out"_s}).status, 0);
    } else {
        QVERIFY(QDir(dir.path()).mkdir(u"out"_s));
    }
    if (before == Before::ImportBeforeStamps)
        writeFiles(out, {{u"a.txt"_s, "\"apple\",\"pomme\"\n\"avocado\",\"avocat, “fruit”\"\n"},
                         {u"b.txt"_s, "\"bank\",\"banque\"\n"}});
    for (const auto &[name, bytes] : extra) {
        if (name.endsWith(u'/'))
            QVERIFY(QDir(out).mkdir(name));
        else
            writeFiles(out, {{name, bytes}});
    }
    if (before == Before::Unlistable)
        QVERIFY(QFile::setPermissions(out, QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QStringList inDir = entries(dir.path());
    const QStringList inOut = entries(out);

    QStringList arguments{u"new.tsv"_s, u"out"_s};
    if (force)
        arguments << u"--force"_s;
    // The folder's and files' modes come from the umask.
    const Run run = runImporter(dir.path(), arguments, QProcessEnvironment::systemEnvironment(), [] {
        ::umask(027);
        withoutOverridingPermissions();
    });
    if (before == Before::Unlistable)
        QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    if (!refusal.isEmpty()) {
        QCOMPARE(run.status, 1);
        QVERIFY2(QRegularExpression(refusal).match(errorLine(run)).hasMatch(), qPrintable(run.err));
        QCOMPARE(entries(dir.path()), inDir);
        if (before != Before::File)
            QCOMPARE(entries(out), inOut);
        return;
    }
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(entries(out), (QStringList{stampFileName(), u"c.txt"_s}));
    QCOMPARE(lookUp(out, u"cat"_s), shown(u"cat"_s, u"chat"_s));
    QCOMPARE(entries(dir.path()), (QStringList{u"new.tsv"_s, u"old.tsv"_s, u"out"_s}));
    for (const auto &[path, mode] : {std::pair{out, 0750}, {out + u"/c.txt"_s, 0640}}) {
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), mode);
    }
}

void TestImportErrors::fullDisk_data()
{
    QTest::addColumn<QString>("disk");   // the folder a small file system is mounted on
    QTest::addColumn<QString>("output"); // relative to the test's folder
    QTest::addColumn<QString>("message");

    QTest::newRow("letter files")
        << u"disk"_s << u"disk/out"_s
        << u"/disk/\\.out\\.importing-\\w{6}/[^/]+: cannot write: "_s + systemReason(ENOSPC) + u'$';
    QTest::newRow("menu entry") << u"data/applications"_s << u"out"_s
                                << u"/data/applications/org\\.lexorra\\.Lexorra\\.Small\\.desktop: cannot write: "_s +
                                       systemReason(ENOSPC) + u'$';
}

void TestImportErrors::fullDisk()
{
    // A full disk is reported with the system's reason, and leaves neither a
    // folder nor a menu entry behind. The disk is a small file system of the
    // test's own, in a mount namespace of its own.
    QFETCH(QString, disk);
    QFETCH(QString, output);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), dictd(u"d"_s, kArticles, false));
    QVERIFY(QDir(dir.path()).mkpath(disk));

    // Mounts a file system of 64 KiB, fills it, runs the importer and lists
    // what is left on it.
    const QString script =
        u"mount -t tmpfs -o size=64k tmpfs \"$1\" || exit 99; cat /dev/zero > \"$1/fill\" 2>/dev/null;"
        u"disk=$1; shift; \"$@\"; status=$?; echo left:; ls -A \"$disk\"; exit $status"_s;
    // Chrooted processes, and systems that forbid unprivileged user
    // namespaces, may not make one.
    if (QProcess::execute(u"unshare"_s, {u"-Urm"_s, u"true"_s}) != 0)
        QSKIP("No mount namespace of the test's own could be made (unshare -Urm), so no small file system");
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessEnvironment(environmentWith(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s)));
    process.start(u"unshare"_s, {u"-Urm"_s, u"sh"_s, u"-c"_s, script, u"sh"_s, dir.filePath(disk),
                                 QStringLiteral(LEXORRA_IMPORT_PATH), u"d.index"_s, dir.filePath(output),
                                 u"--menu-entry"_s, QString()});
    QVERIFY(process.waitForStarted());
    QVERIFY(process.waitForFinished(60000));
    if (process.exitCode() == 99)
        QSKIP("No small file system could be mounted in a namespace of the test's own (unshare -Urm)");
    const Run run{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                  QString::fromUtf8(process.readAllStandardError())};

    QCOMPARE(run.status, 1);
    QVERIFY2(QRegularExpression(message).match(errorLine(run)).hasMatch(), qPrintable(run.err));
    QCOMPARE(run.out, u"left:\nfill\n"_s);
    QVERIFY(!QFileInfo::exists(dir.filePath(output)));
    QCOMPARE(entries(QFileInfo(dir.filePath(output)).absolutePath()).filter(u"out"_s), QStringList());
}

void TestImportErrors::killed_data()
{
    QTest::addColumn<QByteArray>("point"); // where the import stops for the signal
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("left");  // what the output folder holds then: "", "old" or "new"
    QTest::addColumn<bool>("leftover"); // a work folder for the next import to remove

    QTest::newRow("SIGINT while writing") << QByteArray("writing") << SIGINT << false << QString() << false;
    QTest::newRow("SIGTERM while writing over an import")
        << QByteArray("writing") << SIGTERM << true << u"old"_s << false;
    QTest::newRow("SIGKILL while writing") << QByteArray("writing") << SIGKILL << false << QString() << true;
    QTest::newRow("SIGKILL before the exchange") << QByteArray("exchange") << SIGKILL << true << u"old"_s << true;
    QTest::newRow("SIGKILL after the exchange") << QByteArray("exchanged") << SIGKILL << true << u"new"_s << true;
}

void TestImportErrors::killed()
{
    // Stopped at a known point and then signalled: SIGINT and SIGTERM leave
    // nothing behind; SIGKILL leaves the output folder old or new, never
    // missing, and a work folder that the next import into the same parent
    // removes and reports.
    QFETCH(QByteArray, point);
    QFETCH(int, signal);
    QFETCH(bool, force);
    QFETCH(QString, left);
    QFETCH(bool, leftover);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"old.tsv"_s, "old\tancien\n"}, {u"new.tsv"_s, "new\tnouveau\nzoo\tzoo\n"}});
    if (force)
        QCOMPARE(runImporter(dir.path(), {u"old.tsv"_s, u"out"_s}).status, 0);

    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessEnvironment(environmentWith(u"LEXORRA_IMPORT_PAUSE_AT"_s, QString::fromLatin1(point)));
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(LEXORRA_IMPORT_PATH), {u"new.tsv"_s, u"out"_s, u"--force"_s});
    while (!process.peek(100).contains("paused at " + point))
        QVERIFY2(process.waitForReadyRead(60000), "the import never stopped at its point");
    ::kill(pid_t(process.processId()), signal);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60000));
    if (signal == SIGKILL) {
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(process.exitCode(), 128 + signal);
        QVERIFY(process.readAllStandardError().endsWith("interrupted; nothing was written\n"));
    }

    const QString out = dir.filePath(u"out"_s);
    QCOMPARE(QFileInfo::exists(out), !left.isEmpty());
    if (!left.isEmpty())
        QCOMPARE(lookUp(out, left), shown(left, left == u"old"_s ? u"ancien"_s : u"nouveau"_s));
    const QStringList workFolders = entries(dir.path()).filter(QRegularExpression(u"^\\.out\\.importing-\\w{6}$"_s));
    QCOMPARE(workFolders.size(), leftover ? 1 : 0);

    const Run next = runImporter(dir.path(), {u"new.tsv"_s, u"other"_s, u"--quiet"_s});
    QCOMPARE(next.status, 0);
    const QRegularExpression removal(u"^lexorra-import: removed /.*/"_s +
                                     QRegularExpression::escape(workFolders.value(0)) +
                                     u", left behind by an import that was killed\n$"_s);
    QVERIFY2(leftover ? removal.match(next.err).hasMatch() : next.err.isEmpty(), qPrintable(next.err));
    QCOMPARE(entries(dir.path()).filter(u".importing-"_s), QStringList());
}

void TestImportErrors::liveImportKept()
{
    // The work folder of an import that is still running is not taken for a
    // leftover: that import goes on to the end. Nor is a user's folder that
    // only has a work folder's name.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"w.tsv"_s, "new\tnouveau\nzoo\tzoo\n"}});
    const QString lookalike = dir.filePath(u".notes.importing-Ab12Cd"_s);
    QVERIFY(QDir().mkdir(lookalike));
    writeFiles(lookalike, {{u"a.txt"_s, "my own notes\n"}});
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessEnvironment(environmentWith(u"LEXORRA_IMPORT_PAUSE_AT"_s, u"writing"_s));
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(LEXORRA_IMPORT_PATH), {u"w.tsv"_s, u"out"_s, u"--quiet"_s});
    while (!process.peek(4096).contains("paused at writing"))
        QVERIFY2(process.waitForReadyRead(60000), "the import never stopped at its point");

    const Run other = runImporter(dir.path(), {u"w.tsv"_s, u"other"_s, u"--quiet"_s});
    QCOMPARE(other.status, 0);
    QCOMPARE(other.err, QString());
    QCOMPARE(entries(dir.path()).filter(u".out.importing-"_s).size(), 1);

    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(lookUp(dir.filePath(u"out"_s), u"zoo"_s), shown(u"zoo"_s, u"zoo"_s));
    QCOMPARE(entries(dir.path()), (QStringList{u".notes.importing-Ab12Cd"_s, u"other"_s, u"out"_s, u"w.tsv"_s}));
    QCOMPARE(entries(lookalike), QStringList{u"a.txt"_s});
}

void TestImportErrors::boundedMemory_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // on standard error, or in the summary

    // An article of 800 MiB, then a small one after it.
    const QByteArray huge = inflatingTo(800);
    const quint64 hugeSize = quint64(800) << 20;
    const QByteArray last = "zz\nlast one\n";
    const QByteArray index = "big\tA\t" + encodeDictdNumber(hugeSize) + "\nzz\t" + encodeDictdNumber(hugeSize) + '\t' +
                             encodeDictdNumber(quint64(last.size())) + '\n';
    QTest::newRow("an article of 800 MiB") << Files{{u"d.index"_s, index}, {u"d.dict.dz"_s, huge + gzipped(last)}}
                                           << u"d.index"_s << 0 << u"Translations cut:      1 "_s;
    QTest::newRow("a length past the end of 800 MiB")
        << Files{{u"d.index"_s, "a\tA\t" + encodeDictdNumber(quint64(1) << 40) + '\n'}, {u"d.dict.dz"_s, huge}}
        << u"d.index"_s << 1 << u"^d\\.index: line 1: offset 0 and length 1099511627776 lie past the end"_s;
    QTest::newRow("an index of 800 MiB where the .ifo says 16 bytes")
        << Files{{u"s.ifo"_s, "StarDict's dict ifo file\nversion=2.4.2\nwordcount=1\nidxfilesize=16\n"},
                 {u"s.idx.gz"_s, huge},
                 {u"s.dict"_s, "x"}}
        << u"s.ifo"_s << 1 << u"^s\\.idx\\.gz: holds more than 16 bytes, but s\\.ifo gives idxfilesize=16$"_s;
    QByteArray line = "aa\t" + QByteArray("mot ").repeated(10 << 20) + "\nab\tfin\n";
    QTest::newRow("a line of 40 MiB") << Files{{u"w.tsv"_s, line}} << u"w.tsv"_s << 0 << u"Translations cut:      1 "_s;
}

void TestImportErrors::boundedMemory()
{
    // What a file claims, or a line runs to, does not decide the memory an
    // import takes: each of these runs within a limit of 512 MiB of address
    // space (not under AddressSanitizer, which reserves far more up front).
    QFETCH(Files, files);
    QFETCH(QString, source);
    QFETCH(int, status);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), files);
    const Run run = runImporter(dir.path(), {source, u"out"_s}, QProcessEnvironment::systemEnvironment(), [] {
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit limit{512 << 20, 512 << 20};
        ::setrlimit(RLIMIT_AS, &limit);
#endif
    });
    QVERIFY2(run.status == status, qPrintable(run.err));
    if (status != 0) {
        QVERIFY2(QRegularExpression(message).match(errorLine(run)).hasMatch(), qPrintable(run.err));
        QCOMPARE(entries(dir.path()).filter(u"out"_s), QStringList());
        return;
    }
    QVERIFY2(run.out.contains(message), qPrintable(run.out));
    const QString last = source == u"w.tsv"_s ? u"ab"_s : u"zz"_s;
    QCOMPARE(lookUp(dir.filePath(u"out"_s), last), shown(last, source == u"w.tsv"_s ? u"fin"_s : u"last one"_s));
}

void TestImportErrors::menuEntry()
{
    // The entry starts Lexorra in the new folder, passes desktop-file-validate,
    // keeps awkward names intact, and two names never share an entry.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), dictd(u"d"_s, kArticles, false));
    const QProcessEnvironment environment = environmentWith(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s));

    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    const QList<std::pair<QString, QString>> cases = {
        {u"Café \"de\\en\"; x"_s, u"org.lexorra.Lexorra.Caf_C3_A9_20_22de_5Cen_22_3B_20x.desktop"_s},
        {QString(), u"org.lexorra.Lexorra.Small.desktop"_s}, // the dictionary's own name
        {u"German-English"_s, u"org.lexorra.Lexorra.German_2DEnglish.desktop"_s},
        {u"German English"_s, u"org.lexorra.Lexorra.German_20English.desktop"_s},
        {u"German_English"_s, u"org.lexorra.Lexorra.German_5FEnglish.desktop"_s},
        {u"7 Sprachen"_s, u"org.lexorra.Lexorra._37_20Sprachen.desktop"_s},
    };
    for (const auto &[name, fileName] : cases) {
        const QString folder = dir.filePath(u"dict "_s + fileName);
        const Run run = runImporter(dir.path(), {u"d.index"_s, folder, u"--menu-entry"_s, name}, environment);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString path = dir.filePath(u"data/applications/"_s + fileName);
        QVERIFY2(run.out.contains(u"Menu entry:            "_s + path), qPrintable(run.out));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        const QString shownName = name.isEmpty() ? u"Small"_s : QString(name).replace(u"\\"_s, u"\\\\"_s);
        QVERIFY(lines.contains(u"Name=Lexorra — "_s.append(shownName).toUtf8()));
        QVERIFY(lines.contains("Path=" + folder.toUtf8()));
        QVERIFY(lines.contains("Exec=lexorra"));
        QVERIFY(!lookUp(folder, u"one"_s).isEmpty());

        if (validator.isEmpty())
            continue;
        QProcess validate;
        validate.start(validator, {path});
        QVERIFY(validate.waitForFinished());
        QCOMPARE(validate.exitCode(), 0);
        QCOMPARE(validate.readAll(), QByteArray());
    }
    // Every entry is still there, and nothing else.
    QCOMPARE(entries(dir.filePath(u"data/applications"_s)).size(), cases.size());
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed: the entries were not validated");
}

} // namespace lexorra::import::fixtures

QTEST_GUILESS_MAIN(lexorra::import::fixtures::TestImportErrors)
#include "tst_import_errors.moc"
