#include "entry_texts.h"

namespace lexorra::dictionary {

void EntryTexts::append(const EntryTexts &other)
{
    if (isEmpty()) {
        *this = other;
        return;
    }
    const qsizetype offset = m_text.size();
    m_text.append(other.m_text);
    m_ends.reserve(m_ends.size() + other.m_ends.size());
    for (const qsizetype end : other.m_ends)
        m_ends.append(offset + end);
}

void EntryTexts::clear()
{
    // Emptying a shared buffer would copy nothing yet allocate a fresh one:
    // letting go of it is cheaper, and the other owner keeps its texts.
    if (m_text.isDetached() && m_text.capacity() <= kKeptCapacity)
        m_text.truncate(0);
    else
        m_text = QString();
    if (m_ends.isDetached())
        m_ends.resize(0);
    else
        m_ends = QList<qsizetype>();
}

} // namespace lexorra::dictionary
