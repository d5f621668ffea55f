// Small tests on the editor's text that the assists share, for any text unit.
#pragma once

// True when every unit of `text` is a space (0x20); an empty text is blank.
template <class Char>
bool IsBlank(const Char *text) {
  for (; *text; ++text)
    if (*text != ' ') return false;
  return true;
}

// The same for the `length` units at `text`, which the host may hold with a
// NUL among them: a NUL is no space, so such a line is never blank.
template <class Char>
bool IsBlank(const Char *text, int length) {
  for (int i = 0; i < length; ++i)
    if (text[i] != ' ') return false;
  return true;
}

// The tab size to use for the editor's: one no editor has (none, or past
// 512) is read as eight.
constexpr int MaxTabSize = 512;
inline int UsableTabSize(long long tabSize) {
  return tabSize > 0 && tabSize <= MaxTabSize ? static_cast<int>(tabSize) : 8;
}

// Index of the first unit that is not a space, or -1 for a text of spaces only.
template <class Char>
int FirstNonSpace(const Char *text) {
  for (int i = 0; text[i]; ++i)
    if (text[i] != ' ') return i;
  return -1;
}

// True when `fileName` ends in .cpp, .c, .h or .hpp, in any letter case.
template <class Char>
bool IsSourceFileName(const Char *fileName) {
  const Char *dot = nullptr;
  for (const Char *p = fileName; *p; ++p)
    if (*p == '.') dot = p;
  if (!dot) return false;
  static const char *const extensions[] = {".cpp", ".c", ".h", ".hpp"};
  for (const char *ext : extensions) {
    const Char *a = dot;
    const char *b = ext;
    while (*a && *b) {
      Char c = *a;
      if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c + 32);
      if (c != static_cast<Char>(*b)) break;
      ++a;
      ++b;
    }
    if (!*a && !*b) return true;
  }
  return false;
}
