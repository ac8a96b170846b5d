// The score view's painter, checked pixel by pixel on bitmaps: the waveform
// where the recording is loud, objects inside their frames, handles where
// hit testing finds them, and damaged repaints that match a full one.
#include "StudioScenePainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioHitTest.h"
#include "StudioKeptPicture.h"
#include "StudioObjectSnapshot.h"
#include "StudioRuler.h"
#include "StudioColorMap.h"
#include "StudioSonogram.h"
#include "StudioTestPlugin.h"
#include "StudioTestRecordings.h"
#include "StudioTypingSession.h"
#include "StudioViewport.h"
#include "StudioWaveSummary.h"
#include "bridge/HostEdit.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "textinput/UKeyLayout.h"

namespace {

// Premultiplied 0xAARRGGBB words of the painter's opaque colours.
constexpr uint32_t Argb(AGColor rgba) { return (rgba & 0xFFu) << 24 | rgba >> 8; }
constexpr uint32_t kWhite = Argb(StudioScenePainter::kBackground);
constexpr uint32_t kWave = Argb(StudioScenePainter::kWaveColor);
constexpr uint32_t kSelection = Argb(StudioScenePainter::kSelectionColor);
constexpr uint32_t kMagenta = 0xFFFF00FFu;

// A bitmap the size of the view; Pixel(x, y) in view pixels (y down), which
// is also the order of the bitmap's rows in memory.
class Canvas {
 public:
  Canvas(uint32_t width, uint32_t height) {
    EXPECT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(width, height, &mPort), 0);
  }
  AGContext Context() const {
    return AGContext(mPort.get(), AGGraphicsLow::AGNativePortGetBounds(mPort.get()));
  }
  uint32_t Pixel(int x, int y) const {
    AGNativeBitmapInfo info;
    EXPECT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(mPort.get(), &info));
    return info.data[static_cast<size_t>(y) * info.bytesPerRow / 4 + static_cast<size_t>(x)];
  }
  uint32_t Width() const { return static_cast<uint32_t>(Bounds().x2); }
  uint32_t Height() const { return static_cast<uint32_t>(Bounds().y2); }
  AGRect Bounds() const { return AGGraphicsLow::AGNativePortGetBounds(mPort.get()); }
  void Fill(AGColor color) { Context().ClearPixels(color); }

 private:
  AGNativePortPtr mPort;
};

// Pixels of a that differ from b inside (or outside) the whole-pixel
// rectangle r.
int Differences(const Canvas& a, const Canvas& b, const AGRect& r, bool inside) {
  int count = 0;
  for (uint32_t y = 0; y < a.Height(); ++y) {
    for (uint32_t x = 0; x < a.Width(); ++x) {
      const bool in = x >= r.x1 && x < r.x2 && y >= r.y1 && y < r.y2;
      if (in == inside && a.Pixel(x, y) != b.Pixel(x, y)) ++count;
    }
  }
  return count;
}

class StudioScenePainterTest : public StudioPluginTest {
 protected:
  void SetUp() override {
    StudioPluginTest::SetUp();
    doc = std::make_unique<StudioDocument>(*plugin);
    // 2 ms per pixel, time 1000 at the left edge of a 600 x 400 view, the
    // strip's bottom on row 300 and two pixels per score unit.
    view.Axis().SetViewWidth(600.0);
    view.Axis().SetDuration(600000.0);
    view.Axis().SetZoomLevel(1, 0.0);
    view.Axis().ScrollToTime(1000.0);
    view.SetStripBottom(300.0);
    view.SetVerticalScale(2.0);
  }
  void TearDown() override {
    doc.reset();
    StudioPluginTest::TearDown();
  }
  StudioObjectId Create(const AGRect& frame) {
    StudioObjectId id = kStudioNoObject;
    EXPECT_EQ(StudioActions::Create(*doc, frame, &id), 0);
    return id;
  }

  // The sonogram of path on a linear axis up to its Nyquist frequency.
  static void OpenLinear(StudioSonogram& sonogram, const std::string& path) {
    ASSERT_EQ(sonogram.Open(path), 0);
    StudioSonogram::Settings settings;
    settings.axis = StudioFrequencyAxis::ForRecording(StudioFrequencyAxis::Scale::kLinear,
                                                      sonogram.SampleRate());
    ASSERT_EQ(sonogram.SetSettings(settings), 0);
  }
  // Two seconds, 8 ms per pixel from time 0 on 400 columns.
  void ShowTwoSecondsAt8MsPerPixel() {
    view.Axis().SetDuration(2000.0);
    view.Axis().SetMarginPixels(0.0);
    view.Axis().SetViewWidth(400.0);
    view.Axis().SetZoomLevel(3, 0.0);
    view.Axis().ScrollToTime(0.0);
  }

  std::unique_ptr<StudioDocument> doc;
  StudioViewport view;
};

TEST_F(StudioScenePainterTest, ScoreTransformPutsFramesWhereTheViewportSaysTheyAre) {
  const double height = 400.0;
  AGAffineTransform t = StudioScenePainter::ScoreTransform(view, height);
  for (AGPoint score : {AGPoint{1100.0, 40.0}, AGPoint{1000.0, 0.0}, AGPoint{2198.0, 150.0}}) {
    AGPoint port = AGPointApplyTransform(score, t);
    AGPoint expected = view.ScoreToView(score);
    EXPECT_EQ(port.x, expected.x);
    EXPECT_EQ(height - port.y, expected.y);
  }
  // Damage: the frame's view rectangle with the margin on every side.
  AGRect d = StudioScenePainter::ObjectDamage(view, {1300.0, 40.0, 1100.0, 10.0});
  const double m = StudioScenePainter::kObjectDamageMargin;
  EXPECT_EQ(d.x1, 50.0 - m);
  EXPECT_EQ(d.y1, 220.0 - m);
  EXPECT_EQ(d.x2, 150.0 + m);
  EXPECT_EQ(d.y2, 280.0 + m);
}

TEST_F(StudioScenePainterTest, WaveformInkWhereTheRecordingIsLoudAndNoneWhereSilent) {
  // One second of silence, then one second of a 0.8 sine, at 8 kHz.
  StudioTestFolder folder;
  const std::string path = folder.File("half.wav");
  std::vector<float> samples(8000, 0.0f);
  std::vector<float> tone = StudioSine(8000, 8000, 440.0, 0.8f);
  samples.insert(samples.end(), tone.begin(), tone.end());
  ASSERT_TRUE(StudioWriteFloatWav(path, 8000, 1, samples));
  StudioWaveSummary summary;
  ASSERT_EQ(summary.Build(path, {}, nullptr), 0);

  // 8 ms per pixel from time 0: silence on columns 0-124, the tone on
  // 125-249, nothing after the end.
  view.Axis().SetDuration(2000.0);
  view.Axis().SetMarginPixels(0.0);
  view.Axis().SetViewWidth(400.0);
  view.Axis().SetZoomLevel(3, 0.0);
  view.Axis().ScrollToTime(0.0);
  ASSERT_EQ(view.Axis().MsPerPixel(), 8.0);
  ASSERT_EQ(view.Axis().StartTime(), 0.0);
  Canvas canvas(400, 200);
  StudioScenePainter painter(*doc, view, &summary);
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);

  // The wave band is rows 24-199, centred on row 112 with 88 pixels to full
  // scale: the tone reaches from row 112 - 70.4 to 112 + 70.4.
  for (int x = 0; x < 400; ++x) {
    for (int y = 25; y < 200; ++y) {
      const bool loud = x >= 126 && x <= 248 && y >= 43 && y <= 181;
      const bool quiet = x <= 123 || x >= 251 || y <= 40 || y >= 184;
      if (loud) {
        ASSERT_EQ(canvas.Pixel(x, y), kWave) << x << "," << y;
      }
      if (quiet) {
        ASSERT_EQ(canvas.Pixel(x, y), kWhite) << x << "," << y;
      }
    }
  }

  // Columns cover whole pixels: no pixel of the band is blended.
  int blended = 0;
  for (int x = 0; x < 400; ++x) {
    for (int y = 24; y < 200; ++y) {
      blended += canvas.Pixel(x, y) != kWave && canvas.Pixel(x, y) != kWhite;
    }
  }
  EXPECT_EQ(blended, 0);

  // Without a recording the band stays blank.
  Canvas empty(400, 200);
  StudioScenePainter nothing(*doc, view, nullptr);
  ASSERT_EQ(nothing.Paint(empty.Context()), 0);
  for (int x = 0; x < 400; x += 3)
    for (int y = 25; y < 200; y += 3) ASSERT_EQ(empty.Pixel(x, y), kWhite) << x << "," << y;
}

TEST_F(StudioScenePainterTest, TheSonogramStripReplacesTheWaveformUprightUnderTheRuler) {
  // One second of silence, then one second of a 1 kHz sine at -6 dBFS, at
  // 8 kHz; the axis runs from 0 Hz at the bottom to 4 kHz at the top.
  StudioTestFolder folder;
  const std::string path = folder.File("tone.wav");
  ASSERT_TRUE(StudioWriteSilenceThenTone(path));
  StudioWaveSummary summary;
  ASSERT_EQ(summary.Build(path, {}, nullptr), 0);
  StudioSonogram sonogram(1);
  OpenLinear(sonogram, path);
  ShowTwoSecondsAt8MsPerPixel();
  Canvas canvas(400, 200);
  StudioScenePainter painter(*doc, view, &summary);
  painter.SetSonogram(&sonogram);
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);
  ASSERT_TRUE(sonogram.WaitUntilIdle(20000));
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);

  // The strip is rows 24-199, 176 rows of 4000 / 176 Hz: 1 kHz lies in row
  // 44 from the bottom, view row 155. Column 60 (480 ms) hears only
  // silence, column 190 (1520 ms) only the tone; no waveform anywhere.
  const uint32_t floor = StudioColorMap::Color(0);
  int brightest = -1;
  uint32_t brightestGreen = 0;
  for (int y = 24; y < 200; ++y) {
    ASSERT_EQ(canvas.Pixel(60, y), floor) << y;
    const uint32_t pixel = canvas.Pixel(190, y);
    ASSERT_NE(pixel, kWave) << y;
    ASSERT_NE(pixel, kWhite) << y;
    const uint32_t green = (pixel >> 8) & 0xFFu;
    if (green > brightestGreen) {
      brightestGreen = green;
      brightest = y;
    }
  }
  EXPECT_NEAR(brightest, 155, 1);
  EXPECT_GE(brightestGreen, 200u);
  // Far from the tone, the floor again; the ruler stays above the strip.
  EXPECT_EQ(canvas.Pixel(190, 30), floor);
  EXPECT_EQ(canvas.Pixel(190, 198), floor);
  EXPECT_EQ(canvas.Pixel(190, 2), Argb(StudioScenePainter::kRulerBackground));
}

// WCAG's relative luminance of an opaque 0xAARRGGBB pixel, and the contrast
// ratio of two (1 to 21; 4.5 is the least for legible text).
double Luminance(uint32_t pixel) {
  auto channel = [](uint32_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(pixel >> 16 & 0xFF) + 0.7152 * channel(pixel >> 8 & 0xFF) +
         0.0722 * channel(pixel & 0xFF);
}

double Contrast(uint32_t a, uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Black symbols on the colour map's dark floor would be all but invisible
// (a contrast of 1.25): each object's frame gets a light wash first, the
// document untouched, and the strip's bands still show through it.
TEST_F(StudioScenePainterTest, SymbolsOverTheSonogramStandOutFromTheStripBehindThem) {
  // Silence for one second, then a 1 kHz tone at -6 dBFS, at 8 kHz; 8 ms a
  // pixel from time 0; the strip's bottom on row 200, two pixels a unit.
  StudioTestFolder folder;
  const std::string path = folder.File("tone.wav");
  ASSERT_TRUE(StudioWriteSilenceThenTone(path));
  StudioSonogram sonogram(1);
  OpenLinear(sonogram, path);
  ShowTwoSecondsAt8MsPerPixel();
  view.SetStripBottom(200.0);
  // Frame 200-1800 ms, heights 10-40: columns 25-225, rows 120-180; the
  // tone's band (row 155) crosses it from column 125 on.
  Create({200.0, 10.0, 1800.0, 40.0});
  StudioObjectSnapshot before;
  ASSERT_EQ(StudioObjectSnapshot::Capture(doc->Host().Object(0), before), 0);

  Canvas canvas(400, 200);
  StudioScenePainter painter(*doc, view, nullptr);
  painter.SetSonogram(&sonogram);
  painter.SetMode(StudioScenePainter::Mode::kExport);
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);
  ASSERT_TRUE(sonogram.WaitUntilIdle(20000));
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);

  // The ink: the darkest pixel in the frame; behind it, the wash over the
  // silent floor (column 30, row 178: left of the symbols, below the band).
  const uint32_t floor = StudioColorMap::Color(0);
  const uint32_t washed = canvas.Pixel(30, 178);
  uint32_t ink = washed;
  for (int y = 120; y < 180; ++y) {
    for (int x = 25; x < 225; ++x) {
      if (Luminance(canvas.Pixel(x, y)) < Luminance(ink)) ink = canvas.Pixel(x, y);
    }
  }
  EXPECT_LT(Luminance(ink), 0.01) << std::hex << ink;
  EXPECT_GE(Contrast(ink, washed), 7.0) << std::hex << ink << " on " << washed;
  EXPECT_LT(Contrast(ink, floor), 1.5) << "black on the bare floor, for comparison";
  // The floor shows through lighter, not replaced: purple stays purple.
  EXPECT_GT(washed & 0xFF, washed >> 8 & 0xFF);
  // Outside the frame the strip is untouched.
  EXPECT_EQ(canvas.Pixel(30, 100), floor);
  EXPECT_EQ(canvas.Pixel(230, 178), floor);
  // The band still shows inside the frame: brighter green than the washed
  // floor at the columns the symbols leave free.
  int bandShows = 0;
  for (int x = 130; x < 225; ++x) {
    const uint32_t band = canvas.Pixel(x, 155);
    bandShows += (band >> 8 & 0xFF) > (washed >> 8 & 0xFF) + 10;
  }
  EXPECT_GT(bandShows, 10);
  StudioObjectSnapshot after;
  ASSERT_EQ(StudioObjectSnapshot::Capture(doc->Host().Object(0), after), 0);
  EXPECT_TRUE(after.IsEqual(before)) << "the document is not changed";
}

TEST_F(StudioScenePainterTest, TheRulerHasItsBandTicksAndLabels) {
  // 2 ms per pixel from time 1000: majors every 200 ms (100 pixels), the
  // first at time 1000 on column 0, each labelled on its right.
  Canvas canvas(600, 400);
  StudioScenePainter painter(*doc, view, nullptr);
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);
  const uint32_t ink = Argb(StudioScenePainter::kRulerInk);
  const uint32_t band = Argb(StudioScenePainter::kRulerBackground);
  std::vector<StudioRulerTick> ticks = StudioRuler::Ticks(
      view.Axis(), StudioScenePainter::kMajorSpacing, StudioScenePainter::kMinorSpacing);
  ASSERT_GT(ticks.size(), 12u);
  int majors = 0;
  for (size_t i = 0; i < ticks.size(); ++i) {
    const int x = static_cast<int>(ticks[i].pixel);
    if (ticks[i].major) {
      EXPECT_EQ(x % 100, 0) << x;
      ++majors;
    }
    if (x >= 600) continue;
    // Majors reach the band's top, minors a third of the way up.
    EXPECT_EQ(canvas.Pixel(x, 1), ticks[i].major ? ink : band) << x;
    EXPECT_EQ(canvas.Pixel(x, 22), ink) << x;
    // Between two minors: nothing but the band's bottom line.
    if (i + 1 < ticks.size() && !ticks[i].major) {
      const int between = (x + static_cast<int>(ticks[i + 1].pixel)) / 2;
      EXPECT_EQ(canvas.Pixel(between, 22), band) << between;
      EXPECT_EQ(canvas.Pixel(between, 23), ink) << between;
    }
  }
  EXPECT_EQ(majors, 7);  // 0 to 600, both edges included
  EXPECT_EQ(canvas.Pixel(75, 24), kWhite);
  // A label's ink right of a major, none left of the first one's.
  int labelInk = 0;
  for (int x = 102; x < 160; ++x)
    for (int y = 2; y < 16; ++y) labelInk += canvas.Pixel(x, y) != band;
  EXPECT_GT(labelInk, 20);
}

TEST_F(StudioScenePainterTest, AnObjectsInkLiesInsideItsFrame) {
  // Frame 1100-1300 ms, heights 10-40: view columns 50-150, rows 220-280.
  Create({1100.0, 10.0, 1300.0, 40.0});
  Canvas canvas(600, 400);
  StudioScenePainter painter(*doc, view, nullptr);
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);
  int inside = 0;
  int outside = 0;
  for (int y = 24; y < 400; ++y) {
    for (int x = 0; x < 600; ++x) {
      if (canvas.Pixel(x, y) == kWhite) continue;
      // One pixel of reach for the outline's stroke and anti-aliasing.
      if (x >= 49 && x <= 150 && y >= 219 && y <= 280) {
        ++inside;
      } else {
        ++outside;
      }
    }
  }
  EXPECT_GT(inside, 200);
  EXPECT_EQ(outside, 0);
}

TEST_F(StudioScenePainterTest, HandlesAtTheCornersOfASelectedObjectOnScreenOnly) {
  const AGRect frame{1100.0, 10.0, 1300.0, 40.0};
  StudioObjectId id = Create(frame);
  StudioScenePainter painter(*doc, view, nullptr);
  Canvas plain(600, 400);
  ASSERT_EQ(painter.Paint(plain.Context()), 0);

  painter.SetSelection({id, 999});  // an id not in the document is ignored
  Canvas screen(600, 400);
  ASSERT_EQ(painter.Paint(screen.Context()), 0);
  struct Case {
    StudioHandle handle;
    int x, y;  // the handle's centre pixel
  };
  const Case cases[] = {
      {StudioHandle::kTopLeft, 50, 220},    {StudioHandle::kTopRight, 150, 220},
      {StudioHandle::kBottomLeft, 50, 280}, {StudioHandle::kBottomRight, 150, 280},
      {StudioHandle::kTop, 100, 220},       {StudioHandle::kLeft, 50, 250},
  };
  for (const Case& c : cases) {
    // Drawn where a click finds it, filling the square's pixels.
    EXPECT_EQ(StudioHitTest::HandleAt(view, frame, {c.x + 0.5, c.y + 0.5}, 3.5), c.handle);
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy)
        EXPECT_EQ(screen.Pixel(c.x + dx, c.y + dy), kSelection) << c.x + dx << "," << c.y + dy;
  }
  // The outline runs along the frame's edges between the handles.
  EXPECT_EQ(screen.Pixel(75, 220), kSelection);
  EXPECT_EQ(screen.Pixel(50, 235), kSelection);
  // Nothing of the selection beyond the handles' reach.
  EXPECT_EQ(screen.Pixel(45, 220), plain.Pixel(45, 220));
  EXPECT_EQ(screen.Pixel(150, 290), plain.Pixel(150, 290));

  // Exported: the score alone, as without a selection.
  painter.SetMode(StudioScenePainter::Mode::kExport);
  painter.SetRubberBand({300.0, 100.0, 400.0, 200.0});
  Canvas exported(600, 400);
  ASSERT_EQ(painter.Paint(exported.Context()), 0);
  EXPECT_EQ(Differences(exported, plain, {0, 0, 600, 400}, true), 0);
}

TEST_F(StudioScenePainterTest, TheRubberBandIsOutlinedAndTinted) {
  StudioScenePainter painter(*doc, view, nullptr);
  painter.SetRubberBand({400.0, 200.0, 300.0, 100.0});  // corners in any order
  Canvas canvas(600, 400);
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);
  EXPECT_EQ(canvas.Pixel(300, 100), kSelection);
  EXPECT_EQ(canvas.Pixel(399, 199), kSelection);
  const uint32_t tint = canvas.Pixel(350, 150);
  EXPECT_NE(tint, kWhite);
  EXPECT_NE(tint, kSelection);
  EXPECT_EQ(canvas.Pixel(401, 150), kWhite);
  painter.ClearRubberBand();
  ASSERT_EQ(painter.Paint(canvas.Context()), 0);
  EXPECT_EQ(canvas.Pixel(350, 150), kWhite);
}

// A score with all its parts: a recording, objects, one selected.
class StudioDamageTest : public StudioScenePainterTest {
 protected:
  void SetUp() override {
    StudioScenePainterTest::SetUp();
    std::vector<float> samples = StudioSine(8000 * 3, 8000, 50.0, 0.6f);
    ASSERT_TRUE(StudioWriteFloatWav(folder.File("tone.wav"), 8000, 1, samples));
    ASSERT_EQ(summary.Build(folder.File("tone.wav"), {}, nullptr), 0);
    first = Create({1100.0, 10.0, 1300.0, 40.0});
    second = Create({1200.0, 30.0, 1500.0, 90.0});
    third = Create({1800.0, 0.0, 2100.0, 60.0});
  }
  StudioTestFolder folder;
  StudioWaveSummary summary;
  StudioObjectId first = 0, second = 0, third = 0;
};

TEST_F(StudioDamageTest, ADamagedRepaintTouchesOnlyItsRectangleAndMatchesAFullOne) {
  StudioScenePainter painter(*doc, view, &summary);
  painter.SetSelection({second});
  Canvas full(600, 400);
  ASSERT_EQ(painter.Paint(full.Context()), 0);

  struct Case {
    const char* what;
    AGRect damage;   // as asked
    AGRect painted;  // whole pixels
  };
  const Case cases[] = {
      {"across ruler, wave and two objects", {101.5, 10.25, 260.75, 250.5}, {101, 10, 261, 251}},
      {"corners given backwards", {260.0, 250.0, 101.0, 10.0}, {101, 10, 260, 250}},
      {"beyond the view", {550.0, 350.0, 700.0, 500.0}, {550, 350, 600, 400}},
      {"one pixel", {75.0, 222.0, 76.0, 223.0}, {75, 222, 76, 223}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Canvas damaged(600, 400);
    damaged.Fill(kAGColorWhite & 0xFF00FFFFu);  // magenta: untouched pixels show
    ASSERT_EQ(painter.PaintDamaged(damaged.Context(), c.damage), 0);
    EXPECT_EQ(Differences(damaged, full, c.painted, true), 0);
    for (int y = 0; y < 400; y += 7) {
      for (int x = 0; x < 600; x += 7) {
        if (!(x >= c.painted.x1 && x < c.painted.x2 && y >= c.painted.y1 && y < c.painted.y2)) {
          ASSERT_EQ(damaged.Pixel(x, y), kMagenta) << x << "," << y;
        }
      }
    }
  }

  // Nothing to repaint: nothing touched.
  Canvas untouched(600, 400);
  untouched.Fill(kAGColorWhite & 0xFF00FFFFu);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (AGRect nothing : {AGRect{10.0, 10.0, 10.0, 50.0}, AGRect{nan, 0.0, 10.0, 10.0},
                         AGRect{700.0, 10.0, 800.0, 50.0}}) {
    EXPECT_EQ(painter.PaintDamaged(untouched.Context(), nothing), 0);
  }
  EXPECT_EQ(untouched.Pixel(10, 10), kMagenta);
  EXPECT_EQ(untouched.Pixel(300, 300), kMagenta);
}

TEST_F(StudioDamageTest, AScrollTakenByMovingThePixelsAndPaintingTheStripMatchesAFullRepaint) {
  // The window's path: the kept picture is moved by the scroll and only the
  // strip scrolled in is painted, step after step; each frame must equal the
  // view painted whole (ruler labels cut by the strip's edge included).
  StudioScenePainter painter(*doc, view, &summary);
  painter.SetSelection({second, third});
  AGBitmap kept(600, 400);
  AGBitmap whole(600, 400);
  ASSERT_TRUE(kept.IsOpen() && whole.IsOpen());
  ASSERT_EQ(painter.Paint(kept.GetContext()), 0);
  StudioKeptPicture picture;
  picture.Painted(view, 600, 400);
  struct Step {
    double pixels;
    int32_t shift;
  };
  for (Step step : {Step{48.0, 48}, Step{48.0, 48}, Step{-20.0, -20}, Step{131.0, 131},
                    Step{-307.0, -307}}) {
    SCOPED_TRACE(step.pixels);
    view.Axis().ScrollByPixels(step.pixels);
    const StudioKeptPicture::Plan plan = picture.PlanFor(view, 600, 400);
    ASSERT_EQ(plan.work, StudioKeptPicture::Work::kShift);
    ASSERT_EQ(plan.shift, step.shift);
    StudioKeptPicture::ShiftPixels(kept, plan.shift);
    ASSERT_EQ(painter.PaintDamaged(kept.GetContext(), plan.strip), 0);
    picture.Painted(view, 600, 400);
    ASSERT_EQ(painter.Paint(whole.GetContext()), 0);
    int differences = 0;
    for (int32_t y = 0; y < 400; ++y)
      for (int32_t x = 0; x < 600; ++x)
        differences += kept.GetPixelColor(x, y) != whole.GetPixelColor(x, y);
    EXPECT_EQ(differences, 0);
  }
  // The objects, the ruler and the wave did reach the strips painted.
  EXPECT_NE(kept.GetPixelColor(599, 399 - 12), kWhite);
}

TEST_F(StudioDamageTest, AKeystrokeRepaintsTheEditedObjectsDamageAsAFullRepaintWould) {
  UKeyLayout::ExitEditMode();
  StudioScenePainter painter(*doc, view, &summary);
  painter.SetEditedObject(first);
  AGContext edit;
  edit.transform = StudioScenePainter::ScoreTransform(view, 400.0);
  StudioTypingSession session(*doc, first, edit);
  ASSERT_EQ(session.Begin(), 0);
  Canvas screen(600, 400);
  ASSERT_EQ(painter.Paint(screen.Context()), 0);
  Canvas before(600, 400);
  ASSERT_EQ(painter.Paint(before.Context()), 0);

  HostEditKey key;
  ASSERT_TRUE(HostParseEditKey("KEY_R", key));
  ASSERT_EQ(session.Key(key), 0);
  const AGRect damage = StudioScenePainter::ObjectDamage(view, doc->Find(first)->Record().frame);
  ASSERT_EQ(painter.PaintDamaged(screen.Context(), damage), 0);
  Canvas after(600, 400);
  ASSERT_EQ(painter.Paint(after.Context()), 0);

  // The key changed the object's look, only inside its damage, and the
  // repaint of that damage alone gives the full repaint's pixels.
  const AGRect whole = {0, 0, 600, 400};
  EXPECT_GT(Differences(before, after, whole, true), 0);
  EXPECT_EQ(Differences(before, after, damage, false), 0);
  EXPECT_EQ(Differences(screen, after, whole, true), 0);
  ASSERT_EQ(session.Finish(), 0);
  UKeyLayout::ExitEditMode();
}

}  // namespace
