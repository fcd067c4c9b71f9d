#pragma once

#include "program_limits.h"

#include <QString>
#include <QStringView>

namespace lexorra::dictionary {

/// Where a reader gets its text from, piece by piece.
class TextSource
{
public:
    virtual ~TextSource() = default;

    /// Appends the next piece of text to @p out. Returns false, appending
    /// nothing, when there is no more.
    virtual bool readMore(QString &out) = 0;

protected:
    TextSource() = default;
    Q_DISABLE_COPY_MOVE(TextSource)
};

/// Sequential reader of comma- and line-delimited fields, over a whole text or
/// over a source that supplies it piece by piece. It only ever holds the
/// record being read plus one piece of the source, whatever the text's length.
///
/// A field ends at a comma or a line break (LF, CR or CRLF). Spaces and tabs
/// around an unquoted field are dropped. A field that opens with a double quote
/// runs to the next quote, so it may hold commas and spaces; the quotes are not
/// part of it, and anything between the closing quote and the next delimiter is
/// dropped. A quote left open ends at the line break, so one stray quote cannot
/// swallow the rest of the file. Two adjacent commas, or a blank line, give one
/// empty field. Quotes inside an unquoted field are kept as they stand.
///
/// No text file holds a field of millions of characters, but any sequence of
/// bytes may come in as one: a field longer than kMaxFieldLength keeps only its
/// first kMaxFieldLength characters, and once about kMaxFieldRun characters
/// have gone by without the field ending, the text is taken to end there.
class DelimitedReader final
{
public:
    /// A reader over the whole of @p text.
    explicit DelimitedReader(QString text = {});
    Q_DISABLE_COPY_MOVE(DelimitedReader)

    /// Starts over on the text of @p source (none: an empty text), keeping the
    /// buffer for reuse. May read the first piece, and throws what it throws.
    void reset(TextSource *source);

    /// True when no more data is left to read.
    [[nodiscard]] bool atEnd() const { return m_pos >= m_text.size() && !m_source; }

    /// Reads the next two fields, wherever the line breaks between them fall,
    /// as views into the reader's buffer that stay valid until the next read
    /// or reset. Throws RuntimeError(InputPastEndOfFile) when only blanks, or
    /// nothing, are left for either; the first is then consumed and lost.
    void readRecord(QStringView &first, QStringView &second);

private:
    // A field's place, counted from the start of its record.
    struct Span
    {
        qsizetype begin = 0;
        qsizetype length = 0;
    };

    bool takeQuotedRecord(Span &first, Span &second);
    bool takeFieldHere(Span &span);
    Span takeField();
    bool pullMore(qsizetype keepUpTo, qsizetype &run);
    void topUp()
    {
        if (m_pos >= m_text.size())
            readOn();
    }
    void readOn();
    void dropRead();
    [[nodiscard]] QStringView view(Span span) const
    {
        return QStringView(m_text).sliced(m_recordStart + span.begin, span.length);
    }

    QString m_text;
    qsizetype m_pos = 0;
    // Where the record being read starts; the text before it has been read.
    qsizetype m_recordStart = 0;
    // Null once the source has run dry, or for a whole text.
    TextSource *m_source = nullptr;
};

} // namespace lexorra::dictionary
