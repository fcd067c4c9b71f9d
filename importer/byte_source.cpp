#include "byte_source.h"

#include "import_error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kChunk = 256 * 1024;

} // namespace

bool isGzipName(const QString &path)
{
    return path.endsWith(u".gz"_s) || path.endsWith(u".dz"_s);
}

ByteSource::ByteSource(QIODevice &device, bool gzip, QString name)
    : m_device(device), m_name(std::move(name)), m_gzip(gzip)
{
    if (!m_gzip)
        return;
    // 16 + 15 window bits: a gzip wrapper is required, and its check sum and
    // length are verified at the end of every member.
    if (inflateInit2(&m_zs, 16 + MAX_WBITS) != Z_OK)
        throw ImportError(m_name + u": cannot start decompression"_s);
    m_input.resize(kChunk);
}

ByteSource::~ByteSource()
{
    if (m_gzip)
        inflateEnd(&m_zs);
}

qsizetype ByteSource::readRaw(char *data, qsizetype max)
{
    if (m_deviceAtEnd)
        return 0;
    const qint64 got = m_device.read(data, max);
    if (got < 0)
        throw ImportError(m_name + u": cannot read: "_s + m_device.errorString());
    if (got == 0)
        m_deviceAtEnd = true;
    m_consumed += got;
    return got;
}

qsizetype ByteSource::read(char *data, qsizetype max)
{
    if (max <= 0)
        return 0;
    return m_gzip ? inflateSome(data, max) : readRaw(data, max);
}

qsizetype ByteSource::inflateSome(char *data, qsizetype max)
{
    const auto room = static_cast<uInt>(std::min<qsizetype>(max, qsizetype(1) << 30));
    m_zs.next_out = reinterpret_cast<Bytef *>(data);
    m_zs.avail_out = room;
    while (m_zs.avail_out == room) {
        if (m_zs.avail_in == 0) {
            const qsizetype got = readRaw(m_input.data(), m_input.size());
            m_zs.next_in = reinterpret_cast<Bytef *>(m_input.data());
            m_zs.avail_in = static_cast<uInt>(got);
            if (got == 0) {
                if (m_streamEnded)
                    return 0;
                throw ImportError::atByte(m_name, m_consumed, u"the compressed data is cut short"_s);
            }
        }
        if (m_streamEnded) {
            // More data after a complete member: gzip allows members one after another.
            inflateReset(&m_zs);
            m_streamEnded = false;
        }
        const int status = inflate(&m_zs, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            m_streamEnded = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            const qint64 at = m_consumed - m_zs.avail_in;
            const QString why = m_zs.msg ? QString::fromUtf8(m_zs.msg) : u"error %1"_s.arg(status);
            throw ImportError::atByte(m_name, at, u"corrupt compressed data ("_s + why + u')');
        }
    }
    return static_cast<qsizetype>(room - m_zs.avail_out);
}

void openForReading(QFile &file, const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw ImportError(path + u": no such file"_s);
    if (!info.isFile())
        throw ImportError(path + u": not a regular file"_s);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(path + u": cannot open: "_s + file.errorString());
}

namespace {

QByteArray readAll(ByteSource &source)
{
    QByteArray out;
    qsizetype size = 0;
    for (;;) {
        throwIfInterrupted();
        out.resize(size + kChunk);
        const qsizetype got = source.read(out.data() + size, kChunk);
        if (got == 0)
            break;
        size += got;
    }
    out.resize(size);
    return out;
}

} // namespace

QByteArray readWholeFile(const QString &path)
{
    QFile file;
    openForReading(file, path);
    if (!isGzipName(path)) {
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw ImportError(path + u": cannot read: "_s + file.errorString());
        return bytes;
    }
    ByteSource source(file, true, path);
    return readAll(source);
}

QByteArray gunzip(QByteArrayView data, const QString &name)
{
    QByteArray copy = data.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    ByteSource source(buffer, true, name);
    return readAll(source);
}

bool ArticleWindow::fetch(quint64 offset, quint64 length, QByteArrayView &out)
{
    Q_ASSERT(offset >= m_start);
    // Drop what lies before the offset, reading past it when it is not here yet.
    const auto held = [this] { return static_cast<quint64>(m_buffer.size() - m_head); };
    if (offset - m_start >= held()) {
        m_start += held();
        m_buffer.clear();
        m_head = 0;
        char skip[64 * 1024];
        while (m_start < offset && !m_atEnd) {
            const qsizetype got =
                m_source.read(skip, static_cast<qsizetype>(std::min<quint64>(sizeof skip, offset - m_start)));
            m_atEnd = got == 0;
            m_start += static_cast<quint64>(got);
        }
        if (m_start < offset)
            return false;
    } else {
        m_head += static_cast<qsizetype>(offset - m_start);
        m_start = offset;
    }
    if (m_head > m_buffer.size() / 2 && m_head > kChunk) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
    while (held() < length && !m_atEnd) {
        throwIfInterrupted();
        const qsizetype size = m_buffer.size();
        m_buffer.resize(size + kChunk);
        const qsizetype got = m_source.read(m_buffer.data() + size, kChunk);
        m_buffer.resize(size + got);
        m_atEnd = got == 0;
    }
    if (held() < length)
        return false;
    out = QByteArrayView(m_buffer.constData() + m_head, static_cast<qsizetype>(length));
    return true;
}

} // namespace lexorra::import
