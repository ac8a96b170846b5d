#include "bridge/HostEdit.h"

#include <linux/input-event-codes.h>

#include <cstdint>
#include <cstdlib>

#include "bridge/HostObject.h"
#include "host/QVClass.h"
#include "host/QVObject.h"
#include "kit/QVErrors.h"

namespace {

struct KeyName {
  const char* name;
  uint32_t code;
};

// Short names of the editing keys, beside the evdev names below.
const KeyName kShortNames[] = {
    {"BackSpace", KEY_BACKSPACE}, {"Delete", KEY_DELETE}, {"Left", KEY_LEFT},
    {"Right", KEY_RIGHT},         {"Up", KEY_UP},         {"Down", KEY_DOWN},
    {"Home", KEY_HOME},           {"End", KEY_END},       {"Return", KEY_ENTER},
    {"Tab", KEY_TAB},             {"Escape", KEY_ESC},    {"space", KEY_SPACE},
};

// The evdev names of the keys of a pc105 keyboard's main block and editing keys.
const KeyName kEvdevNames[] = {
    {"KEY_ESC", KEY_ESC},
    {"KEY_1", KEY_1}, {"KEY_2", KEY_2}, {"KEY_3", KEY_3}, {"KEY_4", KEY_4}, {"KEY_5", KEY_5},
    {"KEY_6", KEY_6}, {"KEY_7", KEY_7}, {"KEY_8", KEY_8}, {"KEY_9", KEY_9}, {"KEY_0", KEY_0},
    {"KEY_MINUS", KEY_MINUS}, {"KEY_EQUAL", KEY_EQUAL}, {"KEY_BACKSPACE", KEY_BACKSPACE},
    {"KEY_TAB", KEY_TAB},
    {"KEY_Q", KEY_Q}, {"KEY_W", KEY_W}, {"KEY_E", KEY_E}, {"KEY_R", KEY_R}, {"KEY_T", KEY_T},
    {"KEY_Y", KEY_Y}, {"KEY_U", KEY_U}, {"KEY_I", KEY_I}, {"KEY_O", KEY_O}, {"KEY_P", KEY_P},
    {"KEY_LEFTBRACE", KEY_LEFTBRACE}, {"KEY_RIGHTBRACE", KEY_RIGHTBRACE},
    {"KEY_ENTER", KEY_ENTER},
    {"KEY_A", KEY_A}, {"KEY_S", KEY_S}, {"KEY_D", KEY_D}, {"KEY_F", KEY_F}, {"KEY_G", KEY_G},
    {"KEY_H", KEY_H}, {"KEY_J", KEY_J}, {"KEY_K", KEY_K}, {"KEY_L", KEY_L},
    {"KEY_SEMICOLON", KEY_SEMICOLON}, {"KEY_APOSTROPHE", KEY_APOSTROPHE},
    {"KEY_GRAVE", KEY_GRAVE}, {"KEY_BACKSLASH", KEY_BACKSLASH},
    {"KEY_Z", KEY_Z}, {"KEY_X", KEY_X}, {"KEY_C", KEY_C}, {"KEY_V", KEY_V}, {"KEY_B", KEY_B},
    {"KEY_N", KEY_N}, {"KEY_M", KEY_M}, {"KEY_COMMA", KEY_COMMA}, {"KEY_DOT", KEY_DOT},
    {"KEY_SLASH", KEY_SLASH}, {"KEY_SPACE", KEY_SPACE}, {"KEY_102ND", KEY_102ND},
    {"KEY_HOME", KEY_HOME}, {"KEY_UP", KEY_UP}, {"KEY_PAGEUP", KEY_PAGEUP},
    {"KEY_LEFT", KEY_LEFT}, {"KEY_RIGHT", KEY_RIGHT}, {"KEY_END", KEY_END},
    {"KEY_DOWN", KEY_DOWN}, {"KEY_PAGEDOWN", KEY_PAGEDOWN}, {"KEY_INSERT", KEY_INSERT},
    {"KEY_DELETE", KEY_DELETE},
};

const KeyName kModifierNames[] = {
    {"shift", kQVEditModifierShift},  {"alt", kQVEditModifierOption},
    {"altgr", kQVEditModifierOption}, {"ctrl", kQVEditModifierCommand},
    {"cmd", kQVEditModifierCommand},  {"super", kQVEditModifierCommand},
};

template <size_t N>
bool Lookup(const KeyName (&table)[N], const std::string& name, uint32_t& code) {
  for (const KeyName& entry : table) {
    if (name == entry.name) {
      code = entry.code;
      return true;
    }
  }
  return false;
}

bool ParseNumber(const std::string& text, uint32_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of(allowed) != std::string::npos) {
    return false;
  }
  unsigned long long n = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  if (n > UINT32_MAX) return false;
  value = static_cast<uint32_t>(n);
  return true;
}

}  // namespace

bool HostParseEditKey(const std::string& text, HostEditKey& key) {
  HostEditKey parsed;
  size_t start = 0;
  for (size_t plus; (plus = text.find('+', start)) != std::string::npos; start = plus + 1) {
    uint32_t bit = 0;
    if (!Lookup(kModifierNames, text.substr(start, plus - start), bit)) return false;
    if (parsed.modifiers & bit) return false;
    parsed.modifiers |= bit;
  }
  const std::string name = text.substr(start);
  if (!Lookup(kShortNames, name, parsed.code) && !Lookup(kEvdevNames, name, parsed.code) &&
      !ParseNumber(name, parsed.code)) {
    return false;
  }
  key = parsed;
  return true;
}

HostEditSession::HostEditSession(HostObject& object, const AGContext& context)
    : mObject(object), mContext(context) {}

HostEditSession::~HostEditSession() {
  if (mEditing) End();
}

int32_t HostEditSession::Send(QVEditEvent& event) {
  event.target = mObject.Record().frame;
  event.rotation = mRotation;
  const int32_t request = event.request;
  QVObject* object = mObject.Object();
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotEdit>(*object->ClassRecord());
  int32_t status = kQVErrGeneric;
  if (!slot.IsEmpty()) status = (object->*slot.Get<kQVClassSlotEdit>())(mContext, event);
  if (request == kQVEditEventBegin && status == 0) mEditing = true;
  // An end request, or the answer that asks for one, ends editing.
  if (event.request == kQVEditEventEnd) mEditing = false;
  if (event.changed) mTextChanged = true;
  mLast = event;
  return status;
}

int32_t HostEditSession::Begin() {
  QVEditEvent event;
  event.request = kQVEditEventBegin;
  return Send(event);
}

int32_t HostEditSession::Key(const HostEditKey& key) {
  QVEditEvent event;
  event.request = kQVEditEventKey;
  event.rawKeyCode = key.code;
  event.modifiers = key.modifiers;
  return Send(event);
}

int32_t HostEditSession::Mouse(int32_t phase, const AGPoint& point, uint32_t modifiers) {
  QVEditEvent event;
  event.request = kQVEditEventMouse;
  event.mousePhase = phase;
  event.mouseX = point.x;
  event.mouseY = point.y;
  event.modifiers = modifiers;
  return Send(event);
}

int32_t HostEditSession::End() {
  QVEditEvent event;
  event.request = kQVEditEventEnd;
  int32_t status = Send(event);
  mEditing = false;
  return status;
}
