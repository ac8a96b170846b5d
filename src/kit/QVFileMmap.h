// QVFileMmap: read-only windows of an open QVFile mapped into memory.
//
// A map belongs to one QVFile (QVFile::Mem creates it) and must not outlive
// it; the file closing destroys the map and unmaps every window, so window
// addresses are valid only while the file stays open.
//
// Mapping writes the file's pending bytes first (QVFile's write buffer), so a
// new window shows every write made through the file before it.
//
// Status codes of Map (logged with the file's path, kept as LastError):
//   -980 the file is not open, -976 pending bytes could not be written, -972
//   its size is unknown, -969 empty window or window beyond the end of the
//   file, -970 offset not a multiple of Granularity, -971 the system refused
//   the mapping (errno in the message).
#ifndef QV_FILE_MMAP_H
#define QV_FILE_MMAP_H

#include <cstddef>
#include <cstdint>
#include <vector>

class QVFile;

class QVFileMmap {
 public:
  explicit QVFileMmap(const QVFile& file);
  // UnmapAll.
  ~QVFileMmap();
  QVFileMmap(const QVFileMmap&) = delete;
  QVFileMmap& operator=(const QVFileMmap&) = delete;

  // Maps length bytes from offset, read-only and shared. Null on failure,
  // with LastError set; LastError is 0 after a success.
  const void* Map(uint64_t offset, size_t length);
  // Maps the whole file (an empty file fails with -969).
  const void* MapAll();
  // Releases the window that starts at address; false when there is none.
  bool Unmap(const void* address);
  // Releases every window, the latest first, and sets LastError to 0.
  void UnmapAll();

  // Index of the window starting at address, in mapping order.
  bool FindItemByAddress(const void* address, uint32_t& index) const;
  // Number of windows mapped.
  uint32_t Count() const { return static_cast<uint32_t>(mWindows.size()); }
  // Length of window index (0 for an index out of range).
  size_t WindowLength(uint32_t index) const;

  // The system page size, fetched once: window offsets are multiples of it.
  static unsigned Granularity();
  // Code of the last Map: 0 or one of the codes above.
  long LastError() const { return mLastError; }

 private:
  struct Window {
    void* address;
    size_t length;
  };

  long Fail(long code);

  const QVFile& mFile;
  std::vector<Window> mWindows;
  long mLastError = 0;
};

#endif
