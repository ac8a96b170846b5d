// AGBrush: how an area is filled: nothing, a solid colour, an 8x8 two-colour
// pattern, a linear or a radial gradient. Real-valued settings are kept as
// fixed-point integers (thousandths); setters clamp, they never refuse.
//
// A brush is a value: copies and assignments deep-copy its custom gradient.
#ifndef AG_BRUSH_H
#define AG_BRUSH_H

#include <cstdint>
#include <memory>

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"

class QVDictionary;
class QVFile;
class QVValue;

// Stored in files and value forms with these numbers.
enum AGBrushStyle : uint8_t {
  kAGBrushStyleNone = 0,
  kAGBrushStyleSolid = 1,
  kAGBrushStylePattern = 2,
  kAGBrushStyleLinearGradient = 3,
  kAGBrushStyleRadialGradient = 4,
};

// The rule a solid or pattern fill follows; gradients always fill by the
// non-zero winding rule.
enum AGBrushFillMode : uint8_t {
  kAGBrushFillModeEvenOdd = 0,
  kAGBrushFillModeWinding = 1,
};

// A gradient's own blend curve: pairs (factor, position), both usually in
// [0, 1], and the box the gradient spans (kAGNullRect: the filled path's own
// box). Positions and factors always have the same length.
class AGBrushCustomGradient {
 public:
  AGBrushCustomGradient() = default;

  const AGRect& Bounds() const { return mBounds; }
  void SetBounds(const AGRect& bounds) { mBounds = bounds; }

  // Copies count factors and count positions; a null pointer or count 0
  // empties both arrays.
  void SetFactors(const float* factors, const float* positions, uint32_t count);
  uint32_t FactorCount() const { return mFactors.Length(); }
  // Null when empty.
  const float* Factors() const { return mFactors.Data(); }
  const float* Positions() const { return mPositions.Data(); }

  bool operator==(const AGBrushCustomGradient& other) const;
  bool operator!=(const AGBrushCustomGradient& other) const { return !(*this == other); }

 private:
  AGRect mBounds = kAGNullRect;
  ATNumberArray<float> mPositions;
  ATNumberArray<float> mFactors;
};

class AGBrush {
 public:
  static constexpr uint32_t kPatternCount = 53;
  // Size of the file form written by WriteToFile, and of the older form.
  static constexpr uint32_t kFileSize = 40;
  static constexpr uint32_t kFileSize_OFF = 64;

  // Style None, even-odd fill, pattern 1, both colours kAGNullColor, blend
  // 0.5, angle 0, centre (0.5, 0.5), no custom gradient.
  constexpr AGBrush() noexcept = default;
  // style above 4 becomes 4; the other fields take their defaults.
  AGBrush(uint32_t style, AGColor color, AGColor color2);
  AGBrush(const AGBrush& other);
  AGBrush(AGBrush&& other) noexcept = default;
  AGBrush& operator=(const AGBrush& other);
  AGBrush& operator=(AGBrush&& other) noexcept = default;
  ~AGBrush() = default;

  // ---- Styles: each drops the custom gradient first.
  void SetStyleNone();
  void SetStyleSolid(AGColor color);
  // index 0 becomes 1, above 53 becomes 53.
  void SetStylePattern(AGColor color, AGColor color2, uint32_t index);
  // blend in [0, 1]; angle in radians, reduced into [0, 2pi).
  void SetStyleLinearGradient(AGColor color, AGColor color2, float blend, float angle);
  // Keeps a copy of gradient; the blend is left as it is.
  void SetStyleLinearGradient(AGColor color, AGColor color2, const AGBrushCustomGradient& gradient,
                              float angle);
  // Centre as fractions of the gradient box, each clamped to [0, 1].
  void SetStyleRadialGradient(AGColor color, AGColor color2, float blend, float centerX,
                              float centerY);
  void SetStyleRadialGradient(AGColor color, AGColor color2, const AGBrushCustomGradient& gradient,
                              float centerX, float centerY);
  // style above 4 becomes 4.
  void SetStyle(uint32_t style);

  // ---- Fields
  void SetColor(AGColor color) { mColor = color; }
  void SetColor2(AGColor color) { mColor2 = color; }
  // 0 becomes 1, above 53 becomes 53.
  void SetPatternIndex(uint32_t index);
  // Any non-zero mode stores 1 (non-zero winding rule).
  void SetFillMode(uint32_t mode) { mFillMode = mode ? kAGBrushFillModeWinding : kAGBrushFillModeEvenOdd; }
  // Clamped to [0, 1]; not-a-number stores 0.
  void SetGradientBlend(float blend);
  // Radians, reduced into [0, 2pi); not-a-number and infinities store 0.
  void SetGradientAngle(float angle);
  // Clamped to [0, 1]; not-a-number stores 0.
  void SetGradientCenterX(float x);
  void SetGradientCenterY(float y);
  void ResetCustomGradient() { mCustomGradient.reset(); }

  AGBrushStyle Style() const { return static_cast<AGBrushStyle>(mStyle); }
  AGBrushFillMode FillMode() const { return static_cast<AGBrushFillMode>(mFillMode); }
  uint32_t PatternIndex() const { return mPatternIndex; }
  AGColor Color() const { return mColor; }
  AGColor Color2() const { return mColor2; }
  // The stored thousandths as floats (nearest float to the decimal value).
  float GradientBlend() const { return mBlend / 1000.0f; }
  float GradientAngle() const { return mAngle / 1000.0f; }
  float GradientCenterX() const { return mCenterX / 1000.0f; }
  float GradientCenterY() const { return mCenterY / 1000.0f; }
  // Null when the brush has none.
  const AGBrushCustomGradient* CustomGradient() const { return mCustomGradient.get(); }

  // Whether filling with this brush shows anything: Solid when its colour's
  // alpha is not 0; Pattern and gradients when either colour's alpha is not 0;
  // None: never.
  bool Appears() const;

  // The 64-bit 8x8 tile of pattern index (0 reads 1, above 53 reads 53);
  // bit 0 is the first cell of the first row.
  static uint64_t PatternTile(uint32_t index);
  uint64_t PatternTile() const { return PatternTile(mPatternIndex); }

  // Varies the brush for samples through the random service (AGRandom.h):
  // drops the custom gradient; amount >= 0.4 redraws the style too; then the
  // style's own fields and colours move within amount of their range (an
  // amount outside [0, 1) redraws them anywhere in their range).
  void Randomize(float amount);

  // ---- Value form: a dictionary with "Style" ("None", "Solid", "Pattern",
  // "LinearGradient", "RadialGradient") and the style's keys: "Color",
  // "Color2", "Pattern", "Blend", "Angle" (degrees), "Center.x", "Center.y".
  // Fill mode and custom gradient are not part of it.
  void WriteToValue(QVValue* value) const;
  // Drops the custom gradient. A value holding no dictionary, or an empty
  // one, changes nothing else. A "Style" that is not a word of the table
  // leaves the whole brush as it was. Otherwise the style is stored and its
  // keys read; a missing or unreadable key keeps its field; numbers are
  // clamped as by the setters. convert goes to every typed getter. Always
  // true.
  bool ReadFromValue(const QVValue& value, bool convert = true);

  // ---- File form: kFileSize bytes in the file's byte order. Returns the
  // first failing primitive's status, 0 on success.
  [[nodiscard]] long WriteToFile(QVFile& file) const;
  // Reads the form WriteToFile writes and drops the custom gradient. Stored
  // values out of range are clamped, never refused: a style above 4 reads as
  // 4, a non-zero fill mode as 1, a pattern index into 1 ... 53, fractions
  // into [0, 1] (not-a-number: 0), the angle reduced into [0, 2pi). A form
  // cut short fails with -977. On failure the brush becomes kAGNullBrush and
  // the status is returned.
  [[nodiscard]] long ReadFromFile(const QVFile& file);
  // The older form (kFileSize_OFF bytes): 0-based pattern index, floats
  // colours, angle in degrees. Failures as for ReadFromFile.
  [[nodiscard]] long ReadFromFile_OFF(const QVFile& file);

  // Same stored fields and equal custom gradients (or none on both sides).
  bool operator==(const AGBrush& other) const;
  bool operator!=(const AGBrush& other) const { return !(*this == other); }

 private:
  // Reads the keys of the value form that belong to the stored style.
  void ReadStyleKeysFromDictionary(const QVDictionary& dict, bool convert);
  // The current form, or the older one when older is set.
  [[nodiscard]] long ReadFieldsFromFile(const QVFile& file, bool older);

  uint8_t mStyle = kAGBrushStyleNone;
  uint8_t mFillMode = kAGBrushFillModeEvenOdd;
  uint8_t mPatternIndex = 1;
  AGColor mColor = kAGNullColor;
  AGColor mColor2 = kAGNullColor;
  uint16_t mBlend = 500;     // thousandths, 0 ... 1000
  int16_t mAngle = 0;        // thousandths of a radian, [0, 2pi)
  uint16_t mCenterX = 500;   // thousandths of the box
  uint16_t mCenterY = 500;
  std::unique_ptr<AGBrushCustomGradient> mCustomGradient;
};

// A default brush: draws nothing.
extern const AGBrush kAGNullBrush;

#endif
