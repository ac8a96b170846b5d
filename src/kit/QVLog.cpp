#include "kit/QVLog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QVLogMessageProc sLogProc = nullptr;

// vsnprintf into a fresh string; false on a formatting error.
bool FormatV(std::string& out, const char* format, va_list args) {
  out.clear();
  if (!format) return false;
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return false;
  if (static_cast<size_t>(n) < sizeof small) {
    out.assign(small, static_cast<size_t>(n));
    return true;
  }
  out.resize(static_cast<size_t>(n) + 1);
  va_copy(copy, args);
  n = std::vsnprintf(&out[0], out.size(), format, copy);
  va_end(copy);
  if (n < 0) {
    out.clear();
    return false;
  }
  out.resize(static_cast<size_t>(n));
  return true;
}

void Emit(const std::string& line) {
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  if (sLogProc) sLogProc(line.c_str());
}

void WriteCodeLine(long code, const char* format, va_list args) {
  std::string message;
  FormatV(message, format, args);
  const char* word = code < 0 ? "Error" : "Warning";
  std::string line;
  char head[64];
  std::snprintf(head, sizeof head, "### QVLib %s %ld", word, code);
  line = head;
  if (!message.empty()) {
    line += ": ";
    line += message;
  }
  line += ".\n";
  Emit(line);
}

}  // namespace

void QVSetCustomLogMessageProc(QVLogMessageProc proc) { sLogProc = proc; }

QVLogMessageProc QVGetCustomLogMessageProc() { return sLogProc; }

void QVLogv(const char* format, va_list args) {
  std::string text;
  if (!FormatV(text, format, args) || text.empty()) return;
  Emit(text);
}

void QVLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  QVLogv(format, args);
  va_end(args);
}

long QVLogErrorv(long code, const char* format, va_list args) {
  if (code == 0) return 0;
  WriteCodeLine(code, format, args);
  return code < 0 ? code : 0;
}

long QVLogError(long code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  long result = QVLogErrorv(code, format, args);
  va_end(args);
  return result;
}

void QVLogWarning(long code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  QVLogErrorv(code, format, args);
  va_end(args);
}

void _QVAssert(const char* proc, const char* file, int line, bool condition,
               const char* expression) {
  if (condition) return;
  std::fprintf(stderr, "### QVLib Exit: Assertion (%s) is false,\n", expression ? expression : "");
  std::fprintf(stderr, "Proc: %s\nFile: %s\nLine: %d\n\n", proc ? proc : "", file ? file : "", line);
  std::fflush(stderr);
  std::exit(-1);
}

void _QVAssertWarning(const char* proc, const char* file, int line, bool condition,
                      const char* expression) {
  if (condition) return;
  QVLog("### QVLib Warning: Assertion (%s) is false,\n", expression ? expression : "");
  QVLog("Proc: %s\nFile: %s\nLine: %d\n\n", proc ? proc : "", file ? file : "", line);
}
