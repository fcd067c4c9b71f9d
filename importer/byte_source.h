#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

#include <zlib.h>

class QFile;
class QIODevice;

namespace lexorra::import {

/// True for the names of gzip streams: ".gz" and dictzip's ".dz".
[[nodiscard]] bool isGzipName(const QString &path);

/// Reads a file, or a gzip stream inflated on the way, from start to end in
/// pieces, so that memory never grows with the data's size.
class ByteSource final
{
public:
    /// Reads @p device from where it stands; @p name names it in errors.
    ByteSource(QIODevice &device, bool gzip, QString name);
    ~ByteSource();
    Q_DISABLE_COPY_MOVE(ByteSource)

    /// Up to @p max bytes; 0 only at the end of the data. Throws ImportError
    /// when the device fails or a gzip stream is cut short or corrupt.
    qsizetype read(char *data, qsizetype max);

    /// From now on reads and inflates on a thread of its own, a few pieces
    /// ahead of read(), so that inflating overlaps the work on what it gave.
    /// The device is that thread's from then on.
    void readAhead();

    /// How many bytes were taken from the device so far, without readAhead().
    [[nodiscard]] qint64 consumed() const { return m_consumed; }

private:
    struct Ahead;

    qsizetype produce(char *data, qsizetype max);
    qsizetype readRaw(char *data, qsizetype max);
    qsizetype inflateSome(char *data, qsizetype max);
    void runAhead();

    QIODevice &m_device;
    QString m_name;
    bool m_gzip;
    bool m_deviceAtEnd = false;
    bool m_streamEnded = false;
    qint64 m_consumed = 0;
    QByteArray m_input;
    z_stream m_zs = {};
    std::unique_ptr<Ahead> m_ahead;
};

/// Opens @p path for reading, refusing what is not a regular file. Throws ImportError.
void openForReading(QFile &file, const QString &path);

/// The whole content of @p path, inflated when its name says gzip. With a
/// @p limit, reads no more than @p limit + 1 bytes, so that a file larger than
/// the limit is told without being held.
[[nodiscard]] QByteArray readWholeFile(const QString &path, qint64 limit = -1);

/// The size of the data in the gzip file @p path once inflated, when its
/// header tells it: a dictzip file's table of chunks bounds the size, and the
/// length in its trailer then fixes it. Empty for any other file.
[[nodiscard]] std::optional<quint64> dictzipDataSize(const QString &path);

/// Inflates a whole gzip stream held in memory; @p name names it in errors.
[[nodiscard]] QByteArray gunzip(QByteArrayView data, const QString &name);

/// Articles taken at increasing offsets from a sequential source. Only the
/// bytes from the latest offset on are held, and of an article no more than the
/// caller keeps, so that memory stays bounded whatever length an entry claims.
class ArticleWindow final
{
public:
    explicit ArticleWindow(ByteSource &source) : m_source(source) {}

    /// Sets @p out to the bytes [offset, offset + length), or to only their
    /// first @p keep bytes when there are more: the rest is not read until a
    /// later offset or reach() needs it. An offset must not be below the one
    /// before it. False when the data ends before what is returned.
    bool fetch(quint64 offset, quint64 length, qsizetype keep, QByteArrayView &out);

    /// Reads on to the offset @p end without holding what it reads. False
    /// when the data ends before it.
    bool reach(quint64 end);

private:
    [[nodiscard]] quint64 held() const { return static_cast<quint64>(m_buffer.size() - m_head); }
    bool skipTo(quint64 offset);

    ByteSource &m_source;
    QByteArray m_buffer;
    qsizetype m_head = 0; // where m_start lies in m_buffer
    quint64 m_start = 0;  // data offset of m_buffer[m_head]
    bool m_atEnd = false;
};

} // namespace lexorra::import
