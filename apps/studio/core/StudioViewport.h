// The score view's geometry: the time axis across, the score strip's height
// up, and the view's pixels.
//
// Score coordinates: an object's frame x is time in milliseconds from the
// start of the recording (StudioTimeAxis maps it to pixels); y is height in
// score units, upward from the bottom of the score strip (y up, as the
// graphics kit draws). One score unit is VerticalScale() pixels (1 at scale
// 1).
//
// View pixels: x from the view's left edge, y downward from its top edge (as
// the GUI toolkit delivers pointer positions). The strip's bottom, height 0,
// lies on pixel row StripBottom().
//
// A value type; queries are const.
#ifndef STUDIO_VIEWPORT_H
#define STUDIO_VIEWPORT_H

#include "StudioTimeAxis.h"
#include "graphics/AGGeometry.h"

class StudioViewport {
 public:
  static constexpr double kMinVerticalScale = 1.0 / 64.0;
  static constexpr double kMaxVerticalScale = 64.0;

  StudioTimeAxis& Axis() { return mAxis; }
  const StudioTimeAxis& Axis() const { return mAxis; }

  // Pixel row of height 0 (not finite: ignored). 200 at first.
  void SetStripBottom(double row);
  double StripBottom() const { return mStripBottom; }
  // Pixels per score unit of height, clamped to [kMinVerticalScale,
  // kMaxVerticalScale] (not finite: ignored). 1 at first.
  void SetVerticalScale(double scale);
  double VerticalScale() const { return mScale; }

  // Milliseconds and score units per pixel.
  double TimePerPixel() const { return mAxis.MsPerPixel(); }
  double HeightPerPixel() const { return 1.0 / mScale; }

  AGPoint ScoreToView(const AGPoint& score) const;
  AGPoint ViewToScore(const AGPoint& view) const;
  // A frame as a view rectangle: x1 <= x2 left to right, y1 <= y2 top to
  // bottom (y1 is the frame's top edge, its y2 in the score).
  AGRect FrameToView(const AGRect& frame) const;
  // A view rectangle (corners in any order) as a normalised frame.
  AGRect ViewToFrame(const AGRect& view) const;

 private:
  StudioTimeAxis mAxis;
  double mStripBottom = 200.0;
  double mScale = 1.0;
};

#endif
