#include "graphics/AGBrush.h"

#include <algorithm>

#include "graphics/AGBrushPatterns_p.h"
#include "graphics/AGPenBrush_p.h"
#include "graphics/AGRandom.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVFileStickyReader.h"
#include "kit/QVValue.h"

const AGBrush kAGNullBrush;

namespace {

// The zero bytes that end the file form.
constexpr size_t kReservedBytes = 8;

const QVValueEnums kAGEnums_BrushStyle[] = {
    {kAGBrushStyleNone, "None"},
    {kAGBrushStyleSolid, "Solid"},
    {kAGBrushStylePattern, "Pattern"},
    {kAGBrushStyleLinearGradient, "LinearGradient"},
    {kAGBrushStyleRadialGradient, "RadialGradient"},
    {0, ""},
};

uint8_t ClampStyle(uint32_t style) {
  return static_cast<uint8_t>(std::min<uint32_t>(style, kAGBrushStyleRadialGradient));
}

uint8_t ClampPatternIndex(uint64_t index) {
  if (index < 1) return 1;
  return static_cast<uint8_t>(std::min<uint64_t>(index, AGBrush::kPatternCount));
}

uint16_t ToThousandthsOfOne(float value) {
  return static_cast<uint16_t>(AGFixedFromClamped(value, 1.0f, 1000.0f));
}

int16_t ToBrushAngle(float radians) {
  return static_cast<int16_t>(AGFixedFromAngle(radians, k2PiF));
}

// Red, green and blue anywhere in 0 ... 255 (within amount of the current
// value), alpha in 16 ... 255 so that the sample stays visible.
AGColor RandomizeColor(AGColor color, float amount) {
  auto draw = [amount](uint32_t current, int32_t lo) {
    return static_cast<uint32_t>(AGRandomDrawInteger(static_cast<int32_t>(current), lo, 255, amount));
  };
  uint32_t r = draw(AGColorRed(color), 0);
  uint32_t g = draw(AGColorGreen(color), 0);
  uint32_t b = draw(AGColorBlue(color), 0);
  uint32_t a = draw(AGColorAlpha(color), 16);
  return AGColorMake(r, g, b, a);
}

}  // namespace

// ---- AGBrushCustomGradient

void AGBrushCustomGradient::SetFactors(const float* factors, const float* positions,
                                       uint32_t count) {
  mFactors.Clear();
  mPositions.Clear();
  if (!factors || !positions || count == 0) return;
  mFactors.Append(factors, count);
  mPositions.Append(positions, count);
}

bool AGBrushCustomGradient::operator==(const AGBrushCustomGradient& other) const {
  return mBounds == other.mBounds && mFactors == other.mFactors && mPositions == other.mPositions;
}

// ---- AGBrush: construction

AGBrush::AGBrush(uint32_t style, AGColor color, AGColor color2)
    : mStyle(ClampStyle(style)), mColor(color), mColor2(color2) {}

AGBrush::AGBrush(const AGBrush& other)
    : mStyle(other.mStyle),
      mFillMode(other.mFillMode),
      mPatternIndex(other.mPatternIndex),
      mColor(other.mColor),
      mColor2(other.mColor2),
      mBlend(other.mBlend),
      mAngle(other.mAngle),
      mCenterX(other.mCenterX),
      mCenterY(other.mCenterY) {
  if (other.mCustomGradient) mCustomGradient.reset(new AGBrushCustomGradient(*other.mCustomGradient));
}

AGBrush& AGBrush::operator=(const AGBrush& other) {
  if (this != &other) {
    AGBrush copy(other);
    *this = std::move(copy);
  }
  return *this;
}

bool AGBrush::operator==(const AGBrush& other) const {
  if (mStyle != other.mStyle || mFillMode != other.mFillMode ||
      mPatternIndex != other.mPatternIndex || mColor != other.mColor || mColor2 != other.mColor2 ||
      mBlend != other.mBlend || mAngle != other.mAngle || mCenterX != other.mCenterX ||
      mCenterY != other.mCenterY)
    return false;
  if (!mCustomGradient || !other.mCustomGradient) return !mCustomGradient && !other.mCustomGradient;
  return *mCustomGradient == *other.mCustomGradient;
}

// ---- AGBrush: styles and fields

void AGBrush::SetStyleNone() {
  mCustomGradient.reset();
  mStyle = kAGBrushStyleNone;
}

void AGBrush::SetStyleSolid(AGColor color) {
  mCustomGradient.reset();
  mStyle = kAGBrushStyleSolid;
  mColor = color;
}

void AGBrush::SetStylePattern(AGColor color, AGColor color2, uint32_t index) {
  mCustomGradient.reset();
  mStyle = kAGBrushStylePattern;
  mColor = color;
  mColor2 = color2;
  SetPatternIndex(index);
}

void AGBrush::SetStyleLinearGradient(AGColor color, AGColor color2, float blend, float angle) {
  mCustomGradient.reset();
  mStyle = kAGBrushStyleLinearGradient;
  mColor = color;
  mColor2 = color2;
  SetGradientBlend(blend);
  SetGradientAngle(angle);
}

void AGBrush::SetStyleLinearGradient(AGColor color, AGColor color2,
                                     const AGBrushCustomGradient& gradient, float angle) {
  // Copied first: gradient may be the one this brush is about to drop.
  std::unique_ptr<AGBrushCustomGradient> copy(new AGBrushCustomGradient(gradient));
  SetStyleLinearGradient(color, color2, GradientBlend(), angle);
  mCustomGradient = std::move(copy);
}

void AGBrush::SetStyleRadialGradient(AGColor color, AGColor color2, float blend, float centerX,
                                     float centerY) {
  mCustomGradient.reset();
  mStyle = kAGBrushStyleRadialGradient;
  mColor = color;
  mColor2 = color2;
  SetGradientBlend(blend);
  SetGradientCenterX(centerX);
  SetGradientCenterY(centerY);
}

void AGBrush::SetStyleRadialGradient(AGColor color, AGColor color2,
                                     const AGBrushCustomGradient& gradient, float centerX,
                                     float centerY) {
  std::unique_ptr<AGBrushCustomGradient> copy(new AGBrushCustomGradient(gradient));
  SetStyleRadialGradient(color, color2, GradientBlend(), centerX, centerY);
  mCustomGradient = std::move(copy);
}

void AGBrush::SetStyle(uint32_t style) {
  mCustomGradient.reset();
  mStyle = ClampStyle(style);
}

void AGBrush::SetPatternIndex(uint32_t index) { mPatternIndex = ClampPatternIndex(index); }

void AGBrush::SetGradientBlend(float blend) { mBlend = ToThousandthsOfOne(blend); }

void AGBrush::SetGradientAngle(float angle) { mAngle = ToBrushAngle(angle); }

void AGBrush::SetGradientCenterX(float x) { mCenterX = ToThousandthsOfOne(x); }

void AGBrush::SetGradientCenterY(float y) { mCenterY = ToThousandthsOfOne(y); }

// ---- AGBrush: queries

bool AGBrush::Appears() const {
  switch (mStyle) {
    case kAGBrushStyleSolid:
      return AGColorAlpha(mColor) != 0;
    case kAGBrushStylePattern:
    case kAGBrushStyleLinearGradient:
    case kAGBrushStyleRadialGradient:
      return AGColorAlpha(mColor) != 0 || AGColorAlpha(mColor2) != 0;
    default:
      return false;
  }
}

uint64_t AGBrush::PatternTile(uint32_t index) {
  return kAGBrushPatterns[ClampPatternIndex(index) - 1];
}

void AGBrush::Randomize(float amount) {
  mCustomGradient.reset();
  if (amount >= 0.4f) mStyle = ClampStyle(AGRandomDrawInteger(mStyle, 0, 4, amount));
  auto draw = [amount](int32_t current, int32_t lo, int32_t hi) {
    return AGRandomDrawInteger(current, lo, hi, amount);
  };
  switch (mStyle) {
    case kAGBrushStyleSolid:
      mColor = RandomizeColor(mColor, amount);
      break;
    case kAGBrushStylePattern:
      mPatternIndex = ClampPatternIndex(static_cast<uint32_t>(draw(mPatternIndex, 1, 53)));
      mColor = RandomizeColor(mColor, amount);
      mColor2 = RandomizeColor(mColor2, amount);
      break;
    case kAGBrushStyleLinearGradient:
      mBlend = static_cast<uint16_t>(draw(mBlend, 0, 1000));
      mAngle = static_cast<int16_t>(draw(mAngle, 0, 6283));
      mColor = RandomizeColor(mColor, amount);
      mColor2 = RandomizeColor(mColor2, amount);
      break;
    case kAGBrushStyleRadialGradient:
      mBlend = static_cast<uint16_t>(draw(mBlend, 0, 1000));
      mCenterX = static_cast<uint16_t>(draw(mCenterX, 0, 1000));
      mCenterY = static_cast<uint16_t>(draw(mCenterY, 0, 1000));
      mColor = RandomizeColor(mColor, amount);
      mColor2 = RandomizeColor(mColor2, amount);
      break;
    default:
      break;
  }
}

// ---- AGBrush: value form

void AGBrush::WriteToValue(QVValue* value) const {
  if (!value) return;
  // Fixed keys into a fresh dictionary (Center.x and Center.y create the
  // dictionary Center): SetValue can't fail.
  QVDictionary dict;
  QVValue item;
  (void)dict.SetValue("Style", *QVValueSetasEnum(&item, mStyle, kAGEnums_BrushStyle));
  if (mStyle != kAGBrushStyleNone) (void)dict.SetValue("Color", *QVValueSetasAGColor(&item, mColor));
  switch (mStyle) {
    case kAGBrushStylePattern:
      (void)dict.SetValue("Color2", *QVValueSetasAGColor(&item, mColor2));
      (void)dict.SetValue("Pattern", *QVValueSetasUInt32(&item, mPatternIndex));
      break;
    case kAGBrushStyleLinearGradient:
      (void)dict.SetValue("Color2", *QVValueSetasAGColor(&item, mColor2));
      (void)dict.SetValue("Blend", *QVValueSetasFloat32(&item, GradientBlend()));
      (void)dict.SetValue("Angle", *QVValueSetasFloat32(&item, GradientAngle() * kRadToDegF));
      break;
    case kAGBrushStyleRadialGradient:
      (void)dict.SetValue("Color2", *QVValueSetasAGColor(&item, mColor2));
      (void)dict.SetValue("Blend", *QVValueSetasFloat32(&item, GradientBlend()));
      (void)dict.SetValue("Center.x", *QVValueSetasFloat32(&item, GradientCenterX()));
      (void)dict.SetValue("Center.y", *QVValueSetasFloat32(&item, GradientCenterY()));
      break;
    default:
      break;
  }
  value->SetasQVDictionary(dict);
}

bool AGBrush::ReadFromValue(const QVValue& value, bool convert) {
  mCustomGradient.reset();
  const QVDictionary* dict = value.GetasQVDictionary();
  if (!dict || dict->IsEmpty()) return true;
  // Only a word of the table counts: an unknown or empty word would otherwise
  // read as None and silently blank the brush.
  const QVString* word = dict->GetValue("Style").GetasQVString();
  uint32_t index = 0;
  if (!word || !QVValueEnumsFindWord(kAGEnums_BrushStyle, *word, index)) return true;
  mStyle = ClampStyle(kAGEnums_BrushStyle[index].value);
  ReadStyleKeysFromDictionary(*dict, convert);
  return true;
}

void AGBrush::ReadStyleKeysFromDictionary(const QVDictionary& dict, bool convert) {
  AGColor color = 0;
  float number = 0.0f;
  int64_t integer = 0;
  if (mStyle == kAGBrushStyleNone) return;
  if (QVValueGetasAGColor(dict.GetValue("Color"), color, convert)) mColor = color;
  if (mStyle == kAGBrushStyleSolid) return;
  if (QVValueGetasAGColor(dict.GetValue("Color2"), color, convert)) mColor2 = color;
  switch (mStyle) {
    case kAGBrushStylePattern:
      // Read signed so that negative and huge numbers clamp instead of
      // failing or wrapping.
      if (QVValueGetasSInt64(dict.GetValue("Pattern"), integer, convert))
        mPatternIndex = integer < 1 ? 1 : ClampPatternIndex(static_cast<uint64_t>(integer));
      break;
    case kAGBrushStyleLinearGradient:
      if (QVValueGetasFloat32(dict.GetValue("Blend"), number, convert)) SetGradientBlend(number);
      if (QVValueGetasFloat32(dict.GetValue("Angle"), number, convert))
        SetGradientAngle(number * kDegToRadF);
      break;
    case kAGBrushStyleRadialGradient:
      if (QVValueGetasFloat32(dict.GetValue("Blend"), number, convert)) SetGradientBlend(number);
      if (QVValueGetasFloat32(dict.GetValue("Center.x"), number, convert))
        SetGradientCenterX(number);
      if (QVValueGetasFloat32(dict.GetValue("Center.y"), number, convert))
        SetGradientCenterY(number);
      break;
    default:
      break;
  }
}

// ---- AGBrush: file forms

long AGBrush::WriteToFile(QVFile& file) const {
  const uint16_t words[4] = {mStyle, mFillMode, mPatternIndex, 0};
  const float numbers[4] = {GradientBlend(), GradientAngle(), GradientCenterX(),
                            GradientCenterY()};
  long err = QVFileWriteNumbers(file, words, 4, 2, 1, QVFile::kEndianFile, false);
  if (err == 0) err = QVFileWriteAGColor(file, mColor);
  if (err == 0) err = QVFileWriteAGColor(file, mColor2);
  if (err == 0) err = QVFileWriteNumbers(file, numbers, 4, 4, 1, QVFile::kEndianFile, true);
  if (err == 0) err = QVFileWriteZeros(file, kReservedBytes);
  return err;
}

long AGBrush::ReadFromFile(const QVFile& file) {
  long err = ReadFieldsFromFile(file, false);
  if (err != 0) *this = kAGNullBrush;
  return err;
}

long AGBrush::ReadFromFile_OFF(const QVFile& file) {
  long err = ReadFieldsFromFile(file, true);
  if (err != 0) *this = kAGNullBrush;
  return err;
}

long AGBrush::ReadFieldsFromFile(const QVFile& file, bool older) {
  mCustomGradient.reset();
  // Current form: style, fill mode, pattern index, reserved; blend, angle,
  // centre x, centre y. Older form: style, pattern index counted from 0, fill
  // mode, reserved; angle in degrees, blend, centre x, centre y.
  uint16_t words[4];
  float numbers[4];
  AGColor colors[2] = {kAGNullColor, kAGNullColor};
  QVFileStickyReader in(file);
  in.Numbers(words, 4, 2, false);
  for (AGColor& color : colors) older ? in.Color_OFF(color) : in.Color(color);
  in.Numbers(numbers, 4, 4, true).Discard(kReservedBytes);
  if (!in.Ok()) return in.Status();
  mStyle = ClampStyle(words[0]);
  SetFillMode(words[older ? 2 : 1]);
  mPatternIndex = ClampPatternIndex(older ? words[1] + 1u : words[2]);
  mColor = colors[0];
  mColor2 = colors[1];
  SetGradientAngle(older ? numbers[0] * kDegToRadF : numbers[1]);
  SetGradientBlend(numbers[older ? 1 : 0]);
  SetGradientCenterX(numbers[2]);
  SetGradientCenterY(numbers[3]);
  return 0;
}
