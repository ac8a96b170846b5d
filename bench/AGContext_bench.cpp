// Drawing through AGContext on a 200 x 200 bitmap port, beside the limit it
// chases: the same drawing issued straight to Cairo on a surface of the same
// size, with everything that can be made once made before the rounds.
//
// - a glyph path ("g" of DejaVu Sans at 200 points) filled in a solid colour,
//   from the second round on through its cached coverage mask (AGMaskCache),
//   and again with the cache off, and with a pattern through the mask;
// - a 200 x 200 rectangle filled with an 8x8 two-colour pattern;
// - the same rectangle filled with a radial gradient;
// - a line of width 2 across the port, and the same line reaching 30
//   million pixels beyond it on both sides (clipped before Cairo sees it),
//   and a rectangle filled from that far away.
//
// Without a mask the kit walks its own path into Cairo on every drawing
// (quadratic segments become cubics); it builds the pattern tile or the
// gradient's stops each time and saves and restores the drawing state
// around each operation; Cairo's side keeps a ready path, tile and
// gradient. Rectangles are always filled directly.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdint>
#include <memory>

#include "BenchCairoPath.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGMaskCache.h"
#include "graphics/platform/AGCairoOwners_p.h"

namespace {

constexpr int kSize = 200;

AGPath GlyphPath() {
  AGPath path;
  path.AddText("g", AGFont("DejaVu Sans", 200.0f, 0), {30, 50}, kAGTextAlignmentLeft);
  return path;
}

AGPath SquarePath() {
  AGPath path;
  path.AddRect({0, 0, kSize, kSize});
  return path;
}

// A kit context on a new bitmap port.
struct KitTarget {
  AGNativePortPtr port;
  AGContext ctx;
  KitTarget() {
    AGGraphicsLow::AGNativePortCreateBitmap(kSize, kSize, &port);
    ctx = AGContext(port.get(), {0, 0, kSize, kSize});
  }
};

// A Cairo surface of the same size, y up like the port.
struct CairoTarget {
  CairoSurfacePtr surface{cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize)};
  CairoPtr cr{cairo_create(surface.get())};
  CairoTarget() {
    cairo_matrix_t flip;
    cairo_matrix_init(&flip, 1, 0, 0, -1, 0, kSize);
    cairo_set_matrix(cr.get(), &flip);
  }
};

void RunKit(benchmark::State& state, const AGPath& path, const AGBrush& brush) {
  KitTarget target;
  target.ctx.brush = brush;
  if (path.IsEmpty() || !target.port) {
    state.SkipWithError("no glyph path or no port");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(target.ctx.DrawPath(path));
}

void RunCairo(benchmark::State& state, const AGPath& path, cairo_pattern_t* source) {
  CairoTarget target;
  cairo_t* cr = target.cr.get();
  CairoPathPtr ready = CairoPathOf(cr, path);
  cairo_set_source(cr, source);
  for (auto _ : state) {
    cairo_append_path(cr, ready.get());
    cairo_fill(cr);
  }
  benchmark::DoNotOptimize(cairo_image_surface_get_data(target.surface.get()));
}

// ---- Glyph path, solid colour

void BM_KitFillGlyph(benchmark::State& state) {
  RunKit(state, GlyphPath(), AGBrush(kAGBrushStyleSolid, 0x2040A0FFu, 0));
}
BENCHMARK(BM_KitFillGlyph);

void BM_KitFillGlyphUncached(benchmark::State& state) {
  AGMaskCache::SetEnabled(false);
  RunKit(state, GlyphPath(), AGBrush(kAGBrushStyleSolid, 0x2040A0FFu, 0));
  AGMaskCache::SetEnabled(true);
}
BENCHMARK(BM_KitFillGlyphUncached);

void BM_KitFillGlyphPattern(benchmark::State& state) {
  AGBrush brush;
  brush.SetStylePattern(kAGColorBlack, 0xFFFF00FFu, 46);
  RunKit(state, GlyphPath(), brush);
}
BENCHMARK(BM_KitFillGlyphPattern);

void BM_CairoFillGlyph(benchmark::State& state) {
  CairoPatternPtr solid(cairo_pattern_create_rgba(0x20 / 255.0, 0x40 / 255.0, 0xA0 / 255.0, 1.0));
  RunCairo(state, GlyphPath(), solid.get());
}
BENCHMARK(BM_CairoFillGlyph);

// ---- 8x8 pattern tile

void BM_KitFillPattern(benchmark::State& state) {
  AGBrush brush;
  brush.SetStylePattern(kAGColorBlack, 0xFFFF00FFu, 46);
  RunKit(state, SquarePath(), brush);
}
BENCHMARK(BM_KitFillPattern);

void BM_CairoFillPattern(benchmark::State& state) {
  CairoSurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
  uint32_t* words = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(tile.get()));
  const int stride = cairo_image_surface_get_stride(tile.get()) / 4;
  const uint64_t bits = AGBrush::PatternTile(46);
  for (int k = 0; k < 64; ++k) {
    words[(k / 8) * stride + k % 8] = (bits >> k) & 1 ? 0xFF000000u : 0xFFFFFF00u;
  }
  cairo_surface_mark_dirty(tile.get());
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(tile.get()));
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
  RunCairo(state, SquarePath(), pattern.get());
}
BENCHMARK(BM_CairoFillPattern);

// ---- Radial gradient

void BM_KitFillRadial(benchmark::State& state) {
  AGBrush brush;
  brush.SetStyleRadialGradient(kAGColorWhite, kAGColorBlue, 0.5f, 0.3f, 0.3f);
  RunKit(state, SquarePath(), brush);
}
BENCHMARK(BM_KitFillRadial);

void BM_CairoFillRadial(benchmark::State& state) {
  // The kit's stops for blend 0.5: the first colour, half way at 0.5, the
  // second colour from the end on.
  CairoPatternPtr radial(cairo_pattern_create_radial(60, 140, 0, 60, 140, 0.707 * kSize));
  cairo_pattern_add_color_stop_rgb(radial.get(), 0.0, 1, 1, 1);
  cairo_pattern_add_color_stop_rgb(radial.get(), 0.5, 0.5, 0.5, 1);
  cairo_pattern_add_color_stop_rgb(radial.get(), 1.0, 0, 0, 1);
  cairo_pattern_set_extend(radial.get(), CAIRO_EXTEND_PAD);
  RunCairo(state, SquarePath(), radial.get());
}
BENCHMARK(BM_CairoFillRadial);

// ---- Lines and fills near and far

AGPath SegmentPath(const AGPoint& a, const AGPoint& b) {
  AGPath path;
  path.AddSegment(a, b);
  return path;
}

void RunKitStroke(benchmark::State& state, const AGPath& path) {
  KitTarget target;
  target.ctx.pen.SetStyleSolid(0x2040A0FFu, 2.0f, kAGPenSizeModeAbsolute);
  for (auto _ : state) benchmark::DoNotOptimize(target.ctx.DrawPath(path, kAGDrawModeStrokeOnly));
}

void BM_KitStrokeLine(benchmark::State& state) {
  RunKitStroke(state, SegmentPath({0, 100}, {kSize, 100}));
}
BENCHMARK(BM_KitStrokeLine);

void BM_KitStrokeFarLine(benchmark::State& state) {
  RunKitStroke(state, SegmentPath({-3e7, 100}, {3e7, 100}));
}
BENCHMARK(BM_KitStrokeFarLine);

void BM_CairoStrokeLine(benchmark::State& state) {
  CairoTarget target;
  cairo_t* cr = target.cr.get();
  cairo_set_source_rgb(cr, 0x20 / 255.0, 0x40 / 255.0, 0xA0 / 255.0);
  cairo_set_line_width(cr, 2.0);
  for (auto _ : state) {
    cairo_move_to(cr, 0, 100);
    cairo_line_to(cr, kSize, 100);
    cairo_stroke(cr);
  }
  benchmark::DoNotOptimize(cairo_image_surface_get_data(target.surface.get()));
}
BENCHMARK(BM_CairoStrokeLine);

void BM_KitFillFarRect(benchmark::State& state) {
  AGPath path;
  path.AddRect({-3e7, -3e7, 3e7, 3e7});
  RunKit(state, path, AGBrush(kAGBrushStyleSolid, 0x2040A0FFu, 0));
}
BENCHMARK(BM_KitFillFarRect);

void BM_KitFillRect(benchmark::State& state) {
  RunKit(state, SquarePath(), AGBrush(kAGBrushStyleSolid, 0x2040A0FFu, 0));
}
BENCHMARK(BM_KitFillRect);

}  // namespace

BENCHMARK_MAIN();
