// Drags of the first button in the score view: creating, moving, resizing,
// rubber-banding and clicking, each checked on a real document and its
// history.
#include "StudioScoreGesture.h"

#include <gtest/gtest.h>

#include <vector>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioSelection.h"
#include "StudioTestPlugin.h"
#include "StudioViewport.h"
#include "bridge/HostObject.h"

namespace {

using Kind = StudioScoreGesture::Kind;

void ExpectRect(const AGRect& actual, const AGRect& expected) {
  EXPECT_EQ(actual.x1, expected.x1);
  EXPECT_EQ(actual.y1, expected.y1);
  EXPECT_EQ(actual.x2, expected.x2);
  EXPECT_EQ(actual.y2, expected.y2);
}

// 2 ms and half a score unit per pixel; time 1000 at the left edge; the
// strip's bottom on row 300: score (t, h) lies at pixel ((t - 1000) / 2,
// 300 - 2 h).
StudioViewport View() {
  StudioViewport view;
  view.Axis().SetDuration(600000.0);
  view.Axis().SetZoomLevel(1, 0.0);
  view.Axis().ScrollToTime(1000.0);
  view.SetStripBottom(300.0);
  view.SetVerticalScale(2.0);
  return view;
}

class StudioScoreGestureTest : public StudioPluginTest {
 protected:
  void SetUp() override {
    StudioPluginTest::SetUp();
    doc = std::make_unique<StudioDocument>(*plugin);
  }
  void TearDown() override {
    doc.reset();
    StudioPluginTest::TearDown();
  }
  // An object at pixels x 100..150, rows 100..200.
  StudioObjectId Place(const AGRect& frame = {1200.0, 50.0, 1300.0, 100.0}) {
    StudioObjectId id = kStudioNoObject;
    EXPECT_EQ(StudioActions::Create(*doc, frame, &id), 0);
    return id;
  }
  AGRect Frame(StudioObjectId id) const { return doc->Find(id)->Record().frame; }

  std::unique_ptr<StudioDocument> doc;
  StudioViewport view = View();
  StudioSelection selection;
  StudioScoreGesture gesture;
};

TEST_F(StudioScoreGestureTest, DragOnEmptyScoreCreatesTheFrameDrawnAndSelectsIt) {
  selection.Replace(Place({5000.0, 0.0, 5100.0, 10.0}));
  ASSERT_EQ(gesture.Press(*doc, view, selection, {100.0, 200.0}, false, false), Kind::kCreate);
  EXPECT_TRUE(selection.IsEmpty());
  AGRect band;
  EXPECT_FALSE(gesture.Band(band));  // not yet a drag
  EXPECT_EQ(gesture.Drag(*doc, view, {120.0, 150.0}), 0);
  ASSERT_TRUE(gesture.Band(band));
  ExpectRect(band, {100.0, 150.0, 120.0, 200.0});
  EXPECT_EQ(doc->Count(), 1u);  // nothing made before the release
  ASSERT_EQ(gesture.Release(*doc, view, selection, {150.0, 100.0}), 0);
  ASSERT_EQ(doc->Count(), 2u);
  const StudioObjectId created = doc->IdAt(1);
  EXPECT_EQ(gesture.Created(), created);
  ExpectRect(Frame(created), {1200.0, 50.0, 1300.0, 100.0});
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{created});
  EXPECT_EQ(doc->History().UndoText(), "Undo Create");
  EXPECT_EQ(gesture.Current(), Kind::kNone);
}

TEST_F(StudioScoreGestureTest, ClicksWithinTheThresholdCreateAndMoveNothing) {
  const StudioObjectId id = Place();
  const size_t steps = doc->History().Count();
  // On the empty score: the selection is cleared, nothing is created.
  selection.Replace(id);
  gesture.Press(*doc, view, selection, {300.0, 250.0}, false, false);
  EXPECT_EQ(gesture.Drag(*doc, view, {302.0, 252.0}), 0);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {302.9, 247.1}), 0);
  EXPECT_EQ(doc->Count(), 1u);
  EXPECT_TRUE(selection.IsEmpty());
  // On the object: it is selected and stays where it was.
  ASSERT_EQ(gesture.Press(*doc, view, selection, {120.0, 150.0}, false, false), Kind::kMove);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {122.0, 152.0}), 0);
  ExpectRect(Frame(id), {1200.0, 50.0, 1300.0, 100.0});
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{id});
  EXPECT_EQ(doc->History().Count(), steps);
}

TEST_F(StudioScoreGestureTest, DraggingAnObjectMovesTheSelectionInOneStep) {
  const StudioObjectId a = Place();
  const StudioObjectId b = Place({2000.0, 20.0, 2100.0, 30.0});
  selection.Replace(b);
  selection.Add(a);
  const size_t steps = doc->History().Count();
  // A selected object keeps the selection: both move.
  ASSERT_EQ(gesture.Press(*doc, view, selection, {120.0, 150.0}, false, false), Kind::kMove);
  EXPECT_EQ(gesture.Drag(*doc, view, {130.0, 160.0}), 0);
  EXPECT_EQ(gesture.Drag(*doc, view, {140.0, 170.0}), 0);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {140.0, 170.0}), 0);
  // 20 pixels right and down: 40 ms later, 10 units lower.
  ExpectRect(Frame(a), {1240.0, 40.0, 1340.0, 90.0});
  ExpectRect(Frame(b), {2040.0, 10.0, 2140.0, 20.0});
  EXPECT_EQ(doc->History().Count(), steps + 1);
  EXPECT_EQ(doc->History().UndoText(), "Undo Move");
  ASSERT_EQ(doc->Undo(), 0);
  ExpectRect(Frame(a), {1200.0, 50.0, 1300.0, 100.0});
  ExpectRect(Frame(b), {2000.0, 20.0, 2100.0, 30.0});
}

TEST_F(StudioScoreGestureTest, PressOnAnUnselectedObjectSelectsOnlyIt) {
  const StudioObjectId a = Place();
  const StudioObjectId b = Place({2000.0, 20.0, 2100.0, 30.0});
  selection.Replace(b);
  ASSERT_EQ(gesture.Press(*doc, view, selection, {120.0, 150.0}, false, false), Kind::kMove);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{a});
  EXPECT_EQ(gesture.Release(*doc, view, selection, {160.0, 150.0}), 0);
  ExpectRect(Frame(a), {1280.0, 50.0, 1380.0, 100.0});
  ExpectRect(Frame(b), {2000.0, 20.0, 2100.0, 30.0});
}

TEST_F(StudioScoreGestureTest, DraggingAHandleResizesThatObject) {
  const StudioObjectId id = Place();
  selection.Replace(id);
  // The top right handle sits at (150, 100); a press 3 pixels off finds it.
  ASSERT_EQ(gesture.Press(*doc, view, selection, {152.0, 102.0}, false, false), Kind::kResize);
  EXPECT_EQ(gesture.Drag(*doc, view, {172.0, 92.0}), 0);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {172.0, 92.0}), 0);
  ExpectRect(Frame(id), {1200.0, 50.0, 1340.0, 105.0});
  EXPECT_EQ(doc->History().UndoText(), "Undo Resize");
  // Dragged past the opposite edge it stops 8 pixels (16 ms) from it.
  gesture.Press(*doc, view, selection, {170.0, 90.0}, false, false);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {0.0, 90.0}), 0);
  ExpectRect(Frame(id), {1200.0, 50.0, 1216.0, 105.0});
}

TEST_F(StudioScoreGestureTest, HandlesBelongOnlyToSelectedObjects) {
  const StudioObjectId id = Place();
  // Not selected: the corner is a press on the object, a move.
  EXPECT_EQ(gesture.Press(*doc, view, selection, {150.0, 100.0}, false, false), Kind::kMove);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{id});
}

TEST_F(StudioScoreGestureTest, CtrlClickTogglesWithoutMoving) {
  const StudioObjectId a = Place();
  const StudioObjectId b = Place({2000.0, 20.0, 2100.0, 30.0});
  selection.Replace(b);
  EXPECT_EQ(gesture.Press(*doc, view, selection, {120.0, 150.0}, true, false), Kind::kNone);
  EXPECT_EQ(selection.Ids(), (std::vector<StudioObjectId>{b, a}));
  EXPECT_EQ(gesture.Drag(*doc, view, {200.0, 200.0}), 0);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {200.0, 200.0}), 0);
  ExpectRect(Frame(a), {1200.0, 50.0, 1300.0, 100.0});
  EXPECT_EQ(gesture.Press(*doc, view, selection, {120.0, 150.0}, true, false), Kind::kNone);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{b});
  // Ctrl on the empty score keeps the selection and creates nothing.
  EXPECT_EQ(gesture.Press(*doc, view, selection, {300.0, 250.0}, true, false), Kind::kNone);
  EXPECT_EQ(gesture.Release(*doc, view, selection, {350.0, 200.0}), 0);
  EXPECT_EQ(selection.Ids(), std::vector<StudioObjectId>{b});
  EXPECT_EQ(doc->Count(), 2u);
}

TEST_F(StudioScoreGestureTest, ShiftDragRubberBandAddsWhatItMeets) {
  const StudioObjectId a = Place();                            // x 100..150, rows 100..200
  const StudioObjectId b = Place({2000.0, 20.0, 2100.0, 30.0});  // x 500..550, rows 240..260
  const StudioObjectId c = Place({3000.0, 20.0, 3100.0, 30.0});  // x 1000..1050
  selection.Replace(c);
  const size_t steps = doc->History().Count();
  ASSERT_EQ(gesture.Press(*doc, view, selection, {140.0, 245.0}, false, true), Kind::kRubberBand);
  EXPECT_EQ(gesture.Drag(*doc, view, {300.0, 250.0}), 0);
  AGRect band;
  ASSERT_TRUE(gesture.Band(band));
  ExpectRect(band, {140.0, 245.0, 300.0, 250.0});
  // From (140, 245) to (500, 195): meets b at its top left corner (500, 240)
  // and a at its bottom right corner (150, 200), edges included.
  EXPECT_EQ(gesture.Release(*doc, view, selection, {500.0, 195.0}), 0);
  EXPECT_EQ(selection.Ids(), (std::vector<StudioObjectId>{c, a, b}));
  EXPECT_EQ(doc->History().Count(), steps);
  EXPECT_EQ(doc->Count(), 3u);
}

}  // namespace
