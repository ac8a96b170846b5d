// The studio's own texts in French: looked up in the catalog built from
// po/studio/fr.po, as the window does with --lang fr, and every text the
// studio's sources hand to StudioText has its translation.
#include "StudioText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "StudioCommand.h"
#include "StudioUndoStack.h"
#include "StudioWindowTitle.h"

namespace {

class StudioTextTest : public testing::Test {
 protected:
  void TearDown() override { StudioText::UseNone(); }
};

// A step that does nothing, named as the studio names its own.
class NamedStep : public StudioCommand {
 public:
  explicit NamedStep(const char* name) : StudioCommand(name) {}
  int32_t Redo(StudioDocument&) override { return 0; }
  int32_t Undo(StudioDocument&) override { return 0; }
};

TEST_F(StudioTextTest, MenusStatusLinesDialogsAndPanelsSpeakFrench) {
  ASSERT_TRUE(StudioText::Use(TALVANE_LOCALE_DIR, "fr"));
  struct Case {
    const char* english;
    const char* french;
  };
  const Case cases[] = {
      {"_File", "_Fichier"},
      {"_Edit", "É_dition"},
      {"_View", "_Affichage"},
      {"_Side Panels", "_Panneaux latéraux"},
      {"No sound output: playback is off", "Pas de sortie son : la lecture est désactivée"},
      {"Your changes are lost if you don't save them.",
       "Vos modifications seront perdues si vous ne les enregistrez pas."},
      {"Inspector", "Inspecteur"},
      {"No object selected", "Aucun objet sélectionné"},
  };
  for (const Case& c : cases) EXPECT_STREQ(StudioText::Get(c.english), c.french);
  // Formats take their argument where the translation puts it.
  EXPECT_EQ(StudioText::Format("Saved %s", "/tmp/notes.tlv"), "/tmp/notes.tlv enregistré");
  EXPECT_EQ(StudioText::Format("Save the changes to %s?", "notes.tlv"),
            "Enregistrer les modifications de notes.tlv ?");
  // What the core composes: the history's menu names and the title.
  StudioUndoStack history;
  history.Record(std::make_unique<NamedStep>(StudioActionName::kMove));
  EXPECT_EQ(history.UndoText(), "Annuler Déplacer");
  // A name the plug-in gave (already in the person's language) stays.
  history.Record(std::make_unique<NamedStep>("Changer la taille Talvane"));
  EXPECT_EQ(history.UndoText(), "Annuler Changer la taille Talvane");
  EXPECT_EQ(StudioWindowTitle("", "", true), "*Sans titre - Talvane Studio");
}

TEST_F(StudioTextTest, WithoutACatalogTextsStayEnglish) {
  struct Case {
    const char* what;
    const char* language;
  };
  for (const Case& c : {Case{"no language", ""}, Case{"a language without a catalog", "xx"}}) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(StudioText::Use(TALVANE_LOCALE_DIR, c.language));
    EXPECT_STREQ(StudioText::Get("_File"), "_File");
    EXPECT_EQ(StudioText::Format("Saved %s", "a.tlv"), "Saved a.tlv");
    EXPECT_EQ(StudioWindowTitle("", "", false), "Untitled - Talvane Studio");
  }
  // A French catalog in use, then none: English again.
  ASSERT_TRUE(StudioText::Use(TALVANE_LOCALE_DIR, "fr"));
  StudioText::UseNone();
  EXPECT_STREQ(StudioText::Get("_File"), "_File");
  EXPECT_STREQ(StudioText::Get(nullptr), "");
}

// Every literal the studio's sources look up, and every action name the
// history shows, has a French translation: a text added without one would
// show in English in a French window.
TEST_F(StudioTextTest, EveryTextTheStudioLooksUpIsTranslated) {
  ASSERT_TRUE(StudioText::Use(TALVANE_LOCALE_DIR, "fr"));
  const std::string root = TALVANE_SOURCE_DIR "/apps/studio/";
  const char* const sources[] = {
      "gtk/StudioWindow.cpp",         "gtk/StudioScoreView.cpp",  "gtk/StudioSettingsPanel.cpp",
      "gtk/StudioKeyboardPanel.cpp",  "core/StudioUndoStack.cpp", "core/StudioWindowTitle.cpp",
  };

  std::set<std::string> texts = {
      StudioActionName::kCreate, StudioActionName::kDelete,    StudioActionName::kMove,
      StudioActionName::kResize, StudioActionName::kDuplicate, StudioActionName::kPaste,
      StudioActionName::kTyping,
  };
  for (const char* source : sources) {
    std::ifstream in(root + source);
    ASSERT_TRUE(in) << source;
    std::stringstream whole;
    whole << in.rdbuf();
    const std::string text = whole.str();
    size_t found = 0;
    for (const char* call : {"StudioText::Get(\"", "StudioText::Format(\""}) {
      for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at)) {
        at += std::strlen(call);
        std::string literal;
        while (at < text.size() && text[at] != '"') {
          if (text[at] == '\\' && at + 1 < text.size()) ++at;
          literal += text[at++];
        }
        texts.insert(literal);
        ++found;
      }
    }
    EXPECT_GT(found, 0u) << source << " looks up no text";
  }
  EXPECT_GT(texts.size(), 60u);
  for (const std::string& text : texts) {
    EXPECT_STRNE(StudioText::Get(text.c_str()), text.c_str()) << "untranslated: \"" << text << "\"";
  }
}

}  // namespace
