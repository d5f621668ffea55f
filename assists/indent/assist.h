// C/C++ indentation as the user types: Enter indents the new line for what
// comes next, and '}', '{', '#' and a label's ':' put their line in place.
// For an edition whose adapter reads lines by number and reports the editor's
// tab settings (E::HasIndentation).
#pragma once

#include <cstdlib>
#include <functional>
#include <new>

#include "assists/adapter.h"
#include "assists/indent/placement.h"

namespace indent {

// How far up a key reads: a first look, and a longer one when the first
// leaves the place uncertain (a long block, or a file's style not yet seen).
constexpr int NearLines = 200;
constexpr int FarLines = 3000;

inline bool IsBlankUnit(unsigned c) { return c == ' ' || c == '\t'; }

template <class Char>
int SkipBlanks(const Char *s, int n) {
  int i = 0;
  while (i < n && IsBlankUnit(s[i])) ++i;
  return i;
}

// Reads the lines from a window above `last` down to `last`, this one only up
// to `lastLength` units (all of it for -1), then places a line beginning with
// `lead`; reads further up once when that is uncertain. When the whole file
// above leaves it uncertain, the style parts it lacks come from up to
// NearLines lines from `below` down (the bound stays FarLines + NearLines
// lines). `getLine(n, &text, &length)` gives line n.
template <class Char, class GetLine>
Placement PlaceBelow(GetLine getLine, int last, int lastLength, Lead lead, const Fallback &fallback,
                     Reader<Char> *r, int below = -1) {
  Placement p;
  static const int windows[] = {NearLines, FarLines};
  int first = 0;
  for (int window : windows) {
    r->Reset(fallback.tabSize);
    first = last - window < 0 ? 0 : last - window;
    for (int line = first; line <= last; ++line) {
      const Char *text = nullptr;
      int n = 0;
      getLine(line, &text, &n);
      if (line == last && lastLength >= 0 && lastLength < n) n = lastLength;
      r->Read(text, n);
    }
    p = Place(*r, lead, fallback);
    if (p.sure || first == 0) break;
  }
  if (p.sure || first != 0 || below < 0 || below >= fallback.totalLines || last > FarLines - NearLines) return p;
  void *room = std::malloc(sizeof(Reader<Char>));
  if (!room) return p;
  // Going on from the lines above (the placed line left out), so that what
  // is open there (a function's body) is open below too; but not from inside
  // a statement, which the placed line may be what ends.
  // In a block comment, only when the line below goes on with a leader (the
  // comment's end may be what is being typed).
  const Char *next = nullptr;
  int nextLength = 0;
  if (r->InComment()) getLine(below, &next, &nextLength);
  const int nextStart = next ? static_cast<int>(SkipBlanks(next, nextLength)) : 0;
  const bool between = r->Top().kind != ParenFrame && r->Top().kind != InitFrame && !r->Top().inStmt &&
                       !r->InDirective() && (!r->InComment() || (nextStart < nextLength && next[nextStart] == '*'));
  Reader<Char> *lower = between ? Reader<Char>::CopyAt(room, *r) : new (room) Reader<Char>(fallback.tabSize);
  const int end = fallback.totalLines - below < NearLines ? fallback.totalLines : below + NearLines;
  for (int line = below; line < end; ++line) {
    const Char *text = nullptr;
    int n = 0;
    getLine(line, &text, &n);
    lower->Read(text, n);
  }
  r->AdoptStyle(lower->style());
  lower->~Reader();
  std::free(room);
  return Place(*r, lead, fallback);
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

// Why a key goes to the host, or that the assist takes it.
enum Verdict {
  Taken,
  NulInLine,       // the line holds a NUL
  InLiteral,       // Enter inside a string or character literal
  InCommentText,   // Enter with a line comment's text after the cursor
  TextAfter,       // an electric key with text after the cursor
  NotBlank,        // '}', '{' or '#' on a line holding text
  NoLabel,         // ':' that completes no label, or a goto label the file shows no place for
  NoCommentRun,    // '/' that begins no "//" below a "//" at its line's start
  NoShift,         // '<' that begins no "<<" going on a macro's use above
  InComment,       // an electric key inside a block comment, literal or directive
  InPlace,         // the line already stands where the key would put it
  NoMemory,
};

struct Plan {
  Verdict verdict = Taken;
  Placement place;
  bool tabs = false;
};

// What Enter at `pos` of line `line` does. `getLine` as for PlaceBelow.
template <class Char, class GetLine>
Plan PlanEnter(GetLine getLine, int line, int pos, const Fallback &fallback) {
  Plan plan;
  const Char *text = nullptr;
  int length = 0;
  getLine(line, &text, &length);
  const int left = pos < length ? pos : length;
  for (int i = 0; i < length; ++i)
    if (text[i] == 0) return plan.verdict = NulInLine, plan;
  const Char *rest = text + left;
  const int restLength = length - left;
  const bool restBlank = SkipBlanks(rest, restLength) == restLength;
  Reader<Char> r(fallback.tabSize);
  plan.place = PlaceBelow(getLine, line, left, LeadOf(rest, restLength), fallback, &r, line + 1);
  plan.tabs = UsesTabs(r.style(), fallback);
  if (r.InString()) plan.verdict = InLiteral;
  else if (r.InLineComment() && !restBlank) plan.verdict = InCommentText;
  return plan;
}

// The label a ':' typed behind `s` (the line before the cursor) completes.
template <class Char>
Lead LabelBefore(const Char *s, int n) {
  const int i = SkipBlanks(s, n);
  if (i == n) return InitLead;
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
  // One name that is no keyword: a goto label; with one ':' behind it, the
  // ':' now typed makes a scope ("std::"), whose line goes back where a
  // statement goes.
  int m = i;
  while (m < end && IsNameUnit(s[m])) ++m;
  const bool name = m > i && !(s[i] >= '0' && s[i] <= '9') && Classify(s + i, m - i) == OtherWord;
  if (name && m == end) return CapitalisedName(s + i, m - i) ? MacroLabelLead : GotoLead;
  if (name && m + 1 == end && s[m] == ':') return ScopeLead;
  return PlainLead;
}

// What an electric key typed at `pos` of line `line` does: '}', '{' or '#'
// on a blank line, or ':' ending a case, default or access label. When taken,
// `*newText` is the line to write (NUL-ended, for the caller to free) and
// `*cursor` the cursor's index behind the key.
template <class Char, class GetLine>
Plan PlanElectric(GetLine getLine, unsigned key, int line, int pos, const Fallback &fallback, Char **newText,
                  int *cursor) {
  Plan plan;
  *newText = nullptr;
  const Char *s = nullptr;
  int length = 0;
  getLine(line, &s, &length);
  const int left = pos < length ? pos : length;
  if (SkipBlanks(s + left, length - left) != length - left) return plan.verdict = TextAfter, plan;
  const int start = SkipBlanks(s, left);
  Lead lead = PlainLead;
  // The second '/' of "//" right below a line comment at the line's start
  // (code commented out): the run goes on at the line's start.
  bool commentRun = false;
  if (key == '<') {
    if (left != start + 1 || s[start] != '<' || line == 0) return plan.verdict = NoShift, plan;
    lead = ShiftLead;
  } else if (key == ',') {
    if (start != left || line == 0) return plan.verdict = NotBlank, plan;
    lead = CommaLead;
  } else if (key == '/') {
    if (left == start + 1 && s[start] == '*' && line > 0) {
      lead = CommentCloseLead;  // "*/" alone: a block comment's end
    } else {
      if (left != start + 1 || s[start] != '/' || line == 0) return plan.verdict = NoCommentRun, plan;
      commentRun = true;
    }
  } else if (key == ':') {
    lead = LabelBefore(s, left);
    if (lead == PlainLead) return plan.verdict = NoLabel, plan;
  } else {
    if (start != left) return plan.verdict = NotBlank, plan;
    lead = key == '}' ? CloseBraceLead : key == '{' ? OpenBraceLead : HashLead;
  }
  for (int i = 0; i < length; ++i)
    if (s[i] == 0) return plan.verdict = NulInLine, plan;
  // The line's text from its first non-blank up to the cursor, with the key;
  // and its start, to compare (copied before other lines are read).
  const int n = (key == ':' || commentRun || lead == ShiftLead || lead == CommentCloseLead ? left - start : 0) + 1;
  Char *word = static_cast<Char *>(std::malloc((static_cast<size_t>(n) + left + 1) * sizeof(Char)));
  if (!word) return plan.verdict = NoMemory, plan;
  for (int i = 0; i < n - 1; ++i) word[i] = s[start + i];
  word[n - 1] = static_cast<Char>(key);
  Char *before = word + n;
  for (int i = 0; i < left; ++i) before[i] = s[i];
  Reader<Char> r(fallback.tabSize);
  if (line > 0) {
    plan.place = PlaceBelow(getLine, line - 1, -1, lead == ScopeLead ? GotoLead : lead, fallback, &r, line + 1);
    if (lead == ScopeLead) {
      // Only a line the label's ':' moved goes back (placed as a statement,
      // from the same reading): one the user placed stays where it is.
      int column = 0;
      const int tab = fallback.tabSize > 0 ? fallback.tabSize : 8;
      for (int i = 0; i < start; ++i) column = before[i] == '\t' ? (column / tab + 1) * tab : column + 1;
      if (plan.place.column != column) {
        std::free(word);
        return plan.verdict = NoLabel, plan;
      }
      plan.place = Place(r, PlainLead, fallback);
    }
    // In a macro's body continued with '\' only '}' has a place to go; in a
    // block comment only its end.
    if (lead == CommentCloseLead ? !r.InComment() || plan.place.column < 0
                                 : r.InComment() || r.InString() || (r.InDirective() && lead != CloseBraceLead)) {
      std::free(word);
      return plan.verdict = InComment, plan;
    }
    if (commentRun) {
      const Char *above = nullptr;
      int aboveLength = 0;
      getLine(line - 1, &above, &aboveLength);
      if (aboveLength < 2 || above[0] != '/' || above[1] != '/') {
        std::free(word);
        return plan.verdict = NoCommentRun, plan;
      }
      plan.place.column = 0;
      plan.place.rule = "a line comment under the one at the line's start above";
    }
    if (plan.place.column < 0) {
      std::free(word);
      return plan.verdict = lead == ShiftLead ? NoShift : NoLabel, plan;
    }
  } else {
    plan.place.column = 0;
    plan.place.rule = lead == HashLead ? "a directive at the line's start" : "the file's first line";
  }
  plan.tabs = UsesTabs(r.style(), fallback);

  int indentLength = 0;
  Char *text = IndentedText(plan.place.column, plan.tabs, fallback.tabSize, word, n, &indentLength);
  // Already in place: the host types the key, as it would without us.
  bool same = text && indentLength + n - 1 == left;
  for (int i = 0; same && i < left; ++i) same = text[i] == before[i];
  std::free(word);
  if (!text) return plan.verdict = NoMemory, plan;
  if (same) {
    std::free(text);
    return plan.verdict = InPlace, plan;
  }
  *newText = text;
  *cursor = indentLength + n;
  return plan;
}

// A line getter over the edition's editor: one host call per line.
template <class E>
struct EditorLines {
  typename E::Editor::LineRecord egs;
  void operator()(int line, const typename E::Char **text, int *n) {
    E::editor()->GetString(&egs, line);
    *text = egs.StringText;
    *n = static_cast<int>(egs.StringLength);
  }
};

// Whether the place POS of line LINE stands inside a comment, or a string or
// character literal, as up to NearLines lines above it read.
template <class E>
bool InCommentOrLiteral(int line, int pos, int tabSize) {
  using Char = typename E::Char;
  if (line < 0 || pos < 0) return false;
  EditorLines<E> lines;
  Reader<Char> r(tabSize);
  for (int n = line - NearLines < 0 ? 0 : line - NearLines; n <= line; ++n) {
    const Char *text = nullptr;
    int length = 0;
    lines(n, &text, &length);
    r.Read(text, n == line && pos < length ? pos : length);
  }
  return r.InComment() || r.InString() || r.InLineComment();
}

// The blanks a macro body's `tab` types at line `line`: one indentation unit
// of the file as Enter reads it there (its tab or its N spaces, the
// fallbacks as Enter's, which are all there is when the host gives no line:
// -1 reads none); 0 for a tab.
template <class E>
int UnitSpaces(int line, int tabSize, bool expandTabs) {
  using Char = typename E::Char;
  Fallback fallback;
  fallback.tabSize = tabSize;
  fallback.expandTabs = expandTabs;
  EditorLines<E> lines;
  Reader<Char> r(fallback.tabSize);
  PlaceBelow(std::ref(lines), line, -1, PlainLead, fallback, &r);
  if (UsesTabs(r.style(), fallback)) return 0;
  const int unit = r.style().Unit();
  return unit > 0 ? unit : fallback.tabSize;
}

// Enter in a served file: splits the line as the host does and writes the
// new line's indentation, in one undo step. 1 when done, 0 when the host's
// own Enter should run.
// The line the plug-in's Enter left holding only the blanks it wrote there
// (one at a time): when the cursor leaves it so, the blanks go.
struct LeftBlanks {
  bool set = false;
  intptr_t editor = 0;
  int line = 0, length = 0;
};

template <class E>
LeftBlanks &LeftBlanksOf() {
  static LeftBlanks b;
  return b;
}

// Whether the cursor at POS stands at the end of the line the plug-in's Enter
// filled with blanks, the line still holding just them.
template <class E>
bool AtOurBlankLine(const EditorPosition &pos) {
  const LeftBlanks &b = LeftBlanksOf<E>();
  typename E::Editor *ed = E::editor();
  if (!b.set || !E::CleanBlankLinesOn() || ed->LastEditorId() != b.editor || pos.CurLine != b.line ||
      pos.CurPos < b.length)
    return false;
  typename E::Editor::LineRecord egs;
  return ed->GetString(&egs, b.line) && static_cast<int>(egs.StringLength) == b.length &&
         SkipBlanks(egs.StringText, b.length) == b.length;
}

template <class E>
void ClearLine(int line) {
  static const typename E::Char empty[1] = {0};
  E::editor()->SetString(empty, line);
}

template <class E>
int IndentOnEnter(const INPUT_RECORD *Rec, const EditorPosition &pos, const Fallback &fallback) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  if (pos.CurPos < 0 || pos.CurLine < 0) return 0;
  EditorLines<E> lines;
  const Plan plan = PlanEnter<Char>(std::ref(lines), pos.CurLine, pos.CurPos, fallback);
  if (plan.verdict != Taken) return 0;
  const bool leaveClean = AtOurBlankLine<E>(pos);
  LeftBlanksOf<E>().set = false;

  ed->BeginUndo();
  E::busy() = 1;
  ed->ProcessInput(Rec);
  E::busy() = 0;
  const EditorPosition after = ed->GetPosition();
  if (after.CurLine == pos.CurLine + 1) {
    // The line Enter left holds only the blanks this plug-in wrote: they go.
    if (leaveClean) ClearLine<E>(pos.CurLine);
    typename E::Editor::LineRecord egs;
    ed->GetString(&egs, after.CurLine);
    const int n = static_cast<int>(egs.StringLength);
    const int skip = SkipBlanks(egs.StringText, n);
    int indentLength = 0;
    Char *text =
        IndentedText(plan.place.column, plan.tabs, fallback.tabSize, egs.StringText + skip, n - skip, &indentLength);
    if (text) {
      const bool onlyBlanks = n == skip && indentLength > 0;
      ed->SetString(text, after.CurLine);
      std::free(text);
      ed->SetPosition(after.CurLine, indentLength, -1, -1);
      if (onlyBlanks) {
        LeftBlanks &b = LeftBlanksOf<E>();
        b.set = true;
        b.editor = ed->LastEditorId();
        b.line = after.CurLine;
        b.length = indentLength;
      }
    }
  }
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

// Up, Down, PgUp or PgDn from the line the plug-in's Enter left holding only
// its blanks: the blanks go, in one undo step with the move. 1 when done.
template <class E>
int LeaveBlankLine(const INPUT_RECORD *Rec) {
  typename E::Editor *ed = E::editor();
  if (!ed) return 0;
  const EditorPosition pos = ed->GetPosition();
  const bool ours = AtOurBlankLine<E>(pos);
  // Typed on, or left some other way: the line is the user's from now on.
  LeftBlanksOf<E>().set = false;
  if (!ours) return 0;
  ed->BeginUndo();
  ClearLine<E>(pos.CurLine);
  ++E::busy();
  ed->ProcessInput(Rec);
  --E::busy();
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

// An electric key in a served file: the line at its place with the key
// typed, in one undo step. 1 when done, 0 when the host should type the key.
template <class E>
int ElectricKey(unsigned key, const EditorPosition &pos, const Fallback &fallback) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  if (pos.CurPos < 0 || pos.CurLine < 0) return 0;
  EditorLines<E> lines;
  Char *text = nullptr;
  int cursor = 0;
  const Plan plan = PlanElectric<Char>(std::ref(lines), key, pos.CurLine, pos.CurPos, fallback, &text, &cursor);
  if (plan.verdict != Taken) return 0;
  ed->BeginUndo();
  ed->SetString(text, pos.CurLine);
  std::free(text);
  ed->SetPosition(pos.CurLine, cursor, -1, -1);
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

}  // namespace indent
