#include "kit/QVStringForms.h"
#include "kit/QVStringForms_p.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Decimal separator test of strPrepareFloatScanf, made once per process.
bool sTestHasBeenDone = false;
bool sUseCommaSeparator = false;

// snprintf that writes nothing into a zero-sized buffer. Returns dst.
char* FormatInto(char* dst, size_t dstSize, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

char* FormatInto(char* dst, size_t dstSize, const char* format, ...) {
  if (!dst || dstSize == 0) return dst;
  va_list args;
  va_start(args, format);
  vsnprintf(dst, dstSize, format, args);
  va_end(args);
  return dst;
}

// Decimals for a precision argument: -1 means printf's default ("%f").
int Decimals(int32_t precision) {
  if (precision < 0) return 6;
  return precision > 16 ? 16 : precision;
}

// Fixed-point scaling of strSetasTimeHMS and strSetasDuration: the rounded
// magnitude in units of 1/factor second. Computed in 64 bits, so that times
// beyond 596 hours with milliseconds still print right; not-a-number counts
// as 0 and magnitudes beyond any clock as the largest value.
struct FixedTime {
  int64_t factor;
  int64_t whole;     // seconds
  int64_t fraction;  // units of 1/factor second
};

FixedTime MakeFixedTime(double magnitude, int32_t decimals) {
  FixedTime t;
  t.factor = decimals > 2 ? 1000 : decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
  double scaled = std::isnan(magnitude) ? 0.0 : magnitude * static_cast<double>(t.factor) + 0.5;
  int64_t total = scaled >= 9.0e18 ? static_cast<int64_t>(9.0e18) : static_cast<int64_t>(scaled);
  t.whole = total / t.factor;
  t.fraction = total - t.whole * t.factor;
  return t;
}

// Appends ".d", ".dd" or ".ddd" for 1, 2 or more decimals.
void AppendFraction(char* dst, size_t dstSize, const FixedTime& t, int32_t decimals) {
  size_t used = strnlen(dst, dstSize);
  if (decimals <= 0 || used + 1 >= dstSize) return;
  int width = decimals > 2 ? 3 : decimals;
  FormatInto(dst + used, dstSize - used, ".%0*lld", width, static_cast<long long>(t.fraction));
}

void AppendText(char* dst, size_t dstSize, const char* text) {
  size_t used = strnlen(dst, dstSize);
  if (used + 1 < dstSize) FormatInto(dst + used, dstSize - used, "%s", text);
}

bool IsEmptyText(const char* text) { return !text || !*text; }

template <class T>
bool Store(T* out, T value, bool ok) {
  if (out) *out = value;
  return ok;
}

// Runs a strto... conversion, adding the failure the library leaves
// unreported on this platform: no character converted. Range errors come
// through errno, which is restored for the caller.
template <class T, class Fn>
bool ConvertChecked(const char* text, T* value, Fn convert) {
  int savedErrno = errno;
  errno = 0;
  char* end = nullptr;
  *value = convert(text, &end);
  bool ok = end != text && errno != ERANGE;
  errno = savedErrno;
  return ok;
}

// strtoll base 10.
bool ParseSigned(const char* text, long long* value) {
  return !IsEmptyText(text) &&
         ConvertChecked(text, value, [](const char* t, char** end) { return strtoll(t, end, 10); });
}

// As ParseSigned for values 0 to ULLONG_MAX; negative values fail ("-0" is 0).
bool ParseUnsigned(const char* text, unsigned long long* value) {
  if (IsEmptyText(text)) return false;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
  if (*p == '-') {
    // strtoull would wrap "-1" to the largest value: read it signed instead.
    long long v = 0;
    if (!ParseSigned(text, &v) || v < 0) return false;
    *value = 0;
    return true;
  }
  return ConvertChecked(text, value,
                        [](const char* t, char** end) { return strtoull(t, end, 10); });
}

// strtod / strtof after strPrepareFloatScanf.
template <class T, class Parse>
bool ParseFloat(const char* text, T* out, T def, Parse parse) {
  if (IsEmptyText(text)) return Store(out, def, false);
  char buf[kQVFloatScanfSize];
  strPrepareFloatScanf(buf, text);
  T v{};
  bool ok = ConvertChecked(static_cast<const char*>(buf), &v, parse);
  return Store(out, ok ? v : def, ok);
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

uint32_t ClampComponent(unsigned long v) { return v > 255 ? 255u : static_cast<uint32_t>(v); }

}  // namespace

// ---------------------------------------------------------------- Writers

char* strSetasSInt32(char* dst, int32_t value) {
  return strSetasSInt32(dst, kQVStrSetasMaxSize, value);
}
char* strSetasSInt32(char* dst, size_t dstSize, int32_t value) {
  return FormatInto(dst, dstSize, "%" PRId32, value);
}

char* strSetasUInt32(char* dst, uint32_t value) {
  return strSetasUInt32(dst, kQVStrSetasMaxSize, value);
}
char* strSetasUInt32(char* dst, size_t dstSize, uint32_t value) {
  return FormatInto(dst, dstSize, "%" PRIu32, value);
}

char* strSetasBool(char* dst, bool value) { return strSetasBool(dst, kQVStrSetasMaxSize, value); }
char* strSetasBool(char* dst, size_t dstSize, bool value) {
  return FormatInto(dst, dstSize, "%d", value ? 1 : 0);
}

char* strSetasSInt64(char* dst, int64_t value) {
  return strSetasSInt64(dst, kQVStrSetasMaxSize, value);
}
char* strSetasSInt64(char* dst, size_t dstSize, int64_t value) {
  return FormatInto(dst, dstSize, "%lld", static_cast<long long>(value));
}

char* strSetasUInt64(char* dst, uint64_t value) {
  return strSetasUInt64(dst, kQVStrSetasMaxSize, value);
}
char* strSetasUInt64(char* dst, size_t dstSize, uint64_t value) {
  return FormatInto(dst, dstSize, "%llu", static_cast<unsigned long long>(value));
}

char* strSetasFloat64(char* dst, double value, int32_t precision) {
  return strSetasFloat64(dst, kQVStrSetasMaxSize, value, precision);
}
char* strSetasFloat64(char* dst, size_t dstSize, double value, int32_t precision) {
  return FormatInto(dst, dstSize, "%.*f", Decimals(precision), value);
}

char* strSetasFloat32(char* dst, float value, int32_t precision) {
  return strSetasFloat32(dst, kQVStrSetasMaxSize, value, precision);
}
char* strSetasFloat32(char* dst, size_t dstSize, float value, int32_t precision) {
  return FormatInto(dst, dstSize, "%.*f", Decimals(precision), static_cast<double>(value));
}

char* strSetasAGPoint(char* dst, const AGPoint& point, int32_t precision) {
  return strSetasAGPoint(dst, kQVStrSetasMaxSize, point, precision);
}
char* strSetasAGPoint(char* dst, size_t dstSize, const AGPoint& point, int32_t precision) {
  int d = Decimals(precision);
  return FormatInto(dst, dstSize, "(%.*f;%.*f)", d, point.x, d, point.y);
}

char* strSetasAGRect(char* dst, const AGRect& rect, int32_t precision) {
  return strSetasAGRect(dst, kQVStrSetasMaxSize, rect, precision);
}
char* strSetasAGRect(char* dst, size_t dstSize, const AGRect& rect, int32_t precision) {
  int d = Decimals(precision);
  return FormatInto(dst, dstSize, "(%.*f;%.*f;%.*f;%.*f)", d, rect.x1, d, rect.y1, d, rect.x2, d,
                    rect.y2);
}

char* strSetasAGColor(char* dst, AGColor color, bool withAlpha) {
  return strSetasAGColor(dst, kQVStrSetasMaxSize, color, withAlpha);
}
char* strSetasAGColor(char* dst, size_t dstSize, AGColor color, bool withAlpha) {
  unsigned r = AGColorRed(color), g = AGColorGreen(color), b = AGColorBlue(color);
  if (withAlpha) {
    return FormatInto(dst, dstSize, "(%03u;%03u;%03u;%03u)", r, g, b,
                      static_cast<unsigned>(AGColorAlpha(color)));
  }
  return FormatInto(dst, dstSize, "(%03u;%03u;%03u)", r, g, b);
}

char* strSetasAGColorHex(char* dst, AGColor color, bool withAlpha) {
  return strSetasAGColorHex(dst, kQVStrSetasMaxSize, color, withAlpha);
}
char* strSetasAGColorHex(char* dst, size_t dstSize, AGColor color, bool withAlpha) {
  if (withAlpha) return FormatInto(dst, dstSize, "%08X", static_cast<unsigned>(color));
  return FormatInto(dst, dstSize, "%06X", static_cast<unsigned>(color >> 8));
}

char* strSetasTimeHMS(char* dst, double seconds, int32_t decimals) {
  return strSetasTimeHMS(dst, kQVStrSetasMaxSize, seconds, decimals);
}
char* strSetasTimeHMS(char* dst, size_t dstSize, double seconds, int32_t decimals) {
  FixedTime t = MakeFixedTime(std::fabs(seconds), decimals);
  // The minus sign leads the whole text, so that times between -1 hour and 0
  // keep it ("-0:00:30") and strGetasTimeHMS reads back the same value.
  bool negative = seconds < 0.0 && (t.whole > 0 || t.fraction > 0);
  FormatInto(dst, dstSize, "%s%lld:%02lld:%02lld", negative ? "-" : "",
             static_cast<long long>(t.whole / 3600), static_cast<long long>((t.whole / 60) % 60),
             static_cast<long long>(t.whole % 60));
  AppendFraction(dst, dstSize, t, decimals);
  return dst;
}

char* strSetasDuration(char* dst, double seconds, int32_t decimals) {
  return strSetasDuration(dst, kQVStrSetasMaxSize, seconds, decimals);
}
char* strSetasDuration(char* dst, size_t dstSize, double seconds, int32_t decimals) {
  FixedTime t = MakeFixedTime(seconds > 0.0 ? seconds : 0.0, decimals);
  long long hours = t.whole / 3600;
  long long minutes = (t.whole / 60) % 60;
  long long secs = t.whole % 60;
  if (hours > 0) {
    FormatInto(dst, dstSize, "%lldh%02lldm%02lld", hours, minutes, secs);
  } else if (minutes >= 1) {
    FormatInto(dst, dstSize, "%lldm%02lld", minutes, secs);
  } else {
    FormatInto(dst, dstSize, "%lld", secs);
  }
  AppendFraction(dst, dstSize, t, decimals);
  AppendText(dst, dstSize, "s");
  return dst;
}

char* strSetasMemory(char* dst, int64_t millions, int64_t thousands, int64_t bytes) {
  return strSetasMemory(dst, kQVStrSetasMaxSize, millions, thousands, bytes);
}
char* strSetasMemory(char* dst, size_t dstSize, int64_t millions, int64_t thousands,
                     int64_t bytes) {
  // In doubles: exact below 2^53 bytes, and only the unit values beyond.
  double total = (static_cast<double>(millions > 0 ? millions : 0) * 1000.0 +
                  static_cast<double>(thousands > 0 ? thousands : 0)) *
                     1000.0 +
                 static_cast<double>(bytes > 0 ? bytes : 0);
  struct Unit {
    const char* whole;
    const char* oneDecimal;
    double value;
  };
  double kb = total * 0.001;
  double mb = kb * 0.001;
  double gb = mb * 0.001;
  double tb = gb * 0.001;
  const Unit units[] = {{"%.0f TB", "%.1f TB", tb},
                        {"%.0f GB", "%.1f GB", gb},
                        {"%.0f MB", "%.1f MB", mb},
                        {"%.0f KB", "%.1f KB", kb}};
  for (const Unit& u : units) {
    if (u.value > 10.0) return FormatInto(dst, dstSize, u.whole, u.value);
    if (u.value >= 1.0) return FormatInto(dst, dstSize, u.oneDecimal, u.value);
  }
  return FormatInto(dst, dstSize, "%.0f Bytes", total);
}

// ---------------------------------------------------------------- Readers

bool strGetasSInt32(const char* text, int32_t* out, int32_t def) {
  long long v = 0;
  bool ok = ParseSigned(text, &v) && v >= std::numeric_limits<int32_t>::min() &&
            v <= std::numeric_limits<int32_t>::max();
  return Store(out, ok ? static_cast<int32_t>(v) : def, ok);
}

bool strGetasUInt32(const char* text, uint32_t* out, uint32_t def) {
  unsigned long long v = 0;
  bool ok = ParseUnsigned(text, &v) && v <= std::numeric_limits<uint32_t>::max();
  return Store(out, ok ? static_cast<uint32_t>(v) : def, ok);
}

bool strGetasSInt64(const char* text, int64_t* out, int64_t def) {
  long long v = 0;
  bool ok = ParseSigned(text, &v);
  return Store(out, ok ? static_cast<int64_t>(v) : def, ok);
}

bool strGetasUInt64(const char* text, uint64_t* out, uint64_t def) {
  unsigned long long v = 0;
  bool ok = ParseUnsigned(text, &v);
  return Store(out, ok ? static_cast<uint64_t>(v) : def, ok);
}

bool strGetasBool(const char* text, bool* out, bool def) {
  long long v = 0;
  bool ok = ParseSigned(text, &v) && (v == 0 || v == 1);
  return Store(out, ok ? v == 1 : def, ok);
}

bool strGetasFloat64(const char* text, double* out, double def) {
  return ParseFloat(text, out, def, [](const char* t, char** end) { return strtod(t, end); });
}

bool strGetasFloat32(const char* text, float* out, float def) {
  return ParseFloat(text, out, def, [](const char* t, char** end) { return strtof(t, end); });
}

bool strGetasAGPoint(const char* text, AGPoint* out, const AGPoint& def) {
  if (IsEmptyText(text)) return Store(out, def, false);
  char buf[kQVFloatScanfSize];
  AGPoint p{};
  bool ok = sscanf(strPrepareFloatScanf(buf, text), "(%lf;%lf)", &p.x, &p.y) == 2;
  return Store(out, ok ? p : def, ok);
}

bool strGetasAGRect(const char* text, AGRect* out, const AGRect& def) {
  if (IsEmptyText(text)) return Store(out, def, false);
  char buf[kQVFloatScanfSize];
  AGRect r{};
  bool ok =
      sscanf(strPrepareFloatScanf(buf, text), "(%lf;%lf;%lf;%lf)", &r.x1, &r.y1, &r.x2, &r.y2) == 4;
  return Store(out, ok ? r : def, ok);
}

bool strGetasAGColor(const char* text, AGColor* out, AGColor def) {
  if (IsEmptyText(text)) return Store(out, def, false);
  unsigned long r = 0, g = 0, b = 0, a = 255;
  bool ok = sscanf(text, "(%lu;%lu;%lu;%lu)", &r, &g, &b, &a) == 4;
  if (!ok) {
    a = 255;
    ok = sscanf(text, "(%lu;%lu;%lu)", &r, &g, &b) == 3;
  }
  AGColor c =
      AGColorMake(ClampComponent(r), ClampComponent(g), ClampComponent(b), ClampComponent(a));
  return Store(out, ok ? c : def, ok);
}

bool strGetasAGColorHex(const char* text, AGColor* out, AGColor def) {
  if (IsEmptyText(text)) return Store(out, def, false);
  size_t n = strlen(text);
  // Hexadecimal digits only: no sign, blank or "0x" that a scanf would take.
  bool ok = (n == 8 || n == 6);
  for (size_t i = 0; ok && i < n; i++) ok = IsHexDigit(text[i]);
  if (!ok) return Store(out, def, false);
  AGColor c = static_cast<AGColor>(strtoul(text, nullptr, 16));
  if (n == 6) c = (c << 8) | 0xFFu;
  return Store(out, c, true);
}

bool strGetasTimeHMS(const char* text, double* out, double def) {
  if (IsEmptyText(text)) return Store(out, def, false);
  // A leading minus negates the whole time ("-1:00:30" is -3630 seconds), as
  // strSetasTimeHMS writes it.
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
  bool negative = *p == '-';
  if (negative) {
    p++;
    if (*p == '-' || *p == '+') return Store(out, def, false);
  }
  char buf[kQVFloatScanfSize];
  strPrepareFloatScanf(buf, p);
  long h = 0, m = 0;
  double s = 0.0;
  double v;
  if (sscanf(buf, "%ld:%ld:%lf", &h, &m, &s) == 3) {
    v = static_cast<double>(h) * 3600.0 + static_cast<double>(m) * 60.0 + s;
  } else if (sscanf(buf, "%ld:%lf", &m, &s) == 2) {
    v = static_cast<double>(m) * 60.0 + s;
  } else if (sscanf(buf, "%lf", &s) == 1) {
    v = s;
  } else {
    return Store(out, def, false);
  }
  return Store(out, negative ? -v : v, true);
}

void QVStringFormsRetestDecimalSeparator() { sTestHasBeenDone = false; }

char* strPrepareFloatScanf(char* dst, const char* src) {
  if (!sTestHasBeenDone) {
    char probe[32];
    snprintf(probe, sizeof probe, "%f", 1.5);
    sUseCommaSeparator = probe[1] == ',';
    sTestHasBeenDone = true;
  }
  if (!dst) return dst;
  dst[0] = '\0';
  if (IsEmptyText(src)) return dst;
  size_t n = strnlen(src, kQVFloatScanfSize - 1);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
  // Either separator reads under either locale: the printers write the
  // locale's own, so text written under a comma locale ("1,5") must still
  // read as 1.5, not 1, in a process under the C locale.
  const char other = sUseCommaSeparator ? '.' : ',';
  const char own = sUseCommaSeparator ? ',' : '.';
  for (char* c = dst; *c; c++) {
    if (*c == other) *c = own;
  }
  return dst;
}
