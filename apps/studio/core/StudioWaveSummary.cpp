#include "StudioWaveSummary.h"

#include <algorithm>
#include <cmath>

#include "kit/QVLog.h"

// The frame positions of the pixel edges of one query.
class StudioWaveSummary::PixelEdges {
 public:
  PixelEdges(double startMs, double endMs, uint32_t width, int32_t rate)
      : mStart(startMs), mSpan(endMs - startMs), mWidth(width), mRate(rate) {}

  uint32_t Width() const { return mWidth; }
  double FramesPerPixel() const { return mSpan * mRate / 1000.0 / mWidth; }
  // Frame position of the left edge of pixel i (i = width: the right edge).
  double Edge(uint32_t i) const { return (mStart + mSpan * i / mWidth) * mRate / 1000.0; }
  // The first whole unit of `unit` frames at or after edge i, held within
  // [-1, limit + 1] so that far-away ranges never overflow.
  int64_t FirstAtOrAfter(uint32_t i, double unit, int64_t limit) const {
    double at = std::ceil(Edge(i) / unit);
    if (std::isnan(at)) return -1;
    return static_cast<int64_t>(std::clamp(at, -1.0, static_cast<double>(limit) + 1.0));
  }

 private:
  double mStart;
  double mSpan;
  uint32_t mWidth;
  int32_t mRate;
};

namespace {

// Makes room in peaks for one more bucket of channels entries. The header's
// frame count is trusted only as far as the reading bears it out: the room
// at most doubles what was read, so that a damaged header announcing 2^40
// frames reserves nothing for them; and it stops at the announced count
// (announcedPeaks entries), so that a true count leaves no slack.
void ReserveForOneMore(std::vector<StudioWaveSummary::Peak>& peaks, size_t channels,
                       size_t announcedPeaks) {
  const size_t needed = peaks.size() + channels;
  if (needed <= peaks.capacity()) return;
  size_t room = std::max(needed, peaks.capacity() * 2);
  if (announcedPeaks >= needed) room = std::min(room, announcedPeaks);
  peaks.reserve(room);
}

}  // namespace

double StudioWaveSummary::DurationMs() const {
  return mSampleRate > 0 ? static_cast<double>(mFrames) * 1000.0 / mSampleRate : 0.0;
}

int64_t StudioWaveSummary::BucketFrames(size_t level) const {
  return level < mLevels.size() ? mLevels[level].bucketFrames : 0;
}

int64_t StudioWaveSummary::BucketCount(size_t level) const {
  if (level >= mLevels.size() || mChannels == 0) return 0;
  return static_cast<int64_t>(mLevels[level].peaks.size()) / mChannels;
}

StudioWaveSummary::Peak StudioWaveSummary::Bucket(size_t level, int64_t index,
                                                  int32_t channel) const {
  if (index < 0 || index >= BucketCount(level) || channel < 0 || channel >= mChannels)
    return Peak();
  return mLevels[level].peaks[static_cast<size_t>(index * mChannels + channel)];
}

size_t StudioWaveSummary::MemoryBytes() const {
  size_t bytes = 0;
  for (const Level& level : mLevels) bytes += level.peaks.size() * sizeof(Peak);
  return bytes;
}

int32_t StudioWaveSummary::Build(const std::string& path, const ProgressProc& progress,
                                 const std::atomic<bool>* cancel) {
  StudioSoundFile file;
  int32_t status = file.Open(path);
  if (status != 0) return status;
  const size_t channels = static_cast<size_t>(file.Channels());
  const int64_t announced = file.Frames();

  Level base;
  base.bucketFrames = kBaseBucketFrames;
  // Whole buckets the header announces (a count of "unknown", the largest
  // int64, must not overflow).
  const int64_t announcedBuckets =
      announced / kBaseBucketFrames + (announced % kBaseBucketFrames != 0 ? 1 : 0);
  const size_t announcedPeaks = static_cast<size_t>(announcedBuckets) * channels;

  std::vector<float> block(static_cast<size_t>(kBlockFrames) * channels);
  std::vector<Peak> bucket(channels);
  int64_t inBucket = 0;
  int64_t total = 0;
  double reported = 0.0;
  for (;;) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return kQVErrSoundCancelled;
    int64_t read = 0;
    status = file.Read(block.data(), kBlockFrames, read);
    if (status != 0) return status;
    if (read == 0) break;
    const float* sample = block.data();
    for (int64_t done = 0; done < read;) {
      int64_t take = std::min(read - done, kBaseBucketFrames - inBucket);
      // One channel at a time, its extremes kept in registers (a seventh
      // faster than frame by frame through memory).
      for (size_t c = 0; c < channels; ++c) {
        Peak peak = bucket[c];
        const float* s = sample + c;
        for (int64_t k = 0; k < take; ++k, s += channels) peak.Add(*s);
        bucket[c] = peak;
      }
      sample += static_cast<size_t>(take) * channels;
      done += take;
      inBucket += take;
      if (inBucket == kBaseBucketFrames) {
        ReserveForOneMore(base.peaks, channels, announcedPeaks);
        base.peaks.insert(base.peaks.end(), bucket.begin(), bucket.end());
        std::fill(bucket.begin(), bucket.end(), Peak());
        inBucket = 0;
      }
    }
    total += read;
    // A thousand reports at most: the GUI redraws a bar for each.
    if (progress && announced > 0) {
      double fraction = std::min(1.0, static_cast<double>(total) / static_cast<double>(announced));
      if (fraction - reported >= 0.001) {
        progress(fraction);
        reported = fraction;
      }
    }
  }
  if (inBucket > 0) {
    ReserveForOneMore(base.peaks, channels, announcedPeaks);
    base.peaks.insert(base.peaks.end(), bucket.begin(), bucket.end());
  }

  std::vector<Level> levels;
  levels.push_back(std::move(base));
  while (levels.back().peaks.size() > channels) {
    const Level& below = levels.back();
    Level above;
    above.bucketFrames = below.bucketFrames * kLevelFactor;
    size_t count = below.peaks.size() / channels;
    size_t merged = (count + kLevelFactor - 1) / kLevelFactor;
    above.peaks.resize(merged * channels);
    for (size_t j = 0; j < count; ++j) {
      for (size_t c = 0; c < channels; ++c) {
        above.peaks[j / kLevelFactor * channels + c].Add(below.peaks[j * channels + c]);
      }
    }
    levels.push_back(std::move(above));
  }
  if (progress && reported < 1.0) progress(1.0);

  std::lock_guard<std::mutex> lock(mFileLock);
  mPath = path;
  mFrames = total;
  mSampleRate = file.SampleRate();
  mChannels = file.Channels();
  mLevels = std::move(levels);
  mFile = std::move(file);
  return 0;
}

int32_t StudioWaveSummary::Peaks(double startMs, double endMs, uint32_t width,
                                 std::vector<Peak>& peaks, int* level) const {
  peaks.clear();
  if (level) *level = -1;
  if (!IsBuilt()) return static_cast<int32_t>(QVLogStatus<kQVErrWaveQuery>("no summary built"));
  if (!std::isfinite(startMs) || !std::isfinite(endMs) || !(endMs > startMs) ||
      !std::isfinite(endMs - startMs)) {
    return static_cast<int32_t>(
        QVLogStatus<kQVErrWaveQuery>("the time range is empty or not finite"));
  }
  if (width == 0 || width > kMaxQueryWidth) {
    return static_cast<int32_t>(QVLogStatus<kQVErrWaveQuery>("width out of range"));
  }
  PixelEdges edges(startMs, endMs, width, mSampleRate);
  std::vector<Peak> result(static_cast<size_t>(width) * static_cast<size_t>(mChannels));
  double framesPerPixel = edges.FramesPerPixel();
  if (framesPerPixel >= static_cast<double>(kBaseBucketFrames)) {
    // The coarsest level whose buckets still fit in a pixel.
    size_t chosen = 0;
    while (chosen + 1 < mLevels.size() &&
           static_cast<double>(mLevels[chosen + 1].bucketFrames) <= framesPerPixel) {
      ++chosen;
    }
    FromLevel(edges, chosen, result);
    if (level) *level = static_cast<int>(chosen);
  } else {
    int32_t status = FromFile(edges, result);
    if (status != 0) return status;
  }
  peaks.swap(result);
  return 0;
}

void StudioWaveSummary::FromLevel(const PixelEdges& edges, size_t level,
                                  std::vector<Peak>& peaks) const {
  const Level& source = mLevels[level];
  const size_t channels = static_cast<size_t>(mChannels);
  const int64_t count = static_cast<int64_t>(source.peaks.size() / channels);
  const double unit = static_cast<double>(source.bucketFrames);
  // Each bucket goes to the pixel its first frame lies in.
  int64_t begin = std::clamp<int64_t>(edges.FirstAtOrAfter(0, unit, count), 0, count);
  for (uint32_t i = 0; i < edges.Width(); ++i) {
    int64_t end = std::clamp<int64_t>(edges.FirstAtOrAfter(i + 1, unit, count), 0, count);
    for (int64_t j = begin; j < end; ++j) {
      for (size_t c = 0; c < channels; ++c) {
        peaks[i * channels + c].Add(source.peaks[static_cast<size_t>(j) * channels + c]);
      }
    }
    begin = std::max(begin, end);
  }
}

int32_t StudioWaveSummary::FromFile(const PixelEdges& edges, std::vector<Peak>& peaks) const {
  const size_t channels = static_cast<size_t>(mChannels);
  // Pixel i takes frames [a(i), a(i+1)); an empty one takes frame a(i) - 1,
  // the frame sounding at its left edge. So reading starts one frame early.
  int64_t first = std::clamp<int64_t>(edges.FirstAtOrAfter(0, 1.0, mFrames) - 1, 0, mFrames);
  int64_t last = std::clamp<int64_t>(edges.FirstAtOrAfter(edges.Width(), 1.0, mFrames), 0, mFrames);
  if (first >= last) return 0;

  std::lock_guard<std::mutex> lock(mFileLock);
  int32_t status = mFile.Seek(first);
  if (status != 0) return status;
  std::vector<float> block(static_cast<size_t>(kBlockFrames) * channels);
  int64_t blockStart = first;
  int64_t blockCount = 0;
  int64_t next = first;         // the next frame to visit
  const float* held = nullptr;  // the frame visited last (next - 1)
  for (uint32_t i = 0; i < edges.Width(); ++i) {
    int64_t a = edges.FirstAtOrAfter(i, 1.0, mFrames);
    int64_t b = std::min(edges.FirstAtOrAfter(i + 1, 1.0, mFrames), last);
    while (next < b) {
      if (next >= blockStart + blockCount) {
        blockStart = next;
        status = mFile.Read(block.data(), kBlockFrames, blockCount);
        if (status != 0) return status;
        // The file ended early (it changed since the summary was built).
        if (blockCount == 0) return 0;
      }
      held = &block[static_cast<size_t>(next - blockStart) * channels];
      if (next >= a) {
        for (size_t c = 0; c < channels; ++c) peaks[i * channels + c].Add(held[c]);
      }
      ++next;
    }
    bool noFrameInside = a >= edges.FirstAtOrAfter(i + 1, 1.0, mFrames);
    if (noFrameInside && held && next == a && a >= 1) {
      for (size_t c = 0; c < channels; ++c) peaks[i * channels + c].Add(held[c]);
    }
  }
  return 0;
}
