#pragma once

#include <QtGlobal>

/// The limits of what Lexorra reads and shows, in one place: the lookup, the
/// windows and lexorra-import all take them from here, so that the importer
/// never writes a record the window cannot read.
namespace lexorra::dictionary {

/// Most entries a list can hold (its indexes are 16-bit); a listing shows at
/// most this many records of a letter file.
inline constexpr qint16 kMaxEntries = 32767;

/// Most characters a field of a letter file keeps; the rest of a longer field
/// is read past and dropped.
inline constexpr qsizetype kMaxFieldLength = 2 * 1024 * 1024;

/// Characters after which a field that has not ended ends the text: no letter
/// file holds such a field, but any sequence of bytes may come in as one.
inline constexpr qsizetype kMaxFieldRun = 32 * 1024 * 1024;

/// Most characters of text one listing keeps in the two lists together. Real
/// letter files never come near it; it bounds the memory a file of absurdly
/// long records can take, as kMaxEntries bounds the count.
inline constexpr qsizetype kMaxListedText = 64 * 1024 * 1024;

/// Most characters of a translation that a message box or label is given.
inline constexpr qsizetype kMaxShownLength = 4000;

/// Most bytes a reading buffer (the reader's text, the decoder's unfinished
/// line) keeps from one letter file to the next: one that a file's long
/// lines grew past it is given back.
inline constexpr qsizetype kKeptReadBuffer = 1024 * 1024;

/// Most bytes of room the listing's buffer keeps from one lookup to the next,
/// and makes ready ahead of one: as much as big real letter files need.
inline constexpr qsizetype kKeptListingRoom = 32 * 1024 * 1024;

} // namespace lexorra::dictionary
