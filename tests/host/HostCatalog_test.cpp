#include "bridge/HostCatalog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bridge/HostEnvironment.h"

namespace {

// A little-endian catalog of the given pairs, laid out as msgfmt does.
std::string MakeCatalog(const std::vector<std::pair<std::string, std::string>>& pairs) {
  auto word = [](std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  uint32_t n = static_cast<uint32_t>(pairs.size());
  uint32_t originals = 28, translations = originals + 8 * n, strings = translations + 8 * n;
  std::string tables, pool;
  std::string head;
  word(head, 0x950412DEu);
  word(head, 0);
  word(head, n);
  word(head, originals);
  word(head, translations);
  word(head, 0);
  word(head, 0);
  std::string orig, trans;
  for (const auto& p : pairs) {
    word(orig, static_cast<uint32_t>(p.first.size()));
    word(orig, strings + static_cast<uint32_t>(pool.size()));
    pool += p.first + '\0';
  }
  for (const auto& p : pairs) {
    word(trans, static_cast<uint32_t>(p.second.size()));
    word(trans, strings + static_cast<uint32_t>(pool.size()));
    pool += p.second + '\0';
  }
  return head + orig + trans + pool;
}

TEST(HostCatalog, FindsTranslationsAndSkipsTheHeaderEntry) {
  HostCatalog catalog;
  ASSERT_TRUE(catalog.Parse(MakeCatalog({{"", "Content-Type: text/plain\n"}, {"Keyboards", "Claviers"}})));
  ASSERT_NE(catalog.Find("Keyboards"), nullptr);
  EXPECT_EQ(*catalog.Find("Keyboards"), "Claviers");
  EXPECT_EQ(catalog.Find(""), nullptr);
  EXPECT_EQ(catalog.Find("Talvane"), nullptr);
}

TEST(HostCatalog, DamagedCatalogsAreRefusedWhole) {
  std::string good = MakeCatalog({{"a", "b"}, {"c", "d"}});
  HostCatalog catalog;
  ASSERT_TRUE(catalog.Parse(good));

  std::string badMagic = good;
  badMagic[0] = 'X';
  EXPECT_FALSE(catalog.Parse(badMagic));
  EXPECT_EQ(catalog.Count(), 0u);

  // A string whose end lies beyond the file.
  EXPECT_FALSE(catalog.Parse(good.substr(0, good.size() - 2)));
  // A count the file cannot hold.
  std::string hugeCount = good;
  hugeCount[11] = '\x7F';
  EXPECT_FALSE(catalog.Parse(hugeCount));
  EXPECT_FALSE(catalog.Parse(""));
}

TEST(HostEnvironment, TranslationsComeBackInTheKitEncodingAndUnknownTextsUnchanged) {
  HostEnvironmentOptions options;
  options.localeDir = TALVANE_LOCALE_DIR;
  options.language = "fr";
  HostEnvironment env(options);
  QVEnvironment* record = env.Record();
  EXPECT_STREQ(record->setLanguageDomain("StdTalvane"), "StdTalvane");
  EXPECT_STREQ(record->getText("Keyboards"), "Claviers");
  // "Début/Fin": é is 0x8E in the kit's 8-bit encoding.
  EXPECT_STREQ(record->getText("Begin/End"), "D\x8E" "but/Fin");
  EXPECT_STREQ(record->getText("No such text"), "No such text");

  record->setLanguageDomain("OtherDomain");
  EXPECT_STREQ(record->getText("Keyboards"), "Keyboards");
}

}  // namespace
