#include "StudioHitTest.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "bridge/HostObject.h"
#include "StudioDocument.h"
#include "StudioViewport.h"

namespace {

constexpr StudioHandle kHandles[] = {
    // Corners first: they win ties.
    StudioHandle::kTopLeft,    StudioHandle::kTopRight, StudioHandle::kBottomRight,
    StudioHandle::kBottomLeft, StudioHandle::kTop,      StudioHandle::kRight,
    StudioHandle::kBottom,     StudioHandle::kLeft,
};

bool MovesLeft(StudioHandle h) {
  return h == StudioHandle::kTopLeft || h == StudioHandle::kLeft || h == StudioHandle::kBottomLeft;
}
bool MovesRight(StudioHandle h) {
  return h == StudioHandle::kTopRight || h == StudioHandle::kRight ||
         h == StudioHandle::kBottomRight;
}
bool MovesTop(StudioHandle h) {
  return h == StudioHandle::kTopLeft || h == StudioHandle::kTop || h == StudioHandle::kTopRight;
}
bool MovesBottom(StudioHandle h) {
  return h == StudioHandle::kBottomLeft || h == StudioHandle::kBottom ||
         h == StudioHandle::kBottomRight;
}

double Finite(double value) { return std::isfinite(value) ? value : 0.0; }

}  // namespace

StudioObjectId StudioHitTest::ObjectAt(const StudioDocument& doc, const StudioViewport& view,
                                       const AGPoint& point) {
  for (size_t i = doc.Count(); i-- > 0;) {
    AGRect r = view.FrameToView(doc.Host().Object(i).Record().frame);
    if (point.x >= r.x1 && point.x <= r.x2 && point.y >= r.y1 && point.y <= r.y2)
      return doc.IdAt(i);
  }
  return kStudioNoObject;
}

AGPoint StudioHitTest::HandlePoint(const StudioViewport& view, const AGRect& frame,
                                   StudioHandle handle) {
  AGRect r = view.FrameToView(frame);
  double x = MovesLeft(handle) ? r.x1 : MovesRight(handle) ? r.x2 : (r.x1 + r.x2) / 2.0;
  double y = MovesTop(handle) ? r.y1 : MovesBottom(handle) ? r.y2 : (r.y1 + r.y2) / 2.0;
  return {x, y};
}

StudioHandle StudioHitTest::HandleAt(const StudioViewport& view, const AGRect& frame,
                                     const AGPoint& point, double tolerance) {
  StudioHandle best = StudioHandle::kNone;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (StudioHandle handle : kHandles) {
    AGPoint at = HandlePoint(view, frame, handle);
    double distance = std::max(std::fabs(point.x - at.x), std::fabs(point.y - at.y));
    if (distance <= tolerance && distance < bestDistance) {
      best = handle;
      bestDistance = distance;
    }
  }
  return best;
}

StudioHandle StudioHitTest::SelectedHandleAt(const StudioDocument& doc, const StudioViewport& view,
                                             const std::vector<StudioObjectId>& selected,
                                             const AGPoint& point, double tolerance,
                                             StudioObjectId& id) {
  id = kStudioNoObject;
  for (size_t i = doc.Count(); i-- > 0;) {
    StudioObjectId candidate = doc.IdAt(i);
    if (std::find(selected.begin(), selected.end(), candidate) == selected.end()) continue;
    StudioHandle handle = HandleAt(view, doc.Host().Object(i).Record().frame, point, tolerance);
    if (handle != StudioHandle::kNone) {
      id = candidate;
      return handle;
    }
  }
  return StudioHandle::kNone;
}

AGRect StudioHitTest::DragHandle(const StudioViewport& view, const AGRect& start,
                                 StudioHandle handle, const AGPoint& delta, double minSize) {
  const double time = Finite(delta.x) * view.TimePerPixel();
  const double height = -Finite(delta.y) * view.HeightPerPixel();
  const double minWidth = std::max(Finite(minSize), 0.0) * view.TimePerPixel();
  const double minHeight = std::max(Finite(minSize), 0.0) * view.HeightPerPixel();
  AGRect r = {std::min(start.x1, start.x2), std::min(start.y1, start.y2),
              std::max(start.x1, start.x2), std::max(start.y1, start.y2)};
  if (MovesLeft(handle)) r.x1 = std::max(0.0, std::min(r.x1 + time, r.x2 - minWidth));
  if (MovesRight(handle)) r.x2 = std::max(r.x2 + time, r.x1 + minWidth);
  if (MovesBottom(handle)) r.y1 = std::max(0.0, std::min(r.y1 + height, r.y2 - minHeight));
  if (MovesTop(handle)) r.y2 = std::max(r.y2 + height, r.y1 + minHeight);
  return r;
}

AGRect StudioHitTest::RubberBand(const StudioViewport& view, const AGPoint& from, const AGPoint& to,
                                 double minSize) {
  const double minWidth = std::max(Finite(minSize), 0.0) * view.TimePerPixel();
  const double minHeight = std::max(Finite(minSize), 0.0) * view.HeightPerPixel();
  AGPoint a = view.ViewToScore({Finite(from.x), Finite(from.y)});
  AGPoint b = view.ViewToScore({Finite(to.x), Finite(to.y)});
  AGRect r = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  // Too small: grown the way the pointer went (right and up when it did not
  // move).
  if (r.x2 - r.x1 < minWidth) {
    if (b.x < a.x) {
      r.x1 = r.x2 - minWidth;
    } else {
      r.x2 = r.x1 + minWidth;
    }
  }
  if (r.y2 - r.y1 < minHeight) {
    if (b.y < a.y) {
      r.y1 = r.y2 - minHeight;
    } else {
      r.y2 = r.y1 + minHeight;
    }
  }
  if (r.x1 < 0.0) {
    r.x2 = std::max(r.x2, minWidth);
    r.x1 = 0.0;
  }
  if (r.y1 < 0.0) {
    r.y2 = std::max(r.y2, minHeight);
    r.y1 = 0.0;
  }
  return r;
}

std::vector<AGRect> StudioHitTest::Move(const StudioViewport& view,
                                        const std::vector<AGRect>& frames, const AGPoint& delta) {
  double time = Finite(delta.x) * view.TimePerPixel();
  double height = -Finite(delta.y) * view.HeightPerPixel();
  double earliest = std::numeric_limits<double>::infinity();
  double lowest = std::numeric_limits<double>::infinity();
  for (const AGRect& f : frames) {
    earliest = std::min(earliest, std::min(f.x1, f.x2));
    lowest = std::min(lowest, std::min(f.y1, f.y2));
  }
  // Held at the score's start and bottom; a group already beyond them may
  // move back towards them but not further out.
  if (!frames.empty()) {
    time = std::max(time, std::min(0.0, -earliest));
    height = std::max(height, std::min(0.0, -lowest));
  }
  std::vector<AGRect> moved;
  moved.reserve(frames.size());
  for (const AGRect& f : frames)
    moved.push_back({f.x1 + time, f.y1 + height, f.x2 + time, f.y2 + height});
  return moved;
}
