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

// Splits at any of separators; every piece kept, blanks around it dropped.
std::vector<std::string> Pieces(const std::string& text, const char* separators) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t stop = text.find_first_of(separators, start);
    std::string piece = text.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
    size_t first = piece.find_first_not_of(" \t");
    size_t last = piece.find_last_not_of(" \t");
    pieces.push_back(first == std::string::npos ? std::string() : piece.substr(first, last - first + 1));
    if (stop == std::string::npos) return pieces;
    start = stop + 1;
  }
}

// A whole number in base (10 or 16) from 0 to max: digits only, no sign.
bool ParseWhole(const std::string& digits, int base, unsigned long max, unsigned long& out) {
  const char* allowed = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) return false;
  errno = 0;
  unsigned long value = std::strtoul(digits.c_str(), nullptr, base);
  if (errno == ERANGE || value > max) return false;
  out = value;
  return true;
}

}  // namespace

bool HostParseColourStrictly(const std::string& text, uint32_t& colour) {
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
  std::vector<std::string> parts = Pieces(text.substr(1, text.size() - 2), ";");
  if (parts.size() != 3 && parts.size() != 4) return false;
  uint32_t read = 0;
  for (size_t i = 0; i < 4; ++i) {
    unsigned long component = 255;
    if (i < parts.size() && !ParseWhole(parts[i], 10, 255, component)) return false;
    read = (read << 8) | static_cast<uint32_t>(component);
  }
  colour = read;
  return true;
}

bool HostParseUnitsStrictly(const std::string& text, std::vector<uint16_t>& units) {
  std::vector<uint16_t> read;
  if (text.find_first_not_of(" \t") != std::string::npos) {
    for (const std::string& piece : Pieces(text, ";,")) {
      unsigned long unit = 0;
      if (!ParseWhole(piece, 16, 0xFFFF, unit) || unit == 0) return false;
      read.push_back(static_cast<uint16_t>(unit));
    }
  }
  units = std::move(read);
  return true;
}

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

bool HostNativeText(const std::string& utf8, std::string& native) {
  QVString converted = QVString(utf8).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  QVString back = converted.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
  if (back.Std() != utf8) return false;
  native = converted.Std();
  return true;
}

bool HostParseValueLike(const QVValue& current, const std::string& text, QVValue& out) {
  switch (current.Type()) {
    case kQVValueTypeFloat:
    case kQVValueTypeInteger: {
      double d = 0.0;
      if (!ParseReal(text, d)) return false;
      if (current.Type() == kQVValueTypeInteger) {
        // Rounding would hand the object a number that was never typed.
        if (d != std::trunc(d) || std::fabs(d) >= 9.2e18) return false;
        out.SetasInteger(static_cast<int64_t>(d));
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
      // Invalid UTF-8 converts to nothing, and a character without a native
      // byte to "?": the object would keep another text than the one typed.
      std::string native;
      if (!HostNativeText(text, native)) return false;
      out.SetasQVString(QVString(native));
      return true;
    }
    default:
      return false;
  }
}
