// The host's edit-event record, handed to an object's edit method while the
// object is edited in place. The object reads it and writes its answer into
// it; the host owns it.
//
//   offset  width  content
//   0       4      request on entry: 1 begin editing, 2 end editing, 3 mouse,
//                  4 key. Answer on return: 2 asks the host to end editing,
//                  5 the event was handled and the object must be redrawn;
//                  any other value is left as it came
//   4       4      mouse phase: 2 press, 3 ends editing, 4 release, 5 drag
//   8       16     reserved
//   24      8      mouse x, double, in the coordinates of the target rectangle
//   32      8      mouse y, double
//   40      4      modifier word: 1 shift, 2 option, 4 control, 8 command
//   44      4      raw key code (Linux evdev code on this platform)
//   48      8      reserved
//   56      32     the object's target rectangle in the score (AGRect)
//   88      4      the object's rotation, 32-bit float
//   92      8      reserved
//   100     4      set to 1 by the object when its text has changed
//   size 104
//
// The record holds no pointer, so a host with 32-bit pointers lays it out the
// same way.
#ifndef QV_EDIT_EVENT_H
#define QV_EDIT_EVENT_H

#include <cstddef>
#include <cstdint>

#include "graphics/AGGeometry.h"

// Requests, and the answers written over them.
enum : int32_t {
  kQVEditEventBegin = 1,
  kQVEditEventEnd = 2,  // also the answer "end editing"
  kQVEditEventMouse = 3,
  kQVEditEventKey = 4,
  kQVEditEventHandled = 5,  // answer: handled, redraw the object
};

// Mouse phases.
enum : int32_t {
  kQVEditMousePress = 2,
  kQVEditMouseEndEditing = 3,
  kQVEditMouseRelease = 4,
  kQVEditMouseDrag = 5,
};

// Bits of the modifier word.
enum : uint32_t {
  kQVEditModifierShift = 0x1,
  kQVEditModifierOption = 0x2,
  kQVEditModifierControl = 0x4,
  kQVEditModifierCommand = 0x8,
};

struct QVEditEvent {
  int32_t request = 0;
  int32_t mousePhase = 0;
  uint8_t reserved0[16] = {};
  double mouseX = 0.0;
  double mouseY = 0.0;
  uint32_t modifiers = 0;
  uint32_t rawKeyCode = 0;
  uint8_t reserved1[8] = {};
  AGRect target = kAGNullRect;
  float rotation = 0.0f;
  uint8_t reserved2[8] = {};
  int32_t changed = 0;
};

static_assert(offsetof(QVEditEvent, request) == 0);
static_assert(offsetof(QVEditEvent, mousePhase) == 4);
static_assert(offsetof(QVEditEvent, mouseX) == 24);
static_assert(offsetof(QVEditEvent, mouseY) == 32);
static_assert(offsetof(QVEditEvent, modifiers) == 40);
static_assert(offsetof(QVEditEvent, rawKeyCode) == 44);
static_assert(offsetof(QVEditEvent, target) == 56);
static_assert(offsetof(QVEditEvent, rotation) == 88);
static_assert(offsetof(QVEditEvent, changed) == 100);
static_assert(sizeof(QVEditEvent) == 104);

#endif
