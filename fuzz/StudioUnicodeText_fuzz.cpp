// Fuzz target for the studio's text between UTF-16 and UTF-8: the input's
// bytes are UTF-8 for one direction and, taken two at a time in machine
// order (an odd last byte left out), UTF-16 code units for the other.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - every output is well formed: UTF-8 that decodes throughout, UTF-16
//     without a lone surrogate;
//   - the well-formed characters of the UTF-8 input come back from the
//     round trip through UTF-16 unchanged and in order, and a well-formed
//     input comes back byte for byte;
//   - UTF-16 through UTF-8 and back gives the input with each lone surrogate
//     replaced by U+FFFD.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "FuzzUnicode.h"
#include "StudioUnicodeText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);

  const std::u16string utf16 = StudioUnicodeText::Utf16FromUtf8(bytes);
  FuzzRequire(FuzzIsUtf16(utf16), "UTF-16 from UTF-8 has no lone surrogate");
  const std::string back = StudioUnicodeText::Utf8FromUtf16(utf16);
  FuzzRequire(FuzzIsUtf8(back), "UTF-8 from UTF-16 is well formed");
  if (FuzzIsUtf8(bytes)) {
    FuzzRequire(back == bytes, "well-formed UTF-8 makes the round trip unchanged");
  } else {
    FuzzRequire(FuzzUtf8WellFormedPart(back) == FuzzUtf8WellFormedPart(bytes),
                "the well-formed characters of UTF-8 make the round trip unchanged");
  }

  std::u16string units(bytes.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(&units[0], bytes.data(), units.size() * sizeof(char16_t));
  const std::string utf8 = StudioUnicodeText::Utf8FromUtf16(units);
  FuzzRequire(FuzzIsUtf8(utf8), "UTF-8 from arbitrary UTF-16 is well formed");
  FuzzRequire(StudioUnicodeText::Utf16FromUtf8(utf8) == FuzzUtf16Mended(units),
              "UTF-16 makes the round trip with its lone surrogates replaced");
  return 0;
}
