// Fuzz target for what the keyboard layer reads itself: a private layout's
// symbols file, from which it takes one section to compile (xkbcommon
// compiles the section; the registry's XML is read by libxkbregistry), and
// the layout names it is given. The input's first line is a variant name
// (and a layout name to select), the rest the text of a symbols file.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - a section that is found is found again, the same, when it is wrapped
//     as a section of that name;
//   - a compiled section translates keys; keys it does not list (the ISO key
//     and the keypad of the system's pc symbols) type editing characters
//     only, at any level;
//   - a name from the platform becomes native text of at most 255 bytes
//     that converts back to the same UTF-8, or nothing;
//   - selecting a layout by any name leaves a current layout with a name.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include <linux/input-event-codes.h>

#include "FuzzSupport.h"
#include "kit/QVString.h"
#include "textinput/UKeyLayout.h"
#include "textinput/platform/UKeyLayoutXkb_p.h"

namespace {

// Sections longer than this are taken apart but not compiled: compiling
// costs milliseconds, and the campaign is about the reading.
constexpr size_t kMaxCompiledSection = 2048;

const uint32_t kKeys[] = {KEY_Q, KEY_A, KEY_SPACE, KEY_102ND, KEY_KPASTERISK, KEY_KP7,
                          KEY_ENTER, KEY_LEFT, KEY_BACKSPACE, KEY_RIGHTALT};

void Sections(const std::string& variant, const std::string& text) {
  std::string body;
  if (!UKeyLayoutXkb::ExtractSymbolsSection(text, variant, &body)) return;
  if (variant.find('"') == std::string::npos) {
    const std::string wrapped = "xkb_symbols \"" + variant + "\" {" + body + "};";
    std::string again;
    FuzzRequire(UKeyLayoutXkb::ExtractSymbolsSection(wrapped, variant, &again) && again == body,
                "a section wrapped under its name is found again");
  }
  if (body.size() > kMaxCompiledSection) return;

  static UKeyLayoutXkb::ContextPtr sContext = [] {
    UKeyLayoutXkb::ContextPtr context(xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES));
    if (context) {
      xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
      xkb_context_include_path_append_default(context.get());
    }
    return context;
  }();
  FuzzRequire(sContext != nullptr, "an XKB context is made");
  std::shared_ptr<UKeyLayoutXkb::Keymap> keymap = UKeyLayoutXkb::Keymap::CompileSymbols(
      sContext.get(), {"fuzz", variant, "Fuzz"}, text);
  if (!keymap) return;
  // The ISO key and the keypad come from the system's pc symbols unless the
  // section names them (or may do so through an include).
  const bool listsSystemKeys = body.find("include") != std::string::npos ||
                               body.find("LSGT") != std::string::npos ||
                               body.find("KP") != std::string::npos ||
                               body.find("<I") != std::string::npos;
  for (uint32_t key : kKeys) {
    const bool unlisted = !listsSystemKeys && (key == KEY_102ND || key == KEY_KPASTERISK || key == KEY_KP7);
    for (unsigned long modifiers = 0; modifiers < 4; ++modifiers) {
      for (char32_t c : keymap->KeyCharacters(key, modifiers)) {
        FuzzRequire(!unlisted || c < 0x20 || c == 0x7F,
                    "keys the section does not list type editing characters only");
      }
    }
  }
}

void Names(const std::string& name) {
  const QVString native = UKeyLayout::_LowCopyQVStringFromUTF8(name.c_str());
  if (!native.IsEmpty()) {
    FuzzRequire(native.Length() <= 255, "a layout name has at most 255 bytes");
    FuzzRequire(native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std() ==
                    name.c_str(),
                "a layout name converts back to its UTF-8");
  }
  UKeyLayout::SelectLayout(QVString(name.c_str()));
  FuzzRequire(!UKeyLayout::GetCurrentLayoutName().IsEmpty(), "a layout stays current");
  FuzzRequire(UKeyLayout::SelectLayout("us"), "the US layout is selected again");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool sFolderSet =
      (UKeyLayout::SetSymbolLayoutFolder(TALVANE_SOURCE_DIR "/resources/keylayouts"), true);
  (void)sFolderSet;
  const std::string input(reinterpret_cast<const char*>(data), data ? size : 0);
  const size_t newline = input.find('\n');
  const std::string firstLine = input.substr(0, newline);
  const std::string rest = newline == std::string::npos ? std::string() : input.substr(newline + 1);
  Sections(firstLine, rest);
  Names(firstLine);
  return 0;
}
