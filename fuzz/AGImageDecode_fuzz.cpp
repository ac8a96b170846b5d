// Fuzz target for image decoding (PNG and JPEG, told apart by their first
// bytes): the input is written to a file that the image registry decodes;
// a decoded image is copied into a bitmap and drawn into a small one.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a file that gives no image returns a negative status and registers
//     nothing;
//   - a decoded image has a whole, non-zero size within the kit's pixel
//     limit, and a bitmap copy of the same size whose pixels are valid
//     premultiplied colours (no component above alpha);
//   - once every AGImage and bitmap is gone, no platform image is left and
//     the registry is empty.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGImage.h"
#include "kit/QVFilePath.h"

namespace {

// Decoded images larger than this are not copied pixel by pixel (a campaign
// spends its time on decoding, not on copies).
constexpr double kMaxCheckedPixels = 1 << 20;

bool IsPremultiplied(AGColor color) {
  const uint32_t alpha = color & 0xFF;
  return (color >> 24) <= alpha && ((color >> 16) & 0xFF) <= alpha && ((color >> 8) & 0xFF) <= alpha;
}

void CheckDecoded(const AGImage& image) {
  const AGSize size = image.GetSize();
  FuzzRequire(size.width >= 1 && size.height >= 1 && size.width == std::floor(size.width) &&
                  size.height == std::floor(size.height),
              "a decoded image has a whole, non-zero size");
  FuzzRequire(size.width * size.height <= static_cast<double>(kAGBitmapMaxPixels),
              "a decoded image keeps to the pixel limit");

  if (size.width * size.height <= kMaxCheckedPixels) {
    AGBitmap copy(image);
    FuzzRequire(copy.IsOpen() && copy.GetWidth() == size.width && copy.GetHeight() == size.height,
                "a bitmap copy has the image's size");
    for (uint32_t y = 0; y < copy.GetHeight(); ++y) {
      for (uint32_t x = 0; x < copy.GetWidth(); ++x) {
        FuzzRequire(IsPremultiplied(copy.GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y))),
                    "decoded pixels are premultiplied colours");
      }
    }
    AGImage owned(copy);
    FuzzRequire(owned.GetSize() == size, "an image of the copy has the same size");
  }

  AGBitmap small(16, 16);
  FuzzRequire(small.IsOpen(), "a small bitmap opens");
  image.DrawInRect(small.GetContext(), AGRect{0.0, 0.0, 16.0, 16.0}, true, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzScratchFolder::Shared().Path("input.image");
  FuzzWriteFile(path, data, size);
  const QVFilePath file(path.c_str());

  long status = 0;
  std::shared_ptr<AGNativeImage> registered = AGImageFilesMgr::RegisterImage(file, &status);
  if (!registered) {
    FuzzRequire(status < 0, "a file without an image returns a negative status");
    FuzzRequire(AGImageFilesMgr::GetRecords().IsEmpty(), "a failed decode registers nothing");
  } else {
    {
      AGImage image;
      FuzzRequire(image.SetupFromFile(file), "a registered file shows as an image");
      FuzzRequire(image.GetNativeImage() == registered.get(), "the registry decodes a file once");
      CheckDecoded(image);
    }
    AGImageFilesMgr::UnregisterImage(registered.get());
    registered.reset();
  }
  FuzzRequire(AGImageFilesMgr::GetRecords().IsEmpty(), "the registry empties");
  FuzzRequire(AGImage::GetImageGlobalCount() == 0 && AGImage::GetImageGlobalBytes() == 0,
              "no platform image outlives its holders");
  return 0;
}
