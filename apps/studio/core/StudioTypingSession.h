// One object typed into in place, from Begin to Finish, recorded as one
// "Typing" step: undoing it brings back the object as it was when typing
// began (its text and every setting), redoing it the object as typing left
// it.
//
// While a session is open the document refuses commands, undo, redo,
// loading and saving (kQVErrStudioTyping): the object must stay the one the
// session edits. The GUI finishes the session first (a click elsewhere, the
// object asking to end, a menu command). At most one session per document;
// a session ends before its document goes.
#ifndef STUDIO_TYPING_SESSION_H
#define STUDIO_TYPING_SESSION_H

#include <cstdint>
#include <memory>

#include "bridge/HostEdit.h"
#include "StudioObjectId.h"
#include "StudioObjectSnapshot.h"
#include "graphics/AGContext.h"

class StudioDocument;

class StudioTypingSession {
 public:
  // view: the context the object is shown in; its transform maps score
  // coordinates onto the device (as for HostEditSession).
  StudioTypingSession(StudioDocument& doc, StudioObjectId id, const AGContext& view);
  // Finishes a session still open.
  ~StudioTypingSession();
  StudioTypingSession(const StudioTypingSession&) = delete;
  StudioTypingSession& operator=(const StudioTypingSession&) = delete;

  // Starts editing. kQVErrNoSuchObject for an unknown id, kQVErrStudioTyping
  // when this or another session of the document is open, a snapshot's file
  // status, or the object's edit status (then nothing is open).
  int32_t Begin();
  // One key or mouse event (HostEditSession's); kQVErrGeneric when the
  // session is not open.
  int32_t Key(const HostEditKey& key);
  int32_t Mouse(int32_t phase, const AGPoint& point, uint32_t modifiers);
  // Begun and not finished.
  bool IsOpen() const { return mSession != nullptr; }
  // The object has asked to end editing (a click outside its text, say): the
  // GUI finishes the session.
  bool ObjectWantsToEnd() const { return mSession && !mSession->IsEditing(); }
  // The last event as the object answered it (valid while open).
  const QVEditEvent* LastEvent() const { return mSession ? &mSession->LastEvent() : nullptr; }

  // Ends editing and, when the object changed, records the step. 0 also when
  // nothing was open. A change that cannot be recorded (its snapshot fails)
  // leaves the document modified; that status is returned.
  int32_t Finish();

 private:
  StudioDocument& mDoc;
  StudioObjectId mId;
  AGContext mView;
  StudioObjectSnapshot mBefore;
  std::unique_ptr<HostEditSession> mSession;
};

#endif
