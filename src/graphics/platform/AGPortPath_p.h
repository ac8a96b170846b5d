// A path in a port's coordinates (points, y up), in double precision: what a
// drawing finally hands to the drawing service, made safe for it first.
//
// The drawing service keeps coordinates in 24.8 fixed point, so a coordinate
// beyond about 8.4 million device units wraps around: a long line seen
// through a deep zoom would vanish, and geometry far away could land in
// view. A drawing's path is therefore culled and clipped here, in double
// precision, before the service sees it:
//
// - visible: the part of the plane where the drawing can show anything (the
//   port grown by a margin for anti-aliasing, and for a stroke by its
//   width, caps, joins and miters);
// - safe: a larger box, holding visible, inside which the service represents
//   every coordinate exactly.
//
// A path whose box lies in safe goes to the service unchanged; one whose box
// misses visible is not drawn at all; any other is clipped (Clipped below),
// so that everything the service receives lies in safe and the pixels inside
// visible stay exactly those of the unclipped geometry.
#ifndef AG_PORT_PATH_P_H
#define AG_PORT_PATH_P_H

#include <cstdint>
#include <vector>

#include "graphics/AGGeometry.h"

class AGNativePath;

class AGPortPath {
 public:
  enum class Verb : uint8_t {
    kMove,   // p[0]: the start of a new sub-path
    kLine,   // p[0]: the end
    kCubic,  // p[0], p[1]: controls; p[2]: the end
    kClose,  // back to the sub-path's start; no point
  };
  struct Element {
    Verb verb;
    AGPoint p[3];
  };

  // How a drawing uses the path: a fill (or a clip) shows the area the
  // sub-paths enclose, each taken as closed, under either fill rule; a
  // stroke shows the lines themselves with their caps and joins.
  enum class Use : uint8_t { kFill, kStroke };

  // Where a path stands against the port's boxes (see Classify).
  enum class Fit : uint8_t { kOutside, kInside, kCrossing };

  AGPortPath() = default;

  // path's elements mapped by toPort, computed in double precision;
  // quadratic segments become the cubics that draw the same curve. False,
  // leaving this path empty, when a mapped coordinate is not finite.
  bool Assign(const AGNativePath& path, const AGAffineTransform& toPort);

  // Building, with the drawing service's rules: a segment or close without
  // a current point is ignored; after kClose the current point is the
  // sub-path's start, and a segment from there begins a new sub-path at it.
  void MoveTo(const AGPoint& p);
  void LineTo(const AGPoint& p);
  void CubicTo(const AGPoint& c1, const AGPoint& c2, const AGPoint& p);
  void Close();

  bool IsEmpty() const { return mElements.empty(); }
  const std::vector<Element>& Elements() const { return mElements; }
  // Box of every point, control points included; kAGNullRect when empty.
  AGRect Bounds() const;

  // kOutside: the box misses visible (nothing of the path can show);
  // kInside: the box lies in safe (the path can go to the service as it
  // is); kCrossing: anything else, which needs Clipped. Boxes are closed
  // (a shared edge counts as touching).
  Fit Classify(const AGRect& visible, const AGRect& safe) const;

  // A path with every coordinate in safe that draws, for use, the same
  // pixels inside visible as this path. safe must hold visible.
  //
  // Fill: each sub-path is closed and clipped to safe as a polygon; the
  // parts cut off are replaced by runs along safe's edges, which keeps the
  // winding number of every point inside safe, so both fill rules give the
  // same area there. Curves whose control box lies in safe stay as they
  // are; curves reaching beyond it are split (exactly) until each piece
  // either lies in safe or has a control box missing visible, which is
  // replaced by its chord (a piece and its chord enclose nothing visible).
  //
  // Stroke: segments are cut at visible's edges and what lies outside is
  // left out; a sub-path is broken into pieces there (the cut ends fall
  // outside visible, so their caps do not show). Joins inside visible stay:
  // a closed sub-path that is cut keeps the join at its start by running
  // its last piece on into its first. Curves are split as for a fill;
  // pieces missing visible are left out.
  AGPortPath Clipped(const AGRect& visible, const AGRect& safe, Use use) const;

 private:
  std::vector<Element> mElements;
  AGPoint mStart = kAGNullPoint;    // the current sub-path's start
  AGPoint mCurrent = kAGNullPoint;  // the current point
  bool mHasCurrent = false;
  bool mClosed = false;  // the last element was kClose
};

#endif
