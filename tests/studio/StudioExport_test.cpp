// Exporting the score view to PNG, SVG and PDF: the file kinds, the PNG's
// pixels against a bitmap painted directly, and failures that leave nothing.
#include "StudioExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioScenePainter.h"
#include "StudioTestPlugin.h"
#include "StudioTestRecordings.h"
#include "StudioViewport.h"
#include "StudioWaveSummary.h"
#include "bridge/HostSafeSave.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGImage.h"
#include "kit/QVErrors.h"
#include "kit/QVFilePath.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in folder, sorted.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int FailingFsync(int) {
  errno = EIO;
  return -1;
}

class StudioExportTest : public StudioPluginTest {
 protected:
  void SetUp() override {
    StudioPluginTest::SetUp();
    doc = std::make_unique<StudioDocument>(*plugin);
    dir = folder.File("out");
    std::filesystem::create_directory(dir);
    std::vector<float> samples = StudioSine(8000 * 2, 8000, 30.0, 0.7f);
    ASSERT_TRUE(StudioWriteFloatWav(folder.File("tone.wav"), 8000, 1, samples));
    ASSERT_EQ(summary.Build(folder.File("tone.wav"), {}, nullptr), 0);
    view.Axis().SetViewWidth(320.0);
    view.Axis().SetDuration(2000.0);
    view.Axis().SetZoomLevel(3, 0.0);
    view.Axis().ScrollToTime(0.0);
    view.SetStripBottom(200.0);
    StudioObjectId id = kStudioNoObject;
    ASSERT_EQ(StudioActions::Create(*doc, {300.0, 20.0, 900.0, 80.0}, &id), 0);
    selected = id;
  }
  void TearDown() override {
    HostSafeSave::SetSystemCallsForTesting(nullptr);
    doc.reset();
    StudioPluginTest::TearDown();
  }

  StudioTestFolder folder;
  std::string dir;
  std::unique_ptr<StudioDocument> doc;
  StudioWaveSummary summary;
  StudioViewport view;
  StudioObjectId selected = kStudioNoObject;
};

TEST_F(StudioExportTest, EachKindIsWrittenWithItsSignature) {
  struct Case {
    const char* name;
    std::string signature;
  };
  const Case cases[] = {
      {"score.png", std::string("\x89PNG\r\n\x1a\n", 8)},
      {"score.svg", "<?xml"},
      {"score.pdf", "%PDF-"},
      {"SCORE.PDF", "%PDF-"},  // the extension in any case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name;
    ASSERT_EQ(StudioExport::Write(*doc, view, &summary, 240.0, path), 0);
    const std::string bytes = Contents(path);
    ASSERT_GT(bytes.size(), c.signature.size());
    EXPECT_EQ(bytes.compare(0, c.signature.size(), c.signature), 0);
  }
  // The vector pictures hold the drawing: more than an empty page.
  EXPECT_GT(Contents(dir + "/score.svg").size(), 2000u);
  // Only the pictures: no temporary file stays.
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"SCORE.PDF", "score.pdf", "score.png",
                                                  "score.svg"}));
}

TEST_F(StudioExportTest, ThePngHoldsThePixelsOfTheSceneWithoutTheSelection) {
  const std::string path = dir + "/score.png";
  ASSERT_EQ(StudioExport::Write(*doc, view, &summary, 240.0, path), 0);

  // The same scene painted directly, for export.
  AGNativePortPtr port;
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(320, 240, &port), 0);
  StudioScenePainter painter(*doc, view, &summary);
  painter.SetSelection({selected});
  painter.SetMode(StudioScenePainter::Mode::kExport);
  ASSERT_EQ(painter.Paint(AGContext(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get()))),
            0);
  AGNativeBitmapInfo painted;
  ASSERT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &painted));

  AGImage image;
  ASSERT_TRUE(image.SetupFromFile(QVFilePath(path.c_str())));
  AGNativeBitmapInfo read;
  ASSERT_TRUE(AGGraphicsLow::AGNativeImageGetPixels(image.GetNativeImage(), &read));
  ASSERT_EQ(read.width, 320u);
  ASSERT_EQ(read.height, 240u);
  int differences = 0;
  int wave = 0;
  for (uint32_t y = 0; y < 240; ++y) {
    for (uint32_t x = 0; x < 320; ++x) {
      const uint32_t a = read.data[y * read.bytesPerRow / 4 + x];
      const uint32_t b = painted.data[y * painted.bytesPerRow / 4 + x];
      differences += a != b;
      wave += a == 0xFF5078A0u;
    }
  }
  EXPECT_EQ(differences, 0);
  EXPECT_GT(wave, 1000);  // the recording is in the picture
  image.Clear();
}

TEST_F(StudioExportTest, RefusalsAndFailuresLeaveNoFile) {
  std::ofstream(dir + "/old.png") << "old picture";
  std::ofstream(dir + "/plain") << "a file, not a folder";
  struct Case {
    const char* what;
    std::string path;
    double height;
    int32_t status;
  };
  const Case cases[] = {
      {"unknown extension", dir + "/score.gif", 240.0, kQVErrStudioExportKind},
      {"no extension", dir + "/score", 240.0, kQVErrStudioExportKind},
      {"a dot in a folder name only", dir + "/a.png/score", 240.0, kQVErrStudioExportKind},
      {"no height", dir + "/score.png", 0.0, kQVErrStudioExportSize},
      {"height not a number", dir + "/score.svg", std::nan(""), kQVErrStudioExportSize},
      {"too many pixels", dir + "/score.png", 1.0e7, kQVErrRenderTooLarge},
      {"folder missing", dir + "/missing/score.png", 240.0, kQVErrFileOpen},
      {"folder is a file", dir + "/plain/score.svg", 240.0, kQVErrFileOpen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(StudioExport::Write(*doc, view, &summary, c.height, c.path), c.status);
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"old.png", "plain"}));
  }

  // A write that fails at the end (the file cannot be made durable) leaves
  // the old picture as it was, and no temporary file, in every kind.
  HostSaveSystemCalls failing{&FailingFsync, &::close};
  HostSafeSave::SetSystemCallsForTesting(&failing);
  std::ofstream(dir + "/old.svg") << "old drawing";
  for (const char* name : {"old.png", "old.svg"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(StudioExport::Write(*doc, view, &summary, 240.0, dir + "/" + name), kQVErrFileWrite);
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"old.png", "old.svg", "plain"}));
  }
  EXPECT_EQ(Contents(dir + "/old.png"), "old picture");
  EXPECT_EQ(Contents(dir + "/old.svg"), "old drawing");
}

}  // namespace
