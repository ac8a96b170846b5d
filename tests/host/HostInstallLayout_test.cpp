// Where a host finds the plug-in and the catalogs from its own folder: beside
// itself in a build folder, else in the installed tree.
#include "bridge/HostInstallLayout.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

namespace {

class HostInstallLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = ::testing::TempDir() + "install-layout-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    bin = root + "/bin";
    ::mkdir(root.c_str(), 0700);
    ::mkdir(bin.c_str(), 0700);
  }
  void TearDown() override {
    std::remove((bin + "/StdTalvane.so").c_str());
    ::rmdir((bin + "/locale").c_str());
    ::rmdir(bin.c_str());
    ::rmdir(root.c_str());
  }

  std::string root;
  std::string bin;
};

TEST_F(HostInstallLayoutTest, AnInstalledHostLooksInTheTreeAroundIt) {
  HostInstallLayout layout(bin);
  EXPECT_EQ(layout.PluginPath(), bin + "/" TALVANE_BIN_TO_PLUGIN "/StdTalvane.so");
  EXPECT_EQ(layout.LocaleDir(), bin + "/" TALVANE_BIN_TO_DATA "/locale");
}

TEST_F(HostInstallLayoutTest, AHostInABuildFolderTakesWhatIsBesideIt) {
  std::ofstream(bin + "/StdTalvane.so") << "plug-in";
  ::mkdir((bin + "/locale").c_str(), 0700);
  HostInstallLayout layout(bin);
  EXPECT_EQ(layout.PluginPath(), bin + "/StdTalvane.so");
  EXPECT_EQ(layout.LocaleDir(), bin + "/locale");
}

TEST_F(HostInstallLayoutTest, OnlyAFileIsAPluginAndOnlyAFolderHoldsCatalogs) {
  // A folder named like the plug-in and a file named like the catalogs'
  // folder are not what the host looks for.
  ::mkdir((bin + "/StdTalvane.so").c_str(), 0700);
  std::ofstream(bin + "/locale") << "not a folder";
  HostInstallLayout layout(bin);
  EXPECT_EQ(layout.PluginPath(), bin + "/" TALVANE_BIN_TO_PLUGIN "/StdTalvane.so");
  EXPECT_EQ(layout.LocaleDir(), bin + "/" TALVANE_BIN_TO_DATA "/locale");
  ::rmdir((bin + "/StdTalvane.so").c_str());
  std::remove((bin + "/locale").c_str());
}

}  // namespace
