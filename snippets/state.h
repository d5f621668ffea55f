// Field stops: the places a macro body marks with `field`, which Tab visits in
// turn after the expansion. Each waiting stop stays on the character it marked
// while the user edits: the host reports only which lines changed (never
// inside that report may the plug-in ask the editor anything), so the changes
// are noted and the lines read later, against a copy of each line holding a
// stop.
//
// Written once over an edition `E` that gives, beside what adapter.h lists:
//   E::fields()                    the edition's FieldStops<Char>
//   E::FieldStopsOn()              whether the user has field stops switched on
//   E::Editor::EditorId()          the current editor's id (one host command)
//   E::Editor::LastEditorId()      the id the last GetPosition() read
//   E::Editor::SubscribeChanges(id, on)  change reports for an editor, on or off
// An edition without field stops gives none of this and never calls it.
//
// This file holds what the stops are and how they end; tracking.h keeps them
// on their text, marking.h makes them as a body plays, moving.h is Tab and
// Shift+Tab, mirrors.h copies a numbered stop's text to its mirrors.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "assists/adapter.h"

// Stops one body may mark; later `field` tokens are ignored.
constexpr int FieldStopLimit = 32;
// Changes noted between two reads of the text; more, and the text alone is
// trusted.
constexpr int FieldChangeLimit = 256;

enum FieldChangeType { FieldLineChanged = 0, FieldLineAdded = 1, FieldLineDeleted = 2 };

// Why a session ended, for --explain: the ways it ends that the user may not
// have seen coming.
enum FieldEnd {
  FieldEndDone = 0,     // the last stop was reached, or another body replaced it
  FieldEndLeft,         // the cursor moved out of every stop
  FieldEndOtherEditor,  // a key came in another editor
  FieldEndUndone,       // Ctrl+Z took the expansion back
  FieldEndUncertain,    // an edit whose place the text and the cursor could not tell
};

// Shift, Ctrl or Alt pressed alone: no key of its own to the assists.
inline bool LoneModifier(WORD vk) { return vk == 0x10 || vk == 0x11 || vk == 0x12; }

// Ctrl+Z or Alt+Backspace (with Shift: a redo).
inline bool UndoKey(WORD vk, DWORD held) {
  const bool ctrl = (held & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
  const bool alt = (held & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
  return (ctrl && vk == 'Z') || (alt && vk == VK_BACK);
}

// Sessions one inside another: a body played in a stop while stops wait.
constexpr int FieldDepthLimit = 4;

// The line an expansion began on, as it stood before: an undo that brings it
// back (with the file's line count) took the whole expansion back.
template <class Char>
struct ExpansionStart {
  bool set = false;
  intptr_t editorId = 0;
  int line = 0, pos = 0, totalLines = -1;
  Char *text = nullptr;  // malloc'ed
  int length = 0;
};

template <class Char>
struct FieldStops {
  // The one flag the key filter tests: stops wait for Tab.
  bool waiting = false;
  // A playback is marking stops (its later keys are already tracked).
  bool marking = false;
  bool subscribed = false;
  intptr_t editorId = 0;
  unsigned generation = 0;  // counts the playbacks that marked stops

  // A line holding stops, as it was when last read.
  struct Line {
    int number = 0;
    Char *text = nullptr;
    int length = 0;
    bool deleted = false;  // gone; `number` is then the line its text may have joined
  };
  // A stop: its line (an index into `lines`) and the text it holds, from
  // `pos` to `end` (equal when empty; a place beyond the line's end keeps its
  // column). A mirror is never visited: it takes a copy of its stop's text.
  struct Stop {
    int line = 0;
    int pos = 0;
    int end = 0;
    bool dropped = false;
    int number = 0;     // 1 to 9 for a numbered stop or its mirror, 0 for `field`
    int mirrorOf = -1;  // the stop it copies, or -1
    bool exit = false;  // where the cursor goes after the last stop
    Char *known = nullptr;  // a stop with mirrors: the text last copied to them
    int knownLength = 0;
    int choiceAt = -1;      // its choices: `choiceCount` texts in `choices` from here
    int choiceCount = 0;
    int transformAt = -1;   // a mirror's transformation: its parts in `transforms` from here
    int regexLength = 0, formatLength = 0, optionsLength = 0;
  };
  // The stops in the body's order (mirrors among them), the exit last.
  Stop stops[FieldStopLimit + 1];
  int count = 0;
  // The stops in the order Tab visits them: the numbered ones by number (1
  // to 9), then those without a number in the body's order, the exit last;
  // mirrors are not visited. `next` is the position in it of the first
  // waiting stop.
  int visit[FieldStopLimit + 1];
  int visitCount = 0;
  int next = 0;
  int current = -1;  // the stop the cursor was last put on
  Line lines[FieldStopLimit + 1];
  int lineCount = 0;
  // The choices stops offer, each text NUL-ended, one after another.
  Char *choices = nullptr;
  size_t choicesUsed = 0, choicesRoom = 0;
  // The mirrors' transformations: expression, format and options, one after
  // another.
  char16_t *transforms = nullptr;
  size_t transformsUsed = 0, transformsRoom = 0;

  // While a body plays: where `from` put a default's start, which stop each
  // number names, whether the body used the template words, and the keyword
  // line's leading blanks for `nl`.
  bool fromSet = false;
  int fromLine = 0, fromPos = 0;
  int numbered[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  bool templateWords = false;
  static constexpr int IndentLimit = 256;
  Char indent[IndentLimit];
  int indentLength = -1;  // -1: not read

  // The current stop's text was selected by the plug-in for the user to type
  // over (until the next key).
  bool selected = false;
  // A key or a click that may move the cursor came: the next event ends the
  // session when the cursor then stands in none of its stops.
  bool moved = false;
  // Each session level, outermost first: the stops from `base` on are its
  // body's, `outer` the stop it was played in (-1 for the outermost), and
  // the line its expansion began on.
  struct Level {
    int base = 0;
    int outer = -1;
    ExpansionStart<Char> start;
  };
  Level levels[FieldDepthLimit];
  int depth = 0;
  // The expansion about to play (set before its first key), for the level
  // its first stop opens.
  ExpansionStart<Char> starting;
  // The last key-down (Shift, Ctrl, Alt alone aside) was an undo, and the
  // one before it.
  bool undoKey = false, afterUndo = false;
  // Sessions ended, and why the last one did (for --explain).
  unsigned ends = 0;
  FieldEnd endReason = FieldEndDone;
  // Mirrors are being written (the changes that makes are already accounted
  // for), and the stop whose text was last copied to its mirrors (for
  // --explain).
  bool copying = false;
  int lastCopied = -1;

  // Before each key typed into a stop with mirrors: where every stop stood
  // and the text of each stop line. The key and its copies change one line in
  // two places, which an undo gives back in one change that the line's text
  // alone cannot place; when an undo brings every line back to a snapshot's
  // text, the stops go back to where it says.
  struct Snapshot {
    int count = 0;
    int stopLine[FieldStopLimit + 1];  // the line number, -1 when dropped
    int pos[FieldStopLimit + 1];
    int end[FieldStopLimit + 1];
    int lineCount = 0;
    int lineNumber[FieldStopLimit + 1];
    Char *text[FieldStopLimit + 1];
    int length[FieldStopLimit + 1];
    // Each stop's text last copied to its mirrors (null for none): after the
    // undo, a mirror edited by hand keeps its edit.
    Char *known[FieldStopLimit + 1];
    int knownLength[FieldStopLimit + 1];
  };
  static constexpr int SnapshotLimit = 16;
  Snapshot snapshots[SnapshotLimit];
  int snapshotCount = 0;
  bool undone = false;  // an undo came: look for its snapshot

  struct Change {
    int type = 0;
    int line = 0;
  };
  Change changes[FieldChangeLimit];
  int changeCount = 0;
  bool overflow = false;  // changes were lost: trust the text
};

namespace field_stops {

template <class Char>
bool SameText(const Char *a, int na, const Char *b, int nb) {
  return na == nb && (na == 0 || std::memcmp(a, b, static_cast<size_t>(na) * sizeof(Char)) == 0);
}

// Whether `text` ends with `tail`.
template <class Char>
bool EndsWith(const Char *text, int n, const Char *tail, int nt) {
  return nt <= n && (nt == 0 || std::memcmp(text + n - nt, tail, static_cast<size_t>(nt) * sizeof(Char)) == 0);
}

template <class Char>
void FreeSnapshot(typename FieldStops<Char>::Snapshot &n) {
  for (int i = 0; i < n.lineCount; ++i) std::free(n.text[i]);
  for (int i = 0; i < n.count; ++i) std::free(n.known[i]);
  n.lineCount = n.count = 0;
}

template <class Char>
void FreeSnapshots(FieldStops<Char> &f) {
  for (int i = 0; i < f.snapshotCount; ++i) FreeSnapshot<Char>(f.snapshots[i]);
  f.snapshotCount = 0;
}

template <class Char>
void ForgetStart(ExpansionStart<Char> &s) {
  std::free(s.text);
  s = ExpansionStart<Char>();
}

template <class Char>
void FreeLines(FieldStops<Char> &f) {
  FreeSnapshots(f);
  for (int i = 0; i < f.lineCount; ++i) std::free(f.lines[i].text);
  f.lineCount = 0;
  for (int i = 0; i < f.count; ++i) {
    std::free(f.stops[i].known);
    f.stops[i].known = nullptr;
  }
}

// A copy of N units (malloc'ed, NUL-terminated); null when memory runs out.
template <class Char>
Char *CopyUnits(const Char *text, int n) {
  Char *copy = static_cast<Char *>(std::malloc((static_cast<size_t>(n) + 1) * sizeof(Char)));
  if (!copy) return nullptr;
  if (n > 0) std::memcpy(copy, text, static_cast<size_t>(n) * sizeof(Char));
  copy[n] = 0;
  return copy;
}

// Copies the current text of line N; false when the host gives none or memory
// runs out.
template <class E>
bool CopyLine(int n, typename E::Char **text, int *length) {
  using Char = typename E::Char;
  typename E::Editor::LineRecord rec;
  if (!E::editor()->GetString(&rec, n)) return false;
  const int len = static_cast<int>(rec.StringLength);
  Char *copy = CopyUnits(rec.StringText, len);
  if (!copy) return false;
  *text = copy;
  *length = len;
  return true;
}

// The line entry for line N, made (with a copy of its text) when there is
// none; -1 when it cannot be.
template <class E>
int LineEntry(FieldStops<typename E::Char> &f, int n) {
  for (int i = 0; i < f.lineCount; ++i)
    if (!f.lines[i].deleted && f.lines[i].number == n) return i;
  if (f.lineCount >= FieldStopLimit + 1) return -1;
  typename FieldStops<typename E::Char>::Line &l = f.lines[f.lineCount];
  l = typename FieldStops<typename E::Char>::Line();
  l.number = n;
  if (!CopyLine<E>(n, &l.text, &l.length)) return -1;
  return f.lineCount++;
}

// Where the edit that turned OLD into NOW stood, as the units kept before and
// after it. A text typed or deleted beside an equal one ("unsigned" + " " in
// "unsigned name") could have gone in at several places: the cursor (what
// CURSOR_OF() gives, -1 when it is not on this line) says which, as a typed text (or one typed over a
// selection) ends there and a deleted one began there; failing that, an
// undo's text put back begins there. False when it does not and a stop
// boundary in BOUNDS lies where the places differ: the stops cannot be kept
// for certain.
template <class Char, class Cursor>
bool PlaceEdit(const Char *old, int oldLen, const Char *now, int nowLen, Cursor cursorOf, const int *bounds,
               int boundCount, int *prefix, int *suffix) {
  const int shorter = oldLen < nowLen ? oldLen : nowLen;
  int p = 0;
  while (p < shorter && old[p] == now[p]) ++p;
  int s = 0;
  while (s < shorter && old[oldLen - 1 - s] == now[nowLen - 1 - s]) ++s;
  // One place only: what changed lies between the two common ends.
  if (p + s < shorter) {
    *prefix = p;
    *suffix = s;
    return true;
  }
  // Else the text could have gone in or out at any place from LO to HI.
  const int lo = shorter - s, hi = p;
  // Asked only here: most edits have one place.
  const int cursor = lo < hi ? cursorOf() : -1;
  if (cursor >= 0 && cursor <= nowLen) {
    const int tail = nowLen - cursor, oldEnd = oldLen - tail;
    if (tail <= s && oldEnd >= 0) {
      *prefix = p < cursor ? (p < oldEnd ? p : oldEnd) : (cursor < oldEnd ? cursor : oldEnd);
      *suffix = tail;
      return true;
    }
    if (cursor >= lo && cursor <= p) {
      *prefix = cursor;
      *suffix = shorter - cursor < s ? shorter - cursor : s;
      return true;
    }
  }
  *prefix = hi;
  *suffix = shorter - hi;
  if (lo < hi)
    for (int i = 0; i < boundCount; ++i)
      if (bounds[i] >= lo && bounds[i] <= hi) return false;
  return true;
}

// The new index of a stop at P on a line that changed from OLD_LEN to NOW_LEN
// units with PREFIX and SUFFIX in common: left of the change it keeps its
// index, right of it its distance from the line's end; a stop whose
// character went stays where the change began.
inline int MovedPos(int oldLen, int nowLen, int prefix, int suffix, int p) {
  if (p <= prefix) return p;
  if (p >= oldLen - suffix) return nowLen - (oldLen - p);
  return prefix;
}

// Moves a stop's text [*A, *B) on a line that changed as MovedPos says. The
// current stop takes in what is typed at its place or at its end; a waiting
// one keeps its start where text comes in at it (the text goes after it); a
// place beyond the line's old end keeps its column while the line stays short
// of it, and is the start of what is typed there.
inline void MoveRange(int oldLen, int nowLen, int prefix, int suffix, bool current, int *a, int *b) {
  const int oldEnd = oldLen - suffix, newEnd = nowLen - suffix, delta = nowLen - oldLen;
  const int a0 = *a, b0 = *b;
  if (a0 > oldLen) {
    if (nowLen <= a0 || prefix >= oldLen) {
      *b = current && prefix >= oldLen && newEnd > a0 ? newEnd : a0;
    } else {
      *a = a0 + delta;
      *b = *a;
    }
    return;
  }
  *a = MovedPos(oldLen, nowLen, prefix, suffix, a0);
  if (b0 == a0)
    *b = current && prefix == a0 ? newEnd : *a;
  else if (b0 <= prefix)
    *b = current && b0 == prefix ? newEnd : b0;
  else if (b0 >= oldEnd)
    *b = b0 + delta;
  else
    *b = current ? newEnd : *a;
  if (*b < *a) *b = *a;
}

// Replaces a line entry's copy with TEXT; false when memory runs out.
template <class Line, class Char>
bool Recopy(Line &l, const Char *text, int length) {
  Char *copy = CopyUnits(text, length);
  if (!copy) return false;
  std::free(l.text);
  l.text = copy;
  l.length = length;
  return true;
}

// Where stop I stands in the visiting order; -1 when it is not visited.
template <class Char>
int VisitOf(const FieldStops<Char> &f, int i) {
  for (int k = 0; k < f.visitCount; ++k)
    if (f.visit[k] == i) return k;
  return -1;
}

}  // namespace field_stops

// Stops end: nothing waits, and the host sends no more change reports.
template <class E>
void EndFieldStops(FieldEnd why = FieldEndDone) {
  FieldStops<typename E::Char> &f = E::fields();
  if (f.subscribed) E::editor()->SubscribeChanges(f.editorId, false);
  f.subscribed = false;
  if (f.waiting || f.marking) {
    ++f.ends;
    f.endReason = why;
  }
  f.waiting = f.marking = f.moved = false;
  for (int i = 0; i < f.depth; ++i) field_stops::ForgetStart(f.levels[i].start);
  f.depth = 0;
  field_stops::FreeLines(f);
  f.count = f.next = f.visitCount = 0;
  f.current = -1;
  f.changeCount = 0;
  f.overflow = f.undone = false;
  f.fromSet = f.templateWords = f.selected = false;
  for (int &n : f.numbered) n = -1;
  f.indentLength = -1;
  std::free(f.choices);
  f.choices = nullptr;
  f.choicesUsed = f.choicesRoom = 0;
  std::free(f.transforms);
  f.transforms = nullptr;
  f.transformsUsed = f.transformsRoom = 0;
}

// Keeps where every stop stands and each stop line's text (the oldest
// snapshot goes when the stack is full).
template <class E>
void TakeFieldSnapshot() {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (f.snapshotCount == FieldStops<Char>::SnapshotLimit) {
    field_stops::FreeSnapshot<Char>(f.snapshots[0]);
    for (int i = 1; i < f.snapshotCount; ++i) f.snapshots[i - 1] = f.snapshots[i];
    f.snapshots[--f.snapshotCount] = typename FieldStops<Char>::Snapshot();
  }
  typename FieldStops<Char>::Snapshot &n = f.snapshots[f.snapshotCount];
  n = typename FieldStops<Char>::Snapshot();
  for (int i = 0; i < f.count; ++i) {
    const typename FieldStops<Char>::Stop &s = f.stops[i];
    n.stopLine[i] = s.dropped ? -1 : f.lines[s.line].number;
    n.pos[i] = s.pos;
    n.end[i] = s.end;
    n.known[i] = s.known ? field_stops::CopyUnits(s.known, s.knownLength) : nullptr;
    n.knownLength[i] = n.known[i] ? s.knownLength : 0;
    n.count = i + 1;
  }
  for (int i = 0; i < f.lineCount; ++i) {
    if (f.lines[i].deleted) continue;
    Char *copy = field_stops::CopyUnits(f.lines[i].text, f.lines[i].length);
    if (!copy) {
      field_stops::FreeSnapshot<Char>(n);
      return;
    }
    n.lineNumber[n.lineCount] = f.lines[i].number;
    n.length[n.lineCount] = f.lines[i].length;
    n.text[n.lineCount++] = copy;
  }
  ++f.snapshotCount;
}

// After an undo: when every line of a snapshot holds its text again, the
// stops go back to where they stood then (the newest such snapshot; it and
// the later ones are spent).
template <class E>
void RestoreFieldSnapshot() {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  typename E::Editor *ed = E::editor();
  for (int k = f.snapshotCount - 1; k >= 0; --k) {
    typename FieldStops<Char>::Snapshot &n = f.snapshots[k];
    if (n.count != f.count) continue;
    bool same = true;
    for (int i = 0; i < n.lineCount && same; ++i) {
      typename E::Editor::LineRecord rec;
      same = ed->GetString(&rec, n.lineNumber[i]) &&
             field_stops::SameText(rec.StringText, static_cast<int>(rec.StringLength), n.text[i], n.length[i]);
    }
    if (!same) continue;
    for (int i = 0; i < n.count; ++i) {
      typename FieldStops<Char>::Stop &s = f.stops[i];
      const int entry = n.stopLine[i] < 0 ? -1 : field_stops::LineEntry<E>(f, n.stopLine[i]);
      s.dropped = entry < 0;
      if (entry < 0) continue;
      s.line = entry;
      s.pos = n.pos[i];
      s.end = n.end[i];
      if (n.known[i]) {
        std::free(s.known);
        s.known = n.known[i];
        s.knownLength = n.knownLength[i];
        n.known[i] = nullptr;
      }
    }
    for (int i = k; i < f.snapshotCount; ++i) field_stops::FreeSnapshot<Char>(f.snapshots[i]);
    f.snapshotCount = k;
    return;
  }
}

// Whether the cursor stands in one of the stops (at either edge counts).
template <class Char>
bool CursorInAStop(const FieldStops<Char> &f, int line, int pos) {
  for (int i = 0; i < f.count; ++i) {
    const typename FieldStops<Char>::Stop &s = f.stops[i];
    if (!s.dropped && f.lines[s.line].number == line && pos >= s.pos && pos <= s.end) return true;
  }
  return false;
}

// Before a body plays: the line it begins on as it stands (POS and TEXT as
// just read), which an undo that takes the whole expansion back gives back.
template <class E>
void NoteExpansionStart(const EditorPosition &pos, const typename E::Char *text, int length) {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  field_stops::ForgetStart(f.starting);
  ExpansionStart<Char> &s = f.starting;
  s.text = field_stops::CopyUnits(text, length);
  if (!s.text) return;
  s.length = length;
  s.set = true;
  s.editorId = E::editor()->LastEditorId();
  s.line = pos.CurLine;
  s.pos = pos.CurPos;
  s.totalLines = pos.TotalLines;
}

// Whether the editor shows START's line as it stood before its expansion.
template <class E>
bool BackAtStart(const ExpansionStart<typename E::Char> &start, const EditorPosition &pos) {
  typename E::Editor *ed = E::editor();
  typename E::Editor::LineRecord line;
  return start.set && ed->LastEditorId() == start.editorId && pos.TotalLines == start.totalLines &&
         ed->GetString(&line, start.line) &&
         field_stops::SameText(line.StringText, static_cast<int>(line.StringLength), start.text, start.length);
}
