#pragma once

#include "program_limits.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

namespace lexorra::dictionary {

/// Where a text lies in a buffer of texts, and how it is stored there: eight
/// bytes, as a listing holds two for each of its tens of thousands of entries,
/// and writing them was a third of the time spent keeping it (bench_lookup).
struct TextSpan
{
    /// The largest buffer a span can describe; no text longer than a
    /// quarter of it fits in the 31 bits of its length.
    static constexpr qsizetype kMaxBufferBytes = qsizetype(1) << 32;

    /// Byte offset of the text in the buffer.
    quint32 begin = 0;
    /// Its length in characters.
    quint32 length : 31 = 0;
    /// Stored as UTF-16 code units; else as Latin-1, one byte a character.
    quint32 wide : 1 = 0;
};
static_assert(sizeof(TextSpan) == 8);

/// A sequence of texts that lie in one shared buffer: a listing of tens of
/// thousands of entries costs no allocation per entry. A text whose every
/// character is Latin-1, as most entries of European languages are, takes one
/// byte a character, and any other text two. The buffer holds less than
/// 4 GiB (TextSpan::kMaxBufferBytes): appending past that throws
/// std::length_error, as a failed allocation would throw std::bad_alloc.
///
/// Copies share the buffer until one of them changes (implicit sharing), so
/// handing a listing to a list is free.
class EntryTexts final
{
public:
    EntryTexts() = default;
    /// The texts at @p spans of @p buffer, sharing both.
    EntryTexts(const QByteArray &buffer, const QList<TextSpan> &spans) : m_buffer(buffer), m_spans(spans) {}

    [[nodiscard]] qsizetype size() const { return m_spans.size(); }
    [[nodiscard]] bool isEmpty() const { return m_spans.isEmpty(); }

    /// The text at @p index, which must lie in [0, size()).
    [[nodiscard]] QString at(qsizetype index) const;

    void append(QStringView text);

    /// Appends the texts of @p other; when this sequence is empty, it shares
    /// @p other's buffer instead of copying it.
    void append(const EntryTexts &other);

    /// Removes every text and lets go of the buffer.
    void clear();

    /// True when @p other holds the very same buffer, not just equal texts.
    [[nodiscard]] bool isSharedWith(const EntryTexts &other) const { return m_buffer.isSharedWith(other.m_buffer); }

private:
    QByteArray m_buffer;
    QList<TextSpan> m_spans;
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
    EntryPairs() = default;
    Q_DISABLE_COPY_MOVE(EntryPairs)

    [[nodiscard]] qsizetype size() const { return m_size; }
    [[nodiscard]] bool isEmpty() const { return m_size == 0; }
    /// Characters of all the texts together.
    [[nodiscard]] qsizetype textSize() const { return m_chars; }

    void append(QStringView first, QStringView second);

    /// The first and the second texts of the pairs, sharing the buffer.
    /// Pairs appended afterwards are not part of what was handed out.
    [[nodiscard]] EntryTexts firsts() { return handOut(m_firsts); }
    [[nodiscard]] EntryTexts seconds() { return handOut(m_seconds); }

    /// Removes every pair, keeping the room for the next ones unless the
    /// buffer is shared or over kKeptListingRoom.
    void clear();

    /// Makes room for @p pairs pairs of about @p bytes bytes in all (at most
    /// kKeptListingRoom), to be made ready by prepareMore(). Does nothing to a
    /// buffer that is shared.
    void reserve(qsizetype pairs, qsizetype bytes);

    /// Makes about @p bytes more of the room ready for use; false once all of
    /// it is ready, or when the buffer is shared.
    bool prepareMore(qsizetype bytes);

private:
    void makeRoom(qsizetype bytes);
    void growBuffer(qsizetype bytes);
    void makeSpanRoom(qsizetype pairs);
    EntryTexts handOut(QList<TextSpan> &spans);

    // Its size is the room; the first m_used bytes hold the texts, and the
    // first m_ready have been made ready.
    QByteArray m_buffer;
    qsizetype m_used = 0;
    qsizetype m_ready = 0;
    qsizetype m_chars = 0;
    // The buffer's data, ours alone to write up to m_textRoom; 0 once it may
    // be shared or moved, until the next makeRoom().
    char *m_texts = nullptr;
    qsizetype m_textRoom = 0;
    // Their sizes are the room for pairs, and the first m_size hold the
    // pairs'. While m_size is below m_spanRoom, both are ours alone and
    // written through the pointers: appending to a QList costs as much as
    // storing a text.
    QList<TextSpan> m_firsts;
    QList<TextSpan> m_seconds;
    TextSpan *m_firstSpans = nullptr;
    TextSpan *m_secondSpans = nullptr;
    qsizetype m_size = 0;
    qsizetype m_spanRoom = 0;
};

} // namespace lexorra::dictionary
