// Text forms of numbers, colours, points, rectangles, times, durations and
// memory sizes.
//
// strSetas... (dst, value, ...) write a NUL-terminated text into dst and
// return dst. The plain forms trust the caller's buffer: no text is longer
// than kQVStrSetasMaxSize bytes, terminator included, and most are far
// shorter (an integer needs 21 bytes, a double printed with 16 decimals
// needs 18 + its integer digits). The bounded forms (dst, dstSize, ...) write
// the same text cut to dstSize - 1 bytes, and nothing when dstSize is 0.
//
// strGetas... (text, out, def) parse text; on success they store the value in
// *out and return true, otherwise they store def and return false. A null or
// empty text always fails; out may be null.
//
// Numbers are written with the current locale's decimal separator and read
// back under the same locale with either "." or the locale's ",".
#ifndef QV_STRING_FORMS_H
#define QV_STRING_FORMS_H

#include <cstddef>
#include <cstdint>

#include "kit/AGGeometryTypes.h"

// Upper bound of every strSetas text, terminator included (four doubles of
// 309 integer digits and 16 decimals, with separators).
inline constexpr size_t kQVStrSetasMaxSize = 1400;

// "%d" / "%u" / "0" or "1".
char* strSetasSInt32(char* dst, int32_t value);
char* strSetasSInt32(char* dst, size_t dstSize, int32_t value);
char* strSetasUInt32(char* dst, uint32_t value);
char* strSetasUInt32(char* dst, size_t dstSize, uint32_t value);
char* strSetasBool(char* dst, bool value);
char* strSetasBool(char* dst, size_t dstSize, bool value);
char* strSetasSInt64(char* dst, int64_t value);
char* strSetasSInt64(char* dst, size_t dstSize, int64_t value);
char* strSetasUInt64(char* dst, uint64_t value);
char* strSetasUInt64(char* dst, size_t dstSize, uint64_t value);

// precision < 0: "%f" (6 decimals); 0 to 16: that many decimals; above 16: 16.
char* strSetasFloat64(char* dst, double value, int32_t precision);
char* strSetasFloat64(char* dst, size_t dstSize, double value, int32_t precision);
char* strSetasFloat32(char* dst, float value, int32_t precision);
char* strSetasFloat32(char* dst, size_t dstSize, float value, int32_t precision);
// "(x;y)" and "(x1;y1;x2;y2)", each number as strSetasFloat64.
char* strSetasAGPoint(char* dst, const AGPoint& point, int32_t precision);
char* strSetasAGPoint(char* dst, size_t dstSize, const AGPoint& point, int32_t precision);
char* strSetasAGRect(char* dst, const AGRect& rect, int32_t precision);
char* strSetasAGRect(char* dst, size_t dstSize, const AGRect& rect, int32_t precision);

// "(RRR;GGG;BBB;AAA)" or "(RRR;GGG;BBB)": decimal components, 3 digits at least.
char* strSetasAGColor(char* dst, AGColor color, bool withAlpha);
char* strSetasAGColor(char* dst, size_t dstSize, AGColor color, bool withAlpha);
// "RRGGBBAA" or "RRGGBB" in upper-case hexadecimal.
char* strSetasAGColorHex(char* dst, AGColor color, bool withAlpha);
char* strSetasAGColorHex(char* dst, size_t dstSize, AGColor color, bool withAlpha);

// "h:mm:ss" then ".d", ".dd" or ".ddd" for 1, 2 or more decimals (none for
// 0 or fewer). A negative time starts with "-": -30.0 gives "-0:00:30".
char* strSetasTimeHMS(char* dst, double seconds, int32_t decimals);
char* strSetasTimeHMS(char* dst, size_t dstSize, double seconds, int32_t decimals);
// "1h02m03.5s", "2m05s", "7s": the fraction as for strSetasTimeHMS; negative
// durations count as 0.
char* strSetasDuration(char* dst, double seconds, int32_t decimals);
char* strSetasDuration(char* dst, size_t dstSize, double seconds, int32_t decimals);
// Size of (millions * 1000 + thousands) * 1000 + bytes in decimal units:
// "999 Bytes", "1.5 KB", "10.0 KB", "10 KB" ... "TB". Negative arguments
// count as 0.
char* strSetasMemory(char* dst, int64_t millions, int64_t thousands, int64_t bytes);
char* strSetasMemory(char* dst, size_t dstSize, int64_t millions, int64_t thousands, int64_t bytes);

// Base-10 integers as strtol reads them: leading white space, optional sign,
// digits; anything after the digits is ignored ("12abc" gives 12). A text
// without digits or a value out of the type's range fails; the unsigned
// forms also fail on negative values and accept their whole range, so that
// every text strSetasUInt64 writes reads back.
bool strGetasSInt32(const char* text, int32_t* out, int32_t def);
bool strGetasUInt32(const char* text, uint32_t* out, uint32_t def);
bool strGetasSInt64(const char* text, int64_t* out, int64_t def);
bool strGetasUInt64(const char* text, uint64_t* out, uint64_t def);
// An integer as above that is 0 (false) or 1 (true).
bool strGetasBool(const char* text, bool* out, bool def);
// strtod / strtof after strPrepareFloatScanf; no number or a range error fails.
bool strGetasFloat64(const char* text, double* out, double def);
bool strGetasFloat32(const char* text, float* out, float def);
// "(x;y)" / "(x1;y1;x2;y2)": all numbers must convert.
bool strGetasAGPoint(const char* text, AGPoint* out, const AGPoint& def);
bool strGetasAGRect(const char* text, AGRect* out, const AGRect& def);
// "(r;g;b;a)" or "(r;g;b)" (alpha 255); components above 255 become 255.
bool strGetasAGColor(const char* text, AGColor* out, AGColor def);
// Exactly 8 hex digits (0xRRGGBBAA) or 6 (0xRRGGBB, alpha 255).
bool strGetasAGColorHex(const char* text, AGColor* out, AGColor def);
// "h:m:s", "m:s" or "s" (s may have decimals) as seconds; a leading "-"
// negates the whole time.
bool strGetasTimeHMS(const char* text, double* out, double def);

// Copies src into dst (at most kQVFloatScanfSize - 1 bytes, terminated; null
// or empty src gives ""), replacing "." by "," when the locale's decimal
// separator is a comma (tested once per process). dst must hold
// kQVFloatScanfSize bytes. Returns dst.
inline constexpr size_t kQVFloatScanfSize = 128;
char* strPrepareFloatScanf(char* dst, const char* src);

#endif
