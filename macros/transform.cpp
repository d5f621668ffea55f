// The regular-expression side of transformations, on PCRE2's 16-bit library:
// the host's UTF-16 text goes to the engine as it is, in every build. Every
// match runs under limits (see Limits below), so no expression and no value
// can hold the key: past them the engine gives up and the value is typed as
// it is. Failures come back as return codes; nothing here throws.
#include "macros/transform.h"

#include <pcre2.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Units = std::u16string;

// The engine's limits, chosen so that the worst expression on the longest
// value returns within milliseconds (BENCHMARKS.md has the measurements):
//  - backtracking points per starting position, and how deep they nest;
//  - the memory of one match's backtracking frames;
//  - the work of a whole transformation, across its starting positions and
//    its matches (g): a unit per pattern item the engine visits, a unit per
//    character it moved over between two items, kCallUnits per match started.
constexpr uint32_t kMatchLimit = 100000;
constexpr uint32_t kDepthLimit = 10000;
constexpr uint32_t kHeapLimitKiB = 8192;
constexpr uint64_t kWorkLimit = 400000;
constexpr uint64_t kCallUnits = 16;

size_t givenUp = 0;

PCRE2_SPTR Ptr(const char16_t *s) { return reinterpret_cast<PCRE2_SPTR>(s); }
PCRE2_SPTR Ptr(const Units &s) { return Ptr(s.data()); }

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
// and every line terminator a line end.
pcre2_code *Compile(const TransformText &t, bool *global, int *error, PCRE2_SIZE *offset, bool charged) {
  uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
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

// The fixed expressions of the case changes, compiled once per
// transformation, when first needed.
enum CaseExpression { kAll, kFirst, kRunStarts, kTrailing, kCaseExpressions };
const char16_t *const kCasePatterns[kCaseExpressions] = {
    u"(?s).+", u"^(?s).", u"[^\\p{L}\\p{N}]*+(?<![\\p{L}\\p{N}])([\\p{L}\\p{N}])", u"[^\\p{L}\\p{N}]++$"};

struct CaseCodes {
  pcre2_code *codes[kCaseExpressions] = {};
  pcre2_match_context *context = nullptr;
  Work *work = nullptr;
  ~CaseCodes() {
    for (pcre2_code *c : codes) pcre2_code_free(c);
    pcre2_match_context_free(context);
  }
};

// `value` through one of them and an extended replacement (the engine's \U,
// \L, \u, \l use Unicode's case mapping): the number of replacements, or -1
// when the engine could not finish. Each is charged to the transformation's
// work as the text it goes over.
int Substitute(CaseCodes *cases, CaseExpression which, const char16_t *replacement, const Units &value, Units *out) {
  if (!cases->codes[which]) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    cases->codes[which] = pcre2_compile(Ptr(kCasePatterns[which]), PCRE2_ZERO_TERMINATED,
                                        PCRE2_UTF | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr);
  }
  if (!cases->context) cases->context = Limited(nullptr);
  pcre2_code *code = cases->codes[which];
  if (!code || !cases->context) return -1;
  cases->work->spent += kCallUnits + value.size();
  if (cases->work->spent > kWorkLimit) return -1;
  PCRE2_SIZE room = value.size() + value.size() / 2 + 16;
  for (int attempt = 0; attempt < 2; ++attempt) {
    out->assign(room, u'\0');
    PCRE2_SIZE length = room;
    const int rc = pcre2_substitute(code, Ptr(value), value.size(), 0,
                                    PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_EXTENDED |
                                        PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_NO_UTF_CHECK,
                                    nullptr, cases->context, Ptr(replacement), PCRE2_ZERO_TERMINATED,
                                    reinterpret_cast<PCRE2_UCHAR *>(&(*out)[0]), &length);
    if (rc == PCRE2_ERROR_NOMEMORY && attempt == 0) {
      room = length;  // the length it needs
      continue;
    }
    if (rc < 0) return -1;
    out->resize(length);
    return rc;
  }
  return -1;
}

Units CaseChanged(CaseCodes *cases, CaseExpression which, const char16_t *replacement, const Units &value) {
  Units out;
  return Substitute(cases, which, replacement, value, &out) >= 0 ? out : value;
}

// camelcase and pascalcase join the runs of letters and digits, each run's
// first letter raised (camelcase: the first run's lowered instead).
Units Cased(CaseCodes *cases, const Units &value, bool pascal) {
  Units joined, trimmed, out;
  if (Substitute(cases, kRunStarts, u"\\u$1", value, &joined) <= 0)
    return value;  // no letter or digit, or the engine gave up
  if (Substitute(cases, kTrailing, u"", joined, &trimmed) < 0) return value;
  if (pascal) return trimmed;
  return Substitute(cases, kFirst, u"\\l$0", trimmed, &out) >= 0 ? out : trimmed;
}

// Comparisons by a plain loop over the units.
bool Is(const Units &s, const char16_t *word) {
  size_t i = 0;
  for (; word[i]; ++i)
    if (i >= s.size() || s[i] != word[i]) return false;
  return i == s.size();
}
bool Starts(const Units &s, const char16_t *word) {
  for (size_t i = 0; word[i]; ++i)
    if (i >= s.size() || s[i] != word[i]) return false;
  return true;
}

// One match's groups: the subject and the engine's offsets.
struct Match {
  const char16_t *subject;
  const PCRE2_SIZE *offsets;
  size_t pairs;
  CaseCodes *cases;
  Units Group(size_t n) const {
    if (n >= pairs || offsets[2 * n] == PCRE2_UNSET || offsets[2 * n + 1] < offsets[2 * n]) return Units();
    return Units(subject + offsets[2 * n], offsets[2 * n + 1] - offsets[2 * n]);
  }
};

// The format applied to one match: $n, ${n}, ${n:/upcase} and the other case
// changes, ${n:+if}, ${n:-else}, ${n:else}, ${n:?if:else}; a backslash takes
// the next character as it is (\n and \t: a line end and a tab).
Units Format(const Units &f, const Match &m) {
  Units out;
  for (size_t i = 0; i < f.size(); ++i) {
    const char16_t c = f[i];
    if (c == '\\' && i + 1 < f.size()) {
      const char16_t e = f[++i];
      out.push_back(e == 'n' ? u'\n' : e == 't' ? u'\t' : e);
      continue;
    }
    if (c != '$' || i + 1 >= f.size()) {
      out.push_back(c);
      continue;
    }
    if (f[i + 1] >= '0' && f[i + 1] <= '9') {
      size_t n = 0;
      while (i + 1 < f.size() && f[i + 1] >= '0' && f[i + 1] <= '9' && n < 100000) n = n * 10 + (f[++i] - '0');
      out += m.Group(n);
      continue;
    }
    if (f[i + 1] != '{') {
      out.push_back(c);
      continue;
    }
    // ${n...}: the number, then what follows up to the matching brace.
    size_t j = i + 2, n = 0;
    const size_t numberStart = j;
    while (j < f.size() && f[j] >= '0' && f[j] <= '9' && n < 100000) n = n * 10 + (f[j++] - '0');
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
    const Units value = m.Group(n);
    const Units rest = f.substr(j, close - j);
    i = close;
    if (rest.empty()) {
      out += value;
    } else if (Is(rest, u":/upcase")) {
      out += CaseChanged(m.cases, kAll, u"\\U$0", value);
    } else if (Is(rest, u":/downcase")) {
      out += CaseChanged(m.cases, kAll, u"\\L$0", value);
    } else if (Is(rest, u":/capitalize")) {
      out += CaseChanged(m.cases, kFirst, u"\\u$0", value);
    } else if (Is(rest, u":/camelcase") || Is(rest, u":/pascalcase")) {
      out += Cased(m.cases, value, Is(rest, u":/pascalcase"));
    } else if (Starts(rest, u":+")) {
      if (!value.empty()) out += Format(rest.substr(2), m);
    } else if (Starts(rest, u":?")) {
      // ?if:else, the first unescaped ':' parting the two
      size_t colon = 2;
      while (colon < rest.size() && rest[colon] != ':') colon += rest[colon] == '\\' ? 2 : 1;
      const Units yes = rest.substr(2, colon < rest.size() ? colon - 2 : Units::npos);
      const Units no = colon < rest.size() ? rest.substr(colon + 1) : Units();
      out += Format(value.empty() ? no : yes, m);
    } else if (Starts(rest, u":-")) {
      out += value.empty() ? Format(rest.substr(2), m) : value;
    } else if (rest[0] == ':') {
      out += value.empty() ? Format(rest.substr(1), m) : value;
    } else {
      out += value;
    }
  }
  return out;
}

bool IsLead(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsTrail(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

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
  const Units format(t.format ? t.format : u"", t.formatLength);
  const char16_t *subject = input ? input : u"";
  CaseCodes cases;
  cases.work = &work;
  Units result;
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
    result.append(subject + from, offsets[0] - from);
    result += Format(format, Match{subject, offsets, static_cast<size_t>(rc), &cases});
    if (work.spent > kWorkLimit) {  // a case change went past the limit
      ++givenUp;
      ok = false;
      break;
    }
    from = offsets[1];
    if (!global) break;
    if (offsets[0] == offsets[1]) {  // an empty match: step over one character
      if (from >= length) break;
      result.push_back(subject[from++]);
      if (from < length && IsLead(subject[from - 1]) && IsTrail(subject[from])) result.push_back(subject[from++]);
    }
  }
  pcre2_match_data_free(data);
  pcre2_match_context_free(context);
  pcre2_code_free(code);
  if (!ok) return nullptr;
  result.append(subject + from, length - from);
  char16_t *out = static_cast<char16_t *>(std::malloc((result.size() + 1) * sizeof(char16_t)));
  if (!out) return nullptr;
  std::memcpy(out, result.data(), result.size() * sizeof(char16_t));
  out[result.size()] = 0;
  *outLength = result.size();
  return out;
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
    std::string said;
    for (int i = 0; i < n; ++i) said.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    if (said.empty()) said = "the expression cannot be used";
    said += " at unit " + std::to_string(offset);
    std::strncpy(message, said.c_str(), room - 1);
    message[room - 1] = 0;
  }
  return false;
}

size_t TransformsGivenUp() { return givenUp; }
