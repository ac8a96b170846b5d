// The score view of the studio's window: the recording's waveform under the
// time ruler and the document's objects, painted by StudioScenePainter into
// a bitmap the view keeps and the toolkit shows; a horizontal scrollbar
// below. A scroll by whole pixels moves the kept pixels and paints only the
// strip scrolled in (StudioKeptPicture); the playhead is drawn over them.
//
// Mouse (first button): see StudioScoreGesture.h for press and drag; a
// double-click on an object begins typing into it. Wheel and shift+wheel
// scroll the time axis, ctrl+wheel zooms around the pointer.
//
// Keys while no object is typed into: space and L activate the window's
// actions "studio.play" and "studio.loop" (typing takes them itself),
// Delete or BackSpace delete the selection, ctrl+D duplicates it, ctrl+C
// copies it and ctrl+V pastes it (whole objects, within the studio), ctrl+A
// selects everything, Return begins typing into the topmost selected object,
// Escape clears the selection. While typing: every key goes to the object (its symbol layout
// translates it) except Escape alone, which ends typing; a press outside the
// object ends typing too; presses and drags inside it go to the object
// (caret, selection). A keystroke repaints only the edited object's old and
// new damage rectangles.
//
// Document changes are reported to the owner after they are made; failures
// too, with their status, so that the window can tell the person.
#ifndef STUDIO_SCORE_VIEW_H
#define STUDIO_SCORE_VIEW_H

#include <cstdint>
#include <limits>
#include <list>
#include <memory>
#include <string>

#include "StudioGObject.h"
#include "StudioKeptPicture.h"
#include "StudioObjectId.h"
#include "StudioScoreGesture.h"
#include "StudioViewport.h"
#include "StudioWaveSummary.h"
#include "bridge/HostEdit.h"
#include "graphics/AGGeometry.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkAdjustment GtkAdjustment;
typedef struct _cairo_surface cairo_surface_t;
class AGBitmap;
class StudioDocument;
class StudioSelection;
class StudioSonogram;
class StudioSignal;
class StudioTypingSession;

class StudioScoreViewOwner {
 public:
  virtual ~StudioScoreViewOwner() = default;
  // The document changed (a step made, typing ended).
  virtual void ScoreDocumentChanged() = 0;
  virtual void ScoreSelectionChanged() = 0;
  // Typing into id began, or ended (kStudioNoObject).
  virtual void ScoreEditingChanged(StudioObjectId id) = 0;
  // what the person tried ("Can't create the object"); status as returned.
  virtual void ScoreFailed(int32_t status, const std::string& what) = 0;
  // A press on the ruler at ms on the time axis.
  virtual void ScoreRulerClicked(double ms) = 0;
};

class StudioScoreView {
 public:
  // Space below the score strip's bottom (height 0), in pixels.
  static constexpr double kStripMargin = 12.0;
  // Pixels the view scrolls per wheel step.
  static constexpr double kWheelStep = 48.0;
  // Two presses this close in time (ms) and space (pixels) are a double-click.
  static constexpr int64_t kDoubleClickMs = 400;
  static constexpr double kDoubleClickDistance = 5.0;
  // Duplicates and pastes land this many pixels later than their originals.
  static constexpr double kCopyOffsetPixels = 16.0;

  // doc, selection and owner outlive the view.
  StudioScoreView(StudioDocument& doc, StudioSelection& selection, StudioScoreViewOwner& owner);
  ~StudioScoreView();
  StudioScoreView(const StudioScoreView&) = delete;
  StudioScoreView& operator=(const StudioScoreView&) = delete;

  // The view and its scrollbar; owned by the view (a reference is held).
  GtkWidget* Widget() const { return mBox.Get(); }
  void Focus();

  // The recording's summary (null: none); the view zooms to fit it.
  void SetSummary(std::unique_ptr<StudioWaveSummary> summary);
  const StudioWaveSummary* Summary() const { return mSummary.get(); }
  const StudioViewport& Viewport() const { return mViewport; }
  // The view's height in pixels (0 before it is first shown).
  double Height() const { return mHeight; }

  // The playhead line (ms on the time axis; not-a-number: none), drawn over
  // the painted score without repainting it.
  void SetPlayhead(double ms);
  // Pages the view so that ms is in sight; true when it moved.
  bool FollowPlayhead(double ms);

  // The sonogram strip instead of the waveform, under the objects. Open
  // reads path's sound for it (the sonogram's status; empty path: none);
  // tiles arrive on worker threads and are handed to the main loop, which
  // repaints. While shown without a sonogram, the waveform stays.
  [[nodiscard]] int32_t OpenSonogram(const std::string& path);
  void ShowSonogram(bool show);
  bool ShowsSonogram() const { return mShowSonogram; }
  // The sonogram drawn under the objects now (shown and open), else null:
  // what an export of the view draws too.
  StudioSonogram* ShownSonogram() const;
  // Linear or logarithmic frequencies, 0 (or 20 Hz) up to half the rate.
  void SetLogFrequencies(bool log);
  bool LogFrequencies() const { return mLogFrequencies; }

  // Repaints everything (after the document, the selection or anything else
  // drawn changed): the kept picture is dropped.
  void Redraw();
  void ZoomIn();
  void ZoomOut();
  void ZoomToFit();

  // Typing in place. Begin: kQVErrStudioTyping while typing already,
  // otherwise StudioTypingSession::Begin's status. Finish: 0 when nothing
  // was being typed, else the session's Finish status.
  [[nodiscard]] int32_t BeginEditing(StudioObjectId id);
  [[nodiscard]] int32_t FinishEditing();
  StudioObjectId EditedObject() const { return mEdited; }
  // The object typed into has changed since typing began: the change is
  // recorded (and the document counts as modified) when typing ends.
  bool HasUnrecordedTyping() const { return mTypedChange; }
  // One key to the object typed into: the object's status, a failure also
  // reported to the owner; kQVErrStudioNotTyping (-1440, logged) when none is.
  [[nodiscard]] int32_t SendEditKey(const HostEditKey& key);

  // Whole-object editing of the selection (not while typing).
  [[nodiscard]] int32_t DeleteSelection();
  [[nodiscard]] int32_t DuplicateSelection();
  [[nodiscard]] int32_t CopySelection();
  [[nodiscard]] int32_t Paste();

 private:
  struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const;
  };

  // The toolkit's callbacks (defined with the view).
  struct Callbacks;
  friend struct Callbacks;
  // Carries arriving tiles to the main loop; outlives the view while a
  // handoff is queued.
  struct TileHandoff;

  void Press(const AGPoint& point, uint32_t state);
  void DragTo(const AGPoint& point, bool released);
  bool KeyPressed(unsigned keyval, unsigned keycode, unsigned state);
  void Scroll(double dx, double dy, uint32_t state);
  void ViewChanged();
  void UpdateScrollbar();
  bool InEditedObject(const AGPoint& point) const;
  AGPoint ToScore(const AGPoint& viewPoint) const;
  void Report(int32_t status, const std::string& what);
  void Repaint(const AGRect* damage);
  bool EnsureBuffer(int width, int height);
  AGRect EditedDamage() const;

  StudioDocument& mDoc;
  StudioSelection& mSelection;
  StudioScoreViewOwner& mOwner;
  StudioGObject<GtkWidget> mBox;
  GtkWidget* mArea = nullptr;
  GtkAdjustment* mAdjustment = nullptr;
  std::list<StudioSignal> mSignals;
  bool mUpdatingScrollbar = false;

  StudioViewport mViewport;
  std::unique_ptr<StudioWaveSummary> mSummary;
  StudioScoreGesture mGesture;
  AGPoint mPointer{0.0, 0.0};

  // Double-click detection and the edit-mode drag.
  int64_t mLastPressMs = -1000000;
  AGPoint mLastPress{0.0, 0.0};
  StudioObjectId mLastPressObject = kStudioNoObject;
  bool mDragToObject = false;
  bool mDragSwallowed = false;
  AGPoint mDragStart{0.0, 0.0};

  std::unique_ptr<StudioTypingSession> mTyping;
  StudioObjectId mEdited = kStudioNoObject;
  bool mTypedChange = false;
  std::string mClipboard;

  std::unique_ptr<StudioSonogram> mSonogram;
  std::shared_ptr<TileHandoff> mHandoff;
  bool mShowSonogram = false;
  bool mLogFrequencies = false;
  double mPlayheadMs = std::numeric_limits<double>::quiet_NaN();

  // The painted pixels, and the toolkit's surface over them (released
  // first). mKept says what of them still shows the view; mDamage (view
  // pixels, y down) is to be painted again besides.
  std::unique_ptr<AGBitmap> mPicture;
  std::unique_ptr<cairo_surface_t, SurfaceRelease> mSurface;
  StudioKeptPicture mKept;
  int mWidth = 0;
  int mHeight = 0;
  bool mHasDamage = false;
  AGRect mDamage = kAGNullRect;
};

#endif
