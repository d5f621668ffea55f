// The reload dialog behind the plug-in's menu entry.
#include <cstring>

#include "macros/macro_file.h"
#include "far1/plugin.h"

const FarDialogItem DialogTemplate[DialogItemCount] = {
    // Type, X1, Y1, X2, Y2, Focus, Param, Flags, DefaultButton, Data
    {DI_DOUBLEBOX, 1, 1, 33, 4, 0, {0}, 0, 0, ""},
    {DI_BUTTON, 0, 3, 0, 0, 0, {0}, DIF_CENTERGROUP, 1, ""},
    {DI_BUTTON, 0, 3, 0, 0, 0, {0}, DIF_CENTERGROUP, 0, ""},
};
const int DialogMessages[DialogItemCount] = {MDialogTitle, MReload, MClose};

extern "C" HANDLE WINAPI OpenPlugin(int, INT_PTR) {
  FarDialogItem items[DialogItemCount];
  std::memcpy(items, DialogTemplate, sizeof(items));
  for (int i = 0; i < DialogItemCount; ++i) {
    // A longer text is cut to what the item holds; a missing one stays empty.
    const char *text = GetMsgText(DialogMessages[i]);
    if (!text) continue;
    std::strncpy(items[i].Data, text, sizeof(items[i].Data) - 1);
    items[i].Data[sizeof(items[i].Data) - 1] = '\0';
  }

  int result = -1;
  if (StartupInfo.Dialog)
    result = StartupInfo.Dialog(StartupInfo.ModuleNumber, -1, -1, 35, 6, nullptr, items,
                                DialogItemCount);
  if (result == 1) {
    FreeMacros();
    LoadMacrosBesideModule(StartupInfo.ModuleName);
  }
  return INVALID_HANDLE_VALUE;
}
