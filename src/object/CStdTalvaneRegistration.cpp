#include "object/CStdTalvaneRegistration.h"

#include "host/QVClass.h"
#include "host/QVClassSetup.h"
#include "host/QVGUIDesc.h"
#include "host/QVLanguage.h"
#include "host/QVPluginHook.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneResources.h"

namespace {

// Each slot is written only while the class record exists and its flag bit 0
// (the host keeps its own methods) is clear.
template <auto Slot, class Method>
void StoreSlot(Method method) {
  if (!gQVClass || (gQVClass->flags & kQVClassFlagKeepMethods)) return;
  QVSlotSet<Slot>(*gQVClass, method);
}

void FillClassMethods() {
  StoreSlot<kQVClassSlotInit>(&CStdTalvane::_apmInit);
  StoreSlot<kQVClassSlotInitFromFile>(&CStdTalvane::_apmInitFromFile);
  StoreSlot<kQVClassSlotWriteToFile>(&CStdTalvane::_apmWriteToFile);
  StoreSlot<kQVClassSlotDelete>(&CStdTalvane::_apmDelete);
  StoreSlot<kQVClassSlotDraw>(&CStdTalvane::_apmDraw);
  StoreSlot<kQVClassSlotEdit>(&CStdTalvane::_apmEdit);
  StoreSlot<kQVClassSlotGetNaturalBounds>(&CStdTalvane::_apmGetNaturalBounds);
  StoreSlot<kQVClassSlotSetObjectProperties>(&CStdTalvane::_apmSetObjectProperties);
  StoreSlot<kQVClassSlotGetObjectProperties>(&CStdTalvane::_apmGetObjectProperties);
  StoreSlot<kQVClassSlotInspector>(&CStdTalvane::_apmInspector);
}

}  // namespace

int32_t CStdTalvaneRegister(QVPluginHook* hook) {
  int32_t status = _QVClassSetup<CStdTalvane>(&gQVClass, hook, "CStdTalvane");
  if (status != 0) return status;

  // The symbol font comes with the plug-in; without it objects show their
  // missing-font label, so a failure here does not stop registration.
  CStdTalvaneAddSymbolFont();
  // Likewise its keyboard layouts: without them the keyboard menu shows
  // "<Not Installed>" and editing keeps the user's keyboard.
  CStdTalvaneAddKeyLayouts();

  QVLanguage::SetDomain("StdTalvane");
  QVClass::SetClassName(gQVClass, QVLanguage::GetText("Talvane"));
  FillClassMethods();

  // The host takes the panel description.
  QVGUIDesc desc = CStdTalvane::BuildInspectorGUIDesc();
  if (desc.IsValid()) QVClass::AddInspectorGUIDesc(gQVClass, desc.Handle());
  return 0;
}
