// The studio's undo history: the commands done, in order, and a place in it.
// Commands before the place can be undone, those after it redone; doing a
// new command drops those after it. The clean point marks the place where
// the document matches its file: the document is modified whenever the place
// is elsewhere, and a clean point dropped with the redo list is never
// reached again.
//
// Status codes: the commands' own; kQVErrStudioNothingToUndo (-1407, not
// logged) for Undo or Redo with nothing to take back or run again.
#ifndef STUDIO_UNDO_STACK_H
#define STUDIO_UNDO_STACK_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "StudioCommand.h"

class StudioDocument;

class StudioUndoStack {
 public:
  StudioUndoStack() = default;
  StudioUndoStack(const StudioUndoStack&) = delete;
  StudioUndoStack& operator=(const StudioUndoStack&) = delete;

  // Runs command (Redo) and keeps it; when it fails nothing is kept and the
  // status is returned. A command that merges into the last one (see
  // StudioCommand::Merge) joins it instead of taking a step of its own,
  // unless the last one is the clean point or something can be redone.
  [[nodiscard]] int32_t Perform(std::unique_ptr<StudioCommand> command, StudioDocument& doc);
  // Keeps a command whose change has already been made (by the object, in
  // its inspector or while typed into). Never merges.
  void Record(std::unique_ptr<StudioCommand> command);

  [[nodiscard]] int32_t Undo(StudioDocument& doc);
  [[nodiscard]] int32_t Redo(StudioDocument& doc);
  bool CanUndo() const { return mPlace > 0; }
  bool CanRedo() const { return mPlace < mCommands.size(); }
  // The names for menus: "Undo Move", "Redo Typing", in the studio's
  // language (StudioText: "Annuler Déplacer"); empty when there is nothing
  // to undo or redo.
  std::string UndoText() const;
  std::string RedoText() const;

  // Marks the present place as matching the file.
  void SetClean() { mClean = static_cast<long>(mPlace); }
  bool IsClean() const { return mClean == static_cast<long>(mPlace); }
  // The document changed in a way no step records (a change that could not
  // be kept): no place of the history is clean any more.
  void ForgetClean() { mClean = -1; }
  // Forgets every command; the empty history is clean.
  void Clear();

  size_t Count() const { return mCommands.size(); }
  // Commands before the place: those Undo can take back.
  size_t Place() const { return mPlace; }

 private:
  void DropRedoList();

  std::vector<std::unique_ptr<StudioCommand>> mCommands;
  size_t mPlace = 0;
  long mClean = 0;  // -1: unreachable
};

#endif
