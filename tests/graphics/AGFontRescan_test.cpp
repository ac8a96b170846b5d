// Fonts installed while the program runs: the kit's font configuration is
// brought up to date when a lookup fails, so a font copied into a folder
// the configuration watches is found on the next query.
//
// This program runs on a fontconfig configuration of its own (set before
// anything asks for a font) that watches one private folder, so that the
// tests install fonts without touching the system's folders or caches.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "graphics/AGFont.h"
#include "graphics/platform/AGFontPlatform_p.h"

namespace {

namespace fs = std::filesystem;

const char kDejaVuDir[] = "/usr/share/fonts/truetype/dejavu/";

// The private folder, its cache and the configuration that watches it;
// removed when the program ends.
class PrivateFontConfig {
 public:
  PrivateFontConfig() {
    std::string pattern = (fs::temp_directory_path() / "agfontrescan_XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    mRoot = pattern;
    fs::create_directories(FontDir());
    std::string conf = mRoot + "/fonts.conf";
    FILE* file = std::fopen(conf.c_str(), "w");
    if (!file) return;
    std::fprintf(file,
                 "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                 "<fontconfig><dir>%s</dir><cachedir>%s/cache</cachedir></fontconfig>\n",
                 FontDir().c_str(), mRoot.c_str());
    std::fclose(file);
    setenv("FONTCONFIG_FILE", conf.c_str(), 1);
  }
  ~PrivateFontConfig() {
    std::error_code ignored;
    if (!mRoot.empty()) fs::remove_all(mRoot, ignored);
  }
  std::string FontDir() const { return mRoot + "/fonts"; }
  bool Ready() const { return !mRoot.empty(); }

 private:
  std::string mRoot;
};

const PrivateFontConfig& Config() {
  static PrivateFontConfig config;
  return config;
}
// Set up before main, so before any font is looked up.
const bool kConfigReady = Config().Ready();

void Install(const std::string& from, const std::string& to) {
  fs::create_directories(fs::path(to).parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

bool InNameList(const char* name) {
  for (const QVString& n : AGFont::GetFontNameList()) {
    if (n == name) return true;
  }
  return false;
}

TEST(AGFontRescan, FontCopiedIntoAWatchedFolderAfterAFailedLookupIsFoundNext) {
  ASSERT_TRUE(kConfigReady);
  AGFont font("DejaVu Serif", 12.0f, 0);
  EXPECT_FALSE(font.IsValid());
  EXPECT_FALSE(InNameList("DejaVu Serif"));

  Install(std::string(kDejaVuDir) + "DejaVuSerif.ttf", Config().FontDir() + "/DejaVuSerif.ttf");
  // The same font retries: a failure is not remembered.
  EXPECT_TRUE(font.IsValid());
  EXPECT_TRUE(AGFont("DejaVu Serif", 30.0f, 0).IsValid());
  EXPECT_TRUE(InNameList("DejaVu Serif"));
}

TEST(AGFontRescan, FontInANewSubfolderIsFoundAndAddedFontsStay) {
  ASSERT_TRUE(kConfigReady);
  // An application font, outside the watched folder.
  ASSERT_EQ(AGFont::AddApplicationFontFile(std::string(kDejaVuDir) + "DejaVuSansMono.ttf"), 0);
  EXPECT_TRUE(AGFont("DejaVu Sans Mono", 12.0f, 0).IsValid());
  EXPECT_FALSE(AGFont("DejaVu Sans", 12.0f, 0).IsValid());

  Install(std::string(kDejaVuDir) + "DejaVuSans.ttf", Config().FontDir() + "/new/DejaVuSans.ttf");
  EXPECT_TRUE(AGFont("DejaVu Sans", 12.0f, 0).IsValid());
  // The configuration was built again; the application font came along.
  EXPECT_TRUE(AGFont("DejaVu Sans Mono", 12.0f, 0).IsValid());
  EXPECT_TRUE(InNameList("DejaVu Sans Mono"));
  EXPECT_TRUE(InNameList("DejaVu Sans"));
}

TEST(AGFontRescan, FailedLookupWithNothingNewKeepsTheConfiguration) {
  ASSERT_TRUE(kConfigReady);
  EXPECT_FALSE(AGFont("Nowhere Sans", 12.0f, 0).IsValid());
  const uint32_t generation = AGNativeFont::GetFontSetGeneration();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(AGFont("Nowhere Sans", 12.0f, 0).IsValid());
  EXPECT_EQ(AGNativeFont::GetFontSetGeneration(), generation);
}

}  // namespace
