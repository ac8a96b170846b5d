// Keyboard layouts of the symbol font: the list of symbol layouts for the
// inspector, the switch to an object's layout while it is edited, and the
// translation of key presses into UTF-16 code units.
//
// Keyboard layer of this Linux port. A plug-in without a display server has
// no system keyboard to switch, so the keyboard is process-wide state kept
// here:
// - The installed layouts are those of the system's XKB data
//   (/usr/share/X11/xkb, rules "evdev") followed by the symbol layouts in a
//   private folder (see SetSymbolLayoutFolder), all of them enabled, in the
//   order of the layout registry. A layout's display name is its registry
//   description ("English (US)", "Pelmar Brindel"); the symbol layouts are
//   those whose display name starts with kLayoutNamePrefix ("Pelmar ").
// - The current layout starts as the system's US layout ("English (US)"), the
//   ordinary layout of a pc105 keyboard; a host that knows the user's
//   keyboard selects it with SelectLayout. EnterEditMode and ExitEditMode
//   switch it and restore it.
// - The ordinary layout used for shortcuts is the last selected layout that
//   can type the letters a to z without AltGr (the symbol layouts cannot).
// - Key codes are Linux evdev codes (linux/input-event-codes.h: KEY_A is 30),
//   as the host delivers them; the keyboard model is "pc105". Modifier words
//   use the bits below.
//
// Names are native 8-bit QVString values (Mac OS Roman) of at most 255
// bytes. Platform failures (no XKB data, a layout that does not compile) give
// the empty result without a message, so that typing and the inspector keep
// working with what is left. Host thread only.
#ifndef U_KEY_LAYOUT_H
#define U_KEY_LAYOUT_H

#include <cstdint>
#include <vector>

#include "kit/ATArray.h"
#include "kit/QVString.h"

// "Pelmar ", with its trailing space: the start of the display names of the
// symbol font's layouts. Objects store only the rest of the name.
extern const QVString kLayoutNamePrefix;

// Bits of a modifier word.
inline constexpr unsigned long kUKeyModifierShift = 1;
inline constexpr unsigned long kUKeyModifierOption = 2;   // AltGr: the third level
inline constexpr unsigned long kUKeyModifierControl = 4;
inline constexpr unsigned long kUKeyModifierCommand = 8;  // the Super key

class UKeyLayout {
 public:
  // The short names (prefix removed) of the installed layouts whose display
  // name starts with kLayoutNamePrefix, sorted by QVString's byte order;
  // duplicates stay. Empty when no layout can be listed.
  static std::vector<QVString> GetLayoutList();

  // Empty shortName: true, nothing else happens. Otherwise the current layout
  // is saved (replacing any layout saved before), then the first installed
  // layout named kLayoutNamePrefix + shortName (case counts) becomes current.
  // True when it did; false when there is none or it does not compile, the
  // keyboard then stays as it was. The layout stays saved either way.
  static bool EnterEditMode(const QVString& shortName);
  // Makes the saved layout current again and forgets it; nothing without one.
  static void ExitEditMode();

  // The code units the current layout types for the evdev key code (its low
  // 16 bits) with the modifier word. Nothing for a modifier word above 3
  // (control or command held), a key without a character (arrows, function
  // keys, keys a symbol layout leaves free), or a single control character
  // other than line feed and carriage return (tab, backspace, delete). Dead
  // keys are not carried to the next key press. Several code units come back
  // as they are (a character beyond U+FFFF gives its surrogate pair).
  static ATNumberArray<unsigned short> GetUniChars(unsigned long rawKeyCode,
                                                   unsigned long modifiers);

  // The one code unit the key types in the ordinary layout without
  // modifiers, whatever layout is current, or 0. Editing keys give the
  // classic function-key characters: left 0x1C, right 0x1D, up 0x1E, down
  // 0x1F, home 0x01, end 0x04, page up 0x0B, page down 0x0C, help or insert
  // 0x05, keypad enter 0x03, backspace 0x08, tab 0x09, return 0x0D, escape
  // 0x1B, forward delete 0x7F.
  static unsigned long ConvertRawToVirtualKeyCode(unsigned long rawKeyCode);

  // What GetUniChars would give for the key with the symbol layout
  // kLayoutNamePrefix + shortName current, without making it current (a
  // keyboard picture of a layout). Empty for an empty or unknown name and
  // for keys the layout does not list.
  static ATNumberArray<unsigned short> GetLayoutUniChars(const QVString& shortName,
                                                         unsigned long rawKeyCode,
                                                         unsigned long modifiers);
  // The name the symbol layout's keymap gives the evdev key ("AD04" for
  // KEY_R, "SPCE" for the space bar); empty for an unknown layout or key.
  static QVString GetLayoutKeyName(const QVString& shortName, unsigned long rawKeyCode);

  // ---- Keyboard layer of this port (what the system does elsewhere)

  // The folder holding the symbol layouts: symbols/pelmar and the registry
  // rules/evdev.xml that lists them (native path; empty: no private
  // layouts). Cached lists and layouts are dropped; the current and saved
  // layouts stay usable.
  static void SetSymbolLayoutFolder(const QVString& folder);
  // The display name of the current layout; empty when there is none.
  static QVString GetCurrentLayoutName();
  // Makes a layout current, named by its display name ("English (US)",
  // "Pelmar Sorel") or its XKB name ("us", "fr(azerty)"); the first match in
  // registry order wins. False, and no change, when none matches or it does
  // not compile.
  static bool SelectLayout(const QVString& name);

  // A name from the platform, UTF-8, converted to the native 8-bit encoding.
  // Empty for a null name, invalid UTF-8, a character the native encoding
  // lacks, or a result longer than 255 bytes.
  static QVString _LowCopyQVStringFromUTF8(const char* utf8);
};

#endif
