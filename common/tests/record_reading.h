#pragma once

// Reading every record of a text the way the listing does, and a text source
// that hands its text out in small pieces, as a file read in chunks does.

#include "delimited_reader.h"
#include "runtime_error.h"

#include <QStringList>

#include <algorithm>
#include <functional>

namespace lexorra::testing {

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
