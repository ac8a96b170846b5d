#include "StudioSidePanels.h"

#include <gtk/gtk.h>

#include "StudioDesktopClipboard.h"
#include "StudioSettingsPanel.h"
#include "StudioKeyboardPanel.h"
#include "StudioWindow.h"
#include "bridge/HostPlugin.h"

namespace {

void Toggle(GSimpleAction*, GVariant*, gpointer data) {
  auto* panels = static_cast<StudioSidePanels*>(data);
  panels->SetShown(!panels->IsShown());
}

}  // namespace

StudioSidePanels::StudioSidePanels(GtkApplication* app, StudioWindow& window, HostPlugin& plugin)
    : mWindow(window),
      mInspector(std::make_unique<StudioSettingsPanel>(window, plugin.InspectorDesc())),
      mKeyboard(std::make_unique<StudioKeyboardPanel>(window)) {
  GList* windows = gtk_application_get_windows(app);
  GtkWidget* toplevel = windows ? GTK_WIDGET(windows->data) : nullptr;
  mToplevel = toplevel;
  if (mToplevel)
    g_object_add_weak_pointer(G_OBJECT(mToplevel), reinterpret_cast<gpointer*>(&mToplevel));
  GdkDisplay* display = toplevel ? gtk_widget_get_display(toplevel) : gdk_display_get_default();
  mClipboard =
      std::make_unique<StudioDesktopClipboard>(gdk_display_get_clipboard(display), &window);
  mClipboard->WatchKeys(toplevel);

  mActions = StudioGObject<GSimpleActionGroup>::Take(g_simple_action_group_new());
  static const GActionEntry kEntries[] = {{"toggle", &Toggle, nullptr, nullptr, nullptr, {}}};
  g_action_map_add_action_entries(G_ACTION_MAP(mActions.Get()), kEntries, 1, this);
  if (toplevel) gtk_widget_insert_action_group(toplevel, "panels", G_ACTION_GROUP(mActions.Get()));
  static const char* const kToggleKeys[] = {"F9", nullptr};
  gtk_application_set_accels_for_action(app, "panels.toggle", kToggleKeys);
}

StudioSidePanels::~StudioSidePanels() {
  // The actions call back into this object: the window forgets them first.
  if (mToplevel) {
    gtk_widget_insert_action_group(mToplevel, "panels", nullptr);
    g_object_remove_weak_pointer(G_OBJECT(mToplevel), reinterpret_cast<gpointer*>(&mToplevel));
  }
}

void StudioSidePanels::SetShown(bool shown) {
  if (shown && !mAdded) {
    mWindow.AddPanel(mInspector->Widget());
    mWindow.AddPanel(mKeyboard->Widget());
    mAdded = true;
  }
  mShown = shown;
  // The side area is the panels' box: hidden, the score takes the window.
  if (GtkWidget* area = gtk_widget_get_parent(mInspector->Widget()))
    gtk_widget_set_visible(area, shown);
}
