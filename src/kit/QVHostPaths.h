// Paths and properties that the host application defines: where its document
// repository lies and which properties it exposes.
//
// The answers come from a provider the host bridge installs. While none is
// installed (the kit running without a host) every function gives its empty
// answer: kQVErrGeneric (-1) or the empty path.
#ifndef QV_HOST_PATHS_H
#define QV_HOST_PATHS_H

#include <cstdint>

#include "kit/QVFilePath.h"
#include "kit/QVString.h"

class QVValue;

// The host's standard path kind of its document repository.
constexpr int32_t kQVStandardPathRepository = 7;

// The host bridge's answers. Both members must be set.
struct QVHostPathProvider {
  // Stores the application property key into value; returns 0 or an error.
  long (*getApplicationProperty)(const QVString& key, QVValue* value);
  // Stores the directory of the given kind into out; false when the host
  // knows no such kind.
  bool (*getStandardPath)(int32_t kind, QVFilePath* out);
};

// Installs provider (not copied: it must outlive its use); null removes it.
void QVSetHostPathProvider(const QVHostPathProvider* provider);
const QVHostPathProvider* QVGetHostPathProvider();

// Asks the host for a named property of the application; kQVErrGeneric
// without a provider or with a null value.
[[nodiscard]] long QVGetApplicationProperty(const QVString& key, QVValue* value);

// The directory the host defines for kind, or kQVNullFilePath. The reference
// stays valid for the life of the process; it is refreshed by the next call
// with the same kind.
const QVFilePath& QVGetStandardPath(int32_t kind);

// The host's repository directory (standard path kind 7), or kQVNullFilePath.
const QVFilePath& QVGetRepositoryDirPath();

// The repository directory with name as file name; empty when there is no
// repository directory.
QVFilePath QVGetRepositoryFilePath(const QVString& name);

// QVFileUtils::GetAvailableFilePath in the repository directory; an empty
// prefix means "zemo_tmp_". Empty when there is no repository directory.
QVFilePath QVGetRepositoryAvailableFilePath(const QVString& prefix);

#endif
