#include "StudioKeyboardPicture.h"

#include <algorithm>

#include "StudioKeyboardMap.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGBrush.h"
#include "graphics/AGContext.h"
#include "graphics/AGFont.h"
#include "graphics/AGPen.h"
#include "kit/QVString.h"

namespace {

// Room left around each cap, in key units.
constexpr double kCapInset = 0.05;
// Glyph and caption sizes, in key units.
constexpr double kSymbolSize = 0.34;
constexpr double kCaptionSize = 0.2;
const QVString kSymbolFontName("Pelmar UC");

AGBrush Solid(AGColor color) { return AGBrush(kAGBrushStyleSolid, color, color); }

QVUniChars Units(const std::u16string& text) {
  QVUniChars units;
  for (char16_t unit : text) units.Append(unit);
  return units;
}

}  // namespace

double StudioKeyboardPicture::Scale(const StudioKeyboardMap& map, double width, double height) {
  AGSize size = map.Size();
  return std::max(0.0, std::min(width / size.width, height / size.height));
}

AGPoint StudioKeyboardPicture::ToKeyUnits(const StudioKeyboardMap& map, double width,
                                          double height, const AGPoint& pixel) {
  double scale = Scale(map, width, height);
  if (scale <= 0) return {-1, -1};
  return {pixel.x / scale, pixel.y / scale};
}

void StudioKeyboardPicture::Draw(const StudioKeyboardMap& map, AGBitmap& bitmap, size_t hoverKey,
                                 int hoverLevel) {
  if (!bitmap.IsOpen()) return;
  const double height = bitmap.GetHeight();
  const double scale = Scale(map, bitmap.GetWidth(), height);
  bitmap.ClearPixels(kBackground);
  if (scale <= 0) return;
  AGContext context(bitmap.GetNativePort());
  // Key units (y down from the top) to the bitmap's pixels (y up).
  auto toPixels = [&](double x, double y) { return AGPoint{x * scale, height - y * scale}; };
  auto rectToPixels = [&](double x1, double y1, double x2, double y2) {
    AGPoint a = toPixels(x1, y2);
    AGPoint b = toPixels(x2, y1);
    return AGRect{a.x, a.y, b.x, b.y};
  };

  AGFont symbols(kSymbolFontName, static_cast<float>(kSymbolSize * scale), kAGFontStyleRegular);
  AGFont captions(kAGFontStandardSmallSystem, static_cast<float>(kCaptionSize * scale));
  for (size_t i = 0; i < map.Keys().size(); ++i) {
    const StudioKeyboardMap::Key& key = map.Keys()[i];
    const AGRect& f = key.frame;
    context.brush = Solid(key.label.empty() ? kSymbolKey : kCaptionKey);
    context.pen = AGPen(kAGBrushStyleSolid, kInk, kInk, 1.0f, kAGPenSizeModeAbsolute);
    context.DrawRoundedRect(rectToPixels(f.x1 + kCapInset, f.y1 + kCapInset, f.x2 - kCapInset,
                                         f.y2 - kCapInset),
                            0.15);
    context.brush = Solid(kInk);
    context.pen = AGPen();
    double midX = (f.x1 + f.x2) / 2;
    double midY = (f.y1 + f.y2) / 2;
    if (!key.label.empty()) {
      // Captions sit on the cap's lower half, as printed keys have them.
      context.DrawText(QVString(key.label), captions, toPixels(midX, midY + kCaptionSize / 2),
                       kAGAffineTransformIdentity, kAGTextAlignmentCenter);
      continue;
    }
    for (int level = 0; level < StudioKeyboardMap::kLevelCount; ++level) {
      bool upper = level == 1 || level == 3;
      bool right = level >= 2;
      double x1 = right ? midX : f.x1 + kCapInset;
      double x2 = right ? f.x2 - kCapInset : midX;
      double y1 = upper ? f.y1 + kCapInset : midY;
      double y2 = upper ? midY : f.y2 - kCapInset;
      if (i == hoverKey && level == hoverLevel) {
        context.brush = Solid(kHighlight);
        context.DrawRect(rectToPixels(x1, y1, x2, y2));
        context.brush = Solid(kInk);
      }
      const std::u16string& text = key.levels[level];
      if (text.empty()) continue;
      // The glyph's baseline a third of the symbol size below the quarter's
      // middle: the symbols are drawn about the cap height tall.
      context.DrawUText(Units(text), symbols,
                        toPixels((x1 + x2) / 2, (y1 + y2) / 2 + kSymbolSize / 3),
                        kAGAffineTransformIdentity, kAGTextAlignmentCenter);
    }
  }
}
