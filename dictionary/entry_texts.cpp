#include "entry_texts.h"

#include "text_scans.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace lexorra::dictionary {

namespace {

constexpr qsizetype kPageBytes = 4096;

// The most bytes a text of @p chars characters takes in a buffer: two a
// character, and one to align it.
constexpr qsizetype roomFor(qsizetype chars)
{
    return 2 * chars + 1;
}

// Throws when a buffer of @p bytes is more than spans can describe; a text
// too long for a span needs more room than that too.
void checkRoom(qsizetype bytes)
{
    if (bytes > TextSpan::kMaxBufferBytes)
        throw std::length_error("a buffer of texts holds less than 4 GiB");
}

// Stores @p text at byte @p used of @p data, which has room for it (roomFor()
// and checkRoom()), and moves @p used past it. Inlined by force, as the
// compiler would not: called for every text a listing keeps, the call cost a
// sixth of keeping it.
[[gnu::always_inline]] inline TextSpan store(QStringView text, char *data, qsizetype &used)
{
    TextSpan span{static_cast<quint32>(used), static_cast<quint32>(text.size()), 0};
    if (fast::toLatin1(text, data + used)) {
        used += text.size();
        return span;
    }
    // UTF-16 units start at an even offset, so that they can be read in place.
    used += used % 2;
    span.begin = static_cast<quint32>(used);
    span.wide = 1;
    std::memcpy(data + used, text.utf16(), static_cast<size_t>(text.size()) * sizeof(char16_t));
    used += 2 * text.size();
    return span;
}

QString textAt(const QByteArray &buffer, TextSpan span)
{
    const char *data = buffer.constData() + span.begin;
    if (span.wide)
        return QString(reinterpret_cast<const QChar *>(data), span.length);
    return QString::fromLatin1(data, span.length);
}

} // namespace

QString EntryTexts::at(qsizetype index) const
{
    return textAt(m_buffer, m_spans.at(index));
}

void EntryTexts::append(QStringView text)
{
    qsizetype used = m_buffer.size();
    checkRoom(used + roomFor(text.size()));
    m_buffer.resize(used + roomFor(text.size()));
    m_spans.append(store(text, m_buffer.data(), used));
    m_buffer.truncate(used);
}

void EntryTexts::append(const EntryTexts &other)
{
    if (isEmpty()) {
        *this = other;
        return;
    }
    m_spans.reserve(m_spans.size() + other.size());
    for (qsizetype i = 0; i < other.size(); ++i)
        append(other.at(i));
}

void EntryTexts::clear()
{
    m_buffer = QByteArray();
    m_spans = QList<TextSpan>();
}

void EntryPairs::append(QStringView first, QStringView second)
{
    const qsizetype needed = m_used + roomFor(first.size()) + roomFor(second.size());
    if (needed > m_textRoom || m_size == m_spanRoom)
        makeRoom(needed);
    m_firstSpans[m_size] = store(first, m_texts, m_used);
    m_secondSpans[m_size] = store(second, m_texts, m_used);
    ++m_size;
    m_chars += first.size() + second.size();
}

void EntryPairs::makeRoom(qsizetype bytes)
{
    if (m_size == m_spanRoom)
        makeSpanRoom(std::max<qsizetype>(2 * m_size, 256));
    if (bytes > m_buffer.size() || !m_buffer.isDetached())
        growBuffer(bytes);
    m_texts = m_buffer.data();
    m_textRoom = m_buffer.size();
}

void EntryPairs::growBuffer(qsizetype bytes)
{
    checkRoom(bytes);
    const qsizetype room = std::min(std::max({bytes, 2 * m_buffer.size(), kPageBytes}), TextSpan::kMaxBufferBytes);
    if (m_buffer.isDetached()) {
        m_buffer.resize(room);
    } else {
        // Shared with lists that still show its texts: they keep theirs.
        QByteArray fresh(room, Qt::Uninitialized);
        std::memcpy(fresh.data(), m_buffer.constData(), static_cast<size_t>(m_used));
        m_buffer = std::move(fresh);
        m_ready = 0;
    }
}

void EntryPairs::makeSpanRoom(qsizetype pairs)
{
    // Resizing, or detaching, a list that lists share leaves them theirs.
    for (QList<TextSpan> *spans : {&m_firsts, &m_seconds}) {
        if (spans->size() < pairs)
            spans->resize(pairs);
        else
            spans->detach();
    }
    m_firstSpans = m_firsts.data();
    m_secondSpans = m_seconds.data();
    m_spanRoom = std::min(m_firsts.size(), m_seconds.size());
}

EntryTexts EntryPairs::handOut(QList<TextSpan> &spans)
{
    // The lists see the pairs only; the next pair makes room anew.
    spans.resize(m_size);
    m_spanRoom = std::min(m_spanRoom, m_size);
    m_textRoom = 0;
    return {m_buffer, spans};
}

void EntryPairs::clear()
{
    // Emptying a shared buffer would allocate a fresh one for nothing:
    // letting go of it is cheaper, and the lists keep their texts.
    if (!m_buffer.isDetached() || m_buffer.size() > kKeptListingRoom) {
        m_buffer = QByteArray();
        m_ready = 0;
    }
    m_used = 0;
    m_chars = 0;
    m_size = 0;
    m_spanRoom = 0;
    m_textRoom = 0;
    for (QList<TextSpan> *spans : {&m_firsts, &m_seconds}) {
        if (!spans->isDetached())
            *spans = QList<TextSpan>();
    }
}

void EntryPairs::reserve(qsizetype pairs, qsizetype bytes)
{
    if (!m_buffer.isNull() && !m_buffer.isDetached())
        return;
    // Resized, the lists' memory is ready too.
    makeSpanRoom(pairs);
    bytes = std::min(bytes, kKeptListingRoom);
    if (bytes > m_buffer.size()) {
        const char *before = m_buffer.constData();
        m_textRoom = 0;
        m_buffer.resize(bytes);
        if (m_buffer.constData() != before)
            m_ready = 0;
    }
}

bool EntryPairs::prepareMore(qsizetype bytes)
{
    if (m_buffer.isNull() || !m_buffer.isDetached())
        return false;
    // Writing one byte to a page is what makes the system provide it; the
    // room past the texts holds nothing of value.
    const qsizetype end = std::min(m_buffer.size(), m_ready + std::max(bytes, kPageBytes));
    char *data = m_buffer.data();
    for (qsizetype at = std::max(m_ready, m_used); at < end; at += kPageBytes)
        data[at] = 0;
    m_ready = std::max(m_ready, end);
    return m_ready < m_buffer.size();
}

} // namespace lexorra::dictionary
