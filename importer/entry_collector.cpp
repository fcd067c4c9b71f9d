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

constexpr size_t kBlockSize = 4 << 20;
constexpr qint64 kItemsPerPiece = 1 << 16;

// Writes @p text as UTF-8 at @p out, which has room for three bytes a UTF-16
// unit, and returns the end. A lone surrogate becomes U+FFFD.
char *putUtf8(char *out, QStringView text)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p < end) {
        const char32_t c = *p++;
        if (c < 0x80) {
            *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t code = QChar::surrogateToUcs4(char16_t(c), *p++);
            *out++ = char(0xF0 | (code >> 18));
            *out++ = char(0x80 | ((code >> 12) & 0x3F));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
            *out++ = char(0x80 | (code & 0x3F));
        } else {
            const char32_t code = QChar::isSurrogate(c) ? char32_t(0xFFFD) : c;
            *out++ = char(0xE0 | (code >> 12));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
            *out++ = char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// Writes @p pieces joined by kPartSeparator; returns the end.
char *putParts(char *out, const QStringList &pieces)
{
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            *out++ = kPartSeparator;
        out = putUtf8(out, pieces.at(i));
    }
    return out;
}

qsizetype roomFor(const QStringList &pieces)
{
    qsizetype units = 0;
    for (const QString &piece : pieces)
        units += piece.size() + 1;
    return 3 * units;
}

quint64 sortKey(std::string_view headword, size_t from)
{
    quint64 key = 0;
    for (size_t i = from; i < from + 8; ++i)
        key = (key << 8) | (i < headword.size() ? static_cast<unsigned char>(headword[i]) : 0u);
    return key;
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

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The parts of a headword's translation taken so far, compared without case:
// translations are shown in proper case anyway.
class SeenParts final
{
public:
    void clear()
    {
        m_keys.clear();
        m_hashed.clear();
    }

    /// True when @p part was not seen yet; it is seen from now on.
    bool take(QByteArrayView part)
    {
        // ASCII folds by its letters alone, as case folding does.
        const QByteArray key =
            isAscii(part) ? part.toByteArray().toLower() : QString::fromUtf8(part).toCaseFolded().toUtf8();
        // A few parts are compared one by one; many are hashed.
        constexpr qsizetype kHashFrom = 16;
        if (m_keys.size() < kHashFrom) {
            if (m_keys.contains(key))
                return false;
            m_keys.append(key);
            if (m_keys.size() == kHashFrom)
                m_hashed = QSet<QByteArray>(m_keys.cbegin(), m_keys.cend());
            return true;
        }
        if (m_hashed.contains(key))
            return false;
        m_hashed.insert(key);
        return true;
    }

private:
    QList<QByteArray> m_keys;
    QSet<QByteArray> m_hashed;
};

// Appends to @p joined, after "; ", every part of @p from not seen yet.
void mergeParts(std::string_view from, SeenParts &seen, QByteArray &joined)
{
    QByteArrayView rest(from.data(), qsizetype(from.size()));
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf(kPartSeparator);
        if (end < 0)
            end = rest.size();
        const QByteArrayView part = rest.first(end);
        rest = rest.sliced(std::min(end + 1, rest.size()));
        if (part.isEmpty() || !seen.take(part))
            continue;
        if (!joined.isEmpty())
            joined += "; ";
        joined += part;
    }
}

// Bytes of the UTF-8 sequence that @p lead begins.
qsizetype sequenceLength(char lead)
{
    const auto b = static_cast<unsigned char>(lead);
    return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

} // namespace

void appendQuotedField(QByteArray &out, QByteArrayView utf8)
{
    // Room for the most it can take, a quote becoming three bytes; written
    // through a pointer, and the buffer grows as appending would.
    const qsizetype before = out.size();
    const qsizetype most = before + 3 * utf8.size() + 2;
    if (most > out.capacity())
        out.reserve(std::max(most, 2 * out.capacity()));
    out.resize(most);
    char *to = out.data() + before;
    *to++ = '"';
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '"') {
            // Opening quote at the start of a word, closing quote elsewhere.
            const bool opening = i == 0 || utf8[i - 1] == ' ' || utf8[i - 1] == '(' || utf8[i - 1] == '[';
            std::memcpy(to, opening ? "\xE2\x80\x9C" : "\xE2\x80\x9D", 3);
            to += 3;
        } else {
            *to++ = (c == '\n' || c == '\r') ? ' ' : c;
        }
    }
    *to++ = '"';
    out.truncate(to - out.constData());
}

QByteArray quotedField(QByteArrayView utf8)
{
    QByteArray out;
    appendQuotedField(out, utf8);
    return out;
}

char *EntryCollector::room(size_t bytes)
{
    if (bytes > m_blockFree) {
        const size_t blockSize = std::max(kBlockSize, bytes);
        // Left uninitialised: every byte is written before it is read.
        m_blocks.push_back(std::unique_ptr<char[]>(new char[blockSize]));
        m_blockEnd = m_blocks.back().get();
        m_blockFree = blockSize;
    }
    return m_blockEnd;
}

void EntryCollector::add(quint32 order, QStringView headword, const ArticleText &text)
{
    addStored(order, storedHeadword(headword), text);
}

void EntryCollector::addStored(quint32 order, const QString &word, const ArticleText &text)
{
    if (word.isEmpty()) {
        ++m_skipped.emptyHeadword;
        return;
    }
    if (word.size() > dictionary::kMaxFieldLength) {
        ++m_skipped.longHeadword;
        return;
    }
    // A letter file's name is the first character and ".txt": it cannot be a slash.
    if (word.startsWith(u'/')) {
        ++m_skipped.unusableFile;
        return;
    }
    // Written straight into the arena, which has room for the most it can take.
    char *const start = room(size_t(3 * word.size() + roomFor(text.senses) + roomFor(text.references)));
    char *const sensesStart = putUtf8(start, word);
    char *const referencesStart = putParts(sensesStart, text.senses);
    char *const end = putParts(referencesStart, text.references);
    Item item{};
    item.data = start;
    item.order = order;
    item.headwordSize = quint32(sensesStart - start);
    item.sensesSize = quint32(referencesStart - sensesStart);
    item.referencesSize = quint32(end - referencesStart);
    item.cut = text.cut ? 1 : 0;
    item.key[0] = sortKey(item.headword(), 0);
    item.key[1] = sortKey(item.headword(), 8);
    if (m_itemCount % kItemsPerPiece == 0)
        m_itemPieces.push_back(std::make_unique_for_overwrite<Item[]>(kItemsPerPiece));
    m_itemPieces.back()[m_itemCount % kItemsPerPiece] = item;
    ++m_itemCount;
    m_blockFree -= size_t(end - start);
    m_blockEnd = end;
}

WriteResult EntryCollector::write(const QString &folder, Progress &progress)
{
    static_assert(sizeof(Item) == 40, "millions of entries may be held at once");
    WriteResult result;
    result.skipped = m_skipped;

    // One list to sort; each piece goes as soon as it is in.
    std::vector<Item> items;
    items.reserve(size_t(m_itemCount));
    for (std::unique_ptr<Item[]> &piece : m_itemPieces) {
        const qint64 taken = std::min(kItemsPerPiece, m_itemCount - qint64(items.size()));
        items.insert(items.end(), piece.get(), piece.get() + taken);
        piece.reset();
    }
    m_itemPieces.clear();
    m_itemCount = 0;

    // UTF-8 bytes compare in code point order.
    std::sort(items.begin(), items.end(), [](const Item &x, const Item &y) {
        if (x.key[0] != y.key[0])
            return x.key[0] < y.key[0];
        if (x.key[1] != y.key[1])
            return x.key[1] < y.key[1];
        if (x.headwordSize > 16 || y.headwordSize > 16) {
            const int c = x.headword().substr(16).compare(y.headword().substr(16));
            if (c != 0)
                return c < 0;
        }
        return x.order < y.order;
    });

    progress.begin(u"Writing"_s, qint64(items.size()));
    QByteArray firstCharacter; // of the headwords of the file being gathered
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
        fileBytes.truncate(0);
        fileRecords = 0;
        listed = 0;
        listedUnits = 0;
        listingFull = false;
    };

    SeenParts seen;
    QByteArray senses;
    for (size_t i = 0; i < items.size();) {
        // The items are sorted and their text is not: fetch it ahead.
        constexpr size_t kAhead = 16;
        if (i + kAhead < items.size())
            __builtin_prefetch(items[i + kAhead].data);
        const std::string_view headword = items[i].headword();
        size_t next = i + 1;
        while (next < items.size() && items[next].key[0] == items[i].key[0] && items[next].key[1] == items[i].key[1] &&
               items[next].headword() == headword)
            ++next;
        const qint64 entries = qint64(next - i);
        bool cut = false;
        seen.clear();
        senses.truncate(0);
        const std::string_view only = items[i].senses();
        if (next == i + 1 && only.find(kPartSeparator) == std::string_view::npos) {
            // One entry of one translation: nothing to merge.
            senses.append(only.data(), qsizetype(only.size()));
            cut = items[i].cut;
        } else {
            for (size_t j = i; j < next; ++j) {
                mergeParts(items[j].senses(), seen, senses);
                cut = cut || items[j].cut;
            }
        }
        // Cross-references stand in only for a headword with no translation.
        if (senses.isEmpty()) {
            for (size_t j = i; j < next; ++j)
                mergeParts(items[j].references(), seen, senses);
        }
        progress.advance(entries);
        i = next;
        if (senses.isEmpty()) {
            result.skipped.noTranslation += entries;
            continue;
        }
        result.duplicatesMerged += entries - 1;

        // Sorted, the headwords of one letter file come one after another.
        const QByteArrayView word(headword.data(), qsizetype(headword.size()));
        const QByteArrayView first = word.first(std::min(sequenceLength(word.front()), word.size()));
        if (first != firstCharacter) {
            flush();
            firstCharacter = first.toByteArray();
            fileName = dictionary::letterFileName(QString::fromUtf8(first));
        }
        qsizetype units = utf16Length(senses);
        if (units > dictionary::kMaxFieldLength) {
            cutToFieldLength(senses, units);
            cut = true;
        }
        result.cut += cut ? 1 : 0;
        appendQuotedField(fileBytes, word);
        fileBytes += ',';
        appendQuotedField(fileBytes, senses);
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
