// Fuzz target for the studio's readers of typed text: a number field's text
// (StudioSettings::ParseNumber, behind SetNumberText), a time as typed
// ("1:02:03.5", StudioParseTime) and the command line (its arguments are the
// input split at zero bytes).
//
// What must hold for any input:
//   - no crash, no memory error, no undefined behaviour, no leak;
//   - a number reads only from blanks, at most one sign, digits and at most
//     one "." or ",", and then as the C library reads the same digits; a
//     refused text leaves the caller's number alone;
//   - a time reads only from "-", one to three fields (the later two of two
//     digits below 60) and up to six decimals; it formats and reads back to
//     itself, and formatting is idempotent at every number of decimals
//     (below 2^43 ms, where doubles hold every microsecond); a
//     refused text leaves the caller's time alone;
//   - a command line that reads names the document by a ".tlv" argument and
//     the recording by another one, both taken from the arguments; a refused
//     one says why and leaves the caller's line alone.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "StudioCommandLine.h"
#include "StudioSettings.h"
#include "StudioTimeText.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number field's grammar: blanks, an optional sign, digits with at most
// one decimal mark (at least one digit), blanks. The number's text with the
// mark as "." goes to plain.
bool LooksLikeANumber(const std::string& text, std::string& plain) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  size_t end = text.find_last_not_of(" \t") + 1;
  size_t at = begin;
  if (text[at] == '+' || text[at] == '-') ++at;
  plain = text[begin] == '-' ? "-" : "";
  int digits = 0, marks = 0;
  for (; at < end; ++at) {
    char c = text[at];
    if (IsDigit(c)) {
      ++digits;
      plain += c;
    } else if ((c == '.' || c == ',') && marks++ == 0) {
      plain += '.';
    } else {
      return false;
    }
  }
  return digits > 0;
}

void Number(const std::string& text) {
  double value = -99.25;
  const bool read = StudioSettings::ParseNumber(text, value);
  std::string plain;
  const bool grammar = LooksLikeANumber(text, plain);
  if (!read) {
    FuzzRequire(value == -99.25, "a refused number leaves the caller's alone");
    if (grammar) {
      errno = 0;
      const double expected = std::strtod(plain.c_str(), nullptr);
      FuzzRequire(errno == ERANGE || !std::isfinite(expected), "a plain number in range reads");
    }
    return;
  }
  FuzzRequire(grammar, "a number reads only from a sign, digits and one decimal mark");
  FuzzRequire(std::isfinite(value), "a number read is finite");
  FuzzRequire(value == std::strtod(plain.c_str(), nullptr),
              "a number reads as the C library reads its digits");
}

// The time grammar: "-"? digits (":" two digits below 60){0,2} ("." 1-6 digits)?
bool LooksLikeATime(const std::string& text) {
  size_t at = text.empty() || text[0] != '-' ? 0 : 1;
  size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  if (at == start) return false;
  for (int field = 0; field < 2 && at < text.size() && text[at] == ':'; ++field) {
    if (at + 2 >= text.size() || !IsDigit(text[at + 1]) || !IsDigit(text[at + 2]) ||
        text[at + 1] > '5') {
      return false;
    }
    at += 3;
  }
  if (at < text.size() && text[at] == '.') {
    start = ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == start || at - start > 6) return false;
  }
  return at == text.size();
}

void Time(const std::string& text, int decimals) {
  double ms = -99.25;
  if (!StudioParseTime(text, ms)) {
    FuzzRequire(ms == -99.25, "a refused time leaves the caller's alone");
    return;
  }
  FuzzRequire(LooksLikeATime(text), "a time reads only from its fields and decimals");
  FuzzRequire(std::isfinite(ms) && std::fabs(ms) <= 9007199254740992.0 / 1000.0,
              "a time read lies within 2^53 microseconds");
  double again = 0;
  FuzzRequire(StudioParseTime(StudioFormatTime(ms, kStudioTimeMaxDecimals), again) && again == ms,
              "a time read formats to microseconds and reads back the same");
  const std::string shown = StudioFormatTime(ms, decimals);
  double rounded = 0;
  FuzzRequire(StudioParseTime(shown, rounded), "a formatted time reads");
  // Beyond 2^43 ms doubles lie further apart than a microsecond.
  FuzzRequire(std::fabs(ms) >= 8796093022208.0 || StudioFormatTime(rounded, decimals) == shown,
              "formatting a time is idempotent");
}

void CommandLine(const std::string& text) {
  std::vector<std::string> args;
  for (size_t at = 0; at <= text.size();) {
    size_t zero = text.find('\0', at);
    if (zero == std::string::npos) zero = text.size();
    args.push_back(text.substr(at, zero - at));
    at = zero + 1;
  }
  StudioCommandLine line;
  line.plugin = "kept";
  std::string error;
  if (!StudioParseCommandLine(args, line, error)) {
    FuzzRequire(!error.empty() && line.plugin == "kept" && line.document.empty(),
                "a refused command line says why and changes nothing");
    return;
  }
  auto given = [&](const std::string& value) {
    if (value.empty()) return true;
    for (const std::string& arg : args) {
      if (arg == value) return true;
    }
    return false;
  };
  FuzzRequire(line.document.empty() || StudioIsDocumentPath(line.document),
              "the document is a .tlv argument");
  FuzzRequire(line.recording.empty() || !StudioIsDocumentPath(line.recording),
              "the recording is not a .tlv argument");
  FuzzRequire(given(line.document) && given(line.recording) && given(line.plugin) &&
                  given(line.language) && given(line.exportPath),
              "every file and value comes from the arguments");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), data ? size : 0);
  Number(text);
  Time(text, static_cast<int>(size % (kStudioTimeMaxDecimals + 1)));
  CommandLine(text);
  return 0;
}
