// The diagnostic log: created, appended, CR LF line ends, and a missing folder;
// and the native build's file names taken letter case aside.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "files/files.h"
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

#ifndef _WIN32
TEST(Files, NamesAreMatchedWholeLetterCaseAside) {
  const std::string dir = test::NewTempDir();
  ASSERT_EQ(0, mkdir(test::Join(dir, "Sub").c_str(), 0700));
  std::fclose(std::fopen(test::Join(dir, "Sub/File.txt").c_str(), "wb"));
  std::fclose(std::fopen(test::Join(dir, "Sub/vorlane.mac.bak").c_str(), "wb"));
  char out[4096];
  // Each part found in its folder, whatever its letters' case.
  ASSERT_TRUE(files::ResolveCase(test::Join(dir, "sub/FILE.TXT").c_str(), out, sizeof(out)));
  EXPECT_EQ(test::Join(dir, "Sub/File.txt"), out);
  // A name that only begins like an entry is not that entry.
  ASSERT_TRUE(files::ResolveCase(test::Join(dir, "SUB/VORLANE.MAC").c_str(), out, sizeof(out)));
  EXPECT_EQ(test::Join(dir, "Sub/VORLANE.MAC"), out);
  // The path and its end must fit.
  const std::string path = test::Join(dir, "Sub/File.txt");
  EXPECT_FALSE(files::ResolveCase(path.c_str(), out, path.size()));
  EXPECT_TRUE(files::ResolveCase(path.c_str(), out, path.size() + 1));
  std::remove(test::Join(dir, "Sub/File.txt").c_str());
  std::remove(test::Join(dir, "Sub/vorlane.mac.bak").c_str());
  rmdir(test::Join(dir, "Sub").c_str());
  rmdir(dir.c_str());
}
#endif

}  // namespace
