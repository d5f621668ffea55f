// What an edition gives the shared assists and macro playback. The core is
// written once as templates over an edition `E`; each host's folder supplies
// one such `E` (no virtual call on the key path):
//
//   E::Char                   a unit of the host's text (char, or UTF-16)
//   E::Editor                 the editor adapter, with
//     LineRecord                the host's get-string record (StringText, StringLength)
//     GetPosition(), SetPosition(line, pos, top, left), SetPosition(EditorPosition)
//     GetString(LineRecord *, line), SetString(const Char *, line)
//     TypeChar(Char), PressKey(vk), ProcessInput(const INPUT_RECORD *), Redraw()
//     FileQualifies(KeyContext *)   whether the file in the editor is one we serve
//     CursorColumn(const KeyContext &)
//     BeginPlayback(), EndPlayback()  around the keys a macro body feeds
//     BeginUndo(), EndUndo()          around each assist's changes: one undo step
//   E::editor()               the edition's adapter, or null
//   E::busy()                 the edition's busy flag
//   E::FindMacro(name)        the edition's macro table
//   E::KeyChar(record)        the character a key event carries
//   E::AssistOn(assist)       whether the user has the assist switched on
#pragma once

#include "assists/win32_input.h"

// A cursor-and-scroll position; -1 in a field means "leave it as it is".
struct EditorPosition {
  int CurLine = -1;
  int CurPos = -1;
  int TopScreenLine = -1;
  int LeftPos = -1;
  int TotalLines = -1;  // -1: not told
};

// What the key filter learnt about the editor while testing the file, for the
// assist it hands the key to.
struct KeyContext {
  int column = -1;  // the cursor's character index, when the test read it
};

// The three assists, each of which the user may switch off where the host
// offers settings.
enum class Assist { KeywordMacros, BraceAlignment, TabAfterBrace };

// The assist a trigger key (Space, '}' or Enter) goes to.
inline Assist AssistOfKey(unsigned c) {
  return c == ' ' ? Assist::KeywordMacros : c == '}' ? Assist::BraceAlignment : Assist::TabAfterBrace;
}
