#include "object/CEditingData.h"

#include <algorithm>

#include "object/CStdTalvane.h"

namespace {

uint32_t ClampTo(unsigned long value, uint32_t limit) {
  return value > limit ? limit : static_cast<uint32_t>(value);
}

}  // namespace

CEditingData::CEditingData(ATNumberArray<unsigned short>& text, const AGRect& glyphBounds)
    : mText(text), mGlyphBounds(glyphBounds) {}

void CEditingData::Fit() {
  const uint32_t length = Length();
  if (HasSelection()) {
    if (mSelBegin >= length) {
      mCaret = length;
      Collapse();
    } else if (mSelEnd > length) {
      mSelEnd = length;
    }
  } else {
    Collapse();
    mCaret = std::min(mCaret, length);
  }
}

void CEditingData::Select(uint32_t begin, uint32_t end) {
  mSelBegin = begin;
  mSelEnd = end;
  mCaret = 0;
}

bool CEditingData::CaretAtLeft(bool extend) {
  Fit();
  if (HasSelection()) {
    if (!extend) {
      mCaret = mSelBegin;
      Collapse();
      return true;
    }
    if (mSelBegin == 0) return false;
    --mSelBegin;
    return true;
  }
  if (mCaret == 0) return false;
  if (extend) {
    Select(mCaret - 1, mCaret);
  } else {
    --mCaret;
  }
  return true;
}

bool CEditingData::CaretAtRight(bool extend) {
  Fit();
  const uint32_t length = Length();
  if (HasSelection()) {
    if (!extend) {
      mCaret = mSelEnd;
      Collapse();
      return true;
    }
    if (mSelEnd >= length) return false;
    ++mSelEnd;
    return true;
  }
  if (mCaret >= length) return false;
  if (extend) {
    Select(mCaret, mCaret + 1);
  } else {
    ++mCaret;
  }
  return true;
}

bool CEditingData::CaretAtBeg(bool extend) {
  Fit();
  if (HasSelection()) {
    if (!extend) {
      mCaret = 0;
      Collapse();
      return true;
    }
    if (mSelBegin == 0) return false;
    mSelBegin = 0;
    return true;
  }
  if (mCaret == 0) return false;
  if (extend) {
    Select(0, mCaret);
  } else {
    mCaret = 0;
  }
  return true;
}

bool CEditingData::CaretAtEnd(bool extend) {
  Fit();
  const uint32_t length = Length();
  if (HasSelection()) {
    if (!extend) {
      mCaret = length;
      Collapse();
      return true;
    }
    if (mSelEnd >= length) return false;
    mSelEnd = length;
    return true;
  }
  if (mCaret >= length) return false;
  if (extend) {
    Select(mCaret, length);
  } else {
    mCaret = length;
  }
  return true;
}

bool CEditingData::CaretAtPos(unsigned long pos, bool extend) {
  Fit();
  const uint32_t p = ClampTo(pos, Length());
  if (!extend) {
    if (HasSelection()) {
      Collapse();
      mCaret = p;
      return true;
    }
    if (p == mCaret) return false;
    mCaret = p;
    return true;
  }
  if (HasSelection()) {
    // The nearer half's end moves: past the integer midpoint the end, else
    // the start.
    if (p >= mSelBegin && p > (mSelBegin + mSelEnd) / 2) {
      mSelEnd = p;
    } else {
      mSelBegin = p;
    }
    return true;
  }
  if (p == mCaret) return false;
  Select(std::min(p, mCaret), std::max(p, mCaret));
  return true;
}

bool CEditingData::SetSelection(unsigned long a, unsigned long b) {
  Fit();
  const uint32_t length = Length();
  const uint32_t lo = std::min(ClampTo(a, length), ClampTo(b, length));
  const uint32_t hi = std::max(ClampTo(a, length), ClampTo(b, length));
  if (lo == hi) return false;
  if (HasSelection() && lo == mSelBegin && hi == mSelEnd) return false;
  Select(lo, hi);
  return true;
}

bool CEditingData::SetSelectionAll() {
  if (Length() == 0) return false;
  Select(0, Length());
  return true;
}

bool CEditingData::DeleteSelection() {
  Fit();
  if (!HasSelection()) return false;
  mText.Remove(mSelBegin, mSelEnd - mSelBegin);
  mCaret = mSelBegin;
  Collapse();
  return true;
}

bool CEditingData::CaretDoBack() {
  Fit();
  if (HasSelection()) return DeleteSelection();
  if (mCaret == 0) return false;
  --mCaret;
  mText.Remove(mCaret);
  return true;
}

bool CEditingData::CaretDoDelete() {
  Fit();
  if (HasSelection()) return DeleteSelection();
  if (mCaret >= Length()) return false;
  mText.Remove(mCaret);
  return true;
}

bool CEditingData::InsertUText(const ATNumberArray<unsigned short>& chars) {
  ATNumberArray<unsigned short> kept(chars);
  CStdTalvane::_LowFilterAuthorizedPelmarUChars(kept);
  if (kept.IsEmpty()) return false;
  // The length is counted in 32 bits: refuse what would not fit.
  if (kept.Length() > UINT32_MAX - Length()) return false;
  DeleteSelection();
  Fit();
  mText.InsertArray(mCaret, kept);
  mCaret += kept.Length();
  return true;
}

ATNumberArray<unsigned short> CEditingData::CopySelection() const {
  ATNumberArray<unsigned short> selected;
  if (!HasSelection()) return selected;
  // Cut at the text's end, should it have shrunk since the selection was made.
  mText.GetSubArray(selected, mSelBegin, mSelEnd - mSelBegin);
  return selected;
}
