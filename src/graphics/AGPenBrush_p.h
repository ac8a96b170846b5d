// Internals shared by brushes and pens: fixed-point storage (real settings
// kept as integers in thousandths, hundredths for a pen's width, computed in
// single precision).
#ifndef AG_PEN_BRUSH_P_H
#define AG_PEN_BRUSH_P_H

#include <cmath>
#include <cstdint>

// value clamped to [0, hi], then floor(value x scale + 0.5). Not-a-number
// and values not above 0 give 0. hi x scale must fit 32 bits.
inline int32_t AGFixedFromClamped(float value, float hi, float scale) {
  if (!(value > 0.0f)) return 0;
  if (value > hi) value = hi;
  // Positive and within 32 bits: the conversion's truncation is the floor
  // (std::floor takes a rounding sequence on the baseline instruction set).
  return static_cast<int32_t>(value * scale + 0.5f);
}

// angle reduced into [0, modulus) with fmod, in thousandths. Not-a-number
// and infinities give 0. An angle just below the modulus whose thousandths
// would round up to it (or beyond) wraps to 0, so the stored angle stays
// below the modulus.
inline int32_t AGFixedFromAngle(float angle, float modulus) {
  float reduced = std::fmod(angle, modulus);
  if (std::isnan(reduced)) return 0;
  if (reduced < 0.0f) reduced += modulus;
  // reduced is not negative here: truncation is the floor.
  auto stored = static_cast<int32_t>(reduced * 1000.0f + 0.5f);
  if (stored < 0 || static_cast<float>(stored) * 0.001f >= modulus) stored = 0;
  return stored;
}

#endif
