// What every side panel shares: a vertical box for the window's side area,
// and the panel host's notifications, each of which makes the panel show
// the window's present state again (Update).
#ifndef STUDIO_SIDE_PANEL_H
#define STUDIO_SIDE_PANEL_H

#include <gtk/gtk.h>

#include "StudioGObject.h"
#include "StudioPanelHost.h"

class StudioSidePanel : public StudioPanelListener {
 public:
  // Listens to host from here until destroyed. A derived panel shows its
  // first state itself, once it is built.
  explicit StudioSidePanel(StudioPanelHost& host) : mHost(host) {
    GtkWidget* root = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    // The panel keeps a reference of its own; the side area takes another.
    mRoot = StudioGObject<GtkWidget>::Take(GTK_WIDGET(g_object_ref_sink(root)));
    gtk_widget_set_margin_start(root, 8);
    gtk_widget_set_margin_end(root, 8);
    gtk_widget_set_margin_top(root, 8);
    mHost.AddListener(this);
  }
  ~StudioSidePanel() override { mHost.RemoveListener(this); }
  StudioSidePanel(const StudioSidePanel&) = delete;
  StudioSidePanel& operator=(const StudioSidePanel&) = delete;

  // The panel's widget, for the window's side area.
  GtkWidget* Widget() const { return mRoot.Get(); }

  void SelectionChanged(const StudioSelection&) override { Update(); }
  void DocumentChanged(const StudioDocument&) override { Update(); }
  void EditingChanged(StudioObjectId) override { Update(); }

 protected:
  virtual void Update() = 0;

  StudioPanelHost& mHost;
  StudioGObject<GtkWidget> mRoot;
};

#endif
