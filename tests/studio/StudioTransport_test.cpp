// The play key, the loop toggle and the view following the playhead, over a
// player that plays into a fake sink at real-time pace.
#include "StudioTransport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "StudioPlayer.h"
#include "StudioTestMainLoop.h"
#include "StudioTestRecordings.h"
#include "StudioTimeAxis.h"

namespace {

constexpr int kRate = 48000;
constexpr double kToleranceMs = 50.0;

class StudioTransportTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string tone = folder.File("tone.wav");
    ASSERT_TRUE(StudioWriteFloatWav(tone, kRate, 1, StudioSine(3 * kRate, kRate, 440.0, 0.5f)));
    ASSERT_EQ(player.Open(tone), 0);
    transport.SetFinishedProc([this](int32_t status) { finished.push_back(status); });
  }

  StudioTestFolder folder;
  StudioPlayer player{StudioPlayer::Output::kSilentRealTime};
  StudioTransport transport{player};
  std::vector<int32_t> finished;
};

TEST_F(StudioTransportTest, PlayingFromTheCursorAndPausingPutsTheCursorWhereTheSoundStopped) {
  transport.SetCursor(1000.0);
  EXPECT_EQ(transport.Playhead(), 1000.0);
  ASSERT_EQ(transport.TogglePlay(), 0);
  StudioTestClock::time_point start = StudioTestClock::now();
  EXPECT_TRUE(transport.IsPlaying());
  StudioRunLoopFor(300.0);
  double heard = 1000.0 + StudioMsSince(start);
  ASSERT_EQ(transport.TogglePlay(), 0);
  EXPECT_FALSE(transport.IsPlaying());
  EXPECT_NEAR(transport.Cursor(), heard, kToleranceMs);
  EXPECT_EQ(transport.Playhead(), transport.Cursor());

  // Playing again goes on from there.
  double cursor = transport.Cursor();
  ASSERT_EQ(transport.TogglePlay(), 0);
  start = StudioTestClock::now();
  StudioRunLoopFor(200.0);
  EXPECT_NEAR(transport.Playhead(), cursor + StudioMsSince(start), kToleranceMs);
  EXPECT_TRUE(finished.empty());
}

TEST_F(StudioTransportTest, ASelectedRangePlaysFromItsStartToItsEnd) {
  transport.SetCursor(2000.0);
  transport.SetRange(500.0, 800.0);
  ASSERT_EQ(transport.TogglePlay(), 0);
  StudioRunLoopFor(100.0);
  EXPECT_NEAR(transport.Playhead(), 600.0, kToleranceMs);
  StudioRunLoopFor(400.0);
  EXPECT_FALSE(transport.IsPlaying());
  EXPECT_EQ(finished, std::vector<int32_t>{0});
  // Ending by itself leaves the cursor alone.
  EXPECT_EQ(transport.Cursor(), 2000.0);
  EXPECT_EQ(transport.Playhead(), 2000.0);
}

TEST_F(StudioTransportTest, SwitchingTheLoopWhileARangePlaysGoesOnFromThePlayhead) {
  transport.SetRange(500.0, 900.0);
  ASSERT_EQ(transport.TogglePlay(), 0);
  StudioRunLoopFor(200.0);
  double before = transport.Playhead();
  ASSERT_EQ(transport.SetLoop(true), 0);
  EXPECT_TRUE(player.IsLooping());
  StudioRunLoopFor(20.0);
  EXPECT_NEAR(transport.Playhead(), before + 20.0, kToleranceMs);

  // Past the range's end it comes back to its start.
  double lowest = 1e9, highest = -1e9;
  StudioRunLoopFor(600.0, [&] {
    lowest = std::min(lowest, transport.Playhead());
    highest = std::max(highest, transport.Playhead());
  });
  EXPECT_TRUE(transport.IsPlaying());
  EXPECT_LT(lowest, 600.0);
  EXPECT_GT(highest, 850.0);
  EXPECT_GE(lowest, 499.0);
  EXPECT_LE(highest, 901.0);

  ASSERT_EQ(transport.SetLoop(false), 0);
  EXPECT_TRUE(transport.IsPlaying());
  EXPECT_FALSE(player.IsLooping());
  StudioRunLoopFor(500.0);
  EXPECT_FALSE(transport.IsPlaying());
  EXPECT_EQ(finished, std::vector<int32_t>{0});
}

TEST_F(StudioTransportTest, BadRangesAreNoRange) {
  transport.SetRange(800.0, 500.0);
  EXPECT_FALSE(transport.HasRange());
  transport.SetRange(NAN, 500.0);
  EXPECT_FALSE(transport.HasRange());
  transport.SetRange(-300.0, -100.0);
  EXPECT_FALSE(transport.HasRange());
  transport.SetRange(-300.0, 100.0);
  ASSERT_TRUE(transport.HasRange());
  EXPECT_EQ(transport.RangeStart(), 0.0);
  transport.SetCursor(-5.0);
  EXPECT_EQ(transport.Cursor(), 0.0);
  transport.SetCursor(NAN);
  EXPECT_EQ(transport.Cursor(), 0.0);
}

// A view 1000 pixels wide at 1 ms a pixel over a minute, with the default
// 32-pixel margins: it scrolls from -32 ms to 59032 ms.
TEST(StudioTransportFollow, TheViewPagesToKeepThePlayheadInSight) {
  struct Case {
    double start;     // the view's left edge before
    double playhead;  // ms
    bool moves;
    double after;  // the left edge after
  };
  const Case cases[] = {
      {-32.0, 0.0, false, -32.0},         // in view
      {-32.0, 967.0, false, -32.0},       // the last pixel's time
      {-32.0, 968.0, true, 843.0},        // the right edge: an eighth in
      {10000.0, 9999.0, true, 9874.0},    // just before the view (a loop came back)
      {10000.0, 100.0, true, -25.0},      // far before
      {10000.0, 59990.0, true, 59032.0},  // near the end: held at the limit
      {10000.0, 90000.0, true, 59032.0},  // past the end
      {59032.0, 90000.0, false, 59032.0}, {-32.0, NAN, false, -32.0},
  };
  for (const Case& c : cases) {
    StudioTimeAxis axis;
    axis.SetDuration(60000.0);
    axis.ScrollToTime(c.start);
    ASSERT_EQ(axis.StartTime(), c.start);
    EXPECT_EQ(StudioTransport::Follow(axis, c.playhead), c.moves) << c.playhead;
    EXPECT_EQ(axis.StartTime(), c.after) << c.playhead;
  }
}

}  // namespace

TEST(StudioTransportStatusText, ThePlayheadInMillisecondsThenTheStateAndTheLoop) {
  struct Case {
    double playhead;
    bool playing;
    bool loop;
    const char* text;
  };
  const Case cases[] = {
      {0.0, false, false, "0:00:00.000  paused"},
      {62500.0, true, true, "0:01:02.500  playing  loop"},
      {3723004.5, true, false, "1:02:03.005  playing"},
      {1234.4, false, true, "0:00:01.234  paused  loop"},
      {NAN, false, false, "0:00:00.000  paused"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StudioTransport::StatusText(c.playhead, c.playing, c.loop), c.text) << c.playhead;
  }
}
