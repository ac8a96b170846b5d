// The inspector panel of the Talvane object: keyboard layout, font size and
// prolongation line.
#include "host/QVGUIDesc.h"
#include "host/QVGUIEvent.h"
#include "host/QVLanguage.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "textinput/UKeyLayout.h"

namespace {

enum : uint32_t {
  kCtrlLabels = 0,
  kCtrlKeyboard = 1,
  kCtrlFontSizeField = 2,
  kCtrlFontSizeSlider = 3,
  kCtrlProlineType = 4,
  kCtrlProlineLabel = 5,
  kCtrlProlineBeg = 6,
  kCtrlProlineEnd = 7,
  kCtrlProlineInfo = 8,
};

// The controller texts of the panel, in the host's panel-description language.
constexpr const char kLabelFormat[] =
    "-id:%ld -type:StaticText  -pos:(010;%ld) -dim:(068;016) -title:\"%s\"";
constexpr const char kWideMenuFormat[] = "-id:%ld -type:PopupMenu   -pos:(082;%ld) -dim:(144;017)";
constexpr const char kNumericFormat[] =
    "-id:%ld -type:EditNum     -pos:(082;%ld) -dim:(048;022) -prec:0";
constexpr const char kSliderFormat[] =
    "-id:%ld -type:Slider      -pos:(130;%ld) -dim:(098;020) -range:(%.0f;%.0f)";
constexpr const char kLeftMenuFormat[] = "-id:%ld -type:PopupMenu   -pos:(082;%ld) -dim:(070;017)";
constexpr const char kRightMenuFormat[] = "-id:%ld -type:PopupMenu   -pos:(156;%ld) -dim:(070;017)";
constexpr const char kWideTextFormat[] = "-id:%ld -type:StaticText  -pos:(010;%ld) -dim:(216;016)";

const char* Tr(const char* text) { return QVLanguage::GetText(text); }

// A menu index taken as one byte, 3 and above counting as 2.
uint8_t ClampedIndex(int32_t index) {
  uint8_t b = static_cast<uint8_t>(index);
  return b > 2 ? 2 : b;
}

}  // namespace

QVGUIDesc CStdTalvane::BuildInspectorGUIDesc() {
  QVLanguage::SetDomain("StdTalvane");
  QVGUIDesc desc = QVGUIDesc::New("-multisel:1");
  if (!desc.IsValid()) return desc;

  // Each title is copied into the controller text before the next
  // translation replaces the translator's answer.
  desc.NewController(kLabelFormat, long{kCtrlLabels}, 7L, Tr("Keyboards"));
  desc.NewController(kWideMenuFormat, long{kCtrlKeyboard}, 5L);
  desc.NewController(kLabelFormat, long{kCtrlLabels}, 33L, Tr("Font Size"));
  desc.NewController(kNumericFormat, long{kCtrlFontSizeField}, 28L);
  desc.NewController(kSliderFormat, long{kCtrlFontSizeSlider}, 28L,
                     static_cast<double>(kFontSizeMin), static_cast<double>(kFontSizeMax));
  desc.NewController(kLabelFormat, long{kCtrlLabels}, 59L, Tr("Prolongation"));
  desc.NewController(kWideMenuFormat, long{kCtrlProlineType}, 57L);
  desc.NewController(kLabelFormat, long{kCtrlProlineLabel}, 85L, Tr("Begin/End"));
  desc.NewController(kLeftMenuFormat, long{kCtrlProlineBeg}, 83L);
  desc.NewController(kRightMenuFormat, long{kCtrlProlineEnd}, 83L);
  desc.NewController(kWideTextFormat, long{kCtrlProlineInfo}, 111L);
  desc.SetPanelSize(0, 132);

  desc.SetMenuItemList(kCtrlProlineType, QVString(Tr("None, Sustained, Iterated")));
  const QVString tails(Tr("Up, Middle, Down"));
  desc.SetMenuItemList(kCtrlProlineBeg, tails);
  desc.SetMenuItemList(kCtrlProlineEnd, tails);

  QVStringArray layouts;
  for (const QVString& name : UKeyLayout::GetLayoutList()) layouts.Append(name);
  if (layouts.IsEmpty()) {
    desc.SetMenuItemList(kCtrlKeyboard, QVString(Tr("<Not Installed>")));
    desc.SetEnable(kCtrlKeyboard, false);
  } else {
    layouts.Insert(0, QVString(Tr("Current")));
    desc.SetMenuItemList(kCtrlKeyboard, layouts);
    desc.SetEnable(kCtrlKeyboard, true);
  }
  return desc;
}

void CStdTalvane::LowInspectorRefreshProlinePopups(QVGUIDesc& desc) const {
  const bool visible = mProline.type != kProlineTypeNone;
  for (uint32_t id : {kCtrlProlineLabel, kCtrlProlineBeg, kCtrlProlineEnd, kCtrlProlineInfo}) {
    desc.SetVisible(id, visible);
  }
}

int32_t CStdTalvane::_apmInspector(QVGUIDesc& desc, QVGUIEvent& event) {
  QVLanguage::SetDomain("StdTalvane");
  if (event.kind == kQVGUIEventFill) {
    if (mKeyLayout.IsEmpty()) {
      desc.SetMenuIndex(kCtrlKeyboard, 0);
    } else {
      desc.SetMenuItem(kCtrlKeyboard, mKeyLayout);
    }
    desc.SetValueAsFloat32(kCtrlFontSizeField, mFontSize);
    desc.SetValueAsFloat32(kCtrlFontSizeSlider, mFontSize);
    desc.SetMenuIndex(kCtrlProlineType, mProline.type);
    desc.SetMenuIndex(kCtrlProlineBeg, mProline.begin);
    desc.SetMenuIndex(kCtrlProlineEnd, mProline.end);
    LowInspectorRefreshProlinePopups(desc);
  } else if (event.kind == kQVGUIEventChanged) {
    switch (event.id) {
      case kCtrlKeyboard:
        mKeyLayout = desc.GetMenuIndex(kCtrlKeyboard) == 0 ? kQVNullString
                                                            : desc.GetMenuItem(kCtrlKeyboard);
        event.actionName = Tr("Change Talvane Keyboard");
        break;
      case kCtrlFontSizeField:
      case kCtrlFontSizeSlider: {
        float size = desc.GetValueAsFloat32(event.id);
        // NaN fails both comparisons: it counts as the minimum.
        if (!(size > kFontSizeMin)) {
          size = kFontSizeMin;
        } else if (size > kFontSizeMax) {
          size = kFontSizeMax;
        }
        mFontSize = size;
        desc.SetValueAsFloat32(kCtrlFontSizeField, size);
        desc.SetValueAsFloat32(kCtrlFontSizeSlider, size);
        event.actionName = Tr("Change Talvane Font Size");
        break;
      }
      case kCtrlProlineType:
        mProline.type = ClampedIndex(desc.GetMenuIndex(kCtrlProlineType));
        LowInspectorRefreshProlinePopups(desc);
        event.actionName = Tr("Change Talvane Prolongation");
        break;
      case kCtrlProlineBeg:
        mProline.begin = ClampedIndex(desc.GetMenuIndex(kCtrlProlineBeg));
        event.actionName = Tr("Change Talvane Prolongation");
        break;
      case kCtrlProlineEnd:
        mProline.end = ClampedIndex(desc.GetMenuIndex(kCtrlProlineEnd));
        event.actionName = Tr("Change Talvane Prolongation");
        break;
      default:
        break;
    }
  }
  if (!event.actionName.IsEmpty()) LowInvalidateCurrentPath();
  return 0;
}
