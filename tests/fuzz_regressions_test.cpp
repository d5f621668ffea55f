// Replays the session fuzzer's seeds and every input it ever broke an
// invariant with, through the same checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/fuzz/session.h"

namespace {

void ReplayFolder(const std::string &folder,
                  bool (*run)(const uint8_t *, size_t, std::string *) = RunFuzzSession) {
  size_t count = 0;
  for (const auto &entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    std::string bytes = ss.str();
    std::string failure;
    EXPECT_TRUE(run(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &failure))
        << entry.path() << ": " << failure;
    ++count;
  }
  EXPECT_GT(count, 0u) << folder;
}

TEST(FuzzRegressions, SessionSeedsHold) {
  ReplayFolder(std::string(VORLANE_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_session");
}

TEST(FuzzRegressions, SessionFindingsStayFixed) {
  ReplayFolder(std::string(VORLANE_SOURCE_DIR) + "/tests/fuzz/regressions");
}

TEST(FuzzRegressions, Far3SessionSeedsHold) {
  ReplayFolder(std::string(VORLANE_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_session3", RunFuzzSession3);
}

TEST(FuzzRegressions, Far3SessionFindingsStayFixed) {
  ReplayFolder(std::string(VORLANE_SOURCE_DIR) + "/tests/fuzz/regressions3", RunFuzzSession3);
}

}  // namespace
