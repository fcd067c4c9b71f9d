#include "file_slots.h"

#include "runtime_error.h"

namespace lexorra::dictionary {

qint16 FileSlots::freeFile() const
{
    for (qint16 number = kFirstFileNumber; number <= kLastFileNumber; ++number) {
        if (!isOpen(number))
            return number;
    }
    throw RuntimeError(ErrorCode::TooManyFiles);
}

void FileSlots::open(qint16 number, const QString &name)
{
    if (!isValidNumber(number))
        throw RuntimeError(ErrorCode::BadFileNameOrNumber);
    if (isOpen(number))
        throw RuntimeError(ErrorCode::FileAlreadyOpen);

    auto &slot = m_slots[static_cast<size_t>(number)];
    if (!slot)
        slot = std::make_unique<Slot>();
    slot->file.open(name);
    try {
        slot->reader.reset(&slot->file);
    } catch (...) {
        slot->file.close();
        throw;
    }
}

bool FileSlots::eof(qint16 number) const
{
    return reader(number).atEnd();
}

qsizetype FileSlots::textSizeHint(qint16 number, qsizetype records) const
{
    return isOpen(number) ? m_slots[static_cast<size_t>(number)]->file.textSizeHint(records) : 0;
}

void FileSlots::close(qint16 number) noexcept
{
    if (!isOpen(number))
        return;
    Slot &slot = *m_slots[static_cast<size_t>(number)];
    slot.file.close();
    // Lets go of the text read so far (and of any oversized buffer).
    slot.reader.reset(nullptr);
}

int FileSlots::openCount() const
{
    int count = 0;
    for (const auto &slot : m_slots)
        count += (slot && slot->file.isOpen()) ? 1 : 0;
    return count;
}

void FileSlots::throwNotOpen()
{
    throw RuntimeError(ErrorCode::BadFileNameOrNumber);
}

} // namespace lexorra::dictionary
