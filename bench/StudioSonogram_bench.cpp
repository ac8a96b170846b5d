// The studio's sonogram of a ten-minute 48 kHz mono recording (16-bit WAV,
// written once into the temporary folder) at window 2048 with 75 % overlap:
//
// - every level-0 tile of the recording on one worker, beside the same
//   number of FFT executions alone (the same plan kind, the same size, one
//   thread): the floor any sonogram of that resolution pays; the ratio
//   should stay at or below 1.5. Both are timed in CPU time of the whole
//   process (the worker's work and the waiting thread's), so that other
//   programs on a shared machine do not tilt the ratio;
// - the first screen after opening (1280 x 300 pixels showing the whole
//   recording, two workers): from Open to the Paint that finds every tile,
//   under 200 ms.
//
// The summary lines at the end print each figure beside its anchor and the
// ratio; a second anchor adds one read-through of the file (16-bit samples
// decoded to floats through the studio's reader) to the FFT executions.
#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <sndfile.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "StudioSonogram.h"
#include "StudioSoundFile.h"

namespace {

constexpr int kRate = 48000;
constexpr int64_t kFrames = int64_t{10} * 60 * kRate;
constexpr int32_t kWindow = 2048;
constexpr int32_t kHop = kWindow / 4;
constexpr int64_t kColumns = (kFrames - 1) / kHop + 1;

// Mean seconds per iteration of the runs below, for the summary.
double sSonogramSeconds = 0.0;
double sFFTSeconds = 0.0;
double sReadSeconds = 0.0;
double sFirstScreenSeconds = 0.0;

// A rising tone and a steady one over noise, written in blocks.
const std::string& Recording() {
  static const std::string sPath = [] {
    std::string path = "/tmp/talvane-sonogram-bench-" + std::to_string(getpid()) + ".wav";
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return std::string();
    std::vector<float> block(65536);
    uint32_t noise = 12345;
    for (int64_t done = 0; done < kFrames;) {
      int64_t n = std::min<int64_t>(65536, kFrames - done);
      for (int64_t i = 0; i < n; ++i) {
        double t = static_cast<double>(done + i) / kRate;
        noise = noise * 1664525u + 1013904223u;
        block[i] = static_cast<float>(0.3 * std::sin(2.0 * M_PI * (200.0 + 10.0 * t) * t) +
                                      0.2 * std::sin(2.0 * M_PI * 3000.0 * t) +
                                      0.01 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5));
      }
      sf_writef_float(file, block.data(), n);
      done += n;
    }
    sf_close(file);
    return path;
  }();
  return sPath;
}

double ProcessSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

StudioSonogram::Settings Settings() {
  StudioSonogram::Settings settings;
  settings.windowSize = kWindow;
  settings.overlap = 0.75;
  return settings;
}

void BM_SonogramWholeRecording(benchmark::State& state) {
  // One pixel per level-0 column: every tile of level 0.
  const auto width = static_cast<uint32_t>(kColumns);
  const uint32_t height = 16;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  StudioSonogram sonogram(1);
  sonogram.SetMemoryBudget(size_t{1} << 30);
  if (sonogram.SetSettings(Settings()) != 0) state.SkipWithError("settings refused");
  const double durationMs = static_cast<double>(kFrames) * 1000.0 / kRate;
  const double endMs = static_cast<double>(kColumns) * kHop * 1000.0 / kRate;
  for (auto _ : state) {
    double start = ProcessSeconds();
    // Opening drops every tile: each round computes them all.
    if (sonogram.Open(Recording()) != 0) state.SkipWithError("open failed");
    if (sonogram.LevelFor(0.0, endMs, width) != 0) state.SkipWithError("not level 0");
    sonogram.Paint(0.0, endMs, width, height, pixels.data(), width, nullptr);
    if (!sonogram.WaitUntilIdle(600000)) state.SkipWithError("tiles did not arrive");
    state.SetIterationTime(ProcessSeconds() - start);
  }
  state.counters["columns"] = static_cast<double>(kColumns);
  state.counters["duration_s"] = durationMs / 1000.0;
  state.SetItemsProcessed(state.iterations() * kColumns);
}
BENCHMARK(BM_SonogramWholeRecording)->Unit(benchmark::kMillisecond)->UseManualTime();

// The anchor: the same number of transforms, nothing else.
void BM_FFTAlone(benchmark::State& state) {
  float* input = fftwf_alloc_real(kWindow);
  fftwf_complex* output = fftwf_alloc_complex(kWindow / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(kWindow, input, output, FFTW_ESTIMATE);
  for (int32_t n = 0; n < kWindow; ++n) input[n] = std::sin(0.01f * n);
  for (auto _ : state) {
    double start = ProcessSeconds();
    for (int64_t c = 0; c < kColumns; ++c) fftwf_execute_dft_r2c(plan, input, output);
    benchmark::DoNotOptimize(output[1][0]);
    state.SetIterationTime(ProcessSeconds() - start);
  }
  fftwf_destroy_plan(plan);
  fftwf_free(input);
  fftwf_free(output);
  state.SetItemsProcessed(state.iterations() * kColumns);
}
BENCHMARK(BM_FFTAlone)->Unit(benchmark::kMillisecond)->UseManualTime();

// The other part of the floor: reading every sample once through the
// studio's sound-file reader, as the sonogram does.
void BM_ReadThrough(benchmark::State& state) {
  std::vector<float> block(16384);
  for (auto _ : state) {
    double start = ProcessSeconds();
    StudioSoundFile file;
    if (file.Open(Recording()) != 0) state.SkipWithError("open failed");
    int64_t read = 0;
    float sum = 0.0f;
    do {
      file.Read(block.data(), 16384, read);
      sum += block[0];
    } while (read > 0);
    benchmark::DoNotOptimize(sum);
    state.SetIterationTime(ProcessSeconds() - start);
  }
}
BENCHMARK(BM_ReadThrough)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_FirstScreen(benchmark::State& state) {
  const uint32_t width = 1280, height = 300;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  const double durationMs = static_cast<double>(kFrames) * 1000.0 / kRate;
  int32_t level = 0;
  for (auto _ : state) {
    StudioSonogram sonogram(2);
    // Timed by hand: the workers' ending is not part of the screen.
    auto start = std::chrono::steady_clock::now();
    if (sonogram.Open(Recording()) != 0) state.SkipWithError("open failed");
    bool complete = false;
    sonogram.Paint(0.0, durationMs, width, height, pixels.data(), width, &complete);
    while (!complete) {
      sonogram.WaitUntilIdle(10000);
      sonogram.Paint(0.0, durationMs, width, height, pixels.data(), width, &complete);
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    level = sonogram.LevelFor(0.0, durationMs, width);
  }
  state.counters["level"] = level;
}
BENCHMARK(BM_FirstScreen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Keeps each run's mean time per iteration for the summary.
class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      // With manual timing the real time is the time set by hand.
      double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      std::string name = run.benchmark_name();
      if (name.rfind("BM_SonogramWholeRecording", 0) == 0) sSonogramSeconds = seconds;
      if (name.rfind("BM_FFTAlone", 0) == 0) sFFTSeconds = seconds;
      if (name.rfind("BM_ReadThrough", 0) == 0) sReadSeconds = seconds;
      if (name.rfind("BM_FirstScreen", 0) == 0) sFirstScreenSeconds = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

// The recording is written before anything is timed.
int main(int argc, char** argv) {
  if (Recording().empty()) return 1;
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::remove(Recording().c_str());
  if (sSonogramSeconds > 0.0 && sFFTSeconds > 0.0) {
    std::printf(
        "sonogram of 10 min at 48 kHz, window 2048, 75 %% overlap (%lld columns): %.0f ms CPU; "
        "anchor, the same FFT executions alone: %.0f ms CPU; ratio %.2f (limit 1.5)\n",
        static_cast<long long>(kColumns), sSonogramSeconds * 1e3, sFFTSeconds * 1e3,
        sSonogramSeconds / sFFTSeconds);
  }
  if (sSonogramSeconds > 0.0 && sFFTSeconds > 0.0 && sReadSeconds > 0.0) {
    std::printf(
        "the same beside the FFT executions and one read-through of the file: %.0f ms CPU; "
        "ratio %.2f\n",
        (sFFTSeconds + sReadSeconds) * 1e3, sSonogramSeconds / (sFFTSeconds + sReadSeconds));
  }
  if (sFirstScreenSeconds > 0.0) {
    std::printf(
        "first sonogram screen of 10 min (1280 x 300): %.1f ms; anchor, the limit: 200 ms; "
        "ratio %.2f\n",
        sFirstScreenSeconds * 1e3, sFirstScreenSeconds / 0.2);
  }
  return 0;
}
