// A GNU gettext message catalog (.mo file) of one language domain, read whole
// into memory. Texts are UTF-8 as compiled by msgfmt.
#ifndef HOST_CATALOG_H
#define HOST_CATALOG_H

#include <string>
#include <unordered_map>

class HostCatalog {
 public:
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
