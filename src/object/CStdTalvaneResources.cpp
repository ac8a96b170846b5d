#include "object/CStdTalvaneResources.h"

#include <dlfcn.h>

#include <string>
#include <vector>

#include "graphics/AGFont.h"
#include "kit/QVFilePath.h"
#include "kit/QVFileUtils.h"
#include "kit/QVLog.h"
#include "object/CStdTalvaneConstants.h"
#include "textinput/UKeyLayout.h"

namespace {

constexpr const char kSymbolFontFile[] = "fonts/PelmarUC.ttf";
// The folder of the symbol keyboard layouts, and the file that tells it is one.
constexpr const char kKeyLayoutsDir[] = "keylayouts";
constexpr const char kKeyLayoutsRegistry[] = "keylayouts/rules/evdev.xml";

// The folder of the file that holds this code (the plug-in library), UTF-8,
// ending in "/"; empty when the system cannot tell.
std::string ModuleDir() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&CStdTalvaneSymbolFontPath), &info) || !info.dli_fname) {
    return {};
  }
  std::string path(info.dli_fname);
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

QVString NativeFromUtf8(const std::string& utf8) {
  return QVString(utf8).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
}

// Folders added by CStdTalvaneAddFallbackResourcesDir (UTF-8, ending in "/").
std::vector<std::string>& FallbackDirs() {
  static std::vector<std::string> sDirs;
  return sDirs;
}

// The resources folders where the plug-in's files are looked for (UTF-8,
// ending in "/"), in order: resources/ beside the plug-in library (a build
// folder), the installed tree's data folder found from the plug-in's own
// place, then the fallback folders of programs that link the object
// directly. Folders the system cannot tell are left out.
std::vector<std::string> ResourcesDirCandidates() {
  std::vector<std::string> dirs;
  std::string module = ModuleDir();
  if (!module.empty()) {
    dirs.push_back(module + "resources/");
    dirs.push_back(module + TALVANE_PLUGIN_TO_DATA + "/");
  }
  for (const std::string& dir : FallbackDirs()) dirs.push_back(dir);
  return dirs;
}

// Whether dir is a folder that is searched: only absolute paths are.
bool IsSearched(const std::string& dir) { return !dir.empty() && dir[0] == '/'; }

// The first of dirs that holds the readable file probe (a path inside it);
// empty when none does.
std::string FirstDirHolding(const std::vector<std::string>& dirs, const char* probe) {
  for (const std::string& dir : dirs) {
    if (!IsSearched(dir)) continue;
    if (QVFileUtils::FileIsReadable(QVFilePath(NativeFromUtf8(dir + probe)))) return dir;
  }
  return {};
}

std::string ResourcesDirHolding(const char* probe) {
  return FirstDirHolding(ResourcesDirCandidates(), probe);
}

}  // namespace

QVString CStdTalvaneSymbolFontPath() {
  std::string dir = ResourcesDirHolding(kSymbolFontFile);
  return dir.empty() ? QVString() : NativeFromUtf8(dir + kSymbolFontFile);
}

QVString CStdTalvaneKeyLayoutsPath() {
  std::string dir = ResourcesDirHolding(kKeyLayoutsRegistry);
  return dir.empty() ? QVString() : NativeFromUtf8(dir + kKeyLayoutsDir);
}

long CStdTalvaneAddSymbolFont() {
  QVStringArray dirs;
  for (const std::string& dir : ResourcesDirCandidates()) dirs.Append(NativeFromUtf8(dir));
  return CStdTalvaneAddSymbolFontFrom(dirs);
}

long CStdTalvaneAddSymbolFontFrom(const QVStringArray& resourceDirs) {
  std::vector<std::string> dirs;
  for (const QVString& dir : resourceDirs) {
    dirs.push_back(dir.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std());
  }
  std::string dir = FirstDirHolding(dirs, kSymbolFontFile);
  if (dir.empty()) {
    // Say what is missing and every file looked for, not an empty path.
    std::string places;
    for (const std::string& d : dirs) {
      if (!IsSearched(d)) continue;
      places += (places.empty() ? "" : ", ") + d + kSymbolFontFile;
    }
    std::string family =
        kBuiltinFontName.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
    return QVLogStatus(kQVErrFontNotFound, family.c_str(),
                       places.empty() ? "no resources folder is known" : places.c_str());
  }
  return AGFont::AddApplicationFontFile(NativeFromUtf8(dir + kSymbolFontFile));
}

void CStdTalvaneAddFallbackResourcesDir(const QVString& dir) {
  std::string utf8 = dir.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
  if (utf8.empty()) return;
  if (utf8.back() != '/') utf8 += '/';
  FallbackDirs().push_back(utf8);
}

void CStdTalvaneAddKeyLayouts() { UKeyLayout::SetSymbolLayoutFolder(CStdTalvaneKeyLayoutsPath()); }
