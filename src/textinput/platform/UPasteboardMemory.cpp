#include "textinput/platform/UPasteboardMemory_p.h"

#include "kit/QVErrors.h"

long UPasteboardMemory::Clear() {
  mItems.clear();
  return kQVNoErr;
}

long UPasteboardMemory::Synchronize() { return kQVNoErr; }

long UPasteboardMemory::GetItemCount(uint32_t* count) {
  if (!count) return kQVErrGeneric;
  *count = static_cast<uint32_t>(mItems.size());
  return kQVNoErr;
}

long UPasteboardMemory::GetItemIdentifier(uint32_t index, ItemID* item) {
  if (!item || index < 1 || index > mItems.size()) return kQVErrGeneric;
  *item = mItems[index - 1].id;
  return kQVNoErr;
}

long UPasteboardMemory::CopyItemFlavorData(ItemID item, const char* flavor,
                                           std::vector<uint8_t>* data) {
  if (!flavor || !data) return kQVErrGeneric;
  for (const Item& entry : mItems) {
    if (entry.id != item) continue;
    auto found = entry.flavors.find(flavor);
    if (found == entry.flavors.end()) return kQVErrGeneric;
    *data = found->second;
    return kQVNoErr;
  }
  return kQVErrGeneric;
}

long UPasteboardMemory::PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
                                      uint32_t byteCount) {
  if (item == 0 || !flavor || (!bytes && byteCount)) return kQVErrGeneric;
  Item* target = nullptr;
  for (Item& entry : mItems) {
    if (entry.id == item) target = &entry;
  }
  if (!target) {
    mItems.push_back(Item{item, {}});
    target = &mItems.back();
  }
  std::vector<uint8_t> data(bytes, bytes + byteCount);
  if (!target->flavors.emplace(flavor, std::move(data)).second) return kQVErrGeneric;
  return kQVNoErr;
}
