// The studio document driven as the studio's GUI will drive it: objects of
// the Talvane class created, deleted, duplicated, copied and pasted, moved
// and resized, their properties and inspector settings changed, typed into;
// every step undone and redone and compared with what it was, bit for bit.
#include "StudioDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bridge/HostGUI.h"
#include "bridge/HostObject.h"
#include "StudioActions.h"
#include "StudioObjectSnapshot.h"
#include "StudioTestPlugin.h"
#include "StudioTestRecordings.h"
#include "StudioTypingSession.h"
#include "StudioWaveSummary.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"
#include "textinput/UKeyLayout.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectFrame(const AGRect& actual, const AGRect& expected) {
  EXPECT_EQ(actual.x1, expected.x1);
  EXPECT_EQ(actual.y1, expected.y1);
  EXPECT_EQ(actual.x2, expected.x2);
  EXPECT_EQ(actual.y2, expected.y2);
}

class StudioDocumentTest : public StudioPluginTest {
 protected:
  void SetUp() override {
    StudioPluginTest::SetUp();
    doc = std::make_unique<StudioDocument>(*plugin);
  }
  void TearDown() override {
    doc.reset();
    StudioPluginTest::TearDown();
  }

  StudioObjectId Create(const AGRect& frame) {
    StudioObjectId id = kStudioNoObject;
    EXPECT_EQ(StudioActions::Create(*doc, frame, &id), 0);
    return id;
  }
  // Four objects one after the other in time, the second with font size 72.
  std::vector<StudioObjectId> CreateFour() {
    std::vector<StudioObjectId> ids;
    for (int i = 0; i < 4; ++i) ids.push_back(Create({1000.0 * i, 0.0, 1000.0 * i + 640.0, 64.0}));
    Set({ids[1]}, "FontSize", QVValueSetasFloat32(72.0f), "Font Size");
    return ids;
  }
  const AGRect& FrameOf(StudioObjectId id) { return doc->Find(id)->Record().frame; }
  QVDictionary Properties(StudioObjectId id) {
    QVDictionary dict;
    EXPECT_EQ(doc->Find(id)->GetAllProperties(dict), 0);
    return dict;
  }
  float FontSize(StudioObjectId id) {
    return QVValueGetasFloat32(Properties(id).GetValue("FontSize"), true);
  }
  StudioObjectSnapshot Snapshot(StudioObjectId id) {
    StudioObjectSnapshot snapshot;
    EXPECT_EQ(StudioObjectSnapshot::Capture(*doc->Find(id), snapshot), 0);
    return snapshot;
  }
  std::vector<StudioObjectSnapshot> SnapshotAll() {
    std::vector<StudioObjectSnapshot> all;
    for (StudioObjectId id : doc->Ids()) all.push_back(Snapshot(id));
    return all;
  }
  void ExpectSameObjects(const std::vector<StudioObjectSnapshot>& expected) {
    std::vector<StudioObjectSnapshot> actual = SnapshotAll();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
      EXPECT_TRUE(actual[i].IsEqual(expected[i])) << "object " << i;
  }
  int32_t Set(const std::vector<StudioObjectId>& ids, const char* key, const QVValue& value,
              const char* name) {
    QVDictionary dict;
    EXPECT_EQ(dict.SetValue(key, value), 0);
    return StudioActions::SetProperties(*doc, ids, dict, name);
  }

  std::unique_ptr<StudioDocument> doc;
};

// ---- Create

TEST_F(StudioDocumentTest, CreateMakesADefaultObjectOnTopThatUndoTakesAway) {
  EXPECT_FALSE(doc->IsModified());
  StudioObjectId first = Create({100.0, 0.0, 740.0, 64.0});
  StudioObjectId second = Create({900.0, 64.0, 500.0, 10.0});  // corners in any order
  EXPECT_NE(first, kStudioNoObject);
  EXPECT_NE(first, second);
  EXPECT_EQ(doc->Ids(), (std::vector<StudioObjectId>{first, second}));
  ExpectFrame(FrameOf(second), {500.0, 10.0, 900.0, 64.0});
  EXPECT_EQ(FontSize(first), 48.0f);
  EXPECT_EQ(QVValueGetasQVString(Properties(first).GetValue("LineType")).Std(), "Sustained");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->History().UndoText(), "Undo Create");

  const HostObject* object = doc->Find(second);
  ASSERT_EQ(doc->Undo(), 0);
  EXPECT_EQ(doc->Ids(), (std::vector<StudioObjectId>{first}));
  EXPECT_EQ(doc->Find(second), nullptr);
  ASSERT_EQ(doc->Redo(), 0);
  // The very object comes back, under its id.
  EXPECT_EQ(doc->Find(second), object);
  EXPECT_EQ(doc->Ids(), (std::vector<StudioObjectId>{first, second}));
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(StudioDocumentTest, IdsAreNeverGivenTwice) {
  StudioObjectId first = Create({0.0, 0.0, 10.0, 10.0});
  EXPECT_EQ(doc->Undo(), 0);
  StudioObjectId second = Create({0.0, 0.0, 10.0, 10.0});
  EXPECT_NE(second, first);
  EXPECT_FALSE(doc->Contains(first));
}

TEST_F(StudioDocumentTest, AFrameThatIsNotFiniteIsRefusedAndNothingIsRecorded) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(StudioActions::Create(*doc, {0.0, 0.0, kNaN, 10.0}, nullptr), kQVErrBadProperty);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Error -706: Bad value for property \"Frame\".\n");
  EXPECT_EQ(doc->Count(), 0u);
  EXPECT_EQ(doc->History().Count(), 0u);
  EXPECT_FALSE(doc->IsModified());
}

// ---- Delete

TEST_F(StudioDocumentTest, DeleteAndUndoBringBackTheSameObjectsAtTheirPlaces) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::vector<StudioObjectSnapshot> before = SnapshotAll();
  const HostObject* second = doc->Find(ids[1]);

  ASSERT_EQ(StudioActions::Delete(*doc, {ids[3], ids[1], ids[3]}), 0);  // any order, repeats
  EXPECT_EQ(doc->Ids(), (std::vector<StudioObjectId>{ids[0], ids[2]}));
  EXPECT_EQ(doc->History().UndoText(), "Undo Delete");

  ASSERT_EQ(doc->Undo(), 0);
  EXPECT_EQ(doc->Ids(), ids);
  EXPECT_EQ(doc->Find(ids[1]), second);
  ExpectSameObjects(before);
  EXPECT_EQ(FontSize(ids[1]), 72.0f);

  ASSERT_EQ(doc->Redo(), 0);
  EXPECT_EQ(doc->Ids(), (std::vector<StudioObjectId>{ids[0], ids[2]}));
}

TEST_F(StudioDocumentTest, DeletingAnUnknownObjectChangesNothing) {
  std::vector<StudioObjectId> ids = CreateFour();
  size_t steps = doc->History().Count();
  testing::internal::CaptureStderr();
  EXPECT_EQ(StudioActions::Delete(*doc, {ids[0], 999}), kQVErrNoSuchObject);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Error -707: No object 999 in the document.\n");
  EXPECT_EQ(doc->Ids(), ids);
  EXPECT_EQ(doc->History().Count(), steps);
  EXPECT_EQ(StudioActions::Delete(*doc, {}), 0);
  EXPECT_EQ(doc->History().Count(), steps);
}

// ---- Duplicate, copy and paste

TEST_F(StudioDocumentTest, DuplicateMakesExactCopiesOnTopInZOrder) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::vector<StudioObjectId> copies;
  ASSERT_EQ(StudioActions::Duplicate(*doc, {ids[2], ids[1]}, 250.0, 8.0, &copies), 0);
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(doc->Ids(),
            (std::vector<StudioObjectId>{ids[0], ids[1], ids[2], ids[3], copies[0], copies[1]}));
  // The copies follow the originals' z-order, not the order asked.
  ExpectFrame(FrameOf(copies[0]), {1250.0, 8.0, 1890.0, 72.0});
  ExpectFrame(FrameOf(copies[1]), {2250.0, 8.0, 2890.0, 72.0});
  EXPECT_EQ(Snapshot(copies[0]).Payload(), Snapshot(ids[1]).Payload());
  EXPECT_EQ(Snapshot(copies[0]).Base(), Snapshot(ids[1]).Base());
  EXPECT_EQ(doc->History().UndoText(), "Undo Duplicate");
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_EQ(doc->Ids(), ids);
}

TEST_F(StudioDocumentTest, CopiesKeepSettingsThatThePropertiesDoNotShow) {
  // Prolongation ends "Down", then type "None": the ends no longer show in
  // the properties, yet a copy made from properties would lose them.
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  Set({id}, "LineEnd", QVValueSetasQVString("Down"), "End");
  Set({id}, "LineType", QVValueSetasQVString("None"), "Type");
  EXPECT_FALSE(Properties(id).ContainsKey("LineEnd"));
  std::vector<StudioObjectId> copies;
  ASSERT_EQ(StudioActions::Duplicate(*doc, {id}, 0.0, 0.0, &copies), 0);
  ASSERT_EQ(Set(copies, "LineType", QVValueSetasQVString("Iterated"), "Type"), 0);
  EXPECT_EQ(QVValueGetasQVString(Properties(copies[0]).GetValue("LineEnd")).Std(), "Down");
}

TEST_F(StudioDocumentTest, CopiedObjectsPasteIntoAnotherDocumentExactly) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::string bytes;
  ASSERT_EQ(StudioActions::Copy(*doc, {ids[1], ids[3]}, bytes), 0);
  EXPECT_EQ(doc->History().Count(), 5u);  // copying is not a step

  StudioDocument other(*plugin);
  StudioObjectId existing = kStudioNoObject;
  ASSERT_EQ(StudioActions::Create(other, {0.0, 0.0, 10.0, 10.0}, &existing), 0);
  std::vector<StudioObjectId> pasted;
  ASSERT_EQ(StudioActions::Paste(other, bytes, -500.0, 0.0, &pasted), 0);
  ASSERT_EQ(pasted.size(), 2u);
  EXPECT_EQ(other.Ids(), (std::vector<StudioObjectId>{existing, pasted[0], pasted[1]}));
  StudioObjectSnapshot copy;
  ASSERT_EQ(StudioObjectSnapshot::Capture(*other.Find(pasted[0]), copy), 0);
  EXPECT_EQ(copy.Payload(), Snapshot(ids[1]).Payload());
  ExpectFrame(copy.Frame(), {500.0, 0.0, 1140.0, 64.0});
  ExpectFrame(other.Find(pasted[1])->Record().frame, {2500.0, 0.0, 3140.0, 64.0});
  EXPECT_EQ(other.History().UndoText(), "Undo Paste");
  ASSERT_EQ(other.Undo(), 0);
  EXPECT_EQ(other.Ids(), (std::vector<StudioObjectId>{existing}));

  // An empty list pastes nothing and records nothing.
  ASSERT_EQ(StudioActions::Copy(*doc, {}, bytes), 0);
  ASSERT_EQ(StudioActions::Paste(other, bytes, 0.0, 0.0, &pasted), 0);
  EXPECT_TRUE(pasted.empty());
  EXPECT_TRUE(other.History().CanRedo());
}

// Writes a double big-endian at offset.
void PutDouble(std::string& bytes, size_t offset, double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  for (int i = 0; i < 8; ++i) bytes[offset + i] = static_cast<char>(bits >> (56 - 8 * i));
}

TEST_F(StudioDocumentTest, DamagedClipboardDataIsRefusedAndPastesNothing) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::string bytes;
  ASSERT_EQ(StudioActions::Copy(*doc, {ids[0]}, bytes), 0);
  // "TScb" size, version 1, the class ids, then "objt" size and the frame.
  ASSERT_EQ(bytes.substr(0, 4), "TScb");
  ASSERT_EQ(bytes.substr(28, 4), "objt");
  const size_t frameAt = 36;

  struct Damage {
    const char* what;
    std::string bytes;
    int32_t status;
  };
  std::string notFinite = bytes;
  PutDouble(notFinite, frameAt + 16, kNaN);
  std::string otherClass = bytes;
  otherClass[12] = 'X';
  std::string newerVersion = bytes;
  newerVersion[11] = 2;
  std::string objectTooLong = bytes;
  objectTooLong[34] = 0x7F;  // the object's size runs past the list
  const Damage damages[] = {
      {"empty", "", kQVErrStudioClipboard},
      {"text", "Some text someone copied, not objects at all.", kQVErrStudioClipboard},
      {"cut short", bytes.substr(0, bytes.size() - 5), kQVErrStudioClipboard},
      {"frame not finite", notFinite, kQVErrStudioClipboard},
      {"another class", otherClass, kQVErrUnknownClass},
      {"newer version", newerVersion, kQVErrStudioClipboard},
      {"object too long", objectTooLong, kQVErrStudioClipboard},
  };
  size_t steps = doc->History().Count();
  for (const Damage& damage : damages) {
    testing::internal::CaptureStderr();
    std::vector<StudioObjectId> pasted = {42};
    EXPECT_EQ(StudioActions::Paste(*doc, damage.bytes, 0.0, 0.0, &pasted), damage.status)
        << damage.what;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(damage.status == kQVErrUnknownClass
                           ? "### QVLib Error -704"
                           : "### QVLib Error -1406: The pasted objects are damaged ("),
              std::string::npos)
        << damage.what << ": " << log;
    EXPECT_EQ(pasted, std::vector<StudioObjectId>{42}) << damage.what;
    EXPECT_EQ(doc->Ids(), ids) << damage.what;
    EXPECT_EQ(doc->History().Count(), steps) << damage.what;
  }
}

// ---- Move and resize

TEST_F(StudioDocumentTest, TheStepsOfOneDragUndoAsOne) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::vector<StudioObjectId> pair = {ids[0], ids[2]};
  size_t steps = doc->History().Count();
  uint64_t drag = doc->NewGesture();
  for (double dx : {10.0, 20.0, 35.5}) {
    ASSERT_EQ(StudioActions::SetFrames(
                  *doc, pair, {{dx, 0.0, dx + 640.0, 64.0}, {2000.0 + dx, 0.0, 2640.0 + dx, 64.0}},
                  StudioActionName::kMove, drag),
              0);
  }
  EXPECT_EQ(doc->History().Count(), steps + 1);
  EXPECT_EQ(doc->History().UndoText(), "Undo Move");
  ExpectFrame(FrameOf(ids[2]), {2035.5, 0.0, 2675.5, 64.0});

  ASSERT_EQ(doc->Undo(), 0);
  ExpectFrame(FrameOf(ids[0]), {0.0, 0.0, 640.0, 64.0});
  ExpectFrame(FrameOf(ids[2]), {2000.0, 0.0, 2640.0, 64.0});
  ASSERT_EQ(doc->Redo(), 0);
  ExpectFrame(FrameOf(ids[0]), {35.5, 0.0, 675.5, 64.0});

  // A resize of the same objects in a new drag is a step of its own.
  uint64_t resize = doc->NewGesture();
  EXPECT_NE(resize, drag);
  ASSERT_EQ(StudioActions::SetFrames(*doc, {ids[0]}, {{35.5, 0.0, 900.0, 80.0}},
                                     StudioActionName::kResize, resize),
            0);
  EXPECT_EQ(doc->History().UndoText(), "Undo Resize");
  EXPECT_EQ(doc->History().Count(), steps + 2);
  // Frames equal to the present ones record nothing.
  ASSERT_EQ(StudioActions::SetFrames(*doc, {ids[0]}, {{35.5, 0.0, 900.0, 80.0}},
                                     StudioActionName::kResize, 0),
            0);
  EXPECT_EQ(doc->History().Count(), steps + 2);
}

TEST_F(StudioDocumentTest, ADragContinuedAfterSavingIsModified) {
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  uint64_t drag = doc->NewGesture();
  EXPECT_EQ(StudioActions::SetFrames(*doc, {id}, {{10.0, 0.0, 650.0, 64.0}}, StudioActionName::kMove, drag), 0);
  StudioTestFolder folder;
  ASSERT_EQ(doc->Save(folder.File("saved.tlv")), 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(StudioActions::SetFrames(*doc, {id}, {{20.0, 0.0, 660.0, 64.0}}, StudioActionName::kMove, drag), 0);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_FALSE(doc->IsModified());
  ExpectFrame(FrameOf(id), {10.0, 0.0, 650.0, 64.0});
}

TEST_F(StudioDocumentTest, BadFramesAreRefused) {
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  testing::internal::CaptureStderr();
  EXPECT_EQ(
      StudioActions::SetFrames(*doc, {id}, {{kNaN, 0.0, 1.0, 1.0}}, StudioActionName::kMove, 0),
      kQVErrBadProperty);
  EXPECT_EQ(StudioActions::SetFrames(*doc, {id}, {}, StudioActionName::kMove, 0),
            kQVErrBadProperty);
  EXPECT_EQ(
      StudioActions::SetFrames(*doc, {77}, {{0.0, 0.0, 1.0, 1.0}}, StudioActionName::kMove, 0),
      kQVErrNoSuchObject);
  testing::internal::GetCapturedStderr();
  ExpectFrame(FrameOf(id), {0.0, 0.0, 640.0, 64.0});
  EXPECT_EQ(doc->History().Count(), 1u);
}

// ---- Properties

TEST_F(StudioDocumentTest, SetPropertiesIsOneStepForAllObjects) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::vector<StudioObjectSnapshot> before = SnapshotAll();
  QVDictionary dict;
  EXPECT_EQ(dict.SetValue("FontSize", QVValueSetasFloat32(500.0f)), 0);  // clamped to 200
  EXPECT_EQ(dict.SetValue("LineType", QVValueSetasQVString("Iterated")), 0);
  ASSERT_EQ(StudioActions::SetProperties(*doc, {ids[0], ids[3]}, dict, "Talvane Settings"), 0);
  EXPECT_EQ(FontSize(ids[0]), 200.0f);
  EXPECT_EQ(FontSize(ids[3]), 200.0f);
  EXPECT_EQ(FontSize(ids[1]), 72.0f);
  EXPECT_EQ(QVValueGetasQVString(Properties(ids[3]).GetValue("LineType")).Std(), "Iterated");
  EXPECT_EQ(doc->History().UndoText(), "Undo Talvane Settings");
  std::vector<StudioObjectSnapshot> after = SnapshotAll();

  ASSERT_EQ(doc->Undo(), 0);
  ExpectSameObjects(before);
  EXPECT_TRUE(Properties(ids[0]).IsEqual(Properties(ids[2])));
  ASSERT_EQ(doc->Redo(), 0);
  ExpectSameObjects(after);
  // Ids and places stay, though the objects behind them were made anew.
  EXPECT_EQ(doc->Ids(), ids);
}

TEST_F(StudioDocumentTest, BrushAndPenAreSetThroughTheHostsBaseClass) {
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  QVDictionary before = Properties(id);
  AGBrush red;
  red.SetStyleSolid(0xFF0000FFu);
  QVValue value;
  red.WriteToValue(&value);
  ASSERT_EQ(Set({id}, "Brush", value, "Fill"), 0);
  EXPECT_EQ(doc->Find(id)->Record().brush, red);
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_TRUE(Properties(id).IsEqual(before));
}

TEST_F(StudioDocumentTest, PropertiesThatChangeNothingRecordNothing) {
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  EXPECT_EQ(Set({id}, "FontSize", QVValueSetasFloat32(48.0f), "Font Size"), 0);
  EXPECT_EQ(Set({id}, "NoSuchKey", QVValueSetasFloat32(1.0f), "Nothing"), 0);
  EXPECT_EQ(doc->History().Count(), 1u);
  EXPECT_EQ(doc->History().UndoText(), "Undo Create");
}

// ---- Inspector

class StudioSettingsTest : public StudioDocumentTest {
 protected:
  std::string LocaleDir() const override { return TALVANE_LOCALE_DIR; }
  HostGUICtrl& Control(uint32_t control) {
    return *static_cast<HostGUICtrl*>(plugin->InspectorDesc()->GetController(control));
  }
};

TEST_F(StudioSettingsTest, AnInspectorChangeIsAStepNamedByTheObject) {
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  HostGUIDesc* desc = plugin->InspectorDesc();
  ASSERT_NE(desc, nullptr);
  ASSERT_EQ(StudioActions::FillInspector(*doc, id, desc), 0);
  EXPECT_EQ(Control(2).value, 48.0f);
  EXPECT_EQ(doc->History().Count(), 1u);  // filling is not a step

  Control(2).SetValueAsFloat32(96.0f);
  std::string name;
  ASSERT_EQ(StudioActions::ChangeInInspector(*doc, id, desc, 2, name), 0);
  EXPECT_EQ(name, "Change Talvane Font Size");
  EXPECT_EQ(FontSize(id), 96.0f);
  EXPECT_EQ(doc->History().UndoText(), "Undo Change Talvane Font Size");
  ASSERT_EQ(doc->Undo(), 0);
  EXPECT_EQ(FontSize(id), 48.0f);
  EXPECT_EQ(doc->History().RedoText(), "Redo Change Talvane Font Size");
  ASSERT_EQ(doc->Redo(), 0);
  EXPECT_EQ(FontSize(id), 96.0f);

  // A control the object does not change records nothing.
  ASSERT_EQ(StudioActions::ChangeInInspector(*doc, id, desc, 0, name), 0);
  EXPECT_EQ(name, "");
  EXPECT_EQ(doc->History().Count(), 2u);

  // Without a panel, or for an unknown object, nothing is asked of any.
  testing::internal::CaptureStderr();
  EXPECT_EQ(StudioActions::FillInspector(*doc, id, nullptr), kQVErrGeneric);
  EXPECT_EQ(StudioActions::ChangeInInspector(*doc, id, nullptr, 2, name), kQVErrGeneric);
  EXPECT_EQ(StudioActions::ChangeInInspector(*doc, 99, desc, 2, name), kQVErrNoSuchObject);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Error -1: No inspector panel to fill.\n"
            "### QVLib Error -1: No inspector panel to read.\n"
            "### QVLib Error -707: No object 99 in the document.\n");
  EXPECT_EQ(doc->History().Count(), 2u);
}

class StudioFrenchInspectorTest : public StudioSettingsTest {
 protected:
  std::string Language() const override { return "fr"; }
};

TEST_F(StudioFrenchInspectorTest, TheActionNameIsThePluginsTranslation) {
  StudioObjectId id = Create({0.0, 0.0, 640.0, 64.0});
  Control(4).SetMenuIndex(2);  // "Iterated"
  std::string name;
  ASSERT_EQ(StudioActions::ChangeInInspector(*doc, id, plugin->InspectorDesc(), 4, name), 0);
  EXPECT_EQ(name, "Changer la prolongation du Talvane");
  EXPECT_EQ(doc->History().UndoText(), "Undo Changer la prolongation du Talvane");
}

// ---- Typing

class StudioTypingTest : public StudioDocumentTest {
 protected:
  void SetUp() override {
    StudioDocumentTest::SetUp();
    UKeyLayout::ExitEditMode();
  }
  void TearDown() override {
    UKeyLayout::ExitEditMode();
    StudioDocumentTest::TearDown();
  }
  std::vector<unsigned> Text(StudioObjectId id) {
    QVUniChars text = QVValueGetasQVUniChars(Properties(id).GetValue("UnicodeText"));
    return std::vector<unsigned>(text.begin(), text.end());
  }
  void Press(StudioTypingSession& session, const char* name) {
    HostEditKey key;
    ASSERT_TRUE(HostParseEditKey(name, key)) << name;
    EXPECT_EQ(session.Key(key), 0) << name;
  }
};

TEST_F(StudioTypingTest, AWholeTypingSessionIsOneStep) {
  StudioObjectId id = Create({0.0, 0.0, 1000.0, 100.0});
  std::vector<unsigned> before = Text(id);
  StudioObjectSnapshot original = Snapshot(id);
  {
    StudioTypingSession session(*doc, id, AGContext());
    ASSERT_EQ(session.Begin(), 0);
    for (const char* key : {"ctrl+KEY_A", "KEY_R", "shift+KEY_R", "space", "KEY_Q"})
      Press(session, key);
    ASSERT_EQ(session.Finish(), 0);
  }
  std::vector<unsigned> typed = Text(id);
  EXPECT_EQ(typed, (std::vector<unsigned>{0xE01C, 0xE01D, 0xE000, 0xE010}));
  EXPECT_EQ(doc->History().Count(), 2u);
  EXPECT_EQ(doc->History().UndoText(), "Undo Typing");

  ASSERT_EQ(doc->Undo(), 0);
  EXPECT_EQ(Text(id), before);
  EXPECT_TRUE(Snapshot(id).IsEqual(original));
  ASSERT_EQ(doc->Redo(), 0);
  EXPECT_EQ(Text(id), typed);
}

TEST_F(StudioTypingTest, WhileTypingTheDocumentRefusesOtherChanges) {
  StudioObjectId id = Create({0.0, 0.0, 1000.0, 100.0});
  StudioObjectId other = Create({2000.0, 0.0, 3000.0, 100.0});
  StudioTestFolder folder;
  StudioTypingSession session(*doc, id, AGContext());
  ASSERT_EQ(session.Begin(), 0);
  Press(session, "KEY_R");
  testing::internal::CaptureStderr();
  EXPECT_EQ(doc->Undo(), kQVErrStudioTyping);
  EXPECT_EQ(doc->Redo(), kQVErrStudioTyping);
  EXPECT_EQ(StudioActions::Delete(*doc, {id}), kQVErrStudioTyping);
  EXPECT_EQ(StudioActions::Create(*doc, {0.0, 0.0, 1.0, 1.0}, nullptr), kQVErrStudioTyping);
  EXPECT_EQ(Set({other}, "FontSize", QVValueSetasFloat32(60.0f), "Font Size"), kQVErrStudioTyping);
  EXPECT_EQ(doc->Save(folder.File("doc.tlv")), kQVErrStudioTyping);
  EXPECT_EQ(doc->Load(folder.File("doc.tlv")), kQVErrStudioTyping);
  StudioTypingSession second(*doc, other, AGContext());
  EXPECT_EQ(second.Begin(), kQVErrStudioTyping);
  std::string name;
  EXPECT_EQ(StudioActions::ChangeInInspector(*doc, id, plugin->InspectorDesc(), 2, name),
            kQVErrStudioTyping);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("### QVLib Error -1408: Can't undo while an object is being typed into.\n"),
            std::string::npos);
  EXPECT_EQ(doc->Count(), 2u);
  EXPECT_EQ(doc->History().Count(), 2u);

  ASSERT_EQ(session.Finish(), 0);
  EXPECT_EQ(doc->History().UndoText(), "Undo Typing");
  EXPECT_EQ(doc->Undo(), 0);
}

TEST_F(StudioTypingTest, ASessionThatChangesNothingRecordsNothing) {
  StudioObjectId id = Create({0.0, 0.0, 1000.0, 100.0});
  {
    StudioTypingSession session(*doc, id, AGContext());
    ASSERT_EQ(session.Begin(), 0);
    Press(session, "Left");
    // Finished when the session goes.
  }
  EXPECT_FALSE(doc->IsTyping());
  EXPECT_EQ(doc->History().Count(), 1u);
  StudioTypingSession unknown(*doc, 99, AGContext());
  testing::internal::CaptureStderr();
  EXPECT_EQ(unknown.Begin(), kQVErrNoSuchObject);
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(unknown.IsOpen());
  EXPECT_EQ(unknown.Key(HostEditKey{}), kQVErrGeneric);
}

// ---- Files

TEST_F(StudioDocumentTest, SavingMarksCleanAndLoadingStartsAFreshHistory) {
  std::vector<StudioObjectId> ids = CreateFour();
  std::vector<StudioObjectSnapshot> objects = SnapshotAll();
  StudioTestFolder folder;
  std::string path = folder.File("four.tlv");
  ASSERT_EQ(doc->Save(path), 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->Path(), path);
  EXPECT_EQ(doc->Undo(), 0);
  EXPECT_TRUE(doc->IsModified());

  StudioDocument loaded(*plugin);
  loaded.SetRecordingPath("/recordings/session.flac");
  ASSERT_EQ(loaded.Load(path), 0);
  EXPECT_EQ(loaded.Count(), 4u);
  EXPECT_FALSE(loaded.IsModified());
  EXPECT_FALSE(loaded.History().CanUndo());
  // The document has no recording: the one set before is not its.
  EXPECT_EQ(loaded.RecordingPath(), "");
  for (size_t i = 0; i < 4; ++i) {
    StudioObjectSnapshot snapshot;
    ASSERT_EQ(StudioObjectSnapshot::Capture(loaded.Host().Object(i), snapshot), 0);
    EXPECT_TRUE(snapshot.IsEqual(objects[i])) << i;
    EXPECT_NE(loaded.IdAt(i), kStudioNoObject);
  }
  EXPECT_EQ(loaded.IdAt(4), kStudioNoObject);

  // A failed load keeps everything.
  testing::internal::CaptureStderr();
  EXPECT_NE(loaded.Load(folder.File("missing.tlv")), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(loaded.Count(), 4u);
  EXPECT_EQ(loaded.Path(), path);
}

// ---- The recording's path

// The "rcrd" chunk of a saved document as the host reads it back.
std::string StoredRecording(HostPlugin& plugin, const std::string& path) {
  HostDocument doc(plugin);
  EXPECT_EQ(doc.Load(path), 0);
  return doc.RecordingPath();
}

TEST_F(StudioDocumentTest, TheRecordingIsStoredRelativeToTheDocumentWhenItLiesBesideOrBeneath) {
  StudioTestFolder folder;
  const std::string base = folder.File("");
  std::filesystem::create_directories(base + "project/sons");
  std::filesystem::create_directories(base + "elsewhere");
  Create({0.0, 0.0, 640.0, 64.0});
  struct Case {
    std::string recording;  // as set
    std::string stored;     // in the chunk
  };
  const Case cases[] = {
      {base + "project/take.wav", "take.wav"},
      {base + "project/sons/take.wav", "sons/take.wav"},
      {base + "project/./sons/../sons/take.wav", "sons/take.wav"},
      {base + "elsewhere/take.wav", base + "elsewhere/take.wav"},
      {base + "take.wav", base + "take.wav"},
      {base + "project2/take.wav", base + "project2/take.wav"},  // a prefix is no folder
  };
  const std::string path = base + "project/score.tlv";
  for (const Case& c : cases) {
    doc->SetRecordingPath(c.recording);
    ASSERT_EQ(doc->Save(path), 0) << c.recording;
    EXPECT_EQ(StoredRecording(*plugin, path), c.stored) << c.recording;
    StudioDocument back(*plugin);
    ASSERT_EQ(back.Load(path), 0);
    EXPECT_EQ(back.RecordingPath(), std::filesystem::path(c.recording).lexically_normal().string());
  }
  // No recording: no chunk, and none after loading.
  doc->SetRecordingPath("");
  ASSERT_EQ(doc->Save(path), 0);
  EXPECT_EQ(StoredRecording(*plugin, path), "");
}

TEST_F(StudioDocumentTest, AnotherRecordingIsAnUnsavedChangeUntilSaved) {
  StudioTestFolder folder;
  const std::string path = folder.File("notes.tlv");
  ASSERT_EQ(doc->Save(path), 0);
  ASSERT_FALSE(doc->IsModified());
  doc->SetRecordingPath(folder.File("take.wav"));
  EXPECT_TRUE(doc->IsModified());
  // Undo has no step to take back: the change stays until it is saved.
  EXPECT_EQ(doc->Undo(), kQVErrStudioNothingToUndo);
  EXPECT_TRUE(doc->IsModified());
  ASSERT_EQ(doc->Save(path), 0);
  EXPECT_FALSE(doc->IsModified());
  // The same recording again is no change; none at all is one.
  doc->SetRecordingPath(folder.File("take.wav"));
  EXPECT_FALSE(doc->IsModified());
  doc->SetRecordingPath("");
  EXPECT_TRUE(doc->IsModified());

  // A new document starting with its recording has nothing to save yet.
  StudioDocument fresh(*plugin);
  fresh.StartWithRecording(folder.File("take.wav"));
  EXPECT_FALSE(fresh.IsModified());
  EXPECT_EQ(fresh.RecordingPath(), folder.File("take.wav"));
}

// A relative path that climbs out of the document's folder names a
// recording whose absolute path is too long for the chunk (4096 bytes): the
// document saves with the relative path, as it was stored, instead of
// refusing every save.
TEST_F(StudioDocumentTest, ARecordingTooLongToStoreAbsoluteIsStoredRelative) {
  StudioTestFolder folder;
  const std::string outer = folder.File(std::string(80, 'p'));
  std::filesystem::create_directories(outer + "/notes");
  std::string climbing = "../";
  for (int i = 0; i < 20; ++i) climbing += std::string(200, 's') + "/";
  climbing += "take.wav";
  ASSERT_EQ(climbing.size(), 4031u);
  HostDocument stored(*plugin);
  ASSERT_EQ(stored.AddObjects(1, "-default"), 0);
  stored.SetRecordingPath(climbing);
  ASSERT_EQ(stored.Save(outer + "/notes/score.tlv"), 0);

  StudioDocument loaded(*plugin);
  ASSERT_EQ(loaded.Load(outer + "/notes/score.tlv"), 0);
  EXPECT_EQ(loaded.RecordingPath(), outer + climbing.substr(2));
  ASSERT_GT(loaded.RecordingPath().size(), HostDocument::kMaxRecordingPathBytes);
  ASSERT_EQ(loaded.Save(outer + "/notes/again.tlv"), 0);
  EXPECT_EQ(StoredRecording(*plugin, outer + "/notes/again.tlv"), climbing);
  StudioDocument again(*plugin);
  ASSERT_EQ(again.Load(outer + "/notes/again.tlv"), 0);
  EXPECT_EQ(again.RecordingPath(), loaded.RecordingPath());
}

TEST_F(StudioDocumentTest, ADocumentMovedWithItsRecordingStillFindsIt) {
  StudioTestFolder folder;
  std::filesystem::create_directories(folder.File("a/sons"));
  ASSERT_TRUE(StudioWriteFloatWav(folder.File("a/sons/take.wav"), 8000, 1,
                                  std::vector<float>(800, 0.25f)));
  Create({0.0, 0.0, 640.0, 64.0});
  doc->SetRecordingPath(folder.File("a/sons/take.wav"));
  ASSERT_EQ(doc->Save(folder.File("a/score.tlv")), 0);

  std::filesystem::rename(folder.File("a"), folder.File("b"));
  StudioDocument moved(*plugin);
  ASSERT_EQ(moved.Load(folder.File("b/score.tlv")), 0);
  EXPECT_EQ(moved.RecordingPath(), folder.File("b/sons/take.wav"));
  StudioWaveSummary summary;
  EXPECT_EQ(summary.Build(moved.RecordingPath(), {}, nullptr), 0);
  EXPECT_EQ(summary.Frames(), 800);
}

TEST_F(StudioDocumentTest, ADamagedRecordingChunkRefusesTheWholeDocument) {
  StudioTestFolder folder;
  Create({0.0, 0.0, 640.0, 64.0});
  doc->SetRecordingPath("/sons/take.wav");
  const std::string path = folder.File("score.tlv");
  ASSERT_EQ(doc->Save(path), 0);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ASSERT_EQ(bytes.substr(16, 8), std::string("rcrd\0\0\0\x0E", 8));
  bytes[24 + 5] = '\0';  // a zero byte inside the path
  std::ofstream(path, std::ios::binary) << bytes;

  StudioDocument other(*plugin);
  other.SetRecordingPath("/mine.wav");
  testing::internal::CaptureStderr();
  EXPECT_EQ(other.Load(path), kQVErrBadDocument);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(other.Count(), 0u);
  EXPECT_EQ(other.RecordingPath(), "/mine.wav");
  EXPECT_EQ(other.Path(), "");
}

}  // namespace
