#include "StudioRemoveCommand.h"

#include <algorithm>
#include <string>

#include "bridge/HostObject.h"
#include "StudioDocument.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

StudioRemoveCommand::StudioRemoveCommand(std::string name, std::vector<StudioObjectId> ids)
    : StudioCommand(std::move(name)), mIds(std::move(ids)) {
  // An id named twice is one object: one entry.
  std::sort(mIds.begin(), mIds.end());
  mIds.erase(std::unique(mIds.begin(), mIds.end()), mIds.end());
}

StudioRemoveCommand::~StudioRemoveCommand() = default;

int32_t StudioRemoveCommand::Redo(StudioDocument& doc) {
  std::vector<Removed> removed;
  for (StudioObjectId id : mIds) {
    size_t index = 0;
    if (!doc.IndexOf(id, index)) {
      return static_cast<int32_t>(QVLogStatus(kQVErrNoSuchObject, std::to_string(id).c_str()));
    }
    removed.push_back({index, id, nullptr});
  }
  std::sort(removed.begin(), removed.end(),
            [](const Removed& a, const Removed& b) { return a.index < b.index; });
  // From the top down, so that the places found above stay true.
  for (auto it = removed.rbegin(); it != removed.rend(); ++it)
    it->object = doc.Detach(it->id, nullptr);
  mRemoved = std::move(removed);
  return 0;
}

int32_t StudioRemoveCommand::Undo(StudioDocument& doc) {
  for (Removed& entry : mRemoved) doc.Attach(entry.index, entry.id, std::move(entry.object));
  mRemoved.clear();
  return 0;
}
