#include "far1/edition.h"
#include "files/files.h"

int Busy = 0;
MacroEntry *MacroTable = nullptr;
int MacroCount = 0;

void LoadMacros(const char *path) {
  LoadMacroTable<char>(path[0] ? files::Open(path, "rb") : nullptr, path, &MacroTable, &MacroCount);
}

void FreeMacros() {
  std::free(MacroTable);
  MacroTable = nullptr;
  MacroCount = 0;
}

const MacroEntry *FindMacro(const char *name) { return Far1::FindMacro(name); }
void PlayMacro(const MacroEntry *entry) { PlayMacro<Far1>(entry); }
void PlayNamedToken(const char *token) { PlayNamedToken<Far1>(token); }
int ExpandKeyword() { return ExpandKeyword<Far1>(); }
int FindOpenBrace() { return FindOpenBrace<Far1>(); }
int AlignClosingBrace() { return AlignClosingBrace<Far1>(); }
int IndentAfterBrace(const INPUT_RECORD *Rec, int column, const EditorGetString &line) {
  return IndentAfterBrace<Far1>(Rec, column, line);
}

extern "C" int WINAPI ProcessEditorInput(const INPUT_RECORD *Rec) { return FilterKey<Far1>(Rec); }
