// A clipboard held in this process's memory: what UPasteboard uses when the
// host installs no service of its own. Its content lives as long as the
// object; other processes do not see it.
#ifndef U_PASTEBOARD_MEMORY_P_H
#define U_PASTEBOARD_MEMORY_P_H

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "textinput/UPasteboardService.h"

class UPasteboardMemory final : public UPasteboardService {
 public:
  long Clear() override;
  long Synchronize() override;
  long GetItemCount(uint32_t* count) override;
  long GetItemIdentifier(uint32_t index, ItemID* item) override;
  long CopyItemFlavorData(ItemID item, const char* flavor, std::vector<uint8_t>* data) override;
  long PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
                     uint32_t byteCount) override;

 private:
  struct Item {
    ItemID id;
    std::map<std::string, std::vector<uint8_t>> flavors;
  };
  // In the order the items were first written.
  std::vector<Item> mItems;
};

#endif
