// FFTW3 in single precision behind StudioFFT: one r2c plan per size, made
// under a process-wide lock with FFTW_ESTIMATE (no measuring: a plan costs
// microseconds, so the first sonogram tile is not held up) and executed
// through the new-array interface (on the caller's samples or the transform's
// own copy of them, into the transform's own output), which may run on
// several threads at once.
#include <fftw3.h>

#include <cstring>
#include <map>
#include <mutex>

#include "StudioFFT_p.h"
#include "kit/QVLog.h"

namespace {

std::mutex sPlannerLock;

// Plans live as long as the process: every transform of a size shares one.
// They are given back to the library at exit, with its planner's memory.
struct PlanCache {
  std::map<int32_t, fftwf_plan> plans;
  ~PlanCache() {
    for (auto& entry : plans) fftwf_destroy_plan(entry.second);
    fftwf_cleanup();
  }
};

std::map<int32_t, fftwf_plan>& Plans() {
  static PlanCache sCache;
  return sCache.plans;
}

}  // namespace

int32_t StudioFFT::Make(int32_t size, std::unique_ptr<StudioFFT>& out) {
  out.reset();
  if (size < kMinSize || size > kMaxSize) {
    return static_cast<int32_t>(QVLogStatus<kQVErrSonogram>("transform size out of range"));
  }
  std::unique_ptr<StudioFFT> fft(new StudioFFT);
  fft->mSize = size;
  fft->mInput = fftwf_alloc_real(static_cast<size_t>(size));
  fft->mOutput = fftwf_alloc_complex(static_cast<size_t>(size / 2 + 1));
  if (!fft->mInput || !fft->mOutput) {
    return static_cast<int32_t>(QVLogStatus<kQVErrSonogram>("no memory for the transform"));
  }
  std::lock_guard<std::mutex> hold(sPlannerLock);
  fftwf_plan& plan = Plans()[size];
  if (!plan) {
    // Planned on this object's arrays: arrays from fftwf_alloc share their
    // alignment, as the new-array interface requires.
    plan = fftwf_plan_dft_r2c_1d(size, fft->mInput, static_cast<fftwf_complex*>(fft->mOutput),
                                 FFTW_ESTIMATE | FFTW_PRESERVE_INPUT);
    if (!plan) {
      Plans().erase(size);
      return static_cast<int32_t>(QVLogStatus<kQVErrSonogram>("the FFT library made no plan"));
    }
  }
  fft->mPlan = plan;
  out = std::move(fft);
  return 0;
}

StudioFFT::~StudioFFT() {
  fftwf_free(mInput);
  fftwf_free(mOutput);
}

const float* StudioFFT::Transform(const float* samples) {
  auto* spectrum = static_cast<fftwf_complex*>(mOutput);
  // The plan keeps its input (FFTW_PRESERVE_INPUT) and may run on any array
  // aligned as the one it was made on: the samples need no copy then.
  auto* input = const_cast<float*>(samples);
  if (fftwf_alignment_of(input) != fftwf_alignment_of(mInput)) {
    std::memcpy(mInput, samples, sizeof(float) * static_cast<size_t>(mSize));
    input = mInput;
  }
  fftwf_execute_dft_r2c(static_cast<fftwf_plan>(mPlan), input, spectrum);
  // fftwf_complex is float[2]: the pairs lie one after another.
  return reinterpret_cast<const float*>(spectrum);
}
