// The sonogram strip's vertical axis: which frequencies each row of pixels
// shows, on a linear or a logarithmic scale.
//
// Rows are counted from the bottom of the strip (row 0: the lowest
// frequencies), height rows in all. Row r covers [Edge(r), Edge(r + 1)) Hz:
//   linear:      Edge(r) = low + (high - low) * r / height
//   logarithmic: Edge(r) = low * (high / low) ^ (r / height)
// A value type: copies are independent; queries are const.
#ifndef STUDIO_FREQUENCY_AXIS_H
#define STUDIO_FREQUENCY_AXIS_H

#include <cstdint>

class StudioFrequencyAxis {
 public:
  enum class Scale { kLinear, kLogarithmic };

  // 0 Hz to 24 kHz, linear.
  StudioFrequencyAxis() = default;
  // Not checked here: StudioSonogram refuses an axis whose IsValid is false.
  StudioFrequencyAxis(Scale scale, double lowHz, double highHz)
      : mScale(scale), mLow(lowHz), mHigh(highHz) {}

  // The lowest frequency a logarithmic axis for a recording shows, in Hz.
  static constexpr double kLogLowHz = 20.0;
  // The axis that shows a recording of sampleRate frames a second whole:
  // linear from 0 Hz, logarithmic from kLogLowHz, both up to the Nyquist
  // frequency (sampleRate / 2). A rate of 0 or less (nothing open), or one
  // whose Nyquist frequency is not above kLogLowHz, gives the default
  // 0-24 kHz range on the scale asked for (from kLogLowHz when logarithmic),
  // so that the axis is always valid.
  static StudioFrequencyAxis ForRecording(Scale scale, int32_t sampleRate);

  Scale GetScale() const { return mScale; }
  double Low() const { return mLow; }
  double High() const { return mHigh; }
  // Finite ends with low < high; a logarithmic axis also needs low > 0.
  bool IsValid() const;

  // Lower edge of row (row = height: the top of the strip), in Hz.
  double Edge(int32_t row, int32_t height) const;
  // The row showing hz, or -1 when hz lies outside [Low(), High()) or the
  // height is not positive.
  int32_t RowOf(double hz, int32_t height) const;

  // The FFT bins a row shows, bins being binCount frequencies binHz apart
  // from 0 Hz: those whose frequency lies in the row; a row narrower than a
  // bin's spacing that holds none shows the bin nearest its middle (the
  // geometric middle on a logarithmic axis). first <= last always.
  void BinsOfRow(int32_t row, int32_t height, double binHz, int32_t binCount, int32_t& first,
                 int32_t& last) const;

 private:
  Scale mScale = Scale::kLinear;
  double mLow = 0.0;
  double mHigh = 24000.0;
};

#endif
