// The reference host's document: a chunked kit file holding the objects of
// one plug-in class.
//
//   chunk "head"  byte-order signature ("BIGE" or "LITE", four characters in
//                 reading order), then the format version (unsigned 32-bit,
//                 file order; 1)
//   chunk "objt"  one per object, in order:
//                   class identifier and second class identifier (8 bytes each)
//                   frame in the score: AGRect x1, y1, x2, y2 (4 doubles: time
//                   and height)
//                   then chunks, among them exactly one of each:
//                   chunk "base": the host's base brush (40 bytes) and pen
//                                 (80 bytes) in their file forms
//                   chunk "data": the plug-in's own payload
//   chunk "rcrd"  at most one, after "head": the path of the recording the
//                 document annotates, UTF-8 bytes filling the chunk (no
//                 length, no terminator, so no byte order), 1 to
//                 kMaxRecordingPathBytes bytes without a zero byte; relative
//                 paths are relative to the document's folder. Written only
//                 when the document has a recording.
//
// Chunk sizes and numbers are in the byte order the header names; unknown
// chunks are skipped wherever they stand, inside "objt" too. Unknown chunks
// at the top level (a later program's additions) are kept as they were read
// and written back by Save, after "rcrd" and before the objects, in their
// order; their bytes stay valid because a document is saved in the byte
// order it was loaded in unless SetByteOrder changes it, which drops them
// (they may hold numbers in the old order). Unknown chunks inside "objt"
// are not kept. Every read is
// held inside the chunk it belongs to: an object payload that would read
// past its "data" chunk makes the document damaged, even when the file goes
// on. Loading either takes the whole document or nothing.
#ifndef HOST_DOCUMENT_H
#define HOST_DOCUMENT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bridge/HostObject.h"

class HostDocumentLock;
class HostPlugin;
class QVFile;
class QVFileChunk;

// A top-level chunk the document does not know: its signature and the
// bytes it held (without its header).
struct HostForeignChunk {
  uint32_t signature = 0;
  std::vector<uint8_t> bytes;
};

class HostDocument {
 public:
  static constexpr uint32_t kFormatVersion = 1;
  // The longest recording path a document holds, in bytes (PATH_MAX).
  static constexpr size_t kMaxRecordingPathBytes = 4096;

  explicit HostDocument(HostPlugin& plugin);

  // Appends count objects created with the given arguments ("-default"),
  // placed one after the other in time. 0 or the first failing status.
  [[nodiscard]] int32_t AddObjects(uint32_t count, const char* arguments);

  // Replaces the content with the document at path (bytes as given, see
  // HostFiles.h). On any failure the document keeps what it had and the
  // status is returned: kQVErrBadDocument (structure), kQVErrUnknownClass,
  // kQVErrNotAFile, file errors.
  [[nodiscard]] int32_t Load(const std::string& path);
  // Replaces the document at path with this one as HostSafeSave does, so
  // that a failed save leaves an existing file untouched. A writer that
  // loaded the document first passes the lock it took before loading;
  // without one, Save locks an existing document itself for the time of
  // the save. Written in ByteOrder().
  [[nodiscard]] int32_t Save(const std::string& path, const HostDocumentLock* held = nullptr) const;

  uint32_t ByteOrder() const { return mByteOrder; }
  // A change of order drops the kept unknown chunks (see above).
  void SetByteOrder(uint32_t order);

  // The recording's path as stored ("rcrd"): UTF-8, relative to the
  // document's folder or absolute; empty when the document has none. The
  // host does not resolve it. A path Save could not store (longer than
  // kMaxRecordingPathBytes, a zero byte, not UTF-8) fails the save with
  // kQVErrBadProperty, writing nothing.
  const std::string& RecordingPath() const { return mRecordingPath; }
  void SetRecordingPath(const std::string& path) { mRecordingPath = path; }

  size_t Count() const { return mObjects.size(); }
  HostObject& Object(size_t index) { return *mObjects[index]; }
  const HostObject& Object(size_t index) const { return *mObjects[index]; }

  // Puts object (made with this document's plug-in) at index, later objects
  // moving up by one; an index beyond the end appends. A null object is
  // ignored.
  void InsertObject(size_t index, std::unique_ptr<HostObject> object);
  // Removes the object at index and hands it to the caller; null (and
  // nothing removed) for an index beyond the end.
  std::unique_ptr<HostObject> TakeObject(size_t index);

 private:
  [[nodiscard]] int32_t ReadObjects(const QVFile& file,
                                    std::vector<std::unique_ptr<HostObject>>& objects,
                                    std::string& recording,
                                    std::vector<HostForeignChunk>& foreign,
                                    const std::string& path);
  [[nodiscard]] int32_t ReadOneObject(const QVFile& file, uint64_t end,
                        std::vector<std::unique_ptr<HostObject>>& objects,
                        const std::string& path);
  [[nodiscard]] int32_t ReadObjectPart(const QVFile& file, const QVFileChunk& chunk,
                                       HostObject& object, const std::string& path);
  [[nodiscard]] int32_t WriteAll(QVFile& file) const;

  HostPlugin& mPlugin;
  uint32_t mByteOrder;
  std::vector<std::unique_ptr<HostObject>> mObjects;
  std::string mRecordingPath;
  std::vector<HostForeignChunk> mForeignChunks;
};

#endif
