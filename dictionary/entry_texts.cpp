#include "entry_texts.h"

#include <algorithm>
#include <cstring>

namespace lexorra::dictionary {

namespace {

// Characters in one page of memory.
constexpr qsizetype kPageChars = 4096 / sizeof(char16_t);

} // namespace

void EntryTexts::append(QStringView text)
{
    m_spans.append({m_text.size(), text.size()});
    m_text.append(text);
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
    m_text = QString();
    m_spans = QList<Span>();
}

void EntryPairs::append(QStringView first, QStringView second)
{
    const qsizetype needed = m_used + first.size() + second.size();
    if (needed > m_text.size() || !m_text.isDetached())
        grow(needed);
    char16_t *data = reinterpret_cast<char16_t *>(m_text.data());
    m_firsts.append({m_used, first.size()});
    std::copy_n(first.utf16(), first.size(), data + m_used);
    m_used += first.size();
    m_seconds.append({m_used, second.size()});
    std::copy_n(second.utf16(), second.size(), data + m_used);
    m_used += second.size();
}

void EntryPairs::grow(qsizetype chars)
{
    const qsizetype room = std::max({chars, 2 * m_text.size(), kPageChars});
    if (m_text.isDetached()) {
        m_text.resize(room);
    } else {
        // Shared with lists that still show its texts: they keep theirs.
        QString fresh(room, Qt::Uninitialized);
        std::copy_n(m_text.constData(), m_used, fresh.data());
        m_text = std::move(fresh);
        m_ready = 0;
    }
}

void EntryPairs::clear()
{
    // Emptying a shared buffer would allocate a fresh one for nothing:
    // letting go of it is cheaper, and the lists keep their texts.
    if (!m_text.isDetached() || m_text.size() > kKeptCapacity) {
        m_text = QString();
        m_ready = 0;
    }
    m_used = 0;
    for (QList<EntryTexts::Span> *spans : {&m_firsts, &m_seconds}) {
        if (spans->isDetached())
            spans->resize(0);
        else
            *spans = QList<EntryTexts::Span>();
    }
}

void EntryPairs::reserve(qsizetype pairs, qsizetype chars)
{
    if (!m_text.isNull() && !m_text.isDetached())
        return;
    for (QList<EntryTexts::Span> *spans : {&m_firsts, &m_seconds}) {
        if (spans->capacity() < pairs) {
            // Grown and shrunk back at once: the list's memory is ready too.
            const qsizetype had = spans->size();
            spans->resize(pairs);
            spans->resize(had);
        }
    }
    chars = std::min(chars, kKeptCapacity);
    if (chars > m_text.size()) {
        const char16_t *before = reinterpret_cast<const char16_t *>(m_text.constData());
        m_text.resize(chars);
        if (reinterpret_cast<const char16_t *>(m_text.constData()) != before)
            m_ready = 0;
    }
}

bool EntryPairs::prepareMore(qsizetype bytes)
{
    if (m_text.isNull() || !m_text.isDetached())
        return false;
    // Writing one character to a page is what makes the system provide it;
    // the room past the texts holds nothing of value.
    const qsizetype end = std::min(m_text.size(), m_ready + std::max<qsizetype>(bytes / 2, kPageChars));
    char16_t *data = reinterpret_cast<char16_t *>(m_text.data());
    for (qsizetype at = std::max(m_ready, m_used); at < end; at += kPageChars)
        data[at] = 0;
    m_ready = std::max(m_ready, end);
    return m_ready < m_text.size();
}

} // namespace lexorra::dictionary
