// The studio's side panels and the desktop clipboard, made for one window:
// the inspector and the keyboard map in its side area, the plug-in's
// clipboard answered by the desktop's, the paste key caught on the window.
// Destroy before the window.
#ifndef STUDIO_SIDE_PANELS_H
#define STUDIO_SIDE_PANELS_H

#include <memory>

class HostPlugin;
class StudioDesktopClipboard;
class StudioInspectorPanel;
class StudioKeyboardPanel;
class StudioWindow;

class StudioSidePanels {
 public:
  StudioSidePanels(StudioWindow& window, HostPlugin& plugin);
  ~StudioSidePanels();
  StudioSidePanels(const StudioSidePanels&) = delete;
  StudioSidePanels& operator=(const StudioSidePanels&) = delete;

 private:
  std::unique_ptr<StudioDesktopClipboard> mClipboard;
  std::unique_ptr<StudioInspectorPanel> mInspector;
  std::unique_ptr<StudioKeyboardPanel> mKeyboard;
};

#endif
