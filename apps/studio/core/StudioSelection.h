// The objects selected in the score view, by id. A value type: copies are
// independent; queries are const.
#ifndef STUDIO_SELECTION_H
#define STUDIO_SELECTION_H

#include <cstddef>
#include <vector>

#include "StudioObjectId.h"

class StudioDocument;

class StudioSelection {
 public:
  bool IsEmpty() const { return mIds.empty(); }
  size_t Count() const { return mIds.size(); }
  bool Contains(StudioObjectId id) const;
  // In the order they were selected.
  const std::vector<StudioObjectId>& Ids() const { return mIds; }
  // Those still in doc, bottom to top: the order commands take them in.
  std::vector<StudioObjectId> InZOrder(const StudioDocument& doc) const;

  // The time the selected objects of doc cover, in ms: from the earliest
  // start to the latest end of their frames (edges in either order). False,
  // leaving startMs and endMs as they were, when none of them is in doc.
  // This is the range the play key plays.
  bool TimeSpan(const StudioDocument& doc, double& startMs, double& endMs) const;

  // Only id (kStudioNoObject: nothing).
  void Replace(StudioObjectId id);
  // Adds id when it is not selected, removes it when it is (ctrl-click).
  void Toggle(StudioObjectId id);
  void Add(StudioObjectId id);
  void Remove(StudioObjectId id);
  // Every object of doc, bottom to top.
  void SelectAll(const StudioDocument& doc);
  void Clear() { mIds.clear(); }

  // A click on id (kStudioNoObject: on the empty score). With ctrl: toggles
  // id (a click on the empty score changes nothing). Without: a click on a
  // selected object keeps the selection, so that dragging moves all of it; a
  // click on another object selects only it; a click on the empty score
  // clears the selection.
  void Click(StudioObjectId id, bool ctrl);

  // Forgets ids no longer in doc (an undone creation, a deletion).
  void Prune(const StudioDocument& doc);

  bool operator==(const StudioSelection& other) const { return mIds == other.mIds; }

 private:
  std::vector<StudioObjectId> mIds;
};

#endif
