// A macro as one line of text: the keyword and what its body would make of
// it, for a list the user picks from. The body's keys act on the text as in
// the editor, as far as one line can show it: a line break is one mark,
// Up and Down do nothing, a mirror repeats its stop's default.
#pragma once

#include <cstddef>

#include "macros/fields.h"
#include "macros/macro_file.h"
#include "snippets/playback.h"

// Writes the preview of `entry` into `out` (at most `size` units, NUL
// included) with `lineBreak` for Enter and `nl`, a space for a tab. Returns
// its length.
template <class Char>
size_t PreviewMacro(const BasicMacroEntry<Char> &entry, Char lineBreak, Char *out, size_t size) {
  if (size == 0) return 0;
  const size_t room = size - 1;
  size_t length = 0, at = 0;
  auto insert = [&](Char c) {
    if (length == room) return;
    for (size_t i = length; i > at; --i) out[i] = out[i - 1];
    out[at++] = c;
    ++length;
  };
  for (const Char *p = entry.Name; *p; ++p) insert(*p);

  constexpr size_t DefaultLimit = 64;
  Char defaults[10][DefaultLimit];
  size_t defaultLength[10] = {0};
  bool known[10] = {false};
  size_t from = 0;
  bool fromPending = false;

  Char token[TokenLimit + 1];
  bool choosing = false;  // after `or`: further choices, not typed
  bool transforming = false;
  for (int k = 1;; ++k) {
    size_t n = 0;
    GetField(token, sizeof(token) / sizeof(Char), entry.Body, k, 0, &n);
    if (n == 0) break;
    if (n > TokenLimit) continue;
    // A transformation's parts are no text of the macro's.
    if (EqualsAscii(token, "re") || EqualsAscii(token, "fmt") || EqualsAscii(token, "opts")) {
      transforming = true;
      continue;
    }
    // It ends at what it transforms: a variable, or a stop's mirror (shown
    // untransformed, as a variable's value is not shown either).
    if (transforming && VariableOf(token) == Variable::None && StopNumber(token) < 0) continue;
    transforming = false;
    if (EqualsAscii(token, "or") && (fromPending || choosing)) {
      choosing = true;
      continue;
    }
    if (choosing) {
      if (StopNumber(token) < 0) continue;
      choosing = false;
    }
    if (IsOneCharacter(token, n)) {
      for (size_t i = 0; i < n; ++i) insert(token[i]);
    } else if (EqualsAscii(token, "sp") || EqualsAscii(token, "tab")) {
      insert(' ');
    } else if (EqualsAscii(token, "qu")) {
      insert('"');
    } else if (EqualsAscii(token, "en") || EqualsAscii(token, "nl")) {
      insert(lineBreak);
    } else if (EqualsAscii(token, "bs")) {
      if (at > 0) {
        for (size_t i = at; i < length; ++i) out[i - 1] = out[i];
        --at;
        --length;
      }
    } else if (EqualsAscii(token, "left")) {
      if (at > 0) --at;
    } else if (EqualsAscii(token, "right")) {
      if (at < length) ++at;
    } else if (EqualsAscii(token, "home")) {
      while (at > 0 && out[at - 1] != lineBreak) --at;
    } else if (EqualsAscii(token, "end")) {
      while (at < length && out[at] != lineBreak) ++at;
    } else if (EqualsAscii(token, "from")) {
      from = at;
      fromPending = true;
    } else if (VariableOf(token) != Variable::None) {
      // A variable's value is known only where the macro is typed: its
      // word in braces stands for it.
      insert('{');
      for (const Char *p = token; *p; ++p) insert(*p);
      insert('}');
    } else if (int number = StopNumber(token); number > 0) {
      if (!known[number]) {
        // The stop's default: what was typed since `from`, as it stands.
        size_t a = fromPending && from < at ? from : at;
        if (a > length) a = length;
        size_t c = 0;
        for (size_t i = a; i < at && c < DefaultLimit; ++i) defaults[number][c++] = out[i];
        defaultLength[number] = c;
        known[number] = true;
      } else {
        for (size_t i = 0; i < defaultLength[number]; ++i) insert(defaults[number][i]);
      }
      fromPending = false;
    } else {
      fromPending = false;  // `field`, `field0`, `up`, `down`, unknown tokens
    }
  }
  out[length] = 0;
  return length;
}
