// Fuzz target for the studio's paste of whole objects: the input is the
// clipboard form of a list of objects (StudioObjectSnapshot.h), pasted into
// a document that holds one object. Today that form only travels inside
// the studio; it is read as if it came from anywhere.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a refused paste returns a negative status and changes neither the
//     document nor its history;
//   - a paste puts every pasted object on top as one step, which undo takes
//     away and redo brings back;
//   - the pasted objects copy to a form that pastes again into another
//     document and copies back to the very same bytes.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "FuzzSupport.h"
#include "StudioActions.h"
#include "StudioDocument.h"

namespace {

std::string Copied(const StudioDocument& doc, const std::vector<StudioObjectId>& ids) {
  std::string bytes;
  FuzzRequire(StudioActions::Copy(doc, ids, bytes) == 0, "pasted objects copy");
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHost& host = FuzzHost::Shared();
  const std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  StudioDocument doc(host.Plugin());
  StudioObjectId first = kStudioNoObject;
  FuzzRequire(StudioActions::Create(doc, AGRect{0.0, 0.0, 640.0, 64.0}, &first) == 0,
              "a default object is made");
  const size_t steps = doc.History().Count();

  std::vector<StudioObjectId> pasted;
  const int32_t status = StudioActions::Paste(doc, bytes, 250.0, 8.0, &pasted);
  host.ClearLog();
  if (status != 0) {
    FuzzRequire(status < 0, "a refused paste returns a negative status");
    FuzzRequire(doc.Count() == 1 && doc.IdAt(0) == first && doc.History().Count() == steps,
                "a refused paste changes nothing");
    return 0;
  }
  FuzzRequire(doc.Count() == 1 + pasted.size() && doc.IdAt(0) == first,
              "pasted objects go on top of the others");
  for (size_t i = 0; i < pasted.size(); ++i) {
    FuzzRequire(doc.IdAt(i + 1) == pasted[i], "pasted objects keep their order");
  }
  if (pasted.empty()) {
    FuzzRequire(doc.History().Count() == steps, "an empty paste records nothing");
    return 0;
  }
  FuzzRequire(doc.History().Count() == steps + 1, "a paste is one step");
  const std::string copied = Copied(doc, pasted);
  FuzzRequire(doc.Undo() == 0 && doc.Count() == 1, "undo takes the pasted objects away");
  FuzzRequire(doc.Redo() == 0 && doc.Count() == 1 + pasted.size() &&
                  Copied(doc, pasted) == copied,
              "redo brings the same objects back");

  StudioDocument other(host.Plugin());
  std::vector<StudioObjectId> again;
  FuzzRequire(StudioActions::Paste(other, copied, 0.0, 0.0, &again) == 0 &&
                  again.size() == pasted.size(),
              "copied objects paste again");
  FuzzRequire(Copied(other, again) == copied, "pasting and copying keeps the very same bytes");
  host.ClearLog();
  return 0;
}
