// The waveform summary built on a worker thread: progress and the result
// arrive on the main loop's thread, a cancelled or replaced build never
// calls back, and a failure is reported with its status.
#include "StudioSummaryLoader.h"

#include <gtest/gtest.h>
#include <glib.h>

#include <thread>
#include <vector>

#include "kit/QVErrors.h"
#include "studio/StudioTestRecordings.h"

namespace {

// Runs the default main context until done() or about 20 s.
template <class Done>
bool RunUntil(Done done) {
  for (int i = 0; i < 20000 && !done(); ++i) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return done();
}

// Runs what is already queued (and what comes within 100 ms).
void Drain() {
  for (int i = 0; i < 100; ++i) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    g_usleep(1000);
  }
}

class StudioSummaryLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    // 3 s of stereo at 8 kHz: a ramp on the left, silence on the right.
    std::vector<float> samples(3 * 8000 * 2, 0.0f);
    for (size_t i = 0; i < samples.size() / 2; ++i) samples[2 * i] = (i % 100) / 200.0f;
    ASSERT_TRUE(StudioWriteRecording(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 2, samples));
  }
  StudioTestFolder folder;
  std::string path = folder.File("take.wav");
};

TEST_F(StudioSummaryLoaderTest, HandsTheSummaryAndProgressToTheMainThread) {
  const std::thread::id main = std::this_thread::get_id();
  std::vector<double> progress;
  bool done = false;
  int32_t status = 1;
  std::unique_ptr<StudioWaveSummary> summary;
  StudioSummaryLoader loader;
  loader.Start(
      path,
      [&](double fraction) {
        EXPECT_EQ(std::this_thread::get_id(), main);
        progress.push_back(fraction);
      },
      [&](int32_t s, std::unique_ptr<StudioWaveSummary> built) {
        EXPECT_EQ(std::this_thread::get_id(), main);
        status = s;
        summary = std::move(built);
        done = true;
      });
  EXPECT_TRUE(loader.IsRunning());
  ASSERT_TRUE(RunUntil([&] { return done; }));
  EXPECT_FALSE(loader.IsRunning());
  ASSERT_EQ(status, 0);
  ASSERT_NE(summary, nullptr);
  EXPECT_EQ(summary->Frames(), 24000);
  EXPECT_EQ(summary->Channels(), 2);
  EXPECT_EQ(summary->DurationMs(), 3000.0);
  StudioWaveSummary::Peak left = summary->Bucket(0, 0, 0);
  EXPECT_EQ(left.min, 0.0f);
  EXPECT_EQ(left.max, 99 / 200.0f);
  Drain();  // progress posted before the result has all run
  ASSERT_FALSE(progress.empty());
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i], progress[i - 1]);
  EXPECT_EQ(progress.back(), 1.0);
}

TEST_F(StudioSummaryLoaderTest, AFailureComesBackWithItsStatusAndNoSummary) {
  bool done = false;
  int32_t status = 0;
  bool gotSummary = true;
  StudioSummaryLoader loader;
  loader.Start(folder.File("missing.wav"), {},
               [&](int32_t s, std::unique_ptr<StudioWaveSummary> built) {
                 status = s;
                 gotSummary = built != nullptr;
                 done = true;
               });
  ASSERT_TRUE(RunUntil([&] { return done; }));
  EXPECT_EQ(status, kQVErrSoundOpen);
  EXPECT_FALSE(gotSummary);
}

TEST_F(StudioSummaryLoaderTest, ACancelledOrDestroyedLoaderNeverCallsBack) {
  int calls = 0;
  {
    StudioSummaryLoader loader;
    loader.Start(path, [&](double) { ++calls; },
                 [&](int32_t, std::unique_ptr<StudioWaveSummary>) { ++calls; });
    loader.Cancel();
    EXPECT_FALSE(loader.IsRunning());
    loader.Start(path, [&](double) { ++calls; },
                 [&](int32_t, std::unique_ptr<StudioWaveSummary>) { ++calls; });
  }  // destroyed while its build may still run: joined, its messages dropped
  Drain();
  EXPECT_EQ(calls, 0);
}

TEST_F(StudioSummaryLoaderTest, ASecondStartReplacesTheFirstBuild) {
  int firstCalls = 0;
  bool secondDone = false;
  StudioSummaryLoader loader;
  loader.Start(path, [&](double) { ++firstCalls; },
               [&](int32_t, std::unique_ptr<StudioWaveSummary>) { ++firstCalls; });
  loader.Start(path, {}, [&](int32_t status, std::unique_ptr<StudioWaveSummary> built) {
    EXPECT_EQ(status, 0);
    EXPECT_NE(built, nullptr);
    secondDone = true;
  });
  ASSERT_TRUE(RunUntil([&] { return secondDone; }));
  Drain();
  EXPECT_EQ(firstCalls, 0);
}

}  // namespace
