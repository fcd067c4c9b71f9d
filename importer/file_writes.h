#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace lexorra::import {

/// The system's text for the error number @p error, such as "No space left on
/// device".
[[nodiscard]] QString systemReason(int error);

/// The process's file-creation mask. Read once, at the first call.
[[nodiscard]] mode_t creationMask();

/// Makes the folder @p path and whichever of its parents are missing. Returns
/// those it made, deepest first. Throws ImportError with the system's reason.
QStringList makeFolders(const QString &path);

/// Writes @p bytes to the new file @p path, which must not exist yet, with the
/// mode that the creation mask leaves of 0666. On failure removes what it
/// wrote and throws ImportError with the system's reason.
void writeNewFile(const QString &path, QByteArrayView bytes);

/// A file written under a temporary name beside its place and flushed to the
/// disk, put in its place by commit() in one step, replacing any file of that
/// name. Until then the file in its place, if any, is untouched; without
/// commit() nothing is left behind.
class StagedFile final
{
public:
    /// Writes @p bytes for @p path. Throws ImportError with the system's reason.
    StagedFile(QString path, QByteArrayView bytes);
    ~StagedFile();
    Q_DISABLE_COPY_MOVE(StagedFile)

    /// Puts the file in its place. Throws ImportError with the system's reason.
    void commit();

    [[nodiscard]] const QString &path() const { return m_path; }

private:
    QString m_path;
    QByteArray m_temporary; // encoded, empty once committed
};

} // namespace lexorra::import
