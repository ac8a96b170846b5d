// Kit files for fuzz targets: temporary QVFile objects made once and reused
// for every input (deleted when the process ends), loaded with bytes and
// read back whole.
#ifndef FUZZ_KIT_FILE_H
#define FUZZ_KIT_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "kit/QVFile.h"

// Temporary file number which (0 or 1), open for reading and writing.
inline QVFile& FuzzKitScratch(int which) {
  static QVFile sInput(QVFile::kTemporary);
  static QVFile sOutput(QVFile::kTemporary);
  QVFile& file = which == 0 ? sInput : sOutput;
  if (!file.IsOpened()) FuzzRequire(file.CreateForReadWrite() == 0, "a temporary file opens");
  return file;
}

// Replaces file's content by size bytes at data, sets the byte order and
// rewinds it.
inline QVFile& FuzzKitLoad(QVFile& file, const void* data, size_t size, uint32_t order) {
  file.SetEndianness(order);
  FuzzRequire(file.SetFileSize(0) == 0 && file.SetPos(0) == 0, "the scratch file empties");
  FuzzRequire(file.Write(data, size) == 0, "the input is written");
  FuzzRequire(file.SetPos(0) == 0, "the scratch file rewinds");
  return file;
}

inline QVFile& FuzzKitLoad(QVFile& file, const std::string& bytes, uint32_t order) {
  return FuzzKitLoad(file, bytes.data(), bytes.size(), order);
}

// The whole content of file; leaves it at its end.
inline std::string FuzzKitContent(const QVFile& file) {
  uint64_t size = 0;
  FuzzRequire(file.GetFileSize(size) == 0 && file.SetPos(0) == 0, "the file size is known");
  std::string bytes(static_cast<size_t>(size), '\0');
  FuzzRequire(file.Read(&bytes[0], bytes.size()) == 0, "the file reads back");
  return bytes;
}

// What write(file) puts into the emptied output file in the given order.
template <class WriteProc>
std::string FuzzKitWritten(uint32_t order, WriteProc write) {
  QVFile& out = FuzzKitLoad(FuzzKitScratch(1), nullptr, 0, order);
  FuzzRequire(write(out) == 0, "a write succeeds");
  return FuzzKitContent(out);
}

#endif
