// The studio's waveform summary of a long recording: building it (beside one
// plain read-through of the same file with the sound library, the floor any
// summary pays) and the per-pixel queries a redraw makes at three zooms.
//
// The recording is a stereo 48 kHz 16-bit WAV written once into the
// temporary folder; TALVANE_BENCH_MINUTES sets its length (10 minutes by
// default; 60 for the one-hour case).
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "StudioWaveSummary.h"

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;

int Minutes() {
  const char* text = std::getenv("TALVANE_BENCH_MINUTES");
  int minutes = text ? std::atoi(text) : 10;
  return minutes > 0 ? minutes : 10;
}

int64_t Frames() { return static_cast<int64_t>(Minutes()) * 60 * kRate; }

// A 440 Hz tone on the left, a slow sweep on the right, written in blocks.
const std::string& Recording() {
  static const std::string sPath = [] {
    std::string path = "/tmp/talvane-bench-" + std::to_string(getpid()) + ".wav";
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = kChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return std::string();
    std::vector<float> block(65536 * kChannels);
    for (int64_t done = 0; done < Frames();) {
      int64_t n = std::min<int64_t>(65536, Frames() - done);
      for (int64_t i = 0; i < n; ++i) {
        double t = static_cast<double>(done + i) / kRate;
        block[i * 2] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 440.0 * t));
        block[i * 2 + 1] = static_cast<float>(0.25 * std::sin(2.0 * M_PI * (50.0 + t) * t));
      }
      sf_writef_float(file, block.data(), n);
      done += n;
    }
    sf_close(file);
    return path;
  }();
  return sPath;
}

// A line of /proc/self/status ("VmRSS", "VmHWM") in kB.
long StatusKB(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  std::string prefix = std::string(name) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) return std::atol(line.c_str() + prefix.size());
  }
  return 0;
}

// Starts the high-water mark of resident memory afresh (Linux 4.0 and later).
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Counters: the summary's size, and the most resident memory grew by while
// building (the samples are never all held: this stays near the summary's
// size whatever the recording's length).
void BM_Build(benchmark::State& state) {
  size_t bytes = 0;
  long growth = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    long before = StatusKB("VmRSS");
    StudioWaveSummary summary;
    if (summary.Build(Recording(), {}, nullptr) != 0) state.SkipWithError("build failed");
    bytes = summary.MemoryBytes();
    growth = std::max(growth, StatusKB("VmHWM") - before);
  }
  state.SetItemsProcessed(state.iterations() * Frames());
  state.counters["summary_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["peak_growth_MB"] = static_cast<double>(growth) / 1e3;
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond);

void BM_ReadThrough(benchmark::State& state) {
  std::vector<float> block(StudioWaveSummary::kBlockFrames * kChannels);
  for (auto _ : state) {
    SF_INFO info{};
    SNDFILE* file = sf_open(Recording().c_str(), SFM_READ, &info);
    float sum = 0.0f;
    sf_count_t read = 0;
    while ((read = sf_readf_float(file, block.data(), StudioWaveSummary::kBlockFrames)) > 0) {
      sum += block[0];
    }
    sf_close(file);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * Frames());
}
BENCHMARK(BM_ReadThrough)->Unit(benchmark::kMillisecond);

// A 1000-pixel redraw of spanMs starting at the middle of the recording.
void BM_Query(benchmark::State& state) {
  static StudioWaveSummary summary;
  static bool built = summary.Build(Recording(), {}, nullptr) == 0;
  if (!built) {
    state.SkipWithError("build failed");
    return;
  }
  double span = static_cast<double>(state.range(0));
  double start = summary.DurationMs() / 2.0;
  std::vector<StudioWaveSummary::Peak> peaks;
  int level = 0;
  for (auto _ : state) {
    summary.Peaks(start, start + span, 1000, peaks, &level);
    benchmark::DoNotOptimize(peaks.data());
  }
  state.counters["level"] = level;
}
// The whole recording, ten seconds, a tenth of a second (read from the file).
BENCHMARK(BM_Query)->Arg(600000)->Arg(10000)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

// The recording is written before anything is timed.
int main(int argc, char** argv) {
  if (Recording().empty()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(Recording().c_str());
  return 0;
}
