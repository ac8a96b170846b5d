// Replacing documents: a temporary file of our own beside the document,
// made durable, renamed over the document with its mode and owner; never a
// planted file followed, never a temporary file left behind.
#include "bridge/HostSafeSave.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"

namespace {

using hosttest::FolderNames;
using hosttest::ReadFile;
using hosttest::StatOf;
using hosttest::WriteFile;
using qvtest::LogCapture;

// Saves bytes over path; the status of the first step that failed.
int32_t SaveBytes(const std::string& path, const std::string& bytes) {
  HostSafeSave save(path);
  int32_t status = save.Begin();
  if (status == 0) status = static_cast<int32_t>(QVFileWrite(save.File(), bytes.data(), bytes.size()));
  if (status == 0) status = save.Commit();
  return status;
}

class HostSafeSaveTest : public ::testing::Test {
 protected:
  void TearDown() override { HostSafeSave::SetSystemCallsForTesting(nullptr); }
  std::string PathOf(const std::string& name) const { return dir.Path(name); }
  qvtest::ScratchDir dir;
};

TEST_F(HostSafeSaveTest, TemporaryFileIsNewPrivateAndBesideTheDocument) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "old");
  HostSafeSave save(doc);
  ASSERT_EQ(save.Begin(), 0);
  const std::string temporary = save.TemporaryPath();
  EXPECT_EQ(temporary.rfind(dir.Dir() + "/.doc.tlv.saving-", 0), 0u) << temporary;
  EXPECT_EQ(temporary.size(), doc.size() + 1 + 8 + 8);
  struct stat info = StatOf(temporary);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ASSERT_EQ(QVFileWrite(save.File(), "new", 3), 0);
  ASSERT_EQ(save.Commit(), 0);
  EXPECT_EQ(ReadFile(doc), "new");
  EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"doc.tlv"}));
}

TEST_F(HostSafeSaveTest, PlantedLinksAreNeverFollowed) {
  // Anyone who may write the folder plants links at the old fixed name and
  // at names of the temporary pattern; none of them is written through.
  std::string victim = PathOf("victim");
  WriteFile(victim, "precious");
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "old");
  std::vector<std::string> planted = {"doc.tlv.saving", ".doc.tlv.saving-", ".doc.tlv.saving-aaaaaaaa"};
  for (const std::string& name : planted) ASSERT_EQ(::symlink(victim.c_str(), PathOf(name).c_str()), 0);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(SaveBytes(doc, "new " + std::to_string(i)), 0);
  EXPECT_EQ(ReadFile(doc), "new 19");
  EXPECT_EQ(ReadFile(victim), "precious");
  for (const std::string& name : planted) EXPECT_TRUE(S_ISLNK(StatOf(PathOf(name)).st_mode)) << name;
  EXPECT_EQ(FolderNames(dir.Dir()).size(), planted.size() + 2);
}

TEST_F(HostSafeSaveTest, ReadOnlyDocumentIsRefusedAndKeptAsItWas) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "old");
  ASSERT_EQ(::chmod(doc.c_str(), 0444), 0);
  LogCapture log;
  EXPECT_EQ(SaveBytes(doc, "new"), kQVErrDocumentReadOnly);
  EXPECT_EQ(log.All(), "### QVLib Error -709: The document \"" + doc + "\" is read-only.\n");
  EXPECT_EQ(ReadFile(doc), "old");
  EXPECT_EQ(StatOf(doc).st_mode & 07777, 0444u);
  EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"doc.tlv"}));
}

TEST_F(HostSafeSaveTest, ModeOwnerAndGroupOfTheDocumentAreKept) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "old");
  ASSERT_EQ(::chmod(doc.c_str(), 0640), 0);
  // Giving the file away needs root; elsewhere the owner stays ours anyway.
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(doc.c_str(), 4321, 8765), 0);
  }
  const struct stat before = StatOf(doc);
  ASSERT_EQ(SaveBytes(doc, "new"), 0);
  const struct stat after = StatOf(doc);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  if (root) {
    EXPECT_EQ(after.st_uid, 4321u);
  }
}

TEST_F(HostSafeSaveTest, NewDocumentTakesTheUsualModeUnderTheUmask) {
  mode_t previous = ::umask(027);
  int32_t status = SaveBytes(PathOf("new.tlv"), "new");
  ::umask(previous);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(StatOf(PathOf("new.tlv")).st_mode & 07777, 0640u);
}

TEST_F(HostSafeSaveTest, SymbolicLinkIsKeptAndItsTargetReplaced) {
  ASSERT_EQ(::mkdir(PathOf("real").c_str(), 0700), 0);
  std::string target = PathOf("real/doc.tlv");
  WriteFile(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
  // A relative link, reached through a second link.
  ASSERT_EQ(::symlink("real/doc.tlv", PathOf("link.tlv").c_str()), 0);
  ASSERT_EQ(::symlink("link.tlv", PathOf("link2.tlv").c_str()), 0);
  HostSafeSave save(PathOf("link2.tlv"));
  ASSERT_EQ(save.Begin(), 0);
  EXPECT_EQ(save.Target(), PathOf("real/doc.tlv"));
  EXPECT_EQ(save.TemporaryPath().rfind(PathOf("real/.doc.tlv.saving-"), 0), 0u);
  ASSERT_EQ(QVFileWrite(save.File(), "new", 3), 0);
  ASSERT_EQ(save.Commit(), 0);
  EXPECT_TRUE(S_ISLNK(StatOf(PathOf("link.tlv")).st_mode));
  EXPECT_TRUE(S_ISLNK(StatOf(PathOf("link2.tlv")).st_mode));
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(StatOf(target).st_mode & 07777, 0604u);
  EXPECT_EQ(FolderNames(PathOf("real")), (std::vector<std::string>{"doc.tlv"}));
}

TEST_F(HostSafeSaveTest, LinkToNowhereGetsItsTargetCreated) {
  ASSERT_EQ(::symlink("made.tlv", PathOf("dangling.tlv").c_str()), 0);
  ASSERT_EQ(SaveBytes(PathOf("dangling.tlv"), "new"), 0);
  EXPECT_TRUE(S_ISLNK(StatOf(PathOf("dangling.tlv")).st_mode));
  EXPECT_EQ(ReadFile(PathOf("made.tlv")), "new");
}

TEST_F(HostSafeSaveTest, LinkLoopIsRefused) {
  ASSERT_EQ(::symlink("b.tlv", PathOf("a.tlv").c_str()), 0);
  ASSERT_EQ(::symlink("a.tlv", PathOf("b.tlv").c_str()), 0);
  LogCapture log;
  EXPECT_EQ(SaveBytes(PathOf("a.tlv"), "new"), kQVErrFileOpen);
  EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"a.tlv", "b.tlv"}));
}

// ---- Durability: failing fsync and close calls, from a seam.

struct Calls {
  static int fsyncCalls;
  static int failingFsync;  // the call number that fails (from 1), 0 for none
  static bool failClose;
  static int Fsync(int fd) {
    if (++fsyncCalls == failingFsync) {
      errno = EIO;
      return -1;
    }
    return ::fsync(fd);
  }
  static int Close(int fd) {
    int rc = ::close(fd);
    if (failClose) {
      errno = EIO;
      return -1;
    }
    return rc;
  }
};
int Calls::fsyncCalls = 0;
int Calls::failingFsync = 0;
bool Calls::failClose = false;
const HostSaveSystemCalls kSeam = {&Calls::Fsync, &Calls::Close};

TEST_F(HostSafeSaveTest, FailingFsyncOrCloseFailsTheSaveAndLeavesTheOldDocument) {
  struct Case {
    const char* name;
    int failingFsync;
    bool failClose;
  } cases[] = {{"fsync of the file", 1, false}, {"close of the file", 0, true}};
  std::string doc = PathOf("doc.tlv");
  HostSafeSave::SetSystemCallsForTesting(&kSeam);
  for (const Case& c : cases) {
    WriteFile(doc, "old");
    Calls::fsyncCalls = 0;
    Calls::failingFsync = c.failingFsync;
    Calls::failClose = c.failClose;
    LogCapture log;
    EXPECT_EQ(SaveBytes(doc, "new"), kQVErrFileWrite) << c.name;
    EXPECT_EQ(ReadFile(doc), "old") << c.name;
    EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"doc.tlv"})) << c.name;
    EXPECT_NE(log.All().find("-976: Can't write to file \"" + dir.Dir() + "/.doc.tlv.saving-"),
              std::string::npos)
        << log.All();
  }
}

TEST_F(HostSafeSaveTest, FileAndThenFolderAreSynced) {
  std::string doc = PathOf("doc.tlv");
  HostSafeSave::SetSystemCallsForTesting(&kSeam);
  Calls::fsyncCalls = 0;
  Calls::failingFsync = 0;
  Calls::failClose = false;
  ASSERT_EQ(SaveBytes(doc, "new"), 0);
  EXPECT_EQ(Calls::fsyncCalls, 2);

  // The folder's fsync comes after the rename: the new document is in
  // place, but the save says it may not last.
  Calls::fsyncCalls = 0;
  Calls::failingFsync = 2;
  LogCapture log;
  EXPECT_EQ(SaveBytes(doc, "newer"), kQVErrFileWrite);
  EXPECT_EQ(ReadFile(doc), "newer");
  EXPECT_NE(log.All().find("could not be synced"), std::string::npos) << log.All();
}

TEST_F(HostSafeSaveTest, BytesThatCannotBeFlushedFailTheSaveAndLeaveTheOldDocument) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "old");
  int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  // The device syncs as a disk would: only the flush can stop the save.
  const HostSaveSystemCalls syncing = {[](int) { return 0; }, [](int fd) { return ::close(fd); }};
  HostSafeSave::SetSystemCallsForTesting(&syncing);
  {
    HostSafeSave save(doc);
    ASSERT_EQ(save.Begin(), 0);
    // The temporary file's descriptor now leads to a full device: the write
    // is held back by the file and fails only when it is flushed.
    const int fd = save.File().Descriptor();
    ASSERT_EQ(::dup2(full, fd), fd);
    ASSERT_EQ(QVFileWrite(save.File(), "new", 3), 0);
    LogCapture log;
    EXPECT_EQ(save.Commit(), kQVErrFileWrite);
    EXPECT_EQ(log.All(),
              "### QVLib Error -976: Can't write to file \"" + save.TemporaryPath() + "\".\n");
  }
  ::close(full);
  EXPECT_EQ(ReadFile(doc), "old");
  EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"doc.tlv"}));
}

TEST_F(HostSafeSaveTest, SaveLeftWithoutCommitRemovesItsTemporaryFile) {
  std::string doc = PathOf("doc.tlv");
  WriteFile(doc, "old");
  std::string temporary;
  {
    HostSafeSave save(doc);
    ASSERT_EQ(save.Begin(), 0);
    temporary = save.TemporaryPath();
    ASSERT_EQ(QVFileWrite(save.File(), "half", 4), 0);
  }
  EXPECT_EQ(::access(temporary.c_str(), F_OK), -1);
  EXPECT_EQ(ReadFile(doc), "old");
}

TEST_F(HostSafeSaveTest, MissingFolderIsReportedWithTheTemporaryName) {
  LogCapture log;
  EXPECT_EQ(SaveBytes(PathOf("no/such/doc.tlv"), "new"), kQVErrFileOpen);
  EXPECT_NE(log.All().find("/no/such/.doc.tlv.saving-"), std::string::npos) << log.All();
}

// ---- Signals: the handler removes the file in flight, then the program dies
// of the signal.

int sSignalToRaise = 0;
int RaiseWhileSyncing(int fd) {
  (void)fd;
  ::raise(sSignalToRaise);
  return 0;
}
int PlainClose(int fd) { return ::close(fd); }
const HostSaveSystemCalls kSignalSeam = {&RaiseWhileSyncing, &PlainClose};

using HostSafeSaveDeathTest = HostSafeSaveTest;

TEST_F(HostSafeSaveDeathTest, TerminatingSignalDuringASaveLeavesNoTemporaryFile) {
  std::string doc = PathOf("doc.tlv");
  for (int signal : {SIGTERM, SIGINT}) {
    WriteFile(doc, "old");
    EXPECT_EXIT(
        {
          HostSafeSave::InstallSignalHandlers();
          sSignalToRaise = signal;
          HostSafeSave::SetSystemCallsForTesting(&kSignalSeam);
          SaveBytes(doc, "new");
          std::exit(0);
        },
        ::testing::KilledBySignal(signal), "");
    EXPECT_EQ(ReadFile(doc), "old");
    EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"doc.tlv"})) << signal;
  }
}

}  // namespace
