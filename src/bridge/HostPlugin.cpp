#include "bridge/HostPlugin.h"

#include <dlfcn.h>

#include <cstring>

#include "bridge/HostEnvironment.h"
#include "bridge/HostGUI.h"
#include "bridge/HostUndoHandler.h"
#include "host/QVObject.h"
#include "kit/QVErrors.h"
#include "kit/QVString.h"

namespace {

// The plug-in being registered: the class table's functions take no context.
HostPlugin* sRegistering = nullptr;

// Objects larger than this are not believed: the announcement is damaged.
constexpr uint32_t kMaxObjectSize = 1u << 20;

std::string IdText(const char (&id)[8]) { return std::string(id, strnlen(id, sizeof id)); }

bool IsTerminatedId(const char (&id)[8]) { return std::memchr(id, 0, sizeof id) != nullptr; }

}  // namespace

HostClassRecord::HostClassRecord() {
  reserved0 = 0;
  flags = 0;
  std::memset(reserved1, 0, sizeof reserved1);
  std::memset(methods, 0, sizeof methods);
}

uint32_t HostClassRecord::SupClasses(QVClassRecord* const** out) {
  *out = chain.empty() ? nullptr : chain.data();
  return static_cast<uint32_t>(chain.size());
}

HostPlugin::HostPlugin(HostEnvironment& environment) : mEnvironment(environment) {
  // The class chain: the plug-in's class, then the host's graphic-object base,
  // which answers "Brush" and "Pen" from the host's own storage.
  mClass.chain = {&mClass, &mBaseClass};
  mBaseClass.chain = {&mBaseClass};
  mBaseClass.name = "GraphicObject";
  QVSlotSet<kQVClassSlotGetObjectProperties>(mBaseClass, &QVObject::hostBaseGetObjectProperties);
  QVSlotSet<kQVClassSlotSetObjectProperties>(mBaseClass, &QVObject::hostBaseSetObjectProperties);

  HostGUIDesc::FillTables(mGUIDescTable, mGUICtrlTable);
  HostUndoHandler::FillTable(mHandlerTable);
  mClassTable.classSetup = &ClassSetup;
  mClassTable.setClassName = &SetClassName;
  mClassTable.addInspectorGUIDesc = &AddInspectorGUIDesc;
  mClassTable.supClasses = QVMethodSlot::From(
      static_cast<QVClassSupClassesMethod>(&HostClassRecord::SupClasses));
}

HostPlugin::~HostPlugin() {
  for (QVGUIDescObject* desc : mInspectorDescs) {
    if (mGUIDescTable.destroy) mGUIDescTable.destroy(desc);
  }
  if (mKitHooksSaved) {
    QVSetCustomLogMessageProc(mKitLogProcBefore);
    QVSetHostPathProvider(mKitPathProviderBefore);
  }
  // The library stays loaded: objects' code may still be referenced by
  // static destructors that run at exit.
}

HostGUIDesc* HostPlugin::InspectorDesc() const {
  return mInspectorDescs.empty() ? nullptr : static_cast<HostGUIDesc*>(mInspectorDescs.front());
}

void HostPlugin::SetKeepOwnMethods(bool keep) {
  if (keep) {
    mClass.flags |= kQVClassFlagKeepMethods;
  } else {
    mClass.flags &= ~kQVClassFlagKeepMethods;
  }
}

std::string HostPlugin::ClassId() const { return IdText(mHook.classId); }
std::string HostPlugin::ClassId2() const { return IdText(mHook.classId2); }

int32_t HostPlugin::Load(const std::string& path) {
  mError.clear();
  dlerror();
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* why = dlerror();
    mError = why ? why : "unknown reason";
    return kQVErrPluginNotFound;
  }
  // dlsym on the library's own handle finds its "main", not the host's.
  auto entry = reinterpret_cast<QVPluginMainProc>(dlsym(library, "main"));
  if (!entry) {
    mError = "no exported \"main\"";
    dlclose(library);
    return kQVErrPluginNoEntry;
  }
  mLibrary = library;
  return Register(entry);
}

int32_t HostPlugin::Register(QVPluginMainProc entry) {
  std::memset(&mHook, 0, sizeof mHook);
  mHook.magic = kQVPluginHookMagic;
  mHook.classRecord = &mClass;
  mHook.environment = mEnvironment.Record();
  mHook.classTable = &mClassTable;
  mHook.handlerTable = &mHandlerTable;
  mHook.guiCtrlTable = &mGUICtrlTable;
  mHook.guiDescTable = &mGUIDescTable;

  if (!mKitHooksSaved) {
    mKitLogProcBefore = QVGetCustomLogMessageProc();
    mKitPathProviderBefore = QVGetHostPathProvider();
    mKitHooksSaved = true;
  }
  sRegistering = this;
  int32_t status = entry(&mHook);
  sRegistering = nullptr;
  mRegistered = (status == 0);
  if (!mRegistered && mError.empty()) mError = "registration failed";
  return status;
}

int32_t HostPlugin::ClassSetup(QVClassRecord* cls, QVPluginHook* hook) {
  HostPlugin* self = sRegistering;
  if (!self || cls != &self->mClass || hook != &self->mHook) return kQVErrPluginRefused;
  const char* why = nullptr;
  if ((hook->pluginVersion >> 16) != 3) {
    why = "interface version";
  } else if (!hook->objectCtor || !hook->objectDtor) {
    why = "no constructor or destructor";
  } else if (hook->objectSize < sizeof(QVObject) || hook->objectSize > kMaxObjectSize) {
    why = "object size";
  } else if (!IsTerminatedId(hook->classId) || !IsTerminatedId(hook->classId2) ||
             hook->classId[0] == 0) {
    why = "class identifier";
  }
  if (why) {
    self->mError = std::string("the plug-in's ") + why + " is not acceptable";
    return kQVErrPluginRefused;
  }
  return 0;
}

void HostPlugin::SetClassName(QVClassRecord* cls, const char* name) {
  HostPlugin* self = sRegistering;
  if (!self || cls != &self->mClass || !name) return;
  self->mClass.name =
      QVString(name).ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
}

void HostPlugin::AddInspectorGUIDesc(QVClassRecord* cls, QVGUIDescObject* desc) {
  HostPlugin* self = sRegistering;
  if (!self || cls != &self->mClass || !desc) return;
  self->mInspectorDescs.push_back(desc);
}
