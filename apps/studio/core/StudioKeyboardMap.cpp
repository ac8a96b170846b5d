#include "StudioKeyboardMap.h"

#include <algorithm>
#include <cstdio>

#include "StudioDocument.h"
#include "StudioSelection.h"
#include "bridge/HostObject.h"
#include "kit/ATArray.h"
#include "kit/QVDictionary.h"
#include "kit/QVValue.h"
#include "textinput/UKeyLayout.h"

namespace {

// One key of a row: its evdev code, width in key units and, for keys that
// edit or shift rather than type, the caption. Code 0 is a gap.
struct KeyPlace {
  uint32_t code;
  double width;
  const char* label;
};

// Rows left to right, top to bottom; each row is 15 units wide.
const std::vector<KeyPlace> kDigitRow = {
    {41, 1, nullptr}, {2, 1, nullptr},  {3, 1, nullptr},  {4, 1, nullptr},  {5, 1, nullptr},
    {6, 1, nullptr},  {7, 1, nullptr},  {8, 1, nullptr},  {9, 1, nullptr},  {10, 1, nullptr},
    {11, 1, nullptr}, {12, 1, nullptr}, {13, 1, nullptr}, {14, 2, "Backspace"}};
const std::vector<KeyPlace> kBottomRow = {
    {29, 1.25, "Ctrl"}, {125, 1.25, "Super"}, {56, 1.25, "Alt"},  {57, 6.25, nullptr},
    {100, 1.25, "AltGr"}, {126, 1.25, "Super"}, {127, 1.25, "Menu"}, {97, 1.25, "Ctrl"}};

std::vector<KeyPlace> TopLetterRow(bool iso) {
  std::vector<KeyPlace> row = {{15, 1.5, "Tab"}};
  for (uint32_t code = 16; code <= 27; ++code) row.push_back({code, 1, nullptr});
  // ISO: Return's upper part (the key itself is placed with the next row).
  if (!iso) row.push_back({43, 1.5, nullptr});
  return row;
}

std::vector<KeyPlace> HomeRow(bool iso) {
  std::vector<KeyPlace> row = {{58, 1.75, "Caps"}};
  for (uint32_t code = 30; code <= 40; ++code) row.push_back({code, 1, nullptr});
  if (iso) {
    row.push_back({43, 1, nullptr});
  } else {
    row.push_back({28, 2.25, "Return"});
  }
  return row;
}

std::vector<KeyPlace> LowerLetterRow(bool iso) {
  std::vector<KeyPlace> row;
  if (iso) {
    row.push_back({42, 1.25, "Shift"});
    row.push_back({86, 1, nullptr});
  } else {
    row.push_back({42, 2.25, "Shift"});
  }
  for (uint32_t code = 44; code <= 53; ++code) row.push_back({code, 1, nullptr});
  row.push_back({54, 2.75, "Shift"});
  return row;
}

constexpr uint32_t kKeyReturn = 28;
// ISO Return: two rows tall at the right end, beside the top letter row's
// last key and the home row's backslash key.
constexpr AGRect kIsoReturnFrame = {13.75, 1, 15, 3};

void AppendCodePoint(std::string& text, char32_t point) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(point));
  if (!text.empty()) text += ' ';
  text += buffer;
}

std::u16string ToU16(const ATNumberArray<unsigned short>& units) {
  std::u16string text;
  for (size_t i = 0; i < units.Length(); ++i) text.push_back(static_cast<char16_t>(units[i]));
  return text;
}

}  // namespace

StudioKeyboardMap::StudioKeyboardMap(Shape shape) : mShape(shape) {
  bool iso = shape == Shape::kISO;
  const std::vector<std::vector<KeyPlace>> rows = {kDigitRow, TopLetterRow(iso), HomeRow(iso),
                                                  LowerLetterRow(iso), kBottomRow};
  for (size_t r = 0; r < rows.size(); ++r) {
    double x = 0;
    for (const KeyPlace& place : rows[r]) {
      Key key;
      key.code = place.code;
      key.frame = {x, double(r), x + place.width, double(r + 1)};
      if (place.label) key.label = place.label;
      mKeys.push_back(key);
      x += place.width;
    }
  }
  if (iso) {
    Key key;
    key.code = kKeyReturn;
    key.frame = kIsoReturnFrame;
    key.label = "Return";
    mKeys.push_back(key);
  }
}

StudioKeyboardMap StudioKeyboardMap::ForLayout(const QVString& shortName, Shape shape) {
  StudioKeyboardMap map(shape);
  map.mLayoutName = shortName;
  std::vector<QVString> installed = UKeyLayout::GetLayoutList();
  if (std::find(installed.begin(), installed.end(), shortName) == installed.end()) return map;
  map.mHasLayout = true;
  for (Key& key : map.mKeys) {
    key.name = UKeyLayout::GetLayoutKeyName(shortName, key.code).Std();
    // Captioned keys edit or shift: the map offers symbols only.
    if (!key.label.empty()) continue;
    for (int level = 0; level < kLevelCount; ++level) {
      key.levels[level] =
          ToU16(UKeyLayout::GetLayoutUniChars(shortName, key.code, ModifiersForLevel(level)));
    }
  }
  return map;
}

QVString StudioKeyboardMap::ActiveLayoutName(const StudioDocument& doc,
                                             const StudioSelection& selection,
                                             StudioObjectId edited) {
  const HostObject* object = doc.Find(edited);
  for (size_t i = 0; !object && i < selection.Ids().size(); ++i) {
    object = doc.Find(selection.Ids()[i]);
  }
  if (!object) return QVString();
  QVDictionary properties;
  if (object->GetObjectProperties(properties) != 0 || !properties.ContainsKey("KeyLayout")) {
    return QVString();
  }
  QVString name;
  if (!QVValueGetasQVString(properties.GetValue("KeyLayout"), name)) return QVString();
  return name;
}

uint32_t StudioKeyboardMap::ModifiersForLevel(int level) {
  if (level < 0 || level >= kLevelCount) return 0;
  return static_cast<uint32_t>(level);
}

AGSize StudioKeyboardMap::Size() const { return {15, 5}; }

bool StudioKeyboardMap::HitTest(const AGPoint& point, size_t& key, int& level) const {
  for (size_t i = 0; i < mKeys.size(); ++i) {
    const AGRect& f = mKeys[i].frame;
    if (point.x < f.x1 || point.x >= f.x2 || point.y < f.y1 || point.y >= f.y2) continue;
    bool upper = point.y < (f.y1 + f.y2) / 2;
    bool right = point.x >= (f.x1 + f.x2) / 2;
    key = i;
    level = (upper ? 1 : 0) + (right ? 2 : 0);
    return true;
  }
  return false;
}

const std::u16string& StudioKeyboardMap::Text(size_t key, int level) const {
  static const std::u16string kNothing;
  if (key >= mKeys.size() || level < 0 || level >= kLevelCount) return kNothing;
  return mKeys[key].levels[level];
}

std::string StudioKeyboardMap::HoverText(size_t key, int level) const {
  const std::u16string& text = Text(key, level);
  if (text.empty()) return std::string();
  std::string caption;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendCodePoint(caption, unit);
  }
  if (!mKeys[key].name.empty()) caption += " \u2014 key " + mKeys[key].name;
  return caption;
}
