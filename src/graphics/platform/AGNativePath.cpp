#include "graphics/platform/AGNativePath.h"

#include <algorithm>
#include <cmath>

#include "graphics/AGBezier.h"

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;
// Control distance of a cubic quarter circle of radius 1: 4/3 tan(pi/8).
constexpr double kQuarterKappa = 0.5522847498307936;

struct DPoint {
  double x;
  double y;
};

AGNativePoint Map(const AGNativeTransform* m, double x, double y) {
  if (!m) return {static_cast<float>(x), static_cast<float>(y)};
  return {static_cast<float>(double(m->a) * x + double(m->c) * y + double(m->tx)),
          static_cast<float>(double(m->b) * x + double(m->d) * y + double(m->ty))};
}

AGNativePoint Map(const AGNativeTransform* m, const AGNativePoint& p) {
  return m ? AGNativePointApplyTransform(p, *m) : p;
}

// Inverse of m applied to p, in double; false when m is singular.
bool Unmap(const AGNativeTransform& m, const AGNativePoint& p, DPoint* out) {
  double det = double(m.a) * m.d - double(m.b) * m.c;
  if (det == 0.0 || !std::isfinite(det)) return false;
  double x = double(p.x) - m.tx, y = double(p.y) - m.ty;
  out->x = (double(m.d) * x - double(m.c) * y) / det;
  out->y = (double(m.a) * y - double(m.b) * x) / det;
  return true;
}

AGPoint ToAG(const AGNativePoint& p) { return {p.x, p.y}; }

// Winding number of the filled outline around one point, gathered segment by
// segment along the ray from the point towards +x. Every segment counts
// with its lower end and without its upper one, so shared end points count
// once and horizontal pieces never.
class WindingCounter {
 public:
  WindingCounter(double px, double py) : mX(px), mY(py) {}
  int Winding() const { return mWinding; }

  void Line(const AGPoint& a, const AGPoint& b) {
    if (a.y <= mY && mY < b.y) {
      if ((b.x - a.x) * (mY - a.y) - (b.y - a.y) * (mX - a.x) > 0.0) ++mWinding;
    } else if (b.y <= mY && mY < a.y) {
      if ((b.x - a.x) * (mY - a.y) - (b.y - a.y) * (mX - a.x) < 0.0) --mWinding;
    }
  }

  void Quad(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2) {
    const AGPoint c[3] = {p0, p1, p2};
    double t[1];
    uint32_t n = AGBezierQuadGetTurningParameters(p0.y, p1.y, p2.y, t);
    Curve(c, 3, t, n, [&c](double s) { return AGBezierQuadGetPoint(c[0], c[1], c[2], s); });
  }

  void Cubic(const AGPoint& p0, const AGPoint& p1, const AGPoint& p2, const AGPoint& p3) {
    const AGPoint c[4] = {p0, p1, p2, p3};
    double t[2];
    uint32_t n = AGBezierCubicGetTurningParameters(p0.y, p1.y, p2.y, p3.y, t);
    Curve(c, 4, t, n,
          [&c](double s) { return AGBezierCubicGetPoint(c[0], c[1], c[2], c[3], s); });
  }

 private:
  // Cuts the curve where y turns, so that each piece crosses the ray at most
  // once, and finds that crossing by bisection on the parameter.
  template <class Eval>
  void Curve(const AGPoint* c, int count, const double* turns, uint32_t nTurns, Eval eval) {
    double minY = c[0].y, maxY = c[0].y, maxX = c[0].x;
    for (int i = 1; i < count; ++i) {
      minY = std::min(minY, c[i].y);
      maxY = std::max(maxY, c[i].y);
      maxX = std::max(maxX, c[i].x);
    }
    // The curve lies in the hull of its control points.
    if (mY < minY || mY >= maxY || maxX <= mX) return;

    double ts[4] = {0.0};
    AGPoint ps[4] = {c[0]};
    uint32_t n = 1;
    for (uint32_t i = 0; i < nTurns; ++i, ++n) {
      ts[n] = turns[i];
      ps[n] = eval(turns[i]);
    }
    ts[n] = 1.0;
    ps[n] = c[count - 1];
    for (uint32_t i = 0; i < n; ++i) Piece(ts[i], ps[i], ts[i + 1], ps[i + 1], eval);
  }

  template <class Eval>
  void Piece(double ta, const AGPoint& a, double tb, const AGPoint& b, Eval eval) {
    bool up = a.y <= mY && mY < b.y;
    bool down = b.y <= mY && mY < a.y;
    if (!up && !down) return;
    // Parameter range in which y runs from below the ray to at or above it.
    double lo = up ? ta : tb, hi = up ? tb : ta;
    AGPoint hit = a;
    for (int i = 0; i < 64; ++i) {
      double mid = 0.5 * (lo + hi);
      if (mid == lo || mid == hi) break;
      hit = eval(mid);
      if (hit.y <= mY) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    hit = eval(0.5 * (lo + hi));
    if (hit.x > mX) mWinding += up ? 1 : -1;
  }

  double mX;
  double mY;
  int mWinding = 0;
};

}  // namespace

uint32_t AGNativeElementPointCount(AGNativeElementType type) {
  switch (type) {
    case AGNativeElementType::kMoveTo:
    case AGNativeElementType::kLineTo: return 1;
    case AGNativeElementType::kQuadTo: return 2;
    case AGNativeElementType::kCubicTo: return 3;
    case AGNativeElementType::kClose: return 0;
  }
  return 0;
}

bool AGNativePath::GetCurrentPoint(AGNativePoint* point) const {
  if (mTypes.empty()) return false;
  if (point) *point = mTypes.back() == AGNativeElementType::kClose ? mSubPathStart : mPoints.back();
  return true;
}

void AGNativePath::Append(AGNativeElementType type, const AGNativePoint* points, uint32_t count,
                          const AGNativeTransform* m) {
  SetContentTag(0);
  if (type == AGNativeElementType::kClose) {
    if (!mSubPathOpen) return;
    mTypes.push_back(type);
    mFirstPoint.push_back(static_cast<uint32_t>(mPoints.size()));
    mSubPathOpen = false;
    return;
  }
  if (type != AGNativeElementType::kMoveTo && mTypes.empty()) {
    // No current point: the segment is replaced by a move to its end.
    type = AGNativeElementType::kMoveTo;
    points += count - 1;
    count = 1;
  }
  mTypes.push_back(type);
  mFirstPoint.push_back(static_cast<uint32_t>(mPoints.size()));
  for (uint32_t i = 0; i < count; ++i) mPoints.push_back(Map(m, points[i]));
  if (type == AGNativeElementType::kMoveTo) mSubPathStart = mPoints.back();
  mSubPathOpen = true;
}

void AGNativePath::MoveTo(const AGNativePoint& p, const AGNativeTransform* m) {
  Append(AGNativeElementType::kMoveTo, &p, 1, m);
}

void AGNativePath::LineTo(const AGNativePoint& p, const AGNativeTransform* m) {
  Append(AGNativeElementType::kLineTo, &p, 1, m);
}

void AGNativePath::QuadTo(const AGNativePoint& control, const AGNativePoint& end,
                          const AGNativeTransform* m) {
  const AGNativePoint pts[2] = {control, end};
  Append(AGNativeElementType::kQuadTo, pts, 2, m);
}

void AGNativePath::CubicTo(const AGNativePoint& control1, const AGNativePoint& control2,
                           const AGNativePoint& end, const AGNativeTransform* m) {
  const AGNativePoint pts[3] = {control1, control2, end};
  Append(AGNativeElementType::kCubicTo, pts, 3, m);
}

void AGNativePath::Close() { Append(AGNativeElementType::kClose, nullptr, 0, nullptr); }

namespace {

// Mapped and rounded points of one arc, in the order the path takes them.
struct ArcBuilder {
  AGNativePath& path;
  const AGNativeTransform* m;

  AGNativePoint At(double cx, double cy, double r, double angle) const {
    return Map(m, cx + r * std::cos(angle), cy + r * std::sin(angle));
  }

  void Add(double cx, double cy, double r, double start, double sweep) const {
    if (!std::isfinite(sweep)) sweep = 0.0;
    if (std::fabs(sweep) > kTwoPi) sweep = std::copysign(kTwoPi, sweep);
    AGNativePoint first = At(cx, cy, r, start);
    AGNativePoint current;
    if (!path.GetCurrentPoint(&current)) {
      path.MoveTo(first);
    } else if (current != first) {
      path.LineTo(first);
    }
    if (sweep == 0.0) return;

    int n = static_cast<int>(std::ceil(std::fabs(sweep) / kHalfPi));
    double step = sweep / n;
    // Control distance for a piece of this angle: 4/3 tan(step/4), signed
    // with the direction of travel.
    double k = r * (4.0 / 3.0) * std::tan(step / 4.0);
    double a0 = start;
    for (int i = 1; i <= n; ++i) {
      double a1 = (i == n) ? start + sweep : start + step * i;
      AGNativePoint p3 = (i == n && std::fabs(sweep) == kTwoPi) ? first : At(cx, cy, r, a1);
      double c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
      AGNativePoint ctl1 = Map(m, cx + r * c0 - k * s0, cy + r * s0 + k * c0);
      AGNativePoint ctl2 = Map(m, cx + r * c1 + k * s1, cy + r * s1 - k * c1);
      path.CubicTo(ctl1, ctl2, p3);
      a0 = a1;
    }
  }
};

}  // namespace

void AGNativePath::AddArc(const AGNativePoint& centre, float radius, double startAngle,
                          double sweep, const AGNativeTransform* m) {
  ArcBuilder{*this, m}.Add(centre.x, centre.y, radius, startAngle, sweep);
}

void AGNativePath::AddArcToPoint(const AGNativePoint& p1, const AGNativePoint& p2, float radius,
                                 const AGNativeTransform* m) {
  AGNativePoint currentMapped;
  if (!GetCurrentPoint(&currentMapped)) {
    MoveTo(p1, m);
    return;
  }
  DPoint p0 = {currentMapped.x, currentMapped.y};
  if (m && !Unmap(*m, currentMapped, &p0)) {
    LineTo(p1, m);
    return;
  }
  // Unit vectors from the corner along both legs.
  double v1x = p0.x - p1.x, v1y = p0.y - p1.y;
  double v2x = double(p2.x) - p1.x, v2y = double(p2.y) - p1.y;
  double l1 = std::hypot(v1x, v1y), l2 = std::hypot(v2x, v2y);
  if (!(radius > 0.0f) || l1 == 0.0 || l2 == 0.0) {
    LineTo(p1, m);
    return;
  }
  v1x /= l1, v1y /= l1, v2x /= l2, v2y /= l2;
  double cross = v1x * v2y - v1y * v2x;
  double dot = v1x * v2x + v1y * v2y;
  if (std::fabs(cross) < 1e-12) {
    LineTo(p1, m);
    return;
  }
  // The corner's opening angle theta; the tangent points lie r / tan(theta/2)
  // from the corner, and the centre r from the first one, on the side the
  // path turns to.
  double theta = std::atan2(std::fabs(cross), dot);
  double r = radius;
  double dist = r / std::tan(theta * 0.5);
  double t1x = p1.x + v1x * dist, t1y = p1.y + v1y * dist;
  double side = cross > 0.0 ? 1.0 : -1.0;  // centre on v2's side of leg 1
  double cx = t1x - side * v1y * r, cy = t1y + side * v1x * r;
  double start = std::atan2(t1y - cy, t1x - cx);
  // Travelling along -v1 then v2 turns left (counter-clockwise) when cross < 0.
  double sweep = (cross < 0.0 ? 1.0 : -1.0) * (kTwoPi * 0.5 - theta);
  ArcBuilder{*this, m}.Add(cx, cy, r, start, sweep);
}

void AGNativePath::AddRect(const AGNativeRect& rect, const AGNativeTransform* m) {
  double x = rect.origin.x, y = rect.origin.y;
  double x2 = x + rect.size.width, y2 = y + rect.size.height;
  MoveTo(Map(m, x, y));
  LineTo(Map(m, x2, y));
  LineTo(Map(m, x2, y2));
  LineTo(Map(m, x, y2));
  Close();
}

void AGNativePath::AddEllipseInRect(const AGNativeRect& rect, const AGNativeTransform* m) {
  double rx = rect.size.width * 0.5, ry = rect.size.height * 0.5;
  double cx = rect.origin.x + rx, cy = rect.origin.y + ry;
  double kx = rx * kQuarterKappa, ky = ry * kQuarterKappa;
  MoveTo(Map(m, cx + rx, cy));
  CubicTo(Map(m, cx + rx, cy + ky), Map(m, cx + kx, cy + ry), Map(m, cx, cy + ry));
  CubicTo(Map(m, cx - kx, cy + ry), Map(m, cx - rx, cy + ky), Map(m, cx - rx, cy));
  CubicTo(Map(m, cx - rx, cy - ky), Map(m, cx - kx, cy - ry), Map(m, cx, cy - ry));
  CubicTo(Map(m, cx + kx, cy - ry), Map(m, cx + rx, cy - ky), Map(m, cx + rx, cy));
  Close();
}

void AGNativePath::AddPath(const AGNativePath& other, const AGNativeTransform* m) {
  if (&other == this) {
    AGNativePath copy(other);
    AddPath(copy, m);
    return;
  }
  other.Walk([this, m](const AGNativeElement& e) {
    Append(e.type, e.points, AGNativeElementPointCount(e.type), m);
  });
}

AGNativePath AGNativePath::CopyByTransforming(const AGNativeTransform& m) const {
  AGNativePath copy(*this);
  copy.SetContentTag(0);
  for (AGNativePoint& p : copy.mPoints) p = Map(&m, p);
  copy.mSubPathStart = Map(&m, mSubPathStart);
  return copy;
}

bool AGNativePath::GetBounds(AGNativePoint* min, AGNativePoint* max) const {
  if (mPoints.empty()) return false;
  AGNativePoint lo = mPoints[0], hi = mPoints[0];
  for (const AGNativePoint& p : mPoints) {
    lo.x = std::min(lo.x, p.x);
    lo.y = std::min(lo.y, p.y);
    hi.x = std::max(hi.x, p.x);
    hi.y = std::max(hi.y, p.y);
  }
  if (min) *min = lo;
  if (max) *max = hi;
  return true;
}

AGNativeRect AGNativePath::GetBoundingBox() const {
  AGNativePoint lo = {0.0f, 0.0f}, hi = {0.0f, 0.0f};
  GetBounds(&lo, &hi);
  return {lo, {hi.x - lo.x, hi.y - lo.y}};
}

bool AGNativePath::ContainsPoint(const AGNativePoint& p, bool evenOdd) const {
  WindingCounter counter(p.x, p.y);
  AGPoint start = {0.0, 0.0}, current = {0.0, 0.0};
  Walk([&](const AGNativeElement& e) {
    switch (e.type) {
      case AGNativeElementType::kMoveTo:
        counter.Line(current, start);  // the previous sub-path closes implicitly
        start = current = ToAG(e.points[0]);
        break;
      case AGNativeElementType::kLineTo:
        counter.Line(current, ToAG(e.points[0]));
        current = ToAG(e.points[0]);
        break;
      case AGNativeElementType::kQuadTo:
        counter.Quad(current, ToAG(e.points[0]), ToAG(e.points[1]));
        current = ToAG(e.points[1]);
        break;
      case AGNativeElementType::kCubicTo:
        counter.Cubic(current, ToAG(e.points[0]), ToAG(e.points[1]), ToAG(e.points[2]));
        current = ToAG(e.points[2]);
        break;
      case AGNativeElementType::kClose:
        counter.Line(current, start);
        current = start;
        break;
    }
  });
  counter.Line(current, start);
  int w = counter.Winding();
  return evenOdd ? (w & 1) != 0 : w != 0;
}
