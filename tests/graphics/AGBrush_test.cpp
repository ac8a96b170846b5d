#include "graphics/AGBrush.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

#include "graphics/AGBrushPenTestFile.h"
#include "graphics/AGRandom.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

int Thousandths(float f) { return static_cast<int>(std::lround(f * 1000.0f)); }

AGBrush LinearSample() {
  AGBrush b;
  b.SetStyleLinearGradient(0x11223344, 0x55667788, 0.25f, 1.5f);
  b.SetFillMode(1);
  b.SetPatternIndex(7);
  b.SetGradientCenterX(0.5f);
  b.SetGradientCenterY(0.75f);
  return b;
}

AGBrushCustomGradient TwoStopGradient() {
  const float factors[] = {0.0f, 1.0f};
  const float positions[] = {0.2f, 0.8f};
  AGBrushCustomGradient g;
  g.SetFactors(factors, positions, 2);
  g.SetBounds({0, 0, 10, 20});
  return g;
}

}  // namespace

// ---- Fields, clamps and fixed-point storage

TEST(BrushFields, DefaultIsTheNullBrushAndDrawsNothing) {
  AGBrush b;
  EXPECT_EQ(b.Style(), kAGBrushStyleNone);
  EXPECT_EQ(b.FillMode(), kAGBrushFillModeEvenOdd);
  EXPECT_EQ(b.PatternIndex(), 1u);
  EXPECT_EQ(b.Color(), kAGNullColor);
  EXPECT_EQ(b.Color2(), kAGNullColor);
  EXPECT_EQ(b.GradientBlend(), 0.5f);
  EXPECT_EQ(b.GradientAngle(), 0.0f);
  EXPECT_EQ(b.GradientCenterX(), 0.5f);
  EXPECT_EQ(b.GradientCenterY(), 0.5f);
  EXPECT_EQ(b.CustomGradient(), nullptr);
  EXPECT_FALSE(b.Appears());
  EXPECT_TRUE(b == kAGNullBrush);
}

TEST(BrushFields, FractionsClampToUnitRangeAndRoundToThousandths) {
  struct Case { float in; int stored; };
  const Case cases[] = {{-1.0f, 0}, {kNaN, 0}, {0.0f, 0},      {0.0004f, 0}, {0.0006f, 1},
                        {0.3337f, 334}, {1.0f, 1000}, {1.5f, 1000}, {kInf, 1000}};
  for (const Case& c : cases) {
    AGBrush b;
    b.SetGradientBlend(c.in);
    b.SetGradientCenterX(c.in);
    b.SetGradientCenterY(c.in);
    EXPECT_EQ(Thousandths(b.GradientBlend()), c.stored) << c.in;
    EXPECT_EQ(Thousandths(b.GradientCenterX()), c.stored) << c.in;
    EXPECT_EQ(Thousandths(b.GradientCenterY()), c.stored) << c.in;
  }
}

TEST(BrushFields, AngleIsReducedIntoZeroToTwoPi) {
  struct Case { float in; int stored; };
  const Case cases[] = {{-kPiF / 2, 4712}, {k2PiF + 0.5f, 500}, {-0.25f, 6033}, {7 * kPiF, 3142},
                        {6.283f, 6283},    {k2PiF, 0},          {kNaN, 0},      {-kInf, 0}};
  for (const Case& c : cases) {
    AGBrush b;
    b.SetGradientAngle(c.in);
    EXPECT_EQ(Thousandths(b.GradientAngle()), c.stored) << c.in;
  }
}

TEST(BrushFields, IndexStyleAndFillModeAreClamped) {
  AGBrush b;
  const uint32_t indexIn[] = {0, 1, 53, 54, 0xFFFFFFFFu};
  const uint32_t indexOut[] = {1, 1, 53, 53, 53};
  for (int i = 0; i < 5; ++i) {
    b.SetPatternIndex(indexIn[i]);
    EXPECT_EQ(b.PatternIndex(), indexOut[i]);
  }
  b.SetStyle(5);
  EXPECT_EQ(b.Style(), kAGBrushStyleRadialGradient);
  EXPECT_EQ(AGBrush(0xFFFFFFFFu, 0, 0).Style(), kAGBrushStyleRadialGradient);
  b.SetFillMode(7);
  EXPECT_EQ(b.FillMode(), kAGBrushFillModeWinding);
  b.SetStylePattern(kAGColorRed, kAGColorBlue, 0);
  EXPECT_EQ(b.PatternIndex(), 1u);
}

// ---- Custom gradient ownership

TEST(BrushCustomGradient, SetFactorsCopiesBothArraysOrEmptiesThem) {
  float factors[] = {0.0f, 0.5f, 1.0f};
  float positions[] = {0.0f, 0.3f, 1.0f};
  AGBrushCustomGradient g;
  g.SetFactors(factors, positions, 3);
  factors[1] = 9.0f;  // the gradient holds its own copy
  ASSERT_EQ(g.FactorCount(), 3u);
  EXPECT_EQ(g.Factors()[1], 0.5f);
  EXPECT_EQ(g.Positions()[1], 0.3f);
  EXPECT_EQ(g.Bounds(), kAGNullRect);
  g.SetFactors(factors, nullptr, 3);
  EXPECT_EQ(g.FactorCount(), 0u);
  EXPECT_EQ(g.Factors(), nullptr);
  EXPECT_EQ(g.Positions(), nullptr);
}

TEST(BrushCustomGradient, CopiesOwnTheirGradientAndStyleSettersDropIt) {
  AGBrush a;
  a.SetStyleLinearGradient(kAGColorRed, kAGColorBlue, TwoStopGradient(), 1.0f);
  EXPECT_EQ(a.GradientBlend(), 0.5f);  // the custom form leaves the blend alone
  AGBrush b(a);
  AGBrush c;
  c = a;
  ASSERT_NE(b.CustomGradient(), nullptr);
  EXPECT_NE(b.CustomGradient(), a.CustomGradient());
  EXPECT_TRUE(b == a && c == a);
  c = c;  // self-assignment keeps the gradient
  ASSERT_NE(c.CustomGradient(), nullptr);
  EXPECT_EQ(c.CustomGradient()->FactorCount(), 2u);
  a.SetStyleRadialGradient(kAGColorRed, kAGColorBlue, *a.CustomGradient(), 0.1f, 0.9f);
  ASSERT_NE(a.CustomGradient(), nullptr);  // set from its own gradient
  EXPECT_EQ(a.CustomGradient()->Bounds(), (AGRect{0, 0, 10, 20}));
  a.SetStyleSolid(kAGColorRed);
  EXPECT_EQ(a.CustomGradient(), nullptr);
  EXPECT_NE(b.CustomGradient(), nullptr);
  EXPECT_FALSE(a == b);
}

// ---- Appears

TEST(BrushAppears, FollowsStyleAndTheAlphaOfTheColoursItUses) {
  struct Case { uint32_t style; AGColor c1, c2; bool appears; };
  const Case cases[] = {
      {kAGBrushStyleNone, kAGColorRed, kAGColorRed, false},
      {kAGBrushStyleSolid, 0xFF000001, 0, true},
      {kAGBrushStyleSolid, 0xFFFFFF00, 0x000000FF, false},  // second colour plays no part
      {kAGBrushStylePattern, 0xFFFFFF00, 0x000000FF, true},
      {kAGBrushStylePattern, 0xFFFFFF00, 0xFFFFFF00, false},
      {kAGBrushStyleLinearGradient, 0x000000FF, 0, true},
      {kAGBrushStyleLinearGradient, 0xFFFFFF00, 0, false},
      {kAGBrushStyleRadialGradient, 0, 0x00000010, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AGBrush(c.style, c.c1, c.c2).Appears(), c.appears) << c.style << " " << c.c1;
}

// ---- Pattern table

TEST(BrushPatterns, TilesHaveTheirShapesAndIndicesClamp) {
  auto row = [](uint32_t index, int k) { return (AGBrush::PatternTile(index) >> (8 * k)) & 0xFF; };
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(row(1, k), k == 7 ? 0xFFu : 0u);        // one full row
    EXPECT_EQ(row(2, k), 0x80u);                      // one column
    EXPECT_EQ(row(3, k), 1u << k);                    // diagonal ...
    EXPECT_EQ(row(4, k), 0x80u >> k);                 // ... and its mirror image
    EXPECT_EQ(row(13, k), (k % 2) ? 0xAAu : 0x55u);   // checkerboard
    EXPECT_EQ(row(27, k), 0x55u);                     // vertical stripes
  }
  for (int j = 1; j <= 3; ++j) EXPECT_EQ(row(53, 4 - j), row(53, 4 + j));  // diamond
  EXPECT_EQ(AGBrush::PatternTile(0), AGBrush::PatternTile(1));
  EXPECT_EQ(AGBrush::PatternTile(200), 0x10387CFE7C381000ull);
  EXPECT_EQ(AGBrush::PatternTile(36), 0xB130031BD8C00C8Dull);
  std::set<uint64_t> distinct;
  for (uint32_t i = 1; i <= AGBrush::kPatternCount; ++i) distinct.insert(AGBrush::PatternTile(i));
  EXPECT_EQ(distinct.size(), 53u);
}

// ---- Value form

TEST(BrushValueForm, WritesTheKeysOfItsStyleOnly) {
  struct Case { AGBrush brush; const char* word; uint32_t count; };
  AGBrush pattern, linear, radial;
  pattern.SetStylePattern(kAGColorRed, kAGColorBlue, 9);
  linear.SetStyleLinearGradient(kAGColorRed, kAGColorBlue, 0.25f, 1.5f);
  radial.SetStyleRadialGradient(kAGColorRed, kAGColorBlue, 0.3f, 0.2f, 0.7f);
  const Case cases[] = {{AGBrush(), "None", 1},
                        {AGBrush(kAGBrushStyleSolid, kAGColorRed, 0), "Solid", 2},
                        {pattern, "Pattern", 4},
                        {linear, "LinearGradient", 5},
                        {radial, "RadialGradient", 5}};  // "Center" holds "x" and "y"
  for (const Case& c : cases) {
    QVValue v;
    c.brush.WriteToValue(&v);
    const QVDictionary& d = QVValueGetasQVDictionary(v);
    EXPECT_EQ(d.Count(), c.count) << c.word;
    EXPECT_EQ(QVValueGetasQVString(d.GetValue("Style")), QVString(c.word));
    AGBrush back(kAGBrushStyleSolid, 1, 2);
    back.ReadFromValue(v);
    EXPECT_TRUE(back.Style() == c.brush.Style() && back.PatternIndex() == c.brush.PatternIndex() &&
                back.GradientBlend() == c.brush.GradientBlend() &&
                back.GradientAngle() == c.brush.GradientAngle() &&
                back.GradientCenterY() == c.brush.GradientCenterY())
        << c.word;
    if (c.brush.Style() != kAGBrushStyleNone) {
      EXPECT_EQ(back.Color(), c.brush.Color());
    }
  }
}

TEST(BrushValueForm, AngleTravelsInDegreesAndColoursAsText) {
  QVValue v;
  LinearSample().WriteToValue(&v);
  const QVDictionary& d = QVValueGetasQVDictionary(v);
  EXPECT_NEAR(QVValueGetasFloat32(d.GetValue("Angle"), false), 85.944f, 0.001f);
  EXPECT_EQ(QVValueGetasQVString(d.GetValue("Color")), QVString("(017;034;051;068)"));
}

TEST(BrushValueForm, ReadingClampsNumbersAndKeepsFieldsOfBadKeys) {
  QVDictionary d;
  EXPECT_EQ(d.SetValue("Style", QVValueSetasQVString("Pattern")), 0);
  EXPECT_EQ(d.SetValue("Color", QVValueSetasQVString("red")), 0);  // not a colour text
  EXPECT_EQ(d.SetValue("Color2", QVValueSetasAGColor(kAGColorGreen)), 0);
  const int64_t patternIn[] = {0, 99, -4, 1LL << 40, 17};
  const uint32_t patternOut[] = {1, 53, 1, 53, 17};
  for (int i = 0; i < 5; ++i) {
    AGBrush b(kAGBrushStyleNone, kAGColorBlue, 0);
    EXPECT_EQ(d.SetValue("Pattern", QVValueSetasSInt64(patternIn[i])), 0);
    EXPECT_TRUE(b.ReadFromValue(QVValueSetasQVDictionary(d)));
    EXPECT_EQ(b.PatternIndex(), patternOut[i]) << patternIn[i];
    EXPECT_EQ(b.Color(), kAGColorBlue);
    EXPECT_EQ(b.Color2(), kAGColorGreen);
  }
  d.Clear();
  EXPECT_EQ(d.SetValue("Style", QVValueSetasQVString("RadialGradient")), 0);
  EXPECT_EQ(d.SetValue("Blend", QVValueSetasFloat64(2.5)), 0);
  EXPECT_EQ(d.SetValue("Center.x", QVValueSetasQVString("0.25")), 0);  // a number only with convert
  EXPECT_EQ(d.SetValue("Center.y", QVValueSetasFloat64(-1.0)), 0);
  AGBrush b;
  b.ReadFromValue(QVValueSetasQVDictionary(d), false);
  EXPECT_EQ(b.Style(), kAGBrushStyleRadialGradient);
  EXPECT_EQ(b.GradientBlend(), 1.0f);
  EXPECT_EQ(b.GradientCenterX(), 0.5f);
  EXPECT_EQ(b.GradientCenterY(), 0.0f);
  b.ReadFromValue(QVValueSetasQVDictionary(d), true);
  EXPECT_EQ(b.GradientCenterX(), 0.25f);
  d.Clear();
  EXPECT_EQ(d.SetValue("Style", QVValueSetasQVString("LinearGradient")), 0);
  EXPECT_EQ(d.SetValue("Angle", QVValueSetasFloat64(-90.0)), 0);
  b.ReadFromValue(QVValueSetasQVDictionary(d));
  EXPECT_EQ(Thousandths(b.GradientAngle()), 4712);
}

TEST(BrushValueForm, UnreadableStyleOrNoDictionaryChangesNothingButTheGradient) {
  AGBrush ref = LinearSample();
  QVDictionary d;
  EXPECT_EQ(d.SetValue("Blend", QVValueSetasFloat64(0.9)), 0);
  const QVValue values[] = {QVValue(), QVValueSetasFloat64(1.0), QVValueSetasQVDictionary(d)};
  const QVValue styles[] = {QVValueSetasQVString("Hatched"), QVValueSetasQVString(""),
                            QVValueSetasSInt32(2)};
  auto check = [&](const QVValue& v) {
    AGBrush b = ref;
    b.SetStyleLinearGradient(ref.Color(), ref.Color2(), TwoStopGradient(), ref.GradientAngle());
    EXPECT_TRUE(b.ReadFromValue(v));
    EXPECT_TRUE(b == ref);
  };
  for (const QVValue& v : values) check(v);
  for (const QVValue& s : styles) {
    EXPECT_EQ(d.SetValue("Style", s), 0);
    check(QVValueSetasQVDictionary(d));
  }
}

// ---- File forms

TEST(BrushFileForm, WritesFortyExactBytesInEitherByteOrder) {
  const AGBytes big = {0x00, 0x03, 0x00, 0x01, 0x00, 0x07, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44,
                       0x55, 0x66, 0x77, 0x88, 0x3E, 0x80, 0x00, 0x00, 0x3F, 0xC0, 0x00, 0x00,
                       0x3F, 0x00, 0x00, 0x00, 0x3F, 0x40, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
  const AGBytes little = {0x03, 0x00, 0x01, 0x00, 0x07, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44,
                          0x55, 0x66, 0x77, 0x88, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0xC0, 0x3F,
                          0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x40, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0};
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    AGTestFile f(order);
    ASSERT_EQ(LinearSample().WriteToFile(f.File()), 0);
    EXPECT_EQ(f.Bytes(), order == QVFile::kEndianBig ? big : little);
    AGBrush back;
    back.SetStyleLinearGradient(0, 0, TwoStopGradient(), 0);
    ASSERT_EQ(back.ReadFromFile(f.File()), 0);
    EXPECT_TRUE(back == LinearSample());  // custom gradient dropped
    EXPECT_EQ(f.Pos(), AGBrush::kFileSize);
  }
}

TEST(BrushFileForm, ReadingClampsStoredValues) {
  AGTestFile f(QVFile::kEndianLittle);
  f.Put(AGByteBuilder(QVFile::kEndianLittle)
            .U16(9).U16(7).U16(200).U16(0xFFFF).U32(0).U32(0)
            .F32(kNaN).F32(-kPiF / 2).F32(3.0f).F32(-2.0f).Zeros(8)
            .Bytes());
  AGBrush b;
  ASSERT_EQ(b.ReadFromFile(f.File()), 0);
  EXPECT_EQ(b.Style(), kAGBrushStyleRadialGradient);
  EXPECT_EQ(b.FillMode(), kAGBrushFillModeWinding);
  EXPECT_EQ(b.PatternIndex(), 53u);
  EXPECT_EQ(b.GradientBlend(), 0.0f);
  EXPECT_EQ(Thousandths(b.GradientAngle()), 4712);
  EXPECT_EQ(b.GradientCenterX(), 1.0f);
  EXPECT_EQ(b.GradientCenterY(), 0.0f);
}

TEST(BrushFileForm, AFileNotOpenFailsAsNotOpenedAndLeavesTheNullBrush) {
  QVFile closed(QVFile::kTemporary);
  AGBrush b = LinearSample();
  EXPECT_EQ(b.ReadFromFile(closed), kQVErrFileNotOpened);
  EXPECT_TRUE(b == kAGNullBrush);
  b = LinearSample();
  EXPECT_EQ(b.ReadFromFile_OFF(closed), kQVErrFileNotOpened);
  EXPECT_TRUE(b == kAGNullBrush);
}

TEST(BrushFileForm, TruncatedFormsFailAndLeaveTheNullBrush) {
  AGTestFile f(QVFile::kEndianBig);
  ASSERT_EQ(LinearSample().WriteToFile(f.File()), 0);
  AGBytes whole = f.Bytes();
  for (size_t n : {0, 1, 9, 20, 33, 39}) {
    f.Put(AGBytes(whole.begin(), whole.begin() + n));
    AGBrush b = LinearSample();
    EXPECT_EQ(b.ReadFromFile(f.File()), kQVErrFileRead) << n;
    EXPECT_TRUE(b == kAGNullBrush) << n;
    f.Put(AGBytes(n * 64 / 40, 0));  // always short of the older 64 bytes
    b = LinearSample();
    EXPECT_EQ(b.ReadFromFile_OFF(f.File()), kQVErrFileRead) << n;
    EXPECT_TRUE(b == kAGNullBrush) << n;
  }
}

TEST(BrushFileForm, OlderFormCountsPatternsFromZeroAndAnglesInDegrees) {
  const uint16_t stored[] = {0, 6, 52, 99};
  const uint32_t index[] = {1, 7, 53, 53};
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    for (int i = 0; i < 4; ++i) {
      AGByteBuilder form(order);
      form.U16(2).U16(stored[i]).U16(1).U16(0);
      form.F32(1.0f).F32(0.5f).F32(-2.0f).F32(7.0f);  // older colour: floats
      form.F32(0.0f).F32(0.0f).F32(1.0f).F32(0.0f);
      form.F32(-90.0f).F32(0.25f).F32(0.1f).F32(0.9f).Zeros(8);
      AGTestFile f(order);
      f.Put(form.Bytes());
      AGBrush b;
      ASSERT_EQ(b.ReadFromFile_OFF(f.File()), 0);
      EXPECT_EQ(f.Pos(), AGBrush::kFileSize_OFF);
      EXPECT_EQ(b.PatternIndex(), index[i]);
      EXPECT_EQ(b.Style(), kAGBrushStylePattern);
      EXPECT_EQ(b.FillMode(), kAGBrushFillModeWinding);
      EXPECT_EQ(b.Color(), 0xFF8000FFu);
      EXPECT_EQ(b.Color2(), 0x0000FF00u);
      EXPECT_EQ(Thousandths(b.GradientAngle()), 4712);
      EXPECT_EQ(b.GradientBlend(), 0.25f);
      EXPECT_EQ(Thousandths(b.GradientCenterX()), 100);
      EXPECT_EQ(Thousandths(b.GradientCenterY()), 900);
    }
  }
}

// ---- Random variations

TEST(BrushRandom, DrawStaysNearTheCurrentValueWithinTheRange) {
  struct Case { double c, lo, hi, a, u, v; };
  const Case cases[] = {{50, 0, 100, 0.1, 40, 60},  {5, 0, 100, 0.1, 0, 15},
                        {150, 0, 100, 0.1, 0, 100}, {50, 0, 100, 1.0, 0, 100},
                        {50, 0, 100, -0.5, 0, 100}, {50, 0, 100, 0.0, 50, 50}};
  for (const Case& c : cases) {
    EXPECT_EQ(AGRandomSeed(1234), 1234u);
    std::srand(1234);  // the same sequence: one dropped number, then r
    std::rand();
    double r = std::rand();
    AGRandomSeed(1234);
    EXPECT_DOUBLE_EQ(AGRandomDraw(c.c, c.lo, c.hi, c.a), c.u + (c.v - c.u) * r / 2147483647.0);
  }
  EXPECT_NE(AGRandomSeed(0), 0u);  // the time
}

TEST(BrushRandom, RandomizeKeepsEveryFieldInRange) {
  std::set<int> styles;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    AGRandomSeed(seed);
    AGBrush b;
    b.SetStyleRadialGradient(0, 0, TwoStopGradient(), 0.5f, 0.5f);
    b.Randomize(1.0f);
    styles.insert(b.Style());
    EXPECT_EQ(b.CustomGradient(), nullptr);
    if (b.Style() != kAGBrushStyleNone) {
      EXPECT_GE(AGColorAlpha(b.Color()), 16u);
    }
    EXPECT_GE(b.PatternIndex(), 1u);
    EXPECT_LE(b.PatternIndex(), 53u);
    EXPECT_LT(b.GradientAngle(), k2PiF);
    EXPECT_LE(b.GradientBlend(), 1.0f);
    EXPECT_LE(b.GradientCenterY(), 1.0f);
  }
  EXPECT_EQ(styles.size(), 5u);
}

TEST(BrushRandom, SmallAmountKeepsStyleAndZeroAmountChangesNothing) {
  AGRandomSeed(99);
  AGBrush b = LinearSample();
  b.Randomize(0.0f);
  EXPECT_TRUE(b == LinearSample());
  for (uint32_t seed = 1; seed <= 50; ++seed) {
    AGRandomSeed(seed);
    b.Randomize(0.39f);
    EXPECT_EQ(b.Style(), kAGBrushStyleLinearGradient);
  }
}
