#include "HostDocument.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "HostPlugin.h"
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
constexpr uint32_t kSigBig = QVSignat32("BIGE");
constexpr uint32_t kSigLittle = QVSignat32("LITE");

// Width of a new object's frame in the score, and the gap between frames.
constexpr double kDefaultFrameWidth = 640.0;
constexpr double kDefaultFrameGap = 20.0;
constexpr double kDefaultFrameHeight = 64.0;

int32_t Damaged(const std::string& path) {
  return static_cast<int32_t>(QVLogStatus(kQVErrBadDocument, path.c_str()));
}

uint64_t Position(const QVFile& file) {
  uint64_t pos = 0;
  file.GetPos(pos);
  return pos;
}

// The end of a chunk whose header was just read, or 0 when its size runs
// beyond the enclosing end.
uint64_t ChunkEnd(const QVFileChunk& chunk, uint64_t enclosingEnd) {
  uint64_t end = chunk.EndPosition();
  return end <= enclosingEnd ? end : 0;
}

}  // namespace

bool HostNativePath(const std::string& utf8, std::string& native) {
  QVString text(utf8);
  QVString converted = text.ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  QVString back = converted.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
  if (back.Std() != utf8) return false;
  native = converted.Std();
  return true;
}

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
  std::string native;
  if (!HostNativePath(path, native)) return Damaged(path);
  QVFile file{QVFilePath(native.c_str())};
  long status = file.OpenForRead();
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
  int32_t result = ReadObjects(file, objects, path);
  if (result != 0) return result;
  mByteOrder = file.Endianness();
  mObjects.swap(objects);
  return 0;
}

int32_t HostDocument::ReadObjects(const QVFile& file,
                                  std::vector<std::unique_ptr<HostObject>>& objects,
                                  const std::string& path) {
  uint64_t size = 0;
  file.GetFileSize(size);
  while (Position(file) < size) {
    QVFileChunk chunk;
    if (size - Position(file) < 8 || QVFileReadChunkHeader(file, chunk) != 0) return Damaged(path);
    uint64_t end = ChunkEnd(chunk, size);
    if (!end) return Damaged(path);
    if (chunk.Signature() == kSigObject) {
      int32_t status = ReadOneObject(file, end, objects, path);
      if (status != 0) return status;
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
    return static_cast<int32_t>(QVLogStatus(kQVErrUnknownClass, shown.c_str()));
  }

  auto object = std::make_unique<HostObject>(mPlugin);
  HostObjectRecord& record = object->Record();
  record.frame = frame;

  QVFileChunk base(kSigBase);
  if (QVFileCheckChunkHeader(file, base) != 0) return Damaged(path);
  uint64_t baseEnd = ChunkEnd(base, end);
  if (!baseEnd || record.brush.ReadFromFile(file) != 0 || record.pen.ReadFromFile(file) != 0 ||
      Position(file) > baseEnd || QVFileGotoChunkEnd(file, base) != 0) {
    return Damaged(path);
  }

  QVFileChunk data(kSigData);
  if (QVFileCheckChunkHeader(file, data) != 0) return Damaged(path);
  uint64_t dataEnd = ChunkEnd(data, end);
  if (!dataEnd) return Damaged(path);
  int32_t status = object->InitFromFile(file);
  if (status != 0) return status;
  // A payload that ran past its chunk read the next object's bytes.
  if (Position(file) > dataEnd || QVFileGotoChunkEnd(file, data) != 0) return Damaged(path);
  objects.push_back(std::move(object));
  return 0;
}

int32_t HostDocument::WriteAll(QVFile& file) const {
  long status = 0;
  QVFileChunk head(kSigHead);
  if ((status = QVFileWriteChunkHeader(file, head)) != 0) return static_cast<int32_t>(status);
  status = QVFileWriteSignat32(file, mByteOrder == QVFile::kEndianBig ? kSigBig : kSigLittle);
  if (!status) status = QVFileWriteUInt32(file, kFormatVersion);
  if (!status) status = QVFileWriteChunkComplete(file, head);

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

int32_t HostDocument::Save(const std::string& path) const {
  std::string native;
  if (!HostNativePath(path, native)) {
    return static_cast<int32_t>(QVLogError(kQVErrFileOpen, "Can't name the file \"%s\"", path.c_str()));
  }
  // Written beside the target, then renamed over it: a failure never leaves
  // a half-written document in place of a good one.
  std::string saving = native + ".saving";
  int32_t status = 0;
  {
    QVFile file{QVFilePath(saving.c_str())};
    file.SetEndianness(mByteOrder);
    status = static_cast<int32_t>(file.CreateForReadWrite());
    if (!status) status = WriteAll(file);
    if (status) {
      file.Remove();
      return status;
    }
  }
  std::string savingUtf8 =
      QVString(saving).ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
  if (std::rename(savingUtf8.c_str(), path.c_str()) != 0) {
    std::remove(savingUtf8.c_str());
    return static_cast<int32_t>(QVLogStatus(kQVErrFileWrite, path.c_str()));
  }
  return 0;
}
