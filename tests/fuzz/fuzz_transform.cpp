// libFuzzer target: a transformation (expression, format, options, value) on
// any UTF-16 units, lone surrogates included. It must return within the
// run's per-input time limit (scripts/fuzz), give nothing for an expression
// that does not compile, end its result with a NUL, and give the same answer
// twice.
#include <cstdlib>
#include <cstring>
#include <string>

#include "macros/transform.h"

namespace {

// The input as units, two bytes each; 0xFFFF parts it into the four pieces.
void Split(const uint8_t *data, size_t size, std::u16string parts[4]) {
  int part = 0;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0xFFFF && part < 3)
      ++part;
    else
      parts[part].push_back(unit);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::u16string parts[4];
  Split(data, size, parts);
  TransformText t;
  t.regex = parts[0].data();
  t.regexLength = parts[0].size();
  t.format = parts[1].data();
  t.formatLength = parts[1].size();
  t.options = parts[2].data();
  t.optionsLength = parts[2].size();
  // The value gets long by repeating it: a short input stands for a long line.
  std::u16string value;
  for (int i = 0; i < 64 && value.size() < 4096; ++i) value += parts[3];
  char why[64];
  const bool compiles = TransformCompiles(t, why, sizeof(why));
  if (std::strlen(why) >= sizeof(why)) __builtin_trap();
  size_t n1 = 0, n2 = 0;
  char16_t *first = ApplyTransform(t, value.data(), value.size(), &n1);
  char16_t *second = ApplyTransform(t, value.data(), value.size(), &n2);
  if (!compiles && first) __builtin_trap();
  if ((first == nullptr) != (second == nullptr)) __builtin_trap();
  if (first && (n1 != n2 || first[n1] != 0 || std::memcmp(first, second, n1 * sizeof(char16_t)) != 0))
    __builtin_trap();
  std::free(first);
  std::free(second);
  return 0;
}
