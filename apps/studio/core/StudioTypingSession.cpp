#include "StudioTypingSession.h"

#include <string>
#include <vector>

#include "bridge/HostObject.h"
#include "StudioDocument.h"
#include "StudioStateCommand.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

StudioTypingSession::StudioTypingSession(StudioDocument& doc, StudioObjectId id,
                                         const AGContext& view)
    : mDoc(doc), mId(id), mView(view) {}

StudioTypingSession::~StudioTypingSession() { Finish(); }

int32_t StudioTypingSession::Begin() {
  if (mDoc.IsTyping()) return static_cast<int32_t>(QVLogStatus(kQVErrStudioTyping, "begin typing"));
  HostObject* object = mDoc.Edit(mId);
  if (!object)
    return static_cast<int32_t>(QVLogStatus(kQVErrNoSuchObject, std::to_string(mId).c_str()));
  int32_t status = StudioObjectSnapshot::Capture(*object, mBefore);
  if (status != 0) return status;
  auto session = std::make_unique<HostEditSession>(*object, mView);
  status = session->Begin();
  if (status != 0) return status;
  mSession = std::move(session);
  mDoc.mTyping = true;
  return 0;
}

int32_t StudioTypingSession::Key(const HostEditKey& key) {
  return mSession ? mSession->Key(key) : kQVErrGeneric;
}

int32_t StudioTypingSession::Mouse(int32_t phase, const AGPoint& point, uint32_t modifiers) {
  return mSession ? mSession->Mouse(phase, point, modifiers) : kQVErrGeneric;
}

int32_t StudioTypingSession::Finish() {
  if (!mSession) return 0;
  mSession->End();
  mSession.reset();
  mDoc.mTyping = false;

  const HostObject* object = mDoc.Find(mId);
  if (!object)
    return static_cast<int32_t>(QVLogStatus(kQVErrNoSuchObject, std::to_string(mId).c_str()));
  StudioObjectSnapshot after;
  int32_t status = StudioObjectSnapshot::Capture(*object, after);
  if (status != 0) {
    mDoc.ForgetClean();
    return status;
  }
  if (!after.IsEqual(mBefore)) {
    mDoc.Record(std::make_unique<StudioStateCommand>(
        StudioActionName::kTyping, std::vector<StudioObjectId>{mId},
        std::vector<StudioObjectSnapshot>{mBefore}, std::vector<StudioObjectSnapshot>{after}));
  }
  return 0;
}
