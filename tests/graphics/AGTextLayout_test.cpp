#include <gtest/gtest.h>

#include "graphics/AGFont.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGPath.h"
#include "graphics/AGTestFonts.h"
#include "graphics/platform/AGNativePath.h"

// DejaVu Sans at 48 points, in font units u (u * kDejaVu48 points):
//   "H": advance 1540, ink x 201..1339, y 0..1493 (left stem x 201..403)
//   "I": advance 604, ink x 201..403, y 0..1493
//   "o": ink x 113..1141, y -29..1147
//   U+00C4 (native byte 0x80): ink x 16..1384, y 0..1870
//   space: advance 651, no ink
//   line spacing: hhea ascent 1901 + descent 483 + line gap 0 = 2384
namespace {

constexpr double u = kDejaVu48;
constexpr double kSpacing = 2384 * u;

AGFont DejaVu48() { return AGFont(kDejaVu, 48.0f, 0); }

AGRect TextBox(const std::u16string& text, const AGPoint& anchor, AGTextAlignment align) {
  AGPath path;
  EXPECT_TRUE(path.AddUText(Units(text), DejaVu48(), anchor, align));
  return path.GetFlattenedBoundingBox();
}

void ExpectRect(const AGRect& actual, const AGRect& expected) {
  EXPECT_NEAR(actual.x1, expected.x1, 1e-4);
  EXPECT_NEAR(actual.y1, expected.y1, 1e-4);
  EXPECT_NEAR(actual.x2, expected.x2, 1e-4);
  EXPECT_NEAR(actual.y2, expected.y2, 1e-4);
}

// ---------------------------------------------------------------------------
// Extents

TEST(AGTextExtent, InkOfAllLinesMeasured) {
  struct Case {
    std::u16string text;
    AGSize size;
  };
  const Case cases[] = {
      {u"H", {1138 * u, 1493 * u}},
      {u"HH", {(1540 + 1339 - 201) * u, 1493 * u}},
      {u"o", {(1141 - 113) * u, (1147 + 29) * u}},
      // Spaces advance but leave no ink.
      {u"  H  ", {1138 * u, 1493 * u}},
      {u"   ", {0, 0}},
      {u"", {0, 0}},
      // A break ending the text ends an empty line, which has no ink.
      {u"H\n", {1138 * u, 1493 * u}},
      // The second line's baseline lies one line spacing lower.
      {u"H\nH", {1138 * u, 1493 * u + kSpacing}},
      {u"H\rH", {1138 * u, 1493 * u + kSpacing}},
      // CR LF ends two lines: the second H is two spacings down.
      {u"H\r\nH", {1138 * u, 1493 * u + 2 * kSpacing}},
      {u"\nH", {1138 * u, 1493 * u}},
      {u"HH\nH", {(1540 + 1339 - 201) * u, 1493 * u + kSpacing}},
  };
  AGFont font = DejaVu48();
  for (const Case& c : cases) {
    AGSize size = font.GetUTextExtent(Units(c.text));
    EXPECT_DOUBLE_EQ(size.width, c.size.width) << c.text.size();
    EXPECT_DOUBLE_EQ(size.height, c.size.height) << c.text.size();
  }
}

TEST(AGTextExtent, NativeTextIsWidenedFromMacRoman) {
  AGFont font = DejaVu48();
  AGSize size = font.GetTextExtent("\x80");  // A with diaeresis
  EXPECT_DOUBLE_EQ(size.width, (1384 - 16) * u);
  EXPECT_DOUBLE_EQ(size.height, 1870 * u);
  AGSize lines = AGGraphicsLow::AGNativeFontGetTextExtent(font, "H\nH");
  EXPECT_DOUBLE_EQ(lines.height, 1493 * u + kSpacing);
  EXPECT_EQ(AGGraphicsLow::AGNativeFontGetTextExtent(font, ""), kAGNullSize);
}

TEST(AGTextExtent, InvalidFontMeasuresNothing) {
  for (const AGFont& font :
       {AGFont(), AGFont("Lucida Grande", 48.0f, 0), AGFont(kDejaVu, 0.0f, 0)}) {
    EXPECT_EQ(font.GetUTextExtent(Units(u"H")), kAGNullSize);
    EXPECT_EQ(font.GetTextExtent("H"), kAGNullSize);
  }
}

// ---------------------------------------------------------------------------
// Placement of lines on the anchor

TEST(AGTextAlignment, EveryOtherValuePutsThePenOriginOnTheAnchor) {
  const AGPoint anchor = {100, 50};
  const AGRect expected = {100 + 201 * u, 50, 100 + 1339 * u, 50 + 1493 * u};
  for (int32_t value : {0, 1, 4, 7, -1}) {
    ExpectRect(TextBox(u"H", anchor, static_cast<AGTextAlignment>(value)), expected);
  }
}

TEST(AGTextAlignment, RightPutsTheRightInkEdgeOnTheAnchorWhateverSpacesTrail) {
  const AGPoint anchor = {100, 50};
  const AGRect expected = {100 - 1138 * u, 50, 100, 50 + 1493 * u};
  ExpectRect(TextBox(u"H", anchor, kAGTextAlignmentRight), expected);
  ExpectRect(TextBox(u"H    ", anchor, kAGTextAlignmentRight), expected);
  ExpectRect(TextBox(u"  H", anchor, kAGTextAlignmentRight), expected);
}

TEST(AGTextAlignment, CenterPutsTheMiddleOfTheInkOnTheAnchor) {
  const AGPoint anchor = {100, 50};
  const AGRect expected = {100 - 569 * u, 50, 100 + 569 * u, 50 + 1493 * u};
  ExpectRect(TextBox(u"H", anchor, kAGTextAlignmentCenter), expected);
  ExpectRect(TextBox(u"   H ", anchor, kAGTextAlignmentCenter), expected);
  // A line of spaces has no ink and adds nothing; the next line still sits
  // one spacing down.
  ExpectRect(TextBox(u"   \nH", anchor, kAGTextAlignmentCenter),
             {expected.x1, expected.y1 - kSpacing, expected.x2, expected.y2 - kSpacing});
}

TEST(AGTextAlignment, EachLineIsAlignedOnItsOwn) {
  // "I\nHI" right aligned at (100, 50). Line 0: "I", ink 201..403, moved by
  // -403. Line 1: "HI", ink 201..(1540 + 403) = 1943, moved by -1943, its
  // baseline one spacing down: H's left stem lies at 201 - 1943 .. 403 - 1943.
  const AGPoint anchor = {100, 50};
  AGPath path;
  ASSERT_TRUE(path.AddUText(Units(u"I\nHI"), DejaVu48(), anchor, kAGTextAlignmentRight));
  const double line1 = 50 - kSpacing;
  const double stemMid = 100 + (302 - 1943) * u;
  EXPECT_TRUE(path.IsPointInPath({100 - 101 * u, 50 + 700 * u}, 1));     // line 0, I
  EXPECT_TRUE(path.IsPointInPath({100 - 101 * u, line1 + 700 * u}, 1));  // line 1, I
  EXPECT_TRUE(path.IsPointInPath({stemMid, line1 + 700 * u}, 1));        // line 1, H
  EXPECT_FALSE(path.IsPointInPath({stemMid, 50 + 700 * u}, 1));          // nothing on line 0
  ExpectRect(path.GetFlattenedBoundingBox(), {100 - 1742 * u, line1, 100, 50 + 1493 * u});
}

// ---------------------------------------------------------------------------
// AGPath's text operations and the native entry

TEST(AGPathText, TextIsPlacedAtItsPositionWhateverThePathOrigin) {
  const AGPoint stem = {100 + 302 * u, 50 + 700 * u};  // middle of "I"'s stem
  AGPath fresh;
  ASSERT_TRUE(fresh.AddUText(Units(u"I"), DejaVu48(), {100, 50}, kAGTextAlignmentLeft));
  EXPECT_TRUE(fresh.HasOrigin());
  EXPECT_EQ(fresh.GetOrigin(), (AGPoint{100, 50}));
  EXPECT_TRUE(fresh.IsPointInPath(stem, 1));

  AGPath elsewhere;
  elsewhere.AddRect({-5000, 3000, -4990, 3010});
  ASSERT_TRUE(elsewhere.AddText("I", DejaVu48(), {100, 50}, kAGTextAlignmentLeft));
  EXPECT_EQ(elsewhere.GetOrigin(), (AGPoint{-5000, 3000}));
  EXPECT_TRUE(elsewhere.IsPointInPath(stem, 1));
  EXPECT_FALSE(elsewhere.IsPointInPath({stem.x + 150 * u, stem.y}, 1));
}

TEST(AGPathText, OutlinesAreAppended) {
  AGPath path;
  ASSERT_TRUE(path.AddUText(Units(u"I"), DejaVu48(), {0, 0}, kAGTextAlignmentLeft));
  uint32_t once = path.NativePath()->GetElementCount();
  ASSERT_GT(once, 0u);
  ASSERT_TRUE(path.AddUText(Units(u"I"), DejaVu48(), {0, 100}, kAGTextAlignmentLeft));
  EXPECT_EQ(path.NativePath()->GetElementCount(), 2 * once);
  ExpectRect(path.GetFlattenedBoundingBox(), {201 * u, 0, 403 * u, 100 + 1493 * u});
}

TEST(AGPathText, EmptyTextSucceedsWithoutChange) {
  AGPath path;
  EXPECT_TRUE(path.AddUText(QVUniChars(), DejaVu48(), {10, 10}, kAGTextAlignmentLeft));
  EXPECT_TRUE(path.AddText("", DejaVu48(), {10, 10}, kAGTextAlignmentLeft));
  EXPECT_TRUE(path.IsEmpty());
  EXPECT_FALSE(path.HasOrigin());

  AGNativePath native;
  EXPECT_TRUE(AGGraphicsLow::AGNativePathAddUText(&native, kAGNullPoint, kAGNullPoint, QVUniChars(),
                                                  DejaVu48(), kAGTextAlignmentLeft));
  EXPECT_TRUE(AGGraphicsLow::AGNativePathAddText(&native, kAGNullPoint, kAGNullPoint, "",
                                                 DejaVu48(), kAGTextAlignmentLeft));
  EXPECT_TRUE(native.IsEmpty());
}

TEST(AGPathText, InvalidFontOrMissingPathFailsAndLeavesThePathAlone) {
  AGPath path;
  path.AddRect({0, 0, 10, 10});
  const uint32_t count = path.NativePath()->GetElementCount();
  for (const AGFont& font :
       {AGFont(), AGFont("Lucida Grande", 48.0f, 0), AGFont(kDejaVu, 0.0f, 0)}) {
    EXPECT_FALSE(path.AddUText(Units(u"H"), font, {20, 20}, kAGTextAlignmentLeft));
    EXPECT_FALSE(path.AddText("H", font, {20, 20}, kAGTextAlignmentLeft));
    // The font is checked before the text.
    EXPECT_FALSE(path.AddText("", font, {20, 20}, kAGTextAlignmentLeft));
  }
  EXPECT_EQ(path.NativePath()->GetElementCount(), count);
  EXPECT_EQ(path.GetBoundingBox(), (AGRect{0, 0, 10, 10}));

  EXPECT_FALSE(AGGraphicsLow::AGNativePathAddUText(nullptr, kAGNullPoint, kAGNullPoint, Units(u"H"),
                                                   DejaVu48(), kAGTextAlignmentLeft));
  EXPECT_FALSE(AGGraphicsLow::AGNativePathAddText(nullptr, kAGNullPoint, kAGNullPoint, "H",
                                                  DejaVu48(), kAGTextAlignmentLeft));
}

}  // namespace
