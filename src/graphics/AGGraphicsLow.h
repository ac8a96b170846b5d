// The graphics kit's platform-facing text layout: text of one or more lines
// turned into glyph outlines on a native path, or measured.
//
// Layout: the text is cut into lines after every line feed (10) and
// carriage return (13), the break belonging to the line it ends (so CR LF
// ends two lines, and text ending in a break ends with an empty line). Each
// UTF-16 code unit is one glyph (surrogate pairs are not combined; a unit
// the font lacks shows its missing glyph). Line k's baseline lies k line
// spacings (ascent + descent + leading of the font) below the anchor, y
// pointing up. Each line is placed by its alignment: kAGTextAlignmentCenter
// puts the middle of the line's ink on the anchor's x, kAGTextAlignmentRight
// the right edge of its ink (trailing spaces have none), any other value
// the line's pen origin. A line without ink counts as ink at 0.
#ifndef AG_GRAPHICS_LOW_H
#define AG_GRAPHICS_LOW_H

#include "graphics/AGFont.h"
#include "graphics/AGGeometry.h"
#include "kit/QVString.h"

class AGNativePath;

namespace AGGraphicsLow {

// Appends the outlines of text laid out at anchor to path, whose
// coordinates are relative to pathOrigin (the origin of the AGPath that owns
// it). False when path is null or the font is not valid; true without work
// for empty text. Never clears the path.
bool AGNativePathAddUText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                          const QVUniChars& text, const AGFont& font, AGTextAlignment align);
// The same for native (Mac OS Roman) text.
bool AGNativePathAddText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                         const QVString& text, const AGFont& font, AGTextAlignment align);

// (width, height) of the ink of all lines laid out at (0, 0), left
// aligned; kAGNullSize for an invalid font, empty text or text without ink.
AGSize AGNativeFontGetUTextExtent(const AGFont& font, const QVUniChars& text);
AGSize AGNativeFontGetTextExtent(const AGFont& font, const QVString& text);

}  // namespace AGGraphicsLow

#endif
