// The editor's key-event filter: picks the trigger keys in C and C++ files
// and hands each to its assist.
#pragma once

#include "assists/adapter.h"
#include "assists/braces.h"
#include "snippets/field_stops.h"
#include "assists/indent/assist.h"
#include "assists/indent/reindent.h"
#include "snippets/expand.h"

// Enter, or an electric key, in a served file with C/C++ indentation on. In
// overtype mode, with a block selected, or with Shift, Ctrl or Alt held, the
// host's own key runs.
template <class E>
int IndentKey(const INPUT_RECORD *Rec, unsigned c, bool enter) {
  typename E::Editor *ed = E::editor();
  if (!ed) return 0;
  const DWORD held = SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
  if (enter && (Rec->Event.KeyEvent.dwControlKeyState & held)) return 0;
  KeyContext context;
  if (!ed->FileQualifies(&context)) return 0;
  const EditorPosition pos = ed->GetPosition();
  if (ed->Overtype() || ed->LastBlockType() != 0) return 0;
  indent::Fallback fallback;
  fallback.tabSize = ed->TabSize();
  fallback.expandTabs = ed->ExpandsTabs();
  fallback.indentCaseLabels = E::IndentCaseLabels();
  fallback.totalLines = pos.TotalLines;
  if (enter) return indent::IndentOnEnter<E>(Rec, pos, fallback);
  return indent::ElectricKey<E>(c, pos, fallback);
}

// Right after Ctrl+Z took an expansion back, Tab at the same place is the
// editor's: the user has just refused that expansion.
template <class E>
bool RefusedAtTab() {
  if (!E::fields().afterUndo) return false;
  const EditorPosition at = E::editor()->GetPosition();
  return at.CurPos == E::fields().starting.pos && BackAtStart<E>(E::fields().starting, at);
}

// Tab in a served file with keyword macros on: a Tab-triggered macro whose
// name stands before the cursor expands; else the host's Tab.
template <class E>
int TabKey(const INPUT_RECORD *Rec) {
  const KEY_EVENT_RECORD &key = Rec->Event.KeyEvent;
  const DWORD held = SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
  if (Rec->EventType != KEY_EVENT || !key.bKeyDown || (key.dwControlKeyState & held)) return 0;
  if (E::busy() || !E::AssistOn(Assist::KeywordMacros)) return 0;
  typename E::Editor *ed = E::editor();
  if (!ed) return 0;
  KeyContext context;
  if (!ed->FileQualifies(&context) || RefusedAtTab<E>()) return 0;
  return ExpandAtTab<E>();
}

// A paste in a served file with the paste switch on: whole lines land where
// Enter would put the first; else the host's own paste.
template <class E>
int PasteKey(const INPUT_RECORD *Rec) {
  if (Rec->EventType != KEY_EVENT || !Rec->Event.KeyEvent.bKeyDown || E::busy() || !E::PasteIndentOn()) return 0;
  typename E::Editor *ed = E::editor();
  KeyContext context;
  if (!ed || !ed->FileQualifies(&context)) return 0;
  indent::Fallback fallback;
  ed->GetPosition();
  fallback.tabSize = ed->TabSize();
  fallback.expandTabs = ed->ExpandsTabs();
  fallback.indentCaseLabels = E::IndentCaseLabels();
  return indent::PasteLines<E>(Rec, fallback);
}

// What an edition's ProcessEditorInput does with one event. While the
// edition's busy flag is set (the plug-in is feeding keys itself) every event
// goes to the host untouched.
template <class E>
int FilterKey(const INPUT_RECORD *Rec) {
  // While field stops wait, Tab is theirs; with none waiting this one flag is
  // all it costs.
  if constexpr (E::HasFieldStops) {
    // Whether the key before this one was an undo (Shift, Ctrl and Alt
    // pressed alone aside).
    if (Rec && Rec->EventType == KEY_EVENT && Rec->Event.KeyEvent.bKeyDown) {
      const KEY_EVENT_RECORD &k = Rec->Event.KeyEvent;
      const WORD vk = k.wVirtualKeyCode;
      if (!LoneModifier(vk)) {
        E::fields().afterUndo = E::fields().undoKey;
        E::fields().undoKey = !(k.dwControlKeyState & SHIFT_PRESSED) && UndoKey(vk, k.dwControlKeyState);
      }
    }
    if (E::fields().waiting && Rec) {
      const int taken = FieldStopKey<E>(Rec);
      // Arrived at a stop with choices: the menu lists them.
      if (taken == 1 && Rec->Event.KeyEvent.wVirtualKeyCode == VK_TAB) OfferFieldChoices<E>();
      if (taken >= 0) return taken;
    }
  }
  // Everything up to the host's file name reads only the record: ordinary keys
  // cost no call into the host. The trigger test comes first, as it turns
  // away nearly every event; the other tests read the same record.
  if (!Rec) return 0;
  const KEY_EVENT_RECORD &key = Rec->Event.KeyEvent;
  if constexpr (E::HasIndentation) {
    // Up, Down, PgUp or PgDn (no modifier) leaving a line of our blanks.
    if (indent::LeftBlanksOf<E>().set && Rec->EventType == KEY_EVENT && key.bKeyDown && !E::busy() &&
        (key.wVirtualKeyCode == VK_UP || key.wVirtualKeyCode == VK_DOWN || key.wVirtualKeyCode == VK_PRIOR ||
         key.wVirtualKeyCode == VK_NEXT) &&
        !(key.dwControlKeyState & (SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED |
                                   RIGHT_ALT_PRESSED)))
      return indent::LeaveBlankLine<E>(Rec);
    // Shift+Ins or Ctrl+V: whole lines pasted land at their place.
    const DWORD mods = key.dwControlKeyState & (SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED |
                                                LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
    const bool ctrl = mods == LEFT_CTRL_PRESSED || mods == RIGHT_CTRL_PRESSED;
    if ((key.wVirtualKeyCode == VK_INSERT && mods == SHIFT_PRESSED) || (key.wVirtualKeyCode == 'V' && ctrl))
      return PasteKey<E>(Rec);
  }
  if constexpr (E::HasTabMacros) {
    // Tab with no modifier, where a macro file has Tab-triggered macros.
    if (key.wVirtualKeyCode == VK_TAB && E::TabMacrosLoaded()) return TabKey<E>(Rec);
  }
  const unsigned c = E::KeyChar(*Rec);
  const bool enter = key.wVirtualKeyCode == VK_RETURN;
  if (c != ' ' && c != '}' && !enter) {
    if constexpr (E::HasIndentation) {
      if (c != '{' && c != ':' && c != '#' && c != '/' && c != '<' && c != ',') return 0;
    } else {
      return 0;
    }
  }
  if (E::busy()) return 0;
  if (Rec->EventType != KEY_EVENT || !key.bKeyDown) return 0;
  if constexpr (E::HasIndentation) {
    // With C/C++ indentation on, Enter and the electric keys are its own.
    if (c != ' ' && E::IndentationOn()) return IndentKey<E>(Rec, c, enter);
    if (c == '{' || c == ':' || c == '#' || c == '/' || c == '<' || c == ',') return 0;
  }
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
