// New frames for objects ("Move", "Resize"). The steps of one drag share a
// gesture number and merge into one command: undoing it puts the frames back
// where the drag started.
#ifndef STUDIO_FRAME_COMMAND_H
#define STUDIO_FRAME_COMMAND_H

#include <cstdint>
#include <vector>

#include "StudioCommand.h"
#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"

class StudioFrameCommand : public StudioCommand {
 public:
  // ids, before and after: one entry each per object. gesture: the drag the
  // change belongs to; 0 for a change of its own that never merges.
  StudioFrameCommand(std::string name, std::vector<StudioObjectId> ids, std::vector<AGRect> before,
                     std::vector<AGRect> after, uint64_t gesture);

  // kQVErrNoSuchObject when an id is not in the document (nothing changes).
  int32_t Redo(StudioDocument& doc) override;
  int32_t Undo(StudioDocument& doc) override;
  // Takes next's frames when it is a frame command of the same name, the same
  // non-zero gesture and the same objects.
  bool Merge(const StudioCommand& next) override;

 private:
  int32_t Apply(StudioDocument& doc, const std::vector<AGRect>& frames) const;

  std::vector<StudioObjectId> mIds;
  std::vector<AGRect> mBefore;
  std::vector<AGRect> mAfter;
  uint64_t mGesture;
};

#endif
