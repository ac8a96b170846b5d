#include "bridge/HostEnvironment.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "kit/QVErrors.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"

HostEnvironment* HostEnvironment::sCurrent = nullptr;

namespace {

// Creates dir and its parents (mode 0700 for the ones created).
bool MakeDirs(const std::string& dir) {
  if (dir.empty()) return false;
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    partial = dir.substr(0, pos);
    if (partial.empty()) continue;
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

HostEnvironment::HostEnvironment(const HostEnvironmentOptions& options) : mOptions(options) {
  mRecord.version = kVersion;
  mRecord.getApplicationProperty = &GetApplicationProperty;
  mRecord.getStandardPath = &GetStandardPath;
  mRecord.logMessage = &LogMessage;
  mRecord.setLanguageDomain = &SetLanguageDomain;
  mRecord.getText = &GetText;
  sCurrent = this;
}

HostEnvironment::~HostEnvironment() {
  if (sCurrent == this) sCurrent = nullptr;
}

std::string HostEnvironment::LanguageFromEnvironment() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    std::string code(value);
    // LANGUAGE may list several ("fr:en"): the first is preferred.
    code = code.substr(0, code.find(':'));
    if (code == "C" || code == "POSIX" || code.size() < 2) return {};
    return code.substr(0, 2);
  }
  return {};
}

const HostCatalog* HostEnvironment::CatalogFor(const std::string& domain) {
  if (mOptions.language.empty() || domain.empty()) return nullptr;
  auto it = mCatalogs.find(domain);
  if (it == mCatalogs.end()) {
    HostCatalog catalog;
    catalog.Load(HostCatalog::PathOf(mOptions.localeDir, mOptions.language, domain));
    it = mCatalogs.emplace(domain, std::move(catalog)).first;
  }
  return &it->second;
}

std::string HostEnvironment::Translate(const std::string& domain, const std::string& text) {
  const HostCatalog* catalog = CatalogFor(domain);
  // Catalogs are UTF-8; plug-ins hold texts in the kit's native encoding.
  QVString utf8 =
      QVString(text).ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
  const std::string* found = catalog ? catalog->Find(utf8.Std()) : nullptr;
  if (!found) return text;
  QVString translated =
      QVString(*found).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  return translated.IsEmpty() ? text : translated.Std();
}

void HostEnvironment::LogMessage(const char* text) {
  if (!sCurrent || !text) return;
  std::vector<std::string>& lines = sCurrent->mLogLines;
  // Moving up to 255 strings down is cheaper than the line's own formatting.
  if (lines.size() >= kMaxLogLines) lines.erase(lines.begin());
  lines.emplace_back(text);
}

const char* HostEnvironment::SetLanguageDomain(const char* domain) {
  if (!sCurrent || !domain) return domain;
  sCurrent->mDomain = domain;
  return domain;
}

const char* HostEnvironment::GetText(const char* text) {
  if (!sCurrent || !text) return text;
  sCurrent->mLastText = sCurrent->Translate(sCurrent->mDomain, text);
  return sCurrent->mLastText.c_str();
}

int32_t HostEnvironment::GetApplicationProperty(const char* name, QVValue* value) {
  if (!name || !value) return kQVErrGeneric;
  if (std::strcmp(name, "ApplicationName") == 0) {
    QVValueSetasQVString(value, "talvane-host");
    return 0;
  }
  if (std::strcmp(name, "ApplicationVersion") == 0) {
    QVValueSetasQVString(value, "1.0");
    return 0;
  }
  if (std::strcmp(name, "InterfaceVersion") == 0) {
    QVValueSetasUInt32(value, kVersion);
    return 0;
  }
  return kQVErrGeneric;
}

int32_t HostEnvironment::GetStandardPath(int32_t kind, QVString* path) {
  if (!sCurrent || !path) return kQVErrGeneric;
  if (kind != 7) return kQVErrGeneric;
  std::string dir = sCurrent->mOptions.repositoryDir;
  if (dir.empty() || !MakeDirs(dir)) return kQVErrGeneric;
  if (dir.back() != '/') dir += '/';
  // Paths reach plug-ins in the kit's native encoding.
  *path = QVString(dir).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  return 0;
}
