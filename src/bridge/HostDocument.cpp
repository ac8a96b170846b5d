#include "bridge/HostDocument.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "bridge/HostDocumentLock.h"
#include "bridge/HostFd.h"
#include "bridge/HostFiles_p.h"
#include "bridge/HostPlugin.h"
#include "bridge/HostSafeSave.h"
#include "kit/QVArgs.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

namespace {

constexpr uint32_t kSigHead = QVSignat32("head");
constexpr uint32_t kSigObject = QVSignat32("objt");
constexpr uint32_t kSigBase = QVSignat32("base");
constexpr uint32_t kSigData = QVSignat32("data");
constexpr uint32_t kSigRecording = QVSignat32("rcrd");
constexpr uint32_t kSigBig = QVSignat32("BIGE");
constexpr uint32_t kSigLittle = QVSignat32("LITE");

// Width of a new object's frame in the score, and the gap between frames.
constexpr double kDefaultFrameWidth = 640.0;
constexpr double kDefaultFrameGap = 20.0;
constexpr double kDefaultFrameHeight = 64.0;

int32_t Damaged(const std::string& path) {
  return static_cast<int32_t>(QVLogStatus<kQVErrBadDocument>(path.c_str()));
}

// The position, 0 when it can't be had: the read that follows fails then
// and reports the document as damaged.
uint64_t Position(const QVFile& file) {
  uint64_t pos = 0;
  (void)file.GetPos(pos);
  return pos;
}

// The end of a chunk whose header was just read, or 0 when its size runs
// beyond the enclosing end.
uint64_t ChunkEnd(const QVFileChunk& chunk, uint64_t enclosingEnd) {
  uint64_t end = chunk.EndPosition();
  return end <= enclosingEnd ? end : 0;
}

// Whether bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF) without a zero byte.
bool IsStorablePath(const std::string& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) return false;
    size_t extra = 0;
    uint32_t min = 0;
    uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, min = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, min = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, min = 0x10000, code = c & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool IsStorableRecording(const std::string& path) {
  return !path.empty() && path.size() <= HostDocument::kMaxRecordingPathBytes &&
         IsStorablePath(path);
}

// Holds the reads of a file inside one part of it while it lives: the
// smaller of the limit in force and the part's end, put back afterwards.
class ReadLimitScope {
 public:
  ReadLimitScope(const QVFile& file, uint64_t end) : mFile(file), mPrevious(file.ReadLimit()) {
    mFile.SetReadLimit(std::min(end, mPrevious));
  }
  ~ReadLimitScope() { mFile.SetReadLimit(mPrevious); }
  ReadLimitScope(const ReadLimitScope&) = delete;
  ReadLimitScope& operator=(const ReadLimitScope&) = delete;

 private:
  const QVFile& mFile;
  uint64_t mPrevious;
};

}  // namespace

HostDocument::HostDocument(HostPlugin& plugin) : mPlugin(plugin), mByteOrder(QVFile::kEndianBig) {}

int32_t HostDocument::AddObjects(uint32_t count, const char* arguments) {
  QVArgs args(arguments ? arguments : "", true);
  double x = 0.0;
  if (!mObjects.empty()) x = mObjects.back()->Record().frame.x2 + kDefaultFrameGap;
  for (uint32_t i = 0; i < count; ++i) {
    auto object = std::make_unique<HostObject>(mPlugin);
    object->Record().frame = {x, 0.0, x + kDefaultFrameWidth, kDefaultFrameHeight};
    int32_t status = object->Init(args);
    if (status != 0) return status;
    mObjects.push_back(std::move(object));
    x += kDefaultFrameWidth + kDefaultFrameGap;
  }
  return 0;
}

void HostDocument::InsertObject(size_t index, std::unique_ptr<HostObject> object) {
  if (!object) return;
  if (index > mObjects.size()) index = mObjects.size();
  mObjects.insert(mObjects.begin() + static_cast<std::ptrdiff_t>(index), std::move(object));
}

std::unique_ptr<HostObject> HostDocument::TakeObject(size_t index) {
  if (index >= mObjects.size()) return nullptr;
  std::unique_ptr<HostObject> object = std::move(mObjects[index]);
  mObjects.erase(mObjects.begin() + static_cast<std::ptrdiff_t>(index));
  return object;
}

int32_t HostDocument::Load(const std::string& path) {
  HostFd fd;
  int32_t opened = HostOpenRegularFileForRead(path, fd);
  if (opened != 0) return opened;
  // Messages name the document as the user did.
  QVFile file{QVFilePath(path.c_str())};
  long status = file.AdoptDescriptor(fd.Release(), false);
  if (status != 0) return static_cast<int32_t>(status);

  uint64_t size = 0;
  if ((status = file.GetFileSize(size)) != 0) return static_cast<int32_t>(status);

  // The header chunk names the byte order before anything else is read in it.
  uint32_t signature = 0;
  uint32_t order = 0;
  if (size < 16 || QVFileReadSignat32(file, signature) != 0 || signature != kSigHead ||
      QVFileSkip(file, 4) != 0 || QVFileReadSignat32(file, order) != 0 ||
      (order != kSigBig && order != kSigLittle)) {
    return Damaged(path);
  }
  file.SetEndianness(order == kSigBig ? QVFile::kEndianBig : QVFile::kEndianLittle);
  QVFileChunk head;
  uint32_t version = 0;
  if (QVFileGotoChunkBegin(file, head) != 0 || QVFileReadChunkHeader(file, head) != 0 ||
      head.Size() < 8 || !ChunkEnd(head, size) || QVFileSkip(file, 4) != 0 ||
      QVFileReadUInt32(file, version) != 0) {
    return Damaged(path);
  }
  if (version != kFormatVersion) {
    QVLogError(kQVErrBadDocument, "The document \"%s\" has format version %u, not %u",
               path.c_str(), version, kFormatVersion);
    return kQVErrBadDocument;
  }
  if (QVFileGotoChunkEnd(file, head) != 0) return Damaged(path);

  std::vector<std::unique_ptr<HostObject>> objects;
  std::string recording;
  std::vector<HostForeignChunk> foreign;
  int32_t result = ReadObjects(file, objects, recording, foreign, path);
  if (result != 0) return result;
  mByteOrder = file.Endianness();
  mObjects.swap(objects);
  mRecordingPath.swap(recording);
  mForeignChunks.swap(foreign);
  return 0;
}

int32_t HostDocument::ReadObjects(const QVFile& file,
                                  std::vector<std::unique_ptr<HostObject>>& objects,
                                  std::string& recording,
                                  std::vector<HostForeignChunk>& foreign,
                                  const std::string& path) {
  uint64_t size = 0;
  // A size that can't be had must not read as an empty document.
  long err = file.GetFileSize(size);
  if (err) return static_cast<int32_t>(err);
  bool haveRecording = false;
  while (Position(file) < size) {
    QVFileChunk chunk;
    if (size - Position(file) < 8 || QVFileReadChunkHeader(file, chunk) != 0) return Damaged(path);
    uint64_t end = ChunkEnd(chunk, size);
    if (!end) return Damaged(path);
    if (chunk.Signature() == kSigObject) {
      ReadLimitScope limit(file, end);
      int32_t status = ReadOneObject(file, end, objects, path);
      if (status != 0) return status;
    } else if (chunk.Signature() == kSigRecording) {
      // Two would leave no telling which recording is meant.
      if (haveRecording || chunk.Size() > kMaxRecordingPathBytes) return Damaged(path);
      haveRecording = true;
      recording.resize(chunk.Size());
      ReadLimitScope limit(file, end);
      if (QVFileRead(file, recording.data(), recording.size()) != 0 ||
          !IsStorableRecording(recording)) {
        return Damaged(path);
      }
    } else if (chunk.Signature() != kSigHead) {
      // The chunk lies inside the file (ChunkEnd), so its bytes are bounded
      // by what was read from disk anyway.
      HostForeignChunk kept;
      kept.signature = chunk.Signature();
      kept.bytes.resize(chunk.Size());
      ReadLimitScope limit(file, end);
      if (!kept.bytes.empty() && QVFileRead(file, kept.bytes.data(), kept.bytes.size()) != 0) {
        return Damaged(path);
      }
      foreign.push_back(std::move(kept));
    }
    if (QVFileGotoChunkEnd(file, chunk) != 0) return Damaged(path);
  }
  return 0;
}

int32_t HostDocument::ReadOneObject(const QVFile& file, uint64_t end,
                                    std::vector<std::unique_ptr<HostObject>>& objects,
                                    const std::string& path) {
  char id[8];
  char id2[8];
  AGRect frame;
  if (QVFileRead(file, id, sizeof id) != 0 || QVFileRead(file, id2, sizeof id2) != 0 ||
      QVFileReadAGRect(file, frame) != 0 || Position(file) > end) {
    return Damaged(path);
  }
  if (std::memcmp(id, mPlugin.Hook().classId, sizeof id) != 0 ||
      std::memcmp(id2, mPlugin.Hook().classId2, sizeof id2) != 0) {
    std::string shown(id, strnlen(id, sizeof id));
    for (char& c : shown) {
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
    }
    return static_cast<int32_t>(QVLogStatus<kQVErrUnknownClass>(shown.c_str()));
  }

  auto object = std::make_unique<HostObject>(mPlugin);
  HostObjectRecord& record = object->Record();
  record.frame = frame;

  // The parts may stand in any order among chunks of other kinds.
  bool haveBase = false;
  bool haveData = false;
  while (Position(file) < end) {
    QVFileChunk chunk;
    if (end - Position(file) < 8 || QVFileReadChunkHeader(file, chunk) != 0) return Damaged(path);
    if (!ChunkEnd(chunk, end)) return Damaged(path);
    if (chunk.Signature() == kSigBase || chunk.Signature() == kSigData) {
      bool& seen = chunk.Signature() == kSigBase ? haveBase : haveData;
      // A second one leaves no telling which counts.
      if (seen) return Damaged(path);
      seen = true;
      int32_t status = ReadObjectPart(file, chunk, *object, path);
      if (status != 0) return status;
    }
    if (QVFileGotoChunkEnd(file, chunk) != 0) return Damaged(path);
  }
  if (!haveBase || !haveData) return Damaged(path);
  objects.push_back(std::move(object));
  return 0;
}

int32_t HostDocument::ReadObjectPart(const QVFile& file, const QVFileChunk& chunk,
                                     HostObject& object, const std::string& path) {
  // Every read stops at the end of the chunk, so that a length or count
  // read from it cannot reach into what follows.
  const uint64_t end = chunk.EndPosition();
  ReadLimitScope limit(file, end);
  if (chunk.Signature() == kSigBase) {
    HostObjectRecord& record = object.Record();
    if (record.brush.ReadFromFile(file) != 0 || record.pen.ReadFromFile(file) != 0) {
      return Damaged(path);
    }
    return 0;
  }
  int32_t status = object.InitFromFile(file);
  // A read refused at the chunk's end (or at the file's): the payload is
  // damaged. Other failures are the object's to tell.
  if (status == kQVErrFileRead) return Damaged(path);
  if (status != 0) return status;
  // A payload that only skipped past its chunk.
  return Position(file) > end ? Damaged(path) : 0;
}

int32_t HostDocument::WriteAll(QVFile& file) const {
  long status = 0;
  QVFileChunk head(kSigHead);
  if ((status = QVFileWriteChunkHeader(file, head)) != 0) return static_cast<int32_t>(status);
  status = QVFileWriteSignat32(file, mByteOrder == QVFile::kEndianBig ? kSigBig : kSigLittle);
  if (!status) status = QVFileWriteUInt32(file, kFormatVersion);
  if (!status) status = QVFileWriteChunkComplete(file, head);
  if (!status && !mRecordingPath.empty()) {
    QVFileChunk recording(kSigRecording);
    status = QVFileWriteChunkHeader(file, recording);
    if (!status) status = QVFileWrite(file, mRecordingPath.data(), mRecordingPath.size());
    if (!status) status = QVFileWriteChunkComplete(file, recording);
  }
  for (const HostForeignChunk& foreign : mForeignChunks) {
    if (status) break;
    QVFileChunk chunk(foreign.signature);
    status = QVFileWriteChunkHeader(file, chunk);
    if (!status && !foreign.bytes.empty()) {
      status = QVFileWrite(file, foreign.bytes.data(), foreign.bytes.size());
    }
    if (!status) status = QVFileWriteChunkComplete(file, chunk);
  }

  for (const auto& object : mObjects) {
    if (status) break;
    QVFileChunk chunk(kSigObject);
    status = QVFileWriteChunkHeader(file, chunk);
    if (!status) status = QVFileWrite(file, mPlugin.Hook().classId, 8);
    if (!status) status = QVFileWrite(file, mPlugin.Hook().classId2, 8);
    if (!status) status = QVFileWriteAGRect(file, object->Record().frame);

    QVFileChunk base(kSigBase);
    if (!status) status = QVFileWriteChunkHeader(file, base);
    if (!status) status = object->Record().brush.WriteToFile(file);
    if (!status) status = object->Record().pen.WriteToFile(file);
    if (!status) status = QVFileWriteChunkComplete(file, base);

    QVFileChunk data(kSigData);
    if (!status) status = QVFileWriteChunkHeader(file, data);
    if (!status) status = object->WriteToFile(file);
    if (!status) status = QVFileWriteChunkComplete(file, data);
    if (!status) status = QVFileWriteChunkComplete(file, chunk);
  }
  return static_cast<int32_t>(status);
}

void HostDocument::SetByteOrder(uint32_t order) {
  if (order != mByteOrder) mForeignChunks.clear();
  mByteOrder = order;
}

int32_t HostDocument::Save(const std::string& path, const HostDocumentLock* held) const {
  // Another writer must not replace the document between our reading it
  // and our replacing it; a writer that read it holds the lock already.
  HostDocumentLock own;
  if (!held || !held->IsHeld()) {
    int32_t status = own.AcquireIfExists(path);
    if (status != 0) return status;
  }
  if (!mRecordingPath.empty() && !IsStorableRecording(mRecordingPath)) {
    return static_cast<int32_t>(QVLogStatus<kQVErrBadProperty>("recording path"));
  }
  HostSafeSave save(path);
  int32_t status = save.Begin();
  if (status == 0) {
    save.File().SetEndianness(mByteOrder);
    status = WriteAll(save.File());
  }
  if (status == 0) status = save.Commit();
  return status;
}
