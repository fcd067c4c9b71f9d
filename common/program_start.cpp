#include "program_start.h"

#include <array>
#include <clocale>
#include <cstdlib>

#include <langinfo.h>
#include <strings.h>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80;
constexpr char16_t kLastKeptByte = 0xDCFF;

bool isUtf8Codeset()
{
    const char *codeset = ::nl_langinfo(CODESET);
    return ::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "utf8") == 0;
}

// The length of the valid UTF-8 sequence that starts @p bytes, 0 when none
// does: no overlong forms, no surrogates, nothing beyond U+10FFFF.
qsizetype sequenceLength(QByteArrayView bytes)
{
    const auto byteAt = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    const unsigned lead = byteAt(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (qsizetype i = 1; i < length; ++i) {
        const unsigned byte = byteAt(i);
        if (i >= bytes.size() || byte < low || byte > high)
            return 0;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

// Whether text[i] is a byte decodeArgument() kept: a lone low surrogate in
// its range, not the second half of a pair.
bool isKeptByte(QStringView text, qsizetype i)
{
    const char16_t unit = text[i].unicode();
    return unit >= kFirstKeptByte && unit <= kLastKeptByte && (i == 0 || !text[i - 1].isHighSurrogate());
}

} // namespace

void useUtf8Locale()
{
    // An environment that names a missing locale leaves the C locale.
    std::setlocale(LC_ALL, "");
    if (isUtf8Codeset())
        return;
    // The same language in UTF-8 where it is installed, else C.UTF-8, which
    // the C library always has.
    QByteArray language = std::setlocale(LC_CTYPE, nullptr);
    language.truncate(language.indexOf('.') < 0 ? language.size() : language.indexOf('.'));
    language.truncate(language.indexOf('@') < 0 ? language.size() : language.indexOf('@'));
    QByteArray chosen;
    for (const QByteArray &candidate : {language + ".UTF-8", QByteArray("C.UTF-8"), QByteArray("C.utf8")}) {
        if (std::setlocale(LC_CTYPE, candidate.constData())) {
            chosen = candidate;
            break;
        }
    }
    if (chosen.isEmpty())
        return;
    // LC_ALL would override the character type: its value goes to every other
    // category instead, so that those stay as they were.
    if (const char *all = std::getenv("LC_ALL"); all && *all) {
        const QByteArray value = all;
        static constexpr std::array categories{"LC_COLLATE",   "LC_MONETARY",    "LC_NUMERIC",       "LC_TIME",
                                               "LC_MESSAGES",  "LC_PAPER",       "LC_NAME",          "LC_ADDRESS",
                                               "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};
        for (const char *category : categories)
            ::setenv(category, value.constData(), 1);
        ::unsetenv("LC_ALL");
    }
    ::setenv("LC_CTYPE", chosen.constData(), 1);
}

QString decodeArgument(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = sequenceLength(bytes.sliced(i));
        if (length == 0) {
            text.append(QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[i]))));
            ++i;
            continue;
        }
        text.append(QString::fromUtf8(bytes.sliced(i, length)));
        i += length;
    }
    return text;
}

QByteArray encodeArgument(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isKeptByte(text, i))
            continue;
        bytes.append(text.sliced(start, i - start).toUtf8());
        bytes.append(char(text[i].unicode() - 0xDC00));
        start = i + 1;
    }
    bytes.append(text.sliced(start).toUtf8());
    return bytes;
}

bool holdsInvalidBytes(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isKeptByte(text, i))
            return true;
    }
    return false;
}

QString printableArgument(QStringView text)
{
    QString printable;
    printable.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isKeptByte(text, i))
            printable.append(u"\\x"_s + QString::number(text[i].unicode() - 0xDC00, 16).toUpper());
        else
            printable.append(text[i]);
    }
    return printable;
}

} // namespace lexorra
