// The reference host's text forms of property values.
#include "HostText.h"

#include <gtest/gtest.h>

#include <string>

#include "kit/QVString.h"
#include "kit/QVValue.h"

namespace {

struct TypedString {
  const char* typed;  // UTF-8, as on the command line
  bool accepted;
  const char* native;  // what the property receives when accepted
};

// A string property keeps exactly what was typed, or refuses it: a character
// the native encoding lacks must not turn into "?" behind the user's back.
TEST(HostParseValueLikeTest, StringsAreTakenOnlyWhenTheirTextSurvives) {
  const TypedString cases[] = {
      {"Brindel", true, "Brindel"},
      {"", true, ""},
      {"Pelmar \xC3\xA9", true, "Pelmar \x8E"},  // e acute is native 0x8E
      {"Brindel\xE2\x86\x92", false, nullptr},    // an arrow has no native byte
      {"\xE4\xB8\xAD", false, nullptr},
      {"bad \xC3", false, nullptr},                // cut UTF-8
  };
  QVValue current;
  current.SetasQVString(QVString("Sorel"));
  for (const TypedString& c : cases) {
    SCOPED_TRACE(c.typed);
    QVValue out;
    ASSERT_EQ(HostParseValueLike(current, c.typed, out), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(QVValueGetasQVString(out).Std(), c.native);
    }
  }
}

}  // namespace
