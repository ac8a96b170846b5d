#include "graphics/AGPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "graphics/platform/AGNativePath.h"

namespace {

using T = AGNativeElementType;

std::vector<T> Types(const AGPath& path) {
  std::vector<T> types;
  path.NativePath()->Walk([&](const AGNativeElement& e) { types.push_back(e.type); });
  return types;
}

// Point k of element i, back in the caller's space.
AGPoint PointOf(const AGPath& path, uint32_t i, uint32_t k) {
  AGNativePoint p = path.NativePath()->GetElement(i).points[k];
  return {p.x + path.GetOrigin().x, p.y + path.GetOrigin().y};
}

void ExpectRectNear(const AGRect& r, const AGRect& expected, double eps) {
  EXPECT_NEAR(r.x1, expected.x1, eps);
  EXPECT_NEAR(r.y1, expected.y1, eps);
  EXPECT_NEAR(r.x2, expected.x2, eps);
  EXPECT_NEAR(r.y2, expected.y2, eps);
}

struct OriginCase {
  const char* name;
  std::function<void(AGPath&)> add;
  AGPoint origin;
};

struct ChangeCase {
  const char* name;
  std::function<void(AGPath&)> apply;
};

TEST(PathOrigin, FirstGeometryFixesItAndLaterGeometryKeepsIt) {
  AGPath other;
  other.StartSubPath({7, 8});
  const AGPoint pts[4] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
  const std::vector<OriginCase> cases = {
      {"StartSubPath", [](AGPath& p) { p.StartSubPath({1, 2}); }, {1, 2}},
      {"AddLine", [](AGPath& p) { p.AddLine({1, 2}); }, {1, 2}},
      {"AddSegment", [](AGPath& p) { p.AddSegment({1, 2}, {3, 4}); }, {1, 2}},
      {"AddQuadBezier", [](AGPath& p) { p.AddQuadBezier({1, 2}, {3, 4}); }, {3, 4}},
      {"AddCubicBezier", [](AGPath& p) { p.AddCubicBezier({1, 2}, {3, 4}, {5, 6}); }, {5, 6}},
      {"tangent AddArc", [](AGPath& p) { p.AddArc(AGPoint{1, 2}, AGPoint{3, 4}, 1.0); }, {1, 2}},
      {"elliptic AddArc", [](AGPath& p) { p.AddArc(AGPoint{10, 10}, AGSize{4, 2}, kPi / 2, 1.0); },
       {10 + 4 * std::cos(kPi / 2), 12}},
      {"rect AddArc", [](AGPath& p) { p.AddArc(AGRect{0, 0, 20, 10}, 0, 1.0); }, {20, 5}},
      {"AddRect reversed", [](AGPath& p) { p.AddRect({5, 6, 1, 2}); }, {1, 2}},
      {"AddRects", [](AGPath& p) { p.AddRects({{9, 9, 3, 3}, {0, 0, 1, 1}}); }, {3, 3}},
      {"AddEllipseInRect", [](AGPath& p) { p.AddEllipseInRect({5, 6, 1, 2}); }, {1, 2}},
      {"AddRoundedRect", [](AGPath& p) { p.AddRoundedRect({5, 6, 1, 2}, 0.5); }, {1, 2}},
      {"AddLines", [&](AGPath& p) { p.AddLines(pts, 2, false); }, {1, 2}},
      {"AddCubicBeziers", [&](AGPath& p) { p.AddCubicBeziers(pts, 4, false); }, {1, 2}},
      {"AddSplineCurves", [&](AGPath& p) { p.AddSplineCurves(pts, 3, 0.5, false); }, {1, 2}},
      {"AddPath", [&](AGPath& p) { p.AddPath(other); }, {7, 8}},
      {"AddPath with t", [&](AGPath& p) { p.AddPath(other, {2, 0, 0, 2, 1, 1}); }, {15, 17}},
  };
  for (const OriginCase& c : cases) {
    AGPath path;
    c.add(path);
    EXPECT_TRUE(path.HasOrigin()) << c.name;
    EXPECT_EQ(path.GetOrigin(), c.origin) << c.name;
    path.AddLine({100, 100});
    path.UpdateOrigin({50, 50});
    EXPECT_EQ(path.GetOrigin(), c.origin) << c.name;
  }
  AGPath none;
  none.CloseSubPath();
  none.AddCubicBeziers(pts, 3, false);  // too few points: nothing at all
  EXPECT_FALSE(none.HasOrigin());
  EXPECT_TRUE(none.IsEmpty());
}

TEST(PathOrigin, FarFromZeroKeepsSubUnitDetail) {
  AGPath path;
  path.StartSubPath({1e6 + 0.3, 1e6 + 0.7});
  path.AddLine({1e6 + 1.1, 1e6 - 0.2});
  // A float alone would hold 1e6 + 0.3 as 1000000.3125.
  ExpectRectNear(path.GetBoundingBox(), {1e6 + 0.3, 1e6 - 0.2, 1e6 + 1.1, 1e6 + 0.7}, 1e-7);
  AGPath copy;
  copy.StartSubPath({1e6, 1e6});
  copy.AddPath(path);
  ExpectRectNear(copy.GetBoundingBox(), {1e6, 1e6 - 0.2, 1e6 + 1.1, 1e6 + 0.7}, 1e-7);
  path.ApplyTransform({1, 0, 0, 1, 1e7, 0});
  ExpectRectNear(path.GetBoundingBox(), {1.1e7 + 0.3, 1e6 - 0.2, 1.1e7 + 1.1, 1e6 + 0.7}, 1e-7);
  EXPECT_TRUE(path.IsPointOnPath({1.1e7 + 0.7, 1e6 + 0.25}, 1e-4, nullptr));
}

TEST(PathRuns, IncompleteTailsAreIgnoredAndRunsContinueTheSubPath) {
  const AGPoint pts[7] = {{0, 0}, {1, 1}, {2, 0}, {3, 3}, {4, 0}, {5, 5}, {6, 0}};
  AGPath quads;
  quads.AddQuadBeziers(pts, 4, false);
  EXPECT_EQ(Types(quads), (std::vector<T>{T::kMoveTo, T::kQuadTo}));
  AGPath cubics;
  cubics.AddCubicBeziers(pts, 6, true);
  EXPECT_EQ(Types(cubics), (std::vector<T>{T::kMoveTo, T::kCubicTo, T::kClose}));
  cubics.AddLines(pts + 4, 3, false);  // a line to the run's first point, not a move
  EXPECT_EQ(Types(cubics),
            (std::vector<T>{T::kMoveTo, T::kCubicTo, T::kClose, T::kLineTo, T::kLineTo, T::kLineTo}));
  EXPECT_EQ(PointOf(cubics, 3, 0), pts[4]);
  AGPath single;
  single.AddLines(pts, 1, true);
  single.AddQuadBeziers(nullptr, 5, true);
  EXPECT_TRUE(single.IsEmpty());
}

TEST(PathSpline, TensionSetsTheControlPoints) {
  const AGPoint pts[3] = {{0, 0}, {6, 12}, {12, 0}};
  AGPath straight;
  straight.AddSplineCurves(pts, 3, 0.05, false);
  EXPECT_EQ(Types(straight), (std::vector<T>{T::kMoveTo, T::kLineTo, T::kLineTo}));

  AGPath open;
  open.AddSplineCurves(pts, 3, 0.5, false);
  ASSERT_EQ(Types(open), (std::vector<T>{T::kMoveTo, T::kCubicTo, T::kCubicTo}));
  // tension/3 = 1/6 of the neighbours' difference; the ends use themselves
  // as their missing neighbour.
  EXPECT_EQ(PointOf(open, 1, 0), (AGPoint{1, 2}));   // p0 + (p1 - p0)/6
  EXPECT_EQ(PointOf(open, 1, 1), (AGPoint{4, 12}));  // p1 - (p2 - p0)/6
  EXPECT_EQ(PointOf(open, 2, 0), (AGPoint{8, 12}));  // p1 + (p2 - p0)/6
  EXPECT_EQ(PointOf(open, 2, 1), (AGPoint{11, 2}));  // p2 - (p2 - p1)/6

  AGPath closed;
  closed.AddSplineCurves(pts, 3, 0.5, true);
  ASSERT_EQ(Types(closed), (std::vector<T>{T::kMoveTo, T::kCubicTo, T::kCubicTo, T::kCubicTo, T::kClose}));
  EXPECT_EQ(PointOf(closed, 1, 0), (AGPoint{-1, 2}));  // p0 + (p1 - p2)/6, wrapping
  EXPECT_EQ(PointOf(closed, 3, 0), (AGPoint{11, -2}));  // p2 + (p0 - p1)/6
  EXPECT_EQ(PointOf(closed, 3, 2), pts[0]);
}

TEST(PathRoundedRect, RoundnessLimits) {
  const AGRect rect = {10, 20, 110, 60};  // 100 x 40
  AGPath plain;
  plain.AddRoundedRect(rect, 0.02);
  EXPECT_EQ(Types(plain), (std::vector<T>{T::kMoveTo, T::kLineTo, T::kLineTo, T::kLineTo, T::kClose}));

  AGPath one, five;
  one.AddRoundedRect(rect, 1);
  five.AddRoundedRect(rect, 5);
  ASSERT_EQ(Types(one), Types(five));
  for (uint32_t i = 0; i + 1 < one.NativePath()->GetElementCount(); ++i) {
    EXPECT_EQ(PointOf(one, i, 0), PointOf(five, i, 0)) << i;
  }
  // Roundness 1: half circles of radius 20 on the short sides.
  ExpectRectNear(one.GetFlattenedBoundingBox(), rect, 1e-4);
  EXPECT_TRUE(one.IsPointInPath({10.5, 40}, 0));
  EXPECT_FALSE(one.IsPointInPath({11, 22}, 0));  // the cut-off corner
  double d = 20 - 20 / std::sqrt(2.0);           // corner of the circle at 45 degrees
  EXPECT_TRUE(one.IsPointOnPath({10 + d, 20 + d}, 0.01, nullptr));

  AGPath flat;  // no height: no radius to build on, a plain rectangle
  flat.AddRoundedRect({0, 5, 30, 5}, 0.5);
  EXPECT_EQ(Types(flat).size(), 5u);
  ExpectRectNear(flat.GetBoundingBox(), {0, 5, 30, 5}, 0);
}

TEST(PathHitTest, ToleranceIsADistanceAfterTheTransform) {
  AGPath path;
  path.AddSegment({0, 0}, {10, 0});
  EXPECT_TRUE(path.IsPointOnPath({5, 1}, 1.0, nullptr));
  EXPECT_FALSE(path.IsPointOnPath({5, 1}, 0.99, nullptr));
  EXPECT_TRUE(path.IsPointOnPath({5, 0}, 0, nullptr));
  EXPECT_FALSE(path.IsPointOnPath({5, 1e-3}, 0, nullptr));
  EXPECT_FALSE(path.IsPointOnPath({11, 0}, 0.99, nullptr));  // beyond the end
  const AGAffineTransform twice = {2, 0, 0, 2, 0, 0};
  EXPECT_FALSE(path.IsPointOnPath({5, 1}, 1.5, &twice));
  EXPECT_TRUE(path.IsPointOnPath({5, 1}, 2.0, &twice));
  EXPECT_FALSE(AGPath().IsPointOnPath({0, 0}, 100, nullptr));

  AGPath open;  // the closing side counts only once closed
  const AGPoint tri[3] = {{0, 0}, {10, 0}, {0, 10}};
  open.AddLines(tri, 3, false);
  EXPECT_FALSE(open.IsPointOnPath({0, 5}, 0.1, nullptr));
  AGPath closed;
  closed.AddLines(tri, 3, true);
  EXPECT_TRUE(closed.IsPointOnPath({0, 5}, 0.1, nullptr));

  AGPath curve;  // eight chords: within a tenth of the true curve
  curve.StartSubPath({0, 0});
  curve.AddQuadBezier({50, 100}, {100, 0});
  EXPECT_TRUE(curve.IsPointOnPath({50, 50}, 0.01, nullptr));
  EXPECT_TRUE(curve.IsPointOnPath({25, 37.5}, 0.5, nullptr));
  EXPECT_FALSE(curve.IsPointOnPath({50, 48}, 1, nullptr));
}

TEST(PathContainment, FillRulesNearEdgesFarFromZero) {
  AGPath path;
  const double o = 1e6;
  path.AddRect({o, o, o + 10, o + 10});
  path.AddRect({o + 3, o + 3, o + 7, o + 7});  // same direction
  path.AddEllipseInRect({o + 20, o, o + 30, o + 10});
  for (uint32_t mode : {0u, 1u}) {
    EXPECT_TRUE(path.IsPointInPath({o + 0.001, o + 5}, mode));
    EXPECT_FALSE(path.IsPointInPath({o - 0.001, o + 5}, mode));
    EXPECT_TRUE(path.IsPointInPath({o + 25, o + 9.995}, mode));
    EXPECT_FALSE(path.IsPointInPath({o + 25, o + 10.005}, mode));
  }
  EXPECT_FALSE(path.IsPointInPath({o + 5, o + 5}, 0));  // even-odd: a hole
  EXPECT_TRUE(path.IsPointInPath({o + 5, o + 5}, 1));   // non-zero: filled
  EXPECT_FALSE(AGPath().IsPointInPath({0, 0}, 1));
}

TEST(PathBoxes, ControlPointBoxVersusTightBoxAndCacheRefresh) {
  AGPath path;
  path.StartSubPath({0, 0});
  path.AddCubicBezier({0, 40}, {30, 40}, {30, 0});
  ExpectRectNear(path.GetBoundingBox(), {0, 0, 30, 40}, 0);
  ExpectRectNear(path.GetFlattenedBoundingBox(), {0, 0, 30, 30}, 1e-9);
  path.AddLine({-5, -5});  // both caches must follow the change
  ExpectRectNear(path.GetBoundingBox(), {-5, -5, 30, 40}, 0);
  ExpectRectNear(path.GetFlattenedBoundingBox(), {-5, -5, 30, 30}, 1e-9);

  AGPath moves;  // nothing drawn: a control-point box but no tight box
  moves.StartSubPath({3, 4});
  moves.StartSubPath({5, 1});
  ExpectRectNear(moves.GetBoundingBox(), {3, 1, 5, 4}, 0);
  EXPECT_EQ(moves.GetFlattenedBoundingBox(), kAGNullRect);
  EXPECT_EQ(AGPath().GetBoundingBox(), kAGNullRect);
}

// Every change after the boxes were cached must show in them: the cached
// path, queried before the change, answers as a path built the same way and
// queried only afterwards.
TEST(PathBoxes, EveryChangeRefreshesBothCachedBoxes) {
  AGPath other;
  other.AddRect({40, 40, 50, 60});
  const AGPoint pts[4] = {{-10, 0}, {0, 30}, {20, 30}, {25, -12}};
  const std::vector<ChangeCase> changes = {
      {"StartSubPath", [](AGPath& p) { p.StartSubPath({-7, 3}); }},
      {"AddSegment", [](AGPath& p) { p.AddSegment({1, 1}, {-3, 9}); }},
      {"AddQuadBezier", [](AGPath& p) { p.AddQuadBezier({20, 40}, {0, 0}); }},
      {"tangent AddArc", [](AGPath& p) { p.AddArc(AGPoint{30, 10}, AGPoint{30, 40}, 5.0); }},
      {"elliptic AddArc", [](AGPath& p) { p.AddArc(AGPoint{0, 0}, AGSize{30, 5}, 0, kPi); }},
      {"AddRects", [](AGPath& p) { p.AddRects({{0, 0, 1, 1}, {-9, -9, -8, -8}}); }},
      {"AddEllipseInRect", [](AGPath& p) { p.AddEllipseInRect({0, 0, 30, -20}); }},
      {"AddRoundedRect", [](AGPath& p) { p.AddRoundedRect({0, 0, 30, -20}, 0.5); }},
      {"AddQuadBeziers", [&](AGPath& p) { p.AddQuadBeziers(pts, 3, true); }},
      {"AddCubicBeziers", [&](AGPath& p) { p.AddCubicBeziers(pts, 4, false); }},
      {"AddSplineCurves", [&](AGPath& p) { p.AddSplineCurves(pts, 4, 1.0, true); }},
      {"AddPath", [&](AGPath& p) { p.AddPath(other); }},
      {"AddPath with t", [&](AGPath& p) { p.AddPath(other, {-1, 0, 0, 2, 0, 0}); }},
      {"ApplyTransform", [](AGPath& p) { p.ApplyTransform({0, 1, -1, 0, 5, 5}); }},
      {"PutInBounds", [](AGPath& p) { p.PutInBounds({0, 0, 1, 1}, false); }},
      {"NativePathToModify",
       [](AGPath& p) { p.NativePathToModify()->LineTo({-100.0f, 0.0f}); }},
  };
  for (const ChangeCase& c : changes) {
    AGPath cached, fresh;
    for (AGPath* p : {&cached, &fresh}) {
      p->StartSubPath({10, 10});
      p->AddCubicBezier({10, 20}, {20, 20}, {20, 10});
    }
    cached.GetBoundingBox();
    cached.GetFlattenedBoundingBox();
    c.apply(cached);
    c.apply(fresh);
    EXPECT_EQ(cached.GetBoundingBox(), fresh.GetBoundingBox()) << c.name;
    EXPECT_EQ(cached.GetFlattenedBoundingBox(), fresh.GetFlattenedBoundingBox()) << c.name;
    EXPECT_NE(cached.GetBoundingBox(), (AGRect{10, 10, 20, 20})) << c.name;
  }
}

TEST(PathRoundedRect, CornerRadiusIsHalfTheShorterSideTimesRoundness) {
  // 100 x 40 at roundness 0.5: corners of radius 10.
  AGPath path;
  path.AddRoundedRect({110, 60, 10, 20}, 0.5);
  ExpectRectNear(path.GetFlattenedBoundingBox(), {10, 20, 110, 60}, 1e-4);
  const double d = 10 - 10 / std::sqrt(2.0);  // the corner arcs at 45 degrees
  for (const AGPoint& p : {AGPoint{10 + d, 20 + d}, AGPoint{110 - d, 20 + d},
                           AGPoint{110 - d, 60 - d}, AGPoint{10 + d, 60 - d}}) {
    EXPECT_TRUE(path.IsPointOnPath(p, 0.01, nullptr)) << p.x << ", " << p.y;
  }
  // The sides run straight between the tangent points.
  for (const AGPoint& p : {AGPoint{20, 20}, AGPoint{100, 20}, AGPoint{60, 20}, AGPoint{10, 30},
                           AGPoint{10, 50}, AGPoint{110, 40}, AGPoint{60, 60}}) {
    EXPECT_TRUE(path.IsPointOnPath(p, 1e-4, nullptr)) << p.x << ", " << p.y;
  }
  EXPECT_FALSE(path.IsPointInPath({11, 21}, 1));  // cut off by the corner
  EXPECT_TRUE(path.IsPointInPath({14, 24}, 1));
}

TEST(PathTransform, ApplyTransformAndPutInBounds) {
  AGPath path;
  path.AddRect({2, 2, 6, 4});
  path.ApplyTransform(AGAffineTransformMakeRotation(kPi / 2));
  EXPECT_NEAR(path.GetOrigin().x, -2, 1e-12);
  EXPECT_NEAR(path.GetOrigin().y, 2, 1e-12);
  ExpectRectNear(path.GetBoundingBox(), {-4, 2, -2, 6}, 1e-6);

  path.PutInBounds({0, 0, 100, 50}, false);
  ExpectRectNear(path.GetBoundingBox(), {0, 0, 100, 50}, 1e-5);
  path.PutInBounds({0, 0, 100, 100}, true);  // 2:1 kept, centred
  ExpectRectNear(path.GetBoundingBox(), {0, 25, 100, 75}, 1e-5);

  AGPath line;  // a box without height cannot be scaled: left alone
  line.AddSegment({1, 1}, {5, 1});
  line.PutInBounds({0, 0, 10, 10}, false);
  ExpectRectNear(line.GetBoundingBox(), {1, 1, 5, 1}, 0);
}

TEST(PathAddPath, OffsetsBetweenOriginsAndTransforms) {
  AGPath a, b;
  a.StartSubPath({100, 100});
  b.AddRect({0, 0, 1, 1});
  a.AddPath(b);
  EXPECT_EQ(a.GetOrigin(), (AGPoint{100, 100}));
  EXPECT_EQ(PointOf(a, 2, 0), (AGPoint{1, 0}));
  a.AddPath(b, {3, 0, 0, 3, 10, 20});
  ExpectRectNear(a.GetBoundingBox(), {0, 0, 100, 100}, 0);
  EXPECT_EQ(PointOf(a, a.NativePath()->GetElementCount() - 3, 0), (AGPoint{13, 23}));
  uint32_t n = a.NativePath()->GetElementCount();
  a.AddPath(a);
  EXPECT_EQ(a.NativePath()->GetElementCount(), 2 * n);
  a.AddPath(AGPath());  // empty: nothing
  EXPECT_EQ(a.NativePath()->GetElementCount(), 2 * n);
}

TEST(PathArc, EllipticalArcsIncludingAZeroRadius) {
  AGPath arc;
  arc.AddArc(AGPoint{10, 10}, AGSize{20, 5}, 0, -kPi / 2);  // clockwise quarter
  ASSERT_EQ(Types(arc), (std::vector<T>{T::kMoveTo, T::kCubicTo}));
  AGPoint end = PointOf(arc, 1, 2);
  EXPECT_NEAR(end.x, 10, 1e-5);
  EXPECT_NEAR(end.y, 5, 1e-5);
  ExpectRectNear(arc.GetFlattenedBoundingBox(), {10, 5, 30, 10}, 1e-5);

  AGPath thin;  // no width: the arc degenerates to a vertical stroke, not NaN
  thin.AddArc(AGPoint{0, 0}, AGSize{0, 8}, kPi / 2, kPi);
  AGRect box = thin.GetBoundingBox();
  ExpectRectNear(box, {0, -8, 0, 8}, 1e-5);
  EXPECT_TRUE(std::isfinite(box.x1 + box.x2 + box.y1 + box.y2));
}

TEST(PathValue, CopiesAreDeepAndClearStartsOver) {
  AGPath a;
  a.AddRect({0, 0, 2, 2});
  AGPath b(a);
  b.AddLine({9, 9});
  EXPECT_EQ(a.GetBoundingBox(), (AGRect{0, 0, 2, 2}));
  a = b;
  a = a;
  EXPECT_EQ(a.GetBoundingBox(), (AGRect{0, 0, 9, 9}));
  b.Clear();
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_FALSE(b.HasOrigin());
  EXPECT_EQ(a.NativePath()->GetElementCount(), 6u);

  AGNativePath native;
  native.MoveTo({1, 1});
  AGPath wrapped(&native, {10, 20});
  native.LineTo({5, 5});
  EXPECT_EQ(wrapped.NativePath()->GetElementCount(), 1u);
  EXPECT_EQ(wrapped.GetBoundingBox(), (AGRect{11, 21, 11, 21}));
  AGPath none(nullptr, {1, 1});
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_TRUE(none.HasOrigin());
}

}  // namespace
