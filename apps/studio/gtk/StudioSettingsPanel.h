// The inspector side panel: GTK widgets built from the plug-in's panel
// description (through StudioSettings), refilled from the selection
// whenever it, the document or the typing state changes, and handing the
// person's changes to the window (StudioPanelHost::Perform) as one undoable
// step each.
//
// Menus are GtkDropDown, number fields GtkEntry whose text is checked when
// Enter is pressed or the field loses the focus (a text that is no number
// is marked and refused, the object keeps its value), sliders GtkScale
// (applied once the knob rests), labels GtkLabel. Controls sit in rows by
// their position in the description; hidden and disabled controls are
// hidden and insensitive. The whole panel is insensitive while an object is
// typed into.
#ifndef STUDIO_SETTINGS_PANEL_H
#define STUDIO_SETTINGS_PANEL_H

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "StudioGObject.h"
#include "StudioSettings.h"
#include "StudioSidePanel.h"

class HostGUIDesc;

class StudioSettingsPanel : public StudioSidePanel {
 public:
  // desc: the plug-in's panel (null: the panel says there is none). Listens
  // to host until destroyed.
  StudioSettingsPanel(StudioPanelHost& host, HostGUIDesc* desc);
  ~StudioSettingsPanel() override;
  StudioSettingsPanel(const StudioSettingsPanel&) = delete;
  StudioSettingsPanel& operator=(const StudioSettingsPanel&) = delete;

  const StudioSettings& Model() const { return mModel; }

  // The toolkit's callbacks (defined with the class).
  struct Callbacks;

 private:
  friend struct Callbacks;

  struct ControlWidget {
    size_t model = 0;  // index in the model's controls
    uint32_t id = 0;
    StudioSettingsControl::Kind kind = StudioSettingsControl::Kind::kUnknown;
    GtkWidget* widget = nullptr;  // owned by the grid
    GtkStringList* items = nullptr;  // a menu's model, owned by its drop-down
    StudioSettingsPanel* panel = nullptr;
  };

  void Build();
  // Refills the model from the window's selection and shows it.
  void Update() override;
  void Show();
  void Apply(const std::function<int32_t(StudioDocument&, std::string&)>& change);
  void ApplyNumberText(ControlWidget& control);

  StudioSettings mModel;
  GtkWidget* mCaption = nullptr;
  GtkWidget* mGrid = nullptr;
  std::list<ControlWidget> mControls;  // stable addresses for the callbacks
  std::list<StudioSignal> mSignals;
  guint mSliderTimeout = 0;
  bool mShowing = false;  // widgets being set from the model: no changes
};

#endif
