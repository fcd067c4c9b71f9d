#include "source_formats.h"

#include "byte_source.h"
#include "entry_collector.h"
#include "import_error.h"
#include "progress.h"
#include "text_rules.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

bool isUtf8(QByteArrayView bytes)
{
    return bytes.isValidUtf8();
}

// 1-based line of the first invalid UTF-8 sequence in @p text, or 0 when it is valid.
qint64 firstBadUtf8Line(QByteArrayView text)
{
    if (isUtf8(text))
        return 0;
    qint64 line = 1;
    for (qsizetype from = 0; from <= text.size(); ++line) {
        qsizetype end = text.indexOf('\n', from);
        if (end < 0)
            end = text.size();
        if (!isUtf8(text.sliced(from, end - from)))
            return line;
        from = end + 1;
    }
    return line;
}

// NAME.suffix for the first suffix that exists beside @p stem, else empty.
QString sibling(const QString &stem, std::initializer_list<QStringView> suffixes)
{
    for (const QStringView suffix : suffixes) {
        if (QFileInfo::exists(stem + suffix.toString()))
            return stem + suffix.toString();
    }
    return {};
}

QString requiredSibling(const QString &given, const QString &stem, std::initializer_list<QStringView> suffixes)
{
    QString found = sibling(stem, suffixes);
    if (found.isEmpty()) {
        QStringList names;
        for (const QStringView suffix : suffixes)
            names.append(QFileInfo(stem + suffix.toString()).fileName());
        throw ImportError(given + u": missing "_s + names.join(u" or "_s) + u" beside it"_s);
    }
    return found;
}

QString stemOf(const QString &path, std::initializer_list<QStringView> suffixes)
{
    for (const QStringView suffix : suffixes) {
        if (path.endsWith(suffix))
            return path.chopped(suffix.size());
    }
    return {};
}

// Reads articles in the order they lie in the data file, so that one pass over
// a compressed stream serves every entry. @p handle gets each entry's index, the
// entry, its bytes (no more than kMaxArticleBytes of them) and whether that is
// only the first part of the article.
template <typename Entry, typename Handle>
void readArticles(const QString &dataPath, const std::vector<Entry> &entries, Progress &progress,
                  const std::function<QString(const Entry &)> &where, Handle &&handle)
{
    // Offset, then index: entries at the same offset stay in the index's order.
    std::vector<std::pair<quint64, quint32>> byOffset(entries.size());
    for (size_t i = 0; i < byOffset.size(); ++i)
        byOffset[i] = {entries[i].offset, quint32(i)};
    std::sort(byOffset.begin(), byOffset.end());
    const auto pastTheEnd = [&](const Entry &entry) {
        return ImportError(where(entry) + u": offset "_s + QString::number(entry.offset) + u" and length "_s +
                           QString::number(entry.size) + u" lie past the end of "_s + dataPath);
    };

    QFile file;
    openForReading(file, dataPath);
    const bool gzip = isGzipName(dataPath);
    // Where the data's size is known without reading it, an entry past its end
    // is refused before anything is read.
    const std::optional<quint64> dataSize = gzip ? dictzipDataSize(dataPath) : std::optional(quint64(file.size()));
    if (dataSize) {
        for (const auto &[offset, i] : byOffset) {
            if (entries[i].size > *dataSize || offset > *dataSize - entries[i].size)
                throw pastTheEnd(entries[i]);
        }
    }
    ByteSource source(file, gzip, dataPath);
    if (gzip)
        source.readAhead();
    ArticleWindow window(source);
    // Else a cut article's end is only checked once the rest has been read.
    const Entry *furthest = nullptr;
    for (size_t k = 0; k < byOffset.size(); ++k) {
        // In the data's order the entries and their headwords lie anywhere:
        // fetched ahead, they are there when needed.
        constexpr size_t kAhead = 8;
        if (k + 2 * kAhead < byOffset.size())
            __builtin_prefetch(&entries[byOffset[k + 2 * kAhead].second]);
        if (k + kAhead < byOffset.size())
            __builtin_prefetch(entries[byOffset[k + kAhead].second].headword.data());
        const quint32 i = byOffset[k].second;
        const Entry &entry = entries[i];
        QByteArrayView article;
        if (!window.fetch(entry.offset, entry.size, kMaxArticleBytes, article))
            throw pastTheEnd(entry);
        const bool cut = quint64(article.size()) < entry.size;
        if (cut && !dataSize && (!furthest || entry.offset + entry.size > furthest->offset + furthest->size))
            furthest = &entry;
        handle(i, entry, cut ? cutArticleBytes(article) : article, cut);
        progress.advance();
    }
    if (furthest && !window.reach(furthest->offset + furthest->size))
        throw pastTheEnd(*furthest);
}

bool isMetadata(QByteArrayView headword)
{
    return headword.startsWith("00database") || headword.startsWith("00-database");
}

// The dictionary's name from its 00databaseshort article, whose first line may
// repeat the entry's own name.
QString shortName(QStringView article)
{
    for (QStringView line : qTokenize(article, u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u"00database") || line.startsWith(u"00-database"))
            continue;
        return collapsedSpaces(line);
    }
    return {};
}

// A dictd index keeps headwords folded: lower case, with only letters, digits
// and spaces. This is that folding, to recognise a spelling of the headword.
QString folded(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *const begin = out.data();
    QChar *end = begin;
    bool pendingSpace = false;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            if (pendingSpace && end != begin)
                *end++ = u' ';
            pendingSpace = false;
            *end++ = c.toLower();
        } else if (c.isSpace()) {
            pendingSpace = true;
        }
    }
    out.truncate(end - begin);
    return out;
}

// The spellings of the headword in its article's headword line that differ
// from the folded index headword, such as "E-Mail-Adresse" for "emailadresse",
// so that a lookup of the word as the article writes it finds it too. @p plain
// is the index headword's lookupForm().
QStringList articleSpellings(const QString &headwordLine, const QString &indexHeadword, const QString &plain)
{
    QStringList out;
    if (headwordLine.isEmpty())
        return out;
    QString wanted; // folded, once a candidate needs it
    QStringList candidates{headwordLine};
    if (headwordLine.contains(u';'))
        candidates += headwordLine.split(u';', Qt::SkipEmptyParts);
    for (const QString &candidate : std::as_const(candidates)) {
        const QString spelling = candidate.trimmed();
        // Mostly the line spells the headword as the index does.
        if (lookupForm(spelling) == plain || out.contains(spelling))
            continue;
        if (wanted.isNull())
            wanted = folded(indexHeadword);
        if (folded(spelling) == wanted)
            out.append(spelling);
    }
    return out;
}

SourceSummary readDictd(const QString &indexPath, EntryCollector &collector, Progress &progress)
{
    const QString stem = stemOf(indexPath, {u".index"});
    const QString dataPath = requiredSibling(indexPath, stem, {u".dict.dz", u".dict"});
    const QByteArray indexBytes = readWholeFile(indexPath);
    const std::vector<DictdIndexEntry> entries = parseDictdIndex(indexBytes, indexPath);

    SourceSummary summary;
    summary.format = u"dictd"_s;
    progress.begin(u"Reading"_s, qint64(entries.size()));
    ArticleText text;
    readArticles<DictdIndexEntry>(
        dataPath, entries, progress,
        [&indexPath](const DictdIndexEntry &e) { return indexPath + u": line "_s + QString::number(e.line); },
        [&](quint32 order, const DictdIndexEntry &e, QByteArrayView bytes, bool cut) {
            const QString article = QString::fromUtf8(bytes);
            if (isMetadata(e.headword)) {
                ++summary.metadata;
                if (e.headword == "00databaseshort" || e.headword == "00-database-short")
                    summary.name = shortName(article);
                return;
            }
            ++summary.entries;
            const QString headword = QString::fromUtf8(e.headword);
            const QString form = lookupForm(headword);
            plainArticleOfForm(article, form, text);
            if (cut)
                markCut(text);
            collector.addStored(order, storedHeadwordOfForm(form), text);
            for (const QString &spelling : articleSpellings(text.headwordLine, headword, form)) {
                collector.add(order, spelling, text);
                ++summary.spellings;
            }
        });
    return summary;
}

SourceSummary readStardict(const QString &ifoPath, EntryCollector &collector, Progress &progress)
{
    // An .ifo is a few lines of settings.
    constexpr qint64 kLargestIfo = 1024 * 1024;
    const QString stem = stemOf(ifoPath, {u".ifo"});
    const QByteArray ifo = readWholeFile(ifoPath, kLargestIfo);
    if (ifo.size() > kLargestIfo)
        throw ImportError(ifoPath + u": not a StarDict .ifo file (larger than 1 MiB)"_s);
    const StardictInfo info = parseStardictInfo(ifo, ifoPath);
    const QString idxPath = requiredSibling(ifoPath, stem, {u".idx", u".idx.gz"});
    const QString dataPath = requiredSibling(ifoPath, stem, {u".dict.dz", u".dict"});
    // Read no further than the .ifo says the index goes.
    const QByteArray idx = readWholeFile(idxPath, info.idxFileSize);
    if (idx.size() != info.idxFileSize)
        throw ImportError(idxPath +
                          (idx.size() > info.idxFileSize ? u": holds more than "_s + QString::number(info.idxFileSize)
                                                         : u": holds "_s + QString::number(idx.size())) +
                          u" bytes, but "_s + ifoPath + u" gives idxfilesize="_s + QString::number(info.idxFileSize));
    const std::vector<StardictIndexEntry> entries = parseStardictIndex(idx, info.offsetBits, idxPath);
    if (qint64(entries.size()) != info.wordCount)
        throw ImportError(idxPath + u": holds "_s + QString::number(entries.size()) + u" entries, but "_s + ifoPath +
                          u" gives wordcount="_s + QString::number(info.wordCount));

    SourceSummary summary;
    summary.format = u"StarDict"_s;
    summary.name = info.bookName;
    progress.begin(u"Reading"_s, qint64(entries.size()));
    readArticles<StardictIndexEntry>(
        dataPath, entries, progress,
        [&idxPath](const StardictIndexEntry &e) { return idxPath + u": byte "_s + QString::number(e.at); },
        [&](quint32 order, const StardictIndexEntry &e, QByteArrayView bytes, bool cut) {
            ++summary.entries;
            const QString headword = QString::fromUtf8(e.headword);
            const QString text = stardictArticleText(bytes, info.sameTypeSequence, dataPath, e.offset, cut);
            ArticleText article = plainArticle(text, headword);
            if (cut)
                markCut(article);
            collector.add(order, headword, article);
        });
    return summary;
}

SourceSummary readWordList(const QString &path, char separator, EntryCollector &collector, Progress &progress)
{
    QFile file;
    openForReading(file, path);
    ByteSource source(file, false, path);
    SourceSummary summary;
    summary.format = separator == '\t' ? u"tab-separated"_s : u"comma-separated"_s;
    progress.begin(u"Reading"_s, file.size(), u"bytes"_s);
    qint64 read = 0;
    parseWordList(source, separator, path, [&](const WordListEntry &entry) {
        // The entries' order ranks those of one headword.
        const auto order = quint32(summary.entries);
        if (++summary.entries > std::numeric_limits<quint32>::max())
            throw ImportError::atLine(path, entry.line, u"more entries than can be imported at once"_s);
        progress.advance(source.consumed() - read);
        read = source.consumed();
        if (entry.headwordCut)
            collector.skipLongHeadword();
        else
            collector.add(order, entry.headword, entry.translations);
    });
    return summary;
}

} // namespace

SourceSummary readSource(const QString &path, EntryCollector &collector, Progress &progress)
{
    if (path.endsWith(u".index"))
        return readDictd(path, collector, progress);
    for (const QStringView suffix : {u".dict.dz", u".dict"}) {
        // A dictd data file names its index; a StarDict one its .ifo.
        if (path.endsWith(suffix)) {
            const QString stem = stemOf(path, {suffix});
            if (QFileInfo::exists(stem + u".ifo"_s))
                return readStardict(stem + u".ifo"_s, collector, progress);
            return readDictd(requiredSibling(path, stem, {u".index"}), collector, progress);
        }
    }
    if (path.endsWith(u".ifo"))
        return readStardict(path, collector, progress);
    for (const QStringView suffix : {u".idx", u".idx.gz"}) {
        if (path.endsWith(suffix))
            return readStardict(requiredSibling(path, stemOf(path, {suffix}), {u".ifo"}), collector, progress);
    }
    if (path.endsWith(u".tsv", Qt::CaseInsensitive) || path.endsWith(u".tab", Qt::CaseInsensitive))
        return readWordList(path, '\t', collector, progress);
    if (path.endsWith(u".csv", Qt::CaseInsensitive))
        return readWordList(path, ',', collector, progress);
    throw ImportError(path + u": unknown kind of dictionary (expected .index, .ifo, .tsv or .csv)"_s);
}

// ---- dictd ------------------------------------------------------------------

qsizetype decodeDictdNumber(QByteArrayView digits, quint64 &value)
{
    value = 0;
    if (digits.isEmpty())
        return 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const char c = digits[i];
        int digit = -1;
        if (c >= 'A' && c <= 'Z')
            digit = c - 'A';
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            digit = c - '0' + 52;
        else if (c == '+')
            digit = 62;
        else if (c == '/')
            digit = 63;
        // Ten digits hold 60 bits, more than any file here can have.
        if (digit < 0 || i >= 10)
            return i;
        value = value * 64 + quint64(digit);
    }
    return -1;
}

QByteArray encodeDictdNumber(quint64 value)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray out;
    do {
        out.prepend(kDigits[value % 64]);
        value /= 64;
    } while (value > 0);
    return out;
}

std::vector<DictdIndexEntry> parseDictdIndex(QByteArrayView index, const QString &name)
{
    if (const qint64 bad = firstBadUtf8Line(index))
        throw ImportError::atLine(name, bad, u"not valid UTF-8"_s);
    std::vector<DictdIndexEntry> entries;
    entries.reserve(size_t(index.count('\n')) + 1);
    qint64 line = 0;
    for (qsizetype from = 0; from < index.size();) {
        ++line;
        qsizetype end = index.indexOf('\n', from);
        if (end < 0)
            end = index.size();
        QByteArrayView text = index.sliced(from, end - from);
        from = end + 1;
        if (text.endsWith('\r'))
            text.chop(1);
        if (text.isEmpty())
            continue;
        const qsizetype tab1 = text.indexOf('\t');
        const qsizetype tab2 = tab1 < 0 ? -1 : text.indexOf('\t', tab1 + 1);
        if (tab2 < 0)
            throw ImportError::atLine(name, line, u"expected headword, offset and length separated by tabs"_s);
        qsizetype tab3 = text.indexOf('\t', tab2 + 1);
        DictdIndexEntry entry;
        entry.line = line;
        entry.headword = text.first(tab1);
        const QByteArrayView lengthDigits = text.sliced(tab2 + 1, (tab3 < 0 ? text.size() : tab3) - tab2 - 1);
        const std::pair<QByteArrayView, quint64 *> numbers[] = {{text.sliced(tab1 + 1, tab2 - tab1 - 1), &entry.offset},
                                                                {lengthDigits, &entry.size}};
        for (const auto &[digits, value] : numbers) {
            const qsizetype bad = decodeDictdNumber(digits, *value);
            if (bad >= 0) {
                const QString what = digits.isEmpty() ? u"empty number"_s
                                     : bad >= 10      ? u"number too large: "_s + QString::fromUtf8(digits)
                                                 : u"bad base-64 digit '"_s + QString::fromUtf8(digits.sliced(bad, 1)) +
                                                       u"' in "_s + QString::fromUtf8(digits);
                throw ImportError::atLine(name, line, what);
            }
        }
        // A fourth column, where present, keeps the headword as it was before
        // the index folded it.
        if (tab3 >= 0) {
            const qsizetype tab4 = text.indexOf('\t', tab3 + 1);
            const QByteArrayView original = text.sliced(tab3 + 1, (tab4 < 0 ? text.size() : tab4) - tab3 - 1);
            if (!original.isEmpty())
                entry.headword = original;
        }
        entries.push_back(entry);
    }
    return entries;
}

// ---- StarDict ---------------------------------------------------------------

StardictInfo parseStardictInfo(QByteArrayView ifo, const QString &name)
{
    if (const qint64 bad = firstBadUtf8Line(ifo))
        throw ImportError::atLine(name, bad, u"not valid UTF-8"_s);
    StardictInfo info;
    QString version;
    bool haveWordCount = false;
    bool haveIdxSize = false;
    qint64 line = 0;
    for (QByteArrayView text : ifo.toByteArray().split('\n')) {
        ++line;
        text = text.trimmed();
        if (line == 1) {
            if (text != "StarDict's dict ifo file")
                throw ImportError::atLine(name, line, u"not a StarDict .ifo file"_s);
            continue;
        }
        const qsizetype eq = text.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArrayView key = text.first(eq).trimmed();
        const QByteArrayView value = text.sliced(eq + 1).trimmed();
        bool ok = true;
        if (key == "version") {
            version = QString::fromUtf8(value);
        } else if (key == "bookname") {
            info.bookName = QString::fromUtf8(value);
        } else if (key == "wordcount") {
            info.wordCount = value.toLongLong(&ok);
            ok = ok && info.wordCount >= 0;
            haveWordCount = true;
        } else if (key == "idxfilesize") {
            info.idxFileSize = value.toLongLong(&ok);
            ok = ok && info.idxFileSize >= 0;
            haveIdxSize = true;
        } else if (key == "idxoffsetbits") {
            info.offsetBits = value.toInt(&ok);
            ok = ok && (info.offsetBits == 32 || info.offsetBits == 64);
        } else if (key == "sametypesequence") {
            info.sameTypeSequence = value.toByteArray();
        }
        if (!ok)
            throw ImportError::atLine(name, line, u"bad value for "_s + QString::fromUtf8(key));
    }
    if (version != u"2.4.2"_s && version != u"3.0.0"_s)
        throw ImportError(name + u": unsupported version \""_s + version + u"\" (2.4.2 or 3.0.0 expected)"_s);
    if (!haveWordCount || !haveIdxSize)
        throw ImportError(name + u": wordcount or idxfilesize missing"_s);
    return info;
}

namespace {

quint64 bigEndian(QByteArrayView bytes)
{
    quint64 value = 0;
    for (const char c : bytes)
        value = (value << 8) | quint64(static_cast<unsigned char>(c));
    return value;
}

} // namespace

std::vector<StardictIndexEntry> parseStardictIndex(QByteArrayView idx, int offsetBits, const QString &name)
{
    const qsizetype offsetBytes = offsetBits / 8;
    std::vector<StardictIndexEntry> entries;
    for (qsizetype at = 0; at < idx.size();) {
        const qsizetype nul = idx.indexOf('\0', at);
        if (nul < 0 || idx.size() - (nul + 1) < offsetBytes + 4)
            throw ImportError::atByte(name, at, u"entry cut short"_s);
        StardictIndexEntry entry;
        entry.at = at;
        entry.headword = idx.sliced(at, nul - at);
        if (!isUtf8(entry.headword))
            throw ImportError::atByte(name, at, u"headword not valid UTF-8"_s);
        entry.offset = bigEndian(idx.sliced(nul + 1, offsetBytes));
        entry.size = bigEndian(idx.sliced(nul + 1 + offsetBytes, 4));
        entries.push_back(entry);
        at = nul + 1 + offsetBytes + 4;
    }
    return entries;
}

namespace {

// A text field's text, or an empty string for fields that carry no
// translation (pronunciation, pictures, sounds and other binary data).
QString fieldText(char type, QByteArrayView data)
{
    switch (type) {
    case 'm':
    case 'l':
    case 'y':
    case 'w':
        return QString::fromUtf8(data);
    case 'g':
    case 'h':
    case 'k':
        return markupText(QString::fromUtf8(data), false);
    case 'x':
        return markupText(QString::fromUtf8(data), true);
    default:
        return {};
    }
}

} // namespace

QString stardictArticleText(QByteArrayView data, QByteArrayView sameTypeSequence, const QString &name, quint64 at,
                            bool cut)
{
    QString text;
    qsizetype pos = 0;
    const auto bad = [&] { return ImportError::atByte(name, qint64(at) + pos, u"malformed article"_s); };
    const auto takeField = [&](char type, bool last) {
        QByteArrayView field;
        if (last) {
            field = data.sliced(pos);
            pos = data.size();
        } else if (type >= 'a' && type <= 'z') {
            qsizetype nul = data.indexOf('\0', pos);
            if (nul < 0)
                nul = data.size();
            field = data.sliced(pos, nul - pos);
            pos = std::min(nul + 1, data.size());
        } else {
            const qsizetype left = data.size() - pos;
            const quint64 size = left < 4 ? 0 : bigEndian(data.sliced(pos, 4));
            if (left < 4 || size > quint64(left - 4)) {
                // Binary data cut short by the article's cut carries no text anyway.
                if (!cut)
                    throw bad();
                pos = data.size();
                return;
            }
            field = data.sliced(pos + 4, qsizetype(size));
            pos += 4 + qsizetype(size);
        }
        const QString part = fieldText(type, field);
        if (!part.isEmpty()) {
            if (!text.isEmpty())
                text += u'\n';
            text += part;
        }
    };
    if (!sameTypeSequence.isEmpty()) {
        // The last field's end is the article's end: it has no terminator or size.
        for (qsizetype i = 0; i < sameTypeSequence.size(); ++i)
            takeField(sameTypeSequence[i], i + 1 == sameTypeSequence.size());
    } else {
        while (pos < data.size()) {
            const char type = data[pos++];
            takeField(type, false);
        }
    }
    return text;
}

// ---- word lists -------------------------------------------------------------

namespace {

// The records of a word list, read piece by piece. A record keeps no more than
// kMaxArticleBytes; the rest of a longer one is read past with its fields still
// told apart, so that memory stays bounded whatever the length of a line.
class WordListReader final
{
public:
    WordListReader(ByteSource &source, char separator, const QString &name)
        : m_source(source), m_separator(separator), m_name(name)
    {}

    /// Reads the next record; false at the end of the list. A tab-separated
    /// record is a line; a comma-separated one may hold line breaks in quotes.
    bool next();

    [[nodiscard]] qsizetype fieldCount() const { return m_ends.size(); }
    [[nodiscard]] QByteArrayView field(qsizetype i) const
    {
        const qsizetype begin = i == 0 ? 0 : m_ends.at(i - 1);
        return QByteArrayView(m_record).sliced(begin, m_ends.at(i) - begin);
    }
    /// Whether field @p i lost bytes to the cut, or came after it.
    [[nodiscard]] bool isCut(qsizetype i) const { return m_cutFrom >= 0 && i >= m_cutFrom; }
    [[nodiscard]] qint64 firstLine() const { return m_firstLine; }

private:
    bool refill();
    void keep(QByteArrayView bytes);
    void endField() { m_ends.append(m_record.size()); }
    bool takeTsv();
    bool takeCsv();

    ByteSource &m_source;
    char m_separator;
    const QString &m_name;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    bool m_started = false;
    QByteArray m_record;
    QList<qsizetype> m_ends;
    qsizetype m_cutFrom = -1;
    qint64 m_line = 1;
    qint64 m_firstLine = 1;
    enum class Quote { None, Open, Closing } m_quote = Quote::None;
};

bool WordListReader::refill()
{
    constexpr qsizetype kChunk = 256 * 1024;
    m_chunk.resize(kChunk);
    m_chunk.resize(m_source.read(m_chunk.data(), kChunk));
    m_pos = 0;
    if (!m_started) {
        m_started = true;
        // A byte-order mark, which the first read holds whole unless the file is shorter.
        if (m_chunk.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
    }
    return m_pos < m_chunk.size();
}

void WordListReader::keep(QByteArrayView bytes)
{
    const qsizetype room = kMaxArticleBytes - m_record.size();
    if (bytes.size() > room) {
        if (m_cutFrom < 0)
            m_cutFrom = m_ends.size();
        bytes = bytes.first(room);
    }
    m_record.append(bytes);
}

// Takes what the chunk holds of the record; true once the record has ended.
bool WordListReader::takeTsv()
{
    const char *data = m_chunk.constData();
    const qsizetype size = m_chunk.size();
    for (;;) {
        qsizetype at = m_pos;
        while (at < size && data[at] != '\t' && data[at] != '\n')
            ++at;
        keep(QByteArrayView(data + m_pos, at - m_pos));
        m_pos = at == size ? at : at + 1;
        if (at == size)
            return false;
        if (data[at] == '\n') {
            ++m_line;
            return true;
        }
        endField();
    }
}

bool WordListReader::takeCsv()
{
    const char *data = m_chunk.constData();
    const qsizetype size = m_chunk.size();
    while (m_pos < size) {
        const char c = data[m_pos++];
        if (m_quote == Quote::Closing) {
            // A quote in a quoted field: doubled, it stands for itself; else it closed the field.
            m_quote = c == '"' ? Quote::Open : Quote::None;
            if (c == '"') {
                keep("\"");
                continue;
            }
        }
        if (m_quote == Quote::Open) {
            if (c == '"') {
                m_quote = Quote::Closing;
                continue;
            }
            if (c == '\n')
                ++m_line;
            keep(QByteArrayView(&c, 1));
        } else if (c == '"') {
            m_quote = Quote::Open;
        } else if (c == ',') {
            endField();
        } else if (c == '\n') {
            ++m_line;
            return true;
        } else if (c != '\r') {
            keep(QByteArrayView(&c, 1));
        }
    }
    return false;
}

bool WordListReader::next()
{
    m_record.truncate(0);
    m_ends.clear();
    m_cutFrom = -1;
    m_firstLine = m_line;
    m_quote = Quote::None;
    bool any = false;
    for (;;) {
        if (m_pos == m_chunk.size() && !refill()) {
            if (m_quote == Quote::Open)
                throw ImportError::atLine(m_name, m_firstLine, u"quoted field not closed"_s);
            if (!any)
                return false;
            break;
        }
        any = true;
        if (m_separator == '\t' ? takeTsv() : takeCsv())
            break;
    }
    endField();
    // A tab-separated line's CR belongs to its line break.
    if (m_separator == '\t' && m_record.endsWith('\r') && !isCut(m_ends.size() - 1)) {
        m_record.chop(1);
        --m_ends.last();
    }
    return true;
}

} // namespace

void parseWordList(ByteSource &source, char separator, const QString &name,
                   const std::function<void(const WordListEntry &)> &onEntry)
{
    WordListReader reader(source, separator, name);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const auto decoded = [&](qsizetype i) {
        const QByteArrayView bytes = reader.isCut(i) ? cutArticleBytes(reader.field(i)) : reader.field(i);
        decoder.resetState();
        QString text = decoder.decode(bytes);
        if (decoder.hasError())
            throw ImportError::atLine(name, reader.firstLine(), u"not valid UTF-8"_s);
        return text;
    };
    WordListEntry entry;
    while (reader.next()) {
        if (reader.fieldCount() == 1 && !reader.isCut(0) && reader.field(0).trimmed().isEmpty())
            continue;
        if (reader.fieldCount() < 2)
            throw ImportError::atLine(name, reader.firstLine(),
                                      separator == '\t' ? u"no tab between headword and translation"_s
                                                        : u"no comma between headword and translation"_s);
        entry.line = reader.firstLine();
        entry.headword = decoded(0);
        entry.headwordCut = reader.isCut(0);
        entry.translations = {};
        for (qsizetype i = 1; i < reader.fieldCount(); ++i) {
            QString sense = collapsedSpaces(decoded(i));
            if (!sense.isEmpty())
                entry.translations.senses.append(std::move(sense));
        }
        if (reader.isCut(1))
            markCut(entry.translations);
        onEntry(entry);
    }
}

} // namespace lexorra::import
