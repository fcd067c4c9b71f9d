#pragma once

// What both programs do first, before Qt reads anything from the system: the
// locale, and the command line's bytes as text.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lexorra {

/// Sets the locale from the environment, with a character type in UTF-8
/// whatever the environment names (in the C or POSIX locale, C.UTF-8), and
/// leaves the environment naming that same character type, so that Qt,
/// which works in UTF-8 alone, finds nothing to change or warn about when it
/// sets the locale again. Texts, file names and window titles are then
/// encoded alike in every locale.
void useUtf8Locale();

/// One command-line argument as text: UTF-8, with each byte that is not part
/// of valid UTF-8 kept as the lone surrogate U+DC80 + (byte − 0x80), so that
/// encodeArgument() gives the very same bytes back.
[[nodiscard]] QString decodeArgument(QByteArrayView bytes);

/// The bytes that decodeArgument() read @p text from; text from elsewhere is
/// encoded as UTF-8.
[[nodiscard]] QByteArray encodeArgument(QStringView text);

/// Whether @p text, from decodeArgument(), holds bytes that are not UTF-8.
[[nodiscard]] bool holdsInvalidBytes(QStringView text);

/// @p text, from decodeArgument(), for a message: each byte that is not UTF-8
/// written as \xHH.
[[nodiscard]] QString printableArgument(QStringView text);

} // namespace lexorra
