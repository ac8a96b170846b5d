// The keyboard map panel's model: a pc105 keyboard (its main block) with,
// on every key, the text each of its four levels types in one symbol
// layout, and hit testing of a point to a key and a level.
//
// Key units: one ordinary key is 1 x 1; the whole block is 15 wide and 5
// tall. Frames are in key units from the top-left corner with y pointing
// down (the panel's own coordinates, as a pointer reports them), not the
// score's y-up coordinates.
//
// Levels: 0 plain, 1 Shift, 2 level 3 (AltGr), 3 Shift + level 3; a level
// is typed by the modifier word ModifiersForLevel(level). On a key cap they
// sit as printed on keyboards: Shift levels in the top half, level-3 levels
// in the right half (plain bottom-left, Shift top-left, level 3
// bottom-right, Shift + level 3 top-right).
//
// A value type: copies are independent; queries are const.
#ifndef STUDIO_KEYBOARD_MAP_H
#define STUDIO_KEYBOARD_MAP_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"
#include "kit/QVString.h"

class StudioDocument;
class StudioSelection;

class StudioKeyboardMap {
 public:
  static constexpr int kLevelCount = 4;
  // ISO: the pc105 keyboard (Return two rows tall, a key between left Shift
  // and Z). ANSI: the 104-key arrangement of the same codes (that key left
  // out, backslash above a one-row Return).
  enum class Shape { kISO, kANSI };

  struct Key {
    uint32_t code = 0;          // Linux evdev key code (KEY_R is 19)
    AGRect frame{0, 0, 0, 0};   // key units, y down
    std::string label;  // UTF-8 caption of a key that edits or shifts ("Tab", "Shift"); empty for
                        // typing keys
    std::string name;           // the layout's name for the key ("AD04"); empty when it has none
    // UTF-16 text typed at each level; empty: nothing (always for a
    // captioned key).
    std::array<std::u16string, kLevelCount> levels;
  };

  // An empty map: the key grid of the shape without any symbols.
  explicit StudioKeyboardMap(Shape shape = Shape::kISO);

  // The map of the symbol layout "Pelmar " + shortName (native 8-bit, case
  // counts), each level's text through the keyboard's own translation (so a
  // key the layout does not list gives nothing). An empty or unknown name
  // gives the grid without symbols and HasLayout() false.
  static StudioKeyboardMap ForLayout(const QVString& shortName, Shape shape = Shape::kISO);

  // The layout the panel shows: the "KeyLayout" of the object being edited,
  // or else of the first selected object still in doc; empty when neither
  // exists or the object names none (it then types with the user's own
  // keyboard).
  static QVString ActiveLayoutName(const StudioDocument& doc, const StudioSelection& selection,
                                   StudioObjectId edited);

  // The modifier word that types level (0..3): exactly level's bits, Shift 1
  // and level 3 (option) 2. 0 outside 0..3.
  static uint32_t ModifiersForLevel(int level);

  const QVString& LayoutName() const { return mLayoutName; }
  bool HasLayout() const { return mHasLayout; }
  Shape GetShape() const { return mShape; }
  const std::vector<Key>& Keys() const { return mKeys; }
  // Width and height of the block in key units.
  AGSize Size() const;

  // The key and level under point (key units, y down): false outside every
  // key. A key's bottom and right edges belong to the next key.
  bool HitTest(const AGPoint& point, size_t& key, int& level) const;
  // What key's level types; empty for an index or level out of range.
  const std::u16string& Text(size_t key, int level) const;
  // The hover caption of a key's level (UTF-8): the code points it types
  // ("U+E01C"; several joined by spaces, a surrogate pair as its one code
  // point), then, when the layout names the key, " — key AD04". Empty when
  // the level types nothing.
  std::string HoverText(size_t key, int level) const;

 private:
  Shape mShape;
  QVString mLayoutName;
  bool mHasLayout = false;
  std::vector<Key> mKeys;
};

#endif
