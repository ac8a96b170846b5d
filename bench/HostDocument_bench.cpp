// Saving and loading a document of 10,000 default Talvane objects through
// the reference host's document code, with the plug-in loaded from its
// library as talvane-host loads it, beside the same bytes moved with one
// write() and one read().
//
// The save is the host's own: lock, temporary file, flush, fsync of the file,
// rename, fsync of the folder. So that the comparison is fair both ways, the
// anchor is measured with an fsync of the file between the write and the
// read and without, and the host's save once more with both its fsyncs
// skipped (through HostSafeSave's system-call seam). Every figure reads the
// file back from the page cache.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "BenchRounds.h"
#include "bridge/HostDocument.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostFd.h"
#include "bridge/HostPlugin.h"
#include "bridge/HostSafeSave.h"

namespace {

constexpr uint32_t kObjects = 10000;

int NoFsync(int) { return 0; }
int RealClose(int fd) { return ::close(fd); }
const HostSaveSystemCalls kWithoutFsync = {&NoFsync, &RealClose};

// A folder of its own under the temporary directory, removed with its files.
class BenchFolder {
 public:
  BenchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/talvane-bench-XXXXXX";
    if (::mkdtemp(&pattern[0])) mDir = pattern;
  }
  ~BenchFolder() {
    if (mDir.empty()) return;
    for (const char* name : {"/doc.tlv", "/raw.tlv"}) ::unlink((mDir + name).c_str());
    ::rmdir(mDir.c_str());
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;
  const std::string& Dir() const { return mDir; }

 private:
  std::string mDir;
};

// The plug-in registers its class once per process: one host for every
// benchmark. Null when it cannot be loaded.
HostPlugin* Plugin() {
  static HostEnvironment sEnvironment{HostEnvironmentOptions{}};
  static HostPlugin sPlugin(sEnvironment);
  static const bool sLoaded = sPlugin.Load(TALVANE_PLUGIN) == 0;
  return sLoaded ? &sPlugin : nullptr;
}

// The whole file at path, or empty.
std::string ReadWhole(const std::string& path) {
  std::string bytes;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char buffer[1 << 16];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
    bytes.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  return bytes;
}

// The anchor: the bytes written to path with one write() (then fsync() when
// asked) and read back with one read().
bool RawWriteRead(const std::string& path, const std::string& bytes, std::string& back, bool sync) {
  HostFd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!out.IsOpen() ||
      ::write(out.Get(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
      (sync && ::fsync(out.Get()) != 0) || ::close(out.Release()) != 0) {
    return false;
  }
  HostFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  bool ok =
      in.IsOpen() && ::read(in.Get(), &back[0], back.size()) == static_cast<ssize_t>(back.size());
  benchmark::DoNotOptimize(back.data());
  return ok;
}

// A document of kObjects default objects saved in a folder of its own.
struct SavedDocument {
  // False, the benchmark told why, when it cannot be made.
  bool Make(benchmark::State& state) {
    plugin = Plugin();
    if (folder.Dir().empty() || !plugin) {
      state.SkipWithError("cannot prepare the folder or load the plug-in");
      return false;
    }
    path = folder.Dir() + "/doc.tlv";
    doc = std::make_unique<HostDocument>(*plugin);
    if (doc->AddObjects(kObjects, "-default") != 0 || doc->Save(path) != 0) {
      state.SkipWithError("cannot make the document");
      return false;
    }
    return true;
  }

  BenchFolder folder;
  HostPlugin* plugin = nullptr;
  std::string path;
  std::unique_ptr<HostDocument> doc;
};

void BM_HostDocumentAgainstRaw(benchmark::State& state) {
  SavedDocument saved;
  if (!saved.Make(state)) return;
  const std::string rawPath = saved.folder.Dir() + "/raw.tlv";
  const std::string bytes = ReadWhole(saved.path);
  std::string back(bytes.size(), '\0');
  // Loaded into the same document every round: a load replaces, and frees,
  // the objects of the previous one, as the host's would.
  HostDocument loaded(*saved.plugin);
  auto saveAndLoad = [&](const HostSaveSystemCalls* calls) {
    HostSafeSave::SetSystemCallsForTesting(calls);
    bool ok = saved.doc->Save(saved.path) == 0 && loaded.Load(saved.path) == 0 &&
              loaded.Count() == kObjects;
    HostSafeSave::SetSystemCallsForTesting(nullptr);
    return ok;
  };
  BenchRunRounds(
      state, "10,000 default objects saved and loaded by the host",
      {{"host save (fsync file, folder) + load", [&] { return saveAndLoad(nullptr); }},
       {"host save (fsyncs skipped) + load", [&] { return saveAndLoad(&kWithoutFsync); }},
       {"anchor: write() + fsync() + read()",
        [&] { return RawWriteRead(rawPath, bytes, back, true); }},
       {"anchor: write() + read()", [&] { return RawWriteRead(rawPath, bytes, back, false); }}},
      {{0, 2}, {1, 3}});
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_HostDocumentAgainstRaw)->Iterations(21)->Unit(benchmark::kMillisecond);

// The save alone (as the host saves, fsyncs included) and the load alone.
void BM_HostDocumentSaveOrLoad(benchmark::State& state) {
  SavedDocument saved;
  if (!saved.Make(state)) return;
  const bool load = state.range(0) != 0;
  HostDocument loaded(*saved.plugin);
  for (auto _ : state) {
    if ((load ? loaded.Load(saved.path) : saved.doc->Save(saved.path)) != 0) {
      state.SkipWithError(load ? "load failed" : "save failed");
      break;
    }
  }
}
BENCHMARK(BM_HostDocumentSaveOrLoad)
    ->ArgName("load")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
