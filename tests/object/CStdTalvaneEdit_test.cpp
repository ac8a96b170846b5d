// In-place editing of the Talvane object, driven as the reference host drives
// it: edit events through the class's edit slot, the keyboard switched to the
// symbol layouts and back, the clipboard, clicks mapped from the score onto
// the characters, the edited look, and hostile event sequences.
#include <gtest/gtest.h>

#include "TalvaneTestSupport.h"
#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bridge/HostEdit.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "host/QVClass.h"
#include "host/QVDrawEvent.h"
#include "host/QVEnv.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"
#include "kit/QVValue.h"
#include "object/CEditingData.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneRegistration.h"
#include "textinput/UKeyLayout.h"
#include "textinput/UPasteboard.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// The frame every object gets: wide and tall enough that a 48-point text is
// not shrunk, so natural (x, y) shows at score (x, y + 26): the text's middle
// band (y 24) lands on the frame's middle (y 50).
const AGRect kFrame = {0.0, 0.0, 1000.0, 100.0};
const std::string kUserLayout = "fr";

std::vector<unsigned> Units(const ATNumberArray<unsigned short>& text) {
  return std::vector<unsigned>(text.begin(), text.end());
}

bool IsSymbolFontUnit(unsigned short u) {
  return (u >= 0x20 && u <= 0xFF) || (u >= 0xE000 && u <= 0xE4FF);
}

HostEditKey Key(const std::string& text) {
  HostEditKey key;
  EXPECT_TRUE(HostParseEditKey(text, key)) << text;
  return key;
}


class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetRegistration();
    env = std::make_unique<HostEnvironment>(HostEnvironmentOptions{});
    plugin = std::make_unique<HostPlugin>(*env);
    ASSERT_EQ(plugin->Register(&CStdTalvaneRegister), 0);
    UKeyLayout::ExitEditMode();
    ASSERT_TRUE(UKeyLayout::SelectLayout(kUserLayout));
    userLayout = UKeyLayout::GetCurrentLayoutName().Std();
  }
  void TearDown() override {
    objects.clear();
    // Every test leaves the user's keyboard as it found it.
    EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
    UKeyLayout::ExitEditMode();
    UKeyLayout::SelectLayout("us");
    plugin.reset();
    env.reset();
    ForgetRegistration();
  }

  HostObject& NewObject() {
    objects.push_back(std::make_unique<HostObject>(*plugin));
    HostObject& object = *objects.back();
    EXPECT_EQ(object.Init(QVArgs("-default", true)), 0);
    object.Record().frame = kFrame;
    return object;
  }
  static CStdTalvane& Talvane(HostObject& o) { return *static_cast<CStdTalvane*>(o.Object()); }
  static void Set(HostObject& o, const char* key, const QVValue& value) {
    QVDictionary dict;
    dict.SetValue(key, value);
    o.SetObjectProperties(dict);
  }
  static void SetText(HostObject& o, const ATNumberArray<unsigned short>& text) {
    QVValue value;
    Set(o, "UnicodeText", *QVValueSetasQVUniChars(&value, text));
  }
  // The score point of a natural point under the identity view.
  static AGPoint Score(const AGPoint& natural) { return AGPoint{natural.x, natural.y + 26.0}; }
  // The centre of character box i in natural coordinates.
  static AGPoint BoxCentre(HostObject& o, uint32_t i) {
    const AGRect& box = (*Talvane(o).CharBoxes())[i];
    return AGPoint{(box.x1 + box.x2) * 0.5, (box.y1 + box.y2) * 0.5};
  }
  std::unique_ptr<HostEnvironment> env;
  std::unique_ptr<HostPlugin> plugin;
  std::vector<std::unique_ptr<HostObject>> objects;
  AGContext view;  // identity: one score unit is one device unit
  std::string userLayout;
};


// caret, selection begin, selection end of an edited object
struct Sel {
  uint32_t caret, begin, end;
};
bool operator==(const Sel& a, const Sel& b) {
  return a.caret == b.caret && a.begin == b.begin && a.end == b.end;
}
std::ostream& operator<<(std::ostream& out, const Sel& s) {
  return out << "{caret " << s.caret << ", [" << s.begin << ", " << s.end << ")}";
}
Sel SelOf(HostObject& o) {
  const CEditingData* d = static_cast<CStdTalvane*>(o.Object())->EditingData();
  EXPECT_NE(d, nullptr);
  return d ? Sel{d->Caret(), d->SelectionBegin(), d->SelectionEnd()} : Sel{~0u, ~0u, ~0u};
}

// ---- Beginning and ending: the keyboard

TEST_F(EditTest, BeginSwitchesToTheObjectsLayoutSelectsAllAndEndRestoresTheUsers) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  ASSERT_EQ(session.Begin(), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventBegin);
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Brindel");
  EXPECT_EQ(SelOf(o), (Sel{0, 0, 10}));

  ASSERT_EQ(session.End(), 0);
  EXPECT_EQ(Talvane(o).EditingData(), nullptr);
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
}

TEST_F(EditTest, MouseEndPhaseEndsEditingAndAsksTheHostToEnd) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  EXPECT_EQ(session.Mouse(kQVEditMouseEndEditing, AGPoint{5000, 5000}, 0), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventEnd);
  EXPECT_FALSE(session.IsEditing());
  EXPECT_EQ(Talvane(o).EditingData(), nullptr);
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
}

TEST_F(EditTest, ALayoutThatIsNotInstalledKeepsTheUsersKeyboardAndItsLetters) {
  HostObject& o = NewObject();
  QVValue name;
  Set(o, "KeyLayout", *QVValueSetasQVString(&name, "Nowhere"));
  HostEditSession session(o, view);
  session.Begin();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
  // The French keyboard types "a" on the key that is Q elsewhere.
  session.Key(Key("KEY_Q"));
  EXPECT_EQ(Units(Talvane(o).Text()), (std::vector<unsigned>{'a'}));
}

TEST_F(EditTest, BeginningAnotherObjectEndsTheFirstAndOnlyTheUsersLayoutComesBack) {
  HostObject& a = NewObject();
  HostObject& b = NewObject();
  QVValue name;
  Set(b, "KeyLayout", *QVValueSetasQVString(&name, "Sorel"));
  HostEditSession first(a, view), second(b, view);
  first.Begin();
  second.Begin();
  EXPECT_EQ(Talvane(a).EditingData(), nullptr);
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Sorel");

  // The first object no longer takes keys.
  const std::vector<unsigned> before = Units(Talvane(a).Text());
  first.Key(Key("KEY_R"));
  EXPECT_EQ(first.LastEvent().request, kQVEditEventKey);
  EXPECT_EQ(Units(Talvane(a).Text()), before);

  first.End();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Sorel");
  second.End();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
}

TEST_F(EditTest, BeginningTwiceKeepsTheLayoutSavedTheFirstTime) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  session.Key(Key("Right"));
  session.Begin();
  EXPECT_EQ(SelOf(o), (Sel{0, 0, 10}));
  session.End();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
}

TEST_F(EditTest, DeletingAnEditedObjectGivesTheKeyboardBack) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  ASSERT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Brindel");
  Talvane(o)._apmDelete();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
  EXPECT_EQ(Talvane(o).EditingData(), nullptr);
}

TEST_F(EditTest, EventsOutsideEditingChangeNothing) {
  HostObject& o = NewObject();
  const std::vector<unsigned> before = Units(Talvane(o).Text());
  HostEditSession session(o, view);
  session.Key(Key("KEY_R"));
  EXPECT_EQ(session.LastEvent().request, kQVEditEventKey);
  session.Mouse(kQVEditMousePress, Score(BoxCentre(o, 0)), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventMouse);
  session.End();
  EXPECT_EQ(Units(Talvane(o).Text()), before);
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
  EXPECT_FALSE(session.TextChanged());
}

// ---- Keys

TEST_F(EditTest, TheFirstTypedSymbolReplacesTheWholeTextAndLevelsFollowModifiers) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  session.Key(Key("KEY_R"));
  EXPECT_EQ(session.LastEvent().request, kQVEditEventHandled);
  EXPECT_EQ(session.LastEvent().changed, 1);
  EXPECT_EQ(Units(Talvane(o).Text()), (std::vector<unsigned>{0xE01C}));
  // The caches were dropped and come back for the next event.
  EXPECT_FALSE(Talvane(o).HasCachedPath());

  session.Key(Key("shift+KEY_R"));
  session.Key(Key("altgr+KEY_R"));
  session.Key(Key("shift+altgr+KEY_R"));
  session.Key(Key("space"));
  EXPECT_EQ(Units(Talvane(o).Text()),
            (std::vector<unsigned>{0xE01C, 0xE01D, 0xE01E, 0xE01F, 0xE000}));
  EXPECT_EQ(SelOf(o), (Sel{5, 0, 0}));
}

struct KeyCase {
  const char* name;
  std::vector<const char*> keys;  // after Begin, which selects all 10 units
  Sel after;
  int32_t lastAnswer;
  uint32_t removedAt;  // the unit removed, or ~0u when the text stays
  uint32_t removedCount;
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }

class EditKeyTest : public EditTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(EditKeyTest, KeyMovesCaretSelectionOrTextAsTheTableSays) {
  const KeyCase& c = GetParam();
  HostObject& o = NewObject();
  std::vector<unsigned> expected = Units(Talvane(o).Text());
  if (c.removedAt != ~0u) {
    expected.erase(expected.begin() + c.removedAt, expected.begin() + c.removedAt + c.removedCount);
  }
  HostEditSession session(o, view);
  session.Begin();
  for (const char* key : c.keys) session.Key(Key(key));
  EXPECT_EQ(session.LastEvent().request, c.lastAnswer);
  EXPECT_EQ(session.LastEvent().changed, c.removedAt != ~0u ? 1 : 0);
  EXPECT_EQ(Units(Talvane(o).Text()), expected);
  EXPECT_EQ(SelOf(o), c.after);
}

constexpr int32_t kHandled = kQVEditEventHandled;
constexpr int32_t kUnchanged = kQVEditEventKey;

INSTANTIATE_TEST_SUITE_P(
    Keys, EditKeyTest,
    ::testing::Values(
        KeyCase{"LeftCollapsesToTheStart", {"Left"}, {0, 0, 0}, kHandled, ~0u, 0},
        KeyCase{"RightCollapsesToTheEnd", {"Right"}, {10, 0, 0}, kHandled, ~0u, 0},
        KeyCase{"LeftAtTheStartIsNotHandled", {"Left", "Left"}, {0, 0, 0}, kUnchanged, ~0u, 0},
        KeyCase{"CommandLeftGoesToTheStart", {"Right", "ctrl+Left"}, {0, 0, 0}, kHandled, ~0u, 0},
        KeyCase{"CommandShiftRightSelectsTheTail",
                {"Left", "Right", "ctrl+shift+Right"}, {0, 1, 10}, kHandled, ~0u, 0},
        KeyCase{"ShiftArrowsGrowBothSides",
                {"Left", "Right", "Right", "shift+Right", "shift+Left"}, {0, 1, 3}, kHandled, ~0u, 0},
        KeyCase{"CommandASelectsAll", {"Right", "ctrl+KEY_A"}, {0, 0, 10}, kHandled, ~0u, 0},
        KeyCase{"CommandQSelectsAll", {"Right", "ctrl+KEY_Q"}, {0, 0, 10}, kHandled, ~0u, 0},
        KeyCase{"BackspaceRemovesTheSelection", {"BackSpace"}, {0, 0, 0}, kHandled, 0, 10},
        KeyCase{"BackspaceRemovesTheUnitBefore", {"Right", "Left", "BackSpace"}, {8, 0, 0},
                kHandled, 8, 1},
        KeyCase{"BackspaceAtTheStartIsNotHandled", {"Left", "BackSpace"}, {0, 0, 0}, kUnchanged,
                ~0u, 0},
        KeyCase{"DeleteRemovesTheUnitAfter", {"Left", "Delete"}, {0, 0, 0}, kHandled, 0, 1},
        KeyCase{"DeleteAtTheEndIsNotHandled", {"Right", "Delete"}, {10, 0, 0}, kUnchanged, ~0u, 0},
        KeyCase{"ShiftBackspaceTypesNothing", {"Right", "shift+BackSpace"}, {10, 0, 0},
                kUnchanged, ~0u, 0},
        KeyCase{"TabTypesNothing", {"Right", "Tab"}, {10, 0, 0}, kUnchanged, ~0u, 0},
        KeyCase{"AKeyTheLayoutLeavesFreeTypesNothing", {"Right", "59"}  /* F1 */, {10, 0, 0},
                kUnchanged, ~0u, 0},
        KeyCase{"CommandLettersTypeNothing", {"Right", "ctrl+KEY_R"}, {10, 0, 0}, kUnchanged,
                ~0u, 0},
        KeyCase{"CommandZIsLeftToTheHost", {"ctrl+KEY_Z"}, {0, 0, 10}, kUnchanged, ~0u, 0},
        KeyCase{"CommandShiftZIsLeftToTheHost", {"ctrl+shift+KEY_Z"}, {0, 0, 10}, kUnchanged,
                ~0u, 0},
        KeyCase{"CommandWIsLeftToTheHost", {"ctrl+KEY_W"}, {0, 0, 10}, kUnchanged, ~0u, 0},
        KeyCase{"CommandCutWithoutASelectionDoesNothing", {"Right", "ctrl+KEY_X"}, {10, 0, 0},
                kUnchanged, ~0u, 0}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// ---- Clipboard

TEST_F(EditTest, CopyFillsTheClipboardAndChangesNothing) {
  HostObject& o = NewObject();
  const ATNumberArray<unsigned short> text = Talvane(o).Text();
  UPasteboard::SetUText(ATNumberArray<unsigned short>{0xE111});
  HostEditSession session(o, view);
  session.Begin();
  session.Key(Key("ctrl+KEY_C"));
  EXPECT_EQ(session.LastEvent().request, kQVEditEventKey);
  EXPECT_EQ(session.LastEvent().changed, 0);
  EXPECT_EQ(Units(UPasteboard::GetUText()), Units(text));
  EXPECT_EQ(Units(Talvane(o).Text()), Units(text));

  // Without a selection the clipboard keeps what it has.
  UPasteboard::SetUText(ATNumberArray<unsigned short>{0xE111});
  session.Key(Key("Right"));
  session.Key(Key("ctrl+KEY_C"));
  EXPECT_EQ(Units(UPasteboard::GetUText()), (std::vector<unsigned>{0xE111}));
}

TEST_F(EditTest, CutMovesTheSelectionToTheClipboardAndPastePutsItBackAtTheCaret) {
  HostObject& o = NewObject();
  const std::vector<unsigned> text = Units(Talvane(o).Text());
  HostEditSession session(o, view);
  session.Begin();
  session.Key(Key("Left"));
  session.Key(Key("shift+Right"));
  session.Key(Key("shift+Right"));
  session.Key(Key("ctrl+KEY_X"));
  EXPECT_EQ(session.LastEvent().request, kQVEditEventHandled);
  EXPECT_EQ(session.LastEvent().changed, 1);
  EXPECT_EQ(Units(UPasteboard::GetUText()), (std::vector<unsigned>{text[0], text[1]}));
  EXPECT_EQ(Units(Talvane(o).Text()), std::vector<unsigned>(text.begin() + 2, text.end()));

  session.Key(Key("ctrl+Right"));
  session.Key(Key("ctrl+KEY_V"));
  EXPECT_EQ(session.LastEvent().changed, 1);
  std::vector<unsigned> rotated(text.begin() + 2, text.end());
  rotated.push_back(text[0]);
  rotated.push_back(text[1]);
  EXPECT_EQ(Units(Talvane(o).Text()), rotated);
  EXPECT_EQ(SelOf(o), (Sel{10, 0, 0}));
}

TEST_F(EditTest, PasteReplacesTheSelectionButAClipboardOfRejectedUnitsChangesNothing) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  UPasteboard::SetUText(ATNumberArray<unsigned short>{0x0009, 0xE222, 0xD800});
  session.Key(Key("ctrl+KEY_V"));
  EXPECT_EQ(Units(Talvane(o).Text()), (std::vector<unsigned>{0xE222}));

  UPasteboard::SetUText(ATNumberArray<unsigned short>{0x0009, 0xD800, 0xFFFF});
  session.Key(Key("ctrl+KEY_V"));
  EXPECT_EQ(session.LastEvent().request, kQVEditEventKey);
  EXPECT_EQ(session.LastEvent().changed, 0);
  EXPECT_EQ(Units(Talvane(o).Text()), (std::vector<unsigned>{0xE222}));
}

// ---- Mouse

TEST_F(EditTest, AClickPutsTheCaretBeforeOrAfterTheCharacterByTheHalfItHits) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  const AGPoint centre = BoxCentre(o, 3);
  session.Mouse(kQVEditMousePress, Score(AGPoint{centre.x + 1, centre.y}), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventHandled);
  EXPECT_EQ(SelOf(o), (Sel{4, 0, 0}));
  session.Mouse(kQVEditMousePress, Score(AGPoint{centre.x - 1, centre.y + 5}), 0);
  EXPECT_EQ(SelOf(o), (Sel{3, 0, 0}));
  // The same place again: nothing changes.
  session.Mouse(kQVEditMousePress, Score(AGPoint{centre.x - 1, centre.y + 5}), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventMouse);
}

TEST_F(EditTest, ClicksHitUpTo20UnitsOutsideTheTextFrame) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  const AGRect frame = Talvane(o).TextFrame();
  const double middle = (frame.y1 + frame.y2) * 0.5;
  session.Mouse(kQVEditMousePress, Score(AGPoint{frame.x2 + 25, middle}), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventMouse);
  EXPECT_EQ(SelOf(o), (Sel{0, 0, 10}));
  session.Mouse(kQVEditMousePress, Score(AGPoint{frame.x2 + 15, middle}), 0);
  EXPECT_EQ(SelOf(o), (Sel{10, 0, 0}));
  session.Mouse(kQVEditMousePress, Score(AGPoint{frame.x1 + 1, frame.y1 - 15}), 0);
  EXPECT_EQ(SelOf(o), (Sel{0, 0, 0}));
}

TEST_F(EditTest, DragFromThePressSelectsAndShiftClickMovesTheNearerEnd) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  auto at = [&](uint32_t box, double dx) {
    AGPoint c = BoxCentre(o, box);
    return Score(AGPoint{c.x + dx, c.y});
  };
  session.Mouse(kQVEditMousePress, at(2, -1), 0);
  session.Mouse(kQVEditMouseDrag, at(5, 1), 0);
  EXPECT_EQ(SelOf(o), (Sel{0, 2, 6}));
  session.Mouse(kQVEditMouseDrag, at(0, -1), 0);
  EXPECT_EQ(SelOf(o), (Sel{0, 0, 2}));
  session.Mouse(kQVEditMouseRelease, at(0, -1), 0);

  // Shift-click past the integer midpoint of [2, 8) (5) moves the end;
  // on it or before it the start.
  session.Mouse(kQVEditMousePress, at(2, -1), 0);
  session.Mouse(kQVEditMouseDrag, at(7, 1), 0);
  session.Mouse(kQVEditMouseRelease, at(7, 1), 0);
  EXPECT_EQ(SelOf(o), (Sel{0, 2, 8}));
  session.Mouse(kQVEditMousePress, at(6, -1), kQVEditModifierShift);
  EXPECT_EQ(SelOf(o), (Sel{0, 2, 6}));
  session.Mouse(kQVEditMousePress, at(3, 1), kQVEditModifierShift);
  EXPECT_EQ(SelOf(o), (Sel{0, 4, 6}));
  // Shift with another modifier is a plain click.
  session.Mouse(kQVEditMousePress, at(3, 1), kQVEditModifierShift | kQVEditModifierOption);
  EXPECT_EQ(SelOf(o), (Sel{4, 0, 0}));

  // After a release a drag has no anchor: it only moves the caret.
  session.Mouse(kQVEditMouseRelease, at(3, 1), 0);
  session.Mouse(kQVEditMouseDrag, at(6, 1), 0);
  EXPECT_EQ(SelOf(o), (Sel{7, 0, 0}));
}

TEST_F(EditTest, ClicksFollowTheViewScaleAndTheObjectsRotation) {
  HostObject& o = NewObject();
  // Two device units a score unit: the text keeps its size on the device,
  // so a natural unit is half a score unit.
  view.transform = AGAffineTransformConcatScale(kAGAffineTransformIdentity, 2.0, 2.0);
  HostEditSession session(o, view);
  session.Begin();
  const AGPoint c = BoxCentre(o, 6);
  const AGPoint scaled = {c.x * 0.5 + 1.0 * 0.5, (c.y - 24.0) * 0.5 + 50.0};
  session.Mouse(kQVEditMousePress, scaled, 0);
  EXPECT_EQ(SelOf(o), (Sel{7, 0, 0}));

  // Turned half round about the frame's centre (500, 50).
  session.SetRotation(static_cast<float>(kPi));
  const AGPoint turned = {1000.0 - (c.x - 1.0) * 0.5, 100.0 - ((c.y - 24.0) * 0.5 + 50.0)};
  session.Mouse(kQVEditMousePress, turned, 0);
  EXPECT_EQ(SelOf(o), (Sel{6, 0, 0}));
}

TEST_F(EditTest, AnEmptyObjectTakesNoClicks) {
  HostObject& o = NewObject();
  SetText(o, ATNumberArray<unsigned short>{});
  HostEditSession session(o, view);
  ASSERT_EQ(session.Begin(), 0);
  EXPECT_EQ(SelOf(o), (Sel{0, 0, 0}));
  session.Mouse(kQVEditMousePress, Score(AGPoint{4, 12}), 0);
  EXPECT_EQ(session.LastEvent().request, kQVEditEventMouse);
  session.Key(Key("KEY_R"));
  EXPECT_EQ(Units(Talvane(o).Text()), (std::vector<unsigned>{0xE01C}));
}

// ---- The edited look

// Pixels of one exact colour (premultiplied 0xAARRGGBB) in a bitmap, with
// their box in device coordinates, y up.
struct Pixels {
  uint32_t count = 0;
  double x1 = 1e9, y1 = 1e9, x2 = -1e9, y2 = -1e9;
};

uint32_t* Row(const AGNativeBitmapInfo& info, uint32_t row) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(info.data) +
                                     row * info.bytesPerRow);
}

class EditDrawTest : public EditTest {
 protected:
  static constexpr uint32_t kWidth = 1000;
  static constexpr uint32_t kHeight = 100;

  void SetUp() override {
    EditTest::SetUp();
    ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(kWidth, kHeight, &port), 0);
    view = AGContext(port.get(), AGRect{0, 0, kWidth, kHeight});
    event.target = kFrame;
    event.brush = &brush;
    event.pen = &pen;
    brush.SetStyleSolid(kAGColorBlack);
    event.flags = kQVDrawEventScore | kQVDrawEventEdited;
  }

  void Draw(HostObject& o) {
    ClearToTransparent();
    EXPECT_EQ(o.Draw(view, event), 0);
  }
  void ClearToTransparent() {
    AGNativeBitmapInfo info;
    ASSERT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info));
    for (uint32_t row = 0; row < info.height; ++row) {
      std::fill_n(Row(info, row), info.width, 0u);
    }
    AGGraphicsLow::AGNativePortMarkDirty(port.get());
  }
  // The pixels of one colour, or with kAnyInk every pixel that is not
  // transparent.
  static constexpr uint32_t kAnyInk = 0;
  Pixels Find(uint32_t colour) {
    AGNativeBitmapInfo info;
    EXPECT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info));
    Pixels p;
    for (uint32_t row = 0; row < info.height; ++row) {
      const uint32_t* line = Row(info, row);
      for (uint32_t x = 0; x < info.width; ++x) {
        if (colour == kAnyInk ? line[x] == 0 : line[x] != colour) continue;
        const double y = info.height - 1 - row;
        ++p.count;
        p.x1 = std::min<double>(p.x1, x);
        p.x2 = std::max<double>(p.x2, x + 1);
        p.y1 = std::min(p.y1, y);
        p.y2 = std::max(p.y2, y + 1);
      }
    }
    return p;
  }
  Pixels Ink() { return Find(kAnyInk); }

  static constexpr uint32_t kRed = 0xFFFF0000u;
  static constexpr uint32_t kSelectBlue = 0xFFB5D5FFu;
  static constexpr uint32_t kBlack = 0xFF000000u;
  static constexpr uint32_t kBackWhite = 0xDCDCDCDCu;  // white at alpha 220, premultiplied

  AGNativePortPtr port;
  AGBrush brush;
  AGPen pen;
  QVDrawEvent event{};
};

TEST_F(EditDrawTest, AnEditedObjectDrawsOnlyWhenTheHostAsksForTheEditedLook) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  event.flags = kQVDrawEventScore;
  Draw(o);
  EXPECT_EQ(Ink().count, 0u);
  event.flags = kQVDrawEventScore | kQVDrawEventEdited;
  Draw(o);
  EXPECT_GT(Ink().count, 0u);
}

TEST_F(EditDrawTest, SelectionIsShownUntilItCollapsesAndThenTheCaretIs) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  session.Begin();
  Draw(o);
  EXPECT_GT(Find(kSelectBlue).count, 100u);
  EXPECT_GT(Find(kBlack).count, 100u);
  EXPECT_EQ(Find(kRed).count, 0u);

  session.Key(Key("Right"));
  Draw(o);
  EXPECT_EQ(Find(kSelectBlue).count, 0u);
  const Pixels caret = Find(kRed);
  ASSERT_GT(caret.count, 0u);
  // At the end: the last box's right edge less 2, then 4 further right.
  const AGRect last = Talvane(o).CharBoxes()->Last();
  EXPECT_NEAR(caret.x1, last.x2 + 2.0, 1.0);
  EXPECT_NEAR(caret.x2, last.x2 + 4.0, 1.0);
  // The background covers the text frame, inside the frame's margin.
  const Pixels back = Find(kBackWhite);
  const AGRect frame = Talvane(o).TextFrame();
  EXPECT_GT(back.count, 100u);
  EXPECT_GE(back.x1, frame.x1 - 1.0);
  EXPECT_LE(back.x2, frame.x2 + 1.0);
}

TEST_F(EditDrawTest, TheEditedLookIsOpaqueAndHasNoProlongationLine) {
  HostObject& o = NewObject();
  HostEditSession session(o, view);
  // The score view draws the sustained line to the frame's right edge.
  event.flags = kQVDrawEventScore;
  Draw(o);
  EXPECT_GE(Ink().x2, kWidth - 2.0);

  session.Begin();
  event.flags = kQVDrawEventScore | kQVDrawEventEdited;
  view.alpha = 0.0f;
  Draw(o);
  const Pixels ink = Ink();
  EXPECT_GT(ink.count, 0u);
  EXPECT_LE(ink.x2, Talvane(o).TextFrame().x2 + 1.0);
}

TEST_F(EditDrawTest, AnEmptyObjectShowsACaretTwoWideAtX4To6) {
  HostObject& o = NewObject();
  SetText(o, ATNumberArray<unsigned short>{});
  HostEditSession session(o, view);
  session.Begin();
  Draw(o);
  const Pixels caret = Find(kRed);
  ASSERT_GT(caret.count, 0u);
  EXPECT_NEAR(caret.x1, 4.0, 0.5);
  EXPECT_NEAR(caret.x2, 6.0, 0.5);
  // Across the minimal bounds (0, 0)-(24, 24): score y 26 to 50.
  EXPECT_NEAR(caret.y1, 26.0, 1.0);
  EXPECT_NEAR(caret.y2, 50.0, 1.0);
}

TEST_F(EditDrawTest, ACaretOverAFlatGlyphIsDrawnAtTheMinimumHeightCentredOnItsBox) {
  HostObject& o = NewObject();
  // U+E334 is a thin bar: its box (grown by 4) is under 11 units tall.
  SetText(o, ATNumberArray<unsigned short>{0xE334});
  QVValue size;
  Set(o, "FontSize", *QVValueSetasFloat32(&size, 200.0f));
  HostEditSession session(o, view);
  session.Begin();
  session.Key(Key("Left"));
  Draw(o);
  const Pixels caret = Find(kRed);
  ASSERT_GT(caret.count, 0u);
  const AGRect box = (*Talvane(o).CharBoxes())[0];
  const double k = 200.0 / 48.0;
  ASSERT_LT((box.y2 - box.y1) * k, 12.0 * k - 4.0);
  EXPECT_NEAR(caret.y2 - caret.y1, 12.0 * k, 1.5);
  EXPECT_NEAR((caret.y1 + caret.y2) * 0.5, 50.0 + ((box.y1 + box.y2) * 0.5 - 24.0) * k, 1.0);
}

// ---- Hostile event sequences: never a crash, never a unit the symbol font
// lacks, and the user's keyboard always comes back.

struct Step {
  enum Kind { kRequest, kKey, kMouse, kText, kFontSize, kLineType, kFrame, kRotation, kDraw };
  explicit Step(Kind k, int32_t r = 0) : kind(k), request(r) {}
  Kind kind;
  int32_t request;  // kRequest; the mouse phase for kMouse
  uint32_t code = 0;    // kKey
  uint32_t modifiers = 0;
  AGRect rect = kAGNullRect;  // kMouse: the point in x1, y1; kFrame: the frame
  double number = 0.0;        // kFontSize, kLineType, kRotation
  std::vector<unsigned short> units;  // kText
};

Step Request(int32_t r) { return Step(Step::kRequest, r); }
Step Begin() { return Request(kQVEditEventBegin); }
Step End() { return Request(kQVEditEventEnd); }
Step KeyPress(uint32_t code, uint32_t modifiers = 0) {
  Step s{Step::kKey};
  s.code = code;
  s.modifiers = modifiers;
  return s;
}
Step Mouse(int32_t phase, double x, double y, uint32_t modifiers = 0) {
  Step s{Step::kMouse, phase};
  s.rect = AGRect{x, y, 0, 0};
  s.modifiers = modifiers;
  return s;
}
Step Text(std::vector<unsigned short> units) {
  Step s{Step::kText};
  s.units = std::move(units);
  return s;
}
Step Number(Step::Kind kind, double n) {
  Step s{kind};
  s.number = n;
  return s;
}
Step Frame(AGRect r) {
  Step s{Step::kFrame};
  s.rect = r;
  return s;
}
Step DrawStep() { return Step(Step::kDraw); }

struct HostileCase {
  const char* name;
  std::vector<Step> steps;
  bool textKept;  // the text must come out as it went in
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class HostileEditTest : public EditTest, public ::testing::WithParamInterface<HostileCase> {
 protected:
  void Run(HostObject& o, HostEditSession& session, const Step& step) {
    QVEditEvent event;
    QVValue value;
    switch (step.kind) {
      case Step::kRequest:
        event.request = step.request;
        session.Send(event);
        break;
      case Step::kKey:
        session.Key(HostEditKey{step.code, step.modifiers});
        break;
      case Step::kMouse:
        session.Mouse(step.request, AGPoint{step.rect.x1, step.rect.y1}, step.modifiers);
        break;
      case Step::kText: {
        ATNumberArray<unsigned short> units;
        for (unsigned short u : step.units) units.Append(u);
        SetText(o, units);
        break;
      }
      case Step::kFontSize:
        Set(o, "FontSize", *QVValueSetasFloat64(&value, step.number));
        break;
      case Step::kLineType: {
        const char* words[] = {"None", "Sustained", "Iterated"};
        Set(o, "LineType", *QVValueSetasQVString(&value, words[static_cast<int>(step.number) % 3]));
        break;
      }
      case Step::kFrame:
        o.Record().frame = step.rect;
        break;
      case Step::kRotation:
        rotation = static_cast<float>(step.number);
        session.SetRotation(rotation);
        break;
      case Step::kDraw: {
        QVDrawEvent draw{};
        draw.target = o.Record().frame;
        draw.rotation = rotation;
        draw.flags = kQVDrawEventScore | kQVDrawEventEdited;
        AGContext copy(bitmapView);
        o.Draw(copy, draw);
        break;
      }
    }
    for (unsigned short u : Talvane(o).Text()) ASSERT_TRUE(IsSymbolFontUnit(u)) << std::hex << u;
  }

  void SetUp() override {
    EditTest::SetUp();
    ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(200, 50, &port), 0);
    bitmapView = AGContext(port.get(), AGRect{0, 0, 200, 50});
  }

  AGNativePortPtr port;
  AGContext bitmapView;
  float rotation = 0.0f;
};

TEST_P(HostileEditTest, NeverCorruptsTheTextNorLeavesTheKeyboardSwitched) {
  HostObject& o = NewObject();
  const std::vector<unsigned> before = Units(Talvane(o).Text());
  {
    HostEditSession session(o, view);
    for (const Step& step : GetParam().steps) ASSERT_NO_FATAL_FAILURE(Run(o, session, step));
    session.End();
    EXPECT_EQ(Talvane(o).EditingData(), nullptr);
  }
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
  if (GetParam().textKept) {
    EXPECT_EQ(Units(Talvane(o).Text()), before);
  }
}

constexpr uint32_t kAll = 0xFFFFFFFFu;

INSTANTIATE_TEST_SUITE_P(
    Sequences, HostileEditTest,
    ::testing::Values(
        // A modifier word whose high bits hold an arrow's code must not pass
        // for shift + left arrow (key 0 gives the character 0).
        HostileCase{"ModifierWordsThatSpellOtherKeys",
                    {Begin(), KeyPress(0, (0x1C << 8) | 1), KeyPress(0, (0x08 << 8)),
                     KeyPress(KEY_LEFT, 0x100), KeyPress(KEY_BACKSPACE, 0x100),
                     KeyPress(KEY_A, 0x108), KeyPress(KEY_R, kAll), KeyPress(KEY_R, 0x80000000u),
                     KeyPress(KEY_DELETE, kAll)},
                    true},
        HostileCase{"KeyCodesOfEverySize",
                    {Begin(), KeyPress(kAll), KeyPress(0xFFFF), KeyPress(0x10000 + KEY_R),
                     KeyPress(0), KeyPress(255), KeyPress(256), KeyPress(0x7FFFFFFF, 1),
                     KeyPress(KEY_ENTER), KeyPress(KEY_ESC), KeyPress(KEY_TAB, 2)},
                    false},
        HostileCase{"MousePointsThatAreNotNumbersOrFarAway",
                    {Begin(), Mouse(kQVEditMousePress, kNaN, kNaN), Mouse(kQVEditMouseDrag, kInf, 0),
                     Mouse(kQVEditMousePress, -kInf, kNaN), Mouse(kQVEditMousePress, 1e308, -1e308),
                     Mouse(kQVEditMouseDrag, kNaN, 50, kAll), Mouse(kQVEditMouseRelease, kNaN, kNaN),
                     Mouse(kQVEditMouseDrag, 1e-320, 4.9e-324), DrawStep()},
                    true},
        HostileCase{"UnknownPhasesAndRequests",
                    {Begin(), Mouse(0, 10, 50), Mouse(1, 10, 50), Mouse(6, 10, 50),
                     Mouse(-1, 10, 50), Mouse(INT32_MIN, 10, 50), Request(0), Request(5),
                     Request(99), Request(-7), Request(INT32_MAX), KeyPress(KEY_LEFT)},
                    true},
        // Begin selects all ten units; the text then shrinks under the
        // selection and the caret.
        HostileCase{"TextReplacedUnderTheSelection",
                    {Begin(), Text({0xE001, 0xE002}), DrawStep(), KeyPress(KEY_C, 8),
                     KeyPress(KEY_RIGHT, 1), KeyPress(KEY_BACKSPACE), DrawStep(),
                     Text({0xE003, 0xE004, 0xE005}), KeyPress(KEY_RIGHT, 8), Text({0xE006}),
                     KeyPress(KEY_LEFT, 1), DrawStep(), KeyPress(KEY_DELETE), Text({}),
                     KeyPress(KEY_X, 8), KeyPress(KEY_V, 8), Mouse(kQVEditMousePress, 900, 50),
                     Mouse(kQVEditMouseDrag, 0, 50), Text({0xE007, 0x0009, 0xE008}), DrawStep(),
                     KeyPress(KEY_LEFT, 9), KeyPress(KEY_R)},
                    false},
        HostileCase{"SizeAndLineChangedWhileEditing",
                    {Begin(), Number(Step::kFontSize, 4), DrawStep(), Mouse(kQVEditMousePress, 3, 50),
                     Number(Step::kFontSize, 200), Number(Step::kLineType, 2), DrawStep(),
                     Mouse(kQVEditMouseDrag, 999, 50), Number(Step::kFontSize, kNaN),
                     Number(Step::kLineType, 0), DrawStep(), KeyPress(KEY_RIGHT, 9),
                     KeyPress(KEY_R)},
                    false},
        HostileCase{"FramesWithoutRoomReversedOrNotNumbers",
                    {Begin(), Frame({10, 10, 10, 10}), Mouse(kQVEditMousePress, 10, 10), DrawStep(),
                     Frame({1000, 100, 0, 0}), Mouse(kQVEditMousePress, 500, 50),
                     Mouse(kQVEditMouseDrag, 10, 50), DrawStep(), Frame({kNaN, 0, kInf, 100}),
                     Mouse(kQVEditMousePress, 10, 50), DrawStep(),
                     Frame({-1e308, -1e308, 1e308, 1e308}), Mouse(kQVEditMousePress, 0, 0),
                     DrawStep()},
                    true},
        HostileCase{"RotationsThatAreNotNumbersOrHuge",
                    {Begin(), Number(Step::kRotation, kNaN), Mouse(kQVEditMousePress, 100, 50),
                     DrawStep(), Number(Step::kRotation, 1e30), Mouse(kQVEditMouseDrag, 100, 50),
                     Number(Step::kRotation, kInf), DrawStep(), Mouse(kQVEditMousePress, 10, 50)},
                    true},
        HostileCase{"EndsAndBeginsInAnyOrder",
                    {End(), End(), KeyPress(KEY_R), Begin(), Begin(), End(), KeyPress(KEY_R),
                     Mouse(kQVEditMouseEndEditing, 0, 0), Begin(),
                     Mouse(kQVEditMouseEndEditing, kNaN, kNaN), Mouse(kQVEditMouseEndEditing, 0, 0),
                     End(), Begin()},
                    true}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// Thousands of random events of every kind, two objects taking turns.
TEST_F(HostileEditTest, RandomEventsOnTwoObjects) {
  HostObject& a = NewObject();
  HostObject& b = NewObject();
  std::mt19937 random(77u);
  const uint32_t keys[] = {KEY_LEFT, KEY_RIGHT, KEY_BACKSPACE, KEY_DELETE, KEY_A, KEY_Q, KEY_C,
                           KEY_X, KEY_V, KEY_Z, KEY_R, KEY_1, KEY_SPACE, KEY_TAB, 0, 0xFFFF};
  const uint32_t modifiers[] = {0, 1, 2, 3, 8, 9, 4, 0x100, kAll};
  const double coordinates[] = {0, 10, 50, 200, 600, 1000, -30, kNaN, kInf};
  {
    HostEditSession sa(a, view), sb(b, view);
    for (int i = 0; i < 3000; ++i) {
      HostObject& o = (random() % 4 == 0) ? b : a;
      HostEditSession& s = (&o == &b) ? sb : sa;
      Step step{Step::kDraw};
      switch (random() % 10) {
        case 0: step = Request(static_cast<int32_t>(random() % 7)); break;
        case 1: case 2: case 3:
          step = KeyPress(keys[random() % 16], modifiers[random() % 9]);
          break;
        case 4: case 5:
          step = Mouse(static_cast<int32_t>(random() % 7), coordinates[random() % 9],
                       coordinates[random() % 9], modifiers[random() % 9]);
          break;
        case 6: {
          std::vector<unsigned short> units;
          for (uint32_t n = random() % 4; n > 0; --n) units.push_back(static_cast<unsigned short>(random()));
          step = Text(units);
          break;
        }
        case 7: step = Number(Step::kFontSize, coordinates[random() % 9]); break;
        case 8: step = Number(Step::kLineType, random() % 3); break;
        default: break;
      }
      ASSERT_NO_FATAL_FAILURE(Run(o, s, step)) << "event " << i;
    }
    sa.End();
    sb.End();
  }
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), userLayout);
}

}  // namespace
