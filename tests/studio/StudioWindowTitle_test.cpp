// The main window's title: document name, modified mark, recording.
#include "StudioWindowTitle.h"

#include <gtest/gtest.h>

namespace {

TEST(StudioWindowTitleTest, ShowsNamesModifiedMarkAndRecording) {
  struct Case {
    const char* document;
    const char* recording;
    bool modified;
    const char* expected;
  };
  const Case cases[] = {
      {"/home/a/notes.tlv", "/data/take 1.wav", false, "notes.tlv (take 1.wav) - Talvane Studio"},
      {"/home/a/notes.tlv", "/data/take 1.wav", true, "*notes.tlv (take 1.wav) - Talvane Studio"},
      {"notes.tlv", "", true, "*notes.tlv - Talvane Studio"},
      {"", "", false, "Untitled - Talvane Studio"},
      {"", "song.flac", true, "*Untitled (song.flac) - Talvane Studio"},
      {"/home/a/文档.tlv", "", false, "文档.tlv - Talvane Studio"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StudioWindowTitle(c.document, c.recording, c.modified), c.expected) << c.document;
  }
}

TEST(StudioWindowTitleTest, BaseNameIsTheLastComponent) {
  EXPECT_EQ(StudioBaseName("a/b/c.tlv"), "c.tlv");
  EXPECT_EQ(StudioBaseName("c.tlv"), "c.tlv");
  EXPECT_EQ(StudioBaseName("/a/dir/"), "dir");
  EXPECT_EQ(StudioBaseName("/"), "/");
  EXPECT_EQ(StudioBaseName(""), "");
}

}  // namespace
