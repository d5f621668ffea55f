// The entry points of each edition, as the stand-in host reaches them: linked
// into the same program, or taken from a loaded vorlane.dll.
#pragma once

#include <string>

#include "far1/host.h"
#include "far3/host.h"

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

// The Far 3 edition's eight.
struct PluginApi3 {
  void(WINAPI *GetGlobalInfoW)(far3::GlobalInfo *) = nullptr;
  void(WINAPI *SetStartupInfoW)(const far3::PluginStartupInfo *) = nullptr;
  void(WINAPI *GetPluginInfoW)(far3::PluginInfo *) = nullptr;
  HANDLE(WINAPI *OpenW)(const far3::OpenInfo *) = nullptr;
  intptr_t(WINAPI *ProcessEditorInputW)(const far3::ProcessEditorInputInfo *) = nullptr;
  intptr_t(WINAPI *ProcessEditorEventW)(const far3::ProcessEditorEventInfo *) = nullptr;
  intptr_t(WINAPI *ConfigureW)(const far3::ConfigureInfo *) = nullptr;
  void(WINAPI *ExitFARW)(const far3::ExitInfo *) = nullptr;

  bool Complete() const {
    return GetGlobalInfoW && SetStartupInfoW && GetPluginInfoW && OpenW && ProcessEditorInputW &&
           ProcessEditorEventW && ConfigureW && ExitFARW;
  }
};

// The plug-ins linked into this program (defined only where they are linked).
PluginApi LinkedPlugin();
PluginApi3 LinkedPlugin3();

#ifdef _WIN32
// Loads a plug-in DLL and takes its exports by their plain names.
bool LoadPluginLibrary(const std::string &path, PluginApi *api, std::string *error);
bool LoadPluginLibrary3(const std::string &path, PluginApi3 *api, std::string *error);
#endif
