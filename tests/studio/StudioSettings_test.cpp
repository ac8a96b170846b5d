// The inspector panel's model over the plug-in's own panel description:
// controls as plain data, filled from the selection without touching the
// document, changes applied to every selected object as one undoable step,
// refused changes leaving everything as it was, French texts.
#include "StudioSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StudioActions.h"
#include "StudioDocument.h"
#include "StudioSelection.h"
#include "StudioTestPlugin.h"
#include "bridge/HostGUI.h"
#include "bridge/HostObject.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"

namespace {

using Kind = StudioSettingsControl::Kind;

class StudioSettingsModelTest : public StudioPluginTest {
 protected:
  std::string LocaleDir() const override { return TALVANE_LOCALE_DIR; }
  void SetUp() override {
    StudioPluginTest::SetUp();
    doc = std::make_unique<StudioDocument>(*plugin);
    inspector = std::make_unique<StudioSettings>(plugin->InspectorDesc());
  }
  void TearDown() override {
    inspector.reset();
    doc.reset();
    StudioPluginTest::TearDown();
  }
  StudioObjectId Create() {
    StudioObjectId id = kStudioNoObject;
    EXPECT_EQ(StudioActions::Create(*doc, {0, 0, 640, 64}, &id), 0);
    return id;
  }
  std::string Word(StudioObjectId id, const char* key) {
    QVDictionary dict;
    EXPECT_EQ(doc->Find(id)->GetAllProperties(dict), 0);
    return QVValueGetasQVString(dict.GetValue(key)).Std();
  }
  float FontSize(StudioObjectId id) {
    QVDictionary dict;
    EXPECT_EQ(doc->Find(id)->GetAllProperties(dict), 0);
    return QVValueGetasFloat32(dict.GetValue("FontSize"), true);
  }
  // Selects ids and refreshes the panel from them.
  void Select(const std::vector<StudioObjectId>& ids) {
    selection.Clear();
    for (StudioObjectId id : ids) selection.Add(id);
    ASSERT_EQ(inspector->Refresh(*doc, selection), 0);
  }
  const StudioSettingsControl& Control(uint32_t id) {
    const StudioSettingsControl* control = inspector->Find(id);
    EXPECT_NE(control, nullptr) << id;
    static const StudioSettingsControl kMissing;
    return control ? *control : kMissing;
  }
  bool BeginEndShown() {
    return Control(5).visible && Control(6).visible && Control(7).visible && Control(8).visible;
  }

  std::unique_ptr<StudioDocument> doc;
  std::unique_ptr<StudioSettings> inspector;
  StudioSelection selection;
};

TEST_F(StudioSettingsModelTest, TheControlsAreThePanelDescriptionsAsPlainData) {
  ASSERT_EQ(inspector->Controls().size(), 11u);
  EXPECT_TRUE(inspector->ServesMultipleSelection());
  EXPECT_EQ(inspector->PanelSize().width, 0.0);
  EXPECT_EQ(inspector->PanelSize().height, 132.0);
  struct Expected {
    uint32_t id;
    Kind kind;
    double x, y, width, height;
    const char* title;
  } const expected[] = {
      {0, Kind::kLabel, 10, 7, 68, 16, "Keyboards"},  {1, Kind::kMenu, 82, 5, 144, 17, ""},
      {0, Kind::kLabel, 10, 33, 68, 16, "Font Size"}, {2, Kind::kNumber, 82, 28, 48, 22, ""},
      {3, Kind::kSlider, 130, 28, 98, 20, ""},        {0, Kind::kLabel, 10, 59, 68, 16, "Prolongation"},
      {4, Kind::kMenu, 82, 57, 144, 17, ""},          {5, Kind::kLabel, 10, 85, 68, 16, "Begin/End"},
      {6, Kind::kMenu, 82, 83, 70, 17, ""},           {7, Kind::kMenu, 156, 83, 70, 17, ""},
      {8, Kind::kLabel, 10, 111, 216, 16, ""},
  };
  for (size_t i = 0; i < 11; ++i) {
    const StudioSettingsControl& c = inspector->Controls()[i];
    EXPECT_EQ(c.id, expected[i].id) << i;
    EXPECT_EQ(c.kind, expected[i].kind) << i;
    EXPECT_EQ(c.position.x, expected[i].x) << i;
    EXPECT_EQ(c.position.y, expected[i].y) << i;
    EXPECT_EQ(c.size.width, expected[i].width) << i;
    EXPECT_EQ(c.size.height, expected[i].height) << i;
    EXPECT_EQ(c.title, expected[i].title) << i;
  }
  EXPECT_EQ(Control(4).items, (std::vector<std::string>{"None", "Sustained", "Iterated"}));
  EXPECT_EQ(Control(6).items, (std::vector<std::string>{"Up", "Middle", "Down"}));
  EXPECT_EQ(Control(3).rangeMin, 4.0);
  EXPECT_EQ(Control(3).rangeMax, 200.0);
  EXPECT_EQ(Control(1).items.front(), "Current");
}

TEST_F(StudioSettingsModelTest, ThePanelFollowsTheSelectionWithoutTouchingTheDocument) {
  StudioObjectId plain = Create();
  StudioObjectId sustained = Create();  // as made by default
  std::string name;
  Select({plain});
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 0, name), 0);
  size_t steps = doc->History().Count();

  Select({});
  EXPECT_EQ(inspector->GetState(), StudioSettings::State::kNoSelection);
  EXPECT_TRUE(inspector->Targets().empty());
  Select({plain});
  EXPECT_EQ(inspector->GetState(), StudioSettings::State::kServing);
  EXPECT_EQ(Control(2).value, 48.0);
  EXPECT_EQ(Control(3).value, 48.0);
  EXPECT_EQ(Control(4).index, 0);
  EXPECT_EQ(Control(1).index, Control(1).items.size() > 1 ? 1 : 0);  // "Brindel" after "Current"
  EXPECT_FALSE(BeginEndShown());  // "None" hides the begin/end menus
  Select({sustained});
  EXPECT_EQ(Control(4).index, 1);
  EXPECT_TRUE(BeginEndShown());
  // An id no longer in the document is passed over.
  Select({999, plain});
  EXPECT_EQ(inspector->Targets(), (std::vector<StudioObjectId>{plain}));
  EXPECT_EQ(doc->History().Count(), steps);
}

TEST_F(StudioSettingsModelTest, AChangeIsOneStepAndTheControlsShowTheObjectAfterIt) {
  StudioObjectId id = Create();
  Select({id});
  std::string name;
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 2, name), 0);
  EXPECT_EQ(name, "Change Talvane Prolongation");
  EXPECT_EQ(Word(id, "LineType"), "Iterated");
  EXPECT_EQ(Control(4).index, 2);
  EXPECT_TRUE(BeginEndShown());
  EXPECT_EQ(doc->History().UndoText(), "Undo Change Talvane Prolongation");

  ASSERT_EQ(inspector->ChooseItem(*doc, 6, 2, name), 0);
  EXPECT_EQ(Word(id, "LineBeg"), "Down");
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 0, name), 0);
  EXPECT_FALSE(BeginEndShown());

  // Number texts: clamped by the object and shown clamped in both controls.
  struct {
    const char* text;
    float stored;
  } const numbers[] = {{" 2 ", 4}, {"500", 200}, {"72", 72}, {"60,5", 60.5f}, {"+36.25", 36.25f}};
  for (const auto& n : numbers) {
    ASSERT_EQ(inspector->SetNumberText(*doc, 2, n.text, name), 0) << n.text;
    EXPECT_EQ(FontSize(id), n.stored) << n.text;
    EXPECT_EQ(Control(2).value, n.stored) << n.text;
    EXPECT_EQ(Control(3).value, n.stored) << n.text;
  }
  EXPECT_EQ(name, "Change Talvane Font Size");
  ASSERT_EQ(inspector->SetNumber(*doc, 3, 100, name), 0);  // the slider
  EXPECT_EQ(FontSize(id), 100.0f);

  ASSERT_EQ(doc->Undo(), 0);
  ASSERT_EQ(inspector->Refresh(*doc, selection), 0);
  EXPECT_EQ(Control(2).value, 36.25);

  // The keyboard menu: a layout by name, "Current" as the empty name.
  const std::vector<std::string>& layouts = Control(1).items;
  ASSERT_EQ(layouts, (std::vector<std::string>{"Current", "Brindel", "Carvel", "Sorel"}));
  ASSERT_EQ(inspector->ChooseItem(*doc, 1, 3, name), 0);
  EXPECT_EQ(name, "Change Talvane Keyboard");
  EXPECT_EQ(Word(id, "KeyLayout"), "Sorel");
  ASSERT_EQ(inspector->ChooseItem(*doc, 1, 0, name), 0);
  EXPECT_EQ(Word(id, "KeyLayout"), "");
  EXPECT_EQ(Control(1).index, 0);

  // Choosing what is already chosen records nothing.
  size_t steps = doc->History().Count();
  ASSERT_EQ(inspector->ChooseItem(*doc, 1, 0, name), 0);
  EXPECT_EQ(name, "");
  EXPECT_EQ(doc->History().Count(), steps);
}

TEST_F(StudioSettingsModelTest, AMultipleSelectionChangesEveryObjectAsOneStep) {
  std::vector<StudioObjectId> ids = {Create(), Create(), Create()};
  Select({ids[2], ids[0], ids[1]});
  EXPECT_EQ(inspector->GetState(), StudioSettings::State::kServing);
  size_t steps = doc->History().Count();
  std::string name;
  ASSERT_EQ(inspector->SetNumberText(*doc, 2, "2", name), 0);
  for (StudioObjectId id : ids) EXPECT_EQ(FontSize(id), 4.0f);
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 0, name), 0);
  for (StudioObjectId id : ids) EXPECT_EQ(Word(id, "LineType"), "None");
  EXPECT_EQ(doc->History().Count(), steps + 2);
  ASSERT_EQ(doc->Undo(), 0);
  for (StudioObjectId id : ids) EXPECT_EQ(Word(id, "LineType"), "Sustained");
  ASSERT_EQ(doc->Undo(), 0);
  for (StudioObjectId id : ids) EXPECT_EQ(FontSize(id), 48.0f);
  ASSERT_EQ(doc->Redo(), 0);
  for (StudioObjectId id : ids) EXPECT_EQ(FontSize(id), 4.0f);

  // One object that already has the setting does not stop the others.
  Select({ids[1]});
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 2, name), 0);
  Select(ids);
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 2, name), 0);
  for (StudioObjectId id : ids) EXPECT_EQ(Word(id, "LineType"), "Iterated");
  ASSERT_EQ(doc->Undo(), 0);
  EXPECT_EQ(Word(ids[0], "LineType"), "Sustained");
  EXPECT_EQ(Word(ids[1], "LineType"), "Iterated");
}

TEST_F(StudioSettingsModelTest, APanelForOneObjectDoesNotServeSeveral) {
  std::vector<StudioObjectId> ids = {Create(), Create()};
  plugin->InspectorDesc()->multipleSelection = false;
  Select(ids);
  EXPECT_EQ(inspector->GetState(), StudioSettings::State::kNotServed);
  EXPECT_TRUE(inspector->Targets().empty());
  std::string name;
  testing::internal::CaptureStderr();
  EXPECT_EQ(inspector->SetNumber(*doc, 2, 96, name), kQVErrStudioInspector);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Error -1460: The inspector can't make that change (control 2: no object to change).\n");
  for (StudioObjectId id : ids) EXPECT_EQ(FontSize(id), 48.0f);
  plugin->InspectorDesc()->multipleSelection = true;
}

TEST_F(StudioSettingsModelTest, RefusedChangesLeaveTheObjectsAndTheHistoryAlone) {
  StudioObjectId id = Create();
  Select({id});
  std::string name;
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 0, name), 0);  // "None" hides begin and end
  size_t steps = doc->History().Count();
  name = "stale";
  struct {
    const char* what;
    int32_t status;
    std::function<int32_t()> change;
  } const refused[] = {
      {"a word as a number", kQVErrStudioNumberText, [&] { return inspector->SetNumberText(*doc, 2, "big", name); }},
      {"an empty number", kQVErrStudioNumberText, [&] { return inspector->SetNumberText(*doc, 2, "  ", name); }},
      {"junk after a number", kQVErrStudioNumberText, [&] { return inspector->SetNumberText(*doc, 2, "72pt", name); }},
      {"an exponent", kQVErrStudioNumberText, [&] { return inspector->SetNumberText(*doc, 2, "1e2", name); }},
      {"infinity", kQVErrStudioNumberText, [&] { return inspector->SetNumberText(*doc, 2, "inf", name); }},
      {"not a finite number", kQVErrStudioInspector, [&] { return inspector->SetNumber(*doc, 2, 1.0 / 0.0, name); }},
      {"a menu item past the end", kQVErrStudioInspector, [&] { return inspector->ChooseItem(*doc, 4, 3, name); }},
      {"no item", kQVErrStudioInspector, [&] { return inspector->ChooseItem(*doc, 4, -1, name); }},
      {"a number for a menu", kQVErrStudioInspector, [&] { return inspector->SetNumber(*doc, 4, 1, name); }},
      {"an item for a number field", kQVErrStudioInspector, [&] { return inspector->ChooseItem(*doc, 2, 0, name); }},
      {"a hidden menu (None)", kQVErrStudioInspector, [&] { return inspector->ChooseItem(*doc, 6, 2, name); }},
      {"an unknown control", kQVErrStudioInspector, [&] { return inspector->ChooseItem(*doc, 42, 0, name); }},
  };
  for (const auto& r : refused) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(r.change(), r.status) << r.what;
    EXPECT_NE(testing::internal::GetCapturedStderr(), "") << r.what;  // logged where found
    EXPECT_EQ(name, "") << r.what;
  }
  EXPECT_EQ(FontSize(id), 48.0f);
  EXPECT_EQ(Word(id, "LineType"), "None");
  EXPECT_EQ(doc->History().Count(), steps);

  // Several objects: an unknown one refuses the whole change.
  StudioObjectId other = Create();
  steps = doc->History().Count();
  HostGUIDesc* desc = plugin->InspectorDesc();
  static_cast<HostGUICtrl*>(desc->GetController(2))->SetValueAsFloat32(96.0f);
  testing::internal::CaptureStderr();
  EXPECT_EQ(StudioActions::ChangeInInspector(*doc, {other, 77}, desc, 2, name), kQVErrNoSuchObject);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "### QVLib Error -707: No object 77 in the document.\n");
  EXPECT_EQ(FontSize(other), 48.0f);
  EXPECT_EQ(doc->History().Count(), steps);
  std::vector<StudioObjectId> none;
  EXPECT_EQ(StudioActions::ChangeInInspector(*doc, none, desc, 2, name), 0);
  EXPECT_EQ(doc->History().Count(), steps);
}

TEST(StudioSettingsNumberText, ReadsDecimalsWithAPointOrAComma) {
  struct {
    const char* text;
    bool ok;
    double value;
  } const cases[] = {{"72", true, 72},     {" 72 ", true, 72},    {"\t4.5", true, 4.5},
                     {"4,5", true, 4.5},   {"-3", true, -3},      {"+8", true, 8},
                     {".5", true, 0.5},    {"", false, 0},        {"+", false, 0},
                     {"7 2", false, 0},    {"4,5,6", false, 0},   {"0x10", false, 0},
                     {"nan", false, 0},    {"1e400", false, 0},   {"--1", false, 0},
                     {"+-5", false, 0},    {"+ 5", false, 0},     {"-+5", false, 0}};
  for (const auto& c : cases) {
    double value = -99;
    EXPECT_EQ(StudioSettings::ParseNumber(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : -99) << c.text;
  }
}

class StudioFrenchInspectorModelTest : public StudioSettingsModelTest {
 protected:
  std::string Language() const override { return "fr"; }
};

TEST_F(StudioFrenchInspectorModelTest, TextsComeFromTheHostsCatalogs) {
  StudioObjectId id = Create();
  Select({id});
  EXPECT_EQ(inspector->Controls()[0].title, "Claviers");
  EXPECT_EQ(Control(4).items, (std::vector<std::string>{"Aucune", "Entretenue", "Itérée"}));
  EXPECT_EQ(Control(1).items.front(), "Actuel");
  std::string name;
  ASSERT_EQ(inspector->ChooseItem(*doc, 4, 2, name), 0);
  EXPECT_EQ(name, "Changer la prolongation du Talvane");
  EXPECT_EQ(Word(id, "LineType"), "Iterated");
}

TEST(StudioSettingsWithoutPanel, APluginWithoutPanelShowsNone) {
  StudioSettings inspector(nullptr);
  EXPECT_EQ(inspector.GetState(), StudioSettings::State::kNoPanel);
  EXPECT_TRUE(inspector.Controls().empty());
  EXPECT_FALSE(inspector.ServesMultipleSelection());
}

}  // namespace
