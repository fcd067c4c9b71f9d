#pragma once

#include <QByteArray>
#include <QString>

namespace lexorra::import {

/// A per-user menu entry that starts Lexorra in a dictionary's folder.
struct DesktopEntry
{
    /// "org.lexorra.Lexorra.NAME.desktop", NAME written in the characters a
    /// desktop file id allows, so that two names never give one file.
    QString fileName;
    QByteArray text; ///< the entry, UTF-8
};

/// The entry named "Lexorra — @p name" whose working directory is @p folder
/// (absolute).
[[nodiscard]] DesktopEntry desktopEntry(const QString &name, const QString &folder);

/// Where per-user menu entries go: $XDG_DATA_HOME/applications, or
/// ~/.local/share/applications when XDG_DATA_HOME is unset, empty or relative.
[[nodiscard]] QString applicationsFolder();

/// applicationsFolder(), made when it is missing. Throws ImportError.
QString makeApplicationsFolder();

} // namespace lexorra::import
