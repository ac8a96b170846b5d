// Glyph outlines of a symbol string on one baseline, with one box per
// character and the pen position behind the last one: what the symbol
// object draws, hit-tests and places its caret on.
#ifndef U_GRAPHIC_TEXT_H
#define U_GRAPHIC_TEXT_H

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"

class AGFont;
class AGPath;

class UGraphicText {
 public:
  // Lays text out on one baseline from origin, y up, one glyph per UTF-16
  // code unit (line breaks included; a unit the font lacks shows the font's
  // missing glyph). Outputs, each optional (null: not wanted):
  //   path: the outlines at absolute coordinates (path origin kAGNullPoint);
  //   charBoxes: one box per code unit in text order, the glyph's ink offset
  //     by its pen position, or, for a glyph without ink (a space), the
  //     advance wide and the cap height tall from the pen position;
  //   penEnd: the pen position behind the last code unit.
  // The outputs are reset (empty path, no boxes, origin) before anything
  // else, so that a failure leaves them so. False when the font is not
  // valid; true otherwise, also for empty text.
  static bool BuildPathFromUText(AGPath* path, ATNumberArray<AGRect>* charBoxes, AGPoint* penEnd,
                                 const AGPoint& origin, const ATNumberArray<unsigned short>& text,
                                 const AGFont& font);
};

#endif
