#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace lexorra::dictionary {

/// The encodings a letter file may come in.
enum class TextEncoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Windows1252 };

/// Decodes a letter file piece by piece, in whatever pieces its bytes arrive:
/// the text is the same however the bytes are split.
///
/// A UTF-16 byte-order mark decides the whole file; lone surrogates in it
/// become U+FFFD. Otherwise (after an optional UTF-8 byte-order mark) each line
/// is read as UTF-8 when it is valid UTF-8 and as Windows-1252, the code page of
/// older letter files, when it is not; a line then ends after its LF or CR.
/// A line longer than kLineDecisionBytes is judged by that much of it, so that
/// no line is held in memory whole. Any leading byte-order mark is dropped.
class LetterDecoder final
{
public:
    /// How much of a line decides its encoding when the line is longer.
    static constexpr qsizetype kLineDecisionBytes = 4 * 1024 * 1024;

    LetterDecoder();
    Q_DISABLE_COPY_MOVE(LetterDecoder)

    /// Forgets everything, ready for a new file.
    void reset() noexcept;

    /// Decodes the next @p bytes of the file and appends their text to @p out.
    /// Bytes of a line whose end has not arrived yet are held back.
    void decode(QByteArrayView bytes, QString &out);

    /// Appends the text of whatever is held back, at the end of the file.
    void finish(QString &out);

    /// The encoding seen so far, final after finish(): UTF-16 when a
    /// byte-order mark said so; else Windows1252 when at least one line was
    /// read in that code page; else Utf8.
    [[nodiscard]] TextEncoding encoding() const;

private:
    enum class Mode { Start, Lines, LongUtf8Line, LongWindows1252Line, Utf16LittleEndian, Utf16BigEndian };

    void decodeStart(QString &out);
    void decodeLines(QByteArrayView lines, QString &out);
    void decodeLine(QByteArrayView line, QString &out);
    void decodeLongLine(QByteArrayView bytes, QString &out);
    void decideLongLine(QString &out);
    void decodeUtf16(QByteArrayView bytes, QString &out);

    Mode m_mode = Mode::Start;
    bool m_sawWindows1252 = false;
    QByteArray m_pending;
    QStringDecoder m_longUtf8;
    char16_t m_highSurrogate = 0;
};

} // namespace lexorra::dictionary
