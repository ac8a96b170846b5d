// Key presses of the toolkit as the edit keys an object typed into expects:
// evdev codes from hardware keycodes, modifier bits from the state word, and
// which keys the window keeps for itself.
#include "StudioKeyInput.h"

#include <gtest/gtest.h>

#include <string>

#include "host/QVEditEvent.h"

namespace {

struct KeyCase {
  const char* what;
  uint32_t keycode;
  uint32_t state;
  const char* typed;  // the same key as the reference host reads it
};

// Hardware keycodes as X reports them (evdev + 8): r 27, Left 113,
// BackSpace 22, KP_Multiply 63, Escape 9, a 38.
const KeyCase kKeys[] = {
    {"plain letter", 27, 0, "KEY_R"},
    {"shift", 27, kStudioStateShift, "shift+KEY_R"},
    {"ctrl is the command bit", 38, kStudioStateControl, "ctrl+KEY_A"},
    {"super is the command bit too", 38, kStudioStateSuper, "cmd+KEY_A"},
    {"alt gives the third level", 27, kStudioStateAlt, "alt+KEY_R"},
    {"AltGr (Mod5) gives the third level", 27, kStudioStateMod5, "altgr+KEY_R"},
    {"shift and AltGr", 27, kStudioStateShift | kStudioStateMod5, "shift+altgr+KEY_R"},
    {"ctrl and shift with an arrow", 113, kStudioStateControl | kStudioStateShift, "ctrl+shift+Left"},
    {"caps lock is left out", 27, kStudioStateLock, "KEY_R"},
    {"mouse buttons are left out", 22, 1u << 8, "BackSpace"},
    {"keypad key", 63, 0, "55"},
    {"escape", 9, 0, "Escape"},
};

TEST(StudioKeyInputTest, KeysBecomeTheEditKeysTheReferenceHostSends) {
  for (const KeyCase& c : kKeys) {
    HostEditKey key;
    ASSERT_TRUE(StudioEditKeyFromToolkit(c.keycode, c.state, key)) << c.what;
    HostEditKey expected;
    ASSERT_TRUE(HostParseEditKey(c.typed, expected)) << c.typed;
    EXPECT_EQ(key.code, expected.code) << c.what;
    EXPECT_EQ(key.modifiers, expected.modifiers) << c.what;
  }
}

TEST(StudioKeyInputTest, ModifierBitsAreTheEditEventsOwn) {
  HostEditKey key;
  ASSERT_TRUE(StudioEditKeyFromToolkit(27, kStudioStateShift | kStudioStateAlt | kStudioStateControl, key));
  EXPECT_EQ(key.code, 19u);
  EXPECT_EQ(key.modifiers, static_cast<uint32_t>(kQVEditModifierShift | kQVEditModifierOption |
                                                 kQVEditModifierCommand));
  // The control bit of the edit event is never sent: Ctrl is the shortcut key.
  EXPECT_EQ(key.modifiers & kQVEditModifierControl, 0u);
}

TEST(StudioKeyInputTest, KeycodesBelowEightNameNoKeyAndLeaveTheKeyAlone) {
  for (uint32_t keycode : {0u, 1u, 7u}) {
    HostEditKey key{123, 4};
    EXPECT_FALSE(StudioEditKeyFromToolkit(keycode, kStudioStateShift, key)) << keycode;
    EXPECT_EQ(key.code, 123u);
    EXPECT_EQ(key.modifiers, 4u);
  }
  HostEditKey key;
  ASSERT_TRUE(StudioEditKeyFromToolkit(8, 0, key));
  EXPECT_EQ(key.code, 0u);
}

TEST(StudioKeyInputTest, OnlyBareEscapeEndsEditing) {
  struct Case {
    uint32_t keycode;
    uint32_t state;
    StudioEditingKey expected;
  };
  const Case cases[] = {
      {9, 0, StudioEditingKey::kEndEditing},
      {9, kStudioStateShift, StudioEditingKey::kToObject},
      {9, kStudioStateControl, StudioEditingKey::kToObject},
      {9, kStudioStateLock, StudioEditingKey::kEndEditing},  // caps lock does not count
      {36, 0, StudioEditingKey::kToObject},                  // Return
      {27, 0, StudioEditingKey::kToObject},
  };
  for (const Case& c : cases) {
    HostEditKey key;
    ASSERT_TRUE(StudioEditKeyFromToolkit(c.keycode, c.state, key));
    EXPECT_EQ(StudioClassifyEditingKey(key), c.expected) << c.keycode << " " << c.state;
  }
}

}  // namespace
