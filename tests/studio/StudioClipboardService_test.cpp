// The desktop clipboard behind the plug-in's clipboard seam, without a
// desktop: UTF-16 <-> UTF-8 with ill-formed input on both sides, the seam
// as UPasteboard drives it, reads that come back after the studio wrote.
#include "StudioClipboardService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StudioUnicodeText.h"
#include "kit/QVErrors.h"
#include "textinput/UKeyLayout.h"
#include "textinput/UPasteboard.h"

namespace {

constexpr char16_t kFFFD = 0xFFFD;

TEST(StudioUnicodeText, Utf16BecomesUtf8WithLoneSurrogatesReplaced) {
  struct {
    const char* what;
    std::u16string utf16;
    std::string utf8;
  } const cases[] = {
      {"empty", u"", ""},
      {"ASCII", u"Ab 1", "Ab 1"},
      {"symbols", u"\uE01C\uE000", "\xEE\x80\x9C\xEE\x80\x80"},
      {"two and three bytes", u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC"},
      {"a pair", std::u16string{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
      {"a lone high surrogate at the end", std::u16string{u'a', 0xD83D}, "a\xEF\xBF\xBD"},
      {"a lone low surrogate", std::u16string{0xDE00, u'a'}, "\xEF\xBF\xBD" "a"},
      {"a high surrogate before a letter", std::u16string{0xD83D, u'a'}, "\xEF\xBF\xBD" "a"},
      {"two highs then a low", std::u16string{0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {"a NUL", std::u16string(1, u'\0'), std::string(1, '\0')},
  };
  for (const auto& c : cases) EXPECT_EQ(StudioUnicodeText::Utf8FromUtf16(c.utf16), c.utf8) << c.what;
}

TEST(StudioUnicodeText, Utf8BecomesUtf16WithEachIllFormedPartReplaced) {
  struct {
    const char* what;
    std::string utf8;
    std::u16string utf16;
  } const cases[] = {
      {"empty", "", u""},
      {"symbols", "\xEE\x80\x9C", u"\uE01C"},
      {"beyond the BMP", "\xF0\x9F\x98\x80", std::u16string{0xD83D, 0xDE00}},
      {"the last code point", "\xF4\x8F\xBF\xBF", std::u16string{0xDBFF, 0xDFFF}},
      {"a stray continuation byte", "a\x80" "b", std::u16string{u'a', kFFFD, u'b'}},
      {"a sequence cut off before a letter", "\xE2\x82" "a", std::u16string{kFFFD, u'a'}},
      {"a sequence cut off at the end", "a\xF0\x9F\x98", std::u16string{u'a', kFFFD}},
      {"an overlong slash", "\xC0\xAF", std::u16string{kFFFD, kFFFD}},
      {"an overlong three-byte form", "\xE0\x80\x80", std::u16string{kFFFD, kFFFD, kFFFD}},
      {"an encoded surrogate", "\xED\xA0\x80", std::u16string{kFFFD, kFFFD, kFFFD}},
      {"past U+10FFFF", "\xF4\x90\x80\x80", std::u16string{kFFFD, kFFFD, kFFFD, kFFFD}},
      {"bytes that start nothing", "\xF5\xFF", std::u16string{kFFFD, kFFFD}},
  };
  for (const auto& c : cases) EXPECT_EQ(StudioUnicodeText::Utf16FromUtf8(c.utf8), c.utf16) << c.what;
}

TEST(StudioUnicodeText, WellFormedTextGoesRoundTrip) {
  std::u16string all;
  for (char32_t c = 0x20; c < 0xD800; c += 37) all += static_cast<char16_t>(c);
  for (char32_t c = 0xE000; c < 0x10000; c += 41) all += static_cast<char16_t>(c);
  all += std::u16string{0xD800, 0xDC00, 0xDBFF, 0xDFFF};
  EXPECT_EQ(StudioUnicodeText::Utf16FromUtf8(StudioUnicodeText::Utf8FromUtf16(all)), all);
}

// UPasteboard driven over the service, as the object's cut, copy and paste
// keys drive it.
class StudioClipboardSeamTest : public testing::Test {
 protected:
  void SetUp() override { UPasteboard::SetService(&service); }
  void TearDown() override { UPasteboard::SetService(nullptr); }

  static ATNumberArray<unsigned short> Units(const std::u16string& text) {
    ATNumberArray<unsigned short> units;
    for (char16_t unit : text) units.Append(unit);
    return units;
  }
  static std::u16string Text(const ATNumberArray<unsigned short>& units) {
    std::u16string text;
    for (size_t i = 0; i < units.Length(); ++i) text += static_cast<char16_t>(units[i]);
    return text;
  }

  std::vector<std::string> desktop;  // what the desktop was given, in order
  StudioClipboardService service{[this](const std::string& text) { desktop.push_back(text); }};
};

TEST_F(StudioClipboardSeamTest, ACopyReachesTheDesktopAsUtf8AndPastesBack) {
  UPasteboard::SetUText(Units(u"\uE01C\uE01D"));
  EXPECT_EQ(desktop, (std::vector<std::string>{"\xEE\x80\x9C\xEE\x80\x9D"}));
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"\uE01C\uE01D");

  // An empty copy leaves both clipboards as they were.
  UPasteboard::SetUText(Units(u""));
  EXPECT_EQ(desktop.size(), 1u);
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"\uE01C\uE01D");
}

TEST_F(StudioClipboardSeamTest, TheDesktopsTextPastesAsUtf16) {
  ASSERT_TRUE(service.FinishRead(service.StartRead(), "x\xEE\x80\x9C", true));
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"x\uE01C");
  uint32_t count = 9;
  ASSERT_EQ(service.GetItemCount(&count), 0);
  EXPECT_EQ(count, 1u);
  std::vector<uint8_t> utf8;
  ASSERT_EQ(service.CopyItemFlavorData(1, kUPasteboardFlavorUTF8PlainText, &utf8), 0);
  EXPECT_EQ(std::string(utf8.begin(), utf8.end()), "x\xEE\x80\x9C");

  // No text on the desktop (an image, say), or empty text: no item, nothing
  // to paste.
  for (bool hasText : {false, true}) {
    ASSERT_TRUE(service.FinishRead(service.StartRead(), "", hasText));
    EXPECT_TRUE(UPasteboard::GetUText().IsEmpty());
    ASSERT_EQ(service.GetItemCount(&count), 0);
    EXPECT_EQ(count, 0u);
    UPasteboardService::ItemID item = 0;
    EXPECT_EQ(service.GetItemIdentifier(1, &item), kQVErrGeneric);
  }
  EXPECT_TRUE(desktop.empty());  // reading never writes
}

TEST_F(StudioClipboardSeamTest, AReadStartedBeforeACopyIsStale) {
  uint64_t before = service.StartRead();
  UPasteboard::SetUText(Units(u"\uE300"));
  EXPECT_FALSE(service.FinishRead(before, "old text", true));
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"\uE300");
  // The read the copy itself set off brings back what was written.
  EXPECT_TRUE(service.FinishRead(service.StartRead(), desktop.back(), true));
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"\uE300");
}

TEST_F(StudioClipboardSeamTest, OddByteCountsAndRefusedRequests) {
  const uint8_t five[] = {0x1C, 0xE0, 0x1D, 0xE0, 0x41};
  ASSERT_EQ(service.Clear(), 0);
  ASSERT_EQ(service.PutItemFlavor(1, kUPasteboardFlavorUTF16PlainText, five, 5), 0);
  EXPECT_EQ(service.Text(), u"\uE01C\uE01D");  // the odd byte is dropped
  EXPECT_EQ(desktop.back(), "\xEE\x80\x9C\xEE\x80\x9D");
  // The same flavour again, item 0, another item, an unknown flavour.
  EXPECT_EQ(service.PutItemFlavor(1, kUPasteboardFlavorUTF16PlainText, five, 4), kQVErrGeneric);
  EXPECT_EQ(service.PutItemFlavor(0, kUPasteboardFlavorUTF8PlainText, five, 4), kQVErrGeneric);
  EXPECT_EQ(service.PutItemFlavor(2, kUPasteboardFlavorUTF8PlainText, five, 4), kQVErrGeneric);
  EXPECT_EQ(service.PutItemFlavor(1, "public.png", five, 4), kQVErrGeneric);
  EXPECT_EQ(service.PutItemFlavor(1, nullptr, five, 4), kQVErrGeneric);
  EXPECT_EQ(service.PutItemFlavor(1, kUPasteboardFlavorUTF8PlainText, nullptr, 4), kQVErrGeneric);
  std::vector<uint8_t> data;
  EXPECT_EQ(service.CopyItemFlavorData(1, "public.png", &data), kQVErrGeneric);
  EXPECT_EQ(service.CopyItemFlavorData(2, kUPasteboardFlavorUTF16PlainText, &data), kQVErrGeneric);
  EXPECT_EQ(service.Text(), u"\uE01C\uE01D");
  EXPECT_EQ(desktop.size(), 1u);

  // One byte: no whole code unit, nothing to paste, nothing for the desktop.
  ASSERT_EQ(service.Clear(), 0);
  ASSERT_EQ(service.PutItemFlavor(1, kUPasteboardFlavorUTF16PlainText, five, 1), 0);
  EXPECT_TRUE(UPasteboard::GetUText().IsEmpty());
  EXPECT_EQ(desktop.size(), 1u);

  // A lone surrogate copied reaches the desktop as U+FFFD, never as
  // ill-formed UTF-8.
  UPasteboard::SetUText(Units(std::u16string{0xD800, u'a'}));
  EXPECT_EQ(desktop.back(), "\xEF\xBF\xBD" "a");
}

TEST(StudioClipboardPasteKey, ThePasteKeyIsCommandWithTheUsersV) {
  ASSERT_TRUE(UKeyLayout::SelectLayout("us"));
  constexpr uint32_t kKeyV = 47, kKeyC = 46;
  EXPECT_TRUE(StudioClipboardService::IsPasteKey({kKeyV, kUKeyModifierCommand}));
  EXPECT_TRUE(StudioClipboardService::IsPasteKey({kKeyV, kUKeyModifierCommand | kUKeyModifierShift}));
  EXPECT_FALSE(StudioClipboardService::IsPasteKey({kKeyV, 0}));
  EXPECT_FALSE(StudioClipboardService::IsPasteKey({kKeyC, kUKeyModifierCommand}));
  // On a French keyboard V sits where it does on a US one; on a Dvorak
  // keyboard the key that types v is another.
  ASSERT_TRUE(UKeyLayout::SelectLayout("us(dvorak)"));
  EXPECT_FALSE(StudioClipboardService::IsPasteKey({kKeyV, kUKeyModifierCommand}));
  EXPECT_TRUE(StudioClipboardService::IsPasteKey({52, kUKeyModifierCommand}));  // KEY_DOT
  ASSERT_TRUE(UKeyLayout::SelectLayout("us"));
}

}  // namespace
