// Lexorra: a word-by-word dictionary translator. It reads its letter files
// (a.txt, b.txt, ...) from the current working directory, or from the folder
// named on its command line.
#include "command_line.h"
#include "frm_trans.h"
#include "program_start.h"
#include "shared_icon_style.h"

#include <QApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    lexorra::useUtf8Locale();
    // The command line is answered before the application object exists, so
    // that --help, --version and a refused folder need no display. A folder
    // is entered by the very bytes it was given as, UTF-8 or not.
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(lexorra::decodeArgument(argv[i]));
    const lexorra::CommandLineOutcome commandLine = lexorra::handleCommandLine(arguments);
    std::fputs(commandLine.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(commandLine.standardError.toLocal8Bit().constData(), stderr);
    if (!commandLine.openWindow)
        return commandLine.exitStatus;

    QApplication app(argc, argv);
    // Lets desktops match the window with its menu entry.
    QGuiApplication::setDesktopFileName(u"org.lexorra.Lexorra"_s);
    // Every prompt and box then shows the same icons instead of new ones.
    lexorra::shareStandardIcons();
    lexorra::FrmTrans frmTrans;
    frmTrans.show();
    return QApplication::exec();
}
