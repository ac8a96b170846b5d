// Builds a recording's waveform summary on a worker thread and hands the
// progress and the result to the GUI thread (through the main loop's idle
// callbacks): the worker never touches the toolkit or the document.
//
// One build at a time: Start cancels and joins one still running. The
// callbacks run on the GUI thread only, never after the loader is
// destroyed or after a later Start (late messages of an old build are
// dropped).
#ifndef STUDIO_SUMMARY_LOADER_H
#define STUDIO_SUMMARY_LOADER_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "StudioWaveSummary.h"

class StudioSummaryLoader {
 public:
  // fraction 0 to 1, at most every 1%.
  using Progress = std::function<void(double fraction)>;
  // status 0 with the built summary, or the build's status and null
  // (kQVErrSoundCancelled is never reported: a cancelled build is silent).
  using Done = std::function<void(int32_t status, std::unique_ptr<StudioWaveSummary> summary)>;

  StudioSummaryLoader() = default;
  // Cancels a build still running and waits for its worker.
  ~StudioSummaryLoader();
  StudioSummaryLoader(const StudioSummaryLoader&) = delete;
  StudioSummaryLoader& operator=(const StudioSummaryLoader&) = delete;

  void Start(const std::string& path, Progress progress, Done done);
  void Cancel();
  bool IsRunning() const { return mRunning; }

 private:
  struct Build;
  static int OnProgress(void* data);
  static int OnDone(void* data);
  void Join();

  std::thread mWorker;
  std::shared_ptr<Build> mBuild;
  bool mRunning = false;
};

#endif
