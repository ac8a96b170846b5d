// The studio's side panels and the desktop clipboard, made for one window:
// the inspector and the keyboard map in its side area, the plug-in's
// clipboard answered by the desktop's, the paste key caught on the window.
//
// The side area starts hidden, so that the score has the whole window; the
// action "panels.toggle" (F9) shows and hides it. Destroy before the window.
#ifndef STUDIO_SIDE_PANELS_H
#define STUDIO_SIDE_PANELS_H

#include <memory>

#include "StudioGObject.h"

typedef struct _GtkApplication GtkApplication;
typedef struct _GtkWidget GtkWidget;
typedef struct _GSimpleActionGroup GSimpleActionGroup;
class HostPlugin;
class StudioDesktopClipboard;
class StudioSettingsPanel;
class StudioKeyboardPanel;
class StudioWindow;

class StudioSidePanels {
 public:
  // app: the application window was made for (its window is the one the
  // panels go into).
  StudioSidePanels(GtkApplication* app, StudioWindow& window, HostPlugin& plugin);
  ~StudioSidePanels();
  StudioSidePanels(const StudioSidePanels&) = delete;
  StudioSidePanels& operator=(const StudioSidePanels&) = delete;

  void SetShown(bool shown);
  bool IsShown() const { return mShown; }

 private:
  StudioWindow& mWindow;
  std::unique_ptr<StudioDesktopClipboard> mClipboard;
  std::unique_ptr<StudioSettingsPanel> mInspector;
  std::unique_ptr<StudioKeyboardPanel> mKeyboard;
  StudioGObject<GSimpleActionGroup> mActions;
  GtkWidget* mToplevel = nullptr;  // the window; null once it is gone (weak)
  bool mAdded = false;
  bool mShown = false;
};

#endif
