// QVFile: the kit's binary file. An operating-system file descriptor with a
// path, a byte order, two numbers free for the application (user type and
// user version), and the free functions below that read and write numbers,
// graphics records, strings, signatures and chunks.
//
// Status codes (kit/QVErrors.h): every operation that can fail logs the
// failure with the file's path and returns the negative code; 0 is success.
//   -972 size unknown, -973 size not set, -974 position unknown (or beyond
//   32 bits for the 32-bit form), -975 seek failed, -976 write short,
//   -977 read short (also: a length read from the file larger than what is
//   left in it, or a read reaching past the read limit), -978 open/create failed, -979 already opened, -980 not
//   opened, -960 wrong chunk or signature.
//
// Byte orders: every number reader and writer takes an endianness argument:
// kEndianFile (0) means the file's own order, kEndianBig (1) big-endian,
// kEndianLittle (2) little-endian. Signatures are always big-endian, so their
// four characters appear in reading order in the file.
//
// Reading only moves the position, so readers and positioning take a const
// QVFile; writers need a mutable one.
//
// The position is kept by the QVFile, not by the descriptor: transfers are
// positioned system calls (pread / pwrite) and positioning makes none. A
// seek is still refused at once when it would land before the start or
// beyond the largest file offset. Small reads are served from a read-ahead
// block (16 KB at most) that every write and size change through this QVFile
// drops; bytes that another writer changes in a block already read ahead are
// seen once the reader leaves the block.
//
// Writes are held in a write buffer (64 KB) of consecutive bytes and reach
// the file when it is full, before any read, size query, seek from the end
// or truncation through this QVFile, before a memory window is mapped, and
// at Flush, ReleaseDescriptor and Close; reads through this QVFile therefore
// see its own writes, other processes only what was flushed. Rewriting
// bytes still in the buffer (a chunk's size patched after its payload)
// changes them there; rewriting bytes that already left it goes straight to
// the file and keeps the buffer. Until a flush, a write error cannot be
// known: the call that flushes returns it (-976, even a read or a size
// query), and Flush, ReleaseDescriptor and Close return the first write
// error since the file was opened, so that lost bytes are never reported as
// saved. Bytes of a failed flush are dropped, not retried.
//
// A QVFile belongs to one thread at a time.
#ifndef QV_FILE_H
#define QV_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "kit/AGGeometryTypes.h"
#include "kit/ATArray.h"
#include "kit/QVFilePath.h"
#include "kit/QVString.h"

class QVFileMmap;

// Seek origin. Any value other than these three counts as kQVFileFromStart.
enum QVFileWhence : int32_t {
  kQVFileFromStart = 0,
  kQVFileFromCurrent = 1,
  kQVFileFromEnd = 2,
};

// Four characters as a signature: the first character in the most
// significant byte, so that QVSignat32("dict") is written 64 69 63 74.
constexpr uint32_t QVSignat32(const char (&text)[5]) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}

// Names the running machine's byte order in files. This machine is
// little-endian: the four characters are "LITE" (a big-endian machine writes
// "BIGE").
inline constexpr uint32_t kQVChunkSignatureEndianHost = QVSignat32("LITE");

class QVFile {
 public:
  // Byte orders (flags bits 0-1) and the endianness arguments.
  static constexpr uint32_t kEndianFile = 0;
  static constexpr uint32_t kEndianBig = 1;
  static constexpr uint32_t kEndianLittle = 2;
  // The running machine's order: little-endian.
  static constexpr uint32_t kEndianHost = kEndianLittle;

  // Options and state flags.
  static constexpr uint32_t kEndianMask = 0x3;
  static constexpr uint32_t kTemporary = 0x10;
  static constexpr uint32_t kOpenedForRead = 0x100;
  static constexpr uint32_t kOpenedForReadWrite = 0x200;

  // ReadLimit() when reads may go up to the end of the file.
  static constexpr uint64_t kNoReadLimit = UINT64_MAX;
  // The largest position a file may have (the system's largest offset).
  static constexpr uint64_t kMaxOffset = INT64_MAX;

  // A closed file in the host's byte order. With kTemporary in options the
  // path is ignored: CreateForReadWrite picks a fresh temporary path.
  explicit QVFile(const QVFilePath& path, uint32_t options = 0);
  explicit QVFile(uint32_t options = 0);
  // Close: a temporary file is deleted. Its status is lost here (it is
  // logged): a writer that must know its bytes arrived calls Close or Flush.
  ~QVFile();
  QVFile(const QVFile&) = delete;
  QVFile& operator=(const QVFile&) = delete;

  // Opens the existing file read-only. -979 when already open, -978 when the
  // open fails.
  [[nodiscard]] long OpenForRead();
  // Opens the existing file for reading and writing. -979, -978.
  [[nodiscard]] long OpenForReadWrite();
  // Creates or truncates the file for reading and writing (mode 0644). A
  // temporary file first takes a fresh path in the temporary directory and
  // is created exclusively with mode 0600, never through a symbolic link.
  // -979, -978.
  [[nodiscard]] long CreateForReadWrite();
  // Takes a descriptor the caller opened; ownership passes to the file,
  // which closes it like one it opened. Readable, and writable when
  // forWriting. The path given at construction stays the file's name in log
  // messages; nothing is opened by it. -979 when already open, -978 for a
  // negative descriptor.
  [[nodiscard]] long AdoptDescriptor(int fd, bool forWriting);
  // Writes the pending bytes, then hands the descriptor back in fd without
  // closing it (the caller closes it and sees that close's result); the file
  // is then closed as Close leaves it, except that a temporary file is not
  // deleted. The descriptor is handed back even when the flush fails. 0, or
  // the first write error since opening (-976); -980 (fd = -1) when closed.
  [[nodiscard]] long ReleaseDescriptor(int& fd);
  // Writes the pending bytes. 0, or the first write error since the file was
  // opened (-976: at this flush, an earlier one, or a write that failed), so
  // that a caller who checks Flush before trusting the file never misses a
  // lost byte. 0 on a closed file: nothing is pending.
  [[nodiscard]] long Flush();
  // If open: writes the pending bytes, drops the memory map, closes the
  // descriptor; a temporary file is also deleted and its path and name
  // emptied. The file is closed whatever happens. 0, or the first write error
  // since opening (-976), including one that the system's close reports for
  // a file opened for writing. 0 when already closed.
  long Close();
  // Closes without writing the pending bytes (a temporary file is not
  // deleted by the close) and deletes the file at the path; a temporary
  // file's path and name are emptied. True when a file was deleted. Not
  // logged.
  bool Remove();

  bool IsOpened() const { return (mFlags & (kOpenedForRead | kOpenedForReadWrite)) != 0; }
  bool CanRead() const { return IsOpened(); }
  bool CanWrite() const { return (mFlags & kOpenedForReadWrite) != 0; }
  bool IsTemporary() const { return (mFlags & kTemporary) != 0; }
  const QVFilePath& FilePath() const { return mPath; }
  const QVString& FileName() const { return mFileName; }
  // The descriptor, -1 while closed (for platform code such as the memory
  // map). Its own offset is not the file's position, and bytes still in the
  // write buffer are not in it: Flush first.
  int Descriptor() const { return mFD; }

  // kEndianBig or kEndianLittle.
  uint32_t Endianness() const { return mFlags & kEndianMask; }
  // Only kEndianBig and kEndianLittle are accepted; other values change nothing.
  void SetEndianness(uint32_t order);

  uint32_t UserType() const { return mUserType; }
  void SetUserType(uint32_t type) { mUserType = type; }
  uint32_t UserVersion() const { return mUserVersion; }
  void SetUserVersion(uint32_t version) { mUserVersion = version; }

  // Size from the open descriptor (pending bytes written first), or from the
  // path when closed. -972, -976.
  [[nodiscard]] long GetFileSize(uint64_t& size) const;
  // Writes the pending bytes, then truncates or extends the open file. -980,
  // -973, -976 (nothing truncated).
  [[nodiscard]] long SetFileSize(uint64_t size);
  // Current position. -980; the 32-bit form also -974 when it does not fit.
  [[nodiscard]] long GetPos(uint64_t& pos) const {
    if (!IsOpened()) return NotOpened();
    pos = mPos;
    return 0;
  }
  [[nodiscard]] long GetPos(uint32_t& pos) const;
  // -980, -975 (also for a resulting position before the start); from the
  // end, the pending bytes are written first (-976).
  [[nodiscard]] long Seek(int64_t offset, QVFileWhence whence) const;
  [[nodiscard]] long SetPos(uint64_t pos) const {
    if (IsOpened() && pos <= kMaxOffset) {
      mPos = pos;
      return 0;
    }
    return Seek(static_cast<int64_t>(pos), kQVFileFromStart);
  }
  [[nodiscard]] long Skip(uint64_t n) const {
    // The position never exceeds kMaxOffset, so the subtraction holds.
    if (IsOpened() && n <= kMaxOffset - mPos) {
      mPos += n;
      return 0;
    }
    return SkipSlowly(n);
  }
  [[nodiscard]] long SkipBack(uint64_t n) const;

  // Exactly n bytes or the error: -980, -976 / -977 (a short read at the end
  // of the file is an error and leaves bytes partly filled). n = 0 succeeds
  // at once, even on a closed file. A write to a file opened for reading
  // only is refused with -976. A write may only be buffered: its error can
  // come from a later call (see above). A read first writes the pending
  // bytes and returns their error (-976).
  [[nodiscard]] long Write(const void* bytes, size_t n) {
    // Appending to the pending bytes, the common case, stays inline.
    if (uint8_t* room = AppendInPlace(n)) {
      std::memcpy(room, bytes, n);
      return 0;
    }
    return WriteSlowly(bytes, n);
  }

  [[nodiscard]] long Read(void* bytes, size_t n) const {
    // Bytes already read ahead, the common case, stay inline.
    if (const uint8_t* in = ReadInPlace(n)) {
      std::memcpy(bytes, in, n);
      return 0;
    }
    return ReadSlowly(bytes, n);
  }

  // Where n bytes written now would simply append to the pending bytes: the
  // place in the write buffer for them, the position then moved past them,
  // for a writer that fills them in itself at once (numbers swapped on the
  // way). Null otherwise, nothing changed: such bytes go through Write.
  // Null for n = 0 (n - 1 wraps).
  uint8_t* AppendInPlace(size_t n) {
    uint8_t* room = AppendRoom(n);
    if (room) CommitAppend(n);
    return room;
  }

  // For a writer that learns how many bytes it writes only while making
  // them (text converted on the way): where up to n bytes would simply
  // append to the pending bytes, their place in the write buffer, nothing
  // written yet. CommitAppend(m), m <= n, before any other call on this
  // QVFile, then writes the first m of them and moves the position past
  // them; bytes left uncommitted are not the file's. Null as for
  // AppendInPlace.
  uint8_t* AppendRoom(size_t n) {
    // While nothing is pending the capacity is 0, so that n - 1 (which
    // wraps for n = 0) is never below it.
    if (n - 1 >= mWriteCapacity - mWriteLength || mPos != mWriteStart + mWriteLength) {
      return nullptr;
    }
    return mWriteBuffer.get() + mWriteLength;
  }
  void CommitAppend(size_t m) {
    mWriteLength += m;
    mPos += m;
  }

  // Where the next n bytes were already read ahead (and lie below the read
  // limit): their place in the read-ahead block, the position then moved
  // past them, for a reader that takes them from there at once. They stay
  // valid until the next call on this QVFile. Null otherwise, nothing
  // changed: such bytes go through Read. Null for n = 0 (n - 1 wraps).
  const uint8_t* ReadInPlace(size_t n) const {
    const uint64_t pos = mPos;
    if (pos < mReadAheadStart || pos > mReadEnd || n - 1 >= mReadEnd - pos) return nullptr;
    mPos = pos + n;
    return mReadAhead.get() + (pos - mReadAheadStart);
  }

  // True when at most n bytes remain: size <= position + n. Also true when
  // the file is closed or its position or size cannot be had (pending bytes
  // that fail to be written: that error is logged and kept for Close).
  // Otherwise not logged. A read limit below the size counts as the end.
  bool IsEndOfFile(uint64_t n = 0) const;

  // Reads stop at end (an offset from the start of the file): a Read or a
  // QVFileCheckReadable that would reach past it fails with -977 and
  // transfers nothing, whatever the file holds beyond. Positioning and
  // writing are not limited. The limit lasts until changed or until the file
  // closes; kNoReadLimit lifts it. A reader of a nested part sets the
  // smaller of the current limit and its part's end, and puts the old limit
  // back afterwards.
  void SetReadLimit(uint64_t end) const {
    mReadLimit = end;
    NoteReadEnd();
  }
  uint64_t ReadLimit() const { return mReadLimit; }

  // The file's memory map, created on first use and destroyed (its windows
  // unmapped) when the file closes. Mapping a window writes the pending
  // bytes first; a window mapped earlier shows later writes once flushed.
  QVFileMmap& Mem() const;

  // The path as the log messages show it.
  const char* LogPath() const;

 private:
  friend long QVFileCheckReadable(const QVFile& file, uint64_t n);
  friend class QVFileMmap;
  friend class QVFileChunkSetter;

  [[nodiscard]] long OpenWith(int openFlags, uint32_t stateFlag);
  [[nodiscard]] long CreateTemporary();
  void Adopt(int fd, uint32_t stateFlag);
  // Closes the descriptor; false when the system's close reports an error.
  bool CloseDescriptor();
  void ForgetTemporaryPath();
  void ForgetDescriptor();
  void ForgetReadAhead() const {
    mReadAheadLength = 0;
    NoteReadEnd();
  }
  // Sets mReadEnd from the block and the read limit.
  void NoteReadEnd() const {
    const uint64_t end = mReadAheadStart + mReadAheadLength;
    mReadEnd = end < mReadLimit ? end : mReadLimit;
  }
  // Empties the write buffer (its bytes written or dropped).
  void ForgetPending() const {
    mWriteLength = 0;
    mWriteCapacity = 0;
  }
  // Writes and empties the write buffer: 0, or -976 (logged, kept as the
  // file's write error) with the buffered bytes dropped. Const because the
  // bytes already are the file's content for every reader of this QVFile.
  long FlushPending() const {
    return mWriteLength == 0 ? 0 : FlushPendingBytes();
  }
  long FlushPendingBytes() const;
  // Logs and returns -980.
  long NotOpened() const;
  // Write and Read in full, beyond their inline common cases.
  long WriteSlowly(const void* bytes, size_t n);
  long SkipSlowly(uint64_t n) const;
  long ReadSlowly(void* bytes, size_t n) const;
  // The cases of Write that do not simply go into the buffer.
  long WriteOutsideBuffer(const uint8_t* bytes, size_t n);
  // Exactly n bytes at the file offset at, straight to the descriptor;
  // written receives how many made it. 0 or -976 (logged and kept).
  long WriteAt(const uint8_t* bytes, size_t n, uint64_t at, size_t& written) const;
  // Records the first write error since opening.
  long KeepWriteError(long err) const {
    if (mWriteError == 0) mWriteError = err;
    return err;
  }
  // Whether n bytes from pos stay below the read limit.
  bool WithinReadLimit(uint64_t pos, uint64_t n) const {
    return pos <= mReadLimit && mReadLimit - pos >= n;
  }

  int mFD = -1;
  QVFilePath mPath;
  QVString mFileName;
  uint32_t mFlags = kEndianHost;
  uint32_t mUserType = 0;
  uint32_t mUserVersion = 0;
  mutable std::unique_ptr<QVFileMmap> mMmap;
  // The position of the next transfer, at most the largest int64_t.
  mutable uint64_t mPos = 0;
  // A size the file is known to have reached (by our writes, reads or size
  // queries), 0 when nothing is known. Only spares size queries in
  // QVFileCheckReadable: a file shrunk since still fails at the read itself.
  mutable uint64_t mKnownSize = 0;
  mutable uint64_t mReadLimit = kNoReadLimit;
  // Read-ahead: mReadAheadLength bytes of the file from mReadAheadStart.
  mutable std::unique_ptr<uint8_t[]> mReadAhead;
  mutable uint64_t mReadAheadStart = 0;
  mutable size_t mReadAheadLength = 0;
  // The end of what may be read from the block: its end or the read limit,
  // the smaller (at or below mReadAheadStart when nothing may).
  mutable uint64_t mReadEnd = 0;
  // Write buffer: mWriteLength pending bytes that belong at mWriteStart, at
  // most mWriteCapacity (the buffer's size, less near the largest offset; 0
  // while nothing is pending).
  // While bytes are pending nothing is read ahead, and while bytes are read
  // ahead none are pending: the inline paths rely on it.
  std::unique_ptr<uint8_t[]> mWriteBuffer;
  uint64_t mWriteStart = 0;
  mutable size_t mWriteLength = 0;
  mutable size_t mWriteCapacity = 0;
  // The first write error since opening, 0 when none.
  mutable long mWriteError = 0;
};

// The in-memory record of a chunk: the position of its 8-byte header, the
// size of its payload (bytes after the header) and its signature.
// In the file: signature (4 bytes, big-endian), size (4 bytes, file order),
// payload.
class QVFileChunk {
 public:
  QVFileChunk() = default;
  explicit QVFileChunk(uint32_t signature) : mSignature(signature) {}

  uint64_t Position() const { return mPosition; }
  uint32_t Size() const { return mSize; }
  uint32_t Signature() const { return mSignature; }
  void SetSignature(uint32_t signature) { mSignature = signature; }
  // Position of the first byte after the payload.
  uint64_t EndPosition() const { return mPosition + 8 + mSize; }

 private:
  friend class QVFileChunkSetter;
  uint64_t mPosition = 0;
  uint32_t mSize = 0;
  uint32_t mSignature = 0;
};

// A 32-bit number stored in the byte order order (kEndianBig or
// kEndianLittle) at p.
inline uint32_t QVFileLowLoad32(const uint8_t* p, uint32_t order) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return order == QVFile::kEndianHost ? v : __builtin_bswap32(v);
}
inline void QVFileLowStore32(uint8_t* p, uint32_t v, uint32_t order) {
  if (order != QVFile::kEndianHost) v = __builtin_bswap32(v);
  std::memcpy(p, &v, 4);
}

// The chunk operations that fill a QVFileChunk. The free functions of the
// same names below call these. Headers that append to the write buffer or
// were read ahead (the usual) are made and read inline.
class QVFileChunkSetter {
 public:
  // Records the current position, writes the chunk's signature and a size
  // of 0, and sets the chunk's size to 0.
  [[nodiscard]] static long QVFileWriteChunkHeader(QVFile& file, QVFileChunk& chunk) {
    uint8_t* room = file.AppendInPlace(8);
    if (!room) return WriteChunkHeaderSlowly(file, chunk);
    chunk.mPosition = file.mPos - 8;
    chunk.mSize = 0;
    QVFileLowStore32(room, chunk.mSignature, QVFile::kEndianBig);
    QVFileLowStore32(room + 4, 0, QVFile::kEndianBig);
    return 0;
  }
  // size = current position - (chunk position + 8), 0 when negative. A
  // non-zero size is written into the header and the position comes back to
  // the end of the payload. -976 for a payload beyond 4 GB.
  [[nodiscard]] static long QVFileWriteChunkComplete(QVFile& file, QVFileChunk& chunk) {
    // A header still in the write buffer (a chunk smaller than the buffer,
    // the usual) gets its size there; the position does not move. Pending
    // bytes mean an open file.
    const uint64_t field = chunk.mPosition + 4;
    const uint64_t end = file.mPos;
    if (file.mWriteLength >= 4 && field >= file.mWriteStart &&
        field - file.mWriteStart <= file.mWriteLength - 4 && end > field + 4 &&
        end - (field + 4) <= UINT32_MAX) {
      chunk.mSize = static_cast<uint32_t>(end - (field + 4));
      QVFileLowStore32(file.mWriteBuffer.get() + (field - file.mWriteStart), chunk.mSize,
                       file.Endianness());
      return 0;
    }
    return WriteChunkCompleteSlowly(file, chunk);
  }
  // Records the current position, reads signature and size into the chunk.
  [[nodiscard]] static long QVFileReadChunkHeader(const QVFile& file, QVFileChunk& chunk) {
    const uint8_t* header = file.ReadInPlace(8);
    if (!header) return ReadChunkHeaderSlowly(file, chunk);
    chunk.mPosition = file.mPos - 8;
    chunk.mSignature = QVFileLowLoad32(header, QVFile::kEndianBig);
    chunk.mSize = QVFileLowLoad32(header + 4, file.Endianness());
    return 0;
  }
  // As QVFileReadChunkHeader with the chunk's signature as the expected one:
  // -960 when the signature read differs; the chunk then holds what was read.
  [[nodiscard]] static long QVFileCheckChunkHeader(const QVFile& file, QVFileChunk& chunk) {
    const uint32_t expected = chunk.mSignature;
    long err = QVFileReadChunkHeader(file, chunk);
    if (err) return err;
    return chunk.mSignature == expected ? 0 : WrongChunk(file, chunk, expected);
  }

 private:
  // The cases the inline paths leave, in full.
  static long WriteChunkHeaderSlowly(QVFile& file, QVFileChunk& chunk);
  static long WriteChunkCompleteSlowly(QVFile& file, QVFileChunk& chunk);
  static long ReadChunkHeaderSlowly(const QVFile& file, QVFileChunk& chunk);
  // Logs and returns -960 for a chunk read whose signature is not expected.
  static long WrongChunk(const QVFile& file, const QVFileChunk& chunk, uint32_t expected);
};

// ---- Raw bytes and positioning

[[nodiscard]] inline long QVFileWrite(QVFile& file, const void* bytes, size_t n) {
  return file.Write(bytes, n);
}
[[nodiscard]] inline long QVFileRead(const QVFile& file, void* bytes, size_t n) {
  return file.Read(bytes, n);
}
[[nodiscard]] inline long QVFileSkip(const QVFile& file, uint64_t n) { return file.Skip(n); }
[[nodiscard]] inline long QVFileSkipBack(const QVFile& file, uint64_t n) {
  return file.SkipBack(n);
}

// 0 when at least n bytes remain after the current position; otherwise logs
// and returns -977 (-980, -972, -974 when that cannot be known). Readers
// check a count taken from the file with it before allocating for it, so
// that a damaged file cannot ask for gigabytes.
[[nodiscard]] long QVFileCheckReadable(const QVFile& file, uint64_t n);

// Writes n zero bytes (n = 0 does nothing).
[[nodiscard]] long QVFileWriteZeros(QVFile& file, uint64_t n);
// When the position is not a multiple of 8: writes zero bytes / reads and
// drops bytes up to the next multiple of 8.
long QVFileWritePadding64(QVFile& file);
long QVFileReadPadding64(const QVFile& file);

// ---- Numbers

// count records of recordSize bytes, each made of numbersPerRecord numbers of
// recordSize / numbersPerRecord bytes. Numbers of 2, 4 or 8 bytes are
// byte-swapped when the chosen order is not the machine's (the writer swaps a
// copy and leaves data untouched; the reader swaps in place); other widths
// move as they are. isFloat marks floating-point data and changes no byte.
// count x recordSize = 0 succeeds without touching the file; a product beyond
// the address space fails as a write / read error.
//
// The few numbers of one record (up to kQVFileInlineNumberBytes bytes) that
// append to the write buffer or were read ahead, the usual, move inline;
// QVFileLowWriteNumbers and QVFileLowReadNumbers, with the same arguments,
// take every other case.
[[nodiscard]] inline long QVFileWriteNumbers(QVFile& file, const void* data, size_t count,
                                             uint32_t recordSize, uint32_t numbersPerRecord,
                                             uint32_t endianness, bool isFloat);
[[nodiscard]] inline long QVFileReadNumbers(const QVFile& file, void* data, size_t count,
                                            uint32_t recordSize, uint32_t numbersPerRecord,
                                            uint32_t endianness, bool isFloat);
[[nodiscard]] long QVFileLowWriteNumbers(QVFile& file, const void* data, size_t count,
                                         uint32_t recordSize, uint32_t numbersPerRecord,
                                         uint32_t endianness, bool isFloat);
[[nodiscard]] long QVFileLowReadNumbers(const QVFile& file, void* data, size_t count,
                                        uint32_t recordSize, uint32_t numbersPerRecord,
                                        uint32_t endianness, bool isFloat);

// One byte, no byte order.
inline long QVFileWriteUInt8(QVFile& file, uint8_t value) { return file.Write(&value, 1); }
inline long QVFileReadUInt8(const QVFile& file, uint8_t& value) { return file.Read(&value, 1); }
inline long QVFileWriteSInt8(QVFile& file, int8_t value) { return file.Write(&value, 1); }
inline long QVFileReadSInt8(const QVFile& file, int8_t& value) { return file.Read(&value, 1); }

// Whether numbers in the order an endianness argument chooses have their
// bytes reversed on this machine: kEndianFile (and any value other than
// kEndianBig and kEndianLittle) is the file's own order.
inline bool QVFileNeedsSwap(const QVFile& file, uint32_t endianness) {
  const uint32_t order = endianness == QVFile::kEndianBig || endianness == QVFile::kEndianLittle
                             ? endianness
                             : file.Endianness();
  return order != QVFile::kEndianHost;
}

// value with its bytes reversed (a number of 2, 4 or 8 bytes).
template <class T>
inline T QVFileLowSwapped(T value) {
  static_assert(sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8, "numbers of 2, 4 or 8 bytes");
  if constexpr (sizeof(T) == 2) {
    uint16_t v;
    std::memcpy(&v, &value, 2);
    v = __builtin_bswap16(v);
    std::memcpy(&value, &v, 2);
  } else if constexpr (sizeof(T) == 4) {
    uint32_t v;
    std::memcpy(&v, &value, 4);
    v = __builtin_bswap32(v);
    std::memcpy(&value, &v, 4);
  } else {
    uint64_t v;
    std::memcpy(&v, &value, 8);
    v = __builtin_bswap64(v);
    std::memcpy(&value, &v, 8);
  }
  return value;
}

// One number of width 2, 4 or 8 bytes, swapped as the endianness asks: the
// cases the inline writers and readers below leave (bytes that do not simply
// append to the write buffer, or that were not read ahead). The reader
// stores into value only on success. Status codes as for Write and Read.
[[nodiscard]] long QVFileLowWriteNumber(QVFile& file, const void* value, size_t width,
                                        uint32_t endianness);
[[nodiscard]] long QVFileLowReadNumber(const QVFile& file, void* value, size_t width,
                                       uint32_t endianness);

template <class T>
inline long QVFileLowWriteScalar(QVFile& file, T value, uint32_t endianness) {
  uint8_t* room = file.AppendInPlace(sizeof value);
  if (!room) return QVFileLowWriteNumber(file, &value, sizeof value, endianness);
  if (QVFileNeedsSwap(file, endianness)) value = QVFileLowSwapped(value);
  std::memcpy(room, &value, sizeof value);
  return 0;
}

template <class T>
inline long QVFileLowReadScalar(const QVFile& file, T& value, uint32_t endianness) {
  const uint8_t* bytes = file.ReadInPlace(sizeof value);
  if (!bytes) return QVFileLowReadNumber(file, &value, sizeof value, endianness);
  T v;
  std::memcpy(&v, bytes, sizeof v);
  value = QVFileNeedsSwap(file, endianness) ? QVFileLowSwapped(v) : v;
  return 0;
}

// The most bytes of numbers QVFileWriteNumbers and QVFileReadNumbers move
// inline.
inline constexpr size_t kQVFileInlineNumberBytes = 32;

// The width of the numbers of count records that QVFileWriteNumbers and
// QVFileReadNumbers move inline (2, 4 or 8), else 0. Folds away for
// arguments known when compiling.
inline size_t QVFileLowInlineWidth(size_t count, uint32_t recordSize, uint32_t numbersPerRecord) {
  if (count == 0 || count > kQVFileInlineNumberBytes || numbersPerRecord == 0 ||
      recordSize > kQVFileInlineNumberBytes || count * recordSize > kQVFileInlineNumberBytes) {
    return 0;
  }
  const size_t width = recordSize / numbersPerRecord;
  if (width * numbersPerRecord != recordSize) return 0;
  return width == 2 || width == 4 || width == 8 ? width : 0;
}

// Copies n bytes of numbers of type U from src to dst, each number's bytes
// reversed when swap.
template <class U>
inline void QVFileLowCopyNumbers(uint8_t* dst, const uint8_t* src, size_t n, bool swap) {
  for (size_t i = 0; i < n; i += sizeof(U)) {
    U v;
    std::memcpy(&v, src + i, sizeof v);
    if (swap) v = QVFileLowSwapped(v);
    std::memcpy(dst + i, &v, sizeof v);
  }
}

inline void QVFileLowCopyNumbers(uint8_t* dst, const uint8_t* src, size_t n, size_t width,
                                 bool swap) {
  if (width == 2) QVFileLowCopyNumbers<uint16_t>(dst, src, n, swap);
  if (width == 4) QVFileLowCopyNumbers<uint32_t>(dst, src, n, swap);
  if (width == 8) QVFileLowCopyNumbers<uint64_t>(dst, src, n, swap);
}

inline long QVFileWriteNumbers(QVFile& file, const void* data, size_t count, uint32_t recordSize,
                               uint32_t numbersPerRecord, uint32_t endianness, bool isFloat) {
  if (const size_t width = QVFileLowInlineWidth(count, recordSize, numbersPerRecord)) {
    const size_t total = count * recordSize;
    if (uint8_t* room = file.AppendInPlace(total)) {
      QVFileLowCopyNumbers(room, static_cast<const uint8_t*>(data), total, width,
                           QVFileNeedsSwap(file, endianness));
      return 0;
    }
  }
  return QVFileLowWriteNumbers(file, data, count, recordSize, numbersPerRecord, endianness,
                               isFloat);
}

inline long QVFileReadNumbers(const QVFile& file, void* data, size_t count, uint32_t recordSize,
                              uint32_t numbersPerRecord, uint32_t endianness, bool isFloat) {
  if (const size_t width = QVFileLowInlineWidth(count, recordSize, numbersPerRecord)) {
    const size_t total = count * recordSize;
    if (const uint8_t* in = file.ReadInPlace(total)) {
      QVFileLowCopyNumbers(static_cast<uint8_t*>(data), in, total, width,
                           QVFileNeedsSwap(file, endianness));
      return 0;
    }
  }
  return QVFileLowReadNumbers(file, data, count, recordSize, numbersPerRecord, endianness,
                              isFloat);
}

// One number each, in the order endianness chooses; a failed read leaves
// value as it was.
#define QV_FILE_SCALAR(Name, Type)                                                          \
  inline long QVFileWrite##Name(QVFile& file, Type value,                                   \
                                uint32_t endianness = QVFile::kEndianFile) {                \
    return QVFileLowWriteScalar(file, value, endianness);                                   \
  }                                                                                         \
  inline long QVFileRead##Name(const QVFile& file, Type& value,                             \
                               uint32_t endianness = QVFile::kEndianFile) {                 \
    return QVFileLowReadScalar(file, value, endianness);                                    \
  }

QV_FILE_SCALAR(UInt16, uint16_t)
QV_FILE_SCALAR(UInt32, uint32_t)
QV_FILE_SCALAR(UInt64, uint64_t)
QV_FILE_SCALAR(SInt16, int16_t)
QV_FILE_SCALAR(SInt32, int32_t)
QV_FILE_SCALAR(SInt64, int64_t)
QV_FILE_SCALAR(Float32, float)
QV_FILE_SCALAR(Float64, double)

#undef QV_FILE_SCALAR

// A graphics coordinate: one double.
[[nodiscard]] inline long QVFileWriteAGCoord(QVFile& file, double value,
                                             uint32_t endianness = QVFile::kEndianFile) {
  return QVFileLowWriteScalar(file, value, endianness);
}
[[nodiscard]] inline long QVFileReadAGCoord(const QVFile& file, double& value,
                                            uint32_t endianness = QVFile::kEndianFile) {
  return QVFileLowReadScalar(file, value, endianness);
}

// ---- Graphics records: two doubles (16 bytes), or four for a rectangle
// (x1, y1, x2, y2: 32 bytes).

[[nodiscard]] long QVFileWriteAGPoint(QVFile& file, const AGPoint& value,
                        uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileReadAGPoint(const QVFile& file, AGPoint& value,
                       uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileWriteAGSize(QVFile& file, const AGSize& value,
                       uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileReadAGSize(const QVFile& file, AGSize& value,
                      uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileWriteAGInterval(QVFile& file, const AGInterval& value,
                           uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileReadAGInterval(const QVFile& file, AGInterval& value,
                          uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileWriteAGRect(QVFile& file, const AGRect& value,
                       uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileReadAGRect(const QVFile& file, AGRect& value,
                      uint32_t endianness = QVFile::kEndianFile);

// A colour as its four bytes red, green, blue, alpha in that order, whatever
// the byte order.
[[nodiscard]] long QVFileWriteAGColor(QVFile& file, AGColor color);
[[nodiscard]] long QVFileReadAGColor(const QVFile& file, AGColor& color);
// The older colour form: four 32-bit floats red, green, blue, alpha, each
// clamped to [0, 1] (not-a-number gives 0) and made a byte as the integer
// part of value x 255 + 0.5. On error color is left unchanged.
[[nodiscard]] long QVFileReadAGColor_OFF(const QVFile& file, AGColor& color,
                           uint32_t endianness = QVFile::kEndianFile);

// ---- Strings, paths, UTF-16 arrays

// A string: unsigned 32-bit length L in file order, then the text in UTF-8
// padded with zero bytes to L, a multiple of 4. Reading drops trailing zero
// bytes and converts to the native encoding; on error the string is emptied.
[[nodiscard]] long QVFileWriteQVString(QVFile& file, const QVString& string);
[[nodiscard]] long QVFileReadQVString(const QVFile& file, QVString& string);
// The older form: a big-endian length, then that many Windows Latin-1 bytes.
[[nodiscard]] long QVFileReadQVString_OFF(const QVFile& file, QVString& string);

// A path in the string form with every "/" stored as the byte 0x01. On error
// the path is emptied.
[[nodiscard]] long QVFileWriteQVFilePath(QVFile& file, const QVFilePath& path);
[[nodiscard]] long QVFileReadQVFilePath(const QVFile& file, QVFilePath& path);
[[nodiscard]] long QVFileReadQVFilePath_OFF(const QVFile& file, QVFilePath& path);

// Unsigned 32-bit count of code units, then the units as 16-bit numbers, both
// in the given order. A failed read empties the array.
[[nodiscard]] long QVFileWriteQVUniChars(QVFile& file, const ATNumberArray<uint16_t>& chars,
                           uint32_t endianness = QVFile::kEndianFile);
[[nodiscard]] long QVFileReadQVUniChars(const QVFile& file, ATNumberArray<uint16_t>& chars,
                          uint32_t endianness = QVFile::kEndianFile);

// Moves to position 0 and writes the string's bytes as they are (no length,
// no conversion, no truncation).
[[nodiscard]] long QVFileSaveContentOfString(QVFile& file, const QVString& string);
// Creates or truncates the file at path and writes the string's bytes.
[[nodiscard]] long QVFileSaveContentOfString(const QVFilePath& path, const QVString& string);
// Reads the whole file from position 0 into the string as raw bytes; on
// failure the string is emptied.
[[nodiscard]] long QVFileLoadContentToString(const QVFile& file, QVString& string);
// Opens path for reading first.
[[nodiscard]] long QVFileLoadContentToString(const QVFilePath& path, QVString& string);

// ---- Signatures and chunks

// Four characters, always big-endian.
long QVFileWriteSignat32(QVFile& file, uint32_t signature);
long QVFileReadSignat32(const QVFile& file, uint32_t& signature);
// Reads a signature; -960 when it differs from expected. read (optional)
// receives the signature read either way.
long QVFileCheckSignat32(const QVFile& file, uint32_t expected, uint32_t* read = nullptr);

[[nodiscard]] inline long QVFileWriteChunkHeader(QVFile& file, QVFileChunk& chunk) {
  return QVFileChunkSetter::QVFileWriteChunkHeader(file, chunk);
}
[[nodiscard]] inline long QVFileWriteChunkComplete(QVFile& file, QVFileChunk& chunk) {
  return QVFileChunkSetter::QVFileWriteChunkComplete(file, chunk);
}
[[nodiscard]] inline long QVFileReadChunkHeader(const QVFile& file, QVFileChunk& chunk) {
  return QVFileChunkSetter::QVFileReadChunkHeader(file, chunk);
}
[[nodiscard]] inline long QVFileCheckChunkHeader(const QVFile& file, QVFileChunk& chunk) {
  return QVFileChunkSetter::QVFileCheckChunkHeader(file, chunk);
}
// Moves to the chunk's header.
[[nodiscard]] inline long QVFileGotoChunkBegin(const QVFile& file, const QVFileChunk& chunk) {
  return file.SetPos(chunk.Position());
}
// Moves to the end of the chunk's payload, skipping what was not consumed.
[[nodiscard]] inline long QVFileGotoChunkEnd(const QVFile& file, const QVFileChunk& chunk) {
  return file.SetPos(chunk.EndPosition());
}

#endif
