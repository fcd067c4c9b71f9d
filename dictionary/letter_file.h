#pragma once

#include "delimited_reader.h"
#include "letter_text.h"

#include <QByteArray>
#include <QString>

namespace lexorra::dictionary {

/// A letter file open for reading, giving its text piece by piece: it reads
/// kChunkBytes at a time and decodes them, so that only one piece of the file
/// is ever in memory, whatever the file's size.
class LetterFile final : public TextSource
{
public:
    /// Bytes read from the disk at a time.
    static constexpr qsizetype kChunkBytes = 64 * 1024;

    LetterFile() = default;
    ~LetterFile() override;
    Q_DISABLE_COPY_MOVE(LetterFile)

    /// Opens @p name, a bare file name looked for in the current working
    /// directory only. Throws FileNotFound when there is no such file, and also
    /// for a name that holds a path separator; PathFileAccessError for
    /// something that is not a regular file (a directory, a FIFO, a device) or
    /// may not be read; BadFileNameOrNumber for a name the file system cannot
    /// take.
    void open(const QString &name);

    /// Closes the file; harmless when it is not open.
    void close() noexcept;

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }

    /// About how many characters of text the first @p records lines of the
    /// file hold, judged by its size and the length of its first lines; 0
    /// when that cannot be told. Does not move the reading position.
    [[nodiscard]] qsizetype textSizeHint(qsizetype records) const;

    /// Appends the text of the next piece of the file to @p out; false at the
    /// end of the file. Throws DeviceIoError when reading fails.
    bool readMore(QString &out) override;

private:
    int m_fd = -1;
    bool m_finished = false;
    QByteArray m_chunk;
    LetterDecoder m_decoder;
};

} // namespace lexorra::dictionary
