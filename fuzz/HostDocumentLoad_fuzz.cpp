// Fuzz target for the reference host's whole document load: the input is a
// document file. It is loaded into a document that already holds one object;
// a loaded document is listed, drawn, saved and reloaded.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a failed load returns a negative status and keeps the document as it
//     was (its save is byte for byte the save before the load);
//   - every object of a loaded document lists its properties and draws into
//     a small bitmap, in its score frame and in a library cell;
//   - a loaded document saves, the saved file loads again, and saving that
//     gives the very same bytes.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHost.h"
#include "FuzzSupport.h"
#include "bridge/HostDocument.h"
#include "bridge/HostObject.h"
#include "bridge/HostRender.h"
#include "HostText.h"
#include "graphics/AGBitmap.h"
#include "kit/QVDictionary.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"

namespace {

constexpr uint32_t kBitmapWidth = 48;
constexpr uint32_t kBitmapHeight = 24;

std::string SavedBytes(const HostDocument& doc, const std::string& path) {
  FuzzRequire(doc.Save(path) == 0, "a document saves");
  return FuzzReadFile(path);
}

void ListProperties(const HostObject& object) {
  QVDictionary dict;
  FuzzRequire(object.GetAllProperties(dict) == 0, "an object lists its properties");
  QVString key;
  QVValue value;
  for (uint32_t i = 0; dict.GetKeyAndValueByIndex(i, &key, &value); ++i) {
    FuzzRequire(!HostFormatValue(value).empty(), "every property has a text form");
  }
}

void Draw(const HostObject& object, const AGRect& target, HostView view) {
  AGBitmap bitmap(kBitmapWidth, kBitmapHeight);
  FuzzRequire(bitmap.IsOpen(), "a small bitmap opens");
  // Drawing fails silently (nothing drawn): only a crash or a sanitizer
  // report breaks a rule here.
  (void)HostRenderObject(bitmap.GetContext(), object, view, target, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHost& host = FuzzHost::Shared();
  const FuzzScratchFolder& scratch = FuzzScratchFolder::Shared();
  const std::string input = scratch.Path("input.tlv");
  FuzzWriteFile(input, data, size);

  HostDocument doc(host.Plugin());
  FuzzRequire(doc.AddObjects(1, "-default") == 0, "a default object is made");
  const std::string before = SavedBytes(doc, scratch.Path("before.tlv"));

  const int32_t status = doc.Load(input);
  host.ClearLog();
  if (status != 0) {
    FuzzRequire(status < 0, "a failed load returns a negative status");
    FuzzRequire(SavedBytes(doc, scratch.Path("after.tlv")) == before,
                "a failed load keeps the document as it was");
    return 0;
  }

  for (size_t i = 0; i < doc.Count(); ++i) {
    const HostObject& object = doc.Object(i);
    ListProperties(object);
    Draw(object, object.Record().frame, HostView::kScore);
    Draw(object, AGRect{2.0, 2.0, kBitmapWidth - 2.0, kBitmapHeight - 2.0}, HostView::kLibrary);
  }

  const std::string first = SavedBytes(doc, scratch.Path("first.tlv"));
  HostDocument again(host.Plugin());
  FuzzRequire(again.Load(scratch.Path("first.tlv")) == 0, "a saved document loads again");
  FuzzRequire(again.Count() == doc.Count(), "the reloaded document has every object");
  FuzzRequire(again.RecordingPath() == doc.RecordingPath(),
              "the reloaded document has the same recording");
  FuzzRequire(SavedBytes(again, scratch.Path("second.tlv")) == first,
              "saving the reloaded document gives the same bytes");
  host.ClearLog();
  return 0;
}
