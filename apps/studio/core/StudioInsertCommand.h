// Objects that come into the document: created, duplicated or pasted. Redo
// puts each at its place in z-order under its id; Undo takes them out again
// and keeps them for the next Redo, so they come back exactly, ids included.
#ifndef STUDIO_INSERT_COMMAND_H
#define STUDIO_INSERT_COMMAND_H

#include <cstddef>
#include <memory>
#include <vector>

#include "StudioCommand.h"
#include "StudioObjectId.h"

class HostObject;

class StudioInsertCommand : public StudioCommand {
 public:
  struct Entry {
    size_t index;  // z-order place once inserted; entries in increasing order
    StudioObjectId id;
    std::unique_ptr<HostObject> object;
  };

  StudioInsertCommand(std::string name, std::vector<Entry> entries);
  ~StudioInsertCommand() override;

  int32_t Redo(StudioDocument& doc) override;
  // kQVErrNoSuchObject when an inserted object has gone (nothing changes).
  int32_t Undo(StudioDocument& doc) override;

 private:
  std::vector<Entry> mEntries;
};

#endif
