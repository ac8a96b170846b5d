#include "StudioObjectSnapshot.h"

#include <cmath>
#include <cstring>

#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"
#include "kit/QVLog.h"

namespace {

constexpr uint32_t kSigList = QVSignat32("TScb");
constexpr uint32_t kSigObject = QVSignat32("objt");
constexpr uint32_t kSigBase = QVSignat32("base");
constexpr uint32_t kSigData = QVSignat32("data");
constexpr uint32_t kListVersion = 1;

// The kit reads and writes objects only through files: a temporary one,
// big-endian, deleted when this goes.
class ScratchFile {
 public:
  ScratchFile() : mFile(QVFile::kTemporary) { mFile.SetEndianness(QVFile::kEndianBig); }
  long Create() { return mFile.CreateForReadWrite(); }
  QVFile& File() { return mFile; }
  // The position, 0 when it can't be had (the file's own reads then fail).
  uint64_t Position() const {
    uint64_t pos = 0;
    (void)mFile.GetPos(pos);
    return pos;
  }
  // The bytes from `from` to the end.
  long ReadRest(uint64_t from, std::string& bytes) const {
    uint64_t size = 0;
    long status = mFile.GetFileSize(size);
    if (!status) status = mFile.SetPos(from);
    if (status) return status;
    std::string read(static_cast<size_t>(size - from), '\0');
    status = mFile.Read(&read[0], read.size());
    if (!status) bytes.swap(read);
    return status;
  }

 private:
  QVFile mFile;
};

[[nodiscard]] int32_t Damaged(const char* what) {
  return static_cast<int32_t>(QVLogStatus<kQVErrStudioClipboard>(what));
}

bool IsFinite(const AGRect& r) {
  return std::isfinite(r.x1) && std::isfinite(r.y1) && std::isfinite(r.x2) && std::isfinite(r.y2);
}

// Reads the header of the next chunk, which must end by `end`; expected 0
// takes any signature. 0 or -1406 (logged with what).
[[nodiscard]] int32_t ReadChunkIn(const QVFile& file, uint64_t end, uint32_t expected,
                                  QVFileChunk& chunk, const char* what) {
  // A position that can't be had leaves 0: the header read then fails.
  uint64_t pos = 0;
  (void)file.GetPos(pos);
  if (end < pos || end - pos < 8 || QVFileReadChunkHeader(file, chunk) != 0 ||
      chunk.EndPosition() > end || (expected != 0 && chunk.Signature() != expected)) {
    return Damaged(what);
  }
  return 0;
}

// A whole chunk's payload as bytes.
int32_t ReadChunkBytes(const QVFile& file, uint64_t end, uint32_t signature, std::string& bytes,
                       const char* what) {
  QVFileChunk chunk;
  int32_t status = ReadChunkIn(file, end, signature, chunk, what);
  if (status) return status;
  std::string read(chunk.Size(), '\0');
  if (QVFileRead(file, &read[0], read.size()) != 0) return Damaged(what);
  bytes.swap(read);
  return 0;
}

long WriteChunkBytes(QVFile& file, uint32_t signature, const std::string& bytes) {
  QVFileChunk chunk(signature);
  long status = QVFileWriteChunkHeader(file, chunk);
  if (!status) status = QVFileWrite(file, bytes.data(), bytes.size());
  if (!status) status = QVFileWriteChunkComplete(file, chunk);
  return status;
}

}  // namespace

int32_t StudioObjectSnapshot::Capture(const HostObject& object, StudioObjectSnapshot& snapshot) {
  ScratchFile scratch;
  long status = scratch.Create();
  const HostObjectRecord& record = object.Record();
  if (!status) status = record.brush.WriteToFile(scratch.File());
  if (!status) status = record.pen.WriteToFile(scratch.File());
  uint64_t baseEnd = scratch.Position();
  if (!status) status = object.WriteToFile(scratch.File());
  std::string base;
  std::string payload;
  if (!status) status = scratch.ReadRest(0, base);
  if (status) return static_cast<int32_t>(status);
  payload = base.substr(static_cast<size_t>(baseEnd));
  base.resize(static_cast<size_t>(baseEnd));
  snapshot.mFrame = record.frame;
  snapshot.mBase.swap(base);
  snapshot.mPayload.swap(payload);
  return 0;
}

int32_t StudioObjectSnapshot::Instantiate(HostPlugin& plugin,
                                          std::unique_ptr<HostObject>& object) const {
  ScratchFile scratch;
  long status = scratch.Create();
  QVFile& file = scratch.File();
  if (!status) status = QVFileWrite(file, mBase.data(), mBase.size());
  if (!status) status = QVFileWrite(file, mPayload.data(), mPayload.size());
  if (!status) status = file.SetPos(0);
  if (status) return static_cast<int32_t>(status);

  auto made = std::make_unique<HostObject>(plugin);
  HostObjectRecord& record = made->Record();
  record.frame = mFrame;
  if (record.brush.ReadFromFile(file) != 0 || record.pen.ReadFromFile(file) != 0 ||
      scratch.Position() != mBase.size()) {
    return Damaged("the base brush and pen do not read back");
  }
  int32_t initialised = made->InitFromFile(file);
  if (initialised != 0) return initialised;
  object = std::move(made);
  return 0;
}

bool StudioObjectSnapshot::IsEqual(const StudioObjectSnapshot& other) const {
  return std::memcmp(&mFrame, &other.mFrame, sizeof mFrame) == 0 && mBase == other.mBase &&
         mPayload == other.mPayload;
}

int32_t StudioObjectSnapshot::WriteList(const HostPlugin& plugin,
                                        const std::vector<StudioObjectSnapshot>& snapshots,
                                        std::string& bytes) {
  ScratchFile scratch;
  QVFile& file = scratch.File();
  QVFileChunk list(kSigList);
  long status = scratch.Create();
  if (!status) status = QVFileWriteChunkHeader(file, list);
  if (!status) status = QVFileWriteUInt32(file, kListVersion);
  if (!status) status = QVFileWrite(file, plugin.Hook().classId, 8);
  if (!status) status = QVFileWrite(file, plugin.Hook().classId2, 8);
  for (const StudioObjectSnapshot& snapshot : snapshots) {
    QVFileChunk object(kSigObject);
    if (!status) status = QVFileWriteChunkHeader(file, object);
    if (!status) status = QVFileWriteAGRect(file, snapshot.mFrame);
    if (!status) status = WriteChunkBytes(file, kSigBase, snapshot.mBase);
    if (!status) status = WriteChunkBytes(file, kSigData, snapshot.mPayload);
    if (!status) status = QVFileWriteChunkComplete(file, object);
  }
  if (!status) status = QVFileWriteChunkComplete(file, list);
  std::string written;
  if (!status) status = scratch.ReadRest(0, written);
  if (!status) bytes.swap(written);
  return static_cast<int32_t>(status);
}

int32_t StudioObjectSnapshot::ReadList(const HostPlugin& plugin, const std::string& bytes,
                                       std::vector<StudioObjectSnapshot>& snapshots) {
  ScratchFile scratch;
  QVFile& file = scratch.File();
  long status = scratch.Create();
  if (!status) status = QVFileWrite(file, bytes.data(), bytes.size());
  if (!status) status = file.SetPos(0);
  if (status) return static_cast<int32_t>(status);

  QVFileChunk list;
  int32_t read = ReadChunkIn(file, bytes.size(), kSigList, list, "not a list of studio objects");
  if (read) return read;
  const uint64_t end = list.EndPosition();
  uint32_t version = 0;
  char id[8];
  char id2[8];
  if (end - scratch.Position() < 20 || QVFileReadUInt32(file, version) != 0 ||
      QVFileRead(file, id, 8) != 0 || QVFileRead(file, id2, 8) != 0) {
    return Damaged("the list's header is cut short");
  }
  if (version != kListVersion) return Damaged("unknown format version");
  if (std::memcmp(id, plugin.Hook().classId, 8) != 0 ||
      std::memcmp(id2, plugin.Hook().classId2, 8) != 0) {
    std::string shown(id, strnlen(id, sizeof id));
    for (char& c : shown) {
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
    }
    return static_cast<int32_t>(QVLogStatus<kQVErrUnknownClass>(shown.c_str()));
  }

  std::vector<StudioObjectSnapshot> objects;
  while (scratch.Position() < end) {
    QVFileChunk chunk;
    if ((read = ReadChunkIn(file, end, 0, chunk, "a chunk runs past the list")) != 0) return read;
    if (chunk.Signature() == kSigObject) {
      StudioObjectSnapshot snapshot;
      const uint64_t objectEnd = chunk.EndPosition();
      if (objectEnd - scratch.Position() < 32 || QVFileReadAGRect(file, snapshot.mFrame) != 0) {
        return Damaged("an object's frame is cut short");
      }
      if (!IsFinite(snapshot.mFrame)) return Damaged("an object's frame is not finite");
      if ((read = ReadChunkBytes(file, objectEnd, kSigBase, snapshot.mBase,
                                 "an object's brush and pen are missing or cut short")) != 0 ||
          (read = ReadChunkBytes(file, objectEnd, kSigData, snapshot.mPayload,
                                 "an object's payload is missing or cut short")) != 0) {
        return read;
      }
      objects.push_back(std::move(snapshot));
    }
    if (QVFileGotoChunkEnd(file, chunk) != 0) return Damaged("a chunk runs past the list");
  }
  snapshots.swap(objects);
  return 0;
}
