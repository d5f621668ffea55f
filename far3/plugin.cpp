// The Far 3 edition's entry points, its start-up copy and its macro file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "assists/indent/assist.h"
#include "far3/edition.h"
#include "macros/utf8.h"

#ifndef VORLANE_VERSION_MAJOR
#define VORLANE_VERSION_MAJOR 0
#define VORLANE_VERSION_MINOR 0
#define VORLANE_VERSION_PATCH 0
#endif

namespace far3 {

// {4589FE7C-4B8B-4DB6-BF40-C64B29EEB11A}
const GUID PluginGuid = {0x4589fe7c, 0x4b8b, 0x4db6, {0xbf, 0x40, 0xc6, 0x4b, 0x29, 0xee, 0xb1, 0x1a}};
// {6400A060-FA54-4C18-9187-455A1B155D49}
const GUID MenuGuid = {0x6400a060, 0xfa54, 0x4c18, {0x91, 0x87, 0x45, 0x5a, 0x1b, 0x15, 0x5d, 0x49}};
// {2FBBBE2B-A004-4FBA-AE9D-190AD0E33B9F}
const GUID DialogGuid = {0x2fbbbe2b, 0xa004, 0x4fba, {0xae, 0x9d, 0x19, 0x0a, 0xd0, 0xe3, 0x3b, 0x9f}};
// {A3086384-5920-4069-A703-6ACD8106C671}
const GUID ConfigMenuGuid = {0xa3086384, 0x5920, 0x4069, {0xa7, 0x03, 0x6a, 0xcd, 0x81, 0x06, 0xc6, 0x71}};
// {9F58E00B-7B45-434A-9734-0ED80E1A75C1}
const GUID ConfigDialogGuid = {0x9f58e00b, 0x7b45, 0x434a, {0x97, 0x34, 0x0e, 0xd8, 0x0e, 0x1a, 0x75, 0xc1}};
// {6971EEB9-0AA3-4411-918A-856C3136C7E1}
const GUID MessageGuid = {0x6971eeb9, 0x0aa3, 0x4411, {0x91, 0x8a, 0x85, 0x6c, 0x31, 0x36, 0xc7, 0xe1}};

// {744143D2-555B-4932-AC1B-2FE3B29FECB0}
const GUID InsertMacroGuid = {0x744143d2, 0x555b, 0x4932, {0xac, 0x1b, 0x2f, 0xe3, 0xb2, 0x9f, 0xec, 0xb0}};
// {A041A734-2E96-44DC-8CA6-EA72113C276D}
const GUID ReindentGuid = {0x50ca3946, 0x00a7, 0x4a93, {0x89, 0x84, 0x90, 0xbe, 0xd1, 0x4c, 0xa0, 0x66}};
const GUID PickerGuid = {0xa041a734, 0x2e96, 0x44dc, {0x8c, 0xa6, 0xea, 0x72, 0x11, 0x3c, 0x27, 0x6d}};
const GUID ChoicesGuid = {0x1065c069, 0x96c8, 0x44dc, {0x82, 0x16, 0xad, 0x34, 0x11, 0xe7, 0xac, 0xf1}};

PluginStartupInfo StartupInfo;
FarStandardFunctions StandardFunctions;
Editor *FarEditor = nullptr;
int Busy = 0;
MacroEntry *MacroTable = nullptr;
int MacroCount = 0;
bool TabMacros = false;
MacroSections<FarChar> Sections;
FieldStops<FarChar> Fields;

namespace {

// Our copy of the DLL's path: the host's string is only lent to us.
FarChar *ModulePath = nullptr;
const FarChar *MenuStrings[3];
// Far sorts the editor's plug-in menu by text: the first entry's text is a
// prefix of the others', so it stays first.
const GUID MenuGuids[3] = {MenuGuid, InsertMacroGuid, ReindentGuid};
const FarChar *ConfigStrings[1];
const FarChar FallbackMenuText[] = FAR3_TEXT("vorlane");
const FarChar FallbackInsertText[] = FAR3_TEXT("vorlane: insert macro");
const FarChar FallbackReindentText[] = FAR3_TEXT("vorlane: re-indent");

void DestroyEditor() {
  if (!FarEditor) return;
  FarEditor->~Editor();
  std::free(FarEditor);
  FarEditor = nullptr;
}

}  // namespace

const FarChar *GetMsgText(int msgId) {
  if (!StartupInfo.GetMsg) return nullptr;
  return StartupInfo.GetMsg(&PluginGuid, msgId);
}

}  // namespace far3

using namespace far3;

extern "C" void WINAPI GetGlobalInfoW(GlobalInfo *Info) {
  Info->MinFarVersion = VersionInfo{3, 0, 0, 0, VS_RELEASE};
  Info->Version = VersionInfo{VORLANE_VERSION_MAJOR, VORLANE_VERSION_MINOR, VORLANE_VERSION_PATCH, 0,
                              VS_RELEASE};
  Info->Guid = PluginGuid;
  Info->Title = FAR3_TEXT("vorlane");
  Info->Description = FAR3_TEXT("C and C++ typing assistant: keyword macros and brace alignment");
  Info->Author = FAR3_TEXT("the vorlane team");
}

extern "C" void WINAPI SetStartupInfoW(const PluginStartupInfo *Info) {
  // The record and the functions table live on the host's stack during this
  // call only: keep copies, the table's pointer turned to our own.
  std::memset(&StartupInfo, 0, sizeof(StartupInfo));
  size_t size = Info->StructSize < sizeof(StartupInfo) ? Info->StructSize : sizeof(StartupInfo);
  std::memcpy(&StartupInfo, Info, size);
  std::memset(&StandardFunctions, 0, sizeof(StandardFunctions));
  if (Info->FSF && size > offsetof(PluginStartupInfo, FSF)) {
    size_t fsf = Info->FSF->StructSize < sizeof(StandardFunctions) ? Info->FSF->StructSize
                                                                   : sizeof(StandardFunctions);
    std::memcpy(&StandardFunctions, Info->FSF, fsf);
    StartupInfo.FSF = &StandardFunctions;
  } else {
    StartupInfo.FSF = nullptr;
  }

  // A second start without an exit in between must not leak the first.
  if (FarEditor) EndFieldStops<Edition>();
  DestroyEditor();
  FreeMacros();
  ResetOptions();
  ResetClockReads();
  std::free(ModulePath);
  ModulePath = nullptr;

  if (Info->ModuleName) {
    size_t n = TextLength(Info->ModuleName);
    ModulePath = static_cast<FarChar *>(std::malloc((n + 1) * sizeof(FarChar)));
    if (ModulePath) std::memcpy(ModulePath, Info->ModuleName, (n + 1) * sizeof(FarChar));
  }
  StartupInfo.ModuleName = ModulePath;

  // Without the adapter every assist stays silent and the host handles each key.
  void *memory = std::malloc(sizeof(Editor));
  if (memory) FarEditor = new (memory) Editor(StartupInfo.EditorControl);

  LoadMacros();
}

extern "C" void WINAPI GetPluginInfoW(PluginInfo *Info) {
  MenuStrings[0] = GetMsgText(MMenuEntry);
  if (!MenuStrings[0]) MenuStrings[0] = FallbackMenuText;
  MenuStrings[1] = GetMsgText(MInsertMacroEntry);
  if (!MenuStrings[1] || !MenuStrings[1][0]) MenuStrings[1] = FallbackInsertText;
  MenuStrings[2] = GetMsgText(MReindentEntry);
  if (!MenuStrings[2] || !MenuStrings[2][0]) MenuStrings[2] = FallbackReindentText;
  Info->Flags = PF_DISABLEPANELS | PF_EDITOR;
  Info->DiskMenu = PluginMenuItem{nullptr, nullptr, 0};
  Info->PluginMenu = PluginMenuItem{MenuGuids, MenuStrings, 3};
  ConfigStrings[0] = GetMsgText(MConfigEntry);
  if (!ConfigStrings[0] || !ConfigStrings[0][0]) ConfigStrings[0] = FallbackMenuText;
  Info->PluginConfig = PluginMenuItem{&ConfigMenuGuid, ConfigStrings, 1};
  Info->CommandPrefix = nullptr;
}

extern "C" intptr_t WINAPI ProcessEditorInputW(const ProcessEditorInputInfo *Info) {
  if (!Info) return 0;
  return FilterKey<Edition>(&Info->Rec);
}

extern "C" intptr_t WINAPI ProcessEditorEventW(const ProcessEditorEventInfo *Info) {
  // Events arrive for every editor, many times a second: a save is ours, and
  // while field stops wait the change reports, redraws and close of their
  // editor.
  if (!Info) return 0;
  if (Fields.waiting || Fields.marking) {
    if (Info->Event == EE_CHANGE && Info->Param) {
      const auto *change = static_cast<const EditorChange *>(Info->Param);
      if (change->StructSize >= sizeof(EditorChange))
        NoteFieldChange<Edition>(Info->EditorID, change->Type, change->StringNumber);
      return 0;
    }
    if (Info->Event == EE_REDRAW && Info->EditorID == Fields.editorId && !Busy) {
      SyncFieldStops<Edition>();
      return 0;
    }
    if (Info->Event == EE_CLOSE && Info->EditorID == Fields.editorId) {
      Fields.subscribed = false;  // the subscription ends with the editor
      EndFieldStops<Edition>();
      return 0;
    }
  }
  if (Info->Event != EE_SAVE || !Info->Param) return 0;
  const auto *save = static_cast<const EditorSaveFile *>(Info->Param);
  if (save->StructSize < offsetof(EditorSaveFile, FileEOL)) return 0;
  MacroFileSaving(Info->EditorID, save->FileName);
  return 0;
}

extern "C" void WINAPI ExitFARW(const ExitInfo *) {
  if (FarEditor) EndFieldStops<Edition>();
  // The blanks an Enter left belong to an editor of this Far session only.
  indent::LeftBlanksOf<Edition>() = indent::LeftBlanks();
  DestroyEditor();
  FreeMacros();
  ResetOptions();
  std::free(ModulePath);
  ModulePath = nullptr;
  StartupInfo.ModuleName = nullptr;
}
