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
  [[nodiscard]] long Clear() override;
  [[nodiscard]] long Synchronize() override;
  [[nodiscard]] long GetItemCount(uint32_t* count) override;
  [[nodiscard]] long GetItemIdentifier(uint32_t index, ItemID* item) override;
  [[nodiscard]] long CopyItemFlavorData(ItemID item, const char* flavor, std::vector<uint8_t>* data) override;
  [[nodiscard]] long PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
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
