#include "graphics/AGContext.h"

#include <algorithm>

#include "graphics/AGGraphicsLow.h"
#include "graphics/AGImage.h"

namespace {

AGRect Normalized(const AGRect& r) {
  return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2)};
}

}  // namespace

AGContext::AGContext(AGNativePort* port, const AGRect& area) : nativePort(port), bounds(area) {}

AGContext::AGContext(const AGContext& other)
    : nativePort(other.nativePort),
      options(other.options),
      alpha(other.alpha),
      clipPath(other.clipPath ? std::make_unique<AGPath>(*other.clipPath) : nullptr),
      bounds(other.bounds),
      brush(other.brush),
      pen(other.pen),
      transform(other.transform) {}

AGContext& AGContext::operator=(const AGContext& other) {
  if (this == &other) return *this;
  nativePort = other.nativePort;
  options = other.options;
  alpha = other.alpha;
  clipPath = other.clipPath ? std::make_unique<AGPath>(*other.clipPath) : nullptr;
  bounds = other.bounds;
  brush = other.brush;
  pen = other.pen;
  transform = other.transform;
  return *this;
}

AGContext::~AGContext() = default;

void AGContext::ResetAll() {
  clipPath.reset();
  options = kAGContextOptionsDefault;
  alpha = 1.0f;
  brush = kAGNullBrush;
  pen = kAGNullPen;
  transform = kAGAffineTransformIdentity;
}

void AGContext::SetClipPath(const AGPath& path) {
  clipPath.reset();
  if (!path.IsEmpty()) clipPath = std::make_unique<AGPath>(path);
}

void AGContext::SetClipRect(const AGRect& rect) {
  clipPath.reset();
  AGRect r = Normalized(rect);
  if (r.x2 - r.x1 > 0.0 && r.y2 - r.y1 > 0.0) {
    clipPath = std::make_unique<AGPath>();
    clipPath->AddRect(r);
  }
}

bool AGContext::HasClip() const { return clipPath && !clipPath->IsEmpty(); }

const AGPath& AGContext::GetClipPath() const {
  static const AGPath kNoClip;
  return clipPath ? *clipPath : kNoClip;
}

bool AGContext::DrawPath(const AGPath& path, const AGAffineTransform& t, AGDrawMode mode) const {
  return AGGraphicsLow::AGContextDrawPath(*this, path, t, mode);
}

bool AGContext::DrawPath(const AGPath& path, AGDrawMode mode) const {
  return AGGraphicsLow::AGContextDrawPath(*this, path, kAGAffineTransformIdentity, mode);
}

bool AGContext::DrawPath(const AGPath& path, const AGRect& rect, bool proportional,
                         AGDrawMode mode) const {
  if (path.IsEmpty()) return false;
  AGRect box = path.GetBoundingBox();
  if (AGRectWidth(box) == 0.0 || AGRectHeight(box) == 0.0) return false;
  AGRect target = proportional ? AGRectMakeProportional(rect, box) : rect;
  return AGGraphicsLow::AGContextDrawPath(*this, path, AGAffineTransformMakeScale(box, target),
                                          mode);
}

bool AGContext::CanDrawShape(const AGRect& normalized) const {
  return normalized.x2 - normalized.x1 > 0.0 && normalized.y2 - normalized.y1 > 0.0 &&
         (brush.Appears() || pen.Appears()) && IsVisible();
}

void AGContext::DrawRect(const AGRect& rect) const {
  AGRect r = Normalized(rect);
  if (!CanDrawShape(r)) return;
  AGPath path;
  path.AddRect(r);
  DrawPath(path, kAGDrawModeFillAndStroke);
}

void AGContext::DrawEllipseInRect(const AGRect& rect) const {
  AGRect r = Normalized(rect);
  if (!CanDrawShape(r)) return;
  AGPath path;
  path.AddEllipseInRect(r);
  DrawPath(path, kAGDrawModeFillAndStroke);
}

void AGContext::DrawRoundedRect(const AGRect& rect, double roundness) const {
  AGRect r = Normalized(rect);
  if (!CanDrawShape(r)) return;
  AGPath path;
  path.AddRoundedRect(r, roundness);
  DrawPath(path, kAGDrawModeFillAndStroke);
}

void AGContext::DrawSegment(const AGPoint& a, const AGPoint& b) const {
  if (!pen.Appears() || !IsVisible()) return;
  AGPath path;
  path.AddSegment(a, b);
  DrawPath(path, kAGDrawModeStrokeOnly);
}

void AGContext::DrawUText(const QVUniChars& chars, const AGFont& font, const AGPoint& position,
                          const AGAffineTransform& t, AGTextAlignment alignment) const {
  if (chars.IsEmpty() || !(brush.Appears() || pen.Appears()) || !IsVisible()) return;
  AGPath path;
  if (path.AddUText(chars, font, position, alignment)) DrawPath(path, t, kAGDrawModeFillAndStroke);
}

void AGContext::DrawText(const QVString& string, const AGFont& font, const AGPoint& position,
                         const AGAffineTransform& t, AGTextAlignment alignment) const {
  if (string.IsEmpty() || !(brush.Appears() || pen.Appears()) || !IsVisible()) return;
  AGPath path;
  if (path.AddText(string, font, position, alignment)) DrawPath(path, t, kAGDrawModeFillAndStroke);
}

bool AGContext::ClearPixels(AGColor color) const {
  return AGGraphicsLow::AGContextClearPixels(*this, color);
}

void AGContext::DrawImage(const AGImage& image, const AGPoint& position, const AGAffineTransform& t,
                          bool interpolate) const {
  image.Draw(*this, position, t, interpolate);
}

void AGContext::DrawImage(const AGImage& image, const AGRect& rect, bool proportional,
                          bool interpolate) const {
  image.DrawInRect(*this, rect, proportional, interpolate);
}
