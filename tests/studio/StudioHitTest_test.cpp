// Pointer geometry of the score view: the viewport's mapping, objects under
// the pointer, handles, drags, rubber bands, moves and the selection.
#include "StudioHitTest.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "bridge/HostObject.h"
#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioSelection.h"
#include "StudioTestPlugin.h"
#include "StudioViewport.h"

namespace {

void ExpectRect(const AGRect& actual, const AGRect& expected) {
  EXPECT_EQ(actual.x1, expected.x1);
  EXPECT_EQ(actual.y1, expected.y1);
  EXPECT_EQ(actual.x2, expected.x2);
  EXPECT_EQ(actual.y2, expected.y2);
}

// 2 ms and half a score unit per pixel; time 1000 at the left edge; the
// strip's bottom on row 300.
StudioViewport View() {
  StudioViewport view;
  view.Axis().SetDuration(600000.0);
  view.Axis().SetZoomLevel(1, 0.0);
  view.Axis().ScrollToTime(1000.0);
  view.SetStripBottom(300.0);
  view.SetVerticalScale(2.0);
  return view;
}

// ---- Viewport

TEST(StudioViewportTest, MapsScoreCoordinatesToViewPixelsWithYDown) {
  StudioViewport view = View();
  AGPoint p = view.ScoreToView({1100.0, 40.0});
  EXPECT_EQ(p.x, 50.0);
  EXPECT_EQ(p.y, 220.0);
  AGPoint back = view.ViewToScore(p);
  EXPECT_EQ(back.x, 1100.0);
  EXPECT_EQ(back.y, 40.0);
  // The frame's top edge (y2) is the rectangle's first row.
  ExpectRect(view.FrameToView({1100.0, 10.0, 1300.0, 40.0}), {50.0, 220.0, 150.0, 280.0});
  ExpectRect(view.ViewToFrame({150.0, 280.0, 50.0, 220.0}), {1100.0, 10.0, 1300.0, 40.0});
}

TEST(StudioViewportTest, BadScalesAreClampedOrIgnored) {
  StudioViewport view;
  view.SetVerticalScale(1000.0);
  EXPECT_EQ(view.VerticalScale(), 64.0);
  view.SetVerticalScale(0.0);
  EXPECT_EQ(view.VerticalScale(), 1.0 / 64.0);
  view.SetVerticalScale(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(view.VerticalScale(), 1.0 / 64.0);
  view.SetStripBottom(std::numeric_limits<double>::infinity());
  EXPECT_EQ(view.StripBottom(), 200.0);
}

// ---- Objects under the pointer

class StudioHitObjectsTest : public StudioPluginTest {
 protected:
  void SetUp() override {
    StudioPluginTest::SetUp();
    doc = std::make_unique<StudioDocument>(*plugin);
    // Bottom: pixels 50-150 x rows 220-280; on top of it: 100-200 x 200-260.
    ASSERT_EQ(StudioActions::Create(*doc, {1100.0, 10.0, 1300.0, 40.0}, &lower), 0);
    ASSERT_EQ(StudioActions::Create(*doc, {1200.0, 20.0, 1400.0, 50.0}, &upper), 0);
  }
  void TearDown() override {
    doc.reset();
    StudioPluginTest::TearDown();
  }
  std::unique_ptr<StudioDocument> doc;
  StudioObjectId lower = kStudioNoObject;
  StudioObjectId upper = kStudioNoObject;
};

TEST_F(StudioHitObjectsTest, TheTopmostObjectUnderThePointerIsFoundFirst) {
  StudioViewport view = View();
  EXPECT_EQ(StudioHitTest::ObjectAt(*doc, view, {120.0, 250.0}), upper);  // both: the upper one
  EXPECT_EQ(StudioHitTest::ObjectAt(*doc, view, {60.0, 250.0}), lower);
  EXPECT_EQ(StudioHitTest::ObjectAt(*doc, view, {150.0, 280.0}), lower);  // edges count
  EXPECT_EQ(StudioHitTest::ObjectAt(*doc, view, {120.0, 281.0}), kStudioNoObject);
  EXPECT_EQ(StudioHitTest::ObjectAt(*doc, view, {300.0, 250.0}), kStudioNoObject);
  // Brought to the top by undo and redo of a deletion, the lower one is
  // still below: z-order is kept.
  EXPECT_EQ(StudioActions::Delete(*doc, {lower}), 0);
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_EQ(StudioHitTest::ObjectAt(*doc, view, {120.0, 250.0}), upper);
}

TEST_F(StudioHitObjectsTest, TheSelectionsTimeSpanRunsFromTheEarliestStartToTheLatestEnd) {
  double start = -1.0;
  double end = -1.0;
  StudioSelection selection;
  EXPECT_FALSE(selection.TimeSpan(*doc, start, end));
  EXPECT_EQ(start, -1.0);
  selection.Add(upper);
  ASSERT_TRUE(selection.TimeSpan(*doc, start, end));
  EXPECT_EQ(start, 1200.0);
  EXPECT_EQ(end, 1400.0);
  selection.Add(lower);
  ASSERT_TRUE(selection.TimeSpan(*doc, start, end));
  EXPECT_EQ(start, 1100.0);
  EXPECT_EQ(end, 1400.0);
  // An object drawn right to left spans the same time.
  StudioObjectId reversed = kStudioNoObject;
  ASSERT_EQ(StudioActions::Create(*doc, {2500.0, 10.0, 2000.0, 40.0}, &reversed), 0);
  selection.Replace(reversed);
  ASSERT_TRUE(selection.TimeSpan(*doc, start, end));
  EXPECT_EQ(start, 2000.0);
  EXPECT_EQ(end, 2500.0);
  // Ids no longer in the document count for nothing.
  ASSERT_EQ(StudioActions::Delete(*doc, {reversed}), 0);
  start = end = -1.0;
  EXPECT_FALSE(selection.TimeSpan(*doc, start, end));
  EXPECT_EQ(end, -1.0);
  selection.Add(lower);
  ASSERT_TRUE(selection.TimeSpan(*doc, start, end));
  EXPECT_EQ(start, 1100.0);
  EXPECT_EQ(end, 1300.0);
}

TEST_F(StudioHitObjectsTest, HandlesOfSelectedObjectsOnly) {
  StudioViewport view = View();
  StudioObjectId id = kStudioNoObject;
  // The lower object's top right corner (150, 220) lies inside the upper one.
  EXPECT_EQ(StudioHitTest::SelectedHandleAt(*doc, view, {lower}, {151.0, 221.0}, 3.0, id),
            StudioHandle::kTopRight);
  EXPECT_EQ(id, lower);
  EXPECT_EQ(StudioHitTest::SelectedHandleAt(*doc, view, {upper}, {151.0, 221.0}, 3.0, id),
            StudioHandle::kNone);
  EXPECT_EQ(id, kStudioNoObject);
  // Both selected: the upper object's left edge midpoint (100, 230) is found
  // before anything of the lower one.
  EXPECT_EQ(StudioHitTest::SelectedHandleAt(*doc, view, {lower, upper}, {101.0, 230.0}, 3.0, id),
            StudioHandle::kLeft);
  EXPECT_EQ(id, upper);
}

// ---- Handles

struct HandleCase {
  AGPoint point;
  StudioHandle handle;
};

class StudioHandleTest : public testing::TestWithParam<HandleCase> {};

TEST_P(StudioHandleTest, FindsTheHandleWithinTheTolerance) {
  // Pixels 50-150 x rows 220-280.
  EXPECT_EQ(StudioHitTest::HandleAt(View(), {1100.0, 10.0, 1300.0, 40.0}, GetParam().point, 4.0),
            GetParam().handle);
}

INSTANTIATE_TEST_SUITE_P(
    EightHandles, StudioHandleTest,
    testing::Values(HandleCase{{50.0, 220.0}, StudioHandle::kTopLeft},
                    HandleCase{{100.0, 220.0}, StudioHandle::kTop},
                    HandleCase{{150.0, 220.0}, StudioHandle::kTopRight},
                    HandleCase{{150.0, 250.0}, StudioHandle::kRight},
                    HandleCase{{150.0, 280.0}, StudioHandle::kBottomRight},
                    HandleCase{{100.0, 280.0}, StudioHandle::kBottom},
                    HandleCase{{50.0, 280.0}, StudioHandle::kBottomLeft},
                    HandleCase{{50.0, 250.0}, StudioHandle::kLeft},
                    HandleCase{{54.0, 216.0}, StudioHandle::kTopLeft},  // at the tolerance
                    HandleCase{{54.5, 220.0}, StudioHandle::kNone},     // just beyond
                    HandleCase{{100.0, 250.0}, StudioHandle::kNone},    // the middle
                    HandleCase{{125.0, 221.0}, StudioHandle::kNone}));  // along an edge

TEST(StudioHandlePointTest, CornersAndMidpointsInViewPixels) {
  StudioViewport view = View();
  AGRect frame = {1100.0, 10.0, 1300.0, 40.0};
  AGPoint top = StudioHitTest::HandlePoint(view, frame, StudioHandle::kTop);
  EXPECT_EQ(top.x, 100.0);
  EXPECT_EQ(top.y, 220.0);
  AGPoint bottomLeft = StudioHitTest::HandlePoint(view, frame, StudioHandle::kBottomLeft);
  EXPECT_EQ(bottomLeft.x, 50.0);
  EXPECT_EQ(bottomLeft.y, 280.0);
}

TEST(StudioHandleTinyFrameTest, OverlappingHandlesGiveTheNearest) {
  // 4 x 4 pixels: every handle is within 4 pixels of the centre.
  AGRect tiny = {1100.0, 10.0, 1108.0, 12.0};  // pixels 50-54 x rows 276-280
  EXPECT_EQ(StudioHitTest::HandleAt(View(), tiny, {54.0, 279.0}, 4.0), StudioHandle::kBottomRight);
  EXPECT_EQ(StudioHitTest::HandleAt(View(), tiny, {52.0, 276.5}, 4.0), StudioHandle::kTop);
  // Equally near two handles: the corner wins.
  EXPECT_EQ(StudioHitTest::HandleAt(View(), tiny, {51.0, 277.0}, 4.0), StudioHandle::kTopLeft);
}

// ---- Dragging a handle

struct DragCase {
  StudioHandle handle;
  AGPoint delta;
  AGRect frame;
};

class StudioDragHandleTest : public testing::TestWithParam<DragCase> {};

TEST_P(StudioDragHandleTest, MovesOnlyTheHandlesEdgesAndNeverInverts) {
  // 2 ms and 0.5 units a pixel; minimum 10 pixels: 20 ms, 5 units.
  AGRect start = {1100.0, 10.0, 1300.0, 40.0};
  ExpectRect(StudioHitTest::DragHandle(View(), start, GetParam().handle, GetParam().delta, 10.0),
             GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(
    Drags, StudioDragHandleTest,
    testing::Values(DragCase{StudioHandle::kRight, {25.0, 99.0}, {1100.0, 10.0, 1350.0, 40.0}},
                    DragCase{StudioHandle::kTop,
                             {99.0, -10.0},
                             {1100.0, 10.0, 1300.0, 45.0}},  // up the screen: higher
                    DragCase{StudioHandle::kBottomLeft, {-10.0, 6.0}, {1080.0, 7.0, 1300.0, 40.0}},
                    // Dragged across the opposite edge: stops 10 pixels short of it.
                    DragCase{StudioHandle::kRight, {-500.0, 0.0}, {1100.0, 10.0, 1120.0, 40.0}},
                    DragCase{StudioHandle::kLeft, {500.0, 0.0}, {1280.0, 10.0, 1300.0, 40.0}},
                    DragCase{StudioHandle::kTop, {0.0, 500.0}, {1100.0, 10.0, 1300.0, 15.0}},
                    DragCase{StudioHandle::kBottom, {0.0, -500.0}, {1100.0, 35.0, 1300.0, 40.0}},
                    // Nothing before time 0 or below the strip's bottom.
                    DragCase{
                        StudioHandle::kBottomLeft, {-5000.0, 5000.0}, {0.0, 0.0, 1300.0, 40.0}},
                    DragCase{StudioHandle::kNone, {30.0, 30.0}, {1100.0, 10.0, 1300.0, 40.0}},
                    DragCase{StudioHandle::kTopRight,
                             {std::numeric_limits<double>::quiet_NaN(), 0.0},
                             {1100.0, 10.0, 1300.0, 40.0}}));

// ---- Rubber band

struct BandCase {
  AGPoint from;
  AGPoint to;
  AGRect frame;
};

class StudioRubberBandTest : public testing::TestWithParam<BandCase> {};

TEST_P(StudioRubberBandTest, MakesANormalisedFrameOfAtLeastTheMinimumSize) {
  ExpectRect(StudioHitTest::RubberBand(View(), GetParam().from, GetParam().to, 10.0),
             GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, StudioRubberBandTest,
    testing::Values(
        BandCase{{50.0, 280.0}, {150.0, 220.0}, {1100.0, 10.0, 1300.0, 40.0}},
        BandCase{{150.0, 220.0}, {50.0, 280.0}, {1100.0, 10.0, 1300.0, 40.0}},  // drawn backwards
        // A click: grown right and up to 10 pixels.
        BandCase{{50.0, 280.0}, {50.0, 280.0}, {1100.0, 10.0, 1120.0, 15.0}},
        // Too small, drawn left and down: grown that way.
        BandCase{{50.0, 280.0}, {47.0, 282.0}, {1080.0, 5.0, 1100.0, 10.0}},
        // Started before time 0 and below the strip: moved in.
        BandCase{{-1000.0, 330.0}, {-490.0, 250.0}, {0.0, 0.0, 20.0, 25.0}},
        BandCase{{-1000.0, 310.0}, {-400.0, 290.0}, {0.0, 0.0, 200.0, 5.0}}));

// ---- Moving

TEST(StudioMoveTest, MovesFramesTogetherAndHoldsThemAtTimeZeroAndTheBottom) {
  StudioViewport view = View();
  std::vector<AGRect> frames = {{100.0, 10.0, 200.0, 20.0}, {40.0, 30.0, 90.0, 60.0}};
  std::vector<AGRect> moved = StudioHitTest::Move(view, frames, {10.0, -4.0});
  ExpectRect(moved[0], {120.0, 12.0, 220.0, 22.0});
  ExpectRect(moved[1], {60.0, 32.0, 110.0, 62.0});
  // Far left and down: the earliest frame stops at 0, the lowest at 0, and
  // the other keeps its distance.
  moved = StudioHitTest::Move(view, frames, {-1000.0, 1000.0});
  ExpectRect(moved[0], {60.0, 0.0, 160.0, 10.0});
  ExpectRect(moved[1], {0.0, 20.0, 50.0, 50.0});
  // A frame already before time 0 may come back but not go further out.
  moved = StudioHitTest::Move(view, {{-50.0, 5.0, 10.0, 15.0}}, {-10.0, 0.0});
  ExpectRect(moved[0], {-50.0, 5.0, 10.0, 15.0});
  moved = StudioHitTest::Move(view, {{-50.0, 5.0, 10.0, 15.0}}, {10.0, 0.0});
  ExpectRect(moved[0], {-30.0, 5.0, 30.0, 15.0});
  EXPECT_TRUE(StudioHitTest::Move(view, {}, {1.0, 1.0}).empty());
}

// ---- Selection

TEST_F(StudioHitObjectsTest, SelectionFollowsClicksAndKeepsOnlyLivingObjects) {
  StudioSelection selection;
  selection.Click(lower, false);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{lower});
  selection.Click(upper, true);  // ctrl adds
  EXPECT_EQ(selection.Ids(), (std::vector<StudioObjectId>{lower, upper}));
  selection.Click(lower, false);  // a click on a selected one keeps all, for a drag
  EXPECT_EQ(selection.Count(), 2u);
  selection.Click(lower, true);  // ctrl removes
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{upper});
  selection.Click(kStudioNoObject, true);  // ctrl on the empty score: nothing
  EXPECT_EQ(selection.Count(), 1u);
  selection.Click(kStudioNoObject, false);  // the empty score clears
  EXPECT_TRUE(selection.IsEmpty());

  selection.Toggle(upper);
  selection.Toggle(lower);
  EXPECT_EQ(selection.InZOrder(*doc), (std::vector<StudioObjectId>{lower, upper}));
  selection.Replace(upper);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{upper});
  selection.SelectAll(*doc);
  EXPECT_EQ(selection.Ids(), (std::vector<StudioObjectId>{lower, upper}));
  selection.Add(lower);
  EXPECT_EQ(selection.Count(), 2u);

  StudioSelection copy = selection;
  ASSERT_EQ(StudioActions::Delete(*doc, {upper}), 0);
  selection.Prune(*doc);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{lower});
  EXPECT_EQ(copy.Count(), 2u);  // copies are independent
  EXPECT_EQ(copy.InZOrder(*doc), std::vector<StudioObjectId>{lower});
  selection.Clear();
  EXPECT_TRUE(selection.IsEmpty());
}

}  // namespace
