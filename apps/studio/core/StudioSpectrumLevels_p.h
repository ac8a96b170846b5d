// The sonogram's per-column pass from a transform to colour levels: the
// periodic Hann window applied to the spectrum, the power of each bin, its
// logarithm, and the level it falls in.
//
// The periodic Hann window w[n] = (1 - cos(2 pi n / N)) / 2 transforms to
// three taps, so the windowed spectrum is exactly
//   Y[k] = X[k] / 2 - (X[k - 1] + X[k + 1]) / 4
// of the unwindowed one, with X[-1] = conj(X[1]) and X[N - 1 - K + 1] taken
// as conj(X[N - 1 - K]) past the last bin K = N / 2 (the mirror of a real
// signal's spectrum). This spares a pass over the N samples of every window.
//
// level = log2(|Y[k]|^2) * scale + offset, truncated and held to [0, 255];
// not-a-number and infinite powers (from damaged samples: the transform of
// a window holding one spreads it over every bin) give 0. log2 comes from the float's exponent plus a
// degree-4 polynomial in its mantissa, off by at most 8.9e-5 (2.7e-4 dB), so
// a bin within that of a level's edge may take the level beside it.
#ifndef STUDIO_SPECTRUM_LEVELS_P_H
#define STUDIO_SPECTRUM_LEVELS_P_H

#include <cstdint>

class StudioSpectrumLevels {
 public:
  // spectrum: X[0 .. size / 2] as (real, imaginary) float pairs, the
  // transform of size >= 4 unwindowed samples; levels: size / 2 + 1 bytes.
  // Runs the vector form where the processor has it (AVX2 with FMA on
  // x86-64), else the portable one.
  static void Compute(const float* spectrum, int32_t size, uint8_t* levels, float scale,
                      float offset);

  // The two forms, for the tests that hold them to each other.
  static void ComputePortable(const float* spectrum, int32_t size, uint8_t* levels, float scale,
                              float offset);
  // False where the processor lacks the vector form (nothing is written).
  static bool ComputeVector(const float* spectrum, int32_t size, uint8_t* levels, float scale,
                            float offset);
};

#endif
