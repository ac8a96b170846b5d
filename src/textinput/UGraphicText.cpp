#include "textinput/UGraphicText.h"

#include "graphics/AGFont.h"
#include "graphics/AGPath.h"

bool UGraphicText::BuildPathFromUText(AGPath* path, ATNumberArray<AGRect>* charBoxes,
                                      AGPoint* penEnd, const AGPoint& origin,
                                      const ATNumberArray<unsigned short>& text,
                                      const AGFont& font) {
  if (path) path->Clear();
  if (charBoxes) charBoxes->Clear();
  if (penEnd) *penEnd = origin;
  if (!font.IsValid()) return false;
  if (text.IsEmpty()) return true;

  if (charBoxes) charBoxes->Reserve(text.Length());
  // The outlines go into the cleared path at absolute coordinates: its
  // origin is (0, 0).
  if (path) path->UpdateOrigin(kAGNullPoint);
  double capHeight = font.GetCapHeight();
  AGPoint pen = origin;
  for (uint16_t unit : text) {
    uint32_t glyph = font.GetGlyph(unit);
    AGSize advance = font.GetGlyphAdvance(glyph);
    if (path) font.AddGlyphOutline(glyph, pen, path);
    if (charBoxes) {
      AGRect ink = font.GetGlyphInkBox(glyph);
      AGRect box = {pen.x + ink.x1, pen.y + ink.y1, pen.x + ink.x2, pen.y + ink.y2};
      // Without ink the character still needs a box to be hit and selected.
      if (box.x2 <= box.x1 || box.y2 <= box.y1) {
        box = {pen.x, pen.y, pen.x + advance.width, pen.y + capHeight};
      }
      charBoxes->Append(box);
    }
    pen.x += advance.width;
    pen.y += advance.height;
  }
  if (penEnd) *penEnd = pen;
  return true;
}
