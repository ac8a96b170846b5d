#include "textinput/UPasteboard.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "textinput/UPasteboardService.h"
#include "textinput/platform/UPasteboardMemory_p.h"

namespace {

constexpr UPasteboardService::ItemID kWrittenItem = 1;

UPasteboardService* sInstalledService = nullptr;

UPasteboardService& Service() {
  if (sInstalledService) return *sInstalledService;
  // Built on first use and kept for the life of the process.
  static UPasteboardMemory processClipboard;
  return processClipboard;
}

}  // namespace

void UPasteboard::SetService(UPasteboardService* service) { sInstalledService = service; }

void UPasteboard::SetUText(const ATNumberArray<unsigned short>& text) {
  // The byte count must fit the service's 32-bit count.
  if (text.IsEmpty() || text.Length() > UINT32_MAX / sizeof(unsigned short)) return;
  UPasteboardService& service = Service();
  if (service.Clear() != 0 || service.Synchronize() != 0) return;
  service.PutItemFlavor(kWrittenItem, kUPasteboardFlavorUTF16PlainText,
                        reinterpret_cast<const uint8_t*>(text.Data()),
                        text.Length() * static_cast<uint32_t>(sizeof(unsigned short)));
}

ATNumberArray<unsigned short> UPasteboard::GetUText() {
  ATNumberArray<unsigned short> text;
  UPasteboardService& service = Service();
  uint32_t count = 0;
  if (service.Synchronize() != 0 || service.GetItemCount(&count) != 0) return text;
  for (uint32_t index = 1; index <= count; ++index) {
    UPasteboardService::ItemID item = 0;
    if (service.GetItemIdentifier(index, &item) != 0 || item == 0) continue;
    std::vector<uint8_t> bytes;
    if (service.CopyItemFlavorData(item, kUPasteboardFlavorUTF16PlainText, &bytes) != 0) continue;
    // An item without bytes is passed over; the first one with bytes is the
    // text, even a single byte, which holds no whole code unit and so gives
    // nothing to paste.
    if (bytes.empty()) continue;
    uint32_t units = static_cast<uint32_t>(bytes.size() / sizeof(unsigned short));
    if (units == 0) return text;
    text.SetLength(units);
    std::memcpy(text.Data(), bytes.data(), units * sizeof(unsigned short));
    return text;
  }
  return text;
}
