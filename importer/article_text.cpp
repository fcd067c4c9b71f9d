#include "article_text.h"

#include "text_rules.h"

#include <QStringTokenizer>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

bool isSpaceLike(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u < 0xA0) || c.isSpace();
}

bool startsWithWord(QStringView text, QStringView word)
{
    return text.startsWith(word, Qt::CaseInsensitive);
}

// "see:", "Synonyms:" and their like, which point elsewhere.
bool isReference(QStringView line)
{
    static const QStringView kPrefixes[] = {u"see:",      u"see also:", u"synonym:", u"synonyms:", u"antonym:",
                                            u"antonyms:", u"cf.:",      u"cf:",      u"compare:"};
    for (const QStringView prefix : kPrefixes) {
        if (startsWithWord(line, prefix))
            return true;
    }
    return false;
}

bool isNote(QStringView line)
{
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

// The line without pronunciations and tags, with its punctuation tidied.
Stripped stripAnnotations(QStringView line)
{
    Stripped out;
    QString kept(line.size(), Qt::Uninitialized);
    QChar *keptEnd = kept.data();
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        qsizetype end = -1;
        if (c == u'/') {
            end = pronunciationEnd(line, i);
            out.hadPronunciation = out.hadPronunciation || end >= 0;
        } else if (c == u'<') {
            end = tagEnd(line, i);
        }
        if (end >= 0)
            i = end;
        else
            *keptEnd++ = c;
    }
    const QString collapsed = collapsedSpaces(QStringView(kept.constData(), keptEnd));
    // Removals leave "( x )", "()" and " ," behind.
    QString tidy(collapsed.size(), Qt::Uninitialized);
    QChar *const tidyBegin = tidy.data();
    QChar *tidyEnd = tidyBegin;
    for (qsizetype i = 0; i < collapsed.size(); ++i) {
        const QChar c = collapsed.at(i);
        const QChar next = i + 1 < collapsed.size() ? collapsed.at(i + 1) : QChar();
        const QChar last = tidyEnd != tidyBegin ? tidyEnd[-1] : QChar();
        if (c == u' ' && (next == u',' || next == u';' || next == u')' || next == u']'))
            continue;
        if ((c == u',' || c == u';') && (last == u',' || last == u';'))
            continue;
        if ((c == u'(' && next == u')') || (c == u'[' && next == u']')) {
            ++i;
            continue;
        }
        *tidyEnd++ = c;
        if ((c == u'(' || c == u'[') && next == u' ')
            ++i;
    }
    tidy.truncate(tidyEnd - tidyBegin);
    qsizetype begin = 0;
    qsizetype end = tidy.size();
    const auto isEdge = [](QChar ch) { return ch == u' ' || ch == u',' || ch == u';'; };
    while (begin < end && isEdge(tidy.at(begin)))
        ++begin;
    while (end > begin && isEdge(tidy.at(end - 1)))
        --end;
    out.text = tidy.sliced(begin, end - begin);
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
    QString out = line.toString();
    out.remove(u'{');
    out.remove(u'}');
    return collapsedSpaces(out);
}

} // namespace

QString collapsedSpaces(QStringView text)
{
    // Written through a pointer: appending character by character costs more
    // than anything else here, over tens of millions of characters.
    QString out(text.size(), Qt::Uninitialized);
    QChar *const begin = out.data();
    QChar *dst = begin;
    bool pendingSpace = false;
    for (const QChar c : text) {
        if (isSpaceLike(c)) {
            pendingSpace = dst != begin;
            continue;
        }
        if (pendingSpace)
            *dst++ = u' ';
        pendingSpace = false;
        *dst++ = c;
    }
    out.truncate(dst - begin);
    return out;
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
    const QString wanted = dictionary::normalisedWord(collapsedSpaces(headword));
    bool first = true;
    for (QStringView line : qTokenize(article, u'\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (isReference(line)) {
            out.references.append(withoutBraces(line));
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
            if (sense.hadPronunciation || dictionary::normalisedWord(sense.text) == wanted) {
                out.headwordLine = std::move(sense.text);
                continue;
            }
        }
        if (!sense.text.isEmpty())
            out.senses.append(std::move(sense.text));
    }
    return out;
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
