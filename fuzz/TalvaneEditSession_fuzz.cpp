// Fuzz target for in-place editing through the reference host's edit
// session. The input is a script: the object's keyboard layout and
// rotation, the clipboard's items (UTF-16 text of any byte count, 8-bit text,
// other flavours), then edit events (keys with modifiers, mouse presses,
// drags and releases, begin and end, draws of the edited look). Afterwards
// the document is saved and reloaded.
//
// What must hold for any input:
//   - no crash, no memory error, no leak;
//   - the object's text only ever holds characters of the symbol font
//     (U+0020..U+00FF, U+E000..U+E4FF): it starts so, and every edit filters;
//   - while a symbol layout is active, a key press without control or
//     command (typing, not a shortcut) adds no character outside the
//     symbol range U+E000..U+E4FF;
//   - the keyboard layout active before editing is active again after it;
//   - the edited document saves, reloads with the same text and saves to
//     the same bytes again.
// A broken rule aborts, so that the fuzzer keeps the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include <linux/input-event-codes.h>

#include "FuzzHost.h"
#include "FuzzInput.h"
#include "FuzzSupport.h"
#include "bridge/HostDocument.h"
#include "bridge/HostEdit.h"
#include "bridge/HostObject.h"
#include "graphics/AGBitmap.h"
#include "host/QVDrawEvent.h"
#include "host/QVEditEvent.h"
#include "kit/QVDictionary.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"
#include "textinput/UKeyLayout.h"
#include "textinput/UPasteboard.h"
#include "textinput/platform/UPasteboardMemory_p.h"

namespace {

const char* const kLayouts[] = {"Brindel", "Carvel", "Sorel", "", "Nowhere"};
constexpr size_t kSymbolLayoutCount = 3;  // the first three are installed

const float kRotations[] = {0.0f, 0.4f, -2.5f, 3.14159265f,
                            std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};

const char* const kFlavors[] = {kUPasteboardFlavorUTF16PlainText, kUPasteboardFlavorUTF8PlainText,
                                "public.rtf"};

// Keys of a pc105 keyboard, the keypad and a few beyond, so that most key
// bytes press a real key.
const uint16_t kKeys[] = {
    KEY_ESC, KEY_1, KEY_2, KEY_5, KEY_9, KEY_0, KEY_MINUS, KEY_EQUAL, KEY_BACKSPACE, KEY_TAB,
    KEY_Q, KEY_W, KEY_E, KEY_R, KEY_T, KEY_Y, KEY_P, KEY_LEFTBRACE, KEY_RIGHTBRACE, KEY_ENTER,
    KEY_A, KEY_S, KEY_D, KEY_F, KEY_L, KEY_SEMICOLON, KEY_APOSTROPHE, KEY_GRAVE, KEY_BACKSLASH,
    KEY_Z, KEY_X, KEY_C, KEY_V, KEY_B, KEY_N, KEY_M, KEY_COMMA, KEY_DOT, KEY_SLASH, KEY_SPACE,
    KEY_102ND, KEY_HOME, KEY_END, KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_DELETE,
    KEY_PAGEUP, KEY_INSERT, KEY_LEFTSHIFT, KEY_RIGHTALT, KEY_KPASTERISK, KEY_KPMINUS,
    KEY_KPPLUS, KEY_KPSLASH, KEY_KPEQUAL, KEY_KPPLUSMINUS, KEY_KPCOMMA, KEY_KPLEFTPAREN,
    KEY_KPRIGHTPAREN, KEY_KP7, KEY_KP0, KEY_KPDOT, KEY_KPENTER, KEY_F1, KEY_COMPOSE,
};

const int32_t kMousePhases[] = {kQVEditMousePress, kQVEditMouseDrag, kQVEditMouseRelease,
                                kQVEditMouseEndEditing, 0, 7};

bool IsSymbolUnit(uint16_t unit) { return unit >= 0xE000 && unit <= 0xE4FF; }
bool IsFontUnit(uint16_t unit) { return (unit >= 0x20 && unit <= 0xFF) || IsSymbolUnit(unit); }

QVUniChars Text(const HostObject& object) {
  QVDictionary dict;
  FuzzRequire(object.GetObjectProperties(dict) == 0, "the object gives its properties");
  return QVValueGetasQVUniChars(dict.GetValue("UnicodeText"));
}

uint32_t NonSymbolCount(const QVUniChars& text) {
  uint32_t count = 0;
  for (uint16_t unit : text) {
    FuzzRequire(IsFontUnit(unit), "the text holds only characters of the symbol font");
    if (!IsSymbolUnit(unit)) ++count;
  }
  return count;
}

void FillClipboard(FuzzInput& in, UPasteboardMemory& clipboard) {
  const size_t items = in.Choice(4);
  for (size_t i = 0; i < items; ++i) {
    const UPasteboardService::ItemID id = 1 + in.Choice(3);
    const char* flavor = kFlavors[in.Choice(3)];
    const std::string bytes = in.ShortRun();
    // An item that already holds the flavour refuses it: that is fine here.
    clipboard.PutItemFlavor(id, flavor, reinterpret_cast<const uint8_t*>(bytes.data()),
                            static_cast<uint32_t>(bytes.size()));
  }
}

HostEditKey ScriptKey(FuzzInput& in) {
  HostEditKey key;
  key.code = in.Flag() ? kKeys[in.Choice(sizeof kKeys / sizeof kKeys[0])] : in.Word16();
  key.modifiers = in.Byte();
  // Mostly real modifier words; now and then stray high bits.
  if (!(key.modifiers & 0x80)) key.modifiers &= 0x0F;
  return key;
}

void DrawEdited(const HostObject& object) {
  AGBitmap bitmap(64, 8);
  FuzzRequire(bitmap.IsOpen(), "a small bitmap opens");
  AGContext context = bitmap.GetContext();
  context.transform = AGAffineTransformConcatScale(kAGAffineTransformIdentity, 0.1, 0.1);
  QVDrawEvent event{};
  event.target = object.Record().frame;
  event.brush = &object.Record().brush;
  event.pen = &object.Record().pen;
  event.flags = kQVDrawEventScore | kQVDrawEventEdited;
  object.Draw(context, event);
}

std::string SavedBytes(const HostDocument& doc, const char* name) {
  const std::string path = FuzzScratchFolder::Shared().Path(name);
  FuzzRequire(doc.Save(path) == 0, "the document saves");
  return FuzzReadFile(path);
}

// Plays the events of the script on the document's one object.
void Play(FuzzInput& in, HostObject& object, size_t layout) {
  HostEditSession session(object, AGContext());
  session.SetRotation(kRotations[in.Choice(sizeof kRotations / sizeof kRotations[0])]);
  const QVString keyboardBefore = UKeyLayout::GetCurrentLayoutName();
  FuzzRequire(session.Begin() == 0, "editing begins");
  bool symbolLayout = layout < kSymbolLayoutCount;

  while (!in.AtEnd()) {
    const AGRect frame = object.Record().frame;
    switch (in.Choice(8)) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const HostEditKey key = ScriptKey(in);
        const uint32_t before = NonSymbolCount(Text(object));
        session.Key(key);
        const bool typing = key.modifiers <= (kQVEditModifierShift | kQVEditModifierOption);
        if (symbolLayout && session.IsEditing() && typing) {
          FuzzRequire(NonSymbolCount(Text(object)) <= before,
                      "a key pressed under a symbol layout types only symbols");
        }
        break;
      }
      case 4: {
        const int32_t phase = kMousePhases[in.Choice(sizeof kMousePhases / sizeof kMousePhases[0])];
        // Mostly inside the frame, sometimes well outside it.
        const double x = frame.x1 + (frame.x2 - frame.x1) * (static_cast<int8_t>(in.Byte()) / 100.0);
        const double y = frame.y1 + (frame.y2 - frame.y1) * (static_cast<int8_t>(in.Byte()) / 100.0);
        session.Mouse(phase, AGPoint{x, y}, in.Byte() & 0x0F);
        break;
      }
      case 5:
        if (!session.IsEditing()) {
          FuzzRequire(session.Begin() == 0, "editing begins again");
        }
        break;
      case 6:
        DrawEdited(object);
        break;
      default:
        session.End();
        FuzzRequire(UKeyLayout::GetCurrentLayoutName() == keyboardBefore,
                    "ending the edit gives the keyboard back");
        break;
    }
    NonSymbolCount(Text(object));
  }
  session.End();
  FuzzRequire(UKeyLayout::GetCurrentLayoutName() == keyboardBefore,
              "ending the edit gives the keyboard back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHost& host = FuzzHost::Shared();
  FuzzInput in(data, size);

  HostDocument doc(host.Plugin());
  FuzzRequire(doc.AddObjects(1, "-default") == 0, "a default object is made");
  HostObject& object = doc.Object(0);
  const size_t layout = in.Choice(sizeof kLayouts / sizeof kLayouts[0]);
  QVDictionary settings;
  settings.SetValue("KeyLayout", QVValueSetasQVString(QVString(kLayouts[layout])));
  FuzzRequire(object.SetObjectProperties(settings) == 0, "the object takes its layout");

  UPasteboardMemory clipboard;
  FillClipboard(in, clipboard);
  UPasteboard::SetService(&clipboard);
  Play(in, object, layout);
  UPasteboard::SetService(nullptr);

  const std::string first = SavedBytes(doc, "edited.tlv");
  HostDocument again(host.Plugin());
  FuzzRequire(again.Load(FuzzScratchFolder::Shared().Path("edited.tlv")) == 0,
              "the edited document loads");
  FuzzRequire(again.Count() == 1 && Text(again.Object(0)) == Text(object),
              "the reloaded text is the edited text");
  FuzzRequire(SavedBytes(again, "again.tlv") == first, "saving again gives the same bytes");
  host.ClearLog();
  return 0;
}
