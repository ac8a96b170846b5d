// Layout of the Talvane object: cached outline and bounds, the mapping onto a
// target rectangle and the prolongation line.
#include <gtest/gtest.h>

#include "TalvaneTestSupport.h"

#include <cmath>

#include "graphics/AGPath.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "object/CStdTalvaneResources.h"
#include "graphics/AGFont.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVValue.h"

namespace {

constexpr double kEps = 1e-9;


void ExpectRect(const AGRect& r, double x1, double y1, double x2, double y2, double eps = kEps) {
  EXPECT_NEAR(r.x1, x1, eps);
  EXPECT_NEAR(r.y1, y1, eps);
  EXPECT_NEAR(r.x2, x2, eps);
  EXPECT_NEAR(r.y2, y2, eps);
}

AGPoint Map(const AGAffineTransform& t, double x, double y) {
  return AGPointApplyTransform(AGPoint{x, y}, t);
}

TEST(TalvaneLayout, EmptyTextFallsBackToMinimumBoundsAndFrameAroundTheOrigin) {
  StandaloneTalvane t;
  t.object().LowBuildCurrentPath();
  ASSERT_TRUE(t.object().HasCachedPath());
  ExpectRect(t.object().GlyphBounds(), 0, 0, 24, 24);
  ExpectRect(t.object().TextFrame(), -8, -8, 8, 8);
  ExpectRect(t.object().NatBounds(), 0, 0, 24, 24);
}

TEST(TalvaneLayout, DefaultTextHasOneGrownBoxPerUnitAndWiderNaturalBoundsWithALine) {
  StandaloneTalvane t("-default");
  t.object().LowBuildCurrentPath();
  const CStdTalvane& o = t.object();
  ASSERT_TRUE(o.PathBuilt());
  ASSERT_NE(o.CharBoxes(), nullptr);
  ASSERT_EQ(o.CharBoxes()->Length(), kDefaultUTextLength);
  // Every symbol advances one em: 1000 units = 48 points.
  EXPECT_NEAR(o.TextEnd().x, 480.0, 1e-6);
  EXPECT_NEAR(o.TextEnd().y, 0.0, kEps);
  // The blank U+E000 (7th unit) is boxed the advance wide and the cap height
  // tall (729 units = 34.992 points), grown by 4.
  ExpectRect((*o.CharBoxes())[6], 288 - 4, -4, 336 + 4, 34.992 + 4, 1e-4);
  // Glyph bounds: the boxes' union, within the symbols' band.
  const AGRect& g = o.GlyphBounds();
  EXPECT_GE(g.y1, -8.1);
  EXPECT_LE(g.y2, 48.1);
  EXPECT_LE(g.x2, 480.0);
  // Sustained: the natural bounds grow by half the glyph width.
  ExpectRect(o.NatBounds(), g.x1, g.y1, g.x2 + (g.x2 - g.x1) * 0.5, g.y2);
  ExpectRect(o.TextFrame(), g.x1 - 8, g.y1 - 8, g.x2 + 8, g.y2 + 8);
}

TEST(TalvaneLayout, SettingsThatChangeTheLayoutDropTheCachesAndOthersKeepThem) {
  StandaloneTalvane t("-default");
  t.object().LowBuildCurrentPath();
  QVDictionary keys;
  EXPECT_EQ(keys.SetValue("KeyLayout", QVValueSetasQVString("Pelmar Alto")), 0);
  EXPECT_EQ(t.object()._apmSetObjectProperties(keys), 0);
  EXPECT_TRUE(t.object().HasCachedPath());

  QVDictionary size;
  EXPECT_EQ(size.SetValue("FontSize", QVValueSetasFloat64(60)), 0);
  EXPECT_EQ(t.object()._apmSetObjectProperties(size), 0);
  EXPECT_FALSE(t.object().HasCachedPath());
  ExpectRect(t.object().GlyphBounds(), 0, 0, 0, 0);
}

const AGRect kGlyphs = {0.0, -8.0, 96.0, 48.0};
const AGRect kTarget = {100.0, 0.0, 1100.0, 200.0};

TEST(TalvaneLayout, MappingKeepsTheFontSizeAndAnchorsTheBeginBand) {
  CProline middle = {kProlineTypeSustained, kProlineTailMiddle, kProlineTailMiddle, 0};
  AGAffineTransform t =
      CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, kTarget, middle, 48.0f);
  AGPoint p = Map(t, 0, 24);
  EXPECT_NEAR(p.x, 100.0, kEps);
  EXPECT_NEAR(p.y, 100.0, kEps);
  EXPECT_NEAR(t.a, 1.0, kEps);
  EXPECT_NEAR(t.d, 1.0, kEps);

  // 96 points doubles the scale; a device scale of 2 is undone.
  t = CStdTalvane::LowComputeNatToMapAFT(AGAffineTransform{2, 0, 0, 4, 0, 0}, kGlyphs, kTarget,
                                         middle, 96.0f);
  EXPECT_NEAR(t.a, 1.0, kEps);
  EXPECT_NEAR(t.d, 0.5, kEps);

  CProline up = {kProlineTypeSustained, kProlineTailUp, kProlineTailUp, 0};
  t = CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, kTarget, up, 48.0f);
  EXPECT_NEAR(Map(t, 0, 47.4).y, 200.0, 1e-9);
  CProline down = {kProlineTypeSustained, kProlineTailDown, kProlineTailDown, 0};
  t = CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, kTarget, down, 48.0f);
  EXPECT_NEAR(Map(t, 0, -7.4).y, 0.0, 1e-9);

  // Without a line the text's middle (24) is the anchor, whatever begin says.
  CProline none = {kProlineTypeNone, kProlineTailUp, kProlineTailUp, 0};
  t = CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, kTarget, none, 48.0f);
  EXPECT_NEAR(Map(t, 0, 24).y, 100.0, kEps);

  // Empty glyph bounds: identity.
  EXPECT_EQ(CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kAGNullRect, kTarget,
                                               middle, 48.0f),
            kAGAffineTransformIdentity);
}

TEST(TalvaneLayout, MappingShrinksAboutTheAnchorWhenTheTextDoesNotFit) {
  CProline middle = {kProlineTypeSustained, kProlineTailMiddle, kProlineTailMiddle, 0};
  // 48 units of room for 96 units of glyphs: half size, right edge on the target's.
  AGRect narrow = {100.0, 0.0, 148.0, 200.0};
  AGAffineTransform t =
      CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, narrow, middle, 48.0f);
  EXPECT_NEAR(t.a, 0.5, kEps);
  EXPECT_NEAR(Map(t, 96, 24).x, 148.0, kEps);
  EXPECT_NEAR(Map(t, 0, 24).y, 100.0, kEps);

  // 28 units of height for 56 of glyphs: half size too.
  AGRect low = {100.0, 0.0, 1100.0, 28.0};
  t = CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, low, middle, 48.0f);
  EXPECT_NEAR(t.d, 0.5, kEps);

  // A target with no width shrinks to nothing instead of mirroring.
  AGRect reversed = {100.0, 0.0, 50.0, 200.0};
  t = CStdTalvane::LowComputeNatToMapAFT(kAGAffineTransformIdentity, kGlyphs, reversed, middle, 48.0f);
  EXPECT_GE(t.a, 0.0);
  EXPECT_TRUE(std::isfinite(t.tx) && std::isfinite(t.ty));
}

TEST(TalvaneLayout, RoomForTheLineStartsAtTheGlyphsRightEdge) {
  AGAffineTransform t = AGAffineTransformConcatTranslation(kAGAffineTransformIdentity, 100.0, 76.0);
  AGRect room = CStdTalvane::LowComputeRestNatBounds(t, false, kGlyphs, kTarget);
  ExpectRect(room, 96.0, -76.0, 1000.0, 124.0);
  // An empty text path: the whole target.
  room = CStdTalvane::LowComputeRestNatBounds(t, true, kGlyphs, kTarget);
  ExpectRect(room, 0.0, -76.0, 1000.0, 124.0);
  // Less than 4 units after the glyphs: no line.
  AGRect tight = {100.0, 0.0, 199.9, 200.0};
  EXPECT_EQ(CStdTalvane::LowComputeRestNatBounds(t, false, kGlyphs, tight), kAGNullRect);
  EXPECT_EQ(CStdTalvane::LowComputeRestNatBounds(t, false, kAGNullRect, kTarget), kAGNullRect);
}

TEST(TalvaneLayout, IteratedLineOfLengthHundredHasFourWholeDashes) {
  ATNumberArray<AGRect> dashes = CStdTalvane::LowProlineDashes(100.0, 2.0, true);
  ASSERT_EQ(dashes.Length(), 4u);
  const double starts[] = {8, 32, 56, 80};
  for (uint32_t i = 0; i < 4; ++i) ExpectRect(dashes[i], starts[i], -1, starts[i] + 16, 1);

  // A rest between the thickness and a dash length becomes a last short dash.
  dashes = CStdTalvane::LowProlineDashes(110.0, 2.0, true);
  ASSERT_EQ(dashes.Length(), 5u);
  ExpectRect(dashes[4], 104, -1, 110, 1);

  // Aligned to the end: the last dash ends exactly at the length.
  dashes = CStdTalvane::LowProlineDashes(100.0, 2.0, false);
  ASSERT_FALSE(dashes.IsEmpty());
  EXPECT_NEAR(dashes.Last().x2, 100.0, kEps);
}

TEST(TalvaneLayout, ProlineRunsFromTheTextEndToTheRoomsRightEdge) {
  const AGRect room = {96.0, -76.0, 1000.0, 124.0};
  CProline sustained = {kProlineTypeSustained, kProlineTailMiddle, kProlineTailMiddle, 0};
  AGPath path = CStdTalvane::LowBuildPathOfProline(sustained, AGPoint{96.0, 0.0}, kGlyphs, room);
  ExpectRect(path.GetBoundingBox(), 96.0, 23.0, 1000.0, 25.0, 1e-3);

  // Middle to Up: the line climbs to the room's top edge.
  CProline climbing = {kProlineTypeSustained, kProlineTailMiddle, kProlineTailUp, 0};
  path = CStdTalvane::LowBuildPathOfProline(climbing, AGPoint{96.0, 0.0}, kGlyphs, room);
  AGRect box = path.GetBoundingBox();
  EXPECT_NEAR(box.y2, 124.0, 1.5);
  EXPECT_NEAR(box.x1, 96.0, 1.5);

  // 9600 units or more of Iterated line are drawn solid: one rectangle.
  CProline iterated = {kProlineTypeIterated, kProlineTailMiddle, kProlineTailMiddle, 0};
  AGRect longRoom = {0.0, -100.0, 9700.0, 100.0};
  path = CStdTalvane::LowBuildPathOfProline(iterated, AGPoint{0.0, 0.0}, kGlyphs, longRoom);
  ExpectRect(path.GetBoundingBox(), 0.0, 23.0, 9700.0, 25.0, 1e-2);

  CProline none = {kProlineTypeNone, 0, 0, 0};
  EXPECT_TRUE(CStdTalvane::LowBuildPathOfProline(none, AGPoint{0, 0}, kGlyphs, room).IsEmpty());
  EXPECT_TRUE(
      CStdTalvane::LowBuildPathOfProline(sustained, AGPoint{0, 0}, kGlyphs, kAGNullRect).IsEmpty());
}

}  // namespace
