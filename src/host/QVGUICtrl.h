// Panel controls: the host's table for them and `QVGUICtrl`, the plug-in's side.
//
// Table (QVHostTable layout):
//   32   construct (description, controller text) → control
//   96   member slot set attribute (selector, value): 4 visible, 5 enabled
//   112  member slot get attribute (selector) → value
//   352  member slot SetMenuItemList (items, comma and space separated)
//   400  member slot set menu index      416  get menu index
//   432  member slot set menu item text  448  get menu item text
//   560  member slot set value as 32-bit float
//   816  member slot get value as 32-bit float
//   size 832
#ifndef QV_GUI_CTRL_H
#define QV_GUI_CTRL_H

#include "host/QVHostTable.h"

class QVGUIDescObject;
class QVGUICtrlObject : public QVHostObject {};

enum : uint32_t {
  kQVGUICtrlAttributeVisible = 4,
  kQVGUICtrlAttributeEnabled = 5,
};

enum : uint32_t {
  kQVGUICtrlSlotSetAttribute = QVHostTableSlotIndex(64),
  kQVGUICtrlSlotGetAttribute = QVHostTableSlotIndex(72),
  kQVGUICtrlSlotSetMenuItemList = QVHostTableSlotIndex(192),
  kQVGUICtrlSlotSetMenuIndex = QVHostTableSlotIndex(216),
  kQVGUICtrlSlotGetMenuIndex = QVHostTableSlotIndex(224),
  kQVGUICtrlSlotSetMenuItem = QVHostTableSlotIndex(232),
  kQVGUICtrlSlotGetMenuItem = QVHostTableSlotIndex(240),
  kQVGUICtrlSlotSetValueAsFloat32 = QVHostTableSlotIndex(296),
  kQVGUICtrlSlotGetValueAsFloat32 = QVHostTableSlotIndex(424),
  kQVGUICtrlSlotCount = kQVGUICtrlSlotGetValueAsFloat32 + 1,
};

struct QVGUICtrlTable
    : QVHostTable<QVGUICtrlObject* (*)(QVGUIDescObject* desc, const char* text),
                  kQVGUICtrlSlotCount> {};

static_assert(offsetof(QVGUICtrlTable, construct) == 32);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotSetAttribute]) == 96);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotGetAttribute]) == 112);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotSetMenuItemList]) == 352);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotSetMenuIndex]) == 400);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotGetMenuIndex]) == 416);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotSetMenuItem]) == 432);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotGetMenuItem]) == 448);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotSetValueAsFloat32]) == 560);
static_assert(offsetof(QVGUICtrlTable, methods[kQVGUICtrlSlotGetValueAsFloat32]) == 816);
static_assert(sizeof(QVGUICtrlTable) == 832);

class QVGUICtrl {
 public:
  // The host's panel-control table, kept at registration; null before.
  static const QVGUICtrlTable* sWrapper;
};

#endif
