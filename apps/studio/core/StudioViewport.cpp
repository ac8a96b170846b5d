#include "StudioViewport.h"

#include <algorithm>
#include <cmath>

void StudioViewport::SetStripBottom(double row) {
  if (std::isfinite(row)) mStripBottom = row;
}

void StudioViewport::SetVerticalScale(double scale) {
  if (std::isfinite(scale)) mScale = std::clamp(scale, kMinVerticalScale, kMaxVerticalScale);
}

AGPoint StudioViewport::ScoreToView(const AGPoint& score) const {
  return {mAxis.TimeToPixel(score.x), mStripBottom - score.y * mScale};
}

AGPoint StudioViewport::ViewToScore(const AGPoint& view) const {
  return {mAxis.PixelToTime(view.x), (mStripBottom - view.y) / mScale};
}

AGRect StudioViewport::FrameToView(const AGRect& frame) const {
  AGPoint a = ScoreToView({frame.x1, frame.y1});
  AGPoint b = ScoreToView({frame.x2, frame.y2});
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

AGRect StudioViewport::ViewToFrame(const AGRect& view) const {
  AGPoint a = ViewToScore({view.x1, view.y1});
  AGPoint b = ViewToScore({view.x2, view.y2});
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}
