// The reload dialog behind the Far 3 edition's menu entry.
#include "far3/edition.h"

namespace far3 {

const FarDialogItem DialogTemplate[DialogItemCount] = {
    // Type, X1, Y1, X2, Y2, Selected, History, Mask, Flags, Data
    {DI_DOUBLEBOX, 1, 1, 33, 4, {0}, nullptr, nullptr, 0, nullptr, 0, 0, {0, 0}},
    {DI_BUTTON, 0, 3, 0, 0, {0}, nullptr, nullptr, DIF_CENTERGROUP | DIF_DEFAULTBUTTON, nullptr, 0, 0, {0, 0}},
    {DI_BUTTON, 0, 3, 0, 0, {0}, nullptr, nullptr, DIF_CENTERGROUP, nullptr, 0, 0, {0, 0}},
};
const int DialogMessages[DialogItemCount] = {MDialogTitle, MReload, MClose};

}  // namespace far3

using namespace far3;

extern "C" HANDLE WINAPI OpenW(const OpenInfo *) {
  static const FarChar empty[1] = {0};
  FarDialogItem items[DialogItemCount];
  for (int i = 0; i < DialogItemCount; ++i) {
    items[i] = DialogTemplate[i];
    // The host copies the texts; ours live until the dialog is freed.
    const FarChar *text = GetMsgText(DialogMessages[i]);
    items[i].Data = text ? text : empty;
  }
  if (!StartupInfo.DialogInit || !StartupInfo.DialogRun || !StartupInfo.DialogFree) return nullptr;
  HANDLE dialog = StartupInfo.DialogInit(&PluginGuid, &DialogGuid, -1, -1, 35, 6, nullptr, items,
                                         DialogItemCount, 0, FDLG_NONE, nullptr, nullptr);
  if (dialog == INVALID_HANDLE_VALUE) return nullptr;
  intptr_t result = StartupInfo.DialogRun(dialog);
  StartupInfo.DialogFree(dialog);
  if (result == 1) {
    FreeMacros();
    LoadMacrosBesideModule();
  }
  return nullptr;
}
