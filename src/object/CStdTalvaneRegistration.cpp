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
template <class Method>
void StoreSlot(uint32_t index, Method method) {
  if (!gQVClass || (gQVClass->flags & kQVClassFlagKeepMethods)) return;
  gQVClass->methods[index] = QVMethodSlot::From(method);
}

void FillClassMethods() {
  StoreSlot(kQVClassSlotInit, static_cast<QVMethodInit>(&CStdTalvane::_apmInit));
  StoreSlot(kQVClassSlotInitFromFile,
            static_cast<QVMethodInitFromFile>(&CStdTalvane::_apmInitFromFile));
  StoreSlot(kQVClassSlotWriteToFile,
            static_cast<QVMethodWriteToFile>(&CStdTalvane::_apmWriteToFile));
  StoreSlot(kQVClassSlotDelete, static_cast<QVMethodDelete>(&CStdTalvane::_apmDelete));
  StoreSlot(kQVClassSlotDraw, static_cast<QVMethodDraw>(&CStdTalvane::_apmDraw));
  StoreSlot(kQVClassSlotEdit, static_cast<QVMethodEdit>(&CStdTalvane::_apmEdit));
  StoreSlot(kQVClassSlotGetNaturalBounds,
            static_cast<QVMethodGetNaturalBounds>(&CStdTalvane::_apmGetNaturalBounds));
  StoreSlot(kQVClassSlotSetObjectProperties,
            static_cast<QVMethodSetObjectProperties>(&CStdTalvane::_apmSetObjectProperties));
  StoreSlot(kQVClassSlotGetObjectProperties,
            static_cast<QVMethodGetObjectProperties>(&CStdTalvane::_apmGetObjectProperties));
  StoreSlot(kQVClassSlotInspector, static_cast<QVMethodInspector>(&CStdTalvane::_apmInspector));
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
