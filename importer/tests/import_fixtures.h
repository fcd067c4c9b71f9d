#pragma once

// What the importer's tests share: dictionaries built in memory, a run of the
// real lexorra-import, and a lookup through the dictionary core.

#include "fake_lookup.h"
#include "letter_file.h"
#include "record_reading.h"
#include "source_formats.h"
#include "text_rules.h"
#include "translator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <functional>

#include <zlib.h>

namespace lexorra::import::fixtures {

using namespace Qt::StringLiterals;

using Files = QList<std::pair<QString, QByteArray>>;

/// @p data as a gzip stream, as gzip and dictzip write it.
inline QByteArray gzipped(const QByteArray &data)
{
    z_stream zs = {};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

/// @p data as dictzip writes it: one gzip member whose header's "RA" field
/// lists the compressed size of each chunk of @p chunkLength bytes, each
/// flushed on its own; the stream's final empty block is in no chunk.
inline QByteArray dictzipped(const QByteArray &data, int chunkLength = 58315)
{
    z_stream zs = {};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray body;
    QList<quint16> sizes;
    const auto deflated = [&zs](const QByteArray &chunk, int flush) {
        QByteArray out(qsizetype(deflateBound(&zs, uLong(chunk.size()))) + 64, '\0');
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.constData()));
        zs.avail_in = uInt(chunk.size());
        zs.next_out = reinterpret_cast<Bytef *>(out.data());
        zs.avail_out = uInt(out.size());
        deflate(&zs, flush);
        out.resize(out.size() - qsizetype(zs.avail_out));
        return out;
    };
    for (qsizetype at = 0; at < data.size(); at += chunkLength) {
        const QByteArray chunk = deflated(data.mid(at, chunkLength), Z_FULL_FLUSH);
        sizes.append(quint16(chunk.size()));
        body += chunk;
    }
    body += deflated({}, Z_FINISH);
    deflateEnd(&zs);
    const auto le16 = [](int value) {
        QByteArray out(2, '\0');
        out[0] = char(value & 0xFF);
        out[1] = char((value >> 8) & 0xFF);
        return out;
    };
    const auto le32 = [&](quint32 value) { return le16(int(value & 0xFFFF)) + le16(int(value >> 16)); };
    QByteArray ra = "RA" + le16(6 + 2 * int(sizes.size())) + le16(1) + le16(chunkLength) + le16(int(sizes.size()));
    for (const quint16 size : sizes)
        ra += le16(size);
    const QByteArray header = QByteArray("\x1F\x8B\x08\x04\0\0\0\0\x02\x03", 10) + le16(int(ra.size())) + ra;
    const auto crc =
        quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    return header + body + le32(crc) + le32(quint32(data.size()));
}

/// A dictd pair NAME.index and NAME.dict (or NAME.dict.dz) holding @p articles
/// (headword, article) in that order.
inline Files dictd(const QString &name, const QList<std::pair<QByteArray, QByteArray>> &articles, bool compressed)
{
    QByteArray index;
    QByteArray data;
    for (const auto &[headword, article] : articles) {
        index += headword + '\t' + encodeDictdNumber(quint64(data.size())) + '\t' +
                 encodeDictdNumber(quint64(article.size())) + '\n';
        data += article;
    }
    if (compressed)
        return {{name + u".index"_s, index}, {name + u".dict.dz"_s, gzipped(data)}};
    return {{name + u".index"_s, index}, {name + u".dict"_s, data}};
}

inline QByteArray bigEndian32(quint32 value)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char(value >> (24 - 8 * i));
    return out;
}

/// A StarDict set NAME.ifo, NAME.idx and NAME.dict; @p types is the
/// sametypesequence line's value, or empty for articles that carry their types.
inline Files stardict(const QString &name, const QList<std::pair<QByteArray, QByteArray>> &articles,
                      const QByteArray &types)
{
    QByteArray idx;
    QByteArray data;
    for (const auto &[headword, article] : articles) {
        idx += headword + '\0' + bigEndian32(quint32(data.size())) + bigEndian32(quint32(article.size()));
        data += article;
    }
    QByteArray ifo = "StarDict's dict ifo file\nversion=2.4.2\nbookname=Tiny StarDict\nwordcount=" +
                     QByteArray::number(articles.size()) + "\nidxfilesize=" + QByteArray::number(idx.size()) + '\n';
    if (!types.isEmpty())
        ifo += "sametypesequence=" + types + '\n';
    return {{name + u".ifo"_s, ifo}, {name + u".idx"_s, idx}, {name + u".dict"_s, data}};
}

inline void writeFiles(const QString &folder, const Files &files)
{
    for (const auto &[name, bytes] : files) {
        QFile file(folder + u'/' + name);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.fileName()));
        QCOMPARE(file.write(bytes), bytes.size());
    }
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

/// Runs lexorra-import with @p arguments in @p folder; @p inChild runs in the
/// child process before the importer starts.
inline Run runImporter(const QString &folder, const QStringList &arguments,
                       const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                       const std::function<void()> &inChild = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(LEXORRA_IMPORT_PATH), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

/// The box a lookup of @p typed shows in @p folder, as "title|text", or an
/// empty string when it shows none.
inline QString lookUp(const QString &folder, const QString &typed)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    testing::FakeEntryList list1;
    testing::FakeEntryList list2;
    testing::FakeCaption label2;
    testing::FakeDialogs dialogs;
    dictionary::Translator translator(list1, list2, label2, dialogs);
    dialogs.replies.append(typed);
    translator.Begin_Translation();
    QDir::setCurrent(previous);
    return dialogs.boxes.isEmpty() ? QString() : dialogs.boxes.first().title + u'|' + dialogs.boxes.first().text;
}

/// Every record of the letter file @p name in @p folder, read as the window
/// reads it.
inline testing::ReadOutcome readLetterFile(const QString &folder, const QString &name)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    dictionary::LetterFile file;
    file.open(name);
    dictionary::DelimitedReader reader;
    reader.reset(&file);
    testing::ReadOutcome outcome = testing::readAllRecords(reader);
    QDir::setCurrent(previous);
    return outcome;
}

/// What a lookup of @p headword should show for @p translation.
inline QString shown(const QString &headword, const QString &translation)
{
    return dictionary::properCase(headword) + u'|' + dictionary::properCase(translation);
}

} // namespace lexorra::import::fixtures
