#include "graphics/AGPath.h"

#include <algorithm>
#include <cmath>

#include "graphics/AGBezier.h"
#include "graphics/platform/AGNativeConvert.h"
#include "graphics/platform/AGNativePath.h"

using namespace AGNativeConvert;

namespace {

AGPoint Negated(const AGPoint& p) { return {-p.x, -p.y}; }

AGRect Normalized(const AGRect& r) { return AGRectNormalizeWithMinimum(r, 0.0); }

// Translation by `by`, then t, then translation by `then`.
AGAffineTransform Framed(const AGPoint& by, const AGAffineTransform& t, const AGPoint& then) {
  AGAffineTransform m = AGAffineTransformConcatTranslation(kAGAffineTransformIdentity, by);
  return AGAffineTransformConcatTranslation(AGAffineTransformConcat(m, t), then);
}

void Include(AGPoint& lo, AGPoint& hi, const AGPoint& p) {
  lo.x = std::min(lo.x, p.x);
  lo.y = std::min(lo.y, p.y);
  hi.x = std::max(hi.x, p.x);
  hi.y = std::max(hi.y, p.y);
}

AGPoint ToAG(const AGNativePoint& p) { return AGPointConvert(p); }

}  // namespace

AGPath::AGPath() : mNative(std::make_unique<AGNativePath>()) {}

AGPath::AGPath(const AGNativePath* native, const AGPoint& origin)
    : mNative(native ? std::make_unique<AGNativePath>(*native) : std::make_unique<AGNativePath>()),
      mFlags(kOriginSet),
      mOrigin(origin) {}

AGPath::AGPath(const AGPath& other)
    : mNative(std::make_unique<AGNativePath>(*other.mNative)),
      mFlags(other.mFlags),
      mOrigin(other.mOrigin),
      mBoundingBox(other.mBoundingBox),
      mFlattenedBoundingBox(other.mFlattenedBoundingBox) {}

AGPath& AGPath::operator=(const AGPath& other) {
  Assign(other);
  return *this;
}

AGPath::~AGPath() = default;

void AGPath::Assign(const AGPath& other) {
  if (&other == this) return;
  *mNative = *other.mNative;
  mFlags = other.mFlags;
  mOrigin = other.mOrigin;
  mBoundingBox = other.mBoundingBox;
  mFlattenedBoundingBox = other.mFlattenedBoundingBox;
}

void AGPath::Clear() {
  mNative = std::make_unique<AGNativePath>();
  mFlags = 0;
  mOrigin = kAGNullPoint;
  mBoundingBox = kAGNullRect;
  mFlattenedBoundingBox = kAGNullRect;
}

bool AGPath::IsEmpty() const { return mNative->IsEmpty(); }

void AGPath::UpdateOrigin(const AGPoint& point) {
  if (HasOrigin()) return;
  mOrigin = point;
  mFlags |= kOriginSet;
}

AGNativePath* AGPath::NativePathToModify() {
  DropCaches();
  return mNative.get();
}

AGNativePath& AGPath::ToAdd(const AGPoint& p) {
  UpdateOrigin(p);
  DropCaches();
  return *mNative;
}

void AGPath::StartRun(const AGPoint& first) {
  AGNativePoint p = NativePointConvert(first, Negated(mOrigin));
  if (mNative->IsEmpty()) {
    mNative->MoveTo(p);
  } else {
    mNative->LineTo(p);
  }
}

void AGPath::StartSubPath(const AGPoint& p) {
  ToAdd(p).MoveTo(NativePointConvert(p, Negated(mOrigin)));
}

void AGPath::AddLine(const AGPoint& p) {
  ToAdd(p).LineTo(NativePointConvert(p, Negated(mOrigin)));
}

void AGPath::AddSegment(const AGPoint& a, const AGPoint& b) {
  AGNativePath& native = ToAdd(a);
  native.MoveTo(NativePointConvert(a, Negated(mOrigin)));
  native.LineTo(NativePointConvert(b, Negated(mOrigin)));
}

void AGPath::AddQuadBezier(const AGPoint& control, const AGPoint& end) {
  AGNativePath& native = ToAdd(end);
  AGPoint off = Negated(mOrigin);
  native.QuadTo(NativePointConvert(control, off), NativePointConvert(end, off));
}

void AGPath::AddCubicBezier(const AGPoint& control1, const AGPoint& control2, const AGPoint& end) {
  AGNativePath& native = ToAdd(end);
  AGPoint off = Negated(mOrigin);
  native.CubicTo(NativePointConvert(control1, off), NativePointConvert(control2, off),
                 NativePointConvert(end, off));
}

void AGPath::AddArc(const AGPoint& p1, const AGPoint& p2, double radius) {
  AGNativePath& native = ToAdd(p1);
  AGPoint off = Negated(mOrigin);
  native.AddArcToPoint(NativePointConvert(p1, off), NativePointConvert(p2, off),
                       static_cast<float>(radius));
}

void AGPath::AddArc(const AGPoint& centre, const AGSize& size, double startAngle, double sweep) {
  AGPoint start = AGPointFromPolar(size.width, size.height, startAngle);
  AGNativePath& native = ToAdd({centre.x + start.x, centre.y + start.y});
  AGNativePoint c = NativePointConvert(centre, Negated(mOrigin));
  if (size.width == size.height) {
    native.AddArc(c, static_cast<float>(size.width), startAngle, sweep);
    return;
  }
  // A circle of one radius squeezed along the other axis. Its radius is the
  // width unless the width is 0, which no scale could stretch.
  AGNativeTransform m = {1.0f, 0.0f, 0.0f, 1.0f, c.x, c.y};
  double radius = size.width;
  if (size.width != 0.0) {
    m.d = static_cast<float>(size.height / size.width);
  } else {
    m.a = 0.0f;
    radius = size.height;
  }
  native.AddArc({0.0f, 0.0f}, static_cast<float>(radius), startAngle, sweep, &m);
}

void AGPath::AddArc(const AGPoint& centre, double radius, double startAngle, double sweep) {
  AddArc(centre, AGSize{radius, radius}, startAngle, sweep);
}

void AGPath::AddArc(const AGRect& rect, double startAngle, double sweep) {
  AddArc(AGPoint{(rect.x1 + rect.x2) * 0.5, (rect.y1 + rect.y2) * 0.5},
         AGSize{(rect.x2 - rect.x1) * 0.5, (rect.y2 - rect.y1) * 0.5}, startAngle, sweep);
}

void AGPath::AddRect(const AGRect& rect) {
  AGRect r = Normalized(rect);
  ToAdd({r.x1, r.y1}).AddRect(NativeRectConvert(r, Negated(mOrigin)));
}

void AGPath::AddRects(const AGRect* rects, uint32_t count) {
  if (!rects || count == 0) return;
  AGRect first = Normalized(rects[0]);
  AGNativePath& native = ToAdd({first.x1, first.y1});
  for (uint32_t i = 0; i < count; ++i) {
    native.AddRect(NativeRectConvert(Normalized(rects[i]), Negated(mOrigin)));
  }
}

void AGPath::AddEllipseInRect(const AGRect& rect) {
  AGRect r = Normalized(rect);
  ToAdd({r.x1, r.y1}).AddEllipseInRect(NativeRectConvert(r, Negated(mOrigin)));
}

void AGPath::AddRoundedRect(const AGRect& rect, double roundness) {
  AGRect r = Normalized(rect);
  AGNativePath& native = ToAdd({r.x1, r.y1});
  AGNativeRect box = NativeRectConvert(r, Negated(mOrigin));
  float w = box.size.width, h = box.size.height;
  float k = static_cast<float>(roundness);
  float s = std::min(w, h) * std::clamp(k, 0.0f, 1.0f) * 0.5f;
  // A zero (or NaN) radius cannot set up the unit space below.
  if (k <= 0.02f || !(s > 0.0f)) {
    native.AddRect(box);
    return;
  }
  // Built where the corner radius is 1, then scaled by s into place.
  float uw = w / s, uh = h / s;
  AGNativePath unit;
  unit.MoveTo({uw, uh * 0.5f});
  unit.AddArcToPoint({uw, uh}, {uw * 0.5f, uh}, 1.0f);
  unit.AddArcToPoint({0.0f, uh}, {0.0f, uh * 0.5f}, 1.0f);
  unit.AddArcToPoint({0.0f, 0.0f}, {uw * 0.5f, 0.0f}, 1.0f);
  unit.AddArcToPoint({uw, 0.0f}, {uw, uh * 0.5f}, 1.0f);
  unit.Close();
  AGNativeTransform m = {s, 0.0f, 0.0f, s, box.origin.x, box.origin.y};
  native.AddPath(unit, &m);
}

void AGPath::AddRun(const AGPoint* points, uint32_t count, uint32_t step, bool close) {
  if (!points || count < step + 1) return;
  ToAdd(points[0]);
  StartRun(points[0]);
  AGPoint off = Negated(mOrigin);
  for (uint32_t i = 1; i + step <= count; i += step) {
    AGNativePoint p[3];
    for (uint32_t k = 0; k < step; ++k) p[k] = NativePointConvert(points[i + k], off);
    if (step == 1) {
      mNative->LineTo(p[0]);
    } else if (step == 2) {
      mNative->QuadTo(p[0], p[1]);
    } else {
      mNative->CubicTo(p[0], p[1], p[2]);
    }
  }
  if (close) mNative->Close();
}

void AGPath::AddLines(const AGPoint* points, uint32_t count, bool close) {
  AddRun(points, count, 1, close);
}

void AGPath::AddQuadBeziers(const AGPoint* points, uint32_t count, bool close) {
  AddRun(points, count, 2, close);
}

void AGPath::AddCubicBeziers(const AGPoint* points, uint32_t count, bool close) {
  AddRun(points, count, 3, close);
}

void AGPath::AddSplineCurves(const AGPoint* points, uint32_t count, double tension, bool close) {
  float k = static_cast<float>(tension);
  if (k <= 0.05f) {
    AddLines(points, count, close);
    return;
  }
  if (!points || count < 2) return;
  ToAdd(points[0]);
  ATNumberArray<AGNativePoint> q;
  NativePointsConvert(ATNumberArray<AGPoint>(points, count), q, Negated(mOrigin));
  const uint32_t last = count - 1;
  const float third = k / 3.0f;
  // Control point at index i, pushed along the neighbours' difference
  // forwards (sign +1) or backwards (-1).
  auto control = [&](uint32_t i, float sign) {
    uint32_t prev = i == 0 ? (close ? last : 0) : i - 1;
    uint32_t next = i == last ? (close ? 0 : last) : i + 1;
    float f = sign * third;
    return AGNativePoint{q[i].x + f * (q[next].x - q[prev].x), q[i].y + f * (q[next].y - q[prev].y)};
  };
  StartRun(points[0]);
  for (uint32_t i = 1; i <= last; ++i) mNative->CubicTo(control(i - 1, 1.0f), control(i, -1.0f), q[i]);
  if (close) {
    mNative->CubicTo(control(last, 1.0f), control(0, -1.0f), q[0]);
    mNative->Close();
  }
}

void AGPath::AddPath(const AGPath& other) {
  if (other.IsEmpty()) return;
  if (!HasOrigin()) {
    UpdateOrigin(other.mOrigin);
    ToAdd(mOrigin).AddPath(*other.mNative);
    return;
  }
  AGNativeTransform m = {1.0f, 0.0f, 0.0f, 1.0f, static_cast<float>(other.mOrigin.x - mOrigin.x),
                         static_cast<float>(other.mOrigin.y - mOrigin.y)};
  ToAdd(mOrigin).AddPath(*other.mNative, &m);
}

void AGPath::AddPath(const AGPath& other, const AGAffineTransform& t) {
  if (other.IsEmpty()) return;
  AGPoint otherOrigin = other.mOrigin;  // other may be this path
  AGNativePath& native = ToAdd(AGPointApplyTransform(otherOrigin, t));
  AGNativeTransform m = NativeMatrixConvert(Framed(otherOrigin, t, Negated(mOrigin)));
  native.AddPath(*other.mNative, &m);
}

void AGPath::CloseSubPath() {
  DropCaches();
  mNative->Close();
}

void AGPath::ApplyTransform(const AGAffineTransform& t) {
  if (IsEmpty()) return;
  AGPoint newOrigin = AGPointApplyTransform(mOrigin, t);
  AGNativeTransform m = NativeMatrixConvert(Framed(mOrigin, t, Negated(newOrigin)));
  *mNative = NativePathCreateCopyAndTransform(mNative.get(), m);
  mOrigin = newOrigin;
  mFlags |= kOriginSet;
  DropCaches();
}

void AGPath::PutInBounds(const AGRect& rect, bool proportional) {
  if (IsEmpty()) return;
  AGRect box = GetBoundingBox();
  if (AGRectWidth(box) == 0.0 || AGRectHeight(box) == 0.0) return;
  AGRect target = proportional ? AGRectMakeProportional(rect, box) : rect;
  ApplyTransform(AGAffineTransformMakeScale(box, target));
}

AGRect AGPath::GetBoundingBox() const {
  if (!(mFlags & kBoundingBoxValid)) {
    AGNativePoint lo, hi;
    mBoundingBox = kAGNullRect;
    if (mNative->GetBounds(&lo, &hi)) {
      AGPoint a = AGPointConvert(lo, mOrigin), b = AGPointConvert(hi, mOrigin);
      mBoundingBox = {a.x, a.y, b.x, b.y};
    }
    mFlags |= kBoundingBoxValid;
  }
  return mBoundingBox;
}

AGRect AGPath::GetFlattenedBoundingBox() const {
  if (!(mFlags & kFlattenedBoundingBoxValid)) {
    AGPoint lo = {0.0, 0.0}, hi = {0.0, 0.0};
    bool any = false;
    AGPoint start = {0.0, 0.0}, current = {0.0, 0.0};
    // Widens the box by a drawn piece from current to its extents.
    auto piece = [&](const AGPoint& min, const AGPoint& max) {
      if (!any) lo = hi = current;
      any = true;
      Include(lo, hi, current);
      Include(lo, hi, min);
      Include(lo, hi, max);
    };
    mNative->Walk([&](const AGNativeElement& e) {
      AGPoint min, max;
      switch (e.type) {
        case AGNativeElementType::kMoveTo:
          start = current = ToAG(e.points[0]);
          break;
        case AGNativeElementType::kLineTo:
          min = max = ToAG(e.points[0]);
          piece(min, max);
          current = min;
          break;
        case AGNativeElementType::kQuadTo:
          AGBezierQuadGetMinimax(current, ToAG(e.points[0]), ToAG(e.points[1]), &min, &max);
          piece(min, max);
          current = ToAG(e.points[1]);
          break;
        case AGNativeElementType::kCubicTo:
          AGBezierCubicGetMinimax(current, ToAG(e.points[0]), ToAG(e.points[1]),
                                  ToAG(e.points[2]), &min, &max);
          piece(min, max);
          current = ToAG(e.points[2]);
          break;
        case AGNativeElementType::kClose:
          current = start;  // the closing line ends where the sub-path began
          break;
      }
    });
    mFlattenedBoundingBox = kAGNullRect;
    if (any) {
      mFlattenedBoundingBox = {lo.x + mOrigin.x, lo.y + mOrigin.y, hi.x + mOrigin.x,
                               hi.y + mOrigin.y};
    }
    mFlags |= kFlattenedBoundingBoxValid;
  }
  return mFlattenedBoundingBox;
}

bool AGPath::IsPointInPath(const AGPoint& point, uint32_t fillMode) const {
  if (IsEmpty()) return false;
  return mNative->ContainsPoint(NativePointConvert(point, Negated(mOrigin)), fillMode == 0);
}

bool AGPath::IsPointOnPath(const AGPoint& point, double tolerance,
                           const AGAffineTransform* t) const {
  if (IsEmpty()) return false;
  AGNativeTransform m = NativeMatrixConvert(t ? *t : kAGAffineTransformIdentity);
  auto map = [&m](const AGNativePoint& p) { return AGNativePointApplyTransform(p, m); };
  const AGNativePoint q = map(NativePointConvert(point, Negated(mOrigin)));
  const double limit = tolerance > 0.0 ? tolerance * tolerance : 0.0;
  double best = kQVHugeFloat32;
  AGNativePoint start = {0.0f, 0.0f}, current = {0.0f, 0.0f};

  // Measures the straight piece from current to p and moves current there.
  auto piece = [&](const AGNativePoint& p) {
    if (best > limit) best = std::min(best, ATPointGetDistanceToSegment2(q, current, p));
    current = p;
  };
  mNative->Walk([&](const AGNativeElement& e) {
    if (best <= limit) return;
    switch (e.type) {
      case AGNativeElementType::kMoveTo:
        start = current = map(e.points[0]);
        break;
      case AGNativeElementType::kLineTo:
        piece(map(e.points[0]));
        break;
      case AGNativeElementType::kQuadTo: {
        const AGNativePoint p0 = current, p1 = map(e.points[0]), p2 = map(e.points[1]);
        for (int i = 1; i <= 8; ++i) piece(ATBezierQuadGetPoint(p0, p1, p2, i / 8.0));
        break;
      }
      case AGNativeElementType::kCubicTo: {
        const AGNativePoint p0 = current, p1 = map(e.points[0]), p2 = map(e.points[1]),
                            p3 = map(e.points[2]);
        for (int i = 1; i <= 8; ++i) piece(ATBezierCubicGetPoint(p0, p1, p2, p3, i / 8.0));
        break;
      }
      case AGNativeElementType::kClose:
        piece(start);
        break;
    }
  });
  return best <= limit;
}
