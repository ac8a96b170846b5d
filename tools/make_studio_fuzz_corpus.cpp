// Writes the seed corpora of the studio's fuzz targets (fuzz/corpus/Studio*/):
// short recordings in every format the studio reads, written by the sound
// library, and a few damaged ones; studio documents with and without a
// recording; the clipboard form of objects; typed texts, Unicode texts and
// clipboard scripts. Run by
// tools/make_fuzz_corpus.sh; the corpora are committed.
//
//   make_studio_fuzz_corpus CORPUS_DIR
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzCorpus.h"
#include "FuzzHost.h"
#include "FuzzSupport.h"
#include "StudioActions.h"
#include "StudioDocument.h"
#include "bridge/HostDocument.h"

namespace {

using Bytes = std::string;

std::string gCorpus;

void Put(const char* target, const std::string& name, const Bytes& bytes) {
  FuzzCorpusPut(gCorpus, target, name, bytes);
}

// A literal's bytes, zero bytes inside included.
template <size_t N>
Bytes Raw(const char (&text)[N]) {
  return Bytes(text, N - 1);
}

// ---- Recordings

// frames frames of a quiet tone on each channel (a different pitch per
// channel) with a loud click on every channel at frame 300: more than one
// summary bucket, extremes away from the edges.
std::vector<float> Tone(int frames, int channels) {
  std::vector<float> samples(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      float sample = 0.25f * static_cast<float>(std::sin(0.05 * (c + 1) * i));
      if (i == 300) sample = c % 2 ? -0.875f : 0.875f;
      samples[static_cast<size_t>(i) * channels + c] = sample;
    }
  }
  return samples;
}

Bytes Recording(int format, int channels, int frames) {
  const std::string path = FuzzScratchFolder::Shared().Path("corpus-recording");
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  FuzzRequire(file != nullptr, "the sound library writes the format");
  const std::vector<float> samples = Tone(frames, channels);
  FuzzRequire(sf_writef_float(file, samples.data(), frames) == frames && sf_close(file) == 0,
              "the recording is written");
  return FuzzReadFile(path);
}

void Recordings() {
  const char* target = "StudioSoundFile";
  const struct {
    const char* name;
    int format;
    int channels;
  } kinds[] = {
      {"wav-8-bit-mono", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1},
      {"wav-16-bit-stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2},
      {"wav-24-bit-mono", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1},
      {"wav-32-bit-stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2},
      {"wav-float-mono", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1},
      {"aiff-16-bit-stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2},
      {"flac-16-bit-mono", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1},
      {"ogg-vorbis-mono", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1},
  };
  for (const auto& kind : kinds) Put(target, kind.name, Recording(kind.format, kind.channels, 600));

  const Bytes wav = Recording(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 600);
  Put(target, "damaged-wav-cut-in-data", FuzzCut(wav, wav.size() / 2 + 1));
  const Bytes flac = Recording(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 600);
  Put(target, "damaged-flac-cut-in-frame", FuzzCut(flac, flac.size() - 40));
  // STREAMINFO's 36-bit sample count (the low four bits of byte 21, then
  // bytes 22 to 25) all ones: 2^36 - 1 frames announced, 600 present.
  Bytes announced = Recording(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 600);
  announced[21] = static_cast<char>(announced[21] | 0x0F);
  Put(target, "flac-announcing-2-to-the-36-frames",
      FuzzPatched(announced, 22, Raw("\xFF\xFF\xFF\xFF")));
}

// ---- Documents

// A document of two default objects over recording (none when empty), saved
// as folder/notes.tlv.
Bytes StudioDocumentBytes(HostPlugin& plugin, const std::string& folder,
                          const std::string& recording) {
  StudioDocument doc(plugin);
  for (double at : {0.0, 1000.0}) {
    FuzzRequire(StudioActions::Create(doc, AGRect{at, 0.0, at + 640.0, 64.0}, nullptr) == 0,
                "an object is made");
  }
  doc.SetRecordingPath(recording);
  const std::string path = folder + "/notes.tlv";
  FuzzRequire(doc.Save(path) == 0, "a studio document saves");
  return FuzzReadFile(path);
}

// A document whose "rcrd" holds stored exactly as given.
Bytes StoredAsGiven(HostPlugin& plugin, const std::string& stored) {
  HostDocument doc(plugin);
  FuzzRequire(doc.AddObjects(1, "-default") == 0, "a default object is made");
  doc.SetRecordingPath(stored);
  const std::string path = FuzzScratchFolder::Shared().Path("corpus.tlv");
  FuzzRequire(doc.Save(path) == 0, "a document saves");
  return FuzzReadFile(path);
}

void Documents(HostPlugin& plugin) {
  const char* target = "StudioDocumentLoad";
  const std::string folder = FuzzScratchFolder::Shared().Path("notes");
  FuzzRequire(::mkdir(folder.c_str(), 0700) == 0, "the documents' folder is made");
  Put(target, "no-recording", StudioDocumentBytes(plugin, folder, ""));
  const Bytes beside = StudioDocumentBytes(plugin, folder, folder + "/take.wav");
  Put(target, "recording-beside", beside);
  Put(target, "recording-beneath",
      StudioDocumentBytes(plugin, folder, folder + "/sons/\xC3\xA9t\xC3\xA9.flac"));
  Put(target, "recording-outside-absolute",
      StudioDocumentBytes(plugin, folder, "/srv/recordings/take.wav"));
  Put(target, "recording-outside-relative", StoredAsGiven(plugin, "../../elsewhere/./take.wav"));
  Put(target, "recording-absolute-with-dots", StoredAsGiven(plugin, "/srv/a/../b/./take.wav"));
  Put(target, "damaged-cut", FuzzCut(beside, beside.size() - 30));
  Put(target, "damaged-recording-not-utf8",
      FuzzPatched(StoredAsGiven(plugin, "take.wav"), 28, Raw("\xFF")));
}

// ---- Objects on the studio's clipboard

void ClipboardForms(HostPlugin& plugin) {
  const char* target = "StudioObjectPaste";
  StudioDocument doc(plugin);
  std::vector<StudioObjectId> ids(2, kStudioNoObject);
  FuzzRequire(StudioActions::Create(doc, AGRect{0.0, 0.0, 640.0, 64.0}, &ids[0]) == 0 &&
                  StudioActions::Create(doc, AGRect{1000.0, -8.0, 1400.0, 96.0}, &ids[1]) == 0,
              "objects are made");
  Bytes two, one, none;
  FuzzRequire(StudioActions::Copy(doc, ids, two) == 0 &&
                  StudioActions::Copy(doc, {ids[1]}, one) == 0 &&
                  StudioActions::Copy(doc, {}, none) == 0,
              "objects copy");
  Put(target, "two-objects", two);
  Put(target, "one-object", one);
  Put(target, "empty-list", none);
  Put(target, "damaged-cut-in-object", FuzzCut(two, two.size() - 12));
  // After the list's chunk header: the version, then the class identifier.
  Put(target, "damaged-version-2", FuzzPatched(one, 8, Raw("\0\0\0\2")));
  Put(target, "another-class", FuzzPatched(one, 12, Raw("Other\0\0\0")));
}

// ---- Texts

void Texts() {
  const std::vector<std::pair<const char*, Bytes>> typed = {
      {"number-point", " 72.5 "},
      {"number-comma", "\t4,5"},
      {"number-sign", "+8"},
      {"time-hours", "1:02:03.005"},
      {"time-negative", "-0:00:01.500"},
      {"time-seconds", "12.25"},
      {"command-line", Raw("--lang\0fr\0notes.tlv\0take.wav")},
      {"command-line-options-ended", Raw("--export\0out.png\0--\0-odd.TLV\0-take.flac")},
      {"command-line-second-document", Raw("a.tlv\0b.tlv")},
  };
  for (const auto& t : typed) Put("StudioTextParsers", t.first, t.second);

  const std::vector<std::pair<const char*, Bytes>> unicode = {
      {"ascii", "Talvane"},
      {"symbols-private-use", "\xEE\x80\x9C\xEE\x80\x9D\xEE\x8C\x80"},
      {"four-byte", "\xF0\x9F\x8E\xB5 \xF0\x9D\x84\x9E"},
      {"ill-formed-mix", Raw("a\x80\xE2\x82" "b\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xFF")},
      {"utf16-pair-and-lone", Raw("\x3D\xD8\xB5\xDF\x00\xD8" "a\0\x00\xDC")},
  };
  for (const auto& t : unicode) Put("StudioUnicodeText", t.first, t.second);

  // Clipboard scripts: 0 desktop text (has text, run), 1 stale read (run),
  // 2 the plug-in's copy (flavour, run, second flavour), 3 a refused request
  // (item, flavour, run, with bytes), 4 clear.
  const std::vector<std::pair<const char*, Bytes>> clipboard = {
      {"desktop-text-then-copy",
       Raw("\0\1\4x\xEE\x80\x9C" "\2\0\4\x1C\xE0\x1D\xE0\1")},
      {"stale-read-and-clear", Raw("\1\3old\0\1\2ab\4\0\0\0")},
      {"odd-bytes-and-refused", Raw("\2\0\5\x1C\xE0\x1D\xE0\x41\0\3\0\1\2ab\1\3\1\2\2ab\0")},
      {"lone-surrogate-copied", Raw("\2\0\4\0\xD8" "a\0\0")},
      {"ill-formed-desktop-text", Raw("\0\1\5\xF0\x9F\x98" "a\x80")},
  };
  for (const auto& t : clipboard) Put("StudioClipboard", t.first, t.second);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_studio_fuzz_corpus CORPUS_DIR\n");
    return 2;
  }
  gCorpus = argv[1];
  ::mkdir(gCorpus.c_str(), 0755);
  Recordings();
  Documents(FuzzHost::Shared().Plugin());
  ClipboardForms(FuzzHost::Shared().Plugin());
  Texts();
  return 0;
}
