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
  bool redone = false;    // a redo: trust the text, not the numbers
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

// How far two versions of a line agree from the start and from the end
// (the two never overlap).
template <class Char>
void CommonEnds(const Char *old, int oldLen, const Char *now, int nowLen, int *prefix, int *suffix) {
  int p = 0;
  while (p < oldLen && p < nowLen && old[p] == now[p]) ++p;
  int q = 0;
  while (q < oldLen - p && q < nowLen - p && old[oldLen - 1 - q] == now[nowLen - 1 - q]) ++q;
  *prefix = p;
  *suffix = q;
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

}  // namespace field_stops

// Stops end: nothing waits, and the host sends no more change reports.
template <class E>
void EndFieldStops() {
  FieldStops<typename E::Char> &f = E::fields();
  if (f.subscribed) E::editor()->SubscribeChanges(f.editorId, false);
  f.subscribed = false;
  f.waiting = f.marking = false;
  field_stops::FreeLines(f);
  f.count = f.next = f.visitCount = 0;
  f.current = -1;
  f.changeCount = 0;
  f.overflow = f.redone = f.undone = false;
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
