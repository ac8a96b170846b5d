// The plug-in's clipboard seam (UPasteboardService) answered with the
// desktop's clipboard: symbols copied in the studio paste into a text editor
// and back.
//
// The plug-in asks synchronously; the desktop answers asynchronously. So the
// service keeps a copy of the desktop clipboard's text, which the window's
// side (StudioDesktopClipboard, GTK) refreshes whenever the desktop reports
// a change and once more before a paste key reaches the object. Writes go
// to the local copy at once and to the desktop through the writer.
//
// The clipboard has one item (identifier 1) while it holds text, none while
// the desktop holds no text (or empty text). The item answers in UTF-16
// (kUPasteboardFlavorUTF16PlainText, machine byte order) and UTF-8
// (kUPasteboardFlavorUTF8PlainText); the desktop sees UTF-8. Ill-formed text
// on either side becomes U+FFFD (StudioUnicodeText); a UTF-16 write of an
// odd byte count drops its last byte.
//
// Statuses: kQVErrGeneric for a request the seam refuses (an unknown item or
// flavour, item 0, a flavour written twice without Clear); not logged, as
// the clipboard fails quietly. GUI thread only.
#ifndef STUDIO_CLIPBOARD_SERVICE_H
#define STUDIO_CLIPBOARD_SERVICE_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bridge/HostEdit.h"
#include "textinput/UPasteboardService.h"

class StudioClipboardService final : public UPasteboardService {
 public:
  // writer puts UTF-8 text on the desktop clipboard (may be empty: then
  // the desktop is left alone).
  explicit StudioClipboardService(std::function<void(const std::string&)> writer = {});

  // ---- The desktop's side
  // A read of the desktop's text is starting: the token to hand to
  // FinishRead.
  uint64_t StartRead() const { return mGeneration; }
  // The desktop's text (UTF-8) as read; hasText false when the desktop
  // clipboard holds no text. A read that started before the studio last
  // wrote is stale and changes nothing; false then.
  bool FinishRead(uint64_t token, const std::string& utf8, bool hasText);

  // The paste shortcut: the command bit with the key that types "v" on the
  // user's own keyboard. The window refreshes the copy before delivering it.
  static bool IsPasteKey(const HostEditKey& key);

  // The text held now (UTF-16); empty when there is none.
  const std::u16string& Text() const { return mText; }

  // ---- UPasteboardService
  [[nodiscard]] long Clear() override;
  [[nodiscard]] long Synchronize() override;
  [[nodiscard]] long GetItemCount(uint32_t* count) override;
  [[nodiscard]] long GetItemIdentifier(uint32_t index, ItemID* item) override;
  [[nodiscard]] long CopyItemFlavorData(ItemID item, const char* flavor,
                                        std::vector<uint8_t>* data) override;
  [[nodiscard]] long PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
                                   uint32_t byteCount) override;

 private:
  std::function<void(const std::string&)> mWriter;
  std::u16string mText;
  std::vector<std::string> mWrittenFlavors;  // since the last Clear
  uint64_t mGeneration = 0;
};

#endif
