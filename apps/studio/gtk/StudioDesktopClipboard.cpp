#include "StudioDesktopClipboard.h"

#include <utility>

#include "StudioKeyInput.h"
#include "StudioPanelHost.h"
#include "textinput/UPasteboard.h"

namespace {

// One read under way.
struct Read {
  std::weak_ptr<StudioDesktopClipboard*> owner;
  uint64_t token;
  std::function<void()> done;
};

}  // namespace

struct StudioDesktopClipboard::Callbacks {
  static void Changed(GdkClipboard*, gpointer data) {
    static_cast<StudioDesktopClipboard*>(data)->Refresh({});
  }

  static void TextRead(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Read> read(static_cast<Read*>(data));
    GError* error = nullptr;
    char* text = gdk_clipboard_read_text_finish(GDK_CLIPBOARD(source), result, &error);
    std::shared_ptr<StudioDesktopClipboard*> owner = read->owner.lock();
    if (owner && *owner) {
      // A failed read (no text on the desktop, an image say) leaves no text
      // to paste.
      (*owner)->mService.FinishRead(read->token, text ? text : "", text != nullptr);
      if (read->done) read->done();
    }
    g_free(text);
    if (error) g_error_free(error);
  }

  static gboolean KeyPressed(GtkEventControllerKey*, guint /*keyval*/, guint keycode,
                             GdkModifierType state, gpointer data) {
    auto* self = static_cast<StudioDesktopClipboard*>(data);
    StudioPanelHost* host = self->mHost;
    if (!host || host->EditedObject() == kStudioNoObject) return FALSE;
    HostEditKey key;
    if (!StudioEditKeyFromToolkit(keycode, static_cast<uint32_t>(state), key) ||
        !StudioClipboardService::IsPasteKey(key)) {
      return FALSE;
    }
    const StudioObjectId edited = host->EditedObject();
    self->Refresh([host, edited, key] {
      if (host->EditedObject() == edited) (void)host->SendEditKey(key);  // reported when refused
    });
    return TRUE;
  }
};

StudioDesktopClipboard::StudioDesktopClipboard(GdkClipboard* clipboard, StudioPanelHost* host)
    : mClipboard(StudioGObject<GdkClipboard>::Ref(clipboard)),
      mHost(host),
      mService([clipboard](const std::string& utf8) {
        // The desktop takes a C string: text up to a NUL code unit.
        gdk_clipboard_set_text(clipboard, utf8.c_str());
      }),
      mSelf(std::make_shared<StudioDesktopClipboard*>(this)),
      mChanged(clipboard, "changed", G_CALLBACK(&Callbacks::Changed), this) {
  UPasteboard::SetService(&mService);
  Refresh({});
}

StudioDesktopClipboard::~StudioDesktopClipboard() {
  UPasteboard::SetService(nullptr);
  *mSelf = nullptr;
  mKeyPressed.reset();
  if (mKeys) {
    GtkWidget* window = gtk_event_controller_get_widget(mKeys.Get());
    if (window) gtk_widget_remove_controller(window, mKeys.Get());
  }
}

void StudioDesktopClipboard::WatchKeys(GtkWidget* window) {
  if (mKeys || !window) return;
  // Not floating: the window's add takes a reference of its own.
  mKeys = StudioGObject<GtkEventController>::Take(gtk_event_controller_key_new());
  gtk_event_controller_set_propagation_phase(mKeys.Get(), GTK_PHASE_CAPTURE);
  mKeyPressed = std::make_unique<StudioSignal>(mKeys.Get(), "key-pressed",
                                               G_CALLBACK(&Callbacks::KeyPressed), this);
  gtk_widget_add_controller(window, GTK_EVENT_CONTROLLER(g_object_ref(mKeys.Get())));
}

void StudioDesktopClipboard::Refresh(std::function<void()> done) {
  auto* read = new Read{mSelf, mService.StartRead(), std::move(done)};
  gdk_clipboard_read_text_async(mClipboard.Get(), nullptr, &Callbacks::TextRead, read);
}
