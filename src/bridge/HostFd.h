// An owned operating-system file descriptor: closed when its owner goes.
// Where the result of close() matters (a file being saved), the owner
// releases the descriptor and closes it itself.
#ifndef HOST_FD_H
#define HOST_FD_H

#include <unistd.h>

class HostFd {
 public:
  HostFd() = default;
  // Takes fd (-1: none).
  explicit HostFd(int fd) : mFd(fd) {}
  ~HostFd() { Reset(); }
  HostFd(HostFd&& other) noexcept : mFd(other.Release()) {}
  HostFd& operator=(HostFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  HostFd(const HostFd&) = delete;
  HostFd& operator=(const HostFd&) = delete;

  int Get() const { return mFd; }
  bool IsOpen() const { return mFd >= 0; }
  // Gives the descriptor up without closing it; -1 when none.
  int Release() {
    int fd = mFd;
    mFd = -1;
    return fd;
  }
  // Closes the descriptor held (its result ignored) and takes fd.
  void Reset(int fd = -1) {
    // Linux releases the descriptor even when close reports an error.
    if (mFd >= 0) ::close(mFd);
    mFd = fd;
  }

 private:
  int mFd = -1;
};

#endif
