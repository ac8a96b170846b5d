#include "kit/QVString.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kit/QVTextEncoding_p.h"
#include "kit/platform/QVSystem_p.h"

namespace {

// Formats into a fresh string; false on a null format or a formatting error.
bool FormatV(std::string& out, const char* format, va_list args) {
  if (!format) return false;
  va_list measure;
  va_copy(measure, args);
  int n = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (n < 0) return false;
  out.assign(static_cast<size_t>(n) + 1, '\0');
  va_list again;
  va_copy(again, args);
  int written = vsnprintf(&out[0], out.size(), format, again);
  va_end(again);
  if (written != n) return false;
  out.resize(static_cast<size_t>(n));
  return true;
}

unsigned char UpperClassic(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlpha(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

template <class Pred>
bool AllBytes(const std::string& s, Pred pred) {
  return std::all_of(s.begin(), s.end(),
                     [&](char c) { return pred(static_cast<unsigned char>(c)); });
}

bool InSet(const char* set, char c) { return c != '\0' && std::strchr(set, c) != nullptr; }

size_t UniCount(const uint16_t* uni, uint32_t count) {
  return count == kQVStringNotFound ? QVUniStringLength(uni) : count;
}

size_t TextCount(const char* text, uint32_t length) {
  return length == kQVStringNotFound ? std::strlen(text) : length;
}

char NativeByteOfUnit(uint16_t unit) {
  int b = QVTextUnicodeToNative(unit);
  return b < 0 ? kQVTextLossByte : static_cast<char>(b);
}

uint16_t UnitOfNativeByte(char c) { return QVTextNativeToUnicode(static_cast<uint8_t>(c)); }

}  // namespace

// ---------------------------------------------------------------- QVString

QVString::QVString(const char* text) {
  if (text) mStr = text;
}

QVString::QVString(const char* text, uint32_t n) { Assign(text, n); }

QVString& QVString::operator=(const QVString& other) {
  Assign(other);
  return *this;
}

QVString& QVString::operator=(const char* text) {
  Assign(text);
  return *this;
}

void QVString::Free() { std::string().swap(mStr); }

void QVString::Assign(const char* text) {
  if (text) {
    mStr.assign(text);
  } else {
    mStr.clear();
  }
}

void QVString::Assign(const char* text, uint32_t n) {
  if (text && n) {
    mStr.assign(text, n);
  } else {
    mStr.clear();
  }
}

void QVString::Assign(const QVString& other) {
  if (&other != this) mStr = other.mStr;
}

void QVString::Append(const char* text) {
  if (text) mStr.append(text);
}

void QVString::Append(const char* text, uint32_t n) {
  if (text && n) mStr.append(text, n);
}

void QVString::Append(const QVString& other) {
  // std::string::append copes with other being this string.
  mStr.append(other.mStr);
}

void QVString::Assignf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Assignv(format, args);
  va_end(args);
}

void QVString::Assignv(const char* format, va_list args) {
  // Formatted aside first: the arguments may point into this string.
  std::string text;
  if (FormatV(text, format, args) && !text.empty()) {
    mStr.swap(text);
  } else {
    mStr.clear();
  }
}

void QVString::Appendf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Appendv(format, args);
  va_end(args);
}

void QVString::Appendv(const char* format, va_list args) {
  std::string text;
  if (FormatV(text, format, args)) mStr.append(text);
}

bool QVString::Find(const QVString& sub, uint32_t start, uint32_t* pos) const {
  size_t at = mStr.find(sub.mStr, start);
  bool found = at != std::string::npos;
  if (pos) *pos = found ? static_cast<uint32_t>(at) : kQVStringNotFound;
  return found;
}

bool QVString::FindFromEnd(const QVString& sub, uint32_t offsetFromEnd, uint32_t* pos) const {
  size_t at = std::string::npos;
  if (offsetFromEnd <= Length()) at = mStr.rfind(sub.mStr, Length() - offsetFromEnd);
  bool found = at != std::string::npos;
  if (pos) *pos = found ? static_cast<uint32_t>(at) : kQVStringNotFound;
  return found;
}

bool QVString::Contains(const QVString& sub, bool caseSensitive) const {
  if (&sub == this) return true;
  if (mStr.empty()) return false;
  if (caseSensitive) return mStr.find(sub.mStr) != std::string::npos;
  auto it =
      std::search(mStr.begin(), mStr.end(), sub.mStr.begin(), sub.mStr.end(), [](char a, char b) {
        return UpperClassic(static_cast<unsigned char>(a)) ==
               UpperClassic(static_cast<unsigned char>(b));
      });
  return it != mStr.end();
}

bool QVString::IsEqual(const QVString& other, bool caseSensitive) const {
  if (&other == this) return true;
  if (caseSensitive) return mStr == other.mStr;
  return strcasecmp(mStr.c_str(), other.mStr.c_str()) == 0;
}

int32_t QVString::Compare(const QVString& other, bool caseSensitive) const {
  if (&other == this) return 0;
  if (!caseSensitive) return strcasecmp(mStr.c_str(), other.mStr.c_str());
  size_t common = std::min(mStr.size(), other.mStr.size());
  if (common) {
    int r = std::memcmp(mStr.data(), other.mStr.data(), common);
    if (r != 0) return r;
  }
  // A prefix orders by the length difference, clamped so that strings of
  // more than 2 GB keep the sign.
  int64_t difference = static_cast<int64_t>(mStr.size()) - static_cast<int64_t>(other.mStr.size());
  return static_cast<int32_t>(std::clamp<int64_t>(difference, INT32_MIN, INT32_MAX));
}

QVString QVString::SubString(uint32_t begin, uint32_t end) const {
  if (begin >= Length() || begin >= end) return QVString();
  return QVString(mStr.substr(begin, std::min(end, Length()) - begin));
}

QVString QVString::BeforeFirst(const QVString& sep) const {
  size_t at = mStr.find(sep.mStr);
  return at == std::string::npos ? QVString() : QVString(mStr.substr(0, at));
}

QVString QVString::AfterFirst(const QVString& sep) const {
  size_t at = mStr.find(sep.mStr);
  return at == std::string::npos ? QVString() : QVString(mStr.substr(at + sep.mStr.size()));
}

QVString QVString::BeforeLast(const QVString& sep) const {
  size_t at = mStr.rfind(sep.mStr);
  return at == std::string::npos ? QVString() : QVString(mStr.substr(0, at));
}

QVString QVString::AfterLast(const QVString& sep) const {
  size_t at = mStr.rfind(sep.mStr);
  return at == std::string::npos ? QVString() : QVString(mStr.substr(at + sep.mStr.size()));
}

bool QVString::StartsWith(const QVString& prefix, QVString* rest) const {
  bool ok =
      prefix.mStr.size() <= mStr.size() && mStr.compare(0, prefix.mStr.size(), prefix.mStr) == 0;
  if (rest) {
    // rest may be this string or the prefix itself: compute before storing.
    std::string r = ok ? mStr.substr(prefix.mStr.size()) : std::string();
    rest->mStr.swap(r);
  }
  return ok;
}

bool QVString::EndsWith(const QVString& suffix, QVString* rest) const {
  bool ok = suffix.mStr.size() <= mStr.size() &&
            mStr.compare(mStr.size() - suffix.mStr.size(), suffix.mStr.size(), suffix.mStr) == 0;
  if (rest) {
    std::string r = ok ? mStr.substr(0, mStr.size() - suffix.mStr.size()) : std::string();
    rest->mStr.swap(r);
  }
  return ok;
}

uint32_t QVString::ReplaceAll(const QVString& from, const QVString& to) {
  if (from.mStr.empty() || from.mStr == to.mStr) return 0;
  // Copies: from or to may be this string.
  const std::string f = from.mStr;
  const std::string t = to.mStr;
  std::string out;
  uint32_t count = 0;
  size_t p = 0;
  for (size_t at; (at = mStr.find(f, p)) != std::string::npos; p = at + f.size()) {
    out.append(mStr, p, at - p);
    out.append(t);
    count++;
  }
  if (count) {
    out.append(mStr, p, std::string::npos);
    mStr.swap(out);
  }
  return count;
}

uint32_t QVString::RemoveAll(const QVString& x) { return ReplaceAll(x, kQVNullString); }

void QVString::ToLowerCase() {
  for (char& c : mStr) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void QVString::ToUpperCase() {
  for (char& c : mStr) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void QVString::NormalizeCase() {
  ToLowerCase();
  if (!mStr.empty()) mStr[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(mStr[0])));
}

void QVString::Shrink() {
  size_t nul = mStr.find('\0');
  if (nul != std::string::npos) mStr.resize(nul);
}

void QVString::Reverse() {
  Shrink();
  std::reverse(mStr.begin(), mStr.end());
}

bool QVString::IsDigit() const { return AllBytes(mStr, IsAsciiDigit); }

bool QVString::IsAlpha() const { return AllBytes(mStr, IsAsciiAlpha); }

bool QVString::IsAlphaNum() const {
  return AllBytes(mStr, [](unsigned char c) { return IsAsciiDigit(c) || IsAsciiAlpha(c); });
}

QVStringArray QVString::SplitToArray(const char* separators, const char* ignored) const {
  if (!separators) separators = ",;";
  if (!ignored) ignored = " \t\n\r";
  QVStringArray tokens;
  if (mStr.empty()) return tokens;
  size_t p = 0;
  for (;;) {
    size_t sep = p;
    while (sep < mStr.size() && !InSet(separators, mStr[sep])) sep++;
    size_t b = p;
    size_t e = sep;
    while (b < e && InSet(ignored, mStr[b])) b++;
    while (e > b && InSet(ignored, mStr[e - 1])) e--;
    tokens.Append(QVString(mStr.substr(b, e - b)));
    if (sep >= mStr.size()) break;
    p = sep + 1;
  }
  return tokens;
}

void QVString::BuildFromArray(const QVStringArray& array, const QVString& separator) {
  // Built aside: separator or an element may be this string.
  std::string out;
  for (const QVString& item : array) {
    if (!out.empty()) out.append(separator.mStr);
    out.append(item.mStr);
  }
  mStr.swap(out);
}

void QVString::ChangeEncoding(QVStringEncoding from, QVStringEncoding to) {
  from = QVTextEncodingNormalize(from);
  to = QVTextEncodingNormalize(to);
  if (mStr.empty() || from == to) return;
  // The two conversions of every stored text go without code points (ASCII,
  // the same text in all three encodings, is left as it is).
  if (from == kQVStringEncodingNative && to == kQVStringEncodingUTF8) {
    const size_t length = QVTextNativeToUTF8Length(mStr.data(), mStr.size());
    if (length == mStr.size()) return;
    std::string utf8(length, '\0');
    QVTextNativeToUTF8(mStr.data(), mStr.size(), &utf8[0]);
    mStr.swap(utf8);
    return;
  }
  if (from == kQVStringEncodingUTF8 && to == kQVStringEncodingNative) {
    size_t n = mStr.size();
    if (QVTextUTF8ToNativeInPlace(&mStr[0], n)) {
      mStr.resize(n);
    } else {
      mStr.clear();
    }
    return;
  }
  if (AllBytes(mStr, [](unsigned char c) { return c < 0x80; })) return;
  std::u32string text;
  bool decoded = QVTextDecode(from, mStr.data(), mStr.size(), text);
  mStr.clear();
  if (decoded) QVTextEncode(to, text, mStr);
}

QVString QVString::ConvertWithEncoding(QVStringEncoding from, QVStringEncoding to) const {
  QVString copy(*this);
  copy.ChangeEncoding(from, to);
  return copy;
}

bool operator==(const QVString& a, const QVString& b) { return a.Std() == b.Std(); }
bool operator!=(const QVString& a, const QVString& b) { return a.Std() != b.Std(); }
bool operator<(const QVString& a, const QVString& b) { return a.Compare(b) < 0; }
bool operator<=(const QVString& a, const QVString& b) { return a.Compare(b) <= 0; }
bool operator>(const QVString& a, const QVString& b) { return a.Compare(b) > 0; }
bool operator>=(const QVString& a, const QVString& b) { return a.Compare(b) >= 0; }

QVString operator+(const QVString& a, const QVString& b) { return QVString(a.Std() + b.Std()); }

// ---------------------------------------------------------------- UTF-16

uint32_t QVUniStringLength(const uint16_t* uni) {
  if (!uni) return 0;
  uint32_t n = 0;
  while (uni[n]) n++;
  return n;
}

char* QVNewAsciiStringFromUniString(const uint16_t* uni, uint32_t count) {
  if (!uni) return nullptr;
  size_t n = UniCount(uni, count);
  char* out = static_cast<char*>(std::malloc(n + 1));
  if (!out) return nullptr;
  for (size_t i = 0; i < n; i++) out[i] = NativeByteOfUnit(uni[i]);
  out[n] = '\0';
  return out;
}

uint16_t* QVNewUniStringFromAsciiString(const char* text, uint32_t length) {
  if (!text) return nullptr;
  size_t n = TextCount(text, length);
  uint16_t* out = static_cast<uint16_t*>(std::malloc((n + 1) * sizeof(uint16_t)));
  if (!out) return nullptr;
  for (size_t i = 0; i < n; i++) out[i] = UnitOfNativeByte(text[i]);
  out[n] = 0;
  return out;
}

char* QVAsciiStringFromUniString(char* dst, uint32_t dstSize, const uint16_t* uni, uint32_t count) {
  if (!dst || dstSize == 0) return dst;
  size_t n = uni ? std::min<size_t>(UniCount(uni, count), dstSize - 1) : 0;
  for (size_t i = 0; i < n; i++) dst[i] = NativeByteOfUnit(uni[i]);
  dst[n] = '\0';
  return dst;
}

QVString QVAsciiStringFromUniString(const QVUniChars& uni) {
  QVString out;
  out.SetLength(uni.Length());
  for (uint32_t i = 0; i < uni.Length(); i++) out[i] = NativeByteOfUnit(uni[i]);
  return out;
}

uint16_t* QVUniStringFromAsciiString(uint16_t* dst, uint32_t dstSize, const char* text,
                                     uint32_t length) {
  if (!dst || dstSize == 0) return dst;
  size_t n = text ? std::min<size_t>(TextCount(text, length), dstSize - 1) : 0;
  for (size_t i = 0; i < n; i++) dst[i] = UnitOfNativeByte(text[i]);
  dst[n] = 0;
  return dst;
}

QVUniChars QVUniStringFromAsciiString(const QVString& text) {
  QVUniChars out;
  out.SetLength(text.Length());
  for (uint32_t i = 0; i < text.Length(); i++) out[i] = UnitOfNativeByte(text[i]);
  return out;
}

// ---------------------------------------------------------------- Suffix numbers

namespace {

// At most this many trailing digits make the number, so that it fits 32 bits.
constexpr uint32_t kSuffixMaxDigits = 8;

}  // namespace

bool QVStringSuffixNumberFind(const QVString& str, uint32_t* value, uint32_t* digits) {
  uint32_t n = 0;
  uint32_t len = str.Length();
  while (n < kSuffixMaxDigits && n < len &&
         IsAsciiDigit(static_cast<unsigned char>(str[len - 1 - n]))) {
    n++;
  }
  uint32_t v = 0;
  for (uint32_t i = len - n; i < len; i++) v = v * 10 + static_cast<uint32_t>(str[i] - '0');
  if (value) *value = v;
  if (digits) *digits = n;
  return n > 0;
}

namespace {

// Replaces the digits counted by QVStringSuffixNumberFind with value, zero-
// padded to their old count (none for 0). All eight digits of the longest
// suffix keep their width too, so that a name never loses a leading zero
// ("n00000001" becomes "n00000002", not "n0000002").
void ReplaceSuffix(QVString* str, uint32_t digits, uint32_t value) {
  str->SetLength(str->Length() - digits);
  str->Appendf("%0*lu", static_cast<int>(digits), static_cast<unsigned long>(value));
}

}  // namespace

bool QVStringSuffixNumberReplace(QVString* str, uint32_t value, bool force) {
  if (!str) return false;
  uint32_t digits = 0;
  if (!QVStringSuffixNumberFind(*str, nullptr, &digits) && !force) return false;
  ReplaceSuffix(str, digits, value);
  return true;
}

bool QVStringSuffixNumberAdd(QVString* str, int32_t increment, uint32_t startValue, bool force) {
  if (!str) return false;
  uint32_t old = 0;
  uint32_t digits = 0;
  if (!QVStringSuffixNumberFind(*str, &old, &digits)) {
    if (!force) return false;
    old = startValue;
  }
  int64_t next = static_cast<int64_t>(old) + increment;
  next = std::max<int64_t>(0, std::min<int64_t>(next, UINT32_MAX));
  ReplaceSuffix(str, digits, static_cast<uint32_t>(next));
  return true;
}

// ---------------------------------------------------------------- UUID

QVString QVStringGenerateUUID() {
  return QVString(QVSystem::GenerateUUID());
}

// Defined once, in the shared kits, so that every module of the process (the
// hosts, the plug-in) refers to the same object; constructed before the
// kits' other statics (init_priority), which may use it.
__attribute__((init_priority(101))) const QVString kQVNullString;
__attribute__((init_priority(101))) const QVStringArray kQVNullStringArray;
