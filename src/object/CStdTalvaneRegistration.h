// Registration of the CStdTalvane class with the host.
#ifndef C_STD_TALVANE_REGISTRATION_H
#define C_STD_TALVANE_REGISTRATION_H

#include <cstdint>

struct QVPluginHook;

// The steps of the plug-in entry: class setup (its status is returned at
// once when non-zero), the symbol font added for the process, the language domain "StdTalvane", the translated class
// name, the class method slots (left alone when the class record's flag bit 0
// is set), the inspector description when there is one, and 0.
[[nodiscard]] int32_t CStdTalvaneRegister(QVPluginHook* hook);

#endif
