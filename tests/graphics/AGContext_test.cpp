#include "graphics/AGContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "graphics/AGContextTestPort.h"

namespace {

constexpr AGAffineTransform kIdentity = kAGAffineTransformIdentity;

// ---------------------------------------------------------------------------
// The record itself

TEST(ContextState, NewContextHoldsDefaultsAndCopiesOwnTheirClip) {
  AGContext ctx(nullptr, {0, 0, 10, 20});
  EXPECT_EQ(ctx.options, 3u);
  EXPECT_EQ(ctx.alpha, 1.0f);
  EXPECT_FALSE(ctx.HasClip());
  EXPECT_TRUE(ctx.GetClipPath().IsEmpty());
  EXPECT_EQ(ctx.brush, kAGNullBrush);
  EXPECT_EQ(ctx.pen, kAGNullPen);
  EXPECT_EQ(ctx.transform, kIdentity);

  ctx.SetClipRect({5, 5, 1, 1});  // reversed: normalised
  ASSERT_TRUE(ctx.HasClip());
  EXPECT_EQ(ctx.GetClipPath().GetBoundingBox(), (AGRect{1, 1, 5, 5}));
  AGContext copy(ctx);
  AGContext assigned;
  assigned = ctx;
  ASSERT_TRUE(copy.HasClip() && assigned.HasClip());
  EXPECT_NE(copy.clipPath.get(), ctx.clipPath.get());
  EXPECT_NE(assigned.clipPath.get(), ctx.clipPath.get());
  copy.clipPath->AddRect({0, 0, 50, 50});
  EXPECT_EQ(ctx.GetClipPath().GetBoundingBox(), (AGRect{1, 1, 5, 5}));
  AGContext& self = assigned;
  assigned = self;
  EXPECT_EQ(assigned.GetClipPath().GetBoundingBox(), (AGRect{1, 1, 5, 5}));
}

TEST(ContextState, EmptyClipsLeaveTheContextUnclippedAndResetAllKeepsPortAndBounds) {
  TestPort port(4, 4);
  AGContext ctx = port.Context();
  for (const AGRect& r : {AGRect{1, 1, 1, 5}, AGRect{1, 1, 5, 1}, AGRect{0, 0, 0, 0}}) {
    ctx.SetClipRect({0, 0, 2, 2});
    ctx.SetClipRect(r);
    EXPECT_FALSE(ctx.HasClip());
  }
  ctx.SetClipRect({0, 0, 2, 2});
  ctx.SetClipPath(AGPath());
  EXPECT_FALSE(ctx.HasClip());

  ctx.SetClipRect({0, 0, 2, 2});
  ctx.options = 0;
  ctx.alpha = 0.5f;
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.pen = SolidPen(kAGColorRed, 2);
  ctx.transform = {2, 0, 0, 2, 1, 1};
  ctx.ResetAll();
  EXPECT_FALSE(ctx.HasClip());
  EXPECT_EQ(ctx.options, 3u);
  EXPECT_EQ(ctx.alpha, 1.0f);
  EXPECT_EQ(ctx.brush, kAGNullBrush);
  EXPECT_EQ(ctx.pen, kAGNullPen);
  EXPECT_EQ(ctx.transform, kIdentity);
  EXPECT_EQ(ctx.nativePort, port.Port());
  EXPECT_EQ(ctx.bounds, (AGRect{0, 0, 4, 4}));
}

// ---------------------------------------------------------------------------
// Fills: coverage, orientation, colour, opacity

TEST(ContextFill, SolidRectCoversExactlyItsPixelsWithYUp) {
  TestPort port(10, 12);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.DrawRect({2, 0, 7, 3});
  // The bottom of kit coordinates is the last row of memory.
  port.ExpectRect(kOpaqueRed, 2, 0, 7, 3);
  AGNativeBitmapInfo info;
  ASSERT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.Port(), &info));
  const uint32_t* lastRow = reinterpret_cast<const uint32_t*>(
      reinterpret_cast<const char*>(info.data) + 11 * info.bytesPerRow);
  EXPECT_EQ(lastRow[2], kOpaqueRed);
  EXPECT_EQ(info.data[2], 0u);
}

TEST(ContextFill, ColourAlphaAndContextAlphaBothGivePremultipliedPixels) {
  struct Case {
    AGColor color;
    float alpha;
    uint32_t word;
  };
  for (const Case& c :
       {Case{0xFF000080u, 1.0f, 0x80800000u}, Case{0xFF0000FFu, 0.5f, 0x80800000u},
        Case{0x00FF00FFu, 2.0f, kOpaqueGreen}, Case{0xFF000080u, 0.5f, 0x40400000u}}) {
    TestPort port(4, 4);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(c.color);
    ctx.alpha = c.alpha;
    ctx.DrawRect({0, 0, 4, 4});
    uint32_t w = port.At(1, 1);
    EXPECT_NEAR(double(w >> 24), double(c.word >> 24), 1.0) << std::hex << w;
    EXPECT_NEAR(double((w >> 16) & 0xFF), double((c.word >> 16) & 0xFF), 1.0) << std::hex << w;
    EXPECT_NEAR(double((w >> 8) & 0xFF), double((c.word >> 8) & 0xFF), 1.0) << std::hex << w;
  }
}

TEST(ContextFill, AlphaBelowOneHundredthDrawsNothingNotEvenTheStroke) {
  for (float alpha : {0.005f, 0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 0.01f}) {
    TestPort port(8, 8);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(kAGColorRed);
    ctx.pen = SolidPen(kAGColorBlue, 2);
    ctx.alpha = alpha;
    ctx.DrawRect({2, 2, 6, 6});
    ctx.DrawSegment({0, 1}, {8, 1});
    bool drawn = port.InkBox() != kAGNullRect;
    EXPECT_EQ(drawn, alpha == 0.01f) << alpha;
  }
}

TEST(ContextFill, TransformsApplyPathOwnFirstThenTheContexts) {
  TestPort port(12, 12);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.transform = {2, 0, 0, 2, 0, 0};
  EXPECT_TRUE(ctx.DrawPath(RectPath({0, 0, 1, 1}), {1, 0, 0, 1, 3, 1}, kAGDrawModeFillAndStroke));
  port.ExpectRect(kOpaqueRed, 6, 2, 8, 4);
}

TEST(ContextFill, PathFittedIntoRectStretchesOrKeepsProportions) {
  AGPath wide = RectPath({10, 10, 12, 11});  // 2 x 1
  struct Case {
    bool proportional;
    int y1, y2;
  };
  for (const Case& c : {Case{false, 0, 8}, Case{true, 2, 6}}) {
    TestPort port(8, 8);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(kAGColorRed);
    EXPECT_TRUE(ctx.DrawPath(wide, {0, 0, 8, 8}, c.proportional, kAGDrawModeFillAndStroke));
    port.ExpectRect(kOpaqueRed, 0, c.y1, 8, c.y2);
  }
  TestPort port(8, 8);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  AGPath flat;
  flat.AddSegment({0, 1}, {5, 1});
  EXPECT_FALSE(ctx.DrawPath(flat, {0, 0, 8, 8}, false, kAGDrawModeFillAndStroke));
  EXPECT_FALSE(ctx.DrawPath(AGPath(), {0, 0, 8, 8}, false, kAGDrawModeFillAndStroke));
}

TEST(ContextFill, ShapesNormaliseTheirRectAndSkipEmptyOnesOrInvisibleBrushAndPen) {
  TestPort port(8, 8);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.DrawRect({6, 5, 2, 1});
  port.ExpectRect(kOpaqueRed, 2, 1, 6, 5);

  TestPort empty(8, 8);
  AGContext none = empty.Context();
  none.brush = SolidBrush(kAGColorRed);
  none.DrawRect({3, 1, 3, 6});
  none.DrawEllipseInRect({1, 1, 6, 1});
  none.DrawRoundedRect({1, 1, 1, 1}, 0.5);
  none.brush = SolidBrush(0xFF000000u);  // alpha 0
  none.DrawRect({0, 0, 8, 8});
  none.DrawSegment({0, 4}, {8, 4});  // no pen
  EXPECT_EQ(empty.InkBox(), kAGNullRect);
}

TEST(ContextFill, EvenOddLeavesOverlapsOpenWhereWindingFillsThem) {
  AGPath twice;
  twice.AddRect({0, 0, 6, 6});
  twice.AddRect({3, 3, 9, 9});  // same direction: winding 2 in the overlap
  for (uint32_t mode : {kAGBrushFillModeEvenOdd, kAGBrushFillModeWinding}) {
    TestPort port(10, 10);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(kAGColorRed);
    ctx.brush.SetFillMode(mode);
    ctx.DrawPath(twice);
    EXPECT_EQ(port.Count(kOpaqueRed, 3, 3, 6, 6), mode == kAGBrushFillModeWinding ? 9 : 0);
    EXPECT_EQ(port.Count(kOpaqueRed, 0, 0, 3, 3), 9);
    EXPECT_EQ(port.Count(kOpaqueRed, 6, 6, 9, 9), 9);
  }
}

TEST(ContextFill, EllipseAndRoundedRectStayInsideTheirRect) {
  TestPort port(20, 20);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.DrawEllipseInRect({2, 4, 18, 12});
  EXPECT_EQ(port.InkBox(), (AGRect{2, 4, 18, 12}));
  EXPECT_EQ(port.At(10, 8), kOpaqueRed);
  EXPECT_EQ(port.At(2, 4), 0u);  // corner outside the ellipse
  TestPort rounded(20, 20);
  AGContext rc = rounded.Context();
  rc.brush = SolidBrush(kAGColorRed);
  rc.DrawRoundedRect({2, 4, 18, 12}, 1.0);  // radius 4: half circles at the ends
  EXPECT_EQ(rounded.InkBox(), (AGRect{2, 4, 18, 12}));
  EXPECT_EQ(rounded.At(2, 4), 0u);
  EXPECT_EQ(rounded.Count(kOpaqueRed, 6, 4, 14, 12), 64);
}

// ---------------------------------------------------------------------------
// Modes, strokes and pens

TEST(ContextStroke, DrawModeChoosesFillAndStroke) {
  struct Case {
    AGDrawMode mode;
    bool filled, stroked;
  };
  for (const Case& c :
       {Case{0, true, true}, Case{1, true, false}, Case{2, false, true}, Case{3, false, false}}) {
    TestPort port(12, 12);
    AGContext ctx = port.Context();
    ctx.brush = SolidBrush(kAGColorRed);
    ctx.pen = SolidPen(kAGColorBlue, 2);
    EXPECT_EQ(ctx.DrawPath(RectPath({2, 2, 10, 10}), c.mode), c.filled || c.stroked) << c.mode;
    EXPECT_EQ(port.At(6, 6) == kOpaqueRed, c.filled) << c.mode;
    EXPECT_EQ(port.At(6, 1) == kOpaqueBlue && port.At(6, 2) == kOpaqueBlue, c.stroked) << c.mode;
    EXPECT_EQ(port.At(6, 3), c.filled ? kOpaqueRed : 0u) << c.mode;
  }
}

TEST(ContextStroke, WidthIsCentredOnTheLineAndCapsExtendIt) {
  struct Case {
    uint32_t cap;
    int x1, x2;
  };
  for (const Case& c : {Case{kAGPenLineCapButt, 2, 8}, Case{kAGPenLineCapSquare, 1, 9}}) {
    TestPort port(10, 10);
    AGContext ctx = port.Context();
    ctx.pen = SolidPen(kAGColorBlue, 2);
    ctx.pen.SetLineCap(c.cap);
    ctx.DrawSegment({2, 5}, {8, 5});
    port.ExpectRect(kOpaqueBlue, c.x1, 4, c.x2, 6);
  }
  TestPort port(10, 10);
  AGContext ctx = port.Context();
  ctx.pen = SolidPen(kAGColorBlue, 2);
  ctx.pen.SetLineCap(kAGPenLineCapRound);
  ctx.DrawSegment({2, 5}, {8, 5});
  EXPECT_EQ(port.InkBox(), (AGRect{1, 4, 9, 6}));
  EXPECT_EQ(port.Count(kOpaqueBlue, 2, 4, 8, 6), 12);
  EXPECT_GT(port.Alpha(1, 5), 0u);
  EXPECT_LT(port.Alpha(1, 5), 255u);
}

TEST(ContextStroke, RelativeWidthFollowsTheContextTransformOnly) {
  struct Case {
    uint32_t sizeMode;
    AGAffineTransform ctxTransform, t;
    int y1, y2;
  };
  const AGAffineTransform twice = {2, 0, 0, 2, 0, 0};
  // The segment lies at y 5 after all transforms; width 2 in pen units.
  for (const Case& c : {Case{kAGPenSizeModeRelative, twice, kIdentity, 3, 7},
                        Case{kAGPenSizeModeAbsolute, twice, kIdentity, 4, 6},
                        Case{kAGPenSizeModeRelative, kIdentity, twice, 4, 6}}) {
    TestPort port(20, 10);
    AGContext ctx = port.Context();
    ctx.pen = SolidPen(kAGColorBlue, 2, c.sizeMode);
    ctx.transform = c.ctxTransform;
    AGPath seg;
    seg.AddSegment({1, 2.5}, {4, 2.5});
    ctx.DrawPath(seg, c.t, kAGDrawModeStrokeOnly);
    EXPECT_EQ(port.InkBox(), (AGRect{2, double(c.y1), 8, double(c.y2)}));
  }
}

TEST(ContextStroke, CalligraphicNibFollowsThePenAngleNotTheDrawingRotation) {
  // A nib of width 8 squeezed to 0.5 across the pen angle: a line along the
  // squeezed axis is 8 thick, across it 4. Thickness = ink area / length.
  struct Case {
    float ratio, angle;
    AGPoint a, b;
    AGAffineTransform t;
    double thickness;
  };
  const AGAffineTransform quarterTurn = AGAffineTransformMakeRotation(kPi / 2, {20, 20});
  const AGPoint left = {5, 20}, right = {35, 20}, low = {8, 8}, high = {32, 32};
  const float quarter = float(kPi / 2), eighth = float(kPi / 4);
  for (const Case& c :
       {Case{0.5f, 0.0f, left, right, kIdentity, 8}, Case{0.5f, 0.0f, left, right, quarterTurn, 4},
        Case{0.5f, quarter, left, right, kIdentity, 4},
        Case{0.5f, quarter, left, right, quarterTurn, 8},
        Case{0.995f, 0.0f, left, right, quarterTurn, 8},
        Case{0.5f, eighth, low, high, kIdentity, 8},
        Case{0.5f, 3 * eighth, low, high, kIdentity, 4}}) {
    TestPort port(40, 40);
    AGContext ctx = port.Context();
    ctx.pen = SolidPen(kAGColorBlue, 8);
    ctx.pen.SetRatio(c.ratio);
    ctx.pen.SetAngle(c.angle);
    AGPath seg;
    seg.AddSegment(c.a, c.b);
    ctx.DrawPath(seg, c.t, kAGDrawModeStrokeOnly);
    double ink = 0;  // covered area, from the anti-aliased coverage
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) ink += port.Alpha(x, y) / 255.0;
    double length = std::hypot(c.b.x - c.a.x, c.b.y - c.a.y);
    EXPECT_NEAR(ink / length, c.thickness, 0.1) << c.ratio << " " << c.angle;
  }
}

TEST(ContextStroke, PenWithGradientBrushStrokesInItsFirstColour) {
  TestPort port(10, 10);
  AGContext ctx = port.Context();
  ctx.pen.SetSize(2);
  ctx.pen.SetSizeMode(kAGPenSizeModeAbsolute);
  ctx.pen.Brush().SetStyleLinearGradient(kAGColorBlue, kAGColorRed, 0.5f, 0.0f);
  ctx.DrawSegment({0, 5}, {10, 5});
  port.ExpectRect(kOpaqueBlue, 0, 4, 10, 6);
}

// ---------------------------------------------------------------------------
// Clip, port state and bad input

TEST(ContextClip, ClipFollowsTheContextTransformButNotTheDrawings) {
  TestPort port(10, 10);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.transform = {1, 0, 0, 1, 2, 1};
  ctx.SetClipRect({0, 0, 4, 3});  // (2, 1, 6, 4) in the port
  ctx.DrawPath(RectPath({-2, -1, 8, 9}), {1, 0, 0, 1, 1, 1}, kAGDrawModeFillAndStroke);
  port.ExpectRect(kOpaqueRed, 2, 1, 6, 4);

  AGPath triangle;
  const AGPoint pts[3] = {{0, 0}, {10, 0}, {0, 10}};
  triangle.AddLines(pts, 3, true);
  AGContext tri = port.Context();
  tri.brush = SolidBrush(kAGColorBlue);
  tri.SetClipPath(triangle);
  tri.DrawRect({0, 0, 10, 10});
  EXPECT_EQ(port.At(1, 1), kOpaqueBlue);
  EXPECT_EQ(port.At(8, 8), 0u);
}

TEST(ContextClip, EachDrawingLeavesThePortStateAsItWas) {
  TestPort port(10, 10);
  AGContext clipped = port.Context();
  clipped.brush = SolidBrush(kAGColorRed);
  clipped.options = 0;
  clipped.SetClipRect({0, 0, 2, 2});
  clipped.DrawRect({0, 0, 10, 10});
  AGContext plain = port.Context();
  plain.brush = SolidBrush(kAGColorBlue);
  plain.DrawRect({0, 0, 10, 10});
  port.ExpectRect(kOpaqueBlue, 0, 0, 10, 10);
}

TEST(ContextClip, ClearPixelsPaintsTheBoundsOpaqueIgnoringClipTransformAndAlpha) {
  TestPort port(6, 6);
  AGContext ctx = port.Context();
  ctx.SetClipRect({0, 0, 1, 1});
  ctx.transform = {0, 0, 0, 0, 0, 0};
  ctx.alpha = 0.0f;
  ctx.bounds = {1, 1, 5, 4};
  EXPECT_TRUE(ctx.ClearPixels(0x00FF0040u));
  port.ExpectRect(kOpaqueGreen, 1, 1, 5, 4);
  EXPECT_FALSE(AGContext(nullptr, {0, 0, 6, 6}).ClearPixels(kAGColorRed));
}

TEST(ContextRobustness, BadNumbersDrawNothingAndTheNextDrawingStillWorks) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  TestPort port(8, 8);
  AGContext ctx = port.Context();
  ctx.brush = SolidBrush(kAGColorRed);
  ctx.pen = SolidPen(kAGColorRed, 1);
  AGPath square = RectPath({1, 1, 3, 3});
  EXPECT_FALSE(ctx.DrawPath(square, {nan, 0, 0, 1, 0, 0}, 0));
  EXPECT_FALSE(ctx.DrawPath(square, {1, 0, 0, 1, inf, 0}, 0));
  AGPath far;
  far.AddSegment({0, 0}, {1e38, 0});
  EXPECT_FALSE(ctx.DrawPath(far, {1e300, 0, 0, 1, 0, 0}, 0));  // overflows to infinity
  AGContext nanClip = ctx;
  nanClip.transform = {nan, 0, 0, 1, 0, 0};
  nanClip.SetClipRect({0, 0, 4, 4});
  EXPECT_FALSE(nanClip.DrawPath(square, 0));
  EXPECT_EQ(port.InkBox(), kAGNullRect);

  AGContext badBounds = ctx;
  badBounds.bounds = {nan, 0, 8, 8};
  badBounds.brush.SetStylePattern(kAGColorRed, kAGColorBlue, 3);
  badBounds.pen = kAGNullPen;
  badBounds.DrawPath(square, 0);
  EXPECT_EQ(port.InkBox(), kAGNullRect);

  // Collapsed and huge geometry may draw oddly but never breaks the port.
  AGContext huge = ctx;
  huge.pen.SetSizeMode(kAGPenSizeModeRelative);
  huge.transform = {1e100, 0, 0, 1e100, 0, 0};
  huge.DrawPath(square, {1e-100, 0, 0, 1e-100, 0, 0}, 0);
  ctx.DrawPath(square, {0, 0, 0, 0, 1, 1}, 0);
  ctx.DrawPath(RectPath({-1e30, -1e30, 1e30, 1e30}), 0);
  ctx.DrawSegment({-1e12, 4}, {1e12, 4});
  AGContext fresh = port.Context();
  fresh.brush = SolidBrush(kAGColorBlue);
  EXPECT_TRUE(fresh.DrawPath(RectPath({0, 0, 8, 8}), 0));
  port.ExpectRect(kOpaqueBlue, 0, 0, 8, 8);

  EXPECT_FALSE(AGContext(nullptr, {0, 0, 8, 8}).DrawPath(square, 0));
  EXPECT_FALSE(fresh.DrawPath(AGPath(), 0));
}

}  // namespace
