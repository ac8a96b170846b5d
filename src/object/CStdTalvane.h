// CStdTalvane: the "Talvane" symbol object. A rectangle in the score that shows
// a short string of UTF-16 symbols of the "Pelmar UC" font at a chosen size,
// optionally followed by a prolongation line.
//
// Objects live in storage the host allocates (zero-filled, sizeof(CStdTalvane)
// bytes, base part included); CPPCtor constructs them there and CPPDtor
// destroys them. The host calls the class methods below through the slots
// that registration fills.
#ifndef C_STD_TALVANE_H
#define C_STD_TALVANE_H

#include <cstdint>
#include <memory>

#include "graphics/AGGeometry.h"
#include "graphics/AGPath.h"
#include "host/QVObject.h"
#include "kit/ATArray.h"
#include "kit/QVString.h"
#include "object/CProline.h"

class AGContext;
class CEditingData;
struct QVDrawEvent;
struct QVEditEvent;
class QVArgs;
class QVGUIDesc;
struct QVGUIEvent;
class QVDictionary;
class QVFile;

class CStdTalvane : public QVObject {
 public:
  // Class identifiers announced to the host (7 characters each).
  static constexpr const char* kClassId = "stdTlvn";
  static constexpr const char* kClassId2 = "_syVect";

  CStdTalvane();
  ~CStdTalvane();

  // In-place construction and destruction in host storage. CPPDtor does
  // nothing for a null pointer.
  static void CPPCtor(QVObject* object);
  static void CPPDtor(QVObject* object);

  // ---- Class methods
  // With the creation argument "-default": the default settings, and the
  // host's base brush and pen turned into a solid fill in the pen's colour
  // without an outline. Without it nothing changes. Always 0.
  [[nodiscard]] int32_t _apmInit(const QVArgs& args);
  // Reads the document payload; 0 or the first failing read's status (the
  // fields read before it keep their values).
  [[nodiscard]] int32_t _apmInitFromFile(const QVFile& file);
  // Writes the document payload; 0 or the first failing write's status.
  [[nodiscard]] int32_t _apmWriteToFile(QVFile& file) const;
  // Ends editing (the user's keyboard layout comes back), then frees the
  // cached geometry.
  void _apmDelete();
  // The object's natural bounds as the host sees them: always the unit
  // square (0, 0)-(1, 1); the object maps itself into any target rectangle.
  AGRect _apmGetNaturalBounds() const;
  // "FontSize", "LineType", ("LineBeg", "LineEnd" unless the type is None),
  // "KeyLayout", "UnicodeText". Always 0.
  [[nodiscard]] int32_t _apmGetObjectProperties(QVDictionary& dict) const;
  // Applies the keys present; values of the wrong kind are ignored and
  // numbers out of range clamped. Always 0.
  [[nodiscard]] int32_t _apmSetObjectProperties(const QVDictionary& dict);

  // Drops the cached outline, boxes and bounds (rebuilt when next needed).
  void LowInvalidateCurrentPath();

  // ---- Drawing

  // Draws the object into the event's target: in a score (flag bit 1) at
  // its font size with its prolongation line, in the library (bit 0) filling
  // the cell, or the red "Pelmar?" label when the symbol font is missing.
  // The host's context is never changed. Always 0.
  [[nodiscard]] int32_t _apmDraw(const AGContext& context, const QVDrawEvent& event) const;
  void LowDrawInScore(AGContext& context, const AGRect& target, double angle) const;
  void LowDrawInLibrary(AGContext& context, const AGRect& target, double angle) const;
  void LowDrawFontError(AGContext& context, const AGRect& target, double angle) const;

  // ---- Inspector panel

  // The panel description (keyboard layout, font size, prolongation), built
  // once at registration; the host takes it. Invalid without the host's table.
  static QVGUIDesc BuildInspectorGUIDesc();
  // Kind 1 fills the panel from the object; kind 3 applies the change of one
  // control and names the action in the event. Always 0.
  [[nodiscard]] int32_t _apmInspector(QVGUIDesc& desc, QVGUIEvent& event);
  // The begin/end label and menus and control 8 are shown exactly when the
  // object has a prolongation line.
  void LowInspectorRefreshProlinePopups(QVGUIDesc& desc) const;

  // ---- Layout in natural coordinates (the text at 48 points from the
  // origin, y up)

  // Fills the caches when the text path is missing: outline and one box per
  // code unit (grown by 4 on every side), text end, glyph bounds, text frame
  // and natural bounds. Without the symbol font the three rectangles become
  // (0, 0)-(24, 24) and the text path stays missing, so the next call tries
  // again.
  void LowBuildCurrentPath() const;

  // Natural to target coordinates for a device transform m0 (whose scale the
  // result undoes, so that one natural unit is fontSize / 48 device units):
  // the centre of the begin band (of the text's middle when there is no
  // line) lands on the target's upper edge, middle or lower edge, at its left
  // side; the whole is shrunk about that anchor when the text does not fit.
  // The identity for empty glyph bounds. A degenerate m0 (no scale along an
  // axis) counts as unit scale there; a target with no room shrinks to
  // nothing rather than mirroring.
  static AGAffineTransform LowComputeNatToMapAFT(const AGAffineTransform& m0,
                                                 const AGRect& glyphBounds, const AGRect& target,
                                                 const CProline& proline, float fontSize);
  // The room for the prolongation line in natural coordinates: the target
  // mapped back by the inverse of natToTarget, from the glyphs' right edge
  // on (the whole target for an empty text); kAGNullRect when less than 4
  // units remain or the glyph bounds are empty.
  static AGRect LowComputeRestNatBounds(const AGAffineTransform& natToTarget, bool textPathEmpty,
                                        const AGRect& glyphBounds, const AGRect& target);
  // The prolongation line as filled rectangles from the text end towards the
  // room's right edge: one for Sustained, dashes of 16 after gaps of 8 for
  // Iterated (solid from 400 dashes on). Empty for None or an empty room.
  static AGPath LowBuildPathOfProline(const CProline& proline, const AGPoint& textEnd,
                                      const AGRect& glyphBounds, const AGRect& room);
  // The dashes of an Iterated line of length length along x, from -h/2 to
  // h/2: whole dashes from the start (entireDashAtBeg) or aligned to the end.
  static ATNumberArray<AGRect> LowProlineDashes(double length, double h, bool entireDashAtBeg);

  // True for the units the symbol font holds: U+0020..U+00FF and U+E000..U+E4FF.
  static bool _LowIsAuthorizedPelmarUChar(uint16_t unit);
  // Keeps the authorised units in order and drops the others.
  static void _LowFilterAuthorizedPelmarUChars(ATNumberArray<uint16_t>& text);

  // ---- In-place editing
  //
  // While the host edits the object in place, a CEditingData record holds
  // the caret and selection over the object's own text, the keyboard is
  // switched to the object's symbol layout and the object draws only its
  // edited look (draw flag bit 5). Only one object of the process is edited
  // at a time: beginning to edit another one ends the first one's editing,
  // and ending, deleting or destroying an edited object gives the user's
  // keyboard layout back.

  // One edit event (QVEditEvent.h), read and answered in place: begin, end,
  // mouse (press, drag, release; phase 3 ends editing) or key (arrows,
  // backspace, forward delete, the command shortcuts a/q select all, c copy,
  // x cut, v paste, and typed symbols). A text change drops the caches and
  // sets the event's changed flag; the answer becomes 5 after any change, 2
  // when editing ended by the object's choice. Events other than begin reach
  // an object that is not being edited without effect. 0, or -1 when the
  // text cannot be laid out (the symbol font is missing): editing then ends
  // with the answer 2.
  [[nodiscard]] int32_t _apmEdit(const AGContext& context, QVEditEvent& event);
  // The caret index for a point in natural coordinates: the nearest box
  // centre's index, plus 1 right of that centre. False, and index all bits
  // set, without boxes or for a point outside frame grown by 20 (edges
  // count) or not a number. index may be null.
  static bool LowFindCaretPosition(unsigned long* index, AGPoint point,
                                   const ATNumberArray<AGRect>& boxes, AGRect frame);
  // The edited look, filled without outline at full opacity: a white rounded
  // background over the text frame, the selection's boxes, the glyphs in
  // black and, without a selection, a red caret. No prolongation line.
  // Nothing when the object is not being edited.
  void LowDrawEditedInScore(AGContext& context, const AGRect& target, double rotation) const;
  // The editing state; null while the object is not being edited.
  const CEditingData* EditingData() const { return mEditing.get(); }

  // ---- Settings (read-only views for the host bridge and tests)
  float FontSize() const { return mFontSize; }
  const CProline& Proline() const { return mProline; }
  const QVString& KeyLayout() const { return mKeyLayout; }
  const ATNumberArray<uint16_t>& Text() const { return mText; }
  bool HasCachedPath() const { return mTextPath != nullptr; }
  // The caches (meaningful after LowBuildCurrentPath).
  bool PathBuilt() const { return mPathBuilt != 0; }
  const AGPath* TextPath() const { return mTextPath.get(); }
  const ATNumberArray<AGRect>* CharBoxes() const { return mCharBoxes.get(); }
  const AGPoint& TextEnd() const { return mTextEnd; }
  const AGRect& GlyphBounds() const { return mGlyphBounds; }
  const AGRect& TextFrame() const { return mTextFrame; }
  const AGRect& NatBounds() const { return mNatBounds; }

 private:
  float mFontSize = 0.0f;
  CProline mProline = {0, 0, 0, 0};
  QVString mKeyLayout;
  ATNumberArray<uint16_t> mText;

  // Cached geometry in natural coordinates, built lazily, dropped whenever the
  // text, the font size or the prolongation change. The text path and the
  // character boxes exist together.
  mutable uint32_t mPathBuilt = 0;
  mutable std::unique_ptr<AGPath> mTextPath;
  mutable std::unique_ptr<ATNumberArray<AGRect>> mCharBoxes;
  mutable AGPoint mTextEnd = kAGNullPoint;
  mutable AGRect mGlyphBounds = kAGNullRect;
  mutable AGRect mTextFrame = kAGNullRect;
  mutable AGRect mNatBounds = kAGNullRect;

  // ---- In-place editing
  // Natural to score coordinates while editing: the layout's mapping from
  // the glyph bounds saved when editing began, rotated about the target's
  // centre.
  AGAffineTransform LowEditNatToMapAFT(const AGAffineTransform& m0, const AGRect& target,
                                       double rotation) const;
  void LowBeginEditing();
  // Drops the editing state and restores the user's keyboard layout; nothing
  // when the object is not being edited.
  void LowEndEditing();
  // Whether the caret or the selection changed.
  bool LowEditMouse(const AGContext& context, QVEditEvent& event);
  void LowEditKey(QVEditEvent& event);

  std::unique_ptr<CEditingData> mEditing;
};

#endif
