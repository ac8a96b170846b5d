// Recordings the studio tests write for themselves with the sound library:
// known samples at known frames, in a fresh folder removed at the end.
#ifndef STUDIO_TEST_RECORDINGS_H
#define STUDIO_TEST_RECORDINGS_H

#include <fcntl.h>
#include <sndfile.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A temporary folder for one test, removed with everything in it.
class StudioTestFolder {
 public:
  StudioTestFolder() {
    char pattern[] = "/tmp/studio-test-XXXXXX";
    if (mkdtemp(pattern)) mPath = pattern;
  }
  ~StudioTestFolder() {
    std::error_code ignored;
    if (!mPath.empty()) std::filesystem::remove_all(mPath, ignored);
  }
  StudioTestFolder(const StudioTestFolder&) = delete;
  StudioTestFolder& operator=(const StudioTestFolder&) = delete;
  std::string File(const std::string& name) const { return mPath + "/" + name; }

 private:
  std::string mPath;
};

// Writes interleaved samples (frames * channels) in format (SF_FORMAT_...);
// false when the library refuses.
inline bool StudioWriteRecording(const std::string& path, int format, int rate, int channels,
                                 const std::vector<float>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
  sf_count_t written = sf_writef_float(file, samples.data(), frames);
  return sf_close(file) == 0 && written == frames;
}

// Every frame of path as the library decodes it, interleaved; empty when it
// cannot be opened.
inline std::vector<float> StudioReadRecording(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<float> samples;
  std::vector<float> block(4096 * static_cast<size_t>(info.channels));
  sf_count_t read = 0;
  while ((read = sf_readf_float(file, block.data(), 4096)) > 0) {
    samples.insert(samples.end(), block.begin(), block.begin() + read * info.channels);
  }
  sf_close(file);
  return samples;
}

// A 32-bit float WAV: samples read back bit for bit.
inline bool StudioWriteFloatWav(const std::string& path, int rate, int channels,
                                const std::vector<float>& samples) {
  return StudioWriteRecording(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, channels, samples);
}

// frames of silence on channels channels, with value at each (frame,
// channel) of impulses.
struct StudioImpulse {
  int64_t frame;
  int channel;
  float value;
};

inline std::vector<float> StudioSilenceWith(int64_t frames, int channels,
                                            const std::vector<StudioImpulse>& impulses) {
  std::vector<float> samples(static_cast<size_t>(frames * channels), 0.0f);
  for (const StudioImpulse& impulse : impulses) {
    samples[static_cast<size_t>(impulse.frame * channels + impulse.channel)] = impulse.value;
  }
  return samples;
}

// amplitude * sin(2 pi f t) on one channel.
inline std::vector<float> StudioSine(int64_t frames, int rate, double frequency, float amplitude) {
  std::vector<float> samples(static_cast<size_t>(frames));
  for (int64_t i = 0; i < frames; ++i) {
    samples[static_cast<size_t>(i)] =
        amplitude *
        static_cast<float>(std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate));
  }
  return samples;
}

// One second of silence, then one second of a 1 kHz sine at -6 dBFS, mono
// at 8 kHz, as a float WAV.
inline bool StudioWriteSilenceThenTone(const std::string& path) {
  std::vector<float> samples(8000, 0.0f);
  std::vector<float> tone = StudioSine(8000, 8000, 1000.0, 0.5f);
  samples.insert(samples.end(), tone.begin(), tone.end());
  return StudioWriteFloatWav(path, 8000, 1, samples);
}

// Makes a FIFO at path and runs open (which should refuse it) on another
// thread. Opening a FIFO for reading waits for a writer: when open has not
// returned within 5 s, a writer is let in so that it can, and false comes
// back. Its status goes to status.
inline bool StudioOpensFifoWithoutWaiting(const std::string& path,
                                          const std::function<int32_t()>& open, int32_t& status) {
  if (mkfifo(path.c_str(), 0600) != 0) return false;
  std::atomic<bool> done{false};
  std::thread opener([&] {
    status = open();
    done = true;
  });
  for (int i = 0; i < 500 && !done; ++i) usleep(10000);
  bool waited = !done;
  if (waited) {
    // A writer releases the reader blocked in open.
    int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    opener.join();
    if (writer >= 0) ::close(writer);
  } else {
    opener.join();
  }
  return !waited;
}

#endif
