#include "kit/QVFileMmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kit/QVFile.h"
#include "kit/QVFileTestUtil.h"

using qvtest::Bytes;
using qvtest::LogCapture;
using qvtest::ScratchDir;
using qvtest::WriteBytes;

namespace {

class MmapTest : public ::testing::Test {
 protected:
  // A file of n bytes where byte i holds i mod 251, opened for reading.
  void OpenPattern(size_t n) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i % 251);
    WriteBytes(mPath, bytes);
    ASSERT_EQ(mFile.OpenForRead(), 0);
  }

  ScratchDir mDir;
  std::string mPath = mDir.Path("mapped.bin");
  QVFile mFile{QVFilePath(mPath.c_str())};
};

TEST_F(MmapTest, WindowsShowTheFileBytes) {
  unsigned page = QVFileMmap::Granularity();
  ASSERT_GT(page, 0u);
  OpenPattern(2 * page + 100);
  QVFileMmap& map = mFile.Mem();
  EXPECT_EQ(&map, &mFile.Mem());

  auto* all = static_cast<const uint8_t*>(map.MapAll());
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(map.LastError(), 0);
  EXPECT_EQ(all[2 * page + 99], (2 * page + 99) % 251);

  auto* second = static_cast<const uint8_t*>(map.Map(page, page + 100));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(0, std::memcmp(second, all + page, page + 100));
}

TEST_F(MmapTest, BadWindowsFailWithTheirCodes) {
  OpenPattern(100);
  QVFileMmap& map = mFile.Mem();
  struct Case {
    uint64_t offset;
    size_t length;
    long code;
  };
  const Case cases[] = {
      {1, 10, kQVErrMmapBadOffset},   {0, 0, kQVErrMmapOutOfBounds},
      {0, 101, kQVErrMmapOutOfBounds}, {100, 1, kQVErrMmapOutOfBounds},
      {~0ull, 2, kQVErrMmapOutOfBounds},
  };
  LogCapture log;
  for (const Case& c : cases) {
    EXPECT_EQ(map.Map(c.offset, c.length), nullptr) << c.offset << " " << c.length;
    EXPECT_EQ(map.LastError(), c.code);
  }
  EXPECT_EQ(map.Count(), 0u);
  EXPECT_EQ(log.Get()[0], "### QVLib Error -970: Can't mmap on file (bad offset) \"" + mPath +
                              "\".\n");
  // A success clears the last error.
  EXPECT_NE(map.Map(0, 100), nullptr);
  EXPECT_EQ(map.LastError(), 0);
}

TEST_F(MmapTest, ClosedOrEmptyFileCannotBeMapped) {
  LogCapture log;
  QVFileMmap closedMap(mFile);
  EXPECT_EQ(closedMap.Map(0, 1), nullptr);
  EXPECT_EQ(closedMap.LastError(), kQVErrFileNotOpened);

  OpenPattern(0);
  EXPECT_EQ(mFile.Mem().MapAll(), nullptr);
  EXPECT_EQ(mFile.Mem().LastError(), kQVErrMmapOutOfBounds);
}

TEST_F(MmapTest, WindowBookkeeping) {
  unsigned page = QVFileMmap::Granularity();
  OpenPattern(3 * page);
  QVFileMmap& map = mFile.Mem();
  const void* a = map.Map(0, 10);
  const void* b = map.Map(page, page);
  const void* c = map.Map(2 * page, 5);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(map.Count(), 3u);
  uint32_t index = 99;
  EXPECT_TRUE(map.FindItemByAddress(b, index));
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(map.WindowLength(index), page);

  EXPECT_TRUE(map.Unmap(b));
  EXPECT_FALSE(map.Unmap(b));
  EXPECT_FALSE(map.FindItemByAddress(b, index));
  EXPECT_TRUE(map.FindItemByAddress(c, index));
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(map.WindowLength(index), 5u);
  EXPECT_EQ(map.WindowLength(7), 0u);

  LogCapture log;
  EXPECT_EQ(map.Map(3, 1), nullptr);
  map.UnmapAll();
  EXPECT_EQ(map.Count(), 0u);
  EXPECT_EQ(map.LastError(), 0);
}

TEST_F(MmapTest, ClosingTheFileDropsItsMap) {
  OpenPattern(64);
  ASSERT_NE(mFile.Mem().MapAll(), nullptr);
  mFile.Close();
  ASSERT_EQ(mFile.OpenForRead(), 0);
  EXPECT_EQ(mFile.Mem().Count(), 0u);
}

}  // namespace
