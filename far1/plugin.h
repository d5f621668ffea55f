// The plug-in's process-wide state and its entry points.
#pragma once

#include "far1/host.h"
#include "far1/edition.h"

extern PluginStartupInfo StartupInfo;
extern TFarEditor *FarEditor;
extern const char *MenuString[1];

// Message ids of the plug-in's language file.
enum { MMenuEntry = 0, MDialogTitle = 1, MReload = 2, MClose = 3 };

// The host's text for message `msgId`, as the host gave it (possibly null).
const char *GetMsgText(int msgId);

// Copies a NUL-terminated module path out of a 260-byte host field (which may
// lack the NUL) and derives the macro file's path from it, then loads it.
void LoadMacrosBesideModule(const char *moduleName);

// The constant reload dialog template and the messages of its three items.
constexpr int DialogItemCount = 3;
extern const FarDialogItem DialogTemplate[DialogItemCount];
extern const int DialogMessages[DialogItemCount];

extern "C" {
void WINAPI SetStartupInfo(const PluginStartupInfo *Info);
void WINAPI GetPluginInfo(PluginInfo *Info);
HANDLE WINAPI OpenPlugin(int OpenFrom, INT_PTR Item);
void WINAPI ExitFAR(void);
}
