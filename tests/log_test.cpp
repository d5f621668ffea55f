// The diagnostic log: created, appended, CR LF line ends, and a missing folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "log/log.h"
#include "tests/support.h"

namespace {

class Log : public ::testing::Test {
protected:
  void SetUp() override {
    dir = test::NewTempDir();
    path = test::Join(dir, "vorlane.log");
    LogTarget = path.c_str();
  }
  void TearDown() override {
    LogTarget = LogPath;
    std::remove(path.c_str());
  }
  std::string dir, path;
};

const std::regex Stamp("\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d ");

TEST_F(Log, FirstCallCreatesLaterCallsAppend) {
  WriteLog("first %d", 1);
  EXPECT_EQ(nullptr, LogFile);  // never held open between calls
  WriteLog("second %s", "two");
  WriteLog("%s", "");
  std::string text = test::ReadFile(path);
  std::regex whole(
      "(\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d) first 1\r\n"
      "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d second two\r\n"
      "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d \r\n");
  EXPECT_TRUE(std::regex_match(text, whole)) << text;
}

TEST_F(Log, EmbeddedLineFeedGivesTwoPhysicalLines) {
  WriteLog("one\ntwo");
  std::string text = test::ReadFile(path);
  ASSERT_EQ(20u + 3 + 2 + 3 + 2, text.size()) << text;
  EXPECT_TRUE(std::regex_search(text.substr(0, 20), Stamp));
  EXPECT_EQ("one\r\ntwo\r\n", text.substr(20));
}

TEST_F(Log, OverlongMessageIsCutAtTheBuffer) {
  std::string big(20000, 'm');
  WriteLog("%s", big.c_str());
  std::string text = test::ReadFile(path);
  EXPECT_EQ(20u + 10239 + 2, text.size());
}

TEST_F(Log, MissingFolderReportsOnStandardErrorAndReturns) {
  std::string missing = test::Join(test::Join(dir, "absent"), "x.log");
  LogTarget = missing.c_str();
  ::testing::internal::CaptureStderr();
  WriteLog("lost");
  WriteLog("lost again");
  std::string err = ::testing::internal::GetCapturedStderr();
  std::string line = "Can't open log file '" + missing + "'\n";
  EXPECT_EQ(line + line, err);
  EXPECT_FALSE(test::FileExists(missing));
  EXPECT_EQ(nullptr, LogFile);
}

}  // namespace
