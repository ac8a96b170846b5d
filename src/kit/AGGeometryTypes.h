// The plain geometric values shared by the application kit and the graphics
// kit: points, sizes, rectangles, intervals, colours, affine transforms and
// placements, with their constants, comparisons and colour channels. Needs
// nothing but the standard library, so that the kit's text, value and file
// forms can use these types without reaching up into the graphics kit.
//
// All coordinates are doubles; the y axis points up; angles are radians.
#ifndef AG_GEOMETRY_TYPES_H
#define AG_GEOMETRY_TYPES_H

#include <cstdint>

struct AGPoint {
  double x;
  double y;
};

struct AGSize {
  double width;
  double height;
};

// Two corners, not origin and size. Normalised when x1 <= x2 and y1 <= y2.
struct AGRect {
  double x1;
  double y1;
  double x2;
  double y2;
};

struct AGInterval {
  double beg;
  double end;
};

// 0xRRGGBBAA: red in the most significant byte, alpha (255 = opaque) in the least.
using AGColor = uint32_t;

// x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct AGAffineTransform {
  double a;
  double b;
  double c;
  double d;
  double tx;
  double ty;
};

// Horizontal field: 0 Left, 0x01 Center, 0x02 Right, 0x04 Stretch.
// Vertical field: 0 Bottom, 0x10 Center, 0x20 Top, 0x40 Stretch.
// Within a field Stretch wins over Right/Top, which win over Center.
using AGPlacement = uint32_t;

enum : uint32_t {
  kAGPlacementLeft = 0x00,
  kAGPlacementHCenter = 0x01,
  kAGPlacementRight = 0x02,
  kAGPlacementHStretch = 0x04,
  kAGPlacementHMask = 0x0F,
  kAGPlacementBottom = 0x00,
  kAGPlacementVCenter = 0x10,
  kAGPlacementTop = 0x20,
  kAGPlacementVStretch = 0x40,
  kAGPlacementVMask = 0xF0,
};

inline constexpr AGPoint kAGNullPoint = {0.0, 0.0};
inline constexpr AGSize kAGNullSize = {0.0, 0.0};
inline constexpr AGRect kAGNullRect = {0.0, 0.0, 0.0, 0.0};
inline constexpr AGInterval kAGNullInterval = {0.0, 0.0};
inline constexpr AGAffineTransform kAGAffineTransformIdentity = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
// Maps every point to the origin; the answer of constructors given degenerate input.
inline constexpr AGAffineTransform kAGNullAffineTransform = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

inline constexpr AGColor kAGNullColor = 0x00000000u;
inline constexpr AGColor kAGColorBlack = 0x000000FFu;
inline constexpr AGColor kAGColorWhite = 0xFFFFFFFFu;
inline constexpr AGColor kAGColorRed = 0xFF0000FFu;
inline constexpr AGColor kAGColorGreen = 0x00FF00FFu;
inline constexpr AGColor kAGColorBlue = 0x0000FFFFu;

inline constexpr double kPi = 3.141592653589793;
inline constexpr double k2Pi = 6.283185307179586;
inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;
inline constexpr float kPiF = 3.14159265f;
inline constexpr float k2PiF = 6.28318531f;
inline constexpr float kDegToRadF = 0.0174532925f;
inline constexpr float kRadToDegF = 57.2957795f;
// An infinite distance.
inline constexpr double kQVHugeFloat64 = 1e31;
inline constexpr float kQVHugeFloat32 = 1e31f;

inline constexpr double kAGMapUnitToSecond = 0.01;
inline constexpr double kAGMapUnitToHertz = 50.0;
inline constexpr double kAGMapUnitToKHertz = 0.05;
inline constexpr double kAGMapUnitEpsilon = 0.001;

inline uint32_t AGColorRed(AGColor c) { return (c >> 24) & 0xFFu; }
inline uint32_t AGColorGreen(AGColor c) { return (c >> 16) & 0xFFu; }
inline uint32_t AGColorBlue(AGColor c) { return (c >> 8) & 0xFFu; }
inline uint32_t AGColorAlpha(AGColor c) { return c & 0xFFu; }
inline AGColor AGColorMake(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) {
  return ((r & 0xFFu) << 24) | ((g & 0xFFu) << 16) | ((b & 0xFFu) << 8) | (a & 0xFFu);
}

inline bool operator==(const AGPoint& p, const AGPoint& q) { return p.x == q.x && p.y == q.y; }
inline bool operator!=(const AGPoint& p, const AGPoint& q) { return !(p == q); }
inline bool operator==(const AGSize& p, const AGSize& q) {
  return p.width == q.width && p.height == q.height;
}
inline bool operator!=(const AGSize& p, const AGSize& q) { return !(p == q); }
inline bool operator==(const AGRect& r, const AGRect& s) {
  return r.x1 == s.x1 && r.y1 == s.y1 && r.x2 == s.x2 && r.y2 == s.y2;
}
inline bool operator!=(const AGRect& r, const AGRect& s) { return !(r == s); }
inline bool operator==(const AGInterval& p, const AGInterval& q) {
  return p.beg == q.beg && p.end == q.end;
}
inline bool operator!=(const AGInterval& p, const AGInterval& q) { return !(p == q); }
inline bool operator==(const AGAffineTransform& t, const AGAffineTransform& u) {
  return t.a == u.a && t.b == u.b && t.c == u.c && t.d == u.d && t.tx == u.tx && t.ty == u.ty;
}
inline bool operator!=(const AGAffineTransform& t, const AGAffineTransform& u) { return !(t == u); }

inline double AGRectWidth(const AGRect& r) { return r.x2 - r.x1; }
inline double AGRectHeight(const AGRect& r) { return r.y2 - r.y1; }

#endif
