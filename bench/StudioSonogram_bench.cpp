// The studio's sonogram of a ten-minute 48 kHz mono recording (16-bit WAV,
// written once into the temporary folder) at window 2048 with 75 % overlap,
// each figure beside its anchor, measured in the same run:
//
// - BM_SonogramBesideFFT: every level-0 tile of the recording (56,250
//   columns, one worker), from Open to the last tile kept, against the same
//   number of executions of the same FFT plan alone (a real-to-complex plan
//   of 2048 points made with the sonogram's own flags, one thread): the
//   floor any sonogram of that resolution pays. Target: at most 1.5 times
//   the anchor, in CPU time of the whole process (the worker's and the
//   waiting thread's), so that other programs on a shared machine do not
//   tilt the ratio. A third figure, the FFT executions plus one read-through
//   of the file through the studio's reader, shows what reading adds to the
//   floor. The figures take turns within every round (BenchRounds.h).
// - BM_FirstScreen: from Open to the Paint that finds every tile of the
//   first screen, 1920 x 600 pixels showing the whole recording (two
//   workers, as the window runs it), in wall time. Anchor: the 200 ms limit.
//
// The recording is read from the page cache: it was just written.
#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchRounds.h"
#include "StudioSonogram.h"
#include "StudioSoundFile.h"

namespace {

constexpr int kRate = 48000;
constexpr int64_t kFrames = int64_t{10} * 60 * kRate;
constexpr int32_t kWindow = 2048;
constexpr int32_t kHop = kWindow / 4;
constexpr int64_t kColumns = (kFrames - 1) / kHop + 1;
constexpr uint32_t kScreenWidth = 1920;
constexpr uint32_t kScreenHeight = 600;
constexpr double kFirstScreenLimitMs = 200.0;

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

StudioSonogram::Settings Settings() {
  StudioSonogram::Settings settings;
  settings.windowSize = kWindow;
  settings.overlap = 0.75;
  return settings;
}

// The anchor's transform: the plan kind and flags the sonogram's own
// transform is made with (platform/StudioFFT.cpp), on arrays of its own.
class FFTAlone {
 public:
  FFTAlone()
      : mInput(fftwf_alloc_real(kWindow)), mOutput(fftwf_alloc_complex(kWindow / 2 + 1)) {
    mPlan = fftwf_plan_dft_r2c_1d(kWindow, mInput, mOutput, FFTW_ESTIMATE | FFTW_PRESERVE_INPUT);
    for (int32_t n = 0; n < kWindow; ++n) mInput[n] = 0.5f * std::sin(0.01f * n);
  }
  ~FFTAlone() {
    fftwf_destroy_plan(mPlan);
    fftwf_free(mInput);
    fftwf_free(mOutput);
  }
  FFTAlone(const FFTAlone&) = delete;
  FFTAlone& operator=(const FFTAlone&) = delete;

  bool Run(int64_t executions) {
    for (int64_t c = 0; c < executions; ++c) fftwf_execute_dft_r2c(mPlan, mInput, mOutput);
    benchmark::DoNotOptimize(mOutput[1][0]);
    return true;
  }

 private:
  float* mInput;
  fftwf_complex* mOutput;
  fftwf_plan mPlan = nullptr;
};

// Every sample once through the studio's reader, in the block size a
// sonogram tile reads at most.
bool ReadThrough() {
  static std::vector<float> sBlock(65536);
  StudioSoundFile file;
  if (file.Open(Recording()) != 0) return false;
  int64_t read = 0;
  float sum = 0.0f;
  do {
    if (file.Read(sBlock.data(), static_cast<int64_t>(sBlock.size()), read) != 0) return false;
    sum += sBlock[0];
  } while (read > 0);
  benchmark::DoNotOptimize(sum);
  return true;
}

void BM_SonogramBesideFFT(benchmark::State& state) {
  // One pixel per level-0 column: every tile of level 0.
  const auto width = static_cast<uint32_t>(kColumns);
  const uint32_t height = 16;
  const double endMs = static_cast<double>(kColumns) * kHop * 1000.0 / kRate;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  StudioSonogram sonogram(1);
  sonogram.SetMemoryBudget(size_t{1} << 30);
  if (sonogram.SetSettings(Settings()) != 0) {
    state.SkipWithError("settings refused");
    return;
  }
  FFTAlone fft;
  std::vector<BenchFigure> figures{
      {"sonogram, every level-0 tile",
       [&] {
         // Opening drops every tile: each round computes them all.
         return sonogram.Open(Recording()) == 0 && sonogram.LevelFor(0.0, endMs, width) == 0 &&
                sonogram.Paint(0.0, endMs, width, height, pixels.data(), width, nullptr) == 0 &&
                sonogram.WaitUntilIdle(600000) &&
                sonogram.TilesComputed() == (kColumns + 255) / 256;
       }},
      {"the same FFT executions alone", [&] { return fft.Run(kColumns); }},
      {"the FFT executions + one read-through", [&] { return fft.Run(kColumns) && ReadThrough(); }},
  };
  BenchRunRounds(state, "sonogram of 10 min at 48 kHz, window 2048, 75 % overlap (56,250 columns)",
                 figures, {{0, 1}, {0, 2}});
}
BENCHMARK(BM_SonogramBesideFFT)->Iterations(9)->Unit(benchmark::kMillisecond);

void BM_FirstScreen(benchmark::State& state) {
  std::vector<uint32_t> pixels(static_cast<size_t>(kScreenWidth) * kScreenHeight);
  const double durationMs = static_cast<double>(kFrames) * 1000.0 / kRate;
  std::vector<double> wall, cpu;
  int32_t level = -1;
  for (auto _ : state) {
    // The window's sonogram exists before a recording is opened.
    StudioSonogram sonogram(2);
    const double cpuStart = BenchProcessCpuMs();
    const auto start = std::chrono::steady_clock::now();
    if (sonogram.Open(Recording()) != 0) {
      state.SkipWithError("open failed");
      return;
    }
    bool complete = false;
    int32_t status = sonogram.Paint(0.0, durationMs, kScreenWidth, kScreenHeight, pixels.data(),
                                    kScreenWidth, &complete);
    while (status == 0 && !complete) {
      // As the window does: paint again when tiles have arrived.
      sonogram.WaitUntilIdle(10000);
      status = sonogram.Paint(0.0, durationMs, kScreenWidth, kScreenHeight, pixels.data(),
                              kScreenWidth, &complete);
    }
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                             start).count());
    cpu.push_back(BenchProcessCpuMs() - cpuStart);
    if (status != 0) {
      state.SkipWithError("paint refused");
      return;
    }
    level = sonogram.LevelFor(0.0, durationMs, kScreenWidth);
  }
  const double median = BenchMedian(wall);
  std::printf(
      "\nfirst sonogram screen of 10 min (%u x %u, level %d), from Open to every tile painted: "
      "median of %zu: %.1f ms wall (%.1f ms cpu); anchor, the limit: %.0f ms; ratio %.2f\n",
      kScreenWidth, kScreenHeight, level, wall.size(), median, BenchMedian(cpu),
      kFirstScreenLimitMs, median / kFirstScreenLimitMs);
  std::fflush(stdout);
  state.counters["ms"] = median;
  state.counters["level"] = level;
}
BENCHMARK(BM_FirstScreen)->Iterations(11)->Unit(benchmark::kMillisecond);

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
