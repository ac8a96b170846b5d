// A GNU gettext message catalog (.mo file) of one language domain, read whole
// into memory. Texts are UTF-8 as compiled by msgfmt.
//
// The host reads catalogs itself instead of asking libintl: libintl ignores
// LANGUAGE while the process runs under the C locale (a host started without
// a locale, or one that never calls setlocale, would never translate), and it
// translates only into languages whose locales have been generated on the
// machine. The host picks the language itself (--lang, then the environment)
// and needs neither.
#ifndef HOST_CATALOG_H
#define HOST_CATALOG_H

#include <string>
#include <unordered_map>

class HostCatalog {
 public:
  // Where a domain's catalog for a language lies under a locale folder:
  // localeDir/language/LC_MESSAGES/domain.mo (gettext's layout).
  static std::string PathOf(const std::string& localeDir, const std::string& language,
                            const std::string& domain) {
    return localeDir + "/" + language + "/LC_MESSAGES/" + domain + ".mo";
  }

  // Loads path. A missing file leaves the catalog empty and returns false; a
  // damaged one (bad magic, a table or string outside the file) also returns
  // false and keeps nothing of it.
  bool Load(const std::string& path);
  // Parses a catalog held in memory, with the same rules as Load.
  bool Parse(const std::string& bytes);

  // The translation of msgid, or null when the catalog has none (the header
  // entry, msgid "", is never returned).
  const std::string* Find(const std::string& msgid) const;
  size_t Count() const { return mMessages.size(); }

 private:
  std::unordered_map<std::string, std::string> mMessages;
};

#endif
