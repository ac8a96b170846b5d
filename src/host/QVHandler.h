// Undo handlers: the host's table for them and `QVHandler`, the plug-in's side.
//
// Table (QVHostTable layout):
//   32   construct → handler      40   destroy
//   96   member slot IsActive → bool
//   112  member slot set action name     128  get action name
//   224  member slot add objects   240  delete objects   256  touch objects
//   size 272
#ifndef QV_HANDLER_H
#define QV_HANDLER_H

#include "host/QVHostTable.h"

class QVHandlerObject : public QVHostObject {};

enum : uint32_t {
  kQVHandlerSlotIsActive = QVHostTableSlotIndex(64),
  kQVHandlerSlotSetActionName = QVHostTableSlotIndex(72),
  kQVHandlerSlotGetActionName = QVHostTableSlotIndex(80),
  kQVHandlerSlotAddObjects = QVHostTableSlotIndex(128),
  kQVHandlerSlotDeleteObjects = QVHostTableSlotIndex(136),
  kQVHandlerSlotTouchObjects = QVHostTableSlotIndex(144),
  kQVHandlerSlotCount = kQVHandlerSlotTouchObjects + 1,
};

struct QVHandlerTable : QVHostTable<QVHandlerObject* (*)(), kQVHandlerSlotCount> {};

static_assert(offsetof(QVHandlerTable, construct) == 32);
static_assert(offsetof(QVHandlerTable, destroy) == 40);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotIsActive]) == 96);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotSetActionName]) == 112);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotGetActionName]) == 128);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotAddObjects]) == 224);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotDeleteObjects]) == 240);
static_assert(offsetof(QVHandlerTable, methods[kQVHandlerSlotTouchObjects]) == 256);
static_assert(sizeof(QVHandlerTable) == 272);

class QVHandler {
 public:
  // The host's undo-handler table, kept at registration; null before.
  static const QVHandlerTable* sWrapper;
};

#endif
