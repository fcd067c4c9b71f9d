#pragma once

// Decoding a letter file's bytes at once, reading every record of a text the
// way the listing does, and a text source that hands its text out in small
// pieces, as a file read in chunks does.

#include "delimited_reader.h"
#include "letter_text.h"
#include "runtime_error.h"

#include <QStringList>

#include <algorithm>
#include <functional>

namespace lexorra::testing {

/// A letter file's text and the encoding it was read in.
struct DecodedText
{
    QString text;
    lexorra::dictionary::TextEncoding encoding = lexorra::dictionary::TextEncoding::Utf8;
};

/// Decodes a whole letter file at once, with the rules of LetterDecoder.
inline DecodedText decodeLetterText(QByteArrayView bytes)
{
    lexorra::dictionary::LetterDecoder decoder;
    DecodedText decoded;
    decoder.decode(bytes, decoded.text);
    decoder.finish(decoded.text);
    decoded.encoding = decoder.encoding();
    return decoded;
}

struct ReadOutcome
{
    QStringList records; // "headword|translation"
    bool endedPastEnd = false;
    bool operator==(const ReadOutcome &) const = default;
};

/// While not at the end, reads two fields; a read past the end stops it.
/// Any other error is thrown on.
inline ReadOutcome readAllRecords(lexorra::dictionary::DelimitedReader &reader)
{
    ReadOutcome outcome;
    while (!reader.atEnd()) {
        QStringView headword;
        QStringView translation;
        try {
            reader.readRecord(headword, translation);
        } catch (const lexorra::dictionary::RuntimeError &error) {
            if (error.code() != lexorra::dictionary::ErrorCode::InputPastEndOfFile)
                throw;
            outcome.endedPastEnd = true;
            break;
        }
        outcome.records.append(headword.toString() + u'|' + translation.toString());
    }
    return outcome;
}

/// The record syntax written out plainly over the whole text, one field at a
/// time, to hold the reader to (fields under kMaxFieldLength).
inline ReadOutcome referenceRead(const QString &text)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    const auto isBreak = [](QChar c) { return c == u'\n' || c == u'\r'; };
    qsizetype pos = 0;
    const auto field = [&](QString &out) {
        while (pos < text.size() && isBlank(text.at(pos)))
            ++pos;
        if (pos >= text.size())
            return false;
        if (text.at(pos) == u'"') {
            const qsizetype close = ++pos;
            while (pos < text.size() && text.at(pos) != u'"' && !isBreak(text.at(pos)))
                ++pos;
            out = text.mid(close, pos - close);
        } else {
            const qsizetype begin = pos;
            while (pos < text.size() && text.at(pos) != u',' && !isBreak(text.at(pos)))
                ++pos;
            out = text.mid(begin, pos - begin);
            while (!out.isEmpty() && isBlank(out.back()))
                out.chop(1);
        }
        while (pos < text.size() && text.at(pos) != u',' && !isBreak(text.at(pos)))
            ++pos;
        if (pos < text.size())
            pos += text.mid(pos, 2) == QStringLiteral("\r\n") ? 2 : 1;
        return true;
    };
    ReadOutcome outcome;
    while (pos < text.size()) {
        QString first;
        QString second;
        if (!field(first) || !field(second)) {
            outcome.endedPastEnd = true;
            break;
        }
        outcome.records.append(first + u'|' + second);
    }
    return outcome;
}

/// Hands out a text in pieces whose sizes @p nextSize chooses (at least 1).
class PieceSource final : public lexorra::dictionary::TextSource
{
public:
    PieceSource(QString text, std::function<qsizetype()> nextSize)
        : m_text(std::move(text)), m_nextSize(std::move(nextSize))
    {}
    bool readMore(QString &out) override
    {
        if (m_pos >= m_text.size())
            return false;
        const qsizetype take = std::clamp<qsizetype>(m_nextSize(), 1, m_text.size() - m_pos);
        out.append(QStringView(m_text).sliced(m_pos, take));
        m_pos += take;
        return true;
    }

private:
    QString m_text;
    std::function<qsizetype()> m_nextSize;
    qsizetype m_pos = 0;
};

} // namespace lexorra::testing
