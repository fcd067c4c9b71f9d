#include "delimited_reader.h"

#include "runtime_error.h"
#include "text_scans.h"

namespace lexorra::dictionary {

namespace {

// Text already read is dropped from the front of the buffer once this much of
// it has piled up.
constexpr qsizetype kCompactFrom = 32 * 1024;

constexpr bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

DelimitedReader::DelimitedReader(QString text) : m_text(std::move(text))
{}

void DelimitedReader::reset(TextSource *source)
{
    if (m_text.capacity() * qsizetype(sizeof(char16_t)) > kKeptReadBuffer)
        m_text = QString();
    else
        m_text.truncate(0);
    m_pos = 0;
    m_source = source;
    topUp();
}

void DelimitedReader::readRecord(QStringView &first, QStringView &second)
{
    compact();
    const Span firstSpan = takeField();
    const Span secondSpan = takeField();
    // Views only now: reading the second field may have moved the buffer.
    first = view(firstSpan);
    second = view(secondSpan);
}

DelimitedReader::Span DelimitedReader::takeField()
{
    const char16_t *data = nullptr;
    qsizetype size = 0;
    const auto refresh = [&] {
        data = reinterpret_cast<const char16_t *>(m_text.constData());
        size = m_text.size();
    };
    refresh();
    // Characters pulled from the source for this field, to bound its run.
    qsizetype run = 0;

    // Leading blanks: nothing of them is kept, so the buffer drops them
    // whenever it needs more text.
    const qsizetype fieldStart = m_pos;
    for (;;) {
        while (m_pos < size && isBlank(data[m_pos]))
            ++m_pos;
        if (m_pos < size)
            break;
        if (!pullMore(fieldStart, run))
            throw RuntimeError(ErrorCode::InputPastEndOfFile);
        refresh();
    }

    // The field's own characters; beyond kMaxFieldLength they are read past
    // but not kept.
    Span span;
    const bool quoted = data[m_pos] == u'"';
    if (quoted)
        ++m_pos;
    span.begin = m_pos;
    for (;;) {
        m_pos = fast::indexOfAny(data, m_pos, size, quoted ? u'"' : u',', u'\n', u'\r');
        if (m_pos < size)
            break;
        if (!pullMore(std::min(m_pos, span.begin + kMaxFieldLength), run))
            break;
        refresh();
    }
    qsizetype end = m_pos;
    if (!quoted) {
        while (end > span.begin && isBlank(data[end - 1]))
            --end;
    }
    span.length = std::min(end - span.begin, kMaxFieldLength);

    // After a closing quote, whatever comes before the next delimiter is dropped.
    if (quoted) {
        const qsizetype junkFrom = m_pos;
        for (;;) {
            m_pos = fast::indexOfAny(data, m_pos, size, u',', u'\n', u'\r');
            if (m_pos < size)
                break;
            if (!pullMore(junkFrom, run))
                break;
            refresh();
        }
    }

    // The delimiter itself; CRLF counts as one.
    if (m_pos < size) {
        const char16_t c = data[m_pos++];
        if (c == u'\r') {
            topUp();
            if (m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
                ++m_pos;
        }
    }
    topUp();
    return span;
}

bool DelimitedReader::pullMore(qsizetype keepUpTo, qsizetype &run)
{
    // Only called at the end of the buffer: what lies between keepUpTo and
    // there has been read and is not needed any more.
    m_text.truncate(keepUpTo);
    m_pos = keepUpTo;
    while (m_source) {
        if (run > kMaxFieldRun) {
            m_source = nullptr;
            break;
        }
        const qsizetype before = m_text.size();
        if (!m_source->readMore(m_text)) {
            m_source = nullptr;
            break;
        }
        run += m_text.size() - before;
        if (m_text.size() > before)
            return true;
    }
    return false;
}

void DelimitedReader::topUp()
{
    // Keeps atEnd() true to its word: either text is buffered or the source is dry.
    while (m_pos >= m_text.size() && m_source) {
        if (!m_source->readMore(m_text))
            m_source = nullptr;
    }
}

void DelimitedReader::compact()
{
    if (m_pos >= kCompactFrom) {
        m_text.remove(0, m_pos);
        m_pos = 0;
    }
}

} // namespace lexorra::dictionary
