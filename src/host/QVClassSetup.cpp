#include "host/QVClassSetup.h"

#include <cstring>

#include "host/QVEnv.h"
#include "host/QVGUICtrl.h"
#include "host/QVGUIDesc.h"
#include "host/QVHandler.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

namespace {

// The kit's host paths, answered through the environment record.
long EnvGetApplicationProperty(const QVString& key, QVValue* value) {
  if (!gQVEnv || !gQVEnv->getApplicationProperty || !value) return kQVErrGeneric;
  return gQVEnv->getApplicationProperty(key.c_str(), value);
}

bool EnvGetStandardPath(int32_t kind, QVFilePath* out) {
  if (!gQVEnv || !gQVEnv->getStandardPath || !out) return false;
  QVString path;
  if (gQVEnv->getStandardPath(kind, &path) != 0 || path.IsEmpty()) return false;
  *out = QVFilePath(path);
  return true;
}

const QVHostPathProvider kEnvHostPaths = {&EnvGetApplicationProperty, &EnvGetStandardPath};

void CopyClassId(char (&dst)[8], const char* id) {
  std::memset(dst, 0, sizeof dst);
  if (id) std::strncpy(dst, id, sizeof dst - 1);
}

}  // namespace

bool QVIsHostVersionSupported(uint32_t version) {
  return (version >> 16) == 3 && (version & 0xFFFFu) > 0x00FFu;
}

int32_t QVClassSetupLow(QVClassRecord** classOut, void* hookPtr, const char* className,
                        const QVClassAnnouncement& announcement) {
  const char* name = className ? className : "";
  auto* hook = static_cast<QVPluginHook*>(hookPtr);
  if (!classOut || *classOut || !hook || hook->magic != kQVPluginHookMagic) {
    QVLog("### QVLib Error %ld: Can't complete QVClassSetup() of class <%s>.\n", -1L, name);
    return -1;
  }
  // A host that passes no environment record cannot be talked to: it is
  // refused like a host of the wrong interface version instead of crashing.
  QVEnvironment* env = hook->environment;
  if (!env || !QVIsHostVersionSupported(env->version)) {
    QVLog("### QVLib Error %ld: Application API is not appropriate for class <%s>.\n",
          static_cast<long>(kQVErrBadHostAPI), name);
    return kQVErrBadHostAPI;
  }

  *classOut = hook->classRecord;
  gQVEnv = env;
  QVClass::sWrapper = hook->classTable;
  QVHandler::sWrapper = hook->handlerTable;
  QVGUICtrl::sWrapper = hook->guiCtrlTable;
  QVGUIDesc::sWrapper = hook->guiDescTable;
  QVSetCustomLogMessageProc(env->logMessage);
  QVSetHostPathProvider(&kEnvHostPaths);

  hook->pluginVersion = kQVPluginInterfaceVersion;
  hook->objectCtor = announcement.ctor;
  hook->objectDtor = announcement.dtor;
  hook->objectSize = announcement.objectSize;
  CopyClassId(hook->classId, announcement.classId);
  CopyClassId(hook->classId2, announcement.classId2);
  hook->value32 = 32;

  return QVClass::ClassSetup(hook->classRecord, hook);
}
