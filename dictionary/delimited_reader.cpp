#include "delimited_reader.h"

#include "runtime_error.h"

#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lexorra::dictionary {

namespace {

// Text already read is dropped from the front of the buffer once this much of
// it has piled up.
constexpr qsizetype kCompactFrom = 32 * 1024;
// A buffer that grew beyond this for one file is given back before the next.
constexpr qsizetype kKeptCapacity = 512 * 1024;

constexpr bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// The first position from @p pos on whose character is @p a, @p b or @p c, or
// @p size when there is none. Fields are scanned eight characters at a time
// where the processor allows it: the scan is most of a lookup's work.
qsizetype findAny(const char16_t *data, qsizetype pos, qsizetype size, char16_t a, char16_t b, char16_t c)
{
#ifdef __SSE2__
    const __m128i wantA = _mm_set1_epi16(static_cast<short>(a));
    const __m128i wantB = _mm_set1_epi16(static_cast<short>(b));
    const __m128i wantC = _mm_set1_epi16(static_cast<short>(c));
    for (; pos + 8 <= size; pos += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(chars, wantA), _mm_cmpeq_epi16(chars, wantB)),
                                          _mm_cmpeq_epi16(chars, wantC));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0)
            return pos + std::countr_zero(mask) / 2;
    }
#endif
    for (; pos < size; ++pos) {
        const char16_t ch = data[pos];
        if (ch == a || ch == b || ch == c)
            return pos;
    }
    return size;
}

} // namespace

DelimitedReader::DelimitedReader(QString text) : m_text(std::move(text))
{}

void DelimitedReader::reset(TextSource *source)
{
    if (m_text.capacity() > kKeptCapacity)
        m_text = QString();
    else
        m_text.truncate(0);
    m_pos = 0;
    m_source = source;
    topUp();
}

QString DelimitedReader::readField()
{
    compact();
    return view(takeField()).toString();
}

void DelimitedReader::readRecord(QString &first, QString &second)
{
    QStringView firstView;
    QStringView secondView;
    readRecord(firstView, secondView);
    first = firstView.toString();
    second = secondView.toString();
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
        m_pos = findAny(data, m_pos, size, quoted ? u'"' : u',', u'\n', u'\r');
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
            m_pos = findAny(data, m_pos, size, u',', u'\n', u'\r');
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
