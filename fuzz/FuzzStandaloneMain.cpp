// Runs a fuzz target over the files named on the command line, once each, for
// compilers without libFuzzer: it replays a corpus or a crashing input under
// the sanitizers. A folder stands for the regular files in it, in name order
// (not its subfolders). Exit status 0 when every input was run, 1 when a
// file or folder could not be read or there was no input at all (a corpus
// gone missing must not pass for one that runs clean). A broken invariant
// aborts inside the target.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The regular files of a folder, sorted; false when it cannot be listed.
bool FolderFiles(const std::string& folder, std::vector<std::string>& files) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  std::vector<std::string> found;
  while (const dirent* entry = ::readdir(dir)) {
    std::string path = folder + "/" + entry->d_name;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) found.push_back(path);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  files.insert(files.end(), found.begin(), found.end());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; i++) {
    if (!IsFolder(argv[i])) {
      inputs.push_back(argv[i]);
    } else if (!FolderFiles(argv[i], inputs)) {
      std::fprintf(stderr, "can't list %s\n", argv[i]);
      status = 1;
    }
  }
  int ran = 0;
  for (const std::string& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "can't read %s\n", path.c_str());
      status = 1;
      continue;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    // Empty input comes as a null pointer with size 0.
    LLVMFuzzerTestOneInput(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    ran++;
  }
  std::fprintf(stderr, "ran %d input%s\n", ran, ran == 1 ? "" : "s");
  if (ran == 0) status = 1;
  return status;
}
