// The score view's kept picture: what a frame paints after a scroll, a zoom
// or a resize, and how the kept pixels move.
#include "StudioKeptPicture.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "StudioViewport.h"
#include "graphics/AGBitmap.h"

namespace {

using Work = StudioKeptPicture::Work;

// 1 ms per pixel, time 0 at the left edge of a 600 x 400 view.
StudioViewport View() {
  StudioViewport view;
  view.Axis().SetViewWidth(600.0);
  view.Axis().SetDuration(600000.0);
  view.Axis().SetZoomLevel(0, 0.0);
  view.Axis().ScrollToTime(0.0);
  view.SetStripBottom(388.0);
  return view;
}

TEST(StudioKeptPicture, AScrollByWholePixelsMovesThePictureAndPaintsTheStripScrolledIn) {
  struct Case {
    const char* what;
    double scrollMs;  // from time 0, at 1 ms per pixel
    Work work;
    int32_t shift;
    AGRect strip;
  };
  const Case cases[] = {
      {"a wheel step later", 48.0, Work::kShift, 48, {552.0, 0.0, 600.0, 400.0}},
      {"one pixel later", 1.0, Work::kShift, 1, {599.0, 0.0, 600.0, 400.0}},
      {"a wheel step earlier", -20.0, Work::kShift, -20, {0.0, 0.0, 20.0, 400.0}},
      {"all but one column", 599.0, Work::kShift, 599, {1.0, 0.0, 600.0, 400.0}},
      {"nowhere", 0.0, Work::kNone, 0, kAGNullRect},
      {"a whole view width", 600.0, Work::kWhole, 0, kAGNullRect},
      {"more than the width earlier", -900.0, Work::kWhole, 0, kAGNullRect},
      {"half a pixel", 0.5, Work::kWhole, 0, kAGNullRect},
      {"a step and a bit", 48.25, Work::kWhole, 0, kAGNullRect},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StudioViewport view = View();
    view.Axis().ScrollToTime(1000.0);
    StudioKeptPicture kept;
    kept.Painted(view, 600, 400);
    view.Axis().ScrollToTime(1000.0 + c.scrollMs);
    ASSERT_EQ(view.Axis().StartTime(), 1000.0 + c.scrollMs);
    const StudioKeptPicture::Plan plan = kept.PlanFor(view, 600, 400);
    EXPECT_EQ(plan.work, c.work);
    if (c.work != Work::kShift) continue;
    EXPECT_EQ(plan.shift, c.shift);
    EXPECT_EQ(plan.strip.x1, c.strip.x1);
    EXPECT_EQ(plan.strip.y1, c.strip.y1);
    EXPECT_EQ(plan.strip.x2, c.strip.x2);
    EXPECT_EQ(plan.strip.y2, c.strip.y2);
  }
}

TEST(StudioKeptPicture, AnythingButTheScrollPositionMakesTheWholePictureRepaint) {
  struct Case {
    const char* what;
    void (*change)(StudioViewport& view, int32_t& width, int32_t& height,
                   StudioKeptPicture& kept);
  };
  const Case cases[] = {
      {"invalidated (document, selection, tiles)",
       [](StudioViewport&, int32_t&, int32_t&, StudioKeptPicture& kept) { kept.Invalidate(); }},
      {"zoomed in around the left edge",
       [](StudioViewport& view, int32_t&, int32_t&, StudioKeptPicture&) {
         view.Axis().ZoomIn(0.0);
       }},
      {"the picture grew wider",
       [](StudioViewport&, int32_t& width, int32_t&, StudioKeptPicture&) { width = 640; }},
      {"the picture grew taller",
       [](StudioViewport&, int32_t&, int32_t& height, StudioKeptPicture&) { height = 401; }},
      {"the axis took another width",
       [](StudioViewport& view, int32_t&, int32_t&, StudioKeptPicture&) {
         view.Axis().SetViewWidth(500.0);
       }},
      {"the strip's bottom moved",
       [](StudioViewport& view, int32_t&, int32_t&, StudioKeptPicture&) {
         view.SetStripBottom(300.0);
       }},
      {"the height scale changed",
       [](StudioViewport& view, int32_t&, int32_t&, StudioKeptPicture&) {
         view.SetVerticalScale(2.0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StudioViewport view = View();
    view.Axis().ScrollToTime(1000.0);
    int32_t width = 600;
    int32_t height = 400;
    StudioKeptPicture kept;
    EXPECT_EQ(kept.PlanFor(view, width, height).work, Work::kWhole) << "never painted";
    kept.Painted(view, width, height);
    ASSERT_TRUE(kept.IsValid());
    ASSERT_EQ(kept.PlanFor(view, width, height).work, Work::kNone);
    c.change(view, width, height, kept);
    EXPECT_EQ(kept.PlanFor(view, width, height).work, Work::kWhole);
    // Painting it whole makes it the kept picture again.
    kept.Painted(view, width, height);
    EXPECT_EQ(kept.PlanFor(view, width, height).work, Work::kNone);
  }
}

TEST(StudioKeptPicture, ShiftingMovesEveryRowsColumnsAndLeavesTheStripAsItWas) {
  // Column x of each row holds 0xFF0000xx | row << 8.
  auto fill = [](AGBitmap& bitmap) {
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 8; ++x)
        bitmap.SetPixelColor(x, y, 0x000000FFu | uint32_t(x) << 24 | uint32_t(y) << 16);
  };
  auto column = [](const AGBitmap& bitmap, int32_t x, int32_t y) {
    return static_cast<int32_t>(bitmap.GetPixelColor(x, y) >> 24);
  };
  struct Case {
    int32_t shift;
    int32_t expected[8];  // the column each pixel came from
  };
  const Case cases[] = {
      {3, {3, 4, 5, 6, 7, 5, 6, 7}},
      {-2, {0, 1, 0, 1, 2, 3, 4, 5}},
      {7, {7, 1, 2, 3, 4, 5, 6, 7}},
      {0, {0, 1, 2, 3, 4, 5, 6, 7}},
      {8, {0, 1, 2, 3, 4, 5, 6, 7}},
      {-9, {0, 1, 2, 3, 4, 5, 6, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shift);
    AGBitmap bitmap(8, 3);
    ASSERT_TRUE(bitmap.IsOpen());
    fill(bitmap);
    StudioKeptPicture::ShiftPixels(bitmap, c.shift);
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(column(bitmap, x, y), c.expected[x]) << x << "," << y;
        EXPECT_EQ((bitmap.GetPixelColor(x, y) >> 16) & 0xFFu, uint32_t(y)) << "rows stay";
      }
    }
  }
  // A closed bitmap is left alone.
  AGBitmap closed(0, 0);
  StudioKeptPicture::ShiftPixels(closed, 1);
  EXPECT_FALSE(closed.IsOpen());
}

}  // namespace
