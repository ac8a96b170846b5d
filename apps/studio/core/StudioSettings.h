// The inspector panel's model: the controls of the plug-in's panel
// description (the HostGUIDesc it handed over when it registered) as plain
// data, filled from the selected object, and the changes a person makes in
// them applied to the selection as one undoable step (StudioActions).
//
// The description is the plug-in's one panel, shared by every object; this
// model reads it after each fill and change and keeps its own copy, so that
// what it shows stays as it was until the next Refresh.
//
// Texts are UTF-8 (the plug-in writes native 8-bit texts, translated into
// the host's language). Positions and sizes are the description's panel
// units, y down from the panel's top-left corner.
//
// A value type: copies are independent; queries are const. GUI thread only.
#ifndef STUDIO_SETTINGS_H
#define STUDIO_SETTINGS_H

#include <cstdint>
#include <string>
#include <vector>

#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"

class HostGUIDesc;
class StudioDocument;
class StudioSelection;

struct StudioSettingsControl {
  enum class Kind { kLabel, kMenu, kNumber, kSlider, kUnknown };

  uint32_t id = 0;  // 0 for labels that no change names
  Kind kind = Kind::kUnknown;
  AGPoint position{0, 0};  // "-pos"
  AGSize size{0, 0};       // "-dim"
  std::string title;       // a label's text
  std::vector<std::string> items;  // a menu's items
  int32_t index = -1;              // the chosen item; -1 for none
  double value = 0;                // a number field's or slider's value
  double rangeMin = 0, rangeMax = 0;  // a slider's bounds
  int32_t precision = 0;              // decimals a number field shows
  bool visible = true;
  bool enabled = true;
};

class StudioSettings {
 public:
  enum class State {
    kNoPanel,       // the plug-in described no panel
    kNoSelection,   // nothing selected
    kNotServed,     // several objects selected and the panel serves one only
    kServing,       // the controls show Targets().front()
  };

  // desc: the plug-in's panel (HostPlugin::InspectorDesc), not owned; it
  // must outlive the model. Null: State() stays kNoPanel.
  explicit StudioSettings(HostGUIDesc* desc);

  // The controls filled from the selection's first object still in doc.
  // The object is filled through a copy of itself, so that filling never
  // touches the document. Its status when the copy cannot be made or the
  // object refuses; the controls then stay as they were.
  [[nodiscard]] int32_t Refresh(const StudioDocument& doc, const StudioSelection& selection);

  State GetState() const { return mState; }
  // Whether the panel serves a multiple selection ("-multisel:1").
  bool ServesMultipleSelection() const;
  // The objects a change applies to, in selection order (empty unless
  // kServing).
  const std::vector<StudioObjectId>& Targets() const { return mTargets; }
  const std::vector<StudioSettingsControl>& Controls() const { return mControls; }
  // The control with that id (the first one), or null.
  const StudioSettingsControl* Find(uint32_t id) const;
  // The panel's size from the description (a width of 0: as wide as the
  // side area).
  AGSize PanelSize() const { return mPanelSize; }

  // ---- Changes: each is one step named by the object's translated action
  // name (actionName receives it; empty when nothing changed), applied to
  // every target, then the controls are refilled from doc. Refused without
  // a change: kQVErrStudioInspector (-1460) when the panel serves nothing
  // (see GetState) or the control is not of the kind, hidden or disabled;
  // StudioActions' statuses (kQVErrStudioTyping while an object is typed
  // into, the object's own) otherwise.

  // A menu's item (index into its items).
  [[nodiscard]] int32_t ChooseItem(StudioDocument& doc, uint32_t control, int32_t index,
                                   std::string& actionName);
  // A number field's or slider's value.
  [[nodiscard]] int32_t SetNumber(StudioDocument& doc, uint32_t control, double value,
                                  std::string& actionName);
  // A number field's text as typed: blanks around it are allowed, "." or
  // "," is the decimal separator. Anything else, an empty text or a value
  // that is not finite is refused with kQVErrStudioNumberText (-1461) and
  // changes nothing.
  [[nodiscard]] int32_t SetNumberText(StudioDocument& doc, uint32_t control,
                                      const std::string& text, std::string& actionName);

  // The number a text reads as (the rules of SetNumberText); false when it
  // reads as none.
  static bool ParseNumber(const std::string& text, double& value);

 private:
  [[nodiscard]] int32_t Change(StudioDocument& doc, uint32_t control,
                               StudioSettingsControl::Kind kind, double number, int32_t index,
                               std::string& actionName);
  void ReadControls();

  HostGUIDesc* mDesc;
  State mState = State::kNoPanel;
  std::vector<StudioObjectId> mTargets;
  std::vector<StudioSettingsControl> mControls;
  AGSize mPanelSize{0, 0};
};

#endif
