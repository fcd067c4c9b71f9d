#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

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

private:
    qsizetype readRaw(char *data, qsizetype max);
    qsizetype inflateSome(char *data, qsizetype max);

    QIODevice &m_device;
    QString m_name;
    bool m_gzip;
    bool m_deviceAtEnd = false;
    bool m_streamEnded = false;
    qint64 m_consumed = 0;
    QByteArray m_input;
    z_stream m_zs = {};
};

/// Opens @p path for reading, refusing what is not a regular file. Throws ImportError.
void openForReading(QFile &file, const QString &path);

/// The whole content of @p path, inflated when its name says gzip.
[[nodiscard]] QByteArray readWholeFile(const QString &path);

/// Inflates a whole gzip stream held in memory; @p name names it in errors.
[[nodiscard]] QByteArray gunzip(QByteArrayView data, const QString &name);

/// Articles taken at increasing offsets from a sequential source. Only the
/// bytes from the latest offset on are held, so memory stays at about the
/// largest article.
class ArticleWindow final
{
public:
    explicit ArticleWindow(ByteSource &source) : m_source(source) {}

    /// Sets @p out to the bytes [offset, offset + length). An offset must not
    /// be below the one before it. False when the data ends too early.
    bool fetch(quint64 offset, quint64 length, QByteArrayView &out);

private:
    ByteSource &m_source;
    QByteArray m_buffer;
    qsizetype m_head = 0; // where m_start lies in m_buffer
    quint64 m_start = 0;  // data offset of m_buffer[m_head]
    bool m_atEnd = false;
};

} // namespace lexorra::import
