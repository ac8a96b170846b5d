#include "graphics/AGGraphicsLow.h"

#include <algorithm>
#include <vector>

#include "graphics/platform/AGFontPlatform_p.h"
#include "graphics/platform/AGNativePath.h"

namespace {

bool IsLineBreak(uint16_t unit) { return unit == 10 || unit == 13; }

// A box with no width or no height holds no ink.
bool IsInkEmpty(const AGRect& r) { return r.x2 <= r.x1 || r.y2 <= r.y1; }

// Grows box to hold add; an empty box is replaced.
void MergeInk(AGRect* box, const AGRect& add) {
  if (IsInkEmpty(*box)) {
    *box = add;
    return;
  }
  box->x1 = std::min(box->x1, add.x1);
  box->y1 = std::min(box->y1, add.y1);
  box->x2 = std::max(box->x2, add.x2);
  box->y2 = std::max(box->y2, add.y2);
}

// A glyph of the current line and its pen position relative to the line's
// pen origin.
struct PlacedGlyph {
  uint32_t glyph;
  AGPoint pen;
};

// Lays text out as described in AGGraphicsLow.h. path (may be null)
// receives the outlines, relative to pathOrigin; inkBounds (may be null) the
// union of the lines' ink, kAGNullRect when there is none. False for an
// invalid font; true otherwise (also for empty text).
//
// A line's glyphs are placed once its ink, and so its alignment, is known,
// each outline point computed in double precision and rounded once.
bool _LowAGNativePathAddUText(AGNativePath* path, AGRect* inkBounds, const AGPoint& pathOrigin,
                              const AGPoint& anchor, const QVUniChars& text, const AGFont& font,
                              AGTextAlignment align) {
  if (inkBounds) *inkBounds = kAGNullRect;
  if (!font.IsValid()) return false;
  if (text.IsEmpty()) return true;
  const AGNativeFont* native = font.NativeFont();

  std::vector<uint32_t> lineEnds;  // inclusive
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (IsLineBreak(text[i])) lineEnds.push_back(i);
  }
  lineEnds.push_back(text.Length() - 1);
  double spacing = lineEnds.size() > 1 ? native->GetLineSpacing() : 0.0;

  std::vector<PlacedGlyph> placed;
  AGRect bounds = kAGNullRect;
  uint32_t begin = 0;
  for (size_t k = 0; k < lineEnds.size(); ++k) {
    placed.clear();
    AGPoint pen = kAGNullPoint;
    AGRect ink = kAGNullRect;
    // A line that follows a break ending the text is empty (begin > end).
    for (uint32_t i = begin; i <= lineEnds[k] && i < text.Length(); ++i) {
      if (IsLineBreak(text[i])) break;
      uint32_t glyph = native->GetGlyph(text[i]);
      AGSize advance = native->GetAdvance(glyph);
      if (path) placed.push_back({glyph, pen});
      AGRect box = native->GetInkBox(glyph);
      box = {pen.x + box.x1, pen.y + box.y1, pen.x + box.x2, pen.y + box.y2};
      if (!IsInkEmpty(box)) MergeInk(&ink, box);
      pen.x += advance.width;
      pen.y += advance.height;
    }
    begin = lineEnds[k] + 1;

    double alignOffset = 0.0;
    if (align == kAGTextAlignmentCenter) {
      alignOffset = (ink.x1 + ink.x2) * 0.5;
    } else if (align == kAGTextAlignmentRight) {
      alignOffset = ink.x2;
    }
    double lineOffset = double(k) * spacing;

    if (path) {
      AGPoint lineOrigin = {(anchor.x - pathOrigin.x) - alignOffset,
                            (anchor.y - pathOrigin.y) - lineOffset};
      for (const PlacedGlyph& g : placed) {
        native->AddGlyphOutline(g.glyph, {lineOrigin.x + g.pen.x, lineOrigin.y + g.pen.y}, path);
      }
    }
    if (inkBounds && !IsInkEmpty(ink)) {
      double dx = anchor.x - alignOffset, dy = anchor.y - lineOffset;
      MergeInk(&bounds, {ink.x1 + dx, ink.y1 + dy, ink.x2 + dx, ink.y2 + dy});
    }
  }
  if (inkBounds) *inkBounds = bounds;
  return true;
}

}  // namespace

namespace AGGraphicsLow {

bool AGNativePathAddUText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                          const QVUniChars& text, const AGFont& font, AGTextAlignment align) {
  if (!path || !font.IsValid()) return false;
  if (text.IsEmpty()) return true;
  return _LowAGNativePathAddUText(path, nullptr, pathOrigin, anchor, text, font, align);
}

bool AGNativePathAddText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                         const QVString& text, const AGFont& font, AGTextAlignment align) {
  if (!path || !font.IsValid()) return false;
  if (text.IsEmpty()) return true;
  return AGNativePathAddUText(path, pathOrigin, anchor, QVUniStringFromAsciiString(text), font,
                              align);
}

AGSize AGNativeFontGetUTextExtent(const AGFont& font, const QVUniChars& text) {
  if (text.IsEmpty() || !font.IsValid()) return kAGNullSize;
  AGRect ink = kAGNullRect;
  if (!_LowAGNativePathAddUText(nullptr, &ink, kAGNullPoint, kAGNullPoint, text, font,
                                kAGTextAlignmentLeft)) {
    return kAGNullSize;
  }
  return {ink.x2 - ink.x1, ink.y2 - ink.y1};
}

AGSize AGNativeFontGetTextExtent(const AGFont& font, const QVString& text) {
  if (text.IsEmpty()) return kAGNullSize;
  return AGNativeFontGetUTextExtent(font, QVUniStringFromAsciiString(text));
}

}  // namespace AGGraphicsLow
