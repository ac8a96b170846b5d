// One whole object as a value: its frame in the score, the host's base brush
// and pen, and the plug-in's payload, the bytes the object itself writes for
// the document. A snapshot brings an object back exactly as it was, hidden
// settings included (a prolongation's ends while its type is "None"), which
// its property dictionary alone would not.
//
// The clipboard form of a list of snapshots (WriteList / ReadList), in
// big-endian kit chunks:
//   chunk "TScb"  format version (unsigned 32-bit, 1); class identifier and
//                 second class identifier (8 bytes each);
//                 then chunk "objt" per object, in order: the frame as four
//                 doubles x1, y1, x2, y2; chunk "base" (brush and pen file
//                 forms); chunk "data" (the payload)
//
// Status codes: file errors of the kit (the bytes pass through a temporary
// file the kit deletes); kQVErrStudioClipboard (-1406) for a clipboard form
// that is damaged (sizes past their chunk, a frame that is not finite, an
// unknown version), kQVErrUnknownClass (-704) for objects of another class;
// the object's own status when it refuses its payload.
#ifndef STUDIO_OBJECT_SNAPSHOT_H
#define STUDIO_OBJECT_SNAPSHOT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/AGGeometry.h"

class HostObject;
class HostPlugin;

class StudioObjectSnapshot {
 public:
  StudioObjectSnapshot() = default;

  // Records object as it is now. On failure snapshot is left as it was.
  static int32_t Capture(const HostObject& object, StudioObjectSnapshot& snapshot);
  // A new object of plugin's class in this state. On failure object is left
  // as it was.
  int32_t Instantiate(HostPlugin& plugin, std::unique_ptr<HostObject>& object) const;

  const AGRect& Frame() const { return mFrame; }
  void SetFrame(const AGRect& frame) { mFrame = frame; }
  // The plug-in's payload and the base brush and pen, in their file forms.
  const std::string& Payload() const { return mPayload; }
  const std::string& Base() const { return mBase; }

  // Same frame (bit for bit), base and payload bytes.
  bool IsEqual(const StudioObjectSnapshot& other) const;

  static int32_t WriteList(const HostPlugin& plugin,
                           const std::vector<StudioObjectSnapshot>& snapshots, std::string& bytes);
  // Replaces snapshots with the list in bytes; on failure snapshots is left
  // as it was.
  static int32_t ReadList(const HostPlugin& plugin, const std::string& bytes,
                          std::vector<StudioObjectSnapshot>& snapshots);

 private:
  AGRect mFrame = {0.0, 0.0, 0.0, 0.0};
  std::string mBase;
  std::string mPayload;
};

#endif
