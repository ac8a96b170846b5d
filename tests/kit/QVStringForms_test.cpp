#include "kit/QVStringForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

// Each writer with the texts it must produce.
TEST(QVStringFormsWrite, NumbersColoursAndGeometry) {
  char b[kQVStrSetasMaxSize];
  struct Case {
    std::string got;
    const char* want;
  };
  const Case cases[] = {
      {strSetasSInt32(b, -2147483647 - 1), "-2147483648"},
      {strSetasUInt32(b, 4294967295u), "4294967295"},
      {strSetasBool(b, true), "1"},
      {strSetasBool(b, false), "0"},
      {strSetasSInt64(b, std::numeric_limits<int64_t>::min()), "-9223372036854775808"},
      {strSetasUInt64(b, std::numeric_limits<uint64_t>::max()), "18446744073709551615"},
      {strSetasFloat64(b, 2.5, -1), "2.500000"},
      {strSetasFloat64(b, 2.5, 0), "2"},  // round half to even
      {strSetasFloat64(b, 1.0 / 3.0, 3), "0.333"},
      {strSetasFloat64(b, 0.1, 20), "0.1000000000000000"},
      {strSetasFloat64(b, 0.1, 16), "0.1000000000000000"},
      {strSetasFloat32(b, 0.1f, 9), "0.100000001"},
      {strSetasFloat32(b, 1.5f, -5), "1.500000"},
      {strSetasAGPoint(b, AGPoint{1.5, -2.0}, 1), "(1.5;-2.0)"},
      {strSetasAGPoint(b, AGPoint{1.0, 2.0}, -1), "(1.000000;2.000000)"},
      {strSetasAGRect(b, AGRect{0, 1, 2.25, 3}, 2), "(0.00;1.00;2.25;3.00)"},
      {strSetasAGColor(b, 0x0A14FF80u, true), "(010;020;255;128)"},
      {strSetasAGColor(b, 0x0A14FF80u, false), "(010;020;255)"},
      {strSetasAGColorHex(b, 0x0A14FF80u, true), "0A14FF80"},
      {strSetasAGColorHex(b, 0x0A14FF80u, false), "0A14FF"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
  EXPECT_EQ(strSetasSInt32(b, 5), b);
}

TEST(QVStringFormsWrite, HugeRectangleFitsTheDocumentedBound) {
  char b[kQVStrSetasMaxSize];
  double big = -std::numeric_limits<double>::max();
  strSetasAGRect(b, AGRect{big, big, big, big}, 99);
  EXPECT_LT(std::strlen(b), kQVStrSetasMaxSize);
  EXPECT_EQ(b[std::strlen(b) - 1], ')');
}

TEST(QVStringFormsWrite, BoundedFormsCutAndTerminate) {
  char b[6];
  std::memset(b, '#', sizeof b);
  strSetasFloat64(b, sizeof b, 123.456, 3);
  EXPECT_STREQ(b, "123.4");
  strSetasDuration(b, sizeof b, 3723.5, 1);  // "1h02m03.5s"
  EXPECT_STREQ(b, "1h02m");
  strSetasTimeHMS(b, 3, 61.25, 2);
  EXPECT_STREQ(b, "0:");
  char untouched = '#';
  strSetasUInt64(&untouched, 0, 77);
  EXPECT_EQ(untouched, '#');
}

TEST(QVStringFormsWrite, TimeHMS) {
  struct Case {
    double seconds;
    int32_t decimals;
    const char* want;
  };
  const Case cases[] = {
      {0.0, 0, "0:00:00"},
      {3723.0, 0, "1:02:03"},
      {3723.456, 1, "1:02:03.5"},
      {3723.456, 2, "1:02:03.46"},
      {3723.456, 3, "1:02:03.456"},
      {3723.456, 9, "1:02:03.456"},
      {59.96, 1, "0:01:00.0"},  // rounding carries into the minutes
      {59.6, 0, "0:01:00"},
      {-3630.0, 0, "-1:00:30"},
      {-30.0, 0, "-0:00:30"},
      {-0.0001, 0, "0:00:00"},
      {3600000.0, 3, "1000:00:00.000"},  // beyond 32 bits in milliseconds
      {std::nan(""), 0, "0:00:00"},
  };
  char b[64];
  for (const Case& c : cases) {
    EXPECT_STREQ(strSetasTimeHMS(b, c.seconds, c.decimals), c.want) << c.seconds;
  }
}

TEST(QVStringFormsWrite, Duration) {
  struct Case {
    double seconds;
    int32_t decimals;
    const char* want;
  };
  const Case cases[] = {
      {3723.5, 1, "1h02m03.5s"}, {125.0, 0, "2m05s"},    {7.0, 0, "7s"},
      {7.0, 2, "7.00s"},         {60.0, 0, "1m00s"},     {3600.0, 0, "1h00m00s"},
      {-5.0, 1, "0.0s"},         {0.25, 5, "0.250s"},    {59.999, 2, "1m00.00s"},
  };
  char b[64];
  for (const Case& c : cases) {
    EXPECT_STREQ(strSetasDuration(b, c.seconds, c.decimals), c.want) << c.seconds;
  }
}

TEST(QVStringFormsWrite, MemoryUnits) {
  struct Case {
    int64_t millions, thousands, bytes;
    const char* want;
  };
  const Case cases[] = {
      {0, 0, 999, "999 Bytes"},
      {0, 0, 1500, "1.5 KB"},
      {0, 0, 10000, "10.0 KB"},
      {0, 0, 10001, "10 KB"},
      {0, 1, 0, "1.0 KB"},
      {2, 500, 0, "2.5 MB"},
      {0, 0, 0, "0 Bytes"},
      {-4, -1, -100, "0 Bytes"},
      {3000, 0, 0, "3.0 GB"},
      {45000000, 0, 0, "45 TB"},
      {0, 0, int64_t(1) << 40, "1.1 TB"},
  };
  char b[64];
  for (const Case& c : cases) {
    EXPECT_STREQ(strSetasMemory(b, c.millions, c.thousands, c.bytes), c.want) << c.want;
  }
}

TEST(QVStringFormsRead, IntegersAcceptWhatStrtolAccepts) {
  int32_t i = 0;
  EXPECT_TRUE(strGetasSInt32("  -42", &i, 7));
  EXPECT_EQ(i, -42);
  EXPECT_TRUE(strGetasSInt32("12abc", &i, 7));
  EXPECT_EQ(i, 12);
  EXPECT_TRUE(strGetasSInt32("+2147483647", &i, 7));
  EXPECT_EQ(i, 2147483647);
  uint32_t u = 0;
  EXPECT_TRUE(strGetasUInt32("4294967295", &u, 7));
  EXPECT_EQ(u, 4294967295u);
  EXPECT_TRUE(strGetasUInt32("-0", &u, 7));
  EXPECT_EQ(u, 0u);
  int64_t l = 0;
  EXPECT_TRUE(strGetasSInt64("-9223372036854775808", &l, 7));
  EXPECT_EQ(l, std::numeric_limits<int64_t>::min());
  uint64_t ul = 0;
  EXPECT_TRUE(strGetasUInt64("18446744073709551615", &ul, 7));
  EXPECT_EQ(ul, std::numeric_limits<uint64_t>::max());
  bool flag = false;
  EXPECT_TRUE(strGetasBool(" 1", &flag, false));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(strGetasBool("0", &flag, true));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(strGetasSInt32("9", nullptr, 0));
}

TEST(QVStringFormsRead, IntegerFailuresStoreTheDefault) {
  const char* signedBad[] = {nullptr, "", "abc", "  ", "-", "+x", "2147483648", "-2147483649",
                             "99999999999999999999"};
  for (const char* text : signedBad) {
    int32_t v = 1;
    EXPECT_FALSE(strGetasSInt32(text, &v, 55)) << (text ? text : "null");
    EXPECT_EQ(v, 55);
  }
  const char* unsignedBad[] = {"-1", " -7", "4294967296", "x1"};
  for (const char* text : unsignedBad) {
    uint32_t v = 1;
    EXPECT_FALSE(strGetasUInt32(text, &v, 55)) << text;
    EXPECT_EQ(v, 55u);
  }
  int64_t l = 1;
  EXPECT_FALSE(strGetasSInt64("9223372036854775808", &l, 55));
  EXPECT_EQ(l, 55);
  uint64_t ul = 1;
  EXPECT_FALSE(strGetasUInt64("-1", &ul, 55));
  EXPECT_FALSE(strGetasUInt64("18446744073709551616", &ul, 55));
  EXPECT_EQ(ul, 55u);
  const char* boolBad[] = {"2", "-1", "true", ""};
  for (const char* text : boolBad) {
    bool v = false;
    EXPECT_FALSE(strGetasBool(text, &v, true)) << text;
    EXPECT_TRUE(v);
  }
}

TEST(QVStringFormsRead, FloatsAndTheirFailures) {
  double d = 0;
  EXPECT_TRUE(strGetasFloat64(" 2.75e2xyz", &d, -1));
  EXPECT_DOUBLE_EQ(d, 275.0);
  float f = 0;
  EXPECT_TRUE(strGetasFloat32("-0.5", &f, -1));
  EXPECT_FLOAT_EQ(f, -0.5f);
  const char* bad[] = {nullptr, "", ".", "e5", "1e999", "--1"};
  for (const char* text : bad) {
    d = 0;
    EXPECT_FALSE(strGetasFloat64(text, &d, 9.5)) << (text ? text : "null");
    EXPECT_EQ(d, 9.5);
  }
  EXPECT_FALSE(strGetasFloat32("1e50", &f, 3.5f));
  EXPECT_EQ(f, 3.5f);
}

TEST(QVStringFormsRead, PointsAndRectanglesNeedEveryNumber) {
  AGPoint p{};
  EXPECT_TRUE(strGetasAGPoint("(1.5;-2)", &p, AGPoint{9, 9}));
  EXPECT_EQ(p, (AGPoint{1.5, -2.0}));
  EXPECT_FALSE(strGetasAGPoint("(1.5)", &p, AGPoint{9, 9}));
  EXPECT_EQ(p, (AGPoint{9, 9}));
  EXPECT_FALSE(strGetasAGPoint("1.5;2", &p, AGPoint{8, 8}));
  AGRect r{};
  EXPECT_TRUE(strGetasAGRect("( 0;1; 2.5;3)", &r, kAGNullRect));
  EXPECT_EQ(r, (AGRect{0, 1, 2.5, 3}));
  EXPECT_FALSE(strGetasAGRect("(0;1;2)", &r, AGRect{4, 4, 4, 4}));
  EXPECT_EQ(r, (AGRect{4, 4, 4, 4}));
  // What the writers produce reads back.
  char b[kQVStrSetasMaxSize];
  AGRect back{};
  EXPECT_TRUE(strGetasAGRect(strSetasAGRect(b, AGRect{-1.25, 2, 3, 4.5}, 3), &back, kAGNullRect));
  EXPECT_EQ(back, (AGRect{-1.25, 2, 3, 4.5}));
}

TEST(QVStringFormsRead, ColoursClampDefaultAlphaAndNeedExactHex) {
  using Reader = bool (*)(const char*, AGColor*, AGColor);
  struct Case {
    Reader read;
    const char* text;
    bool ok;
    AGColor color;
  };
  const AGColor def = 0x11223344u;
  const Case cases[] = {
      {strGetasAGColor, "(300;0;0)", true, 0xFF0000FFu},
      {strGetasAGColor, "(1;2;3;4)", true, 0x01020304u},
      {strGetasAGColor, "(010;020;255;128)", true, 0x0A14FF80u},
      {strGetasAGColor, "(1;2;3;999)", true, 0x010203FFu},
      {strGetasAGColor, "(1;2)", false, def},
      {strGetasAGColor, "1;2;3", false, def},
      {strGetasAGColorHex, "FF0000", true, 0xFF0000FFu},
      {strGetasAGColorHex, "0a14ff80", true, 0x0A14FF80u},
      {strGetasAGColorHex, "FFFFFFFF", true, 0xFFFFFFFFu},
      {strGetasAGColorHex, "FFF", false, def},
      {strGetasAGColorHex, "FF00000", false, def},
      {strGetasAGColorHex, "FF0000FF00", false, def},
      {strGetasAGColorHex, "0x00FF00", false, def},
      {strGetasAGColorHex, " FF0000", false, def},
      {strGetasAGColorHex, "GG0000", false, def},
      {strGetasAGColorHex, "", false, def},
  };
  for (const Case& c : cases) {
    AGColor got = 0;
    EXPECT_EQ(c.read(c.text, &got, def), c.ok) << c.text;
    EXPECT_EQ(got, c.color) << c.text;
  }
}

TEST(QVStringFormsRead, TimeHMSInThreeShapes) {
  struct Case {
    const char* text;
    bool ok;
    double seconds;
  };
  const Case cases[] = {
      {"1:02:03.5", true, 3723.5}, {"2:05", true, 125.0},     {"42.25", true, 42.25},
      {"-1:00:30", true, -3630.0}, {"-0:00:30", true, -30.0}, {"-2:05", true, -125.0},
      {"-7.5", true, -7.5},        {"abc", false, -1.0},      {"--5", false, -1.0},
      {"", false, -1.0},
  };
  for (const Case& c : cases) {
    double got = 0;
    EXPECT_EQ(strGetasTimeHMS(c.text, &got, -1.0), c.ok) << c.text;
    EXPECT_DOUBLE_EQ(got, c.seconds) << c.text;
  }
  // The writer's texts read back.
  char b[64];
  for (double t : {-3723.5, -30.0, 0.0, 45296.125}) {
    double got = 0;
    EXPECT_TRUE(strGetasTimeHMS(strSetasTimeHMS(b, t, 3), &got, 1e9));
    EXPECT_DOUBLE_EQ(got, t) << b;
  }
}

TEST(QVStringFormsRead, PrepareFloatScanfCopiesAtMost127Bytes) {
  char dst[kQVFloatScanfSize];
  std::string longText(300, '7');
  strPrepareFloatScanf(dst, longText.c_str());
  EXPECT_EQ(std::strlen(dst), kQVFloatScanfSize - 1);
  EXPECT_STREQ(strPrepareFloatScanf(dst, nullptr), "");
  // The tests run under the C locale, whose separator is the point.
  EXPECT_STREQ(strPrepareFloatScanf(dst, "1.5;2.5"), "1.5;2.5");
  // A comma written under a comma locale becomes the point.
  EXPECT_STREQ(strPrepareFloatScanf(dst, "(1,5;-2,25)"), "(1.5;-2.25)");
  double real = 0.0;
  EXPECT_TRUE(strGetasFloat64("-1234,5625", &real, 0.0));
  EXPECT_EQ(real, -1234.5625);
}

}  // namespace
