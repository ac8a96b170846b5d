#include <algorithm>
#include <array>
#include <cstring>

#include "kit/QVTextEncoding_p.h"

// The kit decodes and encodes its 8-bit encodings with tables of its own
// rather than through iconv:
// - glibc's MACINTOSH table is not Mac OS Roman as stored files hold it: it
//   maps 0xF0 to U+E01E, a code point inside the symbol font's private range
//   (so a native 0xF0 would come back as a symbol), where Mac OS Roman has
//   U+F8FF, and 0xC6 to U+0394 (Greek capital delta) instead of U+2206
//   (increment);
// - a one-step UTF-8 to MACINTOSH conversion slows to seconds per megabyte
//   when many characters cannot be represented, whereas the lookups below
//   cost the same for every character;
// - code page 1252's five undefined bytes must survive a round trip, which
//   iconv's CP1252 refuses.
namespace {

// Upper halves (bytes 0x80 to 0xFF); the lower halves are ASCII.
// Apple's Mac OS Roman table, with the euro sign at 0xDB, the Apple logo at
// 0xF0 (U+F8FF) and the increment sign at 0xC6 (U+2206).
constexpr uint16_t kMacRomanUpper[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 0x80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 0x88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 0x90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 0x98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // 0xA8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // 0xB0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // 0xB8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // 0xC8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // 0xE0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // 0xE8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // 0xF0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // 0xF8
};

// Code page 1252. Its undefined bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to
// the C1 controls of the same value, as Windows itself decodes them; from
// 0xA0 on the page equals Latin-1.
constexpr uint16_t kWinLatin1Upper[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // 0xA8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // 0xB8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // 0xC0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // 0xC8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // 0xD0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // 0xD8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // 0xE0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // 0xE8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // 0xF0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // 0xF8
};

// Reverse lookup of one upper half: its 128 characters sorted, each with its
// byte, searched by bisection.
class ReverseTable {
 public:
  explicit ReverseTable(const uint16_t (&upper)[128]) {
    for (uint32_t i = 0; i < 128; i++) {
      mEntries[i] = Entry{upper[i], static_cast<uint8_t>(0x80 + i)};
    }
    std::sort(mEntries.begin(), mEntries.end(),
              [](const Entry& a, const Entry& b) { return a.code < b.code; });
  }

  // The byte of codePoint, or -1.
  int Find(uint32_t codePoint) const {
    if (codePoint < 0x80) return static_cast<int>(codePoint);
    if (codePoint > 0xFFFF) return -1;
    auto it = std::lower_bound(mEntries.begin(), mEntries.end(), codePoint,
                               [](const Entry& e, uint32_t code) { return e.code < code; });
    if (it == mEntries.end() || it->code != codePoint) return -1;
    return it->byte;
  }

 private:
  struct Entry {
    uint16_t code;
    uint8_t byte;
  };
  std::array<Entry, 128> mEntries{};
};

const ReverseTable& MacRomanReverse() {
  static const ReverseTable table(kMacRomanUpper);
  return table;
}

const ReverseTable& WinLatin1Reverse() {
  static const ReverseTable table(kWinLatin1Upper);
  return table;
}

void DecodeTable(const uint16_t (&upper)[128], const char* bytes, size_t n, std::u32string& out) {
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; i++) {
    uint8_t b = static_cast<uint8_t>(bytes[i]);
    out.push_back(b < 0x80 ? b : upper[b - 0x80]);
  }
}

void EncodeTable(const ReverseTable& table, const std::u32string& text, std::string& out) {
  out.reserve(out.size() + text.size());
  for (char32_t c : text) {
    int b = table.Find(c);
    out.push_back(b < 0 ? kQVTextLossByte : static_cast<char>(b));
  }
}

// Texts are taken a word of eight bytes at a time: kit texts are mostly
// ASCII, and one test of a word finds the bytes that are not. Byte k of a
// word is its bits 8k to 8k + 7 (this machine is little-endian).
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "words hold their bytes in order");

constexpr uint64_t kHighBits = 0x8080808080808080u;

// The n bytes at p (0 < n < 8) as the low bytes of a word, the others 0,
// without touching a byte past them: two loads that overlap.
uint64_t LoadShort(const uint8_t* p, size_t n) {
  if (n >= 4) {
    uint32_t lo;
    uint32_t hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + n - 4, 4);
    return lo | static_cast<uint64_t>(hi) << (8 * (n - 4));
  }
  uint64_t word = p[0];
  if (n >= 2) {
    uint16_t hi;
    std::memcpy(&hi, p + n - 2, 2);
    word |= static_cast<uint64_t>(hi) << (8 * (n - 2));
  }
  return word;
}

// Up to eight bytes from p on (n of them left) as a word; avail receives
// how many it holds.
uint64_t LoadWord(const uint8_t* p, size_t n, size_t& avail) {
  if (n >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    avail = 8;
    return word;
  }
  avail = n;
  return LoadShort(p, n);
}

// Stores the low k bytes of word at out (k <= 8) and nothing past them.
// Every byte stored comes from the word, so out may trail the place the
// word was loaded from in the same bytes.
void StoreShort(uint8_t* out, uint64_t word, size_t k) {
  if (k >= 4) {
    const uint32_t lo = static_cast<uint32_t>(word);
    const uint32_t hi = static_cast<uint32_t>(word >> (8 * (k - 4)));
    std::memcpy(out, &lo, 4);
    std::memcpy(out + k - 4, &hi, 4);
  } else if (k >= 2) {
    const uint16_t lo = static_cast<uint16_t>(word);
    const uint16_t hi = static_cast<uint16_t>(word >> (8 * (k - 2)));
    std::memcpy(out, &lo, 2);
    std::memcpy(out + k - 2, &hi, 2);
  } else if (k == 1) {
    out[0] = static_cast<uint8_t>(word);
  }
}

// How many of a word's avail bytes come before the first that is not ASCII
// (avail when all are).
size_t AsciiPrefix(uint64_t word, size_t avail) {
  const uint64_t high = word & kHighBits;
  return high ? static_cast<size_t>(__builtin_ctzll(high)) / 8 : avail;
}

// Copies the ASCII bytes from in + i up to the next upper byte or the end,
// eight at most, to out + o and moves i and o past them. True when an upper
// byte follows at in + i.
bool CopyAscii(const uint8_t* in, size_t n, size_t& i, uint8_t* out, size_t& o) {
  size_t avail = 0;
  const uint64_t word = LoadWord(in + i, n - i, avail);
  if (avail == 8 && (word & kHighBits) == 0) {
    // A whole word of ASCII, the usual, in one store.
    std::memcpy(out + o, &word, 8);
    i += 8;
    o += 8;
    return false;
  }
  const size_t k = AsciiPrefix(word, avail);
  StoreShort(out + o, word, k);
  i += k;
  o += k;
  return k != avail;
}

bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The character that starts a run of n UTF-8 bytes (n > 0, the first byte not
// ASCII): the number of bytes it takes, or 0 when it is not valid (truncated,
// overlong, a surrogate or above U+10FFFF).
size_t DecodeOneUTF8(const uint8_t* p, size_t n, uint32_t& code) {
  uint8_t b = p[0];
  size_t extra;
  uint32_t minimum;  // smallest code point that needs this many bytes
  if ((b & 0xE0) == 0xC0) {
    extra = 1;
    code = b & 0x1F;
    minimum = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    extra = 2;
    code = b & 0x0F;
    minimum = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    extra = 3;
    code = b & 0x07;
    minimum = 0x10000;
  } else {
    return 0;  // a continuation byte without a lead byte, or 0xF8..0xFF
  }
  if (n - 1 < extra) return 0;
  for (size_t k = 1; k <= extra; k++) {
    if (!IsContinuation(p[k])) return 0;
    code = (code << 6) | (p[k] & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return extra + 1;
}

bool DecodeUTF8(const char* bytes, size_t n, std::u32string& out) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes);
  out.reserve(out.size() + n);
  size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      out.push_back(p[i]);
      i++;
      continue;
    }
    uint32_t code = 0;
    size_t used = DecodeOneUTF8(p + i, n - i, code);
    if (used == 0) return false;
    out.push_back(code);
    i += used;
  }
  return true;
}

// The UTF-8 bytes of each upper native byte (2 or 3: every character of
// the table lies in the Basic Multilingual Plane, none is a surrogate).
struct UTF8Form {
  uint8_t length;
  char bytes[3];
};

constexpr std::array<UTF8Form, 128> MakeNativeUTF8() {
  std::array<UTF8Form, 128> forms{};
  for (size_t i = 0; i < 128; i++) {
    uint32_t c = kMacRomanUpper[i];
    UTF8Form& f = forms[i];
    if (c < 0x800) {
      f = UTF8Form{2,
                   {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0}};
    } else {
      f = UTF8Form{3,
                   {static_cast<char>(0xE0 | (c >> 12)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))}};
    }
  }
  return forms;
}

// Built at compile time: no guard to test on every conversion.
constexpr std::array<UTF8Form, 128> kNativeUTF8 = MakeNativeUTF8();

// Native bytes of the characters below U+0800 (most of the upper half), 0
// for none; the others are looked up in the reverse table.
constexpr uint32_t kDirectNativeLimit = 0x800;

constexpr std::array<uint8_t, kDirectNativeLimit> MakeDirectNative() {
  std::array<uint8_t, kDirectNativeLimit> bytes{};
  for (uint32_t i = 0; i < 128; i++) {
    if (kMacRomanUpper[i] < kDirectNativeLimit) {
      bytes[kMacRomanUpper[i]] = static_cast<uint8_t>(0x80 + i);
    }
  }
  return bytes;
}

constexpr std::array<uint8_t, kDirectNativeLimit> kDirectNative = MakeDirectNative();

int NativeByteOf(uint32_t code) {
  if (code < 0x80) return static_cast<int>(code);
  if (code < kDirectNativeLimit) return kDirectNative[code] ? kDirectNative[code] : -1;
  return MacRomanReverse().Find(code);
}

void EncodeUTF8(const std::u32string& text, std::string& out) {
  out.reserve(out.size() + text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      out.push_back(kQVTextLossByte);  // not a character
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

}  // namespace

QVStringEncoding QVTextEncodingNormalize(QVStringEncoding encoding) {
  switch (encoding) {
    case kQVStringEncodingLatin1:
    case kQVStringEncodingUTF8:
      return encoding;
    default:
      return kQVStringEncodingNative;
  }
}

uint16_t QVTextNativeToUnicode(uint8_t byte) {
  return byte < 0x80 ? byte : kMacRomanUpper[byte - 0x80];
}

int QVTextUnicodeToNative(uint32_t codePoint) { return NativeByteOf(codePoint); }

size_t QVTextNativeToUTF8Length(const char* bytes, size_t n) {
  const std::array<UTF8Form, 128>& forms = kNativeUTF8;
  const uint8_t* in = reinterpret_cast<const uint8_t*>(bytes);
  // Every byte takes at least one; the upper ones add what their form has
  // beyond it.
  size_t length = n;
  for (size_t i = 0; i < n;) {
    size_t avail = 0;
    uint64_t high = LoadWord(in + i, n - i, avail) & kHighBits;
    for (; high; high &= high - 1) {
      length += forms[in[i + static_cast<size_t>(__builtin_ctzll(high)) / 8] - 0x80].length - 1u;
    }
    i += avail;
  }
  return length;
}

size_t QVTextNativeToUTF8(const char* bytes, size_t n, char* out) {
  const std::array<UTF8Form, 128>& forms = kNativeUTF8;
  const uint8_t* in = reinterpret_cast<const uint8_t*>(bytes);
  uint8_t* to = reinterpret_cast<uint8_t*>(out);
  size_t i = 0;
  size_t o = 0;
  while (i < n) {
    // The ASCII bytes before the next upper one move as they are.
    if (!CopyAscii(in, n, i, to, o)) continue;
    const UTF8Form f = forms[in[i++] - 0x80];
    out[o] = f.bytes[0];
    out[o + 1] = f.bytes[1];
    if (f.length == 3) out[o + 2] = f.bytes[2];
    o += f.length;
  }
  return o;
}

bool QVTextUTF8ToNative(const char* bytes, size_t n, char* out, size_t& length) {
  const uint8_t* in = reinterpret_cast<const uint8_t*>(bytes);
  uint8_t* to = reinterpret_cast<uint8_t*>(out);
  size_t i = 0;
  size_t o = 0;
  while (i < n) {
    // The ASCII bytes before the next upper one move as they are. In place
    // the output trails the input (o <= i): the bytes stored lie before
    // in + i once i has moved past them.
    if (!CopyAscii(in, n, i, to, o)) continue;
    // Two bytes from U+0080 to U+07FF (most native letters) are read here;
    // a lead byte of 0xC2 or more is never overlong.
    const uint8_t lead = in[i];
    if (lead >= 0xC2 && lead < 0xE0 && n - i >= 2 && IsContinuation(in[i + 1])) {
      const uint32_t code = (lead & 0x1Fu) << 6 | (in[i + 1] & 0x3Fu);
      const uint8_t b = kDirectNative[code];
      out[o++] = b ? static_cast<char>(b) : kQVTextLossByte;
      i += 2;
      continue;
    }
    uint32_t code = 0;
    const size_t used = DecodeOneUTF8(in + i, n - i, code);
    if (used == 0) return false;
    const int b = NativeByteOf(code);
    out[o++] = b < 0 ? kQVTextLossByte : static_cast<char>(b);
    i += used;
  }
  length = o;
  return true;
}

bool QVTextUTF8ToNativeInPlace(char* bytes, size_t& n) {
  // Every character takes at least one byte in and gives one byte out, so
  // the output never overtakes the input.
  return QVTextUTF8ToNative(bytes, n, bytes, n);
}

bool QVTextDecode(QVStringEncoding encoding, const char* bytes, size_t n, std::u32string& out) {
  if (n == 0) return true;
  switch (QVTextEncodingNormalize(encoding)) {
    case kQVStringEncodingUTF8:
      return DecodeUTF8(bytes, n, out);
    case kQVStringEncodingLatin1:
      DecodeTable(kWinLatin1Upper, bytes, n, out);
      return true;
    default:
      DecodeTable(kMacRomanUpper, bytes, n, out);
      return true;
  }
}

void QVTextEncode(QVStringEncoding encoding, const std::u32string& text, std::string& out) {
  switch (QVTextEncodingNormalize(encoding)) {
    case kQVStringEncodingUTF8:
      EncodeUTF8(text, out);
      break;
    case kQVStringEncodingLatin1:
      EncodeTable(WinLatin1Reverse(), text, out);
      break;
    default:
      EncodeTable(MacRomanReverse(), text, out);
      break;
  }
}
