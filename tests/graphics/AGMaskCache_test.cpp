// Fills through the coverage-mask cache beside the same fills drawn
// directly: where the ink lands, what a change of outline, size, transform
// or brush redraws, and the memory the cache keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "graphics/AGContext.h"
#include "graphics/AGContextTestPort.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGMaskCache.h"
#include "graphics/AGTestFonts.h"

namespace {

// The symbol object's default text: ten symbols of Pelmar UC.
QVUniChars SymbolText() {
  return Units(u"\uE01C\uE033\uE034\uE036\uE037\uE038\uE000\uE000\uE000\uE085");
}

AGPath TextPath(const QVUniChars& text, float size) {
  AGPath path;
  EXPECT_TRUE(path.AddUText(text, AGFont(kPelmar, size, 0), kAGNullPoint, kAGTextAlignmentLeft));
  return path;
}

AGPath EllipsePath(const AGRect& r) {
  AGPath path;
  path.AddEllipseInRect(r);
  return path;
}

// Every pixel word of a bitmap port, bottom row first.
std::vector<uint32_t> Pixels(const TestPort& port, int width, int height) {
  std::vector<uint32_t> words;
  AGNativeBitmapInfo info;
  if (!AGGraphicsLow::AGNativePortGetBitmap(port.Port(), &info)) return words;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        reinterpret_cast<const char*>(info.data) + size_t(height - 1 - y) * info.bytesPerRow);
    words.insert(words.end(), row, row + width);
  }
  return words;
}

// Draws with the cache on or off into a new width x height port.
struct Drawing {
  int width, height;
  std::vector<uint32_t> pixels;
};

Drawing Draw(bool cached, int width, int height, const AGPath& path, const AGAffineTransform& t,
             const AGBrush& brush, void (*setUp)(AGContext&) = nullptr) {
  AGMaskCache::SetEnabled(cached);
  TestPort port(width, height);
  AGContext ctx = port.Context();
  ctx.brush = brush;
  if (setUp) setUp(ctx);
  ctx.DrawPath(path, t, kAGDrawModeFillOnly);
  AGMaskCache::SetEnabled(true);
  return {width, height, Pixels(port, width, height)};
}

// How a cached drawing differs from a direct one.
struct Difference {
  double inkDirect = 0;  // sum of alpha, in pixels
  double inkCached = 0;
  int largest = 0;  // the largest difference of one channel of one pixel, of 255
};

Difference Compare(const Drawing& direct, const Drawing& cached) {
  Difference d;
  for (size_t i = 0; i < direct.pixels.size(); ++i) {
    const uint32_t p = direct.pixels[i], q = cached.pixels[i];
    d.inkDirect += (p >> 24) / 255.0;
    d.inkCached += (q >> 24) / 255.0;
    for (int shift = 0; shift < 32; shift += 8) {
      d.largest = std::max(d.largest, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
    }
  }
  return d;
}

// The cached drawing is off by at most 1/16 pixel on each axis: ink within
// inkTolerance of the direct drawing's and no pixel off by more than 48/255.
void ExpectClose(const Drawing& direct, const Drawing& cached, double inkTolerance = 0.005) {
  const Difference d = Compare(direct, cached);
  EXPECT_GT(d.inkDirect, 0.0);
  EXPECT_LE(std::fabs(d.inkCached - d.inkDirect), d.inkDirect * inkTolerance)
      << d.inkCached << " against " << d.inkDirect;
  EXPECT_LE(d.largest, 48);
}

class MaskCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddPelmar();
    AGMaskCache::SetEnabled(true);
    AGMaskCache::SetBudget(AGMaskCache::kDefaultBudget);
    AGMaskCache::Clear();
    AGMaskCache::ResetCounters();
  }
  void TearDown() override {
    AGMaskCache::SetEnabled(true);
    AGMaskCache::SetBudget(AGMaskCache::kDefaultBudget);
    AGMaskCache::Clear();
  }
};

TEST_F(MaskCacheTest, CachedFillsMatchDirectFillsAtRandomSubPixelOffsetsAndScales) {
  const AGPath text = TextPath(SymbolText(), 48.0f);
  const AGBrush black = SolidBrush(kAGColorBlack);
  std::mt19937 random(20240611);
  std::uniform_real_distribution<double> fraction(0.0, 1.0);
  struct Scale {
    double scale;
    double inkTolerance;
  };
  // Cairo samples coverage on 15 rows a pixel: a direct fill's own ink
  // changes by up to 0.7 % when text 12 pixels tall (scale 0.5) moves by
  // 1/16 pixel, and by less at larger sizes.
  for (const Scale& s : {Scale{1.0, 0.005}, Scale{1.5, 0.005}, Scale{2.0, 0.005}, Scale{0.5, 0.01}}) {
    const double scale = s.scale;
    const AGRect box = text.GetBoundingBox();
    const int width = int(std::ceil((box.x2 - box.x1) * scale)) + 8;
    const int height = int(std::ceil((box.y2 - box.y1) * scale)) + 8;
    for (int k = 0; k < 64; ++k) {
      const double dx = fraction(random), dy = fraction(random);
      SCOPED_TRACE(testing::Message() << "scale " << scale << " offset " << dx << ", " << dy);
      const AGAffineTransform t = {scale, 0, 0, scale, 3 + dx - box.x1 * scale,
                                   3 + dy - box.y1 * scale};
      const Drawing direct = Draw(false, width, height, text, t, black);
      Draw(true, width, height, text, t, black);  // makes the mask, or finds it
      const uint64_t hits = AGMaskCache::GetStats().hits;
      const Drawing cached = Draw(true, width, height, text, t, black);
      EXPECT_EQ(AGMaskCache::GetStats().hits, hits + 1);
      ExpectClose(direct, cached, s.inkTolerance);
    }
  }
  // One mask per scale and phase at most: 4 scales x 64 phases.
  const AGMaskCache::Stats stats = AGMaskCache::GetStats();
  EXPECT_LE(stats.misses, 256u);
  EXPECT_EQ(stats.masks, stats.misses);
  EXPECT_EQ(stats.outlines, 1u);
  EXPECT_EQ(stats.evictions, 0u);
  EXPECT_EQ(stats.direct, 0u);
}

TEST_F(MaskCacheTest, AnOutlineCornerOnWholePixelsGivesTheDirectFillsCoverage) {
  // With no phase to round the mask holds exactly the coverage a direct
  // fill composites.
  const AGPath text = TextPath(SymbolText(), 30.0f);
  const AGRect box = text.GetBoundingBox();
  const AGAffineTransform t = {1, 0, 0, 1, 4 - box.x1, 4 - box.y1};
  const int width = int(box.x2 - box.x1) + 10, height = int(box.y2 - box.y1) + 10;
  const AGBrush red = SolidBrush(0xC02010FFu);
  const Drawing direct = Draw(false, width, height, text, t, red);
  Draw(true, width, height, text, t, red);
  const Drawing cached = Draw(true, width, height, text, t, red);
  // Same alpha everywhere; a faint edge pixel's colour may round the other
  // way (0x04030000 drawn as 0x04030100: 5 of about 1000 edge pixels).
  EXPECT_LE(Compare(direct, cached).largest, 1);
  int alphaDiffers = 0;
  for (size_t i = 0; i < direct.pixels.size(); ++i)
    alphaDiffers += direct.pixels[i] >> 24 != cached.pixels[i] >> 24;
  EXPECT_EQ(alphaDiffers, 0);
  EXPECT_EQ(AGMaskCache::GetStats().hits, 1u);
}

TEST_F(MaskCacheTest, SolidFillsBlendedIntoThePixelsEqualCairosCompositingOfTheSameMask) {
  // Solid colours are composited by the kit itself; a pattern whose two
  // colours are the same paints that colour through Cairo, from the same
  // mask. Over a half-transparent background, at a fractional position,
  // within a clip on whole pixels, and in both fill rules.
  const AGPath text = TextPath(SymbolText(), 30.0f);
  const AGRect box = text.GetBoundingBox();
  const AGAffineTransform t = {1, 0, 0, 1, 3.3 - box.x1, 2.6 - box.y1};
  const int width = int(box.x2 - box.x1) + 8, height = int(box.y2 - box.y1) + 8;
  void (*const backgrounds[])(AGContext&) = {
      [](AGContext& c) {
        c.brush = SolidBrush(0x3080C0A0u);
        c.DrawRect({0, 0, 1000, 1000});
      },
      [](AGContext& c) { c.SetClipRect({10, 2, 150, 20}); },
  };
  for (AGColor colour : {kAGColorBlack, kAGColorRed, 0x20A0F0FFu, 0x808080FFu}) {
    for (uint32_t mode : {kAGBrushFillModeEvenOdd, kAGBrushFillModeWinding}) {
      for (auto background : backgrounds) {
        AGBrush solid = SolidBrush(colour), pattern;
        pattern.SetStylePattern(colour, colour, 46);
        solid.SetFillMode(mode);
        pattern.SetFillMode(mode);
        const Drawing blended = Draw(true, width, height, text, t, solid, background);
        const Drawing composited = Draw(true, width, height, text, t, pattern, background);
        EXPECT_EQ(Compare(blended, composited).largest, 0) << std::hex << colour << " " << mode;
      }
    }
  }
  // Every fill came from one of the two masks (one per fill rule).
  EXPECT_EQ(AGMaskCache::GetStats().misses, 2u);
}

TEST_F(MaskCacheTest, ChangedTextSizeOrTransformRedrawsTheNewOutlineNeverAnOldMask) {
  const AGBrush black = SolidBrush(kAGColorBlack);
  const AGAffineTransform place = {1, 0, 0, 1, 10.3, 20.6};
  const QVUniChars text = SymbolText();
  QVUniChars edited = text;
  edited[3] = 0xE01C;  // one symbol replaced
  struct Case {
    const char* name;
    AGPath path;
    AGAffineTransform t;
  };
  const Case changes[] = {
      {"edit", TextPath(edited, 48.0f), place},
      {"size", TextPath(text, 49.0f), place},
      {"scale", TextPath(text, 48.0f), {1.02, 0, 0, 1.02, 10.3, 20.6}},
      {"rotation", TextPath(text, 48.0f), AGAffineTransformConcatRotation(place, 0.01)},
  };
  const AGPath original = TextPath(text, 48.0f);
  for (const Case& change : changes) {
    SCOPED_TRACE(change.name);
    AGMaskCache::Clear();
    Draw(true, 600, 100, original, place, black);
    const Drawing before = Draw(true, 600, 100, original, place, black);
    const uint64_t misses = AGMaskCache::GetStats().misses;
    const Drawing direct = Draw(false, 600, 100, change.path, change.t, black);
    const Drawing after = Draw(true, 600, 100, change.path, change.t, black);
    EXPECT_EQ(AGMaskCache::GetStats().misses, misses + 1);
    ExpectClose(direct, after);
    // The change shows: the old drawing is far from the new one.
    EXPECT_GT(Compare(before, after).largest, 200);
  }
}

// The ink-weighted mean column of a drawing.
double InkCentreX(const Drawing& d) {
  double ink = 0, sum = 0;
  for (size_t i = 0; i < d.pixels.size(); ++i) {
    const double a = (d.pixels[i] >> 24) / 255.0;
    ink += a;
    sum += a * (double(i % size_t(d.width)) + 0.5);
  }
  return sum / ink;
}

TEST_F(MaskCacheTest, APathChangedInPlaceGetsANewMaskAndEqualCopiesShareOne) {
  const AGBrush black = SolidBrush(kAGColorBlack);
  const AGAffineTransform none = kAGAffineTransformIdentity;
  AGPath path = EllipsePath({2, 2, 12, 12});
  Draw(true, 40, 20, path, none, black);
  const AGPath copy = path;
  Draw(true, 40, 20, copy, none, black);
  EXPECT_EQ(AGMaskCache::GetStats().misses, 1u);
  EXPECT_EQ(AGMaskCache::GetStats().hits, 1u);

  // A second circle added: a new outline; both circles of area 25 pi show
  // (filled as chords that lie up to a tenth of a pixel inside the curves,
  // about 1 % less).
  path.AddEllipseInRect({20, 2, 30, 12});
  const Drawing grown = Draw(true, 40, 20, path, none, black);
  EXPECT_EQ(AGMaskCache::GetStats().misses, 2u);
  Difference d = Compare(Draw(false, 40, 20, path, none, black), grown);
  EXPECT_LE(d.largest, 1);
  EXPECT_NEAR(d.inkCached, 50 * kPi, 50 * kPi * 0.025);
  EXPECT_NEAR(InkCentreX(grown), 16.0, 0.01);

  // Moved in place by 3 pixels: the same outline (its origin moved), so the
  // same mask, 3 pixels to the right.
  const uint64_t hits = AGMaskCache::GetStats().hits;
  path.ApplyTransform({1, 0, 0, 1, 3, 0});
  const Drawing moved = Draw(true, 40, 20, path, none, black);
  EXPECT_EQ(AGMaskCache::GetStats().misses, 2u);
  EXPECT_EQ(AGMaskCache::GetStats().hits, hits + 1);
  EXPECT_NEAR(InkCentreX(moved), 19.0, 0.01);

  // Halved in width in place: a new outline, half the ink.
  path.ApplyTransform({0.5, 0, 0, 1, 0, 0});
  const Drawing narrowed = Draw(true, 40, 20, path, none, black);
  EXPECT_EQ(AGMaskCache::GetStats().misses, 3u);
  d = Compare(Draw(false, 40, 20, path, none, black), narrowed);
  EXPECT_LE(d.largest, 1);
  EXPECT_NEAR(d.inkCached, 25 * kPi, 25 * kPi * 0.025);
}

TEST_F(MaskCacheTest, BoxesAreFilledDirectlyUnlessSmallAndSolidOrTurned) {
  // Sides along the device's axes are filled as boxes, faster than a mask
  // is composited, a quarter turn included; only small boxes in a solid
  // colour are blended from a mask, and turned boxes are polygons like any
  // other.
  AGPath small = RectPath({2.5, 2.25, 12.5, 10.75});
  small.AddRect({14, 3, 30, 5});
  const AGPath large = RectPath({1.5, 1.5, 99.5, 99.5});
  AGBrush pattern;
  pattern.SetStylePattern(kAGColorRed, kAGColorBlue, 46);
  const AGBrush black = SolidBrush(kAGColorBlack);
  const AGAffineTransform quarter =
      AGAffineTransformConcatTranslation(AGAffineTransformMakeRotation(kPi / 2), 101, 0);
  const AGAffineTransform turned =
      AGAffineTransformConcatTranslation(AGAffineTransformMakeRotation(0.1), 10, 2);
  struct Case {
    const char* name;
    const AGPath& path;
    AGAffineTransform t;
    const AGBrush& brush;
    bool masked;
  };
  const Case cases[] = {
      {"small, solid", small, kAGAffineTransformIdentity, black, true},
      {"small, pattern", small, kAGAffineTransformIdentity, pattern, false},
      {"large, solid", large, kAGAffineTransformIdentity, black, false},
      {"large, solid, quarter turn", large, quarter, black, false},
      {"large, pattern, turned", large, turned, pattern, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AGMaskCache::Stats before = AGMaskCache::GetStats();
    const Drawing direct = Draw(false, 110, 110, c.path, c.t, c.brush);
    const Drawing drawn = Draw(true, 110, 110, c.path, c.t, c.brush);
    const AGMaskCache::Stats after = AGMaskCache::GetStats();
    EXPECT_EQ(after.misses - before.misses, c.masked ? 1u : 0u);
    EXPECT_EQ(after.direct - before.direct, c.masked ? 0u : 1u);
    if (c.masked) {
      ExpectClose(direct, drawn);
    } else {
      EXPECT_EQ(Compare(direct, drawn).largest, 0);
    }
  }
}

TEST_F(MaskCacheTest, EveryBrushPaintsThroughTheSameMask) {
  // A ring whose inner disc winds twice, at a fractional position: the
  // mask is made once per fill rule and every brush composites through it.
  AGPath ring = EllipsePath({0, 0, 20, 20});
  ring.AddEllipseInRect({5, 5, 15, 15});
  const AGAffineTransform t = {1, 0, 0, 1, 2.25, 3.5};
  AGBrush pattern, linear, radial;
  pattern.SetStylePattern(kAGColorRed, kAGColorBlue, 46);
  linear.SetStyleLinearGradient(kAGColorRed, kAGColorBlue, 0.5f, 0.7f);
  radial.SetStyleRadialGradient(kAGColorRed, 0x0000FF80u, 0.3f, 0.2f, 0.6f);
  const AGBrush brushes[] = {SolidBrush(kAGColorRed), SolidBrush(0x00FF0080u), pattern, linear,
                             radial};
  for (uint32_t mode : {kAGBrushFillModeEvenOdd, kAGBrushFillModeWinding}) {
    for (AGBrush brush : brushes) {
      brush.SetFillMode(mode);
      SCOPED_TRACE(testing::Message() << "style " << int(brush.Style()) << " mode " << mode);
      const Drawing direct = Draw(false, 26, 26, ring, t, brush);
      const Drawing cached = Draw(true, 26, 26, ring, t, brush);
      // The ring's corner lands on (2.25, 22.5) in device pixels, a phase
      // the cache makes masks for: the same coverage, colours rounded the
      // same way to within one level.
      EXPECT_LE(Compare(direct, cached).largest, 1);
    }
  }
  // Solid and pattern under the even-odd rule share one mask; every other
  // fill (gradients always, and everything under mode 1) the winding one.
  EXPECT_EQ(AGMaskCache::GetStats().misses, 2u);
  EXPECT_EQ(AGMaskCache::GetStats().hits, 8u);
}

TEST_F(MaskCacheTest, OpacityClipsAndAliasingStayAsWithoutTheCache) {
  const AGPath text = TextPath(SymbolText(), 24.0f);
  const AGRect box = text.GetBoundingBox();
  // The outline's corner on whole pixels: no phase to round.
  const AGAffineTransform t = {1, 0, 0, 1, 3 - box.x1, 3 - box.y1};
  const int width = int(box.x2 - box.x1) + 8, height = int(box.y2 - box.y1) + 8;
  const AGBrush blue = SolidBrush(kAGColorBlue);
  struct Case {
    const char* name;
    void (*setUp)(AGContext&);
    bool cached;
  };
  const Case cases[] = {
      {"opacity", [](AGContext& c) { c.alpha = 0.4f; }, true},
      {"clip on whole pixels", [](AGContext& c) { c.SetClipRect({20, 0, 60, 18}); }, true},
      // Where a clip's edge crosses the outline's, a fill covers the area
      // of both together: filled directly.
      {"clip across pixels", [](AGContext& c) { c.SetClipRect({20.5, 0, 60, 18.25}); }, false},
      {"no anti-aliasing", [](AGContext& c) { c.options = kAGContextOptionAlignPattern; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t asked = AGMaskCache::GetStats().hits + AGMaskCache::GetStats().misses;
    const Drawing direct = Draw(false, width, height, text, t, blue, c.setUp);
    const Drawing cached = Draw(true, width, height, text, t, blue, c.setUp);
    EXPECT_LE(Compare(direct, cached).largest, c.cached ? 1 : 0);
    EXPECT_EQ(AGMaskCache::GetStats().hits + AGMaskCache::GetStats().misses, asked + c.cached);
  }
  EXPECT_EQ(AGMaskCache::GetStats().direct, 0u);
}

TEST_F(MaskCacheTest, LargePathsAndVectorPortsGetTheOutlinesThemselves) {
  const AGBrush black = SolidBrush(kAGColorBlack);
  // A prolongation line 2000 pixels long, rising to the right: longer than
  // any mask.
  AGPath line;
  const AGPoint corners[] = {{0.5, 8.25}, {2000.5, 12.25}, {2000.5, 14.25}, {0.5, 10.25}};
  line.AddLines(corners, 4, true);
  const Drawing direct = Draw(false, 1000, 20, line, kAGAffineTransformIdentity, black);
  const Drawing drawn = Draw(true, 1000, 20, line, kAGAffineTransformIdentity, black);
  EXPECT_EQ(Compare(direct, drawn).largest, 0);
  EXPECT_EQ(AGMaskCache::GetStats().direct, 1u);
  EXPECT_EQ(AGMaskCache::GetStats().masks, 0u);

  // A vector port never asks the cache.
  const std::string file = testing::TempDir() + "mask-cache.svg";
  {
    AGNativePortPtr port;
    ASSERT_EQ(AGGraphicsLow::AGNativePortCreateFile(file.c_str(), kAGNativePortSVG, {100, 100},
                                                    &port),
              0);
    AGContext ctx(port.get(), {0, 0, 100, 100});
    ctx.brush = black;
    EXPECT_TRUE(ctx.DrawPath(TextPath(SymbolText(), 12.0f), kAGDrawModeFillOnly));
    EXPECT_EQ(AGGraphicsLow::AGNativePortFinish(port.get()), 0);
  }
  std::remove(file.c_str());
  const AGMaskCache::Stats stats = AGMaskCache::GetStats();
  EXPECT_EQ(stats.misses + stats.hits, 0u);
  EXPECT_EQ(stats.direct, 1u);
}

TEST_F(MaskCacheTest, FillsOutsideThePortMakeNoMask) {
  const AGBrush black = SolidBrush(kAGColorBlack);
  const AGPath square = RectPath({0, 0, 10, 10});
  for (const AGAffineTransform& t : {AGAffineTransform{1, 0, 0, 1, -20, 5},
                                     AGAffineTransform{1, 0, 0, 1, 5, 1e7},
                                     AGAffineTransform{1, 0, 0, 1, 3e12, 5}}) {
    const Drawing drawn = Draw(true, 20, 20, square, t, black);
    EXPECT_EQ(std::count(drawn.pixels.begin(), drawn.pixels.end(), 0u), 400);
  }
  EXPECT_EQ(AGMaskCache::GetStats().masks, 0u);
}

TEST_F(MaskCacheTest, BudgetIsNeverExceededAndLeastRecentlyUsedMasksGoFirst) {
  // Forty ellipses of different widths, about 1.5 KiB of mask each with
  // their outline, against a budget of 16 KiB.
  const size_t budget = 16 * 1024;
  AGMaskCache::SetBudget(budget);
  const AGBrush black = SolidBrush(kAGColorBlack);
  for (int round = 0; round < 2; ++round) {
    for (int k = 0; k < 40; ++k) {
      const AGPath ellipse = EllipsePath({1, 1, 31 + k * 0.5, 31});
      const Drawing drawn = Draw(true, 64, 40, ellipse, kAGAffineTransformIdentity, black);
      const Drawing direct = Draw(false, 64, 40, ellipse, kAGAffineTransformIdentity, black);
      EXPECT_LE(Compare(direct, drawn).largest, 1);
      EXPECT_LE(AGMaskCache::GetStats().bytes, budget);
    }
  }
  AGMaskCache::Stats stats = AGMaskCache::GetStats();
  EXPECT_EQ(stats.misses, 80u);  // each ellipse is dropped before it comes round again
  EXPECT_EQ(stats.hits, 0u);
  EXPECT_EQ(stats.evictions, 80u - stats.masks);
  EXPECT_GT(stats.masks, 4u);
  EXPECT_LE(stats.peakBytes, budget);

  // The most recent ellipse is still there; the first went long ago.
  Draw(true, 64, 40, EllipsePath({1, 1, 31 + 39 * 0.5, 31}), kAGAffineTransformIdentity, black);
  EXPECT_EQ(AGMaskCache::GetStats().hits, 1u);
  Draw(true, 64, 40, EllipsePath({1, 1, 31, 31}), kAGAffineTransformIdentity, black);
  EXPECT_EQ(AGMaskCache::GetStats().misses, 81u);

  // A smaller budget evicts at once; none keeps nothing and fills directly.
  AGMaskCache::SetBudget(4096);
  EXPECT_LE(AGMaskCache::GetStats().bytes, 4096u);
  AGMaskCache::SetBudget(0);
  stats = AGMaskCache::GetStats();
  EXPECT_EQ(stats.bytes, 0u);
  EXPECT_EQ(stats.masks, 0u);
  EXPECT_EQ(stats.outlines, 0u);
  Draw(true, 64, 40, EllipsePath({1, 1, 31, 31}), kAGAffineTransformIdentity, black);
  EXPECT_EQ(AGMaskCache::GetStats().direct, 1u);
}

TEST_F(MaskCacheTest, ThreadsFillingTogetherShareTheCacheWhileItEvicts) {
  // Two threads, each with its own port and paths, fill twenty ellipses over
  // and over against a budget that holds about eight masks: masks are made,
  // found and dropped under each other's feet, and every drawing still
  // shows its own ellipse.
  AGMaskCache::SetBudget(16 * 1024);
  const AGBrush black = SolidBrush(kAGColorBlack);
  std::vector<AGPath> ellipses;
  std::vector<Drawing> expected;
  for (int k = 0; k < 20; ++k) {
    ellipses.push_back(EllipsePath({1.5, 1, 31 + k * 0.75, 30}));
    expected.push_back(Draw(false, 64, 40, ellipses.back(), kAGAffineTransformIdentity, black));
  }
  int wrong[2] = {0, 0};
  auto work = [&](int who) {
    const std::vector<AGPath> mine = ellipses;  // a thread's paths are its own
    TestPort port(64, 40);
    for (int round = 0; round < 10; ++round) {
      for (int k = 0; k < 20; ++k) {
        const int index = who ? 19 - k : k;
        AGContext ctx = port.Context();
        ctx.ClearPixels(kAGColorWhite);
        ctx.brush = black;
        ctx.DrawPath(mine[size_t(index)], kAGDrawModeFillOnly);
        // White under black: each pixel's red tells its coverage.
        const std::vector<uint32_t> pixels = Pixels(port, 64, 40);
        for (size_t i = 0; i < pixels.size(); ++i) {
          const int alpha = int(expected[size_t(index)].pixels[i] >> 24);
          wrong[who] += std::abs(int((pixels[i] >> 16) & 0xFF) - (255 - alpha)) > 1;
        }
      }
    }
  };
  std::thread other(work, 1);
  work(0);
  other.join();
  EXPECT_EQ(wrong[0], 0);
  EXPECT_EQ(wrong[1], 0);
  const AGMaskCache::Stats stats = AGMaskCache::GetStats();
  EXPECT_GT(stats.evictions, 0u);
  EXPECT_LE(stats.peakBytes, size_t(16 * 1024));
  EXPECT_EQ(stats.hits + stats.misses, 400u);
}

}  // namespace
