// Quadratic and cubic Bezier curves: point evaluation, exact axis-aligned
// extents and resampling into polylines.
//
// A quadratic is given by three control points p0, p1, p2, a cubic by four
// p0 ... p3; the curve runs from the first to the last for t from 0 to 1.
// The resampling functions take the control points as a pointer to 3 (Quad)
// or 4 (Cubic) consecutive AGPoints; a null pointer appends nothing.
#ifndef AG_BEZIER_H
#define AG_BEZIER_H

#include <cstdint>

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"

// (1-t)^2 p0 + 2t(1-t) p1 + t^2 p2.
AGPoint AGBezierQuadGetPoint(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2, double t);
// (1-t)^3 p0 + 3t(1-t)^2 p1 + 3t^2(1-t) p2 + t^3 p3.
AGPoint AGBezierCubicGetPoint(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2,
                              const AGPoint& p3, double t);

// The parameters strictly between 0 and 1 where one coordinate of the curve
// (given by that coordinate of its control points) stops growing or
// shrinking, ascending, written to t; returns how many (quadratic: at most 1,
// cubic: at most 2). Splitting the curve there leaves pieces monotone in
// that coordinate.
uint32_t AGBezierQuadGetTurningParameters(double v0, double v1, double v2, double t[1]);
uint32_t AGBezierCubicGetTurningParameters(double v0, double v1, double v2, double v3,
                                           double t[2]);

// The exact axis-aligned extents of the curve (not of its control points):
// lower corner to min, upper corner to max; either output may be null.
void AGBezierQuadGetMinimax(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2, AGPoint* min,
                            AGPoint* max);
void AGBezierCubicGetMinimax(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2,
                             const AGPoint& p3, AGPoint* min, AGPoint* max);

// Appends the curve's points at count evenly spaced parameters, t = i/(count-1)
// for i = 0 (1 when includeFirst is false) ... count-1. count 0 or 1 appends
// nothing; counts above kAGBezierMaxRegularCount are cut to it.
inline constexpr uint32_t kAGBezierMaxRegularCount = 1024;
void AGBezierQuadAppendResampledRegular(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                        uint32_t count, bool includeFirst);
void AGBezierCubicAppendResampledRegular(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                         uint32_t count, bool includeFirst);
ATNumberArray<AGPoint> AGBezierQuadGetResampledRegular(const AGPoint* controls, uint32_t count,
                                                       bool includeFirst);
ATNumberArray<AGPoint> AGBezierCubicGetResampledRegular(const AGPoint* controls, uint32_t count,
                                                        bool includeFirst);

// Appends a polyline that follows the curve to about tolerance (clamped to
// [0.25, 16], in the curve's units) by recursive halving: the first control
// point when includeFirst, the mid point of every piece that is flat enough,
// then the last control point. A cubic is always halved at least once; a
// quadratic flat enough as a whole gives its mid point alone. At most 8
// levels of halving: a piece still not flat at the deepest level is taken as
// it is (its mid point is appended), so a very large curve is sampled 256
// times rather than dropped.
void AGBezierQuadAppendResampledAdaptive(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                         double tolerance, bool includeFirst);
void AGBezierCubicAppendResampledAdaptive(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                          double tolerance, bool includeFirst);
ATNumberArray<AGPoint> AGBezierQuadGetResampledAdaptive(const AGPoint* controls, double tolerance,
                                                        bool includeFirst);
ATNumberArray<AGPoint> AGBezierCubicGetResampledAdaptive(const AGPoint* controls,
                                                         double tolerance, bool includeFirst);

// Resampling chosen by a quality code: 1, 2, 3 regular with 5, 9, 17 points;
// 4 adaptive with tolerance 1; 6 adaptive with tolerance 4; any other code
// adaptive with tolerance 2.
void AGBezierQuadAppendResampled(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                 int32_t quality, bool includeFirst);
void AGBezierCubicAppendResampled(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                  int32_t quality, bool includeFirst);
ATNumberArray<AGPoint> AGBezierQuadGetResampled(const AGPoint* controls, int32_t quality,
                                                bool includeFirst);
ATNumberArray<AGPoint> AGBezierCubicGetResampled(const AGPoint* controls, int32_t quality,
                                                 bool includeFirst);

// Twins on any point type with members x and y (the platform's
// single-precision points): computed in double, rounded back to P.
namespace ATBezierDetail {
template <class P>
inline AGPoint ToAG(const P& p) {
  return {static_cast<double>(p.x), static_cast<double>(p.y)};
}
template <class P>
inline P FromAG(const AGPoint& p) {
  using C = decltype(P::x);
  return P{static_cast<C>(p.x), static_cast<C>(p.y)};
}
}  // namespace ATBezierDetail

template <class P>
P ATBezierQuadGetPoint(const P& p0, const P& p1, const P& p2, double t) {
  using namespace ATBezierDetail;
  return FromAG<P>(AGBezierQuadGetPoint(ToAG(p0), ToAG(p1), ToAG(p2), t));
}

template <class P>
P ATBezierCubicGetPoint(const P& p0, const P& p1, const P& p2, const P& p3, double t) {
  using namespace ATBezierDetail;
  return FromAG<P>(AGBezierCubicGetPoint(ToAG(p0), ToAG(p1), ToAG(p2), ToAG(p3), t));
}

template <class P>
void ATBezierQuadGetMinimax(const P& p0, const P& p1, const P& p2, P* min, P* max) {
  using namespace ATBezierDetail;
  AGPoint lo, hi;
  AGBezierQuadGetMinimax(ToAG(p0), ToAG(p1), ToAG(p2), &lo, &hi);
  if (min) *min = FromAG<P>(lo);
  if (max) *max = FromAG<P>(hi);
}

template <class P>
void ATBezierCubicGetMinimax(const P& p0, const P& p1, const P& p2, const P& p3, P* min, P* max) {
  using namespace ATBezierDetail;
  AGPoint lo, hi;
  AGBezierCubicGetMinimax(ToAG(p0), ToAG(p1), ToAG(p2), ToAG(p3), &lo, &hi);
  if (min) *min = FromAG<P>(lo);
  if (max) *max = FromAG<P>(hi);
}

// Squared distance from p to the segment ab (AGGeometry::GetDistanceToSegment2).
template <class P>
double ATPointGetDistanceToSegment2(const P& p, const P& a, const P& b) {
  using namespace ATBezierDetail;
  return AGGeometry::GetDistanceToSegment2(ToAG(p), ToAG(a), ToAG(b));
}

#endif
