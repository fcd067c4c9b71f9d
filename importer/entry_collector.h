#pragma once

#include "article_text.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <string>
#include <vector>

namespace lexorra::import {

class Progress;

/// Why entries were left out.
struct SkipCounts
{
    qint64 emptyHeadword = 0; ///< nothing left of the headword once normalised
    qint64 unusableFile = 0;  ///< its letter file's name could not be a file of the folder
    qint64 noTranslation = 0; ///< no text to show for it
    [[nodiscard]] qint64 total() const { return emptyHeadword + unusableFile + noTranslation; }
};

/// A letter file with more records than the list can show.
struct OversizedFile
{
    QString name;
    qint64 records = 0;
};

/// What writing the letter files did.
struct WriteResult
{
    qint64 headwords = 0;
    qint64 files = 0;
    qint64 duplicatesMerged = 0;
    SkipCounts skipped;
    QList<OversizedFile> oversized;
};

/// Gathers entries under the headwords a lookup will search for, then writes
/// them as letter files: one record per headword, sorted by code point.
class EntryCollector final
{
public:
    /// Records the list can show from one letter file.
    static constexpr qint64 kListLimit = 32767;

    /// Adds an entry. @p order ranks entries of the same headword (the order
    /// of the source); the headword is normalised the way a lookup normalises
    /// the typed word. Entries that no lookup could reach are counted, not kept.
    void add(quint64 order, QStringView headword, const ArticleText &text);

    /// Entries kept so far.
    [[nodiscard]] qint64 count() const { return static_cast<qint64>(m_items.size()); }

    /// Writes the letter files into the existing @p folder. Throws ImportError
    /// when a file cannot be written, Interrupted when asked to stop.
    WriteResult write(const QString &folder, Progress &progress);

private:
    struct Item
    {
        quint64 order;
        qsizetype headwordAt;
        qsizetype sensesAt;
        qsizetype referencesAt;
        qsizetype end;
    };

    std::string_view slice(qsizetype from, qsizetype to) const { return {m_text.data() + from, size_t(to - from)}; }
    qsizetype appendJoined(const QStringList &parts);

    // Every kept entry's headword, senses and references, one after another;
    // one arena keeps half a million small entries cheap.
    std::string m_text;
    std::vector<Item> m_items;
    SkipCounts m_skipped;
};

/// A field of a record: quoted, with double quotes made typographic and line
/// breaks made spaces, since the record format has no way to write either.
[[nodiscard]] QByteArray quotedField(QByteArrayView utf8);

} // namespace lexorra::import
