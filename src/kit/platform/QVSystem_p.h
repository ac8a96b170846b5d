// The kit's reach into the operating system: kinds, permissions and sizes of
// file-system entries, removal, the running executable, memory mapping and
// UUIDs. Internal to the kit; the only kit file that includes system headers
// for these.
//
// Paths are the system's own: NUL-terminated UTF-8 (see
// QVFileUtils::GetAsSystemPath). Answers are plain values and errno numbers;
// the callers turn failures into kit status codes and log them.
#ifndef QV_SYSTEM_P_H
#define QV_SYSTEM_P_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace QVSystem {

enum class EntryKind { kMissing, kFile, kDirectory, kOther };

// What the path names, symbolic links followed; kMissing when it cannot be
// examined. size (may be null) receives a file's size in bytes, else 0.
EntryKind GetEntryKind(const char* path, uint64_t* size);

// Permission checks for the real user, as access(2): false when the path
// cannot be examined.
enum class Permission { kRead, kWrite, kExecute };
bool HasPermission(const char* path, Permission permission);

// Opening files, close-on-exec, interrupted calls retried. Open answers the
// descriptor, or -1 with errno in *error (may be null).
enum class OpenMode {
  kRead,             // an existing file, for reading
  kReadWrite,        // an existing file, for reading and writing
  kCreateTruncate,   // created (0644 less the umask) or emptied, read and write
  kCreateExclusive,  // a new file only (never through a link), 0600, read and write
};
int Open(const char* path, OpenMode mode, int* error);
// Whether an Open error says the name is taken.
bool IsAlreadyExists(int error);
// Closes a descriptor; Linux releases it even when close reports EINTR, so
// it is not retried. False when close reported an error other than EINTR
// (some file systems report write errors only then).
bool Close(int fd);

// Reads or writes up to length bytes at offset pos without moving the
// descriptor's position, retrying interrupted calls. The count moved (0 for
// reading at the end), or -1 on failure.
long ReadAt(int fd, void* buffer, size_t length, uint64_t pos);
long WriteAt(int fd, const void* bytes, size_t length, uint64_t pos);
// The size of an open file; false when the system cannot tell.
bool GetDescriptorSize(int fd, uint64_t& size);
// The size of the entry at path whatever its kind; false when it cannot be
// examined.
bool GetPathSize(const char* path, uint64_t& size);
// Cuts or extends an open file to size bytes (interrupted calls retried).
bool SetDescriptorSize(int fd, uint64_t size);

// Removes a file (not a directory); false when it could not be removed.
bool RemoveFile(const char* path);

// The running executable's absolute path; false when the system does not tell
// or the path is longer than the system's limit.
bool GetExecutablePath(std::string& path);

// The granularity of mapping offsets in bytes (the page size; 4096 when the
// system does not tell).
size_t GetPageSize();

// Maps length bytes of the open descriptor fd from offset (a multiple of the
// page size) for reading, shared. Null on failure, with errno in *error.
const void* MapForReading(int fd, uint64_t offset, size_t length, int* error);
// Releases a mapping made by MapForReading.
void Unmap(const void* address, size_t length);

// A fresh random UUID in upper-case text form (36 characters).
std::string GenerateUUID();

}  // namespace QVSystem

#endif
