// The plug-in hook record: handed by the host to the plug-in's exported entry
// `main`. The host fills the first half; registration fills the second.
//
//   offset  width  direction       content
//   0       4      host → plug-in  magic 'ZEMO' as the 32-bit value 0x5A454D4F
//   8       8      host → plug-in  class record prepared for the new class
//   16      8      host → plug-in  environment record (kept in gQVEnv)
//   24      8      host → plug-in  class interface table (QVClass::sWrapper)
//   32      8      host → plug-in  undo-handler table (QVHandler::sWrapper)
//   40      8      host → plug-in  panel-control table (QVGUICtrl::sWrapper)
//   48      8      host → plug-in  panel-description table (QVGUIDesc::sWrapper)
//   56..95                         not used by the plug-in
//   96      4      plug-in → host  plug-in interface version 0x00030100
//   104     8      plug-in → host  in-place constructor
//   112     8      plug-in → host  in-place destructor
//   120     4      plug-in → host  object size in bytes, base part included
//   124     8      plug-in → host  class identifier: 7 characters and a zero byte
//   132     8      plug-in → host  second class identifier
//   140     4      plug-in → host  the value 32
//   size 144
#ifndef QV_PLUGIN_HOOK_H
#define QV_PLUGIN_HOOK_H

#include <cstddef>
#include <cstdint>

struct QVEnvironment;
struct QVClassRecord;
struct QVClassTable;
struct QVHandlerTable;
struct QVGUICtrlTable;
struct QVGUIDescTable;
class QVObject;

inline constexpr uint32_t kQVPluginHookMagic = 0x5A454D4Fu;  // 'ZEMO'
inline constexpr uint32_t kQVPluginInterfaceVersion = 0x00030100u;

using QVObjectCtorProc = void (*)(QVObject* object);
using QVObjectDtorProc = void (*)(QVObject* object);

struct QVPluginHook {
  uint32_t magic;
  uint32_t reserved0;
  QVClassRecord* classRecord;
  QVEnvironment* environment;
  const QVClassTable* classTable;
  const QVHandlerTable* handlerTable;
  const QVGUICtrlTable* guiCtrlTable;
  const QVGUIDescTable* guiDescTable;
  uint8_t reserved1[40];
  uint32_t pluginVersion;
  uint32_t reserved2;
  QVObjectCtorProc objectCtor;
  QVObjectDtorProc objectDtor;
  uint32_t objectSize;
  char classId[8];
  char classId2[8];
  uint32_t value32;
};

static_assert(offsetof(QVPluginHook, magic) == 0);
static_assert(offsetof(QVPluginHook, classRecord) == 8);
static_assert(offsetof(QVPluginHook, environment) == 16);
static_assert(offsetof(QVPluginHook, classTable) == 24);
static_assert(offsetof(QVPluginHook, handlerTable) == 32);
static_assert(offsetof(QVPluginHook, guiCtrlTable) == 40);
static_assert(offsetof(QVPluginHook, guiDescTable) == 48);
static_assert(offsetof(QVPluginHook, pluginVersion) == 96);
static_assert(offsetof(QVPluginHook, objectCtor) == 104);
static_assert(offsetof(QVPluginHook, objectDtor) == 112);
static_assert(offsetof(QVPluginHook, objectSize) == 120);
static_assert(offsetof(QVPluginHook, classId) == 124);
static_assert(offsetof(QVPluginHook, classId2) == 132);
static_assert(offsetof(QVPluginHook, value32) == 140);
static_assert(sizeof(QVPluginHook) == 144);

// The exported entry: returns 0 on success, else the failed step's status.
using QVPluginMainProc = int32_t (*)(QVPluginHook* hook);

#endif
