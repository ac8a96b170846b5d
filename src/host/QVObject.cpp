#include "host/QVObject.h"

#include "host/QVClass.h"

int32_t QVObject::acmGetObjectProperties(QVDictionary& dict) const {
  QVClassRecord* const* chain = nullptr;
  uint32_t count = QVClass::SupClasses(mClassRecord, &chain);
  for (uint32_t i = 0; chain && i < count; ++i) {
    if (!chain[i]) continue;
    const QVMethodSlot& slot = QVSlotIn<kQVClassSlotGetObjectProperties>(*chain[i]);
    if (slot.IsEmpty()) continue;
    int32_t status = (this->*slot.Get<kQVClassSlotGetObjectProperties>())(dict);
    if (status != 0) return status;
  }
  return 0;
}

int32_t QVObject::acmSetObjectProperties(const QVDictionary& dict) {
  QVClassRecord* const* chain = nullptr;
  uint32_t count = QVClass::SupClasses(mClassRecord, &chain);
  for (uint32_t i = 0; chain && i < count; ++i) {
    if (!chain[i]) continue;
    const QVMethodSlot& slot = QVSlotIn<kQVClassSlotSetObjectProperties>(*chain[i]);
    if (slot.IsEmpty()) continue;
    int32_t status = (this->*slot.Get<kQVClassSlotSetObjectProperties>())(dict);
    if (status != 0) return status;
  }
  return 0;
}
