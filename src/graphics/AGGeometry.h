// The graphics kit's geometry: the value types of kit/AGGeometryTypes.h
// (points, sizes, rectangles, intervals, colours, affine transforms,
// placements) with their arrays, and the computations on them.
//
// All coordinates are doubles; the y axis points up; angles are radians.
#ifndef AG_GEOMETRY_H
#define AG_GEOMETRY_H

#include <cstdint>

#include "kit/AGGeometryTypes.h"
#include "kit/ATArray.h"

using AGPointArray = ATNumberArray<AGPoint>;
using AGRectArray = ATNumberArray<AGRect>;

// ---------------------------------------------------------------------------
// Rectangles and points

// Per axis: orders the two coordinates, then widens an extent below minimum
// to exactly minimum about the centre along that axis.
AGRect AGRectNormalizeWithMinimum(const AGRect& rect, double minimum);

// Shrinks rect about its centre to the height/width ratio of reference (a
// ratio is 0 when the width is 0). A too-wide rect loses width, any other
// loses height; a reference of ratio 0 therefore collapses rect to zero
// height. The orientation of rect's axes is kept for a normalised
// reference; a reference with one reversed axis (a negative ratio) reverses
// the axis that is changed, so that the result's ratio is the reference's.
AGRect AGRectMakeProportional(const AGRect& rect, const AGRect& reference);

// Angle of the vector to - from, in [0, 2*pi). Equal points give 0.
double AGPointPolarAngle(const AGPoint& from, const AGPoint& to);

// (radiusX * cos(angle), radiusY * sin(angle)).
AGPoint AGPointFromPolar(double radiusX, double radiusY, double angle);

// ---------------------------------------------------------------------------
// Affine transforms. A Concat operation on t returns t followed by the new
// operation: the new operation acts on what t produced.

inline AGPoint AGPointApplyTransform(const AGPoint& p, const AGAffineTransform& t) {
  return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

// Apply t1, then t2.
AGAffineTransform AGAffineTransformConcat(const AGAffineTransform& t1, const AGAffineTransform& t2);

// Maps rectangle from onto rectangle to, axis by axis (x1 onto x1, x2 onto
// x2, so a reversed axis mirrors). kAGNullAffineTransform when from has a
// width or height of exactly 0.
AGAffineTransform AGAffineTransformMakeScale(const AGRect& from, const AGRect& to);

// Rotation by angle (radians, +x towards +y) about the origin, or about centre.
AGAffineTransform AGAffineTransformMakeRotation(double angle);
AGAffineTransform AGAffineTransformMakeRotation(double angle, const AGPoint& centre);

AGAffineTransform AGAffineTransformConcatTranslation(const AGAffineTransform& t, const AGPoint& offset);
AGAffineTransform AGAffineTransformConcatTranslation(const AGAffineTransform& t, double dx, double dy);
AGAffineTransform AGAffineTransformConcatScale(const AGAffineTransform& t, double sx, double sy);
AGAffineTransform AGAffineTransformConcatRotation(const AGAffineTransform& t, double angle);
AGAffineTransform AGAffineTransformConcatRotation(const AGAffineTransform& t, double angle,
                                                  const AGPoint& centre);

// The inverse of t; kAGNullAffineTransform when the determinant is exactly 0.
AGAffineTransform AGAffineTransformInvert(const AGAffineTransform& t);

// Splits t into shear, then scale, then rotation, then translation:
// t == shear (1, 0, shear.x, 1, 0, 0) followed by scale (scale.width,
// scale.height), by a rotation of rotation radians (in [0, 2*pi)) and by a
// translation by translation. A mirroring t gets a negative scale.height.
// Every output may be null. A t whose linear part is zero gives shear 0,
// scale (0, 0), rotation 0; a zero first column alone gives shear 0 and the
// rotation that turns +y onto the second column.
void AGAffineTransformFactorize(const AGAffineTransform& t, AGPoint* shear, AGSize* scale,
                                double* rotation, AGPoint* translation);

// ---------------------------------------------------------------------------
// Polygon and segment algorithms. Every pointer-and-count routine accepts a
// null pointer or a count of 0 as "no elements"; the array twins pass an
// array's Data() and Length() on.
namespace AGGeometry {

// The index answered by the nearest-candidate searches when nothing is found
// (-1, all bits set).
inline constexpr uint32_t kNotFound = 0xFFFFFFFFu;

// Squared distance from p to the segment a-b (to a when the segment has
// length 0), and its square root.
double GetDistanceToSegment2(const AGPoint& p, const AGPoint& a, const AGPoint& b);
double GetDistanceToSegment(const AGPoint& p, const AGPoint& a, const AGPoint& b);

// Whether segments a1-a2 and b1-b2 meet, end points included. Parallel and
// collinear segments never meet, even when they overlap. out (may be null)
// receives the meeting point, or kAGNullPoint when there is none.
bool GetIntersectionOfSegments(const AGPoint& a1, const AGPoint& a2, const AGPoint& b1,
                               const AGPoint& b2, AGPoint* out);

// Maps in place. A rectangle's two corners are mapped each on its own: the
// result is neither normalised nor the bounding box of a rotated rectangle.
void ApplyTransformToPoints(AGPoint* points, uint32_t count, const AGAffineTransform& t);
void ApplyTransformToPoints(AGPointArray& points, const AGAffineTransform& t);
void ApplyTransformToRects(AGRect* rects, uint32_t count, const AGAffineTransform& t);
void ApplyTransformToRects(AGRectArray& rects, const AGAffineTransform& t);

// Component-wise extremes; for rectangles the minimum of the x1s and y1s and
// the maximum of the x2s and y2s (rectangles are not normalised first).
// kAGNullRect for no elements.
AGRect GetBoundingBox(const AGPoint* points, uint32_t count);
AGRect GetBoundingBox(const AGPointArray& points);
AGRect GetBoundingBox(const AGRect* rects, uint32_t count);
AGRect GetBoundingBox(const AGRectArray& rects);

// Thins a polyline in place: a point is dropped when its difference from the
// last kept point, mapped by the linear part of t (null: identity), is at
// most tolerance * 0.707 along both axes. The first and the last point are
// always kept. Fewer than three points (or a null count) are left alone.
// Returns true when the count changed; *count (or the array's length) then
// holds the new count.
bool ResamplePoints(AGPoint* points, uint32_t* count, double tolerance, const AGAffineTransform* t);
bool ResamplePoints(AGPointArray& points, double tolerance, const AGAffineTransform* t);

// Crossing-number test with a ray towards +x; false below three points. A
// ring whose first point repeats as its last is the same polygon as the open
// one. Edges count their lower end point and not their upper one, and
// horizontal edges never count. A point on a non-horizontal edge is inside
// when the interior lies on its +x side (a left side) and outside on a right
// side; of an axis-aligned rectangle the left and bottom sides are inside and
// the right and top sides (with three of the corners) outside, whichever the
// winding.
bool IsPointInsidePolygon(const AGPoint* points, uint32_t count, const AGPoint& p);
bool IsPointInsidePolygon(const AGPointArray& points, const AGPoint& p);

// Whether two polygons (three points or more each) overlap: a vertex of one
// inside the other, or an edge of one (closing edge included) meeting an edge
// of the other by GetIntersectionOfSegments.
bool IsPolygonSect(const AGPoint* pointsA, uint32_t countA, const AGPoint* pointsB, uint32_t countB);
bool IsPolygonSect(const AGPointArray& pointsA, const AGPointArray& pointsB);

// count points on the circle of radius about centre, the first at
// startAngle, each next one 2*pi/count further. The array twin sizes the
// array to count first.
void GenerateRegularPolygon(AGPoint* points, uint32_t count, const AGPoint& centre, double radius,
                            double startAngle);
void GenerateRegularPolygon(AGPointArray& points, uint32_t count, const AGPoint& centre,
                            double radius, double startAngle);

// Hit testing. The candidates and p are mapped by t (null: identity) before
// measuring, so maxDistance is in mapped units; maxDistance <= 0 means no
// limit. The strictly nearest candidate wins, the first one on ties. On
// success *index and *distance receive the winner and its distance; on
// failure kNotFound and kQVHugeFloat64. Either output may be null.
//
// Segments join consecutive points (at least two); a closed polyline's
// closing segment (last, first) is examined first. The index answered is the
// segment's end point, so 0 stands for the closing segment.
bool FindNearestSegment(const AGPoint* points, uint32_t count, bool closed, const AGPoint& p,
                        double maxDistance, const AGAffineTransform* t, uint32_t* index,
                        double* distance);
bool FindNearestSegment(const AGPointArray& points, bool closed, const AGPoint& p, double maxDistance,
                        const AGAffineTransform* t, uint32_t* index, double* distance);
bool FindNearestPoint(const AGPoint* points, uint32_t count, const AGPoint& p, double maxDistance,
                      const AGAffineTransform* t, uint32_t* index, double* distance);
bool FindNearestPoint(const AGPointArray& points, const AGPoint& p, double maxDistance,
                      const AGAffineTransform* t, uint32_t* index, double* distance);

// The corners (x1, y1), (x2, y1), (x2, y2), (x1, y2) of rect mapped by t.
// The array twin sizes the array to 4 first.
void GetRectTrapezoid(AGPoint trapezoid[4], const AGRect& rect, const AGAffineTransform& t);
void GetRectTrapezoid(AGPointArray& trapezoid, const AGRect& rect, const AGAffineTransform& t);

// The transform that fits content into frame: content's lower left corner
// goes to the origin, content too large for the frame is shrunk uniformly
// (never enlarged), each field of placement then stretches or aligns it
// within the frame, and the result is moved to frame's lower left corner.
// Identity when content's width or height is not positive. frame is
// expected normalised: a reversed frame axis gives a negative scale.
AGAffineTransform GetPlacementAFT(const AGRect& content, const AGRect& frame, AGPlacement placement);

}  // namespace AGGeometry

#endif
