#include "StudioScenePainter.h"

#include <algorithm>
#include <cmath>

#include "StudioDocument.h"
#include "StudioHitTest.h"
#include "StudioRuler.h"
#include "StudioViewport.h"
#include "StudioSonogramPainter.h"
#include "StudioWaveSummary.h"
#include "bridge/HostRender.h"
#include "graphics/AGContext.h"
#include "graphics/AGFont.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGPath.h"

namespace {

constexpr StudioHandle kHandles[] = {
    StudioHandle::kTopLeft,     StudioHandle::kTop,    StudioHandle::kTopRight,
    StudioHandle::kRight,       StudioHandle::kBottomRight, StudioHandle::kBottom,
    StudioHandle::kBottomLeft,  StudioHandle::kLeft,
};

// Ruler labels: size in points, gap from their tick, baseline above the
// band's bottom.
constexpr float kLabelSize = 10.0f;
constexpr double kLabelGap = 3.0;
constexpr double kLabelBaseline = 9.0;
// A label is never wider than this (the longest, "1000:00:00.000000", at
// kLabelSize): labels whose tick lies further left of the damage are skipped.
constexpr double kLabelMaxWidth = 120.0;

AGRect Normalized(const AGRect& r) {
  return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2),
          std::max(r.y1, r.y2)};
}

bool Meets(const AGRect& a, const AGRect& b) {
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

AGRect Intersection(const AGRect& a, const AGRect& b) {
  return {std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
          std::min(a.y2, b.y2)};
}

bool IsFinite(const AGRect& r) {
  return std::isfinite(r.x1) && std::isfinite(r.y1) && std::isfinite(r.x2) && std::isfinite(r.y2);
}

// Everything but the objects is drawn in view pixels: the port's x, and y
// flipped about the port's top edge.
AGAffineTransform ViewToPort(const AGRect& bounds) {
  return AGAffineTransform{1.0, 0.0, 0.0, -1.0, bounds.x1, bounds.y2};
}

AGContext Filler(const AGContext& base, AGColor color) {
  AGContext c(base);
  c.brush.SetStyleSolid(color);
  // Shapes gathered into one path may overlap (a tick on the band's edge).
  c.brush.SetFillMode(1);
  c.pen.SetStyleNone();
  return c;
}

// One pixel wide line of a rectangle's outline, as four filled strips inside
// it, so that outlines land on whole pixels.
void AddOutline(AGPath& path, const AGRect& r, double width) {
  path.AddRect({r.x1, r.y1, r.x2, r.y1 + width});
  path.AddRect({r.x1, r.y2 - width, r.x2, r.y2});
  path.AddRect({r.x1, r.y1 + width, r.x1 + width, r.y2 - width});
  path.AddRect({r.x2 - width, r.y1 + width, r.x2, r.y2 - width});
}

// Opaque columns of the wave's colour set straight into a port's pixels, when
// the context allows it: a port with pixels, whole-pixel bounds inside it,
// full opacity. What Fill sets is exactly what filling the column's whole
// pixel rectangle would make; it covers only the painted area.
class PixelColumns {
 public:
  PixelColumns(const AGContext& context, const AGRect& area) : mArea(area) {
    const AGRect& b = context.bounds;
    if (!context.nativePort || context.alpha < 1.0f) return;
    if (b.x1 != std::floor(b.x1) || b.y1 != std::floor(b.y1) || b.x2 != std::floor(b.x2) ||
        b.y2 != std::floor(b.y2)) {
      return;
    }
    if (!AGGraphicsLow::AGNativePortGetBitmap(context.nativePort, &mInfo)) return;
    if (b.x1 < 0.0 || b.y1 < 0.0 || b.x2 > mInfo.width || b.y2 > mInfo.height) return;
    mPort = context.nativePort;
    // View column x is the port's column bounds.x1 + x; view row y (down
    // from the bounds' top) the memory row height - bounds.y2 + y.
    mColumn0 = static_cast<int64_t>(b.x1);
    mRow0 = static_cast<int64_t>(mInfo.height) - static_cast<int64_t>(b.y2);
  }
  // Rows [top, bottom) of view column x, clipped to the area; false when
  // the pixels can't be written (the caller draws the column instead).
  bool Fill(uint32_t x, double top, double bottom) {
    if (!mPort) return false;
    if (x < mArea.x1 || x + 1.0 > mArea.x2) return true;
    const double from = std::max(top, mArea.y1);
    const double to = std::min(bottom, mArea.y2);
    if (!(from < to)) return true;
    const uint32_t word =
        (StudioScenePainter::kWaveColor & 0xFFu) << 24 | StudioScenePainter::kWaveColor >> 8;
    const size_t stride = mInfo.bytesPerRow / 4;
    uint32_t* pixel = mInfo.data +
                      static_cast<size_t>(mRow0 + static_cast<int64_t>(from)) * stride +
                      static_cast<size_t>(mColumn0 + x);
    for (int64_t y = static_cast<int64_t>(from); y < static_cast<int64_t>(to); ++y, pixel += stride)
      *pixel = word;
    mWrote = true;
    return true;
  }
  // The drawing service reads the pixels again from here on.
  void Finish() {
    if (mWrote) AGGraphicsLow::AGNativePortMarkDirty(mPort);
    mWrote = false;
  }

 private:
  AGRect mArea;
  AGNativeBitmapInfo mInfo;
  AGNativePort* mPort = nullptr;
  int64_t mColumn0 = 0;
  int64_t mRow0 = 0;
  bool mWrote = false;
};

}  // namespace

StudioScenePainter::StudioScenePainter(const StudioDocument& doc, const StudioViewport& view,
                                       const StudioWaveSummary* summary)
    : mDoc(doc), mView(view), mSummary(summary) {}

void StudioScenePainter::SetRubberBand(const AGRect& viewRect) {
  mRubberBand = Normalized(viewRect);
  mHasRubberBand = IsFinite(mRubberBand);
}

AGAffineTransform StudioScenePainter::ScoreTransform(const StudioViewport& view,
                                                     double portHeight) {
  const double pixelsPerMs = 1.0 / view.Axis().MsPerPixel();
  // port y = portHeight - view y = portHeight - stripBottom + height * scale
  return AGAffineTransform{pixelsPerMs,
                           0.0,
                           0.0,
                           view.VerticalScale(),
                           -view.Axis().StartTime() * pixelsPerMs,
                           portHeight - view.StripBottom()};
}

AGRect StudioScenePainter::ObjectDamage(const StudioViewport& view, const AGRect& frame) {
  AGRect r = view.FrameToView(Normalized(frame));
  return {r.x1 - kObjectDamageMargin, r.y1 - kObjectDamageMargin, r.x2 + kObjectDamageMargin,
          r.y2 + kObjectDamageMargin};
}

int32_t StudioScenePainter::Paint(const AGContext& context, bool* complete) const {
  return PaintArea(context, nullptr, complete);
}

int32_t StudioScenePainter::PaintDamaged(const AGContext& context, const AGRect& damage) const {
  AGRect d = Normalized(damage);
  if (!IsFinite(d)) return 0;
  // Whole pixels: a pixel the clip cut through would mix old and new paint.
  d = {std::floor(d.x1), std::floor(d.y1), std::ceil(d.x2), std::ceil(d.y2)};
  if (!(d.x1 < d.x2 && d.y1 < d.y2)) return 0;
  return PaintArea(context, &d, nullptr);
}

int32_t StudioScenePainter::PaintArea(const AGContext& context, const AGRect* damage,
                                      bool* complete) const {
  if (complete) *complete = true;
  const AGRect& bounds = context.bounds;
  const double width = bounds.x2 - bounds.x1;
  const double height = bounds.y2 - bounds.y1;
  if (!context.nativePort || !(width > 0.0 && height > 0.0)) return 0;

  // The area painted, in view pixels.
  AGRect area{0.0, 0.0, width, height};
  if (damage) {
    area = Intersection(area, *damage);
    if (!(area.x1 < area.x2 && area.y1 < area.y2)) return 0;
  }

  // The caller's transform and clip give way to the painter's own.
  AGContext base(context);
  base.ResetClip();
  base.transform = kAGAffineTransformIdentity;
  const AGRect portArea{bounds.x1 + area.x1, bounds.y2 - area.y2, bounds.x1 + area.x2,
                        bounds.y2 - area.y1};
  AGContext pixels(base);
  pixels.transform = ViewToPort(bounds);
  if (damage) pixels.SetClipRect(area);

  // Background.
  Filler(pixels, kBackground).DrawRect(area);

  // Sonogram: the strip of the damaged columns, from under the ruler to the
  // bottom, highest frequencies at the top. It is drawn in the port's own
  // y-up coordinates: the flipped view transform would mirror it.
  if (mSonogram && height > kRulerHeight) {
    const StudioTimeAxis& axis = mView.Axis();
    const double first = std::max(0.0, std::floor(area.x1));
    const double last = std::min(std::ceil(area.x2), width);
    if (first < last) {
      AGContext strip(base);
      if (damage) strip.SetClipRect(portArea);
      // A sonogram that cannot paint (nothing open) leaves the background.
      const AGRect rect{bounds.x1 + first, bounds.y1, bounds.x1 + last, bounds.y2 - kRulerHeight};
      bool whole = false;
      if (StudioSonogramPainter::Draw(*mSonogram, strip, rect, axis.PixelToTime(first),
                                      axis.PixelToTime(last), &whole) == 0 &&
          !whole && complete) {
        *complete = false;
      }
    }
    // The wash under each object, over whole pixels of the strip.
    AGPath washes;
    for (size_t i = 0; i < mDoc.Count(); ++i) {
      const AGRect frame = Normalized(mDoc.Host().Object(i).Record().frame);
      if (!Meets(ObjectDamage(mView, frame), area)) continue;
      const AGRect r = mView.FrameToView(frame);
      const AGRect wash{std::floor(r.x1), std::max(std::floor(r.y1), kRulerHeight),
                        std::ceil(r.x2), std::ceil(r.y2)};
      if (wash.x1 < wash.x2 && wash.y1 < wash.y2) washes.AddRect(wash);
    }
    Filler(pixels, kSonogramWash).DrawPath(washes, kAGDrawModeFillOnly);
  } else if (mSummary && mSummary->IsBuilt() && mSummary->Channels() > 0 && height > kRulerHeight) {
    const StudioTimeAxis& axis = mView.Axis();
    const uint32_t first = static_cast<uint32_t>(std::max(0.0, std::floor(area.x1)));
    const uint32_t last = static_cast<uint32_t>(
        std::min(std::ceil(area.x2), std::min(std::ceil(axis.ViewWidth()), width)));
    if (first < last && last - first <= StudioWaveSummary::kMaxQueryWidth) {
      const double startMs = axis.PixelToTime(first);
      const double endMs = axis.PixelToTime(last);
      std::vector<StudioWaveSummary::Peak> peaks;
      if (mSummary->Peaks(startMs, endMs, last - first, peaks, nullptr) == 0) {
        const int32_t channels = mSummary->Channels();
        const double rowHeight = (height - kRulerHeight) / channels;
        // On a port with pixels the columns are written straight into them:
        // a path of up to thousands of rectangles costs the drawing service
        // far more than the same opaque whole pixels set in place.
        PixelColumns direct(base, area);
        AGPath columns;
        for (uint32_t i = 0; i < last - first; ++i) {
          for (int32_t ch = 0; ch < channels; ++ch) {
            const StudioWaveSummary::Peak& p = peaks[static_cast<size_t>(i) * channels + ch];
            if (p.IsEmpty()) continue;
            const double centre = kRulerHeight + (ch + 0.5) * rowHeight;
            const double half = rowHeight / 2.0;
            // Samples beyond full scale are held to the row. Columns cover
            // whole pixels, so that neighbouring columns never share a
            // pixel and no column is blurred by anti-aliasing.
            const double top = std::floor(centre - std::clamp<double>(p.max, -1.0, 1.0) * half);
            const double bottom = std::ceil(centre - std::clamp<double>(p.min, -1.0, 1.0) * half);
            if (bottom > top) {
              const double x = static_cast<double>(first + i);
              if (!direct.Fill(first + i, top, bottom)) columns.AddRect({x, top, x + 1.0, bottom});
            }
          }
        }
        direct.Finish();
        Filler(pixels, kWaveColor).DrawPath(columns, kAGDrawModeFillOnly);
      }
    }
  }

  // Ruler.
  const AGRect band{0.0, 0.0, width, kRulerHeight};
  if (Meets(area, band)) {
    Filler(pixels, kRulerBackground).DrawRect(band);
    AGPath ink;
    ink.AddRect({0.0, kRulerHeight - 1.0, width, kRulerHeight});
    // Labels of majors just left of the view reach into it: drawn too, so
    // that a picture scrolled into place is the picture painted there.
    std::vector<StudioRulerTick> ticks =
        StudioRuler::Ticks(mView.Axis(), kMajorSpacing, kMinorSpacing, kLabelMaxWidth);
    AGContext text = Filler(base, kRulerInk);
    if (damage) text.SetClipRect(portArea);
    AGFont font(kAGFontStandardLabel, kLabelSize);
    for (const StudioRulerTick& tick : ticks) {
      // Ticks are one pixel wide, on the pixel the tick's time falls in.
      const double x = std::floor(tick.pixel);
      const double reach = tick.major ? kRulerHeight : kRulerHeight / 3.0;
      ink.AddRect({x, kRulerHeight - reach, x + 1.0, kRulerHeight});
      if (!tick.major || tick.label.empty()) continue;
      if (x + kLabelMaxWidth < area.x1 || x > area.x2) continue;
      QVUniChars chars;
      for (char c : tick.label) chars.Append(static_cast<uint16_t>(static_cast<unsigned char>(c)));
      // Text is drawn in the port's own y-up coordinates: the flipped view
      // transform would mirror the glyphs.
      const AGPoint anchor{bounds.x1 + x + kLabelGap, bounds.y2 - (kRulerHeight - kLabelBaseline)};
      text.DrawUText(chars, font, anchor, kAGAffineTransformIdentity, kAGTextAlignmentLeft);
    }
    Filler(pixels, kRulerInk).DrawPath(ink, kAGDrawModeFillOnly);
  }

  // Objects, bottom to top, in score coordinates.
  int32_t status = 0;
  AGContext score(base);
  score.transform = AGAffineTransformConcat(
      ScoreTransform(mView, height), AGAffineTransform{1.0, 0.0, 0.0, 1.0, bounds.x1, bounds.y1});
  if (damage) score.SetClipRect(mView.ViewToFrame(area));
  std::vector<AGRect> selectedFrames;
  for (size_t i = 0; i < mDoc.Count(); ++i) {
    const HostObject& object = mDoc.Host().Object(i);
    const AGRect frame = Normalized(object.Record().frame);
    if (!Meets(ObjectDamage(mView, frame), area)) continue;
    const StudioObjectId id = mDoc.IdAt(i);
    int32_t drawn = HostRenderObject(score, object, HostView::kScore, frame, id == mEdited);
    if (drawn != 0 && status == 0) status = drawn;
  }

  if (mMode != Mode::kScreen) return status;

  // Selection: outline and handles, where hit testing finds them.
  AGPath outlines, handles;
  for (StudioObjectId id : mSelection) {
    const HostObject* object = mDoc.Find(id);
    if (!object) continue;
    const AGRect frame = Normalized(object->Record().frame);
    if (!Meets(ObjectDamage(mView, frame), area)) continue;
    AddOutline(outlines, mView.FrameToView(frame), 1.0);
    for (StudioHandle h : kHandles) {
      const AGPoint p = StudioHitTest::HandlePoint(mView, frame, h);
      const double half = kHandleSize / 2.0;
      handles.AddRect({p.x - half, p.y - half, p.x + half, p.y + half});
    }
  }
  Filler(pixels, kSelectionColor).DrawPath(outlines, kAGDrawModeFillOnly);
  Filler(pixels, kSelectionColor).DrawPath(handles, kAGDrawModeFillOnly);

  if (mHasRubberBand && Meets(mRubberBand, area)) {
    Filler(pixels, kRubberBandColor).DrawRect(mRubberBand);
    AGPath edge;
    AddOutline(edge, mRubberBand, 1.0);
    Filler(pixels, kSelectionColor).DrawPath(edge, kAGDrawModeFillOnly);
  }
  return status;
}
