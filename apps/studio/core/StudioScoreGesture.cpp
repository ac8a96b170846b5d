#include "StudioScoreGesture.h"

#include <algorithm>
#include <cmath>

#include "StudioActions.h"
#include "StudioCommand.h"
#include "StudioDocument.h"
#include "StudioSelection.h"
#include "StudioViewport.h"
#include "bridge/HostObject.h"

namespace {

AGRect Normalised(const AGRect& r) {
  return AGRect{std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2),
                std::max(r.y1, r.y2)};
}

bool Meets(const AGRect& a, const AGRect& b) {
  return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

}  // namespace

StudioScoreGesture::Kind StudioScoreGesture::Press(const StudioDocument& doc,
                                                   const StudioViewport& view,
                                                   StudioSelection& selection,
                                                   const AGPoint& point, bool ctrl, bool shift) {
  Cancel();
  mStart = mLast = point;

  // Handles first: they stick out of their frame and may lie over another
  // object.
  if (!ctrl && !shift) {
    StudioObjectId id = kStudioNoObject;
    const StudioHandle handle = StudioHitTest::SelectedHandleAt(
        doc, view, selection.InZOrder(doc), point, kHandleTolerance, id);
    if (handle != StudioHandle::kNone) {
      mKind = Kind::kResize;
      mHandle = handle;
      mIds = {id};
      mStartFrames = {doc.Find(id)->Record().frame};
      return mKind;
    }
  }

  const StudioObjectId hit = StudioHitTest::ObjectAt(doc, view, point);
  if (hit != kStudioNoObject) {
    selection.Click(hit, ctrl);
    if (ctrl) return mKind;
    mKind = Kind::kMove;
    mIds = selection.InZOrder(doc);
    for (StudioObjectId id : mIds) mStartFrames.push_back(doc.Find(id)->Record().frame);
    return mKind;
  }

  if (shift) {
    mKind = Kind::kRubberBand;
    return mKind;
  }
  if (!ctrl) selection.Clear();
  mKind = ctrl ? Kind::kNone : Kind::kCreate;
  return mKind;
}

void StudioScoreGesture::Track(const AGPoint& point) {
  mLast = point;
  if (std::fabs(point.x - mStart.x) >= kDragThreshold ||
      std::fabs(point.y - mStart.y) >= kDragThreshold) {
    mDragging = true;
  }
}

int32_t StudioScoreGesture::Drag(StudioDocument& doc, const StudioViewport& view,
                                 const AGPoint& point) {
  if (mKind == Kind::kNone) return 0;
  Track(point);
  if (!mDragging) return 0;
  const AGPoint delta{point.x - mStart.x, point.y - mStart.y};
  if (mKind == Kind::kMove) {
    if (mGestureNumber == 0) mGestureNumber = doc.NewGesture();
    return StudioActions::SetFrames(doc, mIds, StudioHitTest::Move(view, mStartFrames, delta),
                                    StudioActionName::kMove, mGestureNumber);
  }
  if (mKind == Kind::kResize) {
    if (mGestureNumber == 0) mGestureNumber = doc.NewGesture();
    const AGRect frame =
        StudioHitTest::DragHandle(view, mStartFrames.front(), mHandle, delta, kMinFrameSize);
    return StudioActions::SetFrames(doc, mIds, {frame}, StudioActionName::kResize,
                                    mGestureNumber);
  }
  return 0;
}

int32_t StudioScoreGesture::Release(StudioDocument& doc, const StudioViewport& view,
                                    StudioSelection& selection, const AGPoint& point) {
  int32_t status = 0;
  if (mKind == Kind::kMove || mKind == Kind::kResize) {
    status = Drag(doc, view, point);
  } else {
    Track(point);
  }
  if (mDragging && mKind == Kind::kCreate) {
    const AGRect frame = StudioHitTest::RubberBand(view, mStart, point, kMinFrameSize);
    StudioObjectId id = kStudioNoObject;
    status = StudioActions::Create(doc, frame, &id);
    if (status == 0) {
      mCreated = id;
      selection.Replace(id);
    }
  } else if (mDragging && mKind == Kind::kRubberBand) {
    const AGRect band = Normalised(AGRect{mStart.x, mStart.y, point.x, point.y});
    for (StudioObjectId id : doc.Ids()) {
      if (Meets(band, view.FrameToView(doc.Find(id)->Record().frame))) selection.Add(id);
    }
  }
  const StudioObjectId created = mCreated;
  Cancel();
  mCreated = created;
  return status;
}

bool StudioScoreGesture::Band(AGRect& viewRect) const {
  if (!mDragging || (mKind != Kind::kCreate && mKind != Kind::kRubberBand)) return false;
  viewRect = Normalised(AGRect{mStart.x, mStart.y, mLast.x, mLast.y});
  return true;
}
