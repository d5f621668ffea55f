// UTF-8 and UTF-16, as the Far 3 edition and its tools convert between them.
#pragma once

#include <cstddef>
#include <cstdint>

// The character that starts at `in` (of `n` > 0 bytes): returns how many bytes
// it takes and sets `codePoint`, or Utf8Invalid for a byte sequence that is not
// UTF-8 (a stray or missing continuation byte, an overlong form, a surrogate,
// a value past U+10FFFF), which then counts as one character.
constexpr uint32_t Utf8Invalid = 0xFFFFFFFF;
size_t Utf8Step(const char *in, size_t n, uint32_t *codePoint);

// Decodes `n` bytes of UTF-8 into UTF-16 units at `out` (room for `n` units is
// always enough) and returns how many it wrote. Each byte sequence that is not
// valid UTF-8 (a stray or missing continuation byte, an overlong form, a
// surrogate, a value past U+10FFFF) becomes one U+FFFD.
size_t DecodeUtf8(const char *in, size_t n, char16_t *out);
// The same into any 2-byte unit (wchar_t on Windows).
template <class Unit>
size_t DecodeUtf8(const char *in, size_t n, Unit *out) {
  static_assert(sizeof(Unit) == 2, "UTF-16 units");
  return DecodeUtf8(in, n, reinterpret_cast<char16_t *>(out));
}

// Encodes `n` UTF-16 units as UTF-8 into `out` (room for 3 * `n` bytes is
// always enough) and returns how many bytes it wrote. A surrogate without its
// partner becomes U+FFFD, so the result is always valid UTF-8.
size_t EncodeUtf8(const char16_t *in, size_t n, char *out);
template <class Unit>
size_t EncodeUtf8(const Unit *in, size_t n, char *out) {
  static_assert(sizeof(Unit) == 2, "UTF-16 units");
  return EncodeUtf8(reinterpret_cast<const char16_t *>(in), n, out);
}
