// A recording's waveform at every zoom: a multi-resolution min/max summary
// built once by reading the file through, then queried per view pixel.
//
// Levels: level 0 holds, per bucket of kBaseBucketFrames (256) frames and per
// channel, the smallest and the largest sample; each level above merges
// kLevelFactor (4) buckets of the one below, up to a level of one bucket.
// The samples themselves are never held: building reads blocks of
// kBlockFrames frames and keeps only the summary. Memory: 8 bytes per base
// bucket and channel, times 4/3 for the levels above; a one-hour stereo
// recording at 48 kHz (172.8 million frames) takes 675,000 base buckets,
// 10.8 MB, and 14.4 MB with every level. The header's frame count sizes
// the summary only as far as the frames read bear it out: a header
// announcing 2^40 frames over a few costs what the few cost.
//
// Queries: for a time range and a width in pixels, one (min, max) per pixel
// and channel. Pixel i covers frames [e(i), e(i+1)) with
// e(i) = (startMs + i * (endMs - startMs) / width) * rate / 1000. When a
// pixel spans at least a base bucket, the answer comes from the coarsest
// level whose buckets are no longer than a pixel: the pixel takes the buckets
// that start inside it, so every bucket belongs to exactly one pixel (a
// sample is shown at most one bucket away from its pixel). Zoomed in further,
// the frames are read from the file (at most 256 times the width, streamed in
// blocks) and the drawing is exact: the pixel takes the frames inside it, or,
// when no frame falls inside it (more pixels than frames), the frame
// sounding at its start. Pixels outside the recording are empty.
//
// Threads: Build may run on a worker thread while nothing else uses this
// summary; it reports progress, watches the cancel flag and logs its failures
// on that thread (a log forwarding procedure installed in the kit must bear
// being called from there).
// Once built, the const queries may run on any threads at once (reads from
// the file are serialised by an internal lock). A GUI builds a new summary on
// its worker and hands it to the drawing thread when Build returns 0.
//
// Status codes (kit/QVErrors.h): those of StudioSoundFile; kQVErrSoundCancelled
// (-1404, not logged) when the cancel flag was seen; kQVErrWaveQuery (-1405)
// for a query without a summary or with a bad range or width.
#ifndef STUDIO_WAVE_SUMMARY_H
#define STUDIO_WAVE_SUMMARY_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "StudioSoundFile.h"

class StudioWaveSummary {
 public:
  static constexpr int64_t kBaseBucketFrames = 256;
  static constexpr int64_t kLevelFactor = 4;
  static constexpr int64_t kBlockFrames = 64 * kBaseBucketFrames;
  // The widest query, in pixels.
  static constexpr uint32_t kMaxQueryWidth = 65536;

  // Smallest and largest sample of a span of one channel; min > max when
  // the span holds no frame.
  struct Peak {
    float min = std::numeric_limits<float>::infinity();
    float max = -std::numeric_limits<float>::infinity();
    bool IsEmpty() const { return min > max; }
    // Not-a-number samples are left out.
    void Add(float sample) {
      if (sample < min) min = sample;
      if (sample > max) max = sample;
    }
    void Add(const Peak& other) {
      if (other.min < min) min = other.min;
      if (other.max > max) max = other.max;
    }
  };

  // fraction of the file read, 0 to 1, never decreasing; the last call
  // reports 1 when Build succeeds.
  using ProgressProc = std::function<void(double fraction)>;

  StudioWaveSummary() = default;
  StudioWaveSummary(const StudioWaveSummary&) = delete;
  StudioWaveSummary& operator=(const StudioWaveSummary&) = delete;

  // Reads the recording at path (UTF-8) and builds the summary. progress may
  // be empty; cancel may be null, and is read between blocks. On success
  // replaces what the summary held and keeps the file open for exact reads;
  // on any failure the summary keeps what it had.
  [[nodiscard]] int32_t Build(const std::string& path, const ProgressProc& progress,
                const std::atomic<bool>* cancel);

  bool IsBuilt() const { return !mLevels.empty(); }
  const std::string& Path() const { return mPath; }
  // Frames actually read (a compressed file's header only estimates them).
  int64_t Frames() const { return mFrames; }
  int32_t SampleRate() const { return mSampleRate; }
  int32_t Channels() const { return mChannels; }
  double DurationMs() const;

  size_t LevelCount() const { return mLevels.size(); }
  // Frames per bucket of level (256 * 4^level); buckets in the level (the
  // last may be partial). 0 for a level that does not exist.
  int64_t BucketFrames(size_t level) const;
  int64_t BucketCount(size_t level) const;
  // One bucket of one channel; empty for an index outside the level.
  Peak Bucket(size_t level, int64_t index, int32_t channel) const;
  // Bytes the levels hold.
  size_t MemoryBytes() const;

  // Fills peaks with width * Channels() entries, pixel-major:
  // peaks[i * Channels() + channel]. level receives the level used, or -1
  // when the frames were read from the file; it may be null. 0, -1405 (bad
  // range: an end or the span not finite, or endMs <= startMs; width 0 or
  // above kMaxQueryWidth; no summary), or a read status; peaks is empty on
  // failure.
  [[nodiscard]] int32_t Peaks(double startMs, double endMs, uint32_t width,
                              std::vector<Peak>& peaks, int* level) const;

 private:
  struct Level {
    int64_t bucketFrames = 0;
    std::vector<Peak> peaks;  // bucket-major: peaks[bucket * channels + channel]
  };

  class PixelEdges;

  void FromLevel(const PixelEdges& edges, size_t level, std::vector<Peak>& peaks) const;
  [[nodiscard]] int32_t FromFile(const PixelEdges& edges, std::vector<Peak>& peaks) const;

  std::string mPath;
  int64_t mFrames = 0;
  int32_t mSampleRate = 0;
  int32_t mChannels = 0;
  std::vector<Level> mLevels;
  mutable std::mutex mFileLock;
  mutable StudioSoundFile mFile;
};

#endif
