// The undo history on its own: commands that set a number, so that every
// step is plain to see.
#include "StudioUndoStack.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bridge/HostEnvironment.h"
#include "bridge/HostPlugin.h"
#include "StudioDocument.h"
#include "kit/QVErrors.h"

namespace {

// Sets *target from before to after; fails on demand; merges with a command
// of the same gesture (non-zero).
class SetNumber : public StudioCommand {
 public:
  SetNumber(std::string name, int* target, int before, int after, int gesture = 0)
      : StudioCommand(std::move(name)),
        mTarget(target),
        mBefore(before),
        mAfter(after),
        mGesture(gesture) {}

  int32_t Redo(StudioDocument&) override {
    if (failRedo) return kQVErrGeneric;
    *mTarget = mAfter;
    return 0;
  }
  int32_t Undo(StudioDocument&) override {
    if (failUndo) return kQVErrGeneric;
    *mTarget = mBefore;
    return 0;
  }
  bool Merge(const StudioCommand& next) override {
    auto* other = dynamic_cast<const SetNumber*>(&next);
    if (!other || mGesture == 0 || other->mGesture != mGesture) return false;
    mAfter = other->mAfter;
    return true;
  }

  bool failRedo = false;
  bool failUndo = false;

 private:
  int* mTarget;
  int mBefore;
  int mAfter;
  int mGesture;
};

class StudioUndoStackTest : public testing::Test {
 protected:
  // Runs "name": value from its present value to after.
  int32_t Set(const char* name, int after, int gesture = 0) {
    return stack.Perform(std::make_unique<SetNumber>(name, &value, value, after, gesture), doc);
  }

  HostEnvironment env{HostEnvironmentOptions{}};
  HostPlugin plugin{env};
  StudioDocument doc{plugin};
  StudioUndoStack stack;
  int value = 0;
};

TEST_F(StudioUndoStackTest, UndoAndRedoWalkTheStepsWithTheirNames) {
  EXPECT_EQ(stack.UndoText(), "");
  EXPECT_EQ(stack.RedoText(), "");
  ASSERT_EQ(Set("Create", 1), 0);
  ASSERT_EQ(Set("Move", 2), 0);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(stack.UndoText(), "Undo Move");

  ASSERT_EQ(stack.Undo(doc), 0);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(stack.UndoText(), "Undo Create");
  EXPECT_EQ(stack.RedoText(), "Redo Move");
  ASSERT_EQ(stack.Undo(doc), 0);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(stack.Undo(doc), kQVErrStudioNothingToUndo);
  EXPECT_EQ(value, 0);

  ASSERT_EQ(stack.Redo(doc), 0);
  ASSERT_EQ(stack.Redo(doc), 0);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(stack.Redo(doc), kQVErrStudioNothingToUndo);
  EXPECT_EQ(stack.RedoText(), "");
}

TEST_F(StudioUndoStackTest, ANewStepDropsWhatCouldBeRedone) {
  Set("Create", 1);
  Set("Move", 2);
  stack.Undo(doc);
  ASSERT_EQ(Set("Resize", 3), 0);
  EXPECT_EQ(stack.Count(), 2u);
  EXPECT_FALSE(stack.CanRedo());
  stack.Undo(doc);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(stack.RedoText(), "Redo Resize");
}

TEST_F(StudioUndoStackTest, AFailingStepIsNotKeptAndAFailingUndoKeepsThePlace) {
  Set("Create", 1);
  auto failing = std::make_unique<SetNumber>("Move", &value, 1, 2);
  failing->failRedo = true;
  EXPECT_EQ(stack.Perform(std::move(failing), doc), kQVErrGeneric);
  EXPECT_EQ(stack.Count(), 1u);
  EXPECT_EQ(value, 1);

  auto stuck = std::make_unique<SetNumber>("Resize", &value, 1, 5);
  SetNumber* raw = stuck.get();
  ASSERT_EQ(stack.Perform(std::move(stuck), doc), 0);
  raw->failUndo = true;
  EXPECT_EQ(stack.Undo(doc), kQVErrGeneric);
  EXPECT_EQ(stack.Place(), 2u);
  EXPECT_EQ(stack.UndoText(), "Undo Resize");
  raw->failUndo = false;
  EXPECT_EQ(stack.Undo(doc), 0);
  EXPECT_EQ(value, 1);
}

TEST_F(StudioUndoStackTest, TheCleanPointFollowsUndoAndRedo) {
  EXPECT_TRUE(stack.IsClean());
  Set("Create", 1);
  EXPECT_FALSE(stack.IsClean());
  stack.Undo(doc);
  EXPECT_TRUE(stack.IsClean());
  stack.Redo(doc);
  Set("Move", 2);
  stack.SetClean();  // saved with value 2
  stack.Undo(doc);
  EXPECT_FALSE(stack.IsClean());
  stack.Redo(doc);
  EXPECT_TRUE(stack.IsClean());
}

TEST_F(StudioUndoStackTest, ACleanPointDroppedWithTheRedoListIsNeverReachedAgain) {
  Set("Create", 1);
  Set("Move", 2);
  stack.SetClean();  // saved with value 2
  stack.Undo(doc);
  stack.Undo(doc);
  Set("Resize", 7);  // the saved state can no longer be reached
  EXPECT_FALSE(stack.IsClean());
  stack.Undo(doc);
  EXPECT_FALSE(stack.IsClean());  // value 0, place 0: not what was saved
  stack.Redo(doc);
  EXPECT_FALSE(stack.IsClean());
}

TEST_F(StudioUndoStackTest, RecordedStepsAreNotRunAgain) {
  value = 4;  // changed already, as an object's inspector does
  stack.Record(std::make_unique<SetNumber>("Change Talvane Font Size", &value, 0, 4));
  EXPECT_EQ(value, 4);
  EXPECT_EQ(stack.UndoText(), "Undo Change Talvane Font Size");
  stack.Undo(doc);
  EXPECT_EQ(value, 0);
}

TEST_F(StudioUndoStackTest, StepsOfOneDragMergeIntoOne) {
  Set("Move", 1, 7);
  Set("Move", 2, 7);
  Set("Move", 3, 7);
  EXPECT_EQ(stack.Count(), 1u);
  Set("Move", 4, 8);  // another drag
  EXPECT_EQ(stack.Count(), 2u);
  stack.Undo(doc);
  EXPECT_EQ(value, 3);
  stack.Undo(doc);
  EXPECT_EQ(value, 0);
}

TEST_F(StudioUndoStackTest, ADragNeverMergesIntoTheCleanPointNorPastARedoList) {
  Set("Move", 1, 7);
  stack.SetClean();  // saved in the middle of the drag
  Set("Move", 2, 7);
  EXPECT_EQ(stack.Count(), 2u);
  EXPECT_FALSE(stack.IsClean());
  stack.Undo(doc);
  EXPECT_TRUE(stack.IsClean());
  EXPECT_EQ(value, 1);

  Set("Move", 5, 9);
  Set("Move", 6, 10);
  stack.Undo(doc);
  // Drag 9's step lies before the place, with a step to redo after it: a
  // late step of drag 9 is a step of its own.
  Set("Move", 9, 9);
  EXPECT_EQ(stack.Count(), 3u);
  EXPECT_FALSE(stack.CanRedo());
  stack.Undo(doc);
  EXPECT_EQ(value, 5);
}

TEST_F(StudioUndoStackTest, ClearForgetsEverythingAndIsClean) {
  Set("Create", 1);
  stack.ForgetClean();
  stack.Clear();
  EXPECT_EQ(stack.Count(), 0u);
  EXPECT_TRUE(stack.IsClean());
  EXPECT_FALSE(stack.CanUndo());
}

}  // namespace
