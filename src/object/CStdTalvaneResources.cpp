#include "object/CStdTalvaneResources.h"

#include <dlfcn.h>

#include <string>

#include "graphics/AGFont.h"
#include "kit/QVFilePath.h"
#include "kit/QVFileUtils.h"
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

// The resources folder (UTF-8, ending in "/") beside the plug-in library when
// it holds the readable file probe (a path inside it), else the source tree's;
// empty when neither does.
std::string ResourcesDirHolding(const char* probe) {
  std::string module = ModuleDir();
  std::string candidates[] = {
      module.empty() ? std::string() : module + "resources/",
#ifdef TALVANE_SOURCE_RESOURCES_DIR
      std::string(TALVANE_SOURCE_RESOURCES_DIR) + "/",
#endif
  };
  for (const std::string& candidate : candidates) {
    if (candidate.empty() || candidate[0] != '/') continue;
    if (QVFileUtils::FileIsReadable(QVFilePath(NativeFromUtf8(candidate + probe)))) return candidate;
  }
  return {};
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
  return AGFont::AddApplicationFontFile(CStdTalvaneSymbolFontPath());
}

void CStdTalvaneAddKeyLayouts() { UKeyLayout::SetSymbolLayoutFolder(CStdTalvaneKeyLayoutsPath()); }
