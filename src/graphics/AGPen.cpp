#include "graphics/AGPen.h"

#include "graphics/AGPenBrush_p.h"
#include "graphics/AGRandom.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVFileStickyReader.h"
#include "kit/QVValue.h"

const AGPen kAGNullPen;

namespace {

// The zero bytes after the numbers, in the current and the older file form.
constexpr size_t kReservedBytes = 20;
constexpr size_t kReservedBytes_OFF = 12;

const QVValueEnums kAGEnums_PenSizeMode[] = {
    {kAGPenSizeModeAbsolute, "Absolute"},
    {kAGPenSizeModeRelative, "Relative"},
    {0, ""},
};

float ClampArrowValue(float value, float hi) {
  if (!(value > 0.0f)) return 0.0f;
  return value > hi ? hi : value;
}

}  // namespace

// ---- AGPenCustomArrow

void AGPenCustomArrow::SetBegArrow(float size, float shape) {
  mBeg = true;
  mBegSize = ClampArrowValue(size, 20.0f);
  mBegShape = ClampArrowValue(shape, 1.0f);
}

void AGPenCustomArrow::SetEndArrow(float size, float shape) {
  mEnd = true;
  mEndSize = ClampArrowValue(size, 20.0f);
  mEndShape = ClampArrowValue(shape, 1.0f);
}

void AGPenCustomArrow::SetNotBegArrow() {
  mBeg = false;
  mBegSize = 0.0f;
  mBegShape = 0.0f;
}

void AGPenCustomArrow::SetNotEndArrow() {
  mEnd = false;
  mEndSize = 0.0f;
  mEndShape = 0.0f;
}

bool AGPenCustomArrow::operator==(const AGPenCustomArrow& other) const {
  return mBeg == other.mBeg && mBegSize == other.mBegSize && mBegShape == other.mBegShape &&
         mEnd == other.mEnd && mEndSize == other.mEndSize && mEndShape == other.mEndShape;
}

// ---- AGPen: construction

AGPen::AGPen(uint32_t style, AGColor color, AGColor color2, float size, uint32_t sizeMode)
    : mBrush(style, color, color2) {
  SetSize(size);
  SetSizeMode(sizeMode);
}

AGPen::AGPen(const AGPen& other)
    : mSizeMode(other.mSizeMode),
      mLineCap(other.mLineCap),
      mLineJoin(other.mLineJoin),
      mSize(other.mSize),
      mRatio(other.mRatio),
      mAngle(other.mAngle),
      mBrush(other.mBrush) {
  if (other.mCustomArrow) mCustomArrow.reset(new AGPenCustomArrow(*other.mCustomArrow));
}

AGPen& AGPen::operator=(const AGPen& other) {
  if (this != &other) {
    AGPen copy(other);
    *this = std::move(copy);
  }
  return *this;
}

bool AGPen::operator==(const AGPen& other) const {
  if (mSizeMode != other.mSizeMode || mLineCap != other.mLineCap || mLineJoin != other.mLineJoin ||
      mSize != other.mSize || mRatio != other.mRatio || mAngle != other.mAngle ||
      mBrush != other.mBrush)
    return false;
  if (!mCustomArrow || !other.mCustomArrow) return !mCustomArrow && !other.mCustomArrow;
  return *mCustomArrow == *other.mCustomArrow;
}

// ---- AGPen: settings

void AGPen::SetStyleSolid(AGColor color, float size) {
  mBrush.SetStyleSolid(color);
  SetSize(size);
}

void AGPen::SetStyleSolid(AGColor color, float size, uint32_t sizeMode) {
  SetStyleSolid(color, size);
  SetSizeMode(sizeMode);
}

void AGPen::SetSize(float size) {
  mSize = static_cast<int16_t>(AGFixedFromClamped(size, kMaxSize, 100.0f));
}

void AGPen::SetRatio(float ratio) {
  mRatio = static_cast<int16_t>(AGFixedFromClamped(ratio, 1.0f, 1000.0f));
}

void AGPen::SetAngle(float angle) { mAngle = static_cast<int16_t>(AGFixedFromAngle(angle, kPiF)); }

void AGPen::SetCustomArrow(const AGPenCustomArrow& arrow) {
  // Copy before letting go of the old one: arrow may be our own.
  std::unique_ptr<AGPenCustomArrow> copy(new AGPenCustomArrow(arrow));
  mCustomArrow = std::move(copy);
}

bool AGPen::Appears() const { return mSize >= 1 && mBrush.Appears(); }

void AGPen::Randomize(float amount) {
  mSize = static_cast<int16_t>(AGRandomDrawInteger(mSize, 100, 3200, amount));
  mRatio = static_cast<int16_t>(AGRandomDrawInteger(mRatio, 0, 1000, amount));
  mAngle = static_cast<int16_t>(AGRandomDrawInteger(mAngle, 0, 3141, amount));
  mBrush.Randomize(amount);
}

// ---- AGPen: value form

void AGPen::WriteToValue(QVValue* value) const {
  if (!value) return;
  // Plain keys into a fresh dictionary: SetValue can't fail.
  QVDictionary dict;
  QVValue item;
  mBrush.WriteToValue(&item);
  (void)dict.SetValue("Brush", item);
  if (mBrush.Style() != kAGBrushStyleNone) {
    (void)dict.SetValue("SizeMode", *QVValueSetasEnum(&item, mSizeMode, kAGEnums_PenSizeMode));
    (void)dict.SetValue("Size", *QVValueSetasFloat32(&item, Size()));
    (void)dict.SetValue("Ratio", *QVValueSetasFloat32(&item, Ratio()));
    (void)dict.SetValue("Angle", *QVValueSetasFloat32(&item, Angle() * kRadToDegF));
  }
  value->SetasQVDictionary(dict);
}

bool AGPen::ReadFromValue(const QVValue& value, bool convert) {
  const QVDictionary* dict = value.GetasQVDictionary();
  if (!dict || dict->IsEmpty()) return true;
  mBrush.ReadFromValue(dict->GetValue("Brush"), convert);
  if (mBrush.Style() == kAGBrushStyleNone) return true;
  // As for the brush's style, only a word of the table counts.
  const QVString* word = dict->GetValue("SizeMode").GetasQVString();
  uint32_t index = 0;
  if (word && QVValueEnumsFindWord(kAGEnums_PenSizeMode, *word, index))
    SetSizeMode(kAGEnums_PenSizeMode[index].value);
  float number = 0.0f;
  if (QVValueGetasFloat32(dict->GetValue("Size"), number, convert)) SetSize(number);
  if (QVValueGetasFloat32(dict->GetValue("Ratio"), number, convert)) SetRatio(number);
  if (QVValueGetasFloat32(dict->GetValue("Angle"), number, convert))
    SetAngle(number * kDegToRadF);
  return true;
}

// ---- AGPen: file forms

long AGPen::WriteToFile(QVFile& file) const {
  const uint16_t words[4] = {mSizeMode, mLineCap, mLineJoin, 0};
  const float numbers[3] = {Size(), Ratio(), Angle()};
  long err = QVFileWriteNumbers(file, words, 4, 2, 1, QVFile::kEndianFile, false);
  if (err == 0) err = QVFileWriteNumbers(file, numbers, 3, 4, 1, QVFile::kEndianFile, true);
  if (err == 0) err = QVFileWriteZeros(file, kReservedBytes);
  if (err == 0) err = mBrush.WriteToFile(file);
  return err;
}

long AGPen::ReadFromFile(const QVFile& file) {
  long err = ReadFieldsFromFile(file, false);
  if (err != 0) *this = kAGNullPen;
  return err;
}

long AGPen::ReadFromFile_OFF(const QVFile& file) {
  long err = ReadFieldsFromFile(file, true);
  if (err != 0) *this = kAGNullPen;
  return err;
}

long AGPen::ReadFieldsFromFile(const QVFile& file, bool older) {
  mCustomArrow.reset();
  // Current form: size mode, cap, join, reserved; size, ratio, angle; 20
  // reserved bytes. Older form: cap, join, size mode, reserved; size, ratio,
  // angle in degrees; 12 reserved bytes. The brush follows in the same form.
  uint16_t words[4];
  float numbers[3];
  QVFileStickyReader in(file);
  in.Numbers(words, 4, 2, false).Numbers(numbers, 3, 4, true);
  in.Discard(older ? kReservedBytes_OFF : kReservedBytes);
  if (!in.Ok()) return in.Status();
  SetSizeMode(words[older ? 2 : 0]);
  SetLineCap(words[older ? 0 : 1]);
  SetLineJoin(words[older ? 1 : 2]);
  SetSize(numbers[0]);
  SetRatio(numbers[1]);
  SetAngle(older ? numbers[2] * kDegToRadF : numbers[2]);
  return older ? mBrush.ReadFromFile_OFF(file) : mBrush.ReadFromFile(file);
}
