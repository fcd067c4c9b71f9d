// Any bytes through the importer's parsers. The first byte picks the parser,
// the second its settings, the rest is the input. Bad input may only end in
// ImportError; any other exception, and any broken rule checked below, is a
// crash. The rules: dictd numbers decode back to what they encode; index
// entries lie inside their input, in order; article text never keeps a line
// break or control character, and the record writer's fields hold no quote or
// line break inside; markup text is never longer than its markup; a gzip
// stream read whole and read through a window of increasing offsets give the
// same bytes, and a stream that was compressed here always reads back.
#include "article_text.h"
#include "byte_source.h"
#include "entry_collector.h"
#include "import_error.h"
#include "source_formats.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <optional>

#include <zlib.h>

using namespace lexorra::import;
using namespace Qt::StringLiterals;

namespace {

void require(bool rule)
{
    if (!rule)
        std::abort();
}

bool hasControl(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            return true;
    }
    return false;
}

// One piece of article text as the writer receives it.
void checkArticlePiece(const QString &piece)
{
    require(!hasControl(piece));
    require(!piece.startsWith(u' ') && !piece.endsWith(u' '));
    const QByteArray field = quotedField(piece.toUtf8());
    require(field.size() >= 2 && field.startsWith('"') && field.endsWith('"'));
    const QByteArrayView inside = QByteArrayView(field).sliced(1, field.size() - 2);
    require(!inside.contains('"') && !inside.contains('\n') && !inside.contains('\r'));
}

void checkArticle(const ArticleText &article)
{
    for (const QString &sense : article.senses) {
        require(!sense.isEmpty());
        checkArticlePiece(sense);
    }
    for (const QString &reference : article.references)
        checkArticlePiece(reference);
    checkArticlePiece(article.headwordLine);
}

void dictdNumbers(QByteArrayView digits)
{
    quint64 value = 0;
    const qsizetype bad = decodeDictdNumber(digits, value);
    require(bad < digits.size() || (digits.isEmpty() && bad == 0));
    if (bad < 0) {
        // Leading zero digits aside, the encoding is the digits themselves.
        qsizetype zeros = 0;
        while (zeros + 1 < digits.size() && digits[zeros] == 'A')
            ++zeros;
        require(encodeDictdNumber(value) == digits.sliced(zeros));
    }
    // Any 60-bit value made of the first bytes comes back.
    quint64 wanted = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(digits.size(), 8); ++i)
        wanted = (wanted << 8) | static_cast<unsigned char>(digits[i]);
    wanted >>= 4;
    require(decodeDictdNumber(encodeDictdNumber(wanted), value) == -1 && value == wanted);
}

void dictdIndex(QByteArrayView index)
{
    qint64 lastLine = 0;
    for (const DictdIndexEntry &entry : parseDictdIndex(index, u"x.index"_s)) {
        require(entry.line > lastLine);
        lastLine = entry.line;
        require(entry.headword.isEmpty() ||
                (entry.headword.data() >= index.data() &&
                 entry.headword.data() + entry.headword.size() <= index.data() + index.size()));
        require(!entry.headword.contains('\t') && !entry.headword.contains('\n'));
        quint64 value = 0;
        require(decodeDictdNumber(encodeDictdNumber(entry.offset), value) == -1 && value == entry.offset);
    }
    require(lastLine <= index.count('\n') + 1);
}

void stardictInfo(QByteArrayView ifo)
{
    const StardictInfo info = parseStardictInfo(ifo, u"x.ifo"_s);
    require(info.offsetBits == 32 || info.offsetBits == 64);
    require(info.wordCount >= 0 && info.idxFileSize >= 0);
}

void stardictIndex(QByteArrayView idx, int offsetBits)
{
    // Entries follow one another with nothing between them or after the last.
    qint64 next = 0;
    for (const StardictIndexEntry &entry : parseStardictIndex(idx, offsetBits, u"x.idx"_s)) {
        require(entry.at == next);
        require(!entry.headword.contains('\0'));
        next = entry.at + entry.headword.size() + 1 + offsetBits / 8 + 4;
    }
    require(next == idx.size());
}

void stardictArticle(QByteArrayView data, quint8 settings)
{
    // Up to three bytes of the input as the same-type sequence; bit 2 takes
    // the article for the first part of a cut one, which is never malformed.
    const qsizetype typeCount = std::min<qsizetype>(settings % 4, data.size());
    const bool cut = settings & 4;
    try {
        (void)stardictArticleText(data.sliced(typeCount), data.first(typeCount), u"x.dict"_s, 0, cut);
    } catch (const ImportError &) {
        require(!cut);
    }
}

void plainText(QByteArrayView bytes)
{
    // Cut anywhere, an article's bytes end where text may end: a prefix,
    // whole UTF-8 sequences (when they were), at a line break or space when
    // there is one close to the end.
    const QByteArrayView kept = cutArticleBytes(bytes);
    require(bytes.startsWith(kept));
    if (QString::fromUtf8(bytes).toUtf8() == bytes)
        require(QString::fromUtf8(kept).toUtf8() == kept);

    // The headword, a NUL, the article.
    const qsizetype nul = bytes.indexOf('\0');
    const QString headword = QString::fromUtf8(nul < 0 ? QByteArrayView() : bytes.first(nul));
    const QString article = QString::fromUtf8(nul < 0 ? bytes : bytes.sliced(nul + 1));
    checkArticle(plainArticle(article, headword));
    const QString collapsed = collapsedSpaces(article);
    require(collapsedSpaces(collapsed) == collapsed);
}

void markup(QByteArrayView bytes, bool xdxf)
{
    const QString text = QString::fromUtf8(bytes);
    require(markupText(text, xdxf).size() <= text.size());
}

void wordList(QByteArrayView text, char separator)
{
    QByteArray bytes = text.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ByteSource source(buffer, false, u"x.tsv"_s);
    qint64 lastLine = 0;
    parseWordList(source, separator, u"x.tsv"_s, [&](const WordListEntry &entry) {
        require(entry.line > lastLine);
        lastLine = entry.line;
        require(!entry.headwordCut && !entry.translations.cut);
        for (const QString &sense : entry.translations.senses) {
            require(!sense.isEmpty());
            require(!hasControl(sense) && !sense.startsWith(u' ') && !sense.endsWith(u' '));
        }
    });
    require(lastLine <= text.count('\n') + 1);
}

QByteArray gzipped(QByteArrayView data)
{
    z_stream zs = {};
    require(deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    require(deflate(&zs, Z_FINISH) == Z_STREAM_END);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

// Settings: bits 0-1 raw input as gzip, input compressed here (once, or as two
// members), or input read plain; bits 2-7 the window's steps and how much of
// each article it keeps.
void streams(QByteArrayView input, quint8 settings)
{
    const int kind = settings % 4;
    QByteArray stream = input.toByteArray();
    std::optional<QByteArray> whole;
    if (kind == 1 || kind == 2) {
        stream = gzipped(input);
        if (kind == 2)
            stream += gzipped(input.first(input.size() / 2));
        try {
            whole = gunzip(stream, u"x.gz"_s);
        } catch (const ImportError &) {
            std::abort();
        }
        require(*whole ==
                input.toByteArray() + (kind == 1 ? QByteArray() : input.first(input.size() / 2).toByteArray()));
    } else if (kind == 0) {
        try {
            whole = gunzip(stream, u"x.gz"_s);
        } catch (const ImportError &) {
        }
    } else {
        whole = stream;
    }

    QBuffer buffer(&stream);
    buffer.open(QIODevice::ReadOnly);
    ByteSource source(buffer, kind != 3, u"x.gz"_s);
    // Inflated on a thread of its own or as read: the same bytes either way.
    if (input.size() % 3 == 0)
        source.readAhead();
    ArticleWindow window(source);
    const quint64 gap = (settings >> 2) % 8 * 11;
    const quint64 length = 1 + (settings >> 5) * 37;
    const qsizetype keep = qsizetype(length) / ((settings >> 5) % 3 + 1);
    try {
        // Articles that overlap the one before as well as ones after a gap; a
        // bounded number of them, as a small stream may inflate to megabytes.
        quint64 offset = 0;
        for (int step = 0; step < 2000; ++step, offset += 1 + gap + (step % 3 == 0 ? 0 : length / 2)) {
            QByteArrayView got;
            const bool ok = window.fetch(offset, length, keep, got);
            const quint64 kept = std::min(length, quint64(keep));
            if (whole) {
                require(ok == (offset + kept <= quint64(whole->size())));
                require(!ok || got == QByteArrayView(*whole).sliced(qsizetype(offset), qsizetype(kept)));
            }
            if (!ok)
                break;
        }
        // Reaching past the end fails, up to it succeeds.
        const bool past = input.size() % 2 == 1;
        if (whole)
            require(window.reach(quint64(whole->size()) + (past ? 1 : 0)) == !past);
    } catch (const ImportError &) {
        // A stream that read whole reads through the window as well.
        require(!whole);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const quint8 settings = data[1];
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 2, static_cast<qsizetype>(size) - 2);
    try {
        switch (data[0] % 10) {
        case 0:
            dictdNumbers(input);
            break;
        case 1:
            dictdIndex(input);
            break;
        case 2:
            stardictInfo(input);
            break;
        case 3:
            stardictIndex(input, settings % 2 == 0 ? 32 : 64);
            break;
        case 4:
            stardictArticle(input, settings);
            break;
        case 5:
            plainText(input);
            break;
        case 6:
            markup(input, settings % 2 == 1);
            break;
        case 7:
            wordList(input, '\t');
            break;
        case 8:
            wordList(input, ',');
            break;
        default:
            streams(input, settings);
            break;
        }
    } catch (const ImportError &) {
        // Bad input is told about; anything else thrown escapes and crashes.
    }
    return 0;
}
