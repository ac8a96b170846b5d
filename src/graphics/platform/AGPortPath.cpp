#include "graphics/platform/AGPortPath_p.h"

#include <algorithm>
#include <cmath>

#include "graphics/platform/AGNativePath.h"

namespace {

using Verb = AGPortPath::Verb;

// Curves reaching beyond safe are halved at most this deep; a piece still
// crossing into visible from beyond safe then is taken as its chord. Each
// level halves a piece, so only control points some 2^200 times the safe
// margin away ever get there.
constexpr int kMaxSplitDepth = 200;

bool IsFinite(const AGPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

AGRect BoxOf(const AGPoint* p, int count) {
  AGRect box = {p[0].x, p[0].y, p[0].x, p[0].y};
  for (int i = 1; i < count; ++i) {
    box.x1 = std::min(box.x1, p[i].x);
    box.y1 = std::min(box.y1, p[i].y);
    box.x2 = std::max(box.x2, p[i].x);
    box.y2 = std::max(box.y2, p[i].y);
  }
  return box;
}

bool Holds(const AGRect& outer, const AGRect& inner) {
  return outer.x1 <= inner.x1 && inner.x2 <= outer.x2 && outer.y1 <= inner.y1 &&
         inner.y2 <= outer.y2;
}

bool Touches(const AGRect& a, const AGRect& b) {
  return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

// Halfway between a and b, without overflow for huge values.
AGPoint Mid(const AGPoint& a, const AGPoint& b) {
  return {a.x * 0.5 + b.x * 0.5, a.y * 0.5 + b.y * 0.5};
}

// The cubic p split at t = 1/2 (de Casteljau): left = l[0..3], right = r[0..3].
void Split(const AGPoint p[4], AGPoint l[4], AGPoint r[4]) {
  AGPoint p01 = Mid(p[0], p[1]), p12 = Mid(p[1], p[2]), p23 = Mid(p[2], p[3]);
  AGPoint a = Mid(p01, p12), b = Mid(p12, p23), m = Mid(a, b);
  l[0] = p[0], l[1] = p01, l[2] = a, l[3] = m;
  r[0] = m, r[1] = b, r[2] = p23, r[3] = p[3];
}

AGPoint Along(const AGPoint& p, const AGPoint& q, double t) {
  if (t <= 0.0) return p;
  if (t >= 1.0) return q;
  return {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t};
}

// The parameter range [t0, t1] of the segment p q that lies in box
// (Liang-Barsky); false when none does.
bool ClipSegment(const AGPoint& p, const AGPoint& q, const AGRect& box, double* t0, double* t1) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double num[4] = {p.x - box.x1, box.x2 - p.x, p.y - box.y1, box.y2 - p.y};
  const double den[4] = {-dx, dx, -dy, dy};
  double lo = 0.0, hi = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (den[i] == 0.0) {
      if (num[i] < 0.0) return false;  // parallel to this edge and beyond it
      continue;
    }
    double r = num[i] / den[i];
    if (den[i] < 0.0) {
      if (r > hi) return false;
      lo = std::max(lo, r);
    } else {
      if (r < lo) return false;
      hi = std::min(hi, r);
    }
  }
  *t0 = lo;
  *t1 = hi;
  return true;
}

// ---------------------------------------------------------------------------
// Fill: closed loops clipped as polygons (Sutherland-Hodgman) against the
// four half-planes of safe. An edge outside one half-plane is replaced by a
// run along its boundary line; the part removed and that run together form
// a loop outside the half-plane, which winds zero times around every point
// inside it, so each such point keeps its winding number.

struct Edge {
  bool curve;
  AGPoint c1, c2;  // controls of a curve
  AGPoint end;
};

// One of safe's four half-planes: axis 0 is x, 1 is y; keep >= limit when
// lower, else <= limit.
struct HalfPlane {
  int axis;
  bool lower;
  double limit;

  double Coord(const AGPoint& p) const { return axis == 0 ? p.x : p.y; }
  bool Inside(const AGPoint& p) const {
    return lower ? Coord(p) >= limit : Coord(p) <= limit;
  }
  // Where p q crosses the boundary line (p and q on either side of it).
  AGPoint Crossing(const AGPoint& p, const AGPoint& q) const {
    double t = (limit - Coord(p)) / (Coord(q) - Coord(p));
    AGPoint c = Along(p, q, t);
    (axis == 0 ? c.x : c.y) = limit;
    return c;
  }
};

// The loop (which starts at the end of its last edge) clipped to one
// half-plane. Curve edges lie in safe, so inside every half-plane.
void ClipLoop(const std::vector<Edge>& in, const HalfPlane& plane, std::vector<Edge>* out) {
  out->clear();
  if (in.empty()) return;
  AGPoint p = in.back().end;
  for (const Edge& e : in) {
    const AGPoint& q = e.end;
    if (e.curve) {
      out->push_back(e);
    } else {
      bool inP = plane.Inside(p), inQ = plane.Inside(q);
      if (inP && inQ) {
        out->push_back(e);
      } else if (inP) {
        out->push_back({false, {}, {}, plane.Crossing(p, q)});
      } else if (inQ) {
        // The line to the crossing runs along the boundary from where the
        // loop last left the half-plane.
        out->push_back({false, {}, {}, plane.Crossing(p, q)});
        out->push_back(e);
      }
    }
    p = q;
  }
}

class FillClipper {
 public:
  FillClipper(const AGRect& visible, const AGRect& safe, AGPortPath* out)
      : mVisible(visible), mSafe(safe), mOut(out) {}

  void Begin(const AGPoint& start) {
    mLoop.clear();
    mStart = mCurrent = start;
  }
  void Line(const AGPoint& p) {
    mLoop.push_back({false, {}, {}, p});
    mCurrent = p;
  }
  void Cubic(const AGPoint& c1, const AGPoint& c2, const AGPoint& p) {
    const AGPoint curve[4] = {mCurrent, c1, c2, p};
    AddCurve(curve, 0);
    mCurrent = p;
  }
  // Closes the loop and appends what is left of it.
  void End() {
    if (mLoop.empty()) return;
    if (mCurrent != mStart) Line(mStart);
    const HalfPlane planes[4] = {{0, true, mSafe.x1},
                                 {0, false, mSafe.x2},
                                 {1, true, mSafe.y1},
                                 {1, false, mSafe.y2}};
    for (const HalfPlane& plane : planes) {
      ClipLoop(mLoop, plane, &mScratch);
      mLoop.swap(mScratch);
    }
    if (mLoop.empty()) return;
    mOut->MoveTo(mLoop.back().end);
    for (const Edge& e : mLoop) {
      if (e.curve) {
        mOut->CubicTo(e.c1, e.c2, e.end);
      } else {
        mOut->LineTo(e.end);
      }
    }
    mOut->Close();
    mLoop.clear();
  }

 private:
  void AddCurve(const AGPoint p[4], int depth) {
    AGRect box = BoxOf(p, 4);
    if (Holds(mSafe, box)) {
      mLoop.push_back({true, p[1], p[2], p[3]});
    } else if (!Touches(box, mVisible) || depth >= kMaxSplitDepth) {
      mLoop.push_back({false, {}, {}, p[3]});
    } else {
      AGPoint l[4], r[4];
      Split(p, l, r);
      AddCurve(l, depth + 1);
      AddCurve(r, depth + 1);
    }
  }

  AGRect mVisible;
  AGRect mSafe;
  AGPortPath* mOut;
  std::vector<Edge> mLoop;
  std::vector<Edge> mScratch;
  AGPoint mStart = kAGNullPoint;
  AGPoint mCurrent = kAGNullPoint;
};

// ---------------------------------------------------------------------------
// Stroke: the pen is lifted wherever the line leaves visible.

class StrokeClipper {
 public:
  StrokeClipper(const AGRect& visible, const AGRect& safe, AGPortPath* out)
      : mVisible(visible), mSafe(safe), mOut(out) {}

  void Begin(const AGPoint& start) {
    mPiece.clear();
    mFirstPieceEnd = 0;
    mStart = mCurrent = start;
    mPenDown = false;
    mCut = false;
    mFirstAtStart = false;
  }

  void Line(const AGPoint& q) {
    AddLine(mCurrent, q);
    mCurrent = q;
  }

  void Cubic(const AGPoint& c1, const AGPoint& c2, const AGPoint& q) {
    const AGPoint curve[4] = {mCurrent, c1, c2, q};
    AddCurve(curve, 0);
    mCurrent = q;
  }

  void End(bool closed) {
    if (closed) {
      double t0 = 0.0, t1 = 0.0;
      if (!mCut && ClipSegment(mCurrent, mStart, mVisible, &t0, &t1) && t0 == 0.0 && t1 == 1.0) {
        // Nothing was cut: the sub-path goes out whole, closing join included.
        if (!mPenDown) PutDown(mStart);
        mPiece.push_back({Verb::kClose, {}});
        Flush(0);
        return;
      }
      AddLine(mCurrent, mStart);
      mCurrent = mStart;
      // The last piece ends where the first began: one piece through the
      // start, so that the join there is drawn.
      if (mPenDown && mFirstAtStart && mFirstPieceEnd > 0) {
        for (size_t i = 1; i < mFirstPieceEnd; ++i) mPiece.push_back(mPiece[i]);
        Flush(mFirstPieceEnd);
        return;
      }
    }
    Flush(0);
  }

 private:
  void Lift() {
    mPenDown = false;
    mCut = true;
  }

  void PutDown(const AGPoint& p) {
    if (!mPiece.empty() && mFirstPieceEnd == 0) mFirstPieceEnd = mPiece.size();
    if (mPiece.empty()) mFirstAtStart = !mCut && p == mStart;
    mPiece.push_back({Verb::kMove, {p}});
    mPenDown = true;
  }

  void AddLine(const AGPoint& p, const AGPoint& q) {
    double t0 = 0.0, t1 = 0.0;
    if (!ClipSegment(p, q, mVisible, &t0, &t1)) {
      Lift();
      return;
    }
    if (t0 > 0.0) Lift();
    if (!mPenDown) PutDown(Along(p, q, t0));
    mPiece.push_back({Verb::kLine, {Along(p, q, t1)}});
    if (t1 < 1.0) Lift();
  }

  void AddCurve(const AGPoint p[4], int depth) {
    AGRect box = BoxOf(p, 4);
    if (!Touches(box, mVisible)) {
      Lift();
    } else if (Holds(mSafe, box)) {
      if (!mPenDown) PutDown(p[0]);
      mPiece.push_back({Verb::kCubic, {p[1], p[2], p[3]}});
    } else if (depth >= kMaxSplitDepth) {
      AddLine(p[0], p[3]);
    } else {
      AGPoint l[4], r[4];
      Split(p, l, r);
      AddCurve(l, depth + 1);
      AddCurve(r, depth + 1);
    }
  }

  // Appends the pieces from index first on (a piece starts with its move).
  void Flush(size_t first) {
    for (size_t i = first; i < mPiece.size(); ++i) {
      const AGPortPath::Element& e = mPiece[i];
      switch (e.verb) {
        case Verb::kMove:
          mOut->MoveTo(e.p[0]);
          break;
        case Verb::kLine:
          mOut->LineTo(e.p[0]);
          break;
        case Verb::kCubic:
          mOut->CubicTo(e.p[0], e.p[1], e.p[2]);
          break;
        case Verb::kClose:
          mOut->Close();
          break;
      }
    }
    mPiece.clear();
  }

  AGRect mVisible;
  AGRect mSafe;
  AGPortPath* mOut;
  std::vector<AGPortPath::Element> mPiece;  // the sub-path's pieces so far
  size_t mFirstPieceEnd = 0;                // where the second piece starts, 0 while one
  AGPoint mStart = kAGNullPoint;
  AGPoint mCurrent = kAGNullPoint;
  bool mPenDown = false;
  bool mCut = false;           // something of the sub-path was left out
  bool mFirstAtStart = false;  // the first piece begins at the sub-path's start
};

// Walks path's sub-paths into a clipper: Begin(start), Line, Cubic, then
// End (with whether the sub-path was closed, for strokes).
template <class Clipper, class EndFn>
void WalkSubPaths(const std::vector<AGPortPath::Element>& elements, Clipper& clipper, EndFn end) {
  bool open = false;
  for (const AGPortPath::Element& e : elements) {
    switch (e.verb) {
      case Verb::kMove:
        if (open) end(false);
        clipper.Begin(e.p[0]);
        open = true;
        break;
      case Verb::kLine:
        clipper.Line(e.p[0]);
        break;
      case Verb::kCubic:
        clipper.Cubic(e.p[0], e.p[1], e.p[2]);
        break;
      case Verb::kClose:
        end(true);
        open = false;
        break;
    }
  }
  if (open) end(false);
}

}  // namespace

bool AGPortPath::Assign(const AGNativePath& path, const AGAffineTransform& toPort) {
  *this = AGPortPath();
  mElements.reserve(path.GetElementCount() + 1);
  const uint32_t count = path.GetElementCount();
  for (uint32_t i = 0; i < count; ++i) {
    AGNativeElement e = path.GetElement(i);
    AGPoint p[3] = {};
    const uint32_t n = AGNativeElementPointCount(e.type);
    for (uint32_t k = 0; k < n; ++k) {
      p[k] = AGPointApplyTransform({e.points[k].x, e.points[k].y}, toPort);
      if (!IsFinite(p[k])) {
        *this = AGPortPath();
        return false;
      }
    }
    switch (e.type) {
      case AGNativeElementType::kMoveTo:
        MoveTo(p[0]);
        break;
      case AGNativeElementType::kLineTo:
        LineTo(p[0]);
        break;
      case AGNativeElementType::kQuadTo: {
        // The cubic with controls 2/3 of the way from each end to the
        // quadratic's control draws the same curve.
        const double k = 2.0 / 3.0;
        const AGPoint& c = p[0];
        const AGPoint& q = p[1];
        CubicTo({mCurrent.x + k * (c.x - mCurrent.x), mCurrent.y + k * (c.y - mCurrent.y)},
                {q.x + k * (c.x - q.x), q.y + k * (c.y - q.y)}, q);
        break;
      }
      case AGNativeElementType::kCubicTo:
        CubicTo(p[0], p[1], p[2]);
        break;
      case AGNativeElementType::kClose:
        Close();
        break;
    }
  }
  return true;
}

void AGPortPath::MoveTo(const AGPoint& p) {
  mElements.push_back({Verb::kMove, {p}});
  mStart = mCurrent = p;
  mHasCurrent = true;
  mClosed = false;
}

void AGPortPath::LineTo(const AGPoint& p) {
  if (!mHasCurrent) return;
  if (mClosed) MoveTo(mStart);
  mElements.push_back({Verb::kLine, {p}});
  mCurrent = p;
}

void AGPortPath::CubicTo(const AGPoint& c1, const AGPoint& c2, const AGPoint& p) {
  if (!mHasCurrent) return;
  if (mClosed) MoveTo(mStart);
  mElements.push_back({Verb::kCubic, {c1, c2, p}});
  mCurrent = p;
}

void AGPortPath::Close() {
  if (!mHasCurrent || mClosed) return;
  mElements.push_back({Verb::kClose, {}});
  mCurrent = mStart;
  mClosed = true;
}

AGRect AGPortPath::Bounds() const {
  AGRect box = kAGNullRect;
  bool any = false;
  for (const Element& e : mElements) {
    int n = e.verb == Verb::kCubic ? 3 : e.verb == Verb::kClose ? 0 : 1;
    if (n == 0) continue;
    AGRect b = BoxOf(e.p, n);
    if (!any) {
      box = b;
      any = true;
    } else {
      box = {std::min(box.x1, b.x1), std::min(box.y1, b.y1), std::max(box.x2, b.x2),
             std::max(box.y2, b.y2)};
    }
  }
  return box;
}

AGPortPath::Fit AGPortPath::Classify(const AGRect& visible, const AGRect& safe) const {
  if (mElements.empty()) return Fit::kOutside;
  AGRect box = Bounds();
  if (!Touches(box, visible)) return Fit::kOutside;
  return Holds(safe, box) ? Fit::kInside : Fit::kCrossing;
}

AGPortPath AGPortPath::Clipped(const AGRect& visible, const AGRect& safe, Use use) const {
  AGPortPath out;
  if (use == Use::kFill) {
    FillClipper clipper(visible, safe, &out);
    WalkSubPaths(mElements, clipper, [&clipper](bool) { clipper.End(); });
  } else {
    StrokeClipper clipper(visible, safe, &out);
    WalkSubPaths(mElements, clipper, [&clipper](bool closed) { clipper.End(closed); });
  }
  return out;
}
