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
