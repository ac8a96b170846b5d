// The keyboard map side panel: the symbol layout of the object being typed
// into, or else of the selected object, drawn as a pc105 keyboard with each
// key's symbols at its four levels (StudioKeyboardPicture, blitted in the
// drawing area's draw function). Hovering a level shows its code point and
// the key's name below the keyboard and as a tooltip; clicking it, while an
// object is typed into, sends that key with the level's modifiers to the
// object (StudioPanelHost::SendEditKey), so that the object's own layout
// and filters decide what is inserted, and gives the keyboard back to the
// score.
#ifndef STUDIO_KEYBOARD_PANEL_H
#define STUDIO_KEYBOARD_PANEL_H

#include <gtk/gtk.h>

#include <cstddef>
#include <list>
#include <string>

#include "StudioKeyboardMap.h"
#include "StudioSidePanel.h"

class StudioKeyboardPanel : public StudioSidePanel {
 public:
  // Listens to host until destroyed.
  explicit StudioKeyboardPanel(StudioPanelHost& host);
  ~StudioKeyboardPanel() override;
  StudioKeyboardPanel(const StudioKeyboardPanel&) = delete;
  StudioKeyboardPanel& operator=(const StudioKeyboardPanel&) = delete;

  const StudioKeyboardMap& Map() const { return mMap; }

  // The toolkit's callbacks (defined with the class).
  struct Callbacks;

 private:
  friend struct Callbacks;

  // Rebuilds the map when the layout to show has changed.
  void Update() override;
  // The key and level under a point of the drawing area (pixels); false
  // when none.
  bool Hit(double x, double y, size_t& key, int& level) const;
  void Hover(double x, double y);
  void Click(double x, double y);

  StudioKeyboardMap mMap;
  bool mFollowed = false;
  size_t mHoverKey = static_cast<size_t>(-1);
  int mHoverLevel = -1;
  GtkWidget* mTitle = nullptr;
  GtkWidget* mArea = nullptr;
  GtkWidget* mCaption = nullptr;
  std::list<StudioSignal> mSignals;
};

#endif
