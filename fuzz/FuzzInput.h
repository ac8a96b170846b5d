// A fuzz input read as a script: numbers and choices from the front, then
// byte runs.
#ifndef FUZZ_INPUT_H
#define FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string>

// Takes an input apart from the front: numbers and choices, then byte runs.
// Past the end every read gives zeros or nothing, so that any input is a
// complete script.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : mData(data), mSize(data ? size : 0) {}

  bool AtEnd() const { return mAt >= mSize; }
  size_t Remaining() const { return mSize - mAt; }

  uint8_t Byte() { return mAt < mSize ? mData[mAt++] : 0; }
  uint16_t Word16() {
    uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  uint32_t Word32() {
    uint32_t low = Word16();
    return low | static_cast<uint32_t>(Word16()) << 16;
  }
  // One of count choices (count > 0).
  size_t Choice(size_t count) { return Byte() % count; }
  bool Flag() { return Byte() & 1; }

  // Up to n bytes, fewer at the end.
  std::string Bytes(size_t n) {
    size_t take = n < Remaining() ? n : Remaining();
    std::string out(reinterpret_cast<const char*>(mData + mAt), take);
    mAt += take;
    return out;
  }
  // A run whose length comes first (one byte).
  std::string ShortRun() { return Bytes(Byte()); }
  // Everything left.
  std::string Rest() { return Bytes(Remaining()); }

 private:
  const uint8_t* mData;
  size_t mSize;
  size_t mAt = 0;
};

#endif
