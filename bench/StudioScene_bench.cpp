// Drawing Talvane Studio's score view at 1920 x 1080 with 1,000 objects, the
// way the window does it, each figure timed beside its anchor in the same
// loop (one after the other in every round, so that both see the same
// machine load) with their medians and ratio as counters:
//
//   BM_KeystrokeRepaint: one key typed into an object being edited and the
//     repaint of that object's damage (PaintDamaged), against a full
//     repaint of the same view (Paint) as the anchor. Target: under 8 ms.
//   BM_ScrollFrame: the view scrolled by one step and painted whole, against
//     the same frame of the view without objects (background, waveform and
//     ruler) as the anchor: what the objects add. Target: under 16 ms.
//   BM_ScrollFrameShifted: the same step as a window takes it, moving the
//     pixels still in view and painting only the strip scrolled in, against
//     the full repaint of the same view.
//
// The plug-in is registered in-process and finds its font and keyboard
// layouts in the source tree's resources. The recording is a 60-second mono
// 48 kHz tone written once into the temporary folder.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "StudioDocument.h"
#include "StudioKeptPicture.h"
#include "StudioScenePainter.h"
#include "StudioTypingSession.h"
#include "StudioViewport.h"
#include "StudioWaveSummary.h"
#include "bridge/HostEdit.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "object/CStdTalvaneRegistration.h"
#include "object/CStdTalvaneResources.h"
#include "kit/QVArgs.h"

namespace {

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1080;
constexpr int kObjects = 1000;
constexpr int kRate = 48000;
constexpr double kSeconds = 60.0;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

const std::string& Recording() {
  static const std::string sPath = [] {
    std::string path = "/tmp/talvane-scene-bench-" + std::to_string(getpid()) + ".wav";
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return std::string();
    const int64_t frames = static_cast<int64_t>(kSeconds * kRate);
    std::vector<float> block(65536);
    for (int64_t done = 0; done < frames;) {
      const int64_t n = std::min<int64_t>(65536, frames - done);
      for (int64_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(done + i) / kRate;
        block[i] = static_cast<float>(0.6 * std::sin(2.0 * M_PI * 220.0 * t) *
                                      (0.5 + 0.5 * std::sin(2.0 * M_PI * 0.5 * t)));
      }
      sf_writef_float(file, block.data(), n);
      done += n;
    }
    sf_close(file);
    return path;
  }();
  return sPath;
}

// The plug-in, registered once for the process (a class registers once).
struct Registered {
  Registered() {
    CStdTalvaneAddFallbackResourcesDir(TALVANE_SOURCE_DIR "/resources");
    env = std::make_unique<HostEnvironment>(HostEnvironmentOptions{});
    plugin = std::make_unique<HostPlugin>(*env);
    ok = plugin->Register(&CStdTalvaneRegister) == 0;
  }
  std::unique_ptr<HostEnvironment> env;
  std::unique_ptr<HostPlugin> plugin;
  bool ok = false;
};

Registered& Plugin() {
  static Registered sRegistered;
  return sRegistered;
}

// A document of kObjects default objects laid out by place(), the
// recording's summary and a 1920 x 1080 bitmap; made once per benchmark and
// kept for its later runs.
class Scene {
 public:
  template <class Place>
  explicit Scene(Place place) {
    mOk = Plugin().ok;
    if (!mOk) return;
    mDoc = std::make_unique<StudioDocument>(*Plugin().plugin);
    for (int i = 0; mOk && i < kObjects; ++i) {
      auto object = std::make_unique<HostObject>(*Plugin().plugin);
      object->Record().frame = place(i);
      mOk = object->Init(QVArgs("-default", true)) == 0;
      mDoc->Attach(static_cast<size_t>(i), mDoc->NewId(), std::move(object));
    }
    mOk = mOk && mSummary.Build(Recording(), {}, nullptr) == 0 &&
          AGGraphicsLow::AGNativePortCreateBitmap(kWidth, kHeight, &mPort) == 0;
    view.Axis().SetViewWidth(kWidth);
    view.Axis().SetDuration(mSummary.DurationMs());
    view.Axis().SetZoomLevel(0, 0.0);
    view.Axis().ScrollToTime(0.0);
    view.SetStripBottom(kHeight - 20.0);
  }
  bool Ok() const { return mOk; }
  StudioDocument& Doc() { return *mDoc; }
  const StudioWaveSummary& Summary() const { return mSummary; }
  AGContext Context() const {
    return AGContext(mPort.get(), AGGraphicsLow::AGNativePortGetBounds(mPort.get()));
  }

  StudioViewport view;

 private:
  std::unique_ptr<StudioDocument> mDoc;
  StudioWaveSummary mSummary;
  AGNativePortPtr mPort;
  bool mOk = false;
};

bool Ready(benchmark::State& state, const Scene& scene) {
  if (!scene.Ok()) state.SkipWithError("the scene could not be set up");
  return scene.Ok();
}

void Report(benchmark::State& state, const std::vector<double>& figure,
            const std::vector<double>& anchor) {
  const double f = Median(figure);
  const double a = Median(anchor);
  state.counters["figure_ms"] = f;
  state.counters["anchor_ms"] = a;
  state.counters["figure/anchor"] = a > 0.0 ? f / a : 0.0;
}

// 1,000 objects in 20 rows of 50 on one screen: 36 ms by 48 units each, at
// 1 ms and one unit per pixel.
AGRect GridFrame(int i) {
  const double x = 10.0 + (i % 50) * 38.0;
  const double y = 4.0 + (i / 50) * 51.0;
  return {x, y, x + 36.0, y + 48.0};
}

void BM_KeystrokeRepaint(benchmark::State& state) {
  static Scene scene(GridFrame);
  if (!Ready(state, scene)) return;
  const StudioObjectId id = scene.Doc().IdAt(525);  // mid-screen
  StudioScenePainter painter(scene.Doc(), scene.view, &scene.Summary());
  painter.SetEditedObject(id);
  painter.SetSelection({id});
  AGContext edit;
  edit.transform = StudioScenePainter::ScoreTransform(scene.view, kHeight);
  StudioTypingSession session(scene.Doc(), id, edit);
  HostEditKey letter, erase;
  if (session.Begin() != 0 || !HostParseEditKey("KEY_R", letter) ||
      !HostParseEditKey("BackSpace", erase)) {
    state.SkipWithError("editing could not begin");
    return;
  }
  const AGContext context = scene.Context();
  benchmark::DoNotOptimize(painter.Paint(context));
  std::vector<double> figure, anchor;
  bool type = true;
  for (auto _ : state) {
    // Typing and erasing in turn keeps the text's length steady.
    const Clock::time_point start = Clock::now();
    const AGRect before = StudioScenePainter::ObjectDamage(
        scene.view, scene.Doc().Find(id)->Record().frame);
    session.Key(type ? letter : erase);
    const AGRect after = StudioScenePainter::ObjectDamage(
        scene.view, scene.Doc().Find(id)->Record().frame);
    const AGRect damage{std::min(before.x1, after.x1), std::min(before.y1, after.y1),
                        std::max(before.x2, after.x2), std::max(before.y2, after.y2)};
    benchmark::DoNotOptimize(painter.PaintDamaged(context, damage));
    const Clock::time_point middle = Clock::now();
    benchmark::DoNotOptimize(painter.Paint(context));
    const Clock::time_point end = Clock::now();
    type = !type;
    figure.push_back(Ms(middle - start));
    anchor.push_back(Ms(end - middle));
    state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
  }
  session.Finish();
  Report(state, figure, anchor);
}
BENCHMARK(BM_KeystrokeRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// 1,000 objects over the minute in 10 rows of 100: 500 ms by 80 units each,
// about 40 of them in view at 1 ms per pixel.
AGRect SpreadFrame(int i) {
  const double x = (i % 100) * 600.0;
  const double y = 4.0 + (i / 100) * 100.0;
  return {x, y, x + 500.0, y + 80.0};
}

void BM_ScrollFrame(benchmark::State& state) {
  static Scene scene(SpreadFrame);
  if (!Ready(state, scene)) return;
  StudioDocument bare(scene.Doc().Plugin());
  StudioScenePainter painter(scene.Doc(), scene.view, &scene.Summary());
  StudioScenePainter anchorPainter(bare, scene.view, &scene.Summary());
  const AGContext context = scene.Context();
  const double step = static_cast<double>(state.range(0));
  std::vector<double> figure, anchor;
  int64_t visible = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    StudioTimeAxis& axis = scene.view.Axis();
    if (axis.StartTime() >= axis.MaxStartTime()) {
      axis.ScrollToTime(0.0);
    } else {
      axis.ScrollByPixels(step);
    }
    benchmark::DoNotOptimize(painter.Paint(context));
    const Clock::time_point middle = Clock::now();
    benchmark::DoNotOptimize(anchorPainter.Paint(context));
    const Clock::time_point end = Clock::now();
    figure.push_back(Ms(middle - start));
    anchor.push_back(Ms(end - middle));
    state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
  }
  for (size_t i = 0; i < scene.Doc().Count(); ++i) {
    const AGRect f = scene.Doc().Host().Object(i).Record().frame;
    visible += f.x2 > scene.view.Axis().StartTime() && f.x1 < scene.view.Axis().EndTime();
  }
  Report(state, figure, anchor);
  state.counters["objects_in_view"] = static_cast<double>(visible);
}
// Scroll steps of 64 pixels (a wheel notch) and 960 (half a screen).
BENCHMARK(BM_ScrollFrame)->Arg(64)->Arg(960)->UseManualTime()->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

// The same scroll as a window would do it: what stays in view is moved, and
// only the strip scrolled into view is painted (PaintDamaged); anchored on
// the full repaint of the same view.
void BM_ScrollFrameShifted(benchmark::State& state) {
  static Scene scene(SpreadFrame);
  if (!Ready(state, scene)) return;
  StudioScenePainter painter(scene.Doc(), scene.view, &scene.Summary());
  const AGContext context = scene.Context();
  const double step = static_cast<double>(state.range(0));
  StudioTimeAxis& axis = scene.view.Axis();
  axis.ScrollToTime(0.0);
  benchmark::DoNotOptimize(painter.Paint(context));
  std::vector<double> figure, anchor;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const double before = axis.StartTime();
    if (before >= axis.MaxStartTime()) {
      axis.ScrollToTime(0.0);
    } else {
      axis.ScrollByPixels(step);
    }
    const double shift = std::round((axis.StartTime() - before) / axis.MsPerPixel());
    if (std::fabs(shift) >= kWidth) {
      benchmark::DoNotOptimize(painter.Paint(context));
    } else {
      AGBitmapContext pixels(context);
      StudioKeptPicture::ShiftPixels(pixels, static_cast<int32_t>(shift));
      const AGRect strip = shift >= 0 ? AGRect{kWidth - shift, 0.0, double(kWidth), double(kHeight)}
                                      : AGRect{0.0, 0.0, -shift, double(kHeight)};
      benchmark::DoNotOptimize(painter.PaintDamaged(context, strip));
    }
    const Clock::time_point middle = Clock::now();
    benchmark::DoNotOptimize(painter.Paint(context));
    const Clock::time_point end = Clock::now();
    figure.push_back(Ms(middle - start));
    anchor.push_back(Ms(end - middle));
    state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
  }
  Report(state, figure, anchor);
}
BENCHMARK(BM_ScrollFrameShifted)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  if (Recording().empty()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(Recording().c_str());
  return 0;
}
