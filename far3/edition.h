// The Far 3 edition of the shared core: UTF-16 text, its own adapter, busy
// flag and macro table, and the Unicode plug-in API's entry points.
#pragma once

#include "assists/input_filter.h"
#include "far3/editor.h"
#include "far3/host.h"
#include "macros/macro_file.h"

namespace far3 {

using MacroEntry = BasicMacroEntry<FarChar>;

extern PluginStartupInfo StartupInfo;
extern FarStandardFunctions StandardFunctions;
extern Editor *FarEditor;
extern int Busy;
extern MacroEntry *MacroTable;
extern int MacroCount;

struct Edition {
  using Char = FarChar;
  using Editor = far3::Editor;
  static Editor *editor() { return FarEditor; }
  static int &busy() { return Busy; }
  static const MacroEntry *FindMacro(const FarChar *name) {
    return FindMacroIn<FarChar>(MacroTable, MacroCount, name);
  }
  static unsigned KeyChar(const INPUT_RECORD &rec) { return far3::KeyChar(rec); }
};

// The plug-in's identity: made once, never to change (the host keys the
// plug-in's cache, hot keys and macros to them).
extern const GUID PluginGuid;
extern const GUID MenuGuid;
extern const GUID DialogGuid;

// Message ids of the plug-in's language files (the same as the 1.x ones).
enum { MMenuEntry = 0, MDialogTitle = 1, MReload = 2, MClose = 3 };

// The host's text for message `msgId` (null without a GetMsg).
const FarChar *GetMsgText(int msgId);

// The macro file beside the DLL: x.dll reads x.mac.
void LoadMacrosBesideModule();
void FreeMacros();

// The reload dialog's items, before their texts are filled in.
constexpr int DialogItemCount = 3;
extern const FarDialogItem DialogTemplate[DialogItemCount];
extern const int DialogMessages[DialogItemCount];

}  // namespace far3

extern "C" {
void WINAPI GetGlobalInfoW(far3::GlobalInfo *Info);
void WINAPI SetStartupInfoW(const far3::PluginStartupInfo *Info);
void WINAPI GetPluginInfoW(far3::PluginInfo *Info);
HANDLE WINAPI OpenW(const far3::OpenInfo *Info);
intptr_t WINAPI ProcessEditorInputW(const far3::ProcessEditorInputInfo *Info);
void WINAPI ExitFARW(const far3::ExitInfo *Info);
}
