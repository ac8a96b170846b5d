// Fuzz target for the value readers. The input is taken as a file of value
// chunks and read, in both byte orders, as one value, a run of values, a
// value array and a dictionary, and skipped as a dictionary.
//
// What must hold for any input:
//   - no crash, no memory error, no allocation the input cannot back;
//   - a failed read leaves its target empty;
//   - whatever reads writes again, and the written bytes read back and write
//     once more to the very same bytes (reading puts a value in its stored
//     form: unknown types empty, booleans 0 or 1, keys sorted and unique).
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVValue.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Require(bool condition, const char* rule) {
  if (condition) return;
  std::fprintf(stderr, "QVValueRead_fuzz: broken rule: %s\n", rule);
  std::abort();
}

// Temporary files made once and reused for every input; deleted at exit.
QVFile& ScratchFile(int which) {
  static QVFile sInput(QVFile::kTemporary);
  static QVFile sOutput(QVFile::kTemporary);
  QVFile& file = which == 0 ? sInput : sOutput;
  if (!file.IsOpened()) Require(file.CreateForReadWrite() == 0, "a temporary file opens");
  return file;
}

// Replaces the file's content by bytes and rewinds it.
void Load(QVFile& file, const uint8_t* data, size_t size) {
  Require(file.SetFileSize(0) == 0 && file.SetPos(0) == 0, "the scratch file empties");
  Require(file.Write(data, size) == 0, "the input is written");
  Require(file.SetPos(0) == 0, "the scratch file rewinds");
}

Bytes Content(const QVFile& file) {
  uint64_t size = 0;
  Require(file.GetFileSize(size) == 0 && file.SetPos(0) == 0, "the output size is known");
  Bytes bytes(static_cast<size_t>(size));
  Require(file.Read(bytes.data(), bytes.size()) == 0, "the output reads back");
  return bytes;
}

// The bytes t writes in the given order.
template <class T>
Bytes Written(const T& t, uint32_t order) {
  QVFile& out = ScratchFile(1);
  out.SetEndianness(order);
  Require(out.SetFileSize(0) == 0 && out.SetPos(0) == 0, "the output empties");
  Require(t.WriteToFile(out) == 0, "what was read writes again");
  return Content(out);
}

// t, read from an input, writes bytes that read back completely and write
// again unchanged.
template <class T>
void CheckRewrite(const T& t, uint32_t order) {
  const Bytes first = Written(t, order);
  QVFile& in = ScratchFile(0);
  in.SetEndianness(order);
  Load(in, first.data(), first.size());
  T back;
  Require(back.ReadFromFile(in) == 0, "written bytes read back");
  Require(in.IsEndOfFile(), "reading consumes exactly what was written");
  Require(Written(back, order) == first, "a second write gives the same bytes");
}

bool IsEmpty(const QVValue& value) { return value.IsEmpty(); }
bool IsEmpty(const QVValueArray& array) { return array.empty(); }
bool IsEmpty(const QVDictionary& dictionary) { return dictionary.IsEmpty(); }

// Reads a T from the start of the input; on success checks the rewrite.
template <class T>
void ReadOne(const uint8_t* data, size_t size, uint32_t order) {
  QVFile& in = ScratchFile(0);
  in.SetEndianness(order);
  Load(in, data, size);
  T t;
  if (t.ReadFromFile(in) != 0) {
    Require(IsEmpty(t), "a failed read leaves its target empty");
    return;
  }
  CheckRewrite(t, order);
}

// Values one after the other: each successful read moves on by a whole chunk.
void ReadSequence(const uint8_t* data, size_t size, uint32_t order) {
  QVFile& in = ScratchFile(0);
  in.SetEndianness(order);
  Load(in, data, size);
  uint64_t before = 0;
  while (!in.IsEndOfFile() && in.GetPos(before) == 0) {
    QVValue value;
    if (value.ReadFromFile(in) != 0) break;
    uint64_t after = 0;
    Require(in.GetPos(after) == 0 && after >= before + 8 && after <= size,
            "a value read moves on by its chunk and stays inside the file");
  }
}

void SkipDictionary(const uint8_t* data, size_t size, uint32_t order) {
  QVFile& in = ScratchFile(0);
  in.SetEndianness(order);
  Load(in, data, size);
  if (QVDictionary::SkipFromFile(in) != 0) return;
  uint64_t pos = 0;
  Require(in.GetPos(pos) == 0 && pos >= 8 && pos <= size, "a skip stays inside the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    ReadOne<QVValue>(data, size, order);
    ReadOne<QVValueArray>(data, size, order);
    ReadOne<QVDictionary>(data, size, order);
    ReadSequence(data, size, order);
    SkipDictionary(data, size, order);
  }
  return 0;
}
