#include "StudioSonogram.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "StudioColorMap.h"
#include "StudioFFT_p.h"
#include "StudioSoundFile.h"
#include "StudioSpectrumLevels_p.h"
#include "kit/QVLog.h"

namespace {

// Levels above 2^40 columns apart are never needed: a column step then
// exceeds any recording.
constexpr int32_t kMaxLevel = 40;
// Frames of several channels read from the file at a time, to be mixed down;
// one channel is read in one call, straight into place.
constexpr int64_t kReadBlockFrames = 16384;
// A tile whose columns are at most this many windows apart is read in one
// stretch; farther apart, each window is read on its own.
constexpr int64_t kContiguousWindows = 2;
// A stretch is read and transformed this many frames at a time (64 KiB of
// floats), the frames its windows share kept from one part to the next: the
// samples stay in the processor's cache between reading and transforming.
constexpr int64_t kStretchFrames = 16384;

// Room for count floats at a 64-byte boundary, as the FFT library's own
// arrays: windows at whole multiples of 4 frames (16 bytes, the alignment
// the library compares) into it are transformed where they lie. Kept
// between tiles (grown, never shrunk).
class AlignedFloats {
 public:
  float* Reserve(size_t count) {
    if (count > mCapacity) {
      size_t bytes = (count * sizeof(float) + 63) / 64 * 64;
      mData.reset(static_cast<float*>(std::aligned_alloc(64, bytes)));
      mCapacity = mData ? count : 0;
      if (!mData) throw std::bad_alloc();
    }
    return mData.get();
  }
  float* Data() { return mData.get(); }

 private:
  struct Free {
    void operator()(float* data) const { std::free(data); }
  };
  std::unique_ptr<float, Free> mData;
  size_t mCapacity = 0;
};

}  // namespace

struct StudioSonogram::TileMemory {
  std::mutex lock;
  size_t bufferBytes = 0;
  size_t limitBytes = kDefaultMemoryBudget;
  std::vector<std::unique_ptr<uint8_t[]>> spare;

  std::unique_ptr<uint8_t[]> Take(size_t bytes) {
    {
      std::lock_guard<std::mutex> hold(lock);
      if (bytes == bufferBytes && !spare.empty()) {
        std::unique_ptr<uint8_t[]> buffer = std::move(spare.back());
        spare.pop_back();
        return buffer;
      }
    }
    return std::unique_ptr<uint8_t[]>(new uint8_t[bytes]);
  }
  void Give(std::unique_ptr<uint8_t[]> buffer, size_t bytes) {
    std::lock_guard<std::mutex> hold(lock);
    // Buffers of the tile size of other settings are let go.
    if (bytes != bufferBytes) {
      spare.clear();
      bufferBytes = bytes;
    }
    if ((spare.size() + 1) * bytes <= limitBytes) spare.push_back(std::move(buffer));
  }
  void SetLimit(size_t bytes) {
    std::lock_guard<std::mutex> hold(lock);
    limitBytes = bytes;
    while (!spare.empty() && spare.size() * bufferBytes > limitBytes) spare.pop_back();
  }
};

struct StudioSonogram::Tile {
  int32_t columns = 0;
  int32_t bins = 0;
  // Column-major: levels[column * bins + bin]; every byte is written when
  // the tile is computed.
  std::unique_ptr<uint8_t[]> levels;
  std::shared_ptr<TileMemory> memory;

  Tile() = default;
  Tile(const Tile&) = delete;
  Tile& operator=(const Tile&) = delete;
  ~Tile() {
    if (memory && levels) memory->Give(std::move(levels), static_cast<size_t>(kTileColumns) * bins);
  }

  size_t Bytes() const { return static_cast<size_t>(kTileColumns) * bins + sizeof(Tile); }
};

struct StudioSonogram::Worker {
  std::thread thread;
  Job job;
  uint64_t generation = 0;  // of the job below
  bool prepared = false;
  StudioSoundFile file;
  std::unique_ptr<StudioFFT> fft;
  // level = log2(power) * levelScale + levelOffset, floored and held to
  // [0, 255]: dB = 10 log10(2) log2(power) + 10 log10((2 / sum(window))^2),
  // and a level is 256 / range per dB above the floor.
  float levelScale = 0.0f;
  float levelOffset = 0.0f;
  AlignedFloats mono;
  std::vector<float> block;

  // Makes the transform of the job's settings.
  int32_t Prepare() {
    const Settings& settings = job.settings;
    int32_t size = settings.windowSize;
    int32_t status = StudioFFT::Make(size, fft);
    if (status != 0) return status;
    // The periodic Hann window sums to exactly half its length.
    const double sum = size / 2.0;
    double perDb = 256.0 / settings.rangeDb;
    levelScale = static_cast<float>(10.0 * std::log10(2.0) * perDb);
    levelOffset = static_cast<float>((20.0 * std::log10(2.0 / sum) - settings.floorDb) * perDb);
    prepared = true;
    return 0;
  }

  // count mono frames from frame start (negative: before the recording)
  // into samples[0 .. count), silence outside the recording. 0 or a read
  // status.
  int32_t ReadMono(int64_t start, int64_t count, float* samples) {
    int64_t from = std::max<int64_t>(start, 0);
    int64_t to = std::max(std::min<int64_t>(start + count, job.frames), from);
    // Silence before and after the recording; what is read fills the rest.
    std::fill(samples, samples + (from - start), 0.0f);
    std::fill(samples + (to - start), samples + count, 0.0f);
    if (from >= to) return 0;
    int32_t status = file.Seek(from);
    if (status != 0) return status;
    int32_t channels = job.channels;
    block.resize(static_cast<size_t>(kReadBlockFrames * channels));
    for (int64_t at = from; at < to;) {
      int64_t read = 0;
      float* out = samples + (at - start);
      // One channel reads straight into place.
      float* into = channels == 1 ? out : block.data();
      status = file.Read(into, channels == 1 ? to - at : std::min(kReadBlockFrames, to - at), read);
      if (status != 0) return status;
      if (read == 0) {
        // The data ended before the header said: silence after it.
        std::fill(samples + (at - start), samples + (to - start), 0.0f);
        break;
      }
      if (channels > 1) {
        float scale = 1.0f / static_cast<float>(channels);
        for (int64_t i = 0; i < read; ++i) {
          float sum = 0.0f;
          for (int32_t c = 0; c < channels; ++c) sum += block[i * channels + c];
          out[i] = sum * scale;
        }
      }
      at += read;
    }
    return 0;
  }

  // One column from the window's frames at samples into levels.
  void Column(const float* samples, uint8_t* levels) {
    StudioSpectrumLevels::Compute(fft->Transform(samples), fft->Size(), levels, levelScale,
                                  levelOffset);
  }
};

StudioSonogram::StudioSonogram(int32_t workers) : mTileMemory(std::make_shared<TileMemory>()) {
  workers = std::clamp(workers, 1, kMaxWorkers);
  for (int32_t i = 0; i < workers; ++i) {
    mWorkers.push_back(std::make_unique<Worker>());
    Worker* worker = mWorkers.back().get();
    worker->thread = std::thread([this, worker] { RunWorker(worker); });
  }
}

StudioSonogram::~StudioSonogram() {
  {
    std::lock_guard<std::mutex> hold(mLock);
    mQuit = true;
    mQueue.clear();
    mLiveGeneration = ++mGeneration;
  }
  mWake.notify_all();
  for (auto& worker : mWorkers) worker->thread.join();
}

int32_t StudioSonogram::Fail(const char* reason) const {
  return static_cast<int32_t>(QVLogStatus<kQVErrSonogram>(reason));
}

void StudioSonogram::ResetLocked() {
  mQueue.clear();
  mCache.clear();
  mLru.clear();
  mBytes = 0;
  mComputed = 0;
  mLiveGeneration = ++mGeneration;
  if (mBusy == 0) mIdle.notify_all();
}

int32_t StudioSonogram::Open(const std::string& path) {
  StudioSoundFile file;
  int32_t status = file.Open(path);
  std::lock_guard<std::mutex> hold(mLock);
  ResetLocked();
  if (status != 0) {
    mOpen = false;
    mFrames = 0;
    mRate = 0;
    mJob = Job();
    return status;
  }
  mOpen = true;
  mFrames = file.Frames();
  mRate = file.SampleRate();
  mJob.path = path;
  mJob.frames = mFrames;
  mJob.channels = file.Channels();
  mJob.settings = mSettings;
  return 0;
}

void StudioSonogram::Close() {
  std::lock_guard<std::mutex> hold(mLock);
  ResetLocked();
  mOpen = false;
  mFrames = 0;
  mRate = 0;
  mJob = Job();
}

bool StudioSonogram::IsOpen() const { return mOpen; }

double StudioSonogram::DurationMs() const {
  return mRate > 0 ? static_cast<double>(mFrames) * 1000.0 / mRate : 0.0;
}

int32_t StudioSonogram::SetSettings(const Settings& settings) {
  if (settings.windowSize < kMinWindowSize || settings.windowSize > kMaxWindowSize) {
    return Fail("window size outside 256 to 8192 frames");
  }
  if (!(settings.overlap >= 0.0 && settings.overlap <= kMaxOverlap)) {
    return Fail("overlap outside 0 to 87.5 %");
  }
  if (!(settings.floorDb >= kMinFloorDb && settings.floorDb <= kMaxFloorDb) ||
      !(settings.rangeDb >= kMinRangeDb && settings.rangeDb <= kMaxRangeDb)) {
    return Fail("the dB floor must lie in -300 to 100, the range in 1 to 300");
  }
  if (!settings.axis.IsValid()) return Fail("bad frequency axis");
  std::lock_guard<std::mutex> hold(mLock);
  bool analysisChanged =
      settings.windowSize != mSettings.windowSize || settings.overlap != mSettings.overlap ||
      settings.floorDb != mSettings.floorDb || settings.rangeDb != mSettings.rangeDb;
  mSettings = settings;
  mJob.settings = settings;
  if (analysisChanged) ResetLocked();
  return 0;
}

int32_t StudioSonogram::Hop() const {
  long hop = std::lround(mSettings.windowSize * (1.0 - mSettings.overlap));
  return static_cast<int32_t>(std::max(hop, 1L));
}

double StudioSonogram::BinHz() const { return static_cast<double>(mRate) / mSettings.windowSize; }

void StudioSonogram::SetTileProc(TileProc proc) {
  std::lock_guard<std::mutex> hold(mLock);
  mTileProc = std::move(proc);
}

void StudioSonogram::SetMemoryBudget(size_t bytes) {
  std::lock_guard<std::mutex> hold(mLock);
  mBudget = bytes;
  mTileMemory->SetLimit(bytes);
  TrimLocked();
}

size_t StudioSonogram::MemoryBytes() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mBytes;
}

int64_t StudioSonogram::TilesComputed() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mComputed;
}

int64_t StudioSonogram::ColumnStep(int32_t level) const {
  return static_cast<int64_t>(Hop()) << level;
}

int64_t StudioSonogram::ColumnCount(int32_t level) const {
  return mFrames > 0 ? (mFrames - 1) / ColumnStep(level) + 1 : 0;
}

int32_t StudioSonogram::LevelFor(double startMs, double endMs, uint32_t width) const {
  if (width == 0 || mRate <= 0) return 0;
  double framesPerPixel = (endMs - startMs) / width * mRate / 1000.0;
  int32_t level = 0;
  while (level < kMaxLevel && static_cast<double>(ColumnStep(level + 1)) <= framesPerPixel) {
    ++level;
  }
  return level;
}

void StudioSonogram::TrimLocked() {
  auto it = mLru.end();
  while (mBytes > mBudget && it != mLru.begin()) {
    --it;
    auto entry = mCache.find(*it);
    if (entry->second.paintSerial == mPaintSerial) continue;  // on screen
    mBytes -= entry->second.tile->Bytes();
    mCache.erase(entry);
    it = mLru.erase(it);
  }
}

int32_t StudioSonogram::Paint(double startMs, double endMs, uint32_t width, uint32_t height,
                              uint32_t* pixels, size_t stride, bool* complete) {
  if (complete) *complete = false;
  if (!mOpen) return Fail("no recording is open");
  if (!std::isfinite(startMs) || !std::isfinite(endMs) || !(endMs > startMs) ||
      !std::isfinite(endMs - startMs)) {
    return Fail("bad time range");
  }
  if (width == 0 || height == 0 || width > kMaxPaintSize || height > kMaxPaintSize) {
    return Fail("bad size");
  }
  if (!pixels || stride < width) return Fail("bad pixel buffer");

  const int32_t level = LevelFor(startMs, endMs, width);
  const int64_t step = ColumnStep(level);
  const int64_t count = ColumnCount(level);
  const double span = endMs - startMs;
  const double duration = DurationMs();

  // The column each pixel column shows, or -1.
  std::vector<int64_t> columns(width, -1);
  for (uint32_t i = 0; i < width; ++i) {
    double middle = startMs + (i + 0.5) * span / width;
    if (!(middle >= 0.0 && middle < duration)) continue;
    double frame = middle * mRate / 1000.0;
    columns[i] = std::clamp<int64_t>(std::llround(frame / static_cast<double>(step)), 0, count - 1);
  }
  int64_t firstTile = -1, lastTile = -1;
  for (int64_t column : columns) {
    if (column < 0) continue;
    int64_t tile = column / kTileColumns;
    if (firstTile < 0) firstTile = tile;
    lastTile = tile;
  }

  std::vector<std::shared_ptr<const Tile>> tiles;
  {
    // What earlier views asked for and no worker has started is not needed
    // any more, unless this view asks again.
    std::lock_guard<std::mutex> hold(mLock);
    mQueue.clear();
  }
  if (firstTile >= 0) {
    tiles.resize(static_cast<size_t>(lastTile - firstTile + 1));
    std::lock_guard<std::mutex> hold(mLock);
    ++mPaintSerial;
    auto want = [&](int64_t index, bool visible) {
      TileKey key{level, index};
      auto found = mCache.find(key);
      if (found != mCache.end()) {
        if (visible) {
          found->second.paintSerial = mPaintSerial;
          mLru.splice(mLru.begin(), mLru, found->second.lru);
          tiles[static_cast<size_t>(index - firstTile)] = found->second.tile;
        }
        return;
      }
      if (mInFlight.count(Work{mGeneration, key}) == 0) {
        mQueue.push_back(Request{key, visible ? mPaintSerial : 0});
      }
    };
    for (int64_t index = firstTile; index <= lastTile; ++index) want(index, true);
    // The neighbours next, so that a short scroll finds them ready.
    int64_t tileCount = (count + kTileColumns - 1) / kTileColumns;
    if (lastTile + 1 < tileCount) want(lastTile + 1, false);
    if (firstTile > 0) want(firstTile - 1, false);
    TrimLocked();
  }
  mWake.notify_all();

  // Which bins each pixel row shows; rows above the top bin show the floor.
  const int32_t bins = BinCount();
  const double binHz = BinHz();
  const double topHz = (bins - 1) * binHz + binHz / 2.0;
  std::vector<int32_t> firstBin(height), lastBin(height);
  for (uint32_t y = 0; y < height; ++y) {
    auto row = static_cast<int32_t>(height - 1 - y);
    if (mSettings.axis.Edge(row, static_cast<int32_t>(height)) >= topHz) {
      firstBin[y] = 0;
      lastBin[y] = -1;
      continue;
    }
    mSettings.axis.BinsOfRow(row, static_cast<int32_t>(height), binHz, bins, firstBin[y],
                             lastBin[y]);
  }

  // Each pixel column's levels, or null; then the pixels row by row.
  bool all = true;
  std::vector<const uint8_t*> columnLevels(width, nullptr);
  for (uint32_t i = 0; i < width; ++i) {
    if (columns[i] < 0) continue;
    const Tile* tile = tiles[static_cast<size_t>(columns[i] / kTileColumns - firstTile)].get();
    if (!tile) {
      all = false;
      continue;
    }
    columnLevels[i] =
        tile->levels.get() + static_cast<size_t>(columns[i] % kTileColumns) * tile->bins;
  }
  // In blocks of pixel columns whose levels stay in the first-level cache
  // from one row to the next.
  constexpr uint32_t kBlock = 32;
  for (uint32_t block = 0; block < width; block += kBlock) {
    const uint32_t blockEnd = std::min(block + kBlock, width);
    for (uint32_t y = 0; y < height; ++y) {
      uint32_t* row = pixels + y * stride;
      const int32_t from = firstBin[y], to = lastBin[y];
      for (uint32_t i = block; i < blockEnd; ++i) {
        const uint8_t* levels = columnLevels[i];
        if (!levels) continue;
        uint8_t level = 0;
        for (int32_t k = from; k <= to; ++k) level = std::max(level, levels[k]);
        row[i] = StudioColorMap::Color(level);
      }
    }
  }
  if (complete) *complete = all;
  return 0;
}

bool StudioSonogram::WaitUntilIdle(int32_t timeoutMs) const {
  std::unique_lock<std::mutex> hold(mLock);
  return mIdle.wait_for(hold, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                        [this] { return mQueue.empty() && mBusy == 0; });
}

void StudioSonogram::RunWorker(Worker* worker) {
  std::unique_lock<std::mutex> hold(mLock);
  for (;;) {
    mWake.wait(hold, [this] { return mQuit || !mQueue.empty(); });
    if (mQuit) return;
    Request request = mQueue.front();
    mQueue.pop_front();
    TileKey key = request.key;
    Work work{mGeneration, key};
    mInFlight.insert(work);
    ++mBusy;
    if (worker->generation != mGeneration || !worker->prepared) {
      // A new recording or new settings: the worker starts afresh, reopening
      // the file too (it may have been replaced under the same name).
      worker->job = mJob;
      worker->generation = mGeneration;
      worker->prepared = false;
      worker->file.Close();
    }
    hold.unlock();

    auto tile = std::make_shared<Tile>();
    bool done = ComputeTile(*worker, key, work.generation, *tile);

    hold.lock();
    mInFlight.erase(work);
    TileProc proc;
    if (done && work.generation == mGeneration && mCache.count(key) == 0) {
      std::shared_ptr<const Tile> shared = std::move(tile);
      mLru.push_front(key);
      mCache[key] = CacheEntry{shared, mLru.begin(), request.paintSerial};
      mBytes += shared->Bytes();
      ++mComputed;
      TrimLocked();
      proc = mTileProc;
    }
    if (proc) {
      hold.unlock();
      proc();
      hold.lock();
    }
    // Idle only once the tile's procedure has run: a waiter then sees every
    // arrival told.
    --mBusy;
    if (mQueue.empty() && mBusy == 0) mIdle.notify_all();
  }
}

bool StudioSonogram::ComputeTile(Worker& worker, const TileKey& key, uint64_t generation,
                                 Tile& tile) {
  const Job& job = worker.job;
  if (!worker.prepared) {
    if (worker.Prepare() != 0) return false;
  }
  if (!worker.file.IsOpen()) {
    if (worker.file.Open(job.path) != 0) return false;
  }
  const int32_t size = job.settings.windowSize;
  const int32_t bins = size / 2 + 1;
  long hop = std::max(std::lround(size * (1.0 - job.settings.overlap)), 1L);
  const int64_t step = static_cast<int64_t>(hop) << key.level;
  const int64_t count = job.frames > 0 ? (job.frames - 1) / step + 1 : 0;
  const int64_t first = key.index * kTileColumns;
  const int64_t end = std::min(first + kTileColumns, count);
  if (first >= end) return false;
  tile.columns = static_cast<int32_t>(end - first);
  tile.bins = bins;
  // Full and partial tiles take buffers of one size, so that any can be
  // reused.
  tile.memory = mTileMemory;
  tile.levels = mTileMemory->Take(static_cast<size_t>(kTileColumns) * bins);

  uint8_t* const levels = tile.levels.get();
  // Stale work is dropped between columns: a new recording or new settings
  // need the worker elsewhere.
  auto stale = [&] { return mLiveGeneration.load(std::memory_order_relaxed) != generation; };
  if (step > kContiguousWindows * size) {
    float* samples = worker.mono.Reserve(static_cast<size_t>(size));
    for (int64_t c = first; c < end; ++c) {
      if (stale() || worker.ReadMono(c * step - size / 2, size, samples) != 0) return false;
      worker.Column(samples, levels + static_cast<size_t>(c - first) * bins);
    }
    return true;
  }
  // Parts of `group` columns; each starts at its first column's window and
  // keeps what the last part read of it.
  const int64_t group = std::max<int64_t>((kStretchFrames - size) / step + 1, 1);
  float* const stretch = worker.mono.Reserve(static_cast<size_t>((group - 1) * step + size));
  int64_t heldFrom = 0, heldTo = 0;  // frames in stretch[0 ..)
  for (int64_t c = first; c < end; c += group) {
    const int64_t last = std::min(c + group, end) - 1;
    const int64_t from = c * step - size / 2;
    const int64_t to = last * step - size / 2 + size;
    int64_t kept = 0;
    if (from >= heldFrom && from < heldTo) {
      kept = heldTo - from;
      std::memmove(stretch, stretch + (from - heldFrom), sizeof(float) * static_cast<size_t>(kept));
    }
    if (worker.ReadMono(from + kept, to - from - kept, stretch + kept) != 0) return false;
    heldFrom = from;
    heldTo = to;
    for (int64_t k = c; k <= last; ++k) {
      if (stale()) return false;
      worker.Column(stretch + (k - c) * step, levels + static_cast<size_t>(k - first) * bins);
    }
  }
  return true;
}
