#include "bridge/HostFiles_p.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "kit/QVErrors.h"
#include "kit/QVLog.h"

namespace {

// As the system's own limit on links followed in one path.
constexpr int kMaxLinks = 40;

// Logs code, whose message takes the path alone, and returns it.
template <QVStatus code>
int32_t Log(const std::string& path) {
  return static_cast<int32_t>(QVLogStatus<code>(path.c_str()));
}

}  // namespace

int32_t HostOpenRegularFileForRead(const std::string& path, HostFd& fd) {
  fd.Reset();
  // Opening a device can act on it (a tape rewinds): refuse by its kind first.
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return Log<kQVErrNotAFile>(path);
  int raw;
  do {
    raw = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (raw < 0 && errno == EINTR);
  if (raw < 0) return Log<kQVErrFileOpen>(path);
  HostFd opened(raw);
  // The path may have been replaced between the check and the open.
  if (::fstat(raw, &info) != 0) return Log<kQVErrFileOpen>(path);
  if (!S_ISREG(info.st_mode)) return Log<kQVErrNotAFile>(path);
  int flags = ::fcntl(raw, F_GETFL);
  if (flags == -1 || ::fcntl(raw, F_SETFL, flags & ~O_NONBLOCK) == -1)
    return Log<kQVErrFileOpen>(path);
  fd = std::move(opened);
  return 0;
}

int32_t HostResolveDocumentPath(const std::string& path, std::string& target) {
  std::string current = path;
  for (int links = 0;; ++links) {
    struct stat info;
    // Anything but a link (including nothing at all) ends the chain; what
    // cannot be examined is reported by whoever opens it.
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    if (links == kMaxLinks) return Log<kQVErrFileOpen>(path);
    // st_size of a link is its length, but may be 0 for some file systems.
    std::vector<char> buffer(info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : 4096);
    ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return Log<kQVErrFileOpen>(path);
    std::string link(buffer.data(), static_cast<size_t>(n));
    if (link[0] != '/') {
      size_t slash = current.rfind('/');
      if (slash != std::string::npos) link = current.substr(0, slash + 1) + link;
    }
    current = link;
  }
  target = current;
  return 0;
}
