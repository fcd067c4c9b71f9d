#include "file_writes.h"

#include "import_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

// Writes all of @p bytes; false with errno set when the system refuses.
bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, static_cast<size_t>(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = EIO;
            return false;
        }
        data += done;
        left -= done;
    }
    return true;
}

[[noreturn]] void throwWriteError(const QString &path, int error)
{
    throw ImportError(path + u": cannot write: "_s + systemReason(error));
}

} // namespace

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

mode_t creationMask()
{
    // umask() can only be read by setting it; done once, before anything is created.
    static const mode_t mask = [] {
        const mode_t m = ::umask(0077);
        ::umask(m);
        return m;
    }();
    return mask;
}

QStringList makeFolders(const QString &path)
{
    QStringList missing;
    for (QString dir = QDir::cleanPath(QFileInfo(path).absoluteFilePath()); !QFileInfo(dir).isRoot();
         dir = QFileInfo(dir).absolutePath()) {
        struct stat info = {};
        if (::stat(QFile::encodeName(dir).constData(), &info) == 0)
            break;
        missing.append(dir);
    }
    for (qsizetype i = missing.size(); i-- > 0;) {
        if (::mkdir(QFile::encodeName(missing.at(i)).constData(), 0777) != 0 && errno != EEXIST) {
            const int error = errno;
            for (qsizetype j = i + 1; j < missing.size(); ++j)
                ::rmdir(QFile::encodeName(missing.at(j)).constData());
            throw ImportError(missing.at(i) + u": cannot create the folder: "_s + systemReason(error));
        }
    }
    return missing;
}

void writeNewFile(const QString &path, QByteArrayView bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throwWriteError(path, errno);
    if (!writeAll(fd, bytes)) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.constData());
        throwWriteError(path, error);
    }
    // A full disk or quota may only show when the file is closed.
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(name.constData());
        throwWriteError(path, error);
    }
}

StagedFile::StagedFile(QString path, QByteArrayView bytes) : m_path(std::move(path))
{
    const QFileInfo info(m_path);
    m_temporary = QFile::encodeName(info.absolutePath() + u"/."_s + info.fileName() + u"-XXXXXX"_s);
    const int fd = ::mkstemp(m_temporary.data());
    if (fd < 0) {
        const int error = errno;
        m_temporary.clear();
        throwWriteError(m_path, error);
    }
    // mkstemp() makes the file private; the entry gets the usual mode.
    const bool written = ::fchmod(fd, 0666 & ~creationMask()) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
        throwWriteError(m_path, written ? errno : error);
    }
}

StagedFile::~StagedFile()
{
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
}

void StagedFile::commit()
{
    if (std::rename(m_temporary.constData(), QFile::encodeName(m_path).constData()) != 0)
        throwWriteError(m_path, errno);
    m_temporary.clear();
}

} // namespace lexorra::import
