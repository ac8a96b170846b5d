// In-place editing of the Talvane object: edit events, hit testing of the
// caret and the edited look.
#include <algorithm>
#include <cmath>

#include "graphics/AGContext.h"
#include "graphics/AGPath.h"
#include "host/QVEditEvent.h"
#include "object/CEditingData.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "textinput/UKeyLayout.h"
#include "textinput/UPasteboard.h"

namespace {

// The object whose editing switched the keyboard, or null. The keyboard
// switch is process-wide, so only one object is edited at a time.
CStdTalvane* sEditedObject = nullptr;

// How far outside the text frame a click still places the caret.
constexpr double kHitMargin = 20.0;
constexpr double kCaretWidth = 2.0;
constexpr double kCaretOffsetX = 4.0;
constexpr double kEditBackRoundness = 0.1;

// Keys of the ordinary layout (UKeyLayout::ConvertRawToVirtualKeyCode).
constexpr unsigned long kKeyLeft = 0x1C;
constexpr unsigned long kKeyRight = 0x1D;
constexpr unsigned long kKeyBackspace = 0x08;
constexpr unsigned long kKeyForwardDelete = 0x7F;

constexpr uint32_t kNone = 0;
constexpr uint32_t kShift = kQVEditModifierShift;
constexpr uint32_t kCommand = kQVEditModifierCommand;
constexpr uint32_t kCommandShift = kQVEditModifierCommand | kQVEditModifierShift;

enum class KeyAction {
  kLeft,
  kLeftExtend,
  kBeg,
  kBegExtend,
  kRight,
  kRightExtend,
  kEnd,
  kEndExtend,
  kBack,
  kDelete,
  kSelectAll,
  kCopy,
  kCut,
  kPaste,
  kNotTaken,
  kType,  // anything else: the characters the key types
};

struct KeyBinding {
  unsigned long key;
  uint32_t modifiers;  // compared as a whole word
  KeyAction action;
};

const KeyBinding kKeyTable[] = {
    {kKeyLeft, kNone, KeyAction::kLeft},
    {kKeyLeft, kShift, KeyAction::kLeftExtend},
    {kKeyLeft, kCommand, KeyAction::kBeg},
    {kKeyLeft, kCommandShift, KeyAction::kBegExtend},
    {kKeyRight, kNone, KeyAction::kRight},
    {kKeyRight, kShift, KeyAction::kRightExtend},
    {kKeyRight, kCommand, KeyAction::kEnd},
    {kKeyRight, kCommandShift, KeyAction::kEndExtend},
    {kKeyBackspace, kNone, KeyAction::kBack},
    {kKeyForwardDelete, kNone, KeyAction::kDelete},
    {'a', kCommand, KeyAction::kSelectAll},
    {'q', kCommand, KeyAction::kSelectAll},
    {'c', kCommand, KeyAction::kCopy},
    {'x', kCommand, KeyAction::kCut},
    {'v', kCommand, KeyAction::kPaste},
    // Undo and closing belong to the host.
    {'z', kCommand, KeyAction::kNotTaken},
    {'z', kCommandShift, KeyAction::kNotTaken},
    {'w', kCommand, KeyAction::kNotTaken},
    {'w', kCommandShift, KeyAction::kNotTaken},
};

// Key and modifiers are compared apart, so that stray high modifier bits can
// never pass for another key.
KeyAction FindKeyAction(unsigned long key, uint32_t modifiers) {
  for (const KeyBinding& binding : kKeyTable) {
    if (binding.key == key && binding.modifiers == modifiers) return binding.action;
  }
  return KeyAction::kType;
}

AGPoint Centre(const AGRect& r) { return AGPoint{(r.x1 + r.x2) * 0.5, (r.y1 + r.y2) * 0.5}; }

// Fills path with a solid colour, without outline.
void FillPath(AGContext& context, const AGPath& path, AGColor color, const AGAffineTransform& t,
              uint32_t lineJoin = kAGPenLineJoinMiter) {
  context.pen = kAGNullPen;
  context.pen.SetLineJoin(lineJoin);
  context.brush.SetStyleSolid(color);
  context.brush.SetFillMode(kAGBrushFillModeWinding);
  context.DrawPath(path, t, kAGDrawModeFillOnly);
}

}  // namespace

// ---- Events

int32_t CStdTalvane::_apmEdit(const AGContext& context, QVEditEvent& event) {
  LowBuildCurrentPath();
  if (!mTextPath || !mPathBuilt) {
    event.request = kQVEditEventEnd;
    LowEndEditing();
    return -1;
  }

  switch (event.request) {
    case kQVEditEventBegin:
      LowBeginEditing();
      break;
    case kQVEditEventEnd:
      LowEndEditing();
      break;
    case kQVEditEventMouse:
      if (!mEditing) break;
      if (event.mousePhase == kQVEditMouseEndEditing) {
        event.request = kQVEditEventEnd;
        LowEndEditing();
      } else if (LowEditMouse(context, event)) {
        event.request = kQVEditEventHandled;
      }
      break;
    case kQVEditEventKey:
      if (mEditing) LowEditKey(event);
      break;
    default:
      break;
  }
  return 0;
}

void CStdTalvane::LowBeginEditing() {
  if (sEditedObject && sEditedObject != this) sEditedObject->LowEndEditing();
  // Beginning again while edited keeps the layout saved the first time: the
  // user's own, not the symbol layout now active.
  if (!mEditing) {
    UKeyLayout::EnterEditMode(mKeyLayout);
    sEditedObject = this;
  }
  mEditing = std::make_unique<CEditingData>(mText, mGlyphBounds);
  mEditing->SetSelectionAll();
}

void CStdTalvane::LowEndEditing() {
  if (!mEditing) return;
  mEditing.reset();
  if (sEditedObject == this) {
    sEditedObject = nullptr;
    UKeyLayout::ExitEditMode();
  }
}

AGAffineTransform CStdTalvane::LowEditNatToMapAFT(const AGAffineTransform& m0,
                                                  const AGRect& target, double rotation) const {
  const AGAffineTransform t =
      LowComputeNatToMapAFT(m0, mEditing->GlyphBounds(), target, mProline, mFontSize);
  return AGAffineTransformConcatRotation(t, rotation, Centre(target));
}

bool CStdTalvane::LowEditMouse(const AGContext& context, QVEditEvent& event) {
  if (event.mousePhase == kQVEditMouseRelease) {
    mEditing->ClearMouseAnchor();
    return false;
  }
  if (event.mousePhase != kQVEditMousePress && event.mousePhase != kQVEditMouseDrag) return false;

  const AGAffineTransform t = LowEditNatToMapAFT(context.transform, event.target, event.rotation);
  // A view that squeezes the text to nothing cannot be clicked into.
  const double determinant = t.a * t.d - t.b * t.c;
  if (!(determinant != 0.0) || !std::isfinite(determinant)) return false;
  const AGPoint p =
      AGPointApplyTransform(AGPoint{event.mouseX, event.mouseY}, AGAffineTransformInvert(t));
  unsigned long hit = 0;
  if (!mCharBoxes || !LowFindCaretPosition(&hit, p, *mCharBoxes, mTextFrame)) return false;

  const bool extend = event.modifiers == kQVEditModifierShift;
  if (event.mousePhase == kQVEditMousePress) {
    mEditing->SetMouseAnchor(static_cast<uint32_t>(hit));
    return mEditing->CaretAtPos(hit, extend);
  }
  const uint32_t anchor = mEditing->MouseAnchor();
  if (anchor != CEditingData::kNoAnchor && anchor != hit) return mEditing->SetSelection(anchor, hit);
  return mEditing->CaretAtPos(hit, extend);
}

void CStdTalvane::LowEditKey(QVEditEvent& event) {
  CEditingData& editing = *mEditing;
  const unsigned long key = UKeyLayout::ConvertRawToVirtualKeyCode(event.rawKeyCode);
  bool moved = false;
  bool edited = false;
  // Removes the selection, then inserts what passes the symbol filter.
  auto replaceSelection = [&](const ATNumberArray<unsigned short>& chars) {
    const bool removed = editing.DeleteSelection();
    const bool inserted = editing.InsertUText(chars);
    return removed || inserted;
  };

  switch (FindKeyAction(key, event.modifiers)) {
    case KeyAction::kLeft: moved = editing.CaretAtLeft(false); break;
    case KeyAction::kLeftExtend: moved = editing.CaretAtLeft(true); break;
    case KeyAction::kBeg: moved = editing.CaretAtBeg(false); break;
    case KeyAction::kBegExtend: moved = editing.CaretAtBeg(true); break;
    case KeyAction::kRight: moved = editing.CaretAtRight(false); break;
    case KeyAction::kRightExtend: moved = editing.CaretAtRight(true); break;
    case KeyAction::kEnd: moved = editing.CaretAtEnd(false); break;
    case KeyAction::kEndExtend: moved = editing.CaretAtEnd(true); break;
    case KeyAction::kBack: edited = editing.CaretDoBack(); break;
    case KeyAction::kDelete: edited = editing.CaretDoDelete(); break;
    case KeyAction::kSelectAll: moved = editing.SetSelectionAll(); break;
    case KeyAction::kCopy:
      if (editing.HasSelection()) UPasteboard::SetUText(editing.CopySelection());
      break;
    case KeyAction::kCut:
      if (editing.HasSelection()) {
        UPasteboard::SetUText(editing.CopySelection());
        edited = editing.DeleteSelection();
      }
      break;
    case KeyAction::kPaste: {
      // Only what actually changed the text counts: a clipboard whose units
      // the symbol filter all rejects leaves an unselected text as it was.
      const ATNumberArray<unsigned short> pasted = UPasteboard::GetUText();
      if (!pasted.IsEmpty()) edited = replaceSelection(pasted);
      break;
    }
    case KeyAction::kNotTaken:
      return;
    case KeyAction::kType: {
      const ATNumberArray<unsigned short> typed =
          UKeyLayout::GetUniChars(event.rawKeyCode, event.modifiers);
      if (!typed.IsEmpty()) edited = replaceSelection(typed);
      break;
    }
  }

  if (edited) {
    LowInvalidateCurrentPath();
    event.changed = 1;
  }
  if (edited || moved) event.request = kQVEditEventHandled;
}

// ---- Hit test

bool CStdTalvane::LowFindCaretPosition(unsigned long* index, AGPoint point,
                                       const ATNumberArray<AGRect>& boxes, AGRect frame) {
  unsigned long found = ~0UL;
  bool ok = false;
  const bool inFrame = point.x >= frame.x1 - kHitMargin && point.x <= frame.x2 + kHitMargin &&
                       point.y >= frame.y1 - kHitMargin && point.y <= frame.y2 + kHitMargin;
  if (!boxes.IsEmpty() && inFrame) {
    ATNumberArray<AGPoint> centres;
    centres.Reserve(boxes.Length());
    for (const AGRect& box : boxes) centres.Append(Centre(box));
    uint32_t nearest = AGGeometry::kNotFound;
    if (AGGeometry::FindNearestPoint(centres, point, 0.0, nullptr, &nearest, nullptr) &&
        nearest < centres.Length()) {
      found = nearest + (point.x > centres[nearest].x ? 1 : 0);
      ok = true;
    }
  }
  if (index) *index = found;
  return ok;
}

// ---- Edited look

void CStdTalvane::LowDrawEditedInScore(AGContext& context, const AGRect& target,
                                       double rotation) const {
  if (!mEditing || !mTextPath || !mCharBoxes) return;
  const CEditingData& editing = *mEditing;
  const ATNumberArray<AGRect>& boxes = *mCharBoxes;
  const AGAffineTransform t = LowEditNatToMapAFT(context.transform, target, rotation);
  context.alpha = 1.0f;

  AGPath back;
  back.AddRoundedRect(mTextFrame, kEditBackRoundness);
  FillPath(context, back, kEditBackColor, t);

  // Boxes and text may disagree for a moment (the text was set while edited
  // and the caches not yet rebuilt): only existing boxes are drawn.
  if (editing.HasSelection() && editing.SelectionBegin() < boxes.Length()) {
    const uint32_t end = std::min(editing.SelectionEnd(), boxes.Length());
    AGPath selection;
    selection.AddRects(boxes.Data() + editing.SelectionBegin(), end - editing.SelectionBegin());
    FillPath(context, selection, kEditSelectColor, t);
  }

  FillPath(context, *mTextPath, kEditGlyphsColor, t, kAGPenLineJoinRound);

  if (editing.HasSelection()) return;
  AGRect caret;
  if (boxes.IsEmpty()) {
    caret = kMinNatBounds;
    caret.x2 = caret.x1 + kCaretWidth;
  } else if (editing.Caret() < boxes.Length()) {
    caret = boxes[editing.Caret()];
    caret.x2 = caret.x1 + kCaretWidth;
  } else {
    caret = boxes.Last();
    caret.x1 = caret.x2 - kCaretWidth;
  }
  caret.x1 += kCaretOffsetX;
  caret.x2 += kCaretOffsetX;
  if (caret.y2 - caret.y1 < kEditCaretMinSize) {
    const double middle = (caret.y1 + caret.y2) * 0.5;
    caret.y1 = middle - kEditCaretMinSize * 0.5;
    caret.y2 = middle + kEditCaretMinSize * 0.5;
  }
  AGPath caretPath;
  caretPath.AddRect(caret);
  FillPath(context, caretPath, kEditCaretColor, t);
}
