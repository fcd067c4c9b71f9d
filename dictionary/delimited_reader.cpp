#include "delimited_reader.h"

#include "runtime_error.h"
#include "text_scans.h"

#include <bit>
#include <cstring>

namespace lexorra::dictionary {

namespace {

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
    m_recordStart = 0;
    m_source = source;
    topUp();
}

// Inlined into readRecord() by force, as takeFieldHere() is.
[[gnu::always_inline]] inline bool DelimitedReader::takeQuotedRecord(Span &first, Span &second)
{
    // A record that reads "first","second" and LF or CRLF, as an import
    // writes every record, taken whole by the quotes and line breaks among
    // its first 64 characters, which mostly hold all of it; false, having
    // taken nothing, for any other record and near the buffer's end. With a
    // scan for each closing quote instead, whose end the processor cannot
    // foresee, a lookup took about 9 % longer (bench_lookup).
    constexpr qsizetype kBlock = 64;
    const auto *data = reinterpret_cast<const char16_t *>(m_text.constData());
    const qsizetype size = m_text.size();
    const qsizetype open = m_pos;
    if (size - open < kBlock + 3 || data[open] != u'"')
        return false;
    const qsizetype from = open + 1;
    quint64 marks = fast::quotesAndBreaks64(data + from);
    if (marks == 0)
        return false;
    const qsizetype close = from + std::countr_zero(marks);
    if (data[close] != u'"' || data[close + 1] != u',' || data[close + 2] != u'"')
        return false;
    // The second field's closing quote: among the same marks when the
    // record is short, else by a scan from where they end.
    const qsizetype after = close + 3 - from;
    marks = after < kBlock ? marks >> after : 0;
    const qsizetype close2 = marks != 0 ? close + 3 + std::countr_zero(marks)
                                        : fast::indexOfAny(data, from + kBlock, size, u'"', u'\n', u'\r');
    if (close2 + 1 >= size || data[close2] != u'"')
        return false;
    qsizetype next = close2 + 2;
    if (data[close2 + 1] != u'\n') {
        if (data[close2 + 1] != u'\r' || next >= size || data[next] != u'\n')
            return false;
        ++next;
    }
    first = {1, std::min(close - from, kMaxFieldLength)};
    second = {close + 3 - open, std::min(close2 - close - 3, kMaxFieldLength)};
    m_pos = next;
    return true;
}

// Inlined into readRecord() by force: called twice for every record, it
// costs as much again in calls as in work otherwise (bench_lookup, callgrind).
[[gnu::always_inline]] inline bool DelimitedReader::takeFieldHere(Span &span)
{
    // What takeField() does, for a field that lies whole in the buffer with
    // its delimiter (and after a CR, the character that follows): most do,
    // and this way they are taken without a check for the buffer's end at
    // every step.
    const auto *data = reinterpret_cast<const char16_t *>(m_text.constData());
    const qsizetype size = m_text.size();
    qsizetype pos = m_pos;
    while (pos < size && isBlank(data[pos]))
        ++pos;
    if (pos >= size)
        return false;
    qsizetype begin = pos;
    qsizetype end = 0;
    if (data[pos] == u'"') {
        begin = pos + 1;
        end = pos = fast::indexOfAny(data, begin, size, u'"', u'\n', u'\r');
        // Whatever follows a closing quote up to the delimiter is dropped;
        // mostly the delimiter follows at once.
        if (pos < size && data[pos] == u'"') {
            ++pos;
            if (pos < size && data[pos] != u',' && data[pos] != u'\n' && data[pos] != u'\r')
                pos = fast::indexOfAny(data, pos, size, u',', u'\n', u'\r');
        }
    } else {
        end = pos = fast::indexOfAny(data, begin, size, u',', u'\n', u'\r');
        while (end > begin && isBlank(data[end - 1]))
            --end;
    }
    if (pos >= size || (data[pos] == u'\r' && pos + 1 >= size))
        return false;
    m_pos = pos + (data[pos] == u'\r' && data[pos + 1] == u'\n' ? 2 : 1);
    span = {begin - m_recordStart, std::min(end - begin, kMaxFieldLength)};
    if (m_pos >= size)
        topUp();
    return true;
}

void DelimitedReader::readRecord(QStringView &first, QStringView &second)
{
    m_recordStart = m_pos;
    Span firstSpan;
    Span secondSpan;
    if (takeQuotedRecord(firstSpan, secondSpan)) {
        topUp();
    } else {
        if (!takeFieldHere(firstSpan))
            firstSpan = takeField();
        if (!takeFieldHere(secondSpan))
            secondSpan = takeField();
    }
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
    // Positions kept across a pull count from the record's start, since the
    // text before it is dropped then.

    // Leading blanks: nothing of them is kept, so the buffer drops them
    // whenever it needs more text.
    const qsizetype fieldStart = m_pos - m_recordStart;
    for (;;) {
        while (m_pos < size && isBlank(data[m_pos]))
            ++m_pos;
        if (m_pos < size)
            break;
        if (!pullMore(m_recordStart + fieldStart, run))
            throw RuntimeError(ErrorCode::InputPastEndOfFile);
        refresh();
    }

    // The field's own characters; beyond kMaxFieldLength they are read past
    // but not kept.
    Span span;
    const bool quoted = data[m_pos] == u'"';
    if (quoted)
        ++m_pos;
    span.begin = m_pos - m_recordStart;
    for (;;) {
        m_pos = fast::indexOfAny(data, m_pos, size, quoted ? u'"' : u',', u'\n', u'\r');
        if (m_pos < size)
            break;
        const bool more = pullMore(std::min(m_pos, m_recordStart + span.begin + kMaxFieldLength), run);
        refresh();
        if (!more)
            break;
    }
    const qsizetype begin = m_recordStart + span.begin;
    qsizetype end = m_pos;
    if (!quoted) {
        while (end > begin && isBlank(data[end - 1]))
            --end;
    }
    span.length = std::min(end - begin, kMaxFieldLength);

    // After a closing quote, whatever comes before the next delimiter is dropped.
    if (quoted) {
        const qsizetype junkFrom = m_pos - m_recordStart;
        for (;;) {
            m_pos = fast::indexOfAny(data, m_pos, size, u',', u'\n', u'\r');
            if (m_pos < size)
                break;
            const bool more = pullMore(m_recordStart + junkFrom, run);
            refresh();
            if (!more)
                break;
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
    dropRead();
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

void DelimitedReader::readOn()
{
    // Keeps atEnd() true to its word: either text is buffered or the source is dry.
    while (m_pos >= m_text.size() && m_source) {
        dropRead();
        if (!m_source->readMore(m_text))
            m_source = nullptr;
    }
}

void DelimitedReader::dropRead()
{
    // Before more text is added: all that is left of the buffer then is the
    // record being read, which takes little room to move. Moved by hand:
    // QString::remove() would only move the buffer's start, and the room
    // that leaves in front is lost to the next append, which then asks the
    // system for a fresh buffer every time.
    if (m_recordStart == 0)
        return;
    const qsizetype kept = m_text.size() - m_recordStart;
    char16_t *data = reinterpret_cast<char16_t *>(m_text.data());
    std::memmove(data, data + m_recordStart, static_cast<size_t>(kept) * sizeof(char16_t));
    m_text.truncate(kept);
    m_pos -= m_recordStart;
    m_recordStart = 0;
}

} // namespace lexorra::dictionary
