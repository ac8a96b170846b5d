// The host environment record (gQVEnv): the host's interface version and the
// services it offers to plug-ins. Any function may be null.
//
//   offset  width  content
//   0       4      host interface version (accepted: 0x0003hhhh with hhhh > 0x00FF)
//   32      8      application-property lookup (name, QVValue out) → status
//   40      8      standard-path lookup (kind, path out) → status
//   96      8      log-message procedure (one zero-terminated line)
//   104     8      language-domain selector (domain) → domain
//   112     8      text translator (text) → translated text
//   size 120
#ifndef QV_ENV_H
#define QV_ENV_H

#include <cstddef>
#include <cstdint>

class QVValue;
class QVString;

struct QVEnvironment {
  uint32_t version;
  uint8_t reserved0[28];
  // 0 and the value stored, or a negative status when the host has no such property.
  int32_t (*getApplicationProperty)(const char* name, QVValue* value);
  // 0 and the directory (ending in "/") stored in path, or a negative status.
  // Kind 7 is the host's document repository.
  int32_t (*getStandardPath)(int32_t kind, QVString* path);
  uint8_t reserved1[48];
  void (*logMessage)(const char* text);
  // Both return a text that stays valid until the next call of the same
  // function (the argument itself when there is nothing to change).
  const char* (*setLanguageDomain)(const char* domain);
  const char* (*getText)(const char* text);
};

static_assert(offsetof(QVEnvironment, version) == 0);
static_assert(offsetof(QVEnvironment, getApplicationProperty) == 32);
static_assert(offsetof(QVEnvironment, getStandardPath) == 40);
static_assert(offsetof(QVEnvironment, logMessage) == 96);
static_assert(offsetof(QVEnvironment, setLanguageDomain) == 104);
static_assert(offsetof(QVEnvironment, getText) == 112);
static_assert(sizeof(QVEnvironment) == 120);

// The record registration kept; null before registration and in a host.
extern QVEnvironment* gQVEnv;

#endif
