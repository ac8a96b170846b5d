// Fuzz target for the studio's clipboard service: the input is a script of
// the desktop's texts arriving (some of them stale), the plug-in's writes
// in either flavour (valid and refused requests) and its reads.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - the desktop is only ever given well-formed UTF-8, never empty, and
//     exactly the text the service then holds;
//   - text from the desktop is held as well-formed UTF-16;
//   - a read started before the last write or clear is stale and changes
//     nothing; a refused write changes nothing;
//   - the service has one item exactly while it holds text, and the item
//     answers that text in UTF-16 and as well-formed UTF-8.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "FuzzSupport.h"
#include "FuzzUnicode.h"
#include "StudioClipboardService.h"
#include "StudioUnicodeText.h"
#include "kit/QVErrors.h"
#include "textinput/UPasteboardService.h"

namespace {

const char* const kFlavors[] = {kUPasteboardFlavorUTF16PlainText, kUPasteboardFlavorUTF8PlainText,
                                "public.png", nullptr};

void CheckItem(StudioClipboardService& service) {
  const std::u16string& text = service.Text();
  uint32_t count = 7;
  FuzzRequire(service.GetItemCount(&count) == 0 && count == (text.empty() ? 0u : 1u),
              "one item exactly while there is text");
  UPasteboardService::ItemID item = 0;
  const long found = service.GetItemIdentifier(1, &item);
  FuzzRequire(text.empty() ? found == kQVErrGeneric : found == 0 && item == 1,
              "the item is found exactly while there is text");
  if (text.empty()) return;
  std::vector<uint8_t> utf16, utf8;
  FuzzRequire(service.CopyItemFlavorData(1, kUPasteboardFlavorUTF16PlainText, &utf16) == 0 &&
                  utf16.size() == text.size() * 2 &&
                  std::memcmp(utf16.data(), text.data(), utf16.size()) == 0,
              "the item answers its text in UTF-16");
  FuzzRequire(service.CopyItemFlavorData(1, kUPasteboardFlavorUTF8PlainText, &utf8) == 0,
              "the item answers in UTF-8");
  const std::string asUtf8(utf8.begin(), utf8.end());
  FuzzRequire(FuzzIsUtf8(asUtf8) && asUtf8 == StudioUnicodeText::Utf8FromUtf16(text),
              "the item's UTF-8 is its text, well formed");
  FuzzRequire(service.CopyItemFlavorData(2, kUPasteboardFlavorUTF8PlainText, &utf8) ==
                  kQVErrGeneric,
              "no second item");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  std::vector<std::string> desktop;
  StudioClipboardService service([&](const std::string& text) { desktop.push_back(text); });
  while (!input.AtEnd()) {
    const size_t given = desktop.size();
    const std::u16string before = service.Text();
    switch (input.Choice(5)) {
      case 0: {  // the desktop's text arrives
        const bool hasText = input.Flag();
        FuzzRequire(service.FinishRead(service.StartRead(), input.ShortRun(), hasText),
                    "a read started after the last write is taken");
        FuzzRequire(FuzzIsUtf16(service.Text()), "the desktop's text is held well formed");
        break;
      }
      case 1: {  // a read overtaken by a clear or a write
        const uint64_t token = service.StartRead();
        FuzzRequire(service.Clear() == 0, "clearing succeeds");
        const std::u16string cleared = service.Text();
        FuzzRequire(!service.FinishRead(token, input.ShortRun(), true) && service.Text() == cleared,
                    "a stale read changes nothing");
        break;
      }
      case 2: {  // the plug-in copies: clear, then one or two flavours
        FuzzRequire(service.Clear() == 0, "clearing succeeds");
        const size_t flavor = input.Choice(2);
        const std::string bytes = input.ShortRun();
        FuzzRequire(service.PutItemFlavor(1, kFlavors[flavor],
                                          reinterpret_cast<const uint8_t*>(bytes.data()),
                                          static_cast<uint32_t>(bytes.size())) == 0,
                    "a first flavour is taken");
        if (input.Flag()) {
          const std::u16string first = service.Text();
          FuzzRequire(service.PutItemFlavor(1, kFlavors[1 - flavor],
                                            reinterpret_cast<const uint8_t*>(bytes.data()),
                                            static_cast<uint32_t>(bytes.size())) == 0 &&
                          service.Text() == first,
                      "a second flavour is taken and changes nothing");
        }
        break;
      }
      case 3: {  // a request the seam refuses
        const uint32_t item = input.Byte() % 3;
        const char* flavor = kFlavors[input.Choice(4)];
        const std::string bytes = input.ShortRun();
        const bool withBytes = input.Flag();
        const long status = service.PutItemFlavor(
            item, flavor, withBytes ? reinterpret_cast<const uint8_t*>(bytes.data()) : nullptr,
            static_cast<uint32_t>(bytes.size()));
        if (status != 0) {
          FuzzRequire(status == kQVErrGeneric && service.Text() == before &&
                          desktop.size() == given,
                      "a refused write changes nothing");
        }
        break;
      }
      default:
        FuzzRequire(service.Clear() == 0 && service.Text().empty(), "clearing empties");
        break;
    }
    if (desktop.size() != given) {
      FuzzRequire(desktop.size() == given + 1, "one write gives the desktop one text");
      FuzzRequire(!desktop.back().empty() && FuzzIsUtf8(desktop.back()),
                  "the desktop is given well-formed UTF-8, never empty");
      FuzzRequire(desktop.back() == StudioUnicodeText::Utf8FromUtf16(service.Text()),
                  "the desktop is given the text the service holds");
    }
    CheckItem(service);
  }
  return 0;
}
