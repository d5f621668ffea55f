// The 1.x edition of the shared core: its text is the host's bytes, its state
// the globals below, and its names the ones the rest of the 1.x plug-in (and
// its tests) call.
#pragma once

#include "keys/input_filter.h"
#include "far1/far_editor.h"
#include "far1/host.h"
#include "macros/macro_file.h"
#include "snippets/playback.h"

using MacroEntry = BasicMacroEntry<char>;

extern TFarEditor *FarEditor;
// 1 while the plug-in feeds key events into the editor itself.
extern int Busy;
extern MacroEntry *MacroTable;
extern int MacroCount;

struct Far1 {
  using Char = char;
  using Editor = TFarEditor;
  static TFarEditor *editor() { return FarEditor; }
  static int &busy() { return Busy; }
  static const MacroEntry *FindMacro(const char *name) {
    return FindMacroIn<char>(MacroTable, MacroCount, name);
  }
  static unsigned KeyChar(const INPUT_RECORD &rec) { return ::KeyChar(rec); }
  // The 1.x edition has no settings: every assist is always on.
  static constexpr bool AssistOn(Assist) { return true; }
  // Nor change reports: a `field` types nothing and Tab is the editor's.
  static constexpr bool HasFieldStops = false;
  // Its Enter and '}' keep the brace rules alone.
  static constexpr bool HasIndentation = false;
  // Nor body variables: they type nothing there.
  static constexpr bool HasVariables = false;
  // Every macro expands on Space.
  static constexpr bool HasTabMacros = false;
  // A keyword line's leading tabs are part of it: only spaces are trimmed.
  static constexpr bool KeywordAfterTabs = false;
};

// Builds a new table from the file at `path`; a file that cannot be opened
// gives an empty table. Does not release an earlier table: call FreeMacros first.
void LoadMacros(const char *path);
void FreeMacros();
// The first entry whose name equals `name` byte for byte, or null.
const MacroEntry *FindMacro(const char *name);

void PlayMacro(const MacroEntry *entry);
void PlayNamedToken(const char *token);
int ExpandKeyword();
int FindOpenBrace();
int AlignClosingBrace();
int IndentAfterBrace(const INPUT_RECORD *Rec, int column, const EditorGetString &line);

extern "C" int WINAPI ProcessEditorInput(const INPUT_RECORD *Rec);
