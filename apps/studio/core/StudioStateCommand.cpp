#include "StudioStateCommand.h"

#include <memory>
#include <string>

#include "bridge/HostObject.h"
#include "StudioDocument.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

StudioStateCommand::StudioStateCommand(std::string name, std::vector<StudioObjectId> ids,
                                       std::vector<StudioObjectSnapshot> before,
                                       std::vector<StudioObjectSnapshot> after)
    : StudioCommand(std::move(name)),
      mIds(std::move(ids)),
      mBefore(std::move(before)),
      mAfter(std::move(after)) {}

int32_t StudioStateCommand::Apply(StudioDocument& doc,
                                  const std::vector<StudioObjectSnapshot>& states) const {
  // Every new object is made before the document is touched.
  std::vector<std::unique_ptr<HostObject>> made(mIds.size());
  for (size_t i = 0; i < mIds.size() && i < states.size(); ++i) {
    if (!doc.Contains(mIds[i])) {
      return static_cast<int32_t>(QVLogStatus(kQVErrNoSuchObject, std::to_string(mIds[i]).c_str()));
    }
    int32_t status = states[i].Instantiate(doc.Plugin(), made[i]);
    if (status != 0) return status;
  }
  for (size_t i = 0; i < made.size(); ++i) {
    if (!made[i]) continue;
    size_t index = 0;
    doc.Detach(mIds[i], &index);
    doc.Attach(index, mIds[i], std::move(made[i]));
  }
  return 0;
}

int32_t StudioStateCommand::Redo(StudioDocument& doc) { return Apply(doc, mAfter); }

int32_t StudioStateCommand::Undo(StudioDocument& doc) { return Apply(doc, mBefore); }
