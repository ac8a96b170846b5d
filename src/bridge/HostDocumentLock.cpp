#include "bridge/HostDocumentLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "bridge/HostFiles_p.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

namespace {

// Between two attempts on a lock held by another writer.
constexpr auto kRetryInterval = std::chrono::milliseconds(10);

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

int32_t HostDocumentLock::Acquire(const std::string& path, int waitMs) {
  return Lock(path, waitMs, false);
}

int32_t HostDocumentLock::AcquireIfExists(const std::string& path, int waitMs) {
  return Lock(path, waitMs, true);
}

int32_t HostDocumentLock::Lock(const std::string& path, int waitMs, bool missingIsFine) {
  mFd.Reset();
  mTarget.clear();
  std::string target;
  int32_t status = HostResolveDocumentPath(path, target);
  if (status != 0) return status;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    struct stat there;
    if (missingIsFine && ::lstat(target.c_str(), &there) != 0 && errno == ENOENT) return 0;
    HostFd fd;
    status = HostOpenRegularFileForRead(target, fd);
    if (status != 0) return status;
    // Polled rather than blocking, so that the wait is bounded without a
    // timer signal.
    int rc;
    while ((rc = ::flock(fd.Get(), LOCK_EX | LOCK_NB)) != 0 &&
           (errno == EWOULDBLOCK || errno == EINTR)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        return static_cast<int32_t>(QVLogStatus<kQVErrDocumentLocked>(path.c_str(), waitMs));
      }
      std::this_thread::sleep_for(kRetryInterval);
    }
    if (rc != 0) return static_cast<int32_t>(QVLogStatus<kQVErrFileOpen>(path.c_str()));
    // The writer we waited for may have renamed a new document over the one
    // we locked: the lock counts only when the path still names our file.
    struct stat locked;
    if (::fstat(fd.Get(), &locked) == 0 && ::stat(target.c_str(), &there) == 0 &&
        SameFile(locked, there)) {
      mFd = std::move(fd);
      mTarget = target;
      return 0;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return static_cast<int32_t>(QVLogStatus<kQVErrDocumentLocked>(path.c_str(), waitMs));
    }
  }
}
