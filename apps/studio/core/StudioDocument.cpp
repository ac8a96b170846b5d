#include "StudioDocument.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "StudioCommand.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

namespace {

[[nodiscard]] int32_t RefuseWhileTyping(const char* what) {
  return static_cast<int32_t>(QVLogStatus<kQVErrStudioTyping>(what));
}

// path made absolute against the working folder and cleaned of "." and
// ".." lexically (links are not followed: the names the user chose stay).
std::filesystem::path Absolute(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? std::filesystem::path(path) : absolute).lexically_normal();
}

// The recording as the document at documentPath stores it: relative to the
// document's folder when it lies in that folder or beneath it (so that the
// two can move together), else absolute; but relative, climbing out with
// "..", when the absolute path is too long for the chunk (a document whose
// stored path climbs out of a deep folder must still save).
std::string StoredRecording(const std::string& recording, const std::string& documentPath) {
  if (recording.empty()) return recording;
  const std::filesystem::path target = Absolute(recording);
  const std::filesystem::path relative =
      target.lexically_relative(Absolute(documentPath).parent_path());
  if (relative.empty() || relative == ".") return target.string();
  if (*relative.begin() == ".." &&
      (target.native().size() <= HostDocument::kMaxRecordingPathBytes ||
       relative.native().size() > HostDocument::kMaxRecordingPathBytes)) {
    return target.string();
  }
  return relative.string();
}

// A stored recording path as the studio opens it: a relative one is taken
// from the document's folder.
std::string ResolveRecording(const std::string& stored, const std::string& documentPath) {
  if (stored.empty() || std::filesystem::path(stored).is_absolute()) return stored;
  return (Absolute(documentPath).parent_path() / stored).lexically_normal().string();
}

}  // namespace

StudioDocument::StudioDocument(HostPlugin& plugin) : mPlugin(plugin), mHost(plugin) {}

int32_t StudioDocument::Load(const std::string& path) {
  if (mTyping) return RefuseWhileTyping("load a document");
  int32_t status = mHost.Load(path);
  if (status != 0) return status;
  mRecordingPath = ResolveRecording(mHost.RecordingPath(), path);
  mIds.clear();
  for (size_t i = 0; i < mHost.Count(); ++i) mIds.push_back(NewId());
  mHistory.Clear();
  mPath = path;
  return 0;
}

int32_t StudioDocument::Save(const std::string& path) {
  // The typing session's step is recorded when it ends: a clean point set
  // before it would be wrong once that step is undone.
  if (mTyping) return RefuseWhileTyping("save a document");
  mHost.SetRecordingPath(StoredRecording(mRecordingPath, path));
  int32_t status = mHost.Save(path);
  if (status != 0) return status;
  mHistory.SetClean();
  mPath = path;
  return 0;
}

StudioObjectId StudioDocument::IdAt(size_t index) const {
  return index < mIds.size() ? mIds[index] : kStudioNoObject;
}

bool StudioDocument::IndexOf(StudioObjectId id, size_t& index) const {
  auto it = std::find(mIds.begin(), mIds.end(), id);
  if (id == kStudioNoObject || it == mIds.end()) return false;
  index = static_cast<size_t>(it - mIds.begin());
  return true;
}

bool StudioDocument::Contains(StudioObjectId id) const {
  size_t index = 0;
  return IndexOf(id, index);
}

const HostObject* StudioDocument::Find(StudioObjectId id) const {
  size_t index = 0;
  return IndexOf(id, index) ? &mHost.Object(index) : nullptr;
}

HostObject* StudioDocument::Edit(StudioObjectId id) {
  size_t index = 0;
  return IndexOf(id, index) ? &mHost.Object(index) : nullptr;
}

int32_t StudioDocument::Perform(std::unique_ptr<StudioCommand> command) {
  if (mTyping) return RefuseWhileTyping(command->Name().c_str());
  return mHistory.Perform(std::move(command), *this);
}

int32_t StudioDocument::Undo() {
  if (mTyping) return RefuseWhileTyping("undo");
  return mHistory.Undo(*this);
}

int32_t StudioDocument::Redo() {
  if (mTyping) return RefuseWhileTyping("redo");
  return mHistory.Redo(*this);
}

void StudioDocument::Attach(size_t index, StudioObjectId id, std::unique_ptr<HostObject> object) {
  if (!object) return;
  index = std::min(index, mIds.size());
  mHost.InsertObject(index, std::move(object));
  mIds.insert(mIds.begin() + static_cast<std::ptrdiff_t>(index), id);
}

std::unique_ptr<HostObject> StudioDocument::Detach(StudioObjectId id, size_t* index) {
  size_t at = 0;
  if (!IndexOf(id, at)) return nullptr;
  mIds.erase(mIds.begin() + static_cast<std::ptrdiff_t>(at));
  if (index) *index = at;
  return mHost.TakeObject(at);
}

void StudioDocument::SetRecordingPath(const std::string& path) {
  if (path == mRecordingPath) return;
  mRecordingPath = path;
  ForgetClean();
}
