#include "letter_text.h"

#include "program_limits.h"
#include "text_scans.h"

#include <array>

#include <string.h>

namespace lexorra::dictionary {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView kUtf16BeBom("\xFE\xFF", 2);
constexpr char16_t kReplacement = 0xFFFD;

// Bytes 0x80 to 0x9F of Windows-1252. The five bytes the code page leaves
// undefined map to the C1 control of the same value, as Windows itself does.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendWindows1252(QByteArrayView bytes, QString &out)
{
    const qsizetype before = out.size();
    out.resize(before + bytes.size());
    char16_t *dst = reinterpret_cast<char16_t *>(out.data()) + before;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *dst++ = (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : char16_t(b);
    }
}

// Appends the text of @p bytes when they are valid UTF-8; false, with nothing
// appended, when they are not. Letter files are mostly ASCII, which is
// copied in runs; the rest is checked by the table of well-formed sequences,
// so that overlong forms, surrogates and sequences cut short all count as
// invalid.
bool appendUtf8(QByteArrayView bytes, QString &out)
{
    const qsizetype before = out.size();
    // No character takes more UTF-16 units than it has UTF-8 bytes.
    out.resize(before + bytes.size());
    char16_t *const first = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = first + before;
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    const unsigned char *const end = src + bytes.size();
    const auto fail = [&] {
        out.truncate(before);
        return false;
    };
    const auto continuation = [](unsigned char b) { return (b & 0xC0) == 0x80; };

    while (src < end) {
        const qsizetype ascii = fast::widenAscii(src, end - src, dst);
        src += ascii;
        dst += ascii;
        if (src == end)
            break;
        const unsigned char lead = *src;
        const qsizetype left = end - src;
        if (lead >= 0xC2 && lead <= 0xDF) {
            if (left < 2 || !continuation(src[1]))
                return fail();
            *dst++ = char16_t(((lead & 0x1F) << 6) | (src[1] & 0x3F));
            src += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            // E0 needs A0..BF next (no overlong form), ED needs 80..9F (no surrogate).
            const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
            const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
            if (left < 3 || src[1] < low || src[1] > high || !continuation(src[2]))
                return fail();
            *dst++ = char16_t(((lead & 0x0F) << 12) | ((src[1] & 0x3F) << 6) | (src[2] & 0x3F));
            src += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            // F0 needs 90..BF next (no overlong form), F4 needs 80..8F (nothing past U+10FFFF).
            const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
            if (left < 4 || src[1] < low || src[1] > high || !continuation(src[2]) || !continuation(src[3]))
                return fail();
            const char32_t code = (char32_t(lead & 0x07) << 18) | (char32_t(src[1] & 0x3F) << 12) |
                                  (char32_t(src[2] & 0x3F) << 6) | char32_t(src[3] & 0x3F);
            *dst++ = QChar::highSurrogate(code);
            *dst++ = QChar::lowSurrogate(code);
            src += 4;
        } else {
            return fail();
        }
    }
    out.truncate(dst - first);
    return true;
}

// Appends the text of @p bytes as @p decoder reads it; false (and nothing
// appended) when the bytes are not valid for it.
bool appendDecoded(QStringDecoder &decoder, QByteArrayView bytes, QString &out)
{
    const qsizetype before = out.size();
    out.resize(before + decoder.requiredSpace(bytes.size()));
    const QChar *end = decoder.appendToBuffer(out.data() + before, bytes);
    if (decoder.hasError()) {
        out.truncate(before);
        return false;
    }
    out.truncate(end - out.constData());
    return true;
}

qsizetype firstLineBreak(QByteArrayView bytes)
{
    const qsizetype lf = bytes.indexOf('\n');
    const qsizetype cr = bytes.first(lf < 0 ? bytes.size() : lf).indexOf('\r');
    return cr >= 0 ? cr : lf;
}

qsizetype lastLineBreak(QByteArrayView bytes)
{
    // memrchr() where the C library has it: Qt's search backwards goes a
    // byte at a time, and a file without CR is searched through for one.
    const auto lastOf = [bytes](char c) -> qsizetype {
        if (bytes.isEmpty())
            return -1;
#ifdef __GLIBC__
        const void *found = ::memrchr(bytes.data(), c, static_cast<size_t>(bytes.size()));
        return found ? static_cast<const char *>(found) - bytes.data() : -1;
#else
        return bytes.lastIndexOf(c);
#endif
    };
    return std::max(lastOf('\n'), lastOf('\r'));
}

} // namespace

LetterDecoder::LetterDecoder()
    // ConvertInitialBom: the file's own mark was already taken off, so any
    // other one is text.
    : m_longUtf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)
{}

void LetterDecoder::reset() noexcept
{
    m_mode = Mode::Start;
    m_sawWindows1252 = false;
    m_highSurrogate = 0;
    if (m_pending.capacity() > kKeptReadBuffer)
        m_pending = QByteArray();
    else
        m_pending.truncate(0);
}

TextEncoding LetterDecoder::encoding() const
{
    switch (m_mode) {
    case Mode::Utf16LittleEndian:
        return TextEncoding::Utf16LittleEndian;
    case Mode::Utf16BigEndian:
        return TextEncoding::Utf16BigEndian;
    default:
        return m_sawWindows1252 ? TextEncoding::Windows1252 : TextEncoding::Utf8;
    }
}

void LetterDecoder::decode(QByteArrayView bytes, QString &out)
{
    if (m_mode == Mode::Start) {
        // The byte-order mark needs the first three bytes.
        const qsizetype take = std::min<qsizetype>(bytes.size(), kUtf8Bom.size() - m_pending.size());
        m_pending.append(bytes.first(take));
        bytes = bytes.sliced(take);
        if (m_pending.size() < kUtf8Bom.size())
            return;
        decodeStart(out);
    }
    if (m_mode == Mode::Utf16LittleEndian || m_mode == Mode::Utf16BigEndian) {
        decodeUtf16(bytes, out);
        return;
    }

    while (!bytes.isEmpty()) {
        if (m_mode == Mode::LongUtf8Line || m_mode == Mode::LongWindows1252Line) {
            const qsizetype lineEnd = firstLineBreak(bytes);
            const qsizetype take = lineEnd < 0 ? bytes.size() : lineEnd + 1;
            decodeLongLine(bytes.first(take), out);
            if (lineEnd >= 0)
                m_mode = Mode::Lines;
            bytes = bytes.sliced(take);
        } else if (m_pending.isEmpty()) {
            // Whole lines are decoded straight from the caller's bytes; only
            // the unfinished last line is copied and held back.
            const qsizetype lastEnd = lastLineBreak(bytes);
            if (lastEnd >= 0)
                decodeLines(bytes.first(lastEnd + 1), out);
            m_pending.append(bytes.sliced(lastEnd + 1));
            bytes = {};
        } else {
            const qsizetype lineEnd = firstLineBreak(bytes);
            const qsizetype take = lineEnd < 0 ? bytes.size() : lineEnd + 1;
            m_pending.append(bytes.first(take));
            bytes = bytes.sliced(take);
            if (lineEnd >= 0) {
                decodeLine(m_pending, out);
                m_pending.truncate(0);
            }
        }
        if (m_pending.size() > kLineDecisionBytes)
            decideLongLine(out);
    }
}

void LetterDecoder::finish(QString &out)
{
    if (m_mode == Mode::Start) {
        decodeStart(out);
    }
    switch (m_mode) {
    case Mode::Utf16LittleEndian:
    case Mode::Utf16BigEndian:
        // A byte short of a code unit, or a high surrogate with nothing after it.
        if (!m_pending.isEmpty() || m_highSurrogate != 0)
            out.append(QChar(kReplacement));
        m_pending.truncate(0);
        m_highSurrogate = 0;
        break;
    case Mode::Lines:
        if (!m_pending.isEmpty())
            decodeLine(m_pending, out);
        m_pending.truncate(0);
        break;
    default:
        // A long line decided as UTF-8 may end in a cut-off sequence, which
        // the stateful decoder drops.
        break;
    }
}

void LetterDecoder::decodeStart(QString &out)
{
    // The first bytes, held back until they show whether a byte-order mark
    // is there, decide how the whole file reads.
    const QByteArray head = std::exchange(m_pending, QByteArray());
    if (head.startsWith(kUtf16LeBom) || head.startsWith(kUtf16BeBom)) {
        m_mode = head.startsWith(kUtf16LeBom) ? Mode::Utf16LittleEndian : Mode::Utf16BigEndian;
        decodeUtf16(QByteArrayView(head).sliced(2), out);
    } else {
        m_mode = Mode::Lines;
        decode(QByteArrayView(head).sliced(head.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0), out);
    }
}

void LetterDecoder::decodeLines(QByteArrayView lines, QString &out)
{
    // Most files are valid UTF-8 throughout: try all the lines at once, and
    // go line by line only when that fails.
    if (appendUtf8(lines, out))
        return;
    while (!lines.isEmpty()) {
        const qsizetype take = firstLineBreak(lines) + 1;
        decodeLine(lines.first(take), out);
        lines = lines.sliced(take);
    }
}

void LetterDecoder::decodeLine(QByteArrayView line, QString &out)
{
    if (appendUtf8(line, out))
        return;
    m_sawWindows1252 = true;
    appendWindows1252(line, out);
}

void LetterDecoder::decideLongLine(QString &out)
{
    // Valid so far, apart from a sequence the next bytes may complete, is
    // UTF-8; anything else is Windows-1252 up to the line's end.
    m_longUtf8.resetState();
    if (appendDecoded(m_longUtf8, m_pending, out)) {
        m_mode = Mode::LongUtf8Line;
    } else {
        m_mode = Mode::LongWindows1252Line;
        m_sawWindows1252 = true;
        appendWindows1252(m_pending, out);
    }
    m_pending.truncate(0);
}

void LetterDecoder::decodeLongLine(QByteArrayView bytes, QString &out)
{
    if (m_mode == Mode::LongWindows1252Line) {
        appendWindows1252(bytes, out);
        return;
    }
    // Bytes that break the UTF-8 of a line already taken as UTF-8 become U+FFFD.
    const qsizetype before = out.size();
    out.resize(before + m_longUtf8.requiredSpace(bytes.size()));
    const QChar *end = m_longUtf8.appendToBuffer(out.data() + before, bytes);
    out.truncate(end - out.constData());
}

void LetterDecoder::decodeUtf16(QByteArrayView bytes, QString &out)
{
    const bool little = m_mode == Mode::Utf16LittleEndian;
    const qsizetype before = out.size();
    out.resize(before + (m_pending.size() + bytes.size()) / 2 + 1);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data()) + before;

    const auto put = [&](char16_t unit) {
        if (m_highSurrogate != 0) {
            if (QChar::isLowSurrogate(unit)) {
                *dst++ = m_highSurrogate;
                *dst++ = unit;
                m_highSurrogate = 0;
                return;
            }
            *dst++ = kReplacement;
            m_highSurrogate = 0;
        }
        if (QChar::isHighSurrogate(unit))
            m_highSurrogate = unit;
        else
            *dst++ = QChar::isLowSurrogate(unit) ? kReplacement : unit;
    };
    const auto unitOf = [little](unsigned char first, unsigned char second) {
        return little ? char16_t(first | (second << 8)) : char16_t((first << 8) | second);
    };

    if (!m_pending.isEmpty() && !bytes.isEmpty()) {
        put(unitOf(static_cast<unsigned char>(m_pending.at(0)), static_cast<unsigned char>(bytes.at(0))));
        m_pending.truncate(0);
        bytes = bytes.sliced(1);
    }
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    for (qsizetype i = 0; i < units; ++i)
        put(unitOf(src[2 * i], src[2 * i + 1]));
    if (bytes.size() % 2 != 0)
        m_pending.append(bytes.back());
    out.truncate(dst - reinterpret_cast<const char16_t *>(out.constData()));
}

} // namespace lexorra::dictionary
