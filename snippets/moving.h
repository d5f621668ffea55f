// Field stops and the keys: Tab goes to the next stop and Shift+Tab to the one
// before, each selecting the stop's text for the user to type over; a key
// typed into a stop with mirrors is one undo step with its copies.
#pragma once

#include "snippets/tracking.h"

namespace field_stops {

template <class Char>
bool Visited(const typename FieldStops<Char>::Stop &s) {
  return !s.dropped && s.mirrorOf < 0;
}

}  // namespace field_stops

// Selects the current stop's text (nothing for an empty stop or the exit).
template <class E>
void SelectFieldStop() {
  FieldStops<typename E::Char> &f = E::fields();
  if (!f.waiting || f.current < 0 || f.current >= f.count) return;
  const typename FieldStops<typename E::Char>::Stop &s = f.stops[f.current];
  if (s.exit || s.end <= s.pos) return;
  E::editor()->Select(f.lines[s.line].number, s.pos, s.end - s.pos);
  f.selected = true;
}

// Puts the cursor at the end of stop I's text, selected, and redraws. A
// selection the plug-in made at the stop before goes (typing would delete it
// wherever it is).
template <class E>
void GoToFieldStop(int i, bool selected) {
  FieldStops<typename E::Char> &f = E::fields();
  typename E::Editor *ed = E::editor();
  const typename FieldStops<typename E::Char>::Stop &s = f.stops[i];
  f.current = i;
  ed->SetPosition(f.lines[s.line].number, s.end, -1, -1);
  SelectFieldStop<E>();
  if (selected && !f.selected) ed->Unselect();
  ed->Redraw();
  f.next = field_stops::VisitOf(f, i) + 1;
  while (f.next < f.visitCount && !field_stops::Visited<typename E::Char>(f.stops[f.visit[f.next]])) ++f.next;
}

// A key that may change text, typed while stops wait: into a stop with
// mirrors it is fed within an undo group with the copies it makes; over the
// plug-in's selection with persistent blocks on, the selection goes first (the
// editor would keep it). 1 when taken, -1 to leave it to the host.
template <class E>
int FieldStopEdit(const INPUT_RECORD *Rec, bool typing) {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  const bool selected = f.selected;
  f.selected = false;
  if (f.current < 0 || f.current >= f.count) return -1;
  bool mirrored = false;
  for (int j = f.current + 1; j < f.count; ++j) mirrored = mirrored || f.stops[j].mirrorOf == f.current;
  if (!mirrored && !(selected && typing)) return -1;
  typename E::Editor *ed = E::editor();
  const EditorPosition pos = ed->GetPosition();
  if (ed->LastEditorId() != f.editorId) return -1;
  SyncFieldStops<E>();
  if (!f.waiting || f.current < 0) return -1;
  const typename FieldStops<Char>::Stop &s = f.stops[f.current];
  if (s.dropped || pos.CurLine != f.lines[s.line].number) return -1;
  const bool replace = selected && typing && ed->PersistentBlocks() && ed->LastBlockType() == 1 &&
                       pos.CurPos >= s.pos && pos.CurPos <= s.end;
  if (!replace && !mirrored) return -1;
  if (mirrored) TakeFieldSnapshot<E>();
  ed->BeginUndo();
  ++E::busy();
  if (replace) {
    ed->DeleteBlock();
    SyncFieldStops<E>();
  }
  ed->ProcessInput(Rec);
  --E::busy();
  SyncFieldStops<E>();
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

// The key filter's first look at an event while stops wait. Each key first
// settles the edits before it, with the cursor where they left it, and ends
// the session when a key or click before it moved the cursor out of every
// stop, or when it comes in another editor. Then Tab goes to the next stop
// and Shift+Tab to the previous one (1: swallowed); a redo ends the stops (an
// undo's reports carry exact numbers, a redo's may not); -1 for everything
// else.
template <class E>
int FieldStopKey(const INPUT_RECORD *Rec) {
  using Char = typename E::Char;
  if (E::busy()) return -1;
  FieldStops<Char> &f = E::fields();
  const bool click = Rec->EventType == MOUSE_EVENT;
  if (!click && (Rec->EventType != KEY_EVENT || !Rec->Event.KeyEvent.bKeyDown)) return -1;
  const KEY_EVENT_RECORD &key = Rec->Event.KeyEvent;
  const WORD vk = click ? 0 : key.wVirtualKeyCode;
  // Shift, Ctrl or Alt pressed alone: neither an edit nor a move.
  if (LoneModifier(vk)) return -1;
  typename E::Editor *ed = E::editor();
  if (!ed || !E::FieldStopsOn()) return -1;
  // One look at the editor gives both its id and the cursor.
  const EditorPosition pos = ed->GetPosition();
  if (ed->LastEditorId() != f.editorId) {
    EndFieldStops<E>(FieldEndOtherEditor);
    return -1;
  }
  SyncFieldStops<E>(&pos);
  if (!f.waiting) return -1;
  if (f.moved && !CursorInAStop(f, pos.CurLine, pos.CurPos)) {
    EndFieldStops<E>(FieldEndLeft);
    return -1;
  }
  f.moved = false;
  if (click) {
    f.moved = true;
    return -1;
  }
  const DWORD mods = key.dwControlKeyState & (SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED |
                                              LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
  const bool ctrl = (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
  const bool alt = (mods & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
  if (UndoKey(vk, key.dwControlKeyState)) {
    // A redo's change reports may not carry the lines' numbers: the stops
    // cannot be kept for certain, and end rather than guess.
    if (mods & SHIFT_PRESSED) {
      EndFieldStops<E>(FieldEndUncertain);
      return -1;
    }
    f.undone = true;
    f.selected = false;
    return -1;
  }
  const bool back = vk == VK_TAB && mods == SHIFT_PRESSED;
  if (vk != VK_TAB || (mods != 0 && !back)) {
    const bool typing = !ctrl && !alt && E::KeyChar(*Rec) >= 0x20;
    // Enter too: with auto indent the editor redraws in the middle of it,
    // where no copy may be written; fed within the group, it is copied after.
    const bool edits = typing || (!ctrl && !alt && (vk == VK_BACK || vk == VK_DELETE)) ||
                       (vk == VK_RETURN && mods == 0) || (vk == VK_INSERT && mods == SHIFT_PRESSED);
    if (!edits) {
      // The keys that move the cursor (PgUp, PgDn, End, Home and the arrows,
      // with or without Shift or Ctrl): the next event looks where it went.
      f.selected = false;
      f.moved = vk >= VK_PRIOR && vk <= VK_DOWN;
      return -1;
    }
    return FieldStopEdit<E>(Rec, typing);
  }
  const bool selected = f.selected;
  f.selected = false;
  // Outside the lines from the first stop to the exit the key is the
  // editor's own and the stops end.
  int top = -1, bottom = -1;
  for (int i = 0; i < f.count; ++i) {
    if (f.stops[i].dropped) continue;
    const int n = f.lines[f.stops[i].line].number;
    if (top < 0 || n < top) top = n;
    if (n > bottom) bottom = n;
  }
  if (pos.CurLine < top || pos.CurLine > bottom) {
    EndFieldStops<E>(FieldEndLeft);
    return -1;
  }
  if (back) {
    // Back to the stop visited before the current one; at the first, nothing.
    int k = field_stops::VisitOf(f, f.current) - 1;
    while (k >= 0 && !field_stops::Visited<Char>(f.stops[f.visit[k]])) --k;
    if (k >= 0) GoToFieldStop<E>(f.visit[k], selected);
    f.selected = f.selected || (k < 0 && selected);
    return 1;
  }
  while (f.next < f.visitCount && !field_stops::Visited<Char>(f.stops[f.visit[f.next]])) ++f.next;
  if (f.next >= f.visitCount) {
    EndFieldStops<E>();
    return 0;
  }
  GoToFieldStop<E>(f.visit[f.next], selected);
  if (f.next >= f.visitCount) EndFieldStops<E>();
  return 1;
}
