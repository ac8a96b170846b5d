#include <cstdarg>
#include <cstdio>

#include "host/QVGUICtrl.h"
#include "host/QVGUIDesc.h"
#include "kit/QVString.h"

namespace {

QVString Format(const char* format, va_list args) {
  QVString text;
  text.Assignv(format, args);
  return text;
}

template <auto Slot>
typename QVSlot<Slot>::Method CtrlSlot() {
  return QVSlotGet<Slot>(QVGUICtrl::sWrapper);
}

template <auto Slot>
typename QVSlot<Slot>::Method DescSlot() {
  return QVSlotGet<Slot>(QVGUIDesc::sWrapper);
}

QVHostObject* Host(QVGUICtrlObject* ctrl) { return static_cast<QVHostObject*>(ctrl); }

}  // namespace

// ---- Controls

QVGUICtrlObject* QVGUICtrl::New(QVGUIDescObject* desc, const char* text) {
  if (!sWrapper || !sWrapper->construct || !desc || !text) return nullptr;
  return sWrapper->construct(desc, text);
}

void QVGUICtrl::SetAttribute(QVGUICtrlObject* ctrl, uint32_t selector, int32_t value) {
  auto m = CtrlSlot<kQVGUICtrlSlotSetAttribute>();
  if (ctrl && m) (Host(ctrl)->*m)(selector, value);
}

int32_t QVGUICtrl::GetAttribute(QVGUICtrlObject* ctrl, uint32_t selector) {
  auto m = CtrlSlot<kQVGUICtrlSlotGetAttribute>();
  return (ctrl && m) ? (Host(ctrl)->*m)(selector) : 0;
}

void QVGUICtrl::SetMenuItemList(QVGUICtrlObject* ctrl, const char* items) {
  auto m = CtrlSlot<kQVGUICtrlSlotSetMenuItemList>();
  if (ctrl && m && items) (Host(ctrl)->*m)(items);
}

void QVGUICtrl::SetMenuIndex(QVGUICtrlObject* ctrl, int32_t index) {
  auto m = CtrlSlot<kQVGUICtrlSlotSetMenuIndex>();
  if (ctrl && m) (Host(ctrl)->*m)(index);
}

int32_t QVGUICtrl::GetMenuIndex(QVGUICtrlObject* ctrl) {
  auto m = CtrlSlot<kQVGUICtrlSlotGetMenuIndex>();
  return (ctrl && m) ? (Host(ctrl)->*m)() : 0;
}

void QVGUICtrl::SetMenuItem(QVGUICtrlObject* ctrl, const char* item) {
  auto m = CtrlSlot<kQVGUICtrlSlotSetMenuItem>();
  if (ctrl && m && item) (Host(ctrl)->*m)(item);
}

void QVGUICtrl::GetMenuItem(QVGUICtrlObject* ctrl, QVString* item) {
  if (!item) return;
  item->Clear();
  auto m = CtrlSlot<kQVGUICtrlSlotGetMenuItem>();
  if (ctrl && m) (Host(ctrl)->*m)(item);
}

void QVGUICtrl::SetValueAsFloat32(QVGUICtrlObject* ctrl, float value) {
  auto m = CtrlSlot<kQVGUICtrlSlotSetValueAsFloat32>();
  if (ctrl && m) (Host(ctrl)->*m)(value);
}

float QVGUICtrl::GetValueAsFloat32(QVGUICtrlObject* ctrl) {
  auto m = CtrlSlot<kQVGUICtrlSlotGetValueAsFloat32>();
  return (ctrl && m) ? (Host(ctrl)->*m)() : 0.0f;
}

// ---- Descriptions

QVGUIDesc QVGUIDesc::New(const char* format, ...) {
  if (!sWrapper || !sWrapper->construct || !format) return QVGUIDesc();
  va_list args;
  va_start(args, format);
  QVString header = Format(format, args);
  va_end(args);
  return QVGUIDesc(sWrapper->construct(header.c_str()));
}

bool QVGUIDesc::NewController(const char* format, ...) {
  if (!mHandle || !format) return false;
  va_list args;
  va_start(args, format);
  QVString text = Format(format, args);
  va_end(args);
  QVGUICtrlObject* ctrl = QVGUICtrl::New(mHandle, text.c_str());
  auto add = DescSlot<kQVGUIDescSlotAddController>();
  if (!ctrl || !add) return false;
  (static_cast<QVHostObject*>(mHandle)->*add)(ctrl);
  return true;
}

void QVGUIDesc::SetPanelSize(int32_t width, int32_t height) {
  auto m = DescSlot<kQVGUIDescSlotSetPanelSize>();
  if (mHandle && m) (static_cast<QVHostObject*>(mHandle)->*m)(width, height);
}

QVGUICtrlObject* QVGUIDesc::Control(uint32_t id) const {
  auto m = DescSlot<kQVGUIDescSlotGetController>();
  if (!mHandle || !m) return nullptr;
  return (static_cast<QVHostObject*>(mHandle)->*m)(id);
}

void QVGUIDesc::SetMenuItemList(uint32_t id, const QVString& items) {
  QVGUICtrl::SetMenuItemList(Control(id), items.c_str());
}

void QVGUIDesc::SetMenuItemList(uint32_t id, const QVStringArray& items) {
  QVString joined;
  joined.BuildFromArray(items, ", ");
  SetMenuItemList(id, joined);
}

void QVGUIDesc::SetMenuIndex(uint32_t id, int32_t index) {
  QVGUICtrl::SetMenuIndex(Control(id), index);
}

int32_t QVGUIDesc::GetMenuIndex(uint32_t id) const { return QVGUICtrl::GetMenuIndex(Control(id)); }

void QVGUIDesc::SetMenuItem(uint32_t id, const QVString& item) {
  QVGUICtrl::SetMenuItem(Control(id), item.c_str());
}

QVString QVGUIDesc::GetMenuItem(uint32_t id) const {
  QVString item;
  QVGUICtrl::GetMenuItem(Control(id), &item);
  return item;
}

void QVGUIDesc::SetValueAsFloat32(uint32_t id, float value) {
  QVGUICtrl::SetValueAsFloat32(Control(id), value);
}

float QVGUIDesc::GetValueAsFloat32(uint32_t id) const {
  return QVGUICtrl::GetValueAsFloat32(Control(id));
}

void QVGUIDesc::SetVisible(uint32_t id, bool visible) {
  QVGUICtrl::SetAttribute(Control(id), kQVGUICtrlAttributeVisible, visible ? 1 : 0);
}

void QVGUIDesc::SetEnable(uint32_t id, bool enabled) {
  QVGUICtrl::SetAttribute(Control(id), kQVGUICtrlAttributeEnabled, enabled ? 1 : 0);
}
