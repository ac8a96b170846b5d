#include "object/CStdTalvaneResources.h"

#include <dlfcn.h>

#include <string>

#include "graphics/AGFont.h"
#include "kit/QVFilePath.h"
#include "kit/QVFileUtils.h"

namespace {

constexpr const char kSymbolFontFile[] = "resources/fonts/PelmarUC.ttf";

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

}  // namespace

QVString CStdTalvaneSymbolFontPath() {
  std::string candidates[] = {
      ModuleDir() + kSymbolFontFile,
#ifdef TALVANE_SOURCE_RESOURCES_DIR
      std::string(TALVANE_SOURCE_RESOURCES_DIR) + "/fonts/PelmarUC.ttf",
#endif
  };
  for (const std::string& candidate : candidates) {
    if (candidate.empty() || candidate[0] != '/') continue;
    QVString native = NativeFromUtf8(candidate);
    if (QVFileUtils::FileIsReadable(QVFilePath(native))) return native;
  }
  return QVString();
}

long CStdTalvaneAddSymbolFont() {
  return AGFont::AddApplicationFontFile(CStdTalvaneSymbolFontPath());
}
