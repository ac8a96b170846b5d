// The kit's registration of a plug-in class with the host.
#ifndef QV_CLASS_SETUP_H
#define QV_CLASS_SETUP_H

#include <cstdint>

#include "host/QVClass.h"
#include "host/QVPluginHook.h"

// What a class announces to the host in the plug-in's half of the hook record.
struct QVClassAnnouncement {
  QVObjectCtorProc ctor;
  QVObjectDtorProc dtor;
  uint32_t objectSize;
  const char* classId;   // up to 7 characters
  const char* classId2;  // up to 7 characters
};

// Registers a class: checks the hook record and the host's interface version,
// keeps the environment record and the four tables, routes the kit's log to
// the host, fills the plug-in's half of the hook and calls the host's class
// setup. classOut receives the class record.
//   -1    classOut already set, null hook, wrong magic (logged through QVLog)
//   -779  host interface version not 3.x above 3.0x00FF, or no environment
//         record (logged)
//   else  the host's class setup status, unchanged
[[nodiscard]] int32_t QVClassSetupLow(QVClassRecord** classOut, void* hook, const char* className,
                        const QVClassAnnouncement& announcement);

// The registration template, instantiated for an object class that provides
// static CPPCtor / CPPDtor and the identifiers kClassId / kClassId2.
template <class T>
[[nodiscard]] int32_t _QVClassSetup(QVClassRecord** classOut, void* hook, const char* className) {
  const QVClassAnnouncement announcement = {&T::CPPCtor, &T::CPPDtor,
                                            static_cast<uint32_t>(sizeof(T)), T::kClassId,
                                            T::kClassId2};
  return QVClassSetupLow(classOut, hook, className, announcement);
}

// Whether a host interface version is one this kit works with.
bool QVIsHostVersionSupported(uint32_t version);

#endif
