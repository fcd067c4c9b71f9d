#include "byte_source.h"

#include "import_error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

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

// Pieces handed from the reading thread to read(): full ones in order, and
// spare ones back, so that a few are ever allocated.
struct ByteSource::Ahead
{
    static constexpr int kPieces = 4;
    static constexpr qsizetype kPieceSize = 1024 * 1024;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> full;
    std::vector<QByteArray> spare;
    bool ended = false;    // no more pieces will come
    bool stopping = false; // read() will take no more
    std::exception_ptr failure;
    std::thread thread;
    // Taken by read(), and its own.
    QByteArray current;
    qsizetype taken = 0;
};

ByteSource::~ByteSource()
{
    if (m_ahead) {
        {
            const std::lock_guard lock(m_ahead->mutex);
            m_ahead->stopping = true;
        }
        m_ahead->changed.notify_all();
        m_ahead->thread.join();
    }
    if (m_gzip)
        inflateEnd(&m_zs);
}

void ByteSource::readAhead()
{
    if (m_ahead)
        return;
    m_ahead = std::make_unique<Ahead>();
    for (int i = 0; i < Ahead::kPieces; ++i)
        m_ahead->spare.emplace_back();
    m_ahead->thread = std::thread([this] { runAhead(); });
}

void ByteSource::runAhead()
{
    Ahead &ahead = *m_ahead;
    try {
        for (;;) {
            QByteArray piece;
            {
                std::unique_lock lock(ahead.mutex);
                ahead.changed.wait(lock, [&] { return ahead.stopping || !ahead.spare.empty(); });
                if (ahead.stopping)
                    return;
                piece = std::move(ahead.spare.back());
                ahead.spare.pop_back();
            }
            piece.resize(Ahead::kPieceSize);
            qsizetype size = 0;
            bool atEnd = false;
            while (size < piece.size() && !atEnd) {
                const qsizetype got = produce(piece.data() + size, piece.size() - size);
                atEnd = got == 0;
                size += got;
            }
            piece.resize(size);
            {
                const std::lock_guard lock(ahead.mutex);
                if (size > 0)
                    ahead.full.push_back(std::move(piece));
                ahead.ended = atEnd;
            }
            ahead.changed.notify_all();
            if (atEnd)
                return;
        }
    } catch (...) {
        {
            const std::lock_guard lock(ahead.mutex);
            ahead.failure = std::current_exception();
            ahead.ended = true;
        }
        ahead.changed.notify_all();
    }
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
    if (!m_ahead)
        return produce(data, max);
    Ahead &ahead = *m_ahead;
    if (ahead.taken == ahead.current.size()) {
        {
            std::unique_lock lock(ahead.mutex);
            if (ahead.current.capacity() > 0)
                ahead.spare.push_back(std::move(ahead.current));
            ahead.current = QByteArray();
            ahead.taken = 0;
            ahead.changed.notify_all();
            ahead.changed.wait(lock, [&] { return !ahead.full.empty() || ahead.ended; });
            if (!ahead.full.empty()) {
                ahead.current = std::move(ahead.full.front());
                ahead.full.pop_front();
            } else if (ahead.failure) {
                std::rethrow_exception(ahead.failure);
            } else {
                return 0;
            }
        }
    }
    const qsizetype size = std::min(max, ahead.current.size() - ahead.taken);
    std::memcpy(data, ahead.current.constData() + ahead.taken, size_t(size));
    ahead.taken += size;
    return size;
}

qsizetype ByteSource::produce(char *data, qsizetype max)
{
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

// Everything @p source gives, but no more than @p limit bytes when it is not negative.
QByteArray readAll(ByteSource &source, qint64 limit)
{
    QByteArray out;
    qsizetype size = 0;
    for (;;) {
        throwIfInterrupted();
        qsizetype room = kChunk;
        if (limit >= 0)
            room = static_cast<qsizetype>(std::min<qint64>(room, limit - size));
        if (room <= 0)
            break;
        out.resize(size + room);
        const qsizetype got = source.read(out.data() + size, room);
        if (got == 0)
            break;
        size += got;
    }
    out.resize(size);
    return out;
}

quint32 littleEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (qsizetype i = bytes.size(); i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

} // namespace

QByteArray readWholeFile(const QString &path, qint64 limit)
{
    QFile file;
    openForReading(file, path);
    ByteSource source(file, isGzipName(path), path);
    return readAll(source, limit < 0 ? -1 : limit + 1);
}

std::optional<quint64> dictzipDataSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The gzip header with dictzip's "RA" field: version 1, the length of a
    // chunk once inflated, their count, then each one's compressed size.
    const QByteArray head = file.read(12 + 0xFFFF + 4096);
    const auto *bytes = reinterpret_cast<const unsigned char *>(head.constData());
    if (head.size() < 12 || bytes[0] != 0x1F || bytes[1] != 0x8B || bytes[2] != 8 || !(bytes[3] & 4))
        return std::nullopt;
    const quint8 flags = bytes[3];
    const qsizetype extraSize = littleEndian(QByteArrayView(head).sliced(10, 2));
    if (head.size() < 12 + extraSize)
        return std::nullopt;
    const QByteArrayView extra = QByteArrayView(head).sliced(12, extraSize);
    qsizetype at = 12 + extraSize;
    for (const quint8 flag : {quint8(8), quint8(16)}) {
        // The file name and the comment, each ended by a NUL.
        if (flags & flag) {
            const qsizetype nul = head.indexOf('\0', at);
            if (nul < 0)
                return std::nullopt;
            at = nul + 1;
        }
    }
    if (flags & 2)
        at += 2;
    for (qsizetype field = 0; field + 4 <= extra.size();) {
        const QByteArrayView id = extra.sliced(field, 2);
        const qsizetype length = littleEndian(extra.sliced(field + 2, 2));
        if (field + 4 + length > extra.size())
            return std::nullopt;
        const QByteArrayView data = extra.sliced(field + 4, length);
        field += 4 + length;
        if (id != "RA" || length < 6 || littleEndian(data.first(2)) != 1)
            continue;
        const quint64 chunkLength = littleEndian(data.sliced(2, 2));
        const quint64 chunks = littleEndian(data.sliced(4, 2));
        if (quint64(length) < 6 + 2 * chunks)
            return std::nullopt;
        quint64 compressed = 0;
        for (quint64 i = 0; i < chunks; ++i)
            compressed += littleEndian(data.sliced(qsizetype(6 + 2 * i), 2));
        // The table accounts for the file but the stream's final empty block:
        // the file is one member, as a second one takes 20 bytes or more.
        constexpr quint64 kFinalBlockRoom = 16;
        const quint64 accounted = quint64(at) + compressed + 8;
        if (accounted > quint64(file.size()) || quint64(file.size()) - accounted > kFinalBlockRoom ||
            !file.seek(file.size() - 4))
            return std::nullopt;
        const QByteArray trailer = file.read(4);
        if (trailer.size() != 4)
            return std::nullopt;
        // All chunks but the last are whole, and the trailer gives the size
        // modulo 2^32: together they fix it.
        const quint64 least = chunks == 0 ? 0 : (chunks - 1) * chunkLength;
        const quint64 size = least + ((littleEndian(trailer) - least) & 0xFFFFFFFFu);
        if (size > chunks * chunkLength)
            return std::nullopt;
        return size;
    }
    return std::nullopt;
}

QByteArray gunzip(QByteArrayView data, const QString &name)
{
    QByteArray copy = data.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    ByteSource source(buffer, true, name);
    return readAll(source, -1);
}

bool ArticleWindow::skipTo(quint64 offset)
{
    Q_ASSERT(offset >= m_start);
    if (offset - m_start < held()) {
        m_head += static_cast<qsizetype>(offset - m_start);
        m_start = offset;
        return true;
    }
    // Nothing held is wanted: read past the rest without keeping it.
    m_start += held();
    m_buffer.truncate(0);
    m_head = 0;
    char skip[64 * 1024];
    while (m_start < offset && !m_atEnd) {
        throwIfInterrupted();
        const qsizetype got =
            m_source.read(skip, static_cast<qsizetype>(std::min<quint64>(sizeof skip, offset - m_start)));
        m_atEnd = got == 0;
        m_start += static_cast<quint64>(got);
    }
    return m_start >= offset;
}

bool ArticleWindow::fetch(quint64 offset, quint64 length, qsizetype keep, QByteArrayView &out)
{
    if (!skipTo(offset))
        return false;
    const quint64 wanted = std::min(length, static_cast<quint64>(keep));
    if (m_head > m_buffer.size() / 2 && m_head > kChunk) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
    while (held() < wanted && !m_atEnd) {
        throwIfInterrupted();
        const qsizetype size = m_buffer.size();
        m_buffer.resize(size + kChunk);
        const qsizetype got = m_source.read(m_buffer.data() + size, kChunk);
        m_buffer.resize(size + got);
        m_atEnd = got == 0;
    }
    if (held() < wanted)
        return false;
    out = QByteArrayView(m_buffer.constData() + m_head, static_cast<qsizetype>(wanted));
    return true;
}

bool ArticleWindow::reach(quint64 end)
{
    return end <= m_start || skipTo(end);
}

} // namespace lexorra::import
