#pragma once

#include <QByteArrayView>
#include <QString>

namespace lexorra::dictionary {

/// The encodings a letter file may come in.
enum class TextEncoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Windows1252 };

/// A letter file's text and the encoding it was read in.
struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

/// Decodes a whole letter file, deciding its encoding once: a UTF-16
/// byte-order mark names UTF-16; otherwise bytes that are valid UTF-8 (after an
/// optional UTF-8 byte-order mark) are UTF-8; anything else is Windows-1252,
/// the code page of older letter files. Any byte-order mark is dropped.
[[nodiscard]] DecodedText decodeLetterText(QByteArrayView bytes);

} // namespace lexorra::dictionary
