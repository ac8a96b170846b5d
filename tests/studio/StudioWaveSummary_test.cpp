// The waveform summary: recordings written here with known samples, read
// back through the summary's levels and its per-pixel queries.
#include "StudioWaveSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <limits>
#include <thread>
#include <vector>

#include "StudioSoundFile.h"
#include "StudioTestRecordings.h"
#include "kit/QVErrors.h"

// The heap in use, from AddressSanitizer's allocator; absent without it.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace {

using Peak = StudioWaveSummary::Peak;

// 32 frames per millisecond: bucket and pixel edges fall on exact times.
constexpr int kRate = 32000;

// Mono: 100 full base buckets and a partial one of 10 frames, silent but for
// three impulses.
constexpr int64_t kImpulseFrames = 100 * 256 + 10;
const std::vector<StudioImpulse> kImpulses = {
    {1000, 0, 0.5f}, {5000, 0, -0.75f}, {25605, 0, 0.25f}};

class StudioWaveSummaryTest : public testing::Test {
 protected:
  void SetUp() override {
    impulses = folder.File("impulses.wav");
    ASSERT_TRUE(
        StudioWriteFloatWav(impulses, kRate, 1, StudioSilenceWith(kImpulseFrames, 1, kImpulses)));
  }

  // Builds summary from path and fails the test on a status.
  void BuildFrom(const std::string& path) { ASSERT_EQ(summary.Build(path, {}, nullptr), 0); }

  // One query of a mono or stereo summary.
  std::vector<Peak> Query(double startMs, double endMs, uint32_t width, int expectedLevel) {
    std::vector<Peak> peaks;
    int level = -2;
    EXPECT_EQ(summary.Peaks(startMs, endMs, width, peaks, &level), 0);
    EXPECT_EQ(level, expectedLevel);
    EXPECT_EQ(peaks.size(), static_cast<size_t>(width) * static_cast<size_t>(summary.Channels()));
    return peaks;
  }

  StudioTestFolder folder;
  std::string impulses;
  StudioWaveSummary summary;
};

void ExpectPeak(const Peak& peak, float min, float max, const char* where) {
  EXPECT_EQ(peak.min, min) << where;
  EXPECT_EQ(peak.max, max) << where;
}

// Every pixel silent ({0, 0}) except those listed.
struct PixelPeak {
  uint32_t pixel;
  float min;
  float max;
};

void ExpectSilentExcept(const std::vector<Peak>& peaks, const std::vector<PixelPeak>& loud) {
  for (uint32_t i = 0; i < peaks.size(); ++i) {
    auto it =
        std::find_if(loud.begin(), loud.end(), [i](const PixelPeak& p) { return p.pixel == i; });
    std::string where = "pixel " + std::to_string(i);
    if (it != loud.end()) {
      ExpectPeak(peaks[i], it->min, it->max, where.c_str());
    } else {
      ExpectPeak(peaks[i], 0.0f, 0.0f, where.c_str());
    }
  }
}

// ---- Building

TEST_F(StudioWaveSummaryTest, DescribesTheRecording) {
  BuildFrom(impulses);
  EXPECT_TRUE(summary.IsBuilt());
  EXPECT_EQ(summary.Path(), impulses);
  EXPECT_EQ(summary.Frames(), kImpulseFrames);
  EXPECT_EQ(summary.SampleRate(), kRate);
  EXPECT_EQ(summary.Channels(), 1);
  EXPECT_EQ(summary.DurationMs(), 800.3125);
}

TEST_F(StudioWaveSummaryTest, LevelsReduceByFourUpToOneBucket) {
  BuildFrom(impulses);
  ASSERT_EQ(summary.LevelCount(), 5u);
  const int64_t counts[] = {101, 26, 7, 2, 1};
  for (size_t level = 0; level < 5; ++level) {
    EXPECT_EQ(summary.BucketFrames(level), 256 << (2 * level));
    EXPECT_EQ(summary.BucketCount(level), counts[level]);
  }
  EXPECT_EQ(summary.BucketFrames(5), 0);
  EXPECT_EQ(summary.BucketCount(5), 0);
  EXPECT_EQ(summary.MemoryBytes(), (101u + 26 + 7 + 2 + 1) * sizeof(Peak));
  EXPECT_EQ(sizeof(Peak), 8u);
}

TEST_F(StudioWaveSummaryTest, BucketsHoldTheMinimumAndMaximumOfTheirFrames) {
  BuildFrom(impulses);
  ExpectPeak(summary.Bucket(0, 0, 0), 0.0f, 0.0f, "base 0");
  ExpectPeak(summary.Bucket(0, 3, 0), 0.0f, 0.5f, "base 3: frame 1000");
  ExpectPeak(summary.Bucket(0, 19, 0), -0.75f, 0.0f, "base 19: frame 5000");
  ExpectPeak(summary.Bucket(0, 100, 0), 0.0f, 0.25f, "base 100: the partial bucket");
  ExpectPeak(summary.Bucket(1, 0, 0), 0.0f, 0.5f, "level 1, 0");
  ExpectPeak(summary.Bucket(1, 4, 0), -0.75f, 0.0f, "level 1, 4: frames 4096-5119");
  ExpectPeak(summary.Bucket(1, 25, 0), 0.0f, 0.25f, "level 1, 25");
  ExpectPeak(summary.Bucket(2, 1, 0), -0.75f, 0.0f, "level 2, 1");
  ExpectPeak(summary.Bucket(4, 0, 0), -0.75f, 0.5f, "top");
  EXPECT_TRUE(summary.Bucket(0, 101, 0).IsEmpty());
  EXPECT_TRUE(summary.Bucket(0, -1, 0).IsEmpty());
  EXPECT_TRUE(summary.Bucket(0, 0, 1).IsEmpty());
  EXPECT_TRUE(summary.Bucket(9, 0, 0).IsEmpty());
}

TEST_F(StudioWaveSummaryTest, StereoChannelsAreKeptApart) {
  // Left: +0.5 for 512 frames, then -0.5; right: 0.125 with one -1 at 700.
  std::vector<float> samples;
  for (int64_t i = 0; i < 1024; ++i) {
    samples.push_back(i < 512 ? 0.5f : -0.5f);
    samples.push_back(i == 700 ? -1.0f : 0.125f);
  }
  std::string path = folder.File("stereo.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 2, samples));
  BuildFrom(path);
  ASSERT_EQ(summary.Channels(), 2);
  ExpectPeak(summary.Bucket(0, 0, 0), 0.5f, 0.5f, "left 0");
  ExpectPeak(summary.Bucket(0, 0, 1), 0.125f, 0.125f, "right 0");
  ExpectPeak(summary.Bucket(0, 2, 0), -0.5f, -0.5f, "left 2");
  ExpectPeak(summary.Bucket(0, 2, 1), -1.0f, 0.125f, "right 2");
  ExpectPeak(summary.Bucket(1, 0, 0), -0.5f, 0.5f, "left top");
  ExpectPeak(summary.Bucket(1, 0, 1), -1.0f, 0.125f, "right top");

  // 1024 frames in 4 pixels: the base level, pixel-major.
  std::vector<Peak> peaks = Query(0.0, 32.0, 4, 0);
  ExpectPeak(peaks[0 * 2 + 0], 0.5f, 0.5f, "pixel 0 left");
  ExpectPeak(peaks[0 * 2 + 1], 0.125f, 0.125f, "pixel 0 right");
  ExpectPeak(peaks[2 * 2 + 0], -0.5f, -0.5f, "pixel 2 left");
  ExpectPeak(peaks[2 * 2 + 1], -1.0f, 0.125f, "pixel 2 right");
  // Zoomed in: frames 696-703 from the file, two per pixel.
  peaks = Query(21.75, 22.0, 4, -1);
  ExpectPeak(peaks[2 * 2 + 1], -1.0f, 0.125f, "frames 700-701 right");
  ExpectPeak(peaks[2 * 2 + 0], -0.5f, -0.5f, "frames 700-701 left");
  ExpectPeak(peaks[3 * 2 + 1], 0.125f, 0.125f, "frames 702-703 right");
}

TEST_F(StudioWaveSummaryTest, ASineReachesItsPeaksAtEveryLevel) {
  std::vector<float> samples = StudioSine(48000, 48000, 1000.0, 0.8f);
  std::string path = folder.File("sine.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, 48000, 1, samples));
  BuildFrom(path);
  float lowest = *std::min_element(samples.begin(), samples.end());
  float highest = *std::max_element(samples.begin(), samples.end());
  // 48 frames a period: every base bucket holds whole periods' extremes.
  for (size_t level = 0; level < summary.LevelCount(); ++level) {
    for (int64_t j = 0; j < summary.BucketCount(level); ++j) {
      Peak peak = summary.Bucket(level, j, 0);
      ASSERT_EQ(peak.min, lowest) << level << "/" << j;
      ASSERT_EQ(peak.max, highest) << level << "/" << j;
    }
  }
  EXPECT_EQ(highest, 0.8f);
  EXPECT_EQ(summary.DurationMs(), 1000.0);
}

TEST_F(StudioWaveSummaryTest, AnEmptyRecordingHasOneEmptyLevel) {
  std::string path = folder.File("empty.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 1, {}));
  BuildFrom(path);
  EXPECT_EQ(summary.Frames(), 0);
  EXPECT_EQ(summary.LevelCount(), 1u);
  EXPECT_EQ(summary.BucketCount(0), 0);
  std::vector<Peak> peaks = Query(0.0, 10.0, 5, -1);
  for (const Peak& peak : peaks) EXPECT_TRUE(peak.IsEmpty());
}

// ---- Queries

TEST_F(StudioWaveSummaryTest, APixelOfOneBaseBucketUsesTheBaseLevel) {
  BuildFrom(impulses);
  // 800 ms = 25600 frames in 100 pixels: 256 frames each.
  ExpectSilentExcept(Query(0.0, 800.0, 100, 0), {{3, 0.0f, 0.5f}, {19, -0.75f, 0.0f}});
}

TEST_F(StudioWaveSummaryTest, WiderPixelsUseTheCoarsestLevelFinerThanAPixel) {
  BuildFrom(impulses);
  // 1024 frames a pixel: level 1 exactly.
  ExpectSilentExcept(Query(0.0, 800.0, 25, 1), {{0, 0.0f, 0.5f}, {4, -0.75f, 0.0f}});
  // 4266.7 frames a pixel: level 2 (4096). Bucket 1 (frames 4096-8191)
  // starts in pixel 0, so the impulse at frame 5000 (pixel 1 by its own
  // time) is shown there: one bucket away at most. Bucket 6 (24576-25609)
  // starts in pixel 5 and brings frame 25605, just past the range.
  ExpectSilentExcept(Query(0.0, 800.0, 6, 2), {{0, -0.75f, 0.5f}, {5, 0.0f, 0.25f}});
}

TEST_F(StudioWaveSummaryTest, PixelsBeyondTheRecordingAreEmpty) {
  BuildFrom(impulses);
  // 1600 ms in 50 pixels: level 1, whose 26 buckets fill pixels 0-25.
  std::vector<Peak> peaks = Query(0.0, 1600.0, 50, 1);
  ExpectPeak(peaks[25], 0.0f, 0.25f, "the last bucket");
  for (uint32_t i = 26; i < 50; ++i) EXPECT_TRUE(peaks[i].IsEmpty()) << i;

  // Zoomed in across the start: 32 frames a pixel, read from the file.
  peaks = Query(-10.0, 10.0, 20, -1);
  for (uint32_t i = 0; i < 10; ++i) EXPECT_TRUE(peaks[i].IsEmpty()) << i;
  for (uint32_t i = 10; i < 20; ++i) ExpectPeak(peaks[i], 0.0f, 0.0f, "inside");

  // Across the end: one frame a pixel; frames 25600-25609 exist.
  peaks = Query(800.0, 801.0, 32, -1);
  ExpectPeak(peaks[5], 0.25f, 0.25f, "frame 25605");
  ExpectPeak(peaks[9], 0.0f, 0.0f, "frame 25609, the last");
  for (uint32_t i = 10; i < 32; ++i) EXPECT_TRUE(peaks[i].IsEmpty()) << i;
}

TEST_F(StudioWaveSummaryTest, ZoomedInBeyondTheBaseLevelTheFramesAreReadExactly) {
  BuildFrom(impulses);
  // 4 frames a pixel: frames 992-1023; 1000 lies in pixel 2.
  ExpectSilentExcept(Query(31.0, 32.0, 8, -1), {{2, 0.0f, 0.5f}});
  // 255 frames a pixel is still read from the file: frame 1000 is in pixel
  // 3 (765-1019), not in its bucket's pixel.
  ExpectSilentExcept(Query(0.0, 255.0 * 8 / 32.0, 8, -1), {{3, 0.0f, 0.5f}});
}

TEST_F(StudioWaveSummaryTest, MorePixelsThanFramesHoldTheFrameSoundingAtTheirStart) {
  BuildFrom(impulses);
  // Frames 1000-1007 over 16 pixels: two pixels a frame. Frame 1000 lies in
  // pixel 0; pixel 1 holds no frame and shows frame 1000 too.
  ExpectSilentExcept(Query(31.25, 31.5, 16, -1), {{0, 0.5f, 0.5f}, {1, 0.5f, 0.5f}});
}

TEST_F(StudioWaveSummaryTest, BadQueriesAreRefusedWithAStatus) {
  std::vector<Peak> peaks(3);
  testing::internal::CaptureStderr();
  EXPECT_EQ(summary.Peaks(0.0, 10.0, 10, peaks, nullptr), kQVErrWaveQuery);  // nothing built
  EXPECT_TRUE(peaks.empty());
  BuildFrom(impulses);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Bad {
    double start, end;
    uint32_t width;
  };
  for (const Bad& bad : {Bad{10.0, 10.0, 10}, Bad{10.0, 5.0, 10}, Bad{nan, 5.0, 10},
                         Bad{0.0, inf, 10}, Bad{-1e308, 1e308, 10}, Bad{0.0, 10.0, 0},
                         Bad{0.0, 10.0, StudioWaveSummary::kMaxQueryWidth + 1}}) {
    peaks.resize(3);
    EXPECT_EQ(summary.Peaks(bad.start, bad.end, bad.width, peaks, nullptr), kQVErrWaveQuery);
    EXPECT_TRUE(peaks.empty());
  }
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("### QVLib Error -1405: Bad waveform query (no summary built).\n"),
            std::string::npos);
  EXPECT_NE(log.find("### QVLib Error -1405: Bad waveform query (width out of range).\n"),
            std::string::npos);
}

TEST_F(StudioWaveSummaryTest, FarAwayRangesGiveEmptyPixelsWithoutOverflow) {
  BuildFrom(impulses);
  for (const Peak& peak : Query(1e300, 2e300, 4, 4)) EXPECT_TRUE(peak.IsEmpty());
  for (const Peak& peak : Query(-2e300, -1e300, 4, 4)) EXPECT_TRUE(peak.IsEmpty());
  for (const Peak& peak : Query(1e12, 1e12 + 1.0, 4, -1)) EXPECT_TRUE(peak.IsEmpty());
}

// ---- Formats

struct FormatCase {
  const char* name;
  int format;
  int rate;
  bool lossless;
};

class StudioWaveFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(StudioWaveFormatTest, ReadsTheFormat) {
  const FormatCase& c = GetParam();
  SF_INFO check{};
  check.samplerate = c.rate;
  check.channels = 2;
  check.format = c.format;
  if (!sf_format_check(&check)) GTEST_SKIP() << "the library cannot write " << c.name;

  // Two seconds: the first loud (a 0.5 sine on the left, a 0.25 one on the
  // right), the second silent; plus an impulse of 0.5 on the left at 0.25 s
  // for the lossless formats.
  int64_t frames = 2 * c.rate;
  std::vector<float> left = StudioSine(frames, c.rate, 440.0, 0.5f);
  std::vector<float> samples;
  for (int64_t i = 0; i < frames; ++i) {
    float l = i < c.rate ? left[static_cast<size_t>(i)] : 0.0f;
    samples.push_back(i == c.rate / 4 ? 0.5f : l);
    samples.push_back(i < c.rate ? l / 2.0f : 0.0f);
  }
  StudioTestFolder folder;
  std::string path = folder.File(std::string("sound.") + c.name);
  ASSERT_TRUE(StudioWriteRecording(path, c.format, c.rate, 2, samples));

  StudioWaveSummary summary;
  ASSERT_EQ(summary.Build(path, {}, nullptr), 0);
  EXPECT_EQ(summary.SampleRate(), c.rate);
  EXPECT_EQ(summary.Channels(), 2);
  std::vector<Peak> loud;
  std::vector<Peak> silent;
  ASSERT_EQ(summary.Peaks(0.0, 1000.0, 1, loud, nullptr), 0);
  ASSERT_EQ(summary.Peaks(1500.0, 2000.0, 1, silent, nullptr), 0);
  if (c.lossless) {
    EXPECT_EQ(summary.Frames(), frames);
    EXPECT_EQ(loud[0].max, 0.5f);  // the impulse
    // The right channel as the library decodes it on its own; its second
    // half is silent.
    std::vector<float> decoded = StudioReadRecording(path);
    float lowest = 0.0f;
    float highest = 0.0f;
    for (size_t i = 1; i < decoded.size(); i += 2) {
      lowest = std::min(lowest, decoded[i]);
      highest = std::max(highest, decoded[i]);
    }
    ExpectPeak(loud[1], lowest, highest, "right, loud");
    EXPECT_GT(highest, 0.24f);
    ExpectPeak(silent[0], 0.0f, 0.0f, "left, silent");
    ExpectPeak(silent[1], 0.0f, 0.0f, "right, silent");
  } else {
    // Lossy codecs pad and smear: the loud half is loud, the silent half
    // nearly silent.
    EXPECT_NEAR(static_cast<double>(summary.Frames()), static_cast<double>(frames), c.rate / 10.0);
    EXPECT_GT(loud[0].max, 0.4f);
    EXPECT_LT(loud[0].min, -0.4f);
    EXPECT_GT(loud[1].max, 0.2f);
    for (const Peak& peak : silent) {
      EXPECT_LT(peak.max, 0.05f);
      EXPECT_GT(peak.min, -0.05f);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, StudioWaveFormatTest,
    testing::Values(FormatCase{"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, true},
                    FormatCase{"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000, true},
                    FormatCase{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, true},
                    FormatCase{"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, false},
                    FormatCase{"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, false},
                    FormatCase{"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, false}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

// ---- Failures

TEST_F(StudioWaveSummaryTest, AMissingFileCannotBeOpened) {
  std::string path = folder.File("missing.wav");
  testing::internal::CaptureStderr();
  EXPECT_EQ(summary.Build(path, {}, nullptr), kQVErrSoundOpen);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Error -1401: Can't open the sound file \"" + path +
                "\" (No such file or directory).\n");
  EXPECT_FALSE(summary.IsBuilt());
}

TEST_F(StudioWaveSummaryTest, FilesThatAreNoRecordingsAreRefusedAndKeepTheSummary) {
  BuildFrom(impulses);
  std::string text = folder.File("notes.wav");
  std::ofstream(text) << "These are notes, not sound.\n";
  // The first 30 bytes of a good WAV: the header stops in the middle.
  std::string cut = folder.File("cut.wav");
  {
    std::ifstream in(impulses, std::ios::binary);
    std::string head(30, '\0');
    in.read(&head[0], 30);
    std::ofstream(cut, std::ios::binary) << head;
  }
  for (const std::string& path : {text, cut, folder.File("")}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(summary.Build(path, {}, nullptr), kQVErrSoundFormat) << path;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.rfind("### QVLib Error -1402: The file \"" + path +
                            "\" is not a recording the studio reads (",
                        0),
              0u)
        << log;
    // The summary of the good recording is still there.
    EXPECT_EQ(summary.Path(), impulses);
    EXPECT_EQ(summary.Frames(), kImpulseFrames);
  }
}

// ---- Progress and cancelling

TEST_F(StudioWaveSummaryTest, ProgressRisesToOne) {
  std::string path = folder.File("long.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 1, std::vector<float>(10 * 16384, 0.25f)));
  std::vector<double> reports;
  ASSERT_EQ(summary.Build(
                path, [&](double f) { reports.push_back(f); }, nullptr),
            0);
  ASSERT_EQ(reports.size(), 10u);  // one a block
  for (size_t i = 0; i < reports.size(); ++i) EXPECT_EQ(reports[i], (i + 1) / 10.0);
}

TEST_F(StudioWaveSummaryTest, CancellingStopsBetweenBlocksAndKeepsTheOldSummary) {
  BuildFrom(impulses);
  std::string path = folder.File("long.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 1, std::vector<float>(10 * 16384, 0.25f)));

  std::atomic<bool> cancel{false};
  int reports = 0;
  auto progress = [&](double) {
    if (++reports == 3) cancel = true;
  };
  EXPECT_EQ(summary.Build(path, progress, &cancel), kQVErrSoundCancelled);
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(summary.Path(), impulses);
  EXPECT_EQ(summary.Frames(), kImpulseFrames);

  // Cancelled before it starts: nothing is read.
  reports = 0;
  EXPECT_EQ(summary.Build(path, progress, &cancel), kQVErrSoundCancelled);
  EXPECT_EQ(reports, 0);
}

TEST_F(StudioWaveSummaryTest, BuildsOnAWorkerThreadWhileAnotherCancels) {
  std::string path = folder.File("long.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 2, std::vector<float>(2 * 40 * 16384, -0.5f)));
  std::atomic<bool> cancel{false};
  std::atomic<int> reports{0};
  int32_t status = 1;
  // The worker waits in its first report until this thread has cancelled.
  std::thread worker([&] {
    status = summary.Build(
        path,
        [&](double) {
          ++reports;
          while (!cancel.load()) std::this_thread::yield();
        },
        &cancel);
  });
  while (reports.load() == 0) std::this_thread::yield();
  cancel = true;
  worker.join();
  EXPECT_EQ(status, kQVErrSoundCancelled);
  EXPECT_EQ(reports.load(), 1);
  EXPECT_FALSE(summary.IsBuilt());

  // And without cancelling, a summary built on a worker is whole.
  cancel = false;
  std::thread again([&] { status = summary.Build(path, {}, &cancel); });
  again.join();
  EXPECT_EQ(status, 0);
  ExpectPeak(summary.Bucket(summary.LevelCount() - 1, 0, 1), -0.5f, -0.5f, "top right");
}

// ---- Headers that announce more than the file holds

// An 8-channel FLAC of 1000 frames (a click of 0.5 at frame 300 on channel
// 5) whose header announces 2^36 - 1 frames: the 36-bit sample count of
// STREAMINFO (the low four bits of byte 21, then bytes 22 to 25) all ones.
std::string FlacAnnouncingTooMuch(const StudioTestFolder& folder) {
  std::string path = folder.File("announcing.flac");
  if (!StudioWriteRecording(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 8,
                            StudioSilenceWith(1000, 8, {{300, 5, 0.5f}}))) {
    return "";
  }
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekg(21);
  char low = 0;
  file.get(low);
  file.seekp(21);
  file.put(static_cast<char>(low | 0x0F)).write("\xFF\xFF\xFF\xFF", 4);
  return file ? path : "";
}

TEST(StudioWaveSummaryHeaderTest, AHeaderAnnouncingBillionsOfFramesCostsOnlyWhatIsRead) {
  StudioTestFolder folder;
  std::string path = FlacAnnouncingTooMuch(folder);
  ASSERT_FALSE(path.empty());
  StudioSoundFile file;
  ASSERT_EQ(file.Open(path), 0);
  ASSERT_EQ(file.Frames(), 68719476735);

  // The heap while the last progress report is made, when the levels are
  // complete: it once held 64 MB reserved by the announced count (2^20
  // buckets of 8 channels).
  const bool measured = __sanitizer_get_current_allocated_bytes != nullptr;
  const size_t before = measured ? __sanitizer_get_current_allocated_bytes() : 0;
  size_t grown = 0;
  StudioWaveSummary summary;
  ASSERT_EQ(summary.Build(path,
                          [&](double) {
                            if (measured) grown = __sanitizer_get_current_allocated_bytes() - before;
                          },
                          nullptr),
            0);
  EXPECT_EQ(summary.Frames(), 1000);
  EXPECT_EQ(summary.BucketCount(0), 4);
  ExpectPeak(summary.Bucket(0, 1, 5), 0.0f, 0.5f, "the click's bucket");
  EXPECT_EQ(summary.MemoryBytes(), (4u + 1u) * 8u * sizeof(Peak));
  if (!measured) GTEST_SKIP() << "the heap is measured through AddressSanitizer";
  // The read block (16384 frames of 8 floats, 512 KB) and the decoder's own.
  EXPECT_LT(grown, size_t{2} << 20);
}

// ---- The sound file on its own

// A stereo FLAC of 600 frames with one stray byte inserted before its vendor
// string: the metadata then ends a byte early, and the decoder loses sync
// on the stray byte before it finds the first frame. The sound library
// flags that error in the read that met it, even when it filled the block.
TEST(StudioSoundFileTest, ADecodingErrorFailsTheReadWhateverTheBlockSize) {
  StudioTestFolder folder;
  std::string path = folder.File("stray.flac");
  ASSERT_TRUE(StudioWriteRecording(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 2,
                                   StudioSilenceWith(600, 2, {{300, 1, -0.5f}})));
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  size_t vendor = bytes.find("reference libFLAC");
  ASSERT_NE(vendor, std::string::npos);
  bytes.insert(vendor, 1, '\x01');
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

  for (int64_t block : {int64_t{1}, int64_t{61}, StudioWaveSummary::kBlockFrames}) {
    StudioSoundFile file;
    ASSERT_EQ(file.Open(path), 0);
    std::vector<float> samples(static_cast<size_t>(block) * 2);
    int64_t read = -1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(file.Read(samples.data(), block, read), kQVErrSoundRead) << block;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(read, std::min<int64_t>(block, 600)) << block;
    EXPECT_NE(log.find("lost sync"), std::string::npos) << log;
  }
  StudioWaveSummary summary;
  testing::internal::CaptureStderr();
  EXPECT_EQ(summary.Build(path, {}, nullptr), kQVErrSoundRead);
  testing::internal::GetCapturedStderr();
}

// Opening a FIFO for reading waits until something writes to it: a recording
// path that names one is refused at once instead.
TEST(StudioSoundFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  StudioTestFolder folder;
  std::string path = folder.File("pipe.wav");
  StudioSoundFile file;
  int32_t status = 0;
  testing::internal::CaptureStderr();
  bool prompt = StudioOpensFifoWithoutWaiting(path, [&] { return file.Open(path); }, status);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(prompt);
  EXPECT_EQ(status, kQVErrSoundFormat);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(log, "### QVLib Error -1402: The file \"" + path +
                     "\" is not a recording the studio reads (not a regular file).\n");
}

TEST(StudioSoundFileTest, ReadsFramesAfterASeekAndStopsAtTheEnd) {
  StudioTestFolder folder;
  std::string path = folder.File("ramp.wav");
  std::vector<float> ramp;
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<float>(i) / 128.0f);
  ASSERT_TRUE(StudioWriteFloatWav(path, 8000, 1, ramp));
  StudioSoundFile file;
  ASSERT_EQ(file.Open(path), 0);
  EXPECT_EQ(file.Frames(), 100);
  ASSERT_EQ(file.Seek(95), 0);
  float buffer[10] = {};
  int64_t read = -1;
  ASSERT_EQ(file.Read(buffer, 10, read), 0);
  EXPECT_EQ(read, 5);
  EXPECT_EQ(buffer[0], 95.0f / 128.0f);
  EXPECT_EQ(buffer[4], 99.0f / 128.0f);
  ASSERT_EQ(file.Read(buffer, 10, read), 0);
  EXPECT_EQ(read, 0);

  testing::internal::CaptureStderr();
  EXPECT_EQ(file.Seek(-1), kQVErrSoundRead);
  StudioSoundFile moved = std::move(file);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Read(buffer, 1, read), kQVErrSoundRead);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(moved.IsOpen());
  ASSERT_EQ(moved.Seek(0), 0);
  ASSERT_EQ(moved.Read(buffer, 1, read), 0);
  EXPECT_EQ(buffer[0], 0.0f);
}

// 16-bit recordings are read as integers in large blocks and scaled by the
// studio: the frames must equal the library's own float reading, in every
// container and byte order, across block edges, after a seek, to the end.
TEST(StudioSoundFileTest, SixteenBitRecordingsReadAsTheLibraryReadsThem) {
  struct Case {
    const char* name;
    int format;
    int channels;
  };
  const Case cases[] = {
      {"mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1},
      {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2},
      {"big-endian.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 3},
      {"lossless.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1},
  };
  StudioTestFolder folder;
  const int64_t frames = 70001;
  for (const Case& c : cases) {
    std::vector<float> samples(static_cast<size_t>(frames * c.channels));
    for (size_t i = 0; i < samples.size(); ++i) {
      // Values over the whole 16-bit range.
      samples[i] = static_cast<float>(static_cast<int>((i * 7919) % 65536) - 32768) / 32768.0f;
    }
    std::string path = folder.File(c.name);
    ASSERT_TRUE(StudioWriteRecording(path, c.format, 44100, c.channels, samples)) << c.name;
    const std::vector<float> expected = StudioReadRecording(path);
    ASSERT_EQ(expected.size(), samples.size()) << c.name;

    StudioSoundFile file;
    ASSERT_EQ(file.Open(path), 0) << c.name;
    const int64_t start = 3;
    ASSERT_EQ(file.Seek(start), 0);
    std::vector<float> got;
    std::vector<float> block(static_cast<size_t>(40000 * c.channels), NAN);
    for (int64_t want : {int64_t{1}, int64_t{10007}, int64_t{40000}, int64_t{40000}}) {
      int64_t read = -1;
      ASSERT_EQ(file.Read(block.data(), want, read), 0) << c.name;
      got.insert(got.end(), block.begin(), block.begin() + read * c.channels);
    }
    ASSERT_EQ(static_cast<int64_t>(got.size()), (frames - start) * c.channels) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i], expected[i + static_cast<size_t>(start * c.channels)]) << c.name << " " << i;
    }
    int64_t read = -1;
    ASSERT_EQ(file.Read(block.data(), 10, read), 0);
    EXPECT_EQ(read, 0) << c.name;
  }
}

}  // namespace
