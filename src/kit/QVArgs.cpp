#include "kit/QVArgs.h"

QVArgs::QVArgs(int argc, const char* const* argv) {
  if (!argv) return;
  for (int i = 0; i < argc; ++i) mArgs.Append(QVString(argv[i]));
}

QVArgs::QVArgs(const char* text, bool removeQuotes) { Split(text, removeQuotes); }

QVArgs::QVArgs(const QVString& text, bool removeQuotes) { Split(text.c_str(), removeQuotes); }

void QVArgs::Split(const char* text, bool removeQuotes) {
  mArgs.Clear();
  if (!text) return;
  const char* p = text;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') break;
    QVString arg;
    bool quoted = false;
    for (; *p != '\0'; ++p) {
      char c = *p;
      if (c == '"') {
        quoted = !quoted;
        if (!removeQuotes) arg.AppendChar(c);
      } else if (!quoted && (c == ' ' || c == '\t')) {
        break;
      } else {
        arg.AppendChar(c);
      }
    }
    mArgs.Append(std::move(arg));
  }
  // A text that opens with an empty quoted string counts as no arguments.
  if (!mArgs.IsEmpty() && mArgs[0].IsEmpty()) mArgs.Clear();
}

const char* QVArgs::argv(int32_t index) const {
  if (index < 0 || index >= argc()) return nullptr;
  return mArgs[static_cast<uint32_t>(index)].c_str();
}

const QVString& QVArgs::GetArg(int32_t index) const {
  if (index < 0 || index >= argc()) return kQVNullString;
  return mArgs[static_cast<uint32_t>(index)];
}

bool QVArgs::IsParam(const QVString& name) const {
  for (const QVString& arg : mArgs) {
    if (arg.StartsWith(name)) return true;
  }
  return false;
}

bool QVArgs::GetParam(const QVString& name, QVString& value) const {
  for (const QVString& arg : mArgs) {
    // value is written only on a match: it may be name itself, which a
    // failed comparison must not empty before the next argument is tried.
    if (arg.StartsWith(name)) {
      value = arg.SubString(name.Length(), arg.Length());
      return true;
    }
  }
  value.Clear();
  return false;
}

QVString QVArgs::GetParam(const QVString& name) const {
  QVString value;
  GetParam(name, value);
  return value;
}
