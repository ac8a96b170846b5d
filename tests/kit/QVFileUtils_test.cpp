#include "kit/QVFileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kit/QVErrors.h"
#include "kit/QVFileUtils_p.h"
#include "kit/QVHostPaths.h"

namespace {

// A fresh directory under the temporary directory, removed with its content.
class QVFileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = QVFileUtils::GetTemporaryDirPath().String().Std() + "qvfileutils_XXXXXX";
    ASSERT_NE(mkdtemp(&templ[0]), nullptr);
    mDir = templ + "/";
  }
  void TearDown() override {
    std::string command = "rm -rf '" + mDir + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  std::string MakeFile(const std::string& name, const std::string& content, mode_t mode = 0644) {
    std::string path = mDir + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      std::fwrite(content.data(), 1, content.size(), f);
      std::fclose(f);
    }
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    return path;
  }
  std::string MakeDir(const std::string& name) {
    std::string path = mDir + name;
    EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
    return path;
  }

  std::string mDir;
};

TEST_F(QVFileUtilsTest, AccessChecksTellFilesFromDirectories) {
  const QVFilePath file(MakeFile("plain.txt", "hello"));
  const QVFilePath dir(MakeDir("sub"));
  const QVFilePath missing(mDir + "missing");

  EXPECT_TRUE(QVFileUtils::FileExists(file));
  EXPECT_TRUE(QVFileUtils::FileIsReadable(file));
  EXPECT_TRUE(QVFileUtils::FileIsWritable(file));
  EXPECT_FALSE(QVFileUtils::FileIsExecutable(file));
  EXPECT_FALSE(QVFileUtils::DirExists(file));
  EXPECT_FALSE(QVFileUtils::DirIsReadable(file));

  EXPECT_TRUE(QVFileUtils::DirExists(dir));
  EXPECT_TRUE(QVFileUtils::DirExists(QVFilePath(mDir + "sub/")));
  EXPECT_TRUE(QVFileUtils::DirIsReadable(dir));
  EXPECT_TRUE(QVFileUtils::DirIsWritable(dir));
  EXPECT_FALSE(QVFileUtils::FileExists(dir));
  EXPECT_FALSE(QVFileUtils::FileIsReadable(dir));

  EXPECT_FALSE(QVFileUtils::FileExists(missing));
  EXPECT_FALSE(QVFileUtils::DirExists(missing));
  EXPECT_FALSE(QVFileUtils::FileExists(QVFilePath()));
  EXPECT_FALSE(QVFileUtils::DirExists(QVFilePath()));
}

TEST_F(QVFileUtilsTest, ExecuteBitIsHonoured) {
  EXPECT_TRUE(QVFileUtils::FileIsExecutable(QVFilePath(MakeFile("run.sh", "#!/bin/sh\n", 0755))));
  EXPECT_FALSE(QVFileUtils::FileIsExecutable(QVFilePath(MakeFile("data", "x", 0644))));
}

TEST_F(QVFileUtilsTest, LockedFileIsNeitherReadableNorWritable) {
  const QVFilePath locked(MakeFile("locked", "x", 0000));
  EXPECT_TRUE(QVFileUtils::FileExists(locked));
  if (geteuid() == 0) GTEST_SKIP() << "root may read and write any file";
  EXPECT_FALSE(QVFileUtils::FileIsReadable(locked));
  EXPECT_FALSE(QVFileUtils::FileIsWritable(locked));
}

TEST_F(QVFileUtilsTest, FileSizeOnlyForRegularFilesAndNotLogged) {
  uint64_t size = 77;
  testing::internal::CaptureStderr();
  EXPECT_EQ(QVFileUtils::GetFileSize(QVFilePath(MakeFile("five", "12345")), size), kQVNoErr);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(QVFileUtils::GetFileSize(QVFilePath(MakeDir("d")), size), kQVErrNotAFile);
  EXPECT_EQ(size, 0u);
  size = 77;
  EXPECT_EQ(QVFileUtils::GetFileSize(QVFilePath(mDir + "none"), size), kQVErrNotAFile);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(QVFileUtilsTest, RemoveFileDeletesFilesOnly) {
  const QVFilePath file(MakeFile("gone", "x"));
  const QVFilePath dir(MakeDir("stays"));
  EXPECT_TRUE(QVFileUtils::RemoveFile(file));
  EXPECT_FALSE(QVFileUtils::FileExists(file));
  EXPECT_FALSE(QVFileUtils::RemoveFile(file));
  EXPECT_FALSE(QVFileUtils::RemoveFile(dir));
  EXPECT_TRUE(QVFileUtils::DirExists(dir));
}

TEST(QVFileUtilsSystemPath, NativeBytesBecomeUtf8) {
  char buffer[kQVSystemPathMax];
  // Mac OS Roman 0x8E is e acute, 0xA5 the bullet U+2022.
  ASSERT_TRUE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath("/tmp/caf\x8E\xA5"), false));
  EXPECT_STREQ(buffer, "/tmp/caf\xC3\xA9\xE2\x80\xA2");
  ASSERT_TRUE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath("rel/dir/"), true));
  EXPECT_STREQ(buffer, "rel/dir/");
}

TEST(QVFileUtilsSystemPath, EmptyOrTooLongGivesFalseAndEmptyBuffer) {
  char buffer[kQVSystemPathMax];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath(), false));
  EXPECT_STREQ(buffer, "");

  const std::string longest(kQVSystemPathMax - 1, 'a');  // the terminator just fits
  EXPECT_TRUE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath(longest), false));
  EXPECT_EQ(std::strlen(buffer), longest.size());

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath(longest + "a"), false));
  EXPECT_STREQ(buffer, "");

  // 600 native bytes fit, their 1200 UTF-8 bytes do not.
  EXPECT_FALSE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath(std::string(600, '\x8E')), false));
  EXPECT_STREQ(buffer, "");

  // A NUL inside the text would cut the path short at the system call.
  EXPECT_FALSE(QVFileUtils::GetAsSystemPath(buffer, QVFilePath(QVString("/tmp/a\0b", 8)), false));
  EXPECT_FALSE(QVFileUtils::GetAsSystemPath(nullptr, QVFilePath("/tmp"), false));
}

TEST_F(QVFileUtilsTest, NonAsciiNamesReachTheFileSystem) {
  MakeFile("caf\xC3\xA9", "x");  // as the system stores it
  EXPECT_TRUE(QVFileUtils::FileExists(QVFilePath(mDir + "caf\x8E")));
}

// Splits "<dir><prefix><digits>" and returns the number, or -1.
long CounterOf(const QVFilePath& path, const std::string& dirAndPrefix) {
  const std::string text = path.String().Std();
  if (text.compare(0, dirAndPrefix.size(), dirAndPrefix) != 0) return -1;
  const std::string digits = text.substr(dirAndPrefix.size());
  if (digits.size() < 4 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::strtol(digits.c_str(), nullptr, 10);
}

std::string Numbered(const std::string& dirAndPrefix, long n) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04ld", n);
  return dirAndPrefix + digits;
}

TEST_F(QVFileUtilsTest, AvailableNameSkipsFilesButNotDirectories) {
  const QVFilePath dir(mDir);
  const long first = CounterOf(QVFileUtils::GetAvailableFilePath(dir, "img_"), mDir + "img_");
  ASSERT_GE(first, 1);
  // The counter moves on by one per name tried: block the next name with a
  // file and the one after with a directory.
  MakeFile(Numbered("img_", first + 1), "");
  MakeDir(Numbered("img_", first + 2));
  const QVFilePath next = QVFileUtils::GetAvailableFilePath(dir, "img_");
  EXPECT_STREQ(next.c_str(), Numbered(mDir + "img_", first + 2).c_str());
  EXPECT_FALSE(QVFileUtils::FileExists(next));
}

TEST_F(QVFileUtilsTest, AvailableNameDefaults) {
  EXPECT_GE(CounterOf(QVFileUtils::GetAvailableFilePath(QVFilePath(mDir), ""), mDir + "tmp_"), 1);
  // A directory without its final "/" still gets the name inside it.
  std::string bare = mDir.substr(0, mDir.size() - 1);
  EXPECT_GE(CounterOf(QVFileUtils::GetAvailableFilePath(QVFilePath(bare), "x_"), mDir + "x_"), 1);
  const std::string temp = QVFileUtils::GetTemporaryDirPath().String().Std();
  EXPECT_GE(CounterOf(QVFileUtils::GetAvailableFilePath(QVFilePath(), "q_"), temp + "q_"), 1);
  EXPECT_GE(CounterOf(QVFileUtils::GetTemporaryFilePath(), temp + "tmp_"), 1);
}

TEST(QVFileUtilsDirectories, TemporaryDirectoryComesFromTheEnvironment) {
  const std::string fallback = QVLowTemporaryDirText(nullptr).Std();
  EXPECT_EQ(fallback.back(), '/');
  EXPECT_EQ(QVLowTemporaryDirText("").Std(), fallback);
  EXPECT_STREQ(QVLowTemporaryDirText("/scratch").c_str(), "/scratch/");
  EXPECT_STREQ(QVLowTemporaryDirText("/scratch/").c_str(), "/scratch/");

  const QVFilePath& temp = QVFileUtils::GetTemporaryDirPath();
  EXPECT_TRUE(temp.String().EndsWith("/"));
  EXPECT_TRUE(QVFileUtils::DirIsWritable(temp));
  EXPECT_EQ(&temp, &QVFileUtils::GetTemporaryDirPath());  // computed once
}

TEST(QVFileUtilsDirectories, ApplicationDirectoryHoldsTheExecutable) {
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  exe[n] = '\0';
  std::string dir(exe);
  dir.erase(dir.rfind('/') + 1);
  EXPECT_STREQ(QVFileUtils::GetApplicationDirPath().c_str(), dir.c_str());
  EXPECT_STREQ(QVFileUtils::GetResourcesDirPath().c_str(), dir.c_str());
}

TEST(QVFileUtilsDirectories, BundleRule) {
  struct Case {
    const char* bundle;
    const char* resources;
    const char* application;
  } cases[] = {
      {"/Apps/Tool.app", "/Apps/Tool.app/Contents/Resources/", "/Apps/"},
      {"/Apps/Tool.app/", "/Apps/Tool.app/Contents/Resources/", "/Apps/"},
      {"/opt/tool/bin", "/opt/tool/bin/", "/opt/tool/bin/"},
      {"/opt/tool/bin/", "/opt/tool/bin/", "/opt/tool/bin/"},
      {"", "/", "/"},  // an executable at the root
  };
  for (const Case& c : cases) {
    QVFilePath resources;
    QVFilePath application;
    QVLowBundleDirPaths(QVFilePath(c.bundle), resources, application);
    EXPECT_STREQ(resources.c_str(), c.resources) << c.bundle;
    EXPECT_STREQ(application.c_str(), c.application) << c.bundle;
  }
}

TEST(QVFileUtilsTypeCreator, NotAvailableHere) {
  uint32_t type = 1;
  uint32_t creator = 2;
  EXPECT_EQ(QVFileUtils::GetFileTypeAndCreator(QVFilePath("/tmp"), type, creator), kQVErrGeneric);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(creator, 0u);
  EXPECT_EQ(QVFileUtils::SetFileTypeAndCreator(QVFilePath("/tmp"), 1, 2), kQVErrGeneric);
}

// ---- Host paths

struct FakeHost {
  static std::string sRepository;
  static std::string sLastKey;
  static const QVValue* sLastValue;

  static long GetProperty(const QVString& key, QVValue* value) {
    sLastKey = key.Std();
    sLastValue = value;
    return key == "Version" ? 0 : kQVErrKeyNotFound;
  }
  static bool GetStandardPath(int32_t kind, QVFilePath* out) {
    if (kind != kQVStandardPathRepository) return false;
    *out = sRepository;
    return true;
  }
};
std::string FakeHost::sRepository;
std::string FakeHost::sLastKey;
const QVValue* FakeHost::sLastValue = nullptr;

const QVHostPathProvider kFakeProvider = {FakeHost::GetProperty, FakeHost::GetStandardPath};

// Never dereferenced: the fake host only records which value it was given.
QVValue* SomeValue() {
  static long storage[8];
  return reinterpret_cast<QVValue*>(storage);
}

class QVHostPathsTest : public QVFileUtilsTest {
 protected:
  void TearDown() override {
    QVSetHostPathProvider(nullptr);
    QVFileUtilsTest::TearDown();
  }
};

TEST_F(QVHostPathsTest, WithoutHostEverythingIsEmpty) {
  QVSetHostPathProvider(nullptr);
  EXPECT_EQ(QVGetApplicationProperty("Version", SomeValue()), kQVErrGeneric);
  EXPECT_EQ(&QVGetStandardPath(kQVStandardPathRepository), &kQVNullFilePath);
  EXPECT_TRUE(QVGetRepositoryDirPath().IsEmpty());
  EXPECT_TRUE(QVGetRepositoryFilePath("doc.x").IsEmpty());
  EXPECT_TRUE(QVGetRepositoryAvailableFilePath("").IsEmpty());
}

TEST_F(QVHostPathsTest, HostAnswersArePassedThrough) {
  QVSetHostPathProvider(&kFakeProvider);
  EXPECT_EQ(QVGetApplicationProperty("Version", SomeValue()), kQVNoErr);
  EXPECT_EQ(FakeHost::sLastKey, "Version");
  EXPECT_EQ(FakeHost::sLastValue, SomeValue());
  EXPECT_EQ(QVGetApplicationProperty("Other", SomeValue()), kQVErrKeyNotFound);
  EXPECT_EQ(QVGetApplicationProperty("Version", nullptr), kQVErrGeneric);
  EXPECT_TRUE(QVGetStandardPath(3).IsEmpty());
}

TEST_F(QVHostPathsTest, RepositoryNamesLieInTheHostsDirectory) {
  QVSetHostPathProvider(&kFakeProvider);
  // The host may answer without the final "/": it still names a directory.
  FakeHost::sRepository = mDir.substr(0, mDir.size() - 1);
  EXPECT_STREQ(QVGetRepositoryDirPath().c_str(), mDir.c_str());
  EXPECT_STREQ(QVGetRepositoryFilePath("doc.x").c_str(), (mDir + "doc.x").c_str());

  const long first = CounterOf(QVGetRepositoryAvailableFilePath(""), mDir + "zemo_tmp_");
  ASSERT_GE(first, 1);
  MakeFile(Numbered("zemo_tmp_", first + 1), "");
  EXPECT_STREQ(QVGetRepositoryAvailableFilePath("").c_str(),
               Numbered(mDir + "zemo_tmp_", first + 2).c_str());
  EXPECT_GE(CounterOf(QVGetRepositoryAvailableFilePath("scan_"), mDir + "scan_"), 1);

  FakeHost::sRepository.clear();
  EXPECT_TRUE(QVGetRepositoryDirPath().IsEmpty());
  EXPECT_TRUE(QVGetRepositoryAvailableFilePath("").IsEmpty());
}

}  // namespace
