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

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // Decoding into a throwaway string is the plain way to ask Qt for validity.
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
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
// a compressed stream serves every entry. @p fetchOne gets each entry index and
// its bytes.
template <typename Entry, typename Handle>
void readArticles(const QString &dataPath, std::vector<Entry> &entries, Progress &progress,
                  const std::function<QString(const Entry &)> &where, Handle &&handle)
{
    std::vector<quint32> byOffset(entries.size());
    for (size_t i = 0; i < byOffset.size(); ++i)
        byOffset[i] = quint32(i);
    std::stable_sort(byOffset.begin(), byOffset.end(),
                     [&entries](quint32 a, quint32 b) { return entries[a].offset < entries[b].offset; });

    QFile file;
    openForReading(file, dataPath);
    const bool gzip = isGzipName(dataPath);
    // An uncompressed file's size is known: a wrong length is caught before
    // reading, instead of after holding the rest of the file.
    const auto plainSize = quint64(file.size());
    ByteSource source(file, gzip, dataPath);
    ArticleWindow window(source);
    for (const quint32 i : byOffset) {
        const Entry &entry = entries[i];
        QByteArrayView article;
        if ((!gzip && entry.offset + entry.size > plainSize) || !window.fetch(entry.offset, entry.size, article))
            throw ImportError(where(entry) + u": offset "_s + QString::number(entry.offset) + u" and length "_s +
                              QString::number(entry.size) + u" lie past the end of "_s + dataPath);
        handle(entry, article);
        progress.advance();
    }
}

struct DictdEntry
{
    QByteArrayView headword;
    quint64 offset;
    quint64 size;
    qint64 line;
};

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
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            out += c.toLower();
        else if (c.isSpace())
            out += u' ';
    }
    return out.simplified();
}

// The spellings of the headword in its article's headword line that differ
// from the folded index headword, such as "E-Mail-Adresse" for "emailadresse",
// so that a lookup of the word as the article writes it finds it too.
QStringList articleSpellings(const QString &headwordLine, const QString &indexHeadword)
{
    QStringList out;
    if (headwordLine.isEmpty())
        return out;
    const QString wanted = folded(indexHeadword);
    const QString plain = dictionary::normalisedWord(collapsedSpaces(indexHeadword));
    QStringList candidates{headwordLine};
    if (headwordLine.contains(u';'))
        candidates += headwordLine.split(u';', Qt::SkipEmptyParts);
    for (const QString &candidate : std::as_const(candidates)) {
        const QString spelling = candidate.trimmed();
        if (folded(spelling) == wanted && dictionary::normalisedWord(spelling) != plain && !out.contains(spelling))
            out.append(spelling);
    }
    return out;
}

SourceSummary readDictd(const QString &indexPath, EntryCollector &collector, Progress &progress)
{
    const QString stem = stemOf(indexPath, {u".index"});
    const QString dataPath = requiredSibling(indexPath, stem, {u".dict.dz", u".dict"});
    const QByteArray indexBytes = readWholeFile(indexPath);
    const std::vector<DictdIndexEntry> index = parseDictdIndex(indexBytes, indexPath);

    SourceSummary summary;
    summary.format = u"dictd"_s;
    std::vector<DictdEntry> entries;
    entries.reserve(index.size());
    for (const DictdIndexEntry &e : index)
        entries.push_back({e.headword, e.offset, e.length, e.line});

    progress.begin(u"Reading"_s, qint64(entries.size()));
    readArticles<DictdEntry>(
        dataPath, entries, progress,
        [&indexPath](const DictdEntry &e) { return indexPath + u": line "_s + QString::number(e.line); },
        [&](const DictdEntry &e, QByteArrayView bytes) {
            const QString article = QString::fromUtf8(bytes);
            if (isMetadata(e.headword)) {
                ++summary.metadata;
                if (e.headword == "00databaseshort" || e.headword == "00-database-short")
                    summary.name = shortName(article);
                return;
            }
            ++summary.entries;
            const QString headword = QString::fromUtf8(e.headword);
            const ArticleText text = plainArticle(article, headword);
            collector.add(quint64(e.line), headword, text);
            for (const QString &spelling : articleSpellings(text.headwordLine, headword)) {
                collector.add(quint64(e.line), spelling, text);
                ++summary.spellings;
            }
        });
    return summary;
}

struct StardictEntry
{
    QByteArrayView headword;
    quint64 offset;
    quint64 size;
    qint64 at;
    qint64 order;
};

SourceSummary readStardict(const QString &ifoPath, EntryCollector &collector, Progress &progress)
{
    const QString stem = stemOf(ifoPath, {u".ifo"});
    const StardictInfo info = parseStardictInfo(readWholeFile(ifoPath), ifoPath);
    const QString idxPath = requiredSibling(ifoPath, stem, {u".idx", u".idx.gz"});
    const QString dataPath = requiredSibling(ifoPath, stem, {u".dict.dz", u".dict"});
    const QByteArray idx = readWholeFile(idxPath);
    if (idx.size() != info.idxFileSize)
        throw ImportError(idxPath + u": holds "_s + QString::number(idx.size()) + u" bytes, but "_s + ifoPath +
                          u" gives idxfilesize="_s + QString::number(info.idxFileSize));
    const std::vector<StardictIndexEntry> index = parseStardictIndex(idx, info.offsetBits, idxPath);
    if (qint64(index.size()) != info.wordCount)
        throw ImportError(idxPath + u": holds "_s + QString::number(index.size()) + u" entries, but "_s + ifoPath +
                          u" gives wordcount="_s + QString::number(info.wordCount));

    SourceSummary summary;
    summary.format = u"StarDict"_s;
    summary.name = info.bookName;
    std::vector<StardictEntry> entries;
    entries.reserve(index.size());
    for (size_t i = 0; i < index.size(); ++i)
        entries.push_back({index[i].headword, index[i].offset, index[i].size, index[i].at, qint64(i)});

    progress.begin(u"Reading"_s, qint64(entries.size()));
    readArticles<StardictEntry>(
        dataPath, entries, progress,
        [&idxPath](const StardictEntry &e) { return idxPath + u": byte "_s + QString::number(e.at); },
        [&](const StardictEntry &e, QByteArrayView bytes) {
            ++summary.entries;
            const QString headword = QString::fromUtf8(e.headword);
            const QString text = stardictArticleText(bytes, info.sameTypeSequence, dataPath, e.offset);
            collector.add(quint64(e.order), headword, plainArticle(text, headword));
        });
    return summary;
}

SourceSummary readWordList(const QString &path, char separator, EntryCollector &collector, Progress &progress)
{
    const QByteArray text = readWholeFile(path);
    SourceSummary summary;
    summary.format = separator == '\t' ? u"tab-separated"_s : u"comma-separated"_s;
    progress.begin(u"Reading"_s, text.count('\n') + 1);
    parseWordList(text, separator, path, [&](qint64 line, const QString &headword, const ArticleText &translations) {
        ++summary.entries;
        progress.advance();
        collector.add(quint64(line), headword, translations);
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
                                                                {lengthDigits, &entry.length}};
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

QString stardictArticleText(QByteArrayView data, QByteArrayView sameTypeSequence, const QString &name, quint64 at)
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
            if (data.size() - pos < 4)
                throw bad();
            const quint64 size = bigEndian(data.sliced(pos, 4));
            if (size > quint64(data.size() - pos - 4))
                throw bad();
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

// Splits one record of a comma-separated list from @p pos; quoted fields may
// hold commas, doubled quotes and line breaks. Moves @p pos and @p line on.
QList<QByteArray> csvRecord(QByteArrayView text, qsizetype &pos, qint64 &line)
{
    QList<QByteArray> fields(1);
    bool quoted = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (quoted) {
            if (c == '"') {
                if (pos + 1 < text.size() && text[pos + 1] == '"') {
                    fields.last() += '"';
                    ++pos;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++line;
                fields.last() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(QByteArray());
        } else if (c == '\n') {
            ++pos;
            ++line;
            return fields;
        } else if (c != '\r') {
            fields.last() += c;
        }
    }
    if (quoted)
        throw ImportError::atLine(QString(), line, QString());
    return fields;
}

QList<QByteArray> tsvRecord(QByteArrayView text, qsizetype &pos, qint64 &line)
{
    qsizetype end = text.indexOf('\n', pos);
    if (end < 0)
        end = text.size();
    QByteArrayView record = text.sliced(pos, end - pos);
    pos = end + 1;
    ++line;
    if (record.endsWith('\r'))
        record.chop(1);
    QList<QByteArray> fields;
    for (const QByteArrayView field : record.toByteArray().split('\t'))
        fields.append(field.toByteArray());
    return fields;
}

} // namespace

void parseWordList(QByteArrayView text, char separator, const QString &name,
                   const std::function<void(qint64, const QString &, const ArticleText &)> &onEntry)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (const qint64 bad = firstBadUtf8Line(text))
        throw ImportError::atLine(name, bad, u"not valid UTF-8"_s);
    qint64 line = 1;
    for (qsizetype pos = 0; pos < text.size();) {
        const qint64 first = line;
        QList<QByteArray> fields;
        if (separator == '\t') {
            fields = tsvRecord(text, pos, line);
        } else {
            try {
                fields = csvRecord(text, pos, line);
            } catch (const ImportError &) {
                throw ImportError::atLine(name, first, u"quoted field not closed"_s);
            }
        }
        if (fields.size() == 1 && fields.first().trimmed().isEmpty())
            continue;
        if (fields.size() < 2)
            throw ImportError::atLine(name, first,
                                      separator == '\t' ? u"no tab between headword and translation"_s
                                                        : u"no comma between headword and translation"_s);
        ArticleText translations;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            QString sense = collapsedSpaces(QString::fromUtf8(fields.at(i)));
            if (!sense.isEmpty())
                translations.senses.append(std::move(sense));
        }
        onEntry(first, QString::fromUtf8(fields.first()), translations);
    }
}

} // namespace lexorra::import
