// Conversions between the graphics kit's double-precision values and the
// platform layer's single-precision points, rectangles (origin and size),
// transforms and paths.
//
// Point and rectangle conversions add the offset in both directions (callers
// pass the negated offset for the way back); there is no y flip.
#ifndef AG_NATIVE_CONVERT_H
#define AG_NATIVE_CONVERT_H

#include "graphics/AGGeometry.h"
#include "graphics/platform/AGNativePath.h"
#include "kit/ATArray.h"

namespace AGNativeConvert {

// (x + offset.x, y + offset.y) as doubles.
inline AGPoint AGPointConvert(const AGNativePoint& p, const AGPoint& offset = kAGNullPoint) {
  return {double(p.x) + offset.x, double(p.y) + offset.y};
}

// (x + offset.x, y + offset.y), summed in double, rounded to single precision.
inline AGNativePoint NativePointConvert(const AGPoint& p, const AGPoint& offset = kAGNullPoint) {
  return {static_cast<float>(p.x + offset.x), static_cast<float>(p.y + offset.y)};
}

// Corners (origin + offset) and (origin + offset + size).
inline AGRect AGRectConvert(const AGNativeRect& r, const AGPoint& offset = kAGNullPoint) {
  double x1 = double(r.origin.x) + offset.x, y1 = double(r.origin.y) + offset.y;
  return {x1, y1, x1 + r.size.width, y1 + r.size.height};
}

// Origin (x1, y1) + offset, size (x2 - x1, y2 - y1); not normalised.
inline AGNativeRect NativeRectConvert(const AGRect& r, const AGPoint& offset = kAGNullPoint) {
  return {{static_cast<float>(r.x1 + offset.x), static_cast<float>(r.y1 + offset.y)},
          {static_cast<float>(r.x2 - r.x1), static_cast<float>(r.y2 - r.y1)}};
}

// Coefficient by coefficient.
inline AGNativeTransform NativeMatrixConvert(const AGAffineTransform& t) {
  return {static_cast<float>(t.a),  static_cast<float>(t.b),  static_cast<float>(t.c),
          static_cast<float>(t.d),  static_cast<float>(t.tx), static_cast<float>(t.ty)};
}

inline AGAffineTransform AGMatrixConvert(const AGNativeTransform& m) {
  return {m.a, m.b, m.c, m.d, m.tx, m.ty};
}

// Resizes out to the input's length and converts each point.
inline void NativePointsConvert(const ATNumberArray<AGPoint>& points,
                                ATNumberArray<AGNativePoint>& out,
                                const AGPoint& offset = kAGNullPoint) {
  out.SetLength(points.Length());
  for (uint32_t i = 0; i < points.Length(); ++i) out[i] = NativePointConvert(points[i], offset);
}

// A new path; when path is not null, its elements mapped through m.
inline AGNativePath NativePathCreateCopyAndTransform(const AGNativePath* path,
                                                     const AGNativeTransform& m) {
  return path ? path->CopyByTransforming(m) : AGNativePath();
}

}  // namespace AGNativeConvert

#endif
