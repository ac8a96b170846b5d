// The kit's pseudo-random numbers for sample variations, over the standard
// generator (srand / rand). Not for anything that needs good randomness.
#ifndef AG_RANDOM_H
#define AG_RANDOM_H

#include <cstdint>

// Seeds the standard generator with seed, or with the current time in
// seconds when seed is 0, then draws and drops one number. Returns the seed
// used, so that a run can be repeated.
uint32_t AGRandomSeed(uint32_t seed);

// A uniform draw near current: when 0 <= amount < 1 and lo <= current <= hi,
// between max(lo, current - (hi - lo) x amount) and
// min(hi, current + (hi - lo) x amount); otherwise anywhere between lo and
// hi. Consumes one number of the standard generator.
double AGRandomDraw(double current, double lo, double hi, double amount);

// AGRandomDraw on an integer field, rounded half away from zero.
int32_t AGRandomDrawInteger(int32_t current, int32_t lo, int32_t hi, double amount);

#endif
