#include "kit/QVLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gForwarded;
void Collect(const char* text) { gForwarded.emplace_back(text); }

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gForwarded.clear();
    QVSetCustomLogMessageProc(&Collect);
  }
  void TearDown() override { QVSetCustomLogMessageProc(nullptr); }
};

TEST_F(LogTest, ErrorLineCarriesCodeAndMessageAndReturnsCode) {
  testing::internal::CaptureStderr();
  long r = QVLogError(-978, "Can't open file \"%s\"", "/tmp/a");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(r, -978);
  EXPECT_EQ(err, "### QVLib Error -978: Can't open file \"/tmp/a\".\n");
  ASSERT_EQ(gForwarded.size(), 1u);
  EXPECT_EQ(gForwarded[0], err);
}

TEST_F(LogTest, ZeroCodeWritesNothingAndWarningTurnsIntoSuccess) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(QVLogError(0, "ignored %d", 1), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(gForwarded.empty());

  testing::internal::CaptureStderr();
  EXPECT_EQ(QVLogError(5, "careful"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "### QVLib Warning 5: careful.\n");
}

TEST_F(LogTest, MissingOrEmptyMessageUsesShortForm) {
  const char* noFormat = nullptr;
  const char* emptyFormat = "";
  testing::internal::CaptureStderr();
  QVLogError(-1, noFormat);
  QVLogError(-2, emptyFormat);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "### QVLib Error -1.\n### QVLib Error -2.\n");
}

TEST_F(LogTest, WarningFunctionWordFollowsSignOfCode) {
  testing::internal::CaptureStderr();
  QVLogWarning(-7, "x");
  QVLogWarning(7, "y");
  QVLogWarning(0, "z");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "### QVLib Error -7: x.\n### QVLib Warning 7: y.\n");
}

TEST_F(LogTest, PlainLogAddsNoLineFeedAndSkipsEmptyText) {
  const char* emptyFormat = "";
  testing::internal::CaptureStderr();
  QVLog("%s-%d", "a", 3);
  QVLog(emptyFormat);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "a-3");
  ASSERT_EQ(gForwarded.size(), 1u);
  EXPECT_EQ(gForwarded[0], "a-3");
}

TEST_F(LogTest, StatusTableSuppliesMessageAndName) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(QVLogStatus<kQVErrFileRead>("/x/y"), kQVErrFileRead);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "### QVLib Error -977: Can't read in file \"/x/y\".\n");
  EXPECT_STREQ(QVErrorName(-960), "kQVErrBadChunk");
  EXPECT_EQ(QVErrorName(-12345), nullptr);
  EXPECT_EQ(QVErrorMessage(-12345), nullptr);
}

TEST_F(LogTest, AssertWarningIsForwardedAndFalseAssertExits) {
  testing::internal::CaptureStderr();
  _QVAssertWarning("Proc", "file.cpp", 12, false, "a == b");
  _QVAssertWarning("Proc", "file.cpp", 13, true, "ok");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "### QVLib Warning: Assertion (a == b) is false,\nProc: Proc\nFile: file.cpp\nLine: 12\n\n");
  EXPECT_EQ(gForwarded.size(), 2u);
  EXPECT_EXIT(_QVAssert("P", "f.cpp", 3, false, "x > 0"), testing::ExitedWithCode(255),
              "Assertion \\(x > 0\\) is false");
}

}  // namespace
