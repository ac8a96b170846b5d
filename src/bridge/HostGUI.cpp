#include "bridge/HostGUI.h"

#include <cmath>
#include <cstdio>

#include "kit/QVArgs.h"
#include "kit/QVString.h"
#include "kit/QVStringForms.h"

namespace {

std::string Utf8(const std::string& native) {
  return QVString(native).ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
}

QVGUIDescObject* ConstructDesc(const char* header) { return new HostGUIDesc(header ? header : ""); }

void DestroyDesc(QVHostObject* desc) { delete static_cast<HostGUIDesc*>(desc); }

QVGUICtrlObject* ConstructCtrl(QVGUIDescObject* /*desc*/, const char* text) {
  return new HostGUICtrl(text ? text : "");
}

void DestroyCtrl(QVHostObject* ctrl) { delete static_cast<HostGUICtrl*>(ctrl); }

}  // namespace

HostGUICtrl::HostGUICtrl(const char* controllerText) : text(controllerText) {
  QVArgs args(controllerText, true);
  QVString v;
  uint32_t n = 0;
  if (args.GetParam("-id:", v) && strGetasUInt32(v.c_str(), &n, 0)) id = n;
  if (args.GetParam("-type:", v)) type = v.Std();
  if (args.GetParam("-title:", v)) title = v.Std();
  int32_t p = 0;
  if (args.GetParam("-prec:", v) && strGetasSInt32(v.c_str(), &p, 0)) precision = p;
  AGPoint range = kAGNullPoint;
  if (args.GetParam("-range:", v) && strGetasAGPoint(v.c_str(), &range, kAGNullPoint)) {
    rangeMin = static_cast<float>(range.x);
    rangeMax = static_cast<float>(range.y);
  }
}

void HostGUICtrl::SetAttribute(uint32_t selector, int32_t v) {
  if (selector == kQVGUICtrlAttributeVisible) visible = v != 0;
  if (selector == kQVGUICtrlAttributeEnabled) enabled = v != 0;
}

int32_t HostGUICtrl::GetAttribute(uint32_t selector) {
  if (selector == kQVGUICtrlAttributeVisible) return visible ? 1 : 0;
  if (selector == kQVGUICtrlAttributeEnabled) return enabled ? 1 : 0;
  return 0;
}

void HostGUICtrl::SetMenuItemList(const char* list) {
  items.clear();
  std::string text(list ? list : "");
  size_t start = 0;
  while (!text.empty()) {
    size_t comma = text.find(", ", start);
    items.push_back(
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 2;
  }
  if (index >= static_cast<int32_t>(items.size())) index = items.empty() ? -1 : 0;
}

void HostGUICtrl::SetMenuIndex(int32_t i) {
  index = (i >= 0 && i < static_cast<int32_t>(items.size())) ? i : -1;
}

int32_t HostGUICtrl::GetMenuIndex() { return index; }

void HostGUICtrl::SetMenuItem(const char* item) {
  for (size_t i = 0; item && i < items.size(); ++i) {
    if (items[i] == item) {
      index = static_cast<int32_t>(i);
      return;
    }
  }
}

void HostGUICtrl::GetMenuItem(QVString* item) {
  if (!item) return;
  *item = (index >= 0 && index < static_cast<int32_t>(items.size())) ? QVString(items[index])
                                                                     : QVString();
}

void HostGUICtrl::SetValueAsFloat32(float v) { value = v; }

float HostGUICtrl::GetValueAsFloat32() { return value; }

HostGUIDesc::HostGUIDesc(const char* text) : header(text) {
  QVArgs args(text, true);
  multipleSelection = args.GetParam("-multisel:") == QVString("1");
}

void HostGUIDesc::SetPanelSize(int32_t w, int32_t h) {
  width = w;
  height = h;
}

void HostGUIDesc::AddController(QVGUICtrlObject* control) {
  if (control) controls.emplace_back(static_cast<HostGUICtrl*>(control));
}

QVGUICtrlObject* HostGUIDesc::GetController(uint32_t id) {
  for (auto& control : controls) {
    if (control->id == id) return control.get();
  }
  return nullptr;
}

void HostGUIDesc::FillTables(QVGUIDescTable& d, QVGUICtrlTable& c) {
  d.construct = &ConstructDesc;
  d.destroy = &DestroyDesc;
  QVSlotSet<kQVGUIDescSlotSetPanelSize>(d, &HostGUIDesc::SetPanelSize);
  QVSlotSet<kQVGUIDescSlotAddController>(d, &HostGUIDesc::AddController);
  QVSlotSet<kQVGUIDescSlotGetController>(d, &HostGUIDesc::GetController);

  c.construct = &ConstructCtrl;
  c.destroy = &DestroyCtrl;
  QVSlotSet<kQVGUICtrlSlotSetAttribute>(c, &HostGUICtrl::SetAttribute);
  QVSlotSet<kQVGUICtrlSlotGetAttribute>(c, &HostGUICtrl::GetAttribute);
  QVSlotSet<kQVGUICtrlSlotSetMenuItemList>(c, &HostGUICtrl::SetMenuItemList);
  QVSlotSet<kQVGUICtrlSlotSetMenuIndex>(c, &HostGUICtrl::SetMenuIndex);
  QVSlotSet<kQVGUICtrlSlotGetMenuIndex>(c, &HostGUICtrl::GetMenuIndex);
  QVSlotSet<kQVGUICtrlSlotSetMenuItem>(c, &HostGUICtrl::SetMenuItem);
  QVSlotSet<kQVGUICtrlSlotGetMenuItem>(c, &HostGUICtrl::GetMenuItem);
  QVSlotSet<kQVGUICtrlSlotSetValueAsFloat32>(c, &HostGUICtrl::SetValueAsFloat32);
  QVSlotSet<kQVGUICtrlSlotGetValueAsFloat32>(c, &HostGUICtrl::GetValueAsFloat32);
}

std::string HostDescribePanel(const HostGUIDesc& desc) {
  std::string text;
  char line[512];
  for (const auto& c : desc.controls) {
    if (!c->visible) continue;
    std::string shown;
    if (c->type == "StaticText") {
      shown = Utf8(c->title);
    } else if (c->type == "PopupMenu") {
      for (size_t i = 0; i < c->items.size(); ++i) {
        if (i) shown += " | ";
        bool selected = static_cast<int32_t>(i) == c->index;
        shown += (selected ? "[" : "") + Utf8(c->items[i]) + (selected ? "]" : "");
      }
    } else {
      std::snprintf(line, sizeof line, "%.*f", c->precision, static_cast<double>(c->value));
      shown = line;
      if (c->type == "Slider") {
        std::snprintf(line, sizeof line, " in %g..%g", static_cast<double>(c->rangeMin),
                      static_cast<double>(c->rangeMax));
        shown += line;
      }
    }
    std::snprintf(line, sizeof line, "  %2u %-10s %s%s\n", c->id, c->type.c_str(), shown.c_str(),
                  c->enabled ? "" : " (disabled)");
    text += line;
  }
  return text;
}
