// The keyboard map drawn with the graphics kit into a bitmap, for the
// keyboard panel to show: every key a rounded cap, a symbol key's four
// levels as glyphs of the symbol font "Pelmar UC" in the quarters where
// StudioKeyboardMap's hit testing finds them, a captioned key's caption in
// the system font, the level under the pointer highlighted.
//
// The block is scaled to fit the bitmap, keeping its proportions, from the
// bitmap's top-left corner. Drawing fails silently (a missing font leaves
// the glyphs out).
#ifndef STUDIO_KEYBOARD_PICTURE_H
#define STUDIO_KEYBOARD_PICTURE_H

#include <cstddef>

#include "graphics/AGGeometry.h"

class AGBitmap;
class StudioKeyboardMap;

class StudioKeyboardPicture {
 public:
  // The colours, 0xRRGGBBAA.
  static constexpr AGColor kBackground = 0xF4F4F4FF;
  static constexpr AGColor kSymbolKey = 0xFFFFFFFF;
  static constexpr AGColor kCaptionKey = 0xD8D8D8FF;
  static constexpr AGColor kHighlight = 0xB8D4FFFF;
  static constexpr AGColor kInk = 0x202020FF;

  // Pixels per key unit for a bitmap of that size.
  static double Scale(const StudioKeyboardMap& map, double width, double height);
  // A pixel position (y down from the top-left corner) in key units.
  static AGPoint ToKeyUnits(const StudioKeyboardMap& map, double width, double height,
                            const AGPoint& pixel);

  // Draws map over the whole of bitmap. hoverKey and hoverLevel: the level
  // to highlight (a key index out of range: none).
  static void Draw(const StudioKeyboardMap& map, AGBitmap& bitmap, size_t hoverKey, int hoverLevel);
};

#endif
