// Shared ground of the object tests: forgetting a registration between
// tests, and a stand-alone object in zero-filled storage.
#ifndef TALVANE_TEST_SUPPORT_H
#define TALVANE_TEST_SUPPORT_H

#include "host/QVClass.h"
#include "host/QVEnv.h"
#include "kit/QVArgs.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneResources.h"

// Each test registers the class afresh: the registration globals belong to
// one class per process.
inline void ForgetRegistration() {
  QVSetHostPathProvider(nullptr);
  gQVClass = nullptr;
  gQVEnv = nullptr;
  QVClass::sWrapper = nullptr;
  QVSetCustomLogMessageProc(nullptr);
}

// An object made as a host makes it (zero-filled storage, in-place
// constructor), without a host: its base fields stay zero, so the property
// walks find no class chain. With "-default" it takes the default settings.
class StandaloneTalvane {
 public:
  explicit StandaloneTalvane(const char* arguments = "") {
    // Once per process; a font that can't be added shows in the tests that
    // draw symbols, not here.
    static bool fontAdded = ((void)CStdTalvaneAddSymbolFont(), true);
    (void)fontAdded;
    CStdTalvane::CPPCtor(reinterpret_cast<QVObject*>(mStorage));
    EXPECT_EQ(object()._apmInit(QVArgs(arguments, true)), 0);
  }
  ~StandaloneTalvane() {
    object()._apmDelete();
    CStdTalvane::CPPDtor(reinterpret_cast<QVObject*>(mStorage));
  }
  StandaloneTalvane(const StandaloneTalvane&) = delete;
  StandaloneTalvane& operator=(const StandaloneTalvane&) = delete;
  CStdTalvane& object() { return *reinterpret_cast<CStdTalvane*>(mStorage); }

 private:
  alignas(CStdTalvane) unsigned char mStorage[sizeof(CStdTalvane)] = {};
};

#endif
