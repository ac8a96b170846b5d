#include "StudioFrequencyAxis.h"

#include <algorithm>
#include <cmath>

bool StudioFrequencyAxis::IsValid() const {
  if (!std::isfinite(mLow) || !std::isfinite(mHigh) || mLow < 0.0 || mLow >= mHigh) return false;
  return mScale == Scale::kLinear || mLow > 0.0;
}

StudioFrequencyAxis StudioFrequencyAxis::ForRecording(Scale scale, int32_t sampleRate) {
  double high = sampleRate / 2.0;
  if (!(high > kLogLowHz)) high = 24000.0;
  return StudioFrequencyAxis(scale, scale == Scale::kLinear ? 0.0 : kLogLowHz, high);
}

double StudioFrequencyAxis::Edge(int32_t row, int32_t height) const {
  double fraction = height > 0 ? static_cast<double>(row) / height : 0.0;
  if (mScale == Scale::kLinear) return mLow + (mHigh - mLow) * fraction;
  return mLow * std::pow(mHigh / mLow, fraction);
}

int32_t StudioFrequencyAxis::RowOf(double hz, int32_t height) const {
  if (height <= 0 || !(hz >= mLow && hz < mHigh)) return -1;
  double fraction = mScale == Scale::kLinear ? (hz - mLow) / (mHigh - mLow)
                                             : std::log(hz / mLow) / std::log(mHigh / mLow);
  auto row = static_cast<int32_t>(std::floor(fraction * height));
  // The floor of a rounded fraction can land one row off an edge: the edges
  // themselves decide.
  row = std::clamp(row, 0, height - 1);
  while (row > 0 && hz < Edge(row, height)) --row;
  while (row < height - 1 && hz >= Edge(row + 1, height)) ++row;
  return row;
}

void StudioFrequencyAxis::BinsOfRow(int32_t row, int32_t height, double binHz, int32_t binCount,
                                    int32_t& first, int32_t& last) const {
  double low = Edge(row, height);
  double high = Edge(row + 1, height);
  double lastBin = static_cast<double>(binCount - 1);
  // Bins k with low <= k * binHz < high: the quotient's rounding may put
  // a bin on an edge one step off, so the products decide.
  double from = std::ceil(low / binHz);
  if ((from - 1.0) * binHz >= low) from -= 1.0;
  if (from * binHz < low) from += 1.0;
  double to = std::ceil(high / binHz) - 1.0;
  if ((to + 1.0) * binHz < high) to += 1.0;
  if (to * binHz >= high) to -= 1.0;
  from = std::clamp(from, 0.0, lastBin + 1.0);
  to = std::clamp(to, -1.0, lastBin);
  if (from <= to) {
    first = static_cast<int32_t>(from);
    last = static_cast<int32_t>(to);
    return;
  }
  double middle = mScale == Scale::kLinear ? (low + high) / 2.0 : std::sqrt(low * high);
  first = last = static_cast<int32_t>(std::clamp(std::round(middle / binHz), 0.0, lastBin));
}
