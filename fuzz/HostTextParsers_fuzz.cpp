// Fuzz target for the reference host's readers of typed text: key names
// ("shift+KEY_R", "ctrl+Left", "0x1E") and property values typed on the
// command line, read as the kind of each property value there is.
//
// What must hold for any input:
//   - no crash, no memory error, no undefined behaviour, no leak;
//   - a key that reads has only the modifier bits the names give (shift 1,
//     option 2, command 8) and reads the same twice; a refused key leaves
//     the caller's key alone;
//   - a value that reads has the kind of the current value (a string for an
//     empty one); numbers are finite; a string reads back as the same UTF-8
//     text.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "bridge/HostEdit.h"
#include "HostText.h"
#include "kit/QVDictionary.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"

namespace {

void Keys(const std::string& text) {
  HostEditKey key;
  key.code = 0xDEAD;
  key.modifiers = 0xBEEF;
  if (!HostParseEditKey(text, key)) {
    FuzzRequire(key.code == 0xDEAD && key.modifiers == 0xBEEF, "a refused key changes nothing");
    return;
  }
  FuzzRequire((key.modifiers & ~uint32_t{0x0B}) == 0, "a key has only named modifier bits");
  HostEditKey again;
  FuzzRequire(HostParseEditKey(text, again) && again.code == key.code &&
                  again.modifiers == key.modifiers,
              "a key reads the same twice");
}

QVValue Sample(int kind) {
  QVValue value;
  switch (kind) {
    case 0: value.SetasFloat(48.0); break;
    case 1: value.SetasInteger(3); break;
    case 2: value.SetasBool(true); break;
    case 3: value.SetasQVString(QVString("Brindel")); break;
    case 4: break;  // empty
    default: {
      QVDictionary dict;
      dict.SetValue("Style", QVValueSetasQVString(QVString("Solid")));
      value.SetasQVDictionary(dict);
      break;
    }
  }
  return value;
}

void Values(const std::string& text) {
  for (int kind = 0; kind < 6; ++kind) {
    const QVValue current = Sample(kind);
    QVValue out;
    if (!HostParseValueLike(current, text, out)) continue;
    FuzzRequire(kind != 5, "a dictionary is never typed");
    if (kind == 4) {
      FuzzRequire(out.Type() == kQVValueTypeString, "text for an empty value is a string");
    } else {
      FuzzRequire(out.Type() == current.Type(), "a typed value keeps the property's kind");
    }
    double number = 0.0;
    if (out.Type() == kQVValueTypeFloat && out.GetasFloat(number, false)) {
      FuzzRequire(std::isfinite(number), "a typed number is finite");
    }
    if (out.Type() == kQVValueTypeString) {
      const QVString utf8 = QVValueGetasQVString(out).ConvertWithEncoding(kQVStringEncodingNative,
                                                                         kQVStringEncodingUTF8);
      FuzzRequire(utf8.Std() == text, "a typed string keeps its text");
    }
    FuzzRequire(!HostFormatValue(out).empty(), "a typed value has a text form");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), data ? size : 0);
  Keys(text);
  Values(text);
  return 0;
}
