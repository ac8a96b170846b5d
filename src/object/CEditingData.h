// CEditingData: the caret and selection of a Talvane object edited in place.
//
// It works directly on the object's own UTF-16 text, which it references and
// does not own: every accepted operation changes the object at once. It lives
// only while the object is edited.
//
// Indices are code units of the text, 0..L where L is the text's length. A
// selection [begin, end) exists exactly when begin < end; while one exists
// the caret is 0, and without one begin and end are both 0. Shift with an
// arrow grows a selection on the side of the arrow and never shrinks it:
// there is no fixed anchor.
//
// The text may also change behind the editing state's back (the host sets
// the object's properties while it is edited): every operation first brings
// a caret or selection that no longer fits back inside the text, so indices
// never reach past its end.
#ifndef C_EDITING_DATA_H
#define C_EDITING_DATA_H

#include <cstdint>

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"

class CEditingData {
 public:
  // The mouse anchor's value when no press is pending.
  static constexpr uint32_t kNoAnchor = 0xFFFFFFFFu;

  // Caret and selection 0, no mouse anchor. text must outlive this record;
  // glyphBounds is copied and stays fixed while editing lasts, so that the
  // mapping between view and text does not move while the text changes.
  CEditingData(ATNumberArray<unsigned short>& text, const AGRect& glyphBounds);
  CEditingData(const CEditingData&) = delete;
  CEditingData& operator=(const CEditingData&) = delete;

  // Each operation returns true when it changed the caret, the selection or
  // the text.

  // One code unit to the left / right. Without extend a selection collapses
  // to its start / end; with extend the selection (or a new one from the
  // caret) grows by one unit on that side.
  bool CaretAtLeft(bool extend);
  bool CaretAtRight(bool extend);
  // To the start / end of the text; with extend the selection reaches it.
  bool CaretAtBeg(bool extend);
  bool CaretAtEnd(bool extend);
  // To pos (clamped to L). Without extend the selection collapses there.
  // With extend a selection moves its end when pos lies past its integer
  // midpoint, else its start (always true); without a selection one is made
  // between the caret and pos (false when they are equal).
  bool CaretAtPos(unsigned long pos, bool extend);
  // Selects between a and b (each clamped to L, either order). False for an
  // empty range or the selection that already stands.
  bool SetSelection(unsigned long a, unsigned long b);
  // Selects the whole text; false for an empty text.
  bool SetSelectionAll();
  // Removes the selected units; the caret goes where the selection began.
  // False without a selection.
  bool DeleteSelection();
  // Removes the unit before / at the caret (the selection, when there is
  // one). False at the start / end of the text.
  bool CaretDoBack();
  bool CaretDoDelete();
  // Inserts the units of chars that the symbol font holds (others are
  // dropped) at the caret and puts the caret behind them. A selection is
  // replaced (callers normally remove it first). False when no unit is left.
  bool InsertUText(const ATNumberArray<unsigned short>& chars);
  // The selected units; empty without a selection.
  ATNumberArray<unsigned short> CopySelection() const;

  uint32_t Caret() const { return mCaret; }
  uint32_t SelectionBegin() const { return mSelBegin; }
  uint32_t SelectionEnd() const { return mSelEnd; }
  bool HasSelection() const { return mSelBegin < mSelEnd; }
  const AGRect& GlyphBounds() const { return mGlyphBounds; }

  // Where the last mouse press landed, or kNoAnchor.
  uint32_t MouseAnchor() const { return mMouseAnchor; }
  void SetMouseAnchor(uint32_t index) { mMouseAnchor = index; }
  void ClearMouseAnchor() { mMouseAnchor = kNoAnchor; }

 private:
  uint32_t Length() const { return mText.Length(); }
  // Brings caret and selection back inside the text after it changed
  // elsewhere: a selection past the end is cut at the end (collapsing with
  // the caret at its start when nothing is left), a caret past the end goes
  // to the end.
  void Fit();
  void Collapse() { mSelBegin = mSelEnd = 0; }
  void Select(uint32_t begin, uint32_t end);

  ATNumberArray<unsigned short>& mText;
  uint32_t mCaret = 0;
  uint32_t mSelBegin = 0;
  uint32_t mSelEnd = 0;
  AGRect mGlyphBounds;
  uint32_t mMouseAnchor = kNoAnchor;
};

#endif
