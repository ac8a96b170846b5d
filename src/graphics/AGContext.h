// AGContext: what the graphics kit draws on. A drawing port with the bounds
// of its area, an opacity, an optional clip path, the brush and the pen of
// the next drawing and a transform applied after each drawing's own.
//
// A plain record: callers copy the context they are handed, set its fields
// directly and call the drawing operations. Drawing never changes the port's
// own state (each operation saves and restores it) and never fails loudly: a
// context without a port, an opacity below 0.01 (or not a number), an
// invisible brush and pen or degenerate geometry draw nothing.
//
// Coordinates have y pointing up, in the port's coordinates after the
// context's transform (see AGGraphicsLow.h for ports).
#ifndef AG_CONTEXT_H
#define AG_CONTEXT_H

#include <cstdint>
#include <memory>

#include "graphics/AGBrush.h"
#include "graphics/AGFont.h"
#include "graphics/AGGeometry.h"
#include "graphics/AGPath.h"
#include "graphics/AGPen.h"
#include "kit/QVString.h"

// The platform drawing port (AGGraphicsLow.h creates and releases them).
class AGNativePort;
class AGImage;

// Which parts of a path a drawing shows: bit 0 suppresses the stroke, bit 1
// the fill.
using AGDrawMode = uint32_t;
enum : uint32_t {
  kAGDrawModeFillAndStroke = 0,
  kAGDrawModeFillOnly = 1,
  kAGDrawModeStrokeOnly = 2,
  kAGDrawModeNothing = 3,
};

// AGContext::options bits.
enum : uint32_t {
  // Edges are anti-aliased; without it they snap to whole pixels.
  kAGContextOptionAntialias = 0x1,
  // The 8x8 pattern grid follows each drawing: a tile's corner sits on the
  // path's origin (AGPath::GetOrigin) as drawn, rounded to whole pixels,
  // instead of on the top left corner of the bounds.
  kAGContextOptionAlignPattern = 0x2,
  kAGContextOptionsDefault = kAGContextOptionAntialias | kAGContextOptionAlignPattern,
};

// Opacities below this draw nothing.
inline constexpr float kAGContextMinAlpha = 0.01f;

class AGContext {
 public:
  // Not owned; null draws nothing.
  AGNativePort* nativePort = nullptr;
  uint32_t options = kAGContextOptionsDefault;
  // Overall opacity applied to each fill and each stroke on its own (where a
  // fill and its stroke overlap, both show); values above 1 count as 1.
  float alpha = 1.0f;
  // Owned copy of the clip, in the coordinates of transform; null: no clip.
  std::unique_ptr<AGPath> clipPath;
  // The drawable area in the port's coordinates.
  AGRect bounds = kAGNullRect;
  AGBrush brush;
  AGPen pen;
  // Maps drawings into the port's coordinates, after their own transform.
  AGAffineTransform transform = kAGAffineTransformIdentity;

  // Every other field at its default: no clip, options 3, alpha 1, no
  // brush, no pen, identity transform.
  explicit AGContext(AGNativePort* port = nullptr, const AGRect& area = kAGNullRect);
  // Copies every field; the copy owns its own copy of the clip.
  AGContext(const AGContext& other);
  AGContext& operator=(const AGContext& other);
  AGContext(AGContext&& other) noexcept = default;
  AGContext& operator=(AGContext&& other) noexcept = default;
  ~AGContext();

  // Drops the clip and sets options, alpha, brush, pen and transform to their
  // defaults; port and bounds stay.
  void ResetAll();
  void ResetClip() { clipPath.reset(); }
  // Clips to a copy of path (non-zero winding rule); an empty path leaves
  // the context unclipped.
  void SetClipPath(const AGPath& path);
  // Clips to rect, normalised; a rect without positive width and height
  // leaves the context unclipped.
  void SetClipRect(const AGRect& rect);
  // A clip path exists and is not empty.
  bool HasClip() const;
  // The clip path, or a shared empty path when there is none.
  const AGPath& GetClipPath() const;

  // Fills path with the brush and strokes it with the pen, as mode allows,
  // mapped by t and then by transform. False when nothing was handed to the
  // port (see AGGraphicsLow::AGContextDrawPath).
  bool DrawPath(const AGPath& path, const AGAffineTransform& t, AGDrawMode mode) const;
  bool DrawPath(const AGPath& path, AGDrawMode mode = kAGDrawModeFillAndStroke) const;
  // path's bounding box (control points included) mapped onto rect, or onto
  // the centred part of rect with the box's proportions. Nothing for an
  // empty path or a box without width or height, which no scale maps onto
  // rect.
  bool DrawPath(const AGPath& path, const AGRect& rect, bool proportional, AGDrawMode mode) const;

  // Filled and stroked shapes, rect normalised first; nothing when it has no
  // positive width and height or when neither brush nor pen appears.
  void DrawRect(const AGRect& rect) const;
  void DrawEllipseInRect(const AGRect& rect) const;
  // Corner radius min(width, height) * roundness / 2 (see AGPath::AddRoundedRect).
  void DrawRoundedRect(const AGRect& rect, double roundness) const;
  // Stroked with the pen only; nothing when the pen does not appear.
  void DrawSegment(const AGPoint& a, const AGPoint& b) const;

  // Glyph outlines of the text laid out at position (AGPath::AddUText),
  // mapped by t, filled and stroked. Nothing for empty text, an invalid
  // font or when neither brush nor pen appears. DrawText takes native
  // (Mac OS Roman) text.
  void DrawUText(const QVUniChars& chars, const AGFont& font, const AGPoint& position,
                 const AGAffineTransform& t, AGTextAlignment alignment) const;
  void DrawText(const QVString& string, const AGFont& font, const AGPoint& position,
                const AGAffineTransform& t, AGTextAlignment alignment) const;

  // The image with its pixel size in the rectangle at position, mapped by t
  // (AGImage::Draw); or stretched onto rect, or onto the centred part of rect
  // with the image's proportions (AGImage::DrawInRect). Nothing for an empty
  // image.
  void DrawImage(const AGImage& image, const AGPoint& position, const AGAffineTransform& t,
                 bool interpolate) const;
  void DrawImage(const AGImage& image, const AGRect& rect, bool proportional, bool interpolate) const;

  // Paints the bounds with color's red, green and blue, fully opaque (its
  // alpha is ignored); clip, transform and alpha do not apply. False
  // without a port.
  bool ClearPixels(AGColor color) const;

  // Whether alpha lets anything be drawn (at least 0.01, not a number fails).
  bool IsVisible() const { return alpha >= kAGContextMinAlpha; }

 private:
  // Whether a shape in this normalised rectangle would show anything.
  bool CanDrawShape(const AGRect& normalized) const;
};

#endif
