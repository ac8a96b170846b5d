// Loading a plug-in and registering its class: the hook record, the class
// records (the plug-in's class and the host's base graphic-object class) and
// the host's interface tables.
#ifndef HOST_PLUGIN_H
#define HOST_PLUGIN_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/QVClass.h"
#include "host/QVGUICtrl.h"
#include "host/QVGUIDesc.h"
#include "host/QVHandler.h"
#include "host/QVPluginHook.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"

class HostEnvironment;

// A class record as the host keeps it: the record the plug-in sees, the class
// chain SupClasses answers, the name and identifiers.
class HostClassRecord : public QVClassRecord {
 public:
  HostClassRecord();
  uint32_t SupClasses(QVClassRecord* const** chain);

  std::vector<QVClassRecord*> chain;
  std::string name;  // UTF-8, as the plug-in named it
};

// The plug-in and its host share one copy of the kits (libtalvane-kits), so
// what the plug-in installs in the kit at registration (the log's forwarding
// to the host's log procedure, the host path provider that answers through
// the environment record) serves the host's own kit calls too. Those
// installations point into the plug-in and at this host's environment record:
// a HostPlugin puts back what the kit had before it registered when it goes.
class HostPlugin {
 public:
  explicit HostPlugin(HostEnvironment& environment);
  // Releases the inspector descriptions and restores the kit's log
  // forwarding and host path provider as they were before registration.
  ~HostPlugin();
  HostPlugin(const HostPlugin&) = delete;
  HostPlugin& operator=(const HostPlugin&) = delete;

  // Loads the library at path and registers its class through its exported
  // "main". Returns 0 or a negative status: kQVErrPluginNotFound (the file
  // cannot be loaded; Error() tells why), kQVErrPluginNoEntry (no "main"),
  // kQVErrPluginRefused (the host refused the announcement), or the
  // plug-in's own registration status.
  int32_t Load(const std::string& path);
  // Registers a class through an entry already in the process (tests).
  int32_t Register(QVPluginMainProc entry);

  bool IsRegistered() const { return mRegistered; }
  const std::string& Error() const { return mError; }
  const QVPluginHook& Hook() const { return mHook; }
  const std::string& ClassName() const { return mClass.name; }
  QVClassRecord* PluginClass() { return &mClass; }
  QVClassRecord* BaseClass() { return &mBaseClass; }
  // The class identifiers the plug-in announced, as texts.
  std::string ClassId() const;
  std::string ClassId2() const;

  // The inspector panel description the plug-in handed over, or null.
  class HostGUIDesc* InspectorDesc() const;

  // Sets bit 0 of the plug-in class record's flag word before Register:
  // the host then keeps its own method slots.
  void SetKeepOwnMethods(bool keep);

 private:
  static int32_t ClassSetup(QVClassRecord* cls, QVPluginHook* hook);
  static void SetClassName(QVClassRecord* cls, const char* name);
  static void AddInspectorGUIDesc(QVClassRecord* cls, QVGUIDescObject* desc);

  HostEnvironment& mEnvironment;
  // What the kit had installed before this plug-in first registered.
  bool mKitHooksSaved = false;
  QVLogMessageProc mKitLogProcBefore = nullptr;
  const QVHostPathProvider* mKitPathProviderBefore = nullptr;
  void* mLibrary = nullptr;
  bool mRegistered = false;
  std::string mError;
  QVPluginHook mHook{};
  HostClassRecord mClass;
  HostClassRecord mBaseClass;
  QVClassTable mClassTable{};
  QVHandlerTable mHandlerTable{};
  QVGUICtrlTable mGUICtrlTable{};
  QVGUIDescTable mGUIDescTable{};
  std::vector<QVGUIDescObject*> mInspectorDescs;
};

#endif
