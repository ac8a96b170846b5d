// The player: recordings written here, played into a fake sink that keeps
// real-time pace, with the GLib main loop turned by the test as the studio's
// window turns it.
#include "StudioPlayer.h"

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "StudioTestMainLoop.h"
#include "StudioTestRecordings.h"
#include "kit/QVErrors.h"

namespace {

using Clock = StudioTestClock;

constexpr int kRate = 48000;
// How far the playhead may stray from the wall clock.
constexpr double kToleranceMs = 50.0;

class StudioPlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    tone = folder.File("tone.wav");
    ASSERT_TRUE(StudioWriteFloatWav(tone, kRate, 1, StudioSine(3 * kRate, kRate, 440.0, 0.5f)));
    player.SetFinishedProc([this](int32_t status) { finished.push_back(status); });
  }

  StudioTestFolder folder;
  std::string tone;
  StudioPlayer player{StudioPlayer::Output::kSilentRealTime};
  std::vector<int32_t> finished;
};

TEST_F(StudioPlayerTest, PlayingOneSecondMovesThePlayheadOneSecond) {
  ASSERT_EQ(player.Open(tone), 0);
  EXPECT_NEAR(player.DurationMs(), 3000.0, 1.0);
  EXPECT_EQ(player.PositionMs(), 0.0);
  ASSERT_EQ(player.PlayFrom(0.0), 0);
  Clock::time_point start = Clock::now();
  EXPECT_TRUE(player.IsPlaying());
  StudioRunLoopFor(1000.0);
  double position = player.PositionMs();
  double elapsed = StudioMsSince(start);
  EXPECT_NEAR(position, elapsed, kToleranceMs);
  EXPECT_NEAR(position, 1000.0, kToleranceMs);
  EXPECT_TRUE(finished.empty());
}

TEST_F(StudioPlayerTest, PlayingFromATimeStartsThere) {
  ASSERT_EQ(player.Open(tone), 0);
  ASSERT_EQ(player.PlayFrom(1500.0), 0);
  Clock::time_point start = Clock::now();
  StudioRunLoopFor(300.0);
  EXPECT_NEAR(player.PositionMs(), 1500.0 + StudioMsSince(start), kToleranceMs);
}

TEST_F(StudioPlayerTest, PauseHoldsThePlayheadAndResumeGoesOnFromIt) {
  ASSERT_EQ(player.Open(tone), 0);
  ASSERT_EQ(player.PlayFrom(0.0), 0);
  StudioRunLoopFor(400.0);
  ASSERT_EQ(player.Pause(), 0);
  EXPECT_FALSE(player.IsPlaying());
  double held = player.PositionMs();
  EXPECT_NEAR(held, 400.0, kToleranceMs);
  StudioRunLoopFor(400.0);
  EXPECT_NEAR(player.PositionMs(), held, 1.0);

  ASSERT_EQ(player.Resume(), 0);
  Clock::time_point start = Clock::now();
  StudioRunLoopFor(300.0);
  EXPECT_NEAR(player.PositionMs(), held + StudioMsSince(start), kToleranceMs);
  EXPECT_TRUE(finished.empty());
}

TEST_F(StudioPlayerTest, LoopingARangeReturnsToItsStart) {
  ASSERT_EQ(player.Open(tone), 0);
  ASSERT_EQ(player.PlayRange(1000.0, 1300.0, true), 0);
  EXPECT_TRUE(player.IsLooping());
  double lowest = 1e9, highest = -1e9, previous = -1.0;
  int wraps = 0;
  StudioRunLoopFor(1100.0, [&] {
    double position = player.PositionMs();
    lowest = std::min(lowest, position);
    highest = std::max(highest, position);
    if (previous >= 0.0 && position < previous - 100.0) ++wraps;
    previous = position;
  });
  // 1100 ms over a 300 ms range: back at the start three times.
  EXPECT_EQ(wraps, 3);
  EXPECT_GE(lowest, 1000.0 - 1.0);
  EXPECT_LE(highest, 1300.0 + 1.0);
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_TRUE(finished.empty());

  player.Stop();
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_FALSE(player.IsLooping());
  EXPECT_EQ(player.Resume(), kQVErrPlayback);
}

TEST_F(StudioPlayerTest, ARangeWithoutLoopStopsAtItsEnd) {
  ASSERT_EQ(player.Open(tone), 0);
  ASSERT_EQ(player.PlayRange(200.0, 500.0, false), 0);
  StudioRunLoopFor(600.0);
  EXPECT_FALSE(player.IsPlaying());
  ASSERT_EQ(finished, std::vector<int32_t>{0});
  EXPECT_NEAR(player.PositionMs(), 500.0, kToleranceMs);
}

TEST_F(StudioPlayerTest, PlayingToTheEndFinishes) {
  ASSERT_EQ(player.Open(tone), 0);
  ASSERT_EQ(player.PlayFrom(2700.0), 0);
  StudioRunLoopFor(500.0);
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(finished, std::vector<int32_t>{0});
  EXPECT_NEAR(player.PositionMs(), 3000.0, kToleranceMs);
  // Playing again from the start works after the end.
  ASSERT_EQ(player.PlayFrom(0.0), 0);
  StudioRunLoopFor(200.0);
  EXPECT_NEAR(player.PositionMs(), 200.0, kToleranceMs);
}

TEST_F(StudioPlayerTest, FilesThePlayerCannotPlayAreRefusedWithAStatus) {
  std::string text = folder.File("notes.wav");
  std::ofstream(text) << "These are notes, not a recording.\n";
  std::string empty = folder.File("empty.wav");
  std::ofstream{empty};
  std::string directory = folder.File("folder.wav");
  std::filesystem::create_directory(directory);
  struct Case {
    std::string path;
    int32_t status;
  };
  const Case cases[] = {
      {folder.File("missing.wav"), kQVErrSoundOpen},
      {directory, kQVErrSoundFormat},
      {text, kQVErrSoundFormat},
      {empty, kQVErrSoundFormat},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(player.Open(c.path), c.status) << c.path;
    EXPECT_FALSE(player.IsOpen()) << c.path;
    EXPECT_EQ(player.PlayFrom(0.0), kQVErrPlayback) << c.path;
    EXPECT_EQ(player.PositionMs(), 0.0) << c.path;
  }
  // A FIFO is refused at once, not waited on for a writer.
  std::string fifo = folder.File("pipe.wav");
  int32_t status = 0;
  EXPECT_TRUE(StudioOpensFifoWithoutWaiting(
      fifo, [&] { return player.Open(fifo); }, status));
  EXPECT_EQ(status, kQVErrSoundFormat);
  EXPECT_FALSE(player.IsOpen());

  // The player is not harmed: the next recording opens and plays.
  ASSERT_EQ(player.Open(tone), 0);
  ASSERT_EQ(player.PlayFrom(0.0), 0);
  StudioRunLoopFor(100.0);
  EXPECT_GT(player.PositionMs(), 0.0);
}

TEST_F(StudioPlayerTest, BadTimesAreRefusedAndPlaybackStaysAsItWas) {
  ASSERT_EQ(player.Open(tone), 0);
  struct Case {
    double start;
    double end;
  };
  const Case ranges[] = {{-1.0, 100.0},   {500.0, 500.0},   {600.0, 200.0}, {NAN, 100.0},
                         {0.0, INFINITY}, {3000.0, 3500.0}, {1e300, 2e300}};
  for (const Case& c : ranges) {
    EXPECT_EQ(player.PlayRange(c.start, c.end, true), kQVErrPlayback) << c.start << " " << c.end;
  }
  for (double start : {-0.5, double(NAN), double(INFINITY), 3000.0, 5000.0}) {
    EXPECT_EQ(player.PlayFrom(start), kQVErrPlayback) << start;
  }
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(player.Resume(), kQVErrPlayback);
  EXPECT_EQ(player.PositionMs(), 0.0);
}

TEST_F(StudioPlayerTest, CompressedRecordingsPlayToo) {
  struct Case {
    const char* name;
    int format;
  };
  const Case cases[] = {{"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                        {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}};
  for (const Case& c : cases) {
    std::string path = folder.File(c.name);
    ASSERT_TRUE(
        StudioWriteRecording(path, c.format, kRate, 1, StudioSine(kRate, kRate, 440.0, 0.5f)));
    ASSERT_EQ(player.Open(path), 0) << c.name;
    EXPECT_NEAR(player.DurationMs(), 1000.0, 5.0) << c.name;
    ASSERT_EQ(player.PlayFrom(0.0), 0) << c.name;
    Clock::time_point start = Clock::now();
    StudioRunLoopFor(300.0);
    EXPECT_NEAR(player.PositionMs(), StudioMsSince(start), kToleranceMs) << c.name;
  }
}

// AAC in an MPEG-4 file, which the sound-file library does not read: one
// second of a tone encoded here by the media framework itself.
TEST_F(StudioPlayerTest, AacInM4aPlays) {
  std::string path = folder.File("tone.m4a");
  std::string description =
      "audiotestsrc num-buffers=47 samplesperbuffer=1024 ! audio/x-raw,rate=48000,channels=1 ! "
      "audioconvert ! avenc_aac ! mp4mux ! filesink location=" +
      path;
  ASSERT_EQ(player.Open(tone), 0);  // starts the framework
  GError* error = nullptr;
  GstElement* encoder = gst_parse_launch(description.c_str(), &error);
  ASSERT_TRUE(encoder && !error) << (error ? error->message : "no pipeline");
  gst_element_set_state(encoder, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(encoder);
  GstMessage* end = gst_bus_timed_pop_filtered(
      bus, 10 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  bool written = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
  if (end) gst_message_unref(end);
  gst_object_unref(bus);
  gst_element_set_state(encoder, GST_STATE_NULL);
  gst_object_unref(encoder);
  ASSERT_TRUE(written);

  ASSERT_EQ(player.Open(path), 0);
  EXPECT_NEAR(player.DurationMs(), 1000.0, 50.0);
  ASSERT_EQ(player.PlayFrom(0.0), 0);
  Clock::time_point start = Clock::now();
  StudioRunLoopFor(300.0);
  EXPECT_NEAR(player.PositionMs(), StudioMsSince(start), kToleranceMs);
}

// Without a sound device (servers, CI) playback stays off with its own
// status; with one the player opens as usual.
TEST(StudioPlayerDevice, NoSoundDeviceIsAStatusNotAFailureElsewhere) {
  StudioTestFolder folder;
  std::string tone = folder.File("tone.wav");
  ASSERT_TRUE(StudioWriteFloatWav(tone, kRate, 1, StudioSine(kRate, kRate, 440.0, 0.5f)));
  StudioPlayer player(StudioPlayer::Output::kDevice);
  int32_t status = player.Open(tone);
  if (status == 0) GTEST_SKIP() << "this machine has a sound device";
  EXPECT_EQ(status, kQVErrSoundOutput);
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.PlayFrom(0.0), kQVErrPlayback);
  EXPECT_FALSE(player.IsPlaying());
}

}  // namespace
