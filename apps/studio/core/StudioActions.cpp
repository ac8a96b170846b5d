#include "StudioActions.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <cstring>
#include <memory>

#include "bridge/HostGUI.h"
#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "StudioDocument.h"
#include "StudioFrameCommand.h"
#include "StudioInsertCommand.h"
#include "StudioObjectSnapshot.h"
#include "StudioRemoveCommand.h"
#include "StudioStateCommand.h"
#include "host/QVGUIEvent.h"
#include "kit/QVArgs.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

namespace {

// Logs code, whose message takes one text, and returns it.
template <QVStatus code>
[[nodiscard]] int32_t Refuse(const char* what) {
  return static_cast<int32_t>(QVLogStatus<code>(what));
}

[[nodiscard]] int32_t RefuseIfTyping(const StudioDocument& doc, const char* what) {
  return doc.IsTyping() ? Refuse<kQVErrStudioTyping>(what) : 0;
}

// The frame with its corners in order; false when a coordinate is not finite.
bool Normalised(const AGRect& frame, AGRect& out) {
  if (!std::isfinite(frame.x1) || !std::isfinite(frame.y1) || !std::isfinite(frame.x2) ||
      !std::isfinite(frame.y2)) {
    return false;
  }
  out = {std::min(frame.x1, frame.x2), std::min(frame.y1, frame.y2), std::max(frame.x1, frame.x2),
         std::max(frame.y1, frame.y2)};
  return true;
}

AGRect Moved(const AGRect& frame, double time, double height) {
  return {frame.x1 + time, frame.y1 + height, frame.x2 + time, frame.y2 + height};
}

// ids without repeats, in the document's z-order (bottom first), or the
// status for an id that is not in it.
int32_t InZOrder(const StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                 std::vector<StudioObjectId>& ordered) {
  std::vector<std::pair<size_t, StudioObjectId>> places;
  for (StudioObjectId id : ids) {
    size_t index = 0;
    if (!doc.IndexOf(id, index)) return Refuse<kQVErrNoSuchObject>(std::to_string(id).c_str());
    places.emplace_back(index, id);
  }
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  ordered.clear();
  for (const auto& place : places) ordered.push_back(place.second);
  return 0;
}

int32_t CaptureAll(const StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                   std::vector<StudioObjectSnapshot>& snapshots) {
  snapshots.resize(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    int32_t status = StudioObjectSnapshot::Capture(*doc.Find(ids[i]), snapshots[i]);
    if (status != 0) return status;
  }
  return 0;
}

// Puts new objects made from snapshots (moved by the offsets) on top, as one
// step named name.
int32_t InsertOnTop(StudioDocument& doc, std::vector<StudioObjectSnapshot> snapshots, double time,
                    double height, const char* name, std::vector<StudioObjectId>* newIds) {
  if (!std::isfinite(time) || !std::isfinite(height)) return Refuse<kQVErrBadProperty>("Frame");
  std::vector<StudioInsertCommand::Entry> entries;
  std::vector<StudioObjectId> ids;
  for (StudioObjectSnapshot& snapshot : snapshots) {
    AGRect frame;
    if (!Normalised(Moved(snapshot.Frame(), time, height), frame))
      return Refuse<kQVErrBadProperty>("Frame");
    snapshot.SetFrame(frame);
    std::unique_ptr<HostObject> object;
    int32_t status = snapshot.Instantiate(doc.Plugin(), object);
    if (status != 0) return status;
    StudioObjectId id = doc.NewId();
    entries.push_back({doc.Count() + entries.size(), id, std::move(object)});
    ids.push_back(id);
  }
  if (entries.empty()) {
    if (newIds) newIds->clear();
    return 0;
  }
  int32_t status = doc.Perform(std::make_unique<StudioInsertCommand>(name, std::move(entries)));
  if (status == 0 && newIds) *newIds = ids;
  return status;
}

}  // namespace

int32_t StudioActions::Create(StudioDocument& doc, const AGRect& frame, StudioObjectId* id) {
  if (int32_t typing = RefuseIfTyping(doc, StudioActionName::kCreate)) return typing;
  AGRect normalised;
  if (!Normalised(frame, normalised)) return Refuse<kQVErrBadProperty>("Frame");
  auto object = std::make_unique<HostObject>(doc.Plugin());
  object->Record().frame = normalised;
  int32_t status = object->Init(QVArgs("-default", true));
  if (status != 0) return status;
  StudioObjectId created = doc.NewId();
  std::vector<StudioInsertCommand::Entry> entries;
  entries.push_back({doc.Count(), created, std::move(object)});
  status = doc.Perform(
      std::make_unique<StudioInsertCommand>(StudioActionName::kCreate, std::move(entries)));
  if (status == 0 && id) *id = created;
  return status;
}

int32_t StudioActions::Delete(StudioDocument& doc, const std::vector<StudioObjectId>& ids) {
  if (int32_t typing = RefuseIfTyping(doc, StudioActionName::kDelete)) return typing;
  std::vector<StudioObjectId> ordered;
  int32_t status = InZOrder(doc, ids, ordered);
  if (status != 0 || ordered.empty()) return status;
  return doc.Perform(
      std::make_unique<StudioRemoveCommand>(StudioActionName::kDelete, std::move(ordered)));
}

int32_t StudioActions::Duplicate(StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                                 double timeOffset, double heightOffset,
                                 std::vector<StudioObjectId>* newIds) {
  if (int32_t typing = RefuseIfTyping(doc, StudioActionName::kDuplicate)) return typing;
  std::vector<StudioObjectId> ordered;
  std::vector<StudioObjectSnapshot> snapshots;
  int32_t status = InZOrder(doc, ids, ordered);
  if (status == 0) status = CaptureAll(doc, ordered, snapshots);
  if (status != 0) return status;
  return InsertOnTop(doc, std::move(snapshots), timeOffset, heightOffset,
                     StudioActionName::kDuplicate, newIds);
}

int32_t StudioActions::Copy(const StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                            std::string& bytes) {
  std::vector<StudioObjectId> ordered;
  std::vector<StudioObjectSnapshot> snapshots;
  int32_t status = InZOrder(doc, ids, ordered);
  if (status == 0) status = CaptureAll(doc, ordered, snapshots);
  if (status == 0) status = StudioObjectSnapshot::WriteList(doc.Plugin(), snapshots, bytes);
  return status;
}

int32_t StudioActions::Paste(StudioDocument& doc, const std::string& bytes, double timeOffset,
                             double heightOffset, std::vector<StudioObjectId>* newIds) {
  if (int32_t typing = RefuseIfTyping(doc, StudioActionName::kPaste)) return typing;
  std::vector<StudioObjectSnapshot> snapshots;
  int32_t status = StudioObjectSnapshot::ReadList(doc.Plugin(), bytes, snapshots);
  if (status != 0) return status;
  return InsertOnTop(doc, std::move(snapshots), timeOffset, heightOffset, StudioActionName::kPaste,
                     newIds);
}

int32_t StudioActions::SetFrames(StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                                 const std::vector<AGRect>& frames, const char* name,
                                 uint64_t gesture) {
  if (int32_t typing = RefuseIfTyping(doc, name)) return typing;
  if (ids.size() != frames.size()) return Refuse<kQVErrBadProperty>("Frame");
  std::vector<StudioObjectId> unique;
  std::vector<AGRect> before;
  std::vector<AGRect> after;
  bool changed = false;
  for (size_t i = 0; i < ids.size(); ++i) {
    const HostObject* object = doc.Find(ids[i]);
    if (!object) return Refuse<kQVErrNoSuchObject>(std::to_string(ids[i]).c_str());
    AGRect frame;
    if (!Normalised(frames[i], frame)) return Refuse<kQVErrBadProperty>("Frame");
    if (std::find(unique.begin(), unique.end(), ids[i]) != unique.end()) continue;
    unique.push_back(ids[i]);
    before.push_back(object->Record().frame);
    after.push_back(frame);
    changed = changed || std::memcmp(&before.back(), &frame, sizeof frame) != 0;
  }
  if (!changed) return 0;
  return doc.Perform(std::make_unique<StudioFrameCommand>(
      name, std::move(unique), std::move(before), std::move(after), gesture));
}

int32_t StudioActions::SetProperties(StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                                     const QVDictionary& properties,
                                     const std::string& actionName) {
  if (int32_t typing = RefuseIfTyping(doc, actionName.c_str())) return typing;
  std::vector<StudioObjectId> ordered;
  std::vector<StudioObjectSnapshot> before;
  int32_t status = InZOrder(doc, ids, ordered);
  if (status == 0) status = CaptureAll(doc, ordered, before);
  if (status != 0) return status;
  // The change is tried on copies: the document is only touched by the
  // command, all objects at once.
  std::vector<StudioObjectSnapshot> after(before.size());
  bool changed = false;
  for (size_t i = 0; i < before.size(); ++i) {
    std::unique_ptr<HostObject> trial;
    status = before[i].Instantiate(doc.Plugin(), trial);
    if (status == 0) status = trial->SetAllProperties(properties);
    if (status == 0) status = StudioObjectSnapshot::Capture(*trial, after[i]);
    if (status != 0) return status;
    changed = changed || !after[i].IsEqual(before[i]);
  }
  if (!changed) return 0;
  return doc.Perform(std::make_unique<StudioStateCommand>(actionName, std::move(ordered),
                                                          std::move(before), std::move(after)));
}

int32_t StudioActions::FillInspector(StudioDocument& doc, StudioObjectId id,
                                     QVGUIDescObject* desc) {
  if (!desc) return static_cast<int32_t>(QVLogError(kQVErrGeneric, "No inspector panel to fill"));
  HostObject* object = doc.Edit(id);
  if (!object) return Refuse<kQVErrNoSuchObject>(std::to_string(id).c_str());
  std::string ignored;
  return object->Inspect(desc, kQVGUIEventFill, 0, ignored);
}

namespace {

// Hands the change of control in desc to each object of ids (known, in
// z-order), as one step; prepare runs before each object is asked. On any
// failure every object is put back as it was and nothing is recorded.
int32_t ChangeEachInInspector(StudioDocument& doc, const std::vector<StudioObjectId>& ids,
                              QVGUIDescObject* desc, uint32_t control,
                              const std::function<void()>& prepare, std::string& actionName) {
  std::vector<StudioObjectSnapshot> before(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    int32_t status = StudioObjectSnapshot::Capture(*doc.Find(ids[i]), before[i]);
    if (status != 0) return status;
  }
  std::vector<StudioObjectSnapshot> after(ids.size());
  std::string nativeName;
  int32_t status = 0;
  size_t asked = 0;
  bool changed = false;
  for (; asked < ids.size() && status == 0; ++asked) {
    prepare();
    std::string name;
    status = doc.Edit(ids[asked])->Inspect(desc, kQVGUIEventChanged, control, name);
    if (status == 0) status = StudioObjectSnapshot::Capture(*doc.Find(ids[asked]), after[asked]);
    if (status == 0 && !after[asked].IsEqual(before[asked])) changed = true;
    if (nativeName.empty()) nativeName = name;
  }
  if (status != 0) {
    // A change that cannot be kept as a step is taken back, on every object
    // asked so far (the one that failed may have changed half-way).
    for (size_t i = 0; i < asked; ++i) {
      std::unique_ptr<HostObject> restored;
      size_t index = 0;
      if (before[i].Instantiate(doc.Plugin(), restored) == 0) {
        doc.Detach(ids[i], &index);
        doc.Attach(index, ids[i], std::move(restored));
      } else {
        doc.ForgetClean();
      }
    }
    return status;
  }
  if (nativeName.empty() || !changed) return 0;
  actionName = QVString(nativeName)
                   .ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8)
                   .Std();
  doc.Record(std::make_unique<StudioStateCommand>(actionName, ids, std::move(before),
                                                  std::move(after)));
  return 0;
}

}  // namespace

int32_t StudioActions::ChangeInInspector(StudioDocument& doc, StudioObjectId id,
                                         QVGUIDescObject* desc, uint32_t control,
                                         std::string& actionName) {
  actionName.clear();
  if (int32_t typing = RefuseIfTyping(doc, "change a setting")) return typing;
  if (!desc) return static_cast<int32_t>(QVLogError(kQVErrGeneric, "No inspector panel to read"));
  if (!doc.Contains(id)) return Refuse<kQVErrNoSuchObject>(std::to_string(id).c_str());
  return ChangeEachInInspector(doc, {id}, desc, control, [] {}, actionName);
}

int32_t StudioActions::ChangeInInspector(StudioDocument& doc,
                                         const std::vector<StudioObjectId>& ids, HostGUIDesc* desc,
                                         uint32_t control, std::string& actionName) {
  actionName.clear();
  if (int32_t typing = RefuseIfTyping(doc, "change a setting")) return typing;
  if (!desc) return static_cast<int32_t>(QVLogError(kQVErrGeneric, "No inspector panel to read"));
  std::vector<StudioObjectId> ordered;
  if (int32_t status = InZOrder(doc, ids, ordered)) return status;
  if (ordered.empty()) return 0;
  auto* changedControl = static_cast<HostGUICtrl*>(desc->GetController(control));
  std::function<void()> prepare = [] {};
  if (changedControl) {
    // Every object reads the control as the person left it, not as the
    // object before it wrote it back (clamped, say).
    prepare = [changedControl, index = changedControl->index, value = changedControl->value] {
      changedControl->index = index;
      changedControl->value = value;
    };
  }
  return ChangeEachInInspector(doc, ordered, desc, control, prepare, actionName);
}
