// The Talvane object driven through the host bridge, in one process: the
// reference host's records and tables, the plug-in's registration and class
// methods.
#include "object/CStdTalvane.h"

#include <gtest/gtest.h>

#include "TalvaneTestSupport.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "bridge/HostDocument.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "graphics/AGBrush.h"
#include "graphics/AGPen.h"
#include "host/QVClass.h"
#include "host/QVEnv.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVFileUtils.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"
#include "kit/QVValue.h"
#include "object/CStdTalvaneConstants.h"
#include "object/CStdTalvaneResources.h"
#include "graphics/AGFont.h"
#include "object/CStdTalvaneRegistration.h"

namespace {


class TalvaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetRegistration();
    env = std::make_unique<HostEnvironment>(HostEnvironmentOptions{});
    plugin = std::make_unique<HostPlugin>(*env);
  }
  void TearDown() override {
    plugin.reset();
    env.reset();
    ForgetRegistration();
  }

  void Register() { ASSERT_EQ(plugin->Register(&CStdTalvaneRegister), 0); }

  CStdTalvane& Talvane(HostObject& o) { return *static_cast<CStdTalvane*>(o.Object()); }

  std::unique_ptr<HostEnvironment> env;
  std::unique_ptr<HostPlugin> plugin;
};

// ---- Registration

struct VersionCase {
  uint32_t version;
  int32_t status;
};

class TalvaneVersionTest : public TalvaneTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(TalvaneVersionTest, HostInterfaceVersionIsCheckedOnMajorAndLowHalf) {
  env->Record()->version = GetParam().version;
  testing::internal::CaptureStderr();
  EXPECT_EQ(plugin->Register(&CStdTalvaneRegister), GetParam().status);
  std::string err = testing::internal::GetCapturedStderr();
  if (GetParam().status == -779) {
    EXPECT_EQ(err, "### QVLib Error -779: Application API is not appropriate for class <CStdTalvane>.\n");
    // Nothing of the plug-in's half of the hook was written.
    EXPECT_EQ(plugin->Hook().pluginVersion, 0u);
    EXPECT_EQ(gQVClass, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, TalvaneVersionTest,
                         ::testing::Values(VersionCase{0x00030100, 0}, VersionCase{0x0003FFFF, 0},
                                           VersionCase{0x000300FF, -779},
                                           VersionCase{0x00040100, -779},
                                           VersionCase{0x00020200, -779}));

TEST_F(TalvaneTest, RegistrationAnnouncesClassAndFillsSlots) {
  Register();
  const QVPluginHook& hook = plugin->Hook();
  EXPECT_EQ(hook.pluginVersion, 0x00030100u);
  EXPECT_EQ(hook.objectSize, sizeof(CStdTalvane));
  EXPECT_EQ(std::memcmp(hook.classId, "stdTlvn\0", 8), 0);
  EXPECT_EQ(std::memcmp(hook.classId2, "_syVect\0", 8), 0);
  EXPECT_EQ(hook.value32, 32u);
  EXPECT_EQ(plugin->ClassName(), "Talvane");
  // Each of the ten slots holds its own method.
  const QVClassRecord* cls = plugin->PluginClass();
  const struct {
    uint32_t slot;
    QVMethodSlot method;
  } expected[] = {
      {kQVClassSlotInit, QVMethodSlot::From(static_cast<QVMethodInit>(&CStdTalvane::_apmInit))},
      {kQVClassSlotInitFromFile,
       QVMethodSlot::From(static_cast<QVMethodInitFromFile>(&CStdTalvane::_apmInitFromFile))},
      {kQVClassSlotWriteToFile,
       QVMethodSlot::From(static_cast<QVMethodWriteToFile>(&CStdTalvane::_apmWriteToFile))},
      {kQVClassSlotDelete,
       QVMethodSlot::From(static_cast<QVMethodDelete>(&CStdTalvane::_apmDelete))},
      {kQVClassSlotDraw, QVMethodSlot::From(static_cast<QVMethodDraw>(&CStdTalvane::_apmDraw))},
      {kQVClassSlotEdit, QVMethodSlot::From(static_cast<QVMethodEdit>(&CStdTalvane::_apmEdit))},
      {kQVClassSlotGetNaturalBounds, QVMethodSlot::From(static_cast<QVMethodGetNaturalBounds>(
                                         &CStdTalvane::_apmGetNaturalBounds))},
      {kQVClassSlotSetObjectProperties, QVMethodSlot::From(static_cast<QVMethodSetObjectProperties>(
                                            &CStdTalvane::_apmSetObjectProperties))},
      {kQVClassSlotGetObjectProperties, QVMethodSlot::From(static_cast<QVMethodGetObjectProperties>(
                                            &CStdTalvane::_apmGetObjectProperties))},
      {kQVClassSlotInspector,
       QVMethodSlot::From(static_cast<QVMethodInspector>(&CStdTalvane::_apmInspector))},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(cls->methods[e.slot].code, e.method.code) << e.slot;
    EXPECT_EQ(cls->methods[e.slot].adjust, 0) << e.slot;
  }
}

TEST_F(TalvaneTest, SecondRegistrationAndBadMagicAreRefusedWithMinusOne) {
  Register();
  testing::internal::CaptureStderr();
  EXPECT_EQ(CStdTalvaneRegister(const_cast<QVPluginHook*>(&plugin->Hook())), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Error -1: Can't complete QVClassSetup() of class <CStdTalvane>.\n");

  ForgetRegistration();
  QVPluginHook hook = plugin->Hook();
  hook.magic = __builtin_bswap32(kQVPluginHookMagic);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CStdTalvaneRegister(&hook), -1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(CStdTalvaneRegister(nullptr), -1);
}

TEST_F(TalvaneTest, MissingEnvironmentRecordIsRefusedNotCrashed) {
  QVPluginHook hook{};
  hook.magic = kQVPluginHookMagic;
  testing::internal::CaptureStderr();
  EXPECT_EQ(CStdTalvaneRegister(&hook), -779);
  testing::internal::GetCapturedStderr();
}

TEST_F(TalvaneTest, RegistrationMakesTheSymbolFontAvailable) {
  Register();
  EXPECT_FALSE(CStdTalvaneSymbolFontPath().IsEmpty());
  AGFont font(kBuiltinFontName, kBuiltinFontSize, kAGFontStyleRegular);
  EXPECT_TRUE(font.IsValid());
}

TEST_F(TalvaneTest, MissingSymbolFontIsLoggedWithItsFamilyAndThePlacesSearched) {
  static std::string sLog;
  sLog.clear();
  QVSetCustomLogMessageProc([](const char* line) { sLog += line; });
  testing::internal::CaptureStderr();
  QVStringArray dirs;
  dirs.Append("/nonexistent/plugin/resources/");
  dirs.Append("/nonexistent/source/resources/");
  EXPECT_EQ(CStdTalvaneAddSymbolFontFrom(dirs), kQVErrFontNotFound);
  testing::internal::GetCapturedStderr();
  QVSetCustomLogMessageProc(nullptr);
  EXPECT_EQ(sLog,
            "### QVLib Error -1204: The font \"Pelmar UC\" was not found (looked for "
            "/nonexistent/plugin/resources/fonts/PelmarUC.ttf, "
            "/nonexistent/source/resources/fonts/PelmarUC.ttf).\n");
}

TEST_F(TalvaneTest, FlagBitKeepsHostSlotsButClassIsStillNamed) {
  plugin->SetKeepOwnMethods(true);
  Register();
  EXPECT_EQ(plugin->ClassName(), "Talvane");
  for (const QVMethodSlot& slot : plugin->PluginClass()->methods) EXPECT_TRUE(slot.IsEmpty());
}

TEST_F(TalvaneTest, LogLinesAreForwardedToTheHostAfterRegistration) {
  Register();
  testing::internal::CaptureStderr();
  QVLogError(-5, "probe");
  testing::internal::GetCapturedStderr();
  ASSERT_FALSE(env->LogLines().empty());
  EXPECT_EQ(env->LogLines().back(), "### QVLib Error -5: probe.\n");
}

TEST_F(TalvaneTest, KitHostPathsAreAnsweredThroughTheEnvironmentRecord) {
  char pattern[] = "/tmp/talvane-repo-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  HostEnvironmentOptions options;
  options.repositoryDir = std::string(pattern) + "/repository";
  plugin.reset();
  env = std::make_unique<HostEnvironment>(options);
  plugin = std::make_unique<HostPlugin>(*env);
  Register();

  EXPECT_EQ(QVGetRepositoryDirPath(), QVFilePath((options.repositoryDir + "/").c_str()));
  EXPECT_EQ(QVGetRepositoryFilePath("take.tlv"),
            QVFilePath((options.repositoryDir + "/take.tlv").c_str()));
  QVValue name;
  EXPECT_EQ(QVGetApplicationProperty("ApplicationName", &name), 0);
  EXPECT_EQ(QVValueGetasQVString(name), QVString("talvane-host"));
  EXPECT_EQ(QVGetApplicationProperty("NoSuchProperty", &name), -1);
  EXPECT_TRUE(QVGetStandardPath(3).IsEmpty());
  std::system((std::string("rm -rf ") + pattern).c_str());
}

// ---- Object state and properties

TEST_F(TalvaneTest, CreationWithoutDefaultLeavesEverythingZero) {
  Register();
  HostObject object(*plugin);
  ASSERT_EQ(object.Init(QVArgs("-other", true)), 0);
  CStdTalvane& t = Talvane(object);
  EXPECT_EQ(t.FontSize(), 0.0f);
  EXPECT_EQ(t.Proline(), (CProline{0, 0, 0, 0}));
  EXPECT_TRUE(t.KeyLayout().IsEmpty());
  EXPECT_EQ(t.Text().Length(), 0u);
}

TEST_F(TalvaneTest, DefaultObjectFillsSymbolsInThePenColourWithoutOutline) {
  Register();
  HostObject object(*plugin);
  object.Record().pen.SetStyleSolid(0x336699FFu, 2.0f);
  ASSERT_EQ(object.Init(QVArgs("-default", true)), 0);
  CStdTalvane& t = Talvane(object);
  EXPECT_EQ(t.FontSize(), 48.0f);
  EXPECT_EQ(t.Proline(), kDefaultProline);
  EXPECT_EQ(t.KeyLayout(), QVString("Brindel"));
  ASSERT_EQ(t.Text().Length(), kDefaultUTextLength);
  EXPECT_EQ(std::memcmp(t.Text().Data(), kDefaultUText, sizeof kDefaultUText), 0);

  EXPECT_EQ(object.Record().brush.Style(), kAGBrushStyleSolid);
  EXPECT_EQ(object.Record().brush.Color(), 0x336699FFu);
  EXPECT_EQ(object.Record().pen.Brush().Style(), kAGBrushStyleNone);
}

TEST_F(TalvaneTest, PropertiesReadBackWithWordsAndHideLineEndsForNone) {
  Register();
  HostObject object(*plugin);
  object.Init(QVArgs("-default", true));
  QVDictionary dict;
  object.GetObjectProperties(dict);
  EXPECT_EQ(QVValueGetasQVString(dict.GetValue("LineType")), QVString("Sustained"));
  EXPECT_EQ(QVValueGetasQVString(dict.GetValue("LineBeg")), QVString("Middle"));
  EXPECT_EQ(QVValueGetasQVString(dict.GetValue("UnicodeText")),
            QVString("E01C;E033;E034;E036;E037;E038;E000;E000;E000;E085"));

  QVDictionary none;
  none.SetValue("LineType", QVValueSetasQVString("None"));
  object.SetObjectProperties(none);
  dict.Clear();
  object.GetObjectProperties(dict);
  EXPECT_FALSE(dict.ContainsKey("LineBeg"));
  EXPECT_FALSE(dict.ContainsKey("LineEnd"));
  // The members keep their values.
  EXPECT_EQ(Talvane(object).Proline().begin, kProlineTailMiddle);
}

struct FontSizeCase {
  double asked;
  float kept;
};

class TalvaneFontSizeTest : public TalvaneTest,
                            public ::testing::WithParamInterface<FontSizeCase> {};

TEST_P(TalvaneFontSizeTest, FontSizeIsClampedIntoFourToTwoHundred) {
  Register();
  HostObject object(*plugin);
  object.Init(QVArgs("-default", true));
  QVDictionary dict;
  dict.SetValue("FontSize", QVValueSetasFloat64(GetParam().asked));
  object.SetObjectProperties(dict);
  EXPECT_EQ(Talvane(object).FontSize(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TalvaneFontSizeTest,
                         ::testing::Values(FontSizeCase{4.0, 4.0f}, FontSizeCase{2.5, 4.0f},
                                           FontSizeCase{200.0, 200.0f}, FontSizeCase{250.0, 200.0f},
                                           FontSizeCase{72.0, 72.0f},
                                           FontSizeCase{std::nan(""), 4.0f},
                                           FontSizeCase{1e300, 200.0f}));

TEST_F(TalvaneTest, EnumerationWordsAreClampedAndUnknownWordsGiveZero) {
  Register();
  HostObject object(*plugin);
  object.Init(QVArgs("-default", true));
  QVDictionary dict;
  dict.SetValue("LineType", QVValueSetasQVString("Iterated"));
  dict.SetValue("LineBeg", QVValueSetasQVString("Down"));
  dict.SetValue("LineEnd", QVValueSetasQVString("Sideways"));
  object.SetObjectProperties(dict);
  EXPECT_EQ(Talvane(object).Proline(), (CProline{2, 2, 0, 0}));

  // A number is not a word: nothing changes.
  QVDictionary number;
  number.SetValue("LineType", QVValueSetasUInt32(1));
  object.SetObjectProperties(number);
  EXPECT_EQ(Talvane(object).Proline().type, 2);
}

TEST_F(TalvaneTest, BadUnicodeTextKeepsTheTextAndGoodTextIsFiltered) {
  Register();
  HostObject object(*plugin);
  object.Init(QVArgs("-default", true));
  QVDictionary bad;
  bad.SetValue("UnicodeText", QVValueSetasQVString("E01C;zz"));
  object.SetObjectProperties(bad);
  EXPECT_EQ(Talvane(object).Text().Length(), kDefaultUTextLength);

  QVDictionary good;
  good.SetValue("UnicodeText", QVValueSetasQVString("001F;0020;00FF;0100;DFFF;E000;E4FF;E500"));
  object.SetObjectProperties(good);
  const auto& text = Talvane(object).Text();
  ASSERT_EQ(text.Length(), 4u);
  EXPECT_EQ(text[0], 0x0020);
  EXPECT_EQ(text[1], 0x00FF);
  EXPECT_EQ(text[2], 0xE000);
  EXPECT_EQ(text[3], 0xE4FF);
}

TEST_F(TalvaneTest, KeyLayoutIsStoredFromStringsOnly) {
  Register();
  HostObject object(*plugin);
  object.Init(QVArgs("-default", true));
  QVDictionary dict;
  dict.SetValue("KeyLayout", QVValueSetasFloat64(3.0));
  object.SetObjectProperties(dict);
  EXPECT_EQ(Talvane(object).KeyLayout(), QVString("Brindel"));
  dict.SetValue("KeyLayout", QVValueSetasQVString("Pelmar Alto"));
  object.SetObjectProperties(dict);
  EXPECT_EQ(Talvane(object).KeyLayout(), QVString("Pelmar Alto"));
}

TEST(TalvaneFilter, AuthorisedRangesHaveExactBounds) {
  for (uint16_t u : {0x0020, 0x00FF, 0xE000, 0xE4FF}) {
    EXPECT_TRUE(CStdTalvane::_LowIsAuthorizedPelmarUChar(u)) << u;
  }
  for (uint16_t u : {0x0000, 0x001F, 0x0100, 0xDFFF, 0xE500, 0xFFFF}) {
    EXPECT_FALSE(CStdTalvane::_LowIsAuthorizedPelmarUChar(u)) << u;
  }
  ATNumberArray<uint16_t> empty;
  CStdTalvane::_LowFilterAuthorizedPelmarUChars(empty);
  EXPECT_EQ(empty.Length(), 0u);
}

TEST(TalvaneConstants, UpperBandStartsOneStepAboveFortySixPointEight) {
  uint64_t bits = 0;
  std::memcpy(&bits, &kProlineYPosUp[0], sizeof bits);
  EXPECT_EQ(bits, 0x4047666666666667ull);
}

// ---- Document payload

class TalvanePayloadTest : public TalvaneTest {
 protected:
  std::string ReadAll(const QVFilePath& path) {
    QVString bytes;
    QVFileLoadContentToString(path, bytes);
    return bytes.Std();
  }
};

TEST_F(TalvanePayloadTest, PayloadHasExactBytesInBothByteOrders) {
  Register();
  HostObject object(*plugin);
  object.Init(QVArgs("-default", true));
  QVDictionary dict;
  dict.SetValue("UnicodeText", QVValueSetasQVString("E01C;0041"));
  dict.SetValue("KeyLayout", QVValueSetasQVString("Brindel"));
  object.SetObjectProperties(dict);

  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    QVFile file(QVFile::kTemporary);
    file.SetEndianness(order);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(object.WriteToFile(file), 0);
    QVString bytes;
    ASSERT_EQ(QVFileLoadContentToString(file, bytes), 0);
    const bool big = order == QVFile::kEndianBig;
    std::string expected;
    expected += big ? std::string("\x42\x40\x00\x00", 4) : std::string("\x00\x00\x40\x42", 4);
    expected += std::string("\x01\x01\x01\x00", 4);
    expected += std::string(24, '\0');
    expected += big ? std::string("\x00\x00\x00\x08", 4) : std::string("\x08\x00\x00\x00", 4);
    expected += std::string("Brindel\0", 8);
    expected += big ? std::string("\x00\x00\x00\x02\xE0\x1C\x00\x41", 8)
                    : std::string("\x02\x00\x00\x00\x1C\xE0\x41\x00", 8);
    EXPECT_EQ(bytes.Std(), expected) << (big ? "big" : "little");
  }
}

TEST_F(TalvanePayloadTest, PayloadRoundTripsAndTruncationFailsWithReadError) {
  Register();
  HostObject original(*plugin);
  original.Init(QVArgs("-default", true));
  QVFile file(QVFile::kTemporary);
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  ASSERT_EQ(original.WriteToFile(file), 0);

  file.SetPos(0);
  HostObject copy(*plugin);
  ASSERT_EQ(copy.InitFromFile(file), 0);
  EXPECT_EQ(Talvane(copy).FontSize(), 48.0f);
  EXPECT_EQ(Talvane(copy).Proline(), kDefaultProline);
  EXPECT_EQ(Talvane(copy).KeyLayout(), QVString("Brindel"));
  EXPECT_EQ(Talvane(copy).Text(), Talvane(original).Text());

  // Cut inside the text: the read fails with -977, nothing crashes.
  uint64_t size = 0;
  file.GetFileSize(size);
  file.SetFileSize(size - 3);
  file.SetPos(0);
  HostObject truncated(*plugin);
  testing::internal::CaptureStderr();
  EXPECT_EQ(truncated.InitFromFile(file), -977);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(Talvane(truncated).FontSize(), 48.0f);
}

TEST_F(TalvanePayloadTest, DamagedEnumerationsAndSizesAreBroughtIntoRange) {
  Register();
  QVFile file(QVFile::kTemporary);
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  QVFileWriteFloat32(file, std::nanf(""));
  for (uint8_t b : {7, 200, 3, 0}) QVFileWriteUInt8(file, b);
  QVFileWriteZeros(file, 24);
  QVFileWriteQVString(file, "");
  QVFileWriteQVUniChars(file, ATNumberArray<uint16_t>());
  file.SetPos(0);
  HostObject object(*plugin);
  ASSERT_EQ(object.InitFromFile(file), 0);
  EXPECT_EQ(Talvane(object).FontSize(), 4.0f);
  EXPECT_EQ(Talvane(object).Proline(), (CProline{2, 2, 2, 0}));
}

}  // namespace
