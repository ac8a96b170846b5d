// QVString: the kit's 8-bit string, a value type over one std::string.
//
// The bytes are in the kit's native 8-bit encoding, Mac OS Roman, on every
// platform: one byte is one character, and conversions to and from UTF-16 are
// one unit per byte. Text leaving the kit for the operating system (file
// system paths, for instance) is UTF-8: convert it with
// ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8) and back
// with ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative).
// Files hold UTF-8 (see WriteToFile).
//
// Positions and lengths are byte counts (uint32_t); kQVStringNotFound is the
// position meaning none. Comparisons are case-sensitive byte comparisons
// unless a caseSensitive flag says otherwise.
//
// Text forms of numbers, colours, points, rectangles, times and sizes
// (strSetas... / strGetas...) are declared in kit/QVStringForms.h.
#ifndef QV_STRING_H
#define QV_STRING_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "kit/ATArray.h"

#if defined(__GNUC__)
#define QV_STRING_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define QV_STRING_PRINTF(fmt, args)
#endif

class QVFile;
class QVString;

// Array of strings; Insert (index, string, count), Remove (index, count) and
// Prepend (array) come from ATArray.
using QVStringArray = ATArray<QVString>;

// UTF-16 code units without terminator.
using QVUniChars = ATNumberArray<uint16_t>;

// The position meaning "none" (also "up to the terminator" for counts).
inline constexpr uint32_t kQVStringNotFound = 0xFFFFFFFFu;

// 8-bit encodings. Values are stored; 1 and any other unknown value are
// treated as kQVStringEncodingNative.
enum QVStringEncoding : int32_t {
  kQVStringEncodingNative = 0,  // Mac OS Roman, the in-memory encoding
  kQVStringEncodingLatin1 = 2,  // Windows Latin-1 (code page 1252)
  kQVStringEncodingUTF8 = 3,
};

class QVString {
 public:
  QVString() = default;
  // A null text gives the empty string.
  QVString(const char* text);  // NOLINT: implicit by design
  // n bytes of text (which may contain NUL bytes); null text or n 0: empty.
  QVString(const char* text, uint32_t n);
  QVString(const std::string& text) : mStr(text) {}        // NOLINT: implicit by design
  QVString(std::string&& text) : mStr(std::move(text)) {}  // NOLINT: implicit by design
  QVString(const QVString&) = default;
  QVString(QVString&&) noexcept = default;
  QVString& operator=(const QVString& other);
  QVString& operator=(QVString&&) noexcept = default;
  // A null text empties the string.
  QVString& operator=(const char* text);

  // ---- Access
  uint32_t Length() const { return static_cast<uint32_t>(mStr.size()); }
  bool IsEmpty() const { return mStr.empty(); }
  // Never null; always NUL-terminated (the string may hold NUL bytes before).
  const char* c_str() const { return mStr.c_str(); }
  const std::string& Std() const { return mStr; }
  // Writable access to Length() bytes; never null. The terminator that
  // follows must not be overwritten.
  char* Data() { return &mStr[0]; }
  const char* Data() const { return mStr.data(); }
  // Unchecked, as for a C array.
  char& operator[](uint32_t i) { return mStr[i]; }
  char operator[](uint32_t i) const { return mStr[i]; }
  // Grows with NUL bytes or cuts to n bytes (for filling through Data()).
  void SetLength(uint32_t n) { mStr.resize(n); }

  // Makes the string empty, keeping its storage.
  void Clear() { mStr.clear(); }
  // Makes the string empty and releases its storage.
  void Free();

  // ---- Assignment and concatenation
  // A null text empties the string.
  void Assign(const char* text);
  // Copies n bytes; a null text or n 0 empties the string.
  void Assign(const char* text, uint32_t n);
  // Self-assignment is a no-op.
  void Assign(const QVString& other);
  // A null text or n 0 appends nothing.
  void Append(const char* text);
  void Append(const char* text, uint32_t n);
  void Append(const QVString& other);
  void AppendChar(char c) { mStr.push_back(c); }
  QVString& operator+=(const char* text) {
    Append(text);
    return *this;
  }
  QVString& operator+=(const QVString& other) {
    Append(other);
    return *this;
  }

  // Formats with printf rules. A non-empty result replaces the content;
  // a null format, a formatting error or an empty result empties the string.
  void Assignf(const char* format, ...) QV_STRING_PRINTF(2, 3);
  void Assignv(const char* format, va_list args);
  // As Assignf, but appends; an empty or failed result changes nothing.
  void Appendf(const char* format, ...) QV_STRING_PRINTF(2, 3);
  void Appendv(const char* format, va_list args);

  // ---- Search
  // First occurrence of sub at or after byte start. pos (may be null)
  // receives its index, or kQVStringNotFound.
  bool Find(const QVString& sub, uint32_t start = 0, uint32_t* pos = nullptr) const;
  // Last occurrence of sub starting at or before index Length() - offsetFromEnd;
  // false when offsetFromEnd > Length(). pos as for Find.
  bool FindFromEnd(const QVString& sub, uint32_t offsetFromEnd = 0, uint32_t* pos = nullptr) const;
  // True when sub occurs. A string always contains itself (same object); an
  // empty sub is found in any non-empty string. Case-insensitive matching
  // upper-cases ASCII letters only.
  bool Contains(const QVString& sub, bool caseSensitive = true) const;

  // ---- Comparison
  // Case-sensitive: bytes over the shorter length, then the longer string is
  // greater. Case-insensitive: strcasecmp of the texts (ASCII folding, stops at
  // the first NUL byte). Compare returns <0, 0 or >0: case-sensitive, the
  // memcmp result of the first differing bytes, or Length() - other.Length()
  // when one string starts with the other ("abc" against "abcdef" gives -3).
  bool IsEqual(const QVString& other, bool caseSensitive = true) const;
  int32_t Compare(const QVString& other, bool caseSensitive = true) const;

  // ---- Parts
  // Bytes [begin, end); empty when begin >= Length() or begin >= end; an end
  // beyond the string is clipped.
  QVString SubString(uint32_t begin, uint32_t end) const;
  // The part before / after the first / last occurrence of sep, separator
  // excluded; empty when sep does not occur.
  QVString BeforeFirst(const QVString& sep) const;
  QVString AfterFirst(const QVString& sep) const;
  QVString BeforeLast(const QVString& sep) const;
  QVString AfterLast(const QVString& sep) const;
  // rest (may be null, may be this string) receives the string without the
  // prefix / suffix on success, and is emptied on failure.
  bool StartsWith(const QVString& prefix, QVString* rest = nullptr) const;
  bool EndsWith(const QVString& suffix, QVString* rest = nullptr) const;

  // ---- Editing
  // Replaces every occurrence, left to right, resuming after the inserted
  // text (a replacement containing from does not loop). Returns the number of
  // replacements; 0 without change when from is empty or equals to.
  uint32_t ReplaceAll(const QVString& from, const QVString& to);
  uint32_t RemoveAll(const QVString& x);
  // ASCII letters only (the C locale's tolower / toupper).
  void ToLowerCase();
  void ToUpperCase();
  // Lower-cases everything, then upper-cases the first byte ("hELLO" -> "Hello").
  void NormalizeCase();
  // Cuts the string at its first NUL byte, if any.
  void Shrink();
  // Shrink, then reverses the byte order.
  void Reverse();

  // Every byte is an ASCII digit / ASCII letter / either. An empty string
  // answers true; bytes >= 0x80 answer false.
  bool IsDigit() const;
  bool IsAlpha() const;
  bool IsAlphaNum() const;

  // Splits at any byte of separators (null: ",;"), trimming each token of
  // leading and trailing bytes of ignored (null: " \t\n\r"; "" trims
  // nothing). Every token is kept, empty or not: "a, ,b" gives "a", "", "b";
  // "a;" gives "a", ""; the empty string gives no token.
  QVStringArray SplitToArray(const char* separators = nullptr, const char* ignored = nullptr) const;
  // Replaces the content by the elements joined with separator; a separator
  // is added only once the text built so far is non-empty, so leading empty
  // elements add none: ("", "a", "b") with "," gives "a,b".
  void BuildFromArray(const QVStringArray& array, const QVString& separator);

  // ---- Encodings
  // Converts the bytes from one encoding to another in place. Bytes that are
  // invalid in from (only UTF-8 can be invalid) leave the string empty;
  // characters that to cannot represent become "?". Nothing happens when the
  // string is empty or both encodings are the same.
  void ChangeEncoding(QVStringEncoding from, QVStringEncoding to);
  QVString ConvertWithEncoding(QVStringEncoding from, QVStringEncoding to) const;

  // ---- File forms (implemented with QVFile)
  // UTF-8 bytes after an unsigned 32-bit length in file order, padded with
  // 0 to 3 zero bytes to a multiple of 4. Returns 0 or the first file error.
  long WriteToFile(QVFile& file) const;
  // Reads the form above; on error the string is emptied and the error returned.
  long ReadFromFile(const QVFile& file);
  // Older form: big-endian length, Windows Latin-1 bytes, no padding.
  long ReadFromFile_OFF(const QVFile& file);

 private:
  std::string mStr;
};

// Case-sensitive byte order, as Compare.
bool operator==(const QVString& a, const QVString& b);
bool operator!=(const QVString& a, const QVString& b);
bool operator<(const QVString& a, const QVString& b);
bool operator<=(const QVString& a, const QVString& b);
bool operator>(const QVString& a, const QVString& b);
bool operator>=(const QVString& a, const QVString& b);
QVString operator+(const QVString& a, const QVString& b);

// Returned by reference where an operation has no result. One object each in
// the process (defined in the shared kits, so the hosts and the plug-in may
// compare addresses with them), ready before any other static of the kits
// and before any static of a program or plug-in that loads them.
extern const QVString kQVNullString;
extern const QVStringArray kQVNullStringArray;

namespace std {
template <>
struct hash<QVString> {
  size_t operator()(const QVString& s) const noexcept { return hash<string>()(s.Std()); }
};
}  // namespace std

// ---- UTF-16 strings
// Native bytes and UTF-16 units convert one to one; a unit that has no native
// byte becomes "?". Counts of kQVStringNotFound mean "up to the terminating 0"
// (for 8-bit text: strlen).

// Units before the first 0; a null pointer gives 0.
uint32_t QVUniStringLength(const uint16_t* uni);
// New NUL-terminated 8-bit string, released by the caller with free(); null
// uni gives null.
char* QVNewAsciiStringFromUniString(const uint16_t* uni, uint32_t count);
// New UTF-16 string of length + 1 units ending with 0, released with free();
// null text gives null.
uint16_t* QVNewUniStringFromAsciiString(const char* text, uint32_t length);
// Converts into dst, copying at most dstSize - 1 bytes, always terminated;
// dstSize 0 leaves dst untouched; null uni gives an empty dst. Returns dst.
char* QVAsciiStringFromUniString(char* dst, uint32_t dstSize, const uint16_t* uni, uint32_t count);
QVString QVAsciiStringFromUniString(const QVUniChars& uni);
// Same rules with dstSize counted in units. Returns dst.
uint16_t* QVUniStringFromAsciiString(uint16_t* dst, uint32_t dstSize, const char* text,
                                     uint32_t length);
QVUniChars QVUniStringFromAsciiString(const QVString& text);

// ---- Decimal numbers at the end of names ("Layer 7" -> "Layer 8")
// Reads the trailing decimal digits (at most the last 8). value and digits
// (may be null) receive the number and the digit count, 0 and 0 when none.
bool QVStringSuffixNumberFind(const QVString& str, uint32_t* value, uint32_t* digits);
// Replaces the suffix digits by value, keeping the old digit count as a
// minimum width ("Take007" with 12 -> "Take012"; a longer value grows).
// Without suffix digits: false and no change unless force, which appends.
bool QVStringSuffixNumberReplace(QVString* str, uint32_t value, bool force);
// As Replace with old value + increment, or startValue + increment when there
// is no suffix (only with force). A result below 0 is written as 0.
bool QVStringSuffixNumberAdd(QVString* str, int32_t increment, uint32_t startValue, bool force);

// A new random UUID, 36 upper-case characters (8-4-4-4-12 hex digits).
QVString QVStringGenerateUUID();

#endif
