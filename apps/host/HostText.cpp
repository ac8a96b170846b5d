#include "HostText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "kit/QVDictionary.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"

namespace {

std::string Utf8(const QVString& native) {
  return native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
}

std::string FormatReal(double d) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", d);
  return buffer;
}

bool ParseReal(const std::string& text, double& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double d = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(d)) return false;
  out = d;
  return true;
}

}  // namespace

std::string HostFormatValue(const QVValue& value) {
  switch (value.Type()) {
    case kQVValueTypeEmpty:
      return "(empty)";
    case kQVValueTypeBool: {
      bool b = false;
      value.GetasBool(b, false);
      return b ? "true" : "false";
    }
    case kQVValueTypeInteger: {
      int64_t i = 0;
      value.GetasInteger(i, false);
      return std::to_string(i);
    }
    case kQVValueTypeFloat: {
      double d = 0.0;
      value.GetasFloat(d, false);
      return FormatReal(d);
    }
    case kQVValueTypeString:
      return "\"" + Utf8(*value.GetasQVString()) + "\"";
    case kQVValueTypeBinary: {
      const void* bytes = nullptr;
      uint32_t length = 0;
      value.GetasBinary(bytes, length);
      return "<" + std::to_string(length) + " bytes>";
    }
    case kQVValueTypeArray: {
      std::string text = "[";
      const QVValueArray& array = *value.GetasQVValueArray();
      for (size_t i = 0; i < array.size(); ++i) {
        if (i) text += ", ";
        text += HostFormatValue(array[i]);
      }
      return text + "]";
    }
    case kQVValueTypeDictionary: {
      std::string text = "{";
      const QVDictionary& dict = *value.GetasQVDictionary();
      QVString key;
      QVValue entry;
      for (uint32_t i = 0; dict.GetKeyAndValueByIndex(i, &key, &entry); ++i) {
        if (i) text += ", ";
        text += Utf8(key) + ": " + HostFormatValue(entry);
      }
      return text + "}";
    }
    default:
      return "(unknown)";
  }
}

bool HostParseValueLike(const QVValue& current, const std::string& text, QVValue& out) {
  switch (current.Type()) {
    case kQVValueTypeFloat:
    case kQVValueTypeInteger: {
      double d = 0.0;
      if (!ParseReal(text, d)) return false;
      if (current.Type() == kQVValueTypeInteger) {
        out.SetasInteger(static_cast<int64_t>(std::llround(d)));
      } else {
        out.SetasFloat(d);
      }
      return true;
    }
    case kQVValueTypeBool:
      if (text == "true" || text == "1") {
        out.SetasBool(true);
      } else if (text == "false" || text == "0") {
        out.SetasBool(false);
      } else {
        return false;
      }
      return true;
    case kQVValueTypeString:
    case kQVValueTypeEmpty: {
      QVString native = QVString(text).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
      // Invalid UTF-8 converts to nothing, and a character without a native
      // byte to "?": the object would keep another text than the one typed.
      if (Utf8(native) != text) return false;
      out.SetasQVString(native);
      return true;
    }
    default:
      return false;
  }
}
