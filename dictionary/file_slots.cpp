#include "file_slots.h"

#include "letter_text.h"
#include "runtime_error.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexorra::dictionary {

namespace {

bool isValidNumber(qint16 number)
{
    return number >= FileSlots::kFirstFileNumber && number <= FileSlots::kLastFileNumber;
}

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

// Closes a descriptor when it goes out of scope.
class Descriptor final
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(Descriptor)
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

QByteArray readRegularFile(const QString &name)
{
    // O_NONBLOCK keeps a FIFO of that name from blocking the open; whatever is
    // not a regular file is refused right after it, before any read.
    const Descriptor fd(::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        throw RuntimeError(errorForOpen(errno));

    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        throw RuntimeError(ErrorCode::PathFileAccessError);

    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw RuntimeError(ErrorCode::DeviceIoError);
        }
        bytes.append(buffer, got);
    }
    return bytes;
}

} // namespace

qint16 FileSlots::freeFile() const
{
    for (qint16 number = kFirstFileNumber; number <= kLastFileNumber; ++number) {
        if (!m_slots[static_cast<size_t>(number)])
            return number;
    }
    throw RuntimeError(ErrorCode::TooManyFiles);
}

void FileSlots::open(qint16 number, const QString &name)
{
    if (!isValidNumber(number))
        throw RuntimeError(ErrorCode::BadFileNameOrNumber);
    if (m_slots[static_cast<size_t>(number)])
        throw RuntimeError(ErrorCode::FileAlreadyOpen);
    if (name.contains(u'/'))
        throw RuntimeError(ErrorCode::FileNotFound);
    if (name.isEmpty() || name.contains(QChar(u'\0')))
        throw RuntimeError(ErrorCode::BadFileNameOrNumber);

    m_slots[static_cast<size_t>(number)].emplace(decodeLetterText(readRegularFile(name)).text);
}

void FileSlots::input(qint16 number, QString &first, QString &second)
{
    reader(number).readRecord(first, second);
}

bool FileSlots::eof(qint16 number) const
{
    return reader(number).atEnd();
}

void FileSlots::close(qint16 number) noexcept
{
    if (isValidNumber(number))
        m_slots[static_cast<size_t>(number)].reset();
}

int FileSlots::openCount() const
{
    int count = 0;
    for (const auto &slot : m_slots)
        count += slot.has_value() ? 1 : 0;
    return count;
}

DelimitedReader &FileSlots::reader(qint16 number)
{
    return const_cast<DelimitedReader &>(std::as_const(*this).reader(number));
}

const DelimitedReader &FileSlots::reader(qint16 number) const
{
    if (!isValidNumber(number) || !m_slots[static_cast<size_t>(number)])
        throw RuntimeError(ErrorCode::BadFileNameOrNumber);
    return *m_slots[static_cast<size_t>(number)];
}

} // namespace lexorra::dictionary
