// Panel descriptions: the host's table for them and `QVGUIDesc`, the
// plug-in's side. A description is built from a header text plus one
// controller text per control (the kit's argument grammar: -name:value ...).
//
// Table (QVHostTable layout):
//   32   construct (header text) → description
//   128  member slot SetPanelSize (width, height)
//   352  member slot add controller (control)
//   368  member slot GetController (id) → control or null
//   size 384
#ifndef QV_GUI_DESC_H
#define QV_GUI_DESC_H

#include "host/QVHostTable.h"

class QVGUIDescObject : public QVHostObject {};
class QVGUICtrlObject;

enum : uint32_t {
  kQVGUIDescSlotSetPanelSize = QVHostTableSlotIndex(80),
  kQVGUIDescSlotAddController = QVHostTableSlotIndex(192),
  kQVGUIDescSlotGetController = QVHostTableSlotIndex(200),
  kQVGUIDescSlotCount = kQVGUIDescSlotGetController + 1,
};

using QVGUIDescSetPanelSizeMethod = void (QVHostObject::*)(int32_t width, int32_t height);
using QVGUIDescAddControllerMethod = void (QVHostObject::*)(QVGUICtrlObject* control);
using QVGUIDescGetControllerMethod = QVGUICtrlObject* (QVHostObject::*)(uint32_t id);

struct QVGUIDescTable
    : QVHostTable<QVGUIDescObject* (*)(const char* header), kQVGUIDescSlotCount> {};

static_assert(offsetof(QVGUIDescTable, construct) == 32);
static_assert(offsetof(QVGUIDescTable, destroy) == 40);
static_assert(offsetof(QVGUIDescTable, methods[kQVGUIDescSlotSetPanelSize]) == 128);
static_assert(offsetof(QVGUIDescTable, methods[kQVGUIDescSlotAddController]) == 352);
static_assert(offsetof(QVGUIDescTable, methods[kQVGUIDescSlotGetController]) == 368);
static_assert(sizeof(QVGUIDescTable) == 384);

class QVGUIDesc {
 public:
  // The host's panel-description table, kept at registration; null before.
  static const QVGUIDescTable* sWrapper;
};

#endif
