// Fuzz target for the Talvane object's payload alone, read through the
// host's object (_apmInitFromFile) in both byte orders.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a failed read returns a negative status;
//   - a read object writes, the written payload reads back completely and
//     writes again to the same bytes;
//   - its properties, set into a new object, come out of that object again
//     and set into a third object give the same properties; that object's
//     payload also reads back and writes again to the same bytes.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHost.h"
#include "FuzzKitFile.h"
#include "FuzzSupport.h"
#include "bridge/HostObject.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"

namespace {

using Bytes = std::string;

Bytes Payload(const HostObject& object, uint32_t order) {
  return FuzzKitWritten(order, [&](QVFile& file) { return object.WriteToFile(file); });
}

QVFile& Load(const Bytes& bytes, uint32_t order) { return FuzzKitLoad(FuzzKitScratch(0), bytes, order); }

// A written payload reads back whole and writes the same bytes again.
void CheckRewrite(const Bytes& payload, uint32_t order) {
  HostObject object(FuzzHost::Shared().Plugin());
  QVFile& file = Load(payload, order);
  FuzzRequire(object.InitFromFile(file) == 0, "a written payload reads back");
  FuzzRequire(file.IsEndOfFile(), "reading consumes exactly what was written");
  FuzzRequire(Payload(object, order) == payload, "a second write gives the same bytes");
}

QVDictionary Properties(const HostObject& object) {
  QVDictionary dict;
  FuzzRequire(object.GetAllProperties(dict) == 0, "an object gives its properties");
  return dict;
}

// A new object, made without defaults, that takes dict.
void SetInto(HostObject& object, const QVDictionary& dict) {
  FuzzRequire(object.Init(QVArgs("", true)) == 0, "an object is made");
  FuzzRequire(object.SetAllProperties(dict) == 0, "an object takes properties");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HostPlugin& plugin = FuzzHost::Shared().Plugin();
  const Bytes input(reinterpret_cast<const char*>(data), data ? size : 0);
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    HostObject read(plugin);
    const int32_t status = read.InitFromFile(Load(input, order));
    FuzzHost::Shared().ClearLog();
    if (status != 0) {
      FuzzRequire(status < 0, "a failed read returns a negative status");
      continue;
    }
    CheckRewrite(Payload(read, order), order);

    HostObject second(plugin);
    SetInto(second, Properties(read));
    const QVDictionary out = Properties(second);
    HostObject third(plugin);
    SetInto(third, out);
    FuzzRequire(Properties(third).IsEqual(out), "properties set again come out the same");
    CheckRewrite(Payload(second, order), order);
  }
  return 0;
}
