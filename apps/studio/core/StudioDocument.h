// A studio document: the host's document of objects (frames, base brush and
// pen, the plug-in's payload), the recording it annotates, a stable id per
// object, and the undo history that says whether it differs from its file.
//
// Score coordinates: an object's frame x is time in milliseconds from the
// start of the recording; y is height in score units, upward from the
// bottom of the score strip (y up, as the graphics kit draws).
//
// Z-order: objects are kept bottom to top; the last one is drawn last, on
// top of the others, and is the first a click finds.
//
// Changes go through commands (StudioActions builds them) so that they can
// be undone. The objects are handed out read-only; the HostObject behind an
// id may be replaced by an equal one when a change is undone or redone, so
// callers keep ids, not pointers, across commands.
//
// Not thread-safe: one thread (the GUI's) uses a document.
#ifndef STUDIO_DOCUMENT_H
#define STUDIO_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bridge/HostDocument.h"
#include "StudioObjectId.h"
#include "StudioUndoStack.h"

class HostObject;
class HostPlugin;
class StudioCommand;

class StudioDocument {
 public:
  explicit StudioDocument(HostPlugin& plugin);
  StudioDocument(const StudioDocument&) = delete;
  StudioDocument& operator=(const StudioDocument&) = delete;

  HostPlugin& Plugin() const { return mPlugin; }
  // For drawing and saving: the objects in z-order, index i under id IdAt(i).
  const HostDocument& Host() const { return mHost; }

  // ---- Files
  // Replaces the objects and the recording with the document at path
  // (UTF-8): new ids, an empty history, not modified. A document without a
  // recording ("rcrd") opens with none. On failure nothing changes
  // (HostDocument's statuses: a damaged "rcrd" chunk is kQVErrBadDocument);
  // kQVErrStudioTyping (-1408) while an object is typed into.
  [[nodiscard]] int32_t Load(const std::string& path);
  // Writes the objects and the recording's path to path; on success the
  // present place of the history becomes the clean point. HostDocument's
  // statuses (kQVErrBadProperty for a recording path it cannot store);
  // kQVErrStudioTyping while an object is typed into.
  [[nodiscard]] int32_t Save(const std::string& path);
  // The path of the last successful load or save; empty before.
  const std::string& Path() const { return mPath; }
  // The recording the score annotates (UTF-8 path; empty: none). Saved in
  // the document's "rcrd" chunk, relative to the document's folder when the
  // recording lies in it or beneath it, else absolute (relative with ".."
  // when the absolute path is too long for the chunk); after a load, the
  // stored path taken from the document's folder (absolute), so that a
  // document moved together with its recording still finds it.
  const std::string& RecordingPath() const { return mRecordingPath; }
  // Another recording is a change to save: the document counts as modified
  // until it is saved (no step records it: undo does not bring the old
  // recording back). The same path again changes nothing.
  void SetRecordingPath(const std::string& path);
  // The recording a new document starts with, before anything else
  // happened (the studio started on a new document and a recording): not a
  // change, the document stays as clean as it was.
  void StartWithRecording(const std::string& path) { mRecordingPath = path; }

  // ---- Objects
  size_t Count() const { return mIds.size(); }
  // The id at index (z-order); kStudioNoObject beyond the end.
  StudioObjectId IdAt(size_t index) const;
  // Ids bottom to top.
  const std::vector<StudioObjectId>& Ids() const { return mIds; }
  // Where id lies in z-order; false for an id not in the document.
  bool IndexOf(StudioObjectId id, size_t& index) const;
  bool Contains(StudioObjectId id) const;
  // The object, or null for an id not in the document.
  const HostObject* Find(StudioObjectId id) const;

  // ---- History
  // Runs command and keeps it in the history (StudioUndoStack::Perform).
  // kQVErrStudioTyping while an object is typed into.
  [[nodiscard]] int32_t Perform(std::unique_ptr<StudioCommand> command);
  // Keeps a command whose change is already made (StudioUndoStack::Record).
  void Record(std::unique_ptr<StudioCommand> command) { mHistory.Record(std::move(command)); }
  // kQVErrStudioTyping while an object is typed into; then as the stack's.
  [[nodiscard]] int32_t Undo();
  [[nodiscard]] int32_t Redo();
  const StudioUndoStack& History() const { return mHistory; }
  // Differs from its file (or, never saved, from the empty document).
  bool IsModified() const { return !mHistory.IsClean(); }
  // An object is being typed into (StudioTypingSession): commands, undo,
  // redo, loading and saving wait until it ends.
  bool IsTyping() const { return mTyping; }

  // A number for the steps of one drag (never 0): frame changes carrying the
  // same number merge into one step.
  uint64_t NewGesture() { return mNextGesture++; }

  // ---- For commands: changes that are not recorded.
  StudioObjectId NewId() { return mNextId++; }
  // Puts object under id at index (an index beyond the end appends).
  void Attach(size_t index, StudioObjectId id, std::unique_ptr<HostObject> object);
  // Takes the object out; null for an id not in the document. index receives
  // where it lay (may be null).
  std::unique_ptr<HostObject> Detach(StudioObjectId id, size_t* index);
  // The object for a command to change in place; null for an unknown id.
  HostObject* Edit(StudioObjectId id);
  // The objects changed in a way no step records: the document counts as
  // modified until it is saved.
  void ForgetClean() { mHistory.ForgetClean(); }

 private:
  friend class StudioTypingSession;

  HostPlugin& mPlugin;
  HostDocument mHost;
  std::vector<StudioObjectId> mIds;  // parallel to mHost's objects
  StudioObjectId mNextId = 1;
  uint64_t mNextGesture = 1;
  StudioUndoStack mHistory;
  std::string mPath;
  std::string mRecordingPath;
  bool mTyping = false;
};

#endif
