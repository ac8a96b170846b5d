#include "StudioTimeText.h"

#include <cmath>
#include <cstdio>

namespace {

// Times are kept within 2^53 microseconds (about 285 years), where every
// whole microsecond is an exact double.
constexpr int64_t kMaxMicros = int64_t{1} << 53;

constexpr int64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

int ClampDecimals(int decimals) {
  return decimals < 0 ? 0 : decimals > kStudioTimeMaxDecimals ? kStudioTimeMaxDecimals : decimals;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly `count` digits at text[pos] (count 0: one or more) into
// value, refusing values beyond limit. Advances pos.
bool ReadDigits(const std::string& text, size_t& pos, size_t count, int64_t limit, int64_t& value) {
  size_t start = pos;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && (count == 0 || pos - start < count)) {
    value = value * 10 + (text[pos] - '0');
    if (value > limit) return false;
    ++pos;
  }
  size_t read = pos - start;
  return count == 0 ? read > 0 : read == count;
}

}  // namespace

std::string StudioFormatTimeMicros(int64_t micros, int decimals) {
  decimals = ClampDecimals(decimals);
  bool negative = micros < 0;
  int64_t magnitude = micros < -kMaxMicros ? kMaxMicros : micros < 0 ? -micros : micros;
  if (magnitude > kMaxMicros) magnitude = kMaxMicros;
  int64_t unit = kPow10[kStudioTimeMaxDecimals - decimals];
  int64_t units = (magnitude + unit / 2) / unit;
  int64_t seconds = units / kPow10[decimals];
  int64_t fraction = units % kPow10[decimals];

  char text[64];
  int n = std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", negative && units > 0 ? "-" : "",
                        static_cast<long long>(seconds / 3600),
                        static_cast<long long>(seconds / 60 % 60),
                        static_cast<long long>(seconds % 60));
  if (decimals > 0) {
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ".%0*lld", decimals,
                  static_cast<long long>(fraction));
  }
  return text;
}

std::string StudioFormatTime(double ms, int decimals) {
  decimals = ClampDecimals(decimals);
  // One rounding, at the last digit shown: rounding to microseconds first
  // would round 0.4996 ms up to 0.5 and then to 1 ms. And that rounding is
  // of the exact ms * 10^(decimals - 3): the product in doubles can land on
  // a half the exact one misses (4444444343644.44 ms is
  // 4444444343644440.43 us, 4444444343644440.5 in doubles), so the product's
  // own rounding error (or the quotient's remainder) decides a half.
  if (std::isnan(ms)) ms = 0.0;
  double scaled = 0.0;
  double error = 0.0;  // the exact value minus scaled, in sign
  if (decimals >= 3) {
    const double factor = static_cast<double>(kPow10[decimals - 3]);
    scaled = ms * factor;
    error = std::fma(ms, factor, -scaled);
  } else {
    const double divisor = static_cast<double>(kPow10[3 - decimals]);
    scaled = ms / divisor;
    error = std::fma(-scaled, divisor, ms);
  }
  double limit = static_cast<double>(kMaxMicros / kPow10[kStudioTimeMaxDecimals - decimals]);
  if (!(std::fabs(scaled) <= limit)) {
    scaled = scaled > 0 ? limit : -limit;
    error = 0.0;
  }
  int64_t units = std::llround(scaled);
  if (error != 0.0 && scaled - std::floor(scaled) == 0.5) {
    units = static_cast<int64_t>(error > 0.0 ? std::ceil(scaled) : std::floor(scaled));
  }
  return StudioFormatTimeMicros(units * kPow10[kStudioTimeMaxDecimals - decimals], decimals);
}

bool StudioParseTime(const std::string& text, double& ms) {
  size_t pos = 0;
  bool negative = pos < text.size() && text[pos] == '-';
  if (negative) ++pos;

  constexpr int64_t kMaxSeconds = kMaxMicros / 1000000;
  int64_t seconds = 0;
  if (!ReadDigits(text, pos, 0, kMaxSeconds, seconds)) return false;
  // Up to two more fields, two digits each, below 60.
  for (int field = 0; field < 2 && pos < text.size() && text[pos] == ':'; ++field) {
    ++pos;
    int64_t value = 0;
    if (!ReadDigits(text, pos, 2, 59, value)) return false;
    if (seconds > (kMaxSeconds - value) / 60) return false;
    seconds = seconds * 60 + value;
  }
  int64_t micros = seconds * 1000000;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    size_t start = pos;
    int64_t fraction = 0;
    if (!ReadDigits(text, pos, 0, kPow10[kStudioTimeMaxDecimals] - 1, fraction)) return false;
    size_t digits = pos - start;
    if (digits > static_cast<size_t>(kStudioTimeMaxDecimals)) return false;
    micros += fraction * kPow10[kStudioTimeMaxDecimals - digits];
  }
  if (pos != text.size() || micros > kMaxMicros) return false;
  ms = static_cast<double>(negative ? -micros : micros) / 1000.0;
  return true;
}
