// The keyboard layer under UKeyLayout, on xkbcommon and libxkbregistry: the
// installed layouts from the layout registry, layouts compiled into keymaps,
// and the characters a key gives at a modifier state. Only this file and its
// .cpp see the libraries' types.
#ifndef U_KEY_LAYOUT_XKB_P_H
#define U_KEY_LAYOUT_XKB_P_H

#include <xkbcommon/xkbcommon.h>
#include <xkbcommon/xkbregistry.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace UKeyLayoutXkb {

struct ContextDeleter {
  void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapDeleter {
  void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct StateDeleter {
  void operator()(xkb_state* state) const { xkb_state_unref(state); }
};
struct RegistryDeleter {
  void operator()(rxkb_context* registry) const { rxkb_context_unref(registry); }
};
using ContextPtr = std::unique_ptr<xkb_context, ContextDeleter>;
using KeymapPtr = std::unique_ptr<xkb_keymap, KeymapDeleter>;
using StatePtr = std::unique_ptr<xkb_state, StateDeleter>;
using RegistryPtr = std::unique_ptr<rxkb_context, RegistryDeleter>;

// One installed layout; all texts UTF-8.
struct LayoutEntry {
  std::string layout;       // XKB layout name: "us", "pelmar"
  std::string variant;      // XKB variant, empty for the layout's default
  std::string description;  // display name: "English (US)", "Pelmar Brindel"
};

// The classic function-key character of an editing keysym (Left 0x1C, Home
// 0x01, keypad Enter 0x03...), or 0 for any other keysym.
char32_t FunctionKeyCharacter(xkb_keysym_t keysym);

// The body of the section named variant (empty: the section flagged
// "default", else the first) of an XKB symbols file's text, between its
// braces, without comments. False when there is no such section or its
// braces do not close.
bool ExtractSymbolsSection(const std::string& text, const std::string& variant, std::string* body);

// A layout compiled for the pc105 model under the evdev rules, with the
// modifier state used to translate keys.
class Keymap {
 public:
  // A system layout, by its XKB names. Null when it does not compile.
  static std::shared_ptr<Keymap> Compile(xkb_context* context, const LayoutEntry& entry);
  // A private layout: the entry's section of symbolsText (the text of its
  // symbols file), on the pc105 keyboard as the evdev rules build it. The
  // section may include system sections only. Null when it does not compile.
  static std::shared_ptr<Keymap> CompileSymbols(xkb_context* context, const LayoutEntry& entry,
                                                const std::string& symbolsText);

  const LayoutEntry& Entry() const { return mEntry; }
  // True when some key types each of the letters a to z on its first or
  // shifted level (no AltGr).
  bool CanTypeLatinLetters() const { return mLatinLetters; }

  // The characters of the keysyms the evdev key code gives under the
  // modifier word (UKeyLayout's modifier bits): each keysym's Unicode
  // character, or its function-key character; keysyms with neither add
  // nothing. The control transform is not applied: Control+A gives 'a'.
  // Empty for a code outside the keymap. A private layout's keys and levels
  // that its own section does not list give control characters only (the
  // editing keys); their printable characters are dropped.
  std::vector<char32_t> KeyCharacters(uint32_t evdevCode, unsigned long modifiers);
  // The keymap's name of the evdev key ("AD04"); empty outside the keymap.
  std::string KeyName(uint32_t evdevCode) const;

 private:
  // ownKeys: a private layout's section compiled alone; null for a system
  // layout, whose every key types.
  Keymap(LayoutEntry entry, KeymapPtr keymap, StatePtr state, KeymapPtr ownKeys);
  static std::shared_ptr<Keymap> Make(const LayoutEntry& entry, KeymapPtr keymap,
                                      KeymapPtr ownKeys = nullptr);
  xkb_mod_mask_t MaskFor(unsigned long modifiers) const;
  // Whether the layout's own section gives keysym on key at the level the
  // current modifier state selects (always, for a system layout).
  bool IsOwnKeysym(xkb_keycode_t key, xkb_keysym_t keysym) const;

  LayoutEntry mEntry;
  KeymapPtr mKeymap;
  StatePtr mState;
  KeymapPtr mOwnKeys;
  xkb_mod_mask_t mShift = 0, mLevel3 = 0, mControl = 0, mSuper = 0;
  bool mLatinLetters = false;
};

// The process's keyboard layer: the registry's layouts and the compiled
// keymaps, both built on first use and cached.
class Layer {
 public:
  static Layer& Shared();

  // The folder with the private layouts (UTF-8; empty: none): its
  // rules/evdev.xml lists them, symbols/NAME holds layout NAME. Drops the
  // cached list and keymaps when it changes.
  void SetPrivateFolder(const std::string& folder);
  // The installed layouts in registry order: the system's, then the private
  // ones. Empty when the registry cannot be read.
  const std::vector<LayoutEntry>& Layouts();
  // The entry's compiled keymap, shared; null when it does not compile (a
  // failure is remembered until the folder changes). A layout whose symbols
  // file is in the private folder comes from there.
  std::shared_ptr<Keymap> KeymapFor(const LayoutEntry& entry);

 private:
  Layer() = default;
  xkb_context* Context();

  std::string mFolder;
  bool mListed = false;
  std::vector<LayoutEntry> mLayouts;
  ContextPtr mContext;
  std::map<std::pair<std::string, std::string>, std::shared_ptr<Keymap>> mKeymaps;
};

}  // namespace UKeyLayoutXkb

#endif
