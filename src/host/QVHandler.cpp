#include "host/QVHandler.h"

#include "kit/QVErrors.h"
#include "kit/QVString.h"

namespace {

template <auto Slot>
typename QVSlot<Slot>::Method HandlerSlot() {
  return QVSlotGet<Slot>(QVHandler::sWrapper);
}

QVHostObject* Host(QVHandlerObject* handler) { return static_cast<QVHostObject*>(handler); }

}  // namespace

QVHandler QVHandler::New() {
  if (!sWrapper || !sWrapper->construct) return QVHandler();
  return QVHandler(sWrapper->construct());
}

void QVHandler::Destroy() {
  if (mHandle && sWrapper && sWrapper->destroy) sWrapper->destroy(Host(mHandle));
  mHandle = nullptr;
}

bool QVHandler::IsActive() const {
  auto m = HandlerSlot<kQVHandlerSlotIsActive>();
  return mHandle && m && (Host(mHandle)->*m)();
}

void QVHandler::SetActionName(const QVString& name) {
  auto m = HandlerSlot<kQVHandlerSlotSetActionName>();
  if (mHandle && m) (Host(mHandle)->*m)(name.c_str());
}

QVString QVHandler::GetActionName() const {
  QVString name;
  auto m = HandlerSlot<kQVHandlerSlotGetActionName>();
  if (mHandle && m) (Host(mHandle)->*m)(&name);
  return name;
}

int32_t QVHandler::CallWithObjects(QVHandlerObjectsMethod m, QVObject* const* objects,
                                   uint32_t count) {
  if (!mHandle || !m || (!objects && count > 0)) return kQVErrGeneric;
  if (count == 0) return 0;
  return (Host(mHandle)->*m)(objects, count);
}

int32_t QVHandler::AddObjects(QVObject* const* objects, uint32_t count) {
  return CallWithObjects(HandlerSlot<kQVHandlerSlotAddObjects>(), objects, count);
}

int32_t QVHandler::DeleteObjects(QVObject* const* objects, uint32_t count) {
  return CallWithObjects(HandlerSlot<kQVHandlerSlotDeleteObjects>(), objects, count);
}

int32_t QVHandler::TouchObjects(QVObject* const* objects, uint32_t count) {
  return CallWithObjects(HandlerSlot<kQVHandlerSlotTouchObjects>(), objects, count);
}
