// C/C++ indentation as the user types: Enter indents the new line for what
// comes next, and '}', '{', '#' and a label's ':' put their line in place.
// For an edition whose adapter reads lines by number and reports the editor's
// tab settings (E::HasIndentation).
#pragma once

#include <cstdlib>

#include "assists/adapter.h"
#include "assists/indent/placement.h"

namespace indent {

// How far up a key reads: a first look, and a longer one when the first
// leaves the place uncertain (a long block, or a file's style not yet seen).
constexpr int NearLines = 120;
constexpr int FarLines = 3000;

inline bool IsBlankUnit(unsigned c) { return c == ' ' || c == '\t'; }

template <class Char>
int SkipBlanks(const Char *s, int n) {
  int i = 0;
  while (i < n && IsBlankUnit(s[i])) ++i;
  return i;
}

// Reads the lines from `window` lines above `last` down to `last`, this one
// only up to `lastLength` units (all of it for -1), then places a line
// beginning with `lead`; reads further up once when that is uncertain.
template <class E>
Placement PlaceAt(int last, int lastLength, Lead lead, const Fallback &fallback, Reader<typename E::Char> *r) {
  typename E::Editor *ed = E::editor();
  typename E::Editor::LineRecord egs;
  Placement p;
  static const int windows[] = {NearLines, FarLines};
  for (int window : windows) {
    *r = Reader<typename E::Char>(fallback.tabSize);
    const int first = last - window < 0 ? 0 : last - window;
    for (int line = first; line <= last; ++line) {
      ed->GetString(&egs, line);
      int n = static_cast<int>(egs.StringLength);
      if (line == last && lastLength >= 0 && lastLength < n) n = lastLength;
      r->Read(egs.StringText, n);
    }
    p = Place(*r, lead, fallback);
    if (p.sure || first == 0) break;
  }
  return p;
}

// The indentation `column` followed by `text` (`n` units), as a new
// NUL-ended buffer the caller frees; null when out of memory.
template <class Char>
Char *IndentedText(int column, bool tabs, int tabSize, const Char *text, int n, int *indentLength) {
  const int room = column + 1;
  Char *buf = static_cast<Char *>(std::malloc((static_cast<size_t>(room) + n + 1) * sizeof(Char)));
  if (!buf) return nullptr;
  const int k = Blanks(column, tabs, tabSize, buf, room);
  for (int i = 0; i < n; ++i) buf[k + i] = text[i];
  buf[k + n] = 0;
  *indentLength = k;
  return buf;
}

// Enter in a served file: splits the line as the host does and writes the
// new line's indentation, in one undo step. 1 when done, 0 when the host's
// own Enter should run (inside a literal or a comment's text, or nothing to
// place).
template <class E>
int IndentOnEnter(const INPUT_RECORD *Rec, const EditorPosition &pos, const Fallback &fallback) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  typename E::Editor::LineRecord egs;
  ed->GetString(&egs, pos.CurLine);
  const int length = static_cast<int>(egs.StringLength);
  if (pos.CurPos < 0) return 0;
  const int left = pos.CurPos < length ? pos.CurPos : length;
  const Char *rest = egs.StringText + left;
  const int restLength = length - left;
  for (int i = 0; i < length; ++i)
    if (egs.StringText[i] == 0) return 0;  // a NUL in the line: leave it to the host
  const bool restBlank = SkipBlanks(rest, restLength) == restLength;
  const Lead lead = LeadOf(rest, restLength);

  Reader<Char> r(fallback.tabSize);
  const Placement p = PlaceAt<E>(pos.CurLine, left, lead, fallback, &r);
  if (r.InString() || (r.InLineComment() && !restBlank) || p.column < 0) return 0;
  const bool tabs = UsesTabs(r.style(), fallback);

  ed->BeginUndo();
  E::busy() = 1;
  ed->ProcessInput(Rec);
  E::busy() = 0;
  const EditorPosition after = ed->GetPosition();
  if (after.CurLine == pos.CurLine + 1) {
    ed->GetString(&egs, after.CurLine);
    const int n = static_cast<int>(egs.StringLength);
    const int skip = SkipBlanks(egs.StringText, n);
    int indentLength = 0;
    Char *text = IndentedText(p.column, tabs, fallback.tabSize, egs.StringText + skip, n - skip, &indentLength);
    if (text) {
      ed->SetString(text, after.CurLine);
      std::free(text);
      ed->SetPosition(after.CurLine, indentLength, -1, -1);
    }
  }
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

// The label a ':' typed behind `s` (the line before the cursor) completes.
template <class Char>
Lead LabelBefore(const Char *s, int n) {
  const int i = SkipBlanks(s, n);
  int k = 0;
  if (StartsWord(s + i, n - i, "case", &k)) return CaseLead;
  int end = n;
  while (end > i && IsBlankUnit(s[end - 1])) --end;
  static const char *const plain[] = {"default", "public", "protected", "private", "signals", "Q_SIGNALS"};
  for (const char *w : plain) {
    if (!StartsWord(s + i, end - i, w, &k)) continue;
    int j = i + k;
    j += SkipBlanks(s + j, end - j);
    if (j < end) {  // "public slots" and the like: one more name
      int m = j;
      while (m < end && IsNameUnit(s[m])) ++m;
      if (m != end || w[0] == 'd') return PlainLead;
    }
    return w[0] == 'd' ? CaseLead : AccessLead;
  }
  return PlainLead;
}

// '}', '{' or '#' typed on a blank line, or ':' ending a case, default or
// access label: writes the line at its place with the key typed, in one undo
// step. 1 when done, 0 when the host should type the key.
template <class E>
int ElectricKey(unsigned key, const EditorPosition &pos, const Fallback &fallback) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  typename E::Editor::LineRecord egs;
  ed->GetString(&egs, pos.CurLine);
  const int length = static_cast<int>(egs.StringLength);
  if (pos.CurPos < 0) return 0;
  const int left = pos.CurPos < length ? pos.CurPos : length;
  const Char *s = egs.StringText;
  if (SkipBlanks(s + left, length - left) != length - left) return 0;  // text after the cursor
  const int start = SkipBlanks(s, left);
  Lead lead = PlainLead;
  if (key == ':') {
    lead = LabelBefore(s, left);
    if (lead == PlainLead) return 0;
  } else {
    if (start != left) return 0;  // only on a blank line
    lead = key == '}' ? CloseBraceLead : key == '{' ? OpenBraceLead : HashLead;
  }
  for (int i = 0; i < length; ++i)
    if (s[i] == 0) return 0;

  Reader<Char> r(fallback.tabSize);
  const Placement p = pos.CurLine > 0 ? PlaceAt<E>(pos.CurLine - 1, -1, lead, fallback, &r) : Placement();
  if (pos.CurLine > 0 && (r.InComment() || r.InString() || r.InDirective())) return 0;
  const int column = p.column < 0 ? 0 : p.column;
  const bool tabs = UsesTabs(r.style(), fallback);

  // The line's text from its first non-blank up to the cursor, with the key.
  const int n = (key == ':' ? left - start : 0) + 1;
  Char *word = static_cast<Char *>(std::malloc((static_cast<size_t>(n) + 1) * sizeof(Char)));
  if (!word) return 0;
  for (int i = 0; i < n - 1; ++i) word[i] = s[start + i];
  word[n - 1] = static_cast<Char>(key);
  int indentLength = 0;
  Char *text = IndentedText(column, tabs, fallback.tabSize, word, n, &indentLength);
  std::free(word);
  if (!text) return 0;
  // Already in place: the host types the key, as it would without us.
  bool same = indentLength + n - 1 == left;
  for (int i = 0; same && i < left; ++i) same = text[i] == s[i];
  if (same) {
    std::free(text);
    return 0;
  }
  ed->BeginUndo();
  ed->SetString(text, pos.CurLine);
  std::free(text);
  ed->SetPosition(pos.CurLine, indentLength + n, -1, -1);
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

}  // namespace indent
