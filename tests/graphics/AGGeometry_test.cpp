// Segment, polygon, bounding-box and hit-testing algorithms.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/AGGeometry.h"

namespace {

using namespace AGGeometry;

constexpr double kTol = 1e-12;

void ExpectNear(const AGPoint& got, const AGPoint& want, double tol = kTol) {
  EXPECT_NEAR(got.x, want.x, tol);
  EXPECT_NEAR(got.y, want.y, tol);
}

// A 10 x 10 square with its lower left corner at the origin.
const AGPoint kSquareCCW[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
const AGPoint kSquareCW[] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};

// ---------------------------------------------------------------------------
// Segments

TEST(GetDistanceToSegment, MeasuresToTheNearestPartOfTheSegment) {
  const AGPoint a{0, 0};
  const AGPoint b{10, 0};
  struct Case {
    AGPoint p;
    double distance2;
  };
  const Case cases[] = {
      {{5, 3}, 9},     // beside the segment: perpendicular distance
      {{-3, 4}, 25},   // before a
      {{13, -4}, 25},  // beyond b
      {{10, 0}, 0},    // on an end point
      {{4, 0}, 0},     // on the segment
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetDistanceToSegment2(c.p, a, b), c.distance2);
    EXPECT_EQ(GetDistanceToSegment2(c.p, b, a), c.distance2);
  }
  EXPECT_EQ(GetDistanceToSegment({13, -4}, a, b), 5.0);
  // A slanted segment: (0, 2) is sqrt(2) from the line y = x.
  EXPECT_NEAR(GetDistanceToSegment2({0, 2}, {-5, -5}, {5, 5}), 2.0, kTol);
}

TEST(GetDistanceToSegment, ZeroLengthSegmentIsItsEndPoint) {
  EXPECT_EQ(GetDistanceToSegment2({3, 4}, {0, 0}, {0, 0}), 25.0);
  EXPECT_EQ(GetDistanceToSegment({1, 1}, {1, 1}, {1, 1}), 0.0);
}

TEST(GetIntersectionOfSegments, ReportsCrossingsAndTouchingEndPoints) {
  struct Case {
    const char* name;
    AGPoint a1, a2, b1, b2;
    AGPoint at;
  };
  const Case cases[] = {
      {"cross", {0, 0}, {2, 2}, {0, 2}, {2, 0}, {1, 1}},
      {"end to end", {0, 0}, {2, 2}, {2, 2}, {4, 0}, {2, 2}},
      {"end on interior", {0, 0}, {4, 0}, {2, 0}, {2, 5}, {2, 0}},
      {"start on start", {1, 1}, {5, 1}, {1, 1}, {1, 9}, {1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AGPoint out{-1, -1};
    EXPECT_TRUE(GetIntersectionOfSegments(c.a1, c.a2, c.b1, c.b2, &out));
    EXPECT_EQ(out, c.at);
    EXPECT_TRUE(GetIntersectionOfSegments(c.a1, c.a2, c.b1, c.b2, nullptr));
  }
}

TEST(GetIntersectionOfSegments, ParallelCollinearAndDisjointSegmentsDoNotMeet) {
  struct Case {
    const char* name;
    AGPoint a1, a2, b1, b2;
  };
  const Case cases[] = {
      {"parallel", {0, 0}, {4, 0}, {0, 1}, {4, 1}},
      {"collinear overlapping", {0, 0}, {4, 0}, {2, 0}, {6, 0}},
      {"collinear touching", {0, 0}, {4, 0}, {4, 0}, {6, 0}},
      {"identical", {0, 0}, {3, 3}, {0, 0}, {3, 3}},
      {"lines cross beyond a", {0, 0}, {1, 1}, {0, 4}, {4, 0}},
      {"lines cross beyond b", {0, 0}, {4, 4}, {0, 4}, {1, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AGPoint out{-1, -1};
    EXPECT_FALSE(GetIntersectionOfSegments(c.a1, c.a2, c.b1, c.b2, &out));
    EXPECT_EQ(out, kAGNullPoint);
  }
}

// ---------------------------------------------------------------------------
// Transforming arrays and bounding boxes

TEST(ApplyTransformToRects, MapsEachCornerWithoutRenormalising) {
  AGRectArray rects;
  rects.Append({0, 0, 2, 1});
  rects.Append({1, 1, 1, 1});
  AGAffineTransform quarter{0, 1, -1, 0, 5, 0};  // exact quarter turn, then x + 5
  ApplyTransformToRects(rects, quarter);
  EXPECT_EQ(rects[0], (AGRect{5, 0, 4, 2}));  // x2 < x1 stays so
  EXPECT_EQ(rects[1], (AGRect{4, 1, 4, 1}));

  AGPointArray points;
  points.Append({1, 2});
  ApplyTransformToPoints(points, quarter);
  EXPECT_EQ(points[0], (AGPoint{3, 1}));

  // No elements: nothing to do, nothing touched.
  AGRectArray none;
  ApplyTransformToRects(none, quarter);
  ApplyTransformToPoints(nullptr, 5, quarter);
  AGPoint untouched{7, 7};
  ApplyTransformToPoints(&untouched, 0, quarter);
  EXPECT_EQ(untouched, (AGPoint{7, 7}));
}

TEST(GetBoundingBox, SpansPointsAndRectangles) {
  AGPointArray points;
  for (AGPoint p : {AGPoint{3, -1}, AGPoint{-2, 4}, AGPoint{5, 0}}) points.Append(p);
  EXPECT_EQ(GetBoundingBox(points), (AGRect{-2, -1, 5, 4}));
  EXPECT_EQ(GetBoundingBox(points.Data(), 1), (AGRect{3, -1, 3, -1}));

  AGRectArray rects;
  rects.Append({0, 0, 1, 1});
  rects.Append({-3, 2, 0.5, 9});
  EXPECT_EQ(GetBoundingBox(rects), (AGRect{-3, 0, 1, 9}));
  // The first rectangle is taken as it stands, even reversed.
  AGRect reversed{5, 5, 1, 1};
  EXPECT_EQ(GetBoundingBox(&reversed, 1), reversed);

  EXPECT_EQ(GetBoundingBox(AGPointArray()), kAGNullRect);
  EXPECT_EQ(GetBoundingBox(static_cast<const AGRect*>(nullptr), 3), kAGNullRect);
  EXPECT_EQ(GetBoundingBox(&reversed, 0), kAGNullRect);
}

TEST(GetRectTrapezoid, ListsMappedCornersCounterClockwiseFromX1Y1) {
  AGPointArray corners;
  corners.SetLength(9);
  GetRectTrapezoid(corners, {1, 2, 3, 5}, {1, 0, 0, 1, 10, 20});
  ASSERT_EQ(corners.Length(), 4u);
  const AGPoint expected[] = {{11, 22}, {13, 22}, {13, 25}, {11, 25}};
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(corners[i], expected[i]);
}

// ---------------------------------------------------------------------------
// Resampling

std::vector<AGPoint> Resampled(std::vector<AGPoint> points, double tolerance, const AGAffineTransform* t,
                               bool expectChange) {
  uint32_t count = static_cast<uint32_t>(points.size());
  EXPECT_EQ(ResamplePoints(points.data(), &count, tolerance, t), expectChange);
  points.resize(count);
  return points;
}

TEST(ResamplePoints, RunWithinToleranceCollapsesToFirstAndLast) {
  AGPointArray points{{0, 0}, {0.1, 0}, {0.2, 0.1}, {0.3, 0}};
  EXPECT_TRUE(ResamplePoints(points, 1.0, nullptr));
  EXPECT_EQ(points, (AGPointArray{{0, 0}, {0.3, 0}}));
}

TEST(ResamplePoints, MeasuresFromTheLastKeptPointAndKeepsTheLast) {
  // 5.2 is within 0.707 of 5 and dropped; 10.1 is dropped as well but, being
  // the last point, comes back at the end.
  auto got = Resampled({{0, 0}, {5, 0}, {5.2, 0}, {10, 0}, {10.1, 0}}, 1.0, nullptr, true);
  EXPECT_EQ(got, (std::vector<AGPoint>{{0, 0}, {5, 0}, {10, 0}, {10.1, 0}}));
  // A difference of exactly tolerance * 0.707 is dropped; a hair more is kept.
  EXPECT_EQ(Resampled({{0, 0}, {0.707, -0.707}, {5, 0}}, 1.0, nullptr, true).size(), 2u);
  EXPECT_EQ(Resampled({{0, 0}, {0.708, 0}, {5, 0}}, 1.0, nullptr, false).size(), 3u);
}

TEST(ResamplePoints, MeasuresThroughTheLinearPartOfTheTransform) {
  const std::vector<AGPoint> line{{0, 0}, {0.2, 0}, {0.4, 0}, {5, 0}};
  // Scaled tenfold the steps of 0.2 become 2 and survive.
  AGAffineTransform zoom{10, 0, 0, 10, 0, 0};
  EXPECT_EQ(Resampled(line, 1.0, &zoom, false), line);
  // A translation alone changes nothing: only differences are mapped.
  AGAffineTransform shift{1, 0, 0, 1, 1000, -1000};
  EXPECT_EQ(Resampled(line, 1.0, &shift, true), (std::vector<AGPoint>{{0, 0}, {5, 0}}));
  // A quarter turn moves x differences onto y; still compared with both.
  AGAffineTransform quarter{0, 1, -1, 0, 0, 0};
  EXPECT_EQ(Resampled(line, 1.0, &quarter, true).size(), 2u);
}

TEST(ResamplePoints, ShortOrMissingInputIsLeftAlone) {
  AGPoint two[] = {{0, 0}, {0.01, 0}};
  uint32_t count = 2;
  EXPECT_FALSE(ResamplePoints(two, &count, 1.0, nullptr));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(two[1], (AGPoint{0.01, 0}));
  AGPoint three[] = {{0, 0}, {0.01, 0}, {0.02, 0}};
  EXPECT_FALSE(ResamplePoints(three, nullptr, 1.0, nullptr));
  count = 3;
  EXPECT_FALSE(ResamplePoints(nullptr, &count, 1.0, nullptr));
  EXPECT_EQ(count, 3u);
}

// ---------------------------------------------------------------------------
// Point in polygon and polygon intersection

struct InsideCase {
  const char* name;
  AGPoint p;
  bool inside;
};

const InsideCase kSquareCases[] = {
    {"interior", {5, 5}, true},        {"outside right", {15, 5}, false},
    {"outside left", {-1, 5}, false},  {"outside below", {5, -1}, false},
    {"left side", {0, 5}, true},       {"right side", {10, 5}, false},
    {"bottom side", {5, 0}, true},     {"top side", {5, 10}, false},
    {"lower left", {0, 0}, true},      {"lower right", {10, 0}, false},
    {"upper right", {10, 10}, false},  {"upper left", {0, 10}, false},
};

TEST(IsPointInsidePolygon, SquareBoundaryRuleHoldsForBothWindingsOpenOrClosed) {
  for (const auto* square : {kSquareCCW, kSquareCW}) {
    AGPointArray open(square, 4);
    AGPointArray closed(open);
    closed.Append(square[0]);
    for (const InsideCase& c : kSquareCases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(IsPointInsidePolygon(open, c.p), c.inside);
      EXPECT_EQ(IsPointInsidePolygon(closed, c.p), c.inside);
    }
  }
}

TEST(IsPointInsidePolygon, RayThroughAVertexCountsOnce) {
  const AGPoint diamond[] = {{5, 0}, {10, 5}, {5, 10}, {0, 5}};
  EXPECT_TRUE(IsPointInsidePolygon(diamond, 4, {2, 5}));
  EXPECT_FALSE(IsPointInsidePolygon(diamond, 4, {12, 5}));
  EXPECT_FALSE(IsPointInsidePolygon(diamond, 4, {-2, 5}));
}

TEST(IsPointInsidePolygon, ConcaveNotchIsOutside) {
  // A U open at the top: the notch between the arms is outside.
  const AGPoint u[] = {{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {3, 3}, {3, 9}, {0, 9}};
  EXPECT_FALSE(IsPointInsidePolygon(u, 8, {4.5, 6}));
  EXPECT_TRUE(IsPointInsidePolygon(u, 8, {1.5, 6}));
  EXPECT_TRUE(IsPointInsidePolygon(u, 8, {7.5, 6}));
  EXPECT_TRUE(IsPointInsidePolygon(u, 8, {4.5, 1}));
}

TEST(IsPointInsidePolygon, FewerThanThreePointsHoldNothing) {
  EXPECT_FALSE(IsPointInsidePolygon(kSquareCCW, 2, {0, 0}));
  EXPECT_FALSE(IsPointInsidePolygon(nullptr, 4, {5, 5}));
  EXPECT_FALSE(IsPointInsidePolygon(AGPointArray(), {5, 5}));
}

AGPointArray Box(double x1, double y1, double x2, double y2) {
  return AGPointArray{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
}

TEST(IsPolygonSect, DetectsContainedVerticesAndCrossingEdges) {
  const AGPointArray square(kSquareCCW, 4);
  // A vertex of one inside the other, either way round.
  EXPECT_TRUE(IsPolygonSect(square, Box(5, 5, 20, 20)));
  EXPECT_TRUE(IsPolygonSect(Box(2, 2, 3, 3), square));
  EXPECT_TRUE(IsPolygonSect(square, Box(2, 2, 3, 3)));
  // A plus sign: no vertex of either inside the other, only crossing edges.
  EXPECT_TRUE(IsPolygonSect(Box(-5, 4, 15, 6), Box(4, -5, 6, 15)));
  // Apart.
  EXPECT_FALSE(IsPolygonSect(square, Box(11, 0, 20, 10)));
  EXPECT_FALSE(IsPolygonSect(square.Data(), 2, Box(2, 2, 3, 3).Data(), 4));
  EXPECT_FALSE(IsPolygonSect(square, AGPointArray()));
}

// ---------------------------------------------------------------------------
// Regular polygons

TEST(GenerateRegularPolygon, StepsEvenlyRoundTheCentre) {
  AGPointArray points;
  points.SetLength(10);
  GenerateRegularPolygon(points, 4, {1, 1}, 2, 0);
  ASSERT_EQ(points.Length(), 4u);
  const AGPoint expected[] = {{3, 1}, {1, 3}, {-1, 1}, {1, -1}};
  for (uint32_t i = 0; i < 4; ++i) ExpectNear(points[i], expected[i]);

  GenerateRegularPolygon(points, 3, {0, 0}, 1, kPi / 2);
  ASSERT_EQ(points.Length(), 3u);
  ExpectNear(points[0], {0, 1});
  ExpectNear(points[1], {-std::sqrt(3.0) / 2, -0.5});

  GenerateRegularPolygon(points, 0, {0, 0}, 1, 0);
  EXPECT_TRUE(points.IsEmpty());
  GenerateRegularPolygon(nullptr, 5, {0, 0}, 1, 0);
}

// ---------------------------------------------------------------------------
// Hit testing

struct Hit {
  bool found;
  uint32_t index;
  double distance;
};

Hit NearestSegment(const AGPoint* points, uint32_t count, bool closed, AGPoint p, double maxDistance = 0,
                   const AGAffineTransform* t = nullptr) {
  Hit hit{false, 12345, -1};
  hit.found = FindNearestSegment(points, count, closed, p, maxDistance, t, &hit.index, &hit.distance);
  return hit;
}

TEST(FindNearestSegment, ReportsTheSegmentsEndPointIndex) {
  Hit hit = NearestSegment(kSquareCCW, 4, false, {5, 1});
  EXPECT_TRUE(hit.found);
  EXPECT_EQ(hit.index, 1u);
  EXPECT_EQ(hit.distance, 1.0);
  hit = NearestSegment(kSquareCCW, 4, false, {11, 5});
  EXPECT_EQ(hit.index, 2u);
  EXPECT_EQ(hit.distance, 1.0);
}

TEST(FindNearestSegment, ClosedModeExaminesTheClosingSegmentFirstAsIndexZero) {
  // (-1, 5) is 1 from the closing side x = 0 ...
  Hit closed = NearestSegment(kSquareCCW, 4, true, {-1, 5});
  EXPECT_EQ(closed.index, 0u);
  EXPECT_EQ(closed.distance, 1.0);
  // ... which an open polyline lacks: the bottom and top sides tie at
  // sqrt(26) and the first one wins.
  Hit open = NearestSegment(kSquareCCW, 4, false, {-1, 5});
  EXPECT_EQ(open.index, 1u);
  EXPECT_EQ(open.distance, std::sqrt(26.0));
  // (-1, -1) is sqrt(2) from both the closing side and the bottom side: the
  // closing side, examined first, wins the tie.
  EXPECT_EQ(NearestSegment(kSquareCCW, 4, true, {-1, -1}).index, 0u);
  EXPECT_EQ(NearestSegment(kSquareCCW, 4, false, {-1, -1}).index, 1u);
}

TEST(FindNearestSegment, DistanceLimitAndTransformedUnits) {
  // The limit is inclusive; 0 or below means none.
  EXPECT_TRUE(NearestSegment(kSquareCCW, 4, false, {5, 3}, 3.0).found);
  EXPECT_FALSE(NearestSegment(kSquareCCW, 4, false, {5, 3}, 2.9).found);
  EXPECT_TRUE(NearestSegment(kSquareCCW, 4, false, {5, 3}, -1.0).found);
  // Both the polyline and p are scaled tenfold before measuring.
  AGAffineTransform zoom{10, 0, 0, 10, 7, 7};
  Hit hit = NearestSegment(kSquareCCW, 4, false, {5, 1}, 0, &zoom);
  EXPECT_EQ(hit.distance, 10.0);
  EXPECT_FALSE(NearestSegment(kSquareCCW, 4, false, {5, 1}, 5, &zoom).found);
}

TEST(FindNearestSegment, FailureReportsMinusOneAndHugeDistance) {
  const Hit failures[] = {
      NearestSegment(kSquareCCW, 1, false, {0, 0}),      // one point: no segment
      NearestSegment(kSquareCCW, 1, true, {0, 0}),
      NearestSegment(nullptr, 4, false, {0, 0}),
      NearestSegment(kSquareCCW, 4, false, {5, 3}, 2),  // beyond the limit
  };
  for (const Hit& hit : failures) {
    EXPECT_FALSE(hit.found);
    EXPECT_EQ(hit.index, kNotFound);
    EXPECT_EQ(hit.index, static_cast<uint32_t>(-1));
    EXPECT_EQ(hit.distance, kQVHugeFloat64);
  }
  // Outputs may be null.
  EXPECT_TRUE(FindNearestSegment(AGPointArray(kSquareCCW, 4), true, {5, 5}, 0, nullptr, nullptr, nullptr));
}

TEST(FindNearestPoint, StrictlyNearestFirstWinsTies) {
  AGPointArray points{{0, 0}, {4, 0}, {4, 0}, {8, 0}};
  uint32_t index = 99;
  double distance = -1;
  EXPECT_TRUE(FindNearestPoint(points, {5, 0}, 0, nullptr, &index, &distance));
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(distance, 1.0);
  // (2, 0) is 2 from both (0, 0) and (4, 0).
  EXPECT_TRUE(FindNearestPoint(points, {2, 0}, 0, nullptr, &index, &distance));
  EXPECT_EQ(index, 0u);
  // Measured after mapping: compressed x makes (8, 0) the nearest to (1, 3).
  AGAffineTransform squash{0.125, 0, 0, 1, 0, 0};
  EXPECT_TRUE(FindNearestPoint(points, {8, 3}, 0, &squash, &index, &distance));
  EXPECT_EQ(index, 3u);
  EXPECT_EQ(distance, 3.0);

  EXPECT_FALSE(FindNearestPoint(AGPointArray(), {0, 0}, 0, nullptr, &index, &distance));
  EXPECT_EQ(index, kNotFound);
  EXPECT_EQ(distance, kQVHugeFloat64);
  EXPECT_FALSE(FindNearestPoint(points, {5, 0}, 0.5, nullptr, &index, nullptr));
  EXPECT_EQ(index, kNotFound);
}

}  // namespace
