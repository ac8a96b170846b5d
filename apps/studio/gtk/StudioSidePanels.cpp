#include "StudioSidePanels.h"

#include <gtk/gtk.h>

#include "StudioDesktopClipboard.h"
#include "StudioInspectorPanel.h"
#include "StudioKeyboardPanel.h"
#include "StudioWindow.h"
#include "bridge/HostPlugin.h"

StudioSidePanels::StudioSidePanels(StudioWindow& window, HostPlugin& plugin)
    : mInspector(std::make_unique<StudioInspectorPanel>(window, plugin.InspectorDesc())),
      mKeyboard(std::make_unique<StudioKeyboardPanel>(window)) {
  window.AddPanel(mInspector->Widget());
  window.AddPanel(mKeyboard->Widget());
  mClipboard = std::make_unique<StudioDesktopClipboard>(
      gdk_display_get_clipboard(gtk_widget_get_display(mInspector->Widget())), &window);
  // The panels now sit in the window: its root is the window itself.
  mClipboard->WatchKeys(GTK_WIDGET(gtk_widget_get_root(mInspector->Widget())));
}

StudioSidePanels::~StudioSidePanels() = default;
