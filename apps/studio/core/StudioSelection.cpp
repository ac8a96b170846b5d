#include "StudioSelection.h"

#include <algorithm>

#include "StudioDocument.h"

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
