// The graphics kit's vector path: sub-paths of lines, quadratic and cubic
// Bezier segments, arcs, rectangles, ellipses and text outlines.
//
// Geometry is kept in single precision relative to an origin of the path's
// own, held in double precision and fixed by the first geometry added, so
// that a path far from (0, 0) keeps its fine detail. A point p of the
// caller's space is stored as (p - origin) rounded to single precision.
//
// A value type: copies are deep. Queries are const; the two bounding boxes
// are computed on demand and cached until the next change.
#ifndef AG_PATH_H
#define AG_PATH_H

#include <cstdint>
#include <memory>

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"

class AGNativePath;
class AGFont;
class QVString;
enum AGTextAlignment : int32_t;

class AGPath {
 public:
  // Flag bits.
  enum : uint32_t {
    kOriginSet = 0x1,
    kBoundingBoxValid = 0x2,
    kFlattenedBoundingBoxValid = 0x4,
  };

  // Empty, without origin.
  AGPath();
  // A copy of native (an empty path when null) whose coordinates are
  // relative to origin; the origin counts as set.
  AGPath(const AGNativePath* native, const AGPoint& origin);
  AGPath(const AGPath& other);
  AGPath& operator=(const AGPath& other);
  ~AGPath();

  // Deep copy of other's geometry, origin and caches; nothing on self-assignment.
  void Assign(const AGPath& other);
  // Back to the state of a new path (no geometry, no origin).
  void Clear();
  // Whether the path holds no element at all.
  bool IsEmpty() const;

  bool HasOrigin() const { return (mFlags & kOriginSet) != 0; }
  // kAGNullPoint until an origin is set.
  AGPoint GetOrigin() const { return mOrigin; }
  // Sets the origin only when none is set yet.
  void UpdateOrigin(const AGPoint& point);

  // The native path, coordinates relative to GetOrigin(). The modifiable
  // one drops the cached boxes; callers that add geometry to it set the
  // origin first (UpdateOrigin).
  const AGNativePath* NativePath() const { return mNative.get(); }
  AGNativePath* NativePathToModify();

  // Adding geometry. Each operation that finds no origin set first takes
  // the point named here as the origin.
  //
  // Move to p (origin p).
  void StartSubPath(const AGPoint& p);
  // Line to p (origin p); on an empty path, a move to p.
  void AddLine(const AGPoint& p);
  // Move to a, line to b (origin a).
  void AddSegment(const AGPoint& a, const AGPoint& b);
  // Curves to end (origin end).
  void AddQuadBezier(const AGPoint& control, const AGPoint& end);
  void AddCubicBezier(const AGPoint& control1, const AGPoint& control2, const AGPoint& end);
  // Rounded corner: the tangent arc of radius through the corner p1 towards
  // p2, after a line from the current point to its first tangent point
  // (origin p1). A line to p1 when the corner is degenerate (see
  // AGNativePath::AddArcToPoint).
  void AddArc(const AGPoint& p1, const AGPoint& p2, double radius);
  // Elliptical arc about centre with radii size.width along x and
  // size.height along y, from startAngle over sweep radians (negative:
  // clockwise with y up), preceded by a line from the current point or a
  // move on an empty path. Origin: the arc's start point,
  // centre + (width cos startAngle, height sin startAngle).
  void AddArc(const AGPoint& centre, const AGSize& size, double startAngle, double sweep);
  void AddArc(const AGPoint& centre, double radius, double startAngle, double sweep);
  // The ellipse inscribed in rect.
  void AddArc(const AGRect& rect, double startAngle, double sweep);
  // Closed rectangle, normalised first (origin: its lower corner).
  void AddRect(const AGRect& rect);
  // Each rectangle normalised and closed (origin: lower corner of the first).
  void AddRects(const AGRect* rects, uint32_t count);
  void AddRects(const ATNumberArray<AGRect>& rects) { AddRects(rects.Data(), rects.Length()); }
  // Closed ellipse inscribed in the normalised rect (origin: its lower corner).
  void AddEllipseInRect(const AGRect& rect);
  // Closed rectangle with rounded corners of radius min(w, h) * roundness / 2,
  // roundness clamped to [0, 1] (1: half circles on the shorter sides). A
  // roundness at or below 0.02, or a rectangle of zero width or height,
  // gives a plain rectangle. Origin: the lower corner.
  void AddRoundedRect(const AGRect& rect, double roundness);

  // Runs: the first point continues the current sub-path with a line (or
  // starts the path with a move when it is empty); close closes the
  // sub-path. Origin: the first point. Fewer points than the minimum (2
  // lines, 3 quadratic, 4 cubic) add nothing; an incomplete pair or triple
  // at the end is ignored.
  void AddLines(const AGPoint* points, uint32_t count, bool close);
  void AddLines(const ATNumberArray<AGPoint>& points, bool close) {
    AddLines(points.Data(), points.Length(), close);
  }
  // Curves over (1, 2), (3, 4), ...: control then end.
  void AddQuadBeziers(const AGPoint* points, uint32_t count, bool close);
  void AddQuadBeziers(const ATNumberArray<AGPoint>& points, bool close) {
    AddQuadBeziers(points.Data(), points.Length(), close);
  }
  // Curves over (1, 2, 3), (4, 5, 6), ...: control 1, control 2, end.
  void AddCubicBeziers(const AGPoint* points, uint32_t count, bool close);
  void AddCubicBeziers(const ATNumberArray<AGPoint>& points, bool close) {
    AddCubicBeziers(points.Data(), points.Length(), close);
  }
  // Cardinal spline through the points: cubic pieces whose controls lie
  // tension/3 of the neighbours' difference away from each point. A tension
  // at or below 0.05 gives straight lines (AddLines). Closed: a last piece
  // back to the first point, then a close. Fewer than 2 points: nothing.
  void AddSplineCurves(const AGPoint* points, uint32_t count, double tension, bool close);
  void AddSplineCurves(const ATNumberArray<AGPoint>& points, double tension, bool close) {
    AddSplineCurves(points.Data(), points.Length(), tension, close);
  }

  // The other path's elements (nothing when it is empty); this path takes
  // the other's origin when it has none. other may be this path.
  void AddPath(const AGPath& other);
  // The same mapped through t; origin when unset: t(other's origin).
  void AddPath(const AGPath& other, const AGAffineTransform& t);

  // Glyph outlines of the text placed at position (origin: position).
  // False for an invalid font, true without change for empty text.
  // Defined with the text layout, beside the fonts.
  bool AddUText(const ATNumberArray<unsigned short>& chars, const AGFont& font,
                const AGPoint& position, AGTextAlignment alignment);
  bool AddText(const QVString& string, const AGFont& font, const AGPoint& position,
               AGTextAlignment alignment);

  // Closes the current sub-path; the origin is left alone.
  void CloseSubPath();

  // Maps the whole path through t; the origin becomes t(origin). Nothing
  // for an empty path.
  void ApplyTransform(const AGAffineTransform& t);
  // Maps the bounding box onto rect (onto the part of rect with the box's
  // proportions, centred, when proportional). Nothing for an empty path or
  // one whose bounding box has no width or no height, which no scale could
  // map onto rect.
  void PutInBounds(const AGRect& rect, bool proportional);

  // Box of every point, Bezier control points included; kAGNullRect when empty.
  AGRect GetBoundingBox() const;
  // Tight box of the drawn geometry (curves by their exact extents);
  // kAGNullRect when nothing is drawn (empty, or moves only).
  AGRect GetFlattenedBoundingBox() const;

  // Whether point lies in the filled area: even-odd rule for fillMode 0,
  // non-zero winding otherwise. False for an empty path.
  bool IsPointInPath(const AGPoint& point, uint32_t fillMode) const;
  // Whether point lies within tolerance of the outline (closing segments of
  // closed sub-paths included, curves as 8 straight pieces each), measured
  // after mapping by t (null: identity). A tolerance <= 0 accepts exact
  // hits only. False for an empty path.
  bool IsPointOnPath(const AGPoint& point, double tolerance, const AGAffineTransform* t) const;

 private:
  // Sets the origin to p if unset, drops the cached boxes and returns the
  // native path for adding.
  AGNativePath& ToAdd(const AGPoint& p);
  void DropCaches() { mFlags &= ~(kBoundingBoxValid | kFlattenedBoundingBoxValid); }
  // Starts a run with its first point: a move on an empty path, else a line.
  void StartRun(const AGPoint& first);
  // A run of segments of step points each (1 line, 2 quadratic, 3 cubic).
  void AddRun(const AGPoint* points, uint32_t count, uint32_t step, bool close);

  std::unique_ptr<AGNativePath> mNative;  // never null
  mutable uint32_t mFlags = 0;  // the cache bits change in const queries
  AGPoint mOrigin = kAGNullPoint;
  mutable AGRect mBoundingBox = kAGNullRect;
  mutable AGRect mFlattenedBoundingBox = kAGNullRect;
};

#endif
