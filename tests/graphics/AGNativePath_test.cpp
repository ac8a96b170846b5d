#include "graphics/platform/AGNativePath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "graphics/AGBezier.h"
#include "graphics/platform/AGNativeConvert.h"

namespace {

using T = AGNativeElementType;

std::vector<T> Types(const AGNativePath& path) {
  std::vector<T> types;
  path.Walk([&](const AGNativeElement& e) { types.push_back(e.type); });
  return types;
}

AGPoint D(const AGNativePoint& p) { return {p.x, p.y}; }

// Angle of p about c.
double AngleAbout(const AGNativePoint& p, const AGPoint& c) { return std::atan2(p.y - c.y, p.x - c.x); }

TEST(NativePathElements, SegmentWithoutCurrentPointBecomesMoveAndCloseFollowsSubPathStart) {
  AGNativePath path;
  AGNativePoint cur;
  EXPECT_FALSE(path.GetCurrentPoint(&cur));
  path.CubicTo({1, 1}, {2, 2}, {3, 4});
  path.LineTo({5, 4});
  path.Close();
  path.Close();  // already closed: ignored
  ASSERT_EQ(Types(path), (std::vector<T>{T::kMoveTo, T::kLineTo, T::kClose}));
  EXPECT_EQ(path.GetElement(0).points[0], (AGNativePoint{3, 4}));
  ASSERT_TRUE(path.GetCurrentPoint(&cur));
  EXPECT_EQ(cur, (AGNativePoint{3, 4}));
}

TEST(NativePathElements, AddPathMapsElementsAndMayAddItself) {
  AGNativePath path;
  path.AddRect({{0, 0}, {2, 1}});
  AGNativeTransform shift = {1, 0, 0, 1, 10, 20};
  path.AddPath(path, &shift);
  ASSERT_EQ(path.GetElementCount(), 10u);
  EXPECT_EQ(path.GetElement(7).points[0], (AGNativePoint{12, 21}));
  AGNativePoint lo, hi;
  ASSERT_TRUE(path.GetBounds(&lo, &hi));
  EXPECT_EQ(lo, (AGNativePoint{0, 0}));
  EXPECT_EQ(hi, (AGNativePoint{12, 21}));
  AGNativePath scaled = path.CopyByTransforming({2, 0, 0, -1, 0, 0});
  EXPECT_EQ(scaled.GetElement(7).points[0], (AGNativePoint{24, -21}));
  EXPECT_EQ(path.GetElement(7).points[0], (AGNativePoint{12, 21}));  // the source is untouched
}

TEST(NativePathContentTag, CopiesKeepItEveryChangeAndAMoveClearIt) {
  AGNativePath path;
  path.AddRect({{0, 0}, {4, 4}});
  EXPECT_EQ(path.ContentTag(), 0u);
  path.SetContentTag(77);
  AGNativePath copy(path), assigned;
  assigned = path;
  EXPECT_EQ(copy.ContentTag(), 77u);
  EXPECT_EQ(assigned.ContentTag(), 77u);

  // Whatever adds an element, and a transformed copy, holds other content.
  const AGNativeTransform shift = {1, 0, 0, 1, 0.5f, 0};
  const AGNativePath moved = path.CopyByTransforming(shift);
  EXPECT_EQ(moved.ContentTag(), 0u);
  EXPECT_EQ(path.ContentTag(), 77u);
  copy.LineTo({9, 9});
  EXPECT_EQ(copy.ContentTag(), 0u);
  assigned.Close();
  assigned.AddPath(path);
  EXPECT_EQ(assigned.ContentTag(), 0u);

  AGNativePath taken(std::move(path));
  EXPECT_EQ(taken.ContentTag(), 77u);
  EXPECT_EQ(path.ContentTag(), 0u);  // NOLINT(bugprone-use-after-move): what a move leaves
  AGNativePath other;
  other = std::move(taken);
  EXPECT_EQ(other.ContentTag(), 77u);
  EXPECT_EQ(taken.ContentTag(), 0u);  // NOLINT(bugprone-use-after-move)
}

TEST(NativePathBounds, IncludeControlPoints) {
  AGNativePath path;
  path.MoveTo({0, 0});
  path.CubicTo({-5, 10}, {15, 10}, {10, 0});
  AGNativeRect box = path.GetBoundingBox();
  EXPECT_EQ(box.origin, (AGNativePoint{-5, 0}));
  EXPECT_EQ(box.size.width, 20.0f);
  EXPECT_EQ(box.size.height, 10.0f);
}

struct ArcCase {
  double start;
  double sweep;
  int cubics;
};

class NativeArcSegmentation : public ::testing::TestWithParam<ArcCase> {};

TEST_P(NativeArcSegmentation, UsesQuartersAtMostAndEndsExactlyOnTheCircle) {
  const ArcCase& c = GetParam();
  const AGPoint centre = {3, -2};
  const double r = 50;
  AGNativePath path;
  path.AddArc({3, -2}, 50, c.start, c.sweep);
  ASSERT_EQ(path.GetElementCount(), static_cast<uint32_t>(c.cubics) + 1);
  EXPECT_EQ(path.GetElement(0).points[0],
            (AGNativePoint{float(3 + r * std::cos(c.start)), float(-2 + r * std::sin(c.start))}));
  double sweep = std::fabs(c.sweep) > k2Pi ? std::copysign(k2Pi, c.sweep) : c.sweep;
  AGNativePoint from = path.GetElement(0).points[0];
  for (uint32_t i = 1; i < path.GetElementCount(); ++i) {
    AGNativeElement e = path.GetElement(i);
    ASSERT_EQ(e.type, T::kCubicTo);
    double turn = std::remainder(AngleAbout(e.points[2], centre) - AngleAbout(from, centre), k2Pi);
    EXPECT_LE(std::fabs(turn), kPi / 2 + 1e-6);
    if (std::fabs(turn) > 1e-6) {
      EXPECT_EQ(turn > 0, sweep > 0);  // direction follows the sign
    }
    // The cubic stays on the circle to the accuracy of a quarter approximation.
    for (double t = 0.125; t < 1; t += 0.125) {
      AGPoint p = ATBezierCubicGetPoint(D(from), D(e.points[0]), D(e.points[1]), D(e.points[2]), t);
      EXPECT_NEAR(std::hypot(p.x - centre.x, p.y - centre.y), r, r * 3e-4);
    }
    from = e.points[2];
  }
  AGNativePoint end = {float(3 + r * std::cos(c.start + sweep)), float(-2 + r * std::sin(c.start + sweep))};
  if (std::fabs(sweep) == k2Pi) end = path.GetElement(0).points[0];
  EXPECT_EQ(from, end);
}

INSTANTIATE_TEST_SUITE_P(Sweeps, NativeArcSegmentation,
                         ::testing::Values(ArcCase{0.3, 0.0, 0}, ArcCase{0.3, 0.2, 1},
                                           ArcCase{0.0, kPi / 2, 1}, ArcCase{1.0, kPi / 2 + 0.01, 2},
                                           ArcCase{-0.5, -kPi, 2}, ArcCase{2.0, -1.5 * kPi - 0.1, 4},
                                           ArcCase{0.7, k2Pi, 4}, ArcCase{0.7, -5 * kPi, 4}));

TEST(NativeArc, ContinuesWithALineAndIgnoresANonFiniteSweep) {
  AGNativePath path;
  path.MoveTo({0, 0});
  path.AddArc({10, 0}, 5, kPi, std::nan(""));
  EXPECT_EQ(Types(path), (std::vector<T>{T::kMoveTo, T::kLineTo}));
  EXPECT_EQ(path.GetElement(1).points[0].x, 5.0f);
  EXPECT_NEAR(path.GetElement(1).points[0].y, 0.0f, 1e-6);
}

TEST(NativeArc, TransformTurnsTheCircleIntoAnEllipse) {
  AGNativePath path;
  AGNativeTransform squeeze = {1, 0, 0, 0.5f, 100, 0};
  path.AddArc({0, 0}, 10, 0, kPi, &squeeze);
  AGNativePoint lo, hi;
  ASSERT_TRUE(path.GetBounds(&lo, &hi));
  EXPECT_EQ(path.GetElement(0).points[0], (AGNativePoint{110, 0}));
  EXPECT_EQ(path.GetElement(1).points[2], (AGNativePoint{100, 5}));
  EXPECT_EQ(path.GetElement(2).points[2].x, 90.0f);
  EXPECT_NEAR(path.GetElement(2).points[2].y, 0.0f, 1e-6);
  EXPECT_EQ(lo.x, 90.0f);
  EXPECT_EQ(hi.x, 110.0f);
  EXPECT_EQ(hi.y, 5.0f);  // the apex's controls lie on its horizontal tangent
}

struct CornerCase {
  AGNativePoint p2;
  AGNativePoint t1, t2;  // tangent points
  AGPoint centre;
};

class NativeTangentArc : public ::testing::TestWithParam<CornerCase> {};

TEST_P(NativeTangentArc, RoundsTheCornerBetweenBothLegs) {
  const CornerCase& c = GetParam();
  AGNativePath path;
  path.MoveTo({0, 0});
  path.AddArcToPoint({10, 0}, c.p2, 3);
  ASSERT_EQ(Types(path), (std::vector<T>{T::kMoveTo, T::kLineTo, T::kCubicTo}));
  EXPECT_NEAR(path.GetElement(1).points[0].x, c.t1.x, 1e-5);
  EXPECT_NEAR(path.GetElement(1).points[0].y, c.t1.y, 1e-5);
  AGNativeElement arc = path.GetElement(2);
  EXPECT_NEAR(arc.points[2].x, c.t2.x, 1e-5);
  EXPECT_NEAR(arc.points[2].y, c.t2.y, 1e-5);
  AGPoint mid = ATBezierCubicGetPoint(D(c.t1), D(arc.points[0]), D(arc.points[1]), D(arc.points[2]), 0.5);
  EXPECT_NEAR(std::hypot(mid.x - c.centre.x, mid.y - c.centre.y), 3.0, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Turns, NativeTangentArc,
    ::testing::Values(CornerCase{{10, 10}, {7, 0}, {10, 3}, {7, 3}},      // left turn
                      CornerCase{{10, -10}, {7, 0}, {10, -3}, {7, -3}},   // right turn
                      CornerCase{{20, 10}, {10 - 3 * std::tan(kPi / 8), 0},  // 45 degree bend
                                 {10 + 3 * std::tan(kPi / 8) * 0.70710678, 3 * std::tan(kPi / 8) * 0.70710678},
                                 {10 - 3 * std::tan(kPi / 8), 3}}));

TEST(NativeTangentArc, DegenerateCornersBecomeALineToTheCorner) {
  struct Case {
    AGNativePoint p2;
    float radius;
  };
  for (const Case& c : {Case{{20, 0}, 3}, Case{{10, 0}, 3}, Case{{10, 10}, 0}, Case{{10, 10}, -1}}) {
    AGNativePath path;
    path.MoveTo({0, 0});
    path.AddArcToPoint({10, 0}, c.p2, c.radius);
    ASSERT_EQ(Types(path), (std::vector<T>{T::kMoveTo, T::kLineTo}));
    EXPECT_EQ(path.GetElement(1).points[0], (AGNativePoint{10, 0}));
  }
  AGNativePath empty;
  empty.AddArcToPoint({1, 2}, {3, 4}, 1);
  EXPECT_EQ(Types(empty), (std::vector<T>{T::kMoveTo}));
}

// Containment near an edge: the point sits d off the outline along its normal.
TEST(NativeContainment, IsRightWithinAThousandthOfACurvedEdge) {
  AGNativePath path;
  path.AddEllipseInRect({{-100, -60}, {200, 120}});
  for (uint32_t i = 1; i <= 4; ++i) {
    AGNativeElement e = path.GetElement(i);
    AGNativePoint start = path.GetElement(i - 1).points[i == 1 ? 0 : 2];
    for (double t : {0.1, 0.37, 0.5, 0.93}) {
      AGPoint p = ATBezierCubicGetPoint(D(start), D(e.points[0]), D(e.points[1]), D(e.points[2]), t);
      double len = std::hypot(p.x / 100 / 100, p.y / 60 / 60);  // outward normal of the ellipse
      AGPoint n = {p.x / 10000 / len, p.y / 3600 / len};
      for (bool evenOdd : {true, false}) {
        EXPECT_TRUE(path.ContainsPoint({float(p.x - 0.002 * n.x), float(p.y - 0.002 * n.y)}, evenOdd));
        EXPECT_FALSE(path.ContainsPoint({float(p.x + 0.002 * n.x), float(p.y + 0.002 * n.y)}, evenOdd));
      }
    }
  }
}

TEST(NativeContainment, QuadraticEdgeAndImplicitClose) {
  AGNativePath path;  // a lens: a quadratic bulge over a straight base, left open
  path.MoveTo({0, 0});
  path.QuadTo({5, 10}, {10, 0});
  for (bool evenOdd : {true, false}) {
    EXPECT_TRUE(path.ContainsPoint({5, 4.995f}, evenOdd));   // apex at (5, 5)
    EXPECT_FALSE(path.ContainsPoint({5, 5.005f}, evenOdd));
    EXPECT_TRUE(path.ContainsPoint({1, 0.5f}, evenOdd));
    EXPECT_FALSE(path.ContainsPoint({5, -0.001f}, evenOdd));
  }
}

struct FillCase {
  const char* name;
  bool sameDirection;
  bool inHoleEvenOdd;
  bool inHoleNonZero;
};

TEST(NativeContainment, NestedRingsFollowTheFillRule) {
  for (const FillCase& c : {FillCase{"same direction", true, false, true},
                            FillCase{"opposite direction", false, false, false}}) {
    AGNativePath path;
    path.AddRect({{0, 0}, {10, 10}});
    if (c.sameDirection) {
      path.AddRect({{3, 3}, {4, 4}});
    } else {
      path.AddRect({{3, 7}, {4, -4}});  // negative height: the other way round
    }
    EXPECT_EQ(path.ContainsPoint({5, 5}, true), c.inHoleEvenOdd) << c.name;
    EXPECT_EQ(path.ContainsPoint({5, 5}, false), c.inHoleNonZero) << c.name;
    EXPECT_TRUE(path.ContainsPoint({1, 5}, true)) << c.name;
    EXPECT_TRUE(path.ContainsPoint({1, 5}, false)) << c.name;
    EXPECT_FALSE(path.ContainsPoint({10.001f, 5}, false)) << c.name;
  }
  AGNativePath star;  // a pentagram: its centre is wound twice
  for (int i = 0; i < 5; ++i) {
    double a = kPi / 2 + i * 4 * kPi / 5;
    star.LineTo({float(10 * std::cos(a)), float(10 * std::sin(a))});
  }
  EXPECT_FALSE(star.ContainsPoint({0, 0}, true));
  EXPECT_TRUE(star.ContainsPoint({0, 0}, false));
}

TEST(NativeConvert, OffsetIsAddedBothWaysWithoutFlip) {
  using namespace AGNativeConvert;
  AGPoint offset = {-1e6, 5};
  AGNativePoint p = NativePointConvert({1e6 + 0.25, 2}, offset);
  EXPECT_EQ(p, (AGNativePoint{0.25f, 7}));
  EXPECT_EQ(AGPointConvert(p, {1e6, -5}), (AGPoint{1e6 + 0.25, 2}));
  AGNativeRect r = NativeRectConvert({1e6 + 1, 10, 1e6 + 4, 6}, offset);
  EXPECT_EQ(r.origin, (AGNativePoint{1, 15}));
  EXPECT_EQ(r.size.width, 3.0f);
  EXPECT_EQ(r.size.height, -4.0f);  // not normalised
  EXPECT_EQ(AGRectConvert(r, {1e6, -5}), (AGRect{1e6 + 1, 10, 1e6 + 4, 6}));
  AGAffineTransform t = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(AGMatrixConvert(NativeMatrixConvert(t)), t);
  ATNumberArray<AGNativePoint> out = {{9, 9}, {9, 9}, {9, 9}};
  NativePointsConvert({{1, 2}}, out, {1, 1});
  ASSERT_EQ(out.Length(), 1u);
  EXPECT_EQ(out[0], (AGNativePoint{2, 3}));
  EXPECT_TRUE(NativePathCreateCopyAndTransform(nullptr, kAGNativeTransformIdentity).IsEmpty());
}

}  // namespace
