// The keyboard map drawn into a bitmap: at 600 x 200 pixels a key unit is
// 40 pixels, so each probe below is a point of the key grid whose colour
// follows from StudioKeyboardPicture's colours.
#include "StudioKeyboardPicture.h"

#include <gtest/gtest.h>

#include "StudioKeyboardMap.h"
#include "StudioTestPlugin.h"
#include "graphics/AGBitmap.h"

namespace {

constexpr double kWidth = 600, kHeight = 200, kUnit = 40;
constexpr uint32_t kKeyR = 19, kKeyZ = 44;

// The colour at a point given in key units (y down).
AGColor At(const AGBitmap& bitmap, double x, double y) {
  return bitmap.GetPixelColor(static_cast<int32_t>(x * kUnit), static_cast<int32_t>(kHeight - y * kUnit));
}

// Pixels darker than mid-grey in a rectangle of key units: glyph ink.
int InkIn(const AGBitmap& bitmap, double x1, double y1, double x2, double y2) {
  int ink = 0;
  for (int px = int(x1 * kUnit); px < int(x2 * kUnit); ++px) {
    for (int py = int(kHeight - y2 * kUnit); py < int(kHeight - y1 * kUnit); ++py) {
      if ((bitmap.GetPixelColor(px, py) >> 24) < 0x80) ++ink;
    }
  }
  return ink;
}

size_t IndexOf(const StudioKeyboardMap& map, uint32_t code) {
  for (size_t i = 0; i < map.Keys().size(); ++i) {
    if (map.Keys()[i].code == code) return i;
  }
  return 0;
}

// The plug-in registers the symbol font and layouts, as in the studio.
using StudioKeyboardPictureTest = StudioPluginTest;

TEST_F(StudioKeyboardPictureTest, KeysLevelsAndTheHoveredLevelLandWhereHitTestingFindsThem) {
  StudioKeyboardMap map = StudioKeyboardMap::ForLayout("Brindel");
  ASSERT_TRUE(map.HasLayout());
  EXPECT_EQ(StudioKeyboardPicture::Scale(map, kWidth, kHeight), kUnit);
  AGPoint units = StudioKeyboardPicture::ToKeyUnits(map, kWidth, kHeight, {190, 70});
  EXPECT_EQ(units.x, 4.75);
  EXPECT_EQ(units.y, 1.75);

  AGBitmap bitmap(600, 200);
  ASSERT_TRUE(bitmap.IsOpen());
  // Z's fourth level is empty: its highlight shows alone.
  StudioKeyboardPicture::Draw(map, bitmap, IndexOf(map, kKeyZ), 3);
  EXPECT_EQ(At(bitmap, 0.01, 0.01), StudioKeyboardPicture::kBackground);  // outside the caps
  EXPECT_EQ(At(bitmap, 13.6, 1.5), StudioKeyboardPicture::kBackground);   // left of ISO Return
  EXPECT_EQ(At(bitmap, 5.0, 1.5), StudioKeyboardPicture::kSymbolKey);     // R between its glyphs
  EXPECT_EQ(At(bitmap, 0.2, 1.2), StudioKeyboardPicture::kCaptionKey);    // Tab above its caption
  EXPECT_EQ(At(bitmap, 2.975, 3.275), StudioKeyboardPicture::kHighlight); // Z, Shift + level 3
  EXPECT_EQ(At(bitmap, 2.5, 3.275), StudioKeyboardPicture::kSymbolKey);   // Z, Shift: not hovered

  // R types a symbol at each level: ink in each quarter.
  EXPECT_GT(InkIn(bitmap, 4.6, 1.55, 4.95, 1.9), 0);   // plain, bottom-left
  EXPECT_GT(InkIn(bitmap, 4.6, 1.1, 4.95, 1.45), 0);   // Shift, top-left
  EXPECT_GT(InkIn(bitmap, 5.05, 1.55, 5.4, 1.9), 0);   // level 3, bottom-right
  EXPECT_GT(InkIn(bitmap, 5.05, 1.1, 5.4, 1.45), 0);   // Shift + level 3, top-right
  // The key beside left Shift is not in the layout: a blank cap.
  EXPECT_EQ(InkIn(bitmap, 1.4, 3.1, 2.1, 3.9), 0);

  // Without a layout the caps are blank.
  StudioKeyboardPicture::Draw(StudioKeyboardMap::ForLayout("Nowhere"), bitmap, 0, -1);
  EXPECT_EQ(InkIn(bitmap, 4.6, 1.1, 5.4, 1.9), 0);
  EXPECT_EQ(At(bitmap, 2.975, 3.275), StudioKeyboardPicture::kSymbolKey);
}

TEST(StudioKeyboardPictureSize, AnEmptyBitmapOrAreaDrawsNothing) {
  StudioKeyboardMap map;
  EXPECT_EQ(StudioKeyboardPicture::Scale(map, 0, 100), 0.0);
  AGPoint units = StudioKeyboardPicture::ToKeyUnits(map, 0, 0, {5, 5});
  size_t key = 0;
  int level = 0;
  EXPECT_FALSE(map.HitTest(units, key, level));
  AGBitmap closed(0, 0);
  StudioKeyboardPicture::Draw(map, closed, 0, 0);  // no pixels, no crash
  EXPECT_FALSE(closed.IsOpen());
}

}  // namespace
