// The sound-file library behind StudioSoundFile: libsndfile, on a file
// descriptor the studio opens itself, so that a missing or unreadable file
// is told apart from one the library does not understand.
#include "StudioSoundFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "kit/QVLog.h"

struct StudioSoundFile::Handle {
  SNDFILE* sound = nullptr;
  int descriptor = -1;
};

void StudioSoundFile::CloseHandle::operator()(Handle* handle) const {
  // The library was told not to close the descriptor: both are ours.
  if (handle->sound) sf_close(handle->sound);
  if (handle->descriptor >= 0) ::close(handle->descriptor);
  delete handle;
}

StudioSoundFile::StudioSoundFile() = default;
StudioSoundFile::~StudioSoundFile() = default;
StudioSoundFile::StudioSoundFile(StudioSoundFile&& other) noexcept = default;
StudioSoundFile& StudioSoundFile::operator=(StudioSoundFile&& other) noexcept = default;

template <QVStatus code>
int32_t StudioSoundFile::Fail(const char* reason) const {
  return static_cast<int32_t>(QVLogStatus<code>(mPath.c_str(), reason));
}

int32_t StudioSoundFile::Open(const std::string& path) {
  Close();
  mPath = path;
  std::unique_ptr<Handle, CloseHandle> handle(new Handle);
  // Not blocking: opening a FIFO for reading would otherwise wait for a
  // writer for ever. Only regular files are recordings.
  handle->descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (handle->descriptor < 0) return Fail<kQVErrSoundOpen>(std::strerror(errno));
  struct stat status {};
  if (::fstat(handle->descriptor, &status) != 0) return Fail<kQVErrSoundOpen>(std::strerror(errno));
  if (!S_ISREG(status.st_mode)) return Fail<kQVErrSoundFormat>("not a regular file");

  SF_INFO info{};
  handle->sound = sf_open_fd(handle->descriptor, SFM_READ, &info, SF_FALSE);
  if (!handle->sound) {
    // The library's last error is process-wide: with opens on several
    // threads at once only the reason shown may belong to another file.
    return Fail<kQVErrSoundFormat>(sf_strerror(nullptr));
  }
  if (info.channels < 1 || info.channels > kMaxChannels) {
    return Fail<kQVErrSoundFormat>("unsupported channel count");
  }
  if (info.samplerate < 1) return Fail<kQVErrSoundFormat>("no sample rate");
  mFile = std::move(handle);
  mFrames = info.frames > 0 ? info.frames : 0;
  mSampleRate = info.samplerate;
  mChannels = info.channels;
  return 0;
}

void StudioSoundFile::Close() {
  mFile.reset();
  mFrames = 0;
  mSampleRate = 0;
  mChannels = 0;
}

int32_t StudioSoundFile::Seek(int64_t frame) {
  if (!mFile) return Fail<kQVErrSoundRead>("not open");
  if (frame < 0) return Fail<kQVErrSoundRead>("seek before the start");
  if (sf_seek(mFile->sound, frame, SEEK_SET) != frame) {
    return Fail<kQVErrSoundRead>(sf_strerror(mFile->sound));
  }
  return 0;
}

int32_t StudioSoundFile::Read(float* samples, int64_t frames, int64_t& read) {
  read = 0;
  if (!mFile) return Fail<kQVErrSoundRead>("not open");
  if (frames <= 0) return 0;
  sf_count_t got = sf_readf_float(mFile->sound, samples, frames);
  read = got > 0 ? got : 0;
  // A short read is the end of the data unless the library kept an error.
  // The library flags an error in the call that met it, even one that still
  // filled the block (a FLAC decoder that lost sync and found it again), and
  // forgets it at the next call: so it fails any read, or whether a damaged
  // file reads would depend on the block size asked.
  if (sf_error(mFile->sound) != SF_ERR_NO_ERROR) {
    return Fail<kQVErrSoundRead>(sf_strerror(mFile->sound));
  }
  return 0;
}
