// The regular-expression side of transformations. This file alone is built
// with exceptions: the standard library's engine reports a bad expression
// (and a match it gives up on) by throwing, and every throw ends here, in a
// catch of this file; the functions below throw nothing.
#include "macros/transform.h"

#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

namespace {

// UTF-16 units to the engine's wide text: the same units where wchar_t has
// 16 bits (Windows), code points where it has 32.
std::wstring Wide(const char16_t *s, size_t n) {
  std::wstring out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    unsigned c = s[i];
    if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    out.push_back(static_cast<wchar_t>(c));
  }
  return out;
}

void PutUnits(std::u16string *out, wchar_t c) {
  const unsigned u = static_cast<unsigned>(c);
  if (u >= 0x10000) {
    out->push_back(static_cast<char16_t>(0xD800 + ((u - 0x10000) >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + ((u - 0x10000) & 0x3FF)));
  } else {
    out->push_back(static_cast<char16_t>(u));
  }
}

// Case changes for the letters of Latin and Cyrillic text; the same table in
// every build.
wchar_t Upper(wchar_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<wchar_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<wchar_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 80);
  return c;
}
wchar_t Lower(wchar_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<wchar_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<wchar_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 80);
  return c;
}
bool Alnum(wchar_t c) { return (c >= '0' && c <= '9') || Upper(c) != Lower(c) || Lower(c) != c; }

// camelcase and pascalcase join the runs of letters and digits, each run's
// first letter raised (camelcase: not the first run's, which is lowered).
std::wstring Cased(const std::wstring &v, bool pascal) {
  std::wstring out;
  bool any = false;
  for (size_t i = 0; i < v.size();) {
    if (!Alnum(v[i])) {
      ++i;
      continue;
    }
    const bool first = !any;
    any = true;
    out.push_back(first && !pascal ? Lower(v[i]) : Upper(v[i]));
    for (++i; i < v.size() && Alnum(v[i]); ++i) out.push_back(v[i]);
  }
  return any ? out : v;
}

// Comparisons by a plain loop (the C library's vectorised wmemcmp reads past
// a short literal, which memory checkers report).
bool Is(const std::wstring &s, const wchar_t *word) {
  size_t i = 0;
  for (; word[i]; ++i)
    if (i >= s.size() || s[i] != word[i]) return false;
  return i == s.size();
}
bool Starts(const std::wstring &s, const wchar_t *word) {
  for (size_t i = 0; word[i]; ++i)
    if (i >= s.size() || s[i] != word[i]) return false;
  return true;
}

// The format applied to one match: $n, ${n}, ${n:/upcase} and the other case
// changes, ${n:+if}, ${n:-else}, ${n:else}, ${n:?if:else}; a backslash takes
// the next character as it is (\n and \t: a line end and a tab).
std::wstring Format(const std::wstring &f, const std::wsmatch &m) {
  std::wstring out;
  auto group = [&m](size_t n) -> std::wstring { return n < m.size() && m[n].matched ? m[n].str() : std::wstring(); };
  for (size_t i = 0; i < f.size(); ++i) {
    const wchar_t c = f[i];
    if (c == '\\' && i + 1 < f.size()) {
      const wchar_t e = f[++i];
      out.push_back(e == 'n' ? L'\n' : e == 't' ? L'\t' : e);
      continue;
    }
    if (c != '$' || i + 1 >= f.size()) {
      out.push_back(c);
      continue;
    }
    if (f[i + 1] >= '0' && f[i + 1] <= '9') {
      size_t n = 0;
      while (i + 1 < f.size() && f[i + 1] >= '0' && f[i + 1] <= '9') n = n * 10 + (f[++i] - '0');
      out += group(n);
      continue;
    }
    if (f[i + 1] != '{') {
      out.push_back(c);
      continue;
    }
    // ${n...}: the number, then what follows up to the matching brace.
    size_t j = i + 2, n = 0;
    const size_t numberStart = j;
    while (j < f.size() && f[j] >= '0' && f[j] <= '9') n = n * 10 + (f[j++] - '0');
    if (j == numberStart || j >= f.size()) {
      out.push_back(c);
      continue;
    }
    size_t close = j;
    for (int depth = 0; close < f.size(); ++close) {
      if (f[close] == '\\') {
        ++close;
        continue;
      }
      if (f[close] == '{') ++depth;
      if (f[close] == '}' && depth-- == 0) break;
    }
    if (close >= f.size()) {
      out.push_back(c);
      continue;
    }
    const std::wstring value = group(n);
    const std::wstring rest = f.substr(j, close - j);
    i = close;
    if (rest.empty()) {
      out += value;
    } else if (Is(rest, L":/upcase")) {
      for (wchar_t v : value) out.push_back(Upper(v));
    } else if (Is(rest, L":/downcase")) {
      for (wchar_t v : value) out.push_back(Lower(v));
    } else if (Is(rest, L":/capitalize")) {
      if (!value.empty()) out.push_back(Upper(value[0]));
      if (value.size() > 1) out += value.substr(1);
    } else if (Is(rest, L":/camelcase") || Is(rest, L":/pascalcase")) {
      out += Cased(value, Is(rest, L":/pascalcase"));
    } else if (Starts(rest, L":+")) {
      if (!value.empty()) out += Format(rest.substr(2), m);
    } else if (Starts(rest, L":?")) {
      // ?if:else, the first unescaped ':' parting the two
      size_t colon = 2;
      while (colon < rest.size() && rest[colon] != ':') colon += rest[colon] == '\\' ? 2 : 1;
      const std::wstring yes = rest.substr(2, colon < rest.size() ? colon - 2 : std::wstring::npos);
      const std::wstring no = colon < rest.size() ? rest.substr(colon + 1) : std::wstring();
      out += Format(value.empty() ? no : yes, m);
    } else if (Starts(rest, L":-")) {
      out += value.empty() ? Format(rest.substr(2), m) : value;
    } else if (rest[0] == ':') {
      out += value.empty() ? Format(rest.substr(1), m) : value;
    } else {
      out += value;
    }
  }
  return out;
}

std::regex_constants::syntax_option_type Syntax(const TransformText &t, bool *global) {
  auto syntax = std::regex_constants::ECMAScript;
  *global = false;
  for (size_t i = 0; i < t.optionsLength; ++i) {
    if (t.options[i] == 'g') *global = true;
    if (t.options[i] == 'i') syntax |= std::regex_constants::icase;
    if (t.options[i] == 'm') syntax |= std::regex_constants::multiline;
  }
  return syntax;
}

}  // namespace

char16_t *ApplyTransform(const TransformText &t, const char16_t *input, size_t length, size_t *outLength) {
  try {
    bool global = false;
    const std::wregex re(Wide(t.regex, t.regexLength), Syntax(t, &global));
    const std::wstring text = Wide(input, length), format = Wide(t.format, t.formatLength);
    std::wstring result;
    auto from = text.cbegin();
    std::wsmatch m;
    while (std::regex_search(from, text.cend(), m, re)) {
      result.append(from, m[0].first);
      result += Format(format, m);
      from = m[0].second;
      if (!global) break;
      if (m[0].first == m[0].second) {  // an empty match: step over one character
        if (from == text.cend()) break;
        result.push_back(*from++);
      }
    }
    result.append(from, text.cend());
    std::u16string units;
    for (wchar_t c : result) PutUnits(&units, c);
    char16_t *out = static_cast<char16_t *>(std::malloc((units.size() + 1) * sizeof(char16_t)));
    if (!out) return nullptr;
    std::memcpy(out, units.data(), units.size() * sizeof(char16_t));
    out[units.size()] = 0;
    *outLength = units.size();
    return out;
  } catch (...) {
    return nullptr;
  }
}

bool TransformCompiles(const TransformText &t, char *message, size_t room) {
  try {
    bool global = false;
    const std::wregex re(Wide(t.regex, t.regexLength), Syntax(t, &global));
    return true;
  } catch (const std::regex_error &e) {
    if (room) {
      std::strncpy(message, e.what(), room - 1);
      message[room - 1] = 0;
    }
    return false;
  } catch (...) {
    if (room) {
      std::strncpy(message, "the expression cannot be used", room - 1);
      message[room - 1] = 0;
    }
    return false;
  }
}
