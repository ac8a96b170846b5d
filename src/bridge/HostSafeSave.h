// Replacing a document on disk without ever leaving half of one, and
// without writing through any file but the document's own replacement:
//
//   1. The document path is resolved: when it is a symbolic link, the file
//      it leads to is what gets replaced, and the link stays a link.
//   2. An existing document must be a regular file (kQVErrNotAFile) that the
//      user may write (kQVErrDocumentReadOnly; root too is refused a
//      document that has no write permission for anyone, as editors do).
//   3. Begin creates a file of a fresh name in the document's folder,
//      ".<name>.saving-XXXXXXXX" (eight random letters and digits),
//      exclusively and without following a link planted at that name
//      (O_CREAT | O_EXCL | O_NOFOLLOW), with mode 0600 while it is written.
//   4. Commit flushes what File() still holds back, gives the file the
//      document's mode and, where permitted, its owner and group (a new
//      document gets 0666 less the umask), fsyncs and closes it (a failure
//      of the flush, the fsync or the close fails the save), renames it
//      over the document and fsyncs the folder.
//
// Until the rename, any failure, and the end of the HostSafeSave without a
// Commit, removes the temporary file and leaves the document as it was.
// With the signal handlers installed, so does SIGINT or SIGTERM: the
// handler removes the file in flight and the program then dies of the
// signal as it would have.
//
// Paths are bytes, as in HostFiles.h. Status codes are logged where they
// arise: kQVErrFileOpen (path or temporary file), kQVErrNotAFile,
// kQVErrDocumentReadOnly, kQVErrFileWrite (writing or flushing, fsync,
// close, rename).
#ifndef HOST_SAFE_SAVE_H
#define HOST_SAFE_SAVE_H

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

class QVFile;

// The calls that make a saved file durable, replaceable in tests.
struct HostSaveSystemCalls {
  int (*fsync)(int fd);
  // Must release the descriptor whatever it answers, as close() does.
  int (*close)(int fd);
};

class HostSafeSave {
 public:
  // path: the document as named by the user.
  explicit HostSafeSave(const std::string& path);
  // Without a successful Commit: closes and removes the temporary file.
  ~HostSafeSave();
  HostSafeSave(const HostSafeSave&) = delete;
  HostSafeSave& operator=(const HostSafeSave&) = delete;

  // Steps 1 to 3: File() is then open for writing at position 0.
  [[nodiscard]] int32_t Begin();
  // The temporary file being written; only between Begin and Commit.
  QVFile& File() { return *mFile; }
  // Step 4. On failure before the rename the document is untouched and the
  // temporary file is gone. A failing folder fsync after the rename is
  // reported too (kQVErrFileWrite): the new document is in place but may
  // not survive a crash of the machine.
  [[nodiscard]] int32_t Commit();

  // The file replaced (the resolved path) and the temporary name, once Begin
  // has chosen them.
  const std::string& Target() const { return mTarget; }
  const std::string& TemporaryPath() const { return mTemporary; }

  // SIGINT and SIGTERM handlers that remove the temporary file in flight
  // (one save at a time per process is guarded) and then die of the signal.
  // A signal the process ignores stays ignored.
  static void InstallSignalHandlers();
  // Test seam: null puts the system's fsync and close back.
  static void SetSystemCallsForTesting(const HostSaveSystemCalls* calls);

 private:
  [[nodiscard]] int32_t CheckTarget();
  [[nodiscard]] int32_t CreateTemporary();
  void RemoveTemporary();

  std::string mPath;
  std::string mTarget;
  std::string mTemporary;
  std::unique_ptr<QVFile> mFile;
  bool mTargetExists = false;
  struct stat mTargetInfo {};
  bool mCommitted = false;
};

#endif
