// A project figure beside the anchors it chases, measured in the same run:
// every round runs each of them once, one after the other (the order turns
// from round to round), so that whatever else the machine does meanwhile
// falls on all of them alike. The medians of the rounds (wall time, and the
// process's CPU time) and the ratios of the project figures to their anchors
// are printed and set as the benchmark's counters.
#ifndef BENCH_ROUNDS_H
#define BENCH_ROUNDS_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

struct BenchFigure {
  std::string name;
  // One run; false when it failed.
  std::function<bool()> run;
};

// A ratio to print: figure `project` over figure `anchor` (indices).
struct BenchRatio {
  size_t project;
  size_t anchor;
};

inline double BenchMedian(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

inline double BenchProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One round per benchmark iteration; fix the number of rounds with
// ->Iterations(n).
inline void BenchRunRounds(benchmark::State& state, const char* title,
                           const std::vector<BenchFigure>& figures,
                           const std::vector<BenchRatio>& ratios) {
  std::vector<std::vector<double>> wall(figures.size());
  std::vector<std::vector<double>> cpu(figures.size());
  size_t round = 0;
  for (auto _ : state) {
    for (size_t k = 0; k < figures.size(); ++k) {
      const size_t i = (k + round) % figures.size();
      const double cpuStart = BenchProcessCpuMs();
      const auto start = std::chrono::steady_clock::now();
      const bool ok = figures[i].run();
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      if (!ok) {
        state.SkipWithError((figures[i].name + " failed").c_str());
        return;
      }
      wall[i].push_back(took.count());
      cpu[i].push_back(BenchProcessCpuMs() - cpuStart);
    }
    ++round;
  }
  std::printf("\n%s: medians of %zu interleaved rounds\n", title, round);
  for (size_t i = 0; i < figures.size(); ++i) {
    const double w = BenchMedian(wall[i]);
    const double c = BenchMedian(cpu[i]);
    std::printf("  %-44s %9.2f ms wall %9.2f ms cpu\n", figures[i].name.c_str(), w, c);
    state.counters["ms_" + std::to_string(i)] = w;
  }
  for (size_t r = 0; r < ratios.size(); ++r) {
    const BenchRatio& q = ratios[r];
    const double w = BenchMedian(wall[q.project]) / BenchMedian(wall[q.anchor]);
    const double c = BenchMedian(cpu[q.project]) / BenchMedian(cpu[q.anchor]);
    std::printf("  ratio %s / %s: %.2f (wall), %.2f (cpu)\n", figures[q.project].name.c_str(),
                figures[q.anchor].name.c_str(), w, c);
    state.counters["ratio_" + std::to_string(r)] = w;
  }
  std::fflush(stdout);
}

#endif
