#include "graphics/AGGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// The angle whose cosine is `cosine`, taken in the lower half-turn when dy is
// negative; reduced into [0, 2*pi). Rounding can push a cosine computed as a
// quotient just outside [-1, 1], which would make acos answer NaN.
double AngleFromCosine(double cosine, double dy) {
  cosine = std::clamp(cosine, -1.0, 1.0);
  double angle = (dy >= 0.0) ? std::acos(cosine) : std::acos(-cosine) + kPi;
  angle = std::fmod(angle, k2Pi);
  if (angle < 0.0) angle += k2Pi;
  return angle;
}

double HeightToWidth(const AGRect& r) {
  double w = AGRectWidth(r);
  return (w == 0.0) ? 0.0 : AGRectHeight(r) / w;
}

AGPoint MapOrKeep(const AGPoint& p, const AGAffineTransform* t) {
  return t ? AGPointApplyTransform(p, *t) : p;
}

double Distance2(const AGPoint& p, const AGPoint& q) {
  double dx = p.x - q.x;
  double dy = p.y - q.y;
  return dx * dx + dy * dy;
}

// Keeps the strictly nearest candidate offered, the first one on ties.
class NearestCandidate {
 public:
  void Offer(double distance2, uint32_t index) {
    if (distance2 < mBest2) {
      mBest2 = distance2;
      mIndex = index;
    }
  }

  bool Finish(double maxDistance, uint32_t* index, double* distance) const {
    double best = std::sqrt(mBest2);
    bool found = mIndex != AGGeometry::kNotFound && (maxDistance <= 0.0 || best <= maxDistance);
    if (index) *index = found ? mIndex : AGGeometry::kNotFound;
    if (distance) *distance = found ? best : kQVHugeFloat64;
    return found;
  }

 private:
  double mBest2 = kQVHugeFloat64;
  uint32_t mIndex = AGGeometry::kNotFound;
};

// Starts from the first item's box unchanged, then takes the minimum of the
// x1s and y1s and the maximum of the x2s and y2s.
template <class T, class BoxOf>
AGRect BoundingBoxOf(const T* items, uint32_t count, BoxOf boxOf) {
  if (!items || count == 0) return kAGNullRect;
  AGRect box = boxOf(items[0]);
  for (uint32_t i = 1; i < count; ++i) {
    AGRect r = boxOf(items[i]);
    box.x1 = std::min(box.x1, r.x1);
    box.y1 = std::min(box.y1, r.y1);
    box.x2 = std::max(box.x2, r.x2);
    box.y2 = std::max(box.y2, r.y2);
  }
  return box;
}

}  // namespace

// ---------------------------------------------------------------------------
// Rectangles and points

AGRect AGRectNormalizeWithMinimum(const AGRect& rect, double minimum) {
  auto normalizeAxis = [minimum](double& first, double& second) {
    if (first > second) std::swap(first, second);
    if (second - first < minimum) {
      first = (first + second - minimum) * 0.5;
      second = first + minimum;
    }
  };
  AGRect r = rect;
  normalizeAxis(r.x1, r.x2);
  normalizeAxis(r.y1, r.y2);
  return r;
}

AGRect AGRectMakeProportional(const AGRect& rect, const AGRect& reference) {
  double r = HeightToWidth(rect);
  double q = HeightToWidth(reference);
  double s = (r < 0.0) ? -1.0 : 1.0;
  double cx = (rect.x1 + rect.x2) * 0.5;
  double cy = (rect.y1 + rect.y2) * 0.5;
  AGRect result = rect;
  if (std::fabs(r) < std::fabs(q)) {
    double halfWidth = s * (AGRectHeight(rect) * 0.5) / q;
    result.x1 = cx - halfWidth;
    result.x2 = cx + halfWidth;
  } else {
    double halfHeight = q * s * (AGRectWidth(rect) * 0.5);
    result.y1 = cy - halfHeight;
    result.y2 = cy + halfHeight;
  }
  return result;
}

double AGPointPolarAngle(const AGPoint& from, const AGPoint& to) {
  double dx = to.x - from.x;
  double dy = to.y - from.y;
  double r = std::hypot(dx, dy);
  if (r == 0.0) return 0.0;
  return AngleFromCosine(dx / r, dy);
}

AGPoint AGPointFromPolar(double radiusX, double radiusY, double angle) {
  return {radiusX * std::cos(angle), radiusY * std::sin(angle)};
}

// ---------------------------------------------------------------------------
// Affine transforms

AGAffineTransform AGAffineTransformConcat(const AGAffineTransform& t1, const AGAffineTransform& t2) {
  return {t1.a * t2.a + t1.b * t2.c,
          t1.a * t2.b + t1.b * t2.d,
          t1.c * t2.a + t1.d * t2.c,
          t1.c * t2.b + t1.d * t2.d,
          t1.tx * t2.a + t1.ty * t2.c + t2.tx,
          t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

AGAffineTransform AGAffineTransformMakeScale(const AGRect& from, const AGRect& to) {
  double fromWidth = AGRectWidth(from);
  double fromHeight = AGRectHeight(from);
  if (fromWidth == 0.0 || fromHeight == 0.0) return kAGNullAffineTransform;
  double a = AGRectWidth(to) / fromWidth;
  double d = AGRectHeight(to) / fromHeight;
  return {a, 0.0, 0.0, d, to.x1 - a * from.x1, to.y1 - d * from.y1};
}

AGAffineTransform AGAffineTransformMakeRotation(double angle) {
  double cs = std::cos(angle);
  double sn = std::sin(angle);
  return {cs, sn, -sn, cs, 0.0, 0.0};
}

AGAffineTransform AGAffineTransformMakeRotation(double angle, const AGPoint& centre) {
  double cs = std::cos(angle);
  double sn = std::sin(angle);
  return {cs, sn, -sn, cs, centre.x * (1.0 - cs) + centre.y * sn, centre.y * (1.0 - cs) - centre.x * sn};
}

AGAffineTransform AGAffineTransformConcatTranslation(const AGAffineTransform& t, const AGPoint& offset) {
  return AGAffineTransformConcatTranslation(t, offset.x, offset.y);
}

AGAffineTransform AGAffineTransformConcatTranslation(const AGAffineTransform& t, double dx, double dy) {
  return AGAffineTransformConcat(t, {1.0, 0.0, 0.0, 1.0, dx, dy});
}

AGAffineTransform AGAffineTransformConcatScale(const AGAffineTransform& t, double sx, double sy) {
  return AGAffineTransformConcat(t, {sx, 0.0, 0.0, sy, 0.0, 0.0});
}

AGAffineTransform AGAffineTransformConcatRotation(const AGAffineTransform& t, double angle) {
  return AGAffineTransformConcat(t, AGAffineTransformMakeRotation(angle));
}

AGAffineTransform AGAffineTransformConcatRotation(const AGAffineTransform& t, double angle,
                                                  const AGPoint& centre) {
  return AGAffineTransformConcat(t, AGAffineTransformMakeRotation(angle, centre));
}

AGAffineTransform AGAffineTransformInvert(const AGAffineTransform& t) {
  double det = t.a * t.d - t.b * t.c;
  if (det == 0.0) return kAGNullAffineTransform;
  return {t.d / det,
          -t.b / det,
          -t.c / det,
          t.a / det,
          -(t.d * t.tx - t.c * t.ty) / det,
          (t.b * t.tx - t.a * t.ty) / det};
}

void AGAffineTransformFactorize(const AGAffineTransform& t, AGPoint* shear, AGSize* scale,
                                double* rotation, AGPoint* translation) {
  if (translation) *translation = {t.tx, t.ty};
  if (!shear && !scale && !rotation) return;

  double sx = std::hypot(t.a, t.b);
  double ux = (sx == 0.0) ? 0.0 : t.a / sx;
  double uy = (sx == 0.0) ? 0.0 : t.b / sx;
  // Remove from the second column its part along the first; what is left is
  // the second axis's own length, its sign telling a mirroring transform.
  double k = ux * t.c + uy * t.d;
  double cp = t.c - ux * k;
  double dp = t.d - uy * k;
  double sy = std::hypot(cp, dp);
  if (t.a * t.d - t.b * t.c < 0.0) sy = -sy;

  // The shear factor is the second column's part along the first axis in
  // units of the first axis's length; it is kept even when the second axis
  // collapses (sy == 0), so the factors still rebuild t.
  if (shear) *shear = {(sx == 0.0) ? 0.0 : k / sx, 0.0};
  if (scale) *scale = {sx, sy};
  if (rotation) {
    if (sx != 0.0) {
      *rotation = AngleFromCosine(ux, uy);
    } else if (sy != 0.0) {
      // No first axis to measure: take the rotation turning +y onto the
      // second column, (-sin, cos) = (c, d) / sy.
      *rotation = AngleFromCosine(t.d / sy, -t.c / sy);
    } else {
      *rotation = 0.0;
    }
  }
}

// ---------------------------------------------------------------------------
// AGGeometry

namespace AGGeometry {

double GetDistanceToSegment2(const AGPoint& p, const AGPoint& a, const AGPoint& b) {
  double abx = b.x - a.x;
  double aby = b.y - a.y;
  double apx = p.x - a.x;
  double apy = p.y - a.y;
  if (apx * abx + apy * aby < 0.0) return apx * apx + apy * apy;
  double bpx = b.x - p.x;
  double bpy = b.y - p.y;
  if (bpx * abx + bpy * aby < 0.0) return bpx * bpx + bpy * bpy;
  double length2 = abx * abx + aby * aby;
  // A segment of length 0 passes both tests above; it is its end point.
  if (length2 == 0.0) return apx * apx + apy * apy;
  double cross = abx * apy - aby * apx;
  return cross * cross / length2;
}

double GetDistanceToSegment(const AGPoint& p, const AGPoint& a, const AGPoint& b) {
  return std::sqrt(GetDistanceToSegment2(p, a, b));
}

bool GetIntersectionOfSegments(const AGPoint& a1, const AGPoint& a2, const AGPoint& b1,
                               const AGPoint& b2, AGPoint* out) {
  double adx = a2.x - a1.x;
  double ady = a2.y - a1.y;
  double bdx = b2.x - b1.x;
  double bdy = b2.y - b1.y;
  double den = adx * bdy - ady * bdx;
  if (den != 0.0) {
    double ox = a1.x - b1.x;
    double oy = a1.y - b1.y;
    double t = (bdx * oy - bdy * ox) / den;
    double u = (adx * oy - ady * ox) / den;
    if (t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0) {
      if (out) *out = {a1.x + t * adx, a1.y + t * ady};
      return true;
    }
  }
  if (out) *out = kAGNullPoint;
  return false;
}

void ApplyTransformToPoints(AGPoint* points, uint32_t count, const AGAffineTransform& t) {
  if (!points) return;
  for (uint32_t i = 0; i < count; ++i) points[i] = AGPointApplyTransform(points[i], t);
}

void ApplyTransformToPoints(AGPointArray& points, const AGAffineTransform& t) {
  ApplyTransformToPoints(points.Data(), points.Length(), t);
}

void ApplyTransformToRects(AGRect* rects, uint32_t count, const AGAffineTransform& t) {
  if (!rects) return;
  for (uint32_t i = 0; i < count; ++i) {
    AGPoint p1 = AGPointApplyTransform({rects[i].x1, rects[i].y1}, t);
    AGPoint p2 = AGPointApplyTransform({rects[i].x2, rects[i].y2}, t);
    rects[i] = {p1.x, p1.y, p2.x, p2.y};
  }
}

void ApplyTransformToRects(AGRectArray& rects, const AGAffineTransform& t) {
  ApplyTransformToRects(rects.Data(), rects.Length(), t);
}

AGRect GetBoundingBox(const AGPoint* points, uint32_t count) {
  return BoundingBoxOf(points, count, [](const AGPoint& p) { return AGRect{p.x, p.y, p.x, p.y}; });
}

AGRect GetBoundingBox(const AGPointArray& points) { return GetBoundingBox(points.Data(), points.Length()); }

AGRect GetBoundingBox(const AGRect* rects, uint32_t count) {
  return BoundingBoxOf(rects, count, [](const AGRect& r) { return r; });
}

AGRect GetBoundingBox(const AGRectArray& rects) { return GetBoundingBox(rects.Data(), rects.Length()); }

bool ResamplePoints(AGPoint* points, uint32_t* count, double tolerance, const AGAffineTransform* t) {
  uint32_t n = count ? *count : 0;
  if (!points || n < 3) return false;
  const AGAffineTransform& m = t ? *t : kAGAffineTransformIdentity;
  double limit = tolerance * 0.707;
  // kept <= i throughout, so writing at kept never overwrites a point still
  // to be read.
  uint32_t kept = 1;
  bool lastDropped = false;
  for (uint32_t i = 1; i < n; ++i) {
    double dx = points[i].x - points[kept - 1].x;
    double dy = points[i].y - points[kept - 1].y;
    double ex = m.a * dx + m.c * dy;
    double ey = m.b * dx + m.d * dy;
    lastDropped = std::fabs(ex) <= limit && std::fabs(ey) <= limit;
    if (!lastDropped) points[kept++] = points[i];
  }
  if (lastDropped) points[kept++] = points[n - 1];
  if (kept == n) return false;
  *count = kept;
  return true;
}

bool ResamplePoints(AGPointArray& points, double tolerance, const AGAffineTransform* t) {
  uint32_t count = points.Length();
  if (!ResamplePoints(points.Data(), &count, tolerance, t)) return false;
  points.SetLength(count);
  return true;
}

bool IsPointInsidePolygon(const AGPoint* points, uint32_t count, const AGPoint& p) {
  if (!points || count < 3) return false;
  uint32_t i = 0;
  AGPoint previous = points[count - 1];
  if (points[0] == points[count - 1]) {
    previous = points[0];
    i = 1;
  }
  bool inside = false;
  for (; i < count; ++i) {
    const AGPoint& current = points[i];
    double dy0 = p.y - previous.y;
    double dy1 = current.y - previous.y;
    double cross = (current.x - previous.x) * dy0 - dy1 * (p.x - previous.x);
    if ((dy0 >= 0.0 && dy0 < dy1 && cross > 0.0) || (dy0 < 0.0 && dy1 <= dy0 && cross < 0.0)) {
      inside = !inside;
    }
    previous = current;
  }
  return inside;
}

bool IsPointInsidePolygon(const AGPointArray& points, const AGPoint& p) {
  return IsPointInsidePolygon(points.Data(), points.Length(), p);
}

bool IsPolygonSect(const AGPoint* pointsA, uint32_t countA, const AGPoint* pointsB, uint32_t countB) {
  if (!pointsA || !pointsB || countA < 3 || countB < 3) return false;
  for (uint32_t i = 0; i < countA; ++i) {
    if (IsPointInsidePolygon(pointsB, countB, pointsA[i])) return true;
  }
  for (uint32_t j = 0; j < countB; ++j) {
    if (IsPointInsidePolygon(pointsA, countA, pointsB[j])) return true;
  }
  for (uint32_t i = 0; i < countA; ++i) {
    const AGPoint& a1 = pointsA[i];
    const AGPoint& a2 = pointsA[(i + 1) % countA];
    for (uint32_t j = 0; j < countB; ++j) {
      if (GetIntersectionOfSegments(a1, a2, pointsB[j], pointsB[(j + 1) % countB], nullptr)) return true;
    }
  }
  return false;
}

bool IsPolygonSect(const AGPointArray& pointsA, const AGPointArray& pointsB) {
  return IsPolygonSect(pointsA.Data(), pointsA.Length(), pointsB.Data(), pointsB.Length());
}

void GenerateRegularPolygon(AGPoint* points, uint32_t count, const AGPoint& centre, double radius,
                            double startAngle) {
  if (!points || count == 0) return;
  double step = k2Pi / count;
  double angle = startAngle;
  for (uint32_t i = 0; i < count; ++i) {
    points[i] = {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
    angle += step;
  }
}

void GenerateRegularPolygon(AGPointArray& points, uint32_t count, const AGPoint& centre,
                            double radius, double startAngle) {
  points.SetLength(count);
  GenerateRegularPolygon(points.Data(), count, centre, radius, startAngle);
}

bool FindNearestSegment(const AGPoint* points, uint32_t count, bool closed, const AGPoint& p,
                        double maxDistance, const AGAffineTransform* t, uint32_t* index,
                        double* distance) {
  NearestCandidate nearest;
  if (points && count >= 2) {
    AGPoint q = MapOrKeep(p, t);
    AGPoint first = MapOrKeep(points[0], t);
    if (closed) nearest.Offer(GetDistanceToSegment2(q, MapOrKeep(points[count - 1], t), first), 0);
    AGPoint previous = first;
    for (uint32_t i = 1; i < count; ++i) {
      AGPoint current = MapOrKeep(points[i], t);
      nearest.Offer(GetDistanceToSegment2(q, previous, current), i);
      previous = current;
    }
  }
  return nearest.Finish(maxDistance, index, distance);
}

bool FindNearestSegment(const AGPointArray& points, bool closed, const AGPoint& p, double maxDistance,
                        const AGAffineTransform* t, uint32_t* index, double* distance) {
  return FindNearestSegment(points.Data(), points.Length(), closed, p, maxDistance, t, index, distance);
}

bool FindNearestPoint(const AGPoint* points, uint32_t count, const AGPoint& p, double maxDistance,
                      const AGAffineTransform* t, uint32_t* index, double* distance) {
  NearestCandidate nearest;
  if (points) {
    AGPoint q = MapOrKeep(p, t);
    for (uint32_t i = 0; i < count; ++i) nearest.Offer(Distance2(q, MapOrKeep(points[i], t)), i);
  }
  return nearest.Finish(maxDistance, index, distance);
}

bool FindNearestPoint(const AGPointArray& points, const AGPoint& p, double maxDistance,
                      const AGAffineTransform* t, uint32_t* index, double* distance) {
  return FindNearestPoint(points.Data(), points.Length(), p, maxDistance, t, index, distance);
}

void GetRectTrapezoid(AGPoint trapezoid[4], const AGRect& rect, const AGAffineTransform& t) {
  trapezoid[0] = AGPointApplyTransform({rect.x1, rect.y1}, t);
  trapezoid[1] = AGPointApplyTransform({rect.x2, rect.y1}, t);
  trapezoid[2] = AGPointApplyTransform({rect.x2, rect.y2}, t);
  trapezoid[3] = AGPointApplyTransform({rect.x1, rect.y2}, t);
}

void GetRectTrapezoid(AGPointArray& trapezoid, const AGRect& rect, const AGAffineTransform& t) {
  trapezoid.SetLength(4);
  GetRectTrapezoid(trapezoid.Data(), rect, t);
}

AGAffineTransform GetPlacementAFT(const AGRect& content, const AGRect& frame, AGPlacement placement) {
  double w = AGRectWidth(content);
  double h = AGRectHeight(content);
  if (!(w > 0.0) || !(h > 0.0)) return kAGAffineTransformIdentity;
  double frameWidth = AGRectWidth(frame);
  double frameHeight = AGRectHeight(frame);

  AGAffineTransform t = AGAffineTransformConcatTranslation(kAGAffineTransformIdentity, -content.x1, -content.y1);
  double scale = std::min(frameWidth / w, frameHeight / h);
  if (scale < 1.0) {
    t = AGAffineTransformConcatScale(t, scale, scale);
    w *= scale;
    h *= scale;
  }

  // Within a field, Stretch wins over Right/Top, which win over Center. A
  // content shrunk to nothing (a frame of zero extent) has nothing to stretch.
  uint32_t hField = placement & kAGPlacementHMask;
  if (hField & kAGPlacementHStretch) {
    if (w != 0.0) t = AGAffineTransformConcatScale(t, frameWidth / w, 1.0);
  } else if (hField & kAGPlacementRight) {
    t = AGAffineTransformConcatTranslation(t, frameWidth - w, 0.0);
  } else if (hField & kAGPlacementHCenter) {
    t = AGAffineTransformConcatTranslation(t, (frameWidth - w) * 0.5, 0.0);
  }

  uint32_t vField = placement & kAGPlacementVMask;
  if (vField & kAGPlacementVStretch) {
    if (h != 0.0) t = AGAffineTransformConcatScale(t, 1.0, frameHeight / h);
  } else if (vField & kAGPlacementTop) {
    t = AGAffineTransformConcatTranslation(t, 0.0, frameHeight - h);
  } else if (vField & kAGPlacementVCenter) {
    t = AGAffineTransformConcatTranslation(t, 0.0, (frameHeight - h) * 0.5);
  }

  return AGAffineTransformConcatTranslation(t, frame.x1, frame.y1);
}

}  // namespace AGGeometry
