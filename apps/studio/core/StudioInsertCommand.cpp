#include "StudioInsertCommand.h"

#include <string>

#include "bridge/HostObject.h"
#include "StudioDocument.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

StudioInsertCommand::StudioInsertCommand(std::string name, std::vector<Entry> entries)
    : StudioCommand(std::move(name)), mEntries(std::move(entries)) {}

StudioInsertCommand::~StudioInsertCommand() = default;

int32_t StudioInsertCommand::Redo(StudioDocument& doc) {
  // Increasing places: each lands where it was, the earlier ones below it
  // being in place already.
  for (Entry& entry : mEntries) doc.Attach(entry.index, entry.id, std::move(entry.object));
  return 0;
}

int32_t StudioInsertCommand::Undo(StudioDocument& doc) {
  for (const Entry& entry : mEntries) {
    if (!doc.Contains(entry.id)) {
      return static_cast<int32_t>(
          QVLogStatus(kQVErrNoSuchObject, std::to_string(entry.id).c_str()));
    }
  }
  for (auto it = mEntries.rbegin(); it != mEntries.rend(); ++it) {
    it->object = doc.Detach(it->id, &it->index);
  }
  return 0;
}
