// Test support for drawing: a small bitmap port read back pixel by pixel in
// kit coordinates (y up: pixel (x, y) covers [x, x + 1) x [y, y + 1)).
// Pixels are premultiplied 0xAARRGGBB words: opaque red 0xFFFF0000, red at
// alpha 128 0x80800000.
#ifndef AG_CONTEXT_TEST_PORT_H
#define AG_CONTEXT_TEST_PORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"

inline constexpr uint32_t kOpaqueRed = 0xFFFF0000u;
inline constexpr uint32_t kOpaqueBlue = 0xFF0000FFu;
inline constexpr uint32_t kOpaqueGreen = 0xFF00FF00u;

class TestPort {
 public:
  TestPort(uint32_t width, uint32_t height) : mWidth(width), mHeight(height) {
    EXPECT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(width, height, &mPort), 0);
  }

  AGNativePort* Port() const { return mPort.get(); }
  AGContext Context() const {
    return AGContext(mPort.get(), {0.0, 0.0, double(mWidth), double(mHeight)});
  }

  // The word of pixel (x, y); y counts up from the bottom row.
  uint32_t At(int x, int y) const {
    AGNativeBitmapInfo info;
    if (!AGGraphicsLow::AGNativePortGetBitmap(mPort.get(), &info)) return 0xDEADBEEFu;
    const char* row = reinterpret_cast<const char*>(info.data) +
                      size_t(info.height - 1 - uint32_t(y)) * info.bytesPerRow;
    return reinterpret_cast<const uint32_t*>(row)[x];
  }
  uint32_t Alpha(int x, int y) const { return At(x, y) >> 24; }
  uint32_t Red(int x, int y) const { return (At(x, y) >> 16) & 0xFF; }

  // Number of pixels in [x1, x2) x [y1, y2) holding word.
  int Count(uint32_t word, int x1, int y1, int x2, int y2) const {
    int n = 0;
    for (int y = y1; y < y2; ++y)
      for (int x = x1; x < x2; ++x) n += At(x, y) == word;
    return n;
  }
  int CountAll(uint32_t word) const { return Count(word, 0, 0, int(mWidth), int(mHeight)); }

  // Pixels inside [x1, x2) x [y1, y2) equal word and every other pixel
  // equals outside.
  void ExpectRect(uint32_t word, int x1, int y1, int x2, int y2, uint32_t outside = 0) const {
    EXPECT_EQ(Count(word, x1, y1, x2, y2), (x2 - x1) * (y2 - y1));
    EXPECT_EQ(CountAll(outside), int(mWidth * mHeight) - (x2 - x1) * (y2 - y1));
  }

  // Bounding box of the pixels with any alpha, as (x1, y1, x2, y2) pixel
  // edges; kAGNullRect when none.
  AGRect InkBox() const {
    int x1 = int(mWidth), y1 = int(mHeight), x2 = 0, y2 = 0;
    for (int y = 0; y < int(mHeight); ++y)
      for (int x = 0; x < int(mWidth); ++x)
        if (Alpha(x, y)) {
          x1 = std::min(x1, x), y1 = std::min(y1, y), x2 = std::max(x2, x + 1);
          y2 = std::max(y2, y + 1);
        }
    return x2 ? AGRect{double(x1), double(y1), double(x2), double(y2)} : kAGNullRect;
  }

 private:
  uint32_t mWidth;
  uint32_t mHeight;
  AGNativePortPtr mPort;
};

inline AGBrush SolidBrush(AGColor color) {
  return AGBrush(kAGBrushStyleSolid, color, kAGNullColor);
}

inline AGPen SolidPen(AGColor color, float size, uint32_t sizeMode = kAGPenSizeModeAbsolute) {
  AGPen pen;
  pen.SetStyleSolid(color, size, sizeMode);
  return pen;
}

inline AGPath RectPath(const AGRect& r) {
  AGPath path;
  path.AddRect(r);
  return path;
}

#endif
