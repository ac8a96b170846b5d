// Solid colours composited through coverage masks straight into pixels,
// beside the compositing rule worked out channel by channel.
#include "graphics/platform/AGMaskBlend_p.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// x * a / 255 rounded to nearest (never a tie: 255 is odd).
uint32_t Product(uint32_t x, uint32_t a) { return (2 * x * a + 255) / 510; }

// The rule, one channel at a time: s' = s * m, then s' + d * (255 - s'.alpha),
// held at 255.
uint32_t Expected(uint32_t colour, uint32_t m, uint32_t d) {
  if (m == 0) return d;
  const uint32_t sa = Product(colour >> 24, m);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t s = Product((colour >> shift) & 0xFF, m);
    out |= std::min(255u, s + Product((d >> shift) & 0xFF, 255 - sa)) << shift;
  }
  return out;
}

// A premultiplied word: no channel above alpha.
uint32_t Premultiplied(std::mt19937& random) {
  const uint32_t a = random() % 256;
  uint32_t word = a << 24;
  for (int shift = 0; shift < 24; shift += 8) word |= (a ? random() % (a + 1) : 0) << shift;
  return word;
}

TEST(MaskBlend, EveryPixelFollowsTheRuleAcrossRowWidthsAndCoverageRuns) {
  std::mt19937 random(4242);
  // Widths around the 4- and 16-pixel steps; coverage in runs of nothing,
  // full and partial coverage, as masks of outlines have them.
  for (int width : {1, 3, 4, 5, 15, 16, 17, 31, 33, 64, 70}) {
    for (uint32_t colour : {0xFF000000u, 0xFFC02010u, 0x80402000u, 0x00000000u, 0x01010101u,
                            Premultiplied(random), Premultiplied(random)}) {
      const int height = 3;
      const size_t maskStride = size_t(width) + 5, pixelStride = size_t(width) * 4 + 12;
      std::vector<uint8_t> mask(maskStride * height);
      for (size_t i = 0; i < mask.size();) {
        const size_t run = 1 + random() % 20;
        const uint32_t kind = random() % 3;
        for (size_t k = 0; k < run && i < mask.size(); ++k, ++i) {
          mask[i] = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(random() % 256);
        }
      }
      std::vector<uint32_t> pixels(pixelStride / 4 * height);
      for (uint32_t& p : pixels) p = Premultiplied(random);
      const std::vector<uint32_t> before = pixels;
      AGMaskBlendSolid(colour, mask.data(), maskStride, reinterpret_cast<uint8_t*>(pixels.data()),
                       pixelStride, width, height);
      int wrong = 0, outside = 0;
      for (int y = 0; y < height; ++y) {
        for (size_t x = 0; x < pixelStride / 4; ++x) {
          const size_t i = y * pixelStride / 4 + x;
          if (x < size_t(width)) {
            wrong += pixels[i] != Expected(colour, mask[y * maskStride + x], before[i]);
          } else {
            outside += pixels[i] != before[i];
          }
        }
      }
      EXPECT_EQ(wrong, 0) << "width " << width << " colour " << std::hex << colour;
      EXPECT_EQ(outside, 0) << "width " << width;
    }
  }
}

TEST(MaskBlend, FullCoverageOfAnOpaqueColourReplacesAndNoCoverageKeeps) {
  std::vector<uint8_t> mask = {255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255};
  std::vector<uint32_t> pixels(mask.size(), 0x80102030u);
  AGMaskBlendSolid(0xFF00FF00u, mask.data(), mask.size(), reinterpret_cast<uint8_t*>(pixels.data()),
                   pixels.size() * 4, int(mask.size()), 1);
  for (size_t x = 0; x < mask.size(); ++x) {
    EXPECT_EQ(pixels[x], mask[x] ? 0xFF00FF00u : 0x80102030u) << x;
  }
}

}  // namespace
