#include "graphics/AGBezier.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFlatEpsilon = 1e-30;
constexpr int kMaxAdaptiveLevel = 8;

AGPoint Mid(const AGPoint& a, const AGPoint& b) { return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5}; }

double Cross(const AGPoint& u, double dx, double dy) { return u.x * dy - u.y * dx; }

AGPoint Minus(const AGPoint& a, const AGPoint& b) { return {a.x - b.x, a.y - b.y}; }

double Dist2(const AGPoint& a, const AGPoint& b) {
  double dx = a.x - b.x, dy = a.y - b.y;
  return dx * dx + dy * dy;
}

void Widen(AGPoint& lo, AGPoint& hi, const AGPoint& p) {
  lo.x = std::min(lo.x, p.x);
  lo.y = std::min(lo.y, p.y);
  hi.x = std::max(hi.x, p.x);
  hi.y = std::max(hi.y, p.y);
}

void StoreMinimax(const AGPoint& lo, const AGPoint& hi, AGPoint* min, AGPoint* max) {
  if (min) *min = lo;
  if (max) *max = hi;
}

// Appends m, or splits when the piece is not flat enough; d is the squared
// tolerance.
void AdaptiveCubic(ATNumberArray<AGPoint>& out, const AGPoint& p0, const AGPoint& p1,
                   const AGPoint& p2, const AGPoint& p3, double d, int level) {
  AGPoint p01 = Mid(p0, p1), p12 = Mid(p1, p2), p23 = Mid(p2, p3);
  AGPoint p012 = Mid(p01, p12), p123 = Mid(p12, p23);
  AGPoint m = Mid(p012, p123);

  bool split = true;
  if (level > 0) {
    double dx = p3.x - p0.x, dy = p3.y - p0.y;
    double d1 = std::fabs(Cross(Minus(p1, p3), dx, dy));
    double d2 = std::fabs(Cross(Minus(p2, p3), dx, dy));
    double len2 = dx * dx + dy * dy;
    if (d1 <= kFlatEpsilon && d2 <= kFlatEpsilon) {
      split = d < Dist2(m, Mid(p0, p3));
    } else if (d1 <= kFlatEpsilon) {
      split = len2 * d < d2 * d2;
    } else if (d2 <= kFlatEpsilon) {
      split = len2 * d < d1 * d1;
    } else {
      split = len2 * d < (d1 + d2) * (d1 + d2);
    }
  }
  // The deepest level takes its piece as it is rather than dropping it.
  if (split && level < kMaxAdaptiveLevel) {
    AdaptiveCubic(out, p0, p01, p012, m, d, level + 1);
    AdaptiveCubic(out, m, p123, p23, p3, d, level + 1);
  } else {
    out.Append(m);
  }
}

void AdaptiveQuad(ATNumberArray<AGPoint>& out, const AGPoint& p0, const AGPoint& p1,
                  const AGPoint& p2, double d, int level) {
  AGPoint p01 = Mid(p0, p1), p12 = Mid(p1, p2);
  AGPoint m = Mid(p01, p12);

  // Unlike the cubic, whose ends may meet with its body far away, the
  // quadratic's flatness test holds from the first level on.
  double dx = p2.x - p0.x, dy = p2.y - p0.y;
  double d1 = std::fabs(Cross(Minus(p1, p2), dx, dy));
  bool split = d1 <= kFlatEpsilon ? d < Dist2(m, Mid(p0, p2))
                                  : (dx * dx + dy * dy) * d < d1 * d1;
  if (split && level < kMaxAdaptiveLevel) {
    AdaptiveQuad(out, p0, p01, m, d, level + 1);
    AdaptiveQuad(out, m, p12, p2, d, level + 1);
  } else {
    out.Append(m);
  }
}

double SquaredTolerance(double tolerance) {
  // A NaN tolerance takes the finest setting.
  double t = std::isnan(tolerance) ? 0.25 : std::clamp(tolerance, 0.25, 16.0);
  return t * t;
}

// Regular sampling shared by both degrees: eval(t) gives the curve point.
template <class Eval>
void AppendRegular(ATNumberArray<AGPoint>& array, uint32_t count, bool includeFirst, Eval eval) {
  if (count < 2) return;
  count = std::min(count, kAGBezierMaxRegularCount);
  uint32_t last = count - 1;
  for (uint32_t i = includeFirst ? 0 : 1; i <= last; ++i) {
    array.Append(eval(static_cast<double>(i) / last));
  }
}

// The Get twins: a new array filled by the Append function.
template <class Append, class... Args>
ATNumberArray<AGPoint> Collect(Append append, const Args&... args) {
  ATNumberArray<AGPoint> out;
  append(out, args...);
  return out;
}

struct QualityChoice {
  uint32_t regularCount;  // 0: adaptive
  double tolerance;
};

QualityChoice ChooseByQuality(int32_t quality) {
  switch (quality) {
    case 1: return {5, 0.0};
    case 2: return {9, 0.0};
    case 3: return {17, 0.0};
    case 4: return {0, 1.0};
    case 6: return {0, 4.0};
    default: return {0, 2.0};
  }
}

template <class Regular, class Adaptive>
void AppendByQuality(Regular regular, Adaptive adaptive, ATNumberArray<AGPoint>& array,
                     const AGPoint* controls, int32_t quality, bool includeFirst) {
  QualityChoice q = ChooseByQuality(quality);
  if (q.regularCount) {
    regular(array, controls, q.regularCount, includeFirst);
  } else {
    adaptive(array, controls, q.tolerance, includeFirst);
  }
}

}  // namespace

AGPoint AGBezierQuadGetPoint(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2, double t) {
  double u = 1.0 - t;
  double k0 = u * u, k1 = 2.0 * t * u, k2 = t * t;
  return {k0 * p0.x + k1 * p1.x + k2 * p2.x, k0 * p0.y + k1 * p1.y + k2 * p2.y};
}

AGPoint AGBezierCubicGetPoint(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2,
                              const AGPoint& p3, double t) {
  double u = 1.0 - t;
  double k0 = u * u * u, k1 = 3.0 * t * u * u, k2 = 3.0 * t * t * u, k3 = t * t * t;
  return {k0 * p0.x + k1 * p1.x + k2 * p2.x + k3 * p3.x,
          k0 * p0.y + k1 * p1.y + k2 * p2.y + k3 * p3.y};
}

uint32_t AGBezierQuadGetTurningParameters(double v0, double v1, double v2, double t[1]) {
  double den = v0 - 2.0 * v1 + v2;
  if (den == 0.0) return 0;
  double r = (v0 - v1) / den;
  if (!(r > 0.0 && r < 1.0)) return 0;
  t[0] = r;
  return 1;
}

uint32_t AGBezierCubicGetTurningParameters(double v0, double v1, double v2, double v3,
                                           double t[2]) {
  // The derivative is 3 (a t^2 + 2 b t + c).
  double a = -v0 + 3.0 * v1 - 3.0 * v2 + v3;
  double b = v0 - 2.0 * v1 + v2;
  double c = v1 - v0;
  double roots[2];
  uint32_t n = 0;
  if (a == 0.0) {
    if (b != 0.0) roots[n++] = -c / (2.0 * b);
  } else {
    double disc = b * b - a * c;
    if (disc >= 0.0) {
      // The form that avoids cancellation when a is small against b.
      double q = -(b + std::copysign(std::sqrt(disc), b));
      if (q != 0.0) {
        roots[n++] = q / a;
        roots[n++] = c / q;
      } else {
        roots[n++] = 0.0;  // b and disc both 0: c is 0 too, a double root at 0
      }
    }
  }
  uint32_t found = 0;
  for (uint32_t i = 0; i < n; ++i) {
    if (roots[i] > 0.0 && roots[i] < 1.0) t[found++] = roots[i];
  }
  if (found == 2 && t[0] > t[1]) std::swap(t[0], t[1]);
  return found;
}

void AGBezierQuadGetMinimax(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2, AGPoint* min,
                            AGPoint* max) {
  AGPoint lo = {std::min(p0.x, p2.x), std::min(p0.y, p2.y)};
  AGPoint hi = {std::max(p0.x, p2.x), std::max(p0.y, p2.y)};
  double t[1];
  if (AGBezierQuadGetTurningParameters(p0.x, p1.x, p2.x, t)) {
    Widen(lo, hi, AGBezierQuadGetPoint(p0, p1, p2, t[0]));
  }
  if (AGBezierQuadGetTurningParameters(p0.y, p1.y, p2.y, t)) {
    Widen(lo, hi, AGBezierQuadGetPoint(p0, p1, p2, t[0]));
  }
  StoreMinimax(lo, hi, min, max);
}

void AGBezierCubicGetMinimax(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2,
                             const AGPoint& p3, AGPoint* min, AGPoint* max) {
  AGPoint lo = {std::min(p0.x, p3.x), std::min(p0.y, p3.y)};
  AGPoint hi = {std::max(p0.x, p3.x), std::max(p0.y, p3.y)};
  double t[2];
  uint32_t n = AGBezierCubicGetTurningParameters(p0.x, p1.x, p2.x, p3.x, t);
  for (uint32_t i = 0; i < n; ++i) Widen(lo, hi, AGBezierCubicGetPoint(p0, p1, p2, p3, t[i]));
  n = AGBezierCubicGetTurningParameters(p0.y, p1.y, p2.y, p3.y, t);
  for (uint32_t i = 0; i < n; ++i) Widen(lo, hi, AGBezierCubicGetPoint(p0, p1, p2, p3, t[i]));
  StoreMinimax(lo, hi, min, max);
}

void AGBezierQuadAppendResampledRegular(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                        uint32_t count, bool includeFirst) {
  if (!controls) return;
  AppendRegular(array, count, includeFirst, [controls](double t) {
    return AGBezierQuadGetPoint(controls[0], controls[1], controls[2], t);
  });
}

void AGBezierCubicAppendResampledRegular(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                         uint32_t count, bool includeFirst) {
  if (!controls) return;
  AppendRegular(array, count, includeFirst, [controls](double t) {
    return AGBezierCubicGetPoint(controls[0], controls[1], controls[2], controls[3], t);
  });
}

ATNumberArray<AGPoint> AGBezierQuadGetResampledRegular(const AGPoint* controls, uint32_t count,
                                                       bool includeFirst) {
  return Collect(AGBezierQuadAppendResampledRegular, controls, count, includeFirst);
}

ATNumberArray<AGPoint> AGBezierCubicGetResampledRegular(const AGPoint* controls, uint32_t count,
                                                        bool includeFirst) {
  return Collect(AGBezierCubicAppendResampledRegular, controls, count, includeFirst);
}

void AGBezierQuadAppendResampledAdaptive(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                         double tolerance, bool includeFirst) {
  if (!controls) return;
  if (includeFirst) array.Append(controls[0]);
  AdaptiveQuad(array, controls[0], controls[1], controls[2], SquaredTolerance(tolerance), 0);
  array.Append(controls[2]);
}

void AGBezierCubicAppendResampledAdaptive(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                          double tolerance, bool includeFirst) {
  if (!controls) return;
  if (includeFirst) array.Append(controls[0]);
  AdaptiveCubic(array, controls[0], controls[1], controls[2], controls[3],
                SquaredTolerance(tolerance), 0);
  array.Append(controls[3]);
}

ATNumberArray<AGPoint> AGBezierQuadGetResampledAdaptive(const AGPoint* controls, double tolerance,
                                                        bool includeFirst) {
  return Collect(AGBezierQuadAppendResampledAdaptive, controls, tolerance, includeFirst);
}

ATNumberArray<AGPoint> AGBezierCubicGetResampledAdaptive(const AGPoint* controls,
                                                         double tolerance, bool includeFirst) {
  return Collect(AGBezierCubicAppendResampledAdaptive, controls, tolerance, includeFirst);
}

void AGBezierQuadAppendResampled(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                 int32_t quality, bool includeFirst) {
  AppendByQuality(AGBezierQuadAppendResampledRegular, AGBezierQuadAppendResampledAdaptive, array,
                  controls, quality, includeFirst);
}

void AGBezierCubicAppendResampled(ATNumberArray<AGPoint>& array, const AGPoint* controls,
                                  int32_t quality, bool includeFirst) {
  AppendByQuality(AGBezierCubicAppendResampledRegular, AGBezierCubicAppendResampledAdaptive, array,
                  controls, quality, includeFirst);
}

ATNumberArray<AGPoint> AGBezierQuadGetResampled(const AGPoint* controls, int32_t quality,
                                                bool includeFirst) {
  return Collect(AGBezierQuadAppendResampled, controls, quality, includeFirst);
}

ATNumberArray<AGPoint> AGBezierCubicGetResampled(const AGPoint* controls, int32_t quality,
                                                 bool includeFirst) {
  return Collect(AGBezierCubicAppendResampled, controls, quality, includeFirst);
}
