// Test programs that link the object directly run from the build folder's
// tests/ with no plug-in place to start from: they find the symbol font and
// keyboard layouts in the source tree.
#include "kit/QVString.h"
#include "object/CStdTalvaneResources.h"

namespace {

[[maybe_unused]] const bool sAdded = [] {
  CStdTalvaneAddFallbackResourcesDir(QVString(TALVANE_SOURCE_RESOURCES_DIR)
                                         .ConvertWithEncoding(kQVStringEncodingUTF8,
                                                              kQVStringEncodingNative));
  return true;
}();

}  // namespace
