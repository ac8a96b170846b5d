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

#include <cstdint>

#include "host/QVHostTable.h"

class QVGUIDescObject;
class QVString;
class QVGUICtrlObject : public QVHostObject {};

enum : uint32_t {
  kQVGUICtrlAttributeVisible = 4,
  kQVGUICtrlAttributeEnabled = 5,
};

enum QVGUICtrlSlotIndex : uint32_t {
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

using QVGUICtrlSetAttributeMethod = void (QVHostObject::*)(uint32_t selector, int32_t value);
using QVGUICtrlGetAttributeMethod = int32_t (QVHostObject::*)(uint32_t selector);
using QVGUICtrlSetTextMethod = void (QVHostObject::*)(const char* text);
using QVGUICtrlGetTextMethod = void (QVHostObject::*)(QVString* text);
using QVGUICtrlSetIndexMethod = void (QVHostObject::*)(int32_t index);
using QVGUICtrlGetIndexMethod = int32_t (QVHostObject::*)();
using QVGUICtrlSetFloat32Method = void (QVHostObject::*)(float value);
using QVGUICtrlGetFloat32Method = float (QVHostObject::*)();

struct QVGUICtrlTable
    : QVHostTable<QVGUICtrlObject* (*)(QVGUIDescObject* desc, const char* text),
                  kQVGUICtrlSlotCount> {};

// Each slot with its method type (see QVSlot in host/QVHostObject.h).
QV_SLOT(kQVGUICtrlSlotSetAttribute, QVGUICtrlTable, QVGUICtrlSetAttributeMethod);
QV_SLOT(kQVGUICtrlSlotGetAttribute, QVGUICtrlTable, QVGUICtrlGetAttributeMethod);
QV_SLOT(kQVGUICtrlSlotSetMenuItemList, QVGUICtrlTable, QVGUICtrlSetTextMethod);
QV_SLOT(kQVGUICtrlSlotSetMenuIndex, QVGUICtrlTable, QVGUICtrlSetIndexMethod);
QV_SLOT(kQVGUICtrlSlotGetMenuIndex, QVGUICtrlTable, QVGUICtrlGetIndexMethod);
QV_SLOT(kQVGUICtrlSlotSetMenuItem, QVGUICtrlTable, QVGUICtrlSetTextMethod);
QV_SLOT(kQVGUICtrlSlotGetMenuItem, QVGUICtrlTable, QVGUICtrlGetTextMethod);
QV_SLOT(kQVGUICtrlSlotSetValueAsFloat32, QVGUICtrlTable, QVGUICtrlSetFloat32Method);
QV_SLOT(kQVGUICtrlSlotGetValueAsFloat32, QVGUICtrlTable, QVGUICtrlGetFloat32Method);

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

// The plug-in's access to the host's panel controls. Every operation does
// nothing (getters answer 0, an empty text or 0.0) for a null control or
// without the table.
class QVGUICtrl {
 public:
  // The host's panel-control table, kept at registration; null before.
  static const QVGUICtrlTable* sWrapper;

  // A new control of desc from a controller text, or null.
  static QVGUICtrlObject* New(QVGUIDescObject* desc, const char* text);
  static void SetAttribute(QVGUICtrlObject* ctrl, uint32_t selector, int32_t value);
  static int32_t GetAttribute(QVGUICtrlObject* ctrl, uint32_t selector);
  static void SetMenuItemList(QVGUICtrlObject* ctrl, const char* items);
  static void SetMenuIndex(QVGUICtrlObject* ctrl, int32_t index);
  static int32_t GetMenuIndex(QVGUICtrlObject* ctrl);
  static void SetMenuItem(QVGUICtrlObject* ctrl, const char* item);
  static void GetMenuItem(QVGUICtrlObject* ctrl, QVString* item);
  static void SetValueAsFloat32(QVGUICtrlObject* ctrl, float value);
  static float GetValueAsFloat32(QVGUICtrlObject* ctrl);
};

#endif
