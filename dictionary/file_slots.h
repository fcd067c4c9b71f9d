#pragma once

#include "delimited_reader.h"
#include "letter_file.h"

#include <QString>
#include <QStringView>

#include <array>
#include <memory>

namespace lexorra::dictionary {

/// Numbered slots for letter files open for sequential input.
///
/// Every operation that fails throws a RuntimeError carrying the condition's
/// number, so a caller's failure handler can decide by number.
class FileSlots final
{
public:
    static constexpr qint16 kFirstFileNumber = 1;
    static constexpr qint16 kLastFileNumber = 255;

    FileSlots() = default;
    Q_DISABLE_COPY_MOVE(FileSlots)

    /// The lowest file number from 1 to 255 that no open file uses.
    /// Throws TooManyFiles when every slot is taken.
    [[nodiscard]] qint16 freeFile() const;

    /// Opens @p name, a bare file name looked for in the current working
    /// directory only, for sequential input under @p number. The file is read
    /// piece by piece as input() needs it; its first piece is read here.
    ///
    /// Throws FileNotFound when there is no such file, and also for a name that
    /// holds a path separator, since that could never name a file of the working
    /// directory; PathFileAccessError for something that is not a regular file
    /// (a directory, a FIFO, a device) or may not be read; BadFileNameOrNumber
    /// for a bad number or a name the file system cannot take;
    /// FileAlreadyOpen when the slot is in use; DeviceIoError when reading fails.
    void open(qint16 number, const QString &name);

    /// Reads the next two fields of the file open under @p number, as views
    /// that stay valid until the next read from, or the closing of, the same
    /// slot. Throws InputPastEndOfFile when the file has no more data for them.
    void input(qint16 number, QStringView &first, QStringView &second) { reader(number).readRecord(first, second); }

    /// True when no more data can be read from the file open under @p number.
    [[nodiscard]] bool eof(qint16 number) const;

    /// About how many characters of text the first @p records lines of the
    /// file open under @p number hold (LetterFile::textSizeHint()); 0 when no
    /// file is open there.
    [[nodiscard]] qsizetype textSizeHint(qint16 number, qsizetype records) const;

    /// Closes the file open under @p number; a slot that holds no open file is
    /// left as it is.
    void close(qint16 number) noexcept;

    /// How many slots hold an open file.
    [[nodiscard]] int openCount() const;

private:
    // A slot keeps its file object and buffers once used, so that later
    // lookups reuse them instead of asking for fresh memory.
    struct Slot
    {
        LetterFile file;
        DelimitedReader reader;
    };

    static constexpr bool isValidNumber(qint16 number)
    {
        return number >= kFirstFileNumber && number <= kLastFileNumber;
    }
    // Inline, as input() is called for every record of a file.
    [[nodiscard]] bool isOpen(qint16 number) const
    {
        return isValidNumber(number) && m_slots[static_cast<size_t>(number)] &&
               m_slots[static_cast<size_t>(number)]->file.isOpen();
    }
    DelimitedReader &reader(qint16 number)
    {
        if (!isOpen(number))
            throwNotOpen();
        return m_slots[static_cast<size_t>(number)]->reader;
    }
    [[nodiscard]] const DelimitedReader &reader(qint16 number) const
    {
        return const_cast<FileSlots *>(this)->reader(number);
    }
    [[noreturn]] static void throwNotOpen();

    std::array<std::unique_ptr<Slot>, kLastFileNumber + 1> m_slots;
};

} // namespace lexorra::dictionary
