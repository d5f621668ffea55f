// Field stops through the user's edits: the host's change reports are noted
// as they come (no editor command works inside them) and read against each
// stop line's copy at the next chance.
#pragma once

#include "snippets/mirrors.h"
#include "snippets/state.h"

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

// After an undo: when the line the innermost expansion began on holds its
// text from before it again, in a file of as many lines, the undo took that
// expansion back. Its stops go; the session it was played in goes on, or,
// for the outermost, the session ends. True when so.
template <class E>
bool ExpansionUndone(const EditorPosition &cursor) {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (f.depth == 0 || !BackAtStart<E>(f.levels[f.depth - 1].start, cursor)) return false;
  if (f.depth == 1) {
    EndFieldStops<E>(FieldEndUndone);
    return true;
  }
  typename FieldStops<Char>::Level &level = f.levels[--f.depth];
  const int base = level.base;
  for (int i = base; i < f.count; ++i) {
    std::free(f.stops[i].known);
    f.stops[i].known = nullptr;
  }
  f.count = base;
  int kept = 0;
  for (int k = 0; k < f.visitCount; ++k)
    if (f.visit[k] < base) f.visit[kept++] = f.visit[k];
  f.visitCount = kept;
  f.current = level.outer;
  f.next = field_stops::VisitOf(f, level.outer) + 1;
  field_stops::ForgetStart(level.start);
  // The outer stops go back to where they stood before it.
  RestoreFieldSnapshot<E>();
  return true;
}

// Reads what the noted changes did and moves the stops with their text
// (AT: the cursor, when the caller has just read it).
template <class E>
void SyncFieldStops(const EditorPosition *at) {
  using Char = typename E::Char;
  using namespace field_stops;
  FieldStops<Char> &f = E::fields();
  if ((!f.waiting && !f.marking) || (f.changeCount == 0 && !f.overflow)) return;
  typename E::Editor *ed = E::editor();
  const bool trustText = f.overflow;
  // The cursor after the changes: where typed text ended or deleted text
  // began, which places an edit that the text alone cannot.
  EditorPosition cursor;
  bool cursorRead = at != nullptr;
  if (at) cursor = *at;
  auto readCursor = [&]() -> const EditorPosition & {
    if (!cursorRead) cursor = ed->GetPosition();
    cursorRead = true;
    return cursor;
  };
  bool lost = false;

  // The line numbers, event by event, as the host counted them. Lines added
  // or changed in this batch are kept too: a split's new line, a join's line.
  int added[FieldChangeLimit], changed[FieldChangeLimit], joined[FieldChangeLimit];
  int addedCount = 0, changedCount = 0, joinedCount = 0;
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
      for (int i = 0; i < joinedCount; ++i)
        if (joined[i] >= n) ++joined[i];
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
      // The line above may have taken in the gone line's text.
      kept = 0;
      for (int i = 0; i < joinedCount; ++i)
        if (joined[i] != n) joined[kept++] = joined[i] > n ? joined[i] - 1 : joined[i];
      joinedCount = kept;
      if (n > 0) joined[joinedCount++] = n - 1;
    } else {
      bool known = false;
      for (int i = 0; i < changedCount; ++i) known = known || changed[i] == n;
      if (!known) changed[changedCount++] = n;
    }
  }
  auto wasJoined = [&](int n) {
    for (int i = 0; i < joinedCount; ++i)
      if (joined[i] == n) return true;
    return false;
  };
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
      // Changes lost: find the line's text where the numbers say,
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
        // A place beyond the end follows the line's end.
        const int tail = s.pos < l.length ? l.length - s.pos : 0;
        const int endTail = s.end < l.length ? l.length - s.end : 0;
        if (joined && EndsWith(rec.StringText, static_cast<int>(rec.StringLength), l.text + l.length - tail, tail)) {
          const int joinedLen = static_cast<int>(rec.StringLength);
          const bool empty = s.end == s.pos;
          s.pos = joinedLen - tail + (s.pos > l.length ? s.pos - l.length : 0);
          s.end = empty ? s.pos : joinedLen - endTail;
          if (s.end < s.pos) s.end = s.pos;
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
    int bounds[2 * (FieldStopLimit + 1)], boundCount = 0;
    for (int i = 0; i < f.count; ++i) {
      if (f.stops[i].dropped || f.stops[i].line != li) continue;
      bounds[boundCount++] = f.stops[i].pos;
      bounds[boundCount++] = f.stops[i].end;
    }
    auto cursorOnLine = [&]() { return readCursor().CurLine == l.number ? cursor.CurPos : -1; };
    if (!PlaceEdit(l.text, l.length, now, nowLen, cursorOnLine, bounds, boundCount, &prefix, &suffix) &&
        !f.undone)
      lost = true;
    // The current stop's end before the change: a stop after it that starts
    // right there moves on with what the current stop takes in. A line that
    // took in the next one's text was joined, not typed at: nothing is taken.
    const bool currentHere = f.current >= 0 && f.current < f.count && !f.stops[f.current].dropped &&
                             f.stops[f.current].line == li && !wasJoined(l.number);
    const int currentEnd = currentHere ? f.stops[f.current].end : -1;
    int startedAt[FieldStopLimit + 1];
    for (int i = 0; i < f.count; ++i) {
      typename FieldStops<Char>::Stop &s = f.stops[i];
      startedAt[i] = s.pos;
      if (s.dropped || s.line != li) continue;
      const int tail = l.length - s.pos;
      if (split && s.pos > prefix && s.pos <= l.length &&
          EndsWith(below.StringText, static_cast<int>(below.StringLength), l.text + s.pos, tail)) {
        const int belowLen = static_cast<int>(below.StringLength);
        s.end = belowLen - (l.length - (s.end < l.length ? s.end : l.length));
        s.pos = belowLen - tail;
        if (s.end < s.pos) s.end = s.pos;
        s.line = -2 - (l.number + 1);  // on the new line: placed once every line is read
        continue;
      }
      MoveRange(l.length, nowLen, prefix, suffix, i == f.current && currentHere, &s.pos, &s.end);
    }
    // (Not while a body plays inside the current stop: what it marks at the
    // stop's end stays where it was marked.)
    if (currentHere && currentEnd == prefix && !f.marking) {
      const typename FieldStops<Char>::Stop &c = f.stops[f.current];
      for (int i = f.current + 1; i < f.count; ++i) {
        typename FieldStops<Char>::Stop &s = f.stops[i];
        if (s.dropped || s.line != li || startedAt[i] != currentEnd || s.pos >= c.end) continue;
        const bool empty = s.end == s.pos;
        s.pos = c.end;
        if (empty || s.end < s.pos) s.end = s.pos;
      }
    }
    // A line whose text repeats itself can be read as changed in more places
    // than one; whichever was taken, stops on it keep the order they had.
    for (int i = 0; i < f.count; ++i) {
      typename FieldStops<Char>::Stop &a = f.stops[i];
      if (a.dropped || a.line != li) continue;
      for (int j = i + 1; j < f.count; ++j) {
        typename FieldStops<Char>::Stop &b = f.stops[j];
        if (b.dropped || b.line != li || startedAt[i] > startedAt[j] || b.pos >= a.pos) continue;
        b.pos = a.pos;
        if (b.end < b.pos) b.end = b.pos;
      }
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
    if (s.pos < 0) s.pos = 0;
    // A stop's text never runs past its line's end.
    const int length = f.lines[s.line].length;
    if (s.end > length) s.end = s.pos > length ? s.pos : length;
    if (s.end < s.pos) s.end = s.pos;
  }
  f.changeCount = 0;
  f.overflow = false;
  // An edit no one can place for certain: the stops go rather than guess.
  if (lost && !f.marking) {
    EndFieldStops<E>(FieldEndUncertain);
    return;
  }
  // Every waiting stop dropped: nothing is left to visit.
  if (!f.marking) {
    bool any = false;
    for (int k = f.next; k < f.visitCount; ++k) any = any || !f.stops[f.visit[k]].dropped;
    if (!any) EndFieldStops<E>();
  }
  if (f.undone && f.waiting && !f.marking && !ExpansionUndone<E>(readCursor())) RestoreFieldSnapshot<E>();
  f.undone = false;
  if (!f.copying) UpdateFieldMirrors<E>();
}
