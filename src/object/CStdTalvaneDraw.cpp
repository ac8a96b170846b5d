// Drawing of the Talvane object in scores and in the library, and the label
// shown when the symbol font is missing.
#include <cmath>

#include "graphics/AGContext.h"
#include "graphics/AGFont.h"
#include "graphics/AGPath.h"
#include "host/QVDrawEvent.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"

namespace {

constexpr const char kFontErrorLabel[] = "Pelmar?";
constexpr const char kFontErrorLabelFont[] = "Lucida Grande";
constexpr float kFontErrorLabelSize = 24.0f;
constexpr AGColor kFontErrorLabelColor = 0xFF0000FFu;
constexpr double kFontErrorLabelTilt = kPi * 0.25;

AGPoint Centre(const AGRect& r) { return AGPoint{(r.x1 + r.x2) * 0.5, (r.y1 + r.y2) * 0.5}; }

bool HasArea(const AGRect& r) { return r.x1 < r.x2 && r.y1 < r.y2; }

}  // namespace

int32_t CStdTalvane::_apmDraw(const AGContext& context, const QVDrawEvent& event) const {
  LowBuildCurrentPath();
  const double angle = event.rotation;
  if (!mTextPath || !mPathBuilt) {
    AGContext copy(context);
    LowDrawFontError(copy, event.target, angle);
    return 0;
  }

  // While edited in place the object shows only its edited look, and only
  // where the host asks for it.
  if (EditingData()) {
    if (event.flags & kQVDrawEventEdited) {
      AGContext copy(context);
      LowDrawEditedInScore(copy, event.target, angle);
    }
    return 0;
  }

  AGContext copy(context);
  event.SetupContextWithRecommendedBrushAndPen(copy);
  // NaN fails the comparison and draws nothing too.
  if (!(copy.alpha >= kAGContextMinAlpha)) return 0;
  if (!copy.brush.Appears() && !copy.pen.Appears()) return 0;

  if (event.flags & kQVDrawEventLibrary) {
    LowDrawInLibrary(copy, event.target, angle);
  } else if (event.flags & kQVDrawEventScore) {
    LowDrawInScore(copy, event.target, angle);
  }
  return 0;
}

// Draws the text path, then the prolongation line when there is room for it,
// with t (natural to target) followed by the rotation about pivot.
static void DrawTextAndLine(AGContext& context, const AGPath& textPath, const CProline& proline,
                            const AGPoint& textEnd, const AGRect& glyphBounds,
                            const AGAffineTransform& t, const AGRect& target, const AGPoint& pivot,
                            double angle) {
  const AGAffineTransform d = AGAffineTransformConcatRotation(t, angle, pivot);
  context.pen.SetLineJoin(kAGPenLineJoinRound);
  context.brush.SetFillMode(kAGBrushFillModeWinding);
  context.DrawPath(textPath, d, kAGDrawModeFillAndStroke);

  if (proline.type == kProlineTypeNone) return;
  const AGRect room =
      CStdTalvane::LowComputeRestNatBounds(t, textPath.IsEmpty(), glyphBounds, target);
  if (!HasArea(room)) return;
  const AGPath line = CStdTalvane::LowBuildPathOfProline(proline, textEnd, glyphBounds, room);
  context.DrawPath(line, d, kAGDrawModeFillAndStroke);
}

void CStdTalvane::LowDrawInScore(AGContext& context, const AGRect& target, double angle) const {
  if (!mTextPath) return;
  const AGAffineTransform t =
      LowComputeNatToMapAFT(context.transform, mGlyphBounds, target, mProline, mFontSize);
  DrawTextAndLine(context, *mTextPath, mProline, mTextEnd, mGlyphBounds, t, target, Centre(target),
                  angle);
}

void CStdTalvane::LowDrawInLibrary(AGContext& context, const AGRect& target, double angle) const {
  if (!mTextPath) return;
  const AGRect cell = AGRectMakeProportional(target, mNatBounds);
  const AGAffineTransform t = AGAffineTransformMakeScale(mNatBounds, cell);
  DrawTextAndLine(context, *mTextPath, mProline, mTextEnd, mGlyphBounds, t, cell, Centre(cell),
                  angle);
}

void CStdTalvane::LowDrawFontError(AGContext& context, const AGRect& target, double angle) const {
  // The label's own font may be missing on this system (it is not one that
  // every platform ships): the user interface font stands in, so that the
  // label is always shown.
  AGFont font(kFontErrorLabelFont, kFontErrorLabelSize, kAGFontStyleRegular);
  if (!font.IsValid()) font = AGFont(kAGFontStandardSystem, kFontErrorLabelSize);

  AGPath label;
  label.AddText(kFontErrorLabel, font, kAGNullPoint, kAGTextAlignmentLeft);
  label.ApplyTransform(AGAffineTransformMakeRotation(kFontErrorLabelTilt));
  const AGRect box = label.GetBoundingBox();
  const AGAffineTransform t = AGAffineTransformConcat(
      AGGeometry::GetPlacementAFT(box, target, kAGPlacementHCenter | kAGPlacementVCenter),
      AGAffineTransformMakeRotation(angle, Centre(target)));

  context.alpha = 1.0f;
  context.pen = kAGNullPen;
  context.brush.SetStyleSolid(kFontErrorLabelColor);
  context.DrawPath(label, t, kAGDrawModeFillAndStroke);
}
