// The sonogram strip drawn through the graphics kit into a bitmap, as the
// scene painter draws it on screen and into exported pictures.
#include "StudioSonogramPainter.h"

#include <gtest/gtest.h>

#include <vector>

#include "StudioColorMap.h"
#include "StudioSonogram.h"
#include "StudioTestRecordings.h"
#include "graphics/AGBitmap.h"
#include "kit/QVErrors.h"

namespace {

constexpr int kRate = 32000;
// Opaque grey (0xRRGGBBAA).
constexpr AGColor kBackground = 0x808080FF;

// A colour map word 0xAARRGGBB as the kit's colour 0xRRGGBBAA.
AGColor AsColor(uint32_t pixel) { return (pixel << 8) | (pixel >> 24); }

class StudioSonogramPainterTest : public testing::Test {
 protected:
  void SetUp() override {
    // 1 kHz at -6 dBFS: bin 64 of 2048 at 32 kHz; the rows below show the
    // strip at 100 rows for 0 to 16 kHz, 160 Hz a row: the tone and its
    // neighbours (984 to 1016 Hz) lie in row 6.
    std::string path = folder.File("tone.wav");
    ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 1, StudioSine(4 * kRate, kRate, 1000.0, 0.5f)));
    ASSERT_EQ(sonogram.Open(path), 0);
    StudioSonogram::Settings settings;
    settings.axis = StudioFrequencyAxis(StudioFrequencyAxis::Scale::kLinear, 0.0, 16000.0);
    ASSERT_EQ(sonogram.SetSettings(settings), 0);
    bitmap.ClearPixels(kBackground);
  }

  // Pixel colour at (x, y), y from the bottom.
  AGColor At(int32_t x, int32_t y) const { return bitmap.GetPixelColor(x, y); }

  StudioTestFolder folder;
  StudioSonogram sonogram{1};
  AGBitmap bitmap{300, 140};
};

TEST_F(StudioSonogramPainterTest, TheStripFillsItsRectangleUprightOnceTheTilesArrive) {
  const AGRect rect{20.0, 10.0, 220.0, 110.0};
  bool complete = true;
  ASSERT_EQ(
      StudioSonogramPainter::Draw(sonogram, bitmap.GetContext(), rect, 1000.0, 3000.0, &complete),
      0);
  EXPECT_FALSE(complete);
  // Nothing had arrived: what was there shows.
  for (int32_t y = 0; y < 140; ++y) {
    for (int32_t x = 0; x < 300; ++x) ASSERT_EQ(At(x, y), kBackground) << x << "," << y;
  }

  ASSERT_TRUE(sonogram.WaitUntilIdle(20000));
  ASSERT_EQ(
      StudioSonogramPainter::Draw(sonogram, bitmap.GetContext(), rect, 1000.0, 3000.0, &complete),
      0);
  EXPECT_TRUE(complete);
  const AGColor tone = AsColor(StudioColorMap::Color(240));
  const AGColor floor = AsColor(StudioColorMap::Color(0));
  for (int32_t x = 0; x < 300; ++x) {
    for (int32_t y = 0; y < 140; ++y) {
      bool inside = x >= 20 && x < 220 && y >= 10 && y < 110;
      AGColor want = !inside ? kBackground : (y - 10 == 6 ? tone : floor);
      ASSERT_EQ(At(x, y), want) << x << "," << y;
    }
  }
}

TEST_F(StudioSonogramPainterTest, EmptyRectanglesDrawNothingAndBadRangesAreRefused) {
  bool complete = true;
  EXPECT_EQ(StudioSonogramPainter::Draw(sonogram, bitmap.GetContext(), {50, 50, 50, 90}, 0.0,
                                        1000.0, &complete),
            0);
  EXPECT_EQ(StudioSonogramPainter::Draw(sonogram, bitmap.GetContext(), {50, 50, NAN, 90}, 0.0,
                                        1000.0, &complete),
            0);
  EXPECT_EQ(StudioSonogramPainter::Draw(sonogram, bitmap.GetContext(), {0, 0, 100, 100}, 500.0,
                                        500.0, &complete),
            kQVErrSonogram);
  EXPECT_FALSE(complete);
  for (int32_t y = 0; y < 140; ++y) {
    for (int32_t x = 0; x < 300; ++x) ASSERT_EQ(At(x, y), kBackground);
  }
}

}  // namespace
