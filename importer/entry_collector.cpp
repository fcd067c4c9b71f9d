#include "entry_collector.h"

#include "file_writes.h"
#include "import_error.h"
#include "progress.h"
#include "text_rules.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

// Separates the parts of an entry's senses or references in the arena. It is a
// control character, and control characters never survive collapsedSpaces().
constexpr char kPartSeparator = '\x1f';

QList<QByteArrayView> parts(std::string_view joined)
{
    QList<QByteArrayView> out;
    if (joined.empty())
        return out;
    size_t from = 0;
    for (;;) {
        const size_t at = joined.find(kPartSeparator, from);
        out.append(QByteArrayView(joined.data() + from,
                                  qsizetype((at == std::string_view::npos ? joined.size() : at) - from)));
        if (at == std::string_view::npos)
            return out;
        from = at + 1;
    }
}

// Appends every part of @p from not yet in @p seen (compared without case,
// since translations are shown in proper case anyway).
void mergeParts(std::string_view from, QSet<QString> &seen, QByteArray &joined)
{
    for (const QByteArrayView part : parts(from)) {
        if (part.isEmpty())
            continue;
        const QString key = QString::fromUtf8(part).toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (!joined.isEmpty())
            joined += "; ";
        joined += part;
    }
}

// Characters of UTF-8 @p bytes as the window counts them: UTF-16 units.
qsizetype utf16Length(QByteArrayView bytes)
{
    qsizetype units = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        units += ((b & 0xC0) != 0x80 ? 1 : 0) + (b >= 0xF0 ? 1 : 0);
    }
    return units;
}

// Cuts @p text, @p units long, to less than a field holds at the last word
// break before the limit (or at the limit when there is none near it), and
// ends it with "…", so that the window reads the record whole.
void cutToFieldLength(QByteArray &text, qsizetype &units)
{
    constexpr qsizetype kBreakSearch = 4096;
    qsizetype end = 0;
    units = 0;
    for (; end < text.size(); ++end) {
        const auto b = static_cast<unsigned char>(text.at(end));
        if ((b & 0xC0) == 0x80)
            continue;
        const qsizetype width = b >= 0xF0 ? 2 : 1;
        if (units + width > dictionary::kMaxFieldLength - 1)
            break;
        units += width;
    }
    qsizetype cut = end;
    for (qsizetype i = end; i > 0 && i > end - kBreakSearch; --i) {
        if (text.at(i - 1) == ' ') {
            cut = i - 1;
            break;
        }
    }
    // No separator left hanging before the "…".
    while (cut > 0 && (text.at(cut - 1) == ' ' || text.at(cut - 1) == ';' || text.at(cut - 1) == ','))
        --cut;
    units -= utf16Length(QByteArrayView(text).sliced(cut, end - cut));
    text.truncate(cut);
    text += "\xE2\x80\xA6";
    ++units;
}

// The headword as it is written: a double quote cannot be, so it becomes a
// typographic one here, before the letter file is chosen, so that the record
// lands in the file that a lookup of the written headword opens.
QString withTypographicQuotes(QString word)
{
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word.at(i) == u'"') {
            const bool opening = i == 0 || word.at(i - 1) == u' ' || word.at(i - 1) == u'(' || word.at(i - 1) == u'[';
            word[i] = opening ? u'“' : u'”';
        }
    }
    return word;
}

bool isUsableFileName(const QString &name)
{
    return !name.contains(u'/') && !name.contains(QChar(u'\0'));
}

} // namespace

QByteArray quotedField(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '"') {
            // Opening quote at the start of a word, closing quote elsewhere.
            const bool opening = i == 0 || utf8[i - 1] == ' ' || utf8[i - 1] == '(' || utf8[i - 1] == '[';
            out += opening ? "\xE2\x80\x9C" : "\xE2\x80\x9D";
        } else if (c == '\n' || c == '\r') {
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

namespace {

QByteArray joined(const QStringList &list)
{
    QByteArray out;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            out += kPartSeparator;
        out += list.at(i).toUtf8();
    }
    return out;
}

quint64 sortKey(const QByteArray &headword)
{
    quint64 key = 0;
    for (qsizetype i = 0; i < 8; ++i)
        key = (key << 8) | (i < headword.size() ? static_cast<unsigned char>(headword.at(i)) : 0u);
    return key;
}

constexpr size_t kBlockSize = 4 << 20;

} // namespace

const char *EntryCollector::store(const QByteArray &bytes)
{
    const auto size = size_t(bytes.size());
    if (size > m_blockFree) {
        const size_t blockSize = std::max(kBlockSize, size);
        // Left uninitialised: every byte is written before it is read.
        m_blocks.push_back(std::unique_ptr<char[]>(new char[blockSize]));
        m_blockEnd = m_blocks.back().get();
        m_blockFree = blockSize;
    }
    char *at = m_blockEnd;
    std::memcpy(at, bytes.constData(), size);
    m_blockEnd += size;
    m_blockFree -= size;
    return at;
}

void EntryCollector::add(quint64 order, QStringView headword, const ArticleText &text)
{
    const QString word = withTypographicQuotes(dictionary::normalisedWord(collapsedSpaces(headword)));
    if (word.isEmpty()) {
        ++m_skipped.emptyHeadword;
        return;
    }
    if (word.size() > dictionary::kMaxFieldLength) {
        ++m_skipped.longHeadword;
        return;
    }
    if (!isUsableFileName(dictionary::letterFileName(word))) {
        ++m_skipped.unusableFile;
        return;
    }
    const QByteArray utf8 = word.toUtf8();
    const QByteArray senses = joined(text.senses);
    const QByteArray references = joined(text.references);
    Item item{};
    item.key = sortKey(utf8);
    item.order = order;
    item.headwordSize = quint32(utf8.size());
    item.sensesSize = quint32(senses.size());
    item.referencesSize = quint32(references.size());
    item.cut = text.cut;
    item.data = store(utf8 + senses + references);
    m_items.push_back(item);
}

WriteResult EntryCollector::write(const QString &folder, Progress &progress)
{
    WriteResult result;
    result.skipped = m_skipped;

    // UTF-8 bytes compare in code point order.
    std::sort(m_items.begin(), m_items.end(), [](const Item &x, const Item &y) {
        if (x.key != y.key)
            return x.key < y.key;
        const int c = x.headword().compare(y.headword());
        return c != 0 ? c < 0 : x.order < y.order;
    });

    progress.begin(u"Writing"_s, qint64(m_items.size()));
    QString fileName;
    QByteArray fileBytes;
    qint64 fileRecords = 0;
    // What a listing of the file shows: it stops at the first record that the
    // lists cannot take, for their count or for their text.
    qint64 listed = 0;
    qint64 listedUnits = 0;
    bool listingFull = false;
    const auto flush = [&] {
        if (fileRecords == 0)
            return;
        writeNewFile(folder + u'/' + fileName, fileBytes);
        ++result.files;
        pauseAt("writing");
        if (listed < fileRecords)
            result.oversized.append({fileName, fileRecords, listed});
        fileBytes.clear();
        fileRecords = 0;
        listed = 0;
        listedUnits = 0;
        listingFull = false;
    };

    for (size_t i = 0; i < m_items.size();) {
        const std::string_view headword = m_items[i].headword();
        size_t next = i;
        QSet<QString> seen;
        QByteArray senses;
        bool cut = false;
        while (next < m_items.size()) {
            const Item &item = m_items[next];
            if (item.headword() != headword)
                break;
            mergeParts(item.senses(), seen, senses);
            cut = cut || item.cut;
            ++next;
        }
        // Cross-references stand in only for a headword with no translation.
        if (senses.isEmpty()) {
            for (size_t j = i; j < next; ++j)
                mergeParts(m_items[j].references(), seen, senses);
        }
        progress.advance(qint64(next - i));
        const qint64 entries = qint64(next - i);
        i = next;
        if (senses.isEmpty()) {
            result.skipped.noTranslation += entries;
            continue;
        }
        result.duplicatesMerged += entries - 1;

        const QByteArrayView word(headword.data(), qsizetype(headword.size()));
        const QString name = dictionary::letterFileName(QString::fromUtf8(word));
        if (name != fileName) {
            flush();
            fileName = name;
        }
        qsizetype units = utf16Length(senses);
        if (units > dictionary::kMaxFieldLength) {
            cutToFieldLength(senses, units);
            cut = true;
        }
        result.cut += cut ? 1 : 0;
        fileBytes += quotedField(word);
        fileBytes += ',';
        fileBytes += quotedField(senses);
        fileBytes += '\n';
        ++fileRecords;
        ++result.headwords;

        const qsizetype recordUnits = utf16Length(word) + units;
        listingFull =
            listingFull || listed >= dictionary::kMaxEntries || listedUnits + recordUnits > dictionary::kMaxListedText;
        if (!listingFull) {
            ++listed;
            listedUnits += recordUnits;
        }
    }
    flush();
    return result;
}

} // namespace lexorra::import
