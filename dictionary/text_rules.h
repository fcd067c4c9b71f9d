#pragma once

#include "program_limits.h"

#include <QString>
#include <QStringView>

namespace lexorra::dictionary {

/// The user's reply as a search word: lower case, then stripped of leading and
/// trailing space characters (U+0020 only; tabs and other blanks stay).
[[nodiscard]] QString normalisedWord(const QString &reply);

/// Upper-cases the first character of every word and lower-cases every other
/// character. Words are separated by space, tab, LF, VT, FF, CR and NUL only.
[[nodiscard]] QString properCase(const QString &text);

/// @p text as a message box or label can show it at once: whole when it has at
/// most kMaxShownLength characters, else cut at the last word break before
/// that (or at the limit when there is none close to it) and ended with "…".
/// Laying out text takes time that grows with its length, and no one reads
/// thousands of characters in a box.
[[nodiscard]] QString displayText(QStringView text);

/// The first @p n characters of @p text, or all of it when it is shorter.
/// Characters are whole Unicode code points: a surrogate pair is never split.
[[nodiscard]] QString firstChars(const QString &text, int n);
/// As firstChars(), as a view into @p text.
[[nodiscard]] QStringView leadingChars(QStringView text, int n);

/// The letter file's name for a search word: its first character followed by
/// ".txt", left-justified in a field of exactly five characters. An empty word
/// therefore names ".txt" followed by one space.
[[nodiscard]] QString letterFileName(const QString &searchWord);

} // namespace lexorra::dictionary
