#pragma once

#include <QString>
#include <QStringList>

namespace lexorra::import {

/// The folder an import writes into: a temporary folder beside the target, on
/// the same file system, renamed into place only when everything is written.
/// Until then the target is untouched, and whatever the import made is
/// removed when the object goes away.
class OutputFolder final
{
public:
    /// Checks @p target (refused when it is a file, or a folder that is not
    /// empty unless @p replace, and even then when it holds anything but
    /// letter files) and makes the temporary folder, creating the target's
    /// missing parent folders. Throws ImportError.
    OutputFolder(const QString &target, bool replace);
    ~OutputFolder();
    Q_DISABLE_COPY_MOVE(OutputFolder)

    /// The temporary folder to write into.
    [[nodiscard]] const QString &workPath() const { return m_work; }
    /// The target, as an absolute path.
    [[nodiscard]] const QString &targetPath() const { return m_target; }

    /// Puts the written folder in the target's place; an old target is moved
    /// aside first and removed once the new one is in. Throws ImportError.
    void commit();

private:
    void checkTarget() const;

    QString m_target;
    bool m_replace;
    QString m_work;
    QStringList m_createdParents; // deepest first
    bool m_committed = false;
};

} // namespace lexorra::import
