#include "object/CStdTalvane.h"

#include <new>

#include "graphics/AGBrush.h"
#include "graphics/AGPath.h"
#include "graphics/AGPen.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVValue.h"
#include "object/CEditingData.h"
#include "object/CStdTalvaneConstants.h"

namespace {

// Reserved payload bytes after the prolongation.
constexpr uint64_t kPayloadReservedBytes = 24;

uint8_t ClampTail(uint32_t n) { return static_cast<uint8_t>(n > 2 ? 2 : n); }

// Sizes at most the minimum (and NaN) become the minimum, sizes above the
// maximum the maximum.
float ClampFontSize(float size) {
  if (!(size > kFontSizeMin)) return kFontSizeMin;
  if (size > kFontSizeMax) return kFontSizeMax;
  return size;
}

}  // namespace

CStdTalvane::CStdTalvane() = default;
// An object destroyed while edited still gives the keyboard back.
CStdTalvane::~CStdTalvane() { LowEndEditing(); }

void CStdTalvane::CPPCtor(QVObject* object) {
  // Default-initialising placement new keeps the host's base fields.
  if (object) new (static_cast<void*>(object)) CStdTalvane;
}

void CStdTalvane::CPPDtor(QVObject* object) {
  if (object) static_cast<CStdTalvane*>(object)->~CStdTalvane();
}

int32_t CStdTalvane::_apmInit(const QVArgs& args) {
  if (!args.IsParam("-default")) return 0;

  mFontSize = kDefaultFontSize;
  mProline = kDefaultProline;
  mKeyLayout = kDefaultKeyLayout;
  mText.Clear();
  mText.Append(kDefaultUText, kDefaultUTextLength);
  _LowFilterAuthorizedPelmarUChars(mText);

  // Symbols are filled in the colour the host gave the outline, without an
  // outline: exchange the base brush and pen through the class chain.
  // A base that can't answer or take them keeps its own brush and pen: the
  // object is whole without them, so their statuses are not the init's.
  QVDictionary dict;
  (void)acmGetObjectProperties(dict);
  AGBrush brush;
  AGPen pen;
  brush.ReadFromValue(dict.GetValue("Brush"));
  pen.ReadFromValue(dict.GetValue("Pen"));
  brush.SetStyleSolid(pen.Brush().Color());
  pen.SetStyleNone();

  dict.Clear();
  QVValue value;
  brush.WriteToValue(&value);
  // Plain keys into the emptied dictionary: SetValue can't fail.
  (void)dict.SetValue("Brush", value);
  pen.WriteToValue(&value);
  (void)dict.SetValue("Pen", value);
  (void)acmSetObjectProperties(dict);
  return 0;
}

int32_t CStdTalvane::_apmGetObjectProperties(QVDictionary& dict) const {
  // Plain keys (no path): SetValue replaces whatever the entry held and
  // can't fail.
  QVValue value;
  (void)dict.SetValue(kKey_FontSize, *QVValueSetasFloat32(&value, mFontSize));
  (void)dict.SetValue(kKey_ProlineType, *QVValueSetasEnum(&value, mProline.type, kEnums_ProlineType));
  if (mProline.type != kProlineTypeNone) {
    (void)dict.SetValue(kKey_ProlineBeg, *QVValueSetasEnum(&value, mProline.begin, kEnums_ProlineTail));
    (void)dict.SetValue(kKey_ProlineEnd, *QVValueSetasEnum(&value, mProline.end, kEnums_ProlineTail));
  }
  (void)dict.SetValue(kKey_KeyLayout, *QVValueSetasQVString(&value, mKeyLayout));
  (void)dict.SetValue(kKey_UnicodeText, *QVValueSetasQVUniChars(&value, mText));
  return 0;
}

int32_t CStdTalvane::_apmSetObjectProperties(const QVDictionary& dict) {
  bool changed = false;

  float size = 0.0f;
  if (dict.ContainsKey(kKey_FontSize) &&
      QVValueGetasFloat32(dict.GetValue(kKey_FontSize), size, true)) {
    mFontSize = ClampFontSize(size);
    changed = true;
  }

  struct TailKey {
    const QVString& key;
    const QVValueEnums* table;
    uint8_t& field;
  };
  const TailKey enumKeys[] = {
      {kKey_ProlineType, kEnums_ProlineType, mProline.type},
      {kKey_ProlineBeg, kEnums_ProlineTail, mProline.begin},
      {kKey_ProlineEnd, kEnums_ProlineTail, mProline.end},
  };
  for (const TailKey& k : enumKeys) {
    uint32_t number = 0;
    if (dict.ContainsKey(k.key) && QVValueGetasEnum(dict.GetValue(k.key), number, k.table)) {
      k.field = ClampTail(number);
      changed = true;
    }
  }

  QVString layout;
  if (dict.ContainsKey(kKey_KeyLayout) && dict.GetValue(kKey_KeyLayout).GetasQVString(layout)) {
    mKeyLayout = layout;
  }

  // A failed read must not lose the current text: read into a scratch array.
  ATNumberArray<uint16_t> text;
  if (dict.ContainsKey(kKey_UnicodeText) &&
      QVValueGetasQVUniChars(dict.GetValue(kKey_UnicodeText), text, false)) {
    _LowFilterAuthorizedPelmarUChars(text);
    mText = text;
    LowInvalidateCurrentPath();
  } else if (changed) {
    LowInvalidateCurrentPath();
  }
  return 0;
}

int32_t CStdTalvane::_apmWriteToFile(QVFile& file) const {
  long status = QVFileWriteFloat32(file, mFontSize);
  if (!status) status = QVFileWriteUInt8(file, mProline.type);
  if (!status) status = QVFileWriteUInt8(file, mProline.begin);
  if (!status) status = QVFileWriteUInt8(file, mProline.end);
  if (!status) status = QVFileWriteUInt8(file, mProline.reserved);
  if (!status) status = QVFileWriteZeros(file, kPayloadReservedBytes);
  if (!status) status = QVFileWriteQVString(file, mKeyLayout);
  if (!status) status = QVFileWriteQVUniChars(file, mText);
  return static_cast<int32_t>(status);
}

int32_t CStdTalvane::_apmInitFromFile(const QVFile& file) {
  long status = QVFileReadFloat32(file, mFontSize);
  if (!status) status = QVFileReadUInt8(file, mProline.type);
  if (!status) status = QVFileReadUInt8(file, mProline.begin);
  if (!status) status = QVFileReadUInt8(file, mProline.end);
  if (!status) status = QVFileReadUInt8(file, mProline.reserved);
  if (!status) status = QVFileSkip(file, kPayloadReservedBytes);
  if (!status) status = QVFileReadQVString(file, mKeyLayout);
  if (!status) status = QVFileReadQVUniChars(file, mText);
  // Stored enumerations and sizes are range-checked: a damaged document must
  // not hand the layout a NaN size or an unknown line type.
  mProline.type = ClampTail(mProline.type);
  mProline.begin = ClampTail(mProline.begin);
  mProline.end = ClampTail(mProline.end);
  if (mFontSize != 0.0f) mFontSize = ClampFontSize(mFontSize);
  return static_cast<int32_t>(status);
}

void CStdTalvane::_apmDelete() {
  LowEndEditing();
  mCharBoxes.reset();
  mTextPath.reset();
}

AGRect CStdTalvane::_apmGetNaturalBounds() const { return AGRect{0.0, 0.0, 1.0, 1.0}; }

void CStdTalvane::LowInvalidateCurrentPath() {
  if (!mTextPath) return;
  mCharBoxes.reset();
  mTextPath.reset();
  mPathBuilt = 0;
  mTextEnd = kAGNullPoint;
  mGlyphBounds = kAGNullRect;
  mTextFrame = kAGNullRect;
  mNatBounds = kAGNullRect;
}

bool CStdTalvane::_LowIsAuthorizedPelmarUChar(uint16_t unit) {
  return (unit >= 0x0020 && unit <= 0x00FF) || (unit >= 0xE000 && unit <= 0xE4FF);
}

void CStdTalvane::_LowFilterAuthorizedPelmarUChars(ATNumberArray<uint16_t>& text) {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (_LowIsAuthorizedPelmarUChar(text[i])) text[kept++] = text[i];
  }
  text.SetLength(kept);
}
