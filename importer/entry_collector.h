#pragma once

#include "article_text.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <memory>
#include <string_view>
#include <vector>

namespace lexorra::import {

class Progress;

/// Why entries were left out.
struct SkipCounts
{
    qint64 emptyHeadword = 0; ///< nothing left of the headword once normalised
    qint64 unusableFile = 0;  ///< its letter file's name could not be a file of the folder
    qint64 noTranslation = 0; ///< no text to show for it
    qint64 longHeadword = 0;  ///< longer than a field of a letter file holds
    [[nodiscard]] qint64 total() const { return emptyHeadword + unusableFile + noTranslation + longHeadword; }
};

/// A letter file with more records than a listing shows: more than the list
/// holds, or more text than a listing keeps.
struct OversizedFile
{
    QString name;
    qint64 records = 0;
    qint64 listed = 0; ///< the records a listing shows, from the first on
};

/// What writing the letter files did.
struct WriteResult
{
    qint64 headwords = 0;
    qint64 files = 0;
    qint64 duplicatesMerged = 0;
    /// Translations cut to a field's length, or to the part of an article
    /// that was read; they end with "…".
    qint64 cut = 0;
    SkipCounts skipped;
    QList<OversizedFile> oversized;
};

/// Gathers entries under the headwords a lookup will search for, then writes
/// them as letter files: one record per headword, sorted by code point, each
/// field short enough for the window to read whole.
class EntryCollector final
{
public:
    /// Adds an entry. @p order ranks entries of the same headword (the order
    /// of the source); the headword is normalised the way a lookup normalises
    /// the typed word. Entries that no lookup could reach are counted, not kept.
    void add(quint64 order, QStringView headword, const ArticleText &text);

    /// Counts an entry whose headword was too long to be read whole.
    void skipLongHeadword() { ++m_skipped.longHeadword; }

    /// Entries kept so far.
    [[nodiscard]] qint64 count() const { return static_cast<qint64>(m_items.size()); }

    /// Writes the letter files into the existing @p folder. A translation
    /// longer than kMaxFieldLength characters is cut at a word break and ends
    /// with "…". Throws ImportError when a file cannot be written, Interrupted
    /// when asked to stop.
    WriteResult write(const QString &folder, Progress &progress);

private:
    struct Item
    {
        quint64 key; // the headword's first eight bytes, big-endian, to sort by quickly
        quint64 order;
        const char *data; // headword, senses and references, one after another
        quint32 headwordSize;
        quint32 sensesSize;
        quint32 referencesSize;
        bool cut; // the article was cut when it was read

        std::string_view headword() const { return {data, headwordSize}; }
        std::string_view senses() const { return {data + headwordSize, sensesSize}; }
        std::string_view references() const { return {data + headwordSize + sensesSize, referencesSize}; }
    };

    const char *store(const QByteArray &bytes);

    // Entries' text lives in large blocks that never move, so half a million
    // small entries cost neither an allocation each nor copies as they grow.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_blockFree = 0;
    char *m_blockEnd = nullptr;
    std::vector<Item> m_items;
    SkipCounts m_skipped;
};

/// A field of a record: quoted, with double quotes made typographic and line
/// breaks made spaces, since the record format has no way to write either.
[[nodiscard]] QByteArray quotedField(QByteArrayView utf8);

} // namespace lexorra::import
