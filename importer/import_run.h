#pragma once

#include <QString>

#include <cstdio>
#include <optional>

namespace lexorra::import {

/// Exit statuses of lexorra-import.
enum ExitStatus : int {
    ExitSuccess = 0,
    ExitFailure = 1,      ///< bad input, or a file that could not be read or written
    ExitUsage = 2,        ///< wrong command line
    ExitSignalBase = 128, ///< plus the signal's number, when interrupted
};

struct ImportOptions
{
    QString source;
    QString output;
    bool force = false;
    bool quiet = false;
    bool progressLine = false; ///< standard error is a terminal
    /// Set to write a menu entry; empty means the dictionary's own name.
    std::optional<QString> menuEntry;
};

/// Imports a dictionary as the options say: the letter files appear in the
/// output folder all at once, or not at all. Prints the summary to @p out and
/// a one-line error to @p err. Returns the exit status.
int runImport(const ImportOptions &options, std::FILE *out, std::FILE *err);

} // namespace lexorra::import
