// The time ruler above the score: where its ticks go and what the major ones
// say.
//
// Steps come from a fixed table of "nice" lengths: 1, 2 and 5 times a power
// of ten from 1 microsecond to 500 ms; then 1, 2, 5, 10, 20 and 30 seconds
// and the same in minutes (30 rather than 50, so that ticks land on whole
// minutes and hours); then 1, 2 and 5 times a power of ten in hours up to
// 5000 h. Each step has its minor subdivision (1 s: 5 ticks of 200 ms;
// 1 min: 6 of 10 s; 1 h: 4 of 15 min...).
#ifndef STUDIO_RULER_H
#define STUDIO_RULER_H

#include <cstdint>
#include <string>
#include <vector>

class StudioTimeAxis;

// One length of the step table.
struct StudioRulerStep {
  int64_t micros = 0;    // length of a major step
  int subdivisions = 1;  // minor steps in a major one
  int decimals = 0;      // fraction digits the labels need (0 to 6)
};

struct StudioRulerTick {
  double ms = 0.0;     // time of the tick
  double pixel = 0.0;  // its position in the view (StudioTimeAxis pixels)
  bool major = false;
  std::string label;  // major ticks only: "h:mm:ss" with the step's decimals
};

class StudioRuler {
 public:
  // The smallest step of the table whose major ticks lie at least
  // minSpacingPixels apart at msPerPixel; the largest step when none does.
  // minSpacingPixels below 1 counts as 1; a non-positive or non-finite
  // msPerPixel gives the smallest step.
  static StudioRulerStep ChooseStep(double msPerPixel, double minSpacingPixels);

  // The ticks of the visible range of axis, in time order: majors at the
  // multiples of the chosen step, minors at the multiples of its subdivision
  // that are not majors, left out when they would lie closer than
  // minMinorSpacingPixels. Ticks before the recording's start (time 0) are
  // left out; ticks on the view's edges are kept. Labels are exact: they are
  // made from whole microseconds, not from the tick's double. Majors up to
  // majorLeadPixels left of the view (negative pixels) are kept too: their
  // labels reach into it.
  static std::vector<StudioRulerTick> Ticks(const StudioTimeAxis& axis, double minSpacingPixels,
                                            double minMinorSpacingPixels,
                                            double majorLeadPixels = 0.0);
};

#endif
