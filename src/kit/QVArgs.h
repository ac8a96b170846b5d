// QVArgs: an ordered list of argument strings, built from argc/argv or from
// one command-line-like text.
//
// An argument that carries a value is the switch name immediately followed by
// the value (-name:value). Lookups are prefix matches on whole arguments, so
// callers include the colon in the name they ask for ('-size:').
#ifndef QV_ARGS_H
#define QV_ARGS_H

#include <cstdint>

#include "kit/QVString.h"

class QVArgs {
 public:
  QVArgs() = default;
  // One argument per entry of argv[0 .. argc-1]; a null argv or a
  // non-positive argc gives an empty list, a null entry an empty argument.
  QVArgs(int argc, const char* const* argv);
  // Splits text at spaces and tabs outside double quotes. Each double quote
  // toggles quoting and is dropped when removeQuotes is true; there is no
  // escape character. An unterminated quote runs to the end of the text.
  // When the first argument is empty (text starting with "" and removeQuotes)
  // the whole list is empty; later empty arguments are kept.
  QVArgs(const char* text, bool removeQuotes);
  QVArgs(const QVString& text, bool removeQuotes);
  QVArgs(const QVArgs& other) = default;
  QVArgs& operator=(const QVArgs& other) = default;

  // Number of arguments.
  int32_t argc() const { return static_cast<int32_t>(mArgs.Length()); }
  // The text of argument index, or null when index is out of range.
  const char* argv(int32_t index) const;
  // Argument index, or kQVNullString when index is out of range.
  const QVString& GetArg(int32_t index) const;
  const QVStringArray& Args() const { return mArgs; }

  // True when some argument starts with name.
  bool IsParam(const QVString& name) const;
  // The first argument starting with name: value receives the rest of it and
  // the result is true. Otherwise value is emptied and the result is false.
  bool GetParam(const QVString& name, QVString& value) const;
  // The same rest as a new string, or an empty string.
  QVString GetParam(const QVString& name) const;

 private:
  void Split(const char* text, bool removeQuotes);

  QVStringArray mArgs;
};

#endif
