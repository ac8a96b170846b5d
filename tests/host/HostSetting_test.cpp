// Setting properties as typed: the strict readings of colours and symbols,
// and the object put back whenever it would not keep what was typed.
#include "HostSetting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/HostObject.h"
#include "HostTestSupport.h"
#include "HostText.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"

namespace {

using qvtest::LogCapture;

TEST(HostStrictText, ColoursAreTakenOnlyWhole) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t colour;
  } cases[] = {
      {"(255;0;0;255)", true, 0xFF0000FFu},
      {"(255;000;000;128)", true, 0xFF000080u},
      {"(1;2;3)", true, 0x010203FFu},
      {"( 1 ; 2 ; 3 ; 4 )", true, 0x01020304u},
      {"(-1;-1;-1;255)junk", false, 0},
      {"(-1;-1;-1;255)", false, 0},
      {"(300;5;5;255)", false, 0},
      {"(255;0;0;255", false, 0},
      {" (255;0;0;255)", false, 0},
      {"(255;0;0;255;9)", false, 0},
      {"(255;;0;255)", false, 0},
      {"(0x10;0;0;255)", false, 0},
      {"(+1;0;0;255)", false, 0},
      {"(1.5;0;0;255)", false, 0},
      {"(99999999999999999999;0;0;255)", false, 0},
      {"()", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t colour = 0xDEADBEEFu;
    EXPECT_EQ(HostParseColourStrictly(c.text, colour), c.ok) << c.text;
    EXPECT_EQ(colour, c.ok ? c.colour : 0xDEADBEEFu) << c.text;
  }
}

TEST(HostStrictText, SymbolsAreWholeHexadecimalUnits) {
  struct Case {
    const char* text;
    bool ok;
    std::vector<uint16_t> units;
  } cases[] = {
      {"E01C;E000", true, {0xE01C, 0xE000}},
      {"e01c, 41 ;0042", true, {0xE01C, 0x41, 0x42}},
      {"", true, {}},
      {"E01Cjunk", false, {}},
      {"E01C;", false, {}},
      {"0", false, {}},
      {"10000", false, {}},
      {"-41", false, {}},
      {"0x41", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<uint16_t> units = {7};
    EXPECT_EQ(HostParseUnitsStrictly(c.text, units), c.ok) << c.text;
    EXPECT_EQ(units, c.ok ? c.units : std::vector<uint16_t>{7}) << c.text;
  }
}

class HostSettingTest : public hosttest::RegisteredHostTest {
 protected:
  void SetUp() override {
    RegisteredHostTest::SetUp();
    object = std::make_unique<HostObject>(*plugin);
    ASSERT_EQ(object->Init(QVArgs("-default", true)), 0);
  }
  void TearDown() override {
    object.reset();
    RegisteredHostTest::TearDown();
  }
  std::string Shown(const char* key) {
    QVDictionary props;
    object->GetAllProperties(props);
    return HostFormatValue(props.GetValue(key));
  }
  std::unique_ptr<HostObject> object;
};

TEST_F(HostSettingTest, ValuesKeptAsTypedAreSet) {
  struct Case {
    const char* key;
    const char* typed;
    const char* shown;
  } cases[] = {
      {"Brush.Color", "(255;0;0;255)", "\"(255;000;000;255)\""},
      {"Brush.Color", "(1;2;3)", "\"(001;002;003;255)\""},
      {"FontSize", "12.5", "12.5"},
      {"LineType", "Iterated", "\"Iterated\""},
      {"UnicodeText", "e01c;E000", "\"E01C;E000\""},
  };
  for (const Case& c : cases) {
    std::string message;
    EXPECT_EQ(HostSetProperty(*object, c.key, c.typed, message), 0) << c.key << " " << c.typed;
    EXPECT_EQ(Shown(c.key), c.shown) << c.key << " " << c.typed;
  }
}

TEST_F(HostSettingTest, ValuesTheObjectWouldNotKeepAsTypedLeaveItAlone) {
  struct Case {
    const char* key;
    const char* typed;
  } cases[] = {
      // The kit's lenient reading would keep (255;255;255;255) and 255 red.
      {"Brush.Color", "(-1;-1;-1;255)junk"},
      {"Brush.Color", "(300;5;5;255)"},
      {"Brush.Color", "(0;0;0;255)!"},
      {"UnicodeText", "E01Cjunk"},
      {"FontSize", "500"},
      {"FontSize", "72pt"},
      {"LineType", "Sideways"},
  };
  for (const Case& c : cases) {
    QVDictionary before;
    object->GetAllProperties(before);
    std::string message;
    LogCapture log;
    EXPECT_EQ(HostSetProperty(*object, c.key, c.typed, message), kQVErrBadProperty)
        << c.key << " " << c.typed;
    EXPECT_FALSE(message.empty());
    QVDictionary after;
    object->GetAllProperties(after);
    EXPECT_TRUE(after.IsEqual(before)) << c.key << " " << c.typed;
  }
}

}  // namespace
