// The sonogram's column pass: the Hann window applied to the spectrum, the
// levels of its bins, in the vector and the portable form, held to a
// reference computed in double precision the slow way (the window applied
// to the samples, a plain discrete Fourier transform, the exact logarithm).
#include "StudioSpectrumLevels_p.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "StudioFFT_p.h"

namespace {

// The default -100..0 dB scale, as the sonogram sets it for a window of size.
struct Scale {
  float scale;
  float offset;
  double perDb;
  double floorDb;
  double sum;
};

Scale ScaleFor(int32_t size, double floorDb, double rangeDb) {
  const double sum = size / 2.0;
  const double perDb = 256.0 / rangeDb;
  return {static_cast<float>(10.0 * std::log10(2.0) * perDb),
          static_cast<float>((20.0 * std::log10(2.0 / sum) - floorDb) * perDb), perDb, floorDb,
          sum};
}

// The exact level of every bin (not truncated): (dB - floor) * levels per dB.
std::vector<double> ReferenceLevels(const std::vector<float>& samples, const Scale& scale) {
  const auto size = static_cast<int32_t>(samples.size());
  std::vector<double> levels(static_cast<size_t>(size / 2 + 1));
  for (int32_t k = 0; k <= size / 2; ++k) {
    std::complex<double> sum = 0.0;
    for (int32_t n = 0; n < size; ++n) {
      const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * n / size);
      sum += samples[static_cast<size_t>(n)] * window *
             std::polar(1.0, -2.0 * M_PI * static_cast<double>(k) * n / size);
    }
    const double db = 20.0 * std::log10(std::abs(sum) * 2.0 / scale.sum);
    levels[static_cast<size_t>(k)] = (db - scale.floorDb) * scale.perDb;
  }
  return levels;
}

// The level that exact value truncates to, held to [0, 255].
int ExpectedLevel(double exact) {
  if (!(exact >= 0.0)) return 0;
  return exact >= 255.0 ? 255 : static_cast<int>(exact);
}

std::vector<uint8_t> Levels(const std::vector<float>& samples, const Scale& scale, bool vector) {
  std::unique_ptr<StudioFFT> fft;
  EXPECT_EQ(StudioFFT::Make(static_cast<int32_t>(samples.size()), fft), 0);
  std::vector<uint8_t> levels(samples.size() / 2 + 1, 0xEE);
  const float* spectrum = fft->Transform(samples.data());
  const auto size = static_cast<int32_t>(samples.size());
  if (vector) {
    if (!StudioSpectrumLevels::ComputeVector(spectrum, size, levels.data(), scale.scale,
                                             scale.offset)) {
      return {};
    }
  } else {
    StudioSpectrumLevels::ComputePortable(spectrum, size, levels.data(), scale.scale,
                                          scale.offset);
  }
  return levels;
}

// Tones and noise over the whole dynamic range, on window sizes even and odd,
// with and without vector-sized remainders.
TEST(StudioSpectrumLevels, BothFormsMatchTheWindowedTransformComputedExactly) {
  struct Case {
    int32_t size;
    double floorDb;
    double rangeDb;
  };
  const Case cases[] = {{256, -100.0, 100.0}, {257, -100.0, 100.0}, {300, -120.0, 60.0},
                        {512, -60.0, 20.0},   {1000, -100.0, 1.0},  {333, -300.0, 300.0}};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  for (const Case& c : cases) {
    std::vector<float> samples(static_cast<size_t>(c.size));
    for (int32_t n = 0; n < c.size; ++n) {
      // A loud tone between bins, a quiet one, and noise from -120 dB up.
      const double t = static_cast<double>(n) / c.size;
      samples[static_cast<size_t>(n)] =
          static_cast<float>(0.6 * std::sin(2.0 * M_PI * 17.3 * t) +
                             1e-3 * std::sin(2.0 * M_PI * 61.0 * t)) +
          noise(random) * (n % 7 == 0 ? 1e-6f : 1e-3f);
    }
    const Scale scale = ScaleFor(c.size, c.floorDb, c.rangeDb);
    const std::vector<double> exact = ReferenceLevels(samples, scale);
    for (bool vector : {false, true}) {
      const std::vector<uint8_t> levels = Levels(samples, scale, vector);
      if (vector && levels.empty()) continue;  // no vector form on this processor
      int wrong = 0;
      for (size_t k = 0; k < exact.size(); ++k) {
        // Single precision and the fast logarithm may move a value by a few
        // thousandths of a dB: a level that misses the exact one by no more
        // than 0.01 dB is right (on a 1 dB range, 2.56 levels).
        const int got = levels[k];
        const int want = ExpectedLevel(exact[k]);
        const double below = want == 0 ? 0.0 : exact[k] - got - 1.0;
        const double above = want == 255 ? 0.0 : got - exact[k];
        const double missDb = std::max({below, above, 0.0}) / scale.perDb;
        if (got != want && missDb > 0.01 && ++wrong <= 5) {
          ADD_FAILURE() << (vector ? "vector" : "portable") << " size " << c.size << " bin " << k
                        << ": " << got << " instead of " << exact[k];
        }
      }
      EXPECT_EQ(wrong, 0) << c.size;
    }
  }
}

TEST(StudioSpectrumLevels, TheVectorFormGivesThePortableLevelsAwayFromEdges) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  for (int32_t size : {256, 258, 2048, 2050, 4095, 8192}) {
    std::vector<float> samples(static_cast<size_t>(size));
    for (float& sample : samples) sample = noise(random) * noise(random);
    const Scale scale = ScaleFor(size, -100.0, 100.0);
    const std::vector<uint8_t> vector = Levels(samples, scale, true);
    if (vector.empty()) GTEST_SKIP() << "no vector form on this processor";
    const std::vector<uint8_t> portable = Levels(samples, scale, false);
    int differ = 0;
    for (size_t k = 0; k < portable.size(); ++k) {
      // Fused and separate roundings may part on an edge: one level at most.
      EXPECT_LE(std::abs(int{vector[k]} - int{portable[k]}), 1) << size << " bin " << k;
      differ += vector[k] != portable[k];
    }
    EXPECT_LE(differ, static_cast<int>(portable.size()) / 100) << size;
  }
}

// Silence, not-a-number and infinite samples read as the floor; full-scale
// sound saturates at the top without wrapping round.
TEST(StudioSpectrumLevels, SilenceAndDamagedSamplesShowTheFloorAndLoudSoundTheTop) {
  struct Case {
    std::string what;
    float value;
    bool alternate;
    int expected;
  };
  const Case cases[] = {{"silence", 0.0f, false, 0},
                        {"not a number", NAN, false, 0},
                        {"infinity", INFINITY, true, 0},
                        {"loud", 1e6f, true, 255}};
  const int32_t size = 1024;
  const Scale scale = ScaleFor(size, -100.0, 100.0);
  for (const Case& c : cases) {
    std::vector<float> samples(static_cast<size_t>(size));
    for (int32_t n = 0; n < size; ++n) {
      samples[static_cast<size_t>(n)] = c.alternate && n % 2 ? -c.value : c.value;
    }
    for (bool vector : {false, true}) {
      const std::vector<uint8_t> levels = Levels(samples, scale, vector);
      if (vector && levels.empty()) continue;
      // A steady alternation sits in the top bin alone (its neighbour takes
      // a quarter): only that bin is checked for the loud case.
      if (c.expected == 255) {
        EXPECT_EQ(levels[size / 2], 255) << c.what;
        EXPECT_EQ(levels[size / 2 - 1], 255) << c.what;
        continue;
      }
      for (size_t k = 0; k < levels.size(); ++k) {
        ASSERT_EQ(levels[k], c.expected)
            << c.what << (vector ? " vector" : " portable") << " " << k;
      }
    }
  }
}

}  // namespace
