// The desktop clipboard (GdkClipboard) behind the plug-in's clipboard seam:
// installs a StudioClipboardService as UPasteboard's service for its life,
// writes what the object copies to the desktop as UTF-8 text, and keeps the
// service's copy of the desktop's text refreshed on the clipboard's
// "changed" signal.
//
// Reading the desktop is asynchronous, the object's paste is not: while an
// object is typed into, the paste key (StudioClipboardService::IsPasteKey)
// is caught before the score view sees it (a key controller in the capture
// phase of the window), the desktop's text is read, and only then is the
// key sent to the object through the panel host (SendEditKey), if the same
// object is still being typed into. Everything else passes untouched.
#ifndef STUDIO_DESKTOP_CLIPBOARD_H
#define STUDIO_DESKTOP_CLIPBOARD_H

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "StudioClipboardService.h"
#include "StudioGObject.h"

class StudioPanelHost;

class StudioDesktopClipboard {
 public:
  // clipboard: the display's clipboard (gdk_display_get_clipboard). host:
  // may be null (no paste keys caught: a clipboard for tests); it outlives
  // this object.
  StudioDesktopClipboard(GdkClipboard* clipboard, StudioPanelHost* host);
  ~StudioDesktopClipboard();
  StudioDesktopClipboard(const StudioDesktopClipboard&) = delete;
  StudioDesktopClipboard& operator=(const StudioDesktopClipboard&) = delete;

  // Catches the paste key on window (the studio's main window) while an
  // object is typed into.
  void WatchKeys(GtkWidget* window);

  // Reads the desktop's text into the service, then calls done (from the
  // main loop, also when the read fails; never after this object is gone).
  void Refresh(std::function<void()> done);

  StudioClipboardService& Service() { return mService; }

  // The toolkit's callbacks (defined with the class).
  struct Callbacks;

 private:
  friend struct Callbacks;

  StudioGObject<GdkClipboard> mClipboard;
  StudioPanelHost* mHost;
  StudioClipboardService mService;
  // Shared with reads under way, which outlive this object when it goes
  // first: they then find it reset and call nobody.
  std::shared_ptr<StudioDesktopClipboard*> mSelf;
  StudioSignal mChanged;
  // Also held by the window it was added to, which may go first.
  StudioGObject<GtkEventController> mKeys;
  std::unique_ptr<StudioSignal> mKeyPressed;
};

#endif
