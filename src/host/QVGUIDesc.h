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

#include <cstdint>

#include "host/QVHostTable.h"
#include "kit/QVString.h"

class QVGUIDescObject : public QVHostObject {};
class QVGUICtrlObject;

enum QVGUIDescSlotIndex : uint32_t {
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

// Each slot with its method type (see QVSlot in host/QVHostObject.h).
QV_SLOT(kQVGUIDescSlotSetPanelSize, QVGUIDescTable, QVGUIDescSetPanelSizeMethod);
QV_SLOT(kQVGUIDescSlotAddController, QVGUIDescTable, QVGUIDescAddControllerMethod);
QV_SLOT(kQVGUIDescSlotGetController, QVGUIDescTable, QVGUIDescGetControllerMethod);

static_assert(offsetof(QVGUIDescTable, construct) == 32);
static_assert(offsetof(QVGUIDescTable, destroy) == 40);
static_assert(offsetof(QVGUIDescTable, methods[kQVGUIDescSlotSetPanelSize]) == 128);
static_assert(offsetof(QVGUIDescTable, methods[kQVGUIDescSlotAddController]) == 352);
static_assert(offsetof(QVGUIDescTable, methods[kQVGUIDescSlotGetController]) == 368);
static_assert(sizeof(QVGUIDescTable) == 384);

// A handle on a host panel description. Operations on a control fetch it by
// its id through GetController and do nothing when the host has no such
// control (or no table); getters then answer 0, an empty text or 0.0.
class QVGUIDesc {
 public:
  // The host's panel-description table, kept at registration; null before.
  static const QVGUIDescTable* sWrapper;

  explicit QVGUIDesc(QVGUIDescObject* handle = nullptr) : mHandle(handle) {}

  // A new description from a header text (printf format); the handle is
  // null when the host has no table or refuses the text.
  static QVGUIDesc New(const char* format, ...) QV_STRING_PRINTF(1, 2);

  QVGUIDescObject* Handle() const { return mHandle; }
  bool IsValid() const { return mHandle != nullptr; }

  // Creates a control from a controller text (printf format) and adds it.
  // False when there is no description or the host refused the text.
  bool NewController(const char* format, ...) QV_STRING_PRINTF(2, 3);
  void SetPanelSize(int32_t width, int32_t height);

  // Items as one text separated by a comma and a space, or as an array.
  void SetMenuItemList(uint32_t id, const QVString& items);
  void SetMenuItemList(uint32_t id, const QVStringArray& items);
  void SetMenuIndex(uint32_t id, int32_t index);
  int32_t GetMenuIndex(uint32_t id) const;
  // Selects the item whose text equals item; GetMenuItem gives the selected one's.
  void SetMenuItem(uint32_t id, const QVString& item);
  QVString GetMenuItem(uint32_t id) const;
  void SetValueAsFloat32(uint32_t id, float value);
  float GetValueAsFloat32(uint32_t id) const;
  void SetVisible(uint32_t id, bool visible);
  void SetEnable(uint32_t id, bool enabled);

 private:
  QVGUICtrlObject* Control(uint32_t id) const;

  QVGUIDescObject* mHandle;
};

#endif
