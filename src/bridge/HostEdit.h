// In-place editing as the reference host drives it: edit events sent to an
// object through its class's edit slot, and the key names a person types on
// the command line.
#ifndef HOST_EDIT_H
#define HOST_EDIT_H

#include <cstdint>
#include <string>

#include "graphics/AGContext.h"
#include "host/QVEditEvent.h"

class HostObject;

// A key press: a Linux evdev key code and an edit-event modifier word.
struct HostEditKey {
  uint32_t code = 0;
  uint32_t modifiers = 0;
};

// Reads a key as typed on the command line: modifiers joined by "+" before
// the key ("shift+KEY_R", "ctrl+shift+Left"), the key an evdev name
// ("KEY_R", "KEY_BACKSPACE"), a short name ("BackSpace", "Delete", "Left",
// "Right", "Up", "Down", "Home", "End", "Return", "Tab", "Escape", "space")
// or a number in decimal or 0x hexadecimal up to 0xFFFFFFFF. Modifiers: shift
// (1), alt or altgr (2, the third level), ctrl, cmd or super (8: Ctrl is
// this platform's shortcut key, sent as the command bit); each at most once.
// False for anything else.
bool HostParseEditKey(const std::string& text, HostEditKey& key);

// One object edited in place: begins with Begin, sends mouse and key events,
// ends with End or when the object answers that editing is over. Editing
// still going when the session is destroyed is ended then, so that the
// object gives the keyboard back.
class HostEditSession {
 public:
  // context: the view the object is shown in; its transform maps score
  // coordinates onto the device. The object's frame is its target.
  HostEditSession(HostObject& object, const AGContext& context);
  ~HostEditSession();
  HostEditSession(const HostEditSession&) = delete;
  HostEditSession& operator=(const HostEditSession&) = delete;

  // Each sends one event and returns the edit method's status (kQVErrGeneric
  // when the class has no edit slot); the event as the object answered it
  // is kept in LastEvent.
  int32_t Begin();
  int32_t Key(const HostEditKey& key);
  // point in score coordinates; phase kQVEditMouse...
  int32_t Mouse(int32_t phase, const AGPoint& point, uint32_t modifiers);
  int32_t End();
  // Sends event as it stands, with the object's frame as target and the
  // session's rotation filled in; it comes back as the object answered it.
  int32_t Send(QVEditEvent& event);

  // The object's rotation sent with every event (0 at first).
  void SetRotation(float rotation) { mRotation = rotation; }

  // Begun, and neither ended nor asked to end by the object.
  bool IsEditing() const { return mEditing; }
  // Whether any event so far reported a text change.
  bool TextChanged() const { return mTextChanged; }
  const QVEditEvent& LastEvent() const { return mLast; }

 private:
  HostObject& mObject;
  AGContext mContext;
  QVEditEvent mLast;
  float mRotation = 0.0f;
  bool mEditing = false;
  bool mTextChanged = false;
};

#endif
