// Bad input, refused and replaced output folders, interruption and the menu
// entry, through the real lexorra-import: every failure is one line naming the
// file and place, exit status 1, and leaves nothing behind.
#include "import_fixtures.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

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
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestImportErrors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badInput_data();
    void badInput();
    void existingFolder();
    void interrupted();
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

    const Files sd = stardict(u"s"_s, {{"cat", "chat"}, {"dog", "chien"}}, "m");
    const QStringList sdArgs = {u"s.ifo"_s, u"out"_s};
    QTest::newRow("StarDict version") << withFile(sd, u"s.ifo"_s, QByteArray(sd.at(0).second).replace("2.4.2", "9"))
                                      << sdArgs << 1 << u"^s\\.ifo: unsupported version \"9\""_s;
    QTest::newRow("StarDict idx size") << withFile(sd, u"s.idx"_s, sd.at(1).second + "x") << sdArgs << 1
                                       << u"^s\\.idx: holds 25 bytes, but s\\.ifo gives idxfilesize=24$"_s;
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

void TestImportErrors::existingFolder()
{
    // A folder that is not empty is refused as it is, and --force replaces a
    // folder of letter files whole.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"w.tsv"_s, "new\tnouveau\n"}});
    QVERIFY(QDir(dir.path()).mkpath(u"out/sub"_s) && QDir(dir.path()).mkpath(u"out/empty"_s));
    writeFiles(dir.path(), {{u"out/old.txt"_s, "old"}, {u"out/empty/.keep"_s, {}}});

    Run run = runImporter(dir.path(), {u"w.tsv"_s, u"out"_s});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"out: folder is not empty (--force replaces it)"_s), qPrintable(run.err));
    QCOMPARE(entries(dir.filePath(u"out"_s)), (QStringList{u"empty"_s, u"old.txt"_s, u"sub"_s}));

    // --force deletes only what an import could have written.
    run = runImporter(dir.path(), {u"w.tsv"_s, u"out"_s, u"--force"_s});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"out: holds more than letter files (empty), so --force does not replace it"_s),
             qPrintable(run.err));
    QVERIFY(QDir(dir.filePath(u"out"_s)).removeRecursively() && QDir(dir.path()).mkdir(u"out"_s));
    writeFiles(dir.path(), {{u"out/old.txt"_s, "old"}, {u"out/b.txt"_s, "\"b\",\"x\"\n"}});

    run = runImporter(dir.path(), {u"w.tsv"_s, u"out"_s, u"--force"_s, u"--quiet"_s});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out + run.err, QString());
    QCOMPARE(entries(dir.filePath(u"out"_s)), QStringList{u"n.txt"_s});
    QCOMPARE(entries(dir.path()), (QStringList{u"out"_s, u"w.tsv"_s}));

    // An empty folder is simply filled; a file in the way is never replaced.
    QVERIFY(QDir(dir.path()).mkdir(u"empty"_s));
    QCOMPARE(runImporter(dir.path(), {u"w.tsv"_s, u"empty"_s}).status, 0);
    QCOMPARE(entries(dir.filePath(u"empty"_s)), QStringList{u"n.txt"_s});
    run = runImporter(dir.path(), {u"w.tsv"_s, u"w.tsv"_s, u"--force"_s});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"w.tsv: exists and is not a folder"_s), qPrintable(run.err));
}

void TestImportErrors::interrupted()
{
    // Stopped while it works, the importer removes its temporary folder.
    QByteArray tsv;
    for (int i = 0; i < 400000; ++i)
        tsv += "word" + QByteArray::number(i) + "\ttranslation number " + QByteArray::number(i) + '\n';
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"big.tsv"_s, tsv}});

    for (const int signal : {SIGINT, SIGTERM}) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(LEXORRA_IMPORT_PATH), {u"big.tsv"_s, u"out"_s});
        QVERIFY(process.waitForStarted());
        // Wait until the temporary folder is there, so the signal finds work under way.
        while (process.state() == QProcess::Running && entries(dir.path()).size() < 2)
            QThread::msleep(2);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(60000));
        if (process.exitCode() == 0)
            QSKIP("The import finished before the signal arrived");
        QCOMPARE(process.exitCode(), 128 + signal);
        QCOMPARE(entries(dir.path()), QStringList{u"big.tsv"_s});
        QVERIFY(process.readAllStandardError().contains("interrupted; nothing was written"));
    }
}

void TestImportErrors::menuEntry()
{
    // The entry starts Lexorra in the new folder, passes desktop-file-validate,
    // and keeps awkward names intact.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), dictd(u"d"_s, kArticles, false));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s));

    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    const QList<std::pair<QString, QString>> cases = {
        {u"Café \"de\\en\"; x"_s, u"org.lexorra.Lexorra.Caf_de_en_x.desktop"_s},
        {QString(), u"org.lexorra.Lexorra.Small.desktop"_s}, // the dictionary's own name
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
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed: the entries were not validated");
}

} // namespace lexorra::import::fixtures

QTEST_GUILESS_MAIN(lexorra::import::fixtures::TestImportErrors)
#include "tst_import_errors.moc"
