// A recording's sonogram strip: short-time Fourier transforms of the sound,
// computed in tiles on worker threads, kept in a cache with a memory budget,
// and painted as colours for whatever part of the recording the view shows.
//
// Analysis: the channels are mixed down (averaged); a column is one
// transform of WindowSize frames under a periodic Hann window, centred on
// its frame (frames before the start and after the end count as silence).
// Bin k (0 .. WindowSize / 2) shows k * rate / WindowSize Hz at
//   dB = 20 log10(|X[k]| * 2 / sum(window)),
// so that a sine of amplitude 1 on a bin reads 0 dBFS. A column keeps one
// level per bin: level L (0..255) where dB >= floor + L * range / 256 (the
// highest such L; 0 for everything below floor + range / 256, silence and
// damaged not-a-number samples included), the dB taken through a fast
// logarithm good to 3e-4 dB, so a bin within that of a level's edge may
// take the level beside it; StudioColorMap paints it. The window is applied
// to the spectrum (StudioSpectrumLevels_p.h), where it is three taps.
//
// Zoom levels: at level z the columns are Hop() * 2^z frames apart, column c
// centred on frame c * Hop() * 2^z, for the columns whose centre lies in the
// recording. A view uses the coarsest level whose columns are no farther
// apart than its pixels (level 0 when zoomed in further: a column then
// spans several pixels). At the coarser levels a column is still one window:
// the sound between windows is not looked at, which keeps the first screen
// of a long recording quick. A tile is kTileColumns consecutive columns of
// one level, all bins.
//
// Tiles and threads: Paint paints from the tiles it finds and asks the
// workers (1 to kMaxWorkers threads, each with its own reader and transform)
// for the missing ones, the view's first, then its neighbours; a new Paint
// replaces what the previous one asked for and has not started, so
// scrolling never waits behind tiles no longer shown. Each arriving tile
// calls the tile procedure on the worker's thread: a GUI hands it on to its
// main loop and paints again there. Tiles are kept while they fit in the
// memory budget; the least recently painted go first, but never those of
// the latest Paint.
//
// Every method but the tile procedure runs on one thread (the GUI's).
//
// Status codes (kit/QVErrors.h), logged where detected: those of
// StudioSoundFile from Open; kQVErrSonogram (-1422) for settings out of
// range, or a Paint without a recording or with a bad range or size.
#ifndef STUDIO_SONOGRAM_H
#define STUDIO_SONOGRAM_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "StudioFrequencyAxis.h"

class StudioSonogram {
 public:
  static constexpr int32_t kMinWindowSize = 256;
  static constexpr int32_t kMaxWindowSize = 8192;
  // Overlap of consecutive windows at level 0, as a fraction of the window.
  static constexpr double kMaxOverlap = 0.875;
  static constexpr int32_t kTileColumns = 256;
  static constexpr int32_t kMaxWorkers = 4;
  // The widest and tallest Paint, in pixels.
  static constexpr uint32_t kMaxPaintSize = 65536;
  static constexpr size_t kDefaultMemoryBudget = size_t{64} << 20;
  static constexpr double kMinFloorDb = -300.0;
  static constexpr double kMaxFloorDb = 100.0;
  static constexpr double kMinRangeDb = 1.0;
  static constexpr double kMaxRangeDb = 300.0;

  struct Settings {
    // Frames per transform, kMinWindowSize to kMaxWindowSize (any whole
    // number; those with small prime factors are fastest).
    int32_t windowSize = 2048;
    // 0 to kMaxOverlap.
    double overlap = 0.75;
    // The darkest colour at floorDb and below, the brightest from
    // floorDb + rangeDb up; floor kMinFloorDb to kMaxFloorDb, range
    // kMinRangeDb to kMaxRangeDb.
    double floorDb = -100.0;
    double rangeDb = 100.0;
    // The rows' frequencies; a high end above the recording's Nyquist
    // frequency shows the floor colour there.
    StudioFrequencyAxis axis;
  };

  // Called on a worker thread when a tile arrives; must not call back into
  // the sonogram.
  using TileProc = std::function<void()>;

  // workers is clamped to [1, kMaxWorkers].
  explicit StudioSonogram(int32_t workers = 2);
  ~StudioSonogram();
  StudioSonogram(const StudioSonogram&) = delete;
  StudioSonogram& operator=(const StudioSonogram&) = delete;

  // Shows the recording at path (UTF-8), dropping every tile of what was
  // shown before. 0 or a StudioSoundFile status; on failure nothing is
  // shown.
  [[nodiscard]] int32_t Open(const std::string& path);
  void Close();
  bool IsOpen() const;
  int64_t Frames() const { return mFrames; }
  int32_t SampleRate() const { return mRate; }
  double DurationMs() const;

  // 0 or -1422 (then the settings stay as they were). Changing the window,
  // overlap, floor or range drops the tiles; the axis alone does not.
  [[nodiscard]] int32_t SetSettings(const Settings& settings);
  const Settings& GetSettings() const { return mSettings; }
  // Frames between level-0 columns: WindowSize * (1 - overlap), rounded, at
  // least 1.
  int32_t Hop() const;
  int32_t BinCount() const { return mSettings.windowSize / 2 + 1; }
  double BinHz() const;

  void SetTileProc(TileProc proc);
  // Bytes the tiles may take; the tiles of the latest Paint stay even over it.
  // The memory of tiles that were dropped is kept for new tiles, up to the
  // budget again, so that scrolling and recomputing write into memory the
  // process has already touched.
  void SetMemoryBudget(size_t bytes);
  size_t MemoryBytes() const;
  // Tiles computed since the tiles were last dropped (Open, Close, new
  // analysis settings), counting those computed again after eviction.
  int64_t TilesComputed() const;

  // The zoom level a view of (endMs - startMs) over width pixels uses.
  int32_t LevelFor(double startMs, double endMs, uint32_t width) const;

  // Paints the strip for [startMs, endMs) into width x height pixels
  // (0xAARRGGBB words, rows top to bottom, stride words per row, top row:
  // the highest frequencies). Pixel column i shows the column nearest the
  // time at its middle, startMs + (i + 0.5) * (endMs - startMs) / width;
  // pixel columns whose middle lies outside the recording, or whose tile has
  // not arrived, are left as they were. Asks for the missing tiles.
  // complete (may be null) receives whether every column inside the
  // recording was painted. 0 or -1422 (nothing open; a bad range: an end not
  // finite, endMs <= startMs; width or height 0 or above kMaxPaintSize;
  // stride < width; pixels null).
  [[nodiscard]] int32_t Paint(double startMs, double endMs, uint32_t width, uint32_t height,
                              uint32_t* pixels, size_t stride, bool* complete);

  // Blocks until the workers have nothing left to compute, or timeoutMs
  // passed; true when idle.
  bool WaitUntilIdle(int32_t timeoutMs) const;

 private:
  struct Tile;
  struct TileMemory;
  struct Worker;
  struct TileKey {
    int32_t level;
    int64_t index;
    bool operator<(const TileKey& other) const {
      return level != other.level ? level < other.level : index < other.index;
    }
    bool operator==(const TileKey& other) const {
      return level == other.level && index == other.index;
    }
  };
  // A tile being computed, by the generation of the settings it was asked
  // under.
  struct Work {
    uint64_t generation;
    TileKey key;
    bool operator<(const Work& other) const {
      return generation != other.generation ? generation < other.generation : key < other.key;
    }
  };
  struct CacheEntry {
    std::shared_ptr<const Tile> tile;
    std::list<TileKey>::iterator lru;
    uint64_t paintSerial = 0;
  };

  int64_t ColumnCount(int32_t level) const;
  int64_t ColumnStep(int32_t level) const;
  [[nodiscard]] int32_t Fail(const char* reason) const;
  // Drops tiles, queued work and the work in progress (its result is thrown
  // away when it arrives). Under mLock.
  void ResetLocked();
  // Evicts the least recently painted tiles over the budget. Under mLock.
  void TrimLocked();
  void RunWorker(Worker* worker);
  // Computes one tile with the worker's reader and transform; false when
  // reading failed or the work became stale.
  bool ComputeTile(Worker& worker, const TileKey& key, uint64_t generation, Tile& tile);

  // What the workers read and how; copied by each worker when it starts a
  // tile, under mLock.
  struct Job {
    std::string path;
    Settings settings;
    int64_t frames = 0;
    int32_t channels = 0;
  };

  mutable std::mutex mLock;
  mutable std::condition_variable mWake;  // workers: work queued or quit
  mutable std::condition_variable mIdle;  // waiters: queue and workers idle
  Job mJob;
  Settings mSettings;
  int64_t mFrames = 0;
  int32_t mRate = 0;
  bool mOpen = false;
  uint64_t mGeneration = 0;
  // mGeneration, readable by a computing worker without the lock.
  std::atomic<uint64_t> mLiveGeneration{0};
  uint64_t mPaintSerial = 0;
  // A tile asked for by the Paint of paintSerial: the Paint's own tiles
  // carry its serial (kept over the budget while that Paint is the latest),
  // its neighbours 0.
  struct Request {
    TileKey key;
    uint64_t paintSerial;
  };
  std::deque<Request> mQueue;
  std::set<Work> mInFlight;
  int32_t mBusy = 0;
  std::map<TileKey, CacheEntry> mCache;
  std::list<TileKey> mLru;  // front: most recently painted
  size_t mBudget = kDefaultMemoryBudget;
  size_t mBytes = 0;
  int64_t mComputed = 0;
  TileProc mTileProc;
  bool mQuit = false;
  // Memory of tiles that went, for the next ones; shared with the tiles,
  // which give their memory back when they go.
  std::shared_ptr<TileMemory> mTileMemory;
  std::vector<std::unique_ptr<Worker>> mWorkers;
};

#endif
