#include "command_line.h"

#include "lexorra_version.h"
#include "program_start.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace {

QString programName()
{
    return u"lexorra"_s;
}

QString errorLine(const QString &text)
{
    return programName() + u": "_s + text + u'\n';
}

// Arguments' bytes that are not UTF-8 are shown as \xHH.
CommandLineOutcome refuse(const QString &text)
{
    return {false, kUsageExitStatus, {}, errorLine(printableArgument(text))};
}

CommandLineOutcome answer(const QString &text)
{
    return {false, 0, text, {}};
}

} // namespace

QString enterFolder(const QString &folder)
{
    const QByteArray path = encodeArgument(folder);
    // chdir() itself tells why a folder cannot be entered, which a check made
    // beforehand could only guess at (a folder may vanish or lose its
    // permissions between the two).
    if (::chdir(path.constData()) == 0)
        return {};
    const int error = errno;
    switch (error) {
    case ENOENT:
        return u"it does not exist"_s;
    case ENOTDIR:
        return u"it is not a folder"_s;
    default:
        return u"it cannot be entered (%1)"_s.arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

CommandLineOutcome handleCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Looks words up, one at a time, in the letter files (a.txt, b.txt, ...) "
                                     u"of a folder and shows their translations."_s);
    const QCommandLineOption helpOption({u"h"_s, u"help"_s}, u"Show this help and exit."_s);
    const QCommandLineOption versionOption({u"v"_s, u"version"_s}, u"Show the version and exit."_s);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addPositionalArgument(u"FOLDER"_s,
                                 u"The folder that holds the letter files; the current working directory "
                                 u"when left out."_s,
                                 u"[FOLDER]"_s);

    if (!parser.parse(arguments))
        return refuse(parser.errorText());

    if (parser.isSet(helpOption)) {
        // The parser names the program only once an application object
        // exists; none does yet, so its usage line is replaced by our own.
        QString help = parser.helpText();
        help.remove(0, help.indexOf(u'\n'));
        return answer(u"Usage: "_s + programName() + u" [options] [FOLDER]"_s + help);
    }
    if (parser.isSet(versionOption))
        return answer(programName() + u' ' + QString::fromLatin1(LEXORRA_VERSION) + u'\n');

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return refuse(u"only one FOLDER may be given, not %1."_s.arg(positional.size()));
    if (positional.size() == 1) {
        const QString &folder = positional.constFirst();
        const QString reason = enterFolder(folder);
        if (!reason.isEmpty())
            return refuse(u"cannot read letter files from \"%1\": %2."_s.arg(folder, reason));
    }
    return {};
}

} // namespace lexorra
