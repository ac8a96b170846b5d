#include "bridge/HostUndoHandler.h"

#include <algorithm>

#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

namespace {

QVHandlerObject* Construct() { return new HostUndoHandler(); }

void Destroy(QVHostObject* handler) { delete static_cast<HostUndoHandler*>(handler); }

int32_t Record(std::vector<QVObject*>& list, QVObject* const* objects, uint32_t count) {
  if (count > 0 && (!objects || std::find(objects, objects + count, nullptr) != objects + count)) {
    return static_cast<int32_t>(QVLogError(
        kQVErrGeneric, "An undo handler was handed %u objects, not all of them there", count));
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (std::find(list.begin(), list.end(), objects[i]) == list.end()) list.push_back(objects[i]);
  }
  return 0;
}

}  // namespace

bool HostUndoHandler::IsActive() { return active; }

void HostUndoHandler::SetActionName(const char* name) { actionName = name ? name : ""; }

void HostUndoHandler::GetActionName(QVString* name) {
  if (name) *name = QVString(actionName);
}

int32_t HostUndoHandler::AddObjects(QVObject* const* objects, uint32_t count) {
  return Record(added, objects, count);
}

int32_t HostUndoHandler::DeleteObjects(QVObject* const* objects, uint32_t count) {
  return Record(deleted, objects, count);
}

int32_t HostUndoHandler::TouchObjects(QVObject* const* objects, uint32_t count) {
  return Record(touched, objects, count);
}

void HostUndoHandler::FillTable(QVHandlerTable& t) {
  t.construct = &Construct;
  t.destroy = &Destroy;
  QVSlotSet<kQVHandlerSlotIsActive>(t, &HostUndoHandler::IsActive);
  QVSlotSet<kQVHandlerSlotSetActionName>(t, &HostUndoHandler::SetActionName);
  QVSlotSet<kQVHandlerSlotGetActionName>(t, &HostUndoHandler::GetActionName);
  QVSlotSet<kQVHandlerSlotAddObjects>(t, &HostUndoHandler::AddObjects);
  QVSlotSet<kQVHandlerSlotDeleteObjects>(t, &HostUndoHandler::DeleteObjects);
  QVSlotSet<kQVHandlerSlotTouchObjects>(t, &HostUndoHandler::TouchObjects);
}
