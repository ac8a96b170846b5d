// Unicode checks for fuzz targets, written apart from the converters they
// check: well-formed UTF-8 and UTF-16, and the characters of UTF-8 bytes
// with the ill-formed bytes left out.
#ifndef FUZZ_UNICODE_H
#define FUZZ_UNICODE_H

#include <cstddef>
#include <cstdint>
#include <string>

// The length of the well-formed UTF-8 character at text[at] (1 to 4), or 0
// when none starts there (Unicode's table of well-formed byte sequences).
inline size_t FuzzUtf8CharLength(const std::string& text, size_t at) {
  auto byte = [&](size_t i) -> int {
    return at + i < text.size() ? static_cast<uint8_t>(text[at + i]) : -1;
  };
  auto in = [](int b, int low, int high) { return b >= low && b <= high; };
  const int lead = byte(0);
  if (in(lead, 0x00, 0x7F)) return 1;
  if (in(lead, 0xC2, 0xDF)) return in(byte(1), 0x80, 0xBF) ? 2 : 0;
  int low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (in(lead, 0xE0, 0xEF)) {
    return in(byte(1), low, high) && in(byte(2), 0x80, 0xBF) ? 3 : 0;
  }
  if (in(lead, 0xF0, 0xF4)) {
    return in(byte(1), low, high) && in(byte(2), 0x80, 0xBF) && in(byte(3), 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

inline bool FuzzIsUtf8(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = FuzzUtf8CharLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

// The well-formed characters of text in order, each byte that starts none
// left out, and U+FFFD left out too (so that a text's own replacement
// characters and those standing for ill-formed parts compare alike).
inline std::string FuzzUtf8WellFormedPart(const std::string& text) {
  std::string kept;
  for (size_t at = 0; at < text.size();) {
    const size_t length = FuzzUtf8CharLength(text, at);
    if (length == 0) {
      ++at;
      continue;
    }
    if (text.compare(at, length, "\xEF\xBF\xBD") != 0) kept.append(text, at, length);
    at += length;
  }
  return kept;
}

inline bool FuzzIsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool FuzzIsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// text with every surrogate that is not half of a pair replaced by U+FFFD.
inline std::u16string FuzzUtf16Mended(std::u16string text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (FuzzIsHighSurrogate(text[i]) && i + 1 < text.size() && FuzzIsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (FuzzIsHighSurrogate(text[i]) || FuzzIsLowSurrogate(text[i])) {
      text[i] = 0xFFFD;
    }
  }
  return text;
}

inline bool FuzzIsUtf16(const std::u16string& text) { return FuzzUtf16Mended(text) == text; }

#endif
