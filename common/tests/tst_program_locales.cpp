// Both programs on the command line in every locale: the same answers, the
// same letter files written, nothing printed besides, and a name that is not
// UTF-8 entered by its bytes (lexorra) or refused (lexorra-import), never
// changed.
#include "locale_environments.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const char *program, const QList<QByteArray> &arguments, const QProcessEnvironment &environment,
        const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(u"/bin/sh"_s, lexorra::testing::shellArguments(QString::fromUtf8(program), arguments));
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// What the importer prints, without what changes from run to run: the
// folder the run worked in and the time it took.
QByteArray comparable(QByteArray out, const QString &folder)
{
    out.replace(QFile::encodeName(folder), "@");
    return QString::fromUtf8(out).remove(QRegularExpression(u"\\n *Time: [^\\n]*"_s)).toUtf8();
}

// Every file under @p folder, by name, with its bytes; the import's mark
// names the source by its path under @p top, which is left out.
QMap<QString, QByteArray> filesUnder(const QString &top, const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(QDir(folder).relativeFilePath(file.fileName()),
                     file.open(QIODevice::ReadOnly) ? comparable(file.readAll(), top)
                                                    : QByteArray("(unreadable)"));
    }
    return files;
}

const QByteArray kUtf8Folder = "sortie \xc3\xa9t\xc3\xa9";

// A command line run in each locale, and what every locale must give for it:
// an exit status and standard error exactly, standard output as in C.UTF-8.
struct CommandLine
{
    const char *program;
    QList<QByteArray> arguments;
    int status;
    QByteArray err;
};

const QList<CommandLine> &commandLines()
{
    static const QList<CommandLine> lines{
        {LEXORRA_PROGRAM, {"--version"}, 0, {}},
        {LEXORRA_PROGRAM, {"--help"}, 0, {}},
        {LEXORRA_PROGRAM,
         {"missing \xe9t\xe9"},
         2,
         "lexorra: cannot read letter files from \"missing \\xE9t\\xE9\": it does not exist.\n"},
        {LEXORRA_IMPORT_PATH, {"--help"}, 0, {}},
        {LEXORRA_IMPORT_PATH, {"words.tsv", kUtf8Folder}, 0, {}},
        // Refused before anything is written.
        {LEXORRA_IMPORT_PATH,
         {"words.tsv", "sortie \xe9t\xe9"},
         2,
         "lexorra-import: \"sortie \\xE9t\\xE9\" is not UTF-8; names on the command line must be UTF-8.\n"
         "Try 'lexorra-import --help'.\n"},
    };
    return lines;
}

const QByteArray kWordList = "\xc3\xa9t\xc3\xa9\tsummer\n\xc3\x89"
                             "cole\tschool\nApple\tpomme\n\xc3\xa4hnlich\tsimilar\n";

} // namespace

class TestProgramLocales : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sameInEveryLocale_data();
    void sameInEveryLocale();

private:
    // A folder holding the word list, to run in.
    [[nodiscard]] std::unique_ptr<QTemporaryDir> workFolder() const;

    QTemporaryDir m_locales;
    // Each command line's standard output in C.UTF-8, and the letter files
    // written there.
    QList<QByteArray> m_expectedOut;
    QMap<QString, QByteArray> m_expectedFiles;
};

std::unique_ptr<QTemporaryDir> TestProgramLocales::workFolder() const
{
    auto folder = std::make_unique<QTemporaryDir>();
    QFile list(folder->filePath(u"words.tsv"_s));
    if (!list.open(QIODevice::WriteOnly) || list.write(kWordList) != kWordList.size())
        return {};
    return folder;
}

void TestProgramLocales::initTestCase()
{
    QVERIFY(m_locales.isValid());
    const auto folder = workFolder();
    QVERIFY(folder);
    QProcessEnvironment environment = lexorra::testing::withoutLocale();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    for (const CommandLine &line : commandLines())
        m_expectedOut.append(
            comparable(run(line.program, line.arguments, environment, folder->path()).out, folder->path()));
    m_expectedFiles = filesUnder(folder->path(), folder->filePath(QString::fromUtf8(kUtf8Folder)));
    QVERIFY(m_expectedFiles.contains(u"\u00e9.txt"_s));
}

void TestProgramLocales::sameInEveryLocale_data()
{
    lexorra::testing::addLocaleRows(m_locales.path());
}

void TestProgramLocales::sameInEveryLocale()
{
    QFETCH(QProcessEnvironment, environment);
    QFETCH(QString, unavailable);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));

    const auto folder = workFolder();
    QVERIFY(folder);
    for (qsizetype i = 0; i < commandLines().size(); ++i) {
        const CommandLine &line = commandLines().at(i);
        const QByteArray shown = QByteArray(line.program).split('/').last() + ' ' + line.arguments.join(' ');
        const Run result = run(line.program, line.arguments, environment, folder->path());
        QVERIFY2(result.status == line.status, (shown + ": status " + QByteArray::number(result.status)).constData());
        // Nothing on standard error but the program's own messages.
        QVERIFY2(result.err == line.err, (shown + ": " + result.err).constData());
        QVERIFY2(comparable(result.out, folder->path()) == m_expectedOut.at(i),
                 (shown + ": " + result.out).constData());
    }
    QCOMPARE(filesUnder(folder->path(), folder->filePath(QString::fromUtf8(kUtf8Folder))), m_expectedFiles);
    // The word list and the UTF-8 folder, nothing made for the refused name.
    QCOMPARE(QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
}

QTEST_GUILESS_MAIN(TestProgramLocales)
#include "tst_program_locales.moc"
