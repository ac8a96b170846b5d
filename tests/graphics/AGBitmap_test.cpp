#include "graphics/AGBitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "graphics/AGImage.h"
#include "graphics/AGImageTestFiles.h"

namespace {

uint32_t WordAt(const AGBitmapBase& bitmap, size_t index) {
  uint32_t word;
  std::memcpy(&word, bitmap.GetData() + index * 4, 4);
  return word;
}

AGBrush Solid(AGColor color) { return AGBrush(kAGBrushStyleSolid, color, kAGNullColor); }

// A bitmap whose pixels all differ: (x, y) is AGColorMake(x * 50, y * 50, 200).
void Paint(AGBitmapBase& bitmap) {
  for (uint32_t y = 0; y < bitmap.GetHeight(); ++y)
    for (uint32_t x = 0; x < bitmap.GetWidth(); ++x)
      bitmap.SetPixelColor(int32_t(x), int32_t(y), AGColorMake(x * 50, y * 50, 200));
}

// ---------------------------------------------------------------------------
// Making bitmaps

TEST(BitmapMaking, NewBitmapIsTransparentWordsRowByRow) {
  AGBitmap bitmap(5, 3);
  ASSERT_TRUE(bitmap.IsOpen());
  EXPECT_EQ(bitmap.GetBytesPerPixel(), 4u);
  EXPECT_EQ(bitmap.GetRowLength(), 5u);
  EXPECT_EQ(bitmap.GetSize(), (AGSize{5, 3}));
  EXPECT_EQ(bitmap.GetDataSize(), 5u * 3u * 4u);
  EXPECT_EQ(bitmap.GetByteOrder(), 1u);
  for (size_t i = 0; i < 15; ++i) EXPECT_EQ(WordAt(bitmap, i), 0u);
  AGContext context = bitmap.GetContext();
  EXPECT_EQ(context.nativePort, bitmap.GetNativePort());
  EXPECT_EQ(context.bounds, (AGRect{0, 0, 5, 3}));
}

TEST(BitmapMaking, SizesAreRoundedAndImpossibleOnesLeaveItClosed) {
  AGBitmap rounded(AGSize{2.5, 2.4});
  EXPECT_EQ(rounded.GetSize(), (AGSize{3, 2}));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (AGSize size : {AGSize{0, 7}, AGSize{-1, 4}, AGSize{nan, 4}, AGSize{0.4, 10},
                      AGSize{16385, 8192}, AGSize{40000, 1}, AGSize{1e300, 1e300}}) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    AGBitmap bitmap(size);
    EXPECT_FALSE(bitmap.IsOpen());
    EXPECT_EQ(bitmap.GetNativePort(), nullptr);
    EXPECT_EQ(bitmap.GetData(), nullptr);
    EXPECT_EQ(bitmap.GetContext().nativePort, nullptr);
    EXPECT_EQ(bitmap.GetPixelColor(0, 0), kAGNullColor);
    bitmap.SetPixelColor(0, 0, kAGColorRed);
    bitmap.ClearPixels(kAGColorRed);
  }
}

// ---------------------------------------------------------------------------
// Pixels

TEST(BitmapPixels, YCountsFromTheBottomRowAndColoursBecomeArgbWords) {
  AGBitmap bitmap(4, 3);
  bitmap.SetPixelColor(0, 0, 0x11223344u);
  EXPECT_EQ(WordAt(bitmap, 2 * 4), 0x44112233u);  // first pixel of the last row
  bitmap.SetPixelColor(3, 2, 0xAABBCCDDu);
  EXPECT_EQ(WordAt(bitmap, 3), 0xDDAABBCCu);  // last pixel of the first row
  EXPECT_EQ(bitmap.GetPixelColor(0, 0), 0x11223344u);
  EXPECT_EQ(bitmap.GetPixelColor(3, 2), 0xAABBCCDDu);

  std::vector<uint8_t> before(bitmap.GetData(), bitmap.GetData() + bitmap.GetDataSize());
  for (auto [x, y] : {std::pair{4, 0}, {0, 3}, {-1, 0}, {0, -1}}) {
    bitmap.SetPixelColor(x, y, kAGColorWhite);
    EXPECT_EQ(bitmap.GetPixelColor(x, y), kAGNullColor);
  }
  EXPECT_EQ(std::memcmp(before.data(), bitmap.GetData(), before.size()), 0);
}

TEST(BitmapPixels, DrawingReadsBackPremultiplied) {
  AGBitmap bitmap(4, 3);
  AGContext context = bitmap.GetContext();
  context.brush = Solid(kAGColorRed);
  context.DrawRect({1, 1, 3, 2});
  context.brush = Solid(AGColorMake(255, 0, 0, 128));
  context.DrawRect({0, 0, 1, 1});
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      AGColor expected = (y == 1 && x >= 1 && x < 3) ? kAGColorRed : kAGNullColor;
      if (x == 0 && y == 0) expected = 0x80000080u;  // half red, premultiplied
      EXPECT_EQ(bitmap.GetPixelColor(x, y), expected) << x << ", " << y;
    }
  }
}

TEST(BitmapPixels, ClearPixelsSetsEveryWordAndWrittenPixelsReachImages) {
  AGBitmap bitmap(3, 2);
  bitmap.ClearPixels(0x10203040u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(WordAt(bitmap, i), 0x40102030u);
  bitmap.SetPixelColor(2, 1, kAGColorGreen);
  AGImage image(bitmap);
  AGBitmap copy(image);
  EXPECT_EQ(copy.GetPixelColor(2, 1), kAGColorGreen);
  EXPECT_EQ(copy.GetPixelColor(0, 0), 0x10203040u);
}

// ---------------------------------------------------------------------------
// Bitmaps from images

TEST(BitmapFromImage, StandardKeepsRowsAndFlippedTurnsThemUpsideDown) {
  AGBitmap source(3, 4);
  Paint(source);
  AGImage image(source);
  AGBitmap standard(image, kAGBitmapTypeStandard);
  AGBitmap flipped(image, kAGBitmapTypeFlipped);
  ASSERT_EQ(standard.GetSize(), (AGSize{3, 4}));
  ASSERT_EQ(flipped.GetSize(), (AGSize{3, 4}));
  EXPECT_EQ(flipped.GetType(), kAGBitmapTypeFlipped);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 3; ++x) {
      EXPECT_EQ(standard.GetPixelColor(x, y), source.GetPixelColor(x, y)) << x << ", " << y;
      EXPECT_EQ(flipped.GetPixelColor(x, y), source.GetPixelColor(x, 3 - y)) << x << ", " << y;
    }
  }
  EXPECT_FALSE(AGBitmap(kAGNullImage).IsOpen());
  EXPECT_TRUE(AGImage(AGBitmap(0, 0)).IsEmpty());
}

// ---------------------------------------------------------------------------
// Pixel access to someone else's port

TEST(BitmapContext, ReadsAndWritesAPortItDoesNotOwn) {
  AGNativePortPtr port;
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(4, 3, &port), 0);
  AGContext context(port.get(), {0, 0, 4, 3});
  context.brush = Solid(kAGColorBlue);
  context.DrawRect({0, 0, 2, 1});
  {
    AGBitmapContext access(context);
    ASSERT_TRUE(access.IsOpen());
    EXPECT_EQ(access.GetSize(), (AGSize{4, 3}));
    EXPECT_EQ(access.GetPixelColor(1, 0), kAGColorBlue);
    EXPECT_EQ(access.GetPixelColor(2, 0), kAGNullColor);
    access.SetPixelColor(3, 2, kAGColorRed);
  }
  // The port outlived its accessor and shows what was written through it.
  AGNativeBitmapInfo info;
  ASSERT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info));
  EXPECT_EQ(info.data[3], 0xFFFF0000u);

  EXPECT_FALSE(AGBitmapContext(static_cast<AGNativePort*>(nullptr)).IsOpen());
  ScratchDir dir;
  AGNativePortPtr svg;
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateFile(dir.Path("a.svg").c_str(), kAGNativePortSVG,
                                                  {10, 10}, &svg),
            0);
  AGBitmapContext vector(svg.get());
  EXPECT_FALSE(vector.IsOpen());
  EXPECT_EQ(vector.GetPixelColor(0, 0), kAGNullColor);
}

// ---------------------------------------------------------------------------
// Images drawn by a procedure

struct ProcCall {
  int calls = 0;
  AGRect rect = kAGNullRect;
};

void FillRed(AGContext& context, const AGRect& rect, void* data) {
  auto* call = static_cast<ProcCall*>(data);
  call->calls += 1;
  call->rect = rect;
  context.brush = Solid(kAGColorRed);
  context.DrawRect(rect);
}

// Pixels of image that are red: exactly [x1, x2) x [y1, y2), the rest clear.
void ExpectRedRect(const AGImage& image, int x1, int y1, int x2, int y2) {
  AGBitmap bitmap(image);
  for (int32_t y = 0; y < int32_t(bitmap.GetHeight()); ++y)
    for (int32_t x = 0; x < int32_t(bitmap.GetWidth()); ++x)
      EXPECT_EQ(bitmap.GetPixelColor(x, y),
                x >= x1 && x < x2 && y >= y1 && y < y2 ? kAGColorRed : kAGNullColor)
          << x << ", " << y;
}

TEST(ImageWithProc, MarginGrowsTheBitmapAndShiftsTheDrawing) {
  ProcCall call;
  std::unique_ptr<AGImage> image =
      AGImageCreateWithProc(FillRed, &call, {5, 5, 15, 9}, 2, kAGAffineTransformIdentity);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(call.calls, 1);
  EXPECT_EQ(call.rect, (AGRect{0, 0, 10, 4}));
  EXPECT_EQ(image->GetSize(), (AGSize{14, 8}));
  EXPECT_EQ(image->GetKind(), kAGImageKindOwned);
  ExpectRedRect(*image, 2, 2, 12, 6);
}

TEST(ImageWithProc, TransformComesBeforeTheMargin) {
  ProcCall call;
  // Halved first, then moved by the margin: (0, 0, 10, 4) lands on (1, 1, 6, 3).
  std::unique_ptr<AGImage> image =
      AGImageCreateWithProc(FillRed, &call, {0, 0, 10, 4}, 1, {0.5, 0, 0, 0.5, 0, 0});
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetSize(), (AGSize{12, 6}));
  ExpectRedRect(*image, 1, 1, 6, 3);
}

TEST(ImageWithProc, NoImageWithoutAnArea) {
  const int64_t count = AGImage::GetImageGlobalCount();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ProcCall call;
  for (auto [rect, margin] : {std::pair{AGRect{0, 0, 0, 4}, 2.0},
                              {AGRect{0, 0, 10, -4}, 0.0},
                              {AGRect{0, 0, nan, 4}, 0.0},
                              {AGRect{0, 0, 10, 4}, -3.0},
                              {AGRect{0, 0, 10, 4}, nan}}) {
    EXPECT_EQ(AGImageCreateWithProc(FillRed, &call, rect, margin, kAGAffineTransformIdentity),
              nullptr);
  }
  EXPECT_EQ(call.calls, 0);
  EXPECT_EQ(AGImage::GetImageGlobalCount(), count);
}

}  // namespace
