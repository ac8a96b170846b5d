#include "kit/platform/QVSystem_p.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <uuid/uuid.h>

#include <cerrno>
#include <climits>

namespace QVSystem {

EntryKind GetEntryKind(const char* path, uint64_t* size) {
  if (size) *size = 0;
  struct stat info;
  if (!path || stat(path, &info) != 0) return EntryKind::kMissing;
  if (S_ISDIR(info.st_mode)) return EntryKind::kDirectory;
  if (!S_ISREG(info.st_mode)) return EntryKind::kOther;
  if (size) *size = static_cast<uint64_t>(info.st_size);
  return EntryKind::kFile;
}

bool HasPermission(const char* path, Permission permission) {
  int mode = permission == Permission::kRead ? R_OK : permission == Permission::kWrite ? W_OK : X_OK;
  return path && access(path, mode) == 0;
}

int Open(const char* path, OpenMode mode, int* error) {
  int flags = O_CLOEXEC;
  mode_t permissions = 0644;
  switch (mode) {
    case OpenMode::kRead: flags |= O_RDONLY; break;
    case OpenMode::kReadWrite: flags |= O_RDWR; break;
    case OpenMode::kCreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case OpenMode::kCreateExclusive:
      flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
      permissions = 0600;
      break;
  }
  int fd;
  do {
    fd = path ? ::open(path, flags, permissions) : -1;
  } while (fd < 0 && path && errno == EINTR);
  if (fd < 0 && error) *error = path ? errno : EINVAL;
  return fd;
}

bool IsAlreadyExists(int error) { return error == EEXIST; }

bool Close(int fd) { return ::close(fd) == 0 || errno == EINTR; }

long ReadAt(int fd, void* buffer, size_t length, uint64_t pos) {
  for (;;) {
    ssize_t done = ::pread(fd, buffer, length, static_cast<off_t>(pos));
    if (done < 0 && errno == EINTR) continue;
    return static_cast<long>(done);
  }
}

long WriteAt(int fd, const void* bytes, size_t length, uint64_t pos) {
  for (;;) {
    ssize_t done = ::pwrite(fd, bytes, length, static_cast<off_t>(pos));
    if (done < 0 && errno == EINTR) continue;
    return static_cast<long>(done);
  }
}

bool GetDescriptorSize(int fd, uint64_t& size) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool GetPathSize(const char* path, uint64_t& size) {
  struct stat info;
  if (!path || ::stat(path, &info) != 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool SetDescriptorSize(int fd, uint64_t size) {
  int rc;
  do {
    rc = ::ftruncate(fd, static_cast<off_t>(size));
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

bool RemoveFile(const char* path) { return path && unlink(path) == 0; }

bool GetExecutablePath(std::string& path) {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  // A result that fills the buffer may have been cut short.
  if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer)) return false;
  path.assign(buffer, static_cast<size_t>(n));
  return true;
}

size_t GetPageSize() {
  long size = ::sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<size_t>(size) : 4096u;
}

const void* MapForReading(int fd, uint64_t offset, size_t length, int* error) {
  void* address = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(offset));
  if (address == MAP_FAILED) {
    if (error) *error = errno;
    return nullptr;
  }
  return address;
}

void Unmap(const void* address, size_t length) { ::munmap(const_cast<void*>(address), length); }

std::string GenerateUUID() {
  uuid_t uuid;
  uuid_generate(uuid);
  char text[37];
  uuid_unparse_upper(uuid, text);
  return std::string(text);
}

}  // namespace QVSystem
