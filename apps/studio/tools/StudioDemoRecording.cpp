// talvane-studio-recording: writes a mono 16-bit WAV recording that is
// silent except for a 440 Hz tone at 0.8 of full scale between two times,
// for the studio's demo and its end-to-end test.
//
//   talvane-studio-recording OUT.wav [SECONDS [LOUD_FROM_MS LOUD_TO_MS]]
//
// Defaults: 10 s, loud from 2000 to 5000 ms. 48 kHz.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;

bool ReadNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value) && value >= 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10.0;
  double fromMs = 2000.0;
  double toMs = 5000.0;
  if ((argc != 2 && argc != 3 && argc != 5) || (argc >= 3 && !ReadNumber(argv[2], seconds)) ||
      (argc == 5 && (!ReadNumber(argv[3], fromMs) || !ReadNumber(argv[4], toMs))) ||
      seconds <= 0.0 || seconds > 36000.0) {
    std::fprintf(stderr,
                 "usage: talvane-studio-recording OUT.wav [SECONDS [LOUD_FROM_MS LOUD_TO_MS]]\n");
    return 2;
  }
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "talvane-studio-recording: can't write %s: %s\n", argv[1],
                 sf_strerror(nullptr));
    return 1;
  }
  const auto frames = static_cast<sf_count_t>(seconds * kRate);
  const auto from = static_cast<sf_count_t>(fromMs * kRate / 1000.0);
  const auto to = static_cast<sf_count_t>(toMs * kRate / 1000.0);
  std::vector<float> block(4096);
  bool ok = true;
  for (sf_count_t start = 0; start < frames && ok; start += 4096) {
    const sf_count_t count = std::min<sf_count_t>(4096, frames - start);
    for (sf_count_t i = 0; i < count; ++i) {
      const sf_count_t frame = start + i;
      block[static_cast<size_t>(i)] =
          frame >= from && frame < to
              ? static_cast<float>(
                    0.8 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(frame) / kRate))
              : 0.0f;
    }
    ok = sf_writef_float(file, block.data(), count) == count;
  }
  if (sf_close(file) != 0 || !ok) {
    std::fprintf(stderr, "talvane-studio-recording: writing %s failed\n", argv[1]);
    return 1;
  }
  return 0;
}
