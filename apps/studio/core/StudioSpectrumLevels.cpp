#include "StudioSpectrumLevels_p.h"

#include <cmath>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define STUDIO_LEVELS_AVX2 1
#include <immintrin.h>
#endif

namespace {

// log2(m) for a mantissa m in [1, 2), fitted over the interval (minimax),
// off by at most 8.9e-5 evaluated in floats.
constexpr float kLog2Poly[] = {-2.512849569f, 4.070079803f, -2.120666504f, 0.6451397538f,
                               -0.0816155821f};
// The float's exponent bias, taken off the offset rather than each exponent.
constexpr float kExponentBias = 127.0f;

// Both forms work on 4 Y[k] = 2 X[k] - X[k - 1] - X[k + 1], exact multiples
// of the windowed values (scaling by 2 does not round): |4 Y|^2 = 16 |Y|^2,
// four octaves taken off the offset.
constexpr float kPowerOctaves = 4.0f;

// offset here has the exponent bias and the four octaves taken off.
uint8_t LevelOfPower(float power, float scale, float offset) {
  // Not-a-number and infinite powers (damaged samples) read as 0, the floor.
  if (!(power < INFINITY)) power = 0.0f;
  uint32_t bits;
  std::memcpy(&bits, &power, sizeof bits);
  const auto exponent = static_cast<float>(static_cast<int32_t>(bits >> 23));
  const uint32_t mantissaBits = (bits & 0x007FFFFFu) | 0x3F800000u;
  float m;
  std::memcpy(&m, &mantissaBits, sizeof m);
  float poly = kLog2Poly[4];
  for (int i = 3; i >= 0; --i) poly = poly * m + kLog2Poly[i];
  const float value = (exponent + poly) * scale + offset;
  if (!(value >= 1.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<uint8_t>(value);
}

// The level of bin k, its neighbours given (conjugated where mirrored).
uint8_t LevelOfBin(const float* bin, float prevRe, float prevIm, float nextRe, float nextIm,
                   float scale, float offset) {
  const float re = 2.0f * bin[0] - (prevRe + nextRe);
  const float im = 2.0f * bin[1] - (prevIm + nextIm);
  return LevelOfPower(re * re + im * im, scale, offset);
}

// The first and last bins, whose outer neighbours are mirrored.
void EdgeLevels(const float* s, int32_t size, uint8_t* levels, float scale, float offset) {
  const int32_t last = size / 2;
  levels[0] = LevelOfBin(s, s[2], -s[3], s[2], s[3], scale, offset);
  const int32_t mirror = size - 1 - last;
  levels[last] = LevelOfBin(s + 2 * last, s[2 * last - 2], s[2 * last - 1], s[2 * mirror],
                            -s[2 * mirror + 1], scale, offset);
}

#ifdef STUDIO_LEVELS_AVX2

#define STUDIO_AVX2 __attribute__((target("avx2,fma")))

// Levels of the 8 bins whose pairs start at s (bins k .. k + 7, all with both
// neighbours in the array), as 32-bit integers in the order 0 1 4 5 | 2 3 6 7
// (the two 128-bit halves), before saturation.
STUDIO_AVX2 inline __m256i Levels8(const float* s, __m256 scale, __m256 offset) {
  const __m256 lowC = _mm256_loadu_ps(s), highC = _mm256_loadu_ps(s + 8);
  const __m256 lowY = _mm256_fmsub_ps(
      lowC, _mm256_set1_ps(2.0f), _mm256_add_ps(_mm256_loadu_ps(s - 2), _mm256_loadu_ps(s + 2)));
  const __m256 highY = _mm256_fmsub_ps(
      highC, _mm256_set1_ps(2.0f), _mm256_add_ps(_mm256_loadu_ps(s + 6), _mm256_loadu_ps(s + 10)));
  // Sums of adjacent squares: the powers, in the order above; not-a-number
  // and infinite powers become 0.
  __m256 power = _mm256_hadd_ps(_mm256_mul_ps(lowY, lowY), _mm256_mul_ps(highY, highY));
  power = _mm256_and_ps(power, _mm256_cmp_ps(power, _mm256_set1_ps(INFINITY), _CMP_LT_OQ));
  const __m256i bits = _mm256_castps_si256(power);
  const __m256 exponent = _mm256_cvtepi32_ps(_mm256_srli_epi32(bits, 23));
  const __m256 m = _mm256_castsi256_ps(_mm256_or_si256(
      _mm256_and_si256(bits, _mm256_set1_epi32(0x007FFFFF)), _mm256_set1_epi32(0x3F800000)));
  __m256 poly = _mm256_set1_ps(kLog2Poly[4]);
  for (int i = 3; i >= 0; --i) poly = _mm256_fmadd_ps(poly, m, _mm256_set1_ps(kLog2Poly[i]));
  // Out-of-range values saturate in the packs that follow (a value too large
  // for an integer becomes INT_MIN and so 0; the settings' limits keep
  // real levels far from that).
  return _mm256_cvttps_epi32(_mm256_fmadd_ps(_mm256_add_ps(exponent, poly), scale, offset));
}

STUDIO_AVX2 void InteriorLevelsAvx2(const float* s, int32_t last, uint8_t* levels, float scale,
                                    float offset) {
  const __m256 scaleV = _mm256_set1_ps(scale), offsetV = _mm256_set1_ps(offset);
  int32_t k = 1;
  for (; k + 32 <= last; k += 32) {
    const float* at = s + 2 * k;
    const __m256i l0 = Levels8(at, scaleV, offsetV), l1 = Levels8(at + 16, scaleV, offsetV);
    const __m256i l2 = Levels8(at + 32, scaleV, offsetV), l3 = Levels8(at + 48, scaleV, offsetV);
    // Saturating packs: 32 bytes, each half holding 0 1 4 5 of the four
    // groups, then 2 3 6 7; dwords paired per group, then bytes in order.
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(l0, l1), _mm256_packs_epi32(l2, l3));
    const __m256i paired =
        _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    const __m256i ordered = _mm256_shuffle_epi8(
        paired, _mm256_setr_epi8(0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15, 0, 1, 4, 5,
                                 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels + k), ordered);
  }
  for (; k + 8 <= last; k += 8) {
    const __m256i l = _mm256_permute4x64_epi64(Levels8(s + 2 * k, scaleV, offsetV), 0xD8);
    const __m128i words =
        _mm_packs_epi32(_mm256_castsi256_si128(l), _mm256_extracti128_si256(l, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(levels + k), _mm_packus_epi16(words, words));
  }
  for (; k < last; ++k) {
    const float* bin = s + 2 * k;
    levels[k] = LevelOfBin(bin, bin[-2], bin[-1], bin[2], bin[3], scale, offset);
  }
}

bool HasAvx2() {
  static const bool sHas = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return sHas;
}

#endif

}  // namespace

void StudioSpectrumLevels::ComputePortable(const float* spectrum, int32_t size, uint8_t* levels,
                                           float scale, float offset) {
  offset -= (kPowerOctaves + kExponentBias) * scale;
  const int32_t last = size / 2;
  for (int32_t k = 1; k < last; ++k) {
    const float* bin = spectrum + 2 * k;
    levels[k] = LevelOfBin(bin, bin[-2], bin[-1], bin[2], bin[3], scale, offset);
  }
  EdgeLevels(spectrum, size, levels, scale, offset);
}

bool StudioSpectrumLevels::ComputeVector(const float* spectrum, int32_t size, uint8_t* levels,
                                         float scale, float offset) {
#ifdef STUDIO_LEVELS_AVX2
  if (!HasAvx2()) return false;
  offset -= (kPowerOctaves + kExponentBias) * scale;
  InteriorLevelsAvx2(spectrum, size / 2, levels, scale, offset);
  EdgeLevels(spectrum, size, levels, scale, offset);
  return true;
#else
  (void)spectrum;
  (void)size;
  (void)levels;
  (void)scale;
  (void)offset;
  return false;
#endif
}

void StudioSpectrumLevels::Compute(const float* spectrum, int32_t size, uint8_t* levels,
                                   float scale, float offset) {
  if (!ComputeVector(spectrum, size, levels, scale, offset)) {
    ComputePortable(spectrum, size, levels, scale, offset);
  }
}
