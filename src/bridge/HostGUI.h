// The reference host's panel descriptions and controls: what a plug-in's
// inspector description builds, kept so that the host can show the panel,
// fill it from an object and hand changes back.
//
// A controller text is the kit's argument grammar: -id:N -type:KIND
// -pos:(x;y) -dim:(w;h) -title:"text" -prec:N -range:(min;max).
#ifndef HOST_GUI_H
#define HOST_GUI_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/QVGUICtrl.h"
#include "host/QVGUIDesc.h"

class HostGUICtrl : public QVGUICtrlObject {
 public:
  explicit HostGUICtrl(const char* text);

  // The table's member slots.
  void SetAttribute(uint32_t selector, int32_t value);
  int32_t GetAttribute(uint32_t selector);
  void SetMenuItemList(const char* items);
  void SetMenuIndex(int32_t index);
  int32_t GetMenuIndex();
  void SetMenuItem(const char* item);
  void GetMenuItem(QVString* item);
  void SetValueAsFloat32(float value);
  float GetValueAsFloat32();

  std::string text;  // the controller text as the plug-in wrote it
  uint32_t id = 0;
  std::string type;                // "StaticText", "PopupMenu", "EditNum", "Slider"
  std::string title;               // native 8-bit text
  std::vector<std::string> items;  // native 8-bit texts
  int32_t index = 0;               // selected menu item; -1 for none
  float value = 0.0f;
  float rangeMin = 0.0f;
  float rangeMax = 0.0f;
  int32_t precision = 0;
  bool visible = true;
  bool enabled = true;
};

class HostGUIDesc : public QVGUIDescObject {
 public:
  explicit HostGUIDesc(const char* header);

  void SetPanelSize(int32_t width, int32_t height);
  // Takes ownership of control.
  void AddController(QVGUICtrlObject* control);
  // The first control with that id, or null.
  QVGUICtrlObject* GetController(uint32_t id);

  // The tables a host hands to plug-ins for descriptions and controls.
  static void FillTables(QVGUIDescTable& descTable, QVGUICtrlTable& ctrlTable);

  std::string header;
  bool multipleSelection = false;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<std::unique_ptr<HostGUICtrl>> controls;
};

// A readable picture of the panel, one control a line (UTF-8).
std::string HostDescribePanel(const HostGUIDesc& desc);

#endif
