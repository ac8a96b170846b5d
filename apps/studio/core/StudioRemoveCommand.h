// Objects taken out of the document ("Delete"). Redo takes them out and keeps
// them, with their places in z-order; Undo puts the very same objects back
// where they were, under the same ids.
#ifndef STUDIO_REMOVE_COMMAND_H
#define STUDIO_REMOVE_COMMAND_H

#include <cstddef>
#include <memory>
#include <vector>

#include "StudioCommand.h"
#include "StudioObjectId.h"

class HostObject;

class StudioRemoveCommand : public StudioCommand {
 public:
  // ids: the objects to take out, in any order (an id named twice counts once).
  StudioRemoveCommand(std::string name, std::vector<StudioObjectId> ids);
  ~StudioRemoveCommand() override;

  // kQVErrNoSuchObject when an id is not in the document (nothing changes).
  int32_t Redo(StudioDocument& doc) override;
  int32_t Undo(StudioDocument& doc) override;

 private:
  struct Removed {
    size_t index;
    StudioObjectId id;
    std::unique_ptr<HostObject> object;
  };

  std::vector<StudioObjectId> mIds;
  std::vector<Removed> mRemoved;  // increasing places, while removed
};

#endif
