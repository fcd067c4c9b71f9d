#include "delimited_reader.h"

#include "runtime_error.h"

namespace lexorra::dictionary {

namespace {

constexpr bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

constexpr bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

constexpr bool isDelimiter(char16_t c)
{
    return c == u',' || isLineBreak(c);
}

} // namespace

DelimitedReader::DelimitedReader(QString text) : m_text(std::move(text))
{}

QString DelimitedReader::readField()
{
    const char16_t *data = reinterpret_cast<const char16_t *>(m_text.constData());
    const qsizetype size = m_text.size();

    while (m_pos < size && isBlank(data[m_pos]))
        ++m_pos;
    if (m_pos >= size)
        throw RuntimeError(ErrorCode::InputPastEndOfFile);

    QString field;
    if (data[m_pos] == u'"') {
        const qsizetype begin = ++m_pos;
        while (m_pos < size && data[m_pos] != u'"' && !isLineBreak(data[m_pos]))
            ++m_pos;
        field = m_text.sliced(begin, m_pos - begin);
        while (m_pos < size && !isDelimiter(data[m_pos]))
            ++m_pos;
    } else {
        const qsizetype begin = m_pos;
        while (m_pos < size && !isDelimiter(data[m_pos]))
            ++m_pos;
        qsizetype end = m_pos;
        while (end > begin && isBlank(data[end - 1]))
            --end;
        field = m_text.sliced(begin, end - begin);
    }
    skipDelimiter();
    return field;
}

void DelimitedReader::readRecord(QString &first, QString &second)
{
    first = readField();
    second = readField();
}

void DelimitedReader::skipDelimiter()
{
    if (m_pos >= m_text.size())
        return;
    const QChar c = m_text.at(m_pos++);
    if (c == u'\r' && m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
        ++m_pos;
}

} // namespace lexorra::dictionary
