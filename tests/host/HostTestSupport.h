// Shared ground of the reference host's in-process tests: the real plug-in
// class registered through the host's tables, a scratch folder, raw file
// bytes and the chunks documents are made of.
#ifndef HOST_TEST_SUPPORT_H
#define HOST_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bridge/HostEnvironment.h"
#include "bridge/HostPlugin.h"
#include "host/QVHandler.h"
#include "kit/QVFileTestUtil.h"
#include "object/CStdTalvaneRegistration.h"
#include "object/TalvaneTestSupport.h"

namespace hosttest {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names in a folder, "." and ".." left out, sorted.
inline std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline struct stat StatOf(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info;
}

// A chunk as documents hold it: signature, big-endian size, payload.
inline std::string Chunk(const char (&signature)[5], const std::string& payload) {
  std::string chunk(signature, 4);
  uint32_t size = static_cast<uint32_t>(payload.size());
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((size >> shift) & 0xFF);
  return chunk + payload;
}

inline uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

inline void PutBigEndian32(std::string& bytes, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

// The parts of a big-endian one-object document as the host writes it.
struct OneObjectDocument {
  std::string head;        // the whole "head" chunk
  std::string identity;    // class identifiers and frame (48 bytes)
  std::string base;        // the whole "base" chunk
  std::string data;        // the whole "data" chunk
  std::string Assemble(const std::string& objectChunks) const {
    return head + Chunk("objt", identity + objectChunks);
  }
  std::string Standard() const { return Assemble(base + data); }
};

inline OneObjectDocument SplitOneObject(const std::string& bytes) {
  OneObjectDocument doc;
  doc.head = bytes.substr(0, 16);
  doc.identity = bytes.substr(24, 48);
  size_t base = 72;
  size_t data = base + 8 + BigEndian32(bytes, base + 4);
  doc.base = bytes.substr(base, data - base);
  doc.data = bytes.substr(data, 8 + BigEndian32(bytes, data + 4));
  return doc;
}

// The plug-in's class registered with a reference host in this process, and
// a scratch folder.
class RegisteredHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetRegistration();
    QVHandler::sWrapper = nullptr;
    env = std::make_unique<HostEnvironment>(HostEnvironmentOptions{});
    plugin = std::make_unique<HostPlugin>(*env);
    ASSERT_EQ(plugin->Register(&CStdTalvaneRegister), 0);
  }
  void TearDown() override {
    plugin.reset();
    env.reset();
    QVHandler::sWrapper = nullptr;
    ForgetRegistration();
  }

  std::string PathOf(const std::string& name) const { return dir.Path(name); }

  std::unique_ptr<HostEnvironment> env;
  std::unique_ptr<HostPlugin> plugin;
  qvtest::ScratchDir dir;
};

}  // namespace hosttest

#endif
