// libFuzzer target: the field splitter on any bytes, any index, both option
// bits, every destination size its callers use.
#include <cstring>
#include <string>
#include <vector>

#include "macros/fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const int index = static_cast<int8_t>(data[0]);
  const int options = data[1] & 3;
  std::string source(reinterpret_cast<const char *>(data + 2), size - 2);  // NUL-terminated copy
  static const size_t sizes[] = {1, 12, 32, 128, 512, 1024};
  for (size_t cap : sizes) {
    // Exactly `cap` bytes, so that ASan sees any write past them.
    std::vector<char> dest(cap);
    size_t length = 0;
    GetField(dest.data(), cap, source.c_str(), index, options, &length);
    size_t got = std::strlen(dest.data());
    if (got >= cap || got > FieldLimit || (got < length && got != cap - 1 && got != FieldLimit))
      __builtin_trap();
  }
  std::vector<char> trimmed(source.size() + 1);
  TrimCopy(source.c_str(), trimmed.data(), trimmed.size());
  size_t n = std::strlen(trimmed.data());
  if (n && (trimmed[0] == ' ' || trimmed[n - 1] == ' ')) __builtin_trap();
  return 0;
}
