// Fuzz target for the brush and pen readers: the input is read, in both byte
// orders, as a brush and as a pen in their file forms and their older file
// forms, and as a kit value (QVValue file form) that the brush and the pen
// then read as their value forms.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a failed file read returns a negative status and leaves the default
//     brush or pen;
//   - a successful file read consumes exactly the form's size; what was read
//     writes, reads back equal and writes the same bytes again;
//   - a value form read into a fresh brush or pen writes a value that a
//     second fresh one reads into an equal brush or pen, which writes an
//     equal value.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzKitFile.h"
#include "graphics/AGBrush.h"
#include "graphics/AGPen.h"
#include "kit/QVFile.h"
#include "kit/QVValue.h"

namespace {

using Bytes = std::string;

template <class T>
Bytes Written(const T& t, uint32_t order) {
  return FuzzKitWritten(order, [&](QVFile& out) { return t.WriteToFile(out); });
}

// A field that a failed read must reset.
void MoveOffDefault(AGBrush& brush) { brush.SetStyleSolid(0xFF0000FFu); }
void MoveOffDefault(AGPen& pen) { pen.SetSize(3.0f); }

// Reads a T with read (the current or the older form, formSize bytes) from
// the start of the input.
template <class T>
void ReadFileForm(const Bytes& input, uint32_t order, long (T::*read)(const QVFile&),
                  uint64_t formSize, uint32_t writtenSize) {
  const QVFile& in = FuzzKitLoad(FuzzKitScratch(0), input, order);
  T t;
  MoveOffDefault(t);
  const long status = (t.*read)(in);
  if (status != 0) {
    FuzzRequire(status < 0, "a failed read returns a negative status");
    FuzzRequire(t == T(), "a failed read leaves the default");
    return;
  }
  uint64_t pos = 0;
  FuzzRequire(in.GetPos(pos) == 0 && pos == formSize, "a read consumes exactly its form");

  const Bytes first = Written(t, order);
  FuzzRequire(first.size() == writtenSize, "the written form has its size");
  const QVFile& again = FuzzKitLoad(FuzzKitScratch(0), first, order);
  T back;
  FuzzRequire(back.ReadFromFile(again) == 0, "a written form reads back");
  FuzzRequire(back == t, "a written form reads back equal");
  FuzzRequire(Written(back, order) == first, "a second write gives the same bytes");
}

template <class T>
void ReadValueForm(const QVValue& value, bool convert) {
  T first;
  FuzzRequire(first.ReadFromValue(value, convert), "a value form is read");
  QVValue written;
  first.WriteToValue(&written);
  T second;
  FuzzRequire(second.ReadFromValue(written), "a written value form is read");
  FuzzRequire(second == first, "a written value form reads back equal");
  QVValue again;
  second.WriteToValue(&again);
  FuzzRequire(again.IsEqual(written), "a second value form is the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes input(reinterpret_cast<const char*>(data), data ? size : 0);
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    ReadFileForm<AGBrush>(input, order, &AGBrush::ReadFromFile, AGBrush::kFileSize,
                            AGBrush::kFileSize);
    ReadFileForm<AGBrush>(input, order, &AGBrush::ReadFromFile_OFF, AGBrush::kFileSize_OFF,
                            AGBrush::kFileSize);
    ReadFileForm<AGPen>(input, order, &AGPen::ReadFromFile, AGPen::kFileSize, AGPen::kFileSize);
    ReadFileForm<AGPen>(input, order, &AGPen::ReadFromFile_OFF, AGPen::kFileSize_OFF,
                        AGPen::kFileSize);

    QVValue value;
    if (value.ReadFromFile(FuzzKitLoad(FuzzKitScratch(0), input, order)) != 0) continue;
    for (bool convert : {true, false}) {
      ReadValueForm<AGBrush>(value, convert);
      ReadValueForm<AGPen>(value, convert);
    }
  }
  return 0;
}
