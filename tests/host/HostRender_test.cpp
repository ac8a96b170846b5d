// The host's pictures of a document: written whole through the safe save,
// so that a failed render leaves no file and an old picture as it was.
#include "bridge/HostRender.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "bridge/HostDocument.h"
#include "bridge/HostSafeSave.h"
#include "kit/QVErrors.h"

namespace {

using hosttest::FolderNames;
using hosttest::ReadFile;
using hosttest::WriteFile;
using qvtest::LogCapture;

int FailingFsync(int) {
  errno = EIO;
  return -1;
}

class HostRenderTest : public hosttest::RegisteredHostTest {
 protected:
  void TearDown() override {
    HostSafeSave::SetSystemCallsForTesting(nullptr);
    hosttest::RegisteredHostTest::TearDown();
  }
};

TEST_F(HostRenderTest, PicturesAreWrittenWholeWithTheirSignatures) {
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.AddObjects(2, "-default"), 0);
  const std::pair<const char*, std::string> cases[] = {
      {"score.png", std::string("\x89PNG\r\n\x1a\n", 8)},
      {"score.svg", "<?xml"},
      {"score.pdf", "%PDF-"},
  };
  for (const auto& [name, signature] : cases) {
    ASSERT_EQ(HostRender(doc, HostView::kScore, PathOf(name), 1.0), 0) << name;
    EXPECT_EQ(ReadFile(PathOf(name)).compare(0, signature.size(), signature), 0) << name;
  }
  EXPECT_EQ(FolderNames(dir.Dir()),
            (std::vector<std::string>{"score.pdf", "score.png", "score.svg"}));
}

TEST_F(HostRenderTest, AFailedRenderLeavesNoFileAndTheOldPictureAsItWas) {
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.AddObjects(1, "-default"), 0);
  WriteFile(PathOf("old.png"), "old picture");
  WriteFile(PathOf("old.pdf"), "old drawing");
  HostSaveSystemCalls failing{&FailingFsync, &::close};
  HostSafeSave::SetSystemCallsForTesting(&failing);
  LogCapture log;
  for (const char* name : {"old.png", "old.pdf", "new.svg"}) {
    EXPECT_EQ(HostRender(doc, HostView::kScore, PathOf(name), 1.0), kQVErrFileWrite) << name;
  }
  EXPECT_EQ(HostRender(doc, HostView::kScore, PathOf("missing/new.png"), 1.0), kQVErrFileOpen);
  EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"old.pdf", "old.png"}));
  EXPECT_EQ(ReadFile(PathOf("old.png")), "old picture");
  EXPECT_EQ(ReadFile(PathOf("old.pdf")), "old drawing");

  // A picture whose painting fails is not written either.
  HostSafeSave::SetSystemCallsForTesting(nullptr);
  EXPECT_EQ(HostWritePicture(PathOf("old.png"), kAGNativePortPNG, {10.0, 10.0},
                             [](AGNativePort*) { return kQVErrGeneric; }),
            kQVErrGeneric);
  EXPECT_EQ(ReadFile(PathOf("old.png")), "old picture");
  EXPECT_EQ(FolderNames(dir.Dir()), (std::vector<std::string>{"old.pdf", "old.png"}));
}

}  // namespace
