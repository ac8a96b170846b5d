#include "bridge/HostInstallLayout.h"

#include <sys/stat.h>

namespace {

bool IsKind(const std::string& path, mode_t kind) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

}  // namespace

std::string HostInstallLayout::PluginPath() const {
  std::string beside = mExeDir + "/StdTalvane.so";
  if (IsKind(beside, S_IFREG)) return beside;
  return mExeDir + "/" + TALVANE_BIN_TO_PLUGIN + "/StdTalvane.so";
}

std::string HostInstallLayout::LocaleDir() const {
  std::string beside = mExeDir + "/locale";
  if (IsKind(beside, S_IFDIR)) return beside;
  return mExeDir + "/" + TALVANE_BIN_TO_DATA + "/locale";
}
