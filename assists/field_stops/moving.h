// Field stops and the keys: Tab goes to the next stop.
#pragma once

#include "assists/field_stops/tracking.h"

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
