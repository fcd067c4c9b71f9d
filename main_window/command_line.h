#pragma once

#include <QString>
#include <QStringList>

namespace lexorra {

/// What the command line asks of the program, decided before any window
/// exists, so that answering it never needs a display.
struct CommandLineOutcome
{
    /// True when the program should go on and open its window; false when it
    /// has answered (help, version) or refused, and should end with
    /// exitStatus after writing the two texts below.
    bool openWindow = true;
    int exitStatus = 0;
    QString standardOutput;
    QString standardError;
};

/// Exit status for a command line the program cannot use.
inline constexpr int kUsageExitStatus = 2;

/// Reads the program's command line, @p arguments with the program itself
/// first, each as decodeArgument() gives it:
///
///     lexorra [--help] [--version] [FOLDER]
///
/// With FOLDER, makes it the working directory, so that the letter files are
/// read from there; without it the working directory stays as it is. An
/// unknown option, more than one FOLDER, or a FOLDER that cannot become the
/// working directory is refused with a one-line message for standard error.
[[nodiscard]] CommandLineOutcome handleCommandLine(const QStringList &arguments);

/// Makes @p folder the working directory, by the bytes that decodeArgument()
/// read it from. Returns an empty text on success, else the reason it failed,
/// for a message that names the folder.
[[nodiscard]] QString enterFolder(const QString &folder);

} // namespace lexorra
