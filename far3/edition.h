// The Far 3 edition of the shared core: UTF-16 text, its own adapter, busy
// flag and macro table, and the Unicode plug-in API's entry points.
#pragma once

#include "snippets/field_stops.h"
#include "keys/input_filter.h"
#include "far3/editor.h"
#include "far3/host.h"
#include "macros/macro_file.h"

namespace far3 {

using MacroEntry = BasicMacroEntry<FarChar>;

// The empty text the host is given where a title or item has none.
constexpr FarChar Empty[1] = {0};

extern PluginStartupInfo StartupInfo;
extern FarStandardFunctions StandardFunctions;
extern Editor *FarEditor;
extern int Busy;
extern MacroEntry *MacroTable;
extern int MacroCount;
// Whether the table holds a Tab-triggered macro: without one, Tab costs no
// look at the line.
extern bool TabMacros;
// Each entry's section of the macro file (`Files` lines), and their masks.
extern MacroSections<FarChar> Sections;
extern FieldStops<FarChar> Fields;

// The user's options, kept in the host's settings store under the plug-in's
// GUID. The masks are a Far file-mask list.
constexpr size_t MaskLimit = 1024;  // units, NUL included
struct Options {
  FarChar masks[MaskLimit];
  bool keywordMacros;
  bool braceAlignment;
  bool tabAfterBrace;
  bool fieldStops;
  bool indentation;       // C/C++ indentation as the user types
  bool indentCaseLabels;  // case labels one level in, where the file shows none
  bool pasteIndent;       // whole lines pasted are re-indented where they land
  bool cleanBlankLines;   // a line left holding only the blanks the plug-in wrote loses them
};
void DefaultOptions(Options *options);
// Reads the stored options; each one missing or unreadable is its default.
void ReadOptions(Options *options);
// Stores all of them; false when the store refused.
bool WriteOptions(const Options &options);
// The options in force, read from the store on first use.
const Options &ActiveOptions();
void SetActiveOptions(const Options &options);
// Forgets the options in force (the next use reads the store again).
void ResetOptions();
// Whether the host accepts `masks` as a mask list.
bool MasksValid(const FarChar *masks);
// Whether a file name (with or without its folder) matches the masks.
bool NameMatchesMasks(const FarChar *name);
// Whether it matches a mask list of the macro file's (false without the
// host's matcher).
bool NameMatchesList(const FarChar *masks, const FarChar *name);
// The macro that answers to `name` in the file `fileName` (its section's
// over the general part's), or null.
const BasicMacroEntry<FarChar> *FindMacroFor(const FarChar *name, const FarChar *fileName);
// The Tab-triggered macro whose name ends the `length` units of `text` in the
// file `fileName`, or null.
const BasicMacroEntry<FarChar> *FindTabMacroFor(const FarChar *text, int length, const FarChar *fileName);
// Whether section K (1-based) of the macro file applies to `fileName`.
bool SectionApplies(int k, const FarChar *fileName);

struct Edition {
  using Char = FarChar;
  using Editor = far3::Editor;
  static Editor *editor() { return FarEditor; }
  static int &busy() { return Busy; }
  // For the file the key's file test read.
  static const MacroEntry *FindMacro(const FarChar *name) {
    return FindMacroFor(name, FarEditor ? FarEditor->FileName() : nullptr);
  }
  static const MacroEntry *FindTabMacro(const FarChar *text, int length) {
    return FindTabMacroFor(text, length, FarEditor ? FarEditor->FileName() : nullptr);
  }
  static bool TabMacrosLoaded() { return TabMacros; }
  static unsigned KeyChar(const INPUT_RECORD &rec) { return far3::KeyChar(rec); }
  static bool AssistOn(Assist assist) {
    const Options &o = ActiveOptions();
    return assist == Assist::KeywordMacros    ? o.keywordMacros
           : assist == Assist::BraceAlignment ? o.braceAlignment
                                              : o.tabAfterBrace;
  }
  static constexpr bool HasFieldStops = true;
  static constexpr bool HasIndentation = true;
  static constexpr bool HasVariables = true;
  static constexpr bool HasTabMacros = true;
  // A keyword may stand behind tabs as behind spaces (the plug-in's own Enter
  // indents with tabs in a file that does).
  static constexpr bool KeywordAfterTabs = true;
  // The local date and time for the date words: the system's, or the fixed
  // VORLANE_CLOCK ("2026-12-08T10:20:30+01:00") a session may set.
  static void ReadClock(Clock *clock);
  // The clipboard's text (allocated, for the caller to free; null and 0
  // when it holds none): Windows' clipboard, or natively the stand-in's.
  static void ReadClipboard(FarChar **text, size_t *length);
  // (Each read is counted, for the random words' seed; the count starts
  // again with the plug-in.)
  static bool IndentationOn() { return ActiveOptions().indentation; }
  static bool IndentCaseLabels() { return ActiveOptions().indentCaseLabels; }
  static bool PasteIndentOn() { return ActiveOptions().pasteIndent; }
  static bool CleanBlankLinesOn() { return ActiveOptions().cleanBlankLines; }
  static FieldStops<FarChar> &fields() { return Fields; }
  static bool FieldStopsOn() { return ActiveOptions().fieldStops; }
  // The host's menu with `count` texts near the cursor, the first focused:
  // the index chosen, or -1 (Esc, or no menu).
  static int ChooseText(const FarChar *const *items, int count);
};

// The plug-in's identity: made once, never to change (the host keys the
// plug-in's cache, hot keys and macros to them).
extern const GUID PluginGuid;
extern const GUID MenuGuid;
extern const GUID DialogGuid;
extern const GUID ConfigMenuGuid;
extern const GUID ConfigDialogGuid;
extern const GUID MessageGuid;
extern const GUID InsertMacroGuid;
extern const GUID PickerGuid;
extern const GUID ReindentGuid;
extern const GUID ChoicesGuid;

// Message ids of the plug-in's language files (the first four as in 1.x).
enum {
  MMenuEntry = 0,
  MDialogTitle = 1,
  MReload = 2,
  MClose = 3,
  MEditMacroFile = 4,
  MConfigEntry = 5,
  MConfigTitle = 6,
  MConfigMasks = 7,
  MConfigKeywordMacros = 8,
  MConfigBraceAlignment = 9,
  MConfigTabAfterBrace = 10,
  MOk = 11,
  MCancel = 12,
  MBadMasks = 13,
  MNotStored = 14,
  MMacroFileUnread = 15,
  MMacrosKept = 16,
  MNoProfileCopy = 17,
  MConfigFieldStops = 18,
  MInsertMacroEntry = 19,
  MPickerTitle = 20,
  MPickerBottom = 21,
  MNoMacros = 22,
  MConfigIndentation = 23,
  MConfigIndentCaseLabels = 24,
  MReindentEntry = 25,
  MConfigPasteIndent = 26,
  MConfigCleanBlankLines = 27,
};

// The clock's count of reads starts again (at the plug-in's start).
void ResetClockReads();

#ifndef _WIN32
// Natively the plug-in is linked into the stand-in host, which keeps a
// clipboard of its own: how the plug-in reads it (null: an empty clipboard).
extern const char16_t *(*StandInClipboard)(size_t *length);
#endif

// The host's text for message `msgId` (null without a GetMsg).
const FarChar *GetMsgText(int msgId);

// The macro file: the user's own in the profile when it exists
// (%FARPROFILE%\PluginsData\vorlane\vorlane.mac), else the one beside the DLL
// (x.dll reads x.mac).
void LoadMacros();
void FreeMacros();
// Copies the default macro file into the profile when the user has none yet
// and opens the user's file in the host's editor.
void EditMacroFile();
// An editor is about to write `fileName`: when that is the macro file, the
// table is rebuilt from the editor's text.
void MacroFileSaving(intptr_t editorId, const FarChar *fileName);

// The editor menu's "Insert macro": a menu of the macros that apply to the
// file; the one chosen is typed and played as Space would play it.
void PickMacro();
// Plugin.Call from a keyboard macro with a macro's name: expands it at the
// cursor. (HANDLE)1 when it did (the macro sees true), null when no such
// macro applies.
HANDLE CallMacro(const OpenMacroInfo *info);
// The menu's "Re-indent" (and Plugin.Call's "="): the selected lines, or the
// block the cursor stands in, re-indented in one undo step.
bool Reindent();

// A message box with the plug-in's title and up to three lines.
void ShowMessage(const FarChar *helpTopic, const FarChar *line1, const FarChar *line2 = nullptr,
                 const FarChar *line3 = nullptr);

// The reload dialog's items, before their texts are filled in.
constexpr int DialogItemCount = 4;
enum { DialogReload = 1, DialogClose = 2, DialogEdit = 3 };
extern const FarDialogItem DialogTemplate[DialogItemCount];
extern const int DialogMessages[DialogItemCount];

}  // namespace far3

extern "C" {
void WINAPI GetGlobalInfoW(far3::GlobalInfo *Info);
void WINAPI SetStartupInfoW(const far3::PluginStartupInfo *Info);
void WINAPI GetPluginInfoW(far3::PluginInfo *Info);
HANDLE WINAPI OpenW(const far3::OpenInfo *Info);
intptr_t WINAPI ProcessEditorInputW(const far3::ProcessEditorInputInfo *Info);
intptr_t WINAPI ProcessEditorEventW(const far3::ProcessEditorEventInfo *Info);
intptr_t WINAPI ConfigureW(const far3::ConfigureInfo *Info);
void WINAPI ExitFARW(const far3::ExitInfo *Info);
}
