// Text between the plug-in's UTF-16 code units and the desktop's UTF-8.
//
// Neither side is trusted to be well formed: a lone surrogate in UTF-16,
// and in UTF-8 a stray continuation byte, a cut-off sequence, an overlong
// form, an encoded surrogate or a value past U+10FFFF, each become one
// U+FFFD REPLACEMENT CHARACTER (for UTF-8, one for each maximal ill-formed
// part, as the Unicode standard recommends). Nothing is dropped silently
// and nothing that is well formed changes.
#ifndef STUDIO_UNICODE_TEXT_H
#define STUDIO_UNICODE_TEXT_H

#include <string>

class StudioUnicodeText {
 public:
  static std::string Utf8FromUtf16(const std::u16string& text);
  static std::u16string Utf16FromUtf8(const std::string& text);
};

#endif
