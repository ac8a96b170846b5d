// Paints the score view into any drawing context: a bitmap shown on
// screen, or a PNG, SVG or PDF file for export. Knows nothing of the GUI
// toolkit: the window hands it a context over its pixels.
//
// What is painted, back to front:
//   1. the background (kBackground) over the whole port;
//   2. the waveform of the recording's summary for the visible time range,
//      one min/max column per view pixel (the summary picks the level
//      nearest the zoom), channels stacked in the wave band below the
//      ruler, each centred on its own row with full scale at the row's
//      half height; nothing without a built summary;
//   3. the ruler: a band kRulerHeight pixels high at the top of the view,
//      StudioRuler's ticks (majors to the band's full height, minors to a
//      third of it) and the majors' "h:mm:ss" labels drawn with the kit's
//      text drawing in the standard label font;
//   3a. over a sonogram only: a light wash (kSonogramWash) over each
//      object's frame, whole pixels, so that the symbols, drawn in the
//      document's own colours (black by default), stand out from the
//      colour map's dark floor while the strip still shows through;
//   4. the objects bottom to top, each drawn by the plug-in into its frame
//      (the same call the host's renderer makes: HostRenderObject); the
//      edited object gets the edited look (caret, selection);
//   5. screen only (Mode::kScreen): the outline of each selected object's
//      frame and its eight resize handles, squares of kHandleSize pixels
//      centred on StudioHitTest::HandlePoint (so that what is drawn is what
//      a click finds), then the rubber band when one is set.
//
// Coordinates: the port's own coordinates are y up from its bottom left
// corner (AGGraphicsLow.h); view pixels (StudioViewport) are y down from the
// top. The port's height is context.bounds' height; the view's width is
// the viewport's axis width. ScoreTransform gives the mapping of score
// coordinates into the port, which is also the transform to hand a
// StudioTypingSession so that its mouse events land where objects are drawn.
//
// A painter holds references to what it draws (document, viewport, summary)
// and copies of the on-screen state (selection, edited object, rubber band).
// It changes nothing it points at: painting is const. Of the context it
// takes the port, the bounds (the view's pixels, x1, y1 at the view's
// bottom left), the opacity and the options; its transform and clip are
// replaced by the painter's own.
//
// Status codes (kit/QVErrors.h): Paint returns 0 when everything was handed
// to the port, or the first failing object's draw status (the others are
// still drawn); a waveform query failure is logged by the summary and the
// waveform is left out (the rest is drawn, status 0: a recording that can
// no longer be read must not blank the score).
#ifndef STUDIO_SCENE_PAINTER_H
#define STUDIO_SCENE_PAINTER_H

#include <cstdint>
#include <vector>

#include "StudioObjectId.h"
#include "graphics/AGGeometry.h"

class AGContext;
class StudioDocument;
class StudioSonogram;
class StudioViewport;
class StudioWaveSummary;

class StudioScenePainter {
 public:
  enum class Mode {
    kScreen,  // selection outlines, handles and rubber band drawn
    kExport,  // the score alone, as saved to a picture
  };

  // Height of the ruler band at the top of the view, in pixels.
  static constexpr double kRulerHeight = 24.0;
  // Major ticks at least this many pixels apart (room for a label), minor
  // ticks at least kMinorSpacing.
  static constexpr double kMajorSpacing = 96.0;
  static constexpr double kMinorSpacing = 8.0;
  // Side of a resize handle square, in pixels.
  static constexpr double kHandleSize = 7.0;
  // Pixels around an object's frame that its drawing may reach (pen, caret,
  // selection outline and handles): what ObjectDamage adds on every side.
  static constexpr double kObjectDamageMargin = 8.0;

  // Colours (0xRRGGBBAA).
  static constexpr AGColor kBackground = 0xFFFFFFFF;
  static constexpr AGColor kWaveColor = 0x5078A0FF;
  static constexpr AGColor kRulerBackground = 0xEEEEEEFF;
  static constexpr AGColor kRulerInk = 0x333333FF;
  static constexpr AGColor kSelectionColor = 0x1E64DCFF;
  static constexpr AGColor kRubberBandColor = 0x1E64DC40;
  // Two thirds white: black ink over the wash on the map's darkest colour
  // keeps a contrast of about 9:1, and the strip's bands stay visible.
  static constexpr AGColor kSonogramWash = 0xFFFFFFAA;

  // doc and view must outlive the painter; summary may be null (no
  // recording) and must then outlive it too.
  StudioScenePainter(const StudioDocument& doc, const StudioViewport& view,
                     const StudioWaveSummary* summary);

  // Paints this sonogram's strip under the objects instead of the waveform
  // (null: the waveform); it must outlive the painter. Columns whose tiles
  // have not arrived show the background until the sonogram's tile
  // procedure asks for another paint.
  void SetSonogram(StudioSonogram* sonogram) { mSonogram = sonogram; }

  void SetMode(Mode mode) { mMode = mode; }
  Mode GetMode() const { return mMode; }
  // Selected objects (ids not in the document are ignored).
  void SetSelection(const std::vector<StudioObjectId>& ids) { mSelection = ids; }
  // The object being typed into (kStudioNoObject: none); it is drawn with
  // the edited look. An object in edit mode draws nothing without it.
  void SetEditedObject(StudioObjectId id) { mEdited = id; }
  // A rubber band or creation rectangle in view pixels, corners in any
  // order; screen mode only.
  void SetRubberBand(const AGRect& viewRect);
  void ClearRubberBand() { mHasRubberBand = false; }

  // Maps score coordinates (time ms, height up) into the port's coordinates
  // of a context whose bounds are portHeight high.
  static AGAffineTransform ScoreTransform(const StudioViewport& view, double portHeight);
  // The view rectangle (pixels, y down) that an object with this frame may
  // paint: its frame in view pixels grown by kObjectDamageMargin. After a
  // keystroke the window repaints the union of the old and new frames' damage.
  static AGRect ObjectDamage(const StudioViewport& view, const AGRect& frame);

  // Paints the whole port of context (context.bounds). complete (may be
  // null) receives whether everything was drawn: false while a sonogram's
  // tiles are missing.
  [[nodiscard]] int32_t Paint(const AGContext& context, bool* complete = nullptr) const;
  // Repaints only damage (view pixels, y down, corners in any order): the
  // drawing is clipped to it, and only objects whose damage rectangle
  // (ObjectDamage) meets it are asked to draw. The pixels inside damage
  // come out as Paint would make them; no pixel outside is touched. An
  // empty or non-finite damage paints nothing and returns 0.
  [[nodiscard]] int32_t PaintDamaged(const AGContext& context, const AGRect& damage) const;

 private:
  [[nodiscard]] int32_t PaintArea(const AGContext& context, const AGRect* damage,
                                  bool* complete) const;

  const StudioDocument& mDoc;
  const StudioViewport& mView;
  const StudioWaveSummary* mSummary;
  StudioSonogram* mSonogram = nullptr;
  Mode mMode = Mode::kScreen;
  std::vector<StudioObjectId> mSelection;
  StudioObjectId mEdited = kStudioNoObject;
  AGRect mRubberBand = kAGNullRect;
  bool mHasRubberBand = false;
};

#endif
