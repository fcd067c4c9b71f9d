#include "article_text.h"

#include "text_rules.h"

#include <QVarLengthArray>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

bool isSpaceLike(QChar c)
{
    const char16_t u = c.unicode();
    // Printable ASCII first: most text is.
    if (u > 0x20 && u < 0x7F)
        return false;
    return u < 0x20 || (u >= 0x7F && u < 0xA0) || c.isSpace();
}

// Whether @p text starts with @p word, lower-case ASCII, in any case. ASCII
// is compared here; other characters, which may fold to ASCII ones, by Qt.
bool startsWithWord(QStringView text, QStringView word)
{
    if (text.size() < word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80)
            return text.startsWith(word, Qt::CaseInsensitive);
        if ((c >= u'A' && c <= u'Z' ? c + 0x20 : c) != word.at(i).unicode())
            return false;
    }
    return true;
}

// True when @p line starts with an ASCII character that is none of the
// lower-case @p letters in either case, so that no word of them can start it.
bool startsOutside(QStringView line, QStringView letters)
{
    if (line.isEmpty())
        return true;
    const char16_t first = line.front().unicode();
    return first < 0x80 && !letters.contains(QChar(first | 0x20));
}

// "see:", "Synonyms:" and their like, which point elsewhere.
bool isReference(QStringView line)
{
    static const QStringView kPrefixes[] = {u"see:",      u"see also:", u"synonym:", u"synonyms:", u"antonym:",
                                            u"antonyms:", u"cf.:",      u"cf:",      u"compare:"};
    // Most lines are translations: an ASCII first character alone tells.
    if (startsOutside(line, u"sac"))
        return false;
    for (const QStringView prefix : kPrefixes) {
        if (startsWithWord(line, prefix))
            return true;
    }
    return false;
}

bool isNote(QStringView line)
{
    if (startsOutside(line, u"nu"))
        return false;
    return startsWithWord(line, u"note:") || startsWithWord(line, u"notes:") || startsWithWord(line, u"usage:");
}

// A quoted phrase followed by its translation: "auf der Bank sitzen"  - sit on the bench
bool isExample(QStringView line)
{
    if (!line.startsWith(u'"'))
        return false;
    const qsizetype close = line.indexOf(u'"', 1);
    return close > 0 && line.sliced(close + 1).trimmed().startsWith(u'-');
}

// Where a pronunciation written between slashes ends, or -1. It opens at the
// start of the text or after a space or bracket, so that "from/of" is not one.
qsizetype pronunciationEnd(QStringView text, qsizetype slash)
{
    if (slash > 0) {
        const QChar before = text.at(slash - 1);
        if (!before.isSpace() && before != u'(' && before != u'[')
            return -1;
    }
    if (slash + 1 >= text.size() || text.at(slash + 1).isSpace() || text.at(slash + 1) == u'/')
        return -1;
    constexpr qsizetype kLongest = 100;
    for (qsizetype j = slash + 1; j < text.size() && j - slash <= kLongest; ++j) {
        if (text.at(j) != u'/')
            continue;
        if (j + 1 == text.size())
            return j;
        const QChar after = text.at(j + 1);
        return (after.isSpace() || after == u',' || after == u';' || after == u')' || after == u']' || after == u'.')
                   ? j
                   : -1;
    }
    return -1;
}

// Where an angle-bracket tag such as <n> or <fem, n, sg> ends, or -1.
qsizetype tagEnd(QStringView text, qsizetype open)
{
    constexpr qsizetype kLongest = 60;
    if (open + 1 >= text.size() || text.at(open + 1).isSpace())
        return -1;
    for (qsizetype j = open + 1; j < text.size() && j - open <= kLongest; ++j) {
        if (text.at(j) == u'>')
            return j;
        if (text.at(j) == u'<')
            return -1;
    }
    return -1;
}

struct Stripped
{
    QString text;
    bool hadPronunciation = false;
};

// The line without pronunciations and tags, with its white space collapsed
// and its punctuation tidied: two passes over one string.
Stripped stripAnnotations(QStringView line)
{
    Stripped out;
    QString text(line.size(), Qt::Uninitialized);
    QChar *const begin = text.data();
    QChar *end = begin;
    bool pendingSpace = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        qsizetype skipTo = -1;
        if (c == u'/') {
            skipTo = pronunciationEnd(line, i);
            out.hadPronunciation = out.hadPronunciation || skipTo >= 0;
        } else if (c == u'<') {
            skipTo = tagEnd(line, i);
        }
        if (skipTo >= 0) {
            i = skipTo;
            continue;
        }
        if (isSpaceLike(c)) {
            pendingSpace = end != begin;
            continue;
        }
        if (pendingSpace)
            *end++ = u' ';
        pendingSpace = false;
        *end++ = c;
    }
    // Removals leave "( x )", "()" and " ," behind.
    QChar *tidy = begin;
    for (const QChar *at = begin; at < end; ++at) {
        const QChar c = *at;
        const QChar next = at + 1 < end ? at[1] : QChar();
        const QChar last = tidy != begin ? tidy[-1] : QChar();
        if (c == u' ' && (next == u',' || next == u';' || next == u')' || next == u']'))
            continue;
        if ((c == u',' || c == u';') && (last == u',' || last == u';'))
            continue;
        if ((c == u'(' && next == u')') || (c == u'[' && next == u']')) {
            ++at;
            continue;
        }
        *tidy++ = c;
        if ((c == u'(' || c == u'[') && next == u' ')
            ++at;
    }
    const auto isEdge = [](QChar ch) { return ch == u' ' || ch == u',' || ch == u';'; };
    while (tidy > begin && isEdge(tidy[-1]))
        --tidy;
    qsizetype first = 0;
    while (begin + first < tidy && isEdge(begin[first]))
        ++first;
    text.truncate(tidy - begin);
    if (first > 0)
        text.remove(0, first);
    out.text = std::move(text);
    return out;
}

// "1. " or "12) " at the start of a sense.
QStringView withoutSenseNumber(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && i < 3 && line.at(i).isDigit())
        ++i;
    if (i == 0 || i >= line.size() || (line.at(i) != u'.' && line.at(i) != u')'))
        return line;
    if (i + 1 < line.size() && !line.at(i + 1).isSpace())
        return line;
    return line.sliced(i + 1).trimmed();
}

QString withoutBraces(QStringView line)
{
    QString out(line.size(), Qt::Uninitialized);
    QChar *end = out.data();
    for (const QChar c : line) {
        if (c != u'{' && c != u'}')
            *end++ = c;
    }
    out.truncate(collapseSpacesInPlace(out.data(), end - out.data()));
    return out;
}

} // namespace

qsizetype collapseSpacesInPlace(QChar *text, qsizetype size)
{
    // Written through a pointer: appending character by character costs more
    // than anything else here, over tens of millions of characters.
    QChar *dst = text;
    bool pendingSpace = false;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (isSpaceLike(c)) {
            pendingSpace = dst != text;
            continue;
        }
        if (pendingSpace)
            *dst++ = u' ';
        pendingSpace = false;
        *dst++ = c;
    }
    return dst - text;
}

QString collapsedSpaces(QStringView text)
{
    QString out = text.toString();
    out.truncate(collapseSpacesInPlace(out.data(), out.size()));
    return out;
}

QString lookupFormPlain(QStringView text)
{
    return dictionary::normalisedWord(collapsedSpaces(text));
}

QString lookupForm(QStringView text)
{
    // One pass that collapses and lowers, for Latin-1, where lower case is one
    // character for one; anything else takes the plain way.
    QString word(text.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(word.data());
    char16_t *out = begin;
    bool pendingSpace = false;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= 0x100)
            return lookupFormPlain(text);
        if (c <= 0x20 || (c >= 0x7F && c <= 0xA0)) {
            pendingSpace = out != begin;
            continue;
        }
        if (pendingSpace)
            *out++ = u' ';
        pendingSpace = false;
        const bool upper = (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        *out++ = upper ? char16_t(c + 0x20) : c;
    }
    word.truncate(out - begin);
    return word;
}

QString lookupForm(const QString &text)
{
    // Mostly a dictionary's headwords are written that way already: Latin-1
    // in lower case, single spaces between words.
    bool plain = !text.isEmpty() && text.front() != u' ' && text.back() != u' ';
    for (qsizetype i = 0; plain && i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool upper = (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        plain = ((c > 0x20 && c < 0x7F) || (c > 0xA0 && c <= 0xFF)) ? !upper : c == u' ' && text.at(i - 1) != u' ';
    }
    return plain ? text : lookupForm(QStringView(text));
}

QString storedHeadwordOfForm(QString form)
{
    for (qsizetype i = form.indexOf(u'"'); i >= 0; i = form.indexOf(u'"', i + 1)) {
        const bool opening = i == 0 || form.at(i - 1) == u' ' || form.at(i - 1) == u'(' || form.at(i - 1) == u'[';
        form[i] = opening ? u'“' : u'”';
    }
    return form;
}

QString storedHeadword(QStringView headword)
{
    return storedHeadwordOfForm(lookupForm(headword));
}

QByteArrayView cutArticleBytes(QByteArrayView bytes)
{
    // How far back a break is looked for.
    constexpr qsizetype kBreakSearch = 4096;
    for (qsizetype i = bytes.size(); i > 0 && i > bytes.size() - kBreakSearch; --i) {
        if (bytes[i - 1] == '\n' || bytes[i - 1] == ' ')
            return bytes.first(i);
    }
    qsizetype end = bytes.size();
    // Back over continuation bytes to the start of the last sequence, which may be cut.
    while (end > 0 && (static_cast<unsigned char>(bytes[end - 1]) & 0xC0) == 0x80)
        --end;
    if (end > 0 && static_cast<unsigned char>(bytes[end - 1]) >= 0x80)
        --end;
    return bytes.first(end);
}

void markCut(ArticleText &text)
{
    text.cut = true;
    QStringList &pieces = text.senses.isEmpty() ? text.references : text.senses;
    if (!pieces.isEmpty())
        pieces.last() += u'\u2026';
}

ArticleText plainArticle(QStringView article, QStringView headword)
{
    ArticleText out;
    plainArticleOfForm(article, lookupForm(headword), out);
    return out;
}

void plainArticleOfForm(QStringView article, const QString &headwordForm, ArticleText &out)
{
    out.senses.clear();
    out.references.clear();
    out.headwordLine.clear();
    out.cut = false;
    // Only looked at when no translation comes.
    QVarLengthArray<QStringView, 8> references;
    bool first = true;
    for (qsizetype from = 0; from < article.size();) {
        qsizetype end = article.indexOf(u'\n', from);
        if (end < 0)
            end = article.size();
        const QStringView line = article.sliced(from, end - from).trimmed();
        from = end + 1;
        if (line.isEmpty())
            continue;
        if (isReference(line)) {
            references.append(line);
            first = false;
            continue;
        }
        if (isNote(line) || isExample(line)) {
            first = false;
            continue;
        }
        Stripped sense = stripAnnotations(withoutSenseNumber(line));
        if (first) {
            first = false;
            if (sense.hadPronunciation || lookupForm(sense.text) == headwordForm) {
                out.headwordLine = std::move(sense.text);
                continue;
            }
        }
        if (!sense.text.isEmpty())
            out.senses.append(std::move(sense.text));
    }
    if (out.senses.isEmpty()) {
        for (const QStringView line : references)
            out.references.append(withoutBraces(line));
    }
}

namespace {

QString decodedEntity(QStringView name)
{
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X')
                              ? name.sliced(2).toUInt(&ok, 16)
                              : name.sliced(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return {};
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    static const std::pair<QStringView, QStringView> kNamed[] = {{u"amp", u"&"},   {u"lt", u"<"},   {u"gt", u">"},
                                                                 {u"quot", u"\""}, {u"apos", u"'"}, {u"nbsp", u" "}};
    for (const auto &[entity, text] : kNamed) {
        if (name == entity)
            return text.toString();
    }
    return {};
}

// Element names whose end, or a lone tag of, breaks the line.
bool breaksLine(QStringView name)
{
    static const QStringView kBlocks[] = {u"br", u"p",  u"div", u"li", u"tr",  u"dd",         u"dt", u"h1", u"h2",
                                          u"h3", u"h4", u"h5",  u"h6", u"def", u"blockquote", u"ul", u"ol", u"table"};
    for (const QStringView block : kBlocks) {
        if (name.compare(block, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString markupText(QStringView markup, bool xdxf)
{
    QString out;
    out.reserve(markup.size());
    // Content of these elements is left out: XDXF's headword and transcription,
    // or HTML's scripts and styles.
    const QList<QStringView> hidden = xdxf ? QList<QStringView>{u"k", u"tr"} : QList<QStringView>{u"script", u"style"};
    QStringView hiding;
    for (qsizetype i = 0; i < markup.size(); ++i) {
        const QChar c = markup.at(i);
        if (c == u'<') {
            const qsizetype close = markup.indexOf(u'>', i + 1);
            if (close < 0)
                break;
            QStringView tag = markup.sliced(i + 1, close - i - 1).trimmed();
            i = close;
            const bool closing = tag.startsWith(u'/');
            if (closing)
                tag = tag.sliced(1);
            qsizetype nameEnd = 0;
            while (nameEnd < tag.size() && !tag.at(nameEnd).isSpace() && tag.at(nameEnd) != u'/')
                ++nameEnd;
            const QStringView name = tag.first(nameEnd);
            if (!hiding.isEmpty()) {
                if (closing && name.compare(hiding, Qt::CaseInsensitive) == 0)
                    hiding = {};
                continue;
            }
            if (!closing && !tag.endsWith(u'/')) {
                for (const QStringView h : hidden) {
                    if (name.compare(h, Qt::CaseInsensitive) == 0)
                        hiding = h;
                }
                if (!hiding.isEmpty())
                    continue;
            }
            if (breaksLine(name))
                out.append(u'\n');
            continue;
        }
        if (!hiding.isEmpty())
            continue;
        if (c == u'&') {
            const qsizetype semi = markup.indexOf(u';', i + 1);
            if (semi > i && semi - i <= 10) {
                const QString decoded = decodedEntity(markup.sliced(i + 1, semi - i - 1));
                if (!decoded.isEmpty()) {
                    out.append(decoded);
                    i = semi;
                    continue;
                }
            }
        }
        out.append(c);
    }
    return out;
}

} // namespace lexorra::import
