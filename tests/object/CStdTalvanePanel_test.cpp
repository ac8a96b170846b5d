// The Talvane inspector panel through the reference host's panel tables.
#include <gtest/gtest.h>

#include "TalvaneTestSupport.h"

#include <cmath>
#include <memory>
#include <string>

#include "bridge/HostEnvironment.h"
#include "bridge/HostGUI.h"
#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "host/QVClass.h"
#include "host/QVEnv.h"
#include "host/QVGUIEvent.h"
#include "kit/QVArgs.h"
#include "kit/QVHostPaths.h"
#include "kit/QVLog.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "object/CStdTalvaneRegistration.h"

namespace {

class InspectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetRegistration();
    HostEnvironmentOptions options;
    options.localeDir = TALVANE_LOCALE_DIR;
    options.language = language();
    env = std::make_unique<HostEnvironment>(options);
    plugin = std::make_unique<HostPlugin>(*env);
    ASSERT_EQ(plugin->Register(&CStdTalvaneRegister), 0);
    desc = plugin->InspectorDesc();
    ASSERT_NE(desc, nullptr);
    object = std::make_unique<HostObject>(*plugin);
    object->Init(QVArgs("-default", true));
  }
  void TearDown() override {
    object.reset();
    plugin.reset();
    env.reset();
    ForgetRegistration();
  }
  virtual std::string language() const { return ""; }


  HostGUICtrl& Ctrl(uint32_t id) {
    auto* c = static_cast<HostGUICtrl*>(desc->GetController(id));
    EXPECT_NE(c, nullptr) << id;
    return *c;
  }
  CStdTalvane& Talvane() { return *static_cast<CStdTalvane*>(object->Object()); }

  std::string Change(uint32_t id) {
    std::string action;
    object->Inspect(desc, kQVGUIEventChanged, id, action);
    return action;
  }
  void Fill() {
    std::string action;
    object->Inspect(desc, kQVGUIEventFill, 0, action);
    EXPECT_TRUE(action.empty());
  }

  std::unique_ptr<HostEnvironment> env;
  std::unique_ptr<HostPlugin> plugin;
  HostGUIDesc* desc = nullptr;
  std::unique_ptr<HostObject> object;
};

TEST_F(InspectorTest, PanelHasElevenControlsInTheirExactTexts) {
  EXPECT_EQ(desc->header, "-multisel:1");
  EXPECT_TRUE(desc->multipleSelection);
  EXPECT_EQ(desc->width, 0);
  EXPECT_EQ(desc->height, 132);
  ASSERT_EQ(desc->controls.size(), 11u);
  EXPECT_EQ(desc->controls[0]->text,
            "-id:0 -type:StaticText  -pos:(010;7) -dim:(068;016) -title:\"Keyboards\"");
  EXPECT_EQ(desc->controls[1]->text, "-id:1 -type:PopupMenu   -pos:(082;5) -dim:(144;017)");
  EXPECT_EQ(desc->controls[3]->text,
            "-id:2 -type:EditNum     -pos:(082;28) -dim:(048;022) -prec:0");
  EXPECT_EQ(desc->controls[4]->text,
            "-id:3 -type:Slider      -pos:(130;28) -dim:(098;020) -range:(4;200)");
  EXPECT_EQ(desc->controls[8]->text, "-id:6 -type:PopupMenu   -pos:(082;83) -dim:(070;017)");
  EXPECT_EQ(desc->controls[9]->text, "-id:7 -type:PopupMenu   -pos:(156;83) -dim:(070;017)");
  EXPECT_EQ(desc->controls[10]->text, "-id:8 -type:StaticText  -pos:(010;111) -dim:(216;016)");
  EXPECT_EQ(Ctrl(4).items, (std::vector<std::string>{"None", "Sustained", "Iterated"}));
  EXPECT_EQ(Ctrl(6).items, (std::vector<std::string>{"Up", "Middle", "Down"}));
  // The keyboard menu: "Current" then the symbol layouts, or disabled.
  ASSERT_FALSE(Ctrl(1).items.empty());
  if (Ctrl(1).enabled) {
    EXPECT_EQ(Ctrl(1).items[0], "Current");
  } else {
    EXPECT_EQ(Ctrl(1).items, (std::vector<std::string>{"<Not Installed>"}));
  }
}

TEST_F(InspectorTest, FillingShowsTheSettingsAndHidesLineEndsForNone) {
  Fill();
  EXPECT_EQ(Ctrl(2).value, 48.0f);
  EXPECT_EQ(Ctrl(3).value, 48.0f);
  EXPECT_EQ(Ctrl(4).index, 1);
  EXPECT_EQ(Ctrl(6).index, 1);
  EXPECT_TRUE(Ctrl(5).visible && Ctrl(6).visible && Ctrl(7).visible && Ctrl(8).visible);

  Ctrl(4).SetMenuIndex(0);
  EXPECT_EQ(Change(4), "Change Talvane Prolongation");
  EXPECT_EQ(Talvane().Proline().type, kProlineTypeNone);
  EXPECT_FALSE(Ctrl(5).visible || Ctrl(6).visible || Ctrl(7).visible || Ctrl(8).visible);
  Ctrl(4).SetMenuIndex(1);
  Change(4);
  EXPECT_TRUE(Ctrl(5).visible && Ctrl(8).visible);
}

TEST_F(InspectorTest, FontSizeChangesAreClampedAndShownInBothControls) {
  const struct {
    uint32_t id;
    float typed;
    float kept;
  } cases[] = {{2, 2.0f, 4.0f}, {2, 500.0f, 200.0f}, {3, 72.0f, 72.0f}, {2, std::nanf(""), 4.0f}};
  for (const auto& c : cases) {
    Ctrl(c.id).SetValueAsFloat32(c.typed);
    EXPECT_EQ(Change(c.id), "Change Talvane Font Size");
    EXPECT_EQ(Talvane().FontSize(), c.kept);
    EXPECT_EQ(Ctrl(2).value, c.kept);
    EXPECT_EQ(Ctrl(3).value, c.kept);
  }
}

TEST_F(InspectorTest, MenuIndexesBeyondTheLastWordCountAsTheLast) {
  Fill();
  Ctrl(7).index = 5;
  EXPECT_EQ(Change(7), "Change Talvane Prolongation");
  EXPECT_EQ(Talvane().Proline().end, 2);
  Ctrl(6).index = -1;  // taken as one byte: 255
  Change(6);
  EXPECT_EQ(Talvane().Proline().begin, 2);
}

TEST_F(InspectorTest, ChoosingCurrentEmptiesTheLayoutAndUnknownIdsDoNothing) {
  Fill();
  Ctrl(1).SetMenuIndex(0);
  EXPECT_EQ(Change(1), "Change Talvane Keyboard");
  EXPECT_TRUE(Talvane().KeyLayout().IsEmpty());
  EXPECT_EQ(Change(5), "");
  EXPECT_EQ(Change(0), "");
  EXPECT_EQ(Change(42), "");
}

TEST_F(InspectorTest, AnActionNameDropsTheCachedGeometryEvenForAFillEvent) {
  Talvane().LowBuildCurrentPath();
  ASSERT_TRUE(Talvane().HasCachedPath());
  QVGUIDesc handle(desc);
  QVGUIEvent event;
  event.kind = kQVGUIEventFill;
  event.actionName = "Earlier action";
  Talvane()._apmInspector(handle, event);
  EXPECT_FALSE(Talvane().HasCachedPath());
}

class FrenchInspectorTest : public InspectorTest {
  std::string language() const override { return "fr"; }
};

TEST_F(FrenchInspectorTest, TitlesItemsAndActionNamesAreTranslated) {
  EXPECT_EQ(desc->controls[0]->title, "Claviers");
  EXPECT_EQ(Ctrl(5).title, "D\x8E" "but/Fin");
  EXPECT_EQ(Ctrl(4).items, (std::vector<std::string>{"Aucune", "Entretenue", "It\x8E" "r\x8E" "e"}));
  Ctrl(4).SetMenuIndex(2);
  EXPECT_EQ(Change(4), "Changer la prolongation du Talvane");
}

}  // namespace
