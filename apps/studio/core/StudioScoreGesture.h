// What a drag of the first mouse button does in the score view, from press
// to release, in view pixels (see StudioViewport.h):
//
//   press on a handle of a selected object   resize that object ("Resize")
//   press on an object                       select it as a click does
//                                            (StudioSelection::Click), then
//                                            move the selection ("Move");
//                                            with ctrl: toggle it, no move
//   press on the empty score                 draw a new object's frame
//                                            ("Create"); the selection is
//                                            cleared
//   shift+press on the empty score           rubber band: on release the
//                                            objects whose frames meet the
//                                            band join the selection
//
// A press and release within kDragThreshold pixels of each other is a click:
// it changes the selection only (nothing is created or moved). Moves and
// resizes change the document while the pointer moves, every step under
// one gesture number, so that the drag undoes in one step.
//
// Status codes: those of StudioActions (Create, SetFrames); a failed step
// leaves the document as the last good step made it.
#ifndef STUDIO_SCORE_GESTURE_H
#define STUDIO_SCORE_GESTURE_H

#include <cstdint>
#include <vector>

#include "StudioHitTest.h"
#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"

class StudioDocument;
class StudioSelection;
class StudioViewport;

class StudioScoreGesture {
 public:
  enum class Kind { kNone, kCreate, kMove, kResize, kRubberBand };

  // A handle is hit within this many pixels of its centre.
  static constexpr double kHandleTolerance = 5.0;
  // New and resized frames are at least this many pixels each way.
  static constexpr double kMinFrameSize = 8.0;
  // Pointer travel (pixels, in either direction) that makes a press a drag.
  static constexpr double kDragThreshold = 3.0;

  // The first button went down at point. Updates selection as a click does
  // and returns the gesture begun (kNone: nothing follows, e.g. ctrl+click).
  Kind Press(const StudioDocument& doc, const StudioViewport& view, StudioSelection& selection,
             const AGPoint& point, bool ctrl, bool shift);
  // The pointer moved to point with the button down. Moves and resizes
  // follow it in the document. 0 or the action's status.
  [[nodiscard]] int32_t Drag(StudioDocument& doc, const StudioViewport& view, const AGPoint& point);
  // The button came up at point: ends the gesture. A creation makes the
  // object and selects only it; a rubber band adds what it meets to the
  // selection. 0 or the action's status.
  [[nodiscard]] int32_t Release(StudioDocument& doc, const StudioViewport& view,
                                StudioSelection& selection, const AGPoint& point);
  // Forgets the gesture (what a move or resize already did stays).
  void Cancel() { *this = StudioScoreGesture(); }

  Kind Current() const { return mKind; }
  // The pointer has travelled far enough for a drag.
  bool IsDragging() const { return mDragging; }
  // The rectangle to show while creating or rubber-banding, in view pixels
  // (from the press to the pointer); false for other gestures and before
  // the pointer has travelled kDragThreshold.
  bool Band(AGRect& viewRect) const;
  // The object a creation made (kStudioNoObject before or without one).
  StudioObjectId Created() const { return mCreated; }

 private:
  void Track(const AGPoint& point);

  Kind mKind = Kind::kNone;
  AGPoint mStart{0.0, 0.0};
  AGPoint mLast{0.0, 0.0};
  bool mDragging = false;
  uint64_t mGestureNumber = 0;
  StudioHandle mHandle = StudioHandle::kNone;
  std::vector<StudioObjectId> mIds;   // moved or resized, in z-order
  std::vector<AGRect> mStartFrames;  // their frames at the press
  StudioObjectId mCreated = kStudioNoObject;
};

#endif
