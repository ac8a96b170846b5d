// AGMaskCache: coverage masks of filled paths, kept between drawings so that
// filling an unchanged path again on a bitmap port composites a ready 8-bit
// mask instead of rasterising the outline once more.
//
// What it applies to: fills (never strokes) drawn with anti-aliasing on
// bitmap and PNG ports, unclipped or clipped to a rectangle on whole
// pixels. Everything else is filled directly, exactly as without the
// cache:
// - SVG and PDF ports, which receive the outlines themselves;
// - fills under a clip that shades the pixels its edges cross (where both
//   edges cross one pixel, a fill covers the area of both together, which
//   no mask composited through the clip reproduces);
// - rectangles and other shapes whose sides all run along the port's axes,
//   filled as boxes, which is faster, unless they are small
//   (kMaxBoxMaskPixels) and in a solid colour;
// - paths whose mask would be larger than kMaxMaskSide pixels on a side or
//   kMaxMaskPixels in all (a long prolongation line, text at a very large
//   size), or larger than the whole budget, or that lie more than 2^30
//   pixels away.
//
// A mask is the path's coverage in device pixels and nothing else: the
// brush (solid colour, pattern or gradient), the opacity, the clip and the
// compositing operator apply when it is composited, as they apply to a
// direct fill. Solid colours are composited by the kit straight into the
// port's pixels with the drawing service's own arithmetic; patterns and
// gradients through the drawing service. A mask is found again by
// - the outline itself: every element and coordinate of the path, compared
//   in full the first time a path is met; the path then carries a tag
//   (AGNativePath::ContentTag) that any change of it clears, so a changed
//   text, size or shape never finds an old mask;
// - the linear part (a, b, c, d) of the mapping into device pixels, taken
//   to single precision (that of the outline's own coordinates);
// - the fill rule (gradients always fill by the non-zero winding rule);
// - the sub-pixel phase at which the outline's corner (the least x and y of
//   its points) lands in the port, rounded to the nearest 1/kPhaseStepsX
//   pixel across and 1/kPhaseStepsY pixel down.
// A mask is drawn at its phase and composited at whole pixels, so a cached
// fill lies within 1/16 pixel of the exact position on each axis, and
// exactly there when that corner lands on a phase position (a rectangle
// mapped onto whole pixels fills them exactly); nothing is hinted or
// snapped beyond that. The first fill of a path already goes through its
// mask, so a drawing looks the same on every frame.
//
// Memory: masks (one byte a pixel, rows padded to 4 bytes, cut where wide
// runs of columns hold no ink and trimmed to their ink) and one copy of
// each outline they belong to count against a byte budget (kDefaultBudget
// unless changed); the least recently used masks are dropped to make room.
//
// Threads: one cache serves the whole process (each copy of the graphics kit
// linked into a program or plug-in has its own). Every operation, and every
// fill that uses the cache, may run on any thread: the cache is guarded by
// a mutex, and a mask once made is never changed, so a fill that holds one
// composites it outside the lock even while another thread drops it. As
// everywhere in the kit, one path or port is used by one thread at a time.
#ifndef AG_MASK_CACHE_H
#define AG_MASK_CACHE_H

#include <cstddef>
#include <cstdint>

class AGMaskCache {
 public:
  // Counts since the last ResetCounters (or the start), and the present
  // contents.
  struct Stats {
    uint64_t hits = 0;       // fills that composited a cached mask
    uint64_t misses = 0;     // masks made (a path's first fill at its scale and phase)
    uint64_t evictions = 0;  // masks dropped to stay within the budget
    uint64_t direct = 0;     // fills left direct: along the axes, too large or far, over budget
    size_t bytes = 0;        // memory held now (masks and outlines)
    size_t peakBytes = 0;    // the most held at any time since ResetCounters
    size_t budget = 0;       // the byte budget
    uint32_t masks = 0;      // masks held now
    uint32_t outlines = 0;   // distinct outlines they belong to
  };

  static constexpr size_t kDefaultBudget = size_t(32) << 20;  // 32 MiB
  // Largest mask kept, in device pixels.
  static constexpr int kMaxMaskSide = 1024;
  static constexpr int kMaxMaskPixels = 256 * 1024;
  // Largest mask of a shape whose sides all run along the port's axes.
  static constexpr int kMaxBoxMaskPixels = 8192;
  // Sub-pixel positions a mask is made for, per pixel across and down.
  static constexpr int kPhaseStepsX = 8;
  static constexpr int kPhaseStepsY = 8;

  static Stats GetStats();
  // Zeroes hits, misses, evictions and direct fills, and sets peakBytes to
  // the bytes held now.
  static void ResetCounters();
  // Sets the byte budget and drops least recently used masks until the
  // cache fits in it. 0 keeps nothing: every fill is then direct.
  static void SetBudget(size_t bytes);
  // Drops every mask and outline (the counters stay).
  static void Clear();
  // With the cache off every fill is direct and nothing is kept or counted;
  // what it holds stays until Clear. On by default.
  static void SetEnabled(bool enabled);
  static bool IsEnabled();

  AGMaskCache() = delete;
};

#endif
