// The clipboard service that UPasteboard talks to: a list of items, counted
// from 1, each holding data in one or more flavours (named by a type
// identifier such as kUPasteboardFlavorUTF16PlainText).
//
// This port runs without a display server, so the service in use is, unless a
// host installs its own with UPasteboard::SetService, a clipboard private to
// the process (see UPasteboard.h). A desktop host plugs in its system
// clipboard by implementing this class.
//
// Status codes: 0 success, negative a kit status (kQVErrGeneric when nothing
// more precise applies). Failures are not logged: the clipboard fails
// quietly.
#ifndef U_PASTEBOARD_SERVICE_H
#define U_PASTEBOARD_SERVICE_H

#include <cstdint>
#include <vector>

// UTF-16 code units in the machine's byte order, no byte-order mark, no
// terminator.
inline constexpr char kUPasteboardFlavorUTF16PlainText[] = "public.utf16-plain-text";
// UTF-8 bytes, no terminator.
inline constexpr char kUPasteboardFlavorUTF8PlainText[] = "public.utf8-plain-text";

class UPasteboardService {
 public:
  using ItemID = uintptr_t;  // 0 is never an item

  virtual ~UPasteboardService() = default;

  // Removes every item and makes this process the clipboard's owner.
  [[nodiscard]] virtual long Clear() = 0;
  // Brings this process's view of the clipboard up to date.
  [[nodiscard]] virtual long Synchronize() = 0;
  // The number of items.
  [[nodiscard]] virtual long GetItemCount(uint32_t* count) = 0;
  // The identifier of the item at index 1..count.
  [[nodiscard]] virtual long GetItemIdentifier(uint32_t index, ItemID* item) = 0;
  // A copy of the item's data in the flavour; an error when the item or the
  // flavour does not exist.
  [[nodiscard]] virtual long CopyItemFlavorData(ItemID item, const char* flavor, std::vector<uint8_t>* data) = 0;
  // Adds the flavour's data to the item, creating the item when it is new;
  // an error when the item already holds that flavour or item is 0.
  [[nodiscard]] virtual long PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
                             uint32_t byteCount) = 0;
};

#endif
