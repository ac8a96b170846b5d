// The kit's log: free-form messages, numbered errors and warnings, and
// assertions. Every line goes to standard error first and then, when one is
// installed, to the forwarding callback, with identical text.
#ifndef QV_LOG_H
#define QV_LOG_H

#include <cstdarg>

#include "kit/QVErrors.h"

#if defined(__GNUC__)
#define QV_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define QV_PRINTF_FORMAT(fmt, args)
#endif

using QVLogMessageProc = void (*)(const char* text);

// Installs the forwarding callback (null switches forwarding off). The
// callback receives each whole line, final line feed included.
void QVSetCustomLogMessageProc(QVLogMessageProc proc);
QVLogMessageProc QVGetCustomLogMessageProc();

// Formats with printf rules; a non-empty result is written unchanged (no line
// feed is added). An empty result or a null format writes nothing.
void QVLog(const char* format, ...) QV_PRINTF_FORMAT(1, 2);
void QVLogv(const char* format, va_list args);

// code 0: nothing. Otherwise writes "### QVLib Error %ld: %s.\n" (negative
// code) or "### QVLib Warning %ld: %s.\n" (positive), or the form without
// ": %s" when there is no message. Returns code when negative, else 0, so that
// `return QVLogError(...)` hands an error on and turns a warning into success.
long QVLogError(long code, const char* format, ...) QV_PRINTF_FORMAT(2, 3);
long QVLogErrorv(long code, const char* format, va_list args);

// As QVLogError, without a result. The word Error or Warning follows the sign
// of the code only.
void QVLogWarning(long code, const char* format, ...) QV_PRINTF_FORMAT(2, 3);

// QVLogError with the message format of the status table (QVErrors.h); the
// arguments are those the table documents for the code, and the compiler
// checks them against its format: QVLogStatus<kQVErrFileRead>(path).
// Returns code.
template <QVStatus code, typename... Args>
inline long QVLogStatus(Args... args) {
  static_assert(code < 0, "QVLogStatus logs errors: their codes are negative");
  return QVLogError(code, QVStatusFormat<code>::kFormat, args...);
}

// When condition is false: two lines on standard error (not forwarded), then
// the process exits with status -1.
void _QVAssert(const char* proc, const char* file, int line, bool condition,
               const char* expression);
// When condition is false: the same two lines through QVLog (so forwarded),
// with "Warning" in the first; then returns.
void _QVAssertWarning(const char* proc, const char* file, int line, bool condition,
                      const char* expression);

#define QVAssert(cond) _QVAssert(__func__, __FILE__, __LINE__, static_cast<bool>(cond), #cond)
#define QVAssertWarning(cond) \
  _QVAssertWarning(__func__, __FILE__, __LINE__, static_cast<bool>(cond), #cond)

#endif
