// The sonogram: recordings of pure tones on exact bin frequencies, whose
// spectra under a periodic Hann window are known exactly (the tone's bin at
// its amplitude, the two next to it at half of it, nothing elsewhere), painted
// and compared pixel by pixel with the colours those levels take.
#include "StudioSonogram.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <set>
#include <vector>

#include "StudioColorMap.h"
#include "StudioFrequencyAxis.h"
#include "StudioTestRecordings.h"
#include "kit/QVErrors.h"

namespace {

using Scale = StudioFrequencyAxis::Scale;

// 32 kHz: 1 kHz and 5 kHz fall on bins at every window size used here.
constexpr int kRate = 32000;
constexpr int64_t kFrames = 20 * kRate;
constexpr uint32_t kSentinel = 0x12345678;
// An amplitude of 0.5 reads -6.02 dBFS: level floor(93.98 * 2.56) = 240
// on the default -100..0 dB scale; the neighbouring bins, at half that,
// -12.04 dBFS: level 225.
constexpr uint8_t kToneLevel = 240;
constexpr uint8_t kSideLevel = 225;

std::vector<float> TwoTones(int64_t frames) {
  std::vector<float> low = StudioSine(frames, kRate, 1000.0, 0.5f);
  std::vector<float> high = StudioSine(frames, kRate, 5000.0, 0.5f);
  for (size_t i = 0; i < low.size(); ++i) low[i] += high[i];
  return low;
}

// The test's own reading of the axis: row r spans [edge(r), edge(r + 1)).
double Edge(Scale scale, double low, double high, int row, int height) {
  double fraction = static_cast<double>(row) / height;
  return scale == Scale::kLinear ? low + (high - low) * fraction
                                 : low * std::pow(high / low, fraction);
}

// The level each row (from the bottom) should show for tones on toneBins:
// the brightest of the bins inside the row, or of the bin nearest its middle
// when none is.
std::vector<uint8_t> ExpectedRows(Scale scale, double low, double high, int height, double binHz,
                                  int bins, const std::vector<int>& toneBins) {
  auto binLevel = [&](int k) -> uint8_t {
    for (int tone : toneBins) {
      if (k == tone) return kToneLevel;
    }
    for (int tone : toneBins) {
      if (k == tone - 1 || k == tone + 1) return kSideLevel;
    }
    return 0;
  };
  std::vector<uint8_t> rows(height, 0);
  std::vector<bool> any(height, false);
  for (int k = 0; k < bins; ++k) {
    double hz = k * binHz;
    for (int r = 0; r < height; ++r) {
      if (hz >= Edge(scale, low, high, r, height) && hz < Edge(scale, low, high, r + 1, height)) {
        rows[r] = std::max(rows[r], binLevel(k));
        any[r] = true;
      }
    }
  }
  for (int r = 0; r < height; ++r) {
    if (any[r]) continue;
    double a = Edge(scale, low, high, r, height), b = Edge(scale, low, high, r + 1, height);
    double middle = scale == Scale::kLinear ? (a + b) / 2 : std::sqrt(a * b);
    rows[r] = binLevel(static_cast<int>(std::lround(middle / binHz)));
  }
  return rows;
}

class StudioSonogramTest : public testing::Test {
 protected:
  void SetUp() override {
    tones = folder.File("tones.wav");
    ASSERT_TRUE(StudioWriteFloatWav(tones, kRate, 1, TwoTones(kFrames)));
    sonogram.SetTileProc([this] { ++arrivals; });
  }

  // Paints until every tile is in; fails the test when that takes long.
  std::vector<uint32_t> PaintAll(double startMs, double endMs, uint32_t width, uint32_t height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, kSentinel);
    bool complete = false;
    for (int attempt = 0; attempt < 3 && !complete; ++attempt) {
      EXPECT_EQ(sonogram.Paint(startMs, endMs, width, height, pixels.data(), width, &complete), 0);
      if (!complete) {
        EXPECT_TRUE(sonogram.WaitUntilIdle(20000));
      }
    }
    EXPECT_TRUE(complete);
    return pixels;
  }

  // Every pixel column from firstColumn to lastColumn shows expected (rows
  // from the bottom).
  void ExpectColumns(const std::vector<uint32_t>& pixels, uint32_t width,
                     const std::vector<uint8_t>& expected, uint32_t firstColumn,
                     uint32_t lastColumn, const std::string& what) {
    auto height = static_cast<uint32_t>(expected.size());
    int wrong = 0;
    for (uint32_t x = firstColumn; x <= lastColumn; ++x) {
      for (uint32_t y = 0; y < height; ++y) {
        uint32_t want = StudioColorMap::Color(expected[height - 1 - y]);
        if (pixels[y * width + x] != want && ++wrong <= 5) {
          ADD_FAILURE() << what << ": column " << x << " row " << (height - 1 - y) << " shows "
                        << std::hex << pixels[y * width + x] << " instead of " << want;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << what;
  }

  StudioTestFolder folder;
  std::string tones;
  StudioSonogram sonogram{2};
  std::atomic<int> arrivals{0};
};

TEST_F(StudioSonogramTest, TwoTonesShowTwoBandsAtTheirRowsOnBothAxes) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  struct Case {
    int32_t window;
    double overlap;
    Scale scale;
    double low;
    double high;
    uint32_t height;
  };
  const Case cases[] = {
      {2048, 0.75, Scale::kLinear, 0.0, 16000.0, 400},
      {2048, 0.75, Scale::kLogarithmic, 50.0, 16000.0, 300},
      {256, 0.5, Scale::kLinear, 0.0, 16000.0, 129},
      {256, 0.0, Scale::kLogarithmic, 100.0, 12000.0, 200},
      {8192, 0.875, Scale::kLinear, 500.0, 6000.0, 250},
      {800, 0.6, Scale::kLogarithmic, 20.0, 16000.0, 180},
      // Columns 318 frames apart: windows off the transform's alignment,
      // copied before they are transformed.
      {800, 0.6025, Scale::kLinear, 0.0, 16000.0, 200},
  };
  for (const Case& c : cases) {
    StudioSonogram::Settings settings;
    settings.windowSize = c.window;
    settings.overlap = c.overlap;
    settings.axis = StudioFrequencyAxis(c.scale, c.low, c.high);
    ASSERT_EQ(sonogram.SetSettings(settings), 0);
    double binHz = static_cast<double>(kRate) / c.window;
    std::vector<int> toneBins = {static_cast<int>(1000.0 / binHz),
                                 static_cast<int>(5000.0 / binHz)};
    std::vector<uint8_t> expected = ExpectedRows(c.scale, c.low, c.high, static_cast<int>(c.height),
                                                 binHz, c.window / 2 + 1, toneBins);
    std::string what = "window " + std::to_string(c.window) + " overlap " +
                       std::to_string(c.overlap) +
                       (c.scale == Scale::kLinear ? " linear" : " logarithmic");
    // The middle of the recording, far from its silent surroundings.
    const uint32_t width = 160;
    std::vector<uint32_t> pixels = PaintAll(5000.0, 15000.0, width, c.height);
    ExpectColumns(pixels, width, expected, 0, width - 1, what);

    // The rows the axis gives for the tones are bright, and two bins away
    // from them dark.
    const StudioFrequencyAxis& axis = settings.axis;
    for (double hz : {1000.0, 5000.0}) {
      int32_t row = axis.RowOf(hz, static_cast<int32_t>(c.height));
      ASSERT_GE(row, 0) << what;
      EXPECT_EQ(pixels[(c.height - 1 - row) * width + 80], StudioColorMap::Color(kToneLevel))
          << what << " at " << hz;
      for (double away : {hz - 2 * binHz, hz + 2 * binHz}) {
        int32_t dark = axis.RowOf(away, static_cast<int32_t>(c.height));
        if (dark < 0 || dark == row) continue;
        std::set<int32_t> sideRows = {axis.RowOf(hz - binHz, static_cast<int32_t>(c.height)),
                                      axis.RowOf(hz + binHz, static_cast<int32_t>(c.height))};
        if (sideRows.count(dark)) continue;
        EXPECT_EQ(pixels[(c.height - 1 - dark) * width + 80], StudioColorMap::Color(0))
            << what << " at " << away;
      }
    }
  }
}

TEST_F(StudioSonogramTest, SilenceShowsOnlyTheFloorColour) {
  std::string silence = folder.File("silence.wav");
  ASSERT_TRUE(StudioWriteFloatWav(silence, kRate, 2, std::vector<float>(4 * kRate * 2, 0.0f)));
  ASSERT_EQ(sonogram.Open(silence), 0);
  for (Scale scale : {Scale::kLinear, Scale::kLogarithmic}) {
    StudioSonogram::Settings settings;
    settings.axis = StudioFrequencyAxis(scale, 20.0, 16000.0);
    ASSERT_EQ(sonogram.SetSettings(settings), 0);
    std::vector<uint32_t> pixels = PaintAll(0.0, 4000.0, 200, 100);
    for (uint32_t pixel : pixels) ASSERT_EQ(pixel, StudioColorMap::Color(0));
  }
}

// Not-a-number and infinite samples (a damaged float file) spoil the
// transforms of the windows that hold them; those columns show the floor and
// the others their tone.
TEST_F(StudioSonogramTest, DamagedSamplesShowAsTheFloor) {
  std::vector<float> samples = StudioSine(4 * kRate, kRate, 1000.0, 0.5f);
  for (int64_t i = 2 * kRate; i < 3 * kRate; i += 100) {
    samples[static_cast<size_t>(i)] = (i / 100) % 2 ? NAN : INFINITY;
  }
  std::string path = folder.File("damaged.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 1, samples));
  ASSERT_EQ(sonogram.Open(path), 0);
  StudioSonogram::Settings settings;
  settings.axis = StudioFrequencyAxis(Scale::kLinear, 0.0, 16000.0);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  // 20 ms a pixel from 1 s to 4 s, columns 16 ms apart, windows 64 ms
  // wide: pixels up to 46 see only tone, 51 to 99 damage, 104 to 146 tone
  // again (later windows reach past the end of the recording).
  std::vector<uint32_t> pixels = PaintAll(1000.0, 4000.0, 150, 256);
  std::vector<uint8_t> tone = ExpectedRows(Scale::kLinear, 0.0, 16000.0, 256, 15.625, 1025, {64});
  ExpectColumns(pixels, 150, tone, 0, 46, "before");
  ExpectColumns(pixels, 150, std::vector<uint8_t>(256, 0), 51, 99, "damaged");
  ExpectColumns(pixels, 150, tone, 104, 146, "after");
}

TEST_F(StudioSonogramTest, ChannelsAreMixedDown) {
  // 1 kHz at full scale on the left, silence on the right: the mix holds it
  // at half, -6.02 dBFS.
  std::vector<float> left = StudioSine(2 * kRate, kRate, 1000.0, 1.0f);
  std::vector<float> stereo(left.size() * 2, 0.0f);
  for (size_t i = 0; i < left.size(); ++i) stereo[2 * i] = left[i];
  std::string path = folder.File("left.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 2, stereo));
  ASSERT_EQ(sonogram.Open(path), 0);
  StudioSonogram::Settings settings;
  settings.axis = StudioFrequencyAxis(Scale::kLinear, 0.0, 16000.0);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  std::vector<uint32_t> pixels = PaintAll(500.0, 1500.0, 50, 1024);
  ExpectColumns(pixels, 50, ExpectedRows(Scale::kLinear, 0.0, 16000.0, 1024, 15.625, 1025, {64}), 0,
                49, "left channel");
}

// Tile edges: a steady tone's band runs across the edges of tiles, at every
// zoom level, without a seam: the columns at each edge read the frames of
// the neighbouring tile too.
TEST_F(StudioSonogramTest, BandsRunAcrossTileEdgesWithoutASeam) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  StudioSonogram::Settings settings;
  settings.axis = StudioFrequencyAxis(Scale::kLinear, 0.0, 16000.0);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  ASSERT_EQ(sonogram.Hop(), 512);
  std::vector<uint8_t> expected =
      ExpectedRows(Scale::kLinear, 0.0, 16000.0, 256, 15.625, 1025, {64, 320});
  for (int32_t level : {0, 1, 2}) {
    // Columns 512 << level frames apart; the edge between tiles 0 and 1
    // lies at column 256. One pixel per column, 40 each side of the edge.
    double stepMs = (512 << level) * 1000.0 / kRate;
    double edgeMs = 256 * stepMs;
    double startMs = edgeMs - 40.5 * stepMs;
    double endMs = startMs + 80 * stepMs;
    ASSERT_EQ(sonogram.LevelFor(startMs, endMs, 80), level);
    std::vector<uint32_t> pixels = PaintAll(startMs, endMs, 80, 256);
    ExpectColumns(pixels, 80, expected, 0, 79, "level " + std::to_string(level));
  }
}

TEST_F(StudioSonogramTest, TheZoomLevelFollowsTheFramesPerPixel) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  // Hop 512 frames = 16 ms at 32 kHz.
  struct Case {
    double msPerPixel;
    int32_t level;
  };
  const Case cases[] = {{1.0, 0},  {15.9, 0},   {16.0, 0},     {31.9, 0},  {32.0, 1}, {63.9, 1},
                        {64.0, 2}, {1000.0, 5}, {20000.0, 10}, {1e12, 35}, {1e15, 40}};
  for (const Case& c : cases) {
    EXPECT_EQ(sonogram.LevelFor(0.0, c.msPerPixel * 100, 100), c.level) << c.msPerPixel;
  }
}

TEST_F(StudioSonogramTest, FirstPaintAsksForTilesAndLeavesPixelsUntilTheyArrive) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  // 4 s before the recording and 4 s after it: those pixels stay as they
  // were.
  const uint32_t width = 280, height = 64;
  std::vector<uint32_t> pixels(width * height, kSentinel);
  bool complete = true;
  ASSERT_EQ(sonogram.Paint(-4000.0, 24000.0, width, height, pixels.data(), width, &complete), 0);
  EXPECT_FALSE(complete);
  for (uint32_t pixel : pixels) ASSERT_EQ(pixel, kSentinel);
  ASSERT_TRUE(sonogram.WaitUntilIdle(20000));
  EXPECT_GT(arrivals.load(), 0);
  EXPECT_EQ(arrivals.load(), sonogram.TilesComputed());
  ASSERT_EQ(sonogram.Paint(-4000.0, 24000.0, width, height, pixels.data(), width, &complete), 0);
  EXPECT_TRUE(complete);
  // 100 ms per pixel: pixels 0..39 lie before the start, 240..279 after the
  // end.
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      bool inside = x >= 40 && x < 240;
      EXPECT_EQ(pixels[y * width + x] != kSentinel, inside) << x << "," << y;
    }
  }
}

TEST_F(StudioSonogramTest, TheMemoryBudgetEvictsTheLeastRecentlyPaintedTiles) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  // One pixel per level-0 column (16 ms); a tile is 256 columns, 4096 ms;
  // 20 s make tiles 0 to 3 and a partial tile 4. Each view below lies in
  // one tile, and its neighbours are computed after it.
  auto paint = [&](double startMs) {
    PaintAll(startMs, startMs + 1600.0, 100, 32);
    EXPECT_TRUE(sonogram.WaitUntilIdle(20000));
  };
  paint(0.0);  // tile 0, then 1
  ASSERT_EQ(sonogram.TilesComputed(), 2);
  size_t tileBytes = sonogram.MemoryBytes() / 2;
  ASSERT_GT(tileBytes, 256u * 1025u);
  sonogram.SetMemoryBudget(3 * tileBytes);

  paint(13000.0);  // tile 3, then 4 and 2: 0 and 1 go
  EXPECT_EQ(sonogram.TilesComputed(), 5);
  EXPECT_LE(sonogram.MemoryBytes(), 3 * tileBytes);
  paint(100.0);  // tiles 0 and 1 again
  EXPECT_EQ(sonogram.TilesComputed(), 7);
  EXPECT_LE(sonogram.MemoryBytes(), 3 * tileBytes);
  paint(200.0);  // still there
  EXPECT_EQ(sonogram.TilesComputed(), 7);

  // A budget smaller than one tile still keeps what the last view shows,
  // and no more.
  sonogram.SetMemoryBudget(1);
  EXPECT_EQ(sonogram.MemoryBytes(), tileBytes);
  paint(300.0);
  EXPECT_EQ(sonogram.MemoryBytes(), tileBytes);
  EXPECT_EQ(sonogram.TilesComputed(), 8);  // tile 1, computed and let go
}

TEST_F(StudioSonogramTest, NewSettingsWhileTilesAreComputedShowOnlyTheNewSettings) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  std::vector<uint32_t> pixels(400 * 64, kSentinel);
  for (int round = 0; round < 5; ++round) {
    StudioSonogram::Settings settings;
    settings.windowSize = round % 2 ? 512 : 4096;
    ASSERT_EQ(sonogram.SetSettings(settings), 0);
    ASSERT_EQ(sonogram.Paint(0.0, 20000.0, 400, 64, pixels.data(), 400, nullptr), 0);
  }
  StudioSonogram::Settings settings;
  settings.windowSize = 256;
  settings.axis = StudioFrequencyAxis(Scale::kLinear, 0.0, 16000.0);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  std::vector<uint32_t> final = PaintAll(5000.0, 15000.0, 100, 129);
  ExpectColumns(final, 100, ExpectedRows(Scale::kLinear, 0.0, 16000.0, 129, 125.0, 129, {8, 40}), 0,
                99, "after changes");
}

TEST_F(StudioSonogramTest, TheAxisAloneKeepsTheTiles) {
  ASSERT_EQ(sonogram.Open(tones), 0);
  PaintAll(0.0, 4000.0, 250, 100);
  int64_t computed = sonogram.TilesComputed();
  StudioSonogram::Settings settings = sonogram.GetSettings();
  settings.axis = StudioFrequencyAxis(Scale::kLogarithmic, 30.0, 16000.0);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  PaintAll(0.0, 4000.0, 250, 100);
  EXPECT_EQ(sonogram.TilesComputed(), computed);
  settings.floorDb = -80.0;
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  EXPECT_EQ(sonogram.TilesComputed(), 0);
}

// The common 16-bit recordings take the sound file's integer path: the same
// bands as the float recording (quantisation noise lies far below the floor).
TEST_F(StudioSonogramTest, SixteenBitRecordingsShowTheBandsOfFloatOnes) {
  std::string path = folder.File("tones16.wav");
  ASSERT_TRUE(StudioWriteRecording(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 1,
                                   TwoTones(kFrames)));
  ASSERT_EQ(sonogram.Open(path), 0);
  StudioSonogram::Settings settings;
  settings.axis = StudioFrequencyAxis(Scale::kLinear, 0.0, 16000.0);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  std::vector<uint32_t> pixels = PaintAll(5000.0, 15000.0, 160, 400);
  ExpectColumns(pixels, 160,
                ExpectedRows(Scale::kLinear, 0.0, 16000.0, 400, 15.625, 1025, {64, 320}), 0, 159,
                "16-bit");
}

// Switching the frequency axis of a recording between linear and logarithmic
// moves a pure tone's band to the row each axis gives it, from the tiles
// already computed.
TEST_F(StudioSonogramTest, SwitchingTheAxisMovesAToneToItsRowOnEachScale) {
  std::string path = folder.File("tone.wav");
  ASSERT_TRUE(StudioWriteFloatWav(path, kRate, 1, StudioSine(4 * kRate, kRate, 1000.0, 0.5f)));
  ASSERT_EQ(sonogram.Open(path), 0);
  const uint32_t width = 40, height = 300;
  // 1 kHz on 0-16 kHz: row floor(1000 / 16000 * 300) = 18; on 20 Hz-16 kHz:
  // floor(300 ln(50) / ln(800)) = 175.
  struct Step {
    Scale scale;
    int32_t row;
  };
  const Step steps[] = {{Scale::kLinear, 18}, {Scale::kLogarithmic, 175}, {Scale::kLinear, 18}};
  int64_t computed = -1;
  for (const Step& step : steps) {
    StudioSonogram::Settings settings = sonogram.GetSettings();
    settings.axis = StudioFrequencyAxis::ForRecording(step.scale, kRate);
    ASSERT_EQ(sonogram.SetSettings(settings), 0);
    ASSERT_EQ(settings.axis.RowOf(1000.0, height), step.row);
    std::vector<uint32_t> pixels = PaintAll(1000.0, 3000.0, width, height);
    if (computed < 0) computed = sonogram.TilesComputed();
    EXPECT_EQ(sonogram.TilesComputed(), computed) << "the axis alone recomputes nothing";
    for (uint32_t x = 0; x < width; ++x) {
      for (int32_t row = 0; row < static_cast<int32_t>(height); ++row) {
        const uint32_t pixel = pixels[(height - 1 - row) * width + x];
        if (row == step.row) {
          ASSERT_EQ(pixel, StudioColorMap::Color(kToneLevel)) << "band, column " << x;
        } else if (std::abs(row - step.row) > 1) {
          // Beyond the rows of the neighbouring bins: the floor.
          ASSERT_EQ(pixel, StudioColorMap::Color(0)) << "row " << row << ", column " << x;
        }
      }
    }
  }
}

TEST_F(StudioSonogramTest, BadSettingsAreRefusedAndTheOldOnesStay) {
  auto with = [](auto change) {
    StudioSonogram::Settings settings;
    change(settings);
    return settings;
  };
  using S = StudioSonogram::Settings;
  const S bad[] = {
      with([](S& s) { s.windowSize = 255; }),
      with([](S& s) { s.windowSize = 8193; }),
      with([](S& s) { s.windowSize = -2048; }),
      with([](S& s) { s.overlap = -0.01; }),
      with([](S& s) { s.overlap = 0.876; }),
      with([](S& s) { s.overlap = NAN; }),
      with([](S& s) { s.floorDb = NAN; }),
      with([](S& s) { s.floorDb = -INFINITY; }),
      with([](S& s) { s.rangeDb = 0.0; }),
      with([](S& s) { s.rangeDb = -10.0; }),
      with([](S& s) { s.rangeDb = INFINITY; }),
      with([](S& s) { s.rangeDb = 0.99; }),
      with([](S& s) { s.rangeDb = 300.01; }),
      with([](S& s) { s.floorDb = -300.01; }),
      with([](S& s) { s.floorDb = 100.01; }),
      with([](S& s) { s.axis = StudioFrequencyAxis(Scale::kLogarithmic, 0.0, 16000.0); }),
      with([](S& s) { s.axis = StudioFrequencyAxis(Scale::kLinear, -1.0, 16000.0); }),
      with([](S& s) { s.axis = StudioFrequencyAxis(Scale::kLinear, 5000.0, 5000.0); }),
      with([](S& s) { s.axis = StudioFrequencyAxis(Scale::kLinear, 0.0, NAN); }),
  };
  StudioSonogram::Settings good;
  good.windowSize = 1024;
  ASSERT_EQ(sonogram.SetSettings(good), 0);
  for (const S& settings : bad) {
    EXPECT_EQ(sonogram.SetSettings(settings), kQVErrSonogram);
    EXPECT_EQ(sonogram.GetSettings().windowSize, 1024);
    EXPECT_EQ(sonogram.GetSettings().overlap, 0.75);
  }
  for (int32_t size : {256, 8192, 1000}) {
    good.windowSize = size;
    EXPECT_EQ(sonogram.SetSettings(good), 0) << size;
  }
  for (double floor : {-300.0, 100.0}) {
    for (double range : {1.0, 300.0}) {
      good.floorDb = floor;
      good.rangeDb = range;
      EXPECT_EQ(sonogram.SetSettings(good), 0) << floor << " " << range;
    }
  }
}

TEST_F(StudioSonogramTest, BadRecordingsAndPaintsAreRefusedWithAStatus) {
  std::vector<uint32_t> pixels(100 * 10, kSentinel);
  EXPECT_EQ(sonogram.Paint(0.0, 1000.0, 100, 10, pixels.data(), 100, nullptr), kQVErrSonogram);

  std::string text = folder.File("notes.wav");
  std::ofstream(text) << "not a recording";
  EXPECT_EQ(sonogram.Open(folder.File("missing.wav")), kQVErrSoundOpen);
  EXPECT_FALSE(sonogram.IsOpen());
  EXPECT_EQ(sonogram.Open(text), kQVErrSoundFormat);
  EXPECT_FALSE(sonogram.IsOpen());
  std::string fifo = folder.File("pipe.wav");
  int32_t status = 0;
  EXPECT_TRUE(StudioOpensFifoWithoutWaiting(
      fifo, [&] { return sonogram.Open(fifo); }, status));
  EXPECT_EQ(status, kQVErrSoundFormat);
  EXPECT_FALSE(sonogram.IsOpen());
  EXPECT_EQ(sonogram.Paint(0.0, 1000.0, 100, 10, pixels.data(), 100, nullptr), kQVErrSonogram);

  ASSERT_EQ(sonogram.Open(tones), 0);
  struct Case {
    double start, end;
    uint32_t width, height;
    size_t stride;
    bool buffer;
  };
  const Case cases[] = {
      {1000.0, 1000.0, 100, 10, 100, true}, {1000.0, 0.0, 100, 10, 100, true},
      {NAN, 1000.0, 100, 10, 100, true},    {0.0, INFINITY, 100, 10, 100, true},
      {-1e308, 1e308, 100, 10, 100, true},  {0.0, 1000.0, 0, 10, 100, true},
      {0.0, 1000.0, 100, 0, 100, true},     {0.0, 1000.0, 100, 10, 99, true},
      {0.0, 1000.0, 100, 10, 100, false},   {0.0, 1000.0, 65537, 1, 65537, true},
  };
  for (const Case& c : cases) {
    bool complete = true;
    EXPECT_EQ(sonogram.Paint(c.start, c.end, c.width, c.height, c.buffer ? pixels.data() : nullptr,
                             c.stride, &complete),
              kQVErrSonogram)
        << c.start << " " << c.end << " " << c.width << "x" << c.height;
    EXPECT_FALSE(complete);
  }
  for (uint32_t pixel : pixels) ASSERT_EQ(pixel, kSentinel);
}

TEST(StudioFrequencyAxis, RowsAndEdgesOfBothScales) {
  StudioFrequencyAxis linear(Scale::kLinear, 0.0, 16000.0);
  EXPECT_EQ(linear.Edge(0, 100), 0.0);
  EXPECT_EQ(linear.Edge(25, 100), 4000.0);
  EXPECT_EQ(linear.Edge(100, 100), 16000.0);
  EXPECT_EQ(linear.RowOf(0.0, 100), 0);
  EXPECT_EQ(linear.RowOf(159.99, 100), 0);
  EXPECT_EQ(linear.RowOf(160.0, 100), 1);
  EXPECT_EQ(linear.RowOf(15999.0, 100), 99);
  EXPECT_EQ(linear.RowOf(16000.0, 100), -1);
  EXPECT_EQ(linear.RowOf(-1.0, 100), -1);
  EXPECT_EQ(linear.RowOf(NAN, 100), -1);

  // 10 Hz to 10 kHz over 3 rows: a decade each.
  StudioFrequencyAxis log(Scale::kLogarithmic, 10.0, 10000.0);
  EXPECT_NEAR(log.Edge(1, 3), 100.0, 1e-9);
  EXPECT_NEAR(log.Edge(2, 3), 1000.0, 1e-9);
  EXPECT_EQ(log.RowOf(99.0, 3), 0);
  EXPECT_EQ(log.RowOf(log.Edge(1, 3), 3), 1);
  EXPECT_EQ(log.RowOf(999.0, 3), 1);
  EXPECT_EQ(log.RowOf(log.Edge(2, 3), 3), 2);
  EXPECT_EQ(log.RowOf(5.0, 3), -1);

  // Bins 100 Hz apart, 11 of them (0 .. 1000 Hz).
  int32_t first = -1, last = -1;
  StudioFrequencyAxis tenths(Scale::kLinear, 0.0, 1000.0);
  tenths.BinsOfRow(0, 4, 100.0, 11, first, last);  // [0, 250)
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 2);
  tenths.BinsOfRow(1, 4, 100.0, 11, first, last);  // [250, 500): 500 is the next row's
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 4);
  tenths.BinsOfRow(2, 4, 100.0, 11, first, last);  // [500, 750)
  EXPECT_EQ(first, 5);
  EXPECT_EQ(last, 7);
  // Rows narrower than the bins: the bin nearest the middle.
  tenths.BinsOfRow(13, 40, 100.0, 11, first, last);  // [325, 350): middle 337.5
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 3);
  tenths.BinsOfRow(14, 40, 100.0, 11, first, last);  // [350, 375): middle 362.5
  EXPECT_EQ(first, 4);
  EXPECT_EQ(last, 4);
  // Rows past the last bin keep to it.
  StudioFrequencyAxis wide(Scale::kLinear, 0.0, 4000.0);
  wide.BinsOfRow(3, 4, 100.0, 11, first, last);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(last, 10);

  EXPECT_TRUE(linear.IsValid());
  EXPECT_FALSE(StudioFrequencyAxis(Scale::kLogarithmic, 0.0, 100.0).IsValid());
  EXPECT_TRUE(StudioFrequencyAxis(Scale::kLogarithmic, 1.0, 100.0).IsValid());
  EXPECT_FALSE(StudioFrequencyAxis(Scale::kLinear, 100.0, 100.0).IsValid());
  EXPECT_FALSE(StudioFrequencyAxis(Scale::kLinear, 0.0, INFINITY).IsValid());
}

}  // namespace

TEST(StudioFrequencyAxis, ARecordingsAxisRunsToItsNyquistFrequency) {
  using Scale = StudioFrequencyAxis::Scale;
  struct Case {
    Scale scale;
    int32_t rate;
    double low;
    double high;
  };
  const Case cases[] = {
      {Scale::kLinear, 48000, 0.0, 24000.0},
      {Scale::kLogarithmic, 48000, 20.0, 24000.0},
      {Scale::kLinear, 8000, 0.0, 4000.0},
      {Scale::kLogarithmic, 22050, 20.0, 11025.0},
      // Nothing open, or a rate too low for a logarithmic axis: the default
      // range, still valid.
      {Scale::kLinear, 0, 0.0, 24000.0},
      {Scale::kLogarithmic, -5, 20.0, 24000.0},
      {Scale::kLogarithmic, 40, 20.0, 24000.0},
  };
  for (const Case& c : cases) {
    const StudioFrequencyAxis axis = StudioFrequencyAxis::ForRecording(c.scale, c.rate);
    EXPECT_EQ(axis.GetScale(), c.scale) << c.rate;
    EXPECT_EQ(axis.Low(), c.low) << c.rate;
    EXPECT_EQ(axis.High(), c.high) << c.rate;
    EXPECT_TRUE(axis.IsValid()) << c.rate;
  }
}
