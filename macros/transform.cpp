// The regular-expression side of transformations, on PCRE2's 16-bit library:
// the host's UTF-16 text goes to the engine as it is, in every build. Every
// match runs under limits (below), so no expression and no value can hold
// the key: past them the engine gives up and the value is typed as it is.
// Failures come back as return codes; like the rest of the plug-in, this
// file uses nothing of the C++ runtime (its strings would bring its
// exceptions into the DLLs).
#include "macros/transform.h"

#include "macros/unicode_case.h"

#include <pcre2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The engine's limits, chosen so that the worst expression on the longest
// value returns within milliseconds (BENCHMARKS.md has the measurements):
//  - backtracking points per starting position, and how deep they nest;
//  - the memory of one match's backtracking frames;
//  - the work of a whole transformation, across its starting positions, its
//    matches (g) and its case changes: a unit per pattern item the engine
//    visits, a unit per character it moved over between two items, a unit
//    per character of a group the format copies (or changes the case of),
//    kCallUnits per match started. The result is thus bounded too.
constexpr uint32_t kMatchLimit = 100000;
constexpr uint32_t kDepthLimit = 10000;
constexpr uint32_t kHeapLimitKiB = 8192;
constexpr uint64_t kWorkLimit = 400000;
constexpr uint64_t kCallUnits = 16;

size_t givenUp = 0;

PCRE2_SPTR Ptr(const char16_t *s) { return reinterpret_cast<PCRE2_SPTR>(s); }

// Some units of a text, not owned.
struct View {
  const char16_t *p = nullptr;
  size_t n = 0;
  View Sub(size_t from, size_t count) const {
    if (from > n) from = n;
    if (count > n - from) count = n - from;
    return View{p + from, count};
  }
};

// A growing text; once an allocation fails it stays failed.
class Buffer {
 public:
  Buffer() = default;
  Buffer(const Buffer &) = delete;
  Buffer &operator=(const Buffer &) = delete;
  ~Buffer() { std::free(data_); }
  bool Reserve(size_t n) {
    if (failed_) return false;
    if (n <= capacity_) return true;
    size_t c = capacity_ ? capacity_ : 16;
    while (c < n) c = c > (SIZE_MAX / sizeof(char16_t)) / 2 ? n : c * 2;
    char16_t *d = static_cast<char16_t *>(std::realloc(data_, c * sizeof(char16_t)));
    if (!d) {
      failed_ = true;
      return false;
    }
    data_ = d;
    capacity_ = c;
    return true;
  }
  void Append(const char16_t *s, size_t n) {
    if (n == 0 || !Reserve(size_ + n)) return;
    std::memcpy(data_ + size_, s, n * sizeof(char16_t));
    size_ += n;
  }
  void Append(View v) { Append(v.p, v.n); }
  void Push(char16_t c) { Append(&c, 1); }
  bool Failed() const { return failed_; }
  // The text, NUL-ended, handed over to the caller (who frees it).
  char16_t *Release(size_t *length) {
    if (!Reserve(size_ + 1)) return nullptr;
    data_[size_] = 0;
    *length = size_;
    char16_t *out = data_;
    data_ = nullptr;
    size_ = capacity_ = 0;
    return out;
  }

 private:
  char16_t *data_ = nullptr;
  size_t size_ = 0, capacity_ = 0;
  bool failed_ = false;
};

// The work one transformation has done, charged by the engine's callouts.
struct Work {
  uint64_t spent = 0;
  size_t position = 0;
};

int Charge(pcre2_callout_block *block, void *data) {
  Work *work = static_cast<Work *>(data);
  const size_t at = block->current_position;
  if (block->callout_flags & PCRE2_CALLOUT_STARTMATCH) work->position = block->start_match;
  work->spent += 1 + (at > work->position ? at - work->position : work->position - at);
  work->position = at;
  return work->spent > kWorkLimit ? PCRE2_ERROR_CALLOUT : 0;
}

// The options that bring the engine closest to the JavaScript expressions
// snippet files are written in: \uHHHH and \u{H...} escapes, [] and [^],
// a back reference to an unset group matching nothing, $ only at the end,
// and every line terminator a line end. \C (one code unit) is refused: a
// match ending inside a surrogate pair would start the next one there.
pcre2_code *Compile(const TransformText &t, bool *global, int *error, PCRE2_SIZE *offset, bool charged) {
  uint32_t options = PCRE2_UTF | PCRE2_NEVER_BACKSLASH_C | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
                     PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY;
  if (charged) options |= PCRE2_AUTO_CALLOUT;
  *global = false;
  for (size_t i = 0; i < t.optionsLength; ++i) {
    if (t.options[i] == 'g') *global = true;
    if (t.options[i] == 'i') options |= PCRE2_CASELESS;
    if (t.options[i] == 'm') options |= PCRE2_MULTILINE;
  }
  pcre2_compile_context *context = pcre2_compile_context_create(nullptr);
  if (!context) {
    *error = PCRE2_ERROR_NOMEMORY;
    return nullptr;
  }
  pcre2_set_compile_extra_options(context, PCRE2_EXTRA_ALT_BSUX);
  pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
  pcre2_code *code = pcre2_compile(Ptr(t.regex ? t.regex : u""), t.regexLength, options, error, offset, context);
  pcre2_compile_context_free(context);
  return code;
}

// A match context with the limits; `work` charged by the callouts if given.
pcre2_match_context *Limited(Work *work) {
  pcre2_match_context *context = pcre2_match_context_create(nullptr);
  if (!context) return nullptr;
  pcre2_set_match_limit(context, kMatchLimit);
  pcre2_set_depth_limit(context, kDepthLimit);
  pcre2_set_heap_limit(context, kHeapLimitKiB);
  if (work) pcre2_set_callout(context, Charge, work);
  return context;
}

bool IsLimit(int rc) {
  return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
         rc == PCRE2_ERROR_CALLOUT;
}

// The case changes, a code point at a time by Unicode's simple case mapping
// (their text was charged as the group it is).
enum class Case { Upper, Lower, Capital, Camel, Pascal };

bool IsLead(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsTrail(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// The code point at `i` (a pair's, or a lone unit's) and its length in units.
uint32_t CodePoint(View v, size_t i, size_t *units) {
  if (IsLead(v.p[i]) && i + 1 < v.n && IsTrail(v.p[i + 1])) {
    *units = 2;
    return 0x10000 + ((v.p[i] - 0xD800u) << 10) + (v.p[i + 1] - 0xDC00u);
  }
  *units = 1;
  return v.p[i];
}

void PushCodePoint(uint32_t c, Buffer *out) {
  if (c >= 0x10000) {
    out->Push(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    out->Push(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
  } else {
    out->Push(static_cast<char16_t>(c));
  }
}

void CaseChanged(Case how, View value, Buffer *out) {
  if (how == Case::Camel || how == Case::Pascal) {
    // The runs of letters and digits joined, each run's first letter raised
    // (camelcase: the first run's lowered instead); no run: as it is.
    bool any = false, inRun = false;
    for (size_t i = 0, units = 0; i < value.n; i += units) {
      const uint32_t c = CodePoint(value, i, &units);
      const bool part = vorlane_is_letter_or_digit(c) != 0;
      if (part && !inRun) PushCodePoint(vorlane_case_mapped(c, any || how == Case::Pascal), out);
      else if (part) out->Append(value.Sub(i, units));
      any = any || part;
      inRun = part;
    }
    if (!any) out->Append(value);
    return;
  }
  for (size_t i = 0, units = 0; i < value.n; i += units) {
    const uint32_t c = CodePoint(value, i, &units);
    if (how == Case::Capital && i > 0) {
      out->Append(value.Sub(i, value.n - i));
      return;
    }
    PushCodePoint(vorlane_case_mapped(c, how != Case::Lower), out);
  }
}

// Comparisons by a plain loop over the units.
bool Is(View s, const char16_t *word) {
  size_t i = 0;
  for (; word[i]; ++i)
    if (i >= s.n || s.p[i] != word[i]) return false;
  return i == s.n;
}
bool Starts(View s, const char16_t *word) {
  for (size_t i = 0; word[i]; ++i)
    if (i >= s.n || s.p[i] != word[i]) return false;
  return true;
}

// One match's groups: the subject and the engine's offsets.
struct Match {
  const char16_t *subject;
  const PCRE2_SIZE *offsets;
  size_t pairs;
  Work *work;
  // A group's text, charged to the work as the units it will add.
  View Group(size_t n) const {
    if (n >= pairs || offsets[2 * n] == PCRE2_UNSET || offsets[2 * n + 1] < offsets[2 * n]) return View();
    work->spent += offsets[2 * n + 1] - offsets[2 * n];
    return View{subject + offsets[2 * n], offsets[2 * n + 1] - offsets[2 * n]};
  }
};

// The format applied to one match: $n, ${n}, ${n:/upcase} and the other case
// changes, ${n:+if}, ${n:-else}, ${n:else}, ${n:?if:else}; a backslash takes
// the next character as it is (\n and \t: a line end and a tab). `depth`
// bounds the nesting of formats inside formats.
void Format(View f, const Match &m, int depth, Buffer *out) {
  for (size_t i = 0; i < f.n && m.work->spent <= kWorkLimit; ++i) {
    const char16_t c = f.p[i];
    if (c == '\\' && i + 1 < f.n) {
      const char16_t e = f.p[++i];
      out->Push(e == 'n' ? u'\n' : e == 't' ? u'\t' : e);
      continue;
    }
    if (c != '$' || i + 1 >= f.n) {
      out->Push(c);
      continue;
    }
    if (f.p[i + 1] >= '0' && f.p[i + 1] <= '9') {
      size_t n = 0;
      while (i + 1 < f.n && f.p[i + 1] >= '0' && f.p[i + 1] <= '9') {
        n = n < 100000 ? n * 10 + (f.p[i + 1] - '0') : n;
        ++i;
      }
      out->Append(m.Group(n));
      continue;
    }
    if (f.p[i + 1] != '{') {
      out->Push(c);
      continue;
    }
    // ${n...}: the number, then what follows up to the matching brace.
    size_t j = i + 2, n = 0;
    const size_t numberStart = j;
    for (; j < f.n && f.p[j] >= '0' && f.p[j] <= '9'; ++j) n = n < 100000 ? n * 10 + (f.p[j] - '0') : n;
    if (j == numberStart || j >= f.n) {
      out->Push(c);
      continue;
    }
    size_t close = j;
    for (int braces = 0; close < f.n; ++close) {
      if (f.p[close] == '\\') {
        ++close;
        continue;
      }
      if (f.p[close] == '{') ++braces;
      if (f.p[close] == '}' && braces-- == 0) break;
    }
    if (close >= f.n) {
      out->Push(c);
      continue;
    }
    const View value = m.Group(n);
    const View rest = f.Sub(j, close - j);
    i = close;
    const bool nested = depth < 16;
    if (rest.n == 0) {
      out->Append(value);
    } else if (Is(rest, u":/upcase")) {
      CaseChanged(Case::Upper, value, out);
    } else if (Is(rest, u":/downcase")) {
      CaseChanged(Case::Lower, value, out);
    } else if (Is(rest, u":/capitalize")) {
      CaseChanged(Case::Capital, value, out);
    } else if (Is(rest, u":/camelcase") || Is(rest, u":/pascalcase")) {
      CaseChanged(Is(rest, u":/pascalcase") ? Case::Pascal : Case::Camel, value, out);
    } else if (Starts(rest, u":+")) {
      if (value.n && nested) Format(rest.Sub(2, rest.n), m, depth + 1, out);
    } else if (Starts(rest, u":?")) {
      // ?if:else, the first unescaped ':' parting the two
      size_t colon = 2;
      while (colon < rest.n && rest.p[colon] != ':') colon += rest.p[colon] == '\\' ? 2 : 1;
      const View yes = rest.Sub(2, colon < rest.n ? colon - 2 : rest.n);
      const View no = colon < rest.n ? rest.Sub(colon + 1, rest.n) : View();
      if (nested) Format(value.n ? yes : no, m, depth + 1, out);
    } else if (Starts(rest, u":-")) {
      if (value.n)
        out->Append(value);
      else if (nested)
        Format(rest.Sub(2, rest.n), m, depth + 1, out);
    } else if (rest.p[0] == ':') {
      if (value.n)
        out->Append(value);
      else if (nested)
        Format(rest.Sub(1, rest.n), m, depth + 1, out);
    } else {
      out->Append(value);
    }
  }
}

// Whether every surrogate is in a pair: the engine is then told not to check
// the text again on each match (a check of the whole rest of it each time).
bool ValidUtf16(const char16_t *s, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (IsLead(s[i]) && i + 1 < n && IsTrail(s[i + 1]))
      ++i;
    else if (IsLead(s[i]) || IsTrail(s[i]))
      return false;
  }
  return true;
}

}  // namespace

char16_t *ApplyTransform(const TransformText &t, const char16_t *input, size_t length, size_t *outLength) {
  bool global = false;
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code *code = Compile(t, &global, &error, &offset, true);
  if (!code) return nullptr;
  Work work;
  pcre2_match_context *context = Limited(&work);
  pcre2_match_data *data = pcre2_match_data_create_from_pattern(code, nullptr);
  const View format{t.format, t.format ? t.formatLength : 0};
  const char16_t *subject = input ? input : u"";
  if (!input) length = 0;
  Buffer result;
  // Text with a lone surrogate is typed as it is.
  bool ok = context && data && ValidUtf16(subject, length);
  size_t from = 0;
  while (ok) {
    work.spent += kCallUnits;
    const int rc = pcre2_match(code, Ptr(subject), length, from, PCRE2_NO_UTF_CHECK, data, context);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) {
      if (IsLimit(rc) || work.spent > kWorkLimit) ++givenUp;
      ok = false;
      break;
    }
    const PCRE2_SIZE *offsets = pcre2_get_ovector_pointer(data);
    // \K in a look-ahead can end a match before its start: no text to replace.
    if (offsets[0] < from || offsets[1] < offsets[0]) {
      ok = false;
      break;
    }
    result.Append(subject + from, offsets[0] - from);
    Format(format, Match{subject, offsets, static_cast<size_t>(rc), &work}, 0, &result);
    if (work.spent > kWorkLimit) {  // a case change went past the limit
      ++givenUp;
      ok = false;
      break;
    }
    from = offsets[1];
    if (!global) break;
    if (offsets[0] == offsets[1]) {  // an empty match: step over one character
      if (from >= length) break;
      result.Push(subject[from++]);
      // (the text is valid UTF-16: a trail unit here ends the pair just copied)
      if (from < length && IsTrail(subject[from])) result.Push(subject[from++]);
    }
  }
  pcre2_match_data_free(data);
  pcre2_match_context_free(context);
  pcre2_code_free(code);
  if (!ok) return nullptr;
  result.Append(subject + from, length - from);
  return result.Failed() ? nullptr : result.Release(outLength);
}

bool TransformCompiles(const TransformText &t, char *message, size_t room) {
  bool global = false;
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code *code = Compile(t, &global, &error, &offset, false);
  if (code) {
    pcre2_code_free(code);
    return true;
  }
  if (room) {
    PCRE2_UCHAR text[160];
    const int n = pcre2_get_error_message(error, text, sizeof(text) / sizeof(text[0]));
    char said[160];
    int k = 0;
    for (; k < n && k < static_cast<int>(sizeof(said)) - 1; ++k)
      said[k] = text[k] < 0x80 ? static_cast<char>(text[k]) : '?';
    said[k] = 0;
    std::snprintf(message, room, "%s at unit %u", k ? said : "the expression cannot be used",
                  static_cast<unsigned>(offset));
  }
  return false;
}

size_t TransformsGivenUp() { return givenUp; }
