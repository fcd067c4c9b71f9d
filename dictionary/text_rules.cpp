#include "text_rules.h"

using namespace Qt::StringLiterals;

namespace lexorra::dictionary {

namespace {

bool isWordSeparator(char32_t c)
{
    switch (c) {
    case U' ':
    case U'\t':
    case U'\n':
    case U'\v':
    case U'\f':
    case U'\r':
    case U'\0':
        return true;
    default:
        return false;
    }
}

void appendCodePoint(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(static_cast<char16_t>(c)));
    }
}

// Length in UTF-16 units of the code point starting at text[i].
qsizetype codePointLength(QStringView text, qsizetype i)
{
    return (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
}

} // namespace

QString normalisedWord(const QString &reply)
{
    const QString lower = reply.toLower();
    qsizetype begin = 0;
    qsizetype end = lower.size();
    while (begin < end && lower.at(begin) == u' ')
        ++begin;
    while (end > begin && lower.at(end - 1) == u' ')
        --end;
    return lower.sliced(begin, end - begin);
}

QString properCase(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool atWordStart = true;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = codePointLength(text, i);
        const char32_t c = len == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        if (isWordSeparator(c)) {
            appendCodePoint(out, c);
            atWordStart = true;
        } else {
            // Title case rather than upper case, so that digraph letters such as
            // "dž" become "Dž" and not "DŽ" at the start of a word.
            appendCodePoint(out, atWordStart ? QChar::toTitleCase(c) : QChar::toLower(c));
            atWordStart = false;
        }
        i += len;
    }
    return out;
}

QString displayText(QStringView text)
{
    if (text.size() <= kMaxShownLength)
        return text.toString();
    // How far back a word break is looked for before cutting inside a word.
    constexpr qsizetype kBreakSearch = 200;
    constexpr QChar kEllipsis(u'\u2026');

    qsizetype cut = kMaxShownLength - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    for (qsizetype i = cut; i > cut - kBreakSearch; --i) {
        if (isWordSeparator(text.at(i).unicode())) {
            cut = i;
            break;
        }
    }
    while (cut > 0 && isWordSeparator(text.at(cut - 1).unicode()))
        --cut;
    return text.first(cut).toString() + kEllipsis;
}

QString firstChars(const QString &text, int n)
{
    return leadingChars(text, n).toString();
}

QStringView leadingChars(QStringView text, int n)
{
    qsizetype units = 0;
    for (int taken = 0; taken < n && units < text.size(); ++taken)
        units += codePointLength(text, units);
    return text.first(units);
}

QString letterFileName(const QString &searchWord)
{
    // One character plus ".txt" fills the five-character field exactly; only an
    // empty word leaves a character over, which is padded with a space.
    if (searchWord.isEmpty())
        return u".txt "_s;
    return firstChars(searchWord, 1) + u".txt"_s;
}

} // namespace lexorra::dictionary
