// What the score view keeps of its last paint, and what a frame has to
// paint to bring it up to date.
//
// The window keeps the painted score in a bitmap of its own. A scroll by a
// whole number of pixels moves the pixels still in view and paints only the
// strip scrolled in (StudioScenePainter::PaintDamaged); everything else that
// changes what is drawn (the document, the selection, typing outside its
// damage, the zoom, the size, the strip's height, sonogram tiles arriving)
// makes the kept picture invalid, and the next frame paints it whole. The
// playhead is drawn over the kept picture, never into it.
//
// A value type; queries are const.
#ifndef STUDIO_KEPT_PICTURE_H
#define STUDIO_KEPT_PICTURE_H

#include <cstdint>

#include "graphics/AGGeometry.h"

class AGBitmapBase;
class StudioViewport;

class StudioKeptPicture {
 public:
  enum class Work {
    kNone,   // the kept picture shows the view as it is
    kWhole,  // paint the whole picture
    kShift,  // move the kept pixels by shift columns, then paint strip
  };
  struct Plan {
    Work work = Work::kWhole;
    // kShift: whole pixels the view moved towards later times (its pixels
    // move left); negative towards earlier times (they move right). Never 0
    // and always less than the width in size.
    int32_t shift = 0;
    // kShift: the columns scrolled into view, in view pixels (y down, the
    // picture's full height): the rightmost shift columns, or the leftmost
    // -shift.
    AGRect strip = kAGNullRect;
  };
  // A scroll within this fraction of a pixel of a whole number of pixels
  // counts as whole; any other scroll repaints the picture.
  static constexpr double kWholePixelTolerance = 1e-6;

  // Starts invalid: the first frame paints the whole picture.
  StudioKeptPicture() = default;

  // Something other than the scroll position changed what is drawn.
  void Invalidate() { mValid = false; }
  bool IsValid() const { return mValid; }

  // What to paint so that a picture width x height pixels shows view:
  // kWhole when invalid, when the size, the zoom, the view's width, the
  // strip's bottom row or its vertical scale differ from the kept
  // picture's, when the view moved by a fraction of a pixel or by the width
  // or more; kNone when nothing moved; kShift otherwise.
  Plan PlanFor(const StudioViewport& view, int32_t width, int32_t height) const;
  // The picture now shows view at width x height pixels (after painting
  // what PlanFor said, without failure).
  void Painted(const StudioViewport& view, int32_t width, int32_t height);

  // Moves every row of bitmap's pixels left by shift columns (right for a
  // negative shift), as PlanFor's kShift asks; the columns left behind keep
  // their old pixels until the strip is painted over them. A closed bitmap,
  // one without 4 bytes a pixel, a shift of 0 or of the width or more in
  // size change nothing.
  static void ShiftPixels(AGBitmapBase& bitmap, int32_t shift);

 private:
  bool mValid = false;
  int32_t mWidth = 0;
  int32_t mHeight = 0;
  double mStart = 0.0;
  double mMsPerPixel = 0.0;
  double mViewWidth = 0.0;
  double mStripBottom = 0.0;
  double mVerticalScale = 0.0;
};

#endif
