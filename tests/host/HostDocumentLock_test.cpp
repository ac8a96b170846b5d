// The writers' lock on a document: one writer at a time, a bounded wait,
// and a lock that follows the document when a save replaces its file.
#include "bridge/HostDocumentLock.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "bridge/HostFd.h"
#include "bridge/HostSafeSave.h"
#include "HostTestSupport.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"

namespace {

using hosttest::ReadFile;
using hosttest::WriteFile;
using qvtest::LogCapture;

// Whether another open file description could lock path now.
bool LockableFromElsewhere(const std::string& path) {
  HostFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  return fd.IsOpen() && ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0;
}

class HostDocumentLockTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return dir.Path(name); }
  qvtest::ScratchDir dir;
};

TEST_F(HostDocumentLockTest, SecondWriterGivesUpWithTheLockedStatus) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "content");
  HostDocumentLock first;
  ASSERT_EQ(first.Acquire(doc), 0);
  EXPECT_TRUE(first.IsHeld());
  EXPECT_FALSE(LockableFromElsewhere(doc));

  HostDocumentLock second;
  LogCapture log;
  EXPECT_EQ(second.Acquire(doc, 50), kQVErrDocumentLocked);
  EXPECT_FALSE(second.IsHeld());
  EXPECT_EQ(log.All(), "### QVLib Error -708: The document \"" + doc +
                           "\" is being changed by another writer (waited 50 ms).\n");
}

TEST_F(HostDocumentLockTest, LockIsReleasedWithItsOwner) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "content");
  {
    HostDocumentLock lock;
    ASSERT_EQ(lock.Acquire(doc), 0);
  }
  EXPECT_TRUE(LockableFromElsewhere(doc));
}

TEST_F(HostDocumentLockTest, WaitingWriterLocksTheFileThatReplacedTheOneItWaitedOn) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "first");
  auto first = std::make_unique<HostDocumentLock>();
  ASSERT_EQ(first->Acquire(doc), 0);

  // The second writer is granted the old file's lock only after the first
  // replaced it: it must notice and lock the new file instead.
  std::atomic<int32_t> status{1};
  HostDocumentLock second;
  std::thread waiter([&] { status = second.Acquire(doc, 10000); });
  // Time for the waiter to open the old file and start waiting on it; were
  // it later, it would only find the new file straight away.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  {
    HostSafeSave save(doc);
    ASSERT_EQ(save.Begin(), 0);
    ASSERT_EQ(QVFileWrite(save.File(), "second", 6), 0);
    ASSERT_EQ(save.Commit(), 0);
  }
  first.reset();
  waiter.join();
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(second.IsHeld());
  EXPECT_FALSE(LockableFromElsewhere(doc));
  EXPECT_EQ(ReadFile(doc), "second");
}

TEST_F(HostDocumentLockTest, LinkedDocumentIsLockedAtItsTarget) {
  std::string target = PathOf("target.tlv");
  WriteFile(target, "content");
  ASSERT_EQ(::symlink("target.tlv", PathOf("link.tlv").c_str()), 0);
  HostDocumentLock lock;
  ASSERT_EQ(lock.Acquire(PathOf("link.tlv")), 0);
  EXPECT_EQ(lock.Target(), target);
  EXPECT_FALSE(LockableFromElsewhere(target));
}

TEST_F(HostDocumentLockTest, MissingDocumentIsAnErrorOnlyWhenItMustExist) {
  LogCapture log;
  HostDocumentLock lock;
  EXPECT_EQ(lock.Acquire(PathOf("missing.tlv")), kQVErrFileOpen);
  EXPECT_EQ(lock.AcquireIfExists(PathOf("missing.tlv")), 0);
  EXPECT_FALSE(lock.IsHeld());
}

TEST_F(HostDocumentLockTest, FifoIsRefusedWithoutWaitingForAWriter) {
  std::string fifo = PathOf("fifo.tlv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  LogCapture log;
  HostDocumentLock lock;
  EXPECT_EQ(lock.Acquire(fifo), kQVErrNotAFile);
  EXPECT_EQ(lock.AcquireIfExists(fifo), kQVErrNotAFile);
}

}  // namespace
