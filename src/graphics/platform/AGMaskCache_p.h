// The drawing layer's side of AGMaskCache (see AGMaskCache.h): finding or
// making the coverage mask of a fill.
#ifndef AG_MASK_CACHE_P_H
#define AG_MASK_CACHE_P_H

#include <cairo.h>

#include <memory>
#include <vector>

#include "graphics/AGGeometry.h"
#include "graphics/platform/AGCairoOwners_p.h"

class AGNativePath;

// One inked part of a mask: an A8 surface, and where its top left corner
// lies relative to the mask's.
struct AGMaskPiece {
  CairoSurfacePtr surface;
  int left = 0;
  int top = 0;
};

// A mask ready to composite: its pieces (shared with the cache and never
// changed, so they outlive an eviction) and the device pixel the mask's top
// left corner goes to.
struct AGCoverageMask {
  std::shared_ptr<const std::vector<AGMaskPiece>> pieces;
  int x = 0;
  int y = 0;
};

namespace AGMaskStore {

enum class Result {
  kMask,     // *mask holds the mask to composite
  kOutside,  // nothing of the fill reaches the port: nothing to draw
  kDirect,   // fill the path directly (cache off, too large, far away, not finite)
};

// Fills path, mapped by toMask, into cr (a new A8 surface, identity
// matrix, anti-aliased, opaque source) with the even-odd rule when evenOdd
// is set, else non-zero winding. False when a mapped coordinate is not
// finite.
using Painter = bool (*)(cairo_t* cr, const AGNativePath& path, const AGAffineTransform& toMask,
                         bool evenOdd);

// One fill the cache is asked to serve.
struct Request {
  const AGNativePath* path = nullptr;
  // Path coordinates to device pixels of the port (y down).
  AGAffineTransform toDevice = kAGAffineTransformIdentity;
  bool evenOdd = false;
  // Painted in one colour, which the kit composites itself, cheaply enough
  // for small boxes too.
  bool solid = false;
  int portWidth = 0;
  int portHeight = 0;
  // Makes the mask when the cache holds none.
  Painter paint = nullptr;
};

// The mask of the request's fill. Counts a hit or a miss for kMask, a
// direct fill for kDirect when the cache is on.
Result Find(const Request& request, AGCoverageMask* mask);

}  // namespace AGMaskStore

#endif
