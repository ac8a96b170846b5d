#include "StudioTransport.h"

#include <cmath>

#include "StudioPlayer.h"
#include "StudioTimeAxis.h"
#include "StudioTimeText.h"

StudioTransport::StudioTransport(StudioPlayer& player) : mPlayer(player) {
  mPlayer.SetFinishedProc([this](int32_t status) {
    mPlayingRange = false;
    if (mFinished) mFinished(status);
  });
}

StudioTransport::~StudioTransport() { mPlayer.SetFinishedProc({}); }

void StudioTransport::SetCursor(double ms) { mCursor = ms > 0.0 ? ms : 0.0; }

void StudioTransport::SetRange(double startMs, double endMs) {
  mHasRange = std::isfinite(startMs) && std::isfinite(endMs) && endMs > startMs;
  if (!mHasRange) return;
  mRangeStart = startMs > 0.0 ? startMs : 0.0;
  mRangeEnd = endMs;
  mHasRange = mRangeEnd > mRangeStart;
}

bool StudioTransport::IsPlaying() const { return mPlayer.IsPlaying(); }

double StudioTransport::Playhead() const {
  return mPlayer.IsPlaying() ? mPlayer.PositionMs() : mCursor;
}

int32_t StudioTransport::TogglePlay() {
  if (mPlayer.IsPlaying()) {
    int32_t status = mPlayer.Pause();
    if (status != 0) return status;
    mCursor = mPlayer.PositionMs();
    mPlayingRange = false;
    return 0;
  }
  if (mHasRange) {
    int32_t status = mPlayer.PlayRange(mRangeStart, mRangeEnd, mLoop);
    if (status != 0) return status;
    mPlayingRange = true;
    mPlayingStart = mRangeStart;
    mPlayingEnd = mRangeEnd;
    return 0;
  }
  mPlayingRange = false;
  return mPlayer.PlayFrom(mCursor);
}

int32_t StudioTransport::SetLoop(bool loop) {
  if (loop == mLoop) return 0;
  if (mPlayingRange && mPlayer.IsPlaying()) {
    double from = mPlayer.PositionMs();
    if (!(from >= mPlayingStart && from < mPlayingEnd)) from = mPlayingStart;
    int32_t status = mPlayer.PlayRangeFrom(mPlayingStart, mPlayingEnd, from, loop);
    if (status != 0) return status;
  }
  mLoop = loop;
  return 0;
}

bool StudioTransport::Follow(StudioTimeAxis& axis, double playheadMs) {
  if (!std::isfinite(playheadMs)) return false;
  if (playheadMs >= axis.StartTime() && playheadMs < axis.EndTime()) return false;
  double before = axis.StartTime();
  axis.ScrollToTime(playheadMs - axis.ViewWidth() / 8.0 * axis.MsPerPixel());
  return axis.StartTime() != before;
}

std::string StudioTransport::StatusText(double playheadMs, bool playing, bool loop) {
  std::string text = StudioFormatTime(playheadMs, 3);
  text += playing ? "  playing" : "  paused";
  if (loop) text += "  loop";
  return text;
}
