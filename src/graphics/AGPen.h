// AGPen: how a line is stroked: width (absolute, or relative to the drawing
// transform), a calligraphic nib (ratio and angle), caps and joins, and a
// brush for the line's colour. Real-valued settings are kept as fixed-point
// integers; setters clamp, they never refuse.
//
// A pen is a value: copies and assignments deep-copy its custom arrow.
#ifndef AG_PEN_H
#define AG_PEN_H

#include <cstdint>
#include <memory>

#include "graphics/AGBrush.h"
#include "graphics/AGGeometry.h"

class QVFile;
class QVValue;

// Stored in files and value forms with these numbers.
enum AGPenSizeMode : uint8_t {
  kAGPenSizeModeAbsolute = 0,
  // The width scales with the drawing transform.
  kAGPenSizeModeRelative = 1,
};

enum AGPenLineCap : uint8_t {
  kAGPenLineCapButt = 0,
  kAGPenLineCapSquare = 1,
  kAGPenLineCapRound = 2,
};

enum AGPenLineJoin : uint8_t {
  kAGPenLineJoinMiter = 0,
  kAGPenLineJoinBevel = 1,
  kAGPenLineJoinRound = 2,
};

// Arrow heads at the line's ends. Data only: nothing in the graphics kit
// draws them. Sizes are clamped to [0, 20], shapes to [0, 1]; not-a-number
// stores 0.
class AGPenCustomArrow {
 public:
  AGPenCustomArrow() = default;

  void SetBegArrow(float size, float shape);
  void SetEndArrow(float size, float shape);
  // Clear the flag, the size and the shape.
  void SetNotBegArrow();
  void SetNotEndArrow();

  bool IsBegArrow() const { return mBeg; }
  float BegArrowSize() const { return mBegSize; }
  float BegArrowShape() const { return mBegShape; }
  bool IsEndArrow() const { return mEnd; }
  float EndArrowSize() const { return mEndSize; }
  float EndArrowShape() const { return mEndShape; }

  bool operator==(const AGPenCustomArrow& other) const;
  bool operator!=(const AGPenCustomArrow& other) const { return !(*this == other); }

 private:
  bool mBeg = false;
  float mBegSize = 0.0f;
  float mBegShape = 0.0f;
  bool mEnd = false;
  float mEndSize = 0.0f;
  float mEndShape = 0.0f;
};

class AGPen {
 public:
  // Widths are clamped to [0, kMaxSize] points.
  static constexpr float kMaxSize = 96.0f;
  // Size of the file form written by WriteToFile (the brush's included), and
  // of the older form.
  static constexpr uint32_t kFileSize = 80;
  static constexpr uint32_t kFileSize_OFF = 96;

  // Relative size mode, butt cap, miter join, width 1.0, ratio 1.0 (round
  // nib), angle 0, a default brush (style None: the pen draws nothing), no
  // custom arrow.
  constexpr AGPen() noexcept = default;
  // The brush gets style (above 4 becomes 4) and both colours; size and
  // sizeMode as SetSize and SetSizeMode store them.
  AGPen(uint32_t style, AGColor color, AGColor color2, float size, uint32_t sizeMode);
  AGPen(const AGPen& other);
  AGPen(AGPen&& other) noexcept = default;
  AGPen& operator=(const AGPen& other);
  AGPen& operator=(AGPen&& other) noexcept = default;
  ~AGPen() = default;

  // The brush's style becomes None and its custom gradient is dropped.
  void SetStyleNone() { mBrush.SetStyleNone(); }
  // The brush becomes Solid in color; size clamped to [0, 96].
  void SetStyleSolid(AGColor color, float size);
  void SetStyleSolid(AGColor color, float size, uint32_t sizeMode);

  // Points, clamped to [0, 96]; not-a-number stores 0.
  void SetSize(float size);
  // Any non-zero mode stores 1 (relative).
  void SetSizeMode(uint32_t mode) { mSizeMode = mode ? kAGPenSizeModeRelative : kAGPenSizeModeAbsolute; }
  // Nib ratio clamped to [0, 1]; 1 is a round nib.
  void SetRatio(float ratio);
  // Nib angle in radians, reduced into [0, pi).
  void SetAngle(float angle);
  // Values above 2 become 2 (round).
  void SetLineCap(uint32_t cap) { mLineCap = static_cast<uint8_t>(cap > 2 ? 2 : cap); }
  void SetLineJoin(uint32_t join) { mLineJoin = static_cast<uint8_t>(join > 2 ? 2 : join); }
  void SetBrush(const AGBrush& brush) { mBrush = brush; }
  AGBrush& Brush() { return mBrush; }
  const AGBrush& Brush() const { return mBrush; }
  // Keeps a copy of arrow.
  void SetCustomArrow(const AGPenCustomArrow& arrow);
  void ResetCustomArrow() { mCustomArrow.reset(); }
  // Null when the pen has none.
  const AGPenCustomArrow* CustomArrow() const { return mCustomArrow.get(); }

  AGPenSizeMode SizeMode() const { return static_cast<AGPenSizeMode>(mSizeMode); }
  AGPenLineCap LineCap() const { return static_cast<AGPenLineCap>(mLineCap); }
  AGPenLineJoin LineJoin() const { return static_cast<AGPenLineJoin>(mLineJoin); }
  float Size() const { return mSize / 100.0f; }
  float Ratio() const { return mRatio / 1000.0f; }
  float Angle() const { return mAngle / 1000.0f; }

  // Whether stroking with this pen shows anything: a width of at least 0.01
  // and a brush that appears (AGBrush::Appears).
  bool Appears() const;

  // Varies the pen for samples (AGRandom.h): width, ratio and angle move
  // within amount of their ranges (width 1 ... 32), then the brush is
  // randomised with the same amount.
  void Randomize(float amount);

  // ---- Value form: a dictionary with "Brush" (the brush's value form) and,
  // only when the brush's style is not None, "SizeMode" ("Absolute",
  // "Relative"), "Size", "Ratio" and "Angle" (degrees). Caps, joins and the
  // arrow are not part of it.
  void WriteToValue(QVValue* value) const;
  // A value holding no dictionary, or an empty one, changes nothing.
  // Otherwise "Brush" is read as AGBrush::ReadFromValue does; only when the
  // brush's style is then not None are the other keys read. A missing or
  // unreadable key keeps its field; numbers are clamped as by the setters.
  // Always true.
  bool ReadFromValue(const QVValue& value, bool convert = true);

  // ---- File form: kFileSize bytes in the file's byte order, the brush's
  // form in the last 40. The custom arrow is not written. Returns the first
  // failing primitive's status, 0 on success.
  [[nodiscard]] long WriteToFile(QVFile& file) const;
  // Reads the form WriteToFile writes. Stored values out of range are
  // clamped, never refused: a non-zero size mode reads as 1, caps and joins
  // above 2 as 2, size, ratio and angle as their setters store them; the
  // brush as AGBrush::ReadFromFile reads it. The custom arrow is dropped,
  // since the form does not hold one. A form cut short fails with -977. On
  // failure the pen becomes kAGNullPen and the status is returned.
  [[nodiscard]] long ReadFromFile(const QVFile& file);
  // The older form (kFileSize_OFF bytes, the older brush form included).
  // Failures as for ReadFromFile.
  [[nodiscard]] long ReadFromFile_OFF(const QVFile& file);

  // Same stored fields, equal brushes and equal custom arrows (or none).
  bool operator==(const AGPen& other) const;
  bool operator!=(const AGPen& other) const { return !(*this == other); }

 private:
  // The current form, or the older one when older is set.
  [[nodiscard]] long ReadFieldsFromFile(const QVFile& file, bool older);

  uint8_t mSizeMode = kAGPenSizeModeRelative;
  uint8_t mLineCap = kAGPenLineCapButt;
  uint8_t mLineJoin = kAGPenLineJoinMiter;
  int16_t mSize = 100;    // hundredths of a point, 0 ... 9600
  int16_t mRatio = 1000;  // thousandths, 0 ... 1000
  int16_t mAngle = 0;     // thousandths of a radian, [0, pi)
  AGBrush mBrush;
  std::unique_ptr<AGPenCustomArrow> mCustomArrow;
};

// A default pen: draws nothing.
extern const AGPen kAGNullPen;

#endif
