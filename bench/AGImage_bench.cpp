// Decoding a 2048 x 2048 RGBA PNG (a 4-megapixel picture, 16 MB of pixels)
// through the kit beside the limit it chases: libpng's own reading of the
// same file into one buffer of RGBA bytes. The kit reads row by row into
// memory that grows with the rows, premultiplies every pixel into a 32-bit
// word and hands the memory to the image without a copy.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/platform/AGImagePlatform_p.h"
#include "kit/QVFilePath.h"

namespace {

constexpr uint32_t kSide = 2048;

// A picture with a gradient and shapes, written once for the whole run and
// removed at its end.
struct PictureFile {
  std::string path = "/tmp/agimage_bench_" + std::to_string(getpid()) + ".png";
  PictureFile() {
    AGNativePortPtr port;
    AGGraphicsLow::AGNativePortCreateBitmap(kSide, kSide, &port);
    AGContext ctx(port.get(), {0, 0, double(kSide), double(kSide)});
    ctx.brush.SetStyleLinearGradient(0x204080FFu, 0xF0C010C0u, 0.4f, 0.5f);
    ctx.DrawRect({0, 0, double(kSide), double(kSide)});
    ctx.brush = AGBrush(kAGBrushStyleSolid, 0xC0302080u, 0);
    ctx.DrawEllipseInRect({100, 200, 1900, 1500});
    AGGraphicsLow::AGNativePortWritePNG(port.get(), path.c_str());
  }
  ~PictureFile() { unlink(path.c_str()); }
};

const std::string& Picture() {
  static const PictureFile file;
  return file.path;
}

void BM_KitDecodePng(benchmark::State& state) {
  const QVFilePath path(Picture().c_str());
  for (auto _ : state) {
    AGNativeImagePtr image;
    if (AGImagePlatform::DecodeFile(path, &image) != 0) {
      state.SkipWithError("decoding failed");
      return;
    }
    benchmark::DoNotOptimize(image.get());
  }
}
BENCHMARK(BM_KitDecodePng)->Unit(benchmark::kMillisecond);

void BM_LibpngDecodePng(benchmark::State& state) {
  std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
  for (auto _ : state) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, Picture().c_str())) {
      state.SkipWithError("libpng cannot read the file");
      return;
    }
    image.format = PNG_FORMAT_RGBA;
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_LibpngDecodePng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
