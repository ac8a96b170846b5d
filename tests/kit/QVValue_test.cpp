// Values: ownership, conversions, and the typed value forms.
#include "kit/QVValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kit/QVDictionary.h"
#include "kit/QVFilePath.h"

namespace {

QVValue Text(const char* s) { return QVValueSetasQVString(s); }
QVValue Real(double f) { return QVValueSetasFloat64(f); }
QVValue Int(int64_t i) { return QVValueSetasSInt64(i); }

// ---------------------------------------------------------------- ownership

TEST(QVValueOwnership, CopiesAreDeepAndClearEmpties) {
  QVValueArray inner(1);
  inner[0] = Text("x");
  QVValue original = QVValueSetasQVValueArray(inner);
  QVValue copy = original;
  (*copy.GetasQVValueArray())[0] = Text("y");
  EXPECT_EQ(QVValueGetasQVString((*original.GetasQVValueArray())[0]), "x");
  EXPECT_FALSE(copy.IsEqual(original));

  copy.Clear();
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_EQ(copy.GetasQVValueArray(), nullptr);
  EXPECT_TRUE(copy.IsEqual(QVValue()));
}

TEST(QVValueOwnership, SettingFromItsOwnPayloadKeepsTheData) {
  QVValue v = Text("same");
  const QVString* held = v.GetasQVString();
  v.SetasQVString(*held);
  EXPECT_EQ(v.GetasQVString(), held);  // the very string: nothing changed
  v = v;
  EXPECT_EQ(QVValueGetasQVString(v), "same");

  // Parts of the old payload become the new payload.
  QVValueArray outer(2);
  outer[0] = Int(42);
  outer[1] = QVValueSetasQVValueArray(QVValueArray(3, Text("in")));
  v.SetasQVValueArray(outer);
  v.SetasQVValueArray(*(*v.GetasQVValueArray())[1].GetasQVValueArray());
  EXPECT_EQ(v.GetasQVValueArray()->size(), 3u);
  v = (*v.GetasQVValueArray())[0];
  EXPECT_EQ(QVValueGetasQVString(v), "in");

  v.SetasQVValueArray(outer);
  v = (*v.GetasQVValueArray())[0];  // a scalar inside the old payload
  EXPECT_EQ(QVValueGetasSInt64(v, false), 42);
  v.SetasQVValueArray(outer);
  v = std::move((*v.GetasQVValueArray())[1]);
  EXPECT_EQ(v.GetasQVValueArray()->size(), 3u);

  QVValueArray big(4, Int(1));
  big[0] = QVValueSetasQVValueArray(QVValueArray(2, Text("in")));
  big = *big[0].GetasQVValueArray();
  ASSERT_EQ(big.size(), 2u);
  EXPECT_EQ(QVValueGetasQVString(big[1]), "in");

  const char bytes[] = "block";
  v.SetasBinary(bytes, 5);
  const void* data = nullptr;
  uint32_t length = 0;
  ASSERT_TRUE(v.GetasBinary(data, length));
  v.SetasBinary(data, length);
  ASSERT_TRUE(v.GetasBinary(data, length));
  EXPECT_EQ(std::string(static_cast<const char*>(data), length), "block");
  v.SetasBinary(nullptr, 9);
  ASSERT_TRUE(v.GetasBinary(data, length));
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(length, 0u);
}

TEST(QVValueOwnership, EqualityFollowsTypeAndPayload) {
  EXPECT_FALSE(Int(1).IsEqual(Real(1.0)));
  EXPECT_FALSE(Int(1).IsEqual(QVValueSetasBool(true)));
  EXPECT_TRUE(Real(0.0).IsEqual(Real(-0.0)));
  QVValue nan = Real(std::nan(""));
  EXPECT_FALSE(nan.IsEqual(Real(std::nan(""))));
  EXPECT_TRUE(nan.IsEqual(nan));  // the same object
  EXPECT_FALSE(Text("a").IsEqual(Text("A")));
  EXPECT_FALSE(QVValueSetasBinary("ab", 2).IsEqual(QVValueSetasBinary("abc", 3)));
  EXPECT_TRUE(QVValueSetasBinary("ab", 2).IsEqual(QVValueSetasBinary("abc", 2)));
  EXPECT_TRUE(QVValueSetasBinary(nullptr, 0).IsEqual(QVValueSetasBinary("x", 0)));
  EXPECT_FALSE(QVValueSetasBinary(nullptr, 0).IsEqual(QVValue()));
}

// ---------------------------------------------------------------- conversions

struct IntegerCase {
  const char* name;
  QVValue value;
  bool convert;
  bool ok;
  int64_t expected;
};

TEST(QVValueConversions, IntegerReadingRoundsRealsButTextStopsAtThePoint) {
  const IntegerCase cases[] = {
      {"text 1.5", Text("1.5"), true, true, 1},
      {"real 1.5", Real(1.5), true, true, 2},
      {"real -1.5", Real(-1.5), true, true, -2},
      {"real 2.49", Real(2.49), true, true, 2},
      {"text 12abc", Text("12abc"), true, true, 12},
      {"text .5 as real", Text(".5"), true, true, 1},
      {"text word", Text("true"), true, false, 0},
      {"bool", QVValueSetasBool(true), true, true, 1},
      {"real NaN", Real(std::nan("")), true, false, 0},
      {"real beyond 64 bits", Real(1e19), true, false, 0},
      {"text without convert", Text("3"), false, false, 0},
      {"real without convert", Real(3.0), false, false, 0},
      {"array", QVValueSetasQVValueArray(QVValueArray(1)), true, false, 0},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE(c.name);
    int64_t out = -99;
    EXPECT_EQ(c.value.GetasInteger(out, c.convert), c.ok);
    EXPECT_EQ(out, c.ok ? c.expected : -99);
  }
}

TEST(QVValueConversions, BoolAndFloatReading) {
  bool b = false;
  EXPECT_TRUE(Text("2").GetasBool(b, true) && b);
  EXPECT_TRUE(Text("0.5").GetasBool(b, true));  // integer reading gives 0 first
  EXPECT_FALSE(b);
  EXPECT_FALSE(Text("e").GetasBool(b, true));
  EXPECT_FALSE(Text("yes").GetasBool(b, true));
  EXPECT_TRUE(Real(0.25).GetasBool(b, true) && b);
  EXPECT_TRUE(Int(0).GetasBool(b, true));
  EXPECT_FALSE(b);
  EXPECT_FALSE(Int(1).GetasBool(b, false));

  double f = -1.0;
  EXPECT_FALSE(Text("12").GetasFloat(f, false));
  EXPECT_EQ(f, -1.0);
  EXPECT_TRUE(Text("12").GetasFloat(f, true));
  EXPECT_EQ(f, 12.0);
  EXPECT_EQ(QVValueGetasFloat64(Text("12"), true), 12.0);
  EXPECT_EQ(QVValueGetasFloat64(Text("12"), false), 0.0);
  EXPECT_EQ(QVValueGetasFloat64(Int(-3), true), -3.0);
  EXPECT_EQ(QVValueGetasFloat64(QVValueSetasBool(true), true), 1.0);
  EXPECT_FALSE(QVValue().GetasFloat(f, true));
}

TEST(QVValueForms, IntegersAreTruncatedToTheirWidth) {
  EXPECT_EQ(QVValueGetasSInt8(Int(300), false), 44);
  EXPECT_EQ(QVValueGetasSInt16(Int(70000), false), 4464);
  EXPECT_EQ(QVValueGetasUInt8(Int(263), false), 7);
  EXPECT_EQ(QVValueGetasSInt32(Real(2.5), true), 3);

  uint32_t u = 77;
  EXPECT_FALSE(QVValueGetasUInt32(Int(-1), u, false));
  EXPECT_EQ(u, 77u);
  EXPECT_EQ(QVValueGetasUInt64(Int(-1), false), 0u);

  // Widths are extended by their signedness when stored.
  EXPECT_EQ(QVValueGetasSInt64(QVValueSetasSInt8(-1), false), -1);
  EXPECT_EQ(QVValueGetasSInt64(QVValueSetasUInt8(255), false), 255);
  EXPECT_EQ(QVValueGetasSInt64(QVValueSetasUInt32(0xFFFFFFFFu), false), 4294967295LL);
  EXPECT_EQ(QVValueGetasUInt64(QVValueSetasUInt64(1ull << 62), false), 1ull << 62);
  EXPECT_EQ(QVValueSetasUInt16(1).Type(), kQVValueTypeInteger);

  EXPECT_EQ(QVValueSetasFloat32(0.5f).Type(), kQVValueTypeFloat);
  EXPECT_EQ(QVValueGetasFloat32(Real(1e300), false), std::numeric_limits<float>::infinity());
  EXPECT_EQ(QVValueGetasFloat32(Real(0.1), false), 0.1f);
  EXPECT_EQ(QVValueGetasAGCoord(Text("-2.25"), true), -2.25);
}

// ---------------------------------------------------------------- geometry

TEST(QVValueForms, GeometryIsADictionaryOfNamedReals) {
  const AGRect rect = {1, 2, 3.5, -4};
  QVValue v = QVValueSetasAGRect(rect);
  const QVDictionary& d = QVValueGetasQVDictionary(v);
  QVString key;
  QVValue entry;
  const char* expected[] = {"x1", "x2", "y1", "y2"};
  ASSERT_EQ(d.Count(), 4u);
  for (uint32_t i = 0; i < 4; i++) {
    ASSERT_TRUE(d.GetKeyAndValueByIndex(i, &key, &entry));
    EXPECT_EQ(key, expected[i]);
    EXPECT_EQ(entry.Type(), kQVValueTypeFloat);
  }
  EXPECT_EQ(QVValueGetasAGRect(v, false), rect);
  EXPECT_EQ(QVValueGetasAGPoint(QVValueSetasAGPoint({-1, 8}), false), (AGPoint{-1, 8}));
  EXPECT_EQ(QVValueGetasAGSize(QVValueSetasAGSize({3, 4}), false), (AGSize{3, 4}));
  EXPECT_EQ(QVValueGetasAGInterval(QVValueSetasAGInterval({5, 6}), false), (AGInterval{5, 6}));

  // Text entries read only with convert; a missing entry writes nothing.
  QVDictionary texts;
  EXPECT_EQ(texts.SetValue("x", Text("7")), 0);
  EXPECT_EQ(texts.SetValue("y", Text("8.5")), 0);
  QVValue tv = QVValueSetasQVDictionary(texts);
  AGPoint p = {-1, -1};
  EXPECT_FALSE(QVValueGetasAGPoint(tv, p, false));
  EXPECT_EQ(p, (AGPoint{-1, -1}));
  EXPECT_TRUE(QVValueGetasAGPoint(tv, p, true));
  EXPECT_EQ(p, (AGPoint{7, 8.5}));
  EXPECT_EQ(texts.RemoveValue("y"), 0);
  EXPECT_FALSE(QVValueGetasAGPoint(QVValueSetasQVDictionary(texts), p, true));
  EXPECT_EQ(p, (AGPoint{7, 8.5}));
  EXPECT_EQ(QVValueGetasAGSize(QVValueSetasQVDictionary(QVDictionary()), true), kAGNullSize);
  EXPECT_EQ(QVValueGetasAGRect(Text("(1;2;3;4)"), true), kAGNullRect);
}

TEST(QVValueForms, ColoursAreStoredAsDecimalComponentText) {
  QVValue v = QVValueSetasAGColor(0x0A141EFFu);
  EXPECT_EQ(QVValueGetasQVString(v), "(010;020;030;255)");
  EXPECT_EQ(QVValueGetasAGColor(v), 0x0A141EFFu);
  EXPECT_EQ(QVValueGetasAGColor(Text("(300;0;0)")), 0xFF0000FFu);
  AGColor c = 0x12345678u;
  EXPECT_FALSE(QVValueGetasAGColor(Int(5), c, true));
  EXPECT_FALSE(QVValueGetasAGColor(Text("red"), c, true));
  EXPECT_EQ(c, 0x12345678u);
  EXPECT_EQ(QVValueGetasAGColor(Text("red")), kAGNullColor);
}

struct PlacementCase {
  AGPlacement written;
  const char* h;
  const char* v;
  AGPlacement read;
};

TEST(QVValueForms, PlacementWordsPickTheStrongestFlagAndStretchReadsWithCentre) {
  const PlacementCase cases[] = {
      {0x00, "Left", "Bottom", 0x00},    {0x01, "Center", "Bottom", 0x01},
      {0x03, "Right", "Bottom", 0x02},   {0x04, "Stretch", "Bottom", 0x05},
      {0x05, "Stretch", "Bottom", 0x05}, {0x10, "Left", "Center", 0x10},
      {0x30, "Left", "Top", 0x20},       {0x40, "Left", "Stretch", 0x50},
      {0x62, "Right", "Stretch", 0x52},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.written);
    QVValue v = QVValueSetasAGPlacement(c.written);
    const QVDictionary& d = QVValueGetasQVDictionary(v);
    EXPECT_EQ(QVValueGetasQVString(d.GetValue("h")), c.h);
    EXPECT_EQ(QVValueGetasQVString(d.GetValue("v")), c.v);
    EXPECT_EQ(QVValueGetasAGPlacement(v), c.read);
  }
  QVDictionary odd;
  EXPECT_EQ(odd.SetValue("h", Text("Sideways")), 0);
  EXPECT_EQ(odd.SetValue("v", Text("Top")), 0);
  EXPECT_EQ(QVValueGetasAGPlacement(QVValueSetasQVDictionary(odd)), 0x20u);
  EXPECT_EQ(odd.SetValue("v", Int(1)), 0);
  AGPlacement p = 0x11;
  EXPECT_FALSE(QVValueGetasAGPlacement(QVValueSetasQVDictionary(odd), p));
  EXPECT_EQ(p, 0x11u);
}

// ---------------------------------------------------------------- UTF-16 text

TEST(QVValueForms, UniCharsAreHexUnitsSeparatedBySemicolons) {
  QVUniChars chars = {0x41, 0xE9, 0xE01C};
  QVValue v = QVValueSetasQVUniChars(chars);
  EXPECT_EQ(QVValueGetasQVString(v), "0041;00E9;E01C");
  EXPECT_EQ(QVValueGetasQVUniChars(v), chars);
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasQVUniChars(QVUniChars())), "");

  QVUniChars out = {1, 2};
  EXPECT_TRUE(QVValueGetasQVUniChars(Text(" 41 , e9;0x7A"), out));
  EXPECT_EQ(out, (QVUniChars{0x41, 0xE9, 0x7A}));
  EXPECT_TRUE(QVValueGetasQVUniChars(Text(""), out));
  EXPECT_TRUE(out.IsEmpty());

  for (const char* bad : {"0041;0", "0041;", "zz", "10041", "-1"}) {
    SCOPED_TRACE(bad);
    out = {1, 2};
    EXPECT_FALSE(QVValueGetasQVUniChars(Text(bad), out));
    EXPECT_TRUE(out.IsEmpty());
  }
  out = {1};
  EXPECT_FALSE(QVValueGetasQVUniChars(QVValue(), out));
  EXPECT_TRUE(out.IsEmpty());
}

// ---------------------------------------------------------------- enums, flags

const QVValueEnums kLineTypes[] = {{0, "None"}, {1, "Sustained"}, {2, "Iterated"}, {0, ""}};
const QVValueEnums kStyles[] = {{1, "Bold"}, {2, "Italic"}, {0, "Plain"}, {0, ""}};
const QVValueEnums kNoZero[] = {{1, "Bold"}, {6, "Wide"}, {0, ""}};

TEST(QVValueForms, EnumerationsAreStoredAsWords) {
  uint32_t index = 0;
  EXPECT_TRUE(QVValueEnumsFindEnum(kLineTypes, 2, index));
  EXPECT_EQ(index, 2u);
  EXPECT_FALSE(QVValueEnumsFindEnum(kLineTypes, 3, index));
  EXPECT_EQ(index, kQVValueEnumsNotFound);
  EXPECT_FALSE(QVValueEnumsFindWord(kLineTypes, "", index));
  EXPECT_FALSE(QVValueEnumsFindWord(kLineTypes, "none", index));
  EXPECT_FALSE(QVValueEnumsFindEnum(nullptr, 0, index));

  EXPECT_EQ(QVValueGetasQVString(QVValueSetasEnum(2, kLineTypes)), "Iterated");
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasEnum(9, kLineTypes)), "");
  uint32_t n = 5;
  EXPECT_TRUE(QVValueGetasEnum(Text("Sustained"), n, kLineTypes));
  EXPECT_EQ(n, 1u);
  EXPECT_TRUE(QVValueGetasEnum(Text("Bogus"), n, kLineTypes));
  EXPECT_EQ(n, 0u);
  n = 5;
  EXPECT_FALSE(QVValueGetasEnum(Int(1), n, kLineTypes));
  EXPECT_EQ(n, 5u);
}

TEST(QVValueForms, FlagsListEveryContainedEntry) {
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasFlags(0x03, kStyles)), "Bold Italic Plain");
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasFlags(0x00, kStyles)), "Plain");
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasFlags(0x02, kStyles)), "Italic Plain");
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasFlags(0x00, kNoZero)), "");
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasFlags(0x05, kNoZero)), "Bold");
  EXPECT_EQ(QVValueGetasQVString(QVValueSetasFlags(0x07, kNoZero)), "Bold Wide");

  EXPECT_EQ(QVValueGetasFlags(Text("Bold  Italic Foo"), kStyles), 0x03u);
  EXPECT_EQ(QVValueGetasFlags(Text("Wide"), kNoZero), 0x06u);
  EXPECT_EQ(QVValueGetasFlags(Text(" Bold,Italic"), kStyles), 0u);  // nothing trimmed
  uint32_t flags = 9;
  EXPECT_FALSE(QVValueGetasFlags(Real(1), flags, kStyles));
  EXPECT_EQ(flags, 9u);
}

// ---------------------------------------------------------------- arrays, paths

TEST(QVValueForms, TypedArraysReadOnlyWhenEveryElementReads) {
  QVStringArray strings = {"a", "", "c"};
  QVValue v = QVValueSetasQVStringArray(strings);
  EXPECT_EQ(QVValueGetasQVStringArray(v), strings);

  QVValueArray mixed(2);
  mixed[0] = Text("a");
  mixed[1] = Int(1);
  QVStringArray out = {"keep"};
  EXPECT_FALSE(QVValueGetasQVStringArray(QVValue(), out));
  EXPECT_EQ(out.Length(), 1u);  // an empty value leaves the output alone
  EXPECT_FALSE(QVValueGetasQVStringArray(QVValueSetasQVValueArray(mixed), out));
  EXPECT_TRUE(out.IsEmpty());
  out = {"keep"};
  EXPECT_FALSE(QVValueGetasQVStringArray(Text("a"), out));
  EXPECT_TRUE(out.IsEmpty());

  AGPointArray points = {{1, 2}, {3, 4}};
  EXPECT_EQ(QVValueGetasAGPointArray(QVValueSetasAGPointArray(points), false), points);
  QVDictionary textPoint;
  EXPECT_EQ(textPoint.SetValue("x", Text("1")), 0);
  EXPECT_EQ(textPoint.SetValue("y", Text("2")), 0);
  QVValueArray textPoints(1, QVValueSetasQVDictionary(textPoint));
  EXPECT_TRUE(QVValueGetasAGPointArray(QVValueSetasQVValueArray(textPoints), false).IsEmpty());
  EXPECT_EQ(QVValueGetasAGPointArray(QVValueSetasQVValueArray(textPoints), true),
            (AGPointArray{{1, 2}}));

  AGColorArray colors = {0xFF0000FFu, 0x00000000u};
  QVValue cv = QVValueSetasAGColorArray(colors);
  EXPECT_EQ(QVValueGetasQVString((*cv.GetasQVValueArray())[1]), "(000;000;000;000)");
  EXPECT_EQ(QVValueGetasAGColorArray(cv), colors);
}

TEST(QVValueForms, PathsAreStringsWithSlashes) {
  QVValue v = QVValueSetasQVFilePath(QVFilePath("a\\b/c.txt"));
  EXPECT_EQ(QVValueGetasQVString(v), "a/b/c.txt");
  EXPECT_EQ(QVValueGetasQVFilePath(Text("x\\y")), QVFilePath("x/y"));

  QVFilePath path("/keep");
  EXPECT_FALSE(QVValueGetasQVFilePath(Int(1), path));
  EXPECT_TRUE(path.IsEmpty());

  QVFilePathArray paths;
  paths.Append(QVFilePath("/a"));
  paths.Append(QVFilePath("b\\c"));
  QVFilePathArray back = QVValueGetasQVFilePathArray(QVValueSetasQVFilePathArray(paths));
  ASSERT_EQ(back.Length(), 2u);
  EXPECT_EQ(back[1], QVFilePath("b/c"));
  QVValueArray mixed(2, Text("/a"));
  mixed[1] = Int(2);
  EXPECT_FALSE(QVValueGetasQVFilePathArray(QVValueSetasQVValueArray(mixed), back));
  EXPECT_TRUE(back.IsEmpty());
}

}  // namespace
