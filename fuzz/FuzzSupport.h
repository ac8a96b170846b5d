// What the fuzz targets share: a broken rule aborts (so that the fuzzer keeps
// the input), and scratch files in a private temporary folder.
#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

// The sanitizers' summary line, when a sanitizer runtime is linked: it
// reaches the report even when the fuzzer closed the target's stderr.
extern "C" void __sanitizer_report_error_summary(const char* summary) __attribute__((weak));

// Aborts with the rule when condition does not hold.
inline void FuzzRequire(bool condition, const char* rule) {
  if (condition) return;
  std::fprintf(stderr, "fuzz target: broken rule: %s\n", rule);
  if (__sanitizer_report_error_summary) {
    __sanitizer_report_error_summary((std::string("broken rule: ") + rule).c_str());
  }
  std::abort();
}

// A folder of the process's own under the temporary directory, emptied and
// removed when the process ends. Scratch files are named inside it.
class FuzzScratchFolder {
 public:
  static FuzzScratchFolder& Shared() {
    static FuzzScratchFolder folder;
    return folder;
  }
  // path of name inside the folder (UTF-8, ASCII names only).
  std::string Path(const char* name) const { return mPath + "/" + name; }
  const std::string& Folder() const { return mPath; }

 private:
  FuzzScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/talvane-fuzz-XXXXXX";
    FuzzRequire(::mkdtemp(&pattern[0]) != nullptr, "a scratch folder can be made");
    mPath = pattern;
  }
  ~FuzzScratchFolder() { RemoveTree(mPath); }

  static void RemoveTree(const std::string& path) {
    if (DIR* dir = ::opendir(path.c_str())) {
      while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        RemoveTree(path + "/" + entry->d_name);
      }
      ::closedir(dir);
      ::rmdir(path.c_str());
    } else {
      ::unlink(path.c_str());
    }
  }

  std::string mPath;
};

inline void FuzzWriteFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (size) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  FuzzRequire(static_cast<bool>(out), "a scratch file is written");
}

// The whole file; empty when it cannot be read.
inline std::string FuzzReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

#endif
