#include "letter_text.h"

#include <QStringDecoder>

#include <array>

namespace lexorra::dictionary {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView kUtf16BeBom("\xFE\xFF", 2);

// Bytes 0x80 to 0x9F of Windows-1252. The five bytes the code page leaves
// undefined map to the C1 control of the same value, as Windows itself does.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *dst++ = (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : char16_t(b);
    }
    return out;
}

} // namespace

DecodedText decodeLetterText(QByteArrayView bytes)
{
    if (bytes.startsWith(kUtf16LeBom) || bytes.startsWith(kUtf16BeBom)) {
        const bool little = bytes.startsWith(kUtf16LeBom);
        QStringDecoder decoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
        return {decoder.decode(bytes.sliced(2)),
                little ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian};
    }
    const QByteArrayView body = bytes.startsWith(kUtf8Bom) ? bytes.sliced(kUtf8Bom.size()) : bytes;
    // ConvertInitialBom keeps a second mark as text: ours was already removed.
    // Stateless makes a sequence cut off at the end of the file an error too,
    // instead of bytes held back for more input that never comes.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return {std::move(text), TextEncoding::Utf8};
    return {decodeWindows1252(body), TextEncoding::Windows1252};
}

} // namespace lexorra::dictionary
