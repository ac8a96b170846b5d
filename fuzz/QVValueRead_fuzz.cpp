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
#include <string>

#include "FuzzKitFile.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVValue.h"

namespace {

using Bytes = std::string;

// The bytes t writes in the given order.
template <class T>
Bytes Written(const T& t, uint32_t order) {
  return FuzzKitWritten(order, [&](QVFile& out) { return t.WriteToFile(out); });
}

// t, read from an input, writes bytes that read back completely and write
// again unchanged.
template <class T>
void CheckRewrite(const T& t, uint32_t order) {
  const Bytes first = Written(t, order);
  const QVFile& in = FuzzKitLoad(FuzzKitScratch(0), first, order);
  T back;
  FuzzRequire(back.ReadFromFile(in) == 0, "written bytes read back");
  FuzzRequire(in.IsEndOfFile(), "reading consumes exactly what was written");
  FuzzRequire(Written(back, order) == first, "a second write gives the same bytes");
}

bool IsEmpty(const QVValue& value) { return value.IsEmpty(); }
bool IsEmpty(const QVValueArray& array) { return array.empty(); }
bool IsEmpty(const QVDictionary& dictionary) { return dictionary.IsEmpty(); }

// Reads a T from the start of the input; on success checks the rewrite.
template <class T>
void ReadOne(const uint8_t* data, size_t size, uint32_t order) {
  const QVFile& in = FuzzKitLoad(FuzzKitScratch(0), data, size, order);
  T t;
  if (t.ReadFromFile(in) != 0) {
    FuzzRequire(IsEmpty(t), "a failed read leaves its target empty");
    return;
  }
  CheckRewrite(t, order);
}

// Values one after the other: each successful read moves on by a whole chunk.
void ReadSequence(const uint8_t* data, size_t size, uint32_t order) {
  const QVFile& in = FuzzKitLoad(FuzzKitScratch(0), data, size, order);
  uint64_t before = 0;
  while (!in.IsEndOfFile() && in.GetPos(before) == 0) {
    QVValue value;
    if (value.ReadFromFile(in) != 0) break;
    uint64_t after = 0;
    FuzzRequire(in.GetPos(after) == 0 && after >= before + 8 && after <= size,
            "a value read moves on by its chunk and stays inside the file");
  }
}

void SkipDictionary(const uint8_t* data, size_t size, uint32_t order) {
  const QVFile& in = FuzzKitLoad(FuzzKitScratch(0), data, size, order);
  if (QVDictionary::SkipFromFile(in) != 0) return;
  uint64_t pos = 0;
  FuzzRequire(in.GetPos(pos) == 0 && pos >= 8 && pos <= size, "a skip stays inside the file");
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
