#include "kit/QVErrors.h"

namespace {

struct ErrorEntry {
  long code;
  const char* name;
  const char* message;
};

constexpr ErrorEntry kErrorEntries[] = {
#define QV_ERROR_ENTRY(name, value, message) {value, #name, message},
    QV_ERROR_TABLE(QV_ERROR_ENTRY)
#undef QV_ERROR_ENTRY
};

const ErrorEntry* FindEntry(long code) {
  for (const ErrorEntry& e : kErrorEntries) {
    if (e.code == code) return &e;
  }
  return nullptr;
}

}  // namespace

const char* QVErrorName(long code) {
  const ErrorEntry* e = FindEntry(code);
  return e ? e->name : nullptr;
}

const char* QVErrorMessage(long code) {
  const ErrorEntry* e = FindEntry(code);
  return e ? e->message : nullptr;
}
