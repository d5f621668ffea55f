// Splitting text into space-separated fields, and trimming spaces.
#pragma once

#include <cstddef>

enum {
  FS_GROUPQUOTES = 1,  // a double quote toggles a quoted state; spaces inside do not split
  FS_STRIPQUOTES = 2,  // with FS_GROUPQUOTES: drop a quote at the field's first and last place
};

// Longest field a caller ever receives: the 512-byte working buffer less its NUL.
constexpr size_t FieldLimit = 511;

// Copies field `index` (1-based; 1 or less means the first) of `source` into
// `dest`, NUL-terminated and cut to `destSize` - 1 bytes; the empty string when
// there is no such field. Only the space separates fields. When `length` is
// given it receives the field's whole length, however much of it was copied,
// so a caller can tell a field that did not fit. Returns `dest`.
char *GetField(char *dest, size_t destSize, const char *source, int index, int options,
               size_t *length = nullptr);

// Finds field `index` of `source` as GetField does and gives its bounds as
// offsets into `source`: [*start, *end), after quote stripping.
void FindField(const char *source, int index, int options, size_t *start, size_t *end);

// Copies `source` without its leading and trailing spaces (tabs are kept),
// cut to `destSize` - 1 bytes.
void TrimCopy(const char *source, char *dest, size_t destSize);
