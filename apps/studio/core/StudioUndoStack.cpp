#include "StudioUndoStack.h"

#include "StudioText.h"
#include "kit/QVErrors.h"

void StudioUndoStack::DropRedoList() {
  if (mClean > static_cast<long>(mPlace)) mClean = -1;
  mCommands.resize(mPlace);
}

int32_t StudioUndoStack::Perform(std::unique_ptr<StudioCommand> command, StudioDocument& doc) {
  int32_t status = command->Redo(doc);
  if (status != 0) return status;
  // Merging into the clean point would leave a changed document marked
  // clean; merging past a redo list would tie the new change to it.
  bool mayMerge = mPlace > 0 && mPlace == mCommands.size() && !IsClean();
  if (mayMerge && mCommands.back()->Merge(*command)) return 0;
  Record(std::move(command));
  return 0;
}

void StudioUndoStack::Record(std::unique_ptr<StudioCommand> command) {
  DropRedoList();
  mCommands.push_back(std::move(command));
  mPlace = mCommands.size();
}

int32_t StudioUndoStack::Undo(StudioDocument& doc) {
  if (!CanUndo()) return kQVErrStudioNothingToUndo;
  int32_t status = mCommands[mPlace - 1]->Undo(doc);
  if (status == 0) --mPlace;
  return status;
}

int32_t StudioUndoStack::Redo(StudioDocument& doc) {
  if (!CanRedo()) return kQVErrStudioNothingToUndo;
  int32_t status = mCommands[mPlace]->Redo(doc);
  if (status == 0) ++mPlace;
  return status;
}

std::string StudioUndoStack::UndoText() const {
  return CanUndo()
             ? StudioText::Format("Undo %s", StudioText::Get(mCommands[mPlace - 1]->Name().c_str()))
             : std::string();
}

std::string StudioUndoStack::RedoText() const {
  return CanRedo()
             ? StudioText::Format("Redo %s", StudioText::Get(mCommands[mPlace]->Name().c_str()))
             : std::string();
}

void StudioUndoStack::Clear() {
  mCommands.clear();
  mPlace = 0;
  mClean = 0;
}
