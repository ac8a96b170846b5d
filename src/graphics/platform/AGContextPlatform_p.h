// The drawing service's side of AGContext: draw jobs that the context code
// has fully worked out (geometry mapping, paint sources with opacity folded
// in, stroke style) and that the port only carries out.
//
// Every coordinate here is in the port's coordinates (points, y up, origin
// at the bottom left corner of the port's area) unless a transform says
// otherwise.
#ifndef AG_CONTEXT_PLATFORM_P_H
#define AG_CONTEXT_PLATFORM_P_H

#include <cstdint>
#include <vector>

#include "graphics/AGGeometry.h"
#include "graphics/AGGraphicsLow.h"

class AGNativePath;

// A colour as four fractions in [0, 1]; alpha not premultiplied.
struct AGPaintColor {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 0.0;
};

struct AGPaintStop {
  double offset;  // in [0, 1] along the gradient
  AGPaintColor color;
};

// What a fill or a stroke paints with.
struct AGPaint {
  enum Kind : uint8_t { kNone, kSolid, kTile, kLinear, kRadial };
  Kind kind = kNone;
  // kSolid: the colour; kTile: the colour of set cells.
  AGPaintColor color;
  // kTile: 8x8 one-pixel cells, bit k the cell of row k / 8 (from the
  // bottom) and column k % 8; clear cells take color2. The tile's bottom
  // left corner sits on anchor (and every 8 pixels from it).
  uint64_t tile = 0;
  AGPaintColor color2;
  AGPoint anchor = kAGNullPoint;
  // kLinear: from p0 (offset 0) to p1 (offset 1); kRadial: circles about p0
  // from radius 0 (offset 0) to radius (offset 1). Both padded beyond their
  // ends. p0, p1 and radius are in gradient space, mapped to the port by
  // toPort (invertible).
  std::vector<AGPaintStop> stops;
  AGPoint p0 = kAGNullPoint;
  AGPoint p1 = kAGNullPoint;
  double radius = 0.0;
  AGAffineTransform toPort = kAGAffineTransformIdentity;
};

enum class AGStrokeCap : uint8_t { kButt, kSquare, kRound };
enum class AGStrokeJoin : uint8_t { kMiter, kBevel, kRound };

// One path filled and/or stroked.
struct AGDrawJob {
  const AGNativePath* path = nullptr;
  bool antialias = true;
  // Clip: clipPath's points mapped by clipToPort, non-zero winding rule;
  // none when clipPath is null.
  const AGNativePath* clipPath = nullptr;
  AGAffineTransform clipToPort = kAGAffineTransformIdentity;

  bool fill = false;
  bool evenOdd = false;
  AGAffineTransform fillToPort = kAGAffineTransformIdentity;  // path points to the port
  AGPaint fillPaint;

  // The stroke's geometry is path mapped by strokeToPort into the port; it
  // is stroked in a stroke space that strokeSpace (invertible) maps to the
  // port: the width, caps and joins apply in the stroke space, so a
  // non-uniform strokeSpace makes a calligraphic nib.
  bool stroke = false;
  AGAffineTransform strokeToPort = kAGAffineTransformIdentity;
  AGAffineTransform strokeSpace = kAGAffineTransformIdentity;
  double lineWidth = 1.0;
  AGStrokeCap cap = AGStrokeCap::kButt;
  AGStrokeJoin join = AGStrokeJoin::kMiter;
  AGPaint strokePaint;
};

// An image drawn in the rectangle (0, 0, width, height) of image space, its
// first row at the top, mapped to the port by toPort.
struct AGImageJob {
  const AGNativeImage* image = nullptr;
  AGAffineTransform toPort = kAGAffineTransformIdentity;
  bool antialias = true;
  bool interpolate = true;
  double alpha = 1.0;
  const AGNativePath* clipPath = nullptr;
  AGAffineTransform clipToPort = kAGAffineTransformIdentity;
};

namespace AGContextPlatform {

// Carry a job out; false when the port cannot draw (null, finished, or in a
// state the service refuses) or the geometry holds a coordinate that is not
// finite. The port's state is the same afterwards.
//
// Geometry of any size is drawn exactly where it crosses the port: paths,
// clips and image frames are culled and clipped in double precision before
// the drawing service, whose coordinates are fixed point, sees them (see
// AGPortPath_p.h). A job whose geometry lies wholly outside the port draws
// nothing and succeeds.
bool DrawPath(AGNativePort* port, const AGDrawJob& job);
bool DrawImage(AGNativePort* port, const AGImageJob& job);
// Replaces the pixels of rect (port coordinates) with an opaque colour.
bool FillRectOpaque(AGNativePort* port, const AGRect& rect, const AGPaintColor& color);

}  // namespace AGContextPlatform

#endif
