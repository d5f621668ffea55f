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

// Snippet stops: the seeds, and inputs drawn from a fixed generator, so that
// every run of the suite types a few hundred sessions into stops.
TEST(FuzzRegressions, TypedIntoStopsNothingIsLost) {
  ReplayFolder(std::string(VORLANE_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_stops", RunFuzzStops);
  uint32_t state = 12345;
  for (int n = 0; n < 400; ++n) {
    std::string bytes(40 + n % 80, '\0');
    for (char &b : bytes) {
      state = state * 1664525u + 1013904223u;
      b = static_cast<char>(state >> 24);
    }
    std::string failure;
    ASSERT_TRUE(RunFuzzStops(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &failure))
        << "input " << n << ": " << failure;
  }
}

}  // namespace
