// The host and the plug-in it loads share one copy of the kits: what the
// plug-in sets up in the kit at registration (its symbol font, its keyboard
// layouts, the log's forwarding, the host path provider) is what the host's
// own kit calls see, and the host takes the forwarding back when it lets go.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bridge/HostEnvironment.h"
#include "bridge/HostPlugin.h"
#include "graphics/AGFont.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"
#include "textinput/UKeyLayout.h"

namespace {

bool ListsFamily(const char* family) {
  const QVStringArray& names = AGFont::GetFontNameList();
  return std::any_of(names.begin(), names.end(),
                     [&](const QVString& name) { return name.Std() == family; });
}

// The list holds the symbol layouts only (their names without "Pelmar ").
bool ListsSymbolLayout() { return !UKeyLayout::GetLayoutList().empty(); }

HostEnvironmentOptions Options() {
  HostEnvironmentOptions options;
  options.repositoryDir = ::testing::TempDir() + "shared-kits-repository";
  return options;
}

// One test: the font and layout caches are process-wide, so the "before"
// state exists only once per process.
TEST(HostSharedKits, PluginRegistrationIsSeenByTheHostsKitAndUndoneWhenTheHostLetsGo) {
  // The name list is built now, before the plug-in adds its font: a kit of
  // its own in the plug-in would leave this list as it is.
  ASSERT_FALSE(ListsFamily("Pelmar UC"));
  ASSERT_FALSE(ListsSymbolLayout());
  QVLogMessageProc logBefore = QVGetCustomLogMessageProc();
  const QVHostPathProvider* pathsBefore = QVGetHostPathProvider();

  HostEnvironment environment(Options());
  {
    HostPlugin plugin(environment);
    ASSERT_EQ(plugin.Load(TALVANE_PLUGIN), 0) << plugin.Error();

    // One font cache and one set of keyboard layouts.
    EXPECT_TRUE(ListsFamily("Pelmar UC"));
    EXPECT_TRUE(AGFont(QVString("Pelmar UC"), 48.0f, kAGFontStyleRegular).IsValid());
    EXPECT_TRUE(ListsSymbolLayout());

    // One log: a line the host logs reaches the host's log procedure once,
    // and the procedure does not log again.
    environment.ClearLog();
    ::testing::internal::CaptureStderr();
    QVLogError(-5, "probe");
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "### QVLib Error -5: probe.\n");
    EXPECT_EQ(environment.LogLines(), std::vector<std::string>{"### QVLib Error -5: probe.\n"});

    // A host that runs for days keeps only the latest lines.
    environment.ClearLog();
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 300; ++i) QVLogError(-5, ("line " + std::to_string(i)).c_str());
    (void)::testing::internal::GetCapturedStderr();
    ASSERT_EQ(environment.LogLines().size(), HostEnvironment::kMaxLogLines);
    EXPECT_EQ(environment.LogLines().front(), "### QVLib Error -5: line 44.\n");
    EXPECT_EQ(environment.LogLines().back(), "### QVLib Error -5: line 299.\n");

    // One host path provider: the plug-in's answers through the record.
    EXPECT_NE(QVGetHostPathProvider(), pathsBefore);
    EXPECT_EQ(QVGetRepositoryDirPath().String().Std(), Options().repositoryDir + "/");
  }
  // The plug-in's forwarding pointed at this host's record: it is gone
  // with the plug-in's registration.
  EXPECT_EQ(QVGetCustomLogMessageProc(), logBefore);
  EXPECT_EQ(QVGetHostPathProvider(), pathsBefore);
  EXPECT_TRUE(QVGetRepositoryDirPath().IsEmpty());
}

}  // namespace
