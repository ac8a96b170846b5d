// The reference host's environment record: interface version, log procedure,
// language domains and translation from GNU gettext catalogs, application
// properties and standard paths. One per process: the record's functions
// take no context.
#ifndef HOST_ENVIRONMENT_H
#define HOST_ENVIRONMENT_H

#include <map>
#include <string>
#include <vector>

#include "bridge/HostCatalog.h"
#include "host/QVEnv.h"

struct HostEnvironmentOptions {
  // Folder holding <lang>/LC_MESSAGES/<domain>.mo catalogs.
  std::string localeDir;
  // Language code ("fr"); empty: no translation, texts come back unchanged.
  std::string language;
  // The host's document repository (standard path kind 7); created on demand.
  std::string repositoryDir;
};

class HostEnvironment {
 public:
  // The host interface version handed to plug-ins.
  static constexpr uint32_t kVersion = 0x00030100u;

  explicit HostEnvironment(const HostEnvironmentOptions& options);
  ~HostEnvironment();
  HostEnvironment(const HostEnvironment&) = delete;
  HostEnvironment& operator=(const HostEnvironment&) = delete;

  // The record handed to plug-ins; valid while this object lives.
  QVEnvironment* Record() { return &mRecord; }

  // The last kMaxLogLines log lines the plug-ins forwarded, oldest first
  // (each ends with a line feed). Older lines are dropped, so that a host
  // running for days holds a bounded log.
  static constexpr size_t kMaxLogLines = 256;
  const std::vector<std::string>& LogLines() const { return mLogLines; }
  void ClearLog() { mLogLines.clear(); }

  // The text selected by the last domain selection, translated as a plug-in
  // would see it (native 8-bit encoding).
  std::string Translate(const std::string& domain, const std::string& text);

  // The language code chosen from the options or, when they name none, from
  // LANGUAGE, LC_ALL, LC_MESSAGES and LANG (the two-letter code; "C" and
  // "POSIX" give none).
  static std::string LanguageFromEnvironment();

  const HostEnvironmentOptions& Options() const { return mOptions; }

 private:
  static HostEnvironment* sCurrent;

  static void LogMessage(const char* text);
  static const char* SetLanguageDomain(const char* domain);
  static const char* GetText(const char* text);
  [[nodiscard]] static int32_t GetApplicationProperty(const char* name, QVValue* value);
  [[nodiscard]] static int32_t GetStandardPath(int32_t kind, QVString* path);

  const HostCatalog* CatalogFor(const std::string& domain);

  HostEnvironmentOptions mOptions;
  QVEnvironment mRecord{};
  std::vector<std::string> mLogLines;
  std::string mDomain;
  std::string mLastText;  // storage of the last answer handed out
  std::map<std::string, HostCatalog> mCatalogs;
};

#endif
