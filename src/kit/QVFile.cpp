#include "kit/QVFile.h"

#include <climits>
#include <cstring>
#include <limits>

#include "kit/QVFileMmap.h"
#include "kit/QVFileUtils.h"
#include "kit/QVLog.h"
#include "kit/platform/QVSystem_p.h"

namespace {

// A temporary name is proposed, not reserved: another process may take it
// between the proposal and our exclusive create. Retry a bounded number of
// times with fresh names.
constexpr int kTemporaryCreateAttempts = 64;

constexpr uint64_t kMaxSeek = QVFile::kMaxOffset;

// Reads shorter than this are served from a read-ahead block of this size.
constexpr size_t kReadAheadBytes = 16 * 1024;

// Writes gather in a buffer of this size; a write at least this long goes
// straight to the file.
constexpr size_t kWriteBufferBytes = 64 * 1024;

// Numbers that cannot be swapped straight into the write buffer are swapped
// through a copy of this size on the stack.
constexpr size_t kSwapBytes = 4096;

// The path as the operating system expects it, or false.
bool SystemPath(const QVFilePath& path, char (&buffer)[kQVSystemPathMax]) {
  return QVFileUtils::GetAsSystemPath(buffer, path, false);
}

// OpenWith's first argument: a system open mode.
int OpenModeArg(QVSystem::OpenMode mode) { return static_cast<int>(mode); }

inline uint16_t ByteSwap(uint16_t v) { return __builtin_bswap16(v); }
inline uint32_t ByteSwap(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t ByteSwap(uint64_t v) { return __builtin_bswap64(v); }

template <class U>
void SwapWord(void* p) {
  U v;
  std::memcpy(&v, p, sizeof v);
  v = ByteSwap(v);
  std::memcpy(p, &v, sizeof v);
}

// Reverses the bytes of one number of 2, 4 or 8 bytes; other widths stay.
void SwapInPlace(void* p, size_t width) {
  if (width == 2) SwapWord<uint16_t>(p);
  if (width == 4) SwapWord<uint32_t>(p);
  if (width == 8) SwapWord<uint64_t>(p);
}

// Width of each number when numbers of it are swapped, else 0.
size_t SwapWidth(const QVFile& file, uint32_t recordSize, uint32_t numbersPerRecord,
                 uint32_t endianness) {
  if (numbersPerRecord == 0 || !QVFileNeedsSwap(file, endianness)) return 0;
  // One number per record (the usual) needs no division.
  size_t width = numbersPerRecord == 1 ? recordSize : recordSize / numbersPerRecord;
  return (width == 2 || width == 4 || width == 8) ? width : 0;
}

// The numbers of a few records (up to this many bytes, the usual) are
// swapped one at a time: the vectorised loop's set-up costs more than it
// saves on them.
constexpr size_t kShortRun = 32;

template <class U>
void CopySwappedWords(uint8_t* dst, const uint8_t* src, size_t n) {
  if (n <= kShortRun) {
    for (size_t i = 0; i < kShortRun; i += sizeof(U)) {
      if (i == n) return;
      U v;
      std::memcpy(&v, src + i, sizeof v);
      v = ByteSwap(v);
      std::memcpy(dst + i, &v, sizeof v);
    }
    return;
  }
  for (size_t i = 0; i < n; i += sizeof(U)) {
    U v;
    std::memcpy(&v, src + i, sizeof v);
    v = ByteSwap(v);
    std::memcpy(dst + i, &v, sizeof v);
  }
}

// Copies n bytes of numbers of width 2, 4 or 8 from src to dst (which may
// be src) with each number's bytes reversed; n is a multiple of width.
void CopySwapped(uint8_t* dst, const uint8_t* src, size_t n, size_t width) {
  if (width == 2) {
    CopySwappedWords<uint16_t>(dst, src, n);
  } else if (width == 4) {
    CopySwappedWords<uint32_t>(dst, src, n);
  } else if (width == 8) {
    CopySwappedWords<uint64_t>(dst, src, n);
  }
}

// Swaps every number of count records in place. Bytes after the numbers of a
// record (when recordSize is not a multiple of the width) stay as they are.
void SwapRecords(uint8_t* bytes, size_t count, uint32_t recordSize, uint32_t numbersPerRecord,
                 size_t width) {
  const size_t numberBytes = width * numbersPerRecord;
  if (recordSize == numberBytes) {
    CopySwapped(bytes, bytes, count * recordSize, width);
    return;
  }
  for (size_t r = 0; r < count; ++r) {
    uint8_t* record = bytes + r * recordSize;
    CopySwapped(record, record, numberBytes, width);
  }
}

void PutUInt32(uint8_t* p, uint32_t v, bool bigEndian) {
  if (bigEndian != (QVFile::kEndianHost == QVFile::kEndianBig)) v = __builtin_bswap32(v);
  std::memcpy(p, &v, 4);
}

uint32_t GetUInt32(const uint8_t* p, bool bigEndian) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  if (bigEndian != (QVFile::kEndianHost == QVFile::kEndianBig)) v = __builtin_bswap32(v);
  return v;
}

// The four characters of a signature in reading order, for "%.4s".
struct SignatText {
  char text[5];
  explicit SignatText(uint32_t signature) {
    PutUInt32(reinterpret_cast<uint8_t*>(text), signature, true);
    text[4] = 0;
  }
};

long LogBadSignature(const QVFile& file, uint64_t pos, uint32_t expected, uint32_t found) {
  SignatText want(expected);
  SignatText has(found);
  return QVLogStatus<kQVErrBadChunk>(file.LogPath(), static_cast<unsigned long long>(pos),
                     want.text, has.text);
}

// Reads from pos into buffer until at least need bytes arrived (asking for
// up to capacity), the file ends or the system fails; got receives the count.
void ReadAtLeast(int fd, uint8_t* buffer, size_t capacity, size_t need, uint64_t pos,
                 size_t& got) {
  got = 0;
  while (got < need) {
    long done = QVSystem::ReadAt(fd, buffer + got, capacity - got, pos + got);
    // 0 is the end of the file.
    if (done <= 0) return;
    got += static_cast<size_t>(done);
  }
}

// Size without logging, for IsEndOfFile and friends.
bool RawSize(int fd, uint64_t& size) { return QVSystem::GetDescriptorSize(fd, size); }

}  // namespace

// ---------------------------------------------------------------- QVFile

QVFile::QVFile(const QVFilePath& path, uint32_t options) : QVFile(options) {
  if (!IsTemporary()) {
    mPath = path;
    mFileName = mPath.FileName();
  }
}

QVFile::QVFile(uint32_t options) : mFlags(kEndianHost | (options & kTemporary)) {}

QVFile::~QVFile() { Close(); }

const char* QVFile::LogPath() const { return mPath.c_str(); }

long QVFile::OpenWith(int openFlags, uint32_t stateFlag) {
  if (IsOpened()) return QVLogStatus<kQVErrFileAlreadyOpened>(LogPath());
  char sys[kQVSystemPathMax];
  if (!SystemPath(mPath, sys)) return QVLogStatus<kQVErrFileOpen>(LogPath());
  int fd = QVSystem::Open(sys, static_cast<QVSystem::OpenMode>(openFlags), nullptr);
  if (fd < 0) return QVLogStatus<kQVErrFileOpen>(LogPath());
  Adopt(fd, stateFlag);
  return 0;
}

void QVFile::Adopt(int fd, uint32_t stateFlag) {
  mFD = fd;
  mFlags |= stateFlag;
  mPos = 0;
  mKnownSize = 0;
  mReadLimit = kNoReadLimit;
  ForgetReadAhead();
  ForgetPending();
  mWriteError = 0;
}

long QVFile::AdoptDescriptor(int fd, bool forWriting) {
  if (IsOpened()) return QVLogStatus<kQVErrFileAlreadyOpened>(LogPath());
  if (fd < 0) return QVLogStatus<kQVErrFileOpen>(LogPath());
  Adopt(fd, forWriting ? kOpenedForReadWrite : kOpenedForRead);
  return 0;
}

long QVFile::ReleaseDescriptor(int& fd) {
  fd = -1;
  if (!IsOpened()) return QVLogStatus<kQVErrFileNotOpened>(LogPath());
  FlushPending();
  long err = mWriteError;
  fd = mFD;
  ForgetDescriptor();
  return err;
}

void QVFile::ForgetDescriptor() {
  mMmap.reset();
  mFD = -1;
  mFlags &= ~(kOpenedForRead | kOpenedForReadWrite);
  mReadLimit = kNoReadLimit;
  mReadAhead.reset();
  ForgetReadAhead();
  mWriteBuffer.reset();
  ForgetPending();
  mWriteError = 0;
}

bool QVFile::CloseDescriptor() {
  // The map goes before the descriptor it was made from.
  mMmap.reset();
  // EINTR says nothing about the data: QVSystem::Close counts it as closed.
  bool closed = QVSystem::Close(mFD);
  ForgetDescriptor();
  return closed;
}

long QVFile::OpenForRead() {
  return OpenWith(OpenModeArg(QVSystem::OpenMode::kRead), kOpenedForRead);
}

long QVFile::OpenForReadWrite() {
  return OpenWith(OpenModeArg(QVSystem::OpenMode::kReadWrite), kOpenedForReadWrite);
}

long QVFile::CreateForReadWrite() {
  if (IsOpened()) return QVLogStatus<kQVErrFileAlreadyOpened>(LogPath());
  if (IsTemporary()) return CreateTemporary();
  return OpenWith(OpenModeArg(QVSystem::OpenMode::kCreateTruncate), kOpenedForReadWrite);
}

long QVFile::CreateTemporary() {
  // Exclusive creation without following links: a name planted in the shared
  // temporary directory (a file or a symbolic link) is never opened, and the
  // new file is readable by its owner only.
  for (int attempt = 0; attempt < kTemporaryCreateAttempts; ++attempt) {
    mPath = QVFileUtils::GetTemporaryFilePath();
    mFileName = mPath.FileName();
    char sys[kQVSystemPathMax];
    if (!SystemPath(mPath, sys)) break;
    int error = 0;
    int fd = QVSystem::Open(sys, QVSystem::OpenMode::kCreateExclusive, &error);
    if (fd >= 0) {
      Adopt(fd, kOpenedForReadWrite);
      return 0;
    }
    if (!QVSystem::IsAlreadyExists(error)) break;
  }
  long err = QVLogStatus<kQVErrFileOpen>(LogPath());
  ForgetTemporaryPath();
  return err;
}

void QVFile::ForgetTemporaryPath() {
  mPath.Clear();
  mFileName.Clear();
}

long QVFile::Flush() {
  if (!IsOpened()) return 0;
  FlushPending();
  return mWriteError;
}

long QVFile::Close() {
  if (!IsOpened()) return 0;
  FlushPending();
  long err = mWriteError;
  const bool writable = CanWrite();
  // Some file systems report write errors only when the file is closed.
  if (!CloseDescriptor() && writable && err == 0) err = QVLogStatus<kQVErrFileWrite>(LogPath());
  if (IsTemporary()) {
    char sys[kQVSystemPathMax];
    if (SystemPath(mPath, sys)) QVSystem::RemoveFile(sys);
    ForgetTemporaryPath();
  }
  return err;
}

bool QVFile::Remove() {
  // The file goes: its pending bytes are dropped unwritten.
  ForgetPending();
  if (IsOpened()) CloseDescriptor();
  char sys[kQVSystemPathMax];
  bool removed = SystemPath(mPath, sys) && QVSystem::RemoveFile(sys);
  if (IsTemporary()) ForgetTemporaryPath();
  return removed;
}

void QVFile::SetEndianness(uint32_t order) {
  if (order == kEndianBig || order == kEndianLittle) mFlags = (mFlags & ~kEndianMask) | order;
}

long QVFile::GetFileSize(uint64_t& size) const {
  if (IsOpened()) {
    long err = FlushPending();
    if (err) return err;
    if (!RawSize(mFD, size)) return QVLogStatus<kQVErrFileGetSize>(LogPath());
    mKnownSize = size;
    return 0;
  }
  char sys[kQVSystemPathMax];
  if (!SystemPath(mPath, sys) || !QVSystem::GetPathSize(sys, size))
    return QVLogStatus<kQVErrFileGetSize>(LogPath());
  return 0;
}

long QVFile::SetFileSize(uint64_t size) {
  if (!IsOpened()) return QVLogStatus<kQVErrFileNotOpened>(LogPath());
  if (size > kMaxSeek) return QVLogStatus<kQVErrFileSetSize>(LogPath());
  // Pending bytes are cut off by a smaller size just as if they had been
  // written at once.
  long err = FlushPending();
  if (err) return err;
  // Bytes read ahead may be cut off or, past a shorter size, become zeros.
  ForgetReadAhead();
  if (!QVSystem::SetDescriptorSize(mFD, size)) return QVLogStatus<kQVErrFileSetSize>(LogPath());
  mKnownSize = size;
  return 0;
}

long QVFile::NotOpened() const { return QVLogStatus<kQVErrFileNotOpened>(LogPath()); }

long QVFile::GetPos(uint32_t& pos) const {
  uint64_t p = 0;
  long err = GetPos(p);
  if (err) return err;
  if (p > std::numeric_limits<uint32_t>::max()) return QVLogStatus<kQVErrFileGetPos>(LogPath());
  pos = static_cast<uint32_t>(p);
  return 0;
}

long QVFile::Seek(int64_t offset, QVFileWhence whence) const {
  if (!IsOpened()) return QVLogStatus<kQVErrFileNotOpened>(LogPath());
  int64_t origin = 0;
  if (whence == kQVFileFromCurrent) origin = static_cast<int64_t>(mPos);
  if (whence == kQVFileFromEnd) {
    long err = FlushPending();
    if (err) return err;
    uint64_t size = 0;
    if (!RawSize(mFD, size)) return QVLogStatus<kQVErrFileSetPos>(LogPath());
    origin = static_cast<int64_t>(size);
  }
  // What the system would refuse: before the start, or beyond the largest
  // offset.
  int64_t target = 0;
  if (__builtin_add_overflow(origin, offset, &target) || target < 0)
    return QVLogStatus<kQVErrFileSetPos>(LogPath());
  mPos = static_cast<uint64_t>(target);
  return 0;
}

long QVFile::SkipSlowly(uint64_t n) const {
  if (IsOpened() && n > kMaxSeek) return QVLogStatus<kQVErrFileSetPos>(LogPath());
  return Seek(static_cast<int64_t>(n), kQVFileFromCurrent);
}

long QVFile::SkipBack(uint64_t n) const {
  if (IsOpened() && n > kMaxSeek) return QVLogStatus<kQVErrFileSetPos>(LogPath());
  return Seek(-static_cast<int64_t>(n), kQVFileFromCurrent);
}

long QVFile::WriteSlowly(const void* bytes, size_t n) {
  if (n == 0) return 0;
  if (!CanWrite()) {
    // The descriptor would refuse it; a buffered write would only fail later.
    return IsOpened() ? QVLogStatus<kQVErrFileWrite>(LogPath())
                      : QVLogStatus<kQVErrFileNotOpened>(LogPath());
  }
  // Beyond the largest file offset the system refuses to write.
  if (n > kMaxSeek - mPos) return QVLogStatus<kQVErrFileWrite>(LogPath());
  ForgetReadAhead();
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  // Into the buffer: appended to the pending bytes or over some of them, or
  // as the first of a new run.
  const uint64_t offset = mPos - mWriteStart;
  const bool joins =
      mWriteLength > 0
          ? mPos >= mWriteStart && offset <= mWriteLength && n <= mWriteCapacity - offset
          : n < kWriteBufferBytes;
  if (!joins) return WriteOutsideBuffer(p, n);
  if (mWriteLength == 0) {
    if (!mWriteBuffer) mWriteBuffer.reset(new uint8_t[kWriteBufferBytes]);
    mWriteStart = mPos;
    // The run may not reach past the largest offset (n fits, checked above).
    mWriteCapacity = kMaxSeek - mPos < kWriteBufferBytes ? static_cast<size_t>(kMaxSeek - mPos)
                                                         : kWriteBufferBytes;
  }
  const size_t at = static_cast<size_t>(mPos - mWriteStart);
  std::memcpy(mWriteBuffer.get() + at, p, n);
  if (at + n > mWriteLength) mWriteLength = at + n;
  mPos += n;
  return 0;
}

long QVFile::WriteOutsideBuffer(const uint8_t* p, size_t n) {
  size_t written = 0;
  if (mWriteLength > 0 && mPos + n <= mWriteStart) {
    // Bytes that already left the buffer, such as the size in the header of
    // a chunk begun long ago: the pending bytes do not overlap them and stay.
    long err = WriteAt(p, n, mPos, written);
    mPos += written;
    return err;
  }
  if (mWriteLength > 0 && mPos == mWriteStart + mWriteLength) {
    // Appending: the buffer is filled up first, so that the file receives
    // whole buffers.
    const size_t room = mWriteCapacity - mWriteLength;
    std::memcpy(mWriteBuffer.get() + mWriteLength, p, room);
    mWriteLength += room;
    mPos += room;
    p += room;
    n -= room;
  }
  long err = FlushPending();
  if (err) return err;
  if (n < kWriteBufferBytes) return WriteSlowly(p, n);
  err = WriteAt(p, n, mPos, written);
  // Bytes written before a failure count, as with a plain write.
  mPos += written;
  return err;
}

long QVFile::WriteAt(const uint8_t* p, size_t n, uint64_t at, size_t& written) const {
  written = 0;
  while (written < n) {
    long done = QVSystem::WriteAt(mFD, p + written, n - written, at + written);
    if (done <= 0) break;
    written += static_cast<size_t>(done);
  }
  if (written > 0 && at + written > mKnownSize) mKnownSize = at + written;
  if (written < n) return KeepWriteError(QVLogStatus<kQVErrFileWrite>(LogPath()));
  return 0;
}

long QVFile::FlushPendingBytes() const {
  // Emptied first: bytes that fail to be written are dropped, not retried
  // by every later call.
  const size_t n = mWriteLength;
  ForgetPending();
  size_t written = 0;
  return WriteAt(mWriteBuffer.get(), n, mWriteStart, written);
}

long QVFile::ReadSlowly(void* bytes, size_t n) const {
  if (n == 0) return 0;
  if (!IsOpened()) return QVLogStatus<kQVErrFileNotOpened>(LogPath());
  long err = FlushPending();
  if (err) return err;
  if (!WithinReadLimit(mPos, n)) return QVLogStatus<kQVErrFileRead>(LogPath());
  uint8_t* out = static_cast<uint8_t*>(bytes);
  if (mReadAheadLength > 0 && mPos >= mReadAheadStart) {
    uint64_t offset = mPos - mReadAheadStart;
    if (offset <= mReadAheadLength && mReadAheadLength - offset >= n) {
      std::memcpy(out, mReadAhead.get() + offset, n);
      mPos += n;
      return 0;
    }
  }
  size_t got = 0;
  if (n < kReadAheadBytes) {
    if (!mReadAhead) mReadAhead.reset(new uint8_t[kReadAheadBytes]);
    mReadAheadStart = mPos;
    ReadAtLeast(mFD, mReadAhead.get(), kReadAheadBytes, n, mPos, mReadAheadLength);
    NoteReadEnd();
    got = mReadAheadLength < n ? mReadAheadLength : n;
    std::memcpy(out, mReadAhead.get(), got);
  } else {
    ReadAtLeast(mFD, out, n, n, mPos, got);
  }
  // Bytes read before a failure count, as with a plain read.
  mPos += got;
  if (mPos > mKnownSize) mKnownSize = mPos;
  // Fewer bytes than asked (the end of the file) is an error.
  if (got < n) return QVLogStatus<kQVErrFileRead>(LogPath());
  return 0;
}

bool QVFile::IsEndOfFile(uint64_t n) const {
  uint64_t size = 0;
  if (!IsOpened() || FlushPending() != 0 || !RawSize(mFD, size)) return true;
  if (size > mReadLimit) size = mReadLimit;
  uint64_t pos = mPos;
  if (n > std::numeric_limits<uint64_t>::max() - pos) return true;
  return size <= pos + n;
}

QVFileMmap& QVFile::Mem() const {
  if (!mMmap) mMmap.reset(new QVFileMmap(*this));
  return *mMmap;
}

// ---------------------------------------------------------------- Raw bytes

long QVFileCheckReadable(const QVFile& file, uint64_t n) {
  uint64_t pos = 0;
  long err = file.GetPos(pos);
  if (!err) err = file.FlushPending();
  if (err) return err;
  if (!file.WithinReadLimit(pos, n)) return QVLogStatus<kQVErrFileRead>(file.LogPath());
  // A size the file is known to have reached is enough when it holds n bytes
  // more: should the file have shrunk meanwhile, the read fails by itself.
  // Otherwise the current size decides.
  if (file.mKnownSize >= pos && file.mKnownSize - pos >= n) return 0;
  uint64_t size = 0;
  err = file.GetFileSize(size);
  if (err) return err;
  if (pos > size || size - pos < n) return QVLogStatus<kQVErrFileRead>(file.LogPath());
  return 0;
}

long QVFileWriteZeros(QVFile& file, uint64_t n) {
  static const uint8_t kZeros[4096] = {};
  // A few reserved bytes (the usual) are zeroed in place at once.
  if (n <= sizeof kZeros) {
    if (uint8_t* room = file.AppendInPlace(static_cast<size_t>(n))) {
      std::memset(room, 0, static_cast<size_t>(n));
      return 0;
    }
  }
  while (n > 0) {
    size_t piece = n < sizeof kZeros ? static_cast<size_t>(n) : sizeof kZeros;
    if (uint8_t* room = file.AppendInPlace(piece)) {
      std::memset(room, 0, piece);
    } else {
      long err = file.Write(kZeros, piece);
      if (err) return err;
    }
    n -= piece;
  }
  return 0;
}

long QVFileWritePadding64(QVFile& file) {
  uint64_t pos = 0;
  long err = file.GetPos(pos);
  if (err) return err;
  uint64_t rest = pos % 8;
  return rest ? QVFileWriteZeros(file, 8 - rest) : 0;
}

long QVFileReadPadding64(const QVFile& file) {
  uint64_t pos = 0;
  long err = file.GetPos(pos);
  if (err) return err;
  uint64_t rest = pos % 8;
  uint8_t dropped[8];
  return rest ? file.Read(dropped, static_cast<size_t>(8 - rest)) : 0;
}

// ---------------------------------------------------------------- Numbers

namespace {

// Writes n bytes of numbers of the given width swapped, leaving src
// untouched: straight into the file's write buffer where they append to it,
// else through a copy on the stack, a piece of whole numbers at a time.
long WriteSwappedRun(QVFile& file, const uint8_t* src, size_t n, size_t width) {
  alignas(8) uint8_t copy[kSwapBytes];
  for (size_t done = 0; done < n;) {
    const size_t piece = n - done < kSwapBytes ? n - done : kSwapBytes;
    if (uint8_t* room = file.AppendInPlace(piece)) {
      CopySwapped(room, src + done, piece, width);
    } else {
      CopySwapped(copy, src + done, piece, width);
      long err = file.Write(copy, piece);
      if (err) return err;
    }
    done += piece;
  }
  return 0;
}

}  // namespace

long QVFileLowWriteNumbers(QVFile& file, const void* data, size_t count, uint32_t recordSize,
                           uint32_t numbersPerRecord, uint32_t endianness, bool isFloat) {
  (void)isFloat;  // floats swap like integers of their width
  size_t total = 0;
  if (__builtin_mul_overflow(count, static_cast<size_t>(recordSize), &total))
    return QVLogStatus<kQVErrFileWrite>(file.LogPath());
  if (total == 0) return 0;
  size_t width = SwapWidth(file, recordSize, numbersPerRecord, endianness);
  if (width == 0) return file.Write(data, total);

  const uint8_t* src = static_cast<const uint8_t*>(data);
  const size_t numberBytes = width * numbersPerRecord;
  // Records of nothing but numbers are one run of them, swapped straight
  // into the write buffer when they append to it whole (the usual).
  if (recordSize == numberBytes) {
    if (uint8_t* room = file.AppendInPlace(total)) {
      CopySwapped(room, src, total, width);
      return 0;
    }
    return WriteSwappedRun(file, src, total, width);
  }
  for (size_t r = 0; r < count; ++r) {
    const uint8_t* record = src + r * recordSize;
    long err = WriteSwappedRun(file, record, numberBytes, width);
    // The record's tail after its numbers moves as it is.
    if (!err) err = file.Write(record + numberBytes, recordSize - numberBytes);
    if (err) return err;
  }
  return 0;
}

long QVFileLowReadNumbers(const QVFile& file, void* data, size_t count, uint32_t recordSize,
                          uint32_t numbersPerRecord, uint32_t endianness, bool isFloat) {
  (void)isFloat;
  size_t total = 0;
  if (__builtin_mul_overflow(count, static_cast<size_t>(recordSize), &total))
    return QVLogStatus<kQVErrFileRead>(file.LogPath());
  if (total == 0) return 0;
  const size_t width = SwapWidth(file, recordSize, numbersPerRecord, endianness);
  uint8_t* out = static_cast<uint8_t*>(data);
  if (const uint8_t* in = file.ReadInPlace(total)) {
    // Numbers already read ahead (the usual) are swapped on their way out
    // of the block rather than after a copy.
    if (width != 0 && recordSize == width * numbersPerRecord) {
      CopySwapped(out, in, total, width);
      return 0;
    }
    std::memcpy(out, in, total);
  } else {
    long err = file.Read(out, total);
    if (err) return err;
  }
  if (width) SwapRecords(out, count, recordSize, numbersPerRecord, width);
  return 0;
}

long QVFileLowWriteNumber(QVFile& file, const void* value, size_t width, uint32_t endianness) {
  uint8_t bytes[8];
  std::memcpy(bytes, value, width);
  if (QVFileNeedsSwap(file, endianness)) SwapInPlace(bytes, width);
  return file.Write(bytes, width);
}

long QVFileLowReadNumber(const QVFile& file, void* value, size_t width, uint32_t endianness) {
  uint8_t bytes[8];
  long err = file.Read(bytes, width);
  if (err) return err;
  if (QVFileNeedsSwap(file, endianness)) SwapInPlace(bytes, width);
  std::memcpy(value, bytes, width);
  return 0;
}

// ---------------------------------------------------------------- Graphics records

static_assert(sizeof(AGPoint) == 16 && sizeof(AGSize) == 16 && sizeof(AGInterval) == 16,
              "graphics pairs are two packed doubles");
static_assert(sizeof(AGRect) == 32, "a rectangle is four packed doubles");

#define QV_FILE_DOUBLES(Name, Type, Count)                                                     \
  long QVFileWrite##Name(QVFile& file, const Type& value, uint32_t endianness) {               \
    return QVFileWriteNumbers(file, &value, 1, sizeof(Type), Count, endianness, true);         \
  }                                                                                            \
  long QVFileRead##Name(const QVFile& file, Type& value, uint32_t endianness) {                 \
    Type v;                                                                                    \
    long err = QVFileReadNumbers(file, &v, 1, sizeof(Type), Count, endianness, true);          \
    if (!err) value = v;                                                                       \
    return err;                                                                                \
  }

QV_FILE_DOUBLES(AGPoint, AGPoint, 2)
QV_FILE_DOUBLES(AGSize, AGSize, 2)
QV_FILE_DOUBLES(AGInterval, AGInterval, 2)
QV_FILE_DOUBLES(AGRect, AGRect, 4)

#undef QV_FILE_DOUBLES

long QVFileWriteAGColor(QVFile& file, AGColor color) {
  uint8_t bytes[4] = {static_cast<uint8_t>(AGColorRed(color)),
                      static_cast<uint8_t>(AGColorGreen(color)),
                      static_cast<uint8_t>(AGColorBlue(color)),
                      static_cast<uint8_t>(AGColorAlpha(color))};
  return file.Write(bytes, 4);
}

long QVFileReadAGColor(const QVFile& file, AGColor& color) {
  uint8_t bytes[4];
  long err = file.Read(bytes, 4);
  if (err) return err;
  color = AGColorMake(bytes[0], bytes[1], bytes[2], bytes[3]);
  return 0;
}

namespace {

uint32_t UnitToByte(float value) {
  // !(v >= 0) also catches not-a-number.
  double v = value;
  if (!(v >= 0.0)) v = 0.0;
  if (v > 1.0) v = 1.0;
  return static_cast<uint32_t>(v * 255.0 + 0.5);
}

}  // namespace

long QVFileReadAGColor_OFF(const QVFile& file, AGColor& color, uint32_t endianness) {
  float rgba[4];
  long err = QVFileReadNumbers(file, rgba, 4, 4, 1, endianness, true);
  if (err) return err;
  color = AGColorMake(UnitToByte(rgba[0]), UnitToByte(rgba[1]), UnitToByte(rgba[2]),
                      UnitToByte(rgba[3]));
  return 0;
}

// ---------------------------------------------------------------- Whole content

long QVFileSaveContentOfString(QVFile& file, const QVString& string) {
  long err = file.SetPos(0);
  if (err) return err;
  return file.Write(string.Data(), string.Length());
}

long QVFileSaveContentOfString(const QVFilePath& path, const QVString& string) {
  QVFile file(path);
  long err = file.CreateForReadWrite();
  if (err) return err;
  err = QVFileSaveContentOfString(file, string);
  // The bytes may still be in the write buffer: closing tells whether they
  // reached the file.
  long closed = file.Close();
  return err ? err : closed;
}

long QVFileLoadContentToString(const QVFile& file, QVString& string) {
  uint64_t size = 0;
  long err = file.GetFileSize(size);
  if (!err) err = file.SetPos(0);
  // A kit string holds at most 4 GB - 1 bytes.
  if (!err && size > std::numeric_limits<uint32_t>::max())
    err = QVLogStatus<kQVErrFileRead>(file.LogPath());
  if (!err) {
    string.SetLength(static_cast<uint32_t>(size));
    err = file.Read(string.Data(), static_cast<size_t>(size));
  }
  if (err) string.Clear();
  return err;
}

long QVFileLoadContentToString(const QVFilePath& path, QVString& string) {
  QVFile file(path);
  long err = file.OpenForRead();
  if (!err) err = QVFileLoadContentToString(file, string);
  if (err) string.Clear();
  return err;
}

// ---------------------------------------------------------------- Signatures and chunks

long QVFileWriteSignat32(QVFile& file, uint32_t signature) {
  return QVFileWriteUInt32(file, signature, QVFile::kEndianBig);
}

long QVFileReadSignat32(const QVFile& file, uint32_t& signature) {
  return QVFileReadUInt32(file, signature, QVFile::kEndianBig);
}

long QVFileCheckSignat32(const QVFile& file, uint32_t expected, uint32_t* read) {
  uint32_t found = 0;
  long err = QVFileReadSignat32(file, found);
  if (err) return err;
  if (read) *read = found;
  if (found == expected) return 0;
  uint64_t pos = 0;
  // Only for the message: a position that can't be had shows as 0.
  (void)file.GetPos(pos);
  return LogBadSignature(file, pos >= 4 ? pos - 4 : 0, expected, found);
}

long QVFileChunkSetter::WriteChunkHeaderSlowly(QVFile& file, QVFileChunk& chunk) {
  uint64_t pos = 0;
  long err = file.GetPos(pos);
  if (err) return err;
  chunk.mPosition = pos;
  chunk.mSize = 0;
  uint8_t header[8];
  PutUInt32(header, chunk.mSignature, true);
  PutUInt32(header + 4, 0, false);
  return file.Write(header, sizeof header);
}

long QVFileChunkSetter::WriteChunkCompleteSlowly(QVFile& file, QVFileChunk& chunk) {
  uint64_t end = 0;
  long err = file.GetPos(end);
  if (err) return err;
  uint64_t payloadStart = chunk.mPosition + 8;
  uint64_t size = end > payloadStart ? end - payloadStart : 0;
  // The header has 32 bits for the size: a larger payload cannot be stored.
  if (size > std::numeric_limits<uint32_t>::max())
    return QVLogStatus<kQVErrFileWrite>(file.LogPath());
  chunk.mSize = static_cast<uint32_t>(size);
  if (size == 0) return 0;
  err = file.SetPos(chunk.mPosition + 4);
  if (!err) err = QVFileWriteUInt32(file, chunk.mSize);
  if (!err) err = file.SetPos(end);
  return err;
}

long QVFileChunkSetter::ReadChunkHeaderSlowly(const QVFile& file, QVFileChunk& chunk) {
  uint64_t pos = 0;
  long err = file.GetPos(pos);
  if (err) return err;
  chunk.mPosition = pos;
  uint8_t header[8];
  err = file.Read(header, sizeof header);
  if (err) return err;
  chunk.mSignature = GetUInt32(header, true);
  chunk.mSize = GetUInt32(header + 4, file.Endianness() == QVFile::kEndianBig);
  return 0;
}

long QVFileChunkSetter::WrongChunk(const QVFile& file, const QVFileChunk& chunk,
                                   uint32_t expected) {
  // The position shown is that of the wrong signature, the chunk's first
  // byte, as for QVFileCheckSignat32; the size after it was read as well.
  return LogBadSignature(file, chunk.mPosition, expected, chunk.mSignature);
}
