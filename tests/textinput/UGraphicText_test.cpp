#include "textinput/UGraphicText.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/AGFont.h"
#include "graphics/AGPath.h"
#include "graphics/AGTestFonts.h"
#include "graphics/platform/AGNativePath.h"

// Numbers in font units u, read from the font files with fontTools (hmtx for
// advances, BoundsPen for the ink, glyph 0 is .notdef):
//
// DejaVu Sans, u = 48/2048 point at 48 points:
//   "H": advance 1540, ink (201, 0)..(1339, 1493)
//   "I": advance 604, ink (201, 0)..(403, 1493); one contour, in order
//        (201, 1493) (403, 1493) (403, 0) (201, 0)
//   "o": ink (113, -29)..(1141, 1147), quadratic curves only
//   "A": advance 1401; "B": advance 1405, ink (201, 0)..(1260, 1493)
//   space: advance 651, no ink
//   .notdef (for U+E000 and line feed, which the font lacks): advance 1229,
//        ink (102, -362)..(1126, 1444), two contours of four lines
//   no cap height (OS/2 version 1): boxes of spaces take the top of "H", 1493
//
// Pelmar UC, u = 0.048 point at 48 points; cap height 729 (OS/2 version 4):
//   U+E000: blank, advance 1000, no ink
//   U+E001: dot, advance 1000, ink (415, 415)..(585, 585), one contour of
//        quadratic curves without on-curve points
//   U+E33B: advance 1000, ink (420, 360)..(620, 740.148148...), where the
//        control points reach 416 and 742: the box follows the curve
namespace {

constexpr double u = kDejaVu48;
constexpr double p = kPelmar48;

AGFont DejaVu48() { return AGFont(kDejaVu, 48.0f, 0); }

// The native path's points in order, with the element types.
struct Walked {
  std::vector<AGNativeElementType> types;
  std::vector<AGNativePoint> points;
};

Walked Walk(const AGPath& path) {
  Walked w;
  path.NativePath()->Walk([&](const AGNativeElement& e) {
    w.types.push_back(e.type);
    for (uint32_t i = 0; i < AGNativeElementPointCount(e.type); ++i)
      w.points.push_back(e.points[i]);
  });
  return w;
}

void ExpectBox(const AGRect& actual, const AGRect& expected, double tolerance = 0.0) {
  EXPECT_NEAR(actual.x1, expected.x1, tolerance);
  EXPECT_NEAR(actual.y1, expected.y1, tolerance);
  EXPECT_NEAR(actual.x2, expected.x2, tolerance);
  EXPECT_NEAR(actual.y2, expected.y2, tolerance);
}

// ---------------------------------------------------------------------------
// Outputs before any work

TEST(UGraphicTextOutputs, InvalidFontFailsWithTheOutputsReset) {
  for (const AGFont& font :
       {AGFont(), AGFont("Lucida Grande", 48.0f, 0), AGFont(kDejaVu, 0.0f, 0)}) {
    AGPath path;
    path.AddRect({0, 0, 5, 5});
    AGRectArray boxes = {AGRect{1, 1, 2, 2}};
    AGPoint penEnd = {7, 7};
    EXPECT_FALSE(
        UGraphicText::BuildPathFromUText(&path, &boxes, &penEnd, {3, 4}, Units(u"H"), font));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_FALSE(path.HasOrigin());
    EXPECT_TRUE(boxes.IsEmpty());
    EXPECT_EQ(penEnd, (AGPoint{3, 4}));
  }
}

TEST(UGraphicTextOutputs, EmptyTextSucceedsWithTheOutputsReset) {
  AGPath path;
  path.AddRect({0, 0, 5, 5});
  AGRectArray boxes = {AGRect{1, 1, 2, 2}};
  AGPoint penEnd = {7, 7};
  EXPECT_TRUE(
      UGraphicText::BuildPathFromUText(&path, &boxes, &penEnd, {3, 4}, QVUniChars(), DejaVu48()));
  EXPECT_TRUE(path.IsEmpty());
  EXPECT_TRUE(boxes.IsEmpty());
  EXPECT_EQ(penEnd, (AGPoint{3, 4}));
}

TEST(UGraphicTextOutputs, EachOutputIsOptional) {
  const QVUniChars text = Units(u"HI");
  AGRectArray boxes;
  AGPoint penEnd;
  AGPath path;
  EXPECT_TRUE(UGraphicText::BuildPathFromUText(nullptr, nullptr, nullptr, {}, text, DejaVu48()));
  EXPECT_TRUE(UGraphicText::BuildPathFromUText(nullptr, &boxes, nullptr, {}, text, DejaVu48()));
  EXPECT_EQ(boxes.Length(), 2u);
  EXPECT_TRUE(UGraphicText::BuildPathFromUText(nullptr, nullptr, &penEnd, {}, text, DejaVu48()));
  EXPECT_EQ(penEnd.x, (1540 + 604) * u);
  EXPECT_TRUE(UGraphicText::BuildPathFromUText(&path, nullptr, nullptr, {}, text, DejaVu48()));
  EXPECT_FALSE(path.IsEmpty());
}

// ---------------------------------------------------------------------------
// Outlines

TEST(UGraphicTextOutlines, GlyphOutlineIsPlacedAtTheOriginExactly) {
  AGPath path;  // what it held before is replaced, origin included
  path.AddRect({-5000, 3000, -4990, 3010});
  ASSERT_TRUE(
      UGraphicText::BuildPathFromUText(&path, nullptr, nullptr, {10, 20}, Units(u"I"), DejaVu48()));
  // The origin is set, so that geometry added later keeps the outlines.
  EXPECT_TRUE(path.HasOrigin());
  EXPECT_EQ(path.GetOrigin(), kAGNullPoint);
  Walked w = Walk(path);
  using T = AGNativeElementType;
  // The closing line comes back to the start, then the contour is closed.
  EXPECT_EQ(w.types, (std::vector<T>{T::kMoveTo, T::kLineTo, T::kLineTo, T::kLineTo, T::kLineTo,
                                     T::kClose}));
  const double x[] = {201, 403, 403, 201, 201}, y[] = {1493, 1493, 0, 0, 1493};
  ASSERT_EQ(w.points.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(w.points[i].x, float(10 + x[i] * u)) << i;
    EXPECT_EQ(w.points[i].y, float(20 + y[i] * u)) << i;
  }
}

TEST(UGraphicTextOutlines, CurvesStayQuadraticAndTheirBoxFollowsTheInk) {
  AGPath path;
  AGRectArray boxes;
  ASSERT_TRUE(
      UGraphicText::BuildPathFromUText(&path, &boxes, nullptr, {}, Units(u"o"), DejaVu48()));
  Walked w = Walk(path);
  size_t quads = 0;
  for (AGNativeElementType t : w.types) {
    EXPECT_NE(t, AGNativeElementType::kCubicTo);
    quads += (t == AGNativeElementType::kQuadTo);
  }
  EXPECT_GT(quads, 0u);
  ExpectBox(path.GetFlattenedBoundingBox(), {113 * u, -29 * u, 1141 * u, 1147 * u}, 1e-5);
  ExpectBox(boxes[0], {113 * u, -29 * u, 1141 * u, 1147 * u});
}

TEST(UGraphicTextOutlines, PelmarSymbolsDrawAtOneEmEach) {
  AddPelmar();
  AGFont font(kPelmar, 48.0f, 0);
  AGPath path;
  AGRectArray boxes;
  AGPoint penEnd;
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(&path, &boxes, &penEnd, {0, 0},
                                               Units(u"\uE001\uE001"), font));
  EXPECT_DOUBLE_EQ(penEnd.x, 96.0);
  ASSERT_EQ(boxes.Length(), 2u);
  ExpectBox(boxes[0], {415 * p, 415 * p, 585 * p, 585 * p}, 1e-9);
  ExpectBox(boxes[1], {48 + 415 * p, 415 * p, 48 + 585 * p, 585 * p}, 1e-9);
  // The dot is filled at its centre, not between the two.
  EXPECT_TRUE(path.IsPointInPath({24, 24}, 1));
  EXPECT_TRUE(path.IsPointInPath({72, 24}, 1));
  EXPECT_FALSE(path.IsPointInPath({48, 24}, 1));
}

// ---------------------------------------------------------------------------
// Character boxes and the pen

TEST(UGraphicTextBoxes, OneInkBoxPerCharacterAlongTheBaseline) {
  AGRectArray boxes;
  AGPoint penEnd;
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(nullptr, &boxes, &penEnd, {10, 20}, Units(u"HI"),
                                               DejaVu48()));
  ASSERT_EQ(boxes.Length(), 2u);
  ExpectBox(boxes[0], {10 + 201 * u, 20, 10 + 1339 * u, 20 + 1493 * u});
  ExpectBox(boxes[1], {10 + (1540 + 201) * u, 20, 10 + (1540 + 403) * u, 20 + 1493 * u});
  EXPECT_EQ(penEnd, (AGPoint{10 + (1540 + 604) * u, 20}));
}

TEST(UGraphicTextBoxes, SpacesAreTheAdvanceWideAndTheCapHeightTall) {
  AGRectArray boxes;
  AGPoint penEnd;
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(nullptr, &boxes, &penEnd, {10, 20}, Units(u"  "),
                                               DejaVu48()));
  ASSERT_EQ(boxes.Length(), 2u);
  ExpectBox(boxes[0], {10, 20, 10 + 651 * u, 20 + 1493 * u});
  ExpectBox(boxes[1], {10 + 651 * u, 20, 10 + 1302 * u, 20 + 1493 * u});
  EXPECT_EQ(penEnd, (AGPoint{10 + 1302 * u, 20}));

  // Pelmar UC has its cap height in the OS/2 table: 729.
  AddPelmar();
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(nullptr, &boxes, &penEnd, {0, 0}, Units(u"\uE000 "),
                                               AGFont(kPelmar, 48.0f, 0)));
  ASSERT_EQ(boxes.Length(), 2u);
  ExpectBox(boxes[0], {0, 0, 48, 729 * p}, 1e-9);
  EXPECT_DOUBLE_EQ(boxes[1].y2, 729 * p);
}

TEST(UGraphicTextBoxes, MissingCharactersShowTheMissingGlyphAndAreBoxed) {
  AGPath path;
  AGRectArray boxes;
  AGPoint penEnd;
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(&path, &boxes, &penEnd, {0, 0}, Units(u"\uE000"),
                                               DejaVu48()));
  ASSERT_EQ(boxes.Length(), 1u);
  ExpectBox(boxes[0], {102 * u, -362 * u, 1126 * u, 1444 * u});
  EXPECT_EQ(penEnd.x, 1229 * u);
  // .notdef's two rectangles: a frame.
  Walked w = Walk(path);
  EXPECT_EQ(w.types.size(), 12u);
  EXPECT_TRUE(path.IsPointInPath({150 * u, 0}, 1));
  EXPECT_FALSE(path.IsPointInPath({600 * u, 500 * u}, 1));
}

TEST(UGraphicTextBoxes, LineBreaksAreOrdinaryCharactersOnTheOneBaseline) {
  // DejaVu Sans lacks U+000A: it is drawn and boxed as .notdef.
  AGRectArray boxes;
  AGPoint penEnd;
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(nullptr, &boxes, &penEnd, {0, 0}, Units(u"A\nB"),
                                               DejaVu48()));
  ASSERT_EQ(boxes.Length(), 3u);
  ExpectBox(boxes[1], {(1401 + 102) * u, -362 * u, (1401 + 1126) * u, 1444 * u});
  ExpectBox(boxes[2], {(1401 + 1229 + 201) * u, 0, (1401 + 1229 + 1260) * u, 1493 * u});
  EXPECT_EQ(penEnd, (AGPoint{(1401 + 1229 + 1405) * u, 0}));
}

TEST(UGraphicTextBoxes, InkIsTheCurveNotItsControlPoints) {
  AddPelmar();
  AGRectArray boxes;
  ASSERT_TRUE(UGraphicText::BuildPathFromUText(nullptr, &boxes, nullptr, {0, 0}, Units(u"\uE33B"),
                                               AGFont(kPelmar, 48.0f, 0)));
  ASSERT_EQ(boxes.Length(), 1u);
  ExpectBox(boxes[0], {420 * p, 360 * p, 620 * p, 740.1481481481482 * p}, 1e-9);
}

}  // namespace
