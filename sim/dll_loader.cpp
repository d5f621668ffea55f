#ifdef _WIN32
#include "sim/plugin_api.h"

bool LoadPluginLibrary(const std::string &path, PluginApi *api, std::string *error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    *error = "cannot load plug-in '" + path + "' (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  auto take = [&](const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(module, name));
  };
  api->SetStartupInfo = reinterpret_cast<decltype(api->SetStartupInfo)>(take("SetStartupInfo"));
  api->GetPluginInfo = reinterpret_cast<decltype(api->GetPluginInfo)>(take("GetPluginInfo"));
  api->OpenPlugin = reinterpret_cast<decltype(api->OpenPlugin)>(take("OpenPlugin"));
  api->ProcessEditorInput =
      reinterpret_cast<decltype(api->ProcessEditorInput)>(take("ProcessEditorInput"));
  api->ExitFAR = reinterpret_cast<decltype(api->ExitFAR)>(take("ExitFAR"));
  if (!api->Complete()) {
    *error = "plug-in '" + path + "' lacks one of the five entry points";
    return false;
  }
  return true;
}
#endif
