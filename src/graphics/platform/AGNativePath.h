// The platform layer's mutable vector path: sub-paths of single-precision
// lines, quadratic and cubic Bezier segments, with the compound shapes
// (arcs, rectangles, ellipses) built from them, an element walk, a control
// point bounding box and point containment under both fill rules.
//
// Internal to the graphics kit: an AGPath owns one and stores its geometry in
// it relative to its own double-precision origin.
#ifndef AG_NATIVE_PATH_H
#define AG_NATIVE_PATH_H

#include <atomic>
#include <cstdint>
#include <vector>

struct AGNativePoint {
  float x;
  float y;
};

struct AGNativeSize {
  float width;
  float height;
};

// Origin and size, unlike AGRect's two corners.
struct AGNativeRect {
  AGNativePoint origin;
  AGNativeSize size;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty, as AGAffineTransform.
struct AGNativeTransform {
  float a;
  float b;
  float c;
  float d;
  float tx;
  float ty;
};

inline constexpr AGNativeTransform kAGNativeTransformIdentity = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};

// m applied to p, computed in double and rounded back.
inline AGNativePoint AGNativePointApplyTransform(const AGNativePoint& p,
                                                 const AGNativeTransform& m) {
  double x = p.x, y = p.y;
  return {static_cast<float>(double(m.a) * x + double(m.c) * y + double(m.tx)),
          static_cast<float>(double(m.b) * x + double(m.d) * y + double(m.ty))};
}

inline bool operator==(const AGNativePoint& p, const AGNativePoint& q) {
  return p.x == q.x && p.y == q.y;
}
inline bool operator!=(const AGNativePoint& p, const AGNativePoint& q) { return !(p == q); }

enum class AGNativeElementType : uint8_t {
  kMoveTo = 0,   // 1 point: the new current point
  kLineTo = 1,   // 1 point: the end
  kQuadTo = 2,   // 2 points: control, end
  kCubicTo = 3,  // 3 points: control 1, control 2, end
  kClose = 4,    // no point: back to the sub-path's start
};

// One element of the walk. points is null for kClose; it stays valid until
// the path is next changed.
struct AGNativeElement {
  AGNativeElementType type;
  const AGNativePoint* points;
};

// Number of points an element of this type carries.
uint32_t AGNativeElementPointCount(AGNativeElementType type);

class AGNativePath {
 public:
  AGNativePath() = default;

  bool IsEmpty() const { return mTypes.empty(); }
  uint32_t GetElementCount() const { return static_cast<uint32_t>(mTypes.size()); }
  // Element at index, in order of addition; index must be below the count.
  AGNativeElement GetElement(uint32_t index) const {
    return {mTypes[index], mTypes[index] == AGNativeElementType::kClose
                               ? nullptr
                               : &mPoints[mFirstPoint[index]]};
  }
  // Calls f(const AGNativeElement&) for every element in order.
  template <class F>
  void Walk(F&& f) const {
    for (uint32_t i = 0; i < GetElementCount(); ++i) f(GetElement(i));
  }

  // The end of the last element (the sub-path's start after a close); false
  // for an empty path.
  bool GetCurrentPoint(AGNativePoint* point) const;

  // Every point given below is first mapped through m when m is not null.
  // A segment added while there is no current point (empty path) becomes a
  // move to its end point, so that a path never starts with a dangling
  // segment.
  void MoveTo(const AGNativePoint& p, const AGNativeTransform* m = nullptr);
  void LineTo(const AGNativePoint& p, const AGNativeTransform* m = nullptr);
  void QuadTo(const AGNativePoint& control, const AGNativePoint& end,
              const AGNativeTransform* m = nullptr);
  void CubicTo(const AGNativePoint& control1, const AGNativePoint& control2,
               const AGNativePoint& end, const AGNativeTransform* m = nullptr);
  // Closes the current sub-path; nothing when there is none or it is closed.
  void Close();

  // The rounded corner between the line from the current point to p1 and
  // the line from p1 to p2: a line to the first tangent point, then a
  // circular arc of the radius (before m) to the second tangent point.
  // A line to p1 alone when the radius is not positive, when p1 coincides
  // with either neighbour, when the lines are collinear or when m cannot be
  // inverted; a move to p1 when there is no current point.
  void AddArcToPoint(const AGNativePoint& p1, const AGNativePoint& p2, float radius,
                     const AGNativeTransform* m = nullptr);
  // Circular arc about centre from startAngle over sweep radians (positive:
  // counter-clockwise with y up), as cubic segments of at most 90 degrees.
  // It starts with a line from the current point to the arc's start, or a
  // move there on an empty path. The end point is computed from the end angle
  // itself, not accumulated. A sweep beyond one full turn is cut to one turn;
  // a non-finite sweep counts as 0.
  void AddArc(const AGNativePoint& centre, float radius, double startAngle, double sweep,
              const AGNativeTransform* m = nullptr);
  // Closed sub-path: (x, y), (x + w, y), (x + w, y + h), (x, y + h).
  void AddRect(const AGNativeRect& rect, const AGNativeTransform* m = nullptr);
  // Closed ellipse inscribed in rect: four cubic quarters, counter-clockwise
  // with y up, starting at the middle of the right side.
  void AddEllipseInRect(const AGNativeRect& rect, const AGNativeTransform* m = nullptr);
  // Appends other's elements mapped through m; other may be this path.
  void AddPath(const AGNativePath& other, const AGNativeTransform* m = nullptr);

  // A new path holding this path's elements mapped through m.
  AGNativePath CopyByTransforming(const AGNativeTransform& m) const;

  // Box of every point, Bezier control points included; an all-zero rect
  // for an empty path.
  AGNativeRect GetBoundingBox() const;
  // The same box as its two exact corners (a float rect's size can round);
  // false, leaving them alone, for an empty path.
  bool GetBounds(AGNativePoint* min, AGNativePoint* max) const;

  // Whether p lies inside the filled area, every sub-path taken as closed:
  // even-odd rule when evenOdd is set, non-zero winding otherwise. Curves are
  // intersected exactly (not flattened). A point exactly on the outline
  // counts by the half-open convention of the ray towards +x.
  bool ContainsPoint(const AGNativePoint& p, bool evenOdd) const;

  // A number a cache may attach to the path's present content, so that it
  // knows the path again without reading it (0: none). Every change of the
  // path clears it; a copy keeps it (it holds the same content); a path
  // moved from loses it. Safe to read and set from several threads.
  uint64_t ContentTag() const { return mContentTag.value.load(std::memory_order_relaxed); }
  void SetContentTag(uint64_t tag) const {
    mContentTag.value.store(tag, std::memory_order_relaxed);
  }

 private:
  // The content tag with the copy and move rules above.
  struct Tag {
    mutable std::atomic<uint64_t> value{0};
    Tag() = default;
    Tag(const Tag& other) : value(other.value.load(std::memory_order_relaxed)) {}
    Tag(Tag&& other) noexcept : value(other.value.exchange(0, std::memory_order_relaxed)) {}
    Tag& operator=(const Tag& other) {
      value.store(other.value.load(std::memory_order_relaxed), std::memory_order_relaxed);
      return *this;
    }
    Tag& operator=(Tag&& other) noexcept {
      value.store(other.value.exchange(0, std::memory_order_relaxed), std::memory_order_relaxed);
      return *this;
    }
  };

  void Append(AGNativeElementType type, const AGNativePoint* points, uint32_t count,
              const AGNativeTransform* m);

  std::vector<AGNativeElementType> mTypes;
  std::vector<uint32_t> mFirstPoint;  // index into mPoints, per element
  std::vector<AGNativePoint> mPoints;
  AGNativePoint mSubPathStart = {0.0f, 0.0f};
  bool mSubPathOpen = false;  // a sub-path has begun and is not closed
  Tag mContentTag;
};

#endif
