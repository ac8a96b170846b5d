// A forward real transform of one size for the sonogram, with buffers of
// its own. Plans are made once per size for the whole process (making them
// is serialised: the FFT library's planner is not thread safe) and shared;
// each transform object belongs to one thread at a time.
#ifndef STUDIO_FFT_P_H
#define STUDIO_FFT_P_H

#include <cstdint>
#include <memory>

class StudioFFT {
 public:
  // Sizes the sonogram takes; others are refused.
  static constexpr int32_t kMinSize = 2;
  static constexpr int32_t kMaxSize = 1 << 16;

  // A transform of size samples into out. 0, or kQVErrSonogram (-1422) for a
  // size outside [kMinSize, kMaxSize] or a plan the library cannot make;
  // out is empty on failure.
  [[nodiscard]] static int32_t Make(int32_t size, std::unique_ptr<StudioFFT>& out);

  ~StudioFFT();
  StudioFFT(const StudioFFT&) = delete;
  StudioFFT& operator=(const StudioFFT&) = delete;

  int32_t Size() const { return mSize; }
  // Transforms Size() samples (only read) and returns X[k] for k = 0 ..
  // Size() / 2 as pairs of floats, real then imaginary, owned by this object
  // until the next Transform. Samples aligned as the library's own arrays
  // (the same address modulo 16 bytes, as the library compares them) are
  // transformed where they lie; others are copied first.
  const float* Transform(const float* samples);

 private:
  StudioFFT() = default;

  int32_t mSize = 0;
  void* mPlan = nullptr;    // shared, never freed
  float* mInput = nullptr;  // owned, aligned for the library: the copies
  void* mOutput = nullptr;  // owned: Size() / 2 + 1 complex values
};

#endif
