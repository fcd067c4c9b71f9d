#include "letter_file.h"

#include "runtime_error.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexorra::dictionary {

namespace {

ErrorCode errorForOpen(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ErrorCode::FileNotFound;
    case ENAMETOOLONG:
    case ELOOP:
    case EILSEQ:
        return ErrorCode::BadFileNameOrNumber;
    default:
        return ErrorCode::PathFileAccessError;
    }
}

} // namespace

LetterFile::~LetterFile()
{
    close();
}

void LetterFile::open(const QString &name)
{
    close();
    if (name.contains(u'/'))
        throw RuntimeError(ErrorCode::FileNotFound);
    if (name.isEmpty() || name.contains(QChar(u'\0')))
        throw RuntimeError(ErrorCode::BadFileNameOrNumber);

    // O_NONBLOCK keeps a FIFO of that name from blocking the open; whatever is
    // not a regular file is refused right after it, before any read.
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw RuntimeError(errorForOpen(errno));
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw RuntimeError(ErrorCode::PathFileAccessError);
    }
    m_fd = fd;
    m_finished = false;
    m_decoder.reset();
}

void LetterFile::close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    // Lets go of a long line held back, but keeps the chunk buffer for the next file.
    m_decoder.reset();
}

qsizetype LetterFile::textSizeHint(qsizetype records) const
{
    struct stat info = {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || info.st_size <= 0)
        return 0;
    const qsizetype size = info.st_size;
    // The first lines of a file tell the length of its lines well enough;
    // counting more of them would cost every lookup for nothing.
    constexpr qsizetype kHeadBytes = 16 * 1024;
    QByteArray head(std::min(size, kHeadBytes), Qt::Uninitialized);
    const ssize_t got = ::pread(m_fd, head.data(), static_cast<size_t>(head.size()), 0);
    if (got <= 0)
        return 0;
    head.truncate(got);
    // A UTF-16 file spends two bytes on a character, other files about one.
    const qsizetype perChar = head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") ? 2 : 1;
    const qsizetype lines = std::max(head.count('\n'), head.count('\r'));
    if (lines == 0 || got == size)
        return size / perChar;
    const qsizetype perLine = (got + lines - 1) / lines;
    return std::min(size, perLine * records) / perChar;
}

bool LetterFile::readMore(QString &out)
{
    if (m_fd < 0 || m_finished)
        return false;
    if (m_chunk.size() != kChunkBytes)
        m_chunk.resize(kChunkBytes);

    const qsizetype before = out.size();
    // A piece may be held back whole while the decoder waits for a line's
    // end, so read on until text comes out or the file ends.
    while (out.size() == before) {
        const ssize_t got = ::read(m_fd, m_chunk.data(), static_cast<size_t>(kChunkBytes));
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw RuntimeError(ErrorCode::DeviceIoError);
        }
        if (got == 0) {
            m_finished = true;
            m_decoder.finish(out);
            return out.size() > before;
        }
        m_decoder.decode(QByteArrayView(m_chunk.constData(), got), out);
    }
    return true;
}

} // namespace lexorra::dictionary
