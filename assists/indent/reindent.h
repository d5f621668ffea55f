// Re-indenting lines that are already there (a selection, a paste, a whole
// file) by the same reading that places a line as it is typed: each line goes
// where Enter and its electric key would put it below the lines above, as
// they were re-indented. One reading runs down the lines, so the cost is
// linear in the lines re-indented.
#pragma once

#include <cstdlib>
#include <new>

#include "assists/indent/assist.h"

namespace indent {

// Whether a line's text is a type's words alone ("static int", "char_u *",
// "static struct state *"): names, '*', '&' and "::"; a struct's or enum's
// name alone opens its definition instead, one capitalised name is a macro.
template <class Char>
bool TypeAloneLine(const Char *s, int n) {
  while (n > 0 && IsBlankUnit(s[n - 1])) --n;
  int words = 0;
  bool pointer = false, type = false;
  for (int i = 0; i < n;) {
    if (IsNameUnit(s[i])) {
      int k = i;
      while (k < n && IsNameUnit(s[k])) ++k;
      if (s[i] >= '0' && s[i] <= '9') return false;
      const Word w = Classify(s + i, k - i);
      // ("public" too: C code defines it away to mark functions it exports.)
      if (w == ClassWord || w == EnumWord)
        type = true;
      else if (w != OtherWord && w != AccessWord)
        return false;
      if (words == 0 && k == n && CapitalisedName(s + i, k - i)) return false;
      ++words;
      i = k;
    } else if (s[i] == '*' || s[i] == '&') {
      pointer = true;
      ++i;
    } else if (s[i] == ':' && i + 1 < n && s[i + 1] == ':') {
      i += 2;
    } else if (IsBlankUnit(s[i])) {
      ++i;
    } else {
      return false;
    }
  }
  return words > 0 && (!type || pointer);
}

// The lead a line's own text gives it, as its keys would when typed: a
// brace, '#', a case or access label by their first character or word; a
// goto label by the name before its first ':'; "<<" at its start.
template <class Char>
Lead LineLead(const Char *s, int n) {
  const Lead lead = LeadOf(s, n);
  if (lead != PlainLead) return lead;
  const int i = SkipBlanks(s, n);
  if (n - i >= 2 && s[i] == '<' && s[i + 1] == '<') return ShiftLead;
  int colon = i;
  while (colon < n && IsNameUnit(s[colon])) ++colon;
  while (colon < n && IsBlankUnit(s[colon])) ++colon;
  if (colon < n && s[colon] == ':' && !(colon + 1 < n && s[colon + 1] == ':')) {
    const Lead label = LabelBefore(s, colon);
    if (label == GotoLead || label == MacroLabelLead) return label;
  }
  return TypeAloneLine(s + i, n - i) ? TypeLead : WordsLead;
}

// The column at which the first `start` units of a line end.
template <class Char>
int ColumnOf(const Char *s, int start, int tabSize) {
  const int tab = UsableTabSize(tabSize);
  int column = 0;
  for (int i = 0; i < start; ++i) column = s[i] == '\t' ? (column / tab + 1) * tab : column + 1;
  return column;
}

// Whether a line is a line comment at its start right below another: such a
// run (code commented out) stays at the line's start.
template <class Char>
bool CommentRun(const Char *s, int n, const Char *above, int aboveLength) {
  const int i = SkipBlanks(s, n);
  return n - i >= 2 && s[i] == '/' && s[i + 1] == '/' && aboveLength >= 2 && above[0] == '/' && above[1] == '/';
}

// Grows `*buffer` (`*room` units) to hold `need` units; false without memory.
template <class Char>
bool Hold(Char **buffer, int *room, int need) {
  if (need <= *room) return true;
  Char *grown = static_cast<Char *>(std::realloc(*buffer, static_cast<size_t>(need) * sizeof(Char)));
  if (!grown) return false;
  *buffer = grown;
  *room = need;
  return true;
}

// Re-indents lines `from` to `to` (both included). `getLine(n, &text,
// &length)` gives line n (valid until the next call); `setLine(n, text,
// length)` writes a line whose leading blanks change. Only leading blanks
// change: blank lines, lines inside a block comment, a literal that goes on
// or a directive that goes on, and lines holding a NUL stay as they are.
// Reads at most FarLines lines above `from` (twice) and NearLines below `to`
// (for a style the lines above do not show). The lines changed, or -1 without memory.
template <class Char, class GetLine, class SetLine>
int Reindent(GetLine getLine, int from, int to, const Fallback &fallback, SetLine setLine) {
  if (from < 0) from = 0;
  if (to < from) return 0;
  void *rooms[2] = {std::malloc(sizeof(Reader<Char>)), std::malloc(sizeof(Reader<Char>))};
  if (!rooms[0] || !rooms[1]) {
    std::free(rooms[0]);
    std::free(rooms[1]);
    return -1;
  }
  Reader<Char> &r = *new (rooms[0]) Reader<Char>(fallback.tabSize);
  Reader<Char> &ahead = *new (rooms[1]) Reader<Char>(fallback.tabSize);
  const Char *text = nullptr;
  int n = 0;
  // The style of the lines themselves (and a few below), for the parts the
  // lines above do not show: the file's majority, not its first line's guess.
  int last = to;
  if (fallback.totalLines > 0) last = to + NearLines < fallback.totalLines ? to + NearLines : fallback.totalLines - 1;
  // Each part as the lines first show it: what typing there would read below.
  // The lines above the range are read first, so that its first line is read
  // in its block.
  Style first;
  const int top = from - FarLines < 0 ? 0 : from - FarLines;
  for (int line = top; line <= last; ++line) {
    getLine(line, &text, &n);
    ahead.Read(text, n);
    first.Adopt(ahead.style());
  }
  // The offsets a line sets and later lines keep (a brace's, a label's): the
  // value set most often, so that a line out of place (one moved by hand)
  // cannot decide them for every line below it.
  for (int k = 0; k < Style::KeptCount; ++k) {
    const int *votes = ahead.style().keptVotes[k];
    int best = *first.KeptField(k);
    for (int d = 0; d <= 16; ++d)
      if (votes[d] > (best >= 0 && best <= 16 ? votes[best] : 0)) best = d;
    *first.KeptField(k) = best;
  }
  for (int line = top; line < from; ++line) {
    getLine(line, &text, &n);
    r.Read(text, n);
  }
  // Where the lines mix styles, what most of them show: the counts of the
  // whole reading, and the case labels' offset most switches have.
  const Style &whole = ahead.style();
  int caseVotes[17], caseTotal = 0;
  for (int d = 0; d <= 16; ++d) caseTotal += caseVotes[d] = whole.caseVotes[d];
  for (int d = 0; d <= 16; ++d) {
    first.unitVotes[d] = whole.unitVotes[d];
    first.contVotes[d] = whole.contVotes[d];
    if (whole.caseVotes[d] > whole.caseVotes[first.caseDelta < 0 ? 0 : first.caseDelta]) first.caseDelta = d;
  }
  first.tabLines = whole.tabLines;
  first.spaceLines = whole.spaceLines;
  first.shallowSpaceLines = whole.shallowSpaceLines;
  first.recentCount = 0;
  if (whole.parenVotes[0] + whole.parenVotes[1] > 0) {
    first.parenVotes[0] = whole.parenVotes[0];
    first.parenVotes[1] = whole.parenVotes[1];
    first.parenAligned = whole.parenVotes[0] >= whole.parenVotes[1] ? 0 : 1;
  }
  if (first.parenDelta < 0) first.parenDelta = whole.parenDelta;
  first.declVotes[0] = whole.declVotes[0];
  first.declVotes[1] = whole.declVotes[1];
  // Votes between two ways: the whole reading's, not the first line's.
  for (int i = 0; i < 2; ++i) {
    first.braceBodyVotes[i] = whole.braceBodyVotes[i];
    first.commentTextVotes[i] = whole.commentTextVotes[i];
    first.commentBareVotes[i] = whole.commentBareVotes[i];
    first.docBareVotes[i] = whole.docBareVotes[i];
    first.closeVotes[i] = whole.closeVotes[i];
    first.listAlignVotes[i] = whole.listAlignVotes[i];
    first.shiftVotes[i] = whole.shiftVotes[i];
  }
  if (first.listContDelta < 0) first.listContDelta = whole.listContDelta;
  r.AdoptStyle(first);
  ahead.~Reader();
  std::free(rooms[1]);

  int changed = 0;
  Char *buffer = nullptr;
  int room = 0;
  // The line above as it now stands, for a run of line comments.
  Char *above = nullptr;
  int aboveLength = 0, aboveRoom = 0;
  if (from > 0) {
    getLine(from - 1, &text, &n);
    if (n > 0 && (above = static_cast<Char *>(std::malloc(static_cast<size_t>(n) * sizeof(Char)))) != nullptr) {
      for (int i = 0; i < n; ++i) above[i] = text[i];
      aboveLength = aboveRoom = n;
    }
  }
  for (int line = from; line <= to && changed >= 0; ++line) {
    getLine(line, &text, &n);
    const int start = SkipBlanks(text, n);
    bool keep = start == n || r.InComment() || r.InString() || r.InDirective();
    for (int i = 0; i < n && !keep; ++i) keep = text[i] == 0;
    int column = -1;
    // Code commented out at the line's start: a run of such lines stays
    // there (typing keeps the lines below the first one there).
    bool run = false;
    if (!keep && start == 0 && n >= 2 && text[0] == '/' && text[1] == '/' && line + 1 < fallback.totalLines) {
      getLine(line + 1, &text, &n);
      run = n >= 2 && text[0] == '/' && text[1] == '/';
      getLine(line, &text, &n);
    }
    if (!keep && line > 0) {
      if (run || CommentRun(text, n, above, aboveLength)) {
        column = 0;
      } else {
        const Lead lead = LineLead(text, n);
        column = Place(r, lead, fallback).column;
        // A goto label where the lines above show none keeps its column
        // (the next labels learn it); other leads with no place of their
        // own go as a statement.
        if (column < 0 && lead != GotoLead) column = Place(r, PlainLead, fallback).column;
        // A file whose switches have their labels in two ways: a label
        // written in one of them (an eighth of the file's labels or more)
        // keeps it.
        const int delta = r.style().caseDelta;
        if (lead == CaseLead && delta >= 0 && column >= delta) {
          const int own = ColumnOf(text, start, fallback.tabSize) - (column - delta);
          if (own >= 0 && own <= 16 && caseVotes[own] >= 2 && 8 * caseVotes[own] >= caseTotal) column += own - delta;
        }
      }
    } else if (!keep) {
      // The file's first line: at its start, or a type alone on its line where
      // the file's types stand.
      const int typeIndent = r.style().typeIndent;
      column = typeIndent > 0 && LineLead(text, n) == TypeLead ? typeIndent : 0;
    }
    const Char *now = text;
    int nowLength = n;
    if (column >= 0) {
      const bool tabs = UsesTabs(r.style(), fallback);
      if (!Hold(&buffer, &room, column + (n - start) + 1)) {
        changed = -1;
        break;
      }
      const int k = Blanks(column, tabs, fallback.tabSize, buffer, room);
      for (int i = start; i < n; ++i) buffer[k + i - start] = text[i];
      nowLength = k + n - start;
      buffer[nowLength] = 0;
      bool same = nowLength == n;
      for (int i = 0; same && i < k; ++i) same = buffer[i] == text[i];
      if (!same) {
        setLine(line, buffer, nowLength);
        ++changed;
        now = buffer;
      }
    }
    r.Read(now, nowLength);
    if (!Hold(&above, &aboveRoom, nowLength)) {
      changed = -1;
      break;
    }
    for (int i = 0; i < nowLength; ++i) above[i] = now[i];
    aboveLength = nowLength;
  }
  std::free(buffer);
  std::free(above);
  r.~Reader();
  std::free(rooms[0]);
  return changed;
}

// The lines the editor's re-indent command takes: the selected block's lines
// (a stream block that ends at a line's start leaves that line out) or, with
// nothing selected, the innermost block, parentheses or braced list the
// cursor's line stands in, from the line that opens it to the line that
// closes it (at the file's level, the cursor's line). False without lines.
template <class E>
bool ReindentRange(const EditorPosition &pos, const Fallback &fallback, int *from, int *to) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  const int type = ed->LastBlockType();
  typename E::Editor::LineRecord egs;
  if (type == 1 || type == 2) {
    const int first = ed->LastBlockStartLine();
    int last = first;
    for (int line = first; line < pos.TotalLines && ed->GetString(&egs, line) && egs.SelStart >= 0; ++line) {
      last = line;
      if (type == 1 && egs.SelEnd >= 0) break;  // a stream block's last line
    }
    if (type == 1 && last > first && ed->GetString(&egs, last) && egs.SelEnd == 0) --last;
    *from = first;
    *to = last;
    return true;
  }
  if (pos.CurLine < 0) return false;
  void *room = std::malloc(sizeof(Reader<Char>));
  if (!room) return false;
  Reader<Char> &r = *new (room) Reader<Char>(fallback.tabSize);
  const int top = pos.CurLine - FarLines < 0 ? 0 : pos.CurLine - FarLines;
  for (int line = top; line < pos.CurLine; ++line) {
    ed->GetString(&egs, line);
    r.Read(egs.StringText, static_cast<int>(egs.StringLength));
  }
  // The innermost frame open above the cursor's line: from its opener's line
  // to where the reading drops below it.
  *from = *to = pos.CurLine;
  if (r.Depth() > 1) {
    *from = top + r.Top().openerLine - 1;
    r.~Reader();
    new (room) Reader<Char>(fallback.tabSize);
    for (int line = *from; line < pos.TotalLines; ++line) {
      ed->GetString(&egs, line);
      r.Read(egs.StringText, static_cast<int>(egs.StringLength));
      *to = line;
      if (r.Depth() <= 1) break;
    }
  }
  r.~Reader();
  std::free(room);
  return true;
}

// The editor's re-indent command, in one undo step; the cursor stays on its
// text. False when nothing could be read or written.
template <class E>
bool ReindentCommand(const Fallback &given) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  if (!ed) return false;
  const EditorPosition pos = ed->GetPosition();
  Fallback fallback = given;
  fallback.totalLines = pos.TotalLines;
  int from = 0, to = -1;
  if (!ReindentRange<E>(pos, fallback, &from, &to)) return false;
  typename E::Editor::LineRecord egs;
  ed->GetString(&egs, pos.CurLine);
  const int oldIndent = SkipBlanks(egs.StringText, static_cast<int>(egs.StringLength));
  EditorLines<E> lines;
  ed->BeginUndo();
  E::busy() = 1;
  const int changed = Reindent<Char>(std::ref(lines), from, to, fallback,
                                     [ed](int line, const Char *text, int) { ed->SetString(text, line); });
  E::busy() = 0;
  if (changed > 0 && pos.CurLine >= from && pos.CurLine <= to) {
    ed->GetString(&egs, pos.CurLine);
    const int newIndent = SkipBlanks(egs.StringText, static_cast<int>(egs.StringLength));
    const int at = pos.CurPos >= oldIndent ? pos.CurPos - oldIndent + newIndent
                                           : (pos.CurPos < newIndent ? pos.CurPos : newIndent);
    ed->SetPosition(pos.CurLine, at, -1, -1);
  }
  ed->EndUndo();
  ed->Redraw();
  return changed >= 0;
}

// Whole lines pasted (Shift+Ins, Ctrl+V) with the cursor where only blanks
// stand before it, outside comments, literals and directives: the host
// pastes, then the lines are shifted so that the first stands where Enter
// would put it and the others keep their place relative to it, written with
// the file's tabs or spaces (lines inside a literal that goes on stay). One
// undo step. 1 when the paste was made here, 0 for the host's own.
template <class E>
int PasteLines(const INPUT_RECORD *Rec, const Fallback &given) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  const EditorPosition pos = ed->GetPosition();
  if (pos.CurLine < 0 || pos.CurPos < 0 || ed->LastBlockType() != 0 || ed->Overtype()) return 0;
  Char *clip = nullptr;
  size_t clipLength = 0;
  E::ReadClipboard(&clip, &clipLength);
  int breaks = 0;
  for (size_t i = 0; i < clipLength; ++i) breaks += clip[i] == '\n';
  const bool whole = clipLength > 0 && clip[clipLength - 1] == '\n';
  std::free(clip);
  if (!whole) return 0;
  Fallback fallback = given;
  fallback.totalLines = pos.TotalLines;
  EditorLines<E> lines;
  const Char *text = nullptr;
  int n = 0;
  lines(pos.CurLine, &text, &n);
  const int left = pos.CurPos < n ? pos.CurPos : n;
  if (SkipBlanks(text, left) != left) return 0;
  void *room = std::malloc(sizeof(Reader<Char>));
  if (!room) return 0;
  Reader<Char> &r = *new (room) Reader<Char>(fallback.tabSize);
  for (int line = pos.CurLine - FarLines < 0 ? 0 : pos.CurLine - FarLines; line < pos.CurLine; ++line) {
    lines(line, &text, &n);
    r.Read(text, n);
  }
  const bool code = !r.InComment() && !r.InString() && !r.InDirective();
  if (!code) {
    r.~Reader();
    std::free(room);
    return 0;
  }
  ed->BeginUndo();
  E::busy() = 1;
  ed->ProcessInput(Rec);
  E::busy() = 0;
  const EditorPosition after = ed->GetPosition();
  const int first = pos.CurLine, last = pos.CurLine + breaks - 1;
  if (after.TotalLines - pos.TotalLines == breaks && after.CurLine == last + 1) {
    lines(first, &text, &n);
    const int start = SkipBlanks(text, n);
    int column = Place(r, LineLead(text, n), fallback).column;
    if (column < 0) column = Place(r, PlainLead, fallback).column;
    const int shift = start < n && column >= 0 ? column - ColumnOf(text, start, fallback.tabSize) : 0;
    const bool tabs = UsesTabs(r.style(), fallback);
    // A reading of the pasted lines: which of them go on a literal.
    r.Reset(fallback.tabSize);
    for (int line = first; line <= last; ++line) {
      lines(line, &text, &n);
      const int blanks = SkipBlanks(text, n);
      const bool keep = blanks == n || (line > first && r.InString());
      Char *moved = nullptr;
      int length = 0;  // the moved line's blanks
      if (!keep) {
        int to = ColumnOf(text, blanks, fallback.tabSize) + shift;
        if (to < 0) to = 0;
        moved = IndentedText(to, tabs, fallback.tabSize, text + blanks, n - blanks, &length);
      }
      r.Read(text, n);
      if (!moved) continue;
      // The text behind the blanks is the line's own: only the blanks may differ.
      bool same = length == blanks;
      for (int i = 0; same && i < blanks; ++i) same = moved[i] == text[i];
      if (!same) ed->SetString(moved, line);
      std::free(moved);
    }
    ed->SetPosition(after);
  }
  r.~Reader();
  std::free(room);
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

}  // namespace indent
