// The Far 3 edition's entry points, its start-up copy and its macro file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

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

PluginStartupInfo StartupInfo;
FarStandardFunctions StandardFunctions;
Editor *FarEditor = nullptr;
int Busy = 0;
MacroEntry *MacroTable = nullptr;
int MacroCount = 0;

namespace {

// Our copy of the DLL's path: the host's string is only lent to us.
FarChar *ModulePath = nullptr;
const FarChar *MenuStrings[1];
const FarChar FallbackMenuText[] = FAR3_TEXT("vorlane");

void DestroyEditor() {
  if (!FarEditor) return;
  FarEditor->~Editor();
  std::free(FarEditor);
  FarEditor = nullptr;
}

FILE *OpenForReading(const FarChar *path) {
  if (!path[0]) return nullptr;
#ifdef _WIN32
  return _wfopen(path, L"rb");
#else
  size_t n = TextLength(path);
  char *bytes = static_cast<char *>(std::malloc(3 * n + 1));
  if (!bytes) return nullptr;
  bytes[EncodeUtf8(path, n, bytes)] = '\0';
  FILE *f = std::fopen(bytes, "rb");
  std::free(bytes);
  return f;
#endif
}

}  // namespace

void FreeMacros() {
  std::free(MacroTable);
  MacroTable = nullptr;
  MacroCount = 0;
}

void LoadMacrosBesideModule() {
  MacroTable = nullptr;
  MacroCount = 0;
  if (!ModulePath) return;
  size_t n = TextLength(ModulePath);
  FarChar *path = static_cast<FarChar *>(std::malloc((n + 1) * sizeof(FarChar)));
  if (!path) return;
  std::memcpy(path, ModulePath, (n + 1) * sizeof(FarChar));
  BuildMacroPath(path);
  LoadMacroTable<FarChar>(OpenForReading(path), nullptr, &MacroTable, &MacroCount);
  std::free(path);
}

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
  DestroyEditor();
  FreeMacros();
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

  LoadMacrosBesideModule();
}

extern "C" void WINAPI GetPluginInfoW(PluginInfo *Info) {
  MenuStrings[0] = GetMsgText(MMenuEntry);
  if (!MenuStrings[0]) MenuStrings[0] = FallbackMenuText;
  Info->Flags = PF_DISABLEPANELS | PF_EDITOR;
  Info->DiskMenu = PluginMenuItem{nullptr, nullptr, 0};
  Info->PluginMenu = PluginMenuItem{&MenuGuid, MenuStrings, 1};
  Info->PluginConfig = PluginMenuItem{nullptr, nullptr, 0};
  Info->CommandPrefix = nullptr;
}

extern "C" intptr_t WINAPI ProcessEditorInputW(const ProcessEditorInputInfo *Info) {
  if (!Info) return 0;
  return FilterKey<Edition>(&Info->Rec);
}

extern "C" void WINAPI ExitFARW(const ExitInfo *) {
  DestroyEditor();
  FreeMacros();
  std::free(ModulePath);
  ModulePath = nullptr;
  StartupInfo.ModuleName = nullptr;
}
