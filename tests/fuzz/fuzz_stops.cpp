// libFuzzer target: words, blanks and separators typed into snippet stops.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string failure;
  if (!RunFuzzStops(data, size, &failure)) {
    std::fprintf(stderr, "invariant broken: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
