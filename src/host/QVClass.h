// The class record that the host prepares for a plug-in class, the host's
// class interface table, and `QVClass`, the plug-in's side of both.
//
// Class record (host-owned; a host object):
//   offset  width  content
//   4       4      flag word; bit 0 set: the host keeps its own method slots
//   32+16k  16     method slot k (k = 0 … 25); the plug-in fills ten of them:
//     32 _apmInit            48 _apmInitFromFile     80 _apmWriteToFile
//     96 _apmDelete         160 _apmSetObjectProperties
//    176 _apmGetObjectProperties                    224 _apmDraw
//    240 _apmEdit           256 _apmGetNaturalBounds 432 _apmInspector
//   size 448 (a host may derive a larger record from it)
//
// Class interface table (host-owned):
//   offset  width  content
//   32      8      ClassSetup (class record, hook) → status
//   40      8      SetClassName (class record, name)
//   56      8      AddInspectorGUIDesc (class record, description); the host takes it
//   96      16     member slot SupClasses on the class record → the class chain
//   size 112
#ifndef QV_CLASS_H
#define QV_CLASS_H

#include <cstddef>
#include <cstdint>

#include "host/QVHostObject.h"

struct QVPluginHook;
class QVObject;
class QVArgs;
class QVFile;
class QVDictionary;
class QVGUIDescObject;
class QVGUIDesc;
struct QVGUIEvent;
struct AGRect;
class AGContext;
struct QVDrawEvent;
struct QVEditEvent;

enum QVClassSlotIndex : uint32_t {
  kQVClassSlotInit = 0,
  kQVClassSlotInitFromFile = 1,
  kQVClassSlotWriteToFile = 3,
  kQVClassSlotDelete = 4,
  kQVClassSlotSetObjectProperties = 8,
  kQVClassSlotGetObjectProperties = 9,
  kQVClassSlotDraw = 12,
  kQVClassSlotEdit = 13,
  kQVClassSlotGetNaturalBounds = 14,
  kQVClassSlotInspector = 25,
  kQVClassSlotCount = 26,
};

// Bit 0 of the flag word: the host keeps its own method slots.
inline constexpr uint32_t kQVClassFlagKeepMethods = 0x1u;

// The member-function types of the class method slots, as members of QVObject.
using QVMethodInit = int32_t (QVObject::*)(const QVArgs& args);
using QVMethodInitFromFile = int32_t (QVObject::*)(const QVFile& file);
using QVMethodWriteToFile = int32_t (QVObject::*)(QVFile& file) const;
using QVMethodDelete = void (QVObject::*)();
using QVMethodSetObjectProperties = int32_t (QVObject::*)(const QVDictionary& dict);
using QVMethodGetObjectProperties = int32_t (QVObject::*)(QVDictionary& dict) const;
using QVMethodGetNaturalBounds = AGRect (QVObject::*)() const;
using QVMethodDraw = int32_t (QVObject::*)(const AGContext& context, const QVDrawEvent& event) const;
using QVMethodEdit = int32_t (QVObject::*)(const AGContext& context, QVEditEvent& event);
using QVMethodInspector = int32_t (QVObject::*)(QVGUIDesc& desc, QVGUIEvent& event);

struct QVClassRecord : QVHostObject {
  uint32_t reserved0;
  uint32_t flags;
  uint8_t reserved1[24];
  QVMethodSlot methods[kQVClassSlotCount];
};

// Each slot with its method type (see QVSlot in host/QVHostObject.h).
QV_SLOT(kQVClassSlotInit, QVClassRecord, QVMethodInit);
QV_SLOT(kQVClassSlotInitFromFile, QVClassRecord, QVMethodInitFromFile);
QV_SLOT(kQVClassSlotWriteToFile, QVClassRecord, QVMethodWriteToFile);
QV_SLOT(kQVClassSlotDelete, QVClassRecord, QVMethodDelete);
QV_SLOT(kQVClassSlotSetObjectProperties, QVClassRecord, QVMethodSetObjectProperties);
QV_SLOT(kQVClassSlotGetObjectProperties, QVClassRecord, QVMethodGetObjectProperties);
QV_SLOT(kQVClassSlotDraw, QVClassRecord, QVMethodDraw);
QV_SLOT(kQVClassSlotEdit, QVClassRecord, QVMethodEdit);
QV_SLOT(kQVClassSlotGetNaturalBounds, QVClassRecord, QVMethodGetNaturalBounds);
QV_SLOT(kQVClassSlotInspector, QVClassRecord, QVMethodInspector);

static_assert(offsetof(QVClassRecord, flags) == 4);
static_assert(offsetof(QVClassRecord, methods) == 32);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotInitFromFile]) == 48);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotWriteToFile]) == 80);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotDelete]) == 96);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotSetObjectProperties]) == 160);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotGetObjectProperties]) == 176);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotDraw]) == 224);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotEdit]) == 240);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotGetNaturalBounds]) == 256);
static_assert(offsetof(QVClassRecord, methods[kQVClassSlotInspector]) == 432);
static_assert(sizeof(QVClassRecord) == 448);

// SupClasses: the class chain, most derived first (the plug-in's class, then
// the host's base classes). The host owns the array; it stays valid while the
// class record lives. Returns the number of classes.
using QVClassSupClassesMethod = uint32_t (QVHostObject::*)(QVClassRecord* const** chain);

struct QVClassTable {
  uint8_t reserved0[32];
  int32_t (*classSetup)(QVClassRecord* cls, QVPluginHook* hook);
  void (*setClassName)(QVClassRecord* cls, const char* name);
  void* reserved1;
  void (*addInspectorGUIDesc)(QVClassRecord* cls, QVGUIDescObject* desc);
  void* reserved2[4];
  QVMethodSlot supClasses;
};

static_assert(offsetof(QVClassTable, classSetup) == 32);
static_assert(offsetof(QVClassTable, setClassName) == 40);
static_assert(offsetof(QVClassTable, addInspectorGUIDesc) == 56);
static_assert(offsetof(QVClassTable, supClasses) == 96);
static_assert(sizeof(QVClassTable) == 112);

// The plug-in's access to the class operations of the host.
class QVClass {
 public:
  // The host's class table, kept at registration; null before.
  static const QVClassTable* sWrapper;

  // Each returns the host's status, or -1 when the table or function is missing.
  static int32_t ClassSetup(QVClassRecord* cls, QVPluginHook* hook);
  static void SetClassName(QVClassRecord* cls, const char* name);
  // Hands the description to the host, which takes ownership.
  static void AddInspectorGUIDesc(QVClassRecord* cls, QVGUIDescObject* desc);
  // The class chain of cls; 0 classes when the host does not answer.
  static uint32_t SupClasses(QVClassRecord* cls, QVClassRecord* const** chain);
};

// The class record of the plug-in's class, kept at registration.
extern QVClassRecord* gQVClass;

#endif
