// What the studio's play key, loop toggle and playhead do, apart from any
// display toolkit: the window forwards its keys and polls the playhead once
// a frame.
//
// A person annotating by ear plays a passage, stops at a sound, places a
// symbol there and plays on. So:
// - TogglePlay while playing pauses, and the cursor moves to where the sound
//   stopped (the symbol goes there; playing again goes on from there);
// - otherwise it plays the selected time range from its start (looped while
//   the loop is on, else up to its end), or, without a range, from the
//   cursor to the end of the recording;
// - switching the loop while a range plays goes on from the playhead with
//   the new setting;
// - when playback reaches its end by itself the cursor stays where it was.
//
// Times in ms from the start of the recording. Every method runs on the
// player's main-loop thread. The transport takes over the player's finished
// procedure and hands each end on to its own (may be empty).
#ifndef STUDIO_TRANSPORT_H
#define STUDIO_TRANSPORT_H

#include <cstdint>
#include <functional>
#include <string>

class StudioPlayer;
class StudioTimeAxis;

class StudioTransport {
 public:
  using FinishedProc = std::function<void(int32_t status)>;

  // player must outlive the transport.
  explicit StudioTransport(StudioPlayer& player);
  ~StudioTransport();
  StudioTransport(const StudioTransport&) = delete;
  StudioTransport& operator=(const StudioTransport&) = delete;

  // Where playback starts without a range; negative or not-a-number counts
  // as 0. A click on the ruler sets it.
  void SetCursor(double ms);
  double Cursor() const { return mCursor; }

  // The selected time range; one with end <= start, or not finite, clears it.
  void SetRange(double startMs, double endMs);
  void ClearRange() { mHasRange = false; }
  bool HasRange() const { return mHasRange; }
  double RangeStart() const { return mRangeStart; }
  double RangeEnd() const { return mRangeEnd; }

  // 0 or the player's status (playback then stays as it was).
  [[nodiscard]] int32_t TogglePlay();
  [[nodiscard]] int32_t SetLoop(bool loop);
  bool Loop() const { return mLoop; }
  bool IsPlaying() const;

  // Where the playhead line stands: the sound being heard while playing,
  // the cursor otherwise.
  double Playhead() const;

  // Keeps playheadMs in view: when it lies outside [StartTime, EndTime) of
  // axis, scrolls by pages so that it stands an eighth of the view's width
  // from the left edge (as the scroll limits allow). Returns whether the view
  // moved.
  static bool Follow(StudioTimeAxis& axis, double playheadMs);

  // The status line's account of the transport: the playhead as
  // "h:mm:ss.mmm", then "playing" or "paused", and "loop" while the loop is
  // on; a not-a-number playhead reads 0:00:00.000.
  // ("0:01:02.500  playing  loop").
  static std::string StatusText(double playheadMs, bool playing, bool loop);

  void SetFinishedProc(FinishedProc proc) { mFinished = std::move(proc); }

 private:
  StudioPlayer& mPlayer;
  FinishedProc mFinished;
  double mCursor = 0.0;
  bool mHasRange = false;
  double mRangeStart = 0.0;
  double mRangeEnd = 0.0;
  bool mLoop = false;
  // The range being played, when one is.
  bool mPlayingRange = false;
  double mPlayingStart = 0.0;
  double mPlayingEnd = 0.0;
};

#endif
