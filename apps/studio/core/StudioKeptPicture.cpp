#include "StudioKeptPicture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "StudioViewport.h"
#include "graphics/AGBitmap.h"

StudioKeptPicture::Plan StudioKeptPicture::PlanFor(const StudioViewport& view, int32_t width,
                                                   int32_t height) const {
  Plan plan;
  const StudioTimeAxis& axis = view.Axis();
  if (!mValid || width != mWidth || height != mHeight || width <= 0 || height <= 0 ||
      axis.MsPerPixel() != mMsPerPixel || axis.ViewWidth() != mViewWidth ||
      view.StripBottom() != mStripBottom || view.VerticalScale() != mVerticalScale) {
    return plan;
  }
  const double moved = (axis.StartTime() - mStart) / mMsPerPixel;
  const double whole = std::round(moved);
  // A fraction of a pixel can't be moved: the columns would no longer start
  // on the times they were painted for.
  if (!std::isfinite(moved) || std::fabs(moved - whole) > kWholePixelTolerance) return plan;
  if (std::fabs(whole) >= width) return plan;
  if (whole == 0.0) {
    plan.work = Work::kNone;
    return plan;
  }
  plan.work = Work::kShift;
  plan.shift = static_cast<int32_t>(whole);
  const double w = width;
  const double h = height;
  plan.strip =
      plan.shift > 0 ? AGRect{w - plan.shift, 0.0, w, h} : AGRect{0.0, 0.0, -plan.shift * 1.0, h};
  return plan;
}

void StudioKeptPicture::Painted(const StudioViewport& view, int32_t width, int32_t height) {
  mValid = true;
  mWidth = width;
  mHeight = height;
  mStart = view.Axis().StartTime();
  mMsPerPixel = view.Axis().MsPerPixel();
  mViewWidth = view.Axis().ViewWidth();
  mStripBottom = view.StripBottom();
  mVerticalScale = view.VerticalScale();
}

void StudioKeptPicture::ShiftPixels(AGBitmapBase& bitmap, int32_t shift) {
  if (!bitmap.IsOpen() || bitmap.GetBytesPerPixel() != 4) return;
  const int64_t width = bitmap.GetWidth();
  if (shift == 0 || std::llabs(shift) >= width) return;
  uint8_t* data = bitmap.GetData();
  const size_t rowBytes = static_cast<size_t>(bitmap.GetRowLength()) * 4;
  const size_t kept = static_cast<size_t>(width - std::llabs(shift)) * 4;
  const size_t offset = static_cast<size_t>(std::llabs(shift)) * 4;
  for (uint32_t y = 0; y < bitmap.GetHeight(); ++y) {
    uint8_t* row = data + y * rowBytes;
    if (shift > 0) {
      std::memmove(row, row + offset, kept);
    } else {
      std::memmove(row + offset, row, kept);
    }
  }
  bitmap.PixelsChanged();
}
