// A recording opened for reading through the platform's sound-file library:
// WAV, AIFF, FLAC, Ogg/Vorbis, Opus and MP3 as it decodes them, read as
// 32-bit float frames (integer formats scaled to [-1, 1)). 16-bit recordings,
// the commonest, are read as 16-bit integers in large blocks and scaled here
// (value / 32768, the library's own float values), which skips the library's
// small-buffer conversion.
//
// Status codes (kit/QVErrors.h), each logged with the file's path where
// detected:
//   kQVErrSoundOpen   (-1401) the file cannot be opened (missing, unreadable)
//   kQVErrSoundFormat (-1402) not a regular file (a folder; a FIFO, never
//                             waited on), not a recording the library
//                             reads, a damaged header, or no channel / no
//                             sample rate / more than kMaxChannels channels
//   kQVErrSoundRead   (-1403) seeking or reading failed, or the file is not
//                             open
//
// One object belongs to one thread at a time. Moving hands the open file
// over; copies are not allowed (one file, one reader).
#ifndef STUDIO_SOUND_FILE_H
#define STUDIO_SOUND_FILE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kit/QVErrors.h"

class StudioSoundFile {
 public:
  static constexpr int32_t kMaxChannels = 64;

  StudioSoundFile();
  ~StudioSoundFile();
  StudioSoundFile(StudioSoundFile&& other) noexcept;
  StudioSoundFile& operator=(StudioSoundFile&& other) noexcept;
  StudioSoundFile(const StudioSoundFile&) = delete;
  StudioSoundFile& operator=(const StudioSoundFile&) = delete;

  // Opens path (UTF-8) for reading, closing what was open first. 0, -1401 or
  // -1402; on failure the object is closed.
  [[nodiscard]] int32_t Open(const std::string& path);
  void Close();
  bool IsOpen() const { return mFile != nullptr; }

  // The path given to Open (kept after Close, for messages).
  const std::string& Path() const { return mPath; }
  // What the header announces; 0 while closed. The frame count of compressed
  // formats is the decoder's estimate: a reader stops where the data ends.
  int64_t Frames() const { return mFrames; }
  int32_t SampleRate() const { return mSampleRate; }
  int32_t Channels() const { return mChannels; }

  // Moves to frame (not negative). 0 or -1403.
  [[nodiscard]] int32_t Seek(int64_t frame);
  // Reads up to frames frames into samples, interleaved (room for
  // frames * Channels() floats). read receives the frames read: fewer at the
  // end of the data, 0 after it. 0 or -1403 when the library met damaged
  // data in this read, whatever the block size (read then holds what the
  // library delivered with it).
  [[nodiscard]] int32_t Read(float* samples, int64_t frames, int64_t& read);

 private:
  struct Handle;
  struct CloseHandle {
    void operator()(Handle* handle) const;
  };

  // Logs code, whose message takes the file's path and a reason, and
  // returns it.
  template <QVStatus code>
  [[nodiscard]] int32_t Fail(const char* reason) const;

  std::unique_ptr<Handle, CloseHandle> mFile;
  std::string mPath;
  int64_t mFrames = 0;
  int32_t mSampleRate = 0;
  int32_t mChannels = 0;
  // 16-bit samples, read through mShortBlock.
  bool mShorts = false;
  std::vector<int16_t> mShortBlock;
};

#endif
