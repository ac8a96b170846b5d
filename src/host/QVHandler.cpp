#include "host/QVHandler.h"

#include "kit/QVErrors.h"
#include "kit/QVString.h"

namespace {

template <class Method>
Method HandlerSlot(uint32_t index) {
  return QVHostTableMethod<Method>(QVHandler::sWrapper, index);
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
  auto m = HandlerSlot<QVHandlerIsActiveMethod>(kQVHandlerSlotIsActive);
  return mHandle && m && (Host(mHandle)->*m)();
}

void QVHandler::SetActionName(const QVString& name) {
  auto m = HandlerSlot<QVHandlerSetActionNameMethod>(kQVHandlerSlotSetActionName);
  if (mHandle && m) (Host(mHandle)->*m)(name.c_str());
}

QVString QVHandler::GetActionName() const {
  QVString name;
  auto m = HandlerSlot<QVHandlerGetActionNameMethod>(kQVHandlerSlotGetActionName);
  if (mHandle && m) (Host(mHandle)->*m)(&name);
  return name;
}

int32_t QVHandler::CallWithObjects(uint32_t slot, QVObject* const* objects, uint32_t count) {
  auto m = HandlerSlot<QVHandlerObjectsMethod>(slot);
  if (!mHandle || !m || (!objects && count > 0)) return kQVErrGeneric;
  if (count == 0) return 0;
  return (Host(mHandle)->*m)(objects, count);
}

int32_t QVHandler::AddObjects(QVObject* const* objects, uint32_t count) {
  return CallWithObjects(kQVHandlerSlotAddObjects, objects, count);
}

int32_t QVHandler::DeleteObjects(QVObject* const* objects, uint32_t count) {
  return CallWithObjects(kQVHandlerSlotDeleteObjects, objects, count);
}

int32_t QVHandler::TouchObjects(QVObject* const* objects, uint32_t count) {
  return CallWithObjects(kQVHandlerSlotTouchObjects, objects, count);
}
