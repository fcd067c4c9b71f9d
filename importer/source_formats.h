#pragma once

#include "article_text.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <vector>

namespace lexorra::import {

class ByteSource;
class EntryCollector;
class Progress;

/// What was read from a source.
struct SourceSummary
{
    QString format;       ///< "dictd", "StarDict", "tab-separated", "comma-separated"
    QString name;         ///< the dictionary's own name, when it has one
    qint64 entries = 0;   ///< entries read, metadata not counted
    qint64 metadata = 0;  ///< metadata entries set aside
    qint64 spellings = 0; ///< entries added under the headword as its article spells it
};

/// Reads the dictionary @p path names (a dictd .index, a StarDict .ifo, a .tsv
/// or .csv, or one of their sibling files) into @p collector. Throws
/// ImportError for bad input, Interrupted when asked to stop.
SourceSummary readSource(const QString &path, EntryCollector &collector, Progress &progress);

// The parsers below work on bytes in memory, so that any byte string can be fed
// to them; @p name names the data in errors.

/// One line of a dictd index.
struct DictdIndexEntry
{
    QByteArrayView headword;
    quint64 offset = 0;
    quint64 size = 0;
    qint64 line = 0;
};

/// dictd's base-64 number (digits A-Z a-z 0-9 + /, most significant first).
/// Returns the position of the first bad digit, or -1 when @p digits is a number.
qsizetype decodeDictdNumber(QByteArrayView digits, quint64 &value);

/// @p value in dictd's base-64 digits, as dictd writes its index.
QByteArray encodeDictdNumber(quint64 value);

/// Every line of a dictd index; the entries point into @p index. Throws
/// ImportError for a line that is not "headword TAB offset TAB length" or a
/// headword that is not UTF-8.
std::vector<DictdIndexEntry> parseDictdIndex(QByteArrayView index, const QString &name);

/// Settings of a StarDict .ifo file.
struct StardictInfo
{
    QString bookName;
    qint64 wordCount = 0;
    qint64 idxFileSize = 0;
    int offsetBits = 32;
    QByteArray sameTypeSequence;
};

StardictInfo parseStardictInfo(QByteArrayView ifo, const QString &name);

/// One entry of a StarDict .idx file.
struct StardictIndexEntry
{
    QByteArrayView headword;
    quint64 offset = 0;
    quint64 size = 0;
    qint64 at = 0; ///< byte offset of the entry in the .idx
};

std::vector<StardictIndexEntry> parseStardictIndex(QByteArrayView idx, int offsetBits, const QString &name);

/// The text of one StarDict article: its text fields in order, markup reduced
/// to text. Throws ImportError (at @p at in @p name) for a malformed article.
/// A @p cut article is the first part of a longer one: a field it ends in the
/// middle of is taken as far as it goes.
QString stardictArticleText(QByteArrayView data, QByteArrayView sameTypeSequence, const QString &name, quint64 at,
                            bool cut = false);

/// One record of a word list.
struct WordListEntry
{
    qint64 line = 0; ///< where the record begins
    QString headword;
    /// The record was cut inside its headword, which is then longer than any
    /// field a letter file can hold.
    bool headwordCut = false;
    ArticleText translations;
};

/// Calls @p onEntry for each record of a two-column word list read from
/// @p source: tab-separated, or comma-separated with double quotes. Of a
/// record longer than kMaxArticleBytes only that much is kept. Throws
/// ImportError for a record with a single column or bytes that are not UTF-8.
void parseWordList(ByteSource &source, char separator, const QString &name,
                   const std::function<void(const WordListEntry &)> &onEntry);

} // namespace lexorra::import
