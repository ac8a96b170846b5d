// Geometry far beyond the port, as a deep zoom makes it: lines, fills,
// curves, joins, clips, gradients, patterns, dashes and images that reach
// millions of pixels away (beyond the drawing service's fixed-point range
// of about 8.4 million) draw exactly what they cover inside the port, and
// geometry that lies far away draws nothing.
#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "graphics/AGContextTestPort.h"
#include "graphics/AGImage.h"

namespace {

AGAffineTransform Scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

AGPath Polyline(std::initializer_list<AGPoint> points, bool close) {
  AGPath path;
  ATNumberArray<AGPoint> array;
  for (const AGPoint& p : points) array.Append(p);
  path.AddLines(array, close);
  return path;
}

// ---------------------------------------------------------------------------
// Lines and fills crossing the port

TEST(FarGeometry, LinesReachingFarBeyondThePortStrokeTheirPixels) {
  struct Case {
    AGPoint a, b;
    int x1, y1, x2, y2;  // the pixels covered, all others clear
  };
  // Width 2 about y = 2 (or x = 2): rows (columns) 1 and 2.
  const Case cases[] = {
      {{0, 2}, {9e6, 2}, 0, 1, 4, 3},
      {{9e6, 2}, {0, 2}, 0, 1, 4, 3},
      {{-9e6, 2}, {9e6, 2}, 0, 1, 4, 3},
      {{-3e7, 2}, {3e7, 2}, 0, 1, 4, 3},
      {{2, -9e6}, {2, 9e6}, 1, 0, 3, 4},
      {{2, 1e12}, {2, -1e12}, 1, 0, 3, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y);
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    ctx.pen = SolidPen(kAGColorRed, 2);
    ctx.DrawSegment(c.a, c.b);
    port.ExpectRect(kOpaqueRed, c.x1, c.y1, c.x2, c.y2);
  }
}

TEST(FarGeometry, FillsReachingFarBeyondThePortCoverExactlyTheirPixels) {
  struct Case {
    AGRect rect;
    AGAffineTransform t;
    int x1, y1, x2, y2;
  };
  const AGAffineTransform id = kAGAffineTransformIdentity;
  const Case cases[] = {
      {{0, 0, 9e6, 3}, id, 0, 0, 4, 3},
      {{-9e6, 1, 9e6, 9e6}, id, 0, 1, 4, 4},
      {{-2e7, -2e7, 2e7, 2}, id, 0, 0, 4, 2},
      // A unit square under a deep zoom: once within the fixed-point range,
      // once past it (where the coordinates used to wrap), once far past it.
      {{0, 0, 1, 1}, Scale(9e6, 9e6), 0, 0, 4, 4},
      {{0, 0, 1, 1}, Scale(2e7, 2e7), 0, 0, 4, 4},
      {{0, 0, 1, 1}, Scale(1e12, 1e12), 0, 0, 4, 4},
      {{-1, -1, 1, 1}, Scale(1e15, 3), 0, 0, 4, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rect.x2 << " scaled " << c.t.a);
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(kAGColorRed);
    EXPECT_TRUE(ctx.DrawPath(RectPath(c.rect), c.t, kAGDrawModeFillAndStroke));
    port.ExpectRect(kOpaqueRed, c.x1, c.y1, c.x2, c.y2);
  }
}

TEST(FarGeometry, GeometryFarFromThePortDrawsNothing) {
  // 2^24 pixels away: exactly where the fixed-point coordinates wrap back to 0.
  const double wrap = 16777216.0;
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.pen = SolidPen(kAGColorRed, 2);
  ctx.DrawRect({wrap, 0, wrap + 4, 4});
  ctx.DrawRect({-wrap, 0, -wrap + 4, 4});
  ctx.DrawRect({0, wrap, 4, wrap + 4});
  ctx.DrawSegment({wrap, 2}, {wrap + 4, 2});
  ctx.DrawPath(RectPath({0, 0, 1, 1}), AGAffineTransformConcatTranslation(Scale(4, 4), wrap, 0),
               kAGDrawModeFillAndStroke);
  EXPECT_EQ(port.CountAll(0), 16);
}

TEST(FarGeometry, ClearingBoundsFarLargerThanThePortPaintsEveryPixel) {
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  ctx.bounds = {-1e7, -3e7, 1.2e7, 2e7};
  EXPECT_TRUE(ctx.ClearPixels(kAGColorRed));
  EXPECT_EQ(port.CountAll(kOpaqueRed), 16);
}

TEST(FarGeometry, StrokeJustOutsideThePortStillShowsWhatReachesIn) {
  // A sharp corner at x = -4 pointing right, with arms of slope 20/98: its
  // miter tip lies 1 / sin(atan(20 / 98)) = 5.0 half-widths past the corner,
  // at x = 1, so the stroke's box misses the port but its miter reaches in.
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  ctx.pen = SolidPen(kAGColorRed, 2);
  ctx.DrawPath(Polyline({{-102, -18}, {-4, 2}, {-102, 22}}, false), kAGDrawModeStrokeOnly);
  EXPECT_GT(port.Alpha(0, 1), 0u);
  EXPECT_EQ(port.Alpha(0, 1), port.Alpha(0, 2));
  EXPECT_EQ(port.Alpha(1, 1), 0u);
}

// ---------------------------------------------------------------------------
// Fill rules, curves and joins

TEST(FarGeometry, BothFillRulesKeepTheirAreaWhenFarGeometryIsClipped) {
  // Two squares the same way round: the port's columns 0 and 1 lie in the
  // outer one only, columns 2 and 3 in both.
  AGPath twice;
  twice.AddRect({-2e7, -2e7, 2e7, 2e7});
  twice.AddRect({2, -1e7, 1e7, 1e7});
  for (uint32_t mode : {kAGBrushFillModeEvenOdd, kAGBrushFillModeWinding}) {
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(kAGColorRed);
    ctx.brush.SetFillMode(mode);
    ctx.DrawPath(twice);
    if (mode == kAGBrushFillModeWinding) {
      port.ExpectRect(kOpaqueRed, 0, 0, 4, 4);
    } else {
      port.ExpectRect(kOpaqueRed, 0, 0, 2, 4);
    }
  }
}

TEST(FarGeometry, CurvesCrossingThePortFromFarAwayStayExact) {
  // The parabola y = 2 + x^2 / 4e7 (a quadratic from (-2e7, 2 + 1e7) over
  // (0, 2 - 1e7) to (2e7, 2 + 1e7)): within the port it lies within 4e-7 of
  // y = 2, so the area below it covers rows 0 and 1, and a stroke of width
  // 2 along it rows 1 and 2.
  AGPath below;
  below.StartSubPath({-2e7, -1e7});
  below.AddLine({-2e7, 2 + 1e7});
  below.AddQuadBezier({0, 2 - 1e7}, {2e7, 2 + 1e7});
  below.AddLine({2e7, -1e7});
  below.CloseSubPath();
  AGPath arc;
  arc.StartSubPath({-2e7, 2 + 1e7});
  arc.AddQuadBezier({0, 2 - 1e7}, {2e7, 2 + 1e7});
  // A cubic along y = 2 whose control points lie far beyond the range.
  AGPath flat;
  flat.StartSubPath({-3e7, 2});
  flat.AddCubicBezier({-1e7, 2}, {1e7, 2}, {3e7, 2});

  struct Case {
    const AGPath* path;
    bool fill;
    int y1, y2;
  };
  for (const Case& c : {Case{&below, true, 0, 2}, Case{&arc, false, 1, 3},
                        Case{&flat, false, 1, 3}}) {
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    if (c.fill) {
      ctx.brush = SolidBrush(kAGColorRed);
    } else {
      ctx.pen = SolidPen(kAGColorRed, 2);
    }
    ctx.DrawPath(*c.path);
    SCOPED_TRACE(c.y1);
    port.ExpectRect(kOpaqueRed, 0, c.y1, 4, c.y2);
  }
}

TEST(FarGeometry, JoinsInsideThePortSurviveTheClipping) {
  // A corner at (2, 2) between lines running ten million pixels away, as an
  // open polyline and as the start of a closed rectangle, draws the pixels
  // of the same corner between lines 10 pixels long. Width 2: the bands are
  // rows 1-2 (x >= 2) and columns 1-2 (y >= 2); the join fills the outer
  // corner pixel (1, 1) whole with a miter, about half with a bevel.
  struct Shape {
    AGPath far, near;
  };
  AGPath farRect, nearRect;
  farRect.AddRect({2, 2, 1e7, 1e7});
  nearRect.AddRect({2, 2, 12, 12});
  const Shape shapes[] = {
      {Polyline({{1e7, 2}, {2, 2}, {2, 1e7}}, false), Polyline({{12, 2}, {2, 2}, {2, 12}}, false)},
      {farRect, nearRect},
  };
  for (const Shape& shape : shapes) {
    for (uint32_t join : {kAGPenLineJoinMiter, kAGPenLineJoinBevel, kAGPenLineJoinRound}) {
      TestPort far(4, 4), near(4, 4);
      for (TestPort* port : {&far, &near}) {
        AGContext ctx = port->Context();
        ctx.pen = SolidPen(kAGColorRed, 2);
        ctx.pen.SetLineJoin(join);
        ctx.DrawPath(port == &far ? shape.far : shape.near, kAGDrawModeStrokeOnly);
      }
      SCOPED_TRACE(testing::Message() << (&shape == shapes ? "open" : "closed") << " join "
                                      << join);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(far.At(x, y), near.At(x, y)) << x << "," << y;
      EXPECT_EQ(far.Count(kOpaqueRed, 2, 1, 4, 3), 4);
      EXPECT_EQ(far.Count(kOpaqueRed, 1, 2, 3, 4), 4);
      if (join == kAGPenLineJoinMiter) {
        EXPECT_EQ(far.At(1, 1), kOpaqueRed);
      } else {
        EXPECT_GT(far.Alpha(1, 1), 64u);
        EXPECT_LT(far.Alpha(1, 1), 255u);
      }
      EXPECT_EQ(far.Count(0, 0, 0, 4, 1) + far.Count(0, 0, 1, 1, 4) + (far.At(3, 3) == 0), 8);
    }
  }
}

// ---------------------------------------------------------------------------
// Clips and paints

TEST(FarGeometry, ClipPathsReachingFarBeyondThePortClipExactly) {
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.SetClipRect({-1e7, -1e7, 1e7, 2});
  ctx.DrawRect({0, 0, 4, 4});
  port.ExpectRect(kOpaqueRed, 0, 0, 4, 2);

  // A clip that lies far away leaves nothing to draw in.
  TestPort far(4, 4);
  AGContext farCtx = far.Context();
  farCtx.brush = SolidBrush(kAGColorRed);
  farCtx.SetClipRect({16777216.0, 0, 16777220.0, 4});
  farCtx.DrawRect({-1e8, -1e8, 1e8, 1e8});
  EXPECT_EQ(far.CountAll(0), 16);
}

TEST(FarGeometry, GradientsAndPatternsSpanningFarKeepTheirColours) {
  // Each box runs from a million pixels before the port to twelve million
  // past it.
  const AGRect box = {-1e6, -1e6, 1.2e7, 1.2e7};
  {
    // Black to red along x: the port lies 1/13 of the way, where the red
    // channel is 255 / 13 = 19.6.
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    ctx.brush.SetStyleLinearGradient(kAGColorBlack, kAGColorRed, 0.5f, 0.0f);
    ctx.DrawRect(box);
    EXPECT_EQ(port.CountAll(port.At(0, 0)), 16);
    EXPECT_EQ(port.Alpha(0, 0), 255u);
    EXPECT_NEAR(double(port.Red(0, 0)), 19.6, 1.0);
  }
  {
    // Centred 0.077 of the box from its left and bottom edges: at (1000,
    // 1000), some 1.5e-4 of the radius from the port, which shows the first
    // colour.
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    ctx.brush.SetStyleRadialGradient(kAGColorRed, kAGColorBlue, 0.5f, 0.077f, 0.923f);
    ctx.DrawRect(box);
    EXPECT_EQ(port.CountAll(kOpaqueRed), 16);
  }
  {
    // The 8x8 grid stays on the bounds' corner.
    TestPort port(16, 16);
    AGContext ctx = port.Context();
    ctx.options = kAGContextOptionAntialias;
    ctx.brush.SetStylePattern(kAGColorRed, kAGColorBlue, 46);
    ctx.DrawRect(box);
    const uint64_t tile = AGBrush::PatternTile(46);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        wrong += port.At(x, y) != ((tile >> ((y % 8) * 8 + x % 8)) & 1 ? kOpaqueRed : kOpaqueBlue);
    EXPECT_EQ(wrong, 0);
  }
}

TEST(FarGeometry, DashedLineKeepsItsDashesWhereTheZoomPutsThem) {
  // 400 dashes of a prolongation line (gap 8, dash 16, period 24), zoomed
  // 2000 times along the line and moved so that dash 200 begins at x = 1:
  // the line runs from about -9.6 to +9.6 million pixels.
  AGPath dashes;
  for (int i = 0; i < 400; ++i) dashes.AddRect({24.0 * i + 8, 0, 24.0 * i + 24, 3});
  const AGAffineTransform zoom =
      AGAffineTransformConcatTranslation(Scale(2000, 1), -(24.0 * 200 + 8) * 2000 + 1, 0);
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.DrawPath(dashes, zoom, kAGDrawModeFillAndStroke);
  port.ExpectRect(kOpaqueRed, 1, 0, 4, 3);
}

TEST(FarGeometry, ImagesZoomedFarBeyondThePortShowTheirPixels) {
  // A 2 x 2 image zoomed 9 million times, with the middle of its top right
  // pixel on the port's corner (image space has its first row at the top,
  // y up): the port shows that pixel only.
  const uint32_t pixels[4] = {kOpaqueRed, kOpaqueGreen, kOpaqueBlue, 0xFF808080u};
  AGNativeImagePtr native;
  ASSERT_EQ(AGGraphicsLow::AGNativeImageCreateWithPixels(pixels, 2, 2, 8, &native), 0);
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  AGAffineTransform zoom =
      AGAffineTransformConcatTranslation(Scale(9e6, 9e6), -1.5 * 9e6, -1.5 * 9e6);
  EXPECT_TRUE(AGGraphicsLow::AGContextDrawImage(ctx, native.get(), kAGNullPoint, zoom, false));
  EXPECT_EQ(port.CountAll(kOpaqueGreen), 16);

  // Far away it draws nothing.
  TestPort far(4, 4);
  AGContext farCtx = far.Context();
  AGAffineTransform away = AGAffineTransformConcatTranslation(Scale(2, 2), 16777216.0, 0);
  AGGraphicsLow::AGContextDrawImage(farCtx, native.get(), kAGNullPoint, away, false);
  EXPECT_EQ(far.CountAll(0), 16);
}

}  // namespace
