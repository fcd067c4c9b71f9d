#include "output_folder.h"

#include "import_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A new, empty folder named after @p stem with a unique ending.
QString makeUniqueFolder(const QString &stem)
{
    QByteArray pattern = QFile::encodeName(stem + u"-XXXXXX"_s);
    if (!::mkdtemp(pattern.data()))
        throw ImportError(stem + u": cannot create a temporary folder: "_s + systemError());
    return QFile::decodeName(pattern);
}

void renameOrThrow(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw ImportError(to + u": cannot move "_s + from + u" there: "_s + systemError());
}

bool isEmptyFolder(const QString &path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

OutputFolder::OutputFolder(const QString &target, bool replace)
    : m_target(QDir::cleanPath(QFileInfo(target).absoluteFilePath())), m_replace(replace)
{
    checkTarget();
    const QFileInfo info(m_target);
    const QString parent = info.absolutePath();
    for (QString dir = parent; !QFileInfo::exists(dir); dir = QFileInfo(dir).absolutePath())
        m_createdParents.append(dir);
    if (!QDir().mkpath(parent)) {
        m_createdParents.clear();
        throw ImportError(parent + u": cannot create the folder"_s);
    }
    try {
        m_work = makeUniqueFolder(parent + u"/."_s + info.fileName() + u".importing"_s);
    } catch (...) {
        for (const QString &dir : std::as_const(m_createdParents))
            QDir().rmdir(dir);
        throw;
    }
}

OutputFolder::~OutputFolder()
{
    if (m_committed)
        return;
    QDir(m_work).removeRecursively();
    for (const QString &dir : std::as_const(m_createdParents))
        QDir().rmdir(dir);
}

void OutputFolder::checkTarget() const
{
    const QFileInfo info(m_target);
    if (!info.exists() && !info.isSymLink())
        return;
    if (!info.isDir() || info.isSymLink())
        throw ImportError(m_target + u": exists and is not a folder"_s);
    if (!m_replace && !isEmptyFolder(m_target))
        throw ImportError(m_target + u": folder is not empty (--force replaces it)"_s);
    // Replacing deletes the old folder; only an earlier import is fair game,
    // never a home folder or a source tree given by mistake.
    const QFileInfoList found =
        QDir(m_target).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : found) {
        if (!entry.isFile() || entry.isSymLink() || !entry.fileName().endsWith(u".txt"_s))
            throw ImportError(m_target + u": holds more than letter files ("_s + entry.fileName() +
                              u"), so --force does not replace it"_s);
    }
}

void OutputFolder::commit()
{
    // Checked again: the target may have changed while the import ran.
    checkTarget();
    if (!QFileInfo::exists(m_target)) {
        renameOrThrow(m_work, m_target);
    } else if (isEmptyFolder(m_target)) {
        // rename() replaces an empty folder in one step.
        renameOrThrow(m_work, m_target);
    } else {
        const QString aside = makeUniqueFolder(QFileInfo(m_target).absolutePath() + u"/."_s +
                                               QFileInfo(m_target).fileName() + u".replaced"_s);
        const QString old = aside + u"/old"_s;
        try {
            renameOrThrow(m_target, old);
        } catch (...) {
            QDir().rmdir(aside);
            throw;
        }
        try {
            renameOrThrow(m_work, m_target);
        } catch (...) {
            std::rename(QFile::encodeName(old).constData(), QFile::encodeName(m_target).constData());
            QDir().rmdir(aside);
            throw;
        }
        QDir(aside).removeRecursively();
    }
    m_committed = true;
}

} // namespace lexorra::import
