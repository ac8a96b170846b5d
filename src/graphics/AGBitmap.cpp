#include "graphics/AGBitmap.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/AGImage.h"
#include "kit/QVLog.h"

namespace {

// Colour 0xRRGGBBAA <-> pixel word 0xAARRGGBB.
inline uint32_t WordFromColor(AGColor color) { return (color & 0xFFu) << 24 | color >> 8; }
inline AGColor ColorFromWord(uint32_t word) { return word << 8 | word >> 24; }

// A side given in points: rounded half away from zero; negative, tiny and
// not-a-number sides give 0, huge ones a side the size check refuses.
uint32_t SideFromLength(double length) {
  double side = std::round(length);
  if (!(side >= 1.0)) return 0;
  if (side > double(UINT32_MAX)) return UINT32_MAX;
  return uint32_t(side);
}

}  // namespace

// ---------------------------------------------------------------------------
// AGBitmapBase

AGBitmapBase::~AGBitmapBase() = default;

void AGBitmapBase::OpenOnPort(AGNativePort* port) {
  AGNativeBitmapInfo info;
  if (!port || !AGGraphicsLow::AGNativePortGetBitmap(port, &info) || !info.data ||
      info.width == 0 || info.height == 0 || info.bytesPerRow % 4 != 0) {
    return;
  }
  // Bitmap ports hold 32-bit words, 0xAARRGGBB.
  mNativePort = port;
  mData = reinterpret_cast<uint8_t*>(info.data);
  mDataSize = size_t(info.bytesPerRow) * info.height;
  mBytesPerPixel = 4;
  mRowLength = info.bytesPerRow / 4;
  mWidth = info.width;
  mHeight = info.height;
  mByteOrder = 1;
}

uint8_t* AGBitmapBase::GetData() const {
  if (!IsOpen()) return nullptr;
  // Asking the port for its pixels completes any drawing still pending.
  AGNativeBitmapInfo info;
  AGGraphicsLow::AGNativePortGetBitmap(mNativePort, &info);
  return mData;
}

void AGBitmapBase::PixelsChanged() {
  if (mNativePort) AGGraphicsLow::AGNativePortMarkDirty(mNativePort);
}

uint8_t* AGBitmapBase::PixelAddress(int32_t x, int32_t y) const {
  if (!IsOpen() || mBytesPerPixel != 4 || x < 0 || y < 0 || uint32_t(x) >= mWidth ||
      uint32_t(y) >= mHeight) {
    return nullptr;
  }
  size_t row = mHeight - 1 - uint32_t(y);
  return GetData() + (row * mRowLength + uint32_t(x)) * 4;
}

void AGBitmapBase::SetPixelColor(int32_t x, int32_t y, AGColor color) {
  uint8_t* pixel = PixelAddress(x, y);
  if (!pixel) return;
  uint32_t word = WordFromColor(color);
  std::memcpy(pixel, &word, 4);
  PixelsChanged();
}

AGColor AGBitmapBase::GetPixelColor(int32_t x, int32_t y) const {
  const uint8_t* pixel = PixelAddress(x, y);
  if (!pixel) return kAGNullColor;
  uint32_t word;
  std::memcpy(&word, pixel, 4);
  return ColorFromWord(word);
}

void AGBitmapBase::ClearPixels(AGColor color) {
  if (!IsOpen() || mBytesPerPixel != 4) return;
  uint8_t* data = GetData();
  const uint32_t word = WordFromColor(color);
  for (size_t i = 0, n = mDataSize / 4; i < n; ++i) std::memcpy(data + i * 4, &word, 4);
  PixelsChanged();
}

// ---------------------------------------------------------------------------
// AGBitmap

AGBitmap::AGBitmap(uint32_t width, uint32_t height, AGBitmapType type) : mType(type) {
  Allocate(width, height);
}

AGBitmap::AGBitmap(const AGSize& size, AGBitmapType type) : mType(type) {
  Allocate(SideFromLength(size.width), SideFromLength(size.height));
}

AGBitmap::AGBitmap(const AGImage& image, AGBitmapType type) : mType(type) {
  if (image.IsEmpty()) return;
  AGSize size = image.GetSize();
  Allocate(uint32_t(size.width), uint32_t(size.height));
  if (!IsOpen()) return;
  // Upside down: y becomes height - y, so the first row ends at the bottom.
  AGAffineTransform t = kAGAffineTransformIdentity;
  if (type == kAGBitmapTypeFlipped) t = {1.0, 0.0, 0.0, -1.0, 0.0, double(GetHeight())};
  image.Draw(GetContext(), kAGNullPoint, t, true);
}

AGBitmap::~AGBitmap() = default;

long AGBitmap::CheckSize(uint32_t width, uint32_t height, const char* what) {
  if (uint64_t(width) * height <= kAGBitmapMaxPixels && width <= kAGBitmapMaxSide &&
      height <= kAGBitmapMaxSide) {
    return kQVNoErr;
  }
  char text[128];
  std::snprintf(text, sizeof text, "%u x %u pixels; at most %llu pixels, and %u a side", width,
                height, static_cast<unsigned long long>(kAGBitmapMaxPixels), kAGBitmapMaxSide);
  return QVLogStatus(kQVErrImageTooLarge, what, text);
}

void AGBitmap::Allocate(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0) return;
  if (CheckSize(width, height, "bitmap") != kQVNoErr) return;
  // A spare word after the last row keeps code that reads a word past the
  // last pixel inside the memory.
  const size_t bytes = size_t(width) * 4 * height + 4;
  mMemory.reset(static_cast<uint8_t*>(std::calloc(bytes, 1)));
  if (!mMemory) {
    QVLogStatus(kQVErrImageTooLarge, "bitmap", "its pixel memory cannot be had");
    return;
  }
  if (AGGraphicsLow::AGNativePortCreateBitmapWithData(reinterpret_cast<uint32_t*>(mMemory.get()),
                                                      width, height, width * 4,
                                                      &mPort) != kQVNoErr) {
    mMemory.reset();
    return;
  }
  OpenOnPort(mPort.get());
}

AGContext AGBitmap::GetContext() const {
  return AGContext(mPort.get(), {0.0, 0.0, double(GetWidth()), double(GetHeight())});
}

// ---------------------------------------------------------------------------
// AGBitmapContext

AGBitmapContext::AGBitmapContext(AGNativePort* port, uint32_t /*flag*/) { OpenOnPort(port); }

AGBitmapContext::AGBitmapContext(const AGContext& context, uint32_t /*flag*/) {
  OpenOnPort(context.nativePort);
}
