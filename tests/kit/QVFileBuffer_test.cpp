// The write buffer of QVFile: what a sequence of writes, seeks, reads, chunk
// patches and size changes leaves in the file is what the same sequence
// leaves when every byte goes to the system at once; write errors found when
// the buffer is flushed are reported by the call that flushed and by Close.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "kit/QVFile.h"
#include "kit/QVFileMmap.h"
#include "kit/QVFileTestUtil.h"

using qvtest::Bytes;
using qvtest::LogCapture;
using qvtest::ReadBytes;
using qvtest::ScratchDir;

namespace {

constexpr size_t kBuffer = 64 * 1024;  // the write buffer's size

Bytes Pattern(size_t n, uint32_t seed) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<uint8_t>((i * 31 + seed * 7 + i / 253) & 0xFF);
  }
  return bytes;
}

// The file's size on disk, whatever QVFile still holds back.
off_t DiskSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// ---------------------------------------------------------------- against an unbuffered reference

// One step of a sequence. Positions and lengths are bytes; `value` is the
// number written by the number steps.
struct Step {
  enum Kind {
    kWrite,        // n pattern bytes
    kUInt32,       // value, file order
    kUInt16Big,    // value, big-endian whatever the file's order
    kFloat64,      // value as a double, file order
    kSetPos,       // to n
    kSkipBack,     // n
    kFromEnd,      // seek to size - n
    kRead,         // n bytes, compared
    kChunkBegin,   // a chunk header (signature "test")
    kChunkEnd,     // completes the innermost open chunk
    kSetSize,      // n
    kSize,         // GetFileSize, compared
  } kind;
  uint64_t n = 0;
  uint64_t value = 0;
};

// The same steps through plain pwrite / pread, with the chunk arithmetic
// done by hand: what an unbuffered file holds.
class Reference {
 public:
  Reference(const std::string& path, uint32_t order) : mBig(order == QVFile::kEndianBig) {
    mFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  }
  ~Reference() { ::close(mFd); }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  void Put(const Bytes& bytes) {
    ASSERT_EQ(::pwrite(mFd, bytes.data(), bytes.size(), static_cast<off_t>(mPos)),
              static_cast<ssize_t>(bytes.size()));
    mPos += bytes.size();
  }
  Bytes Number(uint64_t value, size_t width, bool big) const {
    Bytes bytes(width);
    for (size_t i = 0; i < width; ++i) {
      size_t shift = 8 * (big ? width - 1 - i : i);
      bytes[i] = static_cast<uint8_t>((value >> shift) & 0xFF);
    }
    return bytes;
  }
  uint64_t Size() const {
    struct stat info {};
    ::fstat(mFd, &info);
    return static_cast<uint64_t>(info.st_size);
  }
  // The bytes a read of n gives, or false at the end of the file.
  bool Read(size_t n, Bytes& out) {
    out.assign(n, 0);
    ssize_t got = ::pread(mFd, out.data(), n, static_cast<off_t>(mPos));
    if (got > 0) mPos += static_cast<uint64_t>(got);
    return got == static_cast<ssize_t>(n);
  }

  int mFd = -1;
  bool mBig;
  uint64_t mPos = 0;
  std::vector<uint64_t> mChunks;
};

// Runs steps through a QVFile in order and through the reference, checking
// every read and size on the way and the whole file at the end.
void RunAgainstReference(const std::vector<Step>& steps, uint32_t order, const ScratchDir& dir) {
  const std::string path = dir.Path("buffered.bin");
  Reference ref(dir.Path("reference.bin"), order);
  QVFile file{QVFilePath(path.c_str())};
  file.SetEndianness(order);
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  std::vector<QVFileChunk> chunks;
  uint32_t seed = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE("step " + std::to_string(i));
    switch (s.kind) {
      case Step::kWrite: {
        Bytes bytes = Pattern(s.n, ++seed);
        ASSERT_EQ(file.Write(bytes.data(), bytes.size()), 0);
        ref.Put(bytes);
        break;
      }
      case Step::kUInt32:
        ASSERT_EQ(QVFileWriteUInt32(file, static_cast<uint32_t>(s.value)), 0);
        ref.Put(ref.Number(s.value, 4, ref.mBig));
        break;
      case Step::kUInt16Big:
        ASSERT_EQ(QVFileWriteUInt16(file, static_cast<uint16_t>(s.value), QVFile::kEndianBig), 0);
        ref.Put(ref.Number(s.value, 2, true));
        break;
      case Step::kFloat64: {
        double d = static_cast<double>(s.value) + 0.25;
        uint64_t raw;
        std::memcpy(&raw, &d, 8);
        ASSERT_EQ(QVFileWriteFloat64(file, d), 0);
        ref.Put(ref.Number(raw, 8, ref.mBig));
        break;
      }
      case Step::kSetPos:
        ASSERT_EQ(file.SetPos(s.n), 0);
        ref.mPos = s.n;
        break;
      case Step::kSkipBack:
        ASSERT_EQ(QVFileSkipBack(file, s.n), 0);
        ref.mPos -= s.n;
        break;
      case Step::kFromEnd:
        ASSERT_EQ(file.Seek(-static_cast<int64_t>(s.n), kQVFileFromEnd), 0);
        ref.mPos = ref.Size() - s.n;
        break;
      case Step::kRead: {
        Bytes want;
        bool whole = ref.Read(s.n, want);
        Bytes got(s.n, 0);
        LogCapture quiet;
        EXPECT_EQ(file.Read(got.data(), got.size()), whole ? 0 : kQVErrFileRead);
        if (whole) {
          EXPECT_EQ(got, want);
        }
        break;
      }
      case Step::kChunkBegin:
        chunks.emplace_back(QVSignat32("test"));
        ASSERT_EQ(QVFileWriteChunkHeader(file, chunks.back()), 0);
        ref.mChunks.push_back(ref.mPos);
        ref.Put(Bytes{'t', 'e', 's', 't', 0, 0, 0, 0});
        break;
      case Step::kChunkEnd: {
        ASSERT_FALSE(chunks.empty());
        ASSERT_EQ(QVFileWriteChunkComplete(file, chunks.back()), 0);
        const uint64_t header = ref.mChunks.back();
        const uint64_t size = ref.mPos > header + 8 ? ref.mPos - header - 8 : 0;
        EXPECT_EQ(chunks.back().Size(), size);
        if (size) {
          Bytes stored = ref.Number(size, 4, ref.mBig);
          ASSERT_EQ(::pwrite(ref.mFd, stored.data(), 4, static_cast<off_t>(header + 4)), 4);
        }
        chunks.pop_back();
        ref.mChunks.pop_back();
        break;
      }
      case Step::kSetSize:
        ASSERT_EQ(file.SetFileSize(s.n), 0);
        ASSERT_EQ(::ftruncate(ref.mFd, static_cast<off_t>(s.n)), 0);
        break;
      case Step::kSize: {
        uint64_t size = 0;
        ASSERT_EQ(file.GetFileSize(size), 0);
        EXPECT_EQ(size, ref.Size());
        break;
      }
    }
    uint64_t pos = 0;
    ASSERT_EQ(file.GetPos(pos), 0);
    ASSERT_EQ(pos, ref.mPos);
  }
  ASSERT_EQ(file.Close(), 0);
  Bytes want(ref.Size());
  ASSERT_EQ(::pread(ref.mFd, want.data(), want.size(), 0), static_cast<ssize_t>(want.size()));
  EXPECT_EQ(ReadBytes(path), want);
}

class BufferedSequenceTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  ScratchDir mDir;
};

TEST_P(BufferedSequenceTest, ScriptedSequencesLeaveTheBytesOfAnUnbufferedFile) {
  using S = Step;
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"numbers and bytes appended across several buffers",
       {{S::kUInt32, 0, 0x01020304}, {S::kWrite, 40000}, {S::kUInt16Big, 0, 0xA1B2},
        {S::kWrite, 40000}, {S::kFloat64, 0, 7}, {S::kWrite, 60000}, {S::kSize}}},
      {"a write as long as the buffer, in the middle of pending bytes",
       {{S::kWrite, 100}, {S::kWrite, kBuffer}, {S::kWrite, 3}, {S::kWrite, kBuffer + 17},
        {S::kUInt32, 0, 9}}},
      {"bytes rewritten inside, around and before the pending ones",
       {{S::kWrite, 50}, {S::kSetPos, 0}, {S::kRead, 10}, {S::kSetPos, 60}, {S::kWrite, 40},
        {S::kSetPos, 70}, {S::kWrite, 5}, {S::kSetPos, 58}, {S::kWrite, 4}, {S::kSetPos, 10},
        {S::kWrite, 8}, {S::kSetPos, 95}, {S::kWrite, 30}, {S::kSetPos, 0}, {S::kRead, 125}}},
      {"writing past the end leaves zeros, also inside pending bytes",
       {{S::kWrite, 10}, {S::kSetPos, 30}, {S::kWrite, 4}, {S::kSetPos, 20}, {S::kRead, 14},
        {S::kSetPos, 200000}, {S::kWrite, 1}, {S::kSize}, {S::kSetPos, 199990}, {S::kRead, 11}}},
      {"a small gap past the pending bytes of a second run",
       {{S::kWrite, 100}, {S::kRead, 1}, {S::kSetPos, 200}, {S::kWrite, 10}, {S::kSetPos, 214},
        {S::kWrite, 4}, {S::kSetPos, 190}, {S::kRead, 28}}},
      {"reads see pending bytes and the end of the file",
       {{S::kWrite, 30}, {S::kSetPos, 5}, {S::kRead, 20}, {S::kWrite, 10}, {S::kSkipBack, 12},
        {S::kRead, 12}, {S::kRead, 1}, {S::kFromEnd, 7}, {S::kRead, 7}, {S::kWrite, 3},
        {S::kFromEnd, 3}, {S::kRead, 3}}},
      {"nested chunks, the outer one's header long gone from the buffer",
       {{S::kChunkBegin}, {S::kUInt32, 0, 1}, {S::kChunkBegin}, {S::kWrite, 70000}, {S::kChunkEnd},
        {S::kChunkBegin}, {S::kWrite, 12}, {S::kChunkEnd}, {S::kChunkBegin}, {S::kChunkEnd},
        {S::kChunkEnd}, {S::kSetPos, 0}, {S::kRead, 16}}},
      {"a chunk header split by a flush",
       {{S::kWrite, kBuffer - 6}, {S::kChunkBegin}, {S::kWrite, 20}, {S::kChunkEnd},
        {S::kWrite, 5}, {S::kSetPos, kBuffer - 6}, {S::kRead, 36}}},
      {"size changes cut and extend pending bytes",
       {{S::kWrite, 100}, {S::kSetSize, 40}, {S::kSize}, {S::kWrite, 10}, {S::kSetSize, 300},
        {S::kWrite, 5}, {S::kSetPos, 0}, {S::kRead, 300}, {S::kSetSize, 0}, {S::kSetPos, 0},
        {S::kWrite, 8}, {S::kSize}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunAgainstReference(c.steps, GetParam(), mDir);
  }
}

TEST_P(BufferedSequenceTest, RandomSequencesLeaveTheBytesOfAnUnbufferedFile) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto pick = [&](uint64_t below) { return static_cast<uint64_t>(random() % below); };
    std::vector<Step> steps;
    uint64_t pos = 0;
    uint64_t size = 0;
    size_t open = 0;
    for (int i = 0; i < 400; ++i) {
      Step s{Step::kWrite};
      switch (pick(12)) {
        case 0: s = {Step::kWrite, pick(10) == 0 ? kBuffer + pick(5000) : 1 + pick(3000)}; break;
        case 1: s = {Step::kUInt32, 0, random()}; break;
        case 2: s = {Step::kUInt16Big, 0, random()}; break;
        case 3: s = {Step::kFloat64, 0, pick(1000)}; break;
        case 4: s = {Step::kSetPos, pick(2) ? pick(size + 100) : pos + 1 + pick(8)}; break;
        case 5: s = {Step::kSkipBack, pick(pos + 1)}; break;
        case 6: s = {Step::kFromEnd, pick(size + 1)}; break;
        case 7: s = {Step::kRead, 1 + pick(200)}; break;
        case 8: s = {Step::kChunkBegin}; break;
        case 9: s = {open ? Step::kChunkEnd : Step::kSize}; break;
        case 10: s = {pick(4) == 0 ? Step::kSetSize : Step::kSize, pick(size + 50)}; break;
        default: s = {Step::kWrite, 1 + pick(40)}; break;
      }
      // Chunks are completed where they can be: a rewind below an open
      // chunk's header would make its size meaningless.
      if ((s.kind == Step::kSetPos || s.kind == Step::kSkipBack || s.kind == Step::kFromEnd ||
           s.kind == Step::kSetSize) && open) {
        s = {Step::kChunkEnd};
      }
      // Where the file stands after the step, so that later steps stay in it.
      uint64_t advance = 0;
      switch (s.kind) {
        case Step::kWrite: advance = s.n; break;
        case Step::kUInt32: advance = 4; break;
        case Step::kUInt16Big: advance = 2; break;
        case Step::kFloat64: advance = 8; break;
        case Step::kChunkBegin: advance = 8; ++open; break;
        case Step::kChunkEnd: --open; break;
        case Step::kSetPos: pos = s.n; break;
        case Step::kSkipBack: pos -= s.n; break;
        case Step::kFromEnd: pos = size - s.n; break;
        // A read stops at the end of the file.
        case Step::kRead: if (pos < size) pos = std::min(pos + s.n, size); break;
        case Step::kSetSize: size = s.n; break;
        case Step::kSize: break;
      }
      pos += advance;
      if (advance) size = std::max(size, pos);
      steps.push_back(s);
    }
    while (open--) steps.push_back({Step::kChunkEnd});
    RunAgainstReference(steps, GetParam(), mDir);
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, BufferedSequenceTest,
                         ::testing::Values(QVFile::kEndianBig, QVFile::kEndianLittle),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                           return info.param == QVFile::kEndianBig ? "Big" : "Little";
                         });

// ---------------------------------------------------------------- what stays pending

class FileBufferTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return mDir.Path(name); }
  ScratchDir mDir;
};

TEST_F(FileBufferTest, SmallChunksStayInTheBufferUntilAFlush) {
  // A hundred chunks, each patched after its payload: nothing reaches the
  // file before the size query, so no chunk flushed the buffer.
  const std::string path = PathOf("chunks.bin");
  QVFile file{QVFilePath(path.c_str())};
  file.SetEndianness(QVFile::kEndianBig);
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  for (uint32_t i = 0; i < 100; ++i) {
    QVFileChunk chunk(QVSignat32("item"));
    ASSERT_EQ(QVFileWriteChunkHeader(file, chunk), 0);
    ASSERT_EQ(QVFileWriteUInt32(file, i), 0);
    ASSERT_EQ(QVFileWriteUInt32(file, i * 2), 0);
    ASSERT_EQ(QVFileWriteChunkComplete(file, chunk), 0);
    EXPECT_EQ(chunk.Size(), 8u);
  }
  EXPECT_EQ(DiskSize(path), 0);
  uint64_t size = 0;
  ASSERT_EQ(file.GetFileSize(size), 0);
  EXPECT_EQ(size, 1600u);
  EXPECT_EQ(DiskSize(path), 1600);
  Bytes bytes = ReadBytes(path);
  EXPECT_EQ(Bytes(bytes.begin() + 16 * 99, bytes.end()),
            (Bytes{'i', 't', 'e', 'm', 0, 0, 0, 8, 0, 0, 0, 99, 0, 0, 0, 198}));
}

TEST_F(FileBufferTest, AppendRoomWritesOnlyWhatIsCommitted) {
  const std::string path = PathOf("room.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  // Nothing pending yet: no room is offered, the first bytes go through
  // Write.
  EXPECT_EQ(file.AppendRoom(4), nullptr);
  ASSERT_EQ(file.Write("ab", 2), 0);
  uint8_t* room = file.AppendRoom(10);
  ASSERT_NE(room, nullptr);
  std::memset(room, 'x', 10);
  file.CommitAppend(3);
  uint64_t pos = 0;
  ASSERT_EQ(file.GetPos(pos), 0);
  EXPECT_EQ(pos, 5u);
  // The seven bytes left uncommitted are overwritten by what follows.
  ASSERT_EQ(file.Write("cd", 2), 0);
  // Away from the end of the pending bytes, and beyond the buffer's room,
  // none is offered.
  ASSERT_EQ(file.SetPos(1), 0);
  EXPECT_EQ(file.AppendRoom(1), nullptr);
  ASSERT_EQ(file.SetPos(7), 0);
  EXPECT_EQ(file.AppendRoom(1 << 20), nullptr);
  ASSERT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadBytes(path), (Bytes{'a', 'b', 'x', 'x', 'x', 'c', 'd'}));
}

TEST_F(FileBufferTest, ChunkSizeReachesTheFileWhenItsHeaderAlreadyLeftTheBuffer) {
  const std::string path = PathOf("long.bin");
  QVFile file{QVFilePath(path.c_str())};
  file.SetEndianness(QVFile::kEndianLittle);
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  QVFileChunk chunk(QVSignat32("long"));
  ASSERT_EQ(QVFileWriteChunkHeader(file, chunk), 0);
  const Bytes payload = Pattern(100000, 5);
  ASSERT_EQ(file.Write(payload.data(), 70000), 0);
  ASSERT_EQ(file.Write(payload.data() + 70000, 30000), 0);
  ASSERT_EQ(QVFileWriteChunkComplete(file, chunk), 0);
  uint64_t pos = 0;
  ASSERT_EQ(file.GetPos(pos), 0);
  EXPECT_EQ(pos, 100008u);
  // The header went straight to the file; the payload's tail is pending.
  Bytes early = ReadBytes(path);
  ASSERT_GE(early.size(), 8u);
  EXPECT_EQ(Bytes(early.begin(), early.begin() + 8), (Bytes{'l', 'o', 'n', 'g', 0xA0, 0x86, 1, 0}));
  EXPECT_LT(early.size(), 100008u);
  ASSERT_EQ(file.Close(), 0);
  Bytes bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 100008u);
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), bytes.begin() + 8));
}

TEST_F(FileBufferTest, SizesCountPendingBytes) {
  const std::string path = PathOf("size.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  ASSERT_EQ(file.Write("0123456789", 10), 0);
  uint64_t size = 0;
  ASSERT_EQ(file.GetFileSize(size), 0);
  EXPECT_EQ(size, 10u);
  // Cut below pending bytes, then extended with them pending again.
  ASSERT_EQ(file.Write("ab", 2), 0);
  ASSERT_EQ(file.SetFileSize(4), 0);
  EXPECT_EQ(ReadBytes(path), (Bytes{'0', '1', '2', '3'}));
  ASSERT_EQ(file.SetPos(6), 0);
  ASSERT_EQ(file.Write("x", 1), 0);
  ASSERT_EQ(file.SetFileSize(9), 0);
  EXPECT_EQ(ReadBytes(path), (Bytes{'0', '1', '2', '3', 0, 0, 'x', 0, 0}));
  ASSERT_EQ(file.Write("y", 1), 0);
  EXPECT_FALSE(file.IsEndOfFile());
  ASSERT_EQ(file.SetPos(8), 0);
  EXPECT_TRUE(file.IsEndOfFile(1));
  ASSERT_EQ(file.Close(), 0);
  // A closed file's size comes from its path.
  ASSERT_EQ(file.GetFileSize(size), 0);
  EXPECT_EQ(size, 9u);
}

TEST_F(FileBufferTest, MemoryWindowShowsBufferedWrites) {
  const std::string path = PathOf("mapped.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  const Bytes bytes = Pattern(5000, 9);
  ASSERT_EQ(file.Write(bytes.data(), bytes.size()), 0);
  const void* window = file.Mem().MapAll();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(file.Mem().WindowLength(0), 5000u);
  EXPECT_EQ(0, std::memcmp(window, bytes.data(), bytes.size()));
  // Rewritten bytes show in a window mapped afterwards.
  ASSERT_EQ(file.SetPos(0), 0);
  ASSERT_EQ(file.Write("ZZ", 2), 0);
  const uint8_t* again = static_cast<const uint8_t*>(file.Mem().Map(0, 4));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again[0], 'Z');
  EXPECT_EQ(again[2], bytes[2]);
}

TEST_F(FileBufferTest, RemovingDropsPendingBytesAndTheFile) {
  const std::string path = PathOf("gone.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  ASSERT_EQ(file.Write("pending", 7), 0);
  EXPECT_TRUE(file.Remove());
  EXPECT_FALSE(file.IsOpened());
  EXPECT_EQ(DiskSize(path), -1);
  EXPECT_EQ(file.Close(), 0);
}

// ---------------------------------------------------------------- write errors

// A file on a device that is always full: every write the system is asked
// for fails, reads give zeros.
class FullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int fd = ::open("/dev/full", O_RDWR | O_CLOEXEC);
    if (fd < 0) GTEST_SKIP() << "no /dev/full";
    ASSERT_EQ(mFile.AdoptDescriptor(fd, true), 0);
  }
  QVFile mFile{QVFilePath("full")};
};

TEST_F(FullDeviceTest, WriteErrorIsReturnedByTheCallThatFlushesAndAgainByClose) {
  struct Case {
    const char* name;
    std::function<long(QVFile&)> call;
    long expected;
  };
  uint8_t byte = 0;
  uint64_t size = 0;
  const Case cases[] = {
      {"Flush", [](QVFile& f) { return f.Flush(); }, kQVErrFileWrite},
      {"Read", [&](QVFile& f) { return f.Read(&byte, 1); }, kQVErrFileWrite},
      {"GetFileSize", [&](QVFile& f) { return f.GetFileSize(size); }, kQVErrFileWrite},
      {"SetFileSize", [](QVFile& f) { return f.SetFileSize(0); }, kQVErrFileWrite},
      {"Seek from the end", [](QVFile& f) { return f.Seek(0, kQVFileFromEnd); }, kQVErrFileWrite},
      {"QVFileCheckReadable", [](QVFile& f) { return QVFileCheckReadable(f, 0); }, kQVErrFileWrite},
      {"IsEndOfFile", [](QVFile& f) -> long { return f.IsEndOfFile(); }, 1},
      {"Mem().Map",
       [](QVFile& f) {
         f.Mem().Map(0, 1);
         return f.Mem().LastError();
       },
       kQVErrFileWrite},
      {"a write past the buffer",
       [](QVFile& f) {
         std::vector<uint8_t> big(kBuffer);
         return f.Write(big.data(), big.size());
       },
       kQVErrFileWrite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!mFile.IsOpened()) {
      ASSERT_EQ(mFile.AdoptDescriptor(::open("/dev/full", O_RDWR | O_CLOEXEC), true), 0);
    }
    LogCapture log;
    // Held back: nothing has failed yet.
    ASSERT_EQ(mFile.Write("abc", 3), 0);
    EXPECT_TRUE(log.Get().empty());
    EXPECT_EQ(c.call(mFile), c.expected);
    ASSERT_EQ(log.Get().size(), 1u);
    EXPECT_EQ(log.Get()[0], "### QVLib Error -976: Can't write to file \"full\".\n");
    // The lost bytes are not forgotten by the file's end, nor logged twice.
    EXPECT_EQ(mFile.Flush(), kQVErrFileWrite);
    EXPECT_EQ(mFile.Close(), kQVErrFileWrite);
    EXPECT_EQ(log.Get().size(), 1u);
    EXPECT_FALSE(mFile.IsOpened());
    EXPECT_EQ(mFile.Close(), 0);
  }
}

TEST_F(FullDeviceTest, CloseAloneReportsTheFailedFlush) {
  ASSERT_EQ(QVFileWriteUInt32(mFile, 7), 0);
  LogCapture log;
  EXPECT_EQ(mFile.Close(), kQVErrFileWrite);
  EXPECT_EQ(log.All(), "### QVLib Error -976: Can't write to file \"full\".\n");
}

TEST_F(FullDeviceTest, ReleasedDescriptorComesBackWithTheWriteError) {
  ASSERT_EQ(mFile.Write("abc", 3), 0);
  LogCapture log;
  int fd = -1;
  EXPECT_EQ(mFile.ReleaseDescriptor(fd), kQVErrFileWrite);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(mFile.IsOpened());
  EXPECT_EQ(::close(fd), 0);
}

TEST_F(FullDeviceTest, NothingWrittenNothingReported) {
  uint8_t bytes[4] = {1, 1, 1, 1};
  EXPECT_EQ(mFile.Read(bytes, 4), 0);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(mFile.Flush(), 0);
  EXPECT_EQ(mFile.Close(), 0);
}

TEST_F(FullDeviceTest, DestructorClosesAFileWithLostBytesQuietlyButLogged) {
  LogCapture log;
  {
    QVFile file{QVFilePath("full")};
    ASSERT_EQ(file.AdoptDescriptor(::open("/dev/full", O_RDWR | O_CLOEXEC), true), 0);
    ASSERT_EQ(file.Write("abc", 3), 0);
  }
  EXPECT_EQ(log.All(), "### QVLib Error -976: Can't write to file \"full\".\n");
}

TEST(FileSaveContent, SavingToAFullDeviceReportsTheLostBytes) {
  // The bytes wait in the buffer until the file closes: the close's
  // failure is the save's.
  LogCapture log;
  EXPECT_EQ(QVFileSaveContentOfString(QVFilePath("/dev/full"), QVString("content")),
            kQVErrFileWrite);
}

}  // namespace
