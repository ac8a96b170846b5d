#include "StudioSelection.h"

#include <algorithm>

#include "StudioDocument.h"
#include "bridge/HostObject.h"

bool StudioSelection::Contains(StudioObjectId id) const {
  return std::find(mIds.begin(), mIds.end(), id) != mIds.end();
}

std::vector<StudioObjectId> StudioSelection::InZOrder(const StudioDocument& doc) const {
  std::vector<StudioObjectId> ordered;
  for (StudioObjectId id : doc.Ids()) {
    if (Contains(id)) ordered.push_back(id);
  }
  return ordered;
}

bool StudioSelection::TimeSpan(const StudioDocument& doc, double& startMs, double& endMs) const {
  bool found = false;
  double start = 0.0;
  double end = 0.0;
  for (StudioObjectId id : mIds) {
    const HostObject* object = doc.Find(id);
    if (!object) continue;
    const AGRect& frame = object->Record().frame;
    const double lo = std::min(frame.x1, frame.x2);
    const double hi = std::max(frame.x1, frame.x2);
    start = found ? std::min(start, lo) : lo;
    end = found ? std::max(end, hi) : hi;
    found = true;
  }
  if (!found) return false;
  startMs = start;
  endMs = end;
  return true;
}

void StudioSelection::Replace(StudioObjectId id) {
  mIds.clear();
  Add(id);
}

void StudioSelection::Toggle(StudioObjectId id) {
  if (Contains(id)) {
    Remove(id);
  } else {
    Add(id);
  }
}

void StudioSelection::Add(StudioObjectId id) {
  if (id != kStudioNoObject && !Contains(id)) mIds.push_back(id);
}

void StudioSelection::Remove(StudioObjectId id) {
  mIds.erase(std::remove(mIds.begin(), mIds.end(), id), mIds.end());
}

void StudioSelection::SelectAll(const StudioDocument& doc) { mIds = doc.Ids(); }

void StudioSelection::Click(StudioObjectId id, bool ctrl) {
  if (ctrl) {
    Toggle(id);
  } else if (!Contains(id)) {
    Replace(id);
  }
}

void StudioSelection::Prune(const StudioDocument& doc) {
  mIds.erase(std::remove_if(mIds.begin(), mIds.end(),
                            [&](StudioObjectId id) { return !doc.Contains(id); }),
             mIds.end());
}
