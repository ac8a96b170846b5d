// The host's panel-event record, handed to an object's inspector method.
//
//   offset  width  content
//   0       4      kind: 1 fill the panel from the object, 3 a control was
//                  changed by the user
//   4       4      the control's id (kind 3)
//   40      32     action name (QVString), written by the object when it
//                  changed a setting; the host names the undoable action by it
//   size 72
#ifndef QV_GUI_EVENT_H
#define QV_GUI_EVENT_H

#include <cstddef>
#include <cstdint>

#include "kit/QVString.h"

enum : int32_t {
  kQVGUIEventFill = 1,
  kQVGUIEventChanged = 3,
};

struct QVGUIEvent {
  int32_t kind = 0;
  uint32_t id = 0;
  uint8_t reserved[32] = {};
  QVString actionName;
};

static_assert(offsetof(QVGUIEvent, kind) == 0);
static_assert(offsetof(QVGUIEvent, id) == 4);
static_assert(offsetof(QVGUIEvent, actionName) == 40);
static_assert(sizeof(QVGUIEvent) == 72);

#endif
