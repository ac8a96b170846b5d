#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "graphics/AGMaskCache.h"
#include "graphics/platform/AGMaskCache_p.h"
#include "graphics/platform/AGNativePath.h"

namespace {

// What the bookkeeping of one mask or outline costs beyond its own bytes
// (list and map nodes, the surface record), so that many tiny masks still
// count against the budget.
constexpr size_t kEntryOverhead = 256;

// Outlines placed beyond this many pixels away are left to the direct fill,
// which culls and clips far geometry in double precision.
constexpr double kMaxTranslation = 1073741824.0;  // 2^30

uint64_t Mix(uint64_t h, uint64_t v) {
  h = (h ^ v) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// One outline, as its path held it: element types and points, compared bit
// for bit.
struct Outline {
  uint64_t hash = 0;
  uint64_t tag = 0;  // the content tag paths holding it carry (AGNativePath::ContentTag)
  std::vector<AGNativeElementType> types;
  std::vector<AGNativePoint> points;
  AGNativePoint low = {0.0f, 0.0f};  // the least x and y of its points
  size_t masks = 0;                  // masks that refer to it

  size_t Bytes() const {
    return types.size() * sizeof(AGNativeElementType) + points.size() * sizeof(AGNativePoint) +
           kEntryOverhead;
  }

  bool Matches(const AGNativePath& path) const {
    if (path.GetElementCount() != types.size()) return false;
    size_t k = 0;
    for (uint32_t i = 0; i < types.size(); ++i) {
      const AGNativeElement e = path.GetElement(i);
      if (e.type != types[i]) return false;
      const uint32_t n = AGNativeElementPointCount(e.type);
      if (k + n > points.size()) return false;
      for (uint32_t j = 0; j < n; ++j, ++k) {
        if (Bits(e.points[j].x) != Bits(points[k].x) || Bits(e.points[j].y) != Bits(points[k].y)) {
          return false;
        }
      }
    }
    return k == points.size();
  }
};

uint64_t HashOf(const AGNativePath& path) {
  uint64_t h = path.GetElementCount();
  path.Walk([&](const AGNativeElement& e) {
    h = Mix(h, uint64_t(e.type));
    const uint32_t n = AGNativeElementPointCount(e.type);
    for (uint32_t j = 0; j < n; ++j) {
      h = Mix(h, uint64_t(Bits(e.points[j].x)) << 32 | Bits(e.points[j].y));
    }
  });
  return h;
}

// The least x and y of the path's points, control points included.
AGNativePoint LowCorner(const AGNativePath& path) {
  AGNativePoint low = {HUGE_VALF, HUGE_VALF};
  path.Walk([&](const AGNativeElement& e) {
    const uint32_t n = AGNativeElementPointCount(e.type);
    for (uint32_t j = 0; j < n; ++j) {
      low.x = std::min(low.x, e.points[j].x);
      low.y = std::min(low.y, e.points[j].y);
    }
  });
  return low;
}

std::unique_ptr<Outline> CopyOutline(const AGNativePath& path, uint64_t hash,
                                     const AGNativePoint& low) {
  auto outline = std::make_unique<Outline>();
  outline->hash = hash;
  outline->low = low;
  outline->types.reserve(path.GetElementCount());
  path.Walk([&](const AGNativeElement& e) {
    outline->types.push_back(e.type);
    const uint32_t n = AGNativeElementPointCount(e.type);
    outline->points.insert(outline->points.end(), e.points, e.points + n);
  });
  return outline;
}

// Masks are placed by the device position of their outline's low corner
// (Outline::low), split into whole pixels and a phase: geometry whose
// corners land on whole pixels (a rectangle mapped there through a
// fractional translation) then keeps them exactly.
struct MaskKey {
  const Outline* outline;
  double a, b, c, d;  // the linear part of the mapping to device pixels
  bool evenOdd;
  uint8_t phaseX, phaseY;  // of the low corner, in 1/kPhaseStepsX and 1/kPhaseStepsY pixel

  bool operator==(const MaskKey& o) const {
    return outline == o.outline && a == o.a && b == o.b && c == o.c && d == o.d &&
           evenOdd == o.evenOdd && phaseX == o.phaseX && phaseY == o.phaseY;
  }
};

struct MaskKeyHash {
  size_t operator()(const MaskKey& k) const {
    uint64_t h = Mix(reinterpret_cast<uintptr_t>(k.outline), k.evenOdd);
    for (double v : {k.a, k.b, k.c, k.d}) {
      uint64_t u;
      std::memcpy(&u, &v, sizeof u);
      h = Mix(h, u);
    }
    return size_t(Mix(h, uint64_t(k.phaseX) << 8 | k.phaseY));
  }
};

// A mask and where its top left corner lies relative to the whole-pixel part
// of its outline's low corner.
struct Mask {
  MaskKey key;
  std::shared_ptr<const std::vector<AGMaskPiece>> pieces;
  int left = 0, top = 0, width = 0, height = 0;  // the whole area the fill can touch
  size_t bytes = 0;
  bool box = false;  // every side runs along an axis (IsRectilinear)
};

// A device coordinate split into whole pixels and a phase in [0, steps).
struct Split {
  double whole;
  uint8_t phase;
};

Split SplitPosition(double t, int steps) {
  double whole = std::floor(t);
  long phase = std::lround((t - whole) * steps);
  if (phase == steps) {
    whole += 1.0;
    phase = 0;
  }
  return {whole, uint8_t(phase)};
}

// Where the points of an outline lie relative to the device position of
// its low corner, in device pixels, before the phase.
struct Relative {
  double a, b, c, d;
  double lowX, lowY;  // the low corner under the linear part
  Relative(const MaskKey& key, const AGNativePoint& low)
      : a(key.a), b(key.b), c(key.c), d(key.d),
        lowX(key.a * low.x + key.c * low.y), lowY(key.b * low.x + key.d * low.y) {}
  double X(double px, double py) const { return a * px + c * py - lowX; }
  double Y(double px, double py) const { return b * px + d * py - lowY; }
};

// The device pixels a fill can touch, relative to the whole-pixel part of
// its low corner: the control points' box plus the phase, widened to whole
// pixels and one more for anti-aliasing. False when not finite or too large.
bool MaskArea(const AGNativePath& path, const MaskKey& key, const AGNativePoint& low, int* left,
              int* top, int* width, int* height) {
  const Relative at(key, low);
  double x1 = HUGE_VAL, y1 = HUGE_VAL, x2 = -HUGE_VAL, y2 = -HUGE_VAL;
  path.Walk([&](const AGNativeElement& e) {
    const uint32_t n = AGNativeElementPointCount(e.type);
    for (uint32_t j = 0; j < n; ++j) {
      const double px = e.points[j].x, py = e.points[j].y;
      const double x = at.X(px, py), y = at.Y(px, py);
      x1 = std::min(x1, x), x2 = std::max(x2, x), y1 = std::min(y1, y), y2 = std::max(y2, y);
    }
  });
  const double fx = double(key.phaseX) / AGMaskCache::kPhaseStepsX;
  const double fy = double(key.phaseY) / AGMaskCache::kPhaseStepsY;
  x1 = std::floor(x1 + fx) - 1.0, y1 = std::floor(y1 + fy) - 1.0;
  x2 = std::ceil(x2 + fx) + 1.0, y2 = std::ceil(y2 + fy) + 1.0;
  if (!(std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2))) {
    return false;
  }
  const double w = x2 - x1, h = y2 - y1;
  if (w > AGMaskCache::kMaxMaskSide || h > AGMaskCache::kMaxMaskSide ||
      w * h > AGMaskCache::kMaxMaskPixels) {
    return false;
  }
  *left = int(x1), *top = int(y1), *width = int(w), *height = int(h);
  return true;
}

// Rectangles and their unions, which the drawing service fills as boxes
// with nothing to rasterise, get a mask only in a solid colour and up to
// AGMaskCache::kMaxBoxMaskPixels: a 200-pixel square is filled as boxes in
// a third of the time its mask is blended, and in an eighth of the time a
// pattern is composited through it, while a prolongation line a few pixels
// thick is blended faster than the drawing service fills it.

// Whether every side of the path (closing sides included) runs along an
// axis of the device under the key's scale.

bool IsRectilinear(const AGNativePath& path, const MaskKey& key) {
  AGNativePoint start = {0.0f, 0.0f}, current = {0.0f, 0.0f};
  // Within a billionth: a quarter turn's cosine is not exactly 0.
  auto alongAnAxis = [&](const AGNativePoint& to) {
    const double dx = double(to.x) - current.x, dy = double(to.y) - current.y;
    const double x = std::fabs(key.a * dx + key.c * dy), y = std::fabs(key.b * dx + key.d * dy);
    return x <= 1e-9 * y || y <= 1e-9 * x;
  };
  for (uint32_t i = 0; i < path.GetElementCount(); ++i) {
    const AGNativeElement e = path.GetElement(i);
    switch (e.type) {
      case AGNativeElementType::kMoveTo:
        // The sub-path before closes along its first point when filled.
        if (!alongAnAxis(start)) return false;
        start = current = e.points[0];
        break;
      case AGNativeElementType::kLineTo:
        if (!alongAnAxis(e.points[0])) return false;
        current = e.points[0];
        break;
      case AGNativeElementType::kClose:
        if (!alongAnAxis(start)) return false;
        current = start;
        break;
      default:
        return false;
    }
  }
  return alongAnAxis(start);
}

size_t PieceBytes(const AGMaskPiece& piece) {
  return size_t(cairo_image_surface_get_stride(piece.surface.get())) *
             size_t(cairo_image_surface_get_height(piece.surface.get())) +
         kEntryOverhead;
}

// Compositing walks every pixel of a mask, inked or not, and each piece
// costs a call of its own: a mask is cut where at least this many columns
// hold no ink (the spaces of a text), and each piece is trimmed to its ink.
constexpr int kPieceGap = 16;

// The inked pieces of an A8 surface; none when nothing is inked, the surface
// itself when its ink reaches every edge and has no gap to cut at.
std::vector<AGMaskPiece> CutIntoPieces(CairoSurfacePtr surface) {
  std::vector<AGMaskPiece> pieces;
  const int w = cairo_image_surface_get_width(surface.get());
  const int h = cairo_image_surface_get_height(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  std::vector<uint8_t> inked(size_t(w), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) inked[size_t(x)] |= data[size_t(y) * stride + x] != 0;
  }
  int x = 0;
  while (x < w) {
    while (x < w && !inked[size_t(x)]) ++x;
    if (x == w) break;
    const int x1 = x;
    int x2 = x + 1, gap = 0;
    for (++x; x < w && gap < kPieceGap; ++x) {
      gap = inked[size_t(x)] ? 0 : gap + 1;
      if (inked[size_t(x)]) x2 = x + 1;
    }
    x = x2;
    int y1 = 0, y2 = h;
    auto rowInked = [&](int y) {
      const unsigned char* row = data + size_t(y) * stride;
      return std::any_of(row + x1, row + x2, [](unsigned char c) { return c != 0; });
    };
    while (!rowInked(y1)) ++y1;
    while (!rowInked(y2 - 1)) --y2;
    if (x1 == 0 && y1 == 0 && x2 == w && y2 == h) {
      pieces.push_back({std::move(surface), 0, 0});
      break;
    }
    CairoSurfacePtr piece(cairo_image_surface_create(CAIRO_FORMAT_A8, x2 - x1, y2 - y1));
    if (cairo_surface_status(piece.get()) != CAIRO_STATUS_SUCCESS) return {};
    unsigned char* to = cairo_image_surface_get_data(piece.get());
    const int toStride = cairo_image_surface_get_stride(piece.get());
    for (int y = y1; y < y2; ++y) {
      std::memcpy(to + size_t(y - y1) * toStride, data + size_t(y) * stride + x1, size_t(x2 - x1));
    }
    cairo_surface_mark_dirty(piece.get());
    pieces.push_back({std::move(piece), x1, y1});
  }
  return pieces;
}

// The coverage of path under key at its phase, in an A8 surface whose
// pixel (0, 0) is device pixel (left, top) relative to the whole-pixel part
// of the low corner. Null when Cairo refuses or paint fails.
CairoSurfacePtr RenderMask(const AGNativePath& path, const Mask& m, const AGNativePoint& low,
                           AGMaskStore::Painter paint) {
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_A8, m.width, m.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  CairoPtr cr(cairo_create(surface.get()));
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  const MaskKey& k = m.key;
  const Relative at(k, low);
  const AGAffineTransform toMask = {
      k.a, k.b, k.c, k.d, double(k.phaseX) / AGMaskCache::kPhaseStepsX - m.left - at.lowX,
      double(k.phaseY) / AGMaskCache::kPhaseStepsY - m.top - at.lowY};
  if (!paint(cr.get(), path, toMask, k.evenOdd)) return nullptr;
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cr.reset();
  cairo_surface_flush(surface.get());
  return surface;
}

class Store {
 public:
  static Store& Get() {
    static Store store;
    return store;
  }

  AGMaskStore::Result Find(const AGMaskStore::Request& request, AGCoverageMask* out) {
    const AGNativePath& path = *request.path;
    const AGAffineTransform& m = request.toDevice;
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mEnabled) return AGMaskStore::Result::kDirect;
    // A path met before carries its outline's tag; any other is read whole.
    Outline* outline = TaggedOutline(path);
    uint64_t hash = 0;
    if (!outline) {
      hash = HashOf(path);
      outline = FindOutline(path, hash);
      if (outline) path.SetContentTag(outline->tag);
    }
    const AGNativePoint low = outline ? outline->low : LowCorner(path);
    const double x = m.a * low.x + m.c * low.y + m.tx, y = m.b * low.x + m.d * low.y + m.ty;
    // Not a number fails the comparisons too.
    if (!(std::fabs(x) < kMaxTranslation && std::fabs(y) < kMaxTranslation) ||
        !(std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d))) {
      return Direct();
    }
    const Split sx = SplitPosition(x, AGMaskCache::kPhaseStepsX),
                sy = SplitPosition(y, AGMaskCache::kPhaseStepsY);
    // The scale is kept to single precision, that of the outline's points:
    // mappings that differ below it (the same size reached by different
    // arithmetic) share their masks.
    MaskKey key = {outline, double(float(m.a)), double(float(m.b)), double(float(m.c)),
                   double(float(m.d)), request.evenOdd, sx.phase, sy.phase};

    auto placed = [&](const Mask& mask) {
      const double x = sx.whole + mask.left, y = sy.whole + mask.top;
      return x < request.portWidth && y < request.portHeight && x + mask.width > 0 &&
             y + mask.height > 0;
    };
    if (outline) {
      auto found = mIndex.find(key);
      if (found != mIndex.end()) {
        mLru.splice(mLru.begin(), mLru, found->second);
        const Mask& mask = *found->second;
        if (!placed(mask)) return AGMaskStore::Result::kOutside;
        if (mask.box && !request.solid) return Direct();
        ++mStats.hits;
        return Hand(mask, sx, sy, out);
      }
    }

    Mask mask;
    mask.key = key;
    if (!MaskArea(path, key, low, &mask.left, &mask.top, &mask.width, &mask.height)) {
      return Direct();
    }
    if (!placed(mask)) return AGMaskStore::Result::kOutside;
    mask.box = IsRectilinear(path, key);
    if (mask.box &&
        !(request.solid && mask.width * mask.height <= AGMaskCache::kMaxBoxMaskPixels)) {
      return Direct();
    }
    mask.bytes = size_t(cairo_format_stride_for_width(CAIRO_FORMAT_A8, mask.width)) *
                     size_t(mask.height) +
                 kEntryOverhead;
    std::unique_ptr<Outline> fresh;
    if (!outline) fresh = CopyOutline(path, hash, low);
    // Evicting every other mask must make room for this one with its outline
    // (counted whole: its pieces can only be smaller).
    const size_t need = mask.bytes + (fresh ? fresh.get() : outline)->Bytes();
    if (need > mStats.budget) return Direct();
    CairoSurfacePtr rendered = RenderMask(path, mask, low, request.paint);
    if (!rendered) return Direct();
    auto pieces = std::make_shared<std::vector<AGMaskPiece>>(CutIntoPieces(std::move(rendered)));
    mask.bytes = kEntryOverhead;
    for (const AGMaskPiece& piece : *pieces) mask.bytes += PieceBytes(piece);
    mask.pieces = std::move(pieces);
    ++mStats.misses;

    if (fresh) {
      outline = fresh.get();
      do {
        outline->tag = mSalt + ++mSerial;
      } while (outline->tag == 0);
      mask.key.outline = outline;
      mOutlines.emplace(hash, std::move(fresh));
      mByTag.emplace(outline->tag, outline);
      mStats.bytes += outline->Bytes();
      path.SetContentTag(outline->tag);
    }
    // The new mask's outline must survive the evictions that make room.
    ++outline->masks;
    mStats.bytes += mask.bytes;
    EvictDownTo(mStats.budget);
    mLru.push_front(std::move(mask));
    mIndex.emplace(mLru.front().key, mLru.begin());
    Track();
    return Hand(mLru.front(), sx, sy, out);
  }

  AGMaskCache::Stats Stats() {
    std::lock_guard<std::mutex> lock(mMutex);
    AGMaskCache::Stats s = mStats;
    s.masks = uint32_t(mLru.size());
    s.outlines = uint32_t(mOutlines.size());
    return s;
  }

  void ResetCounters() {
    std::lock_guard<std::mutex> lock(mMutex);
    mStats.hits = mStats.misses = mStats.evictions = mStats.direct = 0;
    mStats.peakBytes = mStats.bytes;
  }

  void SetBudget(size_t bytes) {
    std::lock_guard<std::mutex> lock(mMutex);
    mStats.budget = bytes;
    EvictDownTo(bytes);
  }

  void Clear() {
    std::lock_guard<std::mutex> lock(mMutex);
    mIndex.clear();
    mLru.clear();
    mByTag.clear();
    mOutlines.clear();
    mStats.bytes = 0;
  }

  void SetEnabled(bool enabled) {
    std::lock_guard<std::mutex> lock(mMutex);
    mEnabled = enabled;
  }

  bool IsEnabled() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mEnabled;
  }

 private:
  // Tags start from a number of this store's own, so that a path tagged by
  // another copy of the kit in the process is not taken for one of ours.
  Store()
      : mSalt(Mix(reinterpret_cast<uintptr_t>(this),
                  uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    mStats.budget = AGMaskCache::kDefaultBudget;
  }

  AGMaskStore::Result Direct() {
    ++mStats.direct;
    return AGMaskStore::Result::kDirect;
  }

  AGMaskStore::Result Hand(const Mask& mask, const Split& sx, const Split& sy,
                           AGCoverageMask* out) {
    out->pieces = mask.pieces;
    out->x = int(sx.whole) + mask.left;
    out->y = int(sy.whole) + mask.top;
    return AGMaskStore::Result::kMask;
  }

  // The outline whose tag path carries, when it is still here.
  Outline* TaggedOutline(const AGNativePath& path) {
    const uint64_t tag = path.ContentTag();
    if (tag == 0) return nullptr;
    auto found = mByTag.find(tag);
    if (found == mByTag.end() || found->second->types.size() != path.GetElementCount()) {
      return nullptr;
    }
    return found->second;
  }

  Outline* FindOutline(const AGNativePath& path, uint64_t hash) {
    auto range = mOutlines.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
      if (it->second->Matches(path)) return it->second.get();
    }
    return nullptr;
  }

  // Drops least recently used masks, and outlines left without masks, until
  // at most limit bytes are held.
  void EvictDownTo(size_t limit) {
    while (mStats.bytes > limit && !mLru.empty()) {
      Mask& victim = mLru.back();
      Outline* outline = const_cast<Outline*>(victim.key.outline);
      mStats.bytes -= victim.bytes;
      mIndex.erase(victim.key);
      mLru.pop_back();
      ++mStats.evictions;
      if (--outline->masks == 0) {
        mStats.bytes -= outline->Bytes();
        mByTag.erase(outline->tag);
        auto range = mOutlines.equal_range(outline->hash);
        for (auto it = range.first; it != range.second; ++it) {
          if (it->second.get() == outline) {
            mOutlines.erase(it);
            break;
          }
        }
      }
    }
  }

  void Track() { mStats.peakBytes = std::max(mStats.peakBytes, mStats.bytes); }

  std::mutex mMutex;
  bool mEnabled = true;
  AGMaskCache::Stats mStats;
  std::list<Mask> mLru;  // most recently used first
  std::unordered_map<MaskKey, std::list<Mask>::iterator, MaskKeyHash> mIndex;
  std::unordered_multimap<uint64_t, std::unique_ptr<Outline>> mOutlines;  // by content hash
  std::unordered_map<uint64_t, Outline*> mByTag;
  const uint64_t mSalt;
  uint64_t mSerial = 0;
};

}  // namespace

namespace AGMaskStore {

Result Find(const Request& request, AGCoverageMask* mask) {
  return Store::Get().Find(request, mask);
}

}  // namespace AGMaskStore

AGMaskCache::Stats AGMaskCache::GetStats() { return Store::Get().Stats(); }
void AGMaskCache::ResetCounters() { Store::Get().ResetCounters(); }
void AGMaskCache::SetBudget(size_t bytes) { Store::Get().SetBudget(bytes); }
void AGMaskCache::Clear() { Store::Get().Clear(); }
void AGMaskCache::SetEnabled(bool enabled) { Store::Get().SetEnabled(enabled); }
bool AGMaskCache::IsEnabled() { return Store::Get().IsEnabled(); }
