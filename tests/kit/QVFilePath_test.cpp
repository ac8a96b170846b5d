#include "kit/QVFilePath.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> ToVector(const QVStringArray& array) {
  std::vector<std::string> out;
  for (const QVString& s : array) out.push_back(s.Std());
  return out;
}

QVStringArray ToArray(std::initializer_list<const char*> items) {
  QVStringArray out;
  for (const char* item : items) out.Append(QVString(item));
  return out;
}

TEST(QVFilePathText, BackslashesBecomeSlashesOnEveryWayIn) {
  QVFilePath fromText("C:\\dir\\f.txt");
  EXPECT_STREQ(fromText.c_str(), "C:/dir/f.txt");
  EXPECT_TRUE(fromText.IsRelative());
  EXPECT_FALSE(fromText.IsAbsolute());

  QVFilePath assigned;
  assigned = QVString("\\a\\b");
  EXPECT_STREQ(assigned.c_str(), "/a/b");
  EXPECT_TRUE(assigned.IsAbsolute());
  assigned = "x\\y";
  EXPECT_STREQ(assigned.c_str(), "x/y");

  QVFilePath edited("/a/f");
  edited.SetFileName("b\\g");
  EXPECT_STREQ(edited.c_str(), "/a/b/g");
  edited.AppendComponent("c\\d");
  EXPECT_STREQ(edited.c_str(), "/a/b/c/d/g");
  edited.SetPathComponents(ToArray({"p\\q"}), false);
  EXPECT_STREQ(edited.c_str(), "/p/q/g");
}

TEST(QVFilePathText, EmptyPathIsNeitherAbsoluteNorRelative) {
  QVFilePath empty;
  EXPECT_FALSE(empty.IsAbsolute());
  EXPECT_FALSE(empty.IsRelative());
  EXPECT_TRUE(QVFilePath(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_TRUE(kQVNullFilePath.IsEmpty());
}

TEST(QVFilePathText, ComparisonIsCaseSensitive) {
  EXPECT_TRUE(QVFilePath("/a/b") == QVFilePath("/a/b"));
  EXPECT_TRUE(QVFilePath("/a/B") != QVFilePath("/a/b"));
  EXPECT_TRUE(QVFilePath("a\\b").IsEqual(QVFilePath("a/b")));
}

struct PartsCase {
  const char* path;
  const char* dir;
  const char* fileName;
  const char* extension;
  const char* shortName;
};

TEST(QVFilePathParts, SplitIntoDirectoryNameAndExtension) {
  const PartsCase cases[] = {
      {"/a/b/c.txt", "/a/b/", "c.txt", "txt", "c"},
      {"/a.b/c", "/a.b/", "c", "", "c"},  // only the file name holds an extension
      {"f.tar.gz", "", "f.tar.gz", "gz", "f.tar"},
      {".profile", "", ".profile", "profile", ""},
      {"dir/a.", "dir/", "a.", "", "a"},
      {"a/b/", "a/b/", "", "", ""},
      {"/", "/", "", "", ""},
      {"noext", "", "noext", "", "noext"},
      {"", "", "", "", ""},
  };
  for (const PartsCase& c : cases) {
    SCOPED_TRACE(c.path);
    QVFilePath path(c.path);
    EXPECT_STREQ(path.Path().c_str(), c.dir);
    EXPECT_STREQ(path.FileName().c_str(), c.fileName);
    EXPECT_STREQ(path.Extension().c_str(), c.extension);
    EXPECT_STREQ(path.ShortFileName().c_str(), c.shortName);
    EXPECT_EQ(path.HasExtension(), *c.extension != '\0');
  }
}

TEST(QVFilePathParts, ExtensionTestIgnoresCase) {
  EXPECT_TRUE(QVFilePath("a.txt").HasExtension("TXT"));
  EXPECT_TRUE(QVFilePath("/d/a.TxT").HasExtension("txt"));
  EXPECT_FALSE(QVFilePath("a.txt.bak").HasExtension("txt"));
  EXPECT_FALSE(QVFilePath("/a.txt/b").HasExtension("txt"));
  EXPECT_FALSE(QVFilePath("a.txt").HasExtension("tx"));
}

struct EditCase {
  const char* start;
  void (*edit)(QVFilePath&);
  const char* expected;
};

TEST(QVFilePathEditing, SettersReplaceOnlyTheirPart) {
  const EditCase cases[] = {
      {"f.txt", [](QVFilePath& p) { p.SetPath("/x"); }, "/x/f.txt"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetPath("/x/"); }, "/x/f.txt"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetPath("x\\y"); }, "x/y/f.txt"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetPath(""); }, "f.txt"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetFileName("g.c"); }, "/a/g.c"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetFileName(""); }, "/a/"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetShortFileName("g"); }, "/a/g.txt"},
      {"/a/f", [](QVFilePath& p) { p.SetShortFileName("g"); }, "/a/g"},
      {"/a/f.txt", [](QVFilePath& p) { p.SetExtension("md"); }, "/a/f.md"},
      {"/a/b.txt", [](QVFilePath& p) { p.SetExtension(""); }, "/a/b"},
      {"/a.d/f", [](QVFilePath& p) { p.SetExtension("gz"); }, "/a.d/f.gz"},
      {"/a/b", [](QVFilePath& p) { p.AddExtension("txt"); }, "/a/b.txt"},
      {"f.tar", [](QVFilePath& p) { p.AddExtension("gz"); }, "f.tar.gz"},
      {"/a/b", [](QVFilePath& p) { p.AddExtension(""); }, "/a/b"},
      {"/a/f.tar.gz", [](QVFilePath& p) { p.RemoveExtension(); }, "/a/f.tar"},
      {"/a.b/f", [](QVFilePath& p) { p.RemoveExtension(); }, "/a.b/f"},
      {"/a/f.txt", [](QVFilePath& p) { p.RemoveFileName(); }, "/a/"},
      {"f.txt", [](QVFilePath& p) { p.RemoveFileName(); }, ""},
  };
  for (const EditCase& c : cases) {
    QVFilePath path(c.start);
    c.edit(path);
    EXPECT_STREQ(path.c_str(), c.expected) << "from " << c.start;
  }
}

TEST(QVFilePathEditing, ComponentsAreAddedAndRemovedBeforeTheFileName) {
  const EditCase cases[] = {
      {"/a/f.txt", [](QVFilePath& p) { p.AppendComponent("b"); }, "/a/b/f.txt"},
      {"f", [](QVFilePath& p) { p.AppendComponent("b"); }, "b/f"},
      {"/a/f.txt", [](QVFilePath& p) { p.AppendComponent(""); }, "/a/f.txt"},
      {"/a/b/c.txt", [](QVFilePath& p) { p.RemoveLastComponent(); }, "/a/c.txt"},
      {"/a/c.txt", [](QVFilePath& p) { p.RemoveLastComponent(); }, "/c.txt"},
      {"a/b/", [](QVFilePath& p) { p.RemoveLastComponent(); }, "a/"},
      // fewer than two "/" in the directory part: unchanged
      {"a/c.txt", [](QVFilePath& p) { p.RemoveLastComponent(); }, "a/c.txt"},
      {"/c.txt", [](QVFilePath& p) { p.RemoveLastComponent(); }, "/c.txt"},
      {"c.txt", [](QVFilePath& p) { p.RemoveLastComponent(); }, "c.txt"},
  };
  for (const EditCase& c : cases) {
    QVFilePath path(c.start);
    c.edit(path);
    EXPECT_STREQ(path.c_str(), c.expected) << "from " << c.start;
  }
}

TEST(QVFilePathComponents, DirectoryPartSplitsWithoutRootOrFileName) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ToVector(QVFilePath("/a/b/c.txt").GetPathComponents()), (V{"a", "b"}));
  EXPECT_EQ(ToVector(QVFilePath("a/b/").GetPathComponents()), (V{"a", "b"}));
  EXPECT_EQ(ToVector(QVFilePath("/a//./b/f").GetPathComponents()), (V{"a", "", ".", "b"}));
  // Blanks belong to the names.
  EXPECT_EQ(ToVector(QVFilePath("/ a /b\tc/f").GetPathComponents()), (V{" a ", "b\tc"}));
  EXPECT_TRUE(QVFilePath("f").GetPathComponents().IsEmpty());
  EXPECT_TRUE(QVFilePath("/f").GetPathComponents().IsEmpty());
  EXPECT_TRUE(QVFilePath("").GetPathComponents().IsEmpty());
}

TEST(QVFilePathComponents, RebuildKeepsTheFileName) {
  QVFilePath path("f");
  path.SetPathComponents(ToArray({"x", "y"}), false);
  EXPECT_STREQ(path.c_str(), "/x/y/f");
  path.SetPathComponents(ToArray({"x"}), true);
  EXPECT_STREQ(path.c_str(), "x/f");
  path.SetPathComponents(QVStringArray(), true);
  EXPECT_STREQ(path.c_str(), "f");
  path.SetPathComponents(QVStringArray(), false);
  EXPECT_STREQ(path.c_str(), "/f");

  QVFilePath dir("/a/");
  dir.SetPathComponents(QVStringArray(), true);
  EXPECT_STREQ(dir.c_str(), "./");
}

struct SimplifyCase {
  const char* path;
  bool ok;
  const char* expected;  // the path after the call (unchanged on failure)
};

TEST(QVFilePathSimplify, ResolvesDotsOrFailsUnchanged) {
  const SimplifyCase cases[] = {
      {"/a/./b/../c/f.txt", true, "/a/c/f.txt"},
      {"//a///b/", true, "/a/b/"},
      {"./f", true, "f"},
      {"a/../", true, "./"},
      {"a/..", true, "a/.."},  // the last '..' is the file name
      {"/a/../f", true, "/f"},
      {"/a/b/../../", true, "/"},
      {"", true, ""},
      {"../x", false, "../x"},
      {"a/../../", false, "a/../../"},
      {"/../f", false, "/../f"},
  };
  for (const SimplifyCase& c : cases) {
    QVFilePath path(c.path);
    EXPECT_EQ(path.SimplifyPath(), c.ok) << c.path;
    EXPECT_STREQ(path.c_str(), c.expected) << c.path;
  }
}

struct RelationCase {
  const char* path;
  const char* base;
  bool ok;
  const char* expected;  // unchanged on failure
};

TEST(QVFilePathRelation, MakeAbsoluteJoinsTheBaseDirectory) {
  const RelationCase cases[] = {
      {"c/d.txt", "/a/b/", true, "/a/b/c/d.txt"},
      {"c/d.txt", "/a/b", true, "/a/c/d.txt"},  // a base naming a file gives its directory
      {"../d.txt", "/a/b/", true, "/a/d.txt"},
      {"./f", "/a/", true, "/a/f"},
      {"f.txt", "/", true, "/f.txt"},
      {"../../d", "/a/", false, "../../d"},
      {"/x/f", "/a/", false, "/x/f"},
      {"c/f", "a/", false, "c/f"},
      {"c/f", "", false, "c/f"},
  };
  for (const RelationCase& c : cases) {
    QVFilePath path(c.path);
    EXPECT_EQ(path.MakeAbsolute(QVFilePath(c.base)), c.ok) << c.path << " against " << c.base;
    EXPECT_STREQ(path.c_str(), c.expected) << c.path << " against " << c.base;
  }
}

TEST(QVFilePathRelation, MakeRelativeClimbsOutOfTheBase) {
  const RelationCase cases[] = {
      {"/a/b/x/f.txt", "/a/b/y/", true, "../x/f.txt"},
      {"/a/b/x/f.txt", "/a/b/x/", true, "f.txt"},
      {"/a/b/x/f.txt", "/a/b/x/g.txt", true, "f.txt"},
      {"/a/b/", "/a/b/", true, "./"},
      {"/a/f", "/b/c/", true, "../../a/f"},
      {"/a/./b/f", "/a/x/../b/", true, "f"},
      {"/A/f", "/a/", true, "../A/f"},  // components compare case-sensitively
      {"a/f", "/a/", false, "a/f"},
      {"/a/f", "b/", false, "/a/f"},
      {"/../f", "/", false, "/../f"},
      {"/a/f", "/../", false, "/a/f"},
  };
  for (const RelationCase& c : cases) {
    QVFilePath path(c.path);
    EXPECT_EQ(path.MakeRelative(QVFilePath(c.base)), c.ok) << c.path << " against " << c.base;
    EXPECT_STREQ(path.c_str(), c.expected) << c.path << " against " << c.base;
  }
}

TEST(QVFilePathRelation, RelativeThenAbsoluteComesBack) {
  QVFilePath path("/srv/data/2024/take.wav");
  const QVFilePath base("/srv/music/score.doc");
  ASSERT_TRUE(path.MakeRelative(base));
  EXPECT_STREQ(path.c_str(), "../data/2024/take.wav");
  ASSERT_TRUE(path.MakeAbsolute(base));
  EXPECT_STREQ(path.c_str(), "/srv/data/2024/take.wav");
}

std::vector<std::string> Texts(const QVFilePathArray& array) {
  std::vector<std::string> out;
  for (const QVFilePath& p : array) out.push_back(p.String().Std());
  return out;
}

TEST(QVFilePathArraySort, SortsByUnsignedBytes) {
  // "\xE9" is above every ASCII byte: a signed comparison would put it first.
  const QVFilePathArray unsorted{"/z/a.txt", "/a/c.txt", "/m/B.txt", "/\xE9/b.txt", "/b/\xE9.txt"};
  using V = std::vector<std::string>;

  QVFilePathArray byPath(unsorted);
  byPath.SortByFilePath();
  EXPECT_EQ(Texts(byPath), (V{"/a/c.txt", "/b/\xE9.txt", "/m/B.txt", "/z/a.txt", "/\xE9/b.txt"}));

  QVFilePathArray byName(unsorted);
  byName.SortByFileName();
  EXPECT_EQ(Texts(byName), (V{"/m/B.txt", "/z/a.txt", "/\xE9/b.txt", "/a/c.txt", "/b/\xE9.txt"}));
}

}  // namespace
