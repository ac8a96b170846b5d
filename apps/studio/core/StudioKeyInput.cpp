#include "StudioKeyInput.h"

#include "host/QVEditEvent.h"

bool StudioEditKeyFromToolkit(uint32_t hardwareKeycode, uint32_t state, HostEditKey& key) {
  if (hardwareKeycode < kStudioKeycodeOffset) return false;
  uint32_t modifiers = 0;
  if (state & kStudioStateShift) modifiers |= kQVEditModifierShift;
  if (state & (kStudioStateAlt | kStudioStateMod5 | kStudioStateMeta)) {
    modifiers |= kQVEditModifierOption;
  }
  if (state & (kStudioStateControl | kStudioStateSuper)) modifiers |= kQVEditModifierCommand;
  key.code = hardwareKeycode - kStudioKeycodeOffset;
  key.modifiers = modifiers;
  return true;
}

StudioEditingKey StudioClassifyEditingKey(const HostEditKey& key) {
  // Shift+Escape and the like still reach the object: only the bare key is
  // the studio's.
  if (key.code == kStudioEvdevEscape && key.modifiers == 0) return StudioEditingKey::kEndEditing;
  return StudioEditingKey::kToObject;
}
