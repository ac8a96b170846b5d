// Fuzz target for the studio's document load: the input is a document file
// in a folder two levels inside the scratch folder (so that a recording
// path with ".." reaches outside it), loaded through StudioDocument with
// the recording ("rcrd") taken from the document's folder, then saved
// beside it and reloaded.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a failed load returns a negative status and keeps the document as it
//     was (no objects, its recording and path unchanged);
//   - a loaded document has an id per object and no changes, and its
//     recording is absolute or none (none exactly when "rcrd" is missing);
//   - a loaded document saves, the saved file loads again with the same
//     objects and recording (cleaned of "." and ".."), and saving that gives the very same bytes.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzHost.h"
#include "FuzzSupport.h"
#include "StudioDocument.h"

namespace {

const char kKeptRecording[] = "/kept/before.wav";

// The folder of the documents, made once.
std::string DocumentFolder() {
  static const std::string folder = [] {
    const std::string outer = FuzzScratchFolder::Shared().Path("documents");
    const std::string inner = outer + "/notes";
    FuzzRequire(::mkdir(outer.c_str(), 0700) == 0 && ::mkdir(inner.c_str(), 0700) == 0,
                "the document folders are made");
    return inner;
  }();
  return folder;
}

std::string Clean(const std::string& path) {
  return std::filesystem::path(path).lexically_normal().string();
}

std::string SavedBytes(StudioDocument& doc, const std::string& path) {
  FuzzRequire(doc.Save(path) == 0, "a loaded document saves");
  return FuzzReadFile(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHost& host = FuzzHost::Shared();
  const std::string folder = DocumentFolder();
  const std::string input = folder + "/input.tlv";
  FuzzWriteFile(input, data, size);

  StudioDocument doc(host.Plugin());
  doc.SetRecordingPath(kKeptRecording);
  const int32_t status = doc.Load(input);
  host.ClearLog();
  if (status != 0) {
    FuzzRequire(status < 0, "a failed load returns a negative status");
    FuzzRequire(doc.Count() == 0 && doc.RecordingPath() == kKeptRecording && doc.Path().empty(),
                "a failed load keeps the document as it was");
    return 0;
  }
  FuzzRequire(doc.Count() == doc.Host().Count() && !doc.IsModified() && doc.Path() == input,
              "a loaded document has an id per object and no changes");
  for (size_t i = 0; i < doc.Count(); ++i) {
    FuzzRequire(doc.Find(doc.IdAt(i)) == &doc.Host().Object(i), "each id finds its object");
  }
  const std::string& recording = doc.RecordingPath();
  FuzzRequire(recording.empty() == doc.Host().RecordingPath().empty(),
              "a recording exactly when the document names one");
  FuzzRequire(recording.empty() || recording[0] == '/', "a loaded recording is absolute");

  const std::string firstPath = folder + "/first.tlv";
  const std::string first = SavedBytes(doc, firstPath);
  StudioDocument again(host.Plugin());
  FuzzRequire(again.Load(firstPath) == 0, "a saved document loads again");
  FuzzRequire(again.Count() == doc.Count(), "the reloaded document has every object");
  // A stored absolute path comes back as stored; a save writes it cleaned
  // of "." and "..".
  FuzzRequire(Clean(again.RecordingPath()) == Clean(doc.RecordingPath()),
              "the reloaded document has the same recording");
  FuzzRequire(SavedBytes(again, folder + "/second.tlv") == first,
              "saving the reloaded document gives the same bytes");
  host.ClearLog();
  return 0;
}
