#include "StudioSettings.h"

#include <charconv>
#include <cmath>
#include <memory>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioObjectSnapshot.h"
#include "StudioSelection.h"
#include "bridge/HostGUI.h"
#include "bridge/HostObject.h"
#include "host/QVGUIEvent.h"
#include "kit/QVArgs.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"
#include "kit/QVStringForms.h"

namespace {

using Kind = StudioSettingsControl::Kind;

std::string Utf8(const std::string& native) {
  return QVString(native).ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
}

Kind KindOf(const std::string& type) {
  if (type == "StaticText") return Kind::kLabel;
  if (type == "PopupMenu") return Kind::kMenu;
  if (type == "EditNum") return Kind::kNumber;
  if (type == "Slider") return Kind::kSlider;
  return Kind::kUnknown;
}

AGPoint PointParam(const std::string& controllerText, const char* name) {
  QVString text;
  AGPoint point = kAGNullPoint;
  if (QVArgs(controllerText.c_str(), true).GetParam(name, text)) {
    strGetasAGPoint(text.c_str(), &point, kAGNullPoint);
  }
  return point;
}

[[nodiscard]] int32_t Refuse(uint32_t control, const char* why) {
  std::string what = "control " + std::to_string(control) + ": " + why;
  return static_cast<int32_t>(QVLogStatus<kQVErrStudioInspector>(what.c_str()));
}

}  // namespace

StudioSettings::StudioSettings(HostGUIDesc* desc) : mDesc(desc) {
  if (mDesc) ReadControls();
}

bool StudioSettings::ServesMultipleSelection() const { return mDesc && mDesc->multipleSelection; }

const StudioSettingsControl* StudioSettings::Find(uint32_t id) const {
  for (const StudioSettingsControl& control : mControls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

int32_t StudioSettings::Refresh(const StudioDocument& doc, const StudioSelection& selection) {
  mTargets.clear();
  if (!mDesc) {
    mState = State::kNoPanel;
    return 0;
  }
  for (StudioObjectId id : selection.Ids()) {
    if (doc.Contains(id)) mTargets.push_back(id);
  }
  if (mTargets.empty()) {
    mState = State::kNoSelection;
    return 0;
  }
  if (mTargets.size() > 1 && !mDesc->multipleSelection) {
    mTargets.clear();
    mState = State::kNotServed;
    return 0;
  }
  mState = State::kServing;

  // The document is the window's, handed out read-only: the object fills the
  // panel from a copy of itself.
  StudioObjectSnapshot snapshot;
  int32_t status = StudioObjectSnapshot::Capture(*doc.Find(mTargets.front()), snapshot);
  std::unique_ptr<HostObject> copy;
  if (status == 0) status = snapshot.Instantiate(doc.Plugin(), copy);
  std::string ignored;
  if (status == 0) status = copy->Inspect(mDesc, kQVGUIEventFill, 0, ignored);
  if (status == 0) ReadControls();
  return status;
}

void StudioSettings::ReadControls() {
  mPanelSize = {double(mDesc->width), double(mDesc->height)};
  mControls.clear();
  for (const auto& ctrl : mDesc->controls) {
    StudioSettingsControl control;
    control.id = ctrl->id;
    control.kind = KindOf(ctrl->type);
    control.position = PointParam(ctrl->text, "-pos:");
    AGPoint dim = PointParam(ctrl->text, "-dim:");
    control.size = {dim.x, dim.y};
    control.title = Utf8(ctrl->title);
    for (const std::string& item : ctrl->items) control.items.push_back(Utf8(item));
    control.index = ctrl->index;
    control.value = ctrl->value;
    control.rangeMin = ctrl->rangeMin;
    control.rangeMax = ctrl->rangeMax;
    control.precision = ctrl->precision;
    control.visible = ctrl->visible;
    control.enabled = ctrl->enabled;
    mControls.push_back(std::move(control));
  }
}

int32_t StudioSettings::Change(StudioDocument& doc, uint32_t id, Kind kind, double number,
                                int32_t index, std::string& actionName) {
  actionName.clear();
  if (mState != State::kServing) return Refuse(id, "no object to change");
  const StudioSettingsControl* shown = Find(id);
  auto* ctrl = static_cast<HostGUICtrl*>(mDesc->GetController(id));
  bool numeric = shown && (shown->kind == Kind::kNumber || shown->kind == Kind::kSlider);
  if (!shown || !ctrl || (kind == Kind::kMenu ? shown->kind != Kind::kMenu : !numeric)) {
    return Refuse(id, kind == Kind::kMenu ? "not a menu" : "not a number");
  }
  if (!shown->visible || !shown->enabled) return Refuse(id, "hidden or disabled");
  if (kind == Kind::kMenu && (index < 0 || index >= static_cast<int32_t>(shown->items.size()))) {
    return Refuse(id, "no such item");
  }
  if (kind != Kind::kMenu && !std::isfinite(number)) return Refuse(id, "not a finite number");

  // The shared panel may have been filled from another object since this
  // model last read it: fill it from the first target, then make the change.
  int32_t status = StudioActions::FillInspector(doc, mTargets.front(), mDesc);
  if (status != 0) return status;
  if (kind == Kind::kMenu) {
    ctrl->SetMenuIndex(index);
  } else {
    ctrl->SetValueAsFloat32(static_cast<float>(number));
  }
  status = StudioActions::ChangeInInspector(doc, mTargets, mDesc, id, actionName);
  // Shown as the objects now are, the change refused or not.
  int32_t refreshed = StudioActions::FillInspector(doc, mTargets.front(), mDesc);
  if (refreshed == 0) ReadControls();
  return status != 0 ? status : refreshed;
}

int32_t StudioSettings::ChooseItem(StudioDocument& doc, uint32_t control, int32_t index,
                                    std::string& actionName) {
  return Change(doc, control, Kind::kMenu, 0, index, actionName);
}

int32_t StudioSettings::SetNumber(StudioDocument& doc, uint32_t control, double value,
                                   std::string& actionName) {
  return Change(doc, control, Kind::kNumber, value, 0, actionName);
}

int32_t StudioSettings::SetNumberText(StudioDocument& doc, uint32_t control,
                                       const std::string& text, std::string& actionName) {
  actionName.clear();
  double value = 0;
  if (!ParseNumber(text, value)) {
    return static_cast<int32_t>(QVLogStatus<kQVErrStudioNumberText>(text.c_str()));
  }
  return SetNumber(doc, control, value, actionName);
}

bool StudioSettings::ParseNumber(const std::string& text, double& value) {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return false;
  std::string number = text.substr(begin, end - begin + 1);
  for (char& c : number) {
    if (c == ',') c = '.';
  }
  // from_chars reads the same whatever the locale, and takes no leading "+";
  // one sign only ("+-5" is no number).
  if (number[0] == '+') {
    number.erase(0, 1);
    if (!number.empty() && number[0] == '-') return false;
  }
  double parsed = 0;
  const char* last = number.data() + number.size();
  auto [stop, error] = std::from_chars(number.data(), last, parsed, std::chars_format::fixed);
  if (error != std::errc() || stop != last || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}
