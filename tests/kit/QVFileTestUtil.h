// Helpers shared by the file tests: a scratch directory removed at the end,
// raw file bytes, and a capture of the kit's log lines.
#ifndef QV_FILE_TEST_UTIL_H
#define QV_FILE_TEST_UTIL_H

#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kit/QVLog.h"

namespace qvtest {

using Bytes = std::vector<uint8_t>;

// A fresh directory under /tmp, deleted with its content on destruction.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/qvfile_test_XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made) mDir = made;
  }
  ~ScratchDir() {
    if (mDir.empty()) return;
    ::nftw(
        mDir.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Dir() const { return mDir; }
  std::string Path(const std::string& name) const { return mDir + "/" + name; }

 private:
  std::string mDir;
};

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Collects the lines the kit logs while it lives (they still reach stderr).
class LogCapture {
 public:
  LogCapture() {
    Lines().clear();
    mPrevious = QVGetCustomLogMessageProc();
    QVSetCustomLogMessageProc([](const char* line) { Lines().emplace_back(line); });
  }
  ~LogCapture() { QVSetCustomLogMessageProc(mPrevious); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<std::string>& Get() const { return Lines(); }
  std::string All() const {
    std::string all;
    for (const std::string& line : Lines()) all += line;
    return all;
  }

 private:
  static std::vector<std::string>& Lines() {
    static std::vector<std::string> sLines;
    return sLines;
  }
  QVLogMessageProc mPrevious = nullptr;
};

}  // namespace qvtest

#endif
