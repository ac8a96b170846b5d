// What a person does to a studio document, each as one undoable step named
// for the Edit menu: create, delete, duplicate, copy and paste objects, move
// and resize them, set their properties, change a setting in an object's
// inspector. (Typing into an object is a StudioTypingSession.)
//
// Frames are in score coordinates (see StudioDocument.h). Frames handed in
// are normalised (x1 <= x2, y1 <= y2); one that is not finite is refused
// with kQVErrBadProperty (-706, "Frame"). Lists of ids name objects of the
// document, each once (repeats are ignored); an unknown id is refused with
// kQVErrNoSuchObject (-707). While an object is typed into every action is
// refused with kQVErrStudioTyping (-1408). On any failure the document and
// its history are unchanged.
#ifndef STUDIO_ACTIONS_H
#define STUDIO_ACTIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"

class QVDictionary;
class HostGUIDesc;
class QVGUIDescObject;
class StudioDocument;

class StudioActions {
 public:
  // "Create": a default object of the plug-in's class (made with
  // "-default") with frame, on top of the others. id receives its id (may be
  // null). The object's own status when it refuses to start.
  [[nodiscard]] static int32_t Create(StudioDocument& doc, const AGRect& frame, StudioObjectId* id);

  // "Delete". No ids: nothing happens, nothing is recorded.
  [[nodiscard]] static int32_t Delete(StudioDocument& doc, const std::vector<StudioObjectId>& ids);

  // "Duplicate": exact copies of the objects, their frames moved by
  // timeOffset (ms) and heightOffset (score units), put on top in the
  // originals' z-order. newIds receives the copies' ids in that order (may be
  // null).
  [[nodiscard]] static int32_t Duplicate(StudioDocument& doc,
                                         const std::vector<StudioObjectId>& ids, double timeOffset,
                                         double heightOffset, std::vector<StudioObjectId>* newIds);

  // The clipboard form of the objects (whole objects in z-order, see
  // StudioObjectSnapshot.h). Not a step: nothing changes.
  [[nodiscard]] static int32_t Copy(const StudioDocument& doc,
                                    const std::vector<StudioObjectId>& ids, std::string& bytes);
  // "Paste": the objects of a clipboard form, their frames moved by the
  // offsets, on top. kQVErrStudioClipboard (-1406) for damaged data,
  // kQVErrUnknownClass for objects of another class. An empty list pastes
  // nothing and records nothing.
  [[nodiscard]] static int32_t Paste(StudioDocument& doc, const std::string& bytes,
                                     double timeOffset, double heightOffset,
                                     std::vector<StudioObjectId>* newIds);

  // "Move" or "Resize" (name: StudioActionName::kMove or kResize): new
  // frames, one per id. gesture: from StudioDocument::NewGesture(), the same
  // for every step of one drag so that the drag undoes in one step; 0 for a
  // change of its own. Frames equal to the present ones record nothing.
  [[nodiscard]] static int32_t SetFrames(StudioDocument& doc,
                                         const std::vector<StudioObjectId>& ids,
                                         const std::vector<AGRect>& frames, const char* name,
                                         uint64_t gesture);

  // Sets properties (the whole class chain: the plug-in's and "Brush" and
  // "Pen") on each object, as one step named actionName (UTF-8). Values are
  // taken as the object takes them (clamped, filtered); a change that leaves
  // every object as it was records nothing. The objects' own status when
  // they refuse.
  [[nodiscard]] static int32_t SetProperties(StudioDocument& doc,
                                             const std::vector<StudioObjectId>& ids,
                                             const QVDictionary& properties,
                                             const std::string& actionName);

  // Fills desc (the plug-in's inspector description) from the object. Not a
  // step. Without a desc: kQVErrGeneric (logged), here and below.
  [[nodiscard]] static int32_t FillInspector(StudioDocument& doc, StudioObjectId id,
                                             QVGUIDescObject* desc);
  // Hands the object the change of control in desc. When the object reports
  // a change, one step named by the object's action name (translated by the
  // plug-in, given back in UTF-8) is recorded, and actionName receives it;
  // otherwise actionName is emptied.
  [[nodiscard]] static int32_t ChangeInInspector(StudioDocument& doc, StudioObjectId id,
                                                 QVGUIDescObject* desc, uint32_t control,
                                                 std::string& actionName);
  // The same change for a multiple selection: each object of ids, bottom to
  // top, is handed the control as the person left it (an object writing a
  // clamped value back does not change what the next one reads), and the
  // objects that changed are kept as one step named by the object's action
  // name. Any object's failure puts every object back and records nothing;
  // that object's status is returned. No ids: nothing happens.
  [[nodiscard]] static int32_t ChangeInInspector(StudioDocument& doc,
                                                 const std::vector<StudioObjectId>& ids,
                                                 HostGUIDesc* desc, uint32_t control,
                                                 std::string& actionName);
};

#endif
