// Caret and selection over a symbol text: the moves of the arrow keys, mouse
// positions, selections, deletions and insertions, and their invariants when
// the text changes behind the editing state's back.
#include "object/CEditingData.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// A text of length units U+E000, U+E001, ...
ATNumberArray<unsigned short> Symbols(uint32_t length) {
  ATNumberArray<unsigned short> text;
  for (uint32_t i = 0; i < length; ++i) text.Append(static_cast<unsigned short>(0xE000 + i));
  return text;
}

std::vector<unsigned> Units(const ATNumberArray<unsigned short>& text) {
  return std::vector<unsigned>(text.begin(), text.end());
}

// The editing state over its own text, put into a state: a selection
// [begin, end) when begin < end, else the caret at caret.
struct Editing {
  Editing(uint32_t length, uint32_t caret, uint32_t begin = 0, uint32_t end = 0)
      : text(Symbols(length)), data(text, AGRect{0, 0, 10, 10}) {
    if (begin < end) {
      EXPECT_TRUE(data.SetSelection(begin, end));
    } else {
      data.CaretAtPos(caret, false);
    }
  }
  ATNumberArray<unsigned short> text;
  CEditingData data;
};

// caret, selection begin, selection end
struct State {
  uint32_t caret, begin, end;
};

bool operator==(const State& a, const State& b) {
  return a.caret == b.caret && a.begin == b.begin && a.end == b.end;
}
std::ostream& operator<<(std::ostream& out, const State& s) {
  return out << "{caret " << s.caret << ", [" << s.begin << ", " << s.end << ")}";
}

State StateOf(const CEditingData& d) { return {d.Caret(), d.SelectionBegin(), d.SelectionEnd()}; }

// ---- Arrow moves over a text of 8 units

enum class Move { kLeft, kRight, kBeg, kEnd };

struct MoveCase {
  const char* name;
  State before;
  Move move;
  bool extend;
  bool changed;
  State after;
};

class ArrowMoveTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ArrowMoveTest, MovesCaretOrGrowsSelectionOnTheArrowsSide) {
  const MoveCase& c = GetParam();
  Editing e(8, c.before.caret, c.before.begin, c.before.end);
  ASSERT_EQ(StateOf(e.data), c.before);
  bool changed = false;
  switch (c.move) {
    case Move::kLeft: changed = e.data.CaretAtLeft(c.extend); break;
    case Move::kRight: changed = e.data.CaretAtRight(c.extend); break;
    case Move::kBeg: changed = e.data.CaretAtBeg(c.extend); break;
    case Move::kEnd: changed = e.data.CaretAtEnd(c.extend); break;
  }
  EXPECT_EQ(changed, c.changed);
  EXPECT_EQ(StateOf(e.data), c.after);
  EXPECT_EQ(Units(e.text), Units(Symbols(8)));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, ArrowMoveTest,
    ::testing::Values(
        // With a selection [2, 5)
        MoveCase{"LeftCollapsesToStart", {0, 2, 5}, Move::kLeft, false, true, {2, 0, 0}},
        MoveCase{"ShiftLeftGrowsStart", {0, 2, 5}, Move::kLeft, true, true, {0, 1, 5}},
        MoveCase{"ShiftLeftAtZeroRefused", {0, 0, 5}, Move::kLeft, true, false, {0, 0, 5}},
        MoveCase{"RightCollapsesToEnd", {0, 2, 5}, Move::kRight, false, true, {5, 0, 0}},
        MoveCase{"ShiftRightGrowsEnd", {0, 2, 5}, Move::kRight, true, true, {0, 2, 6}},
        MoveCase{"ShiftRightAtEndRefused", {0, 2, 8}, Move::kRight, true, false, {0, 2, 8}},
        MoveCase{"BegCollapsesToZero", {0, 2, 5}, Move::kBeg, false, true, {0, 0, 0}},
        MoveCase{"ShiftBegReachesZero", {0, 2, 5}, Move::kBeg, true, true, {0, 0, 5}},
        MoveCase{"ShiftBegFromZeroRefused", {0, 0, 5}, Move::kBeg, true, false, {0, 0, 5}},
        MoveCase{"EndCollapsesToLength", {0, 2, 5}, Move::kEnd, false, true, {8, 0, 0}},
        MoveCase{"ShiftEndReachesLength", {0, 2, 5}, Move::kEnd, true, true, {0, 2, 8}},
        MoveCase{"ShiftEndAtLengthRefused", {0, 2, 8}, Move::kEnd, true, false, {0, 2, 8}},
        // With the caret at 3, 0 or 8
        MoveCase{"LeftStepsBack", {3, 0, 0}, Move::kLeft, false, true, {2, 0, 0}},
        MoveCase{"LeftAtZeroRefused", {0, 0, 0}, Move::kLeft, false, false, {0, 0, 0}},
        MoveCase{"ShiftLeftSelectsOne", {3, 0, 0}, Move::kLeft, true, true, {0, 2, 3}},
        MoveCase{"ShiftLeftAtZeroNoSelection", {0, 0, 0}, Move::kLeft, true, false, {0, 0, 0}},
        MoveCase{"RightSteps", {3, 0, 0}, Move::kRight, false, true, {4, 0, 0}},
        MoveCase{"RightAtEndRefused", {8, 0, 0}, Move::kRight, false, false, {8, 0, 0}},
        MoveCase{"ShiftRightSelectsOne", {3, 0, 0}, Move::kRight, true, true, {0, 3, 4}},
        MoveCase{"BegFromMiddle", {3, 0, 0}, Move::kBeg, false, true, {0, 0, 0}},
        MoveCase{"BegAtZeroRefused", {0, 0, 0}, Move::kBeg, false, false, {0, 0, 0}},
        MoveCase{"ShiftBegSelectsHead", {3, 0, 0}, Move::kBeg, true, true, {0, 0, 3}},
        MoveCase{"EndFromMiddle", {3, 0, 0}, Move::kEnd, false, true, {8, 0, 0}},
        MoveCase{"EndAtLengthRefused", {8, 0, 0}, Move::kEnd, false, false, {8, 0, 0}},
        MoveCase{"ShiftEndSelectsTail", {3, 0, 0}, Move::kEnd, true, true, {0, 3, 8}},
        MoveCase{"ShiftEndAtLengthNoSelection", {8, 0, 0}, Move::kEnd, true, false, {8, 0, 0}}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

TEST(ArrowMoves, ShiftLeftAfterShiftRightGrowsTheStartInsteadOfShrinking) {
  Editing e(8, 3);
  EXPECT_TRUE(e.data.CaretAtRight(true));
  EXPECT_TRUE(e.data.CaretAtRight(true));
  EXPECT_EQ(StateOf(e.data), (State{0, 3, 5}));
  EXPECT_TRUE(e.data.CaretAtLeft(true));
  EXPECT_EQ(StateOf(e.data), (State{0, 2, 5}));
}

// ---- Mouse positions and selections

struct PosCase {
  const char* name;
  State before;
  unsigned long pos;
  bool extend;
  bool changed;
  State after;
};

class CaretAtPosTest : public ::testing::TestWithParam<PosCase> {};

TEST_P(CaretAtPosTest, PlacesCaretOrMovesTheNearerEndOfTheSelection) {
  const PosCase& c = GetParam();
  Editing e(8, c.before.caret, c.before.begin, c.before.end);
  EXPECT_EQ(e.data.CaretAtPos(c.pos, c.extend), c.changed);
  EXPECT_EQ(StateOf(e.data), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, CaretAtPosTest,
    ::testing::Values(
        PosCase{"ClickCollapsesSelection", {0, 2, 6}, 4, false, true, {4, 0, 0}},
        PosCase{"ClickOnCaretIsNoChange", {3, 0, 0}, 3, false, false, {3, 0, 0}},
        PosCase{"ClickPastEndClamps", {3, 0, 0}, 1000, false, true, {8, 0, 0}},
        PosCase{"HugePositionClamps", {3, 0, 0}, ~0UL, false, true, {8, 0, 0}},
        // Selection [2, 6): integer midpoint 4.
        PosCase{"ShiftClickOnMidpointMovesStart", {0, 2, 6}, 4, true, true, {0, 4, 6}},
        PosCase{"ShiftClickPastMidpointMovesEnd", {0, 2, 6}, 5, true, true, {0, 2, 5}},
        PosCase{"ShiftClickBeforeSelectionMovesStart", {0, 2, 6}, 1, true, true, {0, 1, 6}},
        PosCase{"ShiftClickPastEndMovesEndToLength", {0, 2, 6}, 99, true, true, {0, 2, 8}},
        PosCase{"ShiftClickLeftOfCaretSelects", {5, 0, 0}, 2, true, true, {0, 2, 5}},
        PosCase{"ShiftClickRightOfCaretSelects", {2, 0, 0}, 7, true, true, {0, 2, 7}},
        PosCase{"ShiftClickOnCaretIsNoChange", {2, 0, 0}, 2, true, false, {2, 0, 0}}),
    [](const ::testing::TestParamInfo<PosCase>& info) { return std::string(info.param.name); });

TEST(Selections, SetSelectionClampsOrdersAndRefusesEmptyOrStandingRanges) {
  Editing e(8, 3);
  EXPECT_TRUE(e.data.SetSelection(6, 2));
  EXPECT_EQ(StateOf(e.data), (State{0, 2, 6}));
  EXPECT_FALSE(e.data.SetSelection(2, 6));
  EXPECT_FALSE(e.data.SetSelection(5, 5));
  EXPECT_EQ(StateOf(e.data), (State{0, 2, 6}));
  EXPECT_TRUE(e.data.SetSelection(~0UL, 4));
  EXPECT_EQ(StateOf(e.data), (State{0, 4, 8}));
  // Both beyond the end clamp to the same index: empty, refused.
  EXPECT_FALSE(e.data.SetSelection(20, 30));
}

TEST(Selections, SelectAllTakesTheWholeTextButNotAnEmptyOne) {
  Editing e(8, 3);
  EXPECT_TRUE(e.data.SetSelectionAll());
  EXPECT_EQ(StateOf(e.data), (State{0, 0, 8}));
  Editing empty(0, 0);
  EXPECT_FALSE(empty.data.SetSelectionAll());
  EXPECT_FALSE(empty.data.HasSelection());
}

TEST(Selections, CopyGivesTheSelectedUnitsOnlyAndNothingWithoutASelection) {
  Editing e(8, 3);
  EXPECT_TRUE(e.data.CopySelection().IsEmpty());
  e.data.SetSelection(2, 5);
  EXPECT_EQ(Units(e.data.CopySelection()), (std::vector<unsigned>{0xE002, 0xE003, 0xE004}));
  EXPECT_EQ(e.text.Length(), 8u);
}

// ---- Text changes

TEST(TextChanges, DeleteSelectionRemovesItAndLeavesTheCaretAtItsStart) {
  Editing e(8, 0, 2, 5);
  EXPECT_TRUE(e.data.DeleteSelection());
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE000, 0xE001, 0xE005, 0xE006, 0xE007}));
  EXPECT_EQ(StateOf(e.data), (State{2, 0, 0}));
  EXPECT_FALSE(e.data.DeleteSelection());
}

TEST(TextChanges, BackAndForwardDeleteRemoveOneUnitAndStopAtTheEnds) {
  Editing e(3, 1);
  EXPECT_TRUE(e.data.CaretDoBack());
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE001, 0xE002}));
  EXPECT_EQ(e.data.Caret(), 0u);
  EXPECT_FALSE(e.data.CaretDoBack());

  EXPECT_TRUE(e.data.CaretDoDelete());
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE002}));
  EXPECT_EQ(e.data.Caret(), 0u);
  e.data.CaretAtEnd(false);
  EXPECT_FALSE(e.data.CaretDoDelete());
  EXPECT_EQ(e.text.Length(), 1u);
}

TEST(TextChanges, BackOrDeleteWithASelectionRemoveTheSelectionNotTheFirstUnit) {
  Editing back(6, 0, 3, 5);
  EXPECT_TRUE(back.data.CaretDoBack());
  EXPECT_EQ(Units(back.text), (std::vector<unsigned>{0xE000, 0xE001, 0xE002, 0xE005}));
  Editing forward(6, 0, 3, 5);
  EXPECT_TRUE(forward.data.CaretDoDelete());
  EXPECT_EQ(Units(forward.text), Units(back.text));
  EXPECT_EQ(StateOf(forward.data), (State{3, 0, 0}));
}

TEST(TextChanges, InsertKeepsOnlySymbolFontUnitsAndMovesTheCaretBehindThem) {
  Editing e(2, 1);
  ATNumberArray<unsigned short> typed = {0x001F, 0xE100, 0x0100, 0x0041, 0xE500};
  EXPECT_TRUE(e.data.InsertUText(typed));
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE000, 0xE100, 0x0041, 0xE001}));
  EXPECT_EQ(e.data.Caret(), 3u);
  // The caller's units are left alone.
  EXPECT_EQ(typed.Length(), 5u);
}

TEST(TextChanges, InsertOfRejectedUnitsOnlyChangesNothing) {
  Editing e(4, 0, 1, 3);
  EXPECT_FALSE(e.data.InsertUText(ATNumberArray<unsigned short>{0x0009, 0xD800, 0xFFFF}));
  EXPECT_FALSE(e.data.InsertUText(ATNumberArray<unsigned short>{}));
  EXPECT_EQ(Units(e.text), Units(Symbols(4)));
  EXPECT_EQ(StateOf(e.data), (State{0, 1, 3}));
}

TEST(TextChanges, InsertOverASelectionReplacesIt) {
  Editing e(4, 0, 1, 3);
  EXPECT_TRUE(e.data.InsertUText(ATNumberArray<unsigned short>{0xE0AA}));
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE000, 0xE0AA, 0xE003}));
  EXPECT_EQ(StateOf(e.data), (State{2, 0, 0}));
}

// ---- The text changed elsewhere

TEST(TextChangedElsewhere, ASelectionPastTheNewEndIsCutAtTheEnd) {
  Editing e(8, 0, 2, 7);
  e.text.SetLength(4);
  EXPECT_EQ(Units(e.data.CopySelection()), (std::vector<unsigned>{0xE002, 0xE003}));
  EXPECT_TRUE(e.data.DeleteSelection());
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE000, 0xE001}));
  EXPECT_EQ(StateOf(e.data), (State{2, 0, 0}));
}

TEST(TextChangedElsewhere, ASelectionWhollyPastTheEndBecomesACaretAtTheEnd) {
  Editing e(8, 0, 5, 7);
  e.text.SetLength(3);
  EXPECT_FALSE(e.data.CaretAtRight(false));
  EXPECT_EQ(StateOf(e.data), (State{3, 0, 0}));
  EXPECT_TRUE(e.data.CaretDoBack());
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE000, 0xE001}));
}

TEST(TextChangedElsewhere, ACaretPastTheEndInsertsAtTheEnd) {
  Editing e(8, 8);
  e.text.SetLength(2);
  EXPECT_FALSE(e.data.CaretDoDelete());
  EXPECT_TRUE(e.data.InsertUText(ATNumberArray<unsigned short>{0xE0AA}));
  EXPECT_EQ(Units(e.text), (std::vector<unsigned>{0xE000, 0xE001, 0xE0AA}));
  EXPECT_EQ(e.data.Caret(), 3u);
}

// Random operations, with the text now and then cut or lengthened behind the
// state's back: the invariants always hold and the text only ever holds
// units of the symbol font.
TEST(Invariants, HoldAfterAnySequenceOfOperations) {
  std::mt19937 random(20240611u);
  Editing e(6, 2);
  for (int step = 0; step < 20000; ++step) {
    const unsigned long pos = random() % 12;
    const bool extend = random() % 2;
    switch (random() % 14) {
      case 0: e.data.CaretAtLeft(extend); break;
      case 1: e.data.CaretAtRight(extend); break;
      case 2: e.data.CaretAtBeg(extend); break;
      case 3: e.data.CaretAtEnd(extend); break;
      case 4: e.data.CaretAtPos(pos, extend); break;
      case 5: e.data.SetSelection(pos, random() % 12); break;
      case 6: e.data.SetSelectionAll(); break;
      case 7: e.data.DeleteSelection(); break;
      case 8: e.data.CaretDoBack(); break;
      case 9: e.data.CaretDoDelete(); break;
      case 10: {
        ATNumberArray<unsigned short> units;
        for (uint32_t i = random() % 3; i > 0; --i) units.Append(static_cast<unsigned short>(random()));
        units.Append(static_cast<unsigned short>(0xE000 + random() % 0x500));
        e.data.InsertUText(units);
        break;
      }
      case 11: e.data.CopySelection(); break;
      case 12: e.text.SetLength(static_cast<uint32_t>(random() % (e.text.Length() + 1))); break;
      case 13: e.text.Append(static_cast<unsigned short>(0x0041)); break;
    }
    // Checked against the text as the next operation will find it.
    const uint32_t length = e.text.Length();
    const uint32_t begin = e.data.SelectionBegin(), end = e.data.SelectionEnd();
    if (begin < end) {
      ASSERT_EQ(e.data.Caret(), 0u) << "step " << step;
    } else {
      ASSERT_EQ(begin, 0u) << "step " << step;
      ASSERT_EQ(end, 0u) << "step " << step;
    }
    ASSERT_LE(e.data.CopySelection().Length(), length);
    for (unsigned short unit : e.text) {
      ASSERT_TRUE((unit >= 0x20 && unit <= 0xFF) || (unit >= 0xE000 && unit <= 0xE4FF)) << unit;
    }
  }
}

}  // namespace
