#include "StudioTimeAxis.h"

#include <algorithm>
#include <cmath>

namespace {

// Beyond 2^40 ms per pixel (35 years) nothing is left to show.
constexpr int kZoomLevelCeiling = 40;

}  // namespace

double StudioTimeAxis::MsPerPixel() const { return std::ldexp(1.0, mLevel); }

bool StudioTimeAxis::FitsRecording(int level) const {
  double room = mWidth - 2.0 * mMargin;
  return room > 0.0 && std::ldexp(room, level) >= mDuration;
}

int StudioTimeAxis::MaxZoomLevel() const {
  // A view no wider than its two margins never shows the whole recording:
  // then only the hour counts.
  bool recordingCanFit = mWidth > 2.0 * mMargin;
  int level = kMinZoomLevel;
  while (level < kZoomLevelCeiling && (std::ldexp(mWidth, level) < kLongestViewMs ||
                                       (recordingCanFit && !FitsRecording(level)))) {
    ++level;
  }
  return level;
}

void StudioTimeAxis::SetViewWidth(double pixels) {
  if (std::isnan(pixels)) return;
  mWidth = std::clamp(pixels, kMinViewWidth, kMaxViewWidth);
  mLevel = std::min(mLevel, MaxZoomLevel());
  Clamp();
}

void StudioTimeAxis::SetDuration(double ms) {
  mDuration = std::isfinite(ms) && ms > 0.0 ? ms : 0.0;
  mLevel = std::min(mLevel, MaxZoomLevel());
  Clamp();
}

void StudioTimeAxis::SetMarginPixels(double pixels) {
  mMargin = std::isnan(pixels) || pixels < 0.0 ? 0.0 : std::min(pixels, kMaxViewWidth);
  mLevel = std::min(mLevel, MaxZoomLevel());
  Clamp();
}

void StudioTimeAxis::SetZoomLevel(int level, double anchorPixel) {
  if (!std::isfinite(anchorPixel)) anchorPixel = mWidth / 2.0;
  level = std::clamp(level, kMinZoomLevel, MaxZoomLevel());
  double anchorTime = PixelToTime(anchorPixel);
  mLevel = level;
  mStart = anchorTime - anchorPixel * MsPerPixel();
  Clamp();
}

void StudioTimeAxis::ZoomToFit() {
  int level = kMinZoomLevel;
  int coarsest = MaxZoomLevel();
  while (level < coarsest && !FitsRecording(level)) ++level;
  mLevel = level;
  mStart = MinStartTime();
}

void StudioTimeAxis::ScrollToTime(double ms) {
  if (std::isnan(ms)) return;
  mStart = ms;
  Clamp();
}

void StudioTimeAxis::ScrollByPixels(double pixels) {
  if (std::isnan(pixels)) return;
  mStart += pixels * MsPerPixel();
  Clamp();
}

double StudioTimeAxis::MinStartTime() const { return -mMargin * MsPerPixel(); }

double StudioTimeAxis::MaxStartTime() const {
  double last = mDuration + (mMargin - mWidth) * MsPerPixel();
  return std::max(MinStartTime(), last);
}

double StudioTimeAxis::TimeToPixel(double ms) const { return (ms - mStart) / MsPerPixel(); }

double StudioTimeAxis::PixelToTime(double pixel) const { return mStart + pixel * MsPerPixel(); }

void StudioTimeAxis::Clamp() { mStart = std::clamp(mStart, MinStartTime(), MaxStartTime()); }
