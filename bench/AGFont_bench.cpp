// Font lookups through AGFont: a family that is installed (found once, then
// answered from the lookup cache) beside one that is not, whose every query
// checks that the installed fonts are as they were (a stat of each font
// folder and configuration file) before it answers again that there is no
// such family.
#include <benchmark/benchmark.h>

#include "graphics/AGFont.h"

namespace {

void BM_FontLookupInstalled(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(AGFont("DejaVu Sans", 12.0f, 0).IsValid());
}
BENCHMARK(BM_FontLookupInstalled);

void BM_FontLookupMissing(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(AGFont("Nowhere Sans", 12.0f, 0).IsValid());
}
BENCHMARK(BM_FontLookupMissing);

}  // namespace

BENCHMARK_MAIN();
