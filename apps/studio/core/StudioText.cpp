#include "StudioText.h"

#include "bridge/HostCatalog.h"

namespace {

HostCatalog& Catalog() {
  static HostCatalog sCatalog;
  return sCatalog;
}

}  // namespace

bool StudioText::Use(const std::string& localeDir, const std::string& language) {
  UseNone();
  if (language.empty()) return false;
  HostCatalog catalog;
  // A damaged catalog keeps nothing (HostCatalog::Load): English stays.
  if (!catalog.Load(HostCatalog::PathOf(localeDir, language, kDomain))) return false;
  Catalog() = std::move(catalog);
  return true;
}

void StudioText::UseNone() { Catalog() = HostCatalog(); }

const char* StudioText::Get(const char* text) {
  if (!text) return "";
  const std::string* found = Catalog().Find(text);
  return found && !found->empty() ? found->c_str() : text;
}

std::string StudioText::Format(const char* format, const std::string& argument) {
  std::string text = Get(format);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}
