#include "graphics/AGGraphicsLow.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/AGContext.h"
#include "graphics/AGPath.h"
#include "graphics/platform/AGContextPlatform_p.h"
#include "graphics/platform/AGFontPlatform_p.h"
#include "graphics/platform/AGNativePath.h"

namespace {

bool IsLineBreak(uint16_t unit) { return unit == 10 || unit == 13; }

// A box with no width or no height holds no ink.
bool IsInkEmpty(const AGRect& r) { return r.x2 <= r.x1 || r.y2 <= r.y1; }

// Grows box to hold add; an empty box is replaced.
void MergeInk(AGRect* box, const AGRect& add) {
  if (IsInkEmpty(*box)) {
    *box = add;
    return;
  }
  box->x1 = std::min(box->x1, add.x1);
  box->y1 = std::min(box->y1, add.y1);
  box->x2 = std::max(box->x2, add.x2);
  box->y2 = std::max(box->y2, add.y2);
}

// A glyph of the current line and its pen position relative to the line's
// pen origin.
struct PlacedGlyph {
  uint32_t glyph;
  AGPoint pen;
};

// Lays text out as described in AGGraphicsLow.h. path (may be null)
// receives the outlines, relative to pathOrigin; inkBounds (may be null) the
// union of the lines' ink, kAGNullRect when there is none. False for an
// invalid font; true otherwise (also for empty text).
//
// A line's glyphs are placed once its ink, and so its alignment, is known,
// each outline point computed in double precision and rounded once.
bool _LowAGNativePathAddUText(AGNativePath* path, AGRect* inkBounds, const AGPoint& pathOrigin,
                              const AGPoint& anchor, const QVUniChars& text, const AGFont& font,
                              AGTextAlignment align) {
  if (inkBounds) *inkBounds = kAGNullRect;
  if (!font.IsValid()) return false;
  if (text.IsEmpty()) return true;
  const AGNativeFont* native = font.NativeFont();

  std::vector<uint32_t> lineEnds;  // inclusive
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (IsLineBreak(text[i])) lineEnds.push_back(i);
  }
  lineEnds.push_back(text.Length() - 1);
  double spacing = lineEnds.size() > 1 ? native->GetLineSpacing() : 0.0;

  std::vector<PlacedGlyph> placed;
  AGRect bounds = kAGNullRect;
  uint32_t begin = 0;
  for (size_t k = 0; k < lineEnds.size(); ++k) {
    placed.clear();
    AGPoint pen = kAGNullPoint;
    AGRect ink = kAGNullRect;
    // A line that follows a break ending the text is empty (begin > end).
    for (uint32_t i = begin; i <= lineEnds[k] && i < text.Length(); ++i) {
      if (IsLineBreak(text[i])) break;
      uint32_t glyph = native->GetGlyph(text[i]);
      AGSize advance = native->GetAdvance(glyph);
      if (path) placed.push_back({glyph, pen});
      AGRect box = native->GetInkBox(glyph);
      box = {pen.x + box.x1, pen.y + box.y1, pen.x + box.x2, pen.y + box.y2};
      if (!IsInkEmpty(box)) MergeInk(&ink, box);
      pen.x += advance.width;
      pen.y += advance.height;
    }
    begin = lineEnds[k] + 1;

    double alignOffset = 0.0;
    if (align == kAGTextAlignmentCenter) {
      alignOffset = (ink.x1 + ink.x2) * 0.5;
    } else if (align == kAGTextAlignmentRight) {
      alignOffset = ink.x2;
    }
    double lineOffset = double(k) * spacing;

    if (path) {
      AGPoint lineOrigin = {(anchor.x - pathOrigin.x) - alignOffset,
                            (anchor.y - pathOrigin.y) - lineOffset};
      for (const PlacedGlyph& g : placed) {
        native->AddGlyphOutline(g.glyph, {lineOrigin.x + g.pen.x, lineOrigin.y + g.pen.y}, path);
      }
    }
    if (inkBounds && !IsInkEmpty(ink)) {
      double dx = anchor.x - alignOffset, dy = anchor.y - lineOffset;
      MergeInk(&bounds, {ink.x1 + dx, ink.y1 + dy, ink.x2 + dx, ink.y2 + dy});
    }
  }
  if (inkBounds) *inkBounds = bounds;
  return true;
}

// ---------------------------------------------------------------------------
// Drawing: what a context's brush, pen, opacity and transforms mean for one
// drawing, worked out here and handed to the port as a draw job.

AGAffineTransform Translation(const AGPoint& p) { return {1.0, 0.0, 0.0, 1.0, p.x, p.y}; }

bool IsFinite(const AGAffineTransform& t) {
  return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
         std::isfinite(t.tx) && std::isfinite(t.ty);
}

// The context's opacity as drawn (above 1 counts as 1).
float Opacity(const AGContext& context) { return std::min(context.alpha, 1.0f); }

// Colour channels as fractions; the alpha channel scaled by opacity.
AGPaintColor PaintColor(AGColor c, float opacity) {
  return {AGColorRed(c) / 255.0, AGColorGreen(c) / 255.0, AGColorBlue(c) / 255.0,
          AGColorAlpha(c) / 255.0 * opacity};
}

// f of the way from c1 to c2, channel by channel (alpha included), then the
// alpha channel scaled by opacity.
AGPaintColor BlendColor(AGColor c1, AGColor c2, double f, float opacity) {
  auto mix = [f](uint32_t a, uint32_t b) { return (a + f * (double(b) - double(a))) / 255.0; };
  return {mix(AGColorRed(c1), AGColorRed(c2)), mix(AGColorGreen(c1), AGColorGreen(c2)),
          mix(AGColorBlue(c1), AGColorBlue(c2)), mix(AGColorAlpha(c1), AGColorAlpha(c2)) * opacity};
}

double Clamp(double v, double lo, double hi) { return v > lo ? (v < hi ? v : hi) : lo; }

// A gradient's blend curve: the fraction of the way from the first colour to
// the second at 512 evenly spaced points, 0 wherever no pair of
// neighbouring (factor, position) entries covers it.
constexpr int kBlendTableSize = 512;

void FillBlendTable(const float* factors, const float* positions, uint32_t count,
                    float table[kBlendTableSize]) {
  std::fill(table, table + kBlendTableSize, 0.0f);
  const double last = kBlendTableSize - 1;
  for (uint32_t k = 0; k + 1 < count; ++k) {
    // Not-a-number positions and factors clamp to 0 like the rest.
    int i0 = int(Clamp(std::round(double(positions[k]) * last), 0.0, last));
    int i1 = int(Clamp(std::round(double(positions[k + 1]) * last), 0.0, last));
    if (i0 >= i1) continue;
    double f0 = Clamp(factors[k], 0.0, 1.0), f1 = Clamp(factors[k + 1], 0.0, 1.0);
    for (int i = i0; i <= i1; ++i) table[i] = float(f0 + (f1 - f0) * (i - i0) / (i1 - i0));
  }
}

// The gradient's colour stops. Parameter s of the gradient shows entry
// round(s * 512) of the blend table (the last one from s = 511/512 on), so
// a stop at i / 512 for each entry where the table's slope changes gives
// the table's colours at every entry, linear in between.
void GradientStops(const AGBrush& brush, float opacity, std::vector<AGPaintStop>* stops) {
  float table[kBlendTableSize];
  const AGBrushCustomGradient* custom = brush.CustomGradient();
  if (custom && custom->FactorCount() > 0) {
    FillBlendTable(custom->Factors(), custom->Positions(), custom->FactorCount(), table);
  } else {
    float blend = brush.GradientBlend();
    if (brush.Style() == kAGBrushStyleRadialGradient) blend = 1.0f - blend;
    const float factors[3] = {0.0f, 0.5f, 1.0f};
    const float positions[3] = {0.0f, blend, 1.0f};
    FillBlendTable(factors, positions, 3, table);
  }
  const AGColor c1 = brush.Color(), c2 = brush.Color2();
  auto add = [&](double offset, float f) {
    stops->push_back({offset, BlendColor(c1, c2, f, opacity)});
  };
  const float kSameSlope = 1e-6f;
  add(0.0, table[0]);
  for (int i = 1; i < kBlendTableSize - 1; ++i) {
    float before = table[i] - table[i - 1], after = table[i + 1] - table[i];
    if (std::fabs(after - before) > kSameSlope) add(i / 512.0, table[i]);
  }
  add((kBlendTableSize - 1) / 512.0, table[kBlendTableSize - 1]);
  add(1.0, table[kBlendTableSize - 1]);
}

// The point of box's outline in the direction phi from its centre, as on a
// square stretched to the box.
AGPoint GradientBoxPoint(const AGRect& box, double phi) {
  const double quarter = kPi / 2;
  phi = std::fmod(phi, k2Pi);
  if (phi < 0.0) phi += k2Pi;
  int q = std::min(3, int(phi / quarter));
  double rho = phi - q * quarter;
  bool low = rho < kPi / 4;
  double u, v;
  switch (q) {
    case 0:
      u = low ? 1.0 : std::tan(quarter - rho);
      v = low ? std::tan(rho) : 1.0;
      break;
    case 1:
      u = low ? -std::tan(rho) : -1.0;
      v = low ? 1.0 : std::tan(quarter - rho);
      break;
    case 2:
      u = low ? -1.0 : -std::tan(quarter - rho);
      v = low ? -std::tan(rho) : -1.0;
      break;
    default:
      u = low ? std::tan(rho) : 1.0;
      v = low ? -1.0 : -std::tan(quarter - rho);
      break;
  }
  double w = box.x2 - box.x1, h = box.y2 - box.y1;
  return {(box.x1 + box.x2) * 0.5 + u * w * 0.5, (box.y1 + box.y2) * 0.5 + v * h * 0.5};
}

// The box a gradient spans, relative to the path's origin: the custom
// gradient's bounds when it has some, else the path's drawn extent. False
// when it has no area.
bool GradientBox(const AGBrush& brush, const AGPath& path, AGRect* box) {
  const AGBrushCustomGradient* custom = brush.CustomGradient();
  AGRect b =
      custom && custom->Bounds() != kAGNullRect ? custom->Bounds() : path.GetFlattenedBoundingBox();
  AGPoint o = path.GetOrigin();
  *box = {std::min(b.x1, b.x2) - o.x, std::min(b.y1, b.y2) - o.y, std::max(b.x1, b.x2) - o.x,
          std::max(b.y1, b.y2) - o.y};
  return box->x2 - box->x1 > 0.0 && box->y2 - box->y1 > 0.0 && std::isfinite(box->x2 - box->x1) &&
         std::isfinite(box->y2 - box->y1);
}

// Linear: the axis runs across the box at the brush's angle, the first
// colour on the side of angle pi - angle. Radial: circles about the
// brush's centre (fractions of the box, y from the top) computed on the
// centred square of side min(width, height) and stretched to the box,
// reaching the second colour at 0.707 of the side. toPort maps the path's
// stored coordinates to the port.
bool GradientPaint(const AGBrush& brush, const AGPath& path, const AGAffineTransform& toPort,
                   float opacity, AGPaint* paint) {
  AGRect box;
  if (!GradientBox(brush, path, &box)) return false;
  if (brush.Style() == kAGBrushStyleLinearGradient) {
    float angle = brush.GradientAngle();
    float a = std::fmod(angle, kPiF);
    if (a < 0.0f) a += kPiF;
    // A horizontal axis is tilted by a hair so that it never lies exactly
    // on a corner diagonal's tie.
    double phi = a == 0.0f ? double(angle) + 0.001 : double(angle);
    paint->kind = AGPaint::kLinear;
    paint->p0 = GradientBoxPoint(box, kPi - phi);
    paint->p1 = GradientBoxPoint(box, -phi);
    paint->toPort = toPort;
  } else {
    AGRect square = AGRectMakeProportional(box, {0.0, 0.0, 1.0, 1.0});
    AGAffineTransform stretch = AGAffineTransformMakeScale(square, box);
    AGAffineTransform unstretch = AGAffineTransformInvert(stretch);
    double w = box.x2 - box.x1, h = box.y2 - box.y1;
    AGPoint centre = {box.x1 + brush.GradientCenterX() * w,
                      box.y1 + (1.0 - brush.GradientCenterY()) * h};
    paint->kind = AGPaint::kRadial;
    paint->p0 = AGPointApplyTransform(centre, unstretch);
    paint->radius = 0.707 * std::min(w, h);
    paint->toPort = AGAffineTransformConcat(stretch, toPort);
  }
  GradientStops(brush, opacity, &paint->stops);
  return true;
}

// v mod 8 in [0, 8), v rounded half away from zero first.
double RoundMod8(double v) {
  double r = std::fmod(std::round(v), 8.0);
  return r < 0.0 ? r + 8.0 : r;
}

// Where the 8x8 grid of a pattern is anchored: the drawing's origin
// (toPort applied to the path's origin) rounded to whole pixels from the top
// left corner of the bounds, or that corner itself.
AGPoint PatternAnchor(const AGContext& context, const AGAffineTransform& toPort) {
  const AGRect& b = context.bounds;
  if (!(context.options & kAGContextOptionAlignPattern)) return {b.x1, b.y2};
  AGPoint p = {toPort.tx, toPort.ty};
  return {b.x1 + RoundMod8(p.x - b.x1), b.y2 - RoundMod8(b.y2 - p.y)};
}

AGPaint TilePaint(const AGBrush& brush, float opacity, const AGPoint& anchor) {
  AGPaint paint;
  paint.kind = AGPaint::kTile;
  paint.tile = brush.PatternTile();
  paint.color = PaintColor(brush.Color(), opacity);
  paint.color2 = PaintColor(brush.Color2(), opacity);
  paint.anchor = anchor;
  return paint;
}

// Fill part of a job; false when the brush paints nothing here.
bool SetUpFill(const AGContext& context, const AGPath& path, const AGAffineTransform& toPort,
               AGDrawJob* job) {
  const AGBrush& brush = context.brush;
  const float opacity = Opacity(context);
  job->evenOdd = brush.FillMode() != kAGBrushFillModeWinding;
  job->fillToPort = toPort;
  switch (brush.Style()) {
    case kAGBrushStyleSolid:
      job->fillPaint.kind = AGPaint::kSolid;
      job->fillPaint.color = PaintColor(brush.Color(), opacity);
      return true;
    case kAGBrushStylePattern:
      job->fillPaint = TilePaint(brush, opacity, PatternAnchor(context, toPort));
      return true;
    case kAGBrushStyleLinearGradient:
    case kAGBrushStyleRadialGradient:
      // A shading is painted through the path as a clip, and clips take the
      // non-zero winding rule whatever the brush's fill mode.
      job->evenOdd = false;
      return GradientPaint(brush, path, toPort, opacity, &job->fillPaint);
    default:
      return false;
  }
}

// Stroke part of a job; false when the pen strokes nothing.
bool SetUpStroke(const AGContext& context, const AGAffineTransform& toPort, AGDrawJob* job) {
  const AGPen& pen = context.pen;
  const AGBrush& brush = pen.Brush();
  const float opacity = Opacity(context);
  switch (brush.Style()) {
    case kAGBrushStyleSolid:
    case kAGBrushStyleLinearGradient:
    case kAGBrushStyleRadialGradient:
      job->strokePaint.kind = AGPaint::kSolid;
      job->strokePaint.color = PaintColor(brush.Color(), opacity);
      break;
    case kAGBrushStylePattern:
      job->strokePaint = TilePaint(brush, opacity, PatternAnchor(context, toPort));
      break;
    default:
      return false;
  }
  float width = pen.Size();
  if (pen.SizeMode() == kAGPenSizeModeRelative) {
    const AGAffineTransform& c = context.transform;
    width *= std::sqrt(float((c.a * c.a + c.b * c.b + c.c * c.c + c.d * c.d) * 0.5));
  }
  if (!(width > 0.0f) || !std::isfinite(width)) return false;
  job->lineWidth = width;
  job->cap = pen.LineCap() == kAGPenLineCapRound    ? AGStrokeCap::kRound
             : pen.LineCap() == kAGPenLineCapSquare ? AGStrokeCap::kSquare
                                                    : AGStrokeCap::kButt;
  job->join = pen.LineJoin() == kAGPenLineJoinRound   ? AGStrokeJoin::kRound
              : pen.LineJoin() == kAGPenLineJoinBevel ? AGStrokeJoin::kBevel
                                                      : AGStrokeJoin::kMiter;
  job->strokeToPort = toPort;
  job->strokeSpace = kAGAffineTransformIdentity;
  if (pen.Ratio() < 0.99f) {
    // The nib is a circle squeezed to ratio along the pen angle: the stroke
    // is drawn in a space where the nib is round, which nib maps to the
    // port. The angle is taken in the port as it stands, so turning a
    // drawing (t) does not turn the nib. The squeezed side keeps at least
    // 1.001 points, so that the nib never collapses into a line.
    float ratio = std::max(pen.Ratio(), 1.001f / pen.Size());
    AGAffineTransform nib =
        AGAffineTransformConcatRotation({ratio, 0.0, 0.0, 1.0, 0.0, 0.0}, pen.Angle());
    job->strokeSpace = nib;
  }
  return true;
}

// The clip part of a job: the clip path mapped by its origin and the
// context's transform. False when that mapping is not finite.
bool SetUpClip(const AGContext& context, const AGNativePath** clip, AGAffineTransform* toPort) {
  *clip = nullptr;
  if (!context.HasClip()) return true;
  *toPort = AGAffineTransformConcat(Translation(context.clipPath->GetOrigin()), context.transform);
  *clip = context.clipPath->NativePath();
  return IsFinite(*toPort);
}

}  // namespace

namespace AGGraphicsLow {

bool AGNativePathAddUText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                          const QVUniChars& text, const AGFont& font, AGTextAlignment align) {
  if (!path || !font.IsValid()) return false;
  if (text.IsEmpty()) return true;
  return _LowAGNativePathAddUText(path, nullptr, pathOrigin, anchor, text, font, align);
}

bool AGNativePathAddText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                         const QVString& text, const AGFont& font, AGTextAlignment align) {
  if (!path || !font.IsValid()) return false;
  if (text.IsEmpty()) return true;
  return AGNativePathAddUText(path, pathOrigin, anchor, QVUniStringFromAsciiString(text), font,
                              align);
}

AGSize AGNativeFontGetUTextExtent(const AGFont& font, const QVUniChars& text) {
  if (text.IsEmpty() || !font.IsValid()) return kAGNullSize;
  AGRect ink = kAGNullRect;
  if (!_LowAGNativePathAddUText(nullptr, &ink, kAGNullPoint, kAGNullPoint, text, font,
                                kAGTextAlignmentLeft)) {
    return kAGNullSize;
  }
  return {ink.x2 - ink.x1, ink.y2 - ink.y1};
}

AGSize AGNativeFontGetTextExtent(const AGFont& font, const QVString& text) {
  if (text.IsEmpty()) return kAGNullSize;
  return AGNativeFontGetUTextExtent(font, QVUniStringFromAsciiString(text));
}

bool AGContextDrawPath(const AGContext& context, const AGPath& path, const AGAffineTransform& t,
                       AGDrawMode mode) {
  if (path.IsEmpty() || !context.nativePort || !context.IsVisible()) return false;
  // Bit 1 (the stroke-only mode) suppresses the fill, bit 0 the stroke.
  bool fill = context.brush.Appears() && !(mode & kAGDrawModeStrokeOnly);
  bool stroke = context.pen.Appears() && !(mode & kAGDrawModeFillOnly);
  if (!fill && !stroke) return false;

  AGAffineTransform toPort = AGAffineTransformConcat(
      AGAffineTransformConcat(Translation(path.GetOrigin()), t), context.transform);
  if (!IsFinite(toPort)) return false;
  AGDrawJob job;
  job.path = path.NativePath();
  job.antialias = (context.options & kAGContextOptionAntialias) != 0;
  if (!SetUpClip(context, &job.clipPath, &job.clipToPort)) return false;
  job.fill = fill && SetUpFill(context, path, toPort, &job);
  job.stroke = stroke && SetUpStroke(context, toPort, &job);
  return AGContextPlatform::DrawPath(context.nativePort, job);
}

bool AGContextDrawImage(const AGContext& context, const AGNativeImage* image,
                        const AGPoint& position, const AGAffineTransform& t, bool interpolate) {
  if (!context.nativePort || !image || !context.IsVisible()) return false;
  AGImageJob job;
  job.image = image;
  job.toPort =
      AGAffineTransformConcat(AGAffineTransformConcat(Translation(position), t), context.transform);
  job.antialias = (context.options & kAGContextOptionAntialias) != 0;
  job.interpolate = interpolate;
  job.alpha = Opacity(context);
  if (!SetUpClip(context, &job.clipPath, &job.clipToPort)) return false;
  return AGContextPlatform::DrawImage(context.nativePort, job);
}

bool AGContextClearPixels(const AGContext& context, AGColor color) {
  if (!context.nativePort) return false;
  const AGRect& b = context.bounds;
  AGRect area = {std::min(b.x1, b.x2), std::min(b.y1, b.y2), std::max(b.x1, b.x2),
                 std::max(b.y1, b.y2)};
  AGContextPlatform::FillRectOpaque(context.nativePort, area, PaintColor(color | 0xFFu, 1.0f));
  return true;
}

}  // namespace AGGraphicsLow
