// The sound-file library behind StudioSoundFile: libsndfile, on a file
// descriptor the studio opens itself, so that a missing or unreadable file
// is told apart from one the library does not understand.
#include "StudioSoundFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "kit/QVLog.h"

namespace {

// 16-bit samples read at a time: 128 KiB, a few system calls a second of
// sound, small enough to stay in the processor's cache for the scaling.
constexpr int64_t kShortBlockSamples = 65536;

// Built for the baseline and for processors with AVX2 (chosen when the
// program starts), whose wider conversions halve the pass.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("arch=x86-64-v3", "default")))
#endif
void ShortsToFloats(const int16_t* __restrict from, float* __restrict to, int64_t count) {
  // A power of two: the products are exact, as the library's are.
  for (int64_t i = 0; i < count; ++i) to[i] = static_cast<float>(from[i]) * (1.0f / 32768.0f);
}

}  // namespace

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
  mShorts = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  return 0;
}

void StudioSoundFile::Close() {
  mFile.reset();
  mFrames = 0;
  mSampleRate = 0;
  mChannels = 0;
  mShorts = false;
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
  // A short read is the end of the data unless the library kept an error.
  // The library flags an error in the call that met it, even one that still
  // filled the block (a FLAC decoder that lost sync and found it again), and
  // forgets it at the next call: so it fails any read, or whether a damaged
  // file reads would depend on the block size asked.
  if (!mShorts) {
    sf_count_t got = sf_readf_float(mFile->sound, samples, frames);
    read = got > 0 ? got : 0;
    if (sf_error(mFile->sound) != SF_ERR_NO_ERROR) {
      return Fail<kQVErrSoundRead>(sf_strerror(mFile->sound));
    }
    return 0;
  }
  const int64_t blockFrames = std::max<int64_t>(kShortBlockSamples / mChannels, 1);
  mShortBlock.resize(static_cast<size_t>(blockFrames * mChannels));
  while (read < frames) {
    const int64_t want = std::min(blockFrames, frames - read);
    sf_count_t got = sf_readf_short(mFile->sound, mShortBlock.data(), want);
    if (got > 0) {
      ShortsToFloats(mShortBlock.data(), samples + read * mChannels, got * mChannels);
      read += got;
    }
    if (sf_error(mFile->sound) != SF_ERR_NO_ERROR) {
      return Fail<kQVErrSoundRead>(sf_strerror(mFile->sound));
    }
    if (got < want) break;
  }
  return 0;
}
