#include "far1/plugin.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "far1/far_editor.h"
#include "macros/macro_file.h"

PluginStartupInfo StartupInfo;
TFarEditor *FarEditor = nullptr;
const char *MenuString[1];

namespace {

// Shown in the plug-in menu when the host has no text for the entry: a
// null entry would leave the host with nothing to draw.
const char FallbackMenuText[] = "vorlane";

void DestroyEditor() {
  if (!FarEditor) return;
  FarEditor->~TFarEditor();
  std::free(FarEditor);
  FarEditor = nullptr;
}

}  // namespace

const char *GetMsgText(int msgId) {
  if (!StartupInfo.GetMsg) return nullptr;
  return StartupInfo.GetMsg(StartupInfo.ModuleNumber, msgId);
}

void LoadMacrosBesideModule(const char *moduleName) {
  char path[260];
  std::memcpy(path, moduleName, sizeof(path) - 1);  // the field is 260 bytes
  path[sizeof(path) - 1] = '\0';
  BuildMacroPath(path);
  LoadMacros(path);
}

extern "C" void WINAPI SetStartupInfo(const PluginStartupInfo *Info) {
  std::memcpy(&StartupInfo, Info, StartupInfoCopySize);

  // A second start without an exit in between must not leak the first.
  DestroyEditor();
  FreeMacros();

  // Without the object every assist stays silent and the host handles each key.
  void *memory = std::malloc(sizeof(TFarEditor));
  if (memory) FarEditor = new (memory) TFarEditor(Info);

  LoadMacrosBesideModule(Info->ModuleName);
}

extern "C" void WINAPI GetPluginInfo(PluginInfo *Info) {
  MenuString[0] = GetMsgText(MMenuEntry);
  if (!MenuString[0]) MenuString[0] = FallbackMenuText;
  Info->StructSize = 40;
  Info->Flags = PF_DISABLEPANELS | PF_EDITOR;
  Info->DiskMenuStringsNumber = 0;
  Info->PluginMenuStrings = MenuString;
  Info->PluginMenuStringsNumber = 1;
  Info->PluginConfigStringsNumber = 0;
}

extern "C" void WINAPI ExitFAR(void) {
  DestroyEditor();
  FreeMacros();
}
