#include "StudioRuler.h"

#include <algorithm>
#include <cmath>

#include "StudioTimeAxis.h"
#include "StudioTimeText.h"

namespace {

constexpr int64_t kSecond = 1000000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;

// Ticks stop at 2^53 microseconds (about 285 years), where whole
// microseconds stop being exact doubles.
constexpr double kLastMicros = 9007199254740992.0;

const std::vector<StudioRulerStep>& StepTable() {
  static const std::vector<StudioRulerStep> sTable = [] {
    std::vector<StudioRulerStep> table;
    // 1, 2, 5 x 10^e microseconds: 1 us (6 decimals) to 500 ms (1 decimal).
    int64_t power = 1;
    for (int e = 0; e <= 5; ++e, power *= 10) {
      table.push_back({power, 5, 6 - e});
      table.push_back({2 * power, 4, 6 - e});
      table.push_back({5 * power, 5, 6 - e});
    }
    // Clock steps: subdivisions that land on round clock values.
    for (int64_t unit : {kSecond, kMinute}) {
      table.push_back({unit, unit == kSecond ? 5 : 6, 0});
      table.push_back({2 * unit, 4, 0});
      table.push_back({5 * unit, 5, 0});
      table.push_back({10 * unit, 5, 0});
      table.push_back({20 * unit, 4, 0});
      table.push_back({30 * unit, 6, 0});
    }
    // 1, 2, 5 x 10^e hours: 1 h (quarters) to 5000 h.
    power = kHour;
    for (int e = 0; e <= 3; ++e, power *= 10) {
      table.push_back({power, e == 0 ? 4 : 5, 0});
      table.push_back({2 * power, 4, 0});
      table.push_back({5 * power, 5, 0});
    }
    return table;
  }();
  return sTable;
}

// Appends the ticks at index * length / per microseconds for the indices
// whose tick lies within the view and not before time 0; indices that are
// multiples of skipEvery (when not 0) are left out.
void AddTicks(const StudioTimeAxis& axis, int64_t length, int per, int skipEvery,
              const StudioRulerStep& step, double leadPixels, std::vector<StudioRulerTick>& ticks) {
  double unit = static_cast<double>(length) / per;
  double first = std::max(axis.PixelToTime(-leadPixels), 0.0) * 1000.0;
  double last = std::min(axis.EndTime() * 1000.0, kLastMicros);
  if (last < first) return;
  // One index more on each side: the filter below on the tick's own pixel
  // keeps ticks that fall exactly on an edge.
  int64_t begin = std::max<int64_t>(0, static_cast<int64_t>(std::floor(first / unit)) - 1);
  int64_t end = static_cast<int64_t>(std::floor(last / unit)) + 1;
  for (int64_t i = begin; i <= end; ++i) {
    if (skipEvery != 0 && i % skipEvery == 0) continue;
    StudioRulerTick tick;
    tick.ms = static_cast<double>(i) * unit / 1000.0;
    tick.pixel = axis.TimeToPixel(tick.ms);
    if (tick.pixel < -leadPixels || tick.pixel > axis.ViewWidth()) continue;
    tick.major = skipEvery == 0;
    if (tick.major) tick.label = StudioFormatTimeMicros(i * length, step.decimals);
    ticks.push_back(std::move(tick));
  }
}

}  // namespace

StudioRulerStep StudioRuler::ChooseStep(double msPerPixel, double minSpacingPixels) {
  const std::vector<StudioRulerStep>& table = StepTable();
  if (!(msPerPixel > 0.0) || !std::isfinite(msPerPixel)) return table.front();
  double spacing = std::isnan(minSpacingPixels) ? 1.0 : std::max(minSpacingPixels, 1.0);
  double wanted = spacing * msPerPixel * 1000.0;
  for (const StudioRulerStep& step : table) {
    if (static_cast<double>(step.micros) >= wanted) return step;
  }
  return table.back();
}

std::vector<StudioRulerTick> StudioRuler::Ticks(const StudioTimeAxis& axis, double minSpacingPixels,
                                                double minMinorSpacingPixels,
                                                double majorLeadPixels) {
  StudioRulerStep step = ChooseStep(axis.MsPerPixel(), minSpacingPixels);
  std::vector<StudioRulerTick> ticks;
  const double lead = majorLeadPixels > 0.0 ? majorLeadPixels : 0.0;  // not-a-number: none
  AddTicks(axis, step.micros, 1, 0, step, lead, ticks);

  double minorMinimum =
      std::isnan(minMinorSpacingPixels) ? 1.0 : std::max(minMinorSpacingPixels, 1.0);
  double minorPixels =
      static_cast<double>(step.micros) / step.subdivisions / 1000.0 / axis.MsPerPixel();
  if (step.subdivisions > 1 && minorPixels >= minorMinimum) {
    AddTicks(axis, step.micros, step.subdivisions, step.subdivisions, step, 0.0, ticks);
    std::stable_sort(
        ticks.begin(), ticks.end(),
        [](const StudioRulerTick& a, const StudioRulerTick& b) { return a.ms < b.ms; });
  }
  return ticks;
}
