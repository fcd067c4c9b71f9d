#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace lexorra::dictionary {

/// A sequence of texts kept end to end in one buffer, with where each of them
/// ends: a listing of tens of thousands of entries costs a few allocations
/// instead of one per entry, and reading an entry costs no copy.
///
/// Copies share the buffer until one of them changes, so handing a listing to
/// a list is free. clear() keeps the memory for the next listing when nobody
/// else shares it.
class EntryTexts final
{
public:
    /// Most characters whose room clear() keeps; a bigger buffer is given back.
    static constexpr qsizetype kKeptCapacity = 16 * 1024 * 1024;

    [[nodiscard]] qsizetype size() const { return m_ends.size(); }
    [[nodiscard]] bool isEmpty() const { return m_ends.isEmpty(); }
    /// Characters of all the texts together.
    [[nodiscard]] qsizetype textSize() const { return m_text.size(); }

    /// The text at @p index, valid until this sequence next changes.
    /// @p index must lie in [0, size()).
    [[nodiscard]] QStringView at(qsizetype index) const
    {
        const qsizetype begin = index == 0 ? 0 : m_ends.at(index - 1);
        return QStringView(m_text).sliced(begin, m_ends.at(index) - begin);
    }

    /// Makes room for @p entries texts in all.
    void reserve(qsizetype entries) { m_ends.reserve(entries); }

    void append(QStringView text)
    {
        m_text.append(text);
        m_ends.append(m_text.size());
    }

    /// Appends the texts of @p other; when this sequence is empty, it shares
    /// @p other's buffer instead of copying it.
    void append(const EntryTexts &other);

    /// Removes every text, keeping the room for the next ones unless the
    /// buffer is shared or over kKeptCapacity.
    void clear();

    /// True when @p other holds the very same buffers, not just equal texts.
    [[nodiscard]] bool isSharedWith(const EntryTexts &other) const
    {
        return m_text.isSharedWith(other.m_text) && m_ends.isSharedWith(other.m_ends);
    }

private:
    QString m_text;
    QList<qsizetype> m_ends;
};

} // namespace lexorra::dictionary
