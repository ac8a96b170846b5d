// Bitmaps: RGBA pixel buffers with a drawing port.
//
// AGBitmap owns its pixel memory and the port drawing into it; images can be
// made from it (AGImage::SetupFromBitmap) and drawn into it. AGBitmapContext
// gives the same pixel access to a bitmap port that someone else owns.
//
// Pixels: every bitmap made here holds 4 bytes a pixel, each the native
// 32-bit word 0xAARRGGBB with red, green and blue premultiplied by alpha
// (opaque red 0xFFFF0000, red at half opacity 0x80800000), rows stored from
// the top row down. Pixel coordinates count y from the bottom row, as the
// kit's drawing does: pixel (x, y) covers [x, x + 1) x [y, y + 1) in the
// bitmap's context.
#ifndef AG_BITMAP_H
#define AG_BITMAP_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "graphics/AGContext.h"
#include "graphics/AGGeometry.h"
#include "graphics/AGGraphicsLow.h"

class AGImage;

// The largest raster the kit makes or decodes: 2^27 = 134217728 pixels
// (512 MB), enough for the photographs of 100-megapixel cameras (11648 x
// 8736), for example 16384 x 8192. Larger bitmaps are not made and larger
// image files are refused (kQVErrImageTooLarge, the limit in the message)
// before any pixel memory is allocated.
inline constexpr uint64_t kAGBitmapMaxPixels = uint64_t(1) << 27;
// The drawing service's limit on either side of a bitmap, in pixels.
inline constexpr uint32_t kAGBitmapMaxSide = 32767;

// How images are drawn into a new bitmap (AGBitmap(image, type)).
// kAGBitmapTypeFlipped draws them upside down: the image's first row lands in
// the bottom row of the bitmap (row 0 of the data holds its last row).
using AGBitmapType = uint32_t;
enum : uint32_t {
  kAGBitmapTypeStandard = 0,
  kAGBitmapTypeFlipped = 1,
};

// Pixel access common to both bitmap classes. Closed (no port, no data, size
// 0) when the bitmap could not be made or the port has no pixels.
class AGBitmapBase {
 public:
  AGBitmapBase() = default;
  AGBitmapBase(const AGBitmapBase&) = delete;
  AGBitmapBase& operator=(const AGBitmapBase&) = delete;
  virtual ~AGBitmapBase();

  bool IsOpen() const { return mNativePort != nullptr && mData != nullptr; }
  // The drawing port over the pixels; not owned by the caller.
  AGNativePort* GetNativePort() const { return mNativePort; }
  // The pixel memory, with every drawing done so far in it, or null when
  // closed. After writing into it directly, call PixelsChanged before
  // drawing again.
  uint8_t* GetData() const;
  void PixelsChanged();
  // Bytes of pixel memory (rows of GetRowLength pixels, GetHeight rows).
  size_t GetDataSize() const { return mDataSize; }
  // 1, 2 or 4; the pixel operations below need 4.
  uint32_t GetBytesPerPixel() const { return mBytesPerPixel; }
  // Pixels from the start of one row to the start of the next (at least
  // the width).
  uint32_t GetRowLength() const { return mRowLength; }
  uint32_t GetWidth() const { return mWidth; }
  uint32_t GetHeight() const { return mHeight; }
  AGSize GetSize() const { return {double(mWidth), double(mHeight)}; }
  // 1: a pixel is the word 0xAARRGGBB. Every bitmap on this platform has it.
  uint32_t GetByteOrder() const { return mByteOrder; }

  // The colour 0xRRGGBBAA of pixel (x, y) is stored as the word 0xAARRGGBB
  // (the colour is taken as already premultiplied) and read back the same
  // way, so a drawn half-transparent red reads 0x80000080. Pixels outside
  // the bitmap are ignored on set and read as kAGNullColor, as is every
  // pixel of a closed bitmap or one without 4 bytes a pixel.
  void SetPixelColor(int32_t x, int32_t y, AGColor color);
  AGColor GetPixelColor(int32_t x, int32_t y) const;
  // Every pixel of the data (row padding included) takes color's word.
  // Nothing for a closed bitmap or one without 4 bytes a pixel.
  void ClearPixels(AGColor color);

 protected:
  // Takes the layout of a bitmap port's pixels; stays closed when port is
  // null or has no pixels.
  void OpenOnPort(AGNativePort* port);

 private:
  // Address of pixel (x, y), or null when outside or not 4 bytes a pixel.
  uint8_t* PixelAddress(int32_t x, int32_t y) const;

  AGNativePort* mNativePort = nullptr;
  uint8_t* mData = nullptr;
  size_t mDataSize = 0;
  uint32_t mBytesPerPixel = 0;
  uint32_t mRowLength = 0;
  uint32_t mWidth = 0;
  uint32_t mHeight = 0;
  uint32_t mByteOrder = 1;
};

// A bitmap that owns its pixels and its port. A zero width or height, more
// than kAGBitmapMaxPixels pixels or pixel memory that cannot be had leave
// it closed (the last two logged as kQVErrImageTooLarge).
class AGBitmap : public AGBitmapBase {
 public:
  // width x height transparent black pixels. type only matters to the
  // constructor from an image.
  AGBitmap(uint32_t width, uint32_t height, AGBitmapType type = kAGBitmapTypeStandard);
  // The size rounded half away from zero; negative or not-a-number sides
  // count as 0.
  explicit AGBitmap(const AGSize& size, AGBitmapType type = kAGBitmapTypeStandard);
  // A bitmap of the image's pixel size with the image drawn at (0, 0),
  // smoothed; upside down for kAGBitmapTypeFlipped. Closed for an empty
  // image.
  explicit AGBitmap(const AGImage& image, AGBitmapType type = kAGBitmapTypeStandard);
  ~AGBitmap() override;

  // kQVNoErr when width x height stays within kAGBitmapMaxPixels and
  // kAGBitmapMaxSide; otherwise kQVErrImageTooLarge, logged with what (a
  // file path or what the pixels are for).
  static long CheckSize(uint32_t width, uint32_t height, const char* what);

  AGBitmapType GetType() const { return mType; }
  // A context on the bitmap's port with bounds (0, 0, width, height); its
  // port is null when the bitmap is closed (then nothing is drawn).
  AGContext GetContext() const;

 private:
  struct FreeMemory {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  void Allocate(uint32_t width, uint32_t height);

  AGBitmapType mType;
  // Declared before the port: the port is released first.
  std::unique_ptr<uint8_t, FreeMemory> mMemory;
  AGNativePortPtr mPort;
};

// Pixel access to a bitmap port owned by someone else, who keeps it alive
// for as long as this object is used; it is never released here.
class AGBitmapContext : public AGBitmapBase {
 public:
  // flag is not used.
  explicit AGBitmapContext(AGNativePort* port, uint32_t flag = 0);
  // The port of context.
  explicit AGBitmapContext(const AGContext& context, uint32_t flag = 0);
};

#endif
