#include "StudioSummaryLoader.h"

#include <glib.h>

#include <cmath>

#include "kit/QVErrors.h"

// What the worker and the GUI thread share for one build. The GUI thread
// clears `owner` when the build is dropped; the idle callbacks run on the
// GUI thread too, so they see it without a lock.
struct StudioSummaryLoader::Build {
  StudioSummaryLoader* owner = nullptr;
  std::atomic<bool> cancel{false};
  Progress progress;
  Done done;
  std::unique_ptr<StudioWaveSummary> summary;
  int32_t status = 0;
};


StudioSummaryLoader::~StudioSummaryLoader() { Cancel(); }

void StudioSummaryLoader::Join() {
  if (mWorker.joinable()) mWorker.join();
}

void StudioSummaryLoader::Cancel() {
  if (mBuild) {
    mBuild->owner = nullptr;
    mBuild->cancel = true;
  }
  Join();
  mBuild.reset();
  mRunning = false;
}

int StudioSummaryLoader::OnProgress(void* data) {
  auto* message = static_cast<std::pair<std::shared_ptr<Build>, double>*>(data);
  const std::shared_ptr<Build>& build = message->first;
  if (build->owner && build->progress) build->progress(message->second);
  delete message;
  return G_SOURCE_REMOVE;
}

int StudioSummaryLoader::OnDone(void* data) {
  auto* holder = static_cast<std::shared_ptr<Build>*>(data);
  std::shared_ptr<Build> build = *holder;
  delete holder;
  StudioSummaryLoader* owner = build->owner;
  if (!owner) return G_SOURCE_REMOVE;
  // The worker has finished its work; joining it costs nothing now.
  owner->Join();
  owner->mRunning = false;
  owner->mBuild.reset();
  build->owner = nullptr;
  if (build->status != kQVErrSoundCancelled && build->done) {
    build->done(build->status, build->status == 0 ? std::move(build->summary) : nullptr);
  }
  return G_SOURCE_REMOVE;
}

void StudioSummaryLoader::Start(const std::string& path, Progress progress, Done done) {
  Cancel();
  auto build = std::make_shared<Build>();
  build->owner = this;
  build->progress = std::move(progress);
  build->done = std::move(done);
  build->summary = std::make_unique<StudioWaveSummary>();
  mBuild = build;
  mRunning = true;
  mWorker = std::thread([build, path]() {
    int lastPercent = -1;
    auto report = [&](double fraction) {
      const int percent = static_cast<int>(std::floor(fraction * 100.0));
      if (percent == lastPercent) return;
      lastPercent = percent;
      g_idle_add(&StudioSummaryLoader::OnProgress,
                 new std::pair<std::shared_ptr<Build>, double>(build, fraction));
    };
    build->status = build->summary->Build(path, report, &build->cancel);
    g_idle_add(&StudioSummaryLoader::OnDone, new std::shared_ptr<Build>(build));
  });
}
