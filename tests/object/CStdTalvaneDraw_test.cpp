// Drawing of the Talvane object into a bitmap: which views draw, where the
// ink lands, and the missing-font label.
#include <gtest/gtest.h>

#include "TalvaneTestSupport.h"

#include <cstring>

#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "host/QVDrawEvent.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVValue.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "object/CStdTalvaneResources.h"

namespace {

constexpr uint32_t kWidth = 400;
constexpr uint32_t kHeight = 100;


// Ink of a bitmap: the box of the pixels that are not transparent, in
// kit coordinates (y up), and whether any pixel is pure opaque red.
struct Ink {
  bool any = false;
  uint32_t x1 = kWidth, y1 = kHeight, x2 = 0, y2 = 0;
  bool red = false;
};

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(kWidth, kHeight, &port), 0);
    context = AGContext(port.get(), AGRect{0, 0, kWidth, kHeight});
    brush.SetStyleSolid(kAGColorBlack);
    event.target = AGRect{10, 10, 390, 90};
    event.brush = &brush;
    event.pen = &pen;
    event.flags = kQVDrawEventScore;
  }

  Ink Measure() {
    AGNativeBitmapInfo info;
    EXPECT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info));
    Ink ink;
    for (uint32_t row = 0; row < info.height; ++row) {
      const uint32_t* pixels = reinterpret_cast<const uint32_t*>(
          reinterpret_cast<const unsigned char*>(info.data) + row * info.bytesPerRow);
      for (uint32_t x = 0; x < info.width; ++x) {
        if (pixels[x] == 0) continue;
        uint32_t y = info.height - 1 - row;
        ink.any = true;
        ink.x1 = std::min(ink.x1, x);
        ink.x2 = std::max(ink.x2, x);
        ink.y1 = std::min(ink.y1, y);
        ink.y2 = std::max(ink.y2, y);
        if (pixels[x] == 0xFFFF0000u) ink.red = true;
      }
    }
    return ink;
  }

  AGNativePortPtr port;
  AGContext context;
  AGBrush brush;
  AGPen pen;  // invisible: the symbols are filled only
  QVDrawEvent event{};
  StandaloneTalvane talvane{"-default"};
};

TEST_F(DrawTest, ScoreViewDrawsInsideTheTargetAndReachesItsRightEdgeWithTheLine) {
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  Ink ink = Measure();
  ASSERT_TRUE(ink.any);
  EXPECT_GE(ink.x1, 10u);
  EXPECT_LE(ink.x2, 390u);
  EXPECT_GE(ink.y1, 10u);
  EXPECT_LE(ink.y2, 90u);
  // The sustained line runs to the target's right edge.
  EXPECT_GE(ink.x2, 388u);
  EXPECT_FALSE(ink.red);
}

TEST_F(DrawTest, NothingIsDrawnOutsideScoreAndLibraryOrWithInvisibleInk) {
  event.flags = 0;
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  EXPECT_FALSE(Measure().any);

  event.flags = kQVDrawEventScore;
  brush.SetStyleNone();
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  EXPECT_FALSE(Measure().any);

  brush.SetStyleSolid(kAGColorBlack);
  context.alpha = 0.0f;
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  EXPECT_FALSE(Measure().any);
}

TEST_F(DrawTest, OpaqueFlagRestoresTheAlphaOfATransparentContext) {
  context.alpha = 0.0f;
  event.flags = kQVDrawEventScore | kQVDrawEventOpaque;
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  EXPECT_TRUE(Measure().any);
  // The host's context is left as it was.
  EXPECT_EQ(context.alpha, 0.0f);
}

TEST_F(DrawTest, WithoutRoomRightOfTheTextOnlyTheTextIsDrawn) {
  // Shrink the target until the text fills it: the line has no room.
  QVDictionary big;
  EXPECT_EQ(big.SetValue("FontSize", QVValueSetasFloat64(200)), 0);
  EXPECT_EQ(talvane.object()._apmSetObjectProperties(big), 0);
  event.target = AGRect{10, 10, 110, 90};
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  Ink withLine = Measure();
  ASSERT_TRUE(withLine.any);

  SetUp();
  QVDictionary none;
  EXPECT_EQ(none.SetValue("LineType", QVValueSetasQVString("None")), 0);
  EXPECT_EQ(talvane.object()._apmSetObjectProperties(none), 0);
  event.target = AGRect{10, 10, 110, 90};
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  Ink textOnly = Measure();
  EXPECT_EQ(withLine.x2, textOnly.x2);
  EXPECT_LE(withLine.x2, 110u);
}

TEST_F(DrawTest, LibraryViewFillsTheCellWhateverTheFontSize) {
  event.flags = kQVDrawEventLibrary;
  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  Ink small = Measure();
  ASSERT_TRUE(small.any);
  // Proportional to the natural bounds, centred: the width is the limit.
  EXPECT_LE(small.x1, 12u);
  EXPECT_GE(small.x2, 386u);
}

// An object made without "-default" keeps the size 0 (documents may hold it
// too): its symbols and line shrink to nothing, and the host's port stays
// usable for the objects drawn after it.
TEST_F(DrawTest, ASizeZeroObjectDrawsNothingAndLeavesThePortUsable) {
  StandaloneTalvane bare;
  QVDictionary settings;
  EXPECT_EQ(settings.SetValue("UnicodeText", QVValueSetasQVString("E01C;E033")), 0);
  EXPECT_EQ(settings.SetValue("LineType", QVValueSetasQVString("Iterated")), 0);
  EXPECT_EQ(bare.object()._apmSetObjectProperties(settings), 0);
  ASSERT_EQ(bare.object().FontSize(), 0.0f);

  for (uint32_t flags : {kQVDrawEventScore, kQVDrawEventLibrary}) {
    event.flags = flags;
    event.rotation = 0.5f;
    EXPECT_EQ(bare.object()._apmDraw(context, event), 0);
  }
  // The library cell ignores the size; the score view shows nothing.
  SetUp();
  event.flags = kQVDrawEventScore;
  EXPECT_EQ(bare.object()._apmDraw(context, event), 0);
  EXPECT_FALSE(Measure().any);

  EXPECT_EQ(talvane.object()._apmDraw(context, event), 0);
  EXPECT_TRUE(Measure().any);
}

TEST_F(DrawTest, MissingFontLabelIsRedAndCentredEvenWithInvisibleInk) {
  brush.SetStyleNone();
  AGContext copy(context);
  talvane.object().LowDrawFontError(copy, event.target, 0.0);
  Ink ink = Measure();
  ASSERT_TRUE(ink.any);
  EXPECT_TRUE(ink.red);
  EXPECT_NEAR((ink.x1 + ink.x2) / 2.0, 200.0, 3.0);
  EXPECT_NEAR((ink.y1 + ink.y2) / 2.0, 50.0, 3.0);
}

}  // namespace
