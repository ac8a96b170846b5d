#include "kit/QVFileMmap.h"

#include <limits>

#include "kit/QVFile.h"
#include "kit/QVLog.h"
#include "kit/platform/QVSystem_p.h"

QVFileMmap::QVFileMmap(const QVFile& file) : mFile(file) {}

QVFileMmap::~QVFileMmap() { UnmapAll(); }

unsigned QVFileMmap::Granularity() {
  static const unsigned sPageSize = static_cast<unsigned>(QVSystem::GetPageSize());
  return sPageSize;
}

long QVFileMmap::Fail(long code) {
  mLastError = code;
  return code;
}

const void* QVFileMmap::Map(uint64_t offset, size_t length) {
  if (!mFile.IsOpened()) {
    Fail(QVLogStatus<kQVErrFileNotOpened>(mFile.LogPath()));
    return nullptr;
  }
  // A window shows what the file holds: bytes still in the write buffer
  // go to the file first.
  long err = mFile.FlushPending();
  uint64_t size = 0;
  if (!err) err = mFile.GetFileSize(size);
  if (err) {
    // Logged where it arose (-976, -972).
    Fail(err);
    return nullptr;
  }
  if (length == 0 || offset > size || length > size - offset) {
    Fail(QVLogStatus<kQVErrMmapOutOfBounds>(mFile.LogPath()));
    return nullptr;
  }
  if (offset % Granularity() != 0) {
    Fail(QVLogStatus<kQVErrMmapBadOffset>(mFile.LogPath()));
    return nullptr;
  }
  int error = 0;
  void* address = const_cast<void*>(QVSystem::MapForReading(mFile.Descriptor(), offset, length, &error));
  if (!address) {
    Fail(QVLogStatus<kQVErrMmapFailed>(static_cast<long>(error), mFile.LogPath()));
    return nullptr;
  }
  mLastError = 0;
  uint32_t index = 0;
  if (FindItemByAddress(address, index)) {
    mWindows[index].length = length;
  } else {
    mWindows.push_back({address, length});
  }
  return address;
}

const void* QVFileMmap::MapAll() {
  uint64_t size = 0;
  if (mFile.IsOpened() && mFile.GetFileSize(size) == 0 &&
      size > std::numeric_limits<size_t>::max()) {
    Fail(QVLogStatus<kQVErrMmapOutOfBounds>(mFile.LogPath()));
    return nullptr;
  }
  return Map(0, static_cast<size_t>(size));
}

bool QVFileMmap::Unmap(const void* address) {
  uint32_t index = 0;
  if (!FindItemByAddress(address, index)) return false;
  QVSystem::Unmap(mWindows[index].address, mWindows[index].length);
  mWindows.erase(mWindows.begin() + index);
  return true;
}

void QVFileMmap::UnmapAll() {
  while (!mWindows.empty()) {
    QVSystem::Unmap(mWindows.back().address, mWindows.back().length);
    mWindows.pop_back();
  }
  mLastError = 0;
}

bool QVFileMmap::FindItemByAddress(const void* address, uint32_t& index) const {
  for (size_t i = 0; i < mWindows.size(); ++i) {
    if (mWindows[i].address == address) {
      index = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

size_t QVFileMmap::WindowLength(uint32_t index) const {
  return index < mWindows.size() ? mWindows[index].length : 0;
}
