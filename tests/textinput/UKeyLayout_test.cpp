#include "textinput/UKeyLayout.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "textinput/platform/UKeyLayoutXkb_p.h"

namespace {

constexpr unsigned long kShift = kUKeyModifierShift;
constexpr unsigned long kAltGr = kUKeyModifierOption;

const QVString kSymbolLayouts(TALVANE_SOURCE_DIR "/resources/keylayouts");

std::vector<unsigned> Units(const ATNumberArray<unsigned short>& units) {
  std::vector<unsigned> out;
  for (uint32_t i = 0; i < units.Length(); ++i) out.push_back(units[i]);
  return out;
}

std::vector<std::string> Strings(const std::vector<QVString>& names) {
  std::vector<std::string> out;
  for (const QVString& name : names) out.push_back(name.Std());
  return out;
}

// Every test starts with the product's symbol layouts, no saved layout and
// the US layout current.
class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UKeyLayout::SetSymbolLayoutFolder(kSymbolLayouts);
    UKeyLayout::ExitEditMode();
    ASSERT_TRUE(UKeyLayout::SelectLayout("us"));
  }
  void TearDown() override {
    UKeyLayout::ExitEditMode();
    UKeyLayout::SetSymbolLayoutFolder(kSymbolLayouts);
  }
};

// ---- Listing

TEST_F(KeyboardTest, ListsTheSymbolLayoutsByShortNameSorted) {
  // The family entry "Pelmar" (no space) and the system's layouts are left out.
  EXPECT_EQ(Strings(UKeyLayout::GetLayoutList()),
            (std::vector<std::string>{"Brindel", "Carvel", "Sorel"}));
}

TEST_F(KeyboardTest, WithoutTheLayoutFolderOnlySystemLayoutsExist) {
  UKeyLayout::SetSymbolLayoutFolder("");
  EXPECT_TRUE(UKeyLayout::GetLayoutList().empty());
  EXPECT_FALSE(UKeyLayout::EnterEditMode("Brindel"));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  EXPECT_TRUE(UKeyLayout::SelectLayout("English (US)"));
}

// ---- A named layout's keys, without switching

TEST_F(KeyboardTest, ANamedLayoutTranslatesWithoutBecomingCurrent) {
  EXPECT_EQ(Units(UKeyLayout::GetLayoutUniChars("Brindel", 19, 0)), (std::vector<unsigned>{0xE01C}));
  EXPECT_EQ(Units(UKeyLayout::GetLayoutUniChars("Brindel", 19, 3)), (std::vector<unsigned>{0xE01F}));
  EXPECT_EQ(Units(UKeyLayout::GetLayoutUniChars("Sorel", 19, 0)).size(), 1u);
  EXPECT_TRUE(Units(UKeyLayout::GetLayoutUniChars("Brindel", 19, 4)).empty());  // control
  EXPECT_TRUE(Units(UKeyLayout::GetLayoutUniChars("Brindel", 15, 0)).empty());  // tab
  EXPECT_TRUE(Units(UKeyLayout::GetLayoutUniChars("Carvel", 12, 0)).empty());   // not listed
  EXPECT_TRUE(Units(UKeyLayout::GetLayoutUniChars("brindel", 19, 0)).empty());
  EXPECT_TRUE(Units(UKeyLayout::GetLayoutUniChars("", 19, 0)).empty());
  EXPECT_EQ(UKeyLayout::GetLayoutKeyName("Brindel", 19).Std(), "AD04");
  EXPECT_EQ(UKeyLayout::GetLayoutKeyName("Brindel", 57).Std(), "SPCE");
  EXPECT_EQ(UKeyLayout::GetLayoutKeyName("Nowhere", 19).Std(), "");
  EXPECT_EQ(UKeyLayout::GetLayoutKeyName("Brindel", 0xFFF0).Std(), "");
  // The keyboard is still the US layout, and the folder's change drops the
  // remembered layout.
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(19, 0)), (std::vector<unsigned>{'r'}));
  UKeyLayout::SetSymbolLayoutFolder("");
  EXPECT_TRUE(Units(UKeyLayout::GetLayoutUniChars("Brindel", 19, 0)).empty());
}

// ---- Selection and restore

TEST_F(KeyboardTest, EditModeSelectsTheSymbolLayoutAndRestoresThePreviousOne) {
  ASSERT_TRUE(UKeyLayout::SelectLayout("fr"));
  const std::string french = UKeyLayout::GetCurrentLayoutName().Std();
  ASSERT_FALSE(french.empty());

  EXPECT_TRUE(UKeyLayout::EnterEditMode("Sorel"));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Sorel");
  UKeyLayout::ExitEditMode();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), french);

  // Nothing is saved any more: a second exit changes nothing.
  ASSERT_TRUE(UKeyLayout::SelectLayout("Pelmar Carvel"));
  UKeyLayout::ExitEditMode();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Carvel");
}

TEST_F(KeyboardTest, EmptyShortNameSucceedsAndLeavesTheKeyboardAlone) {
  EXPECT_TRUE(UKeyLayout::EnterEditMode(""));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  // No layout was saved, so leaving keeps whatever the user chose meanwhile.
  ASSERT_TRUE(UKeyLayout::SelectLayout("Pelmar Brindel"));
  UKeyLayout::ExitEditMode();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Brindel");
}

TEST_F(KeyboardTest, ShortNamesAreCaseSensitiveButTheLayoutIsSavedAnyway) {
  EXPECT_FALSE(UKeyLayout::EnterEditMode("brindel"));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  ASSERT_TRUE(UKeyLayout::SelectLayout("ru"));
  UKeyLayout::ExitEditMode();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
}

TEST_F(KeyboardTest, SecondEntryWithoutExitSavesTheLayoutActiveThen) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Brindel"));
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Carvel"));
  UKeyLayout::ExitEditMode();
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Brindel");
}

TEST_F(KeyboardTest, UnknownNamesAreRefusedWithoutChange) {
  const char* unknown[] = {"Nowhere", "Pelmar", "Pelmar Brindel", " Brindel", "Brindel "};
  for (const char* name : unknown) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(UKeyLayout::EnterEditMode(name));
    EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  }
  const char* unknownSelections[] = {"", "Klingon", "us(", "us()", "pelmar(nowhere)", "Pelmar brindel"};
  for (const char* name : unknownSelections) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(UKeyLayout::SelectLayout(name));
    EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  }
}

TEST_F(KeyboardTest, SelectsByDisplayNameOrXkbName) {
  EXPECT_TRUE(UKeyLayout::SelectLayout("pelmar(sorel)"));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Sorel");
  EXPECT_TRUE(UKeyLayout::SelectLayout("Pelmar Carvel"));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "Pelmar Carvel");
}

// ---- Typing

struct TypedKey {
  const char* layout;
  unsigned long code;
  unsigned long modifiers;
  std::vector<unsigned> units;
};

TEST_F(KeyboardTest, SymbolKeysTypeTheirFamilyOnEachLevel) {
  const TypedKey cases[] = {
      // Brindel: four keys per mass and sustain are the weights, levels the fills.
      {"Brindel", KEY_Q, 0, {0xE010}},
      {"Brindel", KEY_Q, kShift, {0xE011}},
      {"Brindel", KEY_Q, kAltGr, {0xE012}},
      {"Brindel", KEY_Q, kShift | kAltGr, {0xE013}},
      {"Brindel", KEY_R, 0, {0xE01C}},
      {"Brindel", KEY_RIGHTBRACE, kShift | kAltGr, {0xE03F}},
      {"Brindel", KEY_A, 0, {0xE070}},
      {"Brindel", KEY_BACKSLASH, kAltGr, {0xE09E}},
      {"Brindel", KEY_1, kShift, {0xE0D1}},
      {"Brindel", KEY_EQUAL, 0, {0xE0FC}},
      {"Brindel", KEY_Z, 0, {0xE001}},
      {"Brindel", KEY_Z, kShift, {0xE006}},
      {"Brindel", KEY_B, kAltGr, {0xE00F}},
      {"Brindel", KEY_Z, kShift | kAltGr, {}},  // generic sounds have three levels
      {"Brindel", KEY_N, 0, {}},                // a key the layout leaves free
      {"Brindel", KEY_SPACE, 0, {0xE000}},
      {"Brindel", KEY_SPACE, kShift | kAltGr, {0xE000}},
      {"Brindel", KEY_GRAVE, kShift, {0xE000}},
      // Carvel: labels on the digits, grouped masses on the letters.
      {"Carvel", KEY_1, 0, {0xE441}},
      {"Carvel", KEY_0, kAltGr, {0xE460}},
      {"Carvel", KEY_9, kShift | kAltGr, {0xE479}},
      {"Carvel", KEY_Q, kShift, {0xE041}},
      {"Carvel", KEY_APOSTROPHE, 0, {0xE0C8}},
      // Sorel: performance and time marks.
      {"Sorel", KEY_1, 0, {0xE300}},
      {"Sorel", KEY_EQUAL, kShift | kAltGr, {0xE32F}},
      {"Sorel", KEY_I, kShift, {0xE34D}},
      {"Sorel", KEY_F, kAltGr, {0xE48E}},
      {"Sorel", KEY_Z, 0, {0xE4E0}},
      {"Sorel", KEY_COMMA, kShift, {0xE4DD}},
      {"Sorel", KEY_SLASH, kShift, {0xE4C5}},
  };
  for (const TypedKey& c : cases) {
    SCOPED_TRACE(std::string(c.layout) + " key " + std::to_string(c.code) + " modifiers " +
                 std::to_string(c.modifiers));
    ASSERT_TRUE(UKeyLayout::EnterEditMode(c.layout));
    EXPECT_EQ(Units(UKeyLayout::GetUniChars(c.code, c.modifiers)), c.units);
  }
}

TEST_F(KeyboardTest, EditingKeysTypeNothingExceptLineBreaks) {
  for (const char* layout : {"Pelmar Brindel", "English (US)"}) {
    SCOPED_TRACE(layout);
    ASSERT_TRUE(UKeyLayout::SelectLayout(layout));
    for (unsigned long code : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_HOME, KEY_PAGEDOWN, KEY_BACKSPACE,
                               KEY_DELETE, KEY_TAB, KEY_ESC, KEY_F1, KEY_LEFTSHIFT, KEY_KPENTER}) {
      SCOPED_TRACE(code);
      EXPECT_TRUE(UKeyLayout::GetUniChars(code, 0).IsEmpty());
      EXPECT_TRUE(UKeyLayout::GetUniChars(code, kShift).IsEmpty());
    }
    EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_ENTER, 0)), (std::vector<unsigned>{0x0D}));
  }
}

// The system's pc symbols under a symbol layout bring keys the layout does
// not list: the ISO key beside left Shift and the keypad. They type nothing
// on any level, while the editing keys they also bring keep working.
TEST_F(KeyboardTest, KeysTheSymbolLayoutDoesNotListTypeNothingOnAnyLevel) {
  const unsigned long unlisted[] = {
      KEY_KPASTERISK, KEY_KPMINUS, KEY_KPPLUS,      KEY_KPSLASH,       KEY_KPEQUAL,
      KEY_KPPLUSMINUS, KEY_KPCOMMA, KEY_KPLEFTPAREN, KEY_KPRIGHTPAREN, KEY_102ND,
      KEY_KP7,         KEY_KP0,     KEY_KPDOT,
  };
  for (const char* layout : {"Brindel", "Carvel", "Sorel"}) {
    ASSERT_TRUE(UKeyLayout::EnterEditMode(layout));
    for (unsigned long code : unlisted) {
      for (unsigned long modifiers : {0ul, kShift, kAltGr, kShift | kAltGr}) {
        SCOPED_TRACE(std::string(layout) + " key " + std::to_string(code) + " modifiers " +
                     std::to_string(modifiers));
        EXPECT_EQ(Units(UKeyLayout::GetUniChars(code, modifiers)), std::vector<unsigned>{});
      }
    }
    EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_SPACE, kShift)), std::vector<unsigned>{0xE000});
    EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_ENTER, 0)), std::vector<unsigned>{0x0D});
    UKeyLayout::ExitEditMode();
  }
  // A system layout keeps all of its keys.
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_102ND, kShift)), std::vector<unsigned>{'>'});
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_KPASTERISK, 0)), std::vector<unsigned>{'*'});
}

TEST(KeyboardLayerTest, SymbolLayoutKeepsEditingCharactersOfKeysItDoesNotList) {
  UKeyLayoutXkb::Layer& layer = UKeyLayoutXkb::Layer::Shared();
  layer.SetPrivateFolder(TALVANE_SOURCE_DIR "/resources/keylayouts");
  std::shared_ptr<UKeyLayoutXkb::Keymap> brindel =
      layer.KeymapFor({"pelmar", "brindel", "Pelmar Brindel"});
  ASSERT_TRUE(brindel);
  const std::pair<unsigned long, char32_t> cases[] = {
      {KEY_LEFT, 0x1C}, {KEY_HOME, 0x01}, {KEY_BACKSPACE, 0x08}, {KEY_DELETE, 0x7F},
      {KEY_TAB, 0x09},  {KEY_ESC, 0x1B},  {KEY_ENTER, 0x0D},     {KEY_KPENTER, 0x03},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(brindel->KeyCharacters(c.first, 0), std::vector<char32_t>{c.second});
  }
  EXPECT_EQ(brindel->KeyCharacters(KEY_102ND, kShift), std::vector<char32_t>{});
  EXPECT_EQ(brindel->KeyCharacters(KEY_Q, kShift | kAltGr), std::vector<char32_t>{0xE013});
}

TEST_F(KeyboardTest, ControlAndCommandKeysTypeNothing) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Brindel"));
  for (unsigned long modifiers : {4ul, 5ul, 8ul, 9ul, 10ul, 15ul, 16ul}) {
    SCOPED_TRACE(modifiers);
    EXPECT_TRUE(UKeyLayout::GetUniChars(KEY_Q, modifiers).IsEmpty());
  }
  ASSERT_TRUE(UKeyLayout::SelectLayout("us"));
  EXPECT_TRUE(UKeyLayout::GetUniChars(KEY_A, kUKeyModifierControl).IsEmpty());
}

TEST_F(KeyboardTest, OnlyTheLow16BitsOfTheKeyCodeCount) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Brindel"));
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(0x10000ul | KEY_Q, 0)), (std::vector<unsigned>{0xE010}));
  EXPECT_TRUE(UKeyLayout::GetUniChars(0xFFFF, 0).IsEmpty());
  EXPECT_EQ(UKeyLayout::ConvertRawToVirtualKeyCode(0x30000ul | KEY_C), static_cast<unsigned long>('c'));
}

TEST_F(KeyboardTest, DeadKeysAreNotCarriedToTheNextPress) {
  ASSERT_TRUE(UKeyLayout::SelectLayout("us(intl)"));
  EXPECT_TRUE(UKeyLayout::GetUniChars(KEY_APOSTROPHE, 0).IsEmpty());
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_E, 0)), (std::vector<unsigned>{'e'}));
}

TEST(KeyboardLayerTest, TranslationIgnoresTheControlTransform) {
  UKeyLayoutXkb::Layer& layer = UKeyLayoutXkb::Layer::Shared();
  std::shared_ptr<UKeyLayoutXkb::Keymap> us = layer.KeymapFor({"us", "", "English (US)"});
  ASSERT_TRUE(us);
  EXPECT_EQ(us->KeyCharacters(KEY_A, kUKeyModifierControl), (std::vector<char32_t>{U'a'}));
  EXPECT_EQ(us->KeyCharacters(KEY_A, kUKeyModifierControl | kShift), (std::vector<char32_t>{U'A'}));
  EXPECT_EQ(us->KeyCharacters(KEY_LEFT, 0), (std::vector<char32_t>{0x1C}));
  EXPECT_TRUE(us->CanTypeLatinLetters());
  EXPECT_FALSE(layer.KeymapFor({"nowhere", "", "Nowhere"}));
}

// ---- Shortcuts

TEST_F(KeyboardTest, ShortcutKeysFollowTheOrdinaryLayoutWhileASymbolLayoutIsActive) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Brindel"));
  const std::pair<unsigned long, unsigned long> cases[] = {
      {KEY_C, 'c'},       {KEY_V, 'v'},          {KEY_X, 'x'},        {KEY_A, 'a'},
      {KEY_LEFT, 0x1C},   {KEY_RIGHT, 0x1D},     {KEY_HOME, 0x01},    {KEY_END, 0x04},
      {KEY_BACKSPACE, 8}, {KEY_DELETE, 0x7F},    {KEY_ENTER, 0x0D},   {KEY_KPENTER, 0x03},
      {KEY_F1, 0},        {KEY_LEFTSHIFT, 0},    {KEY_RESERVED, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(UKeyLayout::ConvertRawToVirtualKeyCode(c.first), c.second);
  }
}

TEST_F(KeyboardTest, TheOrdinaryLayoutIsTheLastOneThatTypesLatinLetters) {
  ASSERT_TRUE(UKeyLayout::SelectLayout("fr"));
  EXPECT_EQ(UKeyLayout::ConvertRawToVirtualKeyCode(KEY_Q), static_cast<unsigned long>('a'));
  // Cyrillic and symbol layouts do not replace it.
  ASSERT_TRUE(UKeyLayout::SelectLayout("ru"));
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Carvel"));
  EXPECT_EQ(UKeyLayout::ConvertRawToVirtualKeyCode(KEY_Q), static_cast<unsigned long>('a'));
  UKeyLayout::ExitEditMode();
  ASSERT_TRUE(UKeyLayout::SelectLayout("us"));
  EXPECT_EQ(UKeyLayout::ConvertRawToVirtualKeyCode(KEY_Q), static_cast<unsigned long>('q'));
}

// ---- A private folder of test layouts

const char kTestRegistry[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<xkbConfigRegistry version="1.1">
  <layoutList>
    <layout>
      <configItem><name>pelmartest</name><description>Pelmarish</description></configItem>
      <variantList>
        <variant><configItem><name>zeta</name><description>Pelmar Zeta</description></configItem></variant>
        <variant><configItem><name>alpha</name><description>Pelmar Alpha</description></configItem></variant>
        <variant><configItem><name>broken</name><description>Pelmar Broken</description></configItem></variant>
        <variant><configItem><name>again</name><description>Pelmar Alpha</description></configItem></variant>
        <variant><configItem><name>bare</name><description>Pelmar</description></configItem></variant>
      </variantList>
    </layout>
  </layoutList>
</xkbConfigRegistry>
)";

// No "broken" section: that layout is listed but does not compile.
const char kTestSymbols[] = R"(
default partial alphanumeric_keys
xkb_symbols "zeta" { key <AD01> { [ UE4F9 ] }; };
partial alphanumeric_keys
xkb_symbols "alpha" {
  key <AD01> { [ U1D11E ] };
  key <AD02> { [ UE4F0, Return ] };
  key <AD03> { [ UE4F1, UE4F2 ] };
  key <AD04> { [ Tab, Delete ] };
};
partial alphanumeric_keys
xkb_symbols "again" { key <AD01> { [ UE4FF ] }; };
partial alphanumeric_keys
xkb_symbols "bare" { key <AD01> { [ UE4FE ] }; };
)";

class TestLayoutFolder : public KeyboardTest {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ukeylayout-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    mDir = pattern;
    ASSERT_EQ(::mkdir((mDir + "/rules").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((mDir + "/symbols").c_str(), 0700), 0);
    std::ofstream(mDir + "/rules/evdev.xml") << kTestRegistry;
    std::ofstream(mDir + "/symbols/pelmartest") << kTestSymbols;
    KeyboardTest::SetUp();
    UKeyLayout::SetSymbolLayoutFolder(mDir.c_str());
  }
  void TearDown() override {
    KeyboardTest::TearDown();
    std::remove((mDir + "/rules/evdev.xml").c_str());
    std::remove((mDir + "/symbols/pelmartest").c_str());
    ::rmdir((mDir + "/rules").c_str());
    ::rmdir((mDir + "/symbols").c_str());
    ::rmdir(mDir.c_str());
  }
  std::string mDir;
};

TEST_F(TestLayoutFolder, ListKeepsDuplicatesSortedAndSkipsNamesWithoutTheSpace) {
  EXPECT_EQ(Strings(UKeyLayout::GetLayoutList()),
            (std::vector<std::string>{"Alpha", "Alpha", "Broken", "Zeta"}));
}

TEST_F(TestLayoutFolder, TheFirstOfSameNamedLayoutsIsSelected) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Alpha"));
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_W, 0)), (std::vector<unsigned>{0xE4F0}));
}

TEST_F(TestLayoutFolder, ALayoutThatDoesNotCompileLeavesTheKeyboardAsItWas) {
  EXPECT_FALSE(UKeyLayout::EnterEditMode("Broken"));
  EXPECT_EQ(UKeyLayout::GetCurrentLayoutName().Std(), "English (US)");
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_Q, 0)), (std::vector<unsigned>{'q'}));
  EXPECT_FALSE(UKeyLayout::SelectLayout("Pelmar Broken"));
}

TEST_F(TestLayoutFolder, SingleControlCharactersOtherThanReturnAreDropped) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Alpha"));
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_W, kShift)), (std::vector<unsigned>{0x0D}));
  EXPECT_TRUE(UKeyLayout::GetUniChars(KEY_R, 0).IsEmpty());       // tab
  EXPECT_TRUE(UKeyLayout::GetUniChars(KEY_R, kShift).IsEmpty());  // delete
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_E, kShift)), (std::vector<unsigned>{0xE4F2}));
}

TEST_F(TestLayoutFolder, CharactersBeyondTheBasicPlaneGiveSurrogatePairs) {
  ASSERT_TRUE(UKeyLayout::EnterEditMode("Alpha"));
  EXPECT_EQ(Units(UKeyLayout::GetUniChars(KEY_Q, 0)), (std::vector<unsigned>{0xD834, 0xDD1E}));
}

// ---- Sections of a symbols file

TEST(SymbolsSectionTest, FindsTheNamedOrDefaultSectionOutsideCommentsAndStrings) {
  const std::string text =
      "// xkb_symbols \"commented\" { key <AD01> { [ a ] }; };\n"
      "partial # the default comes next\n"
      "xkb_symbols \"first\" { name[Group1] = \"a } in a string\"; };\n"
      "default partial alphanumeric_keys\n"
      "xkb_symbols \"second\" { key <AD01> { [ b ] }; // }\n};\n"
      "xkb_symbols \"third\" { key <AD01> { [ c ] }; };\n";
  std::string body;
  ASSERT_TRUE(UKeyLayoutXkb::ExtractSymbolsSection(text, "first", &body));
  EXPECT_EQ(body, " name[Group1] = \"a } in a string\"; ");
  ASSERT_TRUE(UKeyLayoutXkb::ExtractSymbolsSection(text, "third", &body));
  EXPECT_EQ(body, " key <AD01> { [ c ] }; ");
  ASSERT_TRUE(UKeyLayoutXkb::ExtractSymbolsSection(text, "", &body));
  EXPECT_EQ(body, " key <AD01> { [ b ] }; \n");
  EXPECT_FALSE(UKeyLayoutXkb::ExtractSymbolsSection(text, "commented", &body));
  EXPECT_FALSE(UKeyLayoutXkb::ExtractSymbolsSection(text, "fourth", &body));
  // Without a section flagged default, the first one is the layout's own.
  ASSERT_TRUE(UKeyLayoutXkb::ExtractSymbolsSection("xkb_symbols \"a\" { x }; xkb_symbols \"b\" { y };",
                                                   "", &body));
  EXPECT_EQ(body, " x ");
}

// The keyword inside a quoted string starts no section, even where the
// string stands outside every section.
TEST(SymbolsSectionTest, KeywordInAStringIsNotASection) {
  const std::string text =
      "partial \"xkb_symbols fake { x }\"\n"
      "xkb_symbols \"real\" { y };\n";
  std::string body;
  ASSERT_TRUE(UKeyLayoutXkb::ExtractSymbolsSection(text, "", &body));
  EXPECT_EQ(body, " y ");
}

// A stray quote between the name and the brace opens a string around the
// brace: the text was once taken as a section whose body ("#") then read as
// a comment when the section was read again on its own.
TEST(SymbolsSectionTest, AnythingBetweenTheNameAndTheBraceGivesNoSection) {
  const struct {
    const char* text;
    const char* variant;
  } cases[] = {{"xkb_symbols\"\"\"{#}", ""},
               {"xkb_symbols \"a\" \"b\" { y };", "a"},
               {"xkb_symbols \"a\" x { y };", "a"},
               {"xkb_symbols x { y };", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string body = "unchanged";
    EXPECT_FALSE(UKeyLayoutXkb::ExtractSymbolsSection(c.text, c.variant, &body));
    EXPECT_EQ(body, "unchanged");
  }
  std::string body;
  ASSERT_TRUE(UKeyLayoutXkb::ExtractSymbolsSection("xkb_symbols\t\"a\"\n{ y };", "a", &body));
  EXPECT_EQ(body, " y ");
}

TEST(SymbolsSectionTest, DamagedTextGivesNoSection) {
  const char* damaged[] = {"", "xkb_symbols \"a\" { key <AD01> { [ a ] };",
                           "xkb_symbols \"a { };", "xkb_symbols \"a\"", "my_xkb_symbols \"a\" { };"};
  for (const char* text : damaged) {
    SCOPED_TRACE(text);
    std::string body = "unchanged";
    EXPECT_FALSE(UKeyLayoutXkb::ExtractSymbolsSection(text, "a", &body));
    EXPECT_EQ(body, "unchanged");
  }
}

// ---- Names from the platform

TEST(KeyLayoutNameTest, PlatformNamesBecomeNativeTextOrNothing) {
  EXPECT_EQ(UKeyLayout::_LowCopyQVStringFromUTF8("Pelmar Brindel").Std(), "Pelmar Brindel");
  EXPECT_EQ(UKeyLayout::_LowCopyQVStringFromUTF8("Fran\xC3\xA7" "ais").Std(), "Fran\x8D" "ais");
  EXPECT_TRUE(UKeyLayout::_LowCopyQVStringFromUTF8(nullptr).IsEmpty());
  // U+0110 has no Mac OS Roman byte; a lone continuation byte is not UTF-8.
  EXPECT_TRUE(UKeyLayout::_LowCopyQVStringFromUTF8("Vietnamese (A\xC4\x90" "ERTY)").IsEmpty());
  EXPECT_TRUE(UKeyLayout::_LowCopyQVStringFromUTF8("bad \x80 byte").IsEmpty());
  EXPECT_EQ(UKeyLayout::_LowCopyQVStringFromUTF8(std::string(255, 'x').c_str()).Length(), 255u);
  EXPECT_TRUE(UKeyLayout::_LowCopyQVStringFromUTF8(std::string(256, 'x').c_str()).IsEmpty());
  // The limit counts native bytes: 128 e-acutes are 256 bytes of UTF-8 but 128 native ones.
  std::string accents;
  for (int i = 0; i < 128; ++i) accents += "\xC3\xA9";
  EXPECT_EQ(UKeyLayout::_LowCopyQVStringFromUTF8(accents.c_str()).Length(), 128u);
}

}  // namespace
