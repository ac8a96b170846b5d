// Pointer geometry of the score view, in view pixels (see StudioViewport.h):
// which object is under the pointer, the resize handles of a selected
// frame, and the frames a drag makes: a handle dragged, a rubber band drawn
// to create an object, a selection moved.
//
// Frames never invert and never shrink below a minimum size given in
// pixels; the score has nothing before time 0 nor below the strip's bottom
// (height 0), so frames made by dragging stay at time >= 0 and height >= 0.
#ifndef STUDIO_HIT_TEST_H
#define STUDIO_HIT_TEST_H

#include <vector>

#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"

class StudioDocument;
class StudioViewport;

// The eight handles of a frame, named as the frame appears on screen (top:
// the frame's higher edge, its y2 in the score).
enum class StudioHandle {
  kNone,
  kTopLeft,
  kTop,
  kTopRight,
  kRight,
  kBottomRight,
  kBottom,
  kBottomLeft,
  kLeft,
};

class StudioHitTest {
 public:
  // The topmost object whose frame contains point (edges included);
  // kStudioNoObject when there is none.
  static StudioObjectId ObjectAt(const StudioDocument& doc, const StudioViewport& view,
                                 const AGPoint& point);

  // Where handle sits on frame, in view pixels: corners and edge midpoints.
  // kNone gives the frame's centre.
  static AGPoint HandlePoint(const StudioViewport& view, const AGRect& frame, StudioHandle handle);
  // The handle of frame within tolerance pixels of point (in both
  // directions); the nearest when several are (a small frame), corners before
  // edges on a tie. kNone when none is.
  static StudioHandle HandleAt(const StudioViewport& view, const AGRect& frame,
                               const AGPoint& point, double tolerance);
  // The handle under point among the selected objects, topmost first; id
  // receives its object (kStudioNoObject with kNone).
  static StudioHandle SelectedHandleAt(const StudioDocument& doc, const StudioViewport& view,
                                       const std::vector<StudioObjectId>& selected,
                                       const AGPoint& point, double tolerance, StudioObjectId& id);

  // start with handle dragged by delta pixels (y down). The opposite edges
  // stay; a moving edge stops minSize pixels from its opposite, and the left
  // and bottom edges stop at time 0 and height 0.
  static AGRect DragHandle(const StudioViewport& view, const AGRect& start, StudioHandle handle,
                           const AGPoint& delta, double minSize);

  // The frame of a new object drawn from pixel `from` to pixel `to`:
  // normalised, at least minSize pixels each way (grown in the direction of
  // the drag), then moved to time >= 0 and height >= 0.
  static AGRect RubberBand(const StudioViewport& view, const AGPoint& from, const AGPoint& to,
                           double minSize);

  // frames moved together by delta pixels: time and height offsets, held so
  // that no frame goes before time 0 or below height 0 (frames already there
  // are not pushed out).
  static std::vector<AGRect> Move(const StudioViewport& view, const std::vector<AGRect>& frames,
                                  const AGPoint& delta);
};

#endif
