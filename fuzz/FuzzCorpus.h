// For the seed corpus generators (tools/make_*fuzz_corpus.cpp): files put
// into a target's corpus folder, and damaged copies of valid forms.
#ifndef FUZZ_CORPUS_H
#define FUZZ_CORPUS_H

#include <sys/stat.h>

#include <cstddef>
#include <fstream>
#include <string>

// Writes bytes as corpus/target/name, making the target's folder.
inline void FuzzCorpusPut(const std::string& corpus, const char* target, const std::string& name,
                          const std::string& bytes) {
  const std::string folder = corpus + "/" + target;
  ::mkdir(folder.c_str(), 0755);
  std::ofstream(folder + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
}

// The first size bytes.
inline std::string FuzzCut(const std::string& bytes, size_t size) { return bytes.substr(0, size); }

// bytes with those at `at` overwritten by with; unchanged when with would
// run past the end.
inline std::string FuzzPatched(std::string bytes, size_t at, const std::string& with) {
  if (at + with.size() <= bytes.size()) bytes.replace(at, with.size(), with);
  return bytes;
}

#endif
