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
    /// of the source); the headword is stored as storedHeadword() makes it.
    /// Entries that no lookup could reach are counted, not kept.
    void add(quint32 order, QStringView headword, const ArticleText &text);
    /// As add(), for a headword given as storedHeadword() made it.
    void addStored(quint32 order, const QString &word, const ArticleText &text);

    /// Counts an entry whose headword was too long to be read whole.
    void skipLongHeadword() { ++m_skipped.longHeadword; }

    /// Writes the letter files into the existing @p folder. A translation
    /// longer than kMaxFieldLength characters is cut at a word break and ends
    /// with "…". Throws ImportError when a file cannot be written, Interrupted
    /// when asked to stop.
    WriteResult write(const QString &folder, Progress &progress);

private:
    struct Item
    {
        const char *data; // headword, senses and references, one after another
        // The headword's first sixteen bytes, big-endian and padded with
        // zeros, to sort by quickly: headwords hold no zero byte, so for two of
        // up to sixteen bytes equal keys mean equal headwords.
        quint64 key[2];
        quint32 order;
        quint32 headwordSize;
        quint32 sensesSize;
        quint32 referencesSize : 31;
        quint32 cut : 1; // the article was cut when it was read

        [[nodiscard]] std::string_view headword() const { return {data, headwordSize}; }
        [[nodiscard]] std::string_view senses() const { return {data + headwordSize, sensesSize}; }
        [[nodiscard]] std::string_view references() const { return {data + headwordSize + sensesSize, referencesSize}; }
    };

    char *room(size_t bytes);

    // Entries' text lives in large blocks that never move, so half a million
    // small entries cost neither an allocation each nor copies as they grow.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_blockEnd = nullptr;
    size_t m_blockFree = 0;
    // The entries, in pieces of a fixed size, so that millions of them are
    // never copied to grow; write() takes them into one list to sort.
    std::vector<std::unique_ptr<Item[]>> m_itemPieces;
    qint64 m_itemCount = 0;
    SkipCounts m_skipped;
};

/// A field of a record: quoted, with double quotes made typographic and line
/// breaks made spaces, since the record format has no way to write either.
[[nodiscard]] QByteArray quotedField(QByteArrayView utf8);

/// Appends quotedField(@p utf8) to @p out.
void appendQuotedField(QByteArray &out, QByteArrayView utf8);

} // namespace lexorra::import
