// The number text forms under a locale whose decimal separator is a comma
// (fr_FR.UTF-8, made by tools/bootstrap.sh). A program of its own, as it
// changes the process's locale; the kit's separator test, made once per
// process, is made again after each change.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "kit/QVStringForms.h"
#include "kit/QVStringForms_p.h"

namespace {

constexpr const char* kCommaLocale = "fr_FR.UTF-8";

// Switches the numeric locale and has the kit test its separator again.
bool UseNumericLocale(const char* name) {
  if (!std::setlocale(LC_NUMERIC, name)) return false;
  QVStringFormsRetestDecimalSeparator();
  return true;
}

class DecimalComma : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UseNumericLocale(kCommaLocale)) {
      GTEST_SKIP() << kCommaLocale
                   << " is not a locale of this machine (tools/bootstrap.sh makes it with "
                      "localedef -i fr_FR -f UTF-8 fr_FR.UTF-8)";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  }
  void TearDown() override { UseNumericLocale("C"); }
};

// The texts the printers write under the comma locale.
struct Written {
  std::string real;
  std::string single;
  std::string point;
  std::string rect;
  std::string time;
};

Written WriteSamples() {
  char buf[kQVStrSetasMaxSize];
  Written w;
  w.real = strSetasFloat64(buf, -1234.5625, 4);
  w.single = strSetasFloat32(buf, 0.75f, 2);
  w.point = strSetasAGPoint(buf, AGPoint{1.5, -2.25}, 2);
  w.rect = strSetasAGRect(buf, AGRect{0.5, 1.0, 2.75, -3.125}, 3);
  w.time = strSetasTimeHMS(buf, 3723.25, 2);
  return w;
}

// Reads every sample back and checks the values, whatever the locale.
void ExpectSamplesReadBack(const Written& w) {
  double real = 0.0;
  EXPECT_TRUE(strGetasFloat64(w.real.c_str(), &real, 0.0)) << w.real;
  EXPECT_EQ(real, -1234.5625) << w.real;
  float single = 0.0f;
  EXPECT_TRUE(strGetasFloat32(w.single.c_str(), &single, 0.0f)) << w.single;
  EXPECT_EQ(single, 0.75f) << w.single;
  AGPoint point{};
  EXPECT_TRUE(strGetasAGPoint(w.point.c_str(), &point, kAGNullPoint)) << w.point;
  EXPECT_EQ(point.x, 1.5);
  EXPECT_EQ(point.y, -2.25);
  AGRect rect{};
  EXPECT_TRUE(strGetasAGRect(w.rect.c_str(), &rect, kAGNullRect)) << w.rect;
  EXPECT_EQ(rect.x1, 0.5);
  EXPECT_EQ(rect.y1, 1.0);
  EXPECT_EQ(rect.x2, 2.75);
  EXPECT_EQ(rect.y2, -3.125);
  double time = 0.0;
  EXPECT_TRUE(strGetasTimeHMS(w.time.c_str(), &time, 0.0)) << w.time;
  EXPECT_EQ(time, 3723.25) << w.time;
}

TEST_F(DecimalComma, PrintersWriteTheLocalesSeparator) {
  Written w = WriteSamples();
  EXPECT_EQ(w.real, "-1234,5625");
  EXPECT_EQ(w.single, "0,75");
  EXPECT_EQ(w.point, "(1,50;-2,25)");
  EXPECT_EQ(w.rect, "(0,500;1,000;2,750;-3,125)");
  // The time's fraction is written by the kit itself, always with a point.
  EXPECT_EQ(w.time, "1:02:03.25");
}

TEST_F(DecimalComma, TextWrittenUnderTheCommaLocaleReadsBackUnderIt) {
  ExpectSamplesReadBack(WriteSamples());
}

TEST_F(DecimalComma, TextWrittenUnderTheCommaLocaleReadsBackUnderC) {
  Written w = WriteSamples();
  ASSERT_TRUE(UseNumericLocale("C"));
  ExpectSamplesReadBack(w);
}

TEST_F(DecimalComma, TextWrittenUnderCReadsBackUnderTheCommaLocale) {
  ASSERT_TRUE(UseNumericLocale("C"));
  Written w = WriteSamples();
  EXPECT_EQ(w.real, "-1234.5625");
  EXPECT_EQ(w.point, "(1.50;-2.25)");
  ASSERT_TRUE(UseNumericLocale(kCommaLocale));
  ExpectSamplesReadBack(w);
}

// The separator test is made once and kept: a locale changed behind the
// kit's back is not seen until the test is made again.
TEST_F(DecimalComma, TheSeparatorTestIsKeptUntilMadeAgain) {
  char buf[kQVFloatScanfSize];
  EXPECT_STREQ(strPrepareFloatScanf(buf, "1.5"), "1,5");
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  EXPECT_STREQ(strPrepareFloatScanf(buf, "1.5"), "1,5");
  QVStringFormsRetestDecimalSeparator();
  EXPECT_STREQ(strPrepareFloatScanf(buf, "1.5"), "1.5");
}

}  // namespace
