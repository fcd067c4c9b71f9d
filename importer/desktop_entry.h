#pragma once

#include <QByteArray>
#include <QString>

namespace lexorra::import {

/// A per-user menu entry that starts Lexorra in a dictionary's folder.
struct DesktopEntry
{
    QString fileName; ///< "org.lexorra.Lexorra.NAME.desktop", NAME reduced to safe characters
    QByteArray text;  ///< the entry, UTF-8
};

/// The entry named "Lexorra — @p name" whose working directory is @p folder
/// (absolute).
[[nodiscard]] DesktopEntry desktopEntry(const QString &name, const QString &folder);

/// Where per-user menu entries go: $XDG_DATA_HOME/applications, or
/// ~/.local/share/applications when XDG_DATA_HOME is unset, empty or relative.
[[nodiscard]] QString applicationsFolder();

/// Writes @p entry into applicationsFolder(), replacing one of the same name
/// in one step. Returns its path; throws ImportError.
QString installDesktopEntry(const DesktopEntry &entry);

} // namespace lexorra::import
