// The reference host's undo handler: what a plug-in's QVHandler reaches
// through the host's handler table. It records the action's name and the
// objects the action adds, deletes and touches, each object once and in the
// order first named, which is what an undo step needs to restore them.
#ifndef HOST_UNDO_HANDLER_H
#define HOST_UNDO_HANDLER_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/QVHandler.h"

class HostUndoHandler : public QVHandlerObject {
 public:
  // The table's member slots.
  bool IsActive();
  void SetActionName(const char* name);
  void GetActionName(QVString* name);
  // 0, or kQVErrGeneric (logged) for null objects or a null object among
  // them; nothing is recorded then.
  int32_t AddObjects(QVObject* const* objects, uint32_t count);
  int32_t DeleteObjects(QVObject* const* objects, uint32_t count);
  int32_t TouchObjects(QVObject* const* objects, uint32_t count);

  // The table a host hands to plug-ins for undo handlers.
  static void FillTable(QVHandlerTable& table);

  // Whether the host records undoable actions (the plug-in asks IsActive).
  bool active = true;
  std::string actionName;  // native 8-bit text
  std::vector<QVObject*> added;
  std::vector<QVObject*> deleted;
  std::vector<QVObject*> touched;
};

#endif
