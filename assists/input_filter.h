// The editor's key-event filter: picks the three trigger keys in C and C++
// files and hands each to its assist.
#pragma once

#include "assists/adapter.h"
#include "assists/braces.h"
#include "assists/field_stops/field_stops.h"
#include "macros/expand.h"

// What an edition's ProcessEditorInput does with one event. While the
// edition's busy flag is set (the plug-in is feeding keys itself) every event
// goes to the host untouched.
template <class E>
int FilterKey(const INPUT_RECORD *Rec) {
  // While field stops wait, Tab is theirs; with none waiting this one flag is
  // all it costs.
  if constexpr (E::HasFieldStops) {
    if (E::fields().waiting && Rec) {
      const int taken = FieldStopKey<E>(Rec);
      if (taken >= 0) return taken;
    }
  }
  // Everything up to the host's file name reads only the record: ordinary keys
  // cost no call into the host. The trigger test comes first, as it turns
  // away nearly every event; the other tests read the same record.
  if (!Rec) return 0;
  const KEY_EVENT_RECORD &key = Rec->Event.KeyEvent;
  const unsigned c = E::KeyChar(*Rec);
  if (c != ' ' && c != '}' && key.wVirtualKeyCode != VK_RETURN) return 0;
  if (E::busy()) return 0;
  if (Rec->EventType != KEY_EVENT || !key.bKeyDown) return 0;
  if (!E::AssistOn(AssistOfKey(c))) return 0;
  typename E::Editor *ed = E::editor();
  if (!ed) return 0;

  KeyContext context;
  if (!ed->FileQualifies(&context)) return 0;

  if (c == ' ') return ExpandKeyword<E>() ? 1 : 0;
  if (c == '}') return AlignClosingBrace<E>();

  const int column = ed->CursorColumn(context);
  typename E::Editor::LineRecord line;
  ed->GetString(&line, -1);
  return IndentAfterBrace<E>(Rec, column, line);
}
