// Fuzz target for the reference host's translation catalogs: the input is a
// GNU gettext .mo file, parsed from memory, loaded from a file, and read by
// the host's environment as the catalog of a language.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a refused catalog keeps nothing; an accepted one never answers the
//     header entry (msgid "");
//   - parsing from memory and loading the same bytes from a file agree;
//   - the environment answers a text from the catalog, or the text itself
//     when the catalog has none or is refused.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "bridge/HostCatalog.h"
#include "bridge/HostEnvironment.h"

namespace {

// Texts the plug-in asks for, and a few others.
const char* const kTexts[] = {"Talvane", "Font Size", "None", "x", ""};

// The folder of a language "xx" whose catalog of domain StdTalvane is the
// input; made once.
std::string CatalogPath(const std::string& localeDir) {
  static const bool made = ::mkdir(localeDir.c_str(), 0700) == 0 &&
                           ::mkdir((localeDir + "/xx").c_str(), 0700) == 0 &&
                           ::mkdir((localeDir + "/xx/LC_MESSAGES").c_str(), 0700) == 0;
  FuzzRequire(made, "the catalog folders are made");
  return localeDir + "/xx/LC_MESSAGES/StdTalvane.mo";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  HostCatalog parsed;
  const bool accepted = parsed.Parse(bytes);
  if (!accepted) FuzzRequire(parsed.Count() == 0, "a refused catalog keeps nothing");
  FuzzRequire(parsed.Find("") == nullptr, "the header entry is never an answer");

  const std::string localeDir = FuzzScratchFolder::Shared().Path("locale");
  const std::string path = CatalogPath(localeDir);
  FuzzWriteFile(path, bytes.data(), bytes.size());
  HostCatalog loaded;
  FuzzRequire(loaded.Load(path) == accepted && loaded.Count() == parsed.Count(),
              "a catalog loads from a file as it parses from memory");

  HostEnvironmentOptions options;
  options.localeDir = localeDir;
  options.language = "xx";
  HostEnvironment environment(options);
  for (const char* text : kTexts) {
    const std::string* found = parsed.Find(text);
    const std::string answer = environment.Translate("StdTalvane", text);
    FuzzRequire(found ? !answer.empty() : answer == text,
                "the environment answers from the catalog or with the text itself");
  }
  return 0;
}
