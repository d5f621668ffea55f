// Sections of a macro file: a line `Files MASKS` makes the macros after it,
// up to the next such line, apply only to files whose names match MASKS.
// Macros before the first `Files` line apply to every file. Only the Far 3
// edition reads sections; for 1.x a `Files` line is a remark like any other.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>


// A `Files` line: true with the range of its masks (the rest of the line,
// spaces around it left out; an empty range when nothing follows the word).
template <class Char>
bool ParseFilesLine(const Char *line, size_t *start, size_t *end) {
  size_t p = 0;
  while (line[p] == ' ') ++p;
  static const char word[] = "Files";
  for (size_t i = 0; i < 5; ++i)
    if (line[p + i] != static_cast<Char>(word[i])) return false;
  p += 5;
  if (line[p] != ' ' && line[p] != 0) return false;
  while (line[p] == ' ') ++p;
  size_t e = p;
  while (line[e]) ++e;
  while (e > p && line[e - 1] == ' ') --e;
  *start = p;
  *end = e;
  return true;
}

// Which section each entry of a table belongs to, and each section's masks.
template <class Char>
struct MacroSections {
  int *of = nullptr;        // per entry: 0 the general part, k the k-th `Files` line
  Char **masks = nullptr;   // section k's masks at [k - 1]; null: the host rejected them
  int count = 0;
  int capacity = 0;
  // Whether the host accepts a mask list (null: any text that is not empty).
  bool (*valid)(const Char *masks) = nullptr;
};

template <class Char>
void FreeMacroSections(MacroSections<Char> *s) {
  for (int k = 0; k < s->count; ++k) std::free(s->masks[k]);
  std::free(s->masks);
  std::free(s->of);
  s->masks = nullptr;
  s->of = nullptr;
  s->count = s->capacity = 0;
}

// Starts the section of a `Files` line; false when memory ran out (the
// section then takes in nothing: its macros apply nowhere).
template <class Char>
bool AddMacroSection(MacroSections<Char> *s, const Char *line, size_t start, size_t end) {
  if (s->count == s->capacity) {
    int grown = s->capacity ? s->capacity * 2 : 8;
    void *more = std::realloc(s->masks, static_cast<size_t>(grown) * sizeof(Char *));
    if (!more) return false;
    s->masks = static_cast<Char **>(more);
    s->capacity = grown;
  }
  Char *copy = static_cast<Char *>(std::malloc((end - start + 1) * sizeof(Char)));
  if (copy) {
    std::memcpy(copy, line + start, (end - start) * sizeof(Char));
    copy[end - start] = 0;
    const bool accepted = s->valid ? s->valid(copy) : end > start;
    if (!accepted) {
      std::free(copy);
      copy = nullptr;
    }
  }
  s->masks[s->count++] = copy;
  return true;
}
