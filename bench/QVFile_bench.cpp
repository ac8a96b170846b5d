// Writing then reading back 100,000 mixed records through QVFile, beside the
// same bytes moved with one write() and one read() call: the limit of the
// disk path. BM_QVFileAgainstRaw runs both in interleaved rounds and prints
// the ratio (no fsync in either).
//
// A record is a "recd" chunk (its size patched when complete) holding a
// 32-bit number in the file's order, a 16-bit number big-endian, a 64-bit
// number little-endian, a double in the file's order and a kit string. The
// file is big-endian, so on this little-endian machine most numbers are
// byte-swapped.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchRounds.h"
#include "kit/QVFile.h"
#include "kit/QVFileUtils.h"

namespace {

constexpr int kRecords = 100000;
constexpr uint32_t kRecordSignature = QVSignat32("recd");

const std::vector<QVString>& Names() {
  static const std::vector<QVString> sNames = [] {
    std::vector<QVString> names;
    names.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      QVString name;
      name.Assignf("layer %d \x8E", i);  // with one Mac OS Roman letter
      names.push_back(name);
    }
    return names;
  }();
  return sNames;
}

long WriteRecords(QVFile& file) {
  const std::vector<QVString>& names = Names();
  for (int i = 0; i < kRecords; ++i) {
    QVFileChunk chunk(kRecordSignature);
    long err = QVFileWriteChunkHeader(file, chunk);
    if (!err) err = QVFileWriteUInt32(file, static_cast<uint32_t>(i));
    if (!err) err = QVFileWriteUInt16(file, static_cast<uint16_t>(i), QVFile::kEndianBig);
    if (!err) err = QVFileWriteSInt64(file, -i, QVFile::kEndianLittle);
    if (!err) err = QVFileWriteFloat64(file, i * 0.5);
    if (!err) err = QVFileWriteQVString(file, names[static_cast<size_t>(i)]);
    if (!err) err = QVFileWriteChunkComplete(file, chunk);
    if (err) return err;
  }
  return 0;
}

// Reads the records back; sum receives a checksum of what was read.
long ReadRecords(const QVFile& file, uint64_t& sum) {
  QVString name;
  for (int i = 0; i < kRecords; ++i) {
    QVFileChunk chunk(kRecordSignature);
    uint32_t u32 = 0;
    uint16_t u16 = 0;
    int64_t s64 = 0;
    double f64 = 0;
    long err = QVFileCheckChunkHeader(file, chunk);
    if (!err) err = QVFileReadUInt32(file, u32);
    if (!err) err = QVFileReadUInt16(file, u16, QVFile::kEndianBig);
    if (!err) err = QVFileReadSInt64(file, s64, QVFile::kEndianLittle);
    if (!err) err = QVFileReadFloat64(file, f64);
    if (!err) err = QVFileReadQVString(file, name);
    if (!err) err = QVFileGotoChunkEnd(file, chunk);
    if (err) return err;
    sum += u32 + u16 + static_cast<uint64_t>(-s64) + static_cast<uint64_t>(f64) + name.Length();
  }
  return 0;
}

// One write and read back through file, emptied first; size receives the
// file's size.
bool WriteAndReadRecords(QVFile& file, uint64_t& size) {
  uint64_t sum = 0;
  if (file.SetFileSize(0) || file.SetPos(0) || WriteRecords(file) || file.SetPos(0) ||
      ReadRecords(file, sum) || file.GetFileSize(size)) {
    return false;
  }
  benchmark::DoNotOptimize(sum);
  return true;
}

void BM_QVFileRecords(benchmark::State& state) {
  QVFile file(QVFile::kTemporary);
  file.SetEndianness(QVFile::kEndianBig);
  if (file.CreateForReadWrite() != 0) {
    state.SkipWithError("cannot create a temporary file");
    return;
  }
  uint64_t size = 0;
  for (auto _ : state) {
    if (!WriteAndReadRecords(file, size)) {
      state.SkipWithError("file error");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(size) * 2);
  state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_QVFileRecords)->Unit(benchmark::kMillisecond);

// The bytes the records make, built once through QVFile.
const std::string& RecordBytes() {
  static const std::string sBytes = [] {
    QVFile file(QVFile::kTemporary);
    file.SetEndianness(QVFile::kEndianBig);
    QVString content;
    if (file.CreateForReadWrite() == 0 && WriteRecords(file) == 0)
      QVFileLoadContentToString(file, content);
    return content.Std();
  }();
  return sBytes;
}

// The anchor: the same bytes written with one write() and read back with
// one read() through a plain descriptor, emptied first.
bool RawWriteRead(int fd, const std::string& bytes, std::string& back) {
  bool ok = ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 &&
            ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
            ::lseek(fd, 0, SEEK_SET) == 0 &&
            ::read(fd, &back[0], back.size()) == static_cast<ssize_t>(back.size());
  benchmark::DoNotOptimize(back.data());
  return ok;
}

// A private file for the anchor, removed when it goes.
class RawFile {
 public:
  RawFile() : mPath(QVFileUtils::GetTemporaryFilePath().c_str()) {
    mFd = ::open(mPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  }
  ~RawFile() {
    if (mFd >= 0) ::close(mFd);
    ::unlink(mPath.c_str());
  }
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;
  int Fd() const { return mFd; }

 private:
  std::string mPath;
  int mFd = -1;
};

void BM_RawWriteRead(benchmark::State& state) {
  const std::string& bytes = RecordBytes();
  RawFile raw;
  if (bytes.empty() || raw.Fd() < 0) {
    state.SkipWithError("cannot prepare the raw file");
    return;
  }
  std::string back(bytes.size(), '\0');
  for (auto _ : state) {
    if (!RawWriteRead(raw.Fd(), bytes, back)) {
      state.SkipWithError("raw transfer failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()) * 2);
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_RawWriteRead)->Unit(benchmark::kMillisecond);

void BM_QVFileAgainstRaw(benchmark::State& state) {
  const std::string& bytes = RecordBytes();
  QVFile file(QVFile::kTemporary);
  file.SetEndianness(QVFile::kEndianBig);
  RawFile raw;
  if (bytes.empty() || raw.Fd() < 0 || file.CreateForReadWrite() != 0) {
    state.SkipWithError("cannot prepare the files");
    return;
  }
  std::string back(bytes.size(), '\0');
  uint64_t size = 0;
  BenchRunRounds(state, "100,000 records written and read back (no fsync)",
                 {{"QVFile records", [&] { return WriteAndReadRecords(file, size); }},
                  {"anchor: one write() + one read()",
                   [&] { return RawWriteRead(raw.Fd(), bytes, back); }}},
                 {{0, 1}});
  state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_QVFileAgainstRaw)->Iterations(31)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
