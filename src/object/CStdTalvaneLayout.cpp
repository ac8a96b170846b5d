// Layout of the Talvane object: its text as outlines in natural coordinates,
// the mapping onto the host's target rectangle, and the prolongation line.
#include <algorithm>
#include <cmath>

#include "graphics/AGFont.h"
#include "graphics/AGPath.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "textinput/UGraphicText.h"

namespace {

// Margin around each character box, and around the text frame.
constexpr double kBoxMargin = 4.0;

AGRect Grown(const AGRect& r, double d) { return AGRect{r.x1 - d, r.y1 - d, r.x2 + d, r.y2 + d}; }

bool HasArea(const AGRect& r) { return r.x1 < r.x2 && r.y1 < r.y2; }

// Lower and upper y of the band of a line end.
const double* Band(uint8_t tail) {
  if (tail == kProlineTailUp) return kProlineYPosUp;
  if (tail == kProlineTailDown) return kProlineYPosDown;
  return kProlineYPosMid;
}

double BandCentre(uint8_t tail) {
  const double* band = Band(tail);
  return (band[0] + band[1]) * 0.5;
}

// The device scale along one axis that natural units are divided by; a
// degenerate transform counts as unit scale.
double DeviceScale(double coefficient) {
  double s = std::fabs(coefficient);
  return (s > 0.0 && std::isfinite(s)) ? s : 1.0;
}

}  // namespace

void CStdTalvane::LowBuildCurrentPath() const {
  if (mTextPath) return;
  AGFont font(kBuiltinFontName, kBuiltinFontSize, kAGFontStyleRegular);
  if (!font.IsValid()) {
    mGlyphBounds = kMinNatBounds;
    mTextFrame = kMinNatBounds;
    mNatBounds = kMinNatBounds;
    return;
  }

  mTextPath = std::make_unique<AGPath>();
  mCharBoxes = std::make_unique<ATNumberArray<AGRect>>();
  AGPoint end = kAGNullPoint;
  mPathBuilt = UGraphicText::BuildPathFromUText(mTextPath.get(), mCharBoxes.get(), &end,
                                                kAGNullPoint, mText, font)
                   ? 1
                   : 0;
  mTextEnd = end;

  const AGRect b = AGGeometry::GetBoundingBox(*mCharBoxes);
  for (AGRect& box : *mCharBoxes) box = Grown(box, kBoxMargin);

  mGlyphBounds = AGRectNormalizeWithMinimum(HasArea(b) ? b : kMinNatBounds, kEpsilonNatBounds);
  const AGRect frame = Grown(b, kBoxMargin);
  mTextFrame = Grown(AGRectNormalizeWithMinimum(HasArea(frame) ? frame : kMinNatBounds,
                                                kEpsilonNatBounds),
                     kBoxMargin);
  mNatBounds = mGlyphBounds;
  if (mProline.type != kProlineTypeNone) {
    mNatBounds.x2 += (mGlyphBounds.x2 - mGlyphBounds.x1) * 0.5;
  }
}

AGAffineTransform CStdTalvane::LowComputeNatToMapAFT(const AGAffineTransform& m0,
                                                     const AGRect& g, const AGRect& a,
                                                     const CProline& proline, float fontSize) {
  if (!HasArea(g)) return kAGAffineTransformIdentity;

  AGPoint anchor = {a.x1, (a.y1 + a.y2) * 0.5};
  double centre = kBuiltinFontSize * 0.5;
  if (proline.type != kProlineTypeNone) {
    if (proline.begin == kProlineTailUp) {
      anchor.y = a.y2;
      centre = BandCentre(kProlineTailUp);
    } else if (proline.begin == kProlineTailDown) {
      anchor.y = a.y1;
      centre = BandCentre(kProlineTailDown);
    }
  }

  const double k = fontSize / kBuiltinFontSize;
  AGAffineTransform t = kAGAffineTransformIdentity;
  t = AGAffineTransformConcatTranslation(t, kNatBoundsOffsetX, -centre);
  t = AGAffineTransformConcatScale(t, k / DeviceScale(m0.a), k / DeviceScale(m0.d));
  t = AGAffineTransformConcatTranslation(t, anchor);

  // Fit check in natural units: the text must reach no further right than
  // the target and be no taller than it.
  const AGAffineTransform n = AGAffineTransformInvert(t);
  const AGPoint q1 = AGPointApplyTransform(AGPoint{a.x1, a.y1}, n);
  const AGPoint q2 = AGPointApplyTransform(AGPoint{a.x2, a.y2}, n);
  const double needed = std::fabs(g.x2 - q1.x);
  const double roomWidth = q2.x - q1.x;
  const double roomHeight = q2.y - q1.y;
  const double textHeight = g.y2 - g.y1;
  if (needed > roomWidth || roomHeight < textHeight) {
    // A target without room along an axis shrinks the drawing to nothing:
    // a negative ratio would mirror it and a zero width would divide by 0.
    double s = 1.0;
    if (needed > roomWidth) s = std::min(s, needed > 0.0 ? std::max(roomWidth, 0.0) / needed : 0.0);
    if (roomHeight < textHeight) s = std::min(s, std::max(roomHeight, 0.0) / textHeight);
    if (!(s >= 0.0)) s = 0.0;
    if (s < 1.0) {
      t = AGAffineTransformConcatTranslation(t, -anchor.x, -anchor.y);
      t = AGAffineTransformConcatScale(t, s, s);
      t = AGAffineTransformConcatTranslation(t, anchor);
    }
  }
  return t;
}

AGRect CStdTalvane::LowComputeRestNatBounds(const AGAffineTransform& natToTarget, bool textPathEmpty,
                                            const AGRect& g, const AGRect& a) {
  if (!HasArea(g)) return kAGNullRect;
  const AGAffineTransform n = AGAffineTransformInvert(natToTarget);
  const AGPoint q1 = AGPointApplyTransform(AGPoint{a.x1, a.y1}, n);
  const AGPoint q2 = AGPointApplyTransform(AGPoint{a.x2, a.y2}, n);
  if (textPathEmpty) return AGRect{q1.x, q1.y, q2.x, q2.y};
  if (q2.x >= g.x2 + kMinRestNatSize) return AGRect{g.x2, q1.y, q2.x, q2.y};
  return kAGNullRect;
}

ATNumberArray<AGRect> CStdTalvane::LowProlineDashes(double length, double h, bool entireDashAtBeg) {
  const double period = kProlineDashGapLen + kProlineDashLen;
  ATNumberArray<AGRect> dashes;
  auto add = [&](double x1, double x2) { dashes.Append(AGRect{x1, -h * 0.5, x2, h * 0.5}); };
  if (entireDashAtBeg) {
    const double n = std::floor(length / period);
    for (double i = 0; i < n; ++i) add(period * i + kProlineDashGapLen, period * i + period);
    const double rest = length - (period * n + kProlineDashGapLen);
    if (h <= rest && rest <= kProlineDashLen) add(period * n + kProlineDashGapLen, length);
  } else {
    const double q = (length + kProlineDashGapLen) / period;
    const double m = std::floor(q);
    const double o = period * (q - m);
    if (h <= o - kProlineDashGapLen && o - kProlineDashGapLen <= kProlineDashLen) {
      add(0.0, o - kProlineDashGapLen);
    }
    for (double i = 0; i < m; ++i) add(period * i + o, period * i + o + kProlineDashLen);
  }
  return dashes;
}

AGPath CStdTalvane::LowBuildPathOfProline(const CProline& proline, const AGPoint& textEnd,
                                          const AGRect& /*glyphBounds*/, const AGRect& room) {
  AGPath path;
  if (proline.type != kProlineTypeSustained && proline.type != kProlineTypeIterated) return path;
  if (!HasArea(room)) return path;

  const double* band = Band(proline.begin);
  const double h = band[1] - band[0];
  const double yBeg = (band[0] + band[1]) * 0.5;
  double yEnd = yBeg;
  if (proline.end != proline.begin) {
    if (proline.end == kProlineTailUp) {
      yEnd = room.y2;
    } else if (proline.end == kProlineTailDown) {
      yEnd = room.y1;
    } else {
      yEnd = (room.y1 + room.y2) * 0.5;
    }
  }
  const AGPoint b = {textEnd.x, yBeg};
  const AGPoint f = {room.x2, yEnd};
  const double angle = AGPointPolarAngle(b, f);
  const double length = std::hypot(f.x - b.x, f.y - b.y);

  const double period = kProlineDashGapLen + kProlineDashLen;
  const bool solid = proline.type == kProlineTypeSustained ||
                     std::floor(length / period) >= kProlineDashMaxCount;
  if (solid) {
    path.AddRect(AGRect{0.0, -h * 0.5, length, h * 0.5});
  } else {
    path.AddRects(LowProlineDashes(length, h, kProlineEntireDashAtBeg != 0));
  }
  if (!path.IsEmpty()) {
    path.ApplyTransform(
        AGAffineTransformConcatTranslation(AGAffineTransformMakeRotation(angle), b));
  }
  return path;
}
