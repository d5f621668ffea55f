// Splitting text into space-separated fields, and trimming spaces. Written once
// for every text unit: bytes for the 1.x host, UTF-16 units for Far 3.
#pragma once

#include <cstddef>
#include <cstring>

enum {
  FS_GROUPQUOTES = 1,  // a double quote toggles a quoted state; spaces inside do not split
  FS_STRIPQUOTES = 2,  // with FS_GROUPQUOTES: drop a quote at the field's first and last place
};

// Longest field a caller ever receives: the 512-unit working buffer less its NUL.
constexpr size_t FieldLimit = 511;

// Finds field `index` (1-based; 1 or less means the first) of `source` and
// gives its bounds as offsets into `source`: [*start, *end), after quote
// stripping. Only the space separates fields.
template <class Char>
void FindField(const Char *source, int index, int options, size_t *startOut, size_t *endOut) {
  const bool group = (options & FS_GROUPQUOTES) != 0;
  const bool strip = group && (options & FS_STRIPQUOTES) != 0;

  const Char *p = source;
  while (*p == ' ') ++p;

  // The quoted state runs through the whole scan, so a quote in an earlier
  // field moves where later fields begin and end.
  bool quoted = false;
  const Char *start = p;
  const Char *end = p;
  int counter = 0;
  do {
    start = p;
    if (group) {
      while (*p && (*p != ' ' || quoted)) {
        if (*p == '"') quoted = !quoted;
        ++p;
      }
    } else {
      while (*p && *p != ' ') ++p;
    }
    end = p;
    ++counter;
    while (*p == ' ') ++p;
  } while (counter < index);

  if (strip) {
    if (start < end && *start == '"') ++start;
    if (start < end && end[-1] == '"') --end;
  }
  *startOut = static_cast<size_t>(start - source);
  *endOut = static_cast<size_t>(end - source);
}

// Copies field `index` of `source` into `dest`, NUL-terminated and cut to
// `destSize` - 1 units; the empty string when there is no such field. When
// `length` is given it receives the field's whole length, however much of it
// was copied, so a caller can tell a field that did not fit. Returns `dest`.
template <class Char>
Char *GetField(Char *dest, size_t destSize, const Char *source, int index, int options,
               size_t *length = nullptr) {
  size_t start = 0, end = 0;
  FindField(source, index, options, &start, &end);
  size_t n = end - start;
  if (length) *length = n;
  if (destSize == 0) return dest;
  if (n > FieldLimit) n = FieldLimit;
  if (n > destSize - 1) n = destSize - 1;
  std::memcpy(dest, source + start, n * sizeof(Char));
  dest[n] = 0;
  return dest;
}

// Length of a NUL-terminated text of any unit.
template <class Char>
size_t TextLength(const Char *text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// Copies `source` without its leading and trailing spaces (tabs are kept),
// cut to `destSize` - 1 units.
template <class Char>
void TrimCopy(const Char *source, Char *dest, size_t destSize) {
  if (destSize == 0) return;
  dest[0] = 0;
  while (*source == ' ') ++source;
  size_t n = TextLength(source);
  while (n > 0 && source[n - 1] == ' ') --n;
  if (n > destSize - 1) n = destSize - 1;
  std::memcpy(dest, source, n * sizeof(Char));
  dest[n] = 0;
}

// Whether the NUL-terminated `text` equals the ASCII `ascii`, unit for unit.
template <class Char>
bool EqualsAscii(const Char *text, const char *ascii) {
  for (; *ascii; ++text, ++ascii)
    if (*text != static_cast<Char>(*ascii)) return false;
  return *text == 0;
}
