#include "graphics/AGRandom.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

uint32_t AGRandomSeed(uint32_t seed) {
  if (seed == 0) seed = static_cast<uint32_t>(std::time(nullptr));
  std::srand(seed);
  // The first number after seeding follows the seed too closely; drop it.
  (void)std::rand();
  return seed;
}

double AGRandomDraw(double current, double lo, double hi, double amount) {
  double u = lo;
  double v = hi;
  if (amount >= 0.0 && amount < 1.0 && lo <= current && current <= hi) {
    double reach = (hi - lo) * amount;
    u = std::fmax(lo, current - reach);
    v = std::fmin(hi, current + reach);
  }
  // Divided by 2^31 - 1 (RAND_MAX here), so r = RAND_MAX reaches v exactly.
  return u + (v - u) * static_cast<double>(std::rand()) / 2147483647.0;
}

int32_t AGRandomDrawInteger(int32_t current, int32_t lo, int32_t hi, double amount) {
  double r = AGRandomDraw(current, lo, hi, amount);
  return static_cast<int32_t>(r >= 0.0 ? r + 0.5 : r - 0.5);
}
