// Whole-object changes: properties set, a setting changed in the object's
// inspector, a typing session. Each object is kept as it was before and
// after (StudioObjectSnapshot); Undo and Redo replace the object under its
// id, at its place, by a new one made from the other snapshot, so hidden
// settings come back too.
#ifndef STUDIO_STATE_COMMAND_H
#define STUDIO_STATE_COMMAND_H

#include <vector>

#include "StudioCommand.h"
#include "StudioObjectId.h"
#include "StudioObjectSnapshot.h"

class StudioStateCommand : public StudioCommand {
 public:
  // ids, before and after: one entry each per object.
  StudioStateCommand(std::string name, std::vector<StudioObjectId> ids,
                     std::vector<StudioObjectSnapshot> before,
                     std::vector<StudioObjectSnapshot> after);

  // kQVErrNoSuchObject for an id not in the document; the snapshots'
  // statuses when an object cannot be made. Nothing changes on failure.
  [[nodiscard]] int32_t Redo(StudioDocument& doc) override;
  [[nodiscard]] int32_t Undo(StudioDocument& doc) override;

 private:
  [[nodiscard]] int32_t Apply(StudioDocument& doc,
                              const std::vector<StudioObjectSnapshot>& states) const;

  std::vector<StudioObjectId> mIds;
  std::vector<StudioObjectSnapshot> mBefore;
  std::vector<StudioObjectSnapshot> mAfter;
};

#endif
