#include "kit/QVArgs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ArgsOf(const QVArgs& args) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < args.argc(); ++i) out.push_back(args.GetArg(i).Std());
  return out;
}

struct SplitCase {
  const char* text;
  bool removeQuotes;
  std::vector<std::string> expected;
};

TEST(QVArgsSplit, SpacesAndTabsOutsideQuotesSeparate) {
  const SplitCase cases[] = {
      {"-default -name:\"red car\"", true, {"-default", "-name:red car"}},
      {"-default -name:\"red car\"", false, {"-default", "-name:\"red car\""}},
      {"a\tb  \t c", true, {"a", "b", "c"}},
      {"  a  ", true, {"a"}},
      {"a\"b c\"d", true, {"ab cd"}},
      {"a\n b", true, {"a\n", "b"}},  // only space and tab separate
      // an unterminated quote runs to the end
      {"a \"b c", true, {"a", "b c"}},
      {"a \"b c", false, {"a", "\"b c"}},
      // no escape character: the backslash stays and the quote still toggles
      {"C:\\dir\\f \\\"x y\"", true, {"C:\\dir\\f", "\\x y"}},
      // an empty argument in the middle is kept...
      {"a \"\" b", true, {"a", "", "b"}},
      // ...but an empty first argument empties the whole list
      {"\"\" a b", true, {}},
      {"\"\" a", false, {"\"\"", "a"}},
      {" \t  ", true, {}},
      {"", true, {}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(ArgsOf(QVArgs(c.text, c.removeQuotes)), c.expected)
        << "text [" << c.text << "] removeQuotes " << c.removeQuotes;
  }
}

TEST(QVArgsSplit, StringAndNullTextForms) {
  EXPECT_EQ(ArgsOf(QVArgs(QVString("x \"y z\""), true)), (std::vector<std::string>{"x", "y z"}));
  EXPECT_EQ(QVArgs(static_cast<const char*>(nullptr), true).argc(), 0);
}

TEST(QVArgsVector, OneArgumentPerEntry) {
  const char* argv[] = {"prog", "-x", nullptr, "-x"};
  EXPECT_EQ(ArgsOf(QVArgs(4, argv)), (std::vector<std::string>{"prog", "-x", "", "-x"}));
  EXPECT_EQ(QVArgs(2, nullptr).argc(), 0);
  EXPECT_EQ(QVArgs(-1, argv).argc(), 0);
}

TEST(QVArgsAccess, OutOfRangeGivesNullOrEmpty) {
  const QVArgs args("-a -b", true);
  ASSERT_EQ(args.argc(), 2);
  EXPECT_STREQ(args.argv(1), "-b");
  EXPECT_EQ(args.argv(-1), nullptr);
  EXPECT_EQ(args.argv(2), nullptr);
  EXPECT_STREQ(args.GetArg(0).c_str(), "-a");
  EXPECT_EQ(&args.GetArg(2), &kQVNullString);
  EXPECT_EQ(&args.GetArg(-5), &kQVNullString);

  const QVArgs empty;
  EXPECT_EQ(empty.argv(0), nullptr);
}

TEST(QVArgsLookup, NamesArePrefixesOfWholeArguments) {
  const QVArgs args("-default -size:12 -size:14 -flag", true);
  EXPECT_TRUE(args.IsParam("-def"));
  EXPECT_TRUE(args.IsParam("-size:"));
  EXPECT_FALSE(args.IsParam("default"));  // not a match inside an argument
  EXPECT_FALSE(QVArgs("-def", true).IsParam("-default"));

  QVString value("stale");
  EXPECT_TRUE(args.GetParam("-size:", value));
  EXPECT_STREQ(value.c_str(), "12");  // the first match wins
  EXPECT_TRUE(args.GetParam("-flag", value));
  EXPECT_TRUE(value.IsEmpty());

  value = "stale";
  EXPECT_FALSE(args.GetParam("-name:", value));
  EXPECT_TRUE(value.IsEmpty());

  EXPECT_STREQ(args.GetParam("-si").c_str(), "ze:12");
  EXPECT_TRUE(args.GetParam("-missing").IsEmpty());
}

TEST(QVArgsLookup, ValueMayBeTheNameItself) {
  const QVArgs args("-default -size:12", true);
  QVString key("-size:");
  EXPECT_TRUE(args.GetParam(key, key));
  EXPECT_STREQ(key.c_str(), "12");
  key = "-missing:";
  EXPECT_FALSE(args.GetParam(key, key));
  EXPECT_TRUE(key.IsEmpty());
}

TEST(QVArgsLookup, QuotedValueAfterTheColon) {
  const QVArgs args("-default -name:\"red car\"", true);
  EXPECT_STREQ(args.GetParam("-name:").c_str(), "red car");
}

}  // namespace
