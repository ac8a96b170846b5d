#include "textinput/UKeyLayout.h"

#include <algorithm>
#include <memory>
#include <string>

#include "textinput/platform/UKeyLayoutXkb_p.h"

using UKeyLayoutXkb::Keymap;
using UKeyLayoutXkb::Layer;
using UKeyLayoutXkb::LayoutEntry;

const QVString kLayoutNamePrefix("Pelmar ");

namespace {

// The process's keyboard: the current layout, the layout saved while an
// object is edited, and the ordinary layout that shortcuts are read in.
// Null until the first use makes the system's US layout current.
std::shared_ptr<Keymap> sCurrentLayout;
std::shared_ptr<Keymap> sSavedLayout;
std::shared_ptr<Keymap> sOrdinaryLayout;
bool sKeyboardStarted = false;

constexpr char kStartLayout[] = "us";
// Room for the units of one key press; more counts as a translation error.
constexpr size_t kMaxTypedUnits = 64;
constexpr uint32_t kMaxNameBytes = 255;

void MakeCurrent(const std::shared_ptr<Keymap>& keymap) {
  sCurrentLayout = keymap;
  if (keymap && keymap->CanTypeLatinLetters()) sOrdinaryLayout = keymap;
}

// The registry's entry for an XKB name, "us" or "fr(azerty)"; null if none.
const LayoutEntry* FindByXkbName(const std::vector<LayoutEntry>& layouts, const std::string& name) {
  std::string layout = name;
  std::string variant;
  size_t open = name.find('(');
  if (open != std::string::npos) {
    if (open == 0 || name.size() < open + 3 || name.back() != ')') return nullptr;
    layout = name.substr(0, open);
    variant = name.substr(open + 1, name.size() - open - 2);
  }
  for (const LayoutEntry& entry : layouts) {
    if (entry.layout == layout && entry.variant == variant) return &entry;
  }
  return nullptr;
}

void StartKeyboard() {
  if (sKeyboardStarted) return;
  Layer& layer = Layer::Shared();
  const LayoutEntry* start = FindByXkbName(layer.Layouts(), kStartLayout);
  // Without XKB data the registry is empty: stay without a layout, and try
  // again on the next use.
  if (!start) return;
  sKeyboardStarted = true;
  MakeCurrent(layer.KeymapFor(*start));
}

void AppendUtf16(ATNumberArray<unsigned short>& units, char32_t character) {
  if (character >= 0x10000 && character <= 0x10FFFF) {
    char32_t offset = character - 0x10000;
    units.Append(static_cast<unsigned short>(0xD800 + (offset >> 10)));
    units.Append(static_cast<unsigned short>(0xDC00 + (offset & 0x3FF)));
  } else if (character < 0x10000) {
    units.Append(static_cast<unsigned short>(character));
  }
}

ATNumberArray<unsigned short> TranslateKey(Keymap& keymap, unsigned long rawKeyCode,
                                           unsigned long modifiers) {
  ATNumberArray<unsigned short> units;
  uint32_t code = static_cast<uint32_t>(rawKeyCode & 0xFFFF);
  for (char32_t character : keymap.KeyCharacters(code, modifiers)) AppendUtf16(units, character);
  if (units.Length() > kMaxTypedUnits) units.SetLength(0);
  return units;
}

// Line feed and carriage return are typed; the other control characters
// come from keys that edit rather than type (tab, backspace, arrows, and
// forward delete, whose DEL the symbol filter would otherwise let in).
bool IsTypedAlone(unsigned short unit) {
  return unit == 10 || unit == 13 || (unit >= 0x20 && unit != 0x7F);
}

// What typing the key gives in keymap: shortcuts and lone editing
// characters give nothing.
ATNumberArray<unsigned short> TypedUnits(Keymap& keymap, unsigned long rawKeyCode,
                                         unsigned long modifiers) {
  // Control and command keys are shortcuts, never typing.
  if (modifiers > (kUKeyModifierShift | kUKeyModifierOption)) return {};
  ATNumberArray<unsigned short> units = TranslateKey(keymap, rawKeyCode, modifiers);
  if (units.Length() == 1 && !IsTypedAlone(units[0])) units.SetLength(0);
  return units;
}

// The last symbol layout looked up by name: a keyboard picture asks for the
// same layout hundreds of times, and each search converts every installed
// layout's name. Dropped with the layer's caches when the folder changes.
QVString sFoundName;
std::shared_ptr<Keymap> sFoundLayout;

std::shared_ptr<Keymap> SearchSymbolLayout(const QVString& shortName) {
  QVString wanted = kLayoutNamePrefix;
  wanted.Append(shortName);
  Layer& layer = Layer::Shared();
  for (const LayoutEntry& entry : layer.Layouts()) {
    if (UKeyLayout::_LowCopyQVStringFromUTF8(entry.description.c_str()).IsEqual(wanted)) {
      return layer.KeymapFor(entry);
    }
  }
  return nullptr;
}

// The installed layout named kLayoutNamePrefix + shortName (case counts),
// compiled; null when there is none or it does not compile.
std::shared_ptr<Keymap> FindSymbolLayout(const QVString& shortName) {
  if (!sFoundLayout || !sFoundName.IsEqual(shortName)) {
    sFoundLayout = SearchSymbolLayout(shortName);
    sFoundName = sFoundLayout ? shortName : QVString();
  }
  return sFoundLayout;
}

}  // namespace

QVString UKeyLayout::_LowCopyQVStringFromUTF8(const char* utf8) {
  if (!utf8) return QVString();
  QVString native = QVString(utf8).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  // The conversion writes "?" for characters the native encoding lacks:
  // such a name could not be told apart from others, so it is refused.
  if (native.Length() > kMaxNameBytes ||
      native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std() != utf8) {
    return QVString();
  }
  return native;
}

std::vector<QVString> UKeyLayout::GetLayoutList() {
  std::vector<QVString> names;
  names.reserve(8);
  for (const LayoutEntry& entry : Layer::Shared().Layouts()) {
    QVString shortName;
    if (_LowCopyQVStringFromUTF8(entry.description.c_str()).StartsWith(kLayoutNamePrefix, &shortName)) {
      names.push_back(shortName);
    }
  }
  std::stable_sort(names.begin(), names.end());
  return names;
}

bool UKeyLayout::EnterEditMode(const QVString& shortName) {
  if (shortName.IsEmpty()) return true;
  StartKeyboard();
  sSavedLayout = sCurrentLayout;
  std::shared_ptr<Keymap> keymap = FindSymbolLayout(shortName);
  if (!keymap) return false;
  MakeCurrent(keymap);
  return true;
}

void UKeyLayout::ExitEditMode() {
  if (!sSavedLayout) return;
  MakeCurrent(sSavedLayout);
  sSavedLayout.reset();
}

ATNumberArray<unsigned short> UKeyLayout::GetUniChars(unsigned long rawKeyCode,
                                                      unsigned long modifiers) {
  StartKeyboard();
  if (!sCurrentLayout) return {};
  return TypedUnits(*sCurrentLayout, rawKeyCode, modifiers);
}

ATNumberArray<unsigned short> UKeyLayout::GetLayoutUniChars(const QVString& shortName,
                                                            unsigned long rawKeyCode,
                                                            unsigned long modifiers) {
  if (shortName.IsEmpty()) return {};
  std::shared_ptr<Keymap> keymap = FindSymbolLayout(shortName);
  if (!keymap) return {};
  return TypedUnits(*keymap, rawKeyCode, modifiers);
}

QVString UKeyLayout::GetLayoutKeyName(const QVString& shortName, unsigned long rawKeyCode) {
  if (shortName.IsEmpty()) return QVString();
  std::shared_ptr<Keymap> keymap = FindSymbolLayout(shortName);
  if (!keymap) return QVString();
  return _LowCopyQVStringFromUTF8(keymap->KeyName(static_cast<uint32_t>(rawKeyCode & 0xFFFF)).c_str());
}

unsigned long UKeyLayout::ConvertRawToVirtualKeyCode(unsigned long rawKeyCode) {
  StartKeyboard();
  if (!sOrdinaryLayout) return 0;
  ATNumberArray<unsigned short> units = TranslateKey(*sOrdinaryLayout, rawKeyCode, 0);
  return units.Length() == 1 ? units[0] : 0;
}

void UKeyLayout::SetSymbolLayoutFolder(const QVString& folder) {
  sFoundLayout.reset();
  sFoundName = QVString();
  Layer::Shared().SetPrivateFolder(
      folder.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std());
}

QVString UKeyLayout::GetCurrentLayoutName() {
  StartKeyboard();
  return sCurrentLayout ? _LowCopyQVStringFromUTF8(sCurrentLayout->Entry().description.c_str())
                        : QVString();
}

bool UKeyLayout::SelectLayout(const QVString& name) {
  if (name.IsEmpty()) return false;
  StartKeyboard();
  Layer& layer = Layer::Shared();
  const std::vector<LayoutEntry>& layouts = layer.Layouts();
  const LayoutEntry* found = nullptr;
  for (const LayoutEntry& entry : layouts) {
    if (_LowCopyQVStringFromUTF8(entry.description.c_str()).IsEqual(name)) {
      found = &entry;
      break;
    }
  }
  if (!found) {
    found = FindByXkbName(layouts, name.ConvertWithEncoding(kQVStringEncodingNative,
                                                            kQVStringEncodingUTF8).Std());
  }
  if (!found) return false;
  std::shared_ptr<Keymap> keymap = layer.KeymapFor(*found);
  if (!keymap) return false;
  MakeCurrent(keymap);
  return true;
}
