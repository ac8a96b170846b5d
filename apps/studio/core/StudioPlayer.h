// Listening to the recording: play and pause from a time or a time range,
// loop a range, stop, and the playhead's position on request.
//
// Decoding and output go through the platform's media framework, so that it
// also plays what the sound-file library cannot read (AAC in .m4a, for
// instance). Times are in ms from the start of the recording, as on the
// score's time axis.
//
// Threads and the main loop: every method runs on the thread of the GLib
// main context that was the thread's default when Open was called (the
// studio's GUI thread); the player watches its messages (end of the
// recording, end of a loop, errors) on that main loop, so that loops wrap and
// playback stops at an end only while the loop runs. The finished procedure
// is called from there too.
//
// Output: kDevice plays on the machine's sound output; without one (a server,
// CI) Open refuses with kQVErrSoundOutput and playback stays off.
// kSilentRealTime consumes the sound at real-time pace without any device, for
// tests.
//
// Status codes (kit/QVErrors.h), each logged where detected:
//   kQVErrSoundOpen   (-1401) the file cannot be opened (missing, unreadable)
//   kQVErrSoundFormat (-1402) not a regular file (a folder, a FIFO), or no
//                             sound in it the player can decode
//   kQVErrSoundOutput (-1420) no sound output device
//   kQVErrPlayback    (-1421) nothing open, a bad time or range, the media
//                             framework failed to start or reported an error
//                             while playing (the player is then closed)
#ifndef STUDIO_PLAYER_H
#define STUDIO_PLAYER_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kit/QVErrors.h"

class StudioPlayer {
 public:
  enum class Output { kDevice, kSilentRealTime };

  // status: 0 when the end of the recording or of a played range was
  // reached, or the error that stopped playback.
  using FinishedProc = std::function<void(int32_t status)>;

  explicit StudioPlayer(Output output = Output::kDevice);
  ~StudioPlayer();
  StudioPlayer(const StudioPlayer&) = delete;
  StudioPlayer& operator=(const StudioPlayer&) = delete;

  // Opens path (UTF-8) and readies it, paused at 0, closing what was open
  // first. Waits for the first decoded sound (up to 10 s). 0, -1401, -1402,
  // -1420 or -1421; on failure the player is closed.
  [[nodiscard]] int32_t Open(const std::string& path);
  void Close();
  bool IsOpen() const;
  const std::string& Path() const { return mPath; }
  // Length of the recording as the decoder knows it; 0 when unknown or closed.
  double DurationMs() const;

  // Plays from ms (not negative, finite) to the end, ending any loop. Times
  // past the end play nothing and finish at once. 0 or -1421.
  [[nodiscard]] int32_t PlayFrom(double ms);
  // Plays [startMs, endMs) (0 <= startMs < endMs, finite); with loop, starts
  // again at startMs each time endMs is reached until Pause, Stop or another
  // play. 0 or -1421.
  [[nodiscard]] int32_t PlayRange(double startMs, double endMs, bool loop);
  // The same, starting at fromMs inside the range (startMs <= fromMs <
  // endMs); a loop comes back to startMs. Switching the loop on or off while
  // a range plays is this from the playhead.
  [[nodiscard]] int32_t PlayRangeFrom(double startMs, double endMs, double fromMs, bool loop);
  // Holds the playhead where it is; Resume goes on from there, with the same
  // range and loop. Pausing what is not playing does nothing. 0 or -1421.
  [[nodiscard]] int32_t Pause();
  [[nodiscard]] int32_t Resume();
  // Ends playback and forgets the range: the playhead stays where it stopped
  // and Resume has nothing to go on with.
  void Stop();

  bool IsPlaying() const;
  bool IsLooping() const;
  // The playhead in ms: where the sound being heard now is in the recording
  // (while paused, where it was held). 0 when closed.
  double PositionMs() const;

  // Called on the main loop when playback ends by itself; may be empty.
  void SetFinishedProc(FinishedProc proc);

 private:
  struct Pipeline;
  friend struct Pipeline;

  // Logs code with the file's path (none for kQVErrSoundOutput) and reason,
  // and returns it.
  template <QVStatus code>
  [[nodiscard]] int32_t Fail(const char* reason) const;
  // The same for a code chosen at run time among those of the file
  // (kQVErrSoundOpen, kQVErrSoundFormat, else kQVErrPlayback).
  [[nodiscard]] int32_t FailWithFile(int32_t code, const char* reason) const;
  // Moves to startMs and plays to endMs (negative: the end), as a segment
  // that reports its end when segment is set. 0 or -1421.
  [[nodiscard]] int32_t Seek(double startMs, double endMs, bool segment, bool flush);
  [[nodiscard]] int32_t Start();
  // Playback ended by itself: status 0 at an end, else the error.
  void Finish(int32_t status);

  Output mOutput;
  std::string mPath;
  std::unique_ptr<Pipeline> mPipeline;
  FinishedProc mFinished;
  bool mPlaying = false;
  bool mLoop = false;
  // A play was started and neither stopped nor finished: Resume may go on.
  bool mResumable = false;
  double mRangeStart = 0.0;
  double mRangeEnd = 0.0;
  mutable double mLastPosition = 0.0;
};

#endif
