#include "kit/QVString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(const QVStringArray& a) {
  std::vector<std::string> out;
  for (const QVString& s : a) out.push_back(s.Std());
  return out;
}

TEST(QVStringAssign, NullTextsAndZeroCountsLeaveEmptyOrUnchanged) {
  EXPECT_TRUE(QVString(static_cast<const char*>(nullptr)).IsEmpty());
  QVString s("abc");
  s.Append(nullptr);
  s.Append("xyz", 0);
  EXPECT_EQ(s.Std(), "abc");
  s.Assign("abcdef", 2);
  EXPECT_EQ(s.Std(), "ab");
  s.Assign("abc", 0);
  EXPECT_TRUE(s.IsEmpty());
  s = "q";
  s = static_cast<const char*>(nullptr);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(QVStringAssign, CountedFormsKeepEmbeddedNulBytes) {
  QVString s("a\0b", 3);
  EXPECT_EQ(s.Length(), 3u);
  s.Append("\0c", 2);
  EXPECT_EQ(s.Length(), 5u);
  s.Shrink();
  EXPECT_EQ(s.Std(), "a");
}

TEST(QVStringAssign, SelfAppendAndSelfAssignment) {
  QVString s("ab");
  s.Append(s);
  EXPECT_EQ(s.Std(), "abab");
  const QVString& same = s;
  s = same;
  EXPECT_EQ(s.Std(), "abab");
  s += s;
  EXPECT_EQ(s.Std(), "abababab");
}

TEST(QVStringAssign, FormattedTextReplacesOrAppends) {
  QVString s("old");
  s.Assignf("%d-%s", 42, "x");
  EXPECT_EQ(s.Std(), "42-x");
  s.Appendf("/%05.1f", 2.25);
  EXPECT_EQ(s.Std(), "42-x/002.2");
  s.Appendf("%s", "");
  EXPECT_EQ(s.Std(), "42-x/002.2");
  s.Assignf("%s", "");
  EXPECT_TRUE(s.IsEmpty());
  // Arguments that point into the string itself.
  s = "loop";
  s.Assignf("%s+%s", s.c_str(), s.c_str());
  EXPECT_EQ(s.Std(), "loop+loop");
  std::string longText(5000, 'z');
  s.Assignf("%s", longText.c_str());
  EXPECT_EQ(s.Length(), 5000u);
}

TEST(QVStringSearch, FindReportsPositionOrNone) {
  QVString s("abcabc");
  uint32_t pos = 7;
  EXPECT_TRUE(s.Find("bc", 0, &pos));
  EXPECT_EQ(pos, 1u);
  EXPECT_TRUE(s.Find("bc", 2, &pos));
  EXPECT_EQ(pos, 4u);
  EXPECT_FALSE(s.Find("bc", 5, &pos));
  EXPECT_EQ(pos, kQVStringNotFound);
  EXPECT_FALSE(s.Find("a", 100, &pos));
  EXPECT_TRUE(s.Find("c"));
}

TEST(QVStringSearch, FindFromEndLooksAtOrBeforeTheOffset) {
  QVString s("abcabc");
  uint32_t pos = 0;
  EXPECT_TRUE(s.FindFromEnd("abc", 0, &pos));
  EXPECT_EQ(pos, 3u);
  EXPECT_TRUE(s.FindFromEnd("abc", 4, &pos));  // starts at or before index 2
  EXPECT_EQ(pos, 0u);
  EXPECT_FALSE(s.FindFromEnd("abc", 7, &pos));
  EXPECT_EQ(pos, kQVStringNotFound);
  EXPECT_FALSE(s.FindFromEnd("x"));
}

TEST(QVStringSearch, ContainsInBothModes) {
  QVString s("Hello World");
  EXPECT_TRUE(s.Contains("World"));
  EXPECT_FALSE(s.Contains("world"));
  EXPECT_TRUE(s.Contains("wORLD", false));
  EXPECT_FALSE(s.Contains("worlds", false));
  EXPECT_TRUE(s.Contains(""));
  EXPECT_TRUE(s.Contains("", false));
  EXPECT_TRUE(s.Contains(s));
  QVString empty;
  EXPECT_FALSE(empty.Contains("a"));
  EXPECT_FALSE(empty.Contains(""));
  EXPECT_TRUE(empty.Contains(empty));
  // Only ASCII letters fold: the native 0x8A (a-umlaut) and 0x80 (A-umlaut)
  // stay different.
  EXPECT_FALSE(QVString("\x8A").Contains("\x80", false));
}

TEST(QVStringCompare, CaseSensitiveOrderIsBytesThenLength) {
  EXPECT_LT(QVString("abc").Compare("abcd"), 0);
  EXPECT_GT(QVString("abcd").Compare("abc"), 0);
  EXPECT_EQ(QVString("abc").Compare("abc"), 0);
  EXPECT_LT(QVString("ABC").Compare("abc"), 0);
  // Bytes compare unsigned: native letters sort after ASCII.
  EXPECT_GT(QVString("\x8A").Compare("z"), 0);
  // NUL bytes take part.
  EXPECT_LT(QVString("a", 1).Compare(QVString("a\0", 2)), 0);
  EXPECT_FALSE(QVString("ABC").IsEqual("abc"));
  EXPECT_TRUE(QVString("") == QVString());
  EXPECT_TRUE(QVString("a") < QVString("b"));
  EXPECT_TRUE(QVString("b") >= QVString("b"));
  EXPECT_TRUE(QVString("ab") > QVString("a"));
  EXPECT_TRUE(QVString("a") != QVString("A"));
}

// A string that is a prefix of the other orders by the length difference,
// not by -1 / +1.
TEST(QVStringCompare, PrefixGivesLengthDifference) {
  struct Case {
    QVString a, b;
    int32_t expected;
  };
  const Case cases[] = {
      {"abc", "abcdef", -3},
      {"abcdef", "abc", 3},
      {"", "ab", -2},
      {"ab", "", 2},
      {QVString("a", 1), QVString("a\0\0\0\0", 5), -4},
      {"same", "same", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.Compare(c.b), c.expected) << c.a.c_str() << " vs " << c.b.c_str();
  }
}

TEST(QVStringCompare, CaseInsensitiveFoldsAscii) {
  EXPECT_TRUE(QVString("ABC").IsEqual("abc", false));
  EXPECT_EQ(QVString("ABC").Compare("abc", false), 0);
  EXPECT_LT(QVString("ABC").Compare("abd", false), 0);
  EXPECT_GT(QVString("b").Compare("A", false), 0);
  EXPECT_FALSE(QVString("abc").IsEqual("abcd", false));
}

TEST(QVStringParts, SubStringClipsAndEmpties) {
  QVString s("abcdef");
  EXPECT_EQ(s.SubString(1, 3).Std(), "bc");
  EXPECT_EQ(s.SubString(4, 100).Std(), "ef");
  EXPECT_EQ(s.SubString(4, kQVStringNotFound).Std(), "ef");
  EXPECT_TRUE(s.SubString(6, 8).IsEmpty());
  EXPECT_TRUE(s.SubString(3, 3).IsEmpty());
  EXPECT_TRUE(s.SubString(4, 2).IsEmpty());
}

TEST(QVStringParts, BeforeAndAfterSeparators) {
  QVString s("a.b.c");
  EXPECT_EQ(s.BeforeFirst(".").Std(), "a");
  EXPECT_EQ(s.AfterFirst(".").Std(), "b.c");
  EXPECT_EQ(s.BeforeLast(".").Std(), "a.b");
  EXPECT_EQ(s.AfterLast(".").Std(), "c");
  EXPECT_EQ(QVString("key::value").AfterFirst("::").Std(), "value");
  for (const QVString& r : {s.BeforeFirst("/"), s.AfterFirst("/"), s.BeforeLast("/"),
                            s.AfterLast("/")}) {
    EXPECT_TRUE(r.IsEmpty());
  }
}

TEST(QVStringParts, StartsAndEndsWithFillOrEmptyRest) {
  QVString rest("junk");
  EXPECT_TRUE(QVString("prefix-body").StartsWith("prefix-", &rest));
  EXPECT_EQ(rest.Std(), "body");
  EXPECT_FALSE(QVString("pre").StartsWith("prefix", &rest));
  EXPECT_TRUE(rest.IsEmpty());
  rest = "junk";
  EXPECT_TRUE(QVString("name.txt").EndsWith(".txt", &rest));
  EXPECT_EQ(rest.Std(), "name");
  EXPECT_FALSE(QVString("txt").EndsWith(".txt", &rest));
  EXPECT_TRUE(rest.IsEmpty());
  // The rest may be the string itself.
  QVString s("abc.def");
  EXPECT_TRUE(s.EndsWith(".def", &s));
  EXPECT_EQ(s.Std(), "abc");
  EXPECT_TRUE(s.StartsWith("a", &s));
  EXPECT_EQ(s.Std(), "bc");
}

TEST(QVStringEdit, ReplaceAllDoesNotRescanInsertedText) {
  struct Case {
    const char* text;
    const char* from;
    const char* to;
    const char* result;
    uint32_t count;
  };
  const Case cases[] = {
      {"aaaa", "aa", "a", "aa", 2},
      {"aaa", "a", "aa", "aaaaaa", 3},
      {"abcabc", "b", "", "acac", 2},
      {"abc", "x", "y", "abc", 0},
      {"abc", "b", "b", "abc", 0},
      {"abc", "", "y", "abc", 0},
      {"a.b.c", ".", "::", "a::b::c", 2},
      {"xxx", "xxx", "", "", 1},
  };
  for (const Case& c : cases) {
    QVString s(c.text);
    EXPECT_EQ(s.ReplaceAll(c.from, c.to), c.count) << c.text << " " << c.from;
    EXPECT_EQ(s.Std(), c.result) << c.text << " " << c.from;
  }
  QVString s("a-b-c");
  EXPECT_EQ(s.RemoveAll("-"), 2u);
  EXPECT_EQ(s.Std(), "abc");
  // Searching for the string itself.
  EXPECT_EQ(s.ReplaceAll(s, "z"), 1u);
  EXPECT_EQ(s.Std(), "z");
}

TEST(QVStringEdit, CaseChangesTouchAsciiOnly) {
  QVString s("hELLO w\x8A");
  s.NormalizeCase();
  EXPECT_EQ(s.Std(), "Hello w\x8A");
  s.ToUpperCase();
  EXPECT_EQ(s.Std(), "HELLO W\x8A");
  s.ToLowerCase();
  EXPECT_EQ(s.Std(), "hello w\x8A");
}

TEST(QVStringEdit, ReverseStopsAtFirstNul) {
  QVString s("abc\0def", 7);
  s.Reverse();
  EXPECT_EQ(s.Std(), "cba");
}

TEST(QVStringEdit, CharacterClasses) {
  EXPECT_TRUE(QVString("").IsDigit());
  EXPECT_TRUE(QVString("0129").IsDigit());
  EXPECT_FALSE(QVString("12a").IsDigit());
  EXPECT_TRUE(QVString("abcXYZ").IsAlpha());
  EXPECT_FALSE(QVString("ab1").IsAlpha());
  EXPECT_TRUE(QVString("ab1Z").IsAlphaNum());
  EXPECT_FALSE(QVString("ab 1").IsAlphaNum());
  EXPECT_FALSE(QVString("\x87").IsAlpha());  // native a-acute
  EXPECT_FALSE(QVString("a\xAF").IsAlphaNum());
}

TEST(QVStringSplit, TokensAreTrimmedAndEmptiesKept) {
  struct Case {
    const char* text;
    const char* separators;
    const char* ignored;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"", nullptr, nullptr, {}},
      {",", nullptr, nullptr, {"", ""}},
      {" a ;b,c ", nullptr, nullptr, {"a", "b", "c"}},
      {"a, ,b", nullptr, nullptr, {"a", "", "b"}},
      {"a;", nullptr, nullptr, {"a", ""}},
      {"  solo\t\n", nullptr, nullptr, {"solo"}},
      {"   ", nullptr, nullptr, {""}},
      {"a b|c", "|", nullptr, {"a b", "c"}},
      {" a , b ", ",", "", {" a ", " b "}},
      {"xxaxx-b", "-", "x", {"a", "b"}},
      {"1:2::3", ":", nullptr, {"1", "2", "", "3"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tokens(QVString(c.text).SplitToArray(c.separators, c.ignored)), c.tokens)
        << "\"" << c.text << "\"";
  }
}

TEST(QVStringSplit, BuildFromArraySkipsSeparatorsBeforeText) {
  QVString s("previous");
  s.BuildFromArray(QVStringArray{"", "a", "b"}, ",");
  EXPECT_EQ(s.Std(), "a,b");
  s.BuildFromArray(QVStringArray{"a", "", "b"}, ", ");
  EXPECT_EQ(s.Std(), "a, , b");
  s.BuildFromArray(kQVNullStringArray, ",");
  EXPECT_TRUE(s.IsEmpty());
  // Split then build again gives the trimmed list.
  QVString joined;
  joined.BuildFromArray(QVString(" x ; y;z ").SplitToArray(), ";");
  EXPECT_EQ(joined.Std(), "x;y;z");
  // The separator may be the string being built.
  QVString sep("-");
  sep.BuildFromArray(QVStringArray{"a", "b"}, sep);
  EXPECT_EQ(sep.Std(), "a-b");
}

TEST(QVStringUniChars, LengthStopsAtZero) {
  const uint16_t uni[] = {'a', 0x2206, 0, 'b'};
  EXPECT_EQ(QVUniStringLength(uni), 2u);
  EXPECT_EQ(QVUniStringLength(nullptr), 0u);
}

using CharPtr = std::unique_ptr<char, decltype(&free)>;
using UniPtr = std::unique_ptr<uint16_t, decltype(&free)>;

TEST(QVStringUniChars, NewStringsAreTerminatedCopies) {
  const uint16_t uni[] = {'A', 0x00E9, 0xF8FF, 0x4E2D, 0};
  CharPtr ascii(QVNewAsciiStringFromUniString(uni, kQVStringNotFound), &free);
  ASSERT_NE(ascii, nullptr);
  EXPECT_STREQ(ascii.get(), "A\x8E\xF0?");
  CharPtr two(QVNewAsciiStringFromUniString(uni, 2), &free);
  EXPECT_STREQ(two.get(), "A\x8E");
  EXPECT_EQ(QVNewAsciiStringFromUniString(nullptr, 3), nullptr);

  UniPtr back(QVNewUniStringFromAsciiString("A\x8E\xF0", kQVStringNotFound), &free);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back.get()[0], 'A');
  EXPECT_EQ(back.get()[1], 0x00E9);
  EXPECT_EQ(back.get()[2], 0xF8FF);
  EXPECT_EQ(back.get()[3], 0);
  UniPtr one(QVNewUniStringFromAsciiString("xyz", 1), &free);
  EXPECT_EQ(one.get()[0], 'x');
  EXPECT_EQ(one.get()[1], 0);
  EXPECT_EQ(QVNewUniStringFromAsciiString(nullptr, 1), nullptr);
}

TEST(QVStringUniChars, BufferFormsTruncateAndTerminate) {
  const uint16_t uni[] = {'a', 'b', 'c', 'd', 0};
  char dst[3] = {'#', '#', '#'};
  EXPECT_EQ(QVAsciiStringFromUniString(dst, 3, uni, kQVStringNotFound), dst);
  EXPECT_STREQ(dst, "ab");
  char untouched = '#';
  QVAsciiStringFromUniString(&untouched, 0, uni, 4);
  EXPECT_EQ(untouched, '#');
  QVAsciiStringFromUniString(dst, 3, nullptr, 4);
  EXPECT_STREQ(dst, "");

  uint16_t udst[3] = {9, 9, 9};
  QVUniStringFromAsciiString(udst, 3, "\xA5xyz", kQVStringNotFound);
  EXPECT_EQ(udst[0], 0x2022);
  EXPECT_EQ(udst[1], 'x');
  EXPECT_EQ(udst[2], 0);
  uint16_t uuntouched = 9;
  QVUniStringFromAsciiString(&uuntouched, 0, "a", 1);
  EXPECT_EQ(uuntouched, 9);
}

TEST(QVStringUniChars, ArrayFormsRoundTripEveryNativeByte) {
  QVString all;
  for (int b = 1; b < 256; b++) all.AppendChar(static_cast<char>(b));
  QVUniChars uni = QVUniStringFromAsciiString(all);
  ASSERT_EQ(uni.Length(), 255u);
  std::set<uint16_t> distinct(uni.begin(), uni.end());
  EXPECT_EQ(distinct.size(), 255u);
  EXPECT_EQ(QVAsciiStringFromUniString(uni), all);
  EXPECT_TRUE(QVUniStringFromAsciiString(kQVNullString).IsEmpty());
  EXPECT_TRUE(QVAsciiStringFromUniString(QVUniChars()).IsEmpty());
  // A surrogate unit has no native byte.
  EXPECT_EQ(QVAsciiStringFromUniString(QVUniChars{0xD83D, 'a'}).Std(), "?a");
}

TEST(QVStringSuffix, FindReadsAtMostEightDigits) {
  struct Case {
    const char* text;
    bool found;
    uint32_t value;
    uint32_t digits;
  };
  const Case cases[] = {
      {"a123456789", true, 23456789, 8},
      {"Layer 7", true, 7, 1},
      {"Take007", true, 7, 3},
      {"42", true, 42, 2},
      {"Layer", false, 0, 0},
      {"", false, 0, 0},
      {"7 up", false, 0, 0},
  };
  for (const Case& c : cases) {
    uint32_t value = 99, digits = 99;
    EXPECT_EQ(QVStringSuffixNumberFind(c.text, &value, &digits), c.found) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(digits, c.digits) << c.text;
  }
  EXPECT_TRUE(QVStringSuffixNumberFind("x5", nullptr, nullptr));
}

TEST(QVStringSuffix, ReplaceKeepsWidthAndGrows) {
  QVString s("Take007");
  EXPECT_TRUE(QVStringSuffixNumberReplace(&s, 12, false));
  EXPECT_EQ(s.Std(), "Take012");
  EXPECT_TRUE(QVStringSuffixNumberReplace(&s, 12345, false));
  EXPECT_EQ(s.Std(), "Take12345");
  s = "Layer";
  EXPECT_FALSE(QVStringSuffixNumberReplace(&s, 3, false));
  EXPECT_EQ(s.Std(), "Layer");
  EXPECT_TRUE(QVStringSuffixNumberReplace(&s, 3, true));
  EXPECT_EQ(s.Std(), "Layer3");
  s = "n00000001";
  EXPECT_TRUE(QVStringSuffixNumberReplace(&s, 2, false));
  EXPECT_EQ(s.Std(), "n00000002");
  EXPECT_FALSE(QVStringSuffixNumberReplace(nullptr, 1, true));
}

TEST(QVStringSuffix, AddIncrementsOrStartsFresh) {
  QVString s("Layer 9");
  EXPECT_TRUE(QVStringSuffixNumberAdd(&s, 1, 0, false));
  EXPECT_EQ(s.Std(), "Layer 10");
  s = "Layer";
  EXPECT_FALSE(QVStringSuffixNumberAdd(&s, 1, 1, false));
  EXPECT_EQ(s.Std(), "Layer");
  EXPECT_TRUE(QVStringSuffixNumberAdd(&s, 1, 1, true));
  EXPECT_EQ(s.Std(), "Layer2");
  s = "Take010";
  EXPECT_TRUE(QVStringSuffixNumberAdd(&s, -3, 0, false));
  EXPECT_EQ(s.Std(), "Take007");
  EXPECT_TRUE(QVStringSuffixNumberAdd(&s, -30, 0, false));
  EXPECT_EQ(s.Std(), "Take000");
}

TEST(QVStringUUID, UpperCaseHexWithHyphensAndFresh) {
  QVString a = QVStringGenerateUUID();
  QVString b = QVStringGenerateUUID();
  ASSERT_EQ(a.Length(), 36u);
  for (uint32_t i = 0; i < a.Length(); i++) {
    char c = a[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ(c, '-');
    } else {
      EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << a.c_str();
    }
  }
  EXPECT_NE(a, b);
}

}  // namespace
