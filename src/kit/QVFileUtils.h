// QVFileUtils: questions about the file system, free file names and the
// process's well-known directories.
//
// Every query converts the path to the system's form first
// (GetAsSystemPath); a path that cannot be converted answers false (or its
// error). The directory paths are computed on first use and kept for the life
// of the process; the counter behind proposed file names is process-wide.
// Nothing here is locked: call from the host's thread.
#ifndef QV_FILE_UTILS_H
#define QV_FILE_UTILS_H

#include <cstdint>

#include "kit/QVFilePath.h"

// Size of the buffer GetAsSystemPath fills, terminator included.
constexpr uint32_t kQVSystemPathMax = 1024;

class QVFileUtils {
 public:
  QVFileUtils() = delete;

  // The path names a directory; and the process may read / write it.
  static bool DirExists(const QVFilePath& path);
  static bool DirIsReadable(const QVFilePath& path);
  static bool DirIsWritable(const QVFilePath& path);

  // The path names a regular file (links are followed); and the process may
  // read / write / execute it.
  static bool FileExists(const QVFilePath& path);
  static bool FileIsReadable(const QVFilePath& path);
  static bool FileIsWritable(const QVFilePath& path);
  static bool FileIsExecutable(const QVFilePath& path);

  // Size in bytes of a regular file. Anything else (missing, directory,
  // unconvertible path) gives kQVErrNotAFile (-987) and size 0, without a
  // log line.
  [[nodiscard]] static long GetFileSize(const QVFilePath& path, uint64_t& size);

  // Deletes a file (never a directory). True on success.
  static bool RemoveFile(const QVFilePath& path);

  // Writes into buffer (at least kQVSystemPathMax bytes) the path as the
  // system expects it: UTF-8, NUL-terminated. The form is the same for files
  // and directories here; isDirectory states what the caller expects the
  // path to name. An empty path, a null buffer, a path whose UTF-8 form
  // needs more than kQVSystemPathMax bytes or holds a NUL byte give false and
  // (when there is a buffer) an empty buffer.
  static bool GetAsSystemPath(char* buffer, const QVFilePath& path, bool isDirectory);

  // Proposes a name dir + prefix + counter ("%s%s%04ld") under which no
  // regular file exists; a directory of that name does not block it. dir is
  // expected to end in "/". An empty prefix means "tmp_"; an empty dir means
  // the temporary directory. Nothing is created, so the name is only free at
  // the moment of the call. A name that cannot be converted to the system's
  // form gives the empty path.
  static QVFilePath GetAvailableFilePath(const QVFilePath& dir, const QVString& prefix);

  // The system's temporary directory ($TMPDIR when set and not empty, else
  // the C library's default), ending in "/".
  static const QVFilePath& GetTemporaryDirPath();
  // A free name with the prefix "tmp_" in the temporary directory.
  static QVFilePath GetTemporaryFilePath();
  // The running application's resources directory and the directory that
  // holds the application, both ending in "/" (empty when the executable
  // cannot be located).
  static const QVFilePath& GetResourcesDirPath();
  static const QVFilePath& GetApplicationDirPath();

  // The file system keeps no four-character type and creator codes here:
  // both always give kQVErrGeneric (-1); the getter sets type and creator
  // to 0.
  [[nodiscard]] static long GetFileTypeAndCreator(const QVFilePath& path, uint32_t& type, uint32_t& creator);
  [[nodiscard]] static long SetFileTypeAndCreator(const QVFilePath& path, uint32_t type, uint32_t creator);
};

#endif
