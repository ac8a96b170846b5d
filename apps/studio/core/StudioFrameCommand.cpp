#include "StudioFrameCommand.h"

#include <string>

#include "bridge/HostObject.h"
#include "StudioDocument.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

StudioFrameCommand::StudioFrameCommand(std::string name, std::vector<StudioObjectId> ids,
                                       std::vector<AGRect> before, std::vector<AGRect> after,
                                       uint64_t gesture)
    : StudioCommand(std::move(name)),
      mIds(std::move(ids)),
      mBefore(std::move(before)),
      mAfter(std::move(after)),
      mGesture(gesture) {}

int32_t StudioFrameCommand::Apply(StudioDocument& doc, const std::vector<AGRect>& frames) const {
  std::vector<HostObject*> objects;
  for (StudioObjectId id : mIds) {
    HostObject* object = doc.Edit(id);
    if (!object)
      return static_cast<int32_t>(QVLogStatus(kQVErrNoSuchObject, std::to_string(id).c_str()));
    objects.push_back(object);
  }
  for (size_t i = 0; i < objects.size() && i < frames.size(); ++i)
    objects[i]->Record().frame = frames[i];
  return 0;
}

int32_t StudioFrameCommand::Redo(StudioDocument& doc) { return Apply(doc, mAfter); }

int32_t StudioFrameCommand::Undo(StudioDocument& doc) { return Apply(doc, mBefore); }

bool StudioFrameCommand::Merge(const StudioCommand& next) {
  auto* other = dynamic_cast<const StudioFrameCommand*>(&next);
  if (!other || mGesture == 0 || other->mGesture != mGesture || other->Name() != Name() ||
      other->mIds != mIds) {
    return false;
  }
  mAfter = other->mAfter;
  return true;
}
