#include "kit/QVFileStickyReader.h"

#include <gtest/gtest.h>

#include "kit/QVErrors.h"
#include "kit/QVFileTestUtil.h"

namespace {

using qvtest::Bytes;

class StickyReaderTest : public ::testing::Test {
 protected:
  // A big-endian file holding bytes, open for reading at position 0.
  QVFile& Holding(const Bytes& bytes) {
    qvtest::WriteBytes(dir.Path("f"), bytes);
    file = std::make_unique<QVFile>(QVFilePath(dir.Path("f").c_str()));
    EXPECT_EQ(file->OpenForRead(), 0);
    file->SetEndianness(QVFile::kEndianBig);
    return *file;
  }

  qvtest::ScratchDir dir;
  std::unique_ptr<QVFile> file;
};

TEST_F(StickyReaderTest, ReadsInTurnWhileEveryReadSucceeds) {
  QVFileStickyReader in(Holding({0, 0, 1, 2, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0, 7, 8}));
  uint32_t word = 0;
  double real = 0.0;
  uint8_t two[2] = {0, 0};
  in.UInt32(word).Float64(real).Bytes(two, 2);
  EXPECT_EQ(in.Status(), 0);
  EXPECT_TRUE(in.Ok());
  EXPECT_EQ(word, 0x0102u);
  EXPECT_EQ(real, 1.5);
  EXPECT_EQ(two[0], 7);
  EXPECT_EQ(two[1], 8);
}

// After the first failure nothing more is read or run, outputs keep what
// they held, and that first status is the one returned.
TEST_F(StickyReaderTest, TheFirstFailureStopsEveryLaterStepAndIsKept) {
  qvtest::LogCapture log;
  QVFileStickyReader in(Holding({0, 0, 0, 5, 1, 2}));
  uint32_t first = 0;
  uint32_t second = 77;
  int64_t third = 88;
  int stepsRun = 0;
  in.UInt32(first).UInt32(second);
  EXPECT_EQ(in.Status(), kQVErrFileRead);
  in.SInt64(third).Then([&] {
    ++stepsRun;
    return 0L;
  });
  in.Then([&] {
    ++stepsRun;
    return static_cast<long>(kQVErrBadChunk);
  });
  EXPECT_EQ(in.Status(), kQVErrFileRead);
  EXPECT_FALSE(in.Ok());
  EXPECT_EQ(first, 5u);
  EXPECT_EQ(third, 88);
  EXPECT_EQ(stepsRun, 0);
  // One failure, logged once, by the read that met it.
  ASSERT_EQ(log.Get().size(), 1u);
  EXPECT_NE(log.Get()[0].find("### QVLib Error -977"), std::string::npos) << log.Get()[0];
}

TEST_F(StickyReaderTest, AStepsOwnStatusIsKeptAsItCame) {
  QVFileStickyReader in(Holding({1, 2, 3, 4}));
  uint32_t word = 0;
  in.Then([] { return static_cast<long>(kQVErrBadChunk); }).UInt32(word);
  EXPECT_EQ(in.Status(), kQVErrBadChunk);
  EXPECT_EQ(word, 0u);
}

// Dropped bytes are read, not skipped: a file that ends inside them fails,
// however many they are.
TEST_F(StickyReaderTest, DiscardReadsThroughTheBytesAndFailsShortOfThem) {
  qvtest::LogCapture log;
  const Bytes bytes(150, 0);
  QVFileStickyReader whole(Holding(bytes));
  whole.Discard(150);
  EXPECT_EQ(whole.Status(), 0);
  uint64_t pos = 0;
  ASSERT_EQ(file->GetPos(pos), 0);
  EXPECT_EQ(pos, 150u);

  QVFileStickyReader shortOf(Holding(bytes));
  shortOf.Discard(151);
  EXPECT_EQ(shortOf.Status(), kQVErrFileRead);
}

TEST_F(StickyReaderTest, AClosedFileFailsAsNotOpened) {
  qvtest::LogCapture log;
  QVFile closed{QVFilePath(dir.Path("none").c_str())};
  QVFileStickyReader in(closed);
  uint32_t word = 9;
  in.UInt32(word);
  EXPECT_EQ(in.Status(), kQVErrFileNotOpened);
  EXPECT_EQ(word, 9u);
}

}  // namespace
