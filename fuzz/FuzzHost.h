// The reference host in the fuzz target's own process: its environment
// record and the Talvane class registered straight from the object code (no
// library to load), made on first use and kept until the process ends.
#ifndef FUZZ_HOST_H
#define FUZZ_HOST_H

#include "FuzzSupport.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostPlugin.h"
#include "kit/QVString.h"
#include "object/CStdTalvaneRegistration.h"
#include "object/CStdTalvaneResources.h"

class FuzzHost {
 public:
  static FuzzHost& Shared() {
    static FuzzHost host;
    return host;
  }
  HostPlugin& Plugin() { return mPlugin; }
  // Forgets the log lines the plug-in forwarded, so that a long campaign
  // does not keep them all.
  void ClearLog() { mEnvironment.ClearLog(); }

 private:
  FuzzHost() : mEnvironment(Options()), mPlugin(mEnvironment) {
    // The object is linked in, so there is no plug-in place to find the
    // symbol font and layouts from: they come from the source tree.
    CStdTalvaneAddFallbackResourcesDir(
        QVString(TALVANE_SOURCE_DIR "/resources")
            .ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative));
    FuzzRequire(mPlugin.Register(&CStdTalvaneRegister) == 0, "the Talvane class registers");
  }
  // No translations; the repository stays inside the scratch folder.
  static HostEnvironmentOptions Options() {
    HostEnvironmentOptions options;
    options.repositoryDir = FuzzScratchFolder::Shared().Path("repository");
    return options;
  }

  HostEnvironment mEnvironment;
  HostPlugin mPlugin;
};

#endif
