#include "kit/QVFileUtils.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kit/QVErrors.h"
#include "kit/QVFileUtils_p.h"
#include "kit/platform/QVSystem_p.h"

namespace {

// Incremented before every name tried, shared by all callers.
int32_t sTemporaryNameCounter = 0;

// A path the system hands us (UTF-8) as a kit path (native bytes).
QVFilePath LowPathFromSystem(const QVString& text) {
  return QVFilePath(text.ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative));
}

using LowKind = QVSystem::EntryKind;
using LowPermission = QVSystem::Permission;

// The path must name an entry of the given kind (a file or a directory) and,
// when permission is given, grant it.
bool LowCheck(const QVFilePath& path, LowKind kind, const LowPermission* permission = nullptr) {
  char system[kQVSystemPathMax];
  if (!QVFileUtils::GetAsSystemPath(system, path, kind == LowKind::kDirectory)) return false;
  if (QVSystem::GetEntryKind(system, nullptr) != kind) return false;
  return !permission || QVSystem::HasPermission(system, *permission);
}

bool LowCheck(const QVFilePath& path, LowKind kind, LowPermission permission) {
  return LowCheck(path, kind, &permission);
}

// The directory of the running executable in the system's form, without a
// final "/" (empty for an executable at the root). False when the system does
// not tell.
bool LowExecutableDirText(QVString& dir) {
  std::string path;
  if (!QVSystem::GetExecutablePath(path)) return false;
  QVString exe(path);
  uint32_t slash = kQVStringNotFound;
  if (!exe.FindFromEnd("/", 0, &slash)) return false;
  dir = exe.SubString(0, slash);
  return true;
}

struct LowApplicationDirs {
  QVFilePath resources;
  QVFilePath application;
};

// Both stay empty when the executable cannot be located, rather than
// pointing at the root.
const LowApplicationDirs& LowGetApplicationDirs() {
  static const LowApplicationDirs sDirs = [] {
    LowApplicationDirs dirs;
    QVString exeDir;
    if (LowExecutableDirText(exeDir)) {
      QVLowBundleDirPaths(LowPathFromSystem(exeDir), dirs.resources, dirs.application);
    }
    return dirs;
  }();
  return sDirs;
}

}  // namespace

QVString QVLowTemporaryDirText(const char* tmpdir) {
  QVString text((tmpdir && *tmpdir) ? tmpdir : P_tmpdir);
  if (!text.EndsWith("/")) text.Append("/");
  return text;
}

void QVLowBundleDirPaths(const QVFilePath& bundle, QVFilePath& resources,
                         QVFilePath& application) {
  QVString text = bundle.String();
  if (text.EndsWith("/") && text.Length() > 1) text = text.SubString(0, text.Length() - 1);
  if (text.EndsWith(".app")) {
    resources = text + "/Contents/Resources/";
    application = text;
    application.RemoveFileName();
    return;
  }
  if (!text.EndsWith("/")) text.Append("/");
  resources = text;
  application = text;
}

bool QVFileUtils::DirExists(const QVFilePath& path) { return LowCheck(path, LowKind::kDirectory); }

bool QVFileUtils::DirIsReadable(const QVFilePath& path) {
  return LowCheck(path, LowKind::kDirectory, LowPermission::kRead);
}

bool QVFileUtils::DirIsWritable(const QVFilePath& path) {
  return LowCheck(path, LowKind::kDirectory, LowPermission::kWrite);
}

bool QVFileUtils::FileExists(const QVFilePath& path) { return LowCheck(path, LowKind::kFile); }

bool QVFileUtils::FileIsReadable(const QVFilePath& path) { return LowCheck(path, LowKind::kFile, LowPermission::kRead); }

bool QVFileUtils::FileIsWritable(const QVFilePath& path) { return LowCheck(path, LowKind::kFile, LowPermission::kWrite); }

bool QVFileUtils::FileIsExecutable(const QVFilePath& path) {
  return LowCheck(path, LowKind::kFile, LowPermission::kExecute);
}

long QVFileUtils::GetFileSize(const QVFilePath& path, uint64_t& size) {
  size = 0;
  char system[kQVSystemPathMax];
  uint64_t found = 0;
  if (!GetAsSystemPath(system, path, false) ||
      QVSystem::GetEntryKind(system, &found) != QVSystem::EntryKind::kFile) {
    return kQVErrNotAFile;
  }
  size = found;
  return kQVNoErr;
}

bool QVFileUtils::RemoveFile(const QVFilePath& path) {
  char system[kQVSystemPathMax];
  return GetAsSystemPath(system, path, false) && QVSystem::RemoveFile(system);
}

bool QVFileUtils::GetAsSystemPath(char* buffer, const QVFilePath& path, bool /*isDirectory*/) {
  if (!buffer) return false;
  buffer[0] = '\0';
  if (path.IsEmpty()) return false;
  QVString text = path.String().ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
  // A NUL byte would silently cut the path short at the system call.
  if (text.IsEmpty() || text.Length() >= kQVSystemPathMax ||
      std::memchr(text.c_str(), '\0', text.Length()) != nullptr) {
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.Length() + 1);
  return true;
}

QVFilePath QVFileUtils::GetAvailableFilePath(const QVFilePath& dir, const QVString& prefix) {
  // Without a directory the name goes to the temporary directory with the
  // same counter scheme: the system's tempnam is deprecated and racy in the
  // same way, and this keeps one naming rule.
  QVString folder = dir.IsEmpty() ? GetTemporaryDirPath().String() : dir.String();
  // Without the "/" the counter would glue onto the directory's own name.
  if (!folder.EndsWith("/")) folder.Append("/");
  const char* stem = prefix.IsEmpty() ? "tmp_" : prefix.c_str();
  char system[kQVSystemPathMax];
  for (;;) {
    // Wrap instead of overflowing; 2^31 existing files would be needed to
    // come round again.
    sTemporaryNameCounter = (sTemporaryNameCounter == INT32_MAX) ? 0 : sTemporaryNameCounter + 1;
    QVString name;
    name.Assignf("%s%s%04ld", folder.c_str(), stem, static_cast<long>(sTemporaryNameCounter));
    QVFilePath candidate(name);
    if (!GetAsSystemPath(system, candidate, false)) return QVFilePath();
    if (QVSystem::GetEntryKind(system, nullptr) != QVSystem::EntryKind::kFile) return candidate;
  }
}

const QVFilePath& QVFileUtils::GetTemporaryDirPath() {
  static const QVFilePath sPath = [] {
    QVFilePath path = LowPathFromSystem(QVLowTemporaryDirText(std::getenv("TMPDIR")));
    // $TMPDIR that is not valid UTF-8 cannot be used.
    if (path.IsEmpty()) path = LowPathFromSystem(QVLowTemporaryDirText(nullptr));
    return path;
  }();
  return sPath;
}

QVFilePath QVFileUtils::GetTemporaryFilePath() {
  return GetAvailableFilePath(GetTemporaryDirPath(), "tmp_");
}

const QVFilePath& QVFileUtils::GetResourcesDirPath() { return LowGetApplicationDirs().resources; }

const QVFilePath& QVFileUtils::GetApplicationDirPath() { return LowGetApplicationDirs().application; }

long QVFileUtils::GetFileTypeAndCreator(const QVFilePath& /*path*/, uint32_t& type,
                                        uint32_t& creator) {
  type = 0;
  creator = 0;
  return kQVErrGeneric;
}

long QVFileUtils::SetFileTypeAndCreator(const QVFilePath& /*path*/, uint32_t /*type*/,
                                        uint32_t /*creator*/) {
  return kQVErrGeneric;
}
