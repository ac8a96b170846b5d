#include "textinput/platform/UKeyLayoutXkb_p.h"

#include <cctype>
#include <cstdarg>
#include <fstream>
#include <sstream>

#include "textinput/UKeyLayout.h"

namespace UKeyLayoutXkb {

namespace {

constexpr char kRules[] = "evdev";
constexpr char kModel[] = "pc105";

// XKB key codes are evdev codes plus 8.
constexpr uint32_t kEvdevOffset = 8;

// Keyboard failures are not reported (the caller gets the empty result), so
// the libraries' own messages on standard error are silenced too.
void QuietXkbLog(xkb_context*, xkb_log_level, const char*, va_list) {}
void QuietRegistryLog(rxkb_context*, rxkb_log_level, const char*, va_list) {}

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

// The keymap the evdev rules build for the pc105 model, whose symbols are
// "pc+LAYOUT(VARIANT)+inet(evdev)", with a private layout's section in place
// of LAYOUT(VARIANT). It follows inet here, which sets none of the keys a
// layout sets.
constexpr char kPrivateKeymapHead[] =
    "xkb_keymap {\n"
    "  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
    "  xkb_types { include \"complete\" };\n"
    "  xkb_compat { include \"complete\" };\n"
    "  xkb_symbols {\n"
    "    include \"pc+inet(evdev)\"\n";
constexpr char kPrivateKeymapTail[] = "\n  };\n};\n";
// The same keyboard with a private layout's section alone: the keys and
// levels the layout itself lists.
constexpr char kOwnKeysKeymapHead[] =
    "xkb_keymap {\n"
    "  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
    "  xkb_types { include \"complete\" };\n"
    "  xkb_compat { include \"complete\" };\n"
    "  xkb_symbols {\n";

KeymapPtr CompileText(xkb_context* context, const std::string& text) {
  return KeymapPtr(xkb_keymap_new_from_string(context, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                              XKB_KEYMAP_COMPILE_NO_FLAGS));
}

// Control characters: what editing keys give (Return, BackSpace, Tab,
// Escape, Delete, and the function-key characters of arrows, Home, End...).
bool IsEditingCharacter(char32_t character) { return character < 0x20 || character == 0x7F; }

// XKB text without its comments ("//" or "#" to the end of the line);
// quoted strings are kept whole.
std::string WithoutComments(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '\\' && i + 1 < text.size()) {
        out += c;
        c = text[++i];
      } else if (c == '"') {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == '#' || (c == '/' && i + 1 < text.size() && text[i + 1] == '/')) {
      while (i < text.size() && text[i] != '\n') ++i;
      c = '\n';
      if (i >= text.size()) break;
    }
    out += c;
  }
  return out;
}

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The first index at or after from, outside quoted strings (from being
// outside them), for which found(i) is true; npos when there is none.
// Quoted strings end at an unescaped '"'.
template <class Found>
size_t FindOutsideQuotes(const std::string& text, size_t from, Found found) {
  bool quoted = false;
  for (size_t i = from; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '\\') ++i;
      if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (found(i)) {
      return i;
    }
  }
  return std::string::npos;
}

// The index of the "}" that closes the "{" at open, braces in quoted
// strings aside; npos when it does not close.
size_t MatchingBrace(const std::string& text, size_t open) {
  int depth = 0;
  return FindOutsideQuotes(text, open, [&](size_t i) {
    if (text[i] == '{') ++depth;
    return text[i] == '}' && --depth == 0;
  });
}

// The first occurrence of word at or after from that lies outside quoted
// strings; npos when there is none. A keyword in a name such as
// "xkb_symbols \"x\" {" must not start a section.
size_t FindWordOutsideQuotes(const std::string& text, const std::string& word, size_t from) {
  return FindOutsideQuotes(text, from, [&](size_t i) { return text.compare(i, word.size(), word) == 0; });
}

// word occurs in text as a whole word.
bool HasWord(const std::string& text, const std::string& word) {
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    size_t end = at + word.size();
    if ((at == 0 || !IsWordChar(text[at - 1])) && (end == text.size() || !IsWordChar(text[end]))) {
      return true;
    }
  }
  return false;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

xkb_mod_mask_t ModifierBit(xkb_keymap* keymap, const char* name) {
  xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
  return index == XKB_MOD_INVALID ? 0 : (xkb_mod_mask_t{1} << index);
}

bool TypesAllLatinLetters(xkb_keymap* keymap) {
  uint32_t seen = 0;
  constexpr uint32_t kAllLetters = (uint32_t{1} << 26) - 1;
  xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
  for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= last; ++key) {
    xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, key, 0);
    // The first two levels: what the key types without AltGr.
    for (xkb_level_index_t level = 0; level < levels && level < 2; ++level) {
      const xkb_keysym_t* syms = nullptr;
      int count = xkb_keymap_key_get_syms_by_level(keymap, key, 0, level, &syms);
      for (int i = 0; i < count; ++i) {
        if (syms[i] >= XKB_KEY_a && syms[i] <= XKB_KEY_z) seen |= uint32_t{1} << (syms[i] - XKB_KEY_a);
      }
    }
  }
  return seen == kAllLetters;
}

}  // namespace

char32_t FunctionKeyCharacter(xkb_keysym_t keysym) {
  switch (keysym) {
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
      return 0x1C;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
      return 0x1D;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
      return 0x1E;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
      return 0x1F;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
      return 0x01;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
      return 0x04;
    case XKB_KEY_Page_Up:
    case XKB_KEY_KP_Page_Up:
      return 0x0B;
    case XKB_KEY_Page_Down:
    case XKB_KEY_KP_Page_Down:
      return 0x0C;
    case XKB_KEY_Help:
    case XKB_KEY_Insert:
    case XKB_KEY_KP_Insert:
      return 0x05;
    case XKB_KEY_KP_Enter:
      return 0x03;
    case XKB_KEY_KP_Delete:
      return 0x7F;
    default:
      return 0;
  }
}

bool ExtractSymbolsSection(const std::string& text, const std::string& variant, std::string* body) {
  static const std::string kKeyword = "xkb_symbols";
  const std::string clean = WithoutComments(text);
  std::string firstBody;
  bool haveFirst = false;
  size_t flagsStart = 0;  // the flags of a section follow the previous one's "};"
  for (size_t at = FindWordOutsideQuotes(clean, kKeyword, 0); at != std::string::npos;
       at = FindWordOutsideQuotes(clean, kKeyword, at + 1)) {
    size_t end = at + kKeyword.size();
    if ((at > 0 && IsWordChar(clean[at - 1])) || (end < clean.size() && IsWordChar(clean[end]))) {
      continue;
    }
    size_t open = clean.find('{', end);
    size_t close = open == std::string::npos ? open : MatchingBrace(clean, open);
    if (close == std::string::npos) return false;

    std::string name;
    size_t afterName = end;
    size_t q1 = clean.find('"', end);
    if (q1 < open) {
      size_t q2 = clean.find('"', q1 + 1);
      if (q2 > open) return false;
      name = clean.substr(q1 + 1, q2 - q1 - 1);
      afterName = q2 + 1;
    }
    // Only spaces may stand between the name and the brace. Anything else
    // (a stray quote above all, which would open a string around the
    // brace) leaves no telling where the section is.
    for (size_t i = afterName; i < open; ++i) {
      if (!std::isspace(static_cast<unsigned char>(clean[i]))) return false;
    }
    std::string section = clean.substr(open + 1, close - open - 1);
    bool isDefault = HasWord(clean.substr(flagsStart, at - flagsStart), "default");
    if (variant.empty() ? isDefault : name == variant) {
      *body = std::move(section);
      return true;
    }
    if (!haveFirst) {
      firstBody = std::move(section);
      haveFirst = true;
    }
    size_t semicolon = clean.find(';', close);
    flagsStart = semicolon == std::string::npos ? clean.size() : semicolon + 1;
    at = close;
  }
  if (!variant.empty() || !haveFirst) return false;
  *body = std::move(firstBody);
  return true;
}

// ---- Keymap

Keymap::Keymap(LayoutEntry entry, KeymapPtr keymap, StatePtr state, KeymapPtr ownKeys)
    : mEntry(std::move(entry)),
      mKeymap(std::move(keymap)),
      mState(std::move(state)),
      mOwnKeys(std::move(ownKeys)) {
  mShift = ModifierBit(mKeymap.get(), XKB_MOD_NAME_SHIFT);
  // The level-three switch (right Alt) sets Mod5 in the system's symbols.
  mLevel3 = ModifierBit(mKeymap.get(), "Mod5");
  mControl = ModifierBit(mKeymap.get(), XKB_MOD_NAME_CTRL);
  mSuper = ModifierBit(mKeymap.get(), XKB_MOD_NAME_LOGO);
  mLatinLetters = TypesAllLatinLetters(mKeymap.get());
}

std::shared_ptr<Keymap> Keymap::Make(const LayoutEntry& entry, KeymapPtr keymap, KeymapPtr ownKeys) {
  if (!keymap) return nullptr;
  StatePtr state(xkb_state_new(keymap.get()));
  if (!state) return nullptr;
  return std::shared_ptr<Keymap>(
      new Keymap(entry, std::move(keymap), std::move(state), std::move(ownKeys)));
}

std::shared_ptr<Keymap> Keymap::Compile(xkb_context* context, const LayoutEntry& entry) {
  if (!context || entry.layout.empty()) return nullptr;
  xkb_rule_names names{};
  names.rules = kRules;
  names.model = kModel;
  names.layout = entry.layout.c_str();
  names.variant = entry.variant.c_str();
  names.options = "";
  return Make(entry, KeymapPtr(xkb_keymap_new_from_names(context, &names,
                                                         XKB_KEYMAP_COMPILE_NO_FLAGS)));
}

std::shared_ptr<Keymap> Keymap::CompileSymbols(xkb_context* context, const LayoutEntry& entry,
                                               const std::string& symbolsText) {
  std::string section;
  if (!context || !ExtractSymbolsSection(symbolsText, entry.variant, &section)) return nullptr;
  // The system's pc symbols under the section bring the editing and
  // modifier keys, but also keys the layout does not list (the ISO key
  // beside left Shift types < and >, the keypad its operators and digits).
  // Which of those a keymap holds depends on the system's XKB data, so the
  // layout is not patched key by key: translation keeps printable
  // characters only where the section alone types them (KeyCharacters).
  KeymapPtr ownKeys = CompileText(context, kOwnKeysKeymapHead + section + kPrivateKeymapTail);
  if (!ownKeys) return nullptr;
  return Make(entry, CompileText(context, kPrivateKeymapHead + section + kPrivateKeymapTail),
              std::move(ownKeys));
}

xkb_mod_mask_t Keymap::MaskFor(unsigned long modifiers) const {
  xkb_mod_mask_t mask = 0;
  if (modifiers & kUKeyModifierShift) mask |= mShift;
  if (modifiers & kUKeyModifierOption) mask |= mLevel3;
  if (modifiers & kUKeyModifierControl) mask |= mControl;
  if (modifiers & kUKeyModifierCommand) mask |= mSuper;
  return mask;
}

std::vector<char32_t> Keymap::KeyCharacters(uint32_t evdevCode, unsigned long modifiers) {
  std::vector<char32_t> characters;
  xkb_keycode_t key = evdevCode + kEvdevOffset;
  if (!xkb_keymap_key_get_name(mKeymap.get(), key)) return characters;

  // Every press starts from the given modifiers alone: no latched or locked
  // state (Caps Lock, a pending dead key) carries over.
  xkb_state_update_mask(mState.get(), MaskFor(modifiers), 0, 0, 0, 0, 0);
  const xkb_keysym_t* syms = nullptr;
  // The keysyms rather than xkb_state_key_get_utf32, which would turn
  // Control+A into U+0001.
  int count = xkb_state_key_get_syms(mState.get(), key, &syms);
  for (int i = 0; i < count; ++i) {
    char32_t character = FunctionKeyCharacter(syms[i]);
    if (!character) character = xkb_keysym_to_utf32(syms[i]);
    if (!character) continue;
    if (!IsEditingCharacter(character) && !IsOwnKeysym(key, syms[i])) continue;
    characters.push_back(character);
  }
  return characters;
}

std::string Keymap::KeyName(uint32_t evdevCode) const {
  return TextOrEmpty(xkb_keymap_key_get_name(mKeymap.get(), evdevCode + kEvdevOffset));
}

bool Keymap::IsOwnKeysym(xkb_keycode_t key, xkb_keysym_t keysym) const {
  if (!mOwnKeys) return true;
  // The level the full keymap chose: the section sets the type of every key
  // it lists, so its levels are the same in both keymaps.
  xkb_level_index_t level = xkb_state_key_get_level(mState.get(), key, 0);
  if (level == XKB_LEVEL_INVALID) return false;
  const xkb_keysym_t* own = nullptr;
  int count = xkb_keymap_key_get_syms_by_level(mOwnKeys.get(), key, 0, level, &own);
  for (int i = 0; i < count; ++i) {
    if (own[i] == keysym) return true;
  }
  return false;
}

// ---- Layer

Layer& Layer::Shared() {
  static Layer layer;
  return layer;
}

void Layer::SetPrivateFolder(const std::string& folder) {
  if (folder == mFolder) return;
  mFolder = folder;
  mListed = false;
  mLayouts.clear();
  mKeymaps.clear();
}

const std::vector<LayoutEntry>& Layer::Layouts() {
  if (mListed) return mLayouts;
  mListed = true;
  RegistryPtr registry(rxkb_context_new(RXKB_CONTEXT_NO_DEFAULT_INCLUDES));
  if (!registry) return mLayouts;
  rxkb_context_set_log_fn(registry.get(), QuietRegistryLog);
  if (!mFolder.empty()) rxkb_context_include_path_append(registry.get(), mFolder.c_str());
  rxkb_context_include_path_append_default(registry.get());
  if (!rxkb_context_parse(registry.get(), kRules)) return mLayouts;
  for (rxkb_layout* layout = rxkb_layout_first(registry.get()); layout;
       layout = rxkb_layout_next(layout)) {
    LayoutEntry entry{TextOrEmpty(rxkb_layout_get_name(layout)),
                      TextOrEmpty(rxkb_layout_get_variant(layout)),
                      TextOrEmpty(rxkb_layout_get_description(layout))};
    if (!entry.layout.empty()) mLayouts.push_back(std::move(entry));
  }
  return mLayouts;
}

xkb_context* Layer::Context() {
  if (mContext) return mContext.get();
  // The environment's XKB_DEFAULT_* names must not change what a layout
  // name means.
  auto flags = static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES |
                                              XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
  ContextPtr context(xkb_context_new(flags));
  if (!context) return nullptr;
  xkb_context_set_log_fn(context.get(), QuietXkbLog);
  // The system's folder alone: every file a keymap includes is found in the
  // first place searched. (xkbcommon 1.5 loses the path of each include
  // folder it searches in vain, so the private folder is not added here;
  // private layouts are read from it directly.)
  if (!xkb_context_include_path_append_default(context.get())) return nullptr;
  mContext = std::move(context);
  return mContext.get();
}

std::shared_ptr<Keymap> Layer::KeymapFor(const LayoutEntry& entry) {
  auto key = std::make_pair(entry.layout, entry.variant);
  auto found = mKeymaps.find(key);
  if (found != mKeymaps.end()) return found->second;

  // Compiling costs milliseconds: keep the result, a failure included. A
  // private layout's file takes precedence over a system one of that name.
  std::shared_ptr<Keymap> keymap;
  std::string privateSymbols;
  if (!mFolder.empty() && entry.layout.find('/') == std::string::npos) {
    privateSymbols = ReadWholeFile(mFolder + "/symbols/" + entry.layout);
  }
  if (!privateSymbols.empty()) {
    keymap = Keymap::CompileSymbols(Context(), entry, privateSymbols);
  } else {
    keymap = Keymap::Compile(Context(), entry);
  }
  mKeymaps.emplace(std::move(key), keymap);
  return keymap;
}

}  // namespace UKeyLayoutXkb
