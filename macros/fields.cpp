#include "macros/fields.h"

#include <cstring>

void FindField(const char *source, int index, int options, size_t *startOut,
               size_t *endOut) {
  const bool group = (options & FS_GROUPQUOTES) != 0;
  const bool strip = group && (options & FS_STRIPQUOTES) != 0;

  const char *p = source;
  while (*p == ' ') ++p;

  // The quoted state runs through the whole scan, so a quote in an earlier
  // field moves where later fields begin and end.
  bool quoted = false;
  const char *start = p;
  const char *end = p;
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

char *GetField(char *dest, size_t destSize, const char *source, int index, int options,
               size_t *length) {
  size_t start = 0, end = 0;
  FindField(source, index, options, &start, &end);
  size_t n = end - start;
  if (length) *length = n;
  if (destSize == 0) return dest;
  if (n > FieldLimit) n = FieldLimit;
  if (n > destSize - 1) n = destSize - 1;
  std::memcpy(dest, source + start, n);
  dest[n] = '\0';
  return dest;
}

void TrimCopy(const char *source, char *dest, size_t destSize) {
  if (destSize == 0) return;
  dest[0] = '\0';
  while (*source == ' ') ++source;
  size_t n = std::strlen(source);
  while (n > 0 && source[n - 1] == ' ') --n;
  if (n > destSize - 1) n = destSize - 1;
  std::memcpy(dest, source, n);
  dest[n] = '\0';
}
