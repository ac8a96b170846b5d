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
#include "StudioColorMap.h"
#include "StudioScenePainter.h"
#include "StudioSonogram.h"
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

// The pixels of the 320 x 240 PNG at path, held by image.
void ReadPicture(const std::string& path, AGImage& image, AGNativeBitmapInfo& read) {
  ASSERT_TRUE(image.SetupFromFile(QVFilePath(path.c_str())));
  ASSERT_TRUE(AGGraphicsLow::AGNativeImageGetPixels(image.GetNativeImage(), &read));
  ASSERT_EQ(read.width, 320u);
  ASSERT_EQ(read.height, 240u);
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
  AGNativeBitmapInfo read;
  ReadPicture(path, image, read);
  ASSERT_FALSE(testing::Test::HasFailure());
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

// While the sonogram is shown, the picture carries it: its tiles are computed
// first (none exist when the export starts), the strip replaces the
// waveform, and a vector picture embeds it as an image.
TEST_F(StudioExportTest, WithTheSonogramShownThePictureCarriesItsStrip) {
  // Silence for one second, then a 1 kHz tone at -6 dBFS, at 8 kHz.
  ASSERT_TRUE(StudioWriteSilenceThenTone(folder.File("beep.wav")));
  StudioSonogram sonogram(1);
  ASSERT_EQ(sonogram.Open(folder.File("beep.wav")), 0);
  StudioSonogram::Settings settings;
  settings.axis = StudioFrequencyAxis::ForRecording(StudioFrequencyAxis::Scale::kLinear, 8000);
  ASSERT_EQ(sonogram.SetSettings(settings), 0);
  ASSERT_EQ(sonogram.TilesComputed(), 0);

  const std::string path = dir + "/sonogram.png";
  ASSERT_EQ(StudioExport::Write(*doc, view, &summary, 240.0, path, &sonogram), 0);
  AGImage image;
  AGNativeBitmapInfo read;
  ReadPicture(path, image, read);
  ASSERT_FALSE(testing::Test::HasFailure());
  auto pixel = [&](uint32_t x, uint32_t y) { return read.data[y * read.bytesPerRow / 4 + x]; };

  // 8 ms a pixel; the strip is rows 24-239, 216 rows of 4000 / 216 Hz:
  // 1 kHz lies in row 54 from the bottom, picture row 185. Column 62
  // (500 ms) hears silence, column 187 (1500 ms) the tone; the object's
  // frame (columns 37-112, rows 120-180) lies apart from both.
  const uint32_t floor = StudioColorMap::Color(0);
  for (uint32_t y : {30u, 100u, 185u, 200u, 239u}) EXPECT_EQ(pixel(62, y), floor) << y;
  EXPECT_GE(pixel(187, 185) >> 8 & 0xFFu, 200u) << "the tone's band";
  EXPECT_EQ(pixel(187, 30), floor);
  EXPECT_EQ(pixel(187, 239), floor);
  int wave = 0;
  for (uint32_t y = 0; y < 240; ++y)
    for (uint32_t x = 0; x < 320; ++x) wave += pixel(x, y) == 0xFF5078A0u;
  EXPECT_EQ(wave, 0) << "no waveform under the sonogram";

  // The picture is the scene painted once its tiles are in.
  AGNativePortPtr port;
  ASSERT_EQ(AGGraphicsLow::AGNativePortCreateBitmap(320, 240, &port), 0);
  StudioScenePainter painter(*doc, view, &summary);
  painter.SetMode(StudioScenePainter::Mode::kExport);
  painter.SetSonogram(&sonogram);
  bool complete = false;
  ASSERT_EQ(painter.Paint(AGContext(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get())),
                          &complete),
            0);
  EXPECT_TRUE(complete);
  AGNativeBitmapInfo painted;
  ASSERT_TRUE(AGGraphicsLow::AGNativePortGetBitmap(port.get(), &painted));
  int differences = 0;
  for (uint32_t y = 0; y < 240; ++y)
    for (uint32_t x = 0; x < 320; ++x)
      differences += pixel(x, y) != painted.data[y * painted.bytesPerRow / 4 + x];
  EXPECT_EQ(differences, 0);
  image.Clear();

  ASSERT_EQ(StudioExport::Write(*doc, view, &summary, 240.0, dir + "/sonogram.svg", &sonogram), 0);
  EXPECT_NE(Contents(dir + "/sonogram.svg").find("<image"), std::string::npos);

  // A sonogram with nothing open is refused, and nothing is written.
  StudioSonogram closed(1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(StudioExport::Write(*doc, view, &summary, 240.0, dir + "/none.png", &closed),
            kQVErrSonogram);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"sonogram.png", "sonogram.svg"}));
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
