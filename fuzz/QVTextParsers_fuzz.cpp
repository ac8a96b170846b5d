// Fuzz target for the kit's text readers: the strGetas... text forms (and
// the printers, fed with what was read), argument lists, path
// simplification, the three 8-bit text encodings and UTF-16 conversions,
// name suffix numbers and token splitting. Every reader gets the whole input
// (as a C text it stops at the first NUL byte).
//
// What must hold for any input:
//   - no crash, no memory error, no undefined behaviour, no leak;
//   - a failed strGetas... stores its default; integers and colours that
//     were read print and read back to the same value;
//   - argument lists split again from their own arguments (joined with
//     spaces, quoted when quotes are removed) give the same arguments;
//   - a path that simplifies has no empty, "." or ".." component (but for
//     the "./" of a relative path that cancels out) and simplifies again to
//     itself; one that does not stays unchanged; a
//     simplified relative path made absolute and then relative again is
//     itself again;
//   - native and Windows Latin-1 text survives a trip through UTF-8;
//     valid UTF-8 whose characters all have native bytes survives the trip
//     through the native encoding; native text survives UTF-16;
//   - a suffix number that is found and incremented is found one higher.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "kit/QVArgs.h"
#include "kit/QVFilePath.h"
#include "kit/QVString.h"
#include "kit/QVStringForms.h"
#include "kit/QVTextEncoding_p.h"

namespace {

template <class T, class Parse, class Print>
void IntegerForm(const char* text, T def, Parse parse, Print print) {
  T value = 0;
  if (!parse(text, &value, def)) {
    FuzzRequire(value == def, "a failed integer read stores the default");
    return;
  }
  char printed[kQVStrSetasMaxSize];
  print(printed, value);
  T back = def;
  FuzzRequire(parse(printed, &back, def) && back == value, "a read integer prints and reads back");
}

void NumberForms(const char* text) {
  IntegerForm<int32_t>(text, -7, strGetasSInt32,
                       [](char* dst, int32_t v) { strSetasSInt32(dst, v); });
  IntegerForm<uint32_t>(text, 7, strGetasUInt32,
                        [](char* dst, uint32_t v) { strSetasUInt32(dst, v); });
  IntegerForm<int64_t>(text, -7, strGetasSInt64,
                       [](char* dst, int64_t v) { strSetasSInt64(dst, v); });
  IntegerForm<uint64_t>(text, 7, strGetasUInt64,
                        [](char* dst, uint64_t v) { strSetasUInt64(dst, v); });

  bool flag = true;
  if (!strGetasBool(text, &flag, true)) FuzzRequire(flag, "a failed bool read stores the default");

  char printed[kQVStrSetasMaxSize];
  double real = 0.0;
  if (strGetasFloat64(text, &real, 0.5)) {
    strSetasFloat64(printed, real, 16);
    strSetasTimeHMS(printed, real, 3);
    strSetasDuration(printed, real, 2);
    const int64_t count = std::isfinite(real) && std::fabs(real) < 9.0e18 ? static_cast<int64_t>(real) : 0;
    strSetasMemory(printed, count, count, count);
  } else {
    FuzzRequire(real == 0.5, "a failed real read stores the default");
  }
  float single = 0.0f;
  if (strGetasFloat32(text, &single, 0.5f)) {
    strSetasFloat32(printed, single, -1);
  } else {
    FuzzRequire(single == 0.5f, "a failed real read stores the default");
  }
  double seconds = 0.0;
  if (strGetasTimeHMS(text, &seconds, 0.25)) {
    strSetasTimeHMS(printed, sizeof printed, seconds, 1);
    strSetasDuration(printed, sizeof printed, seconds, 0);
  } else {
    FuzzRequire(seconds == 0.25, "a failed time read stores the default");
  }

  const AGPoint defPoint = {1.5, -2.5};
  AGPoint point = {};
  if (strGetasAGPoint(text, &point, defPoint)) {
    strSetasAGPoint(printed, point, 16);
  } else {
    FuzzRequire(point == defPoint, "a failed point read stores the default");
  }
  const AGRect defRect = {1.0, 2.0, 3.0, 4.0};
  AGRect rect = {};
  if (strGetasAGRect(text, &rect, defRect)) {
    strSetasAGRect(printed, rect, -1);
  } else {
    FuzzRequire(rect == defRect, "a failed rectangle read stores the default");
  }

  for (bool hex : {false, true}) {
    AGColor color = 0;
    const bool read = hex ? strGetasAGColorHex(text, &color, 0x12345678u)
                          : strGetasAGColor(text, &color, 0x12345678u);
    if (!read) {
      FuzzRequire(color == 0x12345678u, "a failed colour read stores the default");
      continue;
    }
    if (hex) {
      strSetasAGColorHex(printed, color, true);
    } else {
      strSetasAGColor(printed, color, true);
    }
    AGColor back = 0;
    FuzzRequire((hex ? strGetasAGColorHex(printed, &back, 0) : strGetasAGColor(printed, &back, 0)) &&
                    back == color,
                "a read colour prints and reads back");
  }
}

void Arguments(const char* text) {
  for (bool removeQuotes : {false, true}) {
    const QVArgs args(text, removeQuotes);
    QVString joined;
    for (int32_t i = 0; i < args.argc(); ++i) {
      FuzzRequire(args.IsParam(args.GetArg(i)), "every argument is found by its own text");
      if (i) joined.Append(" ");
      // Without the quotes, quoting each whole argument keeps its blanks.
      if (removeQuotes) joined.Append("\"");
      joined.Append(args.GetArg(i));
      if (removeQuotes) joined.Append("\"");
    }
    const QVArgs again(joined, removeQuotes);
    FuzzRequire(again.Args() == args.Args(), "arguments split again from their own text");
  }
}

// A relative path whose components all cancel out keeps "./" as its
// directory part.
bool HasPlainComponents(const QVFilePath& path) {
  const QVStringArray components = path.GetPathComponents();
  if (path.IsRelative() && components.Length() == 1 && components[0] == ".") return true;
  for (const QVString& component : components) {
    if (component.IsEmpty() || component == "." || component == "..") return false;
  }
  return true;
}

void Paths(const char* text) {
  const QVFilePath original(text);
  QVFilePath path = original;
  if (!path.SimplifyPath()) {
    FuzzRequire(path == original, "a path that does not simplify stays unchanged");
    return;
  }
  FuzzRequire(HasPlainComponents(path), "a simplified path has plain components only");
  QVFilePath twice = path;
  FuzzRequire(twice.SimplifyPath() && twice == path, "simplifying twice changes nothing");

  if (!path.IsRelative()) return;
  const QVFilePath base("/base/dir/");
  QVFilePath absolute = path;
  FuzzRequire(absolute.MakeAbsolute(base), "a simplified relative path becomes absolute");
  QVFilePath relative = absolute;
  FuzzRequire(relative.MakeRelative(base), "an absolute path becomes relative again");
  QVFilePath back = relative;
  FuzzRequire(back.MakeAbsolute(base) && back == absolute,
              "relative and absolute again is the same path");
}

void Encodings(const QVString& bytes) {
  for (QVStringEncoding eightBit : {kQVStringEncodingNative, kQVStringEncodingLatin1}) {
    const QVString utf8 = bytes.ConvertWithEncoding(eightBit, kQVStringEncodingUTF8);
    FuzzRequire(utf8.ConvertWithEncoding(kQVStringEncodingUTF8, eightBit) == bytes,
                "8-bit text survives a trip through UTF-8");
  }

  std::u32string decoded;
  const bool valid = QVTextDecode(kQVStringEncodingUTF8, bytes.c_str(), bytes.Length(), decoded);
  const QVString native = bytes.ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  if (!valid) {
    FuzzRequire(native.IsEmpty(), "invalid UTF-8 converts to nothing");
    return;
  }
  bool representable = true;
  for (char32_t c : decoded) representable = representable && QVTextUnicodeToNative(c) >= 0;
  if (representable) {
    FuzzRequire(native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8) == bytes,
                "UTF-8 with native characters survives a trip through the native encoding");
  }

  const QVUniChars units = QVUniStringFromAsciiString(bytes);
  FuzzRequire(units.Length() == bytes.Length(), "each native byte is one UTF-16 unit");
  FuzzRequire(QVAsciiStringFromUniString(units) == bytes, "native text survives UTF-16");
}

void UniStrings(const uint8_t* data, size_t size) {
  // The input as UTF-16 units, with a terminator for the counted-to-0 forms.
  QVUniChars units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    units.Append(static_cast<uint16_t>(data[i] | data[i + 1] << 8));
  }
  const QVString ascii = QVAsciiStringFromUniString(units);
  FuzzRequire(ascii.Length() == units.Length(), "each UTF-16 unit is one native byte");
  units.Append(0);
  char* copy = QVNewAsciiStringFromUniString(units.Data(), kQVStringNotFound);
  FuzzRequire(copy != nullptr && std::strlen(copy) == QVUniStringLength(units.Data()),
              "a terminated UTF-16 string converts up to its terminator");
  std::free(copy);
  char small[8];
  QVAsciiStringFromUniString(small, sizeof small, units.Data(), units.Length());
  FuzzRequire(std::memchr(small, '\0', sizeof small) != nullptr, "a bounded copy is terminated");
}

void Names(const QVString& name) {
  uint32_t value = 0;
  uint32_t digits = 0;
  if (!QVStringSuffixNumberFind(name, &value, &digits)) {
    FuzzRequire(value == 0 && digits == 0, "a name without a number finds 0 and 0 digits");
    return;
  }
  FuzzRequire(digits >= 1 && digits <= 8, "a suffix number has 1 to 8 digits");
  if (value + 1 >= 100000000u) return;
  QVString next = name;
  FuzzRequire(QVStringSuffixNumberAdd(&next, 1, 0, false), "a found number increments");
  uint32_t after = 0;
  FuzzRequire(QVStringSuffixNumberFind(next, &after, nullptr) && after == value + 1,
              "an incremented number is found one higher");
}

void Tokens(const QVString& text) {
  const QVStringArray tokens = text.SplitToArray(",", "");
  if (tokens.IsEmpty() || tokens[0].IsEmpty()) return;
  QVString joined;
  joined.BuildFromArray(tokens, ",");
  FuzzRequire(joined == text, "untrimmed tokens join back into the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QVString bytes(reinterpret_cast<const char*>(data), static_cast<uint32_t>(data ? size : 0));
  QVString text = bytes;
  text.Shrink();
  NumberForms(text.c_str());
  Arguments(text.c_str());
  Paths(text.c_str());
  Encodings(bytes);
  UniStrings(data, data ? size : 0);
  Names(bytes);
  Tokens(bytes);
  return 0;
}
