// Patterns, gradients, text, images and file ports drawn through AGContext.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "graphics/AGContext.h"
#include "graphics/AGContextTestPort.h"
#include "graphics/AGTestFonts.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"

namespace {

// ---------------------------------------------------------------------------
// 8x8 patterns

// Whether the tile's cell for kit pixel (x, y) is set, the tile's bottom
// left corner on (ax, ay).
bool CellSet(uint64_t tile, int x, int y, int ax, int ay) {
  int col = ((x - ax) % 8 + 8) % 8, row = ((y - ay) % 8 + 8) % 8;
  return (tile >> (row * 8 + col)) & 1;
}

void ExpectTile(const TestPort& port, int size, uint64_t tile, int ax, int ay, uint32_t on,
                uint32_t off) {
  int wrong = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      wrong += port.At(x, y) != (CellSet(tile, x, y, ax, ay) ? on : off);
  EXPECT_EQ(wrong, 0) << std::hex << tile;
}

TEST(ContextPattern, CellsFollowTheTileBitsRowByRowFromTheBottomLeft) {
  // 46 and 53 have no symmetry that would hide a flipped or mirrored tile.
  for (uint32_t index : {1u, 3u, 46u, 53u}) {
    TestPort port(16, 16);
    AGContext ctx = port.Context();
    ctx.options = kAGContextOptionAntialias;  // grid fixed to the bounds
    ctx.brush.SetStylePattern(kAGColorRed, kAGColorBlue, index);
    ctx.DrawRect({0, 0, 16, 16});
    ExpectTile(port, 16, AGBrush::PatternTile(index), 0, 0, kOpaqueRed, kOpaqueBlue);
  }
  EXPECT_EQ(AGBrush::PatternTile(53), 0x10387CFE7C381000u);
}

TEST(ContextPattern, AlignedGridFollowsThePathOriginElseTheBoundsTopLeft) {
  struct Case {
    uint32_t options;
    AGRect bounds;
    int ax, ay;
  };
  // The path's origin (its first point, 0, 0) lands on (3.4, 5.6) in the
  // port: rounded (3, 6).
  const AGAffineTransform shift = {1, 0, 0, 1, 3.4, 5.6};
  AGPath path;
  path.StartSubPath({0, 0});
  path.AddRect({-3.4, -5.6, 12.6, 10.4});
  for (const Case& c : {Case{kAGContextOptionsDefault, {0, 0, 16, 16}, 3, 6},
                        Case{kAGContextOptionAntialias, {0, 0, 16, 16}, 0, 0},
                        Case{kAGContextOptionAntialias, {1, 0, 16, 13}, 1, 5}}) {
    TestPort port(16, 16);
    AGContext ctx = port.Context();
    ctx.options = c.options;
    ctx.bounds = c.bounds;
    ctx.brush.SetStylePattern(kAGColorRed, 0x00000000u, 46);
    ctx.DrawPath(path, shift, kAGDrawModeFillAndStroke);
    SCOPED_TRACE(c.ax * 10 + c.ay);
    ExpectTile(port, 16, AGBrush::PatternTile(46), c.ax, c.ay, kOpaqueRed, 0);
  }
}

TEST(ContextPattern, PatternPenStrokesWithTheTileAndOpacityScalesBothColours) {
  TestPort port(16, 16);
  AGContext ctx = port.Context();
  ctx.options = kAGContextOptionAntialias;
  ctx.alpha = 0.5f;
  ctx.pen.SetSize(16);
  ctx.pen.SetSizeMode(kAGPenSizeModeAbsolute);
  ctx.pen.Brush().SetStylePattern(kAGColorRed, 0x0000FF80u, 3);
  ctx.DrawSegment({0, 8}, {16, 8});
  ExpectTile(port, 16, AGBrush::PatternTile(3), 0, 0, 0x80800000u, 0x40000040u);
}

// ---------------------------------------------------------------------------
// Gradients

// Red channel along the middle row of a 200 x 20 rectangle filled from
// black to red.
struct GradientRow {
  TestPort port{200, 20};
  AGContext ctx = port.Context();
  int At(int x) const { return int(port.Red(x, 10)); }
};

TEST(ContextGradient, LinearRunsFromFirstToSecondColourAcrossTheBox) {
  // Blend b puts the half-way colour at b of the way along the axis.
  struct Case {
    float blend;
    int halfway;
  };
  for (const Case& c : {Case{0.5f, 100}, Case{0.25f, 50}}) {
    GradientRow g;
    g.ctx.brush.SetStyleLinearGradient(kAGColorBlack, kAGColorRed, c.blend, 0.0f);
    g.ctx.DrawRect({0, 0, 200, 20});
    EXPECT_LE(g.At(0), 2) << c.blend;
    EXPECT_GE(g.At(199), 253) << c.blend;
    EXPECT_NEAR(g.At(c.halfway), 128, 3) << c.blend;
    EXPECT_EQ(g.port.Alpha(c.halfway, 10), 255u);
    for (int x = 1; x < 200; ++x) EXPECT_GE(g.At(x), g.At(x - 1));
  }
}

TEST(ContextGradient, LinearAngleTurnsTheAxisAndTheBoxFollowsThePath) {
  TestPort port(20, 200);
  AGContext ctx = port.Context();
  // Angle pi/2: first colour at the top, second at the bottom.
  ctx.brush.SetStyleLinearGradient(kAGColorBlack, kAGColorRed, 0.5f, float(kPi / 2));
  ctx.DrawRect({0, 0, 20, 200});
  EXPECT_GE(port.Red(10, 0), 253u);
  EXPECT_LE(port.Red(10, 199), 2u);
  EXPECT_NEAR(double(port.Red(10, 100)), 128.0, 3.0);

  // A path moved by its transform carries its gradient along.
  GradientRow g;
  g.ctx.brush.SetStyleLinearGradient(kAGColorBlack, kAGColorRed, 0.5f, 0.0f);
  g.ctx.DrawPath(RectPath({0, 0, 100, 20}), {1, 0, 0, 1, 100, 0}, kAGDrawModeFillAndStroke);
  EXPECT_EQ(g.port.Alpha(99, 10), 0u);
  EXPECT_LE(g.At(100), 4);
  EXPECT_NEAR(g.At(150), 128, 3);
}

TEST(ContextGradient, CustomCurveAndBoundsReplaceTheBlendAndThePathBox) {
  GradientRow g;
  AGBrushCustomGradient custom;
  // Ramp over the first half of the box, then the table's 0 (first colour).
  const float factors[2] = {0.0f, 1.0f}, positions[2] = {0.0f, 0.5f};
  custom.SetFactors(factors, positions, 2);
  custom.SetBounds({0, 0, 400, 20});  // twice as wide as the path
  g.ctx.brush.SetStyleLinearGradient(kAGColorBlack, kAGColorRed, custom, 0.0f);
  g.ctx.DrawRect({0, 0, 200, 20});
  EXPECT_LE(g.At(0), 2);
  EXPECT_NEAR(g.At(100), 128, 3);
  EXPECT_GE(g.At(198), 250);
  TestPort wide(400, 20);
  AGContext ctx = wide.Context();
  ctx.brush = g.ctx.brush;
  ctx.DrawRect({0, 0, 400, 20});
  EXPECT_LE(wide.Red(300, 10), 2u);
}

TEST(ContextGradient, RadialIsCircularOnTheShortSideAndStretchedToTheBox) {
  TestPort port(200, 100);
  AGContext ctx = port.Context();
  // Blend b puts the half-way colour at 1 - b of the radius 0.707 * 100.
  ctx.brush.SetStyleRadialGradient(kAGColorBlack, kAGColorRed, 0.75f, 0.5f, 0.5f);
  ctx.DrawRect({0, 0, 200, 100});
  EXPECT_LE(port.Red(100, 50), 6u);  // its centre is 0.7 from the gradient's
  EXPECT_NEAR(double(port.Red(100, 50 + 18)), 128.0, 4.0);
  EXPECT_NEAR(double(port.Red(100 + 35, 50)), 128.0, 4.0);  // twice as far along x
  EXPECT_GE(port.Red(0, 0), 250u);

  // The centre is given from the top left: (0.25, 0.25) is up and left.
  TestPort off(100, 100);
  AGContext c2 = off.Context();
  c2.brush.SetStyleRadialGradient(kAGColorBlack, kAGColorRed, 0.5f, 0.25f, 0.25f);
  c2.DrawRect({0, 0, 100, 100});
  EXPECT_LE(off.Red(25, 74), 3u);
  EXPECT_GE(off.Red(99, 0), 250u);
}

TEST(ContextFill, SolidAndPatternFollowTheFillModeGradientsFillByWinding) {
  // Two squares drawn the same way round: the inner one has winding number
  // 2. Solid and pattern fills leave it open under fill mode 0 (even-odd)
  // and fill it under fill mode 1 (non-zero winding); gradients fill it
  // under both, exactly as they fill the outer square alone (the gradient
  // box is the same 20 x 20 square either way).
  AGPath ring;
  ring.AddRect({0, 0, 20, 20});
  ring.AddRect({5, 5, 15, 15});
  const AGPath square = RectPath({0, 0, 20, 20});
  struct Case {
    const char* name;
    void (*paint)(AGBrush&);
    bool followsFillMode;
  };
  const Case cases[] = {
      {"solid", [](AGBrush& b) { b = SolidBrush(kAGColorRed); }, true},
      {"pattern", [](AGBrush& b) { b.SetStylePattern(kAGColorRed, kAGColorBlue, 46); }, true},
      {"linear",
       [](AGBrush& b) { b.SetStyleLinearGradient(kAGColorRed, kAGColorBlue, 0.5f, 0.0f); }, false},
      {"radial",
       [](AGBrush& b) { b.SetStyleRadialGradient(kAGColorRed, kAGColorBlue, 0.5f, 0.5f, 0.5f); },
       false},
  };
  for (const Case& c : cases) {
    for (uint32_t mode : {kAGBrushFillModeEvenOdd, kAGBrushFillModeWinding}) {
      SCOPED_TRACE(testing::Message() << c.name << " mode " << mode);
      TestPort port(20, 20), whole(20, 20);
      AGContext ctx = port.Context(), plain = whole.Context();
      c.paint(ctx.brush);
      ctx.brush.SetFillMode(mode);
      plain.brush = ctx.brush;
      ctx.DrawPath(ring);
      plain.DrawPath(square);
      const bool hole = c.followsFillMode && mode == kAGBrushFillModeEvenOdd;
      EXPECT_EQ(port.Count(0, 5, 5, 15, 15), hole ? 100 : 0);
      EXPECT_EQ(port.CountAll(0), hole ? 100 : 0);
      // Every pixel but the hole's is the plain square's.
      int differ = 0;
      for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
          const bool inHole = hole && x >= 5 && x < 15 && y >= 5 && y < 15;
          differ += !inHole && port.At(x, y) != whole.At(x, y);
        }
      }
      EXPECT_EQ(differ, 0);
      EXPECT_EQ(whole.CountAll(0), 0);
    }
  }
}

// ---------------------------------------------------------------------------
// Text

TEST(ContextText, GlyphOutlinesOfDejaVuSansInkWhereTheFontPutsThem) {
  // "H" at 48 points from (10, 10): stems x 14.71..19.45 and 36.65..41.38,
  // height 0..34.99, crossbar y 16.66..20.65 (font units 201, 403, 1137,
  // 1339, 1493, 711, 881 at 48/2048).
  TestPort port(60, 60);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.DrawText("H", AGFont(kDejaVu, 48.0f, 0), {10, 10}, kAGAffineTransformIdentity,
               kAGTextAlignmentLeft);
  EXPECT_EQ(port.InkBox(), (AGRect{14, 10, 42, 45}));
  for (auto [x, y] : {std::pair{17, 40}, {39, 40}, {17, 12}, {28, 28}})
    EXPECT_EQ(port.At(x, y), kOpaqueRed) << x << "," << y;
  for (auto [x, y] : {std::pair{28, 40}, {28, 15}, {17, 8}})
    EXPECT_EQ(port.At(x, y), 0u) << x << "," << y;

  // "o" is drawn with quadratic curves: ink x 113..1141, y -29..1147, area
  // 538210.25 square units (fontTools' AreaPen), 295.65 square points.
  TestPort round(60, 60);
  AGContext o = round.Context();
  o.brush = SolidBrush(kAGColorRed);
  o.DrawText("o", AGFont(kDejaVu, 48.0f, 0), {10, 10}, kAGAffineTransformIdentity,
             kAGTextAlignmentLeft);
  EXPECT_EQ(round.InkBox(), (AGRect{12, 9, 37, 37}));
  EXPECT_EQ(round.At(24, 10), kOpaqueRed);  // bottom of the ring
  EXPECT_EQ(round.At(24, 22), 0u);          // its hole
  double area = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) area += round.Alpha(x, y) / 255.0;
  // Curves are filled as chords that lie up to 0.1 pixel inside them: the
  // slivers under the chords (about 2 here) are lost, nothing is gained.
  EXPECT_GT(area, 295.65 - 3.0);
  EXPECT_LT(area, 295.65 + 0.5);

  // The drawing's transform moves the text; empty text, a missing font or
  // an invisible brush draw nothing.
  TestPort moved(60, 60);
  AGContext m = moved.Context();
  m.brush = SolidBrush(kAGColorRed);
  m.DrawUText(Units(u"H"), AGFont(kDejaVu, 48.0f, 0), {10, 10}, {1, 0, 0, 1, 5, -5},
              kAGTextAlignmentLeft);
  EXPECT_EQ(moved.InkBox(), (AGRect{19, 5, 47, 40}));
  m.transform = {1, 0, 0, 1, 100, 100};  // the rest would land outside
  m.DrawText("", AGFont(kDejaVu, 48.0f, 0), {-100, -100}, kAGAffineTransformIdentity,
             kAGTextAlignmentLeft);
  m.DrawText("H", AGFont("No Such Family", 48.0f, 0), {-100, -100}, kAGAffineTransformIdentity,
             kAGTextAlignmentLeft);
  m.transform = kAGAffineTransformIdentity;
  m.brush = kAGNullBrush;
  m.DrawText("H", AGFont(kDejaVu, 48.0f, 0), {0, 0}, kAGAffineTransformIdentity,
             kAGTextAlignmentLeft);
  EXPECT_EQ(moved.InkBox(), (AGRect{19, 5, 47, 40}));
}

// ---------------------------------------------------------------------------
// Images

TEST(ContextImage, ImageKeepsItsFirstRowOnTopAndScalesWithItsTransform) {
  TestPort source(4, 2);
  AGContext s = source.Context();
  s.brush = SolidBrush(kAGColorRed);
  s.DrawRect({0, 0, 4, 1});  // bottom row red
  s.brush = SolidBrush(kAGColorBlue);
  s.DrawRect({0, 1, 1, 2});  // top left pixel blue
  AGNativeImagePtr image;
  ASSERT_EQ(AGGraphicsLow::AGNativeImageCreateFromPort(source.Port(), &image), 0);
  EXPECT_EQ(AGGraphicsLow::AGNativeImageGetSize(image.get()), (AGSize{4, 2}));
  s.ClearPixels(kAGColorGreen);  // the image is a copy

  TestPort port(12, 8);
  AGContext ctx = port.Context();
  EXPECT_TRUE(
      AGGraphicsLow::AGContextDrawImage(ctx, image.get(), {1, 1}, {2, 0, 0, 2, 0, 0}, false));
  EXPECT_EQ(port.Count(kOpaqueRed, 2, 2, 10, 4), 16);
  EXPECT_EQ(port.Count(kOpaqueBlue, 2, 4, 4, 6), 4);
  EXPECT_EQ(port.InkBox(), (AGRect{2, 2, 10, 6}));

  TestPort faint(4, 2);
  AGContext f = faint.Context();
  f.alpha = 0.5f;
  f.SetClipRect({0, 0, 2, 2});
  EXPECT_TRUE(
      AGGraphicsLow::AGContextDrawImage(f, image.get(), {0, 0}, kAGAffineTransformIdentity, true));
  EXPECT_EQ(faint.At(1, 0), 0x80800000u);
  EXPECT_EQ(faint.At(3, 0), 0u);
  f.alpha = 0.001f;
  EXPECT_FALSE(
      AGGraphicsLow::AGContextDrawImage(f, image.get(), {0, 0}, kAGAffineTransformIdentity, true));
  EXPECT_FALSE(
      AGGraphicsLow::AGContextDrawImage(ctx, nullptr, {0, 0}, kAGAffineTransformIdentity, true));
}

TEST(ContextImage, ImageFromPixelsCopiesRowsSkippingTheirPadding) {
  // Two rows of two pixels, three words apart; the first row is the top.
  const uint32_t pixels[6] = {kOpaqueRed, kOpaqueBlue, 0xDEADBEEFu, kOpaqueGreen, 0, 0xDEADBEEFu};
  AGNativeImagePtr image;
  EXPECT_EQ(AGGraphicsLow::AGNativeImageCreateWithPixels(pixels, 2, 2, 4, &image), kQVErrDrawPort);
  ASSERT_EQ(AGGraphicsLow::AGNativeImageCreateWithPixels(pixels, 2, 2, 12, &image), 0);
  AGNativeBitmapInfo info;
  ASSERT_TRUE(AGGraphicsLow::AGNativeImageGetPixels(image.get(), &info));
  const uint32_t* second = reinterpret_cast<const uint32_t*>(
      reinterpret_cast<const char*>(info.data) + info.bytesPerRow);
  EXPECT_EQ(info.data[1], kOpaqueBlue);
  EXPECT_EQ(second[0], kOpaqueGreen);

  TestPort port(2, 2);
  AGGraphicsLow::AGContextDrawImage(port.Context(), image.get(), {0, 0}, kAGAffineTransformIdentity,
                                    false);
  EXPECT_EQ(port.At(0, 1), kOpaqueRed);
  EXPECT_EQ(port.At(1, 1), kOpaqueBlue);
  EXPECT_EQ(port.At(0, 0), kOpaqueGreen);
  EXPECT_EQ(port.At(1, 0), 0u);
}

// ---------------------------------------------------------------------------
// Ports

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ContextPort, FilePortsWriteCompleteFilesWhenFinished) {
  struct Case {
    AGNativePortKind kind;
    const char* name;
    std::string magic;
  };
  for (const Case& c :
       {Case{kAGNativePortPNG, "t.png", "\x89PNG"}, Case{kAGNativePortSVG, "t.svg", "<?xml"},
        Case{kAGNativePortPDF, "t.pdf", "%PDF"}}) {
    std::string path = ::testing::TempDir() + c.name;
    std::remove(path.c_str());
    AGNativePortPtr port;
    ASSERT_EQ(AGGraphicsLow::AGNativePortCreateFile(path.c_str(), c.kind, {30.4, 20}, &port), 0);
    EXPECT_EQ(AGGraphicsLow::AGNativePortGetBounds(port.get()),
              c.kind == kAGNativePortPNG ? (AGRect{0, 0, 30, 20}) : (AGRect{0, 0, 30.4, 20}));
    AGContext ctx(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get()));
    ctx.brush = SolidBrush(kAGColorRed);
    EXPECT_TRUE(ctx.DrawPath(RectPath({2, 2, 10, 10}), 0));
    EXPECT_EQ(AGGraphicsLow::AGNativePortFinish(port.get()), 0);
    EXPECT_EQ(AGGraphicsLow::AGNativePortFinish(port.get()), 0);
    EXPECT_FALSE(ctx.DrawPath(RectPath({2, 2, 10, 10}), 0));  // finished: nothing more
    EXPECT_EQ(ReadFile(path).compare(0, c.magic.size(), c.magic), 0) << c.name;
  }
}

TEST(ContextPort, PortsIntoAnOpenFileWriteWhatPortsIntoAPathWrite) {
  // PNG files come out the same byte for byte; SVG files number their
  // surfaces and PDF files carry their creation time, so those are compared
  // by what they must hold.
  struct Case {
    AGNativePortKind kind;
    const char* extension;
    std::string holds;  // empty: the same bytes
  };
  for (const Case& c : {Case{kAGNativePortPNG, ".png", ""},
                        Case{kAGNativePortSVG, ".svg", "d=\"M 2 18 L 10 18 L 10 10 L 2 10 Z"},
                        Case{kAGNativePortPDF, ".pdf", "%PDF"}}) {
    SCOPED_TRACE(c.extension);
    const std::string byPath = ::testing::TempDir() + "by-path" + c.extension;
    const std::string byFile = ::testing::TempDir() + "by-file" + c.extension;
    QVFile file{QVFilePath(byFile.c_str())};
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    for (bool intoFile : {false, true}) {
      AGNativePortPtr port;
      ASSERT_EQ(intoFile ? AGGraphicsLow::AGNativePortCreateForFile(file, c.kind, {30, 20}, &port)
                         : AGGraphicsLow::AGNativePortCreateFile(byPath.c_str(), c.kind, {30, 20},
                                                                 &port),
                0);
      {
        AGContext ctx(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get()));
        ctx.brush = SolidBrush(kAGColorRed);
        EXPECT_TRUE(ctx.DrawPath(RectPath({2, 2, 10, 10}), 0));
      }
      EXPECT_EQ(AGGraphicsLow::AGNativePortFinish(port.get()), 0);
    }
    ASSERT_EQ(file.Close(), 0);
    const std::string written = ReadFile(byFile);
    ASSERT_GT(written.size(), 8u);
    if (c.holds.empty()) {
      EXPECT_EQ(written, ReadFile(byPath));
    } else {
      EXPECT_NE(written.find(c.holds), std::string::npos) << written;
      EXPECT_NE(ReadFile(byPath).find(c.holds), std::string::npos);
    }
  }
  // A file that cannot be written is refused before anything is drawn.
  QVFile closed{QVFilePath("closed.png")};
  AGNativePortPtr port;
  EXPECT_EQ(AGGraphicsLow::AGNativePortCreateForFile(closed, kAGNativePortPNG, {3, 3}, &port),
            kQVErrDrawFile);
  EXPECT_FALSE(port);
}

TEST(ContextPort, RefusedPortsReportTheirCode) {
  AGNativePortPtr port;
  EXPECT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(0, 5, &port), kQVErrDrawPort);
  EXPECT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(40000, 5, &port), kQVErrDrawPort);
  uint32_t pixels[4] = {};
  EXPECT_EQ(AGGraphicsLow::AGNativePortCreateBitmapWithData(pixels, 2, 2, 4, &port),
            kQVErrDrawPort);
  EXPECT_EQ(AGGraphicsLow::AGNativePortCreateBitmapWithData(nullptr, 2, 2, 8, &port),
            kQVErrDrawPort);
  EXPECT_FALSE(port);
  const std::string missing = ::testing::TempDir() + "no/such/dir/t.";
  for (AGNativePortKind kind : {kAGNativePortSVG, kAGNativePortPDF}) {
    EXPECT_EQ(
        AGGraphicsLow::AGNativePortCreateFile((missing + "svg").c_str(), kind, {10, 10}, &port),
        kQVErrDrawFile);
  }
  EXPECT_EQ(AGGraphicsLow::AGNativePortCreateFile("x.svg", kAGNativePortSVG, {0, 10}, &port),
            kQVErrDrawFile);
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateFile((missing + "png").c_str(), kAGNativePortPNG,
                                                  {10, 10}, &port),
            0);
  EXPECT_EQ(AGGraphicsLow::AGNativePortFinish(port.get()), kQVErrDrawFile);

  // A port over the caller's pixels draws into them.
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmapWithData(pixels, 2, 2, 8, &port), 0);
  AGContext ctx(port.get(), {0, 0, 2, 2});
  EXPECT_TRUE(ctx.ClearPixels(kAGColorRed));
  AGNativeBitmapInfo info;
  EXPECT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info));
  EXPECT_EQ(pixels[3], kOpaqueRed);
  AGNativeImagePtr image;
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateFile((::testing::TempDir() + "v.svg").c_str(),
                                                  kAGNativePortSVG, {10, 10}, &port),
            0);
  EXPECT_EQ(AGGraphicsLow::AGNativeImageCreateFromPort(port.get(), &image), kQVErrDrawPort);
  EXPECT_FALSE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info));
}

}  // namespace
