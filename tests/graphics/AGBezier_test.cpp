#include "graphics/AGBezier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Curve {
  const char* name;
  std::vector<AGPoint> p;  // 3 (quadratic) or 4 (cubic) control points
};

AGPoint Eval(const Curve& c, double t) {
  return c.p.size() == 3 ? AGBezierQuadGetPoint(c.p[0], c.p[1], c.p[2], t)
                         : AGBezierCubicGetPoint(c.p[0], c.p[1], c.p[2], c.p[3], t);
}

std::vector<Curve> ExtentCases() {
  return {
      {"quad bulge", {{0, 0}, {5, 10}, {10, 0}}},
      {"quad overshoot in x", {{0, 0}, {-8, 3}, {4, 6}}},
      {"quad straight", {{1, 1}, {2, 2}, {3, 3}}},
      {"cubic S", {{0, 0}, {10, 20}, {-10, -20}, {0, 1}}},
      {"cubic loop", {{0, 0}, {30, 10}, {-20, 10}, {10, 0}}},
      {"cubic with a = 0 in x", {{0, 0}, {1, 5}, {2, -3}, {3, 1}}},
      {"cubic controls outside, monotone", {{0, 0}, {0, 10}, {10, 10}, {10, 0}}},
      {"cubic degenerate point", {{2, 2}, {2, 2}, {2, 2}, {2, 2}}},
      {"cubic tiny a", {{0, 0}, {1, 1}, {2 + 1e-13, -1}, {3, 0}}},
  };
}

TEST(BezierExtents, MatchADenseSamplingOfTheCurve) {
  for (const Curve& c : ExtentCases()) {
    AGPoint lo, hi;
    if (c.p.size() == 3) {
      AGBezierQuadGetMinimax(c.p[0], c.p[1], c.p[2], &lo, &hi);
    } else {
      AGBezierCubicGetMinimax(c.p[0], c.p[1], c.p[2], c.p[3], &lo, &hi);
    }
    AGPoint slo = Eval(c, 0), shi = slo;
    for (int i = 1; i <= 20000; ++i) {
      AGPoint q = Eval(c, i / 20000.0);
      slo = {std::min(slo.x, q.x), std::min(slo.y, q.y)};
      shi = {std::max(shi.x, q.x), std::max(shi.y, q.y)};
    }
    // Exact extents enclose every sample and are touched by them (near an
    // extremum the curve is flat, so sampling misses it by far less than this).
    EXPECT_NEAR(lo.x, slo.x, 1e-6) << c.name;
    EXPECT_NEAR(lo.y, slo.y, 1e-6) << c.name;
    EXPECT_NEAR(hi.x, shi.x, 1e-6) << c.name;
    EXPECT_NEAR(hi.y, shi.y, 1e-6) << c.name;
    EXPECT_TRUE(lo.x <= slo.x + 1e-12 && lo.y <= slo.y + 1e-12 && hi.x >= shi.x - 1e-12 &&
                hi.y >= shi.y - 1e-12)
        << c.name;
  }
}

TEST(BezierExtents, OutputsAreOptionalAndFloatTwinsRound) {
  AGPoint hi;
  AGBezierCubicGetMinimax({0, 0}, {0, 10}, {10, 10}, {10, 0}, nullptr, &hi);
  EXPECT_DOUBLE_EQ(hi.y, 7.5);
  struct F {
    float x, y;
  };
  F lo;
  ATBezierQuadGetMinimax(F{0, 0}, F{1, 1}, F{2, 0}, &lo, static_cast<F*>(nullptr));
  EXPECT_EQ(lo.y, 0.0f);
  F mid = ATBezierQuadGetPoint(F{0, 0}, F{1, 1}, F{2, 0}, 0.5);
  EXPECT_EQ(mid.x, 1.0f);
  EXPECT_EQ(mid.y, 0.5f);
}

TEST(BezierPoints, EndpointsAndMidpoints) {
  AGPoint c[4] = {{0, 0}, {0, 4}, {8, 4}, {8, 0}};
  EXPECT_EQ(AGBezierCubicGetPoint(c[0], c[1], c[2], c[3], 0), c[0]);
  EXPECT_EQ(AGBezierCubicGetPoint(c[0], c[1], c[2], c[3], 1), c[3]);
  EXPECT_EQ(AGBezierCubicGetPoint(c[0], c[1], c[2], c[3], 0.5), (AGPoint{4, 3}));
  EXPECT_EQ(AGBezierQuadGetPoint(c[0], c[1], c[3], 0.25), (AGPoint{0.5, 1.5}));
}

struct RegularCase {
  uint32_t count;
  bool includeFirst;
  uint32_t appended;
};

TEST(BezierResampleRegular, CountsAreCappedAndPointsEvenlySpaced) {
  const AGPoint cubic[4] = {{0, 0}, {1, 3}, {2, -3}, {3, 0}};
  for (const RegularCase& c : {RegularCase{0, true, 0}, RegularCase{1, true, 0},
                               RegularCase{2, true, 2}, RegularCase{2, false, 1},
                               RegularCase{5, true, 5}, RegularCase{2000, true, 1024},
                               RegularCase{2000, false, 1023}}) {
    ATNumberArray<AGPoint> out = {{-1, -1}};  // appended to, not replaced
    AGBezierCubicAppendResampledRegular(out, cubic, c.count, c.includeFirst);
    ASSERT_EQ(out.Length(), 1 + c.appended) << c.count;
    if (c.appended == 0) continue;
    uint32_t last = std::min(c.count, 1024u) - 1;
    uint32_t first = c.includeFirst ? 0 : 1;
    for (uint32_t i = 0; i < c.appended; i += 97) {
      EXPECT_EQ(out[1 + i], AGBezierCubicGetPoint(cubic[0], cubic[1], cubic[2], cubic[3],
                                                  double(first + i) / last));
    }
    EXPECT_EQ(out.Last(), cubic[3]);
  }
  const AGPoint quad[3] = {{0, 0}, {1, 2}, {2, 0}};
  ATNumberArray<AGPoint> q = AGBezierQuadGetResampledRegular(quad, 3, false);
  ASSERT_EQ(q.Length(), 2u);
  EXPECT_EQ(q[0], (AGPoint{1, 1}));
  EXPECT_TRUE(AGBezierQuadGetResampledRegular(nullptr, 3, true).IsEmpty());
}

// Largest distance from the dense curve to the polyline.
double Deviation(const Curve& c, const ATNumberArray<AGPoint>& poly) {
  double worst = 0;
  for (int i = 0; i <= 2000; ++i) {
    AGPoint q = Eval(c, i / 2000.0);
    double best = 1e300;
    for (uint32_t k = 0; k + 1 < poly.Length(); ++k) {
      best = std::min(best, AGGeometry::GetDistanceToSegment(q, poly[k], poly[k + 1]));
    }
    worst = std::max(worst, best);
  }
  return worst;
}

TEST(BezierResampleAdaptive, FollowsTheCurveWithinTheTolerance) {
  const Curve arch = {"arch", {{0, 0}, {0, 200}, {300, 200}, {300, 0}}};
  size_t previous = 0;
  for (double tolerance : {16.0, 4.0, 1.0, 0.25}) {
    ATNumberArray<AGPoint> poly = AGBezierCubicGetResampledAdaptive(arch.p.data(), tolerance, true);
    EXPECT_EQ(poly[0], arch.p[0]);
    EXPECT_EQ(poly.Last(), arch.p[3]);
    EXPECT_LE(Deviation(arch, poly), 1.5 * tolerance) << tolerance;
    EXPECT_GT(poly.Length(), previous) << "finer tolerance, more points";
    previous = poly.Length();
  }
  // Out-of-range tolerances are clamped.
  EXPECT_EQ(AGBezierCubicGetResampledAdaptive(arch.p.data(), 0.01, true),
            AGBezierCubicGetResampledAdaptive(arch.p.data(), 0.25, true));
  EXPECT_EQ(AGBezierCubicGetResampledAdaptive(arch.p.data(), 1000, false),
            AGBezierCubicGetResampledAdaptive(arch.p.data(), 16, false));

  const Curve bow = {"bow", {{0, 0}, {50, 80}, {100, 0}}};
  ATNumberArray<AGPoint> q = AGBezierQuadGetResampledAdaptive(bow.p.data(), 0.5, false);
  EXPECT_NE(q[0], bow.p[0]);
  q.Insert(0, bow.p[0]);  // the caller's own first point
  EXPECT_LE(Deviation(bow, q), 0.75);
}

TEST(BezierResampleAdaptive, StraightCurveTakesOneSplitAndHugeCurveIsNotDropped) {
  const AGPoint straight[4] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  // A cubic's first level always splits; flat halves append their mid points.
  EXPECT_EQ(AGBezierCubicGetResampledAdaptive(straight, 2, true).Length(), 4u);
  // A quadratic is tested from the first level: one that bends by 0.05 over
  // 10 units (cross product 0.1, squared 0.01 < 100 * 1) is flat as a whole.
  const AGPoint shallow[3] = {{0, 0}, {5, 0.01}, {10, 0}};
  ATNumberArray<AGPoint> q = AGBezierQuadGetResampledAdaptive(shallow, 1, true);
  ASSERT_EQ(q.Length(), 3u);
  EXPECT_EQ(q[1], AGBezierQuadGetPoint(shallow[0], shallow[1], shallow[2], 0.5));
  // Bent by 0.6 (cross product 12, squared 144 > 100 * 1): split once.
  const AGPoint bent[3] = {{0, 0}, {5, 1.2}, {10, 0}};
  EXPECT_EQ(AGBezierQuadGetResampledAdaptive(bent, 1, true).Length(), 4u);

  const Curve huge = {"huge", {{0, 0}, {0, 1e8}, {1e8, 1e8}, {1e8, 0}}};
  ATNumberArray<AGPoint> poly = AGBezierCubicGetResampledAdaptive(huge.p.data(), 16, true);
  EXPECT_EQ(poly.Length(), 256u + 2u);
  EXPECT_LT(Deviation(huge, poly), 1e8 / 256);
}

TEST(BezierResampleQuality, CodesPickTheMethod) {
  const AGPoint big[4] = {{0, 0}, {0, 400}, {600, 400}, {600, 0}};
  EXPECT_EQ(AGBezierCubicGetResampled(big, 1, true).Length(), 5u);
  EXPECT_EQ(AGBezierCubicGetResampled(big, 2, true).Length(), 9u);
  EXPECT_EQ(AGBezierCubicGetResampled(big, 3, false).Length(), 16u);
  EXPECT_EQ(AGBezierCubicGetResampled(big, 4, true), AGBezierCubicGetResampledAdaptive(big, 1, true));
  EXPECT_EQ(AGBezierCubicGetResampled(big, 6, true), AGBezierCubicGetResampledAdaptive(big, 4, true));
  for (int32_t other : {0, 5, 7, -3}) {
    EXPECT_EQ(AGBezierCubicGetResampled(big, other, true),
              AGBezierCubicGetResampledAdaptive(big, 2, true));
  }
  const AGPoint quad[3] = {{0, 0}, {300, 400}, {600, 0}};
  EXPECT_EQ(AGBezierQuadGetResampled(quad, 3, true).Length(), 17u);
  EXPECT_EQ(AGBezierQuadGetResampled(quad, 9, true), AGBezierQuadGetResampledAdaptive(quad, 2, true));
}

}  // namespace
