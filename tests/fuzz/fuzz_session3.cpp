// libFuzzer target: whole editing sessions through the Far 3 edition.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string failure;
  if (!RunFuzzSession3(data, size, &failure)) {
    std::fprintf(stderr, "invariant broken: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
