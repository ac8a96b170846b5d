#include "bridge/HostObject.h"

#include <cstdlib>
#include <new>

#include "bridge/HostPlugin.h"
#include "host/QVClass.h"
#include "host/QVGUIDesc.h"
#include "host/QVGUIEvent.h"
#include "host/QVObject.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"

void HostObject::FreeStorage::operator()(void* p) const { std::free(p); }

HostObject::HostObject(HostPlugin& plugin) : mPlugin(plugin) {
  // The host's default look: a visible black outline one point wide.
  mRecord.pen.SetStyleSolid(kAGColorBlack, 1.0f);

  const QVPluginHook& hook = plugin.Hook();
  // Zero-filled as the plug-in expects, and aligned for any fundamental
  // type (alignof(std::max_align_t)) as calloc's memory always is.
  void* storage = std::calloc(1, hook.objectSize ? hook.objectSize : 1);
  if (!storage) throw std::bad_alloc();
  mStorage.reset(storage);
  mObject = static_cast<QVObject*>(storage);
  hook.objectCtor(mObject);
  mObject->AttachToHost(plugin.PluginClass(), &mRecord);
}

HostObject::~HostObject() {
  if (mInitialised) {
    const QVMethodSlot& slot = QVSlotIn<kQVClassSlotDelete>(*mPlugin.PluginClass());
    if (!slot.IsEmpty()) (mObject->*slot.Get<kQVClassSlotDelete>())();
  }
  mPlugin.Hook().objectDtor(mObject);
}

int32_t HostObject::Init(const QVArgs& args) {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotInit>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  mInitialised = true;
  return (mObject->*slot.Get<kQVClassSlotInit>())(args);
}

int32_t HostObject::InitFromFile(const QVFile& file) {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotInitFromFile>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  mInitialised = true;
  return (mObject->*slot.Get<kQVClassSlotInitFromFile>())(file);
}

int32_t HostObject::WriteToFile(QVFile& file) const {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotWriteToFile>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  return (mObject->*slot.Get<kQVClassSlotWriteToFile>())(file);
}

int32_t HostObject::GetObjectProperties(QVDictionary& dict) const {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotGetObjectProperties>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  return (mObject->*slot.Get<kQVClassSlotGetObjectProperties>())(dict);
}

int32_t HostObject::SetObjectProperties(const QVDictionary& dict) {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotSetObjectProperties>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  return (mObject->*slot.Get<kQVClassSlotSetObjectProperties>())(dict);
}

// The class chain in order, each class's property slot called with the
// object; the first non-zero status ends the walk.
template <auto Slot, class Dict>
int32_t HostObject::WalkChain(Dict& dict) const {
  QVClassRecord* const* chain = nullptr;
  uint32_t count = static_cast<HostClassRecord*>(mPlugin.PluginClass())->SupClasses(&chain);
  for (uint32_t i = 0; i < count; ++i) {
    const QVMethodSlot& slot = QVSlotIn<Slot>(*chain[i]);
    if (slot.IsEmpty()) continue;
    int32_t status = (mObject->*slot.Get<Slot>())(dict);
    if (status != 0) return status;
  }
  return 0;
}

int32_t HostObject::GetAllProperties(QVDictionary& dict) const {
  return WalkChain<kQVClassSlotGetObjectProperties>(dict);
}

int32_t HostObject::SetAllProperties(const QVDictionary& dict) {
  return WalkChain<kQVClassSlotSetObjectProperties>(dict);
}

bool HostObject::GetNaturalBounds(AGRect& bounds) const {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotGetNaturalBounds>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return false;
  bounds = (mObject->*slot.Get<kQVClassSlotGetNaturalBounds>())();
  return true;
}

int32_t HostObject::Draw(const AGContext& context, const QVDrawEvent& event) const {
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotDraw>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  return (mObject->*slot.Get<kQVClassSlotDraw>())(context, event);
}

int32_t HostObject::Inspect(QVGUIDescObject* desc, int32_t kind, uint32_t id,
                            std::string& actionName) {
  actionName.clear();
  const QVMethodSlot& slot = QVSlotIn<kQVClassSlotInspector>(*mPlugin.PluginClass());
  if (slot.IsEmpty()) return kQVErrGeneric;
  QVGUIDesc handle(desc);
  QVGUIEvent event;
  event.kind = kind;
  event.id = id;
  int32_t status = (mObject->*slot.Get<kQVClassSlotInspector>())(handle, event);
  actionName = event.actionName.Std();
  return status;
}

// ---- The host's base graphic-object class: "Brush" and "Pen" from the
// host's own record of each object.

int32_t QVObject::hostBaseGetObjectProperties(QVDictionary& dict) const {
  auto* record = static_cast<const HostObjectRecord*>(HostRecord());
  if (!record) return 0;
  // Plain keys (no path): SetValue replaces whatever the entry held and
  // can't fail.
  QVValue value;
  record->brush.WriteToValue(&value);
  (void)dict.SetValue("Brush", value);
  record->pen.WriteToValue(&value);
  (void)dict.SetValue("Pen", value);
  return 0;
}

int32_t QVObject::hostBaseSetObjectProperties(const QVDictionary& dict) {
  auto* record = static_cast<HostObjectRecord*>(HostRecord());
  if (!record) return 0;
  if (dict.ContainsKey("Brush")) record->brush.ReadFromValue(dict.GetValue("Brush"));
  if (dict.ContainsKey("Pen")) record->pen.ReadFromValue(dict.GetValue("Pen"));
  return 0;
}
