#include "graphics/AGPen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graphics/AGBrushPenTestFile.h"
#include "graphics/AGRandom.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

int Thousandths(float f) { return static_cast<int>(std::lround(f * 1000.0f)); }

AGPen Sample() {
  AGPen p(kAGBrushStyleSolid, 0x10203040, 0x50607080, 2.5f, kAGPenSizeModeAbsolute);
  p.SetLineCap(kAGPenLineCapRound);
  p.SetLineJoin(kAGPenLineJoinBevel);
  p.SetRatio(0.5f);
  p.SetAngle(0.75f);
  return p;
}

}  // namespace

// ---- Fields, clamps and fixed-point storage

TEST(PenFields, DefaultIsTheNullPenAndDrawsNothing) {
  AGPen p;
  EXPECT_EQ(p.SizeMode(), kAGPenSizeModeRelative);
  EXPECT_EQ(p.LineCap(), kAGPenLineCapButt);
  EXPECT_EQ(p.LineJoin(), kAGPenLineJoinMiter);
  EXPECT_EQ(p.Size(), 1.0f);
  EXPECT_EQ(p.Ratio(), 1.0f);
  EXPECT_EQ(p.Angle(), 0.0f);
  EXPECT_TRUE(p.Brush() == kAGNullBrush);
  EXPECT_EQ(p.CustomArrow(), nullptr);
  EXPECT_FALSE(p.Appears());
  EXPECT_TRUE(p == kAGNullPen);
}

TEST(PenFields, SizeAndRatioClampAtBothEnds) {
  struct Case { float in; float size; float ratio; };
  const Case cases[] = {{200.0f, 96.0f, 1.0f}, {96.0f, 96.0f, 1.0f}, {-1.0f, 0.0f, 0.0f},
                        {kNaN, 0.0f, 0.0f},    {0.004f, 0.0f, 0.004f}, {0.3337f, 0.33f, 0.334f}};
  for (const Case& c : cases) {
    AGPen p;
    p.SetSize(c.in);
    p.SetRatio(c.in);
    EXPECT_EQ(p.Size(), c.size) << c.in;
    EXPECT_EQ(p.Ratio(), c.ratio) << c.in;
  }
  AGPen p;
  p.SetStyleSolid(kAGColorRed, 500.0f, 0);
  EXPECT_EQ(p.Size(), 96.0f);
  EXPECT_EQ(p.SizeMode(), kAGPenSizeModeAbsolute);
  p.SetSizeMode(9);
  p.SetLineCap(3);
  p.SetLineJoin(0xFFFFFFFFu);
  EXPECT_EQ(p.SizeMode(), kAGPenSizeModeRelative);
  EXPECT_EQ(p.LineCap(), kAGPenLineCapRound);
  EXPECT_EQ(p.LineJoin(), kAGPenLineJoinRound);
}

TEST(PenFields, AngleIsReducedIntoZeroToPi) {
  struct Case { float in; int stored; };
  // 3.14155 would round to 3142 thousandths, above pi: it wraps to 0 (the
  // same nib direction) so the stored angle stays below pi.
  const Case cases[] = {{3 * kPiF / 2, 1571}, {-0.25f, 2892}, {kPiF, 0},
                        {3.1414f, 3141},      {3.14155f, 0},  {kNaN, 0}};
  for (const Case& c : cases) {
    AGPen p;
    p.SetAngle(c.in);
    EXPECT_EQ(Thousandths(p.Angle()), c.stored) << c.in;
  }
}

TEST(PenFields, AppearsNeedsAWidthOfAHundredthAndAVisibleBrush) {
  AGPen p;
  p.SetStyleSolid(kAGColorBlack, 0.01f);
  EXPECT_TRUE(p.Appears());
  p.SetSize(0.004f);
  EXPECT_FALSE(p.Appears());
  p.SetStyleSolid(0xFFFFFF00, 1.0f);  // transparent colour
  EXPECT_FALSE(p.Appears());
  p.SetStyleSolid(kAGColorBlack, 1.0f);
  p.SetStyleNone();
  EXPECT_FALSE(p.Appears());
}

// ---- Custom arrow

TEST(PenCustomArrow, ClampsClearsAndIsOwnedByEachCopy) {
  AGPenCustomArrow a;
  a.SetBegArrow(25.0f, -1.0f);
  a.SetEndArrow(kNaN, 0.5f);
  EXPECT_TRUE(a.IsBegArrow() && a.IsEndArrow());
  EXPECT_EQ(a.BegArrowSize(), 20.0f);
  EXPECT_EQ(a.BegArrowShape(), 0.0f);
  EXPECT_EQ(a.EndArrowSize(), 0.0f);
  EXPECT_EQ(a.EndArrowShape(), 0.5f);
  AGPen p;
  p.SetCustomArrow(a);
  p.SetCustomArrow(*p.CustomArrow());  // from its own arrow
  AGPen q(p);
  a.SetNotEndArrow();
  EXPECT_FALSE(a.IsEndArrow());
  EXPECT_EQ(a.EndArrowShape(), 0.0f);
  ASSERT_NE(q.CustomArrow(), nullptr);
  EXPECT_NE(q.CustomArrow(), p.CustomArrow());
  EXPECT_TRUE(q.CustomArrow()->IsEndArrow());
  p.ResetCustomArrow();
  EXPECT_FALSE(p == q);
  p = q;
  EXPECT_TRUE(p == q);
}

// ---- Value form

TEST(PenValueForm, RoundTripsWidthNibAndModeInDegrees) {
  QVValue v;
  Sample().WriteToValue(&v);
  const QVDictionary& d = QVValueGetasQVDictionary(v);
  EXPECT_EQ(d.Count(), 5u);
  EXPECT_EQ(QVValueGetasQVString(d.GetValue("SizeMode")), QVString("Absolute"));
  EXPECT_NEAR(QVValueGetasFloat32(d.GetValue("Angle"), false), 42.972f, 0.001f);
  // Caps, joins and a Solid brush's second colour are not part of the form.
  AGPen back;
  back.SetLineCap(kAGPenLineCapRound);
  back.SetLineJoin(kAGPenLineJoinBevel);
  back.Brush().SetColor2(Sample().Brush().Color2());
  EXPECT_TRUE(back.ReadFromValue(v));
  EXPECT_TRUE(back == Sample());
}

TEST(PenValueForm, ABrushOfStyleNoneCarriesNothingElse) {
  AGPen none = Sample();
  none.SetStyleNone();
  QVValue v;
  none.WriteToValue(&v);
  EXPECT_EQ(QVValueGetasQVDictionary(v).Count(), 1u);
  // Extra keys beside a None brush are ignored when read.
  QVDictionary d = QVValueGetasQVDictionary(v);
  EXPECT_EQ(d.SetValue("Size", QVValueSetasFloat64(30.0)), 0);
  AGPen p = Sample();
  p.ReadFromValue(QVValueSetasQVDictionary(d));
  EXPECT_EQ(p.Brush().Style(), kAGBrushStyleNone);
  EXPECT_EQ(p.Size(), 2.5f);
  EXPECT_EQ(p.Ratio(), 0.5f);
  EXPECT_EQ(Thousandths(p.Angle()), 750);
}

TEST(PenValueForm, ReadingClampsAndKeepsFieldsOfBadOrMissingKeys) {
  QVValue brush;
  AGBrush(kAGBrushStyleSolid, kAGColorBlue, 0).WriteToValue(&brush);
  QVDictionary d;
  EXPECT_EQ(d.SetValue("Brush", brush), 0);
  EXPECT_EQ(d.SetValue("Size", QVValueSetasFloat64(1000.0)), 0);
  EXPECT_EQ(d.SetValue("Ratio", QVValueSetasQVString("wide")), 0);
  EXPECT_EQ(d.SetValue("Angle", QVValueSetasFloat64(270.0)), 0);
  EXPECT_EQ(d.SetValue("SizeMode", QVValueSetasQVString("Huge")), 0);
  AGPen p = Sample();
  p.SetSizeMode(kAGPenSizeModeRelative);  // an unknown word must not read as Absolute (0)
  EXPECT_TRUE(p.ReadFromValue(QVValueSetasQVDictionary(d)));
  EXPECT_EQ(p.Brush().Color(), kAGColorBlue);
  EXPECT_EQ(p.Size(), 96.0f);
  EXPECT_EQ(p.Ratio(), 0.5f);
  EXPECT_EQ(Thousandths(p.Angle()), 1571);
  EXPECT_EQ(p.SizeMode(), kAGPenSizeModeRelative);
  AGPen q = Sample();
  EXPECT_TRUE(q.ReadFromValue(QVValueSetasQVDictionary(QVDictionary())));
  EXPECT_TRUE(q.ReadFromValue(QVValueSetasSInt32(4)));
  EXPECT_TRUE(q == Sample());
}

// ---- File forms

TEST(PenFileForm, WritesEightyExactBytesInEitherByteOrder) {
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    AGByteBuilder expected(order);
    expected.U16(0).U16(2).U16(1).U16(0).F32(2.5f).F32(0.5f).F32(0.75f).Zeros(20);
    expected.U16(1).U16(0).U16(1).U16(0).Raw({0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80});
    expected.F32(0.5f).F32(0.0f).F32(0.5f).F32(0.5f).Zeros(8);
    AGTestFile f(order);
    AGPen pen = Sample();
    pen.SetCustomArrow(AGPenCustomArrow());
    ASSERT_EQ(pen.WriteToFile(f.File()), 0);
    EXPECT_EQ(f.Bytes(), expected.Bytes());
    EXPECT_EQ(f.Bytes().size(), AGPen::kFileSize);
    AGPen back;
    ASSERT_EQ(back.ReadFromFile(f.File()), 0);
    EXPECT_TRUE(back == Sample());  // the arrow is not stored
  }
}

TEST(PenFileForm, ReadingClampsStoredValues) {
  AGTestFile f(QVFile::kEndianBig);
  AGByteBuilder form(QVFile::kEndianBig);
  form.U16(5).U16(3).U16(9).U16(0xFFFF).F32(500.0f).F32(-3.0f).F32(3 * kPiF / 2).Zeros(20);
  form.U16(1).U16(0).U16(1).U16(0).U32(0x000000FF).U32(0).F32(0.5f).F32(0).F32(0.5f).F32(0.5f);
  f.Put(form.Zeros(8).Bytes());
  AGPen p;
  ASSERT_EQ(p.ReadFromFile(f.File()), 0);
  EXPECT_EQ(p.SizeMode(), kAGPenSizeModeRelative);
  EXPECT_EQ(p.LineCap(), kAGPenLineCapRound);
  EXPECT_EQ(p.LineJoin(), kAGPenLineJoinRound);
  EXPECT_EQ(p.Size(), 96.0f);
  EXPECT_EQ(p.Ratio(), 0.0f);
  EXPECT_EQ(Thousandths(p.Angle()), 1571);
  EXPECT_TRUE(p.Appears());
}

TEST(PenFileForm, AFileNotOpenFailsAsNotOpenedAndLeavesTheNullPen) {
  QVFile closed(QVFile::kTemporary);
  AGPen p = Sample();
  EXPECT_EQ(p.ReadFromFile(closed), kQVErrFileNotOpened);
  EXPECT_TRUE(p == kAGNullPen);
  p = Sample();
  EXPECT_EQ(p.ReadFromFile_OFF(closed), kQVErrFileNotOpened);
  EXPECT_TRUE(p == kAGNullPen);
}

TEST(PenFileForm, TruncatedFormsFailAndLeaveTheNullPen) {
  AGTestFile f(QVFile::kEndianLittle);
  ASSERT_EQ(Sample().WriteToFile(f.File()), 0);
  AGBytes whole = f.Bytes();
  for (size_t n : {0, 3, 12, 39, 40, 55, 79}) {
    f.Put(AGBytes(whole.begin(), whole.begin() + n));
    AGPen p = Sample();
    EXPECT_EQ(p.ReadFromFile(f.File()), kQVErrFileRead) << n;
    EXPECT_TRUE(p == kAGNullPen) << n;
    f.Put(AGBytes(n + 16, 0));  // always short of the older 96 bytes
    p = Sample();
    EXPECT_EQ(p.ReadFromFile_OFF(f.File()), kQVErrFileRead) << n;
    EXPECT_TRUE(p == kAGNullPen) << n;
  }
}

TEST(PenFileForm, OlderFormHasItsOwnOrderDegreesAndShorterReserve) {
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    AGByteBuilder form(order);
    form.U16(1).U16(2).U16(0).U16(0).F32(4.5f).F32(0.25f).F32(270.0f).Zeros(12);
    form.U16(1).U16(0).U16(0).U16(0);  // older brush: Solid, pattern 1
    form.F32(0).F32(0).F32(1.0f).F32(1.0f).F32(0).F32(0).F32(0).F32(0);
    form.F32(0).F32(0.5f).F32(0.5f).F32(0.5f).Zeros(8);
    AGTestFile f(order);
    f.Put(form.Bytes());
    AGPen p;
    ASSERT_EQ(p.ReadFromFile_OFF(f.File()), 0);
    EXPECT_EQ(f.Pos(), AGPen::kFileSize_OFF);
    EXPECT_EQ(p.LineCap(), kAGPenLineCapSquare);
    EXPECT_EQ(p.LineJoin(), kAGPenLineJoinRound);
    EXPECT_EQ(p.SizeMode(), kAGPenSizeModeAbsolute);
    EXPECT_EQ(p.Size(), 4.5f);
    EXPECT_EQ(p.Ratio(), 0.25f);
    EXPECT_EQ(Thousandths(p.Angle()), 1571);
    EXPECT_EQ(p.Brush().Style(), kAGBrushStyleSolid);
    EXPECT_EQ(p.Brush().Color(), kAGColorBlue);
  }
}

// ---- Random variations

TEST(PenRandom, RandomizeKeepsWidthNibAndBrushInRange) {
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    AGRandomSeed(seed);
    AGPen p;
    p.Randomize(1.0f);
    EXPECT_GE(p.Size(), 1.0f);
    EXPECT_LE(p.Size(), 32.0f);
    EXPECT_LE(p.Ratio(), 1.0f);
    EXPECT_LT(p.Angle(), kPiF);
  }
  AGPen p = Sample();
  p.Randomize(0.0f);  // every draw collapses onto the current value
  EXPECT_TRUE(p == Sample());
}
