// Field stops as a body plays: each stop word marks one (`field`, `field1` to
// `field9`, `field0` for the exit), `from` starts a stop's default text, and
// the body's end puts the cursor on the first stop.
#pragma once

#include "snippets/tracking.h"
#include "snippets/typing.h"

// The first stop word of a playback asks for change reports, so that the
// body's later keys are tracked. Played in the current stop while stops wait,
// it opens a session inside that one (Tab past its last stop goes on to the
// outer one's next); anywhere else its stops replace whatever waited.
template <class E>
bool BeginMarking() {
  using Char = typename E::Char;
  if (!E::FieldStopsOn()) return false;
  FieldStops<Char> &f = E::fields();
  if (f.marking) return true;
  typename E::Editor *ed = E::editor();
  bool nest = false;
  if (f.waiting && f.depth > 0 && f.depth < FieldDepthLimit && f.count < FieldStopLimit) {
    const EditorPosition pos = ed->GetPosition();
    if (ed->LastEditorId() == f.editorId) {
      SyncFieldStops<E>();
      const typename FieldStops<Char>::Stop &c = f.stops[f.current >= 0 ? f.current : 0];
      nest = f.waiting && f.current >= 0 && !c.dropped && f.lines[c.line].number == pos.CurLine &&
             pos.CurPos >= c.pos && pos.CurPos <= c.end;
    }
  }
  if (!nest) {
    EndFieldStops<E>();
    f.editorId = ed->EditorId();
    f.subscribed = ed->SubscribeChanges(f.editorId, true);
  }
  typename FieldStops<Char>::Level &level = f.levels[f.depth++];
  level = typename FieldStops<Char>::Level();
  level.base = f.count;
  level.outer = nest ? f.current : -1;
  if (f.starting.set) {
    level.start = f.starting;
    level.start.text = field_stops::CopyUnits(f.starting.text, f.starting.length);
    level.start.set = level.start.text != nullptr;
  }
  // What one body marks starts afresh: its numbers, its defaults.
  for (int &n : f.numbered) n = -1;
  f.fromSet = f.templateWords = f.selected = f.moved = false;
  f.marking = true;
  ++f.generation;
  return true;
}

// `from`: the cursor's place starts the next stop's default text.
template <class E>
void MarkDefaultStart() {
  if (!BeginMarking<E>()) return;
  FieldStops<typename E::Char> &f = E::fields();
  SyncFieldStops<E>();
  const EditorPosition pos = E::editor()->GetPosition();
  f.fromSet = true;
  f.fromLine = pos.CurLine;
  f.fromPos = pos.CurPos;
  f.templateWords = true;
}

// A stop word: the cursor's place becomes a stop (NUMBER -1 for `field`, 0
// for the exit, 1 to 9 for a numbered stop). A number seen before makes a
// mirror, which types its stop's text unless `from` gave it text of its own.
// A cursor beyond the end of its line keeps its column.
template <class E>
void MarkFieldStop(int number = -1) {
  using Char = typename E::Char;
  if (!BeginMarking<E>()) return;
  FieldStops<Char> &f = E::fields();
  typename E::Editor *ed = E::editor();
  if (number >= 0) f.templateWords = true;
  SyncFieldStops<E>();
  const bool fromSet = f.fromSet;
  f.fromSet = false;
  if (f.count >= FieldStopLimit) return;
  EditorPosition pos = ed->GetPosition();
  const int mirrorOf = number > 0 ? f.numbered[number] : -1;
  int start = pos.CurPos;
  if (fromSet && f.fromLine == pos.CurLine && f.fromPos <= pos.CurPos) {
    start = f.fromPos;
  } else if (mirrorOf >= 0 && !f.stops[mirrorOf].dropped) {
    // The stop's text, typed here: copied first, as typing moves the host's
    // line buffer.
    const Char *text = nullptr;
    int length = 0;
    field_stops::StopText(f, f.stops[mirrorOf], &text, &length);
    Char *copy = field_stops::CopyUnits(text, length);
    if (copy) {
      TypeUnits<E>(copy, static_cast<size_t>(length), [] {});
      std::free(copy);
      pos = ed->GetPosition();
    }
  }
  const int entry = field_stops::LineEntry<E>(f, pos.CurLine);
  if (entry < 0) return;
  const int index = f.count++;
  typename FieldStops<Char>::Stop &s = f.stops[index];
  s = typename FieldStops<Char>::Stop();
  s.line = entry;
  s.pos = start < pos.CurPos ? start : pos.CurPos;
  s.end = pos.CurPos;
  s.number = number > 0 ? number : 0;
  s.exit = number == 0;
  if (number > 0 && mirrorOf >= 0)
    s.mirrorOf = mirrorOf;
  else if (number > 0)
    f.numbered[number] = index;
}

// After a playback that marked stops: the exit where `field0` put it, else
// where the body ended (unless the last stop is there, in a body without the
// template words), the cursor on the first stop, the rest waiting. A body
// played inside a stop puts its stops in Tab's order right after that stop.
template <class E>
void FinishFieldStops() {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (!f.marking) return;
  typename E::Editor *ed = E::editor();
  SyncFieldStops<E>();
  const int base = f.depth > 0 ? f.levels[f.depth - 1].base : 0;
  const bool nested = f.depth > 1;
  // The stops still kept, in body order, the explicit exit (the last one
  // marked) after them; mirrors keep pointing at their stops.
  int exitAt = -1;
  for (int i = base; i < f.count; ++i)
    if (!f.stops[i].dropped && f.stops[i].exit) exitAt = i;
  int newIndex[FieldStopLimit + 1];
  int kept = base;
  typename FieldStops<Char>::Stop exitStop;
  if (exitAt >= 0) exitStop = f.stops[exitAt];
  for (int i = base; i < f.count; ++i) {
    newIndex[i] = -1;
    typename FieldStops<Char>::Stop s = f.stops[i];
    if (s.dropped || s.exit) continue;
    // A mirror goes with its stop (which always comes before it).
    if (s.mirrorOf >= 0 && (s.mirrorOf >= i || newIndex[s.mirrorOf] < 0)) continue;
    if (s.mirrorOf >= 0) s.mirrorOf = newIndex[s.mirrorOf];
    newIndex[i] = kept;
    f.stops[kept++] = s;
  }
  f.count = kept;
  int visible = 0;
  for (int i = base; i < f.count; ++i) visible += f.stops[i].mirrorOf < 0;
  if (visible == 0) {
    // Only an explicit exit: the cursor goes there, as a snippet's lone $0.
    if (exitAt >= 0 && exitStop.line >= 0 && exitStop.line < f.lineCount)
      ed->SetPosition(f.lines[exitStop.line].number, exitStop.pos, -1, -1);
    if (!nested) {
      EndFieldStops<E>();
      return;
    }
    // The session it was played in goes on.
    field_stops::ForgetStart(f.levels[--f.depth].start);
    f.marking = false;
    return;
  }
  if (exitAt >= 0) {
    // An explicit exit (it survived the compaction above by value).
    f.stops[f.count] = exitStop;
    f.stops[f.count].exit = true;
    ++f.count;
  } else {
    EditorPosition end = ed->GetPosition();
    const typename FieldStops<Char>::Stop &last = f.stops[f.count - 1];
    const int entry = field_stops::LineEntry<E>(f, end.CurLine);
    if (entry >= 0) {
      const int endPos = end.CurPos < f.lines[entry].length ? end.CurPos : f.lines[entry].length;
      if ((f.templateWords || f.lines[last.line].number != end.CurLine || last.pos != endPos) &&
          f.count <= FieldStopLimit) {
        typename FieldStops<Char>::Stop &s = f.stops[f.count++];
        s = typename FieldStops<Char>::Stop();
        s.line = entry;
        s.pos = s.end = endPos;
        s.exit = true;
      }
    }
  }
  // Each stop with mirrors remembers the text they hold.
  for (int i = base; i < f.count; ++i) {
    if (f.stops[i].mirrorOf < 0) continue;
    typename FieldStops<Char>::Stop &m = f.stops[f.stops[i].mirrorOf];
    if (m.known) continue;
    const Char *text = nullptr;
    int length = 0;
    field_stops::StopText(f, m, &text, &length);
    m.known = field_stops::CopyUnits(text, length);
    m.knownLength = m.known ? length : 0;
  }
  // Tab's order: numbered stops by number, as every snippet engine visits
  // them; then the keyword macros' unnumbered fields as they stand; the exit.
  int order[FieldStopLimit + 1];
  int orderCount = 0;
  for (int number = 1; number <= 10; ++number)
    for (int i = base; i < f.count; ++i) {
      const typename FieldStops<Char>::Stop &v = f.stops[i];
      if (v.mirrorOf < 0 && !v.exit && (number <= 9 ? v.number == number : v.number <= 0)) order[orderCount++] = i;
    }
  for (int i = base; i < f.count; ++i)
    if (f.stops[i].exit) order[orderCount++] = i;
  // Inside a stop, the outer session's later stops wait behind this body's.
  const int at = nested ? f.next : 0;
  if (!nested) f.visitCount = 0;
  for (int k = f.visitCount - 1; k >= at; --k) f.visit[k + orderCount] = f.visit[k];
  for (int k = 0; k < orderCount; ++k) f.visit[at + k] = order[k];
  f.visitCount += orderCount;
  const int first = order[0];
  const typename FieldStops<Char>::Stop &s = f.stops[first];
  ed->SetPosition(f.lines[s.line].number, s.end, -1, -1);
  f.marking = false;
  f.current = first;
  f.next = at + 1;
  f.waiting = f.next < f.visitCount;
  if (!f.waiting) EndFieldStops<E>();
  // The stop it was played in now holds it all: its mirrors copy that.
  if (nested) UpdateFieldMirrors<E>();
}
