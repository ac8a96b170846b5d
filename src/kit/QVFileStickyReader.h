// QVFileStickyReader: reads a run of fields from a QVFile and keeps the
// first failure. Once a read has failed, every later read does nothing
// (its output is left as it was) and Status() returns that first status, so
// that a reader of a record makes its reads one after the other and checks
// once at the end:
//
//   QVFileStickyReader in(file);
//   in.UInt32(count).Float64(size);
//   if (long err = in.Status()) return err;
//
// The status codes are those of the QVFile functions called (QVFile.h),
// unchanged; each failure is logged by the function that met it. Numbers are
// read in the file's own byte order. The reader refers to the file, which
// must outlive it.
#ifndef QV_FILE_STICKY_READER_H
#define QV_FILE_STICKY_READER_H

#include <cstddef>
#include <cstdint>

#include "kit/QVFile.h"

class QVFileStickyReader {
 public:
  explicit QVFileStickyReader(const QVFile& file) : mFile(file) {}
  QVFileStickyReader(const QVFileStickyReader&) = delete;
  QVFileStickyReader& operator=(const QVFileStickyReader&) = delete;

  const QVFile& File() const { return mFile; }
  // 0 while every read succeeded, else the status of the first that failed.
  long Status() const { return mStatus; }
  bool Ok() const { return mStatus == 0; }

  // Runs step (a callable taking no argument and returning a status) unless
  // an earlier step failed, and keeps its status: for checks and nested
  // readers that are not plain field reads.
  template <class Step>
  QVFileStickyReader& Then(Step&& step) {
    if (mStatus == 0) mStatus = step();
    return *this;
  }

  QVFileStickyReader& UInt32(uint32_t& value) {
    return Then([&] { return QVFileReadUInt32(mFile, value); });
  }
  QVFileStickyReader& SInt64(int64_t& value) {
    return Then([&] { return QVFileReadSInt64(mFile, value); });
  }
  QVFileStickyReader& Float64(double& value) {
    return Then([&] { return QVFileReadFloat64(mFile, value); });
  }
  // count numbers of width bytes (2, 4 or 8) into data.
  QVFileStickyReader& Numbers(void* data, size_t count, uint32_t width, bool isFloat) {
    return Then(
        [&] { return QVFileReadNumbers(mFile, data, count, width, 1, QVFile::kEndianFile, isFloat); });
  }
  QVFileStickyReader& Bytes(void* bytes, size_t n) {
    return Then([&] { return QVFileRead(mFile, bytes, n); });
  }
  // Reads and drops n bytes: unlike a seek, a file that ends inside them
  // fails (-977).
  QVFileStickyReader& Discard(size_t n) {
    uint8_t scratch[64];
    while (mStatus == 0 && n > 0) {
      size_t part = n < sizeof scratch ? n : sizeof scratch;
      mStatus = QVFileRead(mFile, scratch, part);
      n -= part;
    }
    return *this;
  }
  QVFileStickyReader& String(QVString& string) {
    return Then([&] { return QVFileReadQVString(mFile, string); });
  }
  QVFileStickyReader& Color(AGColor& color) {
    return Then([&] { return QVFileReadAGColor(mFile, color); });
  }
  QVFileStickyReader& Color_OFF(AGColor& color) {
    return Then([&] { return QVFileReadAGColor_OFF(mFile, color); });
  }
  QVFileStickyReader& SkipBack(uint64_t n) {
    return Then([&] { return QVFileSkipBack(mFile, n); });
  }
  QVFileStickyReader& GotoChunkEnd(const QVFileChunk& chunk) {
    return Then([&] { return QVFileGotoChunkEnd(mFile, chunk); });
  }

 private:
  const QVFile& mFile;
  long mStatus = 0;
};

#endif
