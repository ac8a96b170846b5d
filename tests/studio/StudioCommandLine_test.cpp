// The studio's command line: options, the document and the recording.
#include "StudioCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(StudioCommandLineTest, TakesOptionsDocumentAndRecordingInAnyOrder) {
  StudioCommandLine line;
  std::string error;
  ASSERT_TRUE(StudioParseCommandLine({"take.wav", "--lang", "fr", "notes.TLV", "--plugin", "/p/S.so",
                                      "--export", "out.png"},
                                     line, error))
      << error;
  EXPECT_EQ(line.recording, "take.wav");
  EXPECT_EQ(line.document, "notes.TLV");
  EXPECT_EQ(line.language, "fr");
  EXPECT_TRUE(line.languageGiven);
  EXPECT_EQ(line.plugin, "/p/S.so");
  EXPECT_EQ(line.exportPath, "out.png");
  EXPECT_FALSE(line.help);
  EXPECT_FALSE(line.version);
}

TEST(StudioCommandLineTest, HelpVersionAndNothing) {
  StudioCommandLine line;
  std::string error;
  ASSERT_TRUE(StudioParseCommandLine({}, line, error));
  EXPECT_TRUE(line.document.empty());
  EXPECT_TRUE(line.recording.empty());
  ASSERT_TRUE(StudioParseCommandLine({"-h"}, line, error));
  EXPECT_TRUE(line.help);
  ASSERT_TRUE(StudioParseCommandLine({"--help", "--version"}, line, error));
  EXPECT_TRUE(line.version);
}

TEST(StudioCommandLineTest, DoubleDashEndsTheOptions) {
  StudioCommandLine line;
  std::string error;
  ASSERT_TRUE(StudioParseCommandLine({"--", "-odd.tlv", "--help"}, line, error)) << error;
  EXPECT_EQ(line.document, "-odd.tlv");
  EXPECT_EQ(line.recording, "--help");
  EXPECT_FALSE(line.help);
}

TEST(StudioCommandLineTest, RefusesBadArgumentsAndKeepsTheLine) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frobnicate"},
      {"--plugin"},
      {"notes.tlv", "--export"},
      {"a.tlv", "b.tlv"},
      {"a.wav", "b.flac"},
  };
  for (const auto& args : bad) {
    StudioCommandLine line;
    line.plugin = "kept";
    std::string error;
    EXPECT_FALSE(StudioParseCommandLine(args, line, error)) << args[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(line.plugin, "kept");
  }
}

TEST(StudioCommandLineTest, DocumentsAreTlvFilesInAnyCase) {
  EXPECT_TRUE(StudioIsDocumentPath("a.tlv"));
  EXPECT_TRUE(StudioIsDocumentPath("dir/B.TlV"));
  EXPECT_TRUE(StudioIsDocumentPath(".tlv"));
  EXPECT_FALSE(StudioIsDocumentPath("tlv"));
  EXPECT_FALSE(StudioIsDocumentPath("a.tlv.wav"));
  EXPECT_FALSE(StudioIsDocumentPath(""));
}

}  // namespace
