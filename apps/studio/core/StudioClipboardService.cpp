#include "StudioClipboardService.h"

#include <algorithm>
#include <cstring>

#include "StudioUnicodeText.h"
#include "kit/QVErrors.h"
#include "textinput/UKeyLayout.h"

namespace {

constexpr UPasteboardService::ItemID kTheItem = 1;

bool IsFlavor(const char* flavor, const char* known) {
  return flavor && std::strcmp(flavor, known) == 0;
}

}  // namespace

StudioClipboardService::StudioClipboardService(std::function<void(const std::string&)> writer)
    : mWriter(std::move(writer)) {}

bool StudioClipboardService::FinishRead(uint64_t token, const std::string& utf8, bool hasText) {
  if (token != mGeneration) return false;
  mText = hasText ? StudioUnicodeText::Utf16FromUtf8(utf8) : std::u16string();
  mWrittenFlavors.clear();
  return true;
}

bool StudioClipboardService::IsPasteKey(const HostEditKey& key) {
  return (key.modifiers & kUKeyModifierCommand) != 0 &&
         UKeyLayout::ConvertRawToVirtualKeyCode(key.code) == 'v';
}

long StudioClipboardService::Clear() {
  mText.clear();
  mWrittenFlavors.clear();
  // A read already under way would bring back what was there before.
  ++mGeneration;
  return 0;
}

long StudioClipboardService::Synchronize() { return 0; }

long StudioClipboardService::GetItemCount(uint32_t* count) {
  if (!count) return kQVErrGeneric;
  *count = mText.empty() ? 0 : 1;
  return 0;
}

long StudioClipboardService::GetItemIdentifier(uint32_t index, ItemID* item) {
  if (!item || index != 1 || mText.empty()) return kQVErrGeneric;
  *item = kTheItem;
  return 0;
}

long StudioClipboardService::CopyItemFlavorData(ItemID item, const char* flavor,
                                                std::vector<uint8_t>* data) {
  if (!data || item != kTheItem || mText.empty()) return kQVErrGeneric;
  if (IsFlavor(flavor, kUPasteboardFlavorUTF16PlainText)) {
    data->resize(mText.size() * sizeof(char16_t));
    std::memcpy(data->data(), mText.data(), data->size());
    return 0;
  }
  if (IsFlavor(flavor, kUPasteboardFlavorUTF8PlainText)) {
    std::string utf8 = StudioUnicodeText::Utf8FromUtf16(mText);
    data->assign(utf8.begin(), utf8.end());
    return 0;
  }
  return kQVErrGeneric;
}

long StudioClipboardService::PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
                                           uint32_t byteCount) {
  bool utf16 = IsFlavor(flavor, kUPasteboardFlavorUTF16PlainText);
  bool utf8 = IsFlavor(flavor, kUPasteboardFlavorUTF8PlainText);
  if (item != kTheItem || (!utf16 && !utf8) || (!bytes && byteCount > 0)) return kQVErrGeneric;
  if (std::find(mWrittenFlavors.begin(), mWrittenFlavors.end(), flavor) != mWrittenFlavors.end()) {
    return kQVErrGeneric;
  }
  // Both flavours of the one item are the same text: the first written is
  // kept, and a second flavour adds nothing the desktop would see.
  bool first = mWrittenFlavors.empty();
  mWrittenFlavors.push_back(flavor);
  if (!first) return 0;
  if (utf16) {
    mText.assign(byteCount / sizeof(char16_t), u'\0');
    if (!mText.empty()) std::memcpy(&mText[0], bytes, mText.size() * sizeof(char16_t));
  } else {
    mText = StudioUnicodeText::Utf16FromUtf8(
        std::string(reinterpret_cast<const char*>(bytes), byteCount));
  }
  ++mGeneration;
  if (mWriter && !mText.empty()) mWriter(StudioUnicodeText::Utf8FromUtf16(mText));
  return 0;
}
