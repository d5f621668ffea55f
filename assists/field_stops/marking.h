// Field stops as a body plays: each `field` token marks one, and the body's
// end puts the cursor on the first.
#pragma once

#include "assists/field_stops/tracking.h"

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
