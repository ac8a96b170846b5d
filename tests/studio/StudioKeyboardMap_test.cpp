// The keyboard map panel's model: the pc105 grid, the symbols each level of
// a key types in the three symbol layouts, hit testing, hover captions and
// the layout the panel follows.
#include "StudioKeyboardMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioSelection.h"
#include "StudioTestPlugin.h"
#include "kit/QVDictionary.h"
#include "kit/QVValue.h"
#include "textinput/UKeyLayout.h"

namespace {

// Linux evdev codes.
constexpr uint32_t kKey1 = 2, kKeyMinus = 12, kKeyTab = 15, kKeyR = 19, kKeyZ = 44,
                   kKeySpace = 57, kKey102nd = 86, kKeyReturn = 28, kKeyBackslash = 43;

class StudioKeyboardMapTest : public testing::Test {
 protected:
  void SetUp() override { UKeyLayout::SetSymbolLayoutFolder(TALVANE_SOURCE_DIR "/resources/keylayouts"); }
  void TearDown() override { UKeyLayout::SetSymbolLayoutFolder(""); }
};

size_t IndexOf(const StudioKeyboardMap& map, uint32_t code) {
  for (size_t i = 0; i < map.Keys().size(); ++i) {
    if (map.Keys()[i].code == code) return i;
  }
  ADD_FAILURE() << "no key " << code;
  return 0;
}

struct LevelCase {
  const char* layout;
  uint32_t code;
  std::u16string levels[4];
};

TEST_F(StudioKeyboardMapTest, KnownKeysOfTheSymbolLayoutsTypeTheirSymbolsAtEachLevel) {
  const LevelCase cases[] = {
      {"Brindel", kKeyR, {u"\uE01C", u"\uE01D", u"\uE01E", u"\uE01F"}},
      {"Brindel", kKeyZ, {u"\uE001", u"\uE006", u"\uE00B", u""}},  // no fourth level
      {"Brindel", kKeySpace, {u"\uE000", u"\uE000", u"\uE000", u"\uE000"}},
      {"Carvel", kKey1, {u"\uE441", u"\uE451", u"\uE461", u"\uE471"}},
      {"Sorel", kKey1, {u"\uE300", u"\uE301", u"\uE302", u"\uE303"}},
      // Keys the layout does not list, and keys that edit (Return types a
      // carriage return, which the map does not offer), give nothing.
      {"Carvel", kKeyMinus, {u"", u"", u"", u""}},
      {"Brindel", kKey102nd, {u"", u"", u"", u""}},
      {"Sorel", kKeyTab, {u"", u"", u"", u""}},
      {"Sorel", kKeyReturn, {u"", u"", u"", u""}},
  };
  for (const LevelCase& c : cases) {
    StudioKeyboardMap map = StudioKeyboardMap::ForLayout(c.layout);
    EXPECT_TRUE(map.HasLayout()) << c.layout;
    size_t key = IndexOf(map, c.code);
    for (int level = 0; level < 4; ++level) {
      EXPECT_EQ(map.Text(key, level), c.levels[level]) << c.layout << " key " << c.code << " level " << level;
    }
  }
}

TEST_F(StudioKeyboardMapTest, AnUnknownOrEmptyLayoutNameGivesTheGridWithoutSymbols) {
  for (const char* name : {"", "brindel", "Pelmar Brindel", "Nowhere"}) {
    StudioKeyboardMap map = StudioKeyboardMap::ForLayout(name);
    EXPECT_FALSE(map.HasLayout()) << name;
    EXPECT_EQ(map.Keys().size(), StudioKeyboardMap().Keys().size());
    for (size_t key = 0; key < map.Keys().size(); ++key) {
      for (int level = 0; level < 4; ++level) EXPECT_TRUE(map.Text(key, level).empty()) << name;
    }
  }
}

TEST_F(StudioKeyboardMapTest, TheGridIsThePc105MainBlock) {
  StudioKeyboardMap iso;
  EXPECT_EQ(iso.Keys().size(), 62u);  // 14 + 13 + 13 + 13 + 8 keys and Return
  EXPECT_EQ(iso.Size().width, 15.0);
  EXPECT_EQ(iso.Size().height, 5.0);
  // No two keys overlap and every key lies inside the block.
  for (size_t i = 0; i < iso.Keys().size(); ++i) {
    const AGRect& a = iso.Keys()[i].frame;
    EXPECT_GE(a.x1, 0.0);
    EXPECT_LE(a.x2, 15.0);
    EXPECT_GE(a.y1, 0.0);
    EXPECT_LE(a.y2, 5.0);
    for (size_t j = i + 1; j < iso.Keys().size(); ++j) {
      const AGRect& b = iso.Keys()[j].frame;
      bool overlap = a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
      EXPECT_FALSE(overlap) << iso.Keys()[i].code << " and " << iso.Keys()[j].code;
    }
  }
  const AGRect& r = iso.Keys()[IndexOf(iso, kKeyR)].frame;  // after Tab (1.5) and q w e
  EXPECT_EQ(r.x1, 4.5);
  EXPECT_EQ(r.y1, 1.0);
  const AGRect& ret = iso.Keys()[IndexOf(iso, kKeyReturn)].frame;
  EXPECT_EQ(ret.y2 - ret.y1, 2.0);  // ISO Return spans two rows
  EXPECT_EQ(iso.Keys()[IndexOf(iso, kKeyReturn)].label, "Return");

  StudioKeyboardMap ansi(StudioKeyboardMap::Shape::kANSI);
  EXPECT_EQ(ansi.Keys().size(), 61u);  // no key between left Shift and Z
  for (const auto& key : ansi.Keys()) EXPECT_NE(key.code, kKey102nd);
  const AGRect& backslash = ansi.Keys()[IndexOf(ansi, kKeyBackslash)].frame;
  EXPECT_EQ(backslash.y1, 1.0);  // above Return, at the top letter row's end
  EXPECT_EQ(backslash.x2, 15.0);
}

TEST_F(StudioKeyboardMapTest, APointHitsTheKeyAndTheLevelOfItsQuarter) {
  StudioKeyboardMap map = StudioKeyboardMap::ForLayout("Brindel");
  size_t r = IndexOf(map, kKeyR);  // frame (4.5, 1) - (5.5, 2)
  struct {
    AGPoint point;
    int level;
  } const quarters[] = {{{4.6, 1.9}, 0}, {{4.6, 1.1}, 1}, {{5.4, 1.9}, 2}, {{5.4, 1.1}, 3},
                        {{4.5, 1.0}, 1}, {{5.0, 1.5}, 2}};
  for (const auto& q : quarters) {
    size_t key = 99;
    int level = -1;
    ASSERT_TRUE(map.HitTest(q.point, key, level)) << q.point.x << "," << q.point.y;
    EXPECT_EQ(key, r);
    EXPECT_EQ(level, q.level) << q.point.x << "," << q.point.y;
  }
  // The right edge belongs to the next key (t).
  size_t key = 0;
  int level = 0;
  ASSERT_TRUE(map.HitTest({5.5, 1.9}, key, level));
  EXPECT_EQ(map.Keys()[key].code, 20u);
  // Outside the block and in the gap left of ISO Return.
  for (AGPoint outside : {AGPoint{-0.01, 0.5}, AGPoint{15.0, 0.5}, AGPoint{3.0, 5.0},
                          AGPoint{13.6, 1.5}}) {
    EXPECT_FALSE(map.HitTest(outside, key, level)) << outside.x << "," << outside.y;
  }
}

TEST_F(StudioKeyboardMapTest, TheHoverCaptionGivesTheCodePointAndTheKey) {
  StudioKeyboardMap map = StudioKeyboardMap::ForLayout("Brindel");
  size_t r = IndexOf(map, kKeyR);
  EXPECT_EQ(map.HoverText(r, 0), "U+E01C \u2014 key AD04");
  EXPECT_EQ(map.HoverText(r, 3), "U+E01F \u2014 key AD04");
  EXPECT_EQ(map.HoverText(IndexOf(map, kKeyZ), 3), "");  // types nothing
  EXPECT_EQ(map.HoverText(map.Keys().size(), 0), "");
  EXPECT_EQ(map.HoverText(r, 4), "");
}

TEST_F(StudioKeyboardMapTest, ALevelIsTypedWithItsModifierBits) {
  EXPECT_EQ(StudioKeyboardMap::ModifiersForLevel(0), 0u);
  EXPECT_EQ(StudioKeyboardMap::ModifiersForLevel(1), kUKeyModifierShift);
  EXPECT_EQ(StudioKeyboardMap::ModifiersForLevel(2), kUKeyModifierOption);
  EXPECT_EQ(StudioKeyboardMap::ModifiersForLevel(3), kUKeyModifierShift | kUKeyModifierOption);
  EXPECT_EQ(StudioKeyboardMap::ModifiersForLevel(4), 0u);
  EXPECT_EQ(StudioKeyboardMap::ModifiersForLevel(-1), 0u);
}

// ---- The layout the panel follows

class StudioKeyboardLayoutChoiceTest : public StudioPluginTest {
 protected:
  StudioObjectId CreateWithLayout(StudioDocument& doc, const char* layout) {
    StudioObjectId id = kStudioNoObject;
    EXPECT_EQ(StudioActions::Create(doc, {0, 0, 640, 64}, &id), 0);
    QVDictionary properties;
    QVValue value;
    EXPECT_EQ(properties.SetValue("KeyLayout", *QVValueSetasQVString(&value, QVString(layout))), 0);
    EXPECT_EQ(StudioActions::SetProperties(doc, {id}, properties, "Keyboard"), 0);
    return id;
  }
};

TEST_F(StudioKeyboardLayoutChoiceTest, TheEditedObjectWinsOverTheSelection) {
  StudioDocument doc(*plugin);
  StudioObjectId sorel = CreateWithLayout(doc, "Sorel");
  StudioObjectId carvel = CreateWithLayout(doc, "Carvel");
  StudioObjectId current = CreateWithLayout(doc, "");
  StudioSelection selection;
  EXPECT_EQ(StudioKeyboardMap::ActiveLayoutName(doc, selection, kStudioNoObject).Std(), "");
  selection.Add(carvel);
  selection.Add(sorel);
  EXPECT_EQ(StudioKeyboardMap::ActiveLayoutName(doc, selection, kStudioNoObject).Std(), "Carvel");
  EXPECT_EQ(StudioKeyboardMap::ActiveLayoutName(doc, selection, sorel).Std(), "Sorel");
  EXPECT_EQ(StudioKeyboardMap::ActiveLayoutName(doc, selection, current).Std(), "");
  // An id no longer in the document is passed over.
  selection.Replace(999);
  selection.Add(sorel);
  EXPECT_EQ(StudioKeyboardMap::ActiveLayoutName(doc, selection, 998).Std(), "Sorel");
}

}  // namespace
