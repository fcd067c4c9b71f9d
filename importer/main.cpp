// lexorra-import: turns a dictd, StarDict or two-column dictionary into a
// folder of letter files.
#include "import_error.h"
#include "import_run.h"
#include "lexorra_version.h"
#include "program_start.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace lexorra::import;

int main(int argc, char *argv[])
{
    lexorra::useUtf8Locale();
    // The names given end up in UTF-8 texts, a menu entry's Path= among them,
    // so a name that is not UTF-8 is refused rather than changed.
    for (int i = 1; i < argc; ++i) {
        const QString argument = lexorra::decodeArgument(argv[i]);
        if (lexorra::holdsInvalidBytes(argument)) {
            std::fprintf(stderr,
                         "lexorra-import: \"%s\" is not UTF-8; names on the command line must be UTF-8.\n"
                         "Try 'lexorra-import --help'.\n",
                         lexorra::printableArgument(argument).toUtf8().constData());
            return ExitUsage;
        }
    }
    installInterruptHandlers();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"lexorra-import"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXORRA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Turns a dictionary into a folder of letter files that Lexorra reads.\n"
                                     "\n"
                                     "SOURCE is a dictd index (NAME.index, beside NAME.dict or NAME.dict.dz),\n"
                                     "a StarDict NAME.ifo (beside NAME.idx[.gz] and NAME.dict[.dz]), or a UTF-8\n"
                                     "word list: NAME.tsv (headword TAB translation) or NAME.csv (headword,\n"
                                     "translation, with double quotes around fields that hold commas).\n"
                                     "The letter files are written into a temporary folder beside\n"
                                     "OUTPUT_FOLDER and moved into place only when complete.\n"
                                     "\n"
                                     "Exit status: 0 done, 1 bad input or a file that could not be read or\n"
                                     "written (nothing is left behind), 2 wrong command line,\n"
                                     "128 + the signal's number when interrupted (nothing is left behind)."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"SOURCE"_s, u"The dictionary to import."_s);
    parser.addPositionalArgument(u"OUTPUT_FOLDER"_s, u"The folder of letter files to create."_s);
    const QCommandLineOption force(
        u"force"_s, u"Replace OUTPUT_FOLDER as a whole when it is not empty (only a folder of letter files)."_s);
    const QCommandLineOption quiet(u"quiet"_s, u"Print neither the progress line nor the summary."_s);
    const QCommandLineOption menuEntry(
        u"menu-entry"_s,
        u"Also add a menu entry \"Lexorra — NAME\" that starts Lexorra in OUTPUT_FOLDER; an empty NAME "
        "takes the dictionary's own name."_s,
        u"NAME"_s);
    parser.addOptions({force, quiet, menuEntry});

    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "lexorra-import: %s\nTry 'lexorra-import --help'.\n",
                     parser.errorText().toLocal8Bit().constData());
        return ExitUsage;
    }
    if (parser.isSet(u"help"_s))
        parser.showHelp(ExitSuccess);
    if (parser.isSet(u"version"_s))
        parser.showVersion();
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "lexorra-import: expected SOURCE and OUTPUT_FOLDER\nTry 'lexorra-import --help'.\n");
        return ExitUsage;
    }

    ImportOptions options;
    options.source = arguments.at(0);
    options.output = arguments.at(1);
    options.force = parser.isSet(force);
    options.quiet = parser.isSet(quiet);
    options.progressLine = ::isatty(STDERR_FILENO) == 1;
    if (parser.isSet(menuEntry))
        options.menuEntry = parser.value(menuEntry);
    return runImport(options, stdout, stderr);
}
