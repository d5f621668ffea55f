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
  // A stop: its line (an index into `lines`) and character index.
  struct Stop {
    int line = 0;
    int pos = 0;
    bool dropped = false;
  };
  // The first stop (reached once the body is played), the waiting ones, and
  // the exit last.
  Stop stops[FieldStopLimit + 1];
  int count = 0;
  int next = 0;  // the first waiting stop
  Line lines[FieldStopLimit + 1];
  int lineCount = 0;

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
void FreeLines(FieldStops<Char> &f) {
  for (int i = 0; i < f.lineCount; ++i) std::free(f.lines[i].text);
  f.lineCount = 0;
}

// Copies the current text of line N; false when the host gives none or memory
// runs out.
template <class E>
bool CopyLine(int n, typename E::Char **text, int *length) {
  using Char = typename E::Char;
  typename E::Editor::LineRecord rec;
  if (!E::editor()->GetString(&rec, n)) return false;
  const int len = static_cast<int>(rec.StringLength);
  Char *copy = static_cast<Char *>(std::malloc((static_cast<size_t>(len) + 1) * sizeof(Char)));
  if (!copy) return false;
  if (len > 0) std::memcpy(copy, rec.StringText, static_cast<size_t>(len) * sizeof(Char));
  copy[len] = 0;
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

// Replaces a line entry's copy with TEXT; false when memory runs out.
template <class Line, class Char>
bool Recopy(Line &l, const Char *text, int length) {
  Char *copy = static_cast<Char *>(std::malloc((static_cast<size_t>(length) + 1) * sizeof(Char)));
  if (!copy) return false;
  if (length > 0) std::memcpy(copy, text, static_cast<size_t>(length) * sizeof(Char));
  copy[length] = 0;
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
  f.count = f.next = 0;
  f.changeCount = 0;
  f.overflow = f.redone = false;
  field_stops::FreeLines(f);
}

// Inside the host's change report: only note it (every editor command fails
// there).
template <class E>
void NoteFieldChange(intptr_t editorId, int type, intptr_t line) {
  FieldStops<typename E::Char> &f = E::fields();
  if ((!f.waiting && !f.marking) || editorId != f.editorId) return;
  if (f.changeCount >= FieldChangeLimit) {
    f.overflow = true;
    return;
  }
  f.changes[f.changeCount].type = type;
  f.changes[f.changeCount].line = static_cast<int>(line);
  ++f.changeCount;
}

// Reads what the noted changes did and moves the stops with their text.
template <class E>
void SyncFieldStops() {
  using Char = typename E::Char;
  using namespace field_stops;
  FieldStops<Char> &f = E::fields();
  if ((!f.waiting && !f.marking) || (f.changeCount == 0 && !f.overflow && !f.redone)) return;
  typename E::Editor *ed = E::editor();
  const bool trustText = f.overflow || f.redone;

  // The line numbers, event by event, as the host counted them. Lines added
  // or changed in this batch are kept too: a split's new line, a join's line.
  int added[FieldChangeLimit], changed[FieldChangeLimit];
  int addedCount = 0, changedCount = 0;
  for (int k = 0; k < f.changeCount; ++k) {
    const int n = f.changes[k].line;
    const int type = f.changes[k].type;
    if (type == FieldLineAdded) {
      for (int i = 0; i < f.lineCount; ++i)
        if (f.lines[i].number >= n) ++f.lines[i].number;
      for (int i = 0; i < addedCount; ++i)
        if (added[i] >= n) ++added[i];
      for (int i = 0; i < changedCount; ++i)
        if (changed[i] >= n) ++changed[i];
      added[addedCount++] = n;
    } else if (type == FieldLineDeleted) {
      for (int i = 0; i < f.lineCount; ++i) {
        typename FieldStops<Char>::Line &l = f.lines[i];
        if (l.number == n) {
          // Gone: its text may have joined the line above.
          l.deleted = true;
          l.number = n - 1;
        } else if (l.number > n) {
          --l.number;
        }
      }
      int kept = 0;
      for (int i = 0; i < addedCount; ++i)
        if (added[i] != n) added[kept++] = added[i] > n ? added[i] - 1 : added[i];
      addedCount = kept;
      kept = 0;
      for (int i = 0; i < changedCount; ++i)
        if (changed[i] != n) changed[kept++] = changed[i] > n ? changed[i] - 1 : changed[i];
      changedCount = kept;
    } else {
      bool known = false;
      for (int i = 0; i < changedCount; ++i) known = known || changed[i] == n;
      if (!known) changed[changedCount++] = n;
    }
  }
  auto wasAdded = [&](int n) {
    for (int i = 0; i < addedCount; ++i)
      if (added[i] == n) return true;
    return false;
  };
  auto wasChanged = [&](int n) {
    for (int i = 0; i < changedCount; ++i)
      if (changed[i] == n) return true;
    return false;
  };

  // How many gone lines each gone line's text may have joined with.
  int into[FieldStopLimit + 1];
  for (int li = 0; li < f.lineCount; ++li) {
    into[li] = 0;
    for (int k = 0; k < f.lineCount; ++k)
      into[li] += f.lines[li].deleted && f.lines[k].deleted && f.lines[k].number == f.lines[li].number;
  }
  for (int li = 0; li < f.lineCount; ++li) {
    typename FieldStops<Char>::Line &l = f.lines[li];
    if (trustText && !l.deleted) {
      // A redo, or changes lost: find the line's text where the numbers say,
      // else on the nearest line around it; failing that, compare with what
      // stands at its number.
      // A flood may have moved it by any number of lines: the search goes on
      // until the text's end below and its start above.
      bool found = false, below = true;
      for (int d = 0; !found && (below || l.number - d >= 0); ++d) {
        typename E::Editor::LineRecord rec;
        if (below) {
          if (!ed->GetString(&rec, l.number + d)) {
            below = false;  // past the last line
          } else if (SameText(rec.StringText, static_cast<int>(rec.StringLength), l.text, l.length)) {
            l.number += d;
            found = true;
            break;
          }
        }
        // Above, a line the host does not give lies past the end: go on.
        const int n = l.number - d;
        if (d > 0 && n >= 0 && ed->GetString(&rec, n) &&
            SameText(rec.StringText, static_cast<int>(rec.StringLength), l.text, l.length)) {
          l.number = n;
          found = true;
        }
      }
      if (found) continue;
    }
    typename E::Editor::LineRecord rec;
    if (l.deleted) {
      // Joined: each stop follows its text into the line above, if that line
      // changed and now ends with what followed the stop. A join takes one
      // line: several gone into one (an undo of many lines) took their text
      // with them.
      const bool joined = into[li] == 1 && l.number >= 0 && wasChanged(l.number) && ed->GetString(&rec, l.number);
      for (int i = 0; i < f.count; ++i) {
        typename FieldStops<Char>::Stop &s = f.stops[i];
        if (s.dropped || s.line != li) continue;
        const int tail = l.length - s.pos;
        if (joined && EndsWith(rec.StringText, static_cast<int>(rec.StringLength), l.text + s.pos, tail)) {
          s.pos = static_cast<int>(rec.StringLength) - tail;
          s.line = -2 - l.number;  // on the line it joined: placed once every line is read
        } else {
          s.dropped = true;
        }
      }
      continue;
    }
    if (!ed->GetString(&rec, l.number)) {
      for (int i = 0; i < f.count; ++i)
        if (f.stops[i].line == li) f.stops[i].dropped = true;
      continue;
    }
    const int nowLen = static_cast<int>(rec.StringLength);
    if (SameText(rec.StringText, nowLen, l.text, l.length)) continue;
    // Split: the part right of the split went to the line added below.
    typename E::Editor::LineRecord below;
    const bool split = wasAdded(l.number + 1) && ed->GetString(&below, l.number + 1);
    // The line read last moved the host's pointer: read this one again.
    if (split) ed->GetString(&rec, l.number);
    const Char *now = rec.StringText;
    int prefix = 0, suffix = 0;
    CommonEnds(l.text, l.length, now, nowLen, &prefix, &suffix);
    for (int i = 0; i < f.count; ++i) {
      typename FieldStops<Char>::Stop &s = f.stops[i];
      if (s.dropped || s.line != li) continue;
      const int tail = l.length - s.pos;
      if (split && s.pos > prefix &&
          EndsWith(below.StringText, static_cast<int>(below.StringLength), l.text + s.pos, tail)) {
        s.pos = static_cast<int>(below.StringLength) - tail;
        s.line = -2 - (l.number + 1);  // on the new line: placed once every line is read
        continue;
      }
      s.pos = MovedPos(l.length, nowLen, prefix, suffix, s.pos);
    }
    // The text just read is the line's copy from now on: no second read.
    if (!Recopy(l, now, nowLen))
      for (int i = 0; i < f.count; ++i)
        if (f.stops[i].line == li) f.stops[i].dropped = true;
  }
  // Entries gone or left without stops go first; then the stops that followed
  // their text to another line take that line's entry (one read for a line
  // no stop held), and every stop lies within its line.
  int kept = 0;
  for (int li = 0; li < f.lineCount; ++li) {
    bool used = false;
    for (int i = 0; i < f.count; ++i) used = used || (!f.stops[i].dropped && f.stops[i].line == li);
    if (!used || f.lines[li].deleted) {
      std::free(f.lines[li].text);
      continue;
    }
    for (int i = 0; i < f.count; ++i)
      if (!f.stops[i].dropped && f.stops[i].line == li) f.stops[i].line = kept;
    f.lines[kept++] = f.lines[li];
  }
  f.lineCount = kept;
  for (int i = 0; i < f.count; ++i) {
    typename FieldStops<Char>::Stop &s = f.stops[i];
    if (s.dropped) continue;
    if (s.line <= -2) {
      const int entry = LineEntry<E>(f, -2 - s.line);
      if (entry < 0) {
        s.dropped = true;
        continue;
      }
      s.line = entry;
    }
    if (s.pos > f.lines[s.line].length) s.pos = f.lines[s.line].length;
    if (s.pos < 0) s.pos = 0;
  }
  f.changeCount = 0;
  f.overflow = f.redone = false;
  // Every waiting stop dropped: nothing is left to visit.
  if (!f.marking) {
    bool any = false;
    for (int i = f.next; i < f.count; ++i) any = any || !f.stops[i].dropped;
    if (!any) EndFieldStops<E>();
  }
}

// A `field` token: the cursor's place becomes a stop. The first of a playback
// replaces whatever stops waited and asks for change reports, so that the
// body's later keys are tracked.
template <class E>
void MarkFieldStop() {
  if (!E::FieldStopsOn()) return;
  FieldStops<typename E::Char> &f = E::fields();
  typename E::Editor *ed = E::editor();
  if (!f.marking) {
    EndFieldStops<E>();
    f.editorId = ed->EditorId();
    f.subscribed = ed->SubscribeChanges(f.editorId, true);
    f.marking = true;
    ++f.generation;
  }
  SyncFieldStops<E>();
  if (f.count >= FieldStopLimit) return;
  EditorPosition pos = ed->GetPosition();
  const int entry = field_stops::LineEntry<E>(f, pos.CurLine);
  if (entry < 0) return;
  typename FieldStops<typename E::Char>::Stop &s = f.stops[f.count++];
  s = typename FieldStops<typename E::Char>::Stop();
  s.line = entry;
  // A cursor beyond the end of the line marks its end: a stop is a place in
  // the text.
  s.pos = pos.CurPos < f.lines[entry].length ? pos.CurPos : f.lines[entry].length;
}

// After a playback that marked stops: the exit where it ended (unless the last
// stop is there), the cursor on the first stop, the rest waiting.
template <class E>
void FinishFieldStops() {
  FieldStops<typename E::Char> &f = E::fields();
  if (!f.marking) return;
  typename E::Editor *ed = E::editor();
  SyncFieldStops<E>();
  // The stops still kept, in body order.
  int kept = 0;
  for (int i = 0; i < f.count; ++i)
    if (!f.stops[i].dropped) f.stops[kept++] = f.stops[i];
  f.count = kept;
  if (f.count == 0) {
    EndFieldStops<E>();
    return;
  }
  EditorPosition end = ed->GetPosition();
  const typename FieldStops<typename E::Char>::Stop &last = f.stops[f.count - 1];
  const int entry = field_stops::LineEntry<E>(f, end.CurLine);
  if (entry >= 0) {
    const int endPos = end.CurPos < f.lines[entry].length ? end.CurPos : f.lines[entry].length;
    if ((f.lines[last.line].number != end.CurLine || last.pos != endPos) && f.count <= FieldStopLimit) {
      typename FieldStops<typename E::Char>::Stop &s = f.stops[f.count++];
      s = typename FieldStops<typename E::Char>::Stop();
      s.line = entry;
      s.pos = endPos;
    }
  }
  const typename FieldStops<typename E::Char>::Stop &first = f.stops[0];
  ed->SetPosition(f.lines[first.line].number, first.pos, -1, -1);
  f.marking = false;
  f.next = 1;
  f.waiting = f.next < f.count;
  if (!f.waiting) EndFieldStops<E>();
}

// The key filter's first look at a key while stops wait: Tab goes to the next
// stop (1: swallowed); a redo key says the next changes are to be read by
// their text (an undo's reports carry exact numbers, a redo's may not); -1 for
// everything else.
template <class E>
int FieldStopKey(const INPUT_RECORD *Rec) {
  if (E::busy() || Rec->EventType != KEY_EVENT || !Rec->Event.KeyEvent.bKeyDown) return -1;
  FieldStops<typename E::Char> &f = E::fields();
  const KEY_EVENT_RECORD &key = Rec->Event.KeyEvent;
  const DWORD mods = key.dwControlKeyState & (SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED |
                                              LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
  const bool ctrl = (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
  const bool alt = (mods & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
  if (((ctrl && key.wVirtualKeyCode == 'Z') || (alt && key.wVirtualKeyCode == VK_BACK)) &&
      (mods & SHIFT_PRESSED)) {
    f.redone = true;
    return -1;
  }
  if (key.wVirtualKeyCode != VK_TAB || mods != 0 || !E::FieldStopsOn()) return -1;
  typename E::Editor *ed = E::editor();
  if (!ed) return -1;
  // One look at the editor gives both its id and the cursor.
  EditorPosition pos = ed->GetPosition();
  if (ed->LastEditorId() != f.editorId) return -1;
  SyncFieldStops<E>();
  if (!f.waiting) return 0;
  // Outside the lines from the first stop to the exit the Tab is ordinary and
  // the stops end.
  int top = -1, bottom = -1;
  for (int i = 0; i < f.count; ++i) {
    if (f.stops[i].dropped) continue;
    const int n = f.lines[f.stops[i].line].number;
    if (top < 0 || n < top) top = n;
    if (n > bottom) bottom = n;
  }
  if (pos.CurLine < top || pos.CurLine > bottom) {
    EndFieldStops<E>();
    return 0;
  }
  while (f.next < f.count && f.stops[f.next].dropped) ++f.next;
  if (f.next >= f.count) {
    EndFieldStops<E>();
    return 0;
  }
  const typename FieldStops<typename E::Char>::Stop &s = f.stops[f.next++];
  ed->SetPosition(f.lines[s.line].number, s.pos, -1, -1);
  ed->Redraw();
  while (f.next < f.count && f.stops[f.next].dropped) ++f.next;
  if (f.next >= f.count) EndFieldStops<E>();
  return 1;
}
