// The media framework behind StudioPlayer: GStreamer's playbin (audio only)
// into the sound device chosen by autoaudiosink, or into a fakesink that
// keeps real-time pace.
#include "StudioPlayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "StudioGst_p.h"
#include "kit/QVLog.h"

namespace {

// playbin's flags: decode audio, and change the volume in software.
constexpr guint kPlayAudio = 0x2;
constexpr guint kPlaySoftVolume = 0x10;
// Opening waits this long for the first decoded sound.
constexpr GstClockTime kPrerollTimeout = 10 * GST_SECOND;

gint64 ToNanos(double ms) { return static_cast<gint64>(std::llround(ms * 1.0e6)); }
double ToMs(gint64 nanos) { return static_cast<double>(nanos) / 1.0e6; }

// The framework starts once per process; its failure is kept for later calls.
bool StartFramework(std::string& reason) {
  static std::once_flag sOnce;
  static std::string sFailure;
  std::call_once(sOnce, [] {
    GError* raw = nullptr;
    if (!gst_init_check(nullptr, nullptr, &raw)) {
      StudioGError error(raw);
      sFailure = error ? error->message : "the media framework did not start";
    }
  });
  reason = sFailure;
  return sFailure.empty();
}

// Which of our codes an error message from the pipeline stands for.
[[nodiscard]] int32_t CodeOfError(const GError* error) {
  if (error->domain == GST_RESOURCE_ERROR &&
      (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ ||
       error->code == GST_RESOURCE_ERROR_READ)) {
    return kQVErrSoundOpen;
  }
  if (error->domain == GST_STREAM_ERROR ||
      (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)) {
    return kQVErrSoundFormat;
  }
  return kQVErrPlayback;
}

}  // namespace

struct StudioPlayer::Pipeline {
  StudioGstElement playbin;
  StudioGstBusWatch watch;
  // Set once the pipeline reported an error: it is stopped and only waits to
  // be closed.
  bool broken = false;

  static gboolean OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
    static_cast<StudioPlayer*>(data)->mPipeline->Handle(static_cast<StudioPlayer*>(data), message);
    return TRUE;
  }

  void Handle(StudioPlayer* player, GstMessage* message) {
    if (broken) return;
    switch (GST_MESSAGE_TYPE(message)) {
      case GST_MESSAGE_SEGMENT_DONE:
        // The decoder reached the looped range's end (what it decoded is
        // still to be heard): queue the range again without flushing, so that
        // its start follows its end without a gap.
        if (player->mLoop && player->mPlaying) {
          if (player->Seek(player->mRangeStart, player->mRangeEnd, true, false) != 0) {
            player->Finish(kQVErrPlayback);
          }
        } else {
          player->Finish(0);
        }
        break;
      case GST_MESSAGE_EOS:
        player->Finish(0);
        break;
      case GST_MESSAGE_ERROR: {
        GError* raw = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &raw, &debug);
        StudioGError error(raw);
        StudioGString details(debug);
        int32_t code = error ? CodeOfError(error.get()) : kQVErrPlayback;
        // The failure is logged here and handed to the listener by Finish below.
        (void)player->FailWithFile(code, error ? error->message : "unknown error");
        broken = true;
        gst_element_set_state(playbin.get(), GST_STATE_NULL);
        player->Finish(code);
        break;
      }
      default:
        break;
    }
  }
};

StudioPlayer::StudioPlayer(Output output) : mOutput(output) {}

StudioPlayer::~StudioPlayer() { Close(); }

template <QVStatus code>
int32_t StudioPlayer::Fail(const char* reason) const {
  // The output's message names no file.
  if constexpr (code == kQVErrSoundOutput) {
    return static_cast<int32_t>(QVLogStatus<code>(reason));
  } else {
    const char* path = mPath.empty() ? "(none)" : mPath.c_str();
    return static_cast<int32_t>(QVLogStatus<code>(path, reason));
  }
}

int32_t StudioPlayer::FailWithFile(int32_t code, const char* reason) const {
  switch (code) {
    case kQVErrSoundOpen:
      return Fail<kQVErrSoundOpen>(reason);
    case kQVErrSoundFormat:
      return Fail<kQVErrSoundFormat>(reason);
    default:
      return Fail<kQVErrPlayback>(reason);
  }
}

bool StudioPlayer::IsOpen() const { return mPipeline && !mPipeline->broken; }

void StudioPlayer::Close() {
  if (mPipeline) {
    mPipeline->watch.Remove();
    gst_element_set_state(mPipeline->playbin.get(), GST_STATE_NULL);
    mPipeline.reset();
  }
  mPlaying = false;
  mLoop = false;
  mResumable = false;
  mLastPosition = 0.0;
}

int32_t StudioPlayer::Open(const std::string& path) {
  Close();
  mPath = path;

  // The file is looked at first, so that a missing or unreadable one is told
  // apart from one that holds no sound; without blocking, which opening a
  // FIFO would do until a writer came. Only regular files are recordings.
  int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return Fail<kQVErrSoundOpen>(std::strerror(errno));
  struct stat info {};
  bool regular = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
  ::close(descriptor);
  if (!regular) return Fail<kQVErrSoundFormat>("not a regular file");

  std::string reason;
  if (!StartFramework(reason)) return Fail<kQVErrPlayback>(reason.c_str());

  StudioGstElement sink;
  if (mOutput == Output::kSilentRealTime) {
    sink = StudioGstMake("fakesink");
    if (sink) g_object_set(sink.get(), "sync", TRUE, nullptr);
  } else {
    sink = StudioGstMake("autoaudiosink");
    if (!sink) return Fail<kQVErrSoundOutput>("the automatic audio sink is not installed");
    // Without a device the automatic sink settles for a fake one: readying
    // it alone shows which it chose.
    if (gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
      gst_element_set_state(sink.get(), GST_STATE_NULL);
      return Fail<kQVErrSoundOutput>("the audio sink did not start");
    }
    bool device = false;
    GstIterator* children = gst_bin_iterate_elements(GST_BIN(sink.get()));
    GValue child = G_VALUE_INIT;
    while (gst_iterator_next(children, &child) == GST_ITERATOR_OK) {
      GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(g_value_get_object(&child)));
      const char* name = factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)) : "";
      if (std::strcmp(name, "fakesink") != 0) device = true;
      g_value_reset(&child);
    }
    g_value_unset(&child);
    gst_iterator_free(children);
    gst_element_set_state(sink.get(), GST_STATE_NULL);
    if (!device) return Fail<kQVErrSoundOutput>("no audio sink could reach a sound device");
  }
  if (!sink) return Fail<kQVErrPlayback>("the fake sink is not installed");

  auto pipeline = std::make_unique<Pipeline>();
  pipeline->playbin = StudioGstMake("playbin");
  if (!pipeline->playbin) return Fail<kQVErrPlayback>("playbin is not installed");
  GError* rawError = nullptr;
  StudioGString uri(gst_filename_to_uri(path.c_str(), &rawError));
  StudioGError uriError(rawError);
  if (!uri) return Fail<kQVErrSoundOpen>(uriError ? uriError->message : "no file address");
  g_object_set(pipeline->playbin.get(), "uri", uri.get(), "audio-sink", sink.get(), "flags",
               kPlayAudio | kPlaySoftVolume, nullptr);

  StudioGstBus bus(gst_element_get_bus(pipeline->playbin.get()));
  GstElement* playbin = pipeline->playbin.get();
  auto stop = [playbin] { gst_element_set_state(playbin, GST_STATE_NULL); };
  if (gst_element_set_state(playbin, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
    // The reason, when there is one, waits on the bus.
    StudioGstMessage message(gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR));
    int32_t code = kQVErrSoundFormat;
    std::string why = "the recording could not be readied";
    if (message) {
      GError* raw = nullptr;
      gst_message_parse_error(message.get(), &raw, nullptr);
      StudioGError error(raw);
      if (error) {
        code = CodeOfError(error.get());
        why = error->message;
      }
    }
    stop();
    return FailWithFile(code, why.c_str());
  }
  StudioGstMessage message(gst_bus_timed_pop_filtered(
      bus.get(), kPrerollTimeout,
      static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE)));
  if (!message) {
    stop();
    return Fail<kQVErrPlayback>("no sound was decoded within 10 s");
  }
  if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
    GError* raw = nullptr;
    gst_message_parse_error(message.get(), &raw, nullptr);
    StudioGError error(raw);
    stop();
    return FailWithFile(error ? CodeOfError(error.get()) : kQVErrSoundFormat,
                        error ? error->message : "unknown error");
  }
  gint audioStreams = 0;
  g_object_get(playbin, "n-audio", &audioStreams, nullptr);
  if (audioStreams < 1) {
    stop();
    return Fail<kQVErrSoundFormat>("no sound in it");
  }
  if (!pipeline->watch.Add(bus.get(), &Pipeline::OnBusMessage, this)) {
    stop();
    return Fail<kQVErrPlayback>("the pipeline's messages cannot be watched");
  }
  mPipeline = std::move(pipeline);
  return 0;
}

double StudioPlayer::DurationMs() const {
  if (!IsOpen()) return 0.0;
  gint64 nanos = 0;
  if (!gst_element_query_duration(mPipeline->playbin.get(), GST_FORMAT_TIME, &nanos) ||
      nanos <= 0) {
    return 0.0;
  }
  return ToMs(nanos);
}

int32_t StudioPlayer::Seek(double startMs, double endMs, bool segment, bool flush) {
  int flags = GST_SEEK_FLAG_ACCURATE;
  if (flush) flags |= GST_SEEK_FLAG_FLUSH;
  if (segment) flags |= GST_SEEK_FLAG_SEGMENT;
  GstSeekType stopType = endMs < 0.0 ? GST_SEEK_TYPE_NONE : GST_SEEK_TYPE_SET;
  gint64 stop = endMs < 0.0 ? static_cast<gint64>(GST_CLOCK_TIME_NONE) : ToNanos(endMs);
  if (!gst_element_seek(mPipeline->playbin.get(), 1.0, GST_FORMAT_TIME,
                        static_cast<GstSeekFlags>(flags), GST_SEEK_TYPE_SET, ToNanos(startMs),
                        stopType, stop)) {
    return Fail<kQVErrPlayback>("the recording refused to move to the asked time");
  }
  mLastPosition = startMs;
  return 0;
}

int32_t StudioPlayer::Start() {
  if (gst_element_set_state(mPipeline->playbin.get(), GST_STATE_PLAYING) ==
      GST_STATE_CHANGE_FAILURE) {
    return Fail<kQVErrPlayback>("playback did not start");
  }
  mPlaying = true;
  mResumable = true;
  return 0;
}

int32_t StudioPlayer::PlayFrom(double ms) {
  if (!IsOpen()) return Fail<kQVErrPlayback>("nothing is open");
  if (!std::isfinite(ms) || ms < 0.0) return Fail<kQVErrPlayback>("bad start time");
  double duration = DurationMs();
  if (duration > 0.0 && ms >= duration) return Fail<kQVErrPlayback>("the start is past the end");
  mLoop = false;
  int32_t status = Seek(ms, -1.0, false, true);
  return status != 0 ? status : Start();
}

int32_t StudioPlayer::PlayRange(double startMs, double endMs, bool loop) {
  return PlayRangeFrom(startMs, endMs, startMs, loop);
}

int32_t StudioPlayer::PlayRangeFrom(double startMs, double endMs, double fromMs, bool loop) {
  if (!IsOpen()) return Fail<kQVErrPlayback>("nothing is open");
  if (!std::isfinite(startMs) || !std::isfinite(endMs) || !std::isfinite(fromMs) || startMs < 0.0 ||
      endMs <= startMs || fromMs < startMs || fromMs >= endMs) {
    return Fail<kQVErrPlayback>("bad time range");
  }
  double duration = DurationMs();
  if (duration > 0.0) {
    if (fromMs >= duration) return Fail<kQVErrPlayback>("the range starts past the end");
    endMs = std::min(endMs, duration);
  }
  mLoop = loop;
  mRangeStart = startMs;
  mRangeEnd = endMs;
  // A looped range reports its end instead of ending, so that the next round
  // can be queued behind it.
  int32_t status = Seek(fromMs, endMs, loop, true);
  return status != 0 ? status : Start();
}

int32_t StudioPlayer::Pause() {
  if (!IsOpen()) return Fail<kQVErrPlayback>("nothing is open");
  if (!mPlaying) return 0;
  mLastPosition = PositionMs();
  if (gst_element_set_state(mPipeline->playbin.get(), GST_STATE_PAUSED) ==
      GST_STATE_CHANGE_FAILURE) {
    return Fail<kQVErrPlayback>("playback did not pause");
  }
  mPlaying = false;
  return 0;
}

int32_t StudioPlayer::Resume() {
  if (!IsOpen()) return Fail<kQVErrPlayback>("nothing is open");
  if (mPlaying) return 0;
  if (!mResumable) return Fail<kQVErrPlayback>("nothing to resume");
  return Start();
}

void StudioPlayer::Stop() {
  if (IsOpen()) {
    mLastPosition = PositionMs();
    gst_element_set_state(mPipeline->playbin.get(), GST_STATE_PAUSED);
  }
  mPlaying = false;
  mLoop = false;
  mResumable = false;
}

void StudioPlayer::Finish(int32_t status) {
  Stop();
  if (mFinished) mFinished(status);
}

bool StudioPlayer::IsPlaying() const { return mPlaying; }
bool StudioPlayer::IsLooping() const { return mPlaying && mLoop; }

double StudioPlayer::PositionMs() const {
  if (!IsOpen()) return mPipeline ? mLastPosition : 0.0;
  gint64 nanos = 0;
  // Right after a seek the pipeline may not know yet: the last known
  // position stands in.
  if (gst_element_query_position(mPipeline->playbin.get(), GST_FORMAT_TIME, &nanos) && nanos >= 0) {
    mLastPosition = ToMs(nanos);
  }
  return mLastPosition;
}

void StudioPlayer::SetFinishedProc(FinishedProc proc) { mFinished = std::move(proc); }
