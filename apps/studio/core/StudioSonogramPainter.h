// Draws a sonogram strip through the graphics kit, for the scene painter
// that draws the score on screen and into exported files: the strip for a
// time range, stretched onto a rectangle of a context (its top edge the
// highest frequencies), one strip pixel per device pixel when the rectangle
// is whole pixels of an untransformed port.
//
// What is not ready yet is left as it was (the caller draws the waveform or
// the background first); complete tells whether the whole strip was drawn,
// and the sonogram's tile procedure says when to draw again. An export
// waits for the tiles first (StudioSonogram::WaitUntilIdle) and draws once.
#ifndef STUDIO_SONOGRAM_PAINTER_H
#define STUDIO_SONOGRAM_PAINTER_H

#include <cstdint>

#include "graphics/AGContext.h"
#include "graphics/AGGeometry.h"

class StudioSonogram;

class StudioSonogramPainter {
 public:
  // The largest strip drawn: wider or taller rectangles are drawn from a
  // strip of this many pixels, stretched.
  static constexpr uint32_t kMaxStripSide = 8192;

  // Draws [startMs, endMs) of sonogram onto rect of context, with
  // rect's width and height (rounded, at least 1, at most kMaxStripSide) in
  // strip pixels. 0, or the sonogram's status (-1422: nothing open, a bad
  // range); nothing is drawn for an empty rect. complete may be null.
  [[nodiscard]] static int32_t Draw(StudioSonogram& sonogram, const AGContext& context,
                                    const AGRect& rect, double startMs, double endMs,
                                    bool* complete);
};

#endif
