// The score view's time axis: which time of the recording each horizontal
// pixel shows.
//
// Score coordinates: an object's frame x is time in milliseconds from the
// start of the recording; its y is height in score units, upward from the
// bottom of the score strip (y up, as the graphics kit draws). This axis maps
// time only; StudioViewport adds the height.
//
// Pixels: view pixels counted from the view's left edge, in doubles (a pixel
// position need not be whole). The zoom is a power of two of milliseconds
// per pixel, 2^ZoomLevel(), so that
//   PixelToTime(p) = StartTime() + p * MsPerPixel()
//   TimeToPixel(t) = (t - StartTime()) / MsPerPixel()
// scale by a power of two and are exact inverses whenever the sum with the
// start time is exact. While the start time lies on the 2^-7 ms grid
// (scrolling to such times and zooming around whole pixels keep it there),
// every time on that grid below 2^45 ms, and every whole pixel, maps across
// and back to itself bit for bit.
//
// A value type: copies are independent; queries are const.
#ifndef STUDIO_TIME_AXIS_H
#define STUDIO_TIME_AXIS_H

class StudioTimeAxis {
 public:
  // Finest zoom: 2^-7 = 0.0078125 ms per pixel (a 48 kHz frame spans 2.7
  // pixels).
  static constexpr int kMinZoomLevel = -7;
  // The coarsest zoom shows at least this much time across the view: a whole
  // hour, or the whole recording (with its margins) when it is longer.
  static constexpr double kLongestViewMs = 3600000.0;
  // The view is between 1 and 2^20 pixels wide.
  static constexpr double kMinViewWidth = 1.0;
  static constexpr double kMaxViewWidth = 1048576.0;
  static constexpr double kDefaultMarginPixels = 32.0;

  // A view 1000 pixels wide at 1 ms per pixel (level 0) over an empty
  // recording, showing the margin before time 0 at its left edge.
  StudioTimeAxis() = default;

  // Width of the view in pixels, clamped to [kMinViewWidth, kMaxViewWidth]
  // (not-a-number is ignored). Zoom and scroll are clamped again.
  void SetViewWidth(double pixels);
  double ViewWidth() const { return mWidth; }

  // Length of the recording in ms; negative or not finite counts as 0.
  // Scroll (and the coarsest zoom) are clamped again.
  void SetDuration(double ms);
  double Duration() const { return mDuration; }

  // Room the view may scroll beyond each end of the recording, in pixels
  // (at any zoom); negative or not-a-number counts as 0.
  void SetMarginPixels(double pixels);
  double MarginPixels() const { return mMargin; }

  int ZoomLevel() const { return mLevel; }
  double MsPerPixel() const;
  // The coarsest level: the smallest one at which kLongestViewMs, or the
  // recording and its two margins when longer, fit in the view's width.
  int MaxZoomLevel() const;
  // Sets the level (clamped to [kMinZoomLevel, MaxZoomLevel()]) keeping the
  // time under anchorPixel where it is, unless the scroll limits at the new
  // zoom move it. A non-finite anchor counts as the view's centre.
  void SetZoomLevel(int level, double anchorPixel);
  // One level finer (twice the pixels per ms) or coarser, around anchorPixel.
  void ZoomIn(double anchorPixel) { SetZoomLevel(mLevel - 1, anchorPixel); }
  void ZoomOut(double anchorPixel) { SetZoomLevel(mLevel + 1, anchorPixel); }
  // The finest level at which the whole recording and its margins fit in the
  // view, scrolled to show its start (after the margin).
  void ZoomToFit();

  // Time at the view's left edge (negative inside the margin before the
  // recording) and at its right edge, in ms.
  double StartTime() const { return mStart; }
  double EndTime() const { return PixelToTime(mWidth); }
  // Puts ms at the left edge, clamped to [MinStartTime(), MaxStartTime()];
  // not-a-number is ignored.
  void ScrollToTime(double ms);
  // Moves the view by pixels (positive: later times), clamped likewise.
  void ScrollByPixels(double pixels);
  // The scroll limits: the margin before time 0 at the left edge, and the
  // margin after the end at the right edge; a recording shorter than the view
  // only scrolls to its start.
  double MinStartTime() const;
  double MaxStartTime() const;

  double TimeToPixel(double ms) const;
  double PixelToTime(double pixel) const;

 private:
  // Whether the recording and its two margins fit in the view at level.
  bool FitsRecording(int level) const;
  void Clamp();

  double mWidth = 1000.0;
  double mDuration = 0.0;
  double mMargin = kDefaultMarginPixels;
  int mLevel = 0;
  double mStart = -kDefaultMarginPixels;
};

#endif
