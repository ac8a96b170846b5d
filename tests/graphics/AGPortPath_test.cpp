// The geometry a drawing hands to the drawing service: culling against the
// visible box, clipping of fills (winding numbers kept) and strokes (pieces
// cut at the visible box, joins kept), curves split where they reach
// beyond the safe box.
#include "graphics/platform/AGPortPath_p.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/AGBezier.h"
#include "graphics/platform/AGNativePath.h"

namespace {

using Verb = AGPortPath::Verb;
using Use = AGPortPath::Use;
using Fit = AGPortPath::Fit;

const AGRect kVisible = {-2, -2, 6, 6};
const AGRect kSafe = {-1000, -1000, 1000, 1000};

AGPortPath Polygon(std::initializer_list<AGPoint> points, bool close = true) {
  AGPortPath path;
  for (const AGPoint& p : points) {
    if (path.IsEmpty()) {
      path.MoveTo(p);
    } else {
      path.LineTo(p);
    }
  }
  if (close) path.Close();
  return path;
}

// Winding number of a path of lines (every sub-path taken as closed) around p.
int Winding(const AGPortPath& path, const AGPoint& p) {
  int winding = 0;
  AGPoint start = kAGNullPoint, current = kAGNullPoint;
  auto edge = [&](const AGPoint& a, const AGPoint& b) {
    double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    if (a.y <= p.y && p.y < b.y && cross > 0) ++winding;
    if (b.y <= p.y && p.y < a.y && cross < 0) --winding;
  };
  for (const AGPortPath::Element& e : path.Elements()) {
    switch (e.verb) {
      case Verb::kMove:
        edge(current, start);
        start = current = e.p[0];
        break;
      case Verb::kLine:
        edge(current, e.p[0]);
        current = e.p[0];
        break;
      case Verb::kClose:
        edge(current, start);
        current = start;
        break;
      case Verb::kCubic:
        ADD_FAILURE() << "curve";
        break;
    }
  }
  edge(current, start);
  return winding;
}

// Cut points are computed along segments millions of units long: equal to
// well under a millionth of a unit.
void ExpectPoint(const AGPoint& p, const AGPoint& q) {
  EXPECT_NEAR(p.x, q.x, 1e-6);
  EXPECT_NEAR(p.y, q.y, 1e-6);
}

bool InBox(const AGPoint& p, const AGRect& box) {
  return box.x1 <= p.x && p.x <= box.x2 && box.y1 <= p.y && p.y <= box.y2;
}

void ExpectAllIn(const AGPortPath& path, const AGRect& box) {
  for (const AGPortPath::Element& e : path.Elements()) {
    int n = e.verb == Verb::kCubic ? 3 : e.verb == Verb::kClose ? 0 : 1;
    for (int i = 0; i < n; ++i) EXPECT_TRUE(InBox(e.p[i], box)) << e.p[i].x << "," << e.p[i].y;
  }
}

TEST(PortPath, ClassifyCullsByTheBoxAndPassesWhatLiesInTheSafeBox) {
  struct Case {
    AGPortPath path;
    Fit fit;
  };
  const Case cases[] = {
      {Polygon({{0, 0}, {4, 0}, {4, 4}}), Fit::kInside},
      {Polygon({{-900, -900}, {900, 900}}, false), Fit::kInside},
      {Polygon({{6, 6}, {50, 50}}, false), Fit::kInside},  // touches visible's corner
      {Polygon({{7, 0}, {50, 50}}, false), Fit::kOutside},
      {Polygon({{-1e7, -3}, {1e7, -3}}, false), Fit::kOutside},
      {Polygon({{-1e7, 2}, {1e7, 2}}, false), Fit::kCrossing},
      {Polygon({{0, 0}, {4, 0}, {4, 1001}}), Fit::kCrossing},
      {AGPortPath(), Fit::kOutside},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.path.Classify(kVisible, kSafe), c.fit) << &c - cases;
  }
}

TEST(PortPath, StrokeSegmentsAreCutExactlyAtTheVisibleBox) {
  struct Case {
    AGPoint a, b;
    std::vector<AGPoint> kept;  // move, line; empty: nothing
  };
  const Case cases[] = {
      {{-1e7, 2}, {1e7, 2}, {{-2, 2}, {6, 2}}},
      {{1e7, 2}, {0, 2}, {{6, 2}, {0, 2}}},
      {{-1e7, -1e7}, {1e7, 1e7}, {{-2, -2}, {6, 6}}},
      {{3, -1e9}, {3, 1e9}, {{3, -2}, {3, 6}}},
      {{-1e7, 7}, {1e7, 7}, {}},
  };
  for (const Case& c : cases) {
    AGPortPath clipped = Polygon({c.a, c.b}, false).Clipped(kVisible, kSafe, Use::kStroke);
    SCOPED_TRACE(&c - cases);
    if (c.kept.empty()) {
      EXPECT_TRUE(clipped.IsEmpty());
      continue;
    }
    ASSERT_EQ(clipped.Elements().size(), 2u);
    EXPECT_EQ(clipped.Elements()[0].verb, Verb::kMove);
    EXPECT_EQ(clipped.Elements()[1].verb, Verb::kLine);
    for (int i = 0; i < 2; ++i) ExpectPoint(clipped.Elements()[size_t(i)].p[0], c.kept[size_t(i)]);
  }
}

TEST(PortPath, ClosedStrokeCutAtItsStartRunsItsLastPieceIntoItsFirst) {
  // The rectangle starts at its corner (2, 2); what shows is its closing
  // side arriving there and its first side leaving: one piece through the
  // corner, so that the join is drawn.
  AGPortPath rect = Polygon({{2, 2}, {1e7, 2}, {1e7, 1e7}, {2, 1e7}});
  AGPortPath clipped = rect.Clipped(kVisible, kSafe, Use::kStroke);
  ASSERT_EQ(clipped.Elements().size(), 3u);
  EXPECT_EQ(clipped.Elements()[0].verb, Verb::kMove);
  ExpectPoint(clipped.Elements()[0].p[0], {2, 6});
  EXPECT_EQ(clipped.Elements()[1].p[0], (AGPoint{2, 2}));
  ExpectPoint(clipped.Elements()[2].p[0], {6, 2});

  // A closed sub-path inside the box stays closed, as it was.
  AGPortPath inside = Polygon({{0, 0}, {4, 0}, {4, 4}});
  AGPortPath both = inside;
  both.MoveTo({-1e7, 3});
  both.LineTo({1e7, 3});
  AGPortPath kept = both.Clipped(kVisible, kSafe, Use::kStroke);
  ASSERT_EQ(kept.Elements().size(), 6u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(kept.Elements()[i].verb, inside.Elements()[i].verb);
  EXPECT_EQ(kept.Elements()[3].verb, Verb::kClose);
  ExpectPoint(kept.Elements()[4].p[0], {-2, 3});
}

TEST(PortPath, FillClippingKeepsTheWindingNumberOfEveryPointInTheSafeBox) {
  // A pentagram (winding 2 in its middle, 1 in its points) far larger than
  // the safe box, a square around it both ways round, and a ring.
  std::vector<AGPortPath> paths;
  AGPortPath star;
  for (int i = 0; i < 5; ++i) {
    double angle = 1.5707963267948966 + i * 4 * 3.141592653589793 / 5;
    AGPoint p = {3e3 * std::cos(angle) + 300, 3e3 * std::sin(angle) - 200};
    if (i == 0) {
      star.MoveTo(p);
    } else {
      star.LineTo(p);
    }
  }
  star.Close();
  paths.push_back(star);
  AGPortPath nested = Polygon({{-1e8, -1e8}, {1e8, -1e8}, {1e8, 1e8}, {-1e8, 1e8}});
  nested.MoveTo({-500, -1e9});
  nested.LineTo({-500, 1e9});
  nested.LineTo({1e9, 1e9});
  nested.LineTo({1e9, -1e9});
  nested.Close();
  paths.push_back(nested);
  paths.push_back(Polygon({{-5e3, 0}, {0, -5e3}, {5e3, 0}, {0, 5e3}, {-5e3, 0}, {0, 400},
                           {400, 0}, {0, -400}, {-400, 0}}));
  for (const AGPortPath& path : paths) {
    AGPortPath clipped = path.Clipped(kVisible, kSafe, Use::kFill);
    SCOPED_TRACE(&path - paths.data());
    ExpectAllIn(clipped, kSafe);
    int differing = 0;
    for (double y = -990.5; y < 1000; y += 37)
      for (double x = -990.5; x < 1000; x += 37)
        differing += Winding(path, {x, y}) != Winding(clipped, {x, y});
    EXPECT_EQ(differing, 0);
  }
}

TEST(PortPath, CurvesReachingBeyondTheSafeBoxAreSplitExactly) {
  // The parabola y = 2 + x^2 / 4e7 as a cubic from x = -2e7 to 2e7.
  AGNativePath native;
  native.MoveTo({-2e7f, 1e7f});
  native.QuadTo({0.0f, -1e7f}, {2e7f, 1e7f});
  AGPortPath curve;
  ASSERT_TRUE(curve.Assign(native, {1, 0, 0, 1, 0, 2}));
  ASSERT_EQ(curve.Elements()[1].verb, Verb::kCubic);
  for (Use use : {Use::kStroke, Use::kFill}) {
    AGPortPath clipped = curve.Clipped(kVisible, kSafe, use);
    ExpectAllIn(clipped, kSafe);
    AGPoint current = kAGNullPoint;
    int atThePort = 0;
    for (const AGPortPath::Element& e : clipped.Elements()) {
      if (e.verb == Verb::kCubic) {
        // Every piece kept as a curve lies on the parabola.
        for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
          AGPoint p = AGBezierCubicGetPoint(current, e.p[0], e.p[1], e.p[2], t);
          EXPECT_NEAR(p.y, 2 + p.x * p.x / 4e7, 1e-6);
        }
        atThePort += current.x <= 4 && e.p[2].x >= 0;
      }
      if (e.verb != Verb::kClose) current = e.p[e.verb == Verb::kCubic ? 2 : 0];
    }
    EXPECT_GE(atThePort, 1) << int(use);
  }
}

}  // namespace
