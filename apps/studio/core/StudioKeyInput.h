// Key presses of the desktop toolkit turned into the edit keys an object
// typed into expects (HostEditKey: a Linux evdev code and the edit event's
// modifier word), so that the object's own symbol layout translates them.
//
// Kept free of the toolkit: the window hands over the X hardware keycode
// and the modifier state as numbers. The state bits are those the toolkit
// reports (the values below match GTK 4's GdkModifierType and the X11
// core state word it is built on).
#ifndef STUDIO_KEY_INPUT_H
#define STUDIO_KEY_INPUT_H

#include <cstdint>

#include "bridge/HostEdit.h"

// Modifier state bits as the toolkit reports them.
enum StudioKeyState : uint32_t {
  kStudioStateShift = 1u << 0,
  kStudioStateLock = 1u << 1,
  kStudioStateControl = 1u << 2,
  kStudioStateAlt = 1u << 3,   // Mod1
  kStudioStateMod5 = 1u << 7,  // X11's third-level shift (AltGr)
  kStudioStateSuper = 1u << 26,
  kStudioStateMeta = 1u << 28,
};

// X hardware keycodes are evdev codes plus this.
inline constexpr uint32_t kStudioKeycodeOffset = 8;

// Evdev codes the window itself looks at.
inline constexpr uint32_t kStudioEvdevEscape = 1;
inline constexpr uint32_t kStudioEvdevReturn = 28;
inline constexpr uint32_t kStudioEvdevKeypadEnter = 96;

// The edit key for a press of the key with this hardware keycode under
// state: code = keycode - 8; shift gives the shift bit (1), Alt, AltGr or
// Meta the third-level bit (2), Ctrl or Super the command bit (8: Ctrl is
// this platform's shortcut key). Caps Lock and mouse buttons are left out.
// False (key untouched) for a keycode below 8, which names no evdev key.
bool StudioEditKeyFromToolkit(uint32_t hardwareKeycode, uint32_t state, HostEditKey& key);

// What a key press means while an object is typed into.
enum class StudioEditingKey {
  kToObject,    // handed to the object
  kEndEditing,  // Escape alone: editing ends (one undo step)
};
StudioEditingKey StudioClassifyEditingKey(const HostEditKey& key);

#endif
