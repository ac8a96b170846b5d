// The plug-in's one exported entry, `main`, called once by the host with its
// hook record.
#include "host/QVHostObject.h"
#include "host/QVPluginHook.h"
#include "object/CStdTalvaneRegistration.h"

// Exported under the plain name "main" (an assembler name: C++ reserves the
// identifier main for the program's entry).
QV_EXPORT int32_t StdTalvaneMain(QVPluginHook* hook) __asm__("main");

int32_t StdTalvaneMain(QVPluginHook* hook) { return CStdTalvaneRegister(hook); }
