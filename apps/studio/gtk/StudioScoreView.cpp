#include "StudioScoreView.h"

#include <cairo.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioKeyInput.h"
#include "StudioScenePainter.h"
#include "StudioSelection.h"
#include "StudioSonogram.h"
#include "StudioText.h"
#include "StudioTransport.h"
#include "StudioTypingSession.h"
#include "bridge/HostObject.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "host/QVEditEvent.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

namespace {

AGRect Union(const AGRect& a, const AGRect& b) {
  return AGRect{std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2),
                std::max(a.y2, b.y2)};
}

uint32_t MouseModifiers(uint32_t state) {
  HostEditKey key;
  StudioEditKeyFromToolkit(kStudioKeycodeOffset, state, key);
  return key.modifiers;
}

// Window shortcuts that must reach the window's actions even while an
// object is typed into (they finish typing first).
bool IsWindowShortcut(unsigned keyval, unsigned state) {
  if (!(state & GDK_CONTROL_MASK)) return false;
  switch (gdk_keyval_to_lower(keyval)) {
    case GDK_KEY_s:
    case GDK_KEY_o:
    case GDK_KEY_z:
    case GDK_KEY_q:
    case GDK_KEY_e:
    case GDK_KEY_g:
    case GDK_KEY_plus:
    case GDK_KEY_equal:
    case GDK_KEY_minus:
    case GDK_KEY_0:
    case GDK_KEY_KP_Add:
    case GDK_KEY_KP_Subtract:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Tiles arrive on the sonogram's workers; only the main loop touches the
// view. One handoff is queued at a time, however many tiles arrive.
struct StudioScoreView::TileHandoff {
  // Main thread only; null once the view is gone.
  StudioScoreView* view = nullptr;
  std::atomic<bool> queued{false};

  static void Arrived(const std::shared_ptr<TileHandoff>& handoff) {
    if (handoff->queued.exchange(true)) return;
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &Run, new std::shared_ptr<TileHandoff>(handoff),
                    &Release);
  }
  static gboolean Run(gpointer data) {
    TileHandoff& handoff = **static_cast<std::shared_ptr<TileHandoff>*>(data);
    handoff.queued = false;
    if (handoff.view) handoff.view->Redraw();
    return G_SOURCE_REMOVE;
  }
  static void Release(gpointer data) { delete static_cast<std::shared_ptr<TileHandoff>*>(data); }
};

struct StudioScoreView::Callbacks {
  static void Draw(GtkDrawingArea*, cairo_t* cr, int width, int height, gpointer data) {
    auto* view = static_cast<StudioScoreView*>(data);
    if (!view->EnsureBuffer(width, height)) return;
    view->Repaint(nullptr);
    cairo_set_source_surface(cr, view->mSurface.get(), 0, 0);
    cairo_paint(cr);
    // The playhead moves every frame while playing: it is drawn over the
    // painted score, which stays as it is.
    if (std::isfinite(view->mPlayheadMs)) {
      const double x = std::floor(view->mViewport.Axis().TimeToPixel(view->mPlayheadMs));
      if (x >= 0.0 && x < width) {
        cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
        cairo_rectangle(cr, x, 0.0, 1.0, height);
        cairo_fill(cr);
      }
    }
  }
  static void Resize(GtkDrawingArea*, int width, int height, gpointer data) {
    // Outside drawing: the scrollbar may be reconfigured here.
    auto* view = static_cast<StudioScoreView*>(data);
    view->mViewport.Axis().SetViewWidth(width);
    view->mViewport.SetStripBottom(height - kStripMargin);
    view->UpdateScrollbar();
    view->mKept.Invalidate();
  }
  static void DragBegin(GtkGestureDrag* gesture, double x, double y, gpointer data) {
    auto* view = static_cast<StudioScoreView*>(data);
    gtk_widget_grab_focus(view->mArea);
    view->Press(AGPoint{x, y},
                gtk_event_controller_get_current_event_state(GTK_EVENT_CONTROLLER(gesture)));
  }
  static void DragUpdate(GtkGestureDrag* gesture, double dx, double dy, gpointer data) {
    auto* view = static_cast<StudioScoreView*>(data);
    double x = 0.0;
    double y = 0.0;
    gtk_gesture_drag_get_start_point(gesture, &x, &y);
    view->DragTo(AGPoint{x + dx, y + dy}, false);
  }
  static void DragEnd(GtkGestureDrag* gesture, double dx, double dy, gpointer data) {
    auto* view = static_cast<StudioScoreView*>(data);
    double x = 0.0;
    double y = 0.0;
    gtk_gesture_drag_get_start_point(gesture, &x, &y);
    view->DragTo(AGPoint{x + dx, y + dy}, true);
  }
  static gboolean KeyPressed(GtkEventControllerKey*, guint keyval, guint keycode,
                             GdkModifierType state, gpointer data) {
    return static_cast<StudioScoreView*>(data)->KeyPressed(keyval, keycode, state) ? TRUE : FALSE;
  }
  static gboolean Scroll(GtkEventControllerScroll* controller, double dx, double dy,
                         gpointer data) {
    static_cast<StudioScoreView*>(data)->Scroll(
        dx, dy, gtk_event_controller_get_current_event_state(GTK_EVENT_CONTROLLER(controller)));
    return TRUE;
  }
  static void Motion(GtkEventControllerMotion*, double x, double y, gpointer data) {
    static_cast<StudioScoreView*>(data)->mPointer = AGPoint{x, y};
  }
  static void Scrollbar(GtkAdjustment* adjustment, gpointer data) {
    auto* view = static_cast<StudioScoreView*>(data);
    if (view->mUpdatingScrollbar) return;
    // Whole pixels from where the view is, so that the kept picture moves
    // instead of being painted again.
    StudioTimeAxis& axis = view->mViewport.Axis();
    const double pixels =
        std::round((gtk_adjustment_get_value(adjustment) - axis.StartTime()) / axis.MsPerPixel());
    axis.ScrollByPixels(pixels);
    view->ViewChanged();
  }
};

void StudioScoreView::SurfaceRelease::operator()(cairo_surface_t* surface) const {
  cairo_surface_destroy(surface);
}

StudioScoreView::StudioScoreView(StudioDocument& doc, StudioSelection& selection,
                                 StudioScoreViewOwner& owner)
    : mDoc(doc), mSelection(selection), mOwner(owner) {
  mBox = StudioGObject<GtkWidget>::Take(
      GTK_WIDGET(g_object_ref_sink(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0))));

  mArea = gtk_drawing_area_new();
  gtk_widget_set_hexpand(mArea, TRUE);
  gtk_widget_set_vexpand(mArea, TRUE);
  gtk_widget_set_focusable(mArea, TRUE);
  gtk_widget_set_size_request(mArea, 320, 160);
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(mArea), &Callbacks::Draw, this, nullptr);
  gtk_box_append(GTK_BOX(mBox.Get()), mArea);
  mSignals.emplace_back(mArea, "resize", G_CALLBACK(&Callbacks::Resize), this);

  mAdjustment = gtk_adjustment_new(0, 0, 1, 1, 1, 1);
  GtkWidget* scrollbar = gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL, mAdjustment);
  gtk_box_append(GTK_BOX(mBox.Get()), scrollbar);
  mSignals.emplace_back(mAdjustment, "value-changed", G_CALLBACK(&Callbacks::Scrollbar), this);

  GtkGesture* drag = gtk_gesture_drag_new();
  gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(drag), GDK_BUTTON_PRIMARY);
  mSignals.emplace_back(drag, "drag-begin", G_CALLBACK(&Callbacks::DragBegin), this);
  mSignals.emplace_back(drag, "drag-update", G_CALLBACK(&Callbacks::DragUpdate), this);
  mSignals.emplace_back(drag, "drag-end", G_CALLBACK(&Callbacks::DragEnd), this);
  gtk_widget_add_controller(mArea, GTK_EVENT_CONTROLLER(drag));

  GtkEventController* keys = gtk_event_controller_key_new();
  mSignals.emplace_back(keys, "key-pressed", G_CALLBACK(&Callbacks::KeyPressed), this);
  gtk_widget_add_controller(mArea, keys);

  GtkEventController* scroll =
      gtk_event_controller_scroll_new(GTK_EVENT_CONTROLLER_SCROLL_BOTH_AXES);
  mSignals.emplace_back(scroll, "scroll", G_CALLBACK(&Callbacks::Scroll), this);
  gtk_widget_add_controller(mArea, scroll);

  GtkEventController* motion = gtk_event_controller_motion_new();
  mSignals.emplace_back(motion, "motion", G_CALLBACK(&Callbacks::Motion), this);
  gtk_widget_add_controller(mArea, motion);
  UpdateScrollbar();
}

StudioScoreView::~StudioScoreView() {
  // The document outlives the view: typing ends (and is recorded) now; a
  // failure to record it is reported to the owner, which outlives the view.
  (void)FinishEditing();
  mSignals.clear();
  // The workers stop before a queued handoff can find the view gone.
  mSonogram.reset();
  if (mHandoff) mHandoff->view = nullptr;
}

void StudioScoreView::Focus() { gtk_widget_grab_focus(mArea); }

bool StudioScoreView::EnsureBuffer(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (mSurface && width == mWidth && height == mHeight) return true;
  mSurface.reset();
  mKept.Invalidate();
  auto picture = std::make_unique<AGBitmap>(static_cast<uint32_t>(width),
                                            static_cast<uint32_t>(height));
  // The bitmap's words are cairo's ARGB32 pixels (premultiplied 0xAARRGGBB,
  // top row first): the toolkit shows them where they are.
  cairo_surface_t* surface =
      picture->IsOpen() ? cairo_image_surface_create_for_data(
                              picture->GetData(), CAIRO_FORMAT_ARGB32, width, height,
                              static_cast<int>(picture->GetRowLength() * 4))
                        : nullptr;
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    if (surface) cairo_surface_destroy(surface);
    mPicture.reset();
    QVLogError(kQVErrDrawPort, "Can't make a %d x %d picture of the score", width, height);
    return false;
  }
  mPicture = std::move(picture);
  mSurface.reset(surface);
  mWidth = width;
  mHeight = height;
  return true;
}

void StudioScoreView::Repaint(const AGRect* extra) {
  if (!mSurface) return;
  if (extra) {
    mDamage = mHasDamage ? Union(mDamage, *extra) : *extra;
    mHasDamage = true;
  }
  const StudioKeptPicture::Plan plan = mKept.PlanFor(mViewport, mWidth, mHeight);
  if (plan.work == StudioKeptPicture::Work::kNone && !mHasDamage) return;
  cairo_surface_flush(mSurface.get());
  const AGContext context = mPicture->GetContext();
  StudioScenePainter painter(mDoc, mViewport, mSummary.get());
  if (mShowSonogram && mSonogram && mSonogram->IsOpen()) painter.SetSonogram(mSonogram.get());
  painter.SetSelection(mSelection.Ids());
  painter.SetEditedObject(mEdited);
  AGRect band;
  if (mGesture.Band(band)) painter.SetRubberBand(band);
  int32_t painted = 0;
  if (plan.work == StudioKeptPicture::Work::kWhole) {
    painted = painter.Paint(context);
  } else {
    if (plan.work == StudioKeptPicture::Work::kShift) {
      StudioKeptPicture::ShiftPixels(*mPicture, plan.shift);
      painted = painter.PaintDamaged(context, plan.strip);
      // Damage noted before the scroll moved with the pixels.
      mDamage.x1 -= plan.shift;
      mDamage.x2 -= plan.shift;
    }
    if (mHasDamage) {
      const int32_t status = painter.PaintDamaged(context, mDamage);
      if (painted == 0) painted = status;
    }
  }
  // The toolkit reads the pixels the kit's port drew.
  (void)mPicture->GetData();
  cairo_surface_mark_dirty(mSurface.get());
  // The painter logged what it could not draw; the picture is then painted
  // whole again by the next frame.
  if (painted == 0) {
    mKept.Painted(mViewport, mWidth, mHeight);
  } else {
    mKept.Invalidate();
  }
  mHasDamage = false;
}

void StudioScoreView::Redraw() {
  mKept.Invalidate();
  gtk_widget_queue_draw(mArea);
}

void StudioScoreView::SetPlayhead(double ms) {
  if (ms == mPlayheadMs || (std::isnan(ms) && std::isnan(mPlayheadMs))) return;
  mPlayheadMs = ms;
  gtk_widget_queue_draw(mArea);
}

bool StudioScoreView::FollowPlayhead(double ms) {
  if (!StudioTransport::Follow(mViewport.Axis(), ms)) return false;
  ViewChanged();
  return true;
}

int32_t StudioScoreView::OpenSonogram(const std::string& path) {
  if (path.empty()) {
    if (mSonogram) mSonogram->Close();
    Redraw();
    return 0;
  }
  if (!mSonogram) {
    mSonogram = std::make_unique<StudioSonogram>(2);
    mHandoff = std::make_shared<TileHandoff>();
    mHandoff->view = this;
    std::shared_ptr<TileHandoff> handoff = mHandoff;
    mSonogram->SetTileProc([handoff]() { TileHandoff::Arrived(handoff); });
  }
  const int32_t status = mSonogram->Open(path);
  if (status == 0) SetLogFrequencies(mLogFrequencies);
  Redraw();
  return status;
}

StudioSonogram* StudioScoreView::ShownSonogram() const {
  return mShowSonogram && mSonogram && mSonogram->IsOpen() ? mSonogram.get() : nullptr;
}

void StudioScoreView::ShowSonogram(bool show) {
  mShowSonogram = show;
  Redraw();
}

void StudioScoreView::SetLogFrequencies(bool log) {
  mLogFrequencies = log;
  if (mSonogram && mSonogram->IsOpen()) {
    StudioSonogram::Settings settings = mSonogram->GetSettings();
    settings.axis = StudioFrequencyAxis::ForRecording(
        log ? StudioFrequencyAxis::Scale::kLogarithmic : StudioFrequencyAxis::Scale::kLinear,
        mSonogram->SampleRate());
    // Settings made from the recording's own rate are always accepted; a
    // refusal is logged and leaves the sonogram as it was.
    (void)mSonogram->SetSettings(settings);
  }
  Redraw();
}

void StudioScoreView::ViewChanged() {
  UpdateScrollbar();
  // What moved is found when the frame is painted: a scroll by whole pixels
  // moves the kept picture, a zoom paints it whole.
  gtk_widget_queue_draw(mArea);
}

void StudioScoreView::UpdateScrollbar() {
  const StudioTimeAxis& axis = mViewport.Axis();
  const double span = axis.EndTime() - axis.StartTime();
  mUpdatingScrollbar = true;
  gtk_adjustment_configure(mAdjustment, axis.StartTime(), axis.MinStartTime(),
                           axis.MaxStartTime() + span, span / 10.0, span * 0.9, span);
  mUpdatingScrollbar = false;
}

void StudioScoreView::SetSummary(std::unique_ptr<StudioWaveSummary> summary) {
  mSummary = std::move(summary);
  mViewport.Axis().SetDuration(mSummary ? mSummary->DurationMs() : 0.0);
  mViewport.Axis().ZoomToFit();
  UpdateScrollbar();
  Redraw();
}

void StudioScoreView::ZoomIn() {
  mViewport.Axis().ZoomIn(mViewport.Axis().ViewWidth() / 2.0);
  ViewChanged();
}

void StudioScoreView::ZoomOut() {
  mViewport.Axis().ZoomOut(mViewport.Axis().ViewWidth() / 2.0);
  ViewChanged();
}

void StudioScoreView::ZoomToFit() {
  mViewport.Axis().ZoomToFit();
  ViewChanged();
}

void StudioScoreView::Scroll(double dx, double dy, uint32_t state) {
  if (state & GDK_CONTROL_MASK) {
    if (dy < 0) mViewport.Axis().ZoomIn(mPointer.x);
    if (dy > 0) mViewport.Axis().ZoomOut(mPointer.x);
  } else {
    // The wheel scrolls along time, whichever way it turns; shift turns a
    // vertical wheel into a horizontal one on most systems already.
    mViewport.Axis().ScrollByPixels((dx + dy) * kWheelStep);
  }
  ViewChanged();
}

AGPoint StudioScoreView::ToScore(const AGPoint& viewPoint) const {
  return mViewport.ViewToScore(viewPoint);
}

void StudioScoreView::Report(int32_t status, const std::string& what) {
  if (status != 0) mOwner.ScoreFailed(status, what);
}

AGRect StudioScoreView::EditedDamage() const {
  const HostObject* object = mDoc.Find(mEdited);
  if (!object) return kAGNullRect;
  return StudioScenePainter::ObjectDamage(mViewport, object->Record().frame);
}

bool StudioScoreView::InEditedObject(const AGPoint& point) const {
  const AGRect damage = EditedDamage();
  return point.x >= damage.x1 && point.x <= damage.x2 && point.y >= damage.y1 &&
         point.y <= damage.y2;
}

// ---- Typing

int32_t StudioScoreView::BeginEditing(StudioObjectId id) {
  if (mTyping) return static_cast<int32_t>(QVLogStatus<kQVErrStudioTyping>("begin typing"));
  AGContext view(nullptr,
                 AGRect{0.0, 0.0, static_cast<double>(mWidth), static_cast<double>(mHeight)});
  view.transform = StudioScenePainter::ScoreTransform(mViewport, mHeight);
  auto session = std::make_unique<StudioTypingSession>(mDoc, id, view);
  const int32_t status = session->Begin();
  if (status != 0) {
    Report(status, StudioText::Get("Can't type into the object"));
    return status;
  }
  mTyping = std::move(session);
  mEdited = id;
  mTypedChange = false;
  mSelection.Replace(id);
  mOwner.ScoreSelectionChanged();
  mOwner.ScoreEditingChanged(id);
  Redraw();
  return 0;
}

int32_t StudioScoreView::FinishEditing() {
  if (!mTyping) return 0;
  const int32_t status = mTyping->Finish();
  mTyping.reset();
  mEdited = kStudioNoObject;
  mTypedChange = false;
  mDragToObject = false;
  Report(status, StudioText::Get("Can't keep what was typed as a step"));
  mOwner.ScoreEditingChanged(kStudioNoObject);
  mOwner.ScoreDocumentChanged();
  Redraw();
  return status;
}

int32_t StudioScoreView::SendEditKey(const HostEditKey& key) {
  if (!mTyping) return static_cast<int32_t>(QVLogStatus<kQVErrStudioNotTyping>("a key"));
  const AGRect before = EditedDamage();
  const int32_t status = mTyping->Key(key);
  Report(status, StudioText::Get("The object refused the key"));
  if (mTyping->ObjectWantsToEnd()) {
    // The key's own status is the answer; a failed finish is reported.
    (void)FinishEditing();
    return status;
  }
  const QVEditEvent* answer = mTyping->LastEvent();
  if (answer && answer->request == kQVEditEventHandled) {
    Repaint(nullptr);  // anything already stale first
    const AGRect damage = Union(before, EditedDamage());
    mDamage = mHasDamage ? Union(mDamage, damage) : damage;
    mHasDamage = true;
    gtk_widget_queue_draw(mArea);
    if (answer->changed) {
      mTypedChange = true;
      mOwner.ScoreDocumentChanged();
    }
  }
  return status;
}

// ---- Mouse

void StudioScoreView::Press(const AGPoint& point, uint32_t state) {
  mDragToObject = false;
  mDragSwallowed = false;
  mDragStart = point;
  if (mTyping) {
    if (InEditedObject(point)) {
      mDragToObject = true;
      const AGRect before = EditedDamage();
      // A press the object refuses moves nothing: the repaint below shows it.
      (void)mTyping->Mouse(kQVEditMousePress, ToScore(point), MouseModifiers(state));
      if (mTyping->ObjectWantsToEnd()) {
        (void)FinishEditing();  // reported to the owner when it fails
        mDragToObject = false;
        mDragSwallowed = true;
        return;
      }
      Repaint(&before);
      gtk_widget_queue_draw(mArea);
      return;
    }
    (void)FinishEditing();  // reported to the owner when it fails
  }

  // The ruler places the cursor; nothing under it is picked.
  if (point.y < StudioScenePainter::kRulerHeight) {
    mDragSwallowed = true;
    mGesture.Cancel();
    mOwner.ScoreRulerClicked(mViewport.Axis().PixelToTime(point.x));
    return;
  }

  const int64_t now = g_get_monotonic_time() / 1000;
  const StudioObjectId hit = StudioHitTest::ObjectAt(mDoc, mViewport, point);
  const bool doubleClick = hit != kStudioNoObject && hit == mLastPressObject &&
                           now - mLastPressMs <= kDoubleClickMs &&
                           std::fabs(point.x - mLastPress.x) <= kDoubleClickDistance &&
                           std::fabs(point.y - mLastPress.y) <= kDoubleClickDistance;
  mLastPressMs = now;
  mLastPress = point;
  mLastPressObject = hit;
  if (doubleClick && !(state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK))) {
    mLastPressObject = kStudioNoObject;  // a third click is no second double-click
    mDragSwallowed = true;
    mGesture.Cancel();
    (void)BeginEditing(hit);  // reported to the owner when it fails
    return;
  }

  const StudioSelection before = mSelection;
  mGesture.Press(mDoc, mViewport, mSelection, point, (state & GDK_CONTROL_MASK) != 0,
                 (state & GDK_SHIFT_MASK) != 0);
  if (!(mSelection == before)) mOwner.ScoreSelectionChanged();
  Redraw();
}

void StudioScoreView::DragTo(const AGPoint& point, bool released) {
  if (mDragSwallowed) return;
  if (mDragToObject) {
    if (!mTyping) return;
    const AGRect before = EditedDamage();
    // As for the press: a refused drag or release changes nothing to show.
    (void)mTyping->Mouse(released ? kQVEditMouseRelease : kQVEditMouseDrag, ToScore(point), 0);
    if (mTyping->ObjectWantsToEnd()) {
      (void)FinishEditing();  // reported to the owner when it fails
      return;
    }
    Repaint(&before);
    gtk_widget_queue_draw(mArea);
    if (released) mDragToObject = false;
    return;
  }
  if (mGesture.Current() == StudioScoreGesture::Kind::kNone) return;
  const bool changes = mGesture.Current() == StudioScoreGesture::Kind::kMove ||
                       mGesture.Current() == StudioScoreGesture::Kind::kResize;
  if (!released) {
    const size_t steps = mDoc.History().Count();
    const int32_t status = mGesture.Drag(mDoc, mViewport, point);
    Report(status, StudioText::Get("Can't change the frames"));
    if (changes && (mDoc.History().Count() != steps || status == 0)) mOwner.ScoreDocumentChanged();
    Redraw();
    return;
  }
  const StudioScoreGesture::Kind kind = mGesture.Current();
  const StudioSelection before = mSelection;
  const int32_t status = mGesture.Release(mDoc, mViewport, mSelection, point);
  Report(status, kind == StudioScoreGesture::Kind::kCreate
                     ? StudioText::Get("Can't create the object")
                     : StudioText::Get("Can't change the frames"));
  if (!(mSelection == before)) mOwner.ScoreSelectionChanged();
  if (kind != StudioScoreGesture::Kind::kRubberBand) mOwner.ScoreDocumentChanged();
  Redraw();
}

// ---- Keys

// Every status dropped below has been reported to the owner (the status
// line) by the call itself: the key is handled either way.
bool StudioScoreView::KeyPressed(unsigned keyval, unsigned keycode, unsigned state) {
  if (mTyping) {
    if (IsWindowShortcut(keyval, state)) return false;
    HostEditKey key;
    if (!StudioEditKeyFromToolkit(keycode, state, key)) return false;
    if (StudioClassifyEditingKey(key) == StudioEditingKey::kEndEditing) {
      (void)FinishEditing();
      return true;
    }
    (void)SendEditKey(key);
    return true;
  }
  const bool ctrl = (state & GDK_CONTROL_MASK) != 0;
  const unsigned lower = gdk_keyval_to_lower(keyval);
  if (!ctrl && (keyval == GDK_KEY_Delete || keyval == GDK_KEY_BackSpace ||
                keyval == GDK_KEY_KP_Delete)) {
    (void)DeleteSelection();
    return true;
  }
  if (!ctrl && keyval == GDK_KEY_space) {
    gtk_widget_activate_action(mArea, "studio.play", nullptr);
    return true;
  }
  if (!ctrl && lower == GDK_KEY_l) {
    gtk_widget_activate_action(mArea, "studio.loop", nullptr);
    return true;
  }
  if (ctrl && lower == GDK_KEY_d) {
    (void)DuplicateSelection();
    return true;
  }
  if (ctrl && lower == GDK_KEY_c) {
    (void)CopySelection();
    return true;
  }
  if (ctrl && lower == GDK_KEY_v) {
    (void)Paste();
    return true;
  }
  if (ctrl && lower == GDK_KEY_a) {
    mSelection.SelectAll(mDoc);
    mOwner.ScoreSelectionChanged();
    Redraw();
    return true;
  }
  if (!ctrl && (keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter)) {
    const std::vector<StudioObjectId> ids = mSelection.InZOrder(mDoc);
    if (!ids.empty()) (void)BeginEditing(ids.back());
    return true;
  }
  if (!ctrl && keyval == GDK_KEY_Escape) {
    mSelection.Clear();
    mOwner.ScoreSelectionChanged();
    Redraw();
    return true;
  }
  return false;
}

// ---- Whole objects

int32_t StudioScoreView::DeleteSelection() {
  const int32_t status = StudioActions::Delete(mDoc, mSelection.InZOrder(mDoc));
  Report(status, StudioText::Get("Can't delete the objects"));
  if (status == 0) {
    mSelection.Prune(mDoc);
    mOwner.ScoreSelectionChanged();
    mOwner.ScoreDocumentChanged();
    Redraw();
  }
  return status;
}

int32_t StudioScoreView::DuplicateSelection() {
  const std::vector<StudioObjectId> ids = mSelection.InZOrder(mDoc);
  if (ids.empty()) return 0;
  std::vector<StudioObjectId> copies;
  const int32_t status = StudioActions::Duplicate(
      mDoc, ids, kCopyOffsetPixels * mViewport.TimePerPixel(), 0.0, &copies);
  Report(status, StudioText::Get("Can't duplicate the objects"));
  if (status == 0) {
    mSelection.Clear();
    for (StudioObjectId id : copies) mSelection.Add(id);
    mOwner.ScoreSelectionChanged();
    mOwner.ScoreDocumentChanged();
    Redraw();
  }
  return status;
}

int32_t StudioScoreView::CopySelection() {
  const std::vector<StudioObjectId> ids = mSelection.InZOrder(mDoc);
  if (ids.empty()) return 0;
  std::string bytes;
  const int32_t status = StudioActions::Copy(mDoc, ids, bytes);
  Report(status, StudioText::Get("Can't copy the objects"));
  if (status == 0) mClipboard = std::move(bytes);
  return status;
}

int32_t StudioScoreView::Paste() {
  if (mClipboard.empty()) return 0;
  std::vector<StudioObjectId> pasted;
  const int32_t status = StudioActions::Paste(
      mDoc, mClipboard, kCopyOffsetPixels * mViewport.TimePerPixel(), 0.0, &pasted);
  Report(status, StudioText::Get("Can't paste the objects"));
  if (status == 0) {
    mSelection.Clear();
    for (StudioObjectId id : pasted) mSelection.Add(id);
    mOwner.ScoreSelectionChanged();
    mOwner.ScoreDocumentChanged();
    Redraw();
  }
  return status;
}
