// The five entry points of a plug-in, as the stand-in host reaches them:
// linked into the same program, or taken from a loaded vorlane.dll.
#pragma once

#include <string>

#include "far1/host.h"

struct PluginApi {
  void(WINAPI *SetStartupInfo)(const PluginStartupInfo *) = nullptr;
  void(WINAPI *GetPluginInfo)(PluginInfo *) = nullptr;
  HANDLE(WINAPI *OpenPlugin)(int, INT_PTR) = nullptr;
  int(WINAPI *ProcessEditorInput)(const INPUT_RECORD *) = nullptr;
  void(WINAPI *ExitFAR)(void) = nullptr;

  bool Complete() const {
    return SetStartupInfo && GetPluginInfo && OpenPlugin && ProcessEditorInput && ExitFAR;
  }
};

// The plug-in linked into this program (defined only where it is linked).
PluginApi LinkedPlugin();

#ifdef _WIN32
// Loads a plug-in DLL and takes its five exports by their plain names.
bool LoadPluginLibrary(const std::string &path, PluginApi *api, std::string *error);
#endif
