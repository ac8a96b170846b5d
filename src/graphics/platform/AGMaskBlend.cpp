#include "graphics/platform/AGMaskBlend_p.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Products of 8-bit values rounded to nearest, two channels at a time in
// the 0x00ff00ff lanes of a word: (x * a + 128) * 257 / 65536, which is
// x * a / 255 rounded.
uint32_t MulLanes(uint32_t x, uint32_t a) {
  uint32_t t = (x & 0x00ff00ffu) * a + 0x00800080u;
  t = (t + ((t >> 8) & 0x00ff00ffu)) >> 8;
  return t & 0x00ff00ffu;
}

uint32_t MulChannels(uint32_t x, uint32_t a) { return MulLanes(x, a) | MulLanes(x >> 8, a) << 8; }

// Sum of two lane pairs, each lane held at 255.
uint32_t AddLanes(uint32_t x, uint32_t y) {
  uint32_t t = (x & 0x00ff00ffu) + (y & 0x00ff00ffu);
  t |= 0x01000100u - ((t >> 8) & 0x00ff00ffu);
  return t & 0x00ff00ffu;
}

uint32_t AddChannels(uint32_t x, uint32_t y) {
  return AddLanes(x, y) | AddLanes(x >> 8, y >> 8) << 8;
}

uint32_t Blend(uint32_t colour, uint32_t m, uint32_t d) {
  const uint32_t s = MulChannels(colour, m);
  return AddChannels(s, MulChannels(d, 255u - (s >> 24)));
}

#if defined(__SSE2__)
// The same products on eight 16-bit lanes: (x * a + 128) * 257 / 65536.
__m128i MulWords(__m128i x, __m128i a) {
  const __m128i t = _mm_adds_epu16(_mm_mullo_epi16(x, a), _mm_set1_epi16(0x80));
  return _mm_mulhi_epu16(t, _mm_set1_epi16(0x0101));
}

// Four pixels under four coverage bytes; colour16 holds the colour's
// channels in 16-bit lanes, twice.
void BlendFour(uint32_t* d, const uint8_t* m, __m128i colour16, uint32_t colour, bool opaque) {
  uint32_t coverage;
  std::memcpy(&coverage, m, sizeof coverage);
  if (coverage == 0) return;
  if (coverage == 0xffffffffu && opaque) {
    const __m128i c = _mm_set1_epi32(int(colour));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), c);
    return;
  }
  const __m128i zero = _mm_setzero_si128();
  // Each coverage byte spread over its pixel's four channel lanes.
  __m128i mw = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(coverage)), zero);
  mw = _mm_unpacklo_epi16(mw, mw);
  const __m128i mlo = _mm_unpacklo_epi32(mw, mw), mhi = _mm_unpackhi_epi32(mw, mw);
  const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  __m128i dlo = _mm_unpacklo_epi8(pixels, zero), dhi = _mm_unpackhi_epi8(pixels, zero);
  const __m128i slo = MulWords(colour16, mlo), shi = MulWords(colour16, mhi);
  const __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(slo, 0xFF), 0xFF);
  const __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(shi, 0xFF), 0xFF);
  const __m128i ff = _mm_set1_epi16(0xff);
  dlo = _mm_adds_epu8(slo, MulWords(dlo, _mm_xor_si128(alo, ff)));
  dhi = _mm_adds_epu8(shi, MulWords(dhi, _mm_xor_si128(ahi, ff)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(dlo, dhi));
}
#endif

}  // namespace

void AGMaskBlendSolid(uint32_t colour, const uint8_t* mask, size_t maskStride, uint8_t* pixels,
                      size_t pixelStride, int width, int height) {
  const bool opaque = colour >> 24 == 0xff;
#if defined(__SSE2__)
  const __m128i colour16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), _mm_setzero_si128());
  const __m128i zero = _mm_setzero_si128();
#endif
  for (int y = 0; y < height; ++y) {
    const uint8_t* m = mask + size_t(y) * maskStride;
    uint32_t* d = reinterpret_cast<uint32_t*>(pixels + size_t(y) * pixelStride);
    int x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= width; x += 16) {
      // Sixteen pixels without coverage are passed over at once.
      const __m128i coverage = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + x));
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(coverage, zero)) == 0xFFFF) continue;
      for (int k = 0; k < 16; k += 4) BlendFour(d + x + k, m + x + k, colour16, colour, opaque);
    }
    for (; x + 4 <= width; x += 4) BlendFour(d + x, m + x, colour16, colour, opaque);
#endif
    for (; x < width; ++x) {
      if (m[x]) d[x] = Blend(colour, m[x], d[x]);
    }
  }
}
