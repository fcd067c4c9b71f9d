#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace lexorra::dictionary {

/// A sequence of texts that lie in one shared buffer: a listing of tens of
/// thousands of entries costs no allocation per entry, and reading an entry
/// costs no copy.
///
/// Copies share the buffer until one of them changes (implicit sharing), so
/// handing a listing to a list is free.
class EntryTexts final
{
public:
    /// Where a text lies in the buffer.
    struct Span
    {
        qsizetype begin = 0;
        qsizetype length = 0;
    };

    EntryTexts() = default;
    /// The texts at @p spans of @p text, sharing both.
    EntryTexts(const QString &text, const QList<Span> &spans) : m_text(text), m_spans(spans) {}

    [[nodiscard]] qsizetype size() const { return m_spans.size(); }
    [[nodiscard]] bool isEmpty() const { return m_spans.isEmpty(); }

    /// The text at @p index, valid until this sequence next changes.
    /// @p index must lie in [0, size()).
    [[nodiscard]] QStringView at(qsizetype index) const
    {
        const Span span = m_spans.at(index);
        return QStringView(m_text).sliced(span.begin, span.length);
    }

    void append(QStringView text);

    /// Appends the texts of @p other; when this sequence is empty, it shares
    /// @p other's buffer instead of copying it.
    void append(const EntryTexts &other);

    /// Removes every text and lets go of the buffer.
    void clear();

    /// True when @p other holds the very same buffer, not just equal texts.
    [[nodiscard]] bool isSharedWith(const EntryTexts &other) const { return m_text.isSharedWith(other.m_text); }

private:
    QString m_text;
    QList<Span> m_spans;
};

/// Pairs of texts gathered for two lists at once, end to end in one buffer
/// that the two lists then share.
///
/// The buffer is kept from one gathering to the next once nobody else shares
/// it, and room for a gathering can be made ready ahead of time, so that
/// filling it costs the system no fresh memory.
class EntryPairs final
{
public:
    /// Most characters of room clear() keeps; a bigger buffer is given back.
    static constexpr qsizetype kKeptCapacity = 16 * 1024 * 1024;

    [[nodiscard]] qsizetype size() const { return m_firsts.size(); }
    [[nodiscard]] bool isEmpty() const { return m_firsts.isEmpty(); }
    /// Characters of all the texts together.
    [[nodiscard]] qsizetype textSize() const { return m_used; }

    void append(QStringView first, QStringView second);

    /// The first and the second texts of the pairs, sharing the buffer.
    [[nodiscard]] EntryTexts firsts() const { return {m_text, m_firsts}; }
    [[nodiscard]] EntryTexts seconds() const { return {m_text, m_seconds}; }

    /// Removes every pair, keeping the room for the next ones unless the
    /// buffer is shared or over kKeptCapacity.
    void clear();

    /// Makes room for @p pairs pairs of @p chars characters in all (at most
    /// kKeptCapacity), to be made ready by prepareMore(). Does nothing to a
    /// buffer that is shared.
    void reserve(qsizetype pairs, qsizetype chars);

    /// Makes about @p bytes more of the room ready for use; false once all of
    /// it is ready, or when the buffer is shared.
    bool prepareMore(qsizetype bytes);

private:
    void grow(qsizetype chars);

    // Its size is the room; the first m_used characters hold the texts, and
    // the first m_ready have been made ready.
    QString m_text;
    qsizetype m_used = 0;
    qsizetype m_ready = 0;
    QList<EntryTexts::Span> m_firsts;
    QList<EntryTexts::Span> m_seconds;
};

} // namespace lexorra::dictionary
