#include "StudioSonogramPainter.h"

#include <algorithm>
#include <cmath>

#include "StudioSonogram.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGImage.h"

namespace {

uint32_t StripSide(double extent) {
  double side = std::round(std::fabs(extent));
  if (!(side >= 1.0)) return 1;
  return static_cast<uint32_t>(std::min(side, double{StudioSonogramPainter::kMaxStripSide}));
}

}  // namespace

int32_t StudioSonogramPainter::Draw(StudioSonogram& sonogram, const AGContext& context,
                                    const AGRect& rect, double startMs, double endMs,
                                    bool* complete) {
  if (complete) *complete = false;
  AGRect area = AGRectNormalizeWithMinimum(rect, 0.0);
  if (!(area.x2 - area.x1 > 0.0) || !(area.y2 - area.y1 > 0.0)) return 0;
  const uint32_t width = StripSide(area.x2 - area.x1);
  const uint32_t height = StripSide(area.y2 - area.y1);
  // Transparent where nothing is painted: what lies under the strip shows
  // through until its tiles arrive.
  AGBitmap strip(width, height);
  if (!strip.IsOpen()) return 0;
  int32_t status =
      sonogram.Paint(startMs, endMs, width, height, reinterpret_cast<uint32_t*>(strip.GetData()),
                     strip.GetRowLength(), complete);
  if (status != 0) return status;
  strip.PixelsChanged();
  AGImage image(strip);
  context.DrawImage(image, area, false, false);
  return 0;
}
