// The score view's time axis: pixel and time mapping, zoom around an anchor,
// zoom limits and scroll limits.
#include "StudioTimeAxis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A 1000-pixel view over a ten-minute recording, margin 32 pixels.
StudioTimeAxis TenMinutes() {
  StudioTimeAxis axis;
  axis.SetViewWidth(1000.0);
  axis.SetDuration(600000.0);
  return axis;
}

TEST(StudioTimeAxisTest, StartsWithTheMarginBeforeTimeZeroAtOneMillisecondPerPixel) {
  StudioTimeAxis axis;
  EXPECT_EQ(axis.ZoomLevel(), 0);
  EXPECT_EQ(axis.MsPerPixel(), 1.0);
  EXPECT_EQ(axis.StartTime(), -32.0);
  EXPECT_EQ(axis.ViewWidth(), 1000.0);
  EXPECT_EQ(axis.EndTime(), 968.0);
  EXPECT_EQ(axis.TimeToPixel(0.0), 32.0);
}

struct MappingCase {
  int level;
  double scrollTo;  // ms at the left edge
  double pixel;
  double ms;  // the time at that pixel
};

class StudioTimeAxisMappingTest : public testing::TestWithParam<MappingCase> {};

TEST_P(StudioTimeAxisMappingTest, PixelAndTimeAreExactInverses) {
  const MappingCase& c = GetParam();
  StudioTimeAxis axis = TenMinutes();
  axis.SetZoomLevel(c.level, 0.0);
  axis.ScrollToTime(c.scrollTo);
  ASSERT_EQ(axis.StartTime(), c.scrollTo);
  EXPECT_EQ(axis.PixelToTime(c.pixel), c.ms);
  EXPECT_EQ(axis.TimeToPixel(c.ms), c.pixel);
  EXPECT_EQ(axis.TimeToPixel(axis.PixelToTime(c.pixel)), c.pixel);
  EXPECT_EQ(axis.PixelToTime(axis.TimeToPixel(c.ms)), c.ms);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, StudioTimeAxisMappingTest,
    testing::Values(MappingCase{0, 0.0, 250.0, 250.0},            // 1 ms per pixel
                    MappingCase{3, 1000.0, 10.5, 1084.0},         // 8 ms per pixel
                    MappingCase{-7, 12.5, 3.0, 12.5234375},       // finest: 1/128 ms
                    MappingCase{-2, 300000.0, 999.0, 300249.75},  // 0.25 ms per pixel
                    MappingCase{9, -16384.0, 0.0, -16384.0},      // inside the margin
                    MappingCase{9, 0.0, 1.25, 640.0}));

TEST(StudioTimeAxisTest, ZoomKeepsTheTimeUnderTheAnchorPixel) {
  StudioTimeAxis axis = TenMinutes();
  axis.SetZoomLevel(2, 0.0);  // 4 ms per pixel
  axis.ScrollToTime(100000.0);
  double anchor = 437.0;
  double under = axis.PixelToTime(anchor);
  ASSERT_EQ(under, 101748.0);
  for (int step = 0; step < 9; ++step) {
    axis.ZoomIn(anchor);
    EXPECT_EQ(axis.PixelToTime(anchor), under) << "zoom in " << step;
  }
  EXPECT_EQ(axis.ZoomLevel(), StudioTimeAxis::kMinZoomLevel);
  for (int step = 0; step < 9; ++step) {
    axis.ZoomOut(anchor);
    EXPECT_EQ(axis.PixelToTime(anchor), under) << "zoom out " << step;
  }
  EXPECT_EQ(axis.ZoomLevel(), 2);
  EXPECT_EQ(axis.StartTime(), 100000.0);
}

TEST(StudioTimeAxisTest, ZoomNearTheStartIsHeldByTheMargin) {
  StudioTimeAxis axis = TenMinutes();
  axis.SetZoomLevel(0, 0.0);
  axis.ScrollToTime(0.0);
  // Zooming out around the right edge would put time -1000 at the left
  // edge; the margin allows only 32 pixels before time 0.
  axis.ZoomOut(1000.0);
  EXPECT_EQ(axis.ZoomLevel(), 1);
  EXPECT_EQ(axis.StartTime(), -64.0);
}

TEST(StudioTimeAxisTest, ZoomLimitsGoFromAFractionOfAMillisecondToAWholeHour) {
  StudioTimeAxis axis = TenMinutes();
  axis.SetZoomLevel(-100, 500.0);
  EXPECT_EQ(axis.ZoomLevel(), -7);
  EXPECT_EQ(axis.MsPerPixel(), 0.0078125);
  axis.SetZoomLevel(100, 500.0);
  // 2^12 ms per pixel: 4096 s across 1000 pixels holds one hour; 2^11 would not.
  EXPECT_EQ(axis.ZoomLevel(), 12);
  EXPECT_GE(axis.EndTime() - axis.StartTime(), 3600000.0);
  EXPECT_LT(std::ldexp(1000.0, 11), 3600000.0);

  // A narrower view needs a coarser zoom for the hour.
  axis.SetViewWidth(200.0);
  EXPECT_EQ(axis.MaxZoomLevel(), 15);
}

TEST(StudioTimeAxisTest, ARecordingLongerThanAnHourCanStillBeSeenWhole) {
  StudioTimeAxis axis;
  axis.SetViewWidth(1000.0);
  axis.SetDuration(3.0 * 3600000.0);  // three hours
  // 2^14 ms per pixel: 936 pixels of recording and two margins of 32.
  EXPECT_EQ(axis.MaxZoomLevel(), 14);
  axis.ZoomToFit();
  EXPECT_EQ(axis.ZoomLevel(), 14);
  EXPECT_EQ(axis.StartTime(), -32.0 * 16384.0);
  EXPECT_LE(axis.TimeToPixel(3.0 * 3600000.0), 1000.0 - 32.0);
}

TEST(StudioTimeAxisTest, ZoomToFitPicksTheFinestLevelThatShowsEverything) {
  StudioTimeAxis axis = TenMinutes();
  axis.ZoomToFit();
  // 600000 ms in 936 pixels needs 641 ms per pixel: level 10 (1024).
  EXPECT_EQ(axis.ZoomLevel(), 10);
  EXPECT_EQ(axis.StartTime(), -32.0 * 1024.0);
  EXPECT_EQ(axis.TimeToPixel(0.0), 32.0);
}

TEST(StudioTimeAxisTest, ScrollStaysWithinTheRecordingAndItsMargins) {
  StudioTimeAxis axis = TenMinutes();
  axis.SetZoomLevel(1, 0.0);  // 2 ms per pixel: 2000 ms across the view
  axis.ScrollToTime(-1e9);
  EXPECT_EQ(axis.StartTime(), -64.0);
  axis.ScrollToTime(1e12);
  // The end of the recording plus 32 pixels at the right edge.
  EXPECT_EQ(axis.StartTime(), 600000.0 + 64.0 - 2000.0);
  EXPECT_EQ(axis.TimeToPixel(600000.0), 968.0);
  axis.ScrollByPixels(-100.0);
  EXPECT_EQ(axis.StartTime(), 600000.0 + 64.0 - 2000.0 - 200.0);
  axis.ScrollToTime(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(axis.StartTime(), 600000.0 + 64.0 - 2000.0 - 200.0);
}

TEST(StudioTimeAxisTest, AShortRecordingOnlyScrollsToItsStart) {
  StudioTimeAxis axis;
  axis.SetDuration(500.0);  // shorter than the 1000 ms the view shows
  axis.ScrollToTime(400.0);
  EXPECT_EQ(axis.StartTime(), -32.0);
  EXPECT_EQ(axis.MaxStartTime(), -32.0);
}

TEST(StudioTimeAxisTest, ShrinkingTheRecordingPullsTheViewBack) {
  StudioTimeAxis axis = TenMinutes();
  axis.ScrollToTime(590000.0);
  axis.SetDuration(10000.0);
  EXPECT_EQ(axis.StartTime(), 10000.0 + 32.0 - 1000.0);
}

TEST(StudioTimeAxisTest, BadSizesAreClampedOrIgnored) {
  StudioTimeAxis axis = TenMinutes();
  axis.SetViewWidth(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(axis.ViewWidth(), 1000.0);
  axis.SetViewWidth(0.0);
  EXPECT_EQ(axis.ViewWidth(), 1.0);
  axis.SetViewWidth(1e300);
  EXPECT_EQ(axis.ViewWidth(), StudioTimeAxis::kMaxViewWidth);
  axis.SetDuration(-5.0);
  EXPECT_EQ(axis.Duration(), 0.0);
  axis.SetDuration(std::numeric_limits<double>::infinity());
  EXPECT_EQ(axis.Duration(), 0.0);
  axis.SetMarginPixels(-1.0);
  EXPECT_EQ(axis.MarginPixels(), 0.0);

  // A view no wider than its margins never fits the recording; the hour
  // still sets the coarsest zoom.
  StudioTimeAxis narrow = TenMinutes();
  narrow.SetViewWidth(50.0);
  EXPECT_EQ(narrow.MaxZoomLevel(), 17);  // 50 * 2^17 ms >= one hour
  narrow.SetZoomLevel(0, std::numeric_limits<double>::infinity());
  EXPECT_EQ(narrow.ZoomLevel(), 0);
}

}  // namespace
