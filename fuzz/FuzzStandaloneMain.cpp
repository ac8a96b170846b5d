// Runs a fuzz target over the files named on the command line, once each, for
// compilers without libFuzzer: it replays a corpus or a crashing input under
// the sanitizers. Exit status 0 when every file was run, 1 when a file could
// not be read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int status = 0;
  int ran = 0;
  for (int i = 1; i < argc; i++) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "can't read %s\n", argv[i]);
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
  return status;
}
