#pragma once

#include <QString>

namespace lexorra::dictionary {

/// Sequential reader of comma- and line-delimited fields, over the whole text
/// of one letter file.
///
/// A field ends at a comma or a line break (LF, CR or CRLF). Spaces and tabs
/// around an unquoted field are dropped. A field that opens with a double quote
/// runs to the next quote, so it may hold commas and spaces; the quotes are not
/// part of it, and anything between the closing quote and the next delimiter is
/// dropped. A quote left open ends at the line break, so one stray quote cannot
/// swallow the rest of the file. Two adjacent commas, or a blank line, give one
/// empty field. Quotes inside an unquoted field are kept as they stand.
class DelimitedReader final
{
public:
    explicit DelimitedReader(QString text = {});

    /// True when no more data is left to read.
    [[nodiscard]] bool atEnd() const { return m_pos >= m_text.size(); }

    /// Reads the next field. Throws RuntimeError(InputPastEndOfFile) when only
    /// blanks, or nothing, are left.
    QString readField();

    /// Reads the next two fields, wherever the line breaks between them fall.
    /// Throws RuntimeError(InputPastEndOfFile) when either is missing; the first
    /// is then consumed and lost.
    void readRecord(QString &first, QString &second);

private:
    void skipDelimiter();

    QString m_text;
    qsizetype m_pos = 0;
};

} // namespace lexorra::dictionary
