// Undo handlers: the host's table for them and `QVHandler`, the plug-in's side.
// A plug-in that changes objects outside a class method the host drives
// asks the host for a handler, names the action (a translated text the
// host shows as "Undo <name>") and tells which objects the action adds,
// deletes and touches (changes), so that the host's undo can restore them.
//
// Table (QVHostTable layout):
//   32   construct () → handler      40   destroy (handler)
//   96   member slot IsActive () → bool
//   112  member slot set action name (native text)
//   128  member slot get action name (QVString out)
//   224  member slot add objects (objects, count) → status
//   240  member slot delete objects (objects, count) → status
//   256  member slot touch objects (objects, count) → status
//   size 272
#ifndef QV_HANDLER_H
#define QV_HANDLER_H

#include "host/QVHostTable.h"

class QVObject;
class QVString;
class QVHandlerObject : public QVHostObject {};

enum QVHandlerSlotIndex : uint32_t {
  kQVHandlerSlotIsActive = QVHostTableSlotIndex(64),
  kQVHandlerSlotSetActionName = QVHostTableSlotIndex(72),
  kQVHandlerSlotGetActionName = QVHostTableSlotIndex(80),
  kQVHandlerSlotAddObjects = QVHostTableSlotIndex(128),
  kQVHandlerSlotDeleteObjects = QVHostTableSlotIndex(136),
  kQVHandlerSlotTouchObjects = QVHostTableSlotIndex(144),
  kQVHandlerSlotCount = kQVHandlerSlotTouchObjects + 1,
};

using QVHandlerIsActiveMethod = bool (QVHostObject::*)();
using QVHandlerSetActionNameMethod = void (QVHostObject::*)(const char* name);
using QVHandlerGetActionNameMethod = void (QVHostObject::*)(QVString* name);
// objects: count object pointers (null only when count is 0); the host
// records the pointers, not copies. Returns 0 or the host's status.
using QVHandlerObjectsMethod = int32_t (QVHostObject::*)(QVObject* const* objects, uint32_t count);

struct QVHandlerTable : QVHostTable<QVHandlerObject* (*)(), kQVHandlerSlotCount> {};

// Each slot with its method type (see QVSlot in host/QVHostObject.h).
QV_SLOT(kQVHandlerSlotIsActive, QVHandlerTable, QVHandlerIsActiveMethod);
QV_SLOT(kQVHandlerSlotSetActionName, QVHandlerTable, QVHandlerSetActionNameMethod);
QV_SLOT(kQVHandlerSlotGetActionName, QVHandlerTable, QVHandlerGetActionNameMethod);
QV_SLOT(kQVHandlerSlotAddObjects, QVHandlerTable, QVHandlerObjectsMethod);
QV_SLOT(kQVHandlerSlotDeleteObjects, QVHandlerTable, QVHandlerObjectsMethod);
QV_SLOT(kQVHandlerSlotTouchObjects, QVHandlerTable, QVHandlerObjectsMethod);

static_assert(offsetof(QVHandlerTable, construct) == 32);
static_assert(offsetof(QVHandlerTable, destroy) == 40);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotIsActive]) == 96);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotSetActionName]) == 112);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotGetActionName]) == 128);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotAddObjects]) == 224);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotDeleteObjects]) == 240);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotTouchObjects]) == 256);
static_assert(sizeof(QVHandlerTable) == 272);

// A handle on one of the host's undo handlers. Without the table (before
// registration, or a host that has none), a handle is null and every
// operation answers its empty result: false, an empty name, kQVErrGeneric.
class QVHandler {
 public:
  // The host's undo-handler table, kept at registration; null before.
  static const QVHandlerTable* sWrapper;

  explicit QVHandler(QVHandlerObject* handle = nullptr) : mHandle(handle) {}

  // A new handler from the host; null when the host has no table or
  // refuses.
  static QVHandler New();
  // Gives the handler back to the host, which destroys it; the handle
  // becomes null. Nothing for a null handle. Handles are not owners: a
  // copy of a destroyed handle must not be used.
  void Destroy();

  QVHandlerObject* Handle() const { return mHandle; }
  bool IsValid() const { return mHandle != nullptr; }

  // Whether the host records undoable actions now.
  bool IsActive() const;
  // The action's name, native text.
  void SetActionName(const QVString& name);
  QVString GetActionName() const;

  // The objects the action adds, deletes or changes. 0, the host's status,
  // or kQVErrGeneric without a handler or slot, or for null objects with a
  // count other than 0. A count of 0 changes nothing and answers 0.
  int32_t AddObjects(QVObject* const* objects, uint32_t count);
  int32_t DeleteObjects(QVObject* const* objects, uint32_t count);
  int32_t TouchObjects(QVObject* const* objects, uint32_t count);

 private:
  int32_t CallWithObjects(QVHandlerObjectsMethod method, QVObject* const* objects, uint32_t count);

  QVHandlerObject* mHandle;
};

#endif
