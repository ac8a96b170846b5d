// What the studio's main window offers the panels in its side area (the
// inspector, the keyboard map, ...): a panel registers a listener to hear of
// selection changes, document changes and the start and end of in-place
// editing, and asks the window to perform a change or to send an edit key to
// the object being typed into.
//
// Everything happens on the GUI thread. The document, selection and session
// handed out are the window's own: read them during the call or through the
// accessors below, never keep pointers across calls (an undo can replace the
// object behind an id; see StudioDocument.h).
//
// Lifetime: the window outlives its panels' registrations; a panel removes
// its listener (RemoveListener) before it goes. Listeners are called in the
// order they were added; a listener may call back into the host (Perform,
// SendEditKey) but must not add or remove listeners during a notification.
#ifndef STUDIO_PANEL_HOST_H
#define STUDIO_PANEL_HOST_H

#include <cstdint>
#include <functional>

#include "StudioObjectId.h"
#include "StudioSelection.h"
#include "bridge/HostEdit.h"

class StudioDocument;

// What a panel hears. Each has an empty default, so a panel overrides only
// what it needs.
class StudioPanelListener {
 public:
  virtual ~StudioPanelListener() = default;
  // The selection is now selection (ids of the window's document).
  virtual void SelectionChanged(const StudioSelection& selection) { (void)selection; }
  // The document changed: a step performed, undone or redone, an object
  // typed into, a load, a save (the modified flag) or a new document. The
  // panel re-reads what it shows.
  virtual void DocumentChanged(const StudioDocument& doc) { (void)doc; }
  // In-place editing began (id: the object typed into) or ended
  // (kStudioNoObject). While it lasts, performing changes is refused
  // (kQVErrStudioTyping) and SendEditKey reaches the object.
  virtual void EditingChanged(StudioObjectId id) { (void)id; }
};

class StudioPanelHost {
 public:
  virtual ~StudioPanelHost() = default;

  // listener is not owned. Adding one already added does nothing.
  virtual void AddListener(StudioPanelListener* listener) = 0;
  virtual void RemoveListener(StudioPanelListener* listener) = 0;

  virtual const StudioDocument& Document() const = 0;
  virtual const StudioSelection& Selection() const = 0;
  // The object being typed into; kStudioNoObject when none.
  virtual StudioObjectId EditedObject() const = 0;

  // Runs change against the window's document (a StudioActions call, say
  // `[&](StudioDocument& d) { return StudioActions::SetProperties(d, ...); }`)
  // and returns its status unchanged. On success the window repaints, updates
  // its title and menus and notifies every listener (DocumentChanged); on
  // failure it reports the status to the person and changes nothing else.
  // kQVErrStudioTyping without calling change while an object is typed into.
  [[nodiscard]] virtual int32_t Perform(const std::function<int32_t(StudioDocument&)>& change) = 0;

  // Sends one key to the object being typed into, as if typed in the score
  // view: code is a Linux evdev key code, modifiers the edit event's bits
  // (shift 1, third level 2, command 8; see HostEditKey). The object's
  // status; kQVErrStudioNotTyping (-1440) when nothing is being edited.
  [[nodiscard]] virtual int32_t SendEditKey(const HostEditKey& key) = 0;

  // Gives the keyboard back to the score view (after a panel's button was
  // clicked, say), so that typing goes on where it was.
  virtual void FocusScore() = 0;
};

#endif
