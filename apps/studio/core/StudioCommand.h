// One undoable change of a studio document. The undo stack runs it (Redo),
// takes it back (Undo) and runs it again (Redo), always on the document in
// the state it left it in.
//
// Contract for every command: Redo and Undo return 0 or a status, and on a
// failure leave the document exactly as it was, so the stack can keep its
// place. A command never holds pointers to the document's objects, only
// their ids: objects may be replaced by new ones in the same state.
#ifndef STUDIO_COMMAND_H
#define STUDIO_COMMAND_H

#include <cstdint>
#include <string>

class StudioDocument;

// The studio's own action names; object-level actions are named by the
// plug-in (its translated names, such as "Change Talvane Font Size").
namespace StudioActionName {
inline constexpr const char* kCreate = "Create";
inline constexpr const char* kDelete = "Delete";
inline constexpr const char* kMove = "Move";
inline constexpr const char* kResize = "Resize";
inline constexpr const char* kDuplicate = "Duplicate";
inline constexpr const char* kPaste = "Paste";
inline constexpr const char* kTyping = "Typing";
}  // namespace StudioActionName

class StudioCommand {
 public:
  // name: UTF-8, shown as "Undo <name>" and "Redo <name>".
  explicit StudioCommand(std::string name) : mName(std::move(name)) {}
  virtual ~StudioCommand() = default;
  StudioCommand(const StudioCommand&) = delete;
  StudioCommand& operator=(const StudioCommand&) = delete;

  const std::string& Name() const { return mName; }

  virtual int32_t Redo(StudioDocument& doc) = 0;
  virtual int32_t Undo(StudioDocument& doc) = 0;
  // Called with the command that has just run after this one: true when this
  // command took next's change in (the steps of one drag), so that both
  // undo as one. next is dropped then.
  virtual bool Merge(const StudioCommand& next) {
    (void)next;
    return false;
  }

 private:
  std::string mName;
};

#endif
