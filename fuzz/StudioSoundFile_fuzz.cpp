// Fuzz target for the studio's readers of recordings: the input is a sound
// file (WAV, AIFF, FLAC, Ogg/Vorbis... as the sound library reads them),
// written to a scratch file, opened with StudioSoundFile and read to the
// end in odd-sized blocks, read again after a seek back; then summarised by
// StudioWaveSummary and queried as the waveform view queries it.
//
// What must hold for any input:
//   - no crash, no memory error, no leak (but libvorbis's own, below), no
//     allocation by what a header announces (libFuzzer's -malloc_limit_mb
//     catches those);
//   - a refused file gives -1402 and leaves the reader closed; an opened one
//     has 1 to 64 channels and a sample rate;
//   - reads return 0 or -1403, never more frames than asked; after a seek
//     back in a file read cleanly the same frames come again;
//   - the summary of a file read cleanly builds, holds the frames read, and
//     each base bucket holds the smallest and largest sample of its frames;
//     its levels shrink to one bucket; progress never falls and ends at 1;
//   - a query reads, or fails with -1403 only when it reads frames from the
//     file (a recording the library cannot seek in);
//   - a query over the whole recording shows every sample exactly once
//     (the pixels together hold the recording's extremes), pixels outside
//     the recording are empty, and no pixel shows a value the recording
//     does not reach.
// Files that decode to more than kMaxSamples samples are read that far and
// not summarised (a few bytes of a compressed format can stand for minutes
// of silence: slow, not wrong).
// A broken rule aborts, so that the fuzzer keeps the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "StudioSoundFile.h"
#include "StudioWaveSummary.h"
#include "kit/QVErrors.h"

// The sound library leaks the Vorbis decoder's setup when it gives up on a
// damaged Ogg/Vorbis header (allocated in libvorbis, never cleared on that
// path): not the studio's leak, and nothing the studio can free. Every
// allocation made outside libvorbis is still checked.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libvorbis.so\n";
}

namespace {

using Peak = StudioWaveSummary::Peak;

constexpr size_t kMaxSamples = size_t{1} << 20;
// Block sizes that never line up with the library's own buffers.
constexpr int64_t kBlocks[] = {1, 3, 61, 509, 4099};
constexpr int64_t kRereadFrames = 127;

struct FirstPass {
  std::vector<float> samples;  // interleaved
  int64_t frames = 0;
  bool clean = false;          // read to the end without an error
};

FirstPass ReadThrough(StudioSoundFile& file) {
  FirstPass pass;
  const size_t channels = static_cast<size_t>(file.Channels());
  std::vector<float> block;
  for (size_t turn = 0;; ++turn) {
    if (pass.samples.size() >= kMaxSamples) return pass;
    const int64_t want = kBlocks[turn % (sizeof kBlocks / sizeof kBlocks[0])];
    block.assign(static_cast<size_t>(want) * channels, 0.0f);
    int64_t read = -1;
    const int32_t status = file.Read(block.data(), want, read);
    FuzzRequire(status == 0 || status == kQVErrSoundRead, "a read returns 0 or -1403");
    FuzzRequire(read >= 0 && read <= want, "a read never returns more frames than asked");
    pass.samples.insert(pass.samples.end(), block.begin(),
                        block.begin() + static_cast<std::ptrdiff_t>(read * channels));
    pass.frames += read;
    if (status != 0) return pass;
    if (read == 0) break;
  }
  pass.clean = true;
  return pass;
}

void Reread(StudioSoundFile& file, const FirstPass& pass) {
  const size_t channels = static_cast<size_t>(file.Channels());
  const int64_t from = pass.frames / 3;
  if (file.Seek(from) != 0) return;
  std::vector<float> block(static_cast<size_t>(kRereadFrames) * channels);
  int64_t read = -1;
  if (file.Read(block.data(), kRereadFrames, read) != 0) return;
  FuzzRequire(read >= 0 && read <= kRereadFrames, "a read never returns more frames than asked");
  // A first pass stopped by an error or by kMaxSamples says nothing of what
  // lies beyond where it stopped.
  if (!pass.clean) return;
  // At least the frames read before come again. More may: the library's
  // FLAC decoder can read nothing from a damaged stream from its start and
  // find frames once a seek has reset it.
  const int64_t expected = std::min(kRereadFrames, pass.frames - from);
  FuzzRequire(read >= expected, "after a seek back the frames read before come again");
  if (expected == 0) return;
  FuzzRequire(std::memcmp(block.data(), pass.samples.data() + from * static_cast<int64_t>(channels),
                          static_cast<size_t>(expected) * channels * sizeof(float)) == 0,
              "after a seek back the same frames come again");
}

// The extremes of frames [begin, end) of one channel.
Peak Extremes(const FirstPass& pass, size_t channels, int64_t begin, int64_t end, size_t channel) {
  Peak peak;
  for (int64_t frame = begin; frame < end; ++frame) {
    peak.Add(pass.samples[static_cast<size_t>(frame) * channels + channel]);
  }
  return peak;
}

bool Same(const Peak& a, const Peak& b) {
  return a.IsEmpty() ? b.IsEmpty() : a.min == b.min && a.max == b.max;
}

void CheckLevels(const StudioWaveSummary& summary, const FirstPass& pass) {
  const size_t channels = static_cast<size_t>(summary.Channels());
  const int64_t base = StudioWaveSummary::kBaseBucketFrames;
  FuzzRequire(summary.BucketCount(0) == (pass.frames + base - 1) / base,
              "the base level has a bucket per 256 frames");
  for (int64_t j = 0; j < summary.BucketCount(0); ++j) {
    for (size_t c = 0; c < channels; ++c) {
      const Peak expected = Extremes(pass, channels, j * base, std::min(pass.frames, (j + 1) * base), c);
      FuzzRequire(Same(summary.Bucket(0, j, static_cast<int32_t>(c)), expected),
                  "a base bucket holds the extremes of its frames");
    }
  }
  FuzzRequire(summary.BucketCount(summary.LevelCount() - 1) <= 1, "the top level is one bucket");
}

// A query as the view makes it: true with width pixels per channel; false
// when it had to read frames from the file and that failed (a recording the
// library reads through but cannot seek in: G.721 in WAV). Anything else
// breaks a rule.
bool Query(const StudioWaveSummary& summary, double startMs, double endMs, uint32_t width,
           std::vector<Peak>& peaks) {
  int level = 0;
  const int32_t status = summary.Peaks(startMs, endMs, width, peaks, &level);
  if (status == kQVErrSoundRead && level == -1 && peaks.empty()) return false;
  FuzzRequire(status == 0, "a view reads, or fails only reading the file");
  FuzzRequire(peaks.size() == width * static_cast<size_t>(summary.Channels()),
              "a pixel per width and channel");
  return true;
}

void CheckQueries(const StudioWaveSummary& summary, const FirstPass& pass) {
  const size_t channels = static_cast<size_t>(summary.Channels());
  std::vector<Peak> whole(channels);
  for (size_t c = 0; c < channels; ++c) whole[c] = Extremes(pass, channels, 0, pass.frames, c);
  const double duration = summary.DurationMs();
  const double end = duration > 0 ? duration : 1000.0;
  std::vector<Peak> peaks;

  // The whole recording at a few widths: through the levels and, for short
  // recordings, from the file.
  for (uint32_t width : {1u, 7u, 800u}) {
    if (!Query(summary, 0.0, end, width, peaks)) continue;
    for (size_t c = 0; c < channels; ++c) {
      Peak all;
      for (uint32_t i = 0; i < width; ++i) all.Add(peaks[i * channels + c]);
      FuzzRequire(Same(all, whole[c]), "the pixels of the whole hold the recording's extremes");
    }
  }
  // After the end and before the start: empty.
  for (double start : {end + 10.0, -end - 10.0}) {
    if (!Query(summary, start, start + end / 2 + 1.0, 64, peaks)) continue;
    for (const Peak& peak : peaks) FuzzRequire(peak.IsEmpty(), "pixels outside are empty");
  }
  // Zoomed in at a third of the way: nothing beyond the extremes.
  if (!Query(summary, end / 3, end / 3 + end / 50 + 0.001, 300, peaks)) return;
  for (size_t i = 0; i < peaks.size(); ++i) {
    const Peak& peak = peaks[i];
    const Peak& bound = whole[i % channels];
    FuzzRequire(peak.IsEmpty() || (peak.min >= bound.min && peak.max <= bound.max),
                "no pixel shows a value the recording does not reach");
  }
}

void Summarise(const std::string& path, const StudioSoundFile& file, const FirstPass& pass) {
  StudioWaveSummary summary;
  double last = 0.0;
  bool fell = false;
  const int32_t status = summary.Build(
      path,
      [&](double fraction) {
        fell = fell || fraction < last || fraction > 1.0;
        last = fraction;
      },
      nullptr);
  FuzzRequire(status == 0, "a file read cleanly summarises");
  FuzzRequire(!fell && last == 1.0, "progress never falls and ends at 1");
  FuzzRequire(summary.Frames() == pass.frames && summary.Channels() == file.Channels() &&
                  summary.SampleRate() == file.SampleRate(),
              "the summary holds the frames read");
  CheckLevels(summary, pass);
  CheckQueries(summary, pass);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzScratchFolder::Shared().Path("recording");
  FuzzWriteFile(path, data, size);

  StudioSoundFile file;
  const int32_t status = file.Open(path);
  if (status != 0) {
    FuzzRequire(status == kQVErrSoundFormat, "a file that opens but is refused gives -1402");
    FuzzRequire(!file.IsOpen() && file.Channels() == 0, "a refused file leaves the reader closed");
    StudioWaveSummary summary;
    FuzzRequire(summary.Build(path, {}, nullptr) == status && !summary.IsBuilt(),
                "a refused file has no summary");
    return 0;
  }
  FuzzRequire(file.Channels() >= 1 && file.Channels() <= StudioSoundFile::kMaxChannels &&
                  file.SampleRate() >= 1 && file.Frames() >= 0,
              "an opened file has channels and a sample rate");
  const FirstPass pass = ReadThrough(file);
  Reread(file, pass);
  if (pass.clean) Summarise(path, file, pass);
  return 0;
}
