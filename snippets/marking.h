// Field stops as a body plays: each stop word marks one (`field`, `field1` to
// `field9`, `field0` for the exit), `from` starts a stop's default text, and
// the body's end puts the cursor on the first stop.
#pragma once

#include "snippets/tracking.h"

// The first stop word of a playback replaces whatever stops waited and asks
// for change reports, so that the body's later keys are tracked.
template <class E>
bool BeginMarking() {
  if (!E::FieldStopsOn()) return false;
  FieldStops<typename E::Char> &f = E::fields();
  if (f.marking) return true;
  typename E::Editor *ed = E::editor();
  EndFieldStops<E>();
  f.editorId = ed->EditorId();
  f.subscribed = ed->SubscribeChanges(f.editorId, true);
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
      for (int i = 0; i < length; ++i) ed->TypeChar(copy[i]);
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
// template words), the cursor on the first stop, the rest waiting.
template <class E>
void FinishFieldStops() {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (!f.marking) return;
  typename E::Editor *ed = E::editor();
  SyncFieldStops<E>();
  // The stops still kept, in body order, the explicit exit (the last one
  // marked) after them; mirrors keep pointing at their stops.
  int exitAt = -1;
  for (int i = 0; i < f.count; ++i)
    if (!f.stops[i].dropped && f.stops[i].exit) exitAt = i;
  int newIndex[FieldStopLimit + 1];
  int kept = 0;
  typename FieldStops<Char>::Stop exitStop;
  if (exitAt >= 0) exitStop = f.stops[exitAt];
  for (int i = 0; i < f.count; ++i) {
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
  for (int i = 0; i < f.count; ++i) visible += f.stops[i].mirrorOf < 0;
  if (visible == 0) {
    // Only an explicit exit: the cursor goes there, as a snippet's lone $0.
    if (exitAt >= 0 && exitStop.line >= 0 && exitStop.line < f.lineCount)
      ed->SetPosition(f.lines[exitStop.line].number, exitStop.pos, -1, -1);
    EndFieldStops<E>();
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
  for (int i = 0; i < f.count; ++i) {
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
  f.visitCount = 0;
  for (int number = 1; number <= 10; ++number)
    for (int i = 0; i < f.count; ++i) {
      const typename FieldStops<Char>::Stop &v = f.stops[i];
      if (v.mirrorOf < 0 && !v.exit && (number <= 9 ? v.number == number : v.number <= 0))
        f.visit[f.visitCount++] = i;
    }
  for (int i = 0; i < f.count; ++i)
    if (f.stops[i].exit) f.visit[f.visitCount++] = i;
  const int first = f.visit[0];
  const typename FieldStops<Char>::Stop &s = f.stops[first];
  ed->SetPosition(f.lines[s.line].number, s.end, -1, -1);
  f.marking = false;
  f.current = first;
  f.next = 1;
  f.waiting = f.next < f.visitCount;
  if (!f.waiting) EndFieldStops<E>();
}
