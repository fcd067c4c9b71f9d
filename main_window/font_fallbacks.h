#pragma once

namespace lexorra {

/// Makes the three faces that the windows ask for, Tahoma, Comic Sans MS and
/// MS Sans Serif, resolve to an installed font of similar shape where they are
/// missing, at the size and weight asked for:
///
/// - Tahoma and MS Sans Serif: DejaVu Sans Condensed (package fonts-dejavu-extra),
///   else DejaVu Sans (fonts-dejavu-core);
/// - Comic Sans MS: Comic Neue (fonts-comic-neue), loaded from its installed
///   files if fontconfig does not list it.
///
/// Safe to call more than once; needs a QGuiApplication.
void installFontFallbacks();

} // namespace lexorra
