// The Talvane class registered in-process for the studio tests, through the
// reference host's plug-in records, as the studio will load it.
#ifndef STUDIO_TEST_PLUGIN_H
#define STUDIO_TEST_PLUGIN_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bridge/HostEnvironment.h"
#include "bridge/HostPlugin.h"
#include "object/CStdTalvaneRegistration.h"
#include "object/TalvaneTestSupport.h"

class StudioPluginTest : public testing::Test {
 protected:
  void SetUp() override {
    ForgetRegistration();
    HostEnvironmentOptions options;
    options.localeDir = LocaleDir();
    options.language = Language();
    env = std::make_unique<HostEnvironment>(options);
    plugin = std::make_unique<HostPlugin>(*env);
    ASSERT_EQ(plugin->Register(&CStdTalvaneRegister), 0);
  }
  void TearDown() override {
    plugin.reset();
    env.reset();
    ForgetRegistration();
  }
  virtual std::string Language() const { return ""; }
  virtual std::string LocaleDir() const { return ""; }

  std::unique_ptr<HostEnvironment> env;
  std::unique_ptr<HostPlugin> plugin;
};

#endif
