#include "bridge/HostSafeSave.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "bridge/HostFd.h"
#include "bridge/HostFiles_p.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"
#include "kit/QVLog.h"

namespace {

// Fresh names tried before giving up: each clash means another file took
// the name first, which random names make rare.
constexpr int kCreateAttempts = 100;
constexpr size_t kRandomLetters = 8;
const char kSavingInfix[] = ".saving-";
// A file name may hold NAME_MAX bytes: a long document name is shortened
// in its temporary name to leave room for the dot and the suffix.
constexpr size_t kMaxNameKept = NAME_MAX - 1 - (sizeof kSavingInfix - 1) - kRandomLetters;

int RealFsync(int fd) { return ::fsync(fd); }
int RealClose(int fd) { return ::close(fd); }
const HostSaveSystemCalls kSystemCalls = {&RealFsync, &RealClose};
const HostSaveSystemCalls* sCalls = &kSystemCalls;

// The temporary file in flight, for the signal handler: a fixed buffer and a
// flag, the only state an async-signal-safe handler may read.
char sInFlightPath[PATH_MAX];
volatile sig_atomic_t sInFlight = 0;

// Only async-signal-safe calls: unlink, signal, raise.
void OnTerminatingSignal(int signal) {
  int savedErrno = errno;
  if (sInFlight) ::unlink(sInFlightPath);
  // Dies of the signal once this handler returns (it is blocked meanwhile).
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  errno = savedErrno;
}

// SIGINT and SIGTERM held back while the temporary file and the in-flight
// record change together, so that a signal never finds one without the other.
class TerminatingSignalsHeld {
 public:
  TerminatingSignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_BLOCK, &set, &mPrevious);
  }
  ~TerminatingSignalsHeld() { sigprocmask(SIG_SETMASK, &mPrevious, nullptr); }
  TerminatingSignalsHeld(const TerminatingSignalsHeld&) = delete;
  TerminatingSignalsHeld& operator=(const TerminatingSignalsHeld&) = delete;

 private:
  sigset_t mPrevious;
};

// Logs code, whose message takes the path alone, and returns it.
template <QVStatus code>
int32_t Log(const std::string& path) {
  return static_cast<int32_t>(QVLogStatus<code>(path.c_str()));
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomLetters() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[kRandomLetters];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // Without the system's randomness the exclusive create still keeps
    // names unique; they only become easier to guess.
    uint64_t seed =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= static_cast<uint64_t>(::getpid()) << 32;
    for (unsigned char& b : bytes) {
      seed = seed * 6364136223846793005ull + 1442695040888963407ull;
      b = static_cast<unsigned char>(seed >> 56);
    }
  }
  std::string letters;
  for (unsigned char b : bytes) letters += kLetters[b % (sizeof kLetters - 1)];
  return letters;
}

// Whether the user may replace the document: write permission as the
// system grants it; for root, which the system never refuses, at least one
// write permission bit.
bool MayWrite(const std::string& path, const struct stat& info) {
  if (::geteuid() == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

mode_t NewDocumentMode() {
  // umask can only be read by setting it; the host has a single thread.
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

HostSafeSave::HostSafeSave(const std::string& path) : mPath(path) {}

HostSafeSave::~HostSafeSave() {
  if (!mCommitted) RemoveTemporary();
}

void HostSafeSave::RemoveTemporary() {
  // Closed first: the file is gone for good once its last descriptor is.
  mFile.reset();
  if (mTemporary.empty()) return;
  TerminatingSignalsHeld held;
  ::unlink(mTemporary.c_str());
  sInFlight = 0;
  mTemporary.clear();
}

int32_t HostSafeSave::Begin() {
  if (mFile) return Log<kQVErrFileAlreadyOpened>(mTemporary);
  int32_t status = CheckTarget();
  return status ? status : CreateTemporary();
}

int32_t HostSafeSave::CheckTarget() {
  if (mPath.empty()) return Log<kQVErrFileOpen>(mPath);
  int32_t status = HostResolveDocumentPath(mPath, mTarget);
  if (status != 0) return status;
  if (::lstat(mTarget.c_str(), &mTargetInfo) != 0) {
    if (errno != ENOENT) return Log<kQVErrFileOpen>(mPath);
    mTargetExists = false;
    return 0;
  }
  // A directory, a FIFO or a device at the path would be replaced by a
  // plain file, or would make the rename fail after all the work.
  if (!S_ISREG(mTargetInfo.st_mode)) return Log<kQVErrNotAFile>(mPath);
  if (!MayWrite(mTarget, mTargetInfo)) return Log<kQVErrDocumentReadOnly>(mPath);
  mTargetExists = true;
  return 0;
}

int32_t HostSafeSave::CreateTemporary() {
  std::string name = NameOf(mTarget);
  if (name.size() > kMaxNameKept) name.resize(kMaxNameKept);
  const std::string stem = FolderOf(mTarget) + "/." + name + kSavingInfix;
  if (stem.size() + kRandomLetters >= sizeof sInFlightPath) return Log<kQVErrFileOpen>(mPath);

  std::string candidate;
  int fd = -1;
  for (int attempt = 0; attempt < kCreateAttempts && fd < 0; ++attempt) {
    candidate = stem + RandomLetters();
    TerminatingSignalsHeld held;
    do {
      fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      std::memcpy(sInFlightPath, candidate.c_str(), candidate.size() + 1);
      sInFlight = 1;
      mTemporary = candidate;
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (fd < 0) return Log<kQVErrFileOpen>(candidate);

  mFile = std::make_unique<QVFile>(QVFilePath(mTemporary.c_str()));
  return static_cast<int32_t>(mFile->AdoptDescriptor(fd, true));
}

int32_t HostSafeSave::Commit() {
  if (!mFile || mCommitted) return Log<kQVErrFileNotOpened>(mTemporary);
  // The file holds back what was written until it is flushed: bytes that
  // cannot be written now (a full disk) fail the save before anything else.
  const long flushed = mFile->Flush();
  int fd = -1;
  const long released = mFile->ReleaseDescriptor(fd);
  mFile.reset();
  if (fd < 0) return Log<kQVErrFileNotOpened>(mTemporary);
  if (flushed != 0 || released != 0) {
    // Logged by the file; the temporary file goes with this save.
    HostFd discarded(fd);
    return static_cast<int32_t>(flushed != 0 ? flushed : released);
  }

  mode_t mode = NewDocumentMode();
  if (mTargetExists) {
    // Owner and group first: changing them clears set-user and set-group
    // bits that the mode then puts back. A user who may not give the file
    // away may still give it a group of theirs; failing both keeps ours.
    if (::fchown(fd, mTargetInfo.st_uid, mTargetInfo.st_gid) != 0) {
      (void)::fchown(fd, static_cast<uid_t>(-1), mTargetInfo.st_gid);
    }
    mode = mTargetInfo.st_mode & 07777;
  }
  bool durable = ::fchmod(fd, mode) == 0;
  durable = sCalls->fsync(fd) == 0 && durable;
  // Closed whatever happened: some file systems report write errors only here.
  durable = sCalls->close(fd) == 0 && durable;
  if (!durable) return Log<kQVErrFileWrite>(mTemporary);

  {
    TerminatingSignalsHeld held;
    if (::rename(mTemporary.c_str(), mTarget.c_str()) != 0) return Log<kQVErrFileWrite>(mTarget);
    sInFlight = 0;
    mCommitted = true;
  }
  // The rename itself lives in the folder.
  const std::string folder = FolderOf(mTarget);
  HostFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.IsOpen() || sCalls->fsync(dir.Get()) != 0) {
    return static_cast<int32_t>(
        QVLogError(kQVErrFileWrite,
                   "The document \"%s\" was replaced, but its folder \"%s\" could not be synced",
                   mTarget.c_str(), folder.c_str()));
  }
  return 0;
}

void HostSafeSave::InstallSignalHandlers() {
  for (int signal : {SIGINT, SIGTERM}) {
    struct sigaction previous;
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = &OnTerminatingSignal;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

void HostSafeSave::SetSystemCallsForTesting(const HostSaveSystemCalls* calls) {
  sCalls = calls ? calls : &kSystemCalls;
}
