#include "kit/QVHostPaths.h"

#include <map>

#include "kit/QVErrors.h"
#include "kit/QVFileUtils.h"

namespace {

const QVHostPathProvider* sProvider = nullptr;

}  // namespace

void QVSetHostPathProvider(const QVHostPathProvider* provider) { sProvider = provider; }

const QVHostPathProvider* QVGetHostPathProvider() { return sProvider; }

long QVGetApplicationProperty(const QVString& key, QVValue* value) {
  if (!sProvider || !sProvider->getApplicationProperty || !value) return kQVErrGeneric;
  return sProvider->getApplicationProperty(key, value);
}

const QVFilePath& QVGetStandardPath(int32_t kind) {
  if (!sProvider || !sProvider->getStandardPath) return kQVNullFilePath;
  // Map nodes never move, so each kind's entry can be handed out by reference.
  static std::map<int32_t, QVFilePath> sPaths;
  QVFilePath answer;
  if (!sProvider->getStandardPath(kind, &answer) || answer.IsEmpty()) return kQVNullFilePath;
  // The answer names a directory; without a final "/" its last name would be
  // taken for a file name by the path operations.
  if (!answer.String().EndsWith("/")) answer = answer.String() + "/";
  QVFilePath& entry = sPaths[kind];
  entry = answer;
  return entry;
}

const QVFilePath& QVGetRepositoryDirPath() { return QVGetStandardPath(kQVStandardPathRepository); }

QVFilePath QVGetRepositoryFilePath(const QVString& name) {
  QVFilePath path = QVGetRepositoryDirPath();
  if (path.IsEmpty()) return path;
  path.SetFileName(name);
  return path;
}

QVFilePath QVGetRepositoryAvailableFilePath(const QVString& prefix) {
  const QVFilePath& dir = QVGetRepositoryDirPath();
  // An empty directory would send the name to the temporary directory.
  if (dir.IsEmpty()) return QVFilePath();
  return QVFileUtils::GetAvailableFilePath(dir, prefix.IsEmpty() ? QVString("zemo_tmp_") : prefix);
}
