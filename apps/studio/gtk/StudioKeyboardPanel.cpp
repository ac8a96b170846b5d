#include "StudioKeyboardPanel.h"

#include <cairo.h>

#include <memory>

#include "StudioKeyboardPicture.h"
#include "StudioText.h"
#include "graphics/AGBitmap.h"
#include "kit/QVString.h"
#include "textinput/UKeyLayout.h"

namespace {

constexpr size_t kNoKey = static_cast<size_t>(-1);
// The drawing area's smallest size, in pixels: 24 a key.
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 120;

}  // namespace

struct StudioKeyboardPanel::Callbacks {
  static void Draw(GtkDrawingArea* area, cairo_t* cr, int width, int height, gpointer data) {
    auto* panel = static_cast<StudioKeyboardPanel*>(data);
    const int scale = gtk_widget_get_scale_factor(GTK_WIDGET(area));
    auto bitmap = std::make_unique<AGBitmap>(static_cast<uint32_t>(width * scale),
                                             static_cast<uint32_t>(height * scale));
    if (!bitmap->IsOpen()) return;
    StudioKeyboardPicture::Draw(panel->mMap, *bitmap, panel->mHoverKey, panel->mHoverLevel);
    // The kit's pixels are Cairo's ARGB32 words, rows from the top down.
    // The toolkit keeps the surface past this call (its render node), so
    // the surface owns the bitmap.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        bitmap->GetData(), CAIRO_FORMAT_ARGB32, static_cast<int>(bitmap->GetWidth()),
        static_cast<int>(bitmap->GetHeight()), static_cast<int>(bitmap->GetRowLength() * 4));
    static cairo_user_data_key_t kBitmapKey;
    if (cairo_surface_set_user_data(surface, &kBitmapKey, bitmap.get(), &FreeBitmap) ==
        CAIRO_STATUS_SUCCESS) {
      bitmap.release();
    } else {
      cairo_surface_destroy(surface);
      return;
    }
    cairo_surface_set_device_scale(surface, scale, scale);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(surface);
  }

  static void FreeBitmap(void* bitmap) { delete static_cast<AGBitmap*>(bitmap); }

  static void Motion(GtkEventControllerMotion*, double x, double y, gpointer data) {
    static_cast<StudioKeyboardPanel*>(data)->Hover(x, y);
  }

  static void Leave(GtkEventControllerMotion*, gpointer data) {
    static_cast<StudioKeyboardPanel*>(data)->Hover(-1, -1);
  }

  static void Pressed(GtkGestureClick*, int /*presses*/, double x, double y, gpointer data) {
    static_cast<StudioKeyboardPanel*>(data)->Click(x, y);
  }
};

StudioKeyboardPanel::StudioKeyboardPanel(StudioPanelHost& host) : StudioSidePanel(host) {
  GtkWidget* root = Widget();
  gtk_widget_set_margin_top(root, 12);
  mTitle = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(mTitle), 0);
  gtk_box_append(GTK_BOX(root), mTitle);

  mArea = gtk_drawing_area_new();
  gtk_widget_set_size_request(mArea, kMinWidth, kMinHeight);
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(mArea), &Callbacks::Draw, this, nullptr);
  GtkEventController* motion = gtk_event_controller_motion_new();
  mSignals.emplace_back(motion, "motion", G_CALLBACK(&Callbacks::Motion), this);
  mSignals.emplace_back(motion, "leave", G_CALLBACK(&Callbacks::Leave), this);
  gtk_widget_add_controller(mArea, motion);
  GtkGesture* click = gtk_gesture_click_new();
  mSignals.emplace_back(click, "pressed", G_CALLBACK(&Callbacks::Pressed), this);
  gtk_widget_add_controller(mArea, GTK_EVENT_CONTROLLER(click));
  gtk_box_append(GTK_BOX(root), mArea);

  mCaption = gtk_label_new(" ");
  gtk_label_set_xalign(GTK_LABEL(mCaption), 0);
  gtk_box_append(GTK_BOX(root), mCaption);

  Update();
}

StudioKeyboardPanel::~StudioKeyboardPanel() {
  mSignals.clear();
  // The area may outlive the panel in the window: it must not call back.
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(mArea), nullptr, nullptr, nullptr);
}

void StudioKeyboardPanel::Update() {
  const QVString name = StudioKeyboardMap::ActiveLayoutName(mHost.Document(), mHost.Selection(),
                                                            mHost.EditedObject());
  if (!mFollowed || !(name == mMap.LayoutName())) {
    // Building a map translates every key at every level: only when the
    // layout changes.
    mMap = StudioKeyboardMap::ForLayout(name);
    mFollowed = true;
    mHoverKey = kNoKey;
    mHoverLevel = -1;
    gtk_widget_queue_draw(mArea);
  }
  std::string title = StudioText::Get("Keyboard: ");
  if (name.IsEmpty()) {
    title += StudioText::Get("your own (no symbol layout)");
  } else {
    QVString full = kLayoutNamePrefix;
    full.Append(name);
    title += full.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
    if (!mMap.HasLayout()) title += StudioText::Get(" (not installed)");
  }
  gtk_label_set_text(GTK_LABEL(mTitle), title.c_str());
}

bool StudioKeyboardPanel::Hit(double x, double y, size_t& key, int& level) const {
  const AGPoint units = StudioKeyboardPicture::ToKeyUnits(
      mMap, gtk_widget_get_width(mArea), gtk_widget_get_height(mArea), {x, y});
  return mMap.HitTest(units, key, level);
}

void StudioKeyboardPanel::Hover(double x, double y) {
  size_t key = kNoKey;
  int level = -1;
  if (!Hit(x, y, key, level) || mMap.Text(key, level).empty()) {
    key = kNoKey;
    level = -1;
  }
  if (key == mHoverKey && level == mHoverLevel) return;
  mHoverKey = key;
  mHoverLevel = level;
  const std::string caption = key == kNoKey ? std::string(" ") : mMap.HoverText(key, level);
  gtk_label_set_text(GTK_LABEL(mCaption), caption.c_str());
  gtk_widget_set_tooltip_text(mArea, key == kNoKey ? nullptr : caption.c_str());
  gtk_widget_queue_draw(mArea);
}

void StudioKeyboardPanel::Click(double x, double y) {
  size_t key = kNoKey;
  int level = -1;
  if (!Hit(x, y, key, level) || mMap.Text(key, level).empty()) return;
  if (mHost.EditedObject() == kStudioNoObject) {
    gtk_label_set_text(GTK_LABEL(mCaption),
                       StudioText::Get("Type into an object (Return) to insert symbols"));
    return;
  }
  HostEditKey edit;
  edit.code = mMap.Keys()[key].code;
  edit.modifiers = StudioKeyboardMap::ModifiersForLevel(level);
  (void)mHost.SendEditKey(edit);  // a refused key is reported in the status line
  mHost.FocusScore();
}
