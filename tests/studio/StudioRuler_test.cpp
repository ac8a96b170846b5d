// Time texts ("h:mm:ss.fff") and the ruler's ticks and labels.
#include "StudioRuler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "StudioTimeAxis.h"
#include "StudioTimeText.h"

namespace {

// ---- Time texts

struct FormatCase {
  double ms;
  int decimals;
  const char* text;
};

class StudioTimeFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(StudioTimeFormatTest, WritesHoursMinutesSecondsAndTheFractionAsked) {
  EXPECT_EQ(StudioFormatTime(GetParam().ms, GetParam().decimals), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StudioTimeFormatTest,
    testing::Values(FormatCase{0.0, 0, "0:00:00"}, FormatCase{0.0, 3, "0:00:00.000"},
                    FormatCase{3723004.5, 3, "1:02:03.005"}, FormatCase{1500.0, 3, "0:00:01.500"},
                    FormatCase{1500.0, 1, "0:00:01.5"}, FormatCase{1500.0, 0, "0:00:02"},
                    FormatCase{-1500.0, 3, "-0:00:01.500"}, FormatCase{-0.4, 3, "0:00:00.000"},
                    // One rounding at the last digit, not two.
                    FormatCase{0.4996, 3, "0:00:00.000"},
                    // Rounding carries into minutes and hours.
                    FormatCase{59999.96, 1, "0:01:00.0"}, FormatCase{3599999.6, 0, "1:00:00"},
                    FormatCase{360000000.0, 0, "100:00:00"}, FormatCase{1.5, 6, "0:00:00.001500"},
                    FormatCase{12.5, 4, "0:00:00.0125"},
                    FormatCase{1234.0, 9, "0:00:01.234000"},  // clamped to 6 digits
                    FormatCase{1234.0, -2, "0:00:01"},
                    FormatCase{std::numeric_limits<double>::quiet_NaN(), 3, "0:00:00.000"},
                    FormatCase{std::numeric_limits<double>::infinity(), 0, "2501999:47:34"}));

TEST(StudioTimeTextTest, FormatsWholeMicrosecondsExactly) {
  EXPECT_EQ(StudioFormatTimeMicros(3723005000, 3), "1:02:03.005");
  EXPECT_EQ(StudioFormatTimeMicros(12500, 4), "0:00:00.0125");
  EXPECT_EQ(StudioFormatTimeMicros(-1, 6), "-0:00:00.000001");
  EXPECT_EQ(StudioFormatTimeMicros(-1, 3), "0:00:00.000");
  EXPECT_EQ(StudioFormatTimeMicros(std::numeric_limits<int64_t>::min(), 0), "-2501999:47:35");
}

struct ParseCase {
  const char* text;
  double ms;
};

class StudioTimeParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(StudioTimeParseTest, ReadsTheTimeInMilliseconds) {
  double ms = -1.0;
  ASSERT_TRUE(StudioParseTime(GetParam().text, ms)) << GetParam().text;
  EXPECT_EQ(ms, GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StudioTimeParseTest,
    testing::Values(ParseCase{"1:02:03.005", 3723005.0}, ParseCase{"0:00:00.000001", 0.001},
                    ParseCase{"2:05", 125000.0}, ParseCase{"7.25", 7250.0}, ParseCase{"0", 0.0},
                    ParseCase{"-0:00:30", -30000.0}, ParseCase{"-0:00:00", 0.0},
                    ParseCase{"90:00", 5400000.0}, ParseCase{"100:00:00", 360000000.0},
                    ParseCase{"0:00:00.1", 100.0}, ParseCase{"0:00:59.999999", 59999.999}));

class StudioTimeRefuseTest : public testing::TestWithParam<const char*> {};

TEST_P(StudioTimeRefuseTest, RefusesMalformedTextAndKeepsTheOutput) {
  double ms = 42.0;
  EXPECT_FALSE(StudioParseTime(GetParam(), ms)) << GetParam();
  EXPECT_EQ(ms, 42.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, StudioTimeRefuseTest,
                         testing::Values("", "-", "1:60:00", "1:5:00", "1::00", "1:00:00.", ".5",
                                         "1:00:00.1234567", " 1:00", "1:00 ", "1,5", "+5",
                                         "1:00:00:00", "1:-1", "5s", "1.2.3", "--1",
                                         "99999999999999999999", "2501999:47:35"));

// Past 2^52 microseconds the product ms * 1000 in doubles lands on halves
// the exact product misses: 4444444343644.44 ms is 4444444343644440.43 us
// exactly but 4444444343644440.5 in doubles, which once rounded up to ...441.
TEST(StudioTimeTextTest, FormattingRoundsTheExactValueOfLongTimes) {
  struct {
    const char* text;
    int decimals;
  } const cases[] = {{"1234567:52:23.644440", 6}, {"1988415:43:37.689855", 6},
                     {"1234567:52:23.64444", 5}, {"2000000:00:00.0005", 4}};
  for (const auto& c : cases) {
    double ms = 0.0;
    ASSERT_TRUE(StudioParseTime(c.text, ms)) << c.text;
    EXPECT_EQ(StudioFormatTime(ms, c.decimals), c.text);
  }
  EXPECT_EQ(StudioFormatTime(4444444343644.44, 6), "1234567:52:23.644440");
}

TEST(StudioTimeTextTest, FormattingAndParsingRoundTrip) {
  const double times[] = {0.0, 0.001, 1.0, 999.9995, 12345.678901, 3599999.9999, 86400000.0, -7.5};
  for (double t : times) {
    for (int decimals = 0; decimals <= 6; ++decimals) {
      std::string text = StudioFormatTime(t, decimals);
      double back = 0.0;
      ASSERT_TRUE(StudioParseTime(text, back)) << text;
      // Parsing gives t rounded to the digits shown; formatting that again
      // gives the same text.
      double expected = std::round(t * std::pow(10.0, decimals - 3)) / std::pow(10.0, decimals - 3);
      EXPECT_DOUBLE_EQ(back, expected) << text;
      EXPECT_EQ(StudioFormatTime(back, decimals), text);
    }
  }
}

// ---- Steps

struct StepCase {
  double msPerPixel;
  double minSpacing;
  int64_t micros;
  int subdivisions;
  int decimals;
};

class StudioRulerStepTest : public testing::TestWithParam<StepCase> {};

TEST_P(StudioRulerStepTest, PicksTheSmallestNiceStepAtLeastTheSpacingApart) {
  const StepCase& c = GetParam();
  StudioRulerStep step = StudioRuler::ChooseStep(c.msPerPixel, c.minSpacing);
  EXPECT_EQ(step.micros, c.micros);
  EXPECT_EQ(step.subdivisions, c.subdivisions);
  EXPECT_EQ(step.decimals, c.decimals);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StudioRulerStepTest,
    testing::Values(StepCase{1.0, 80.0, 100000, 5, 1},   // 80 ms: 100 ms
                    StepCase{1.0, 100.0, 100000, 5, 1},  // exactly 100 ms
                    StepCase{1.0, 101.0, 200000, 4, 1},
                    StepCase{0.0078125, 50.0, 500, 5, 4},         // 0.39 ms: 0.5 ms
                    StepCase{0.0078125, 1.0, 10, 5, 5},           // 7.8 us: 10 us
                    StepCase{1.0, 0.0, 1000, 5, 3},               // spacing counts as 1
                    StepCase{16.0, 60.0, 1000000, 5, 0},          // 960 ms: 1 s
                    StepCase{256.0, 100.0, 30000000, 6, 0},       // 25.6 s: 30 s
                    StepCase{1024.0, 80.0, 120000000, 4, 0},      // 82 s: 2 min
                    StepCase{4096.0, 100.0, 600000000, 5, 0},     // 410 s: 10 min
                    StepCase{16384.0, 100.0, 1800000000, 6, 0},   // 27 min: 30 min
                    StepCase{65536.0, 100.0, 7200000000, 4, 0},   // 1.8 h: 2 h
                    StepCase{1e12, 100.0, 18000000000000, 5, 0},  // beyond: 5000 h
                    StepCase{std::numeric_limits<double>::quiet_NaN(), 50.0, 1, 5, 6},
                    StepCase{-1.0, 50.0, 1, 5, 6}));

// ---- Ticks

// A 1000-pixel view at 1 ms per pixel from time 0, over ten minutes.
StudioTimeAxis FromTimeZero() {
  StudioTimeAxis axis;
  axis.SetDuration(600000.0);
  axis.ScrollToTime(0.0);
  return axis;
}

std::vector<std::string> MajorLabels(const std::vector<StudioRulerTick>& ticks) {
  std::vector<std::string> labels;
  for (const StudioRulerTick& tick : ticks) {
    if (tick.major) labels.push_back(tick.label);
  }
  return labels;
}

TEST(StudioRulerTest, MajorTicksAtTheStepWithLabelsAndMinorTicksBetween) {
  std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(FromTimeZero(), 80.0, 4.0);
  // Every 20 ms from 0 to 1000 inclusive: 11 majors (100 ms), 40 minors.
  ASSERT_EQ(ticks.size(), 51u);
  for (size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_EQ(ticks[i].ms, 20.0 * static_cast<double>(i));
    EXPECT_EQ(ticks[i].pixel, 20.0 * static_cast<double>(i));
    EXPECT_EQ(ticks[i].major, i % 5 == 0) << i;
    if (!ticks[i].major) {
      EXPECT_EQ(ticks[i].label, "");
    }
  }
  EXPECT_EQ(MajorLabels(ticks),
            (std::vector<std::string>{"0:00:00.0", "0:00:00.1", "0:00:00.2", "0:00:00.3",
                                      "0:00:00.4", "0:00:00.5", "0:00:00.6", "0:00:00.7",
                                      "0:00:00.8", "0:00:00.9", "0:00:01.0"}));
}

TEST(StudioRulerTest, MinorTicksCloserThanTheirMinimumAreLeftOut) {
  std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(FromTimeZero(), 80.0, 25.0);
  EXPECT_EQ(ticks.size(), 11u);
  for (const StudioRulerTick& tick : ticks) EXPECT_TRUE(tick.major);
}

TEST(StudioRulerTest, NoTicksBeforeTheRecordingStarts) {
  StudioTimeAxis axis;
  axis.SetDuration(600000.0);
  axis.ScrollToTime(-32.0);
  std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(axis, 80.0, 100.0);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front().ms, 0.0);
  EXPECT_EQ(ticks.front().pixel, 32.0);
  EXPECT_EQ(ticks.back().ms, 900.0);  // the view ends at 968 ms
}

TEST(StudioRulerTest, MajorsJustLeftOfTheViewAreKeptForTheirLabelsWhenAsked) {
  // From 1050 ms: majors every 100 ms, at pixels -50 (1000 ms), -150, ...
  StudioTimeAxis axis = FromTimeZero();
  axis.ScrollToTime(1050.0);
  struct Case {
    double lead;
    std::vector<std::string> firstLabels;
    double firstPixel;
  };
  const Case cases[] = {
      {0.0, {"0:00:01.1", "0:00:01.2"}, 50.0},
      {std::numeric_limits<double>::quiet_NaN(), {"0:00:01.1", "0:00:01.2"}, 50.0},
      {50.0, {"0:00:01.0", "0:00:01.1"}, -50.0},
      {120.0, {"0:00:01.0", "0:00:01.1"}, -50.0},
      {150.0, {"0:00:00.9", "0:00:01.0"}, -150.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lead);
    std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(axis, 80.0, 4.0, c.lead);
    double firstMajor = std::numeric_limits<double>::quiet_NaN();
    for (const StudioRulerTick& tick : ticks) {
      if (tick.major && std::isnan(firstMajor)) firstMajor = tick.pixel;
      // Minor ticks have no label: they stay inside the view.
      if (!tick.major) {
        EXPECT_GE(tick.pixel, 0.0) << tick.ms;
      }
    }
    EXPECT_EQ(firstMajor, c.firstPixel);
    std::vector<std::string> labels = MajorLabels(ticks);
    labels.resize(2);
    EXPECT_EQ(labels, c.firstLabels);
  }
}

TEST(StudioRulerTest, MinuteTicksAtCoarseZoom) {
  StudioTimeAxis axis;
  axis.SetDuration(3600000.0);
  axis.SetZoomLevel(10, 0.0);  // 1024 ms per pixel
  axis.ScrollToTime(0.0);
  std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(axis, 100.0, 1000.0);
  EXPECT_EQ(MajorLabels(ticks),
            (std::vector<std::string>{"0:00:00", "0:02:00", "0:04:00", "0:06:00", "0:08:00",
                                      "0:10:00", "0:12:00", "0:14:00", "0:16:00"}));
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_EQ(ticks[1].pixel, 117.1875);  // 120000 / 1024
}

TEST(StudioRulerTest, HourLabelsAtTheCoarsestZoom) {
  StudioTimeAxis axis;
  axis.SetDuration(5.0 * 3600000.0);
  axis.SetZoomLevel(14, 0.0);  // 16384 ms per pixel: 4.55 hours across
  axis.ScrollToTime(0.0);
  std::vector<std::string> labels = MajorLabels(StudioRuler::Ticks(axis, 100.0, 1000.0));
  EXPECT_EQ(labels,
            (std::vector<std::string>{"0:00:00", "0:30:00", "1:00:00", "1:30:00", "2:00:00",
                                      "2:30:00", "3:00:00", "3:30:00", "4:00:00", "4:30:00"}));
}

TEST(StudioRulerTest, FractionDigitsFollowTheStepAtTheFinestZoom) {
  StudioTimeAxis axis;
  axis.SetDuration(1000.0);
  axis.SetZoomLevel(StudioTimeAxis::kMinZoomLevel, 0.0);
  axis.ScrollToTime(12.5);  // 7.8125 ms across: 12.5 to 20.3125
  std::vector<std::string> labels = MajorLabels(StudioRuler::Ticks(axis, 50.0, 1000.0));
  ASSERT_EQ(labels.size(), 16u);
  EXPECT_EQ(labels.front(), "0:00:00.0125");
  EXPECT_EQ(labels[1], "0:00:00.0130");
  EXPECT_EQ(labels.back(), "0:00:00.0200");
}

TEST(StudioRulerTest, TickCountStaysBoundedByTheViewWidth) {
  StudioTimeAxis axis;
  axis.SetDuration(3600000.0);
  axis.SetViewWidth(StudioTimeAxis::kMaxViewWidth);
  axis.SetZoomLevel(StudioTimeAxis::kMinZoomLevel, 0.0);
  // A spacing below one pixel counts as one pixel.
  std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(axis, 0.0, 0.0);
  EXPECT_LE(ticks.size(), static_cast<size_t>(StudioTimeAxis::kMaxViewWidth) + 2);
}

}  // namespace
