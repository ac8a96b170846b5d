// An exclusive advisory lock on a document, held by a writer from loading
// the document to the rename that replaces it, so that two writers changing
// one document one after the other never lose either change.
//
// The lock is a flock() on the document file itself, taken on an open file
// description of our own. Saving renames a new file (a new inode) over the
// path; a writer that waited on the old inode would then hold a lock that
// no longer guards the path. So once the lock is granted, the path is
// examined again: when it names another inode by then, the lock is dropped
// and taken afresh on the file the path names now. This leaves no lock file
// beside documents (nothing to clean up, nothing to plant). Readers take no
// lock: the rename shows them either the old or the new document, whole.
#ifndef HOST_DOCUMENT_LOCK_H
#define HOST_DOCUMENT_LOCK_H

#include <cstdint>
#include <string>

#include "bridge/HostFd.h"

class HostDocumentLock {
 public:
  // How long a writer waits for another one before giving up.
  static constexpr int kDefaultWaitMs = 5000;

  HostDocumentLock() = default;
  // Releases the lock.
  ~HostDocumentLock() = default;
  HostDocumentLock(const HostDocumentLock&) = delete;
  HostDocumentLock& operator=(const HostDocumentLock&) = delete;

  // Locks the document path stands for (a symbolic link is followed to its
  // target, as HostResolveDocumentPath does), waiting at most waitMs
  // milliseconds for a writer that holds it. 0, or logged:
  // kQVErrDocumentLocked (still held after waiting), kQVErrFileOpen (no
  // such document, not permitted), kQVErrNotAFile. A lock already held is
  // released first.
  int32_t Acquire(const std::string& path, int waitMs = kDefaultWaitMs);
  // As Acquire, except that a document that does not exist yet is no error:
  // nothing is locked then (IsHeld is false), as a new document has no
  // earlier content whose changes could be lost.
  int32_t AcquireIfExists(const std::string& path, int waitMs = kDefaultWaitMs);

  bool IsHeld() const { return mFd.IsOpen(); }
  // The file locked (the resolved document path); empty when none is held.
  const std::string& Target() const { return mTarget; }

 private:
  int32_t Lock(const std::string& path, int waitMs, bool missingIsFine);

  HostFd mFd;
  std::string mTarget;
};

#endif
