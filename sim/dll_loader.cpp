#include "assists/windows_api.h"  // first: it declares what the rest uses
#ifdef _WIN32
#include "sim/plugin_api.h"

namespace {

HMODULE Load(const std::string &path, std::string *error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module)
    *error = "cannot load plug-in '" + path + "' (error " + std::to_string(GetLastError()) + ")";
  return module;
}

}  // namespace

bool LoadPluginLibrary(const std::string &path, PluginApi *api, std::string *error) {
  HMODULE module = Load(path, error);
  if (!module) return false;
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

bool LoadPluginLibrary3(const std::string &path, PluginApi3 *api, std::string *error) {
  HMODULE module = Load(path, error);
  if (!module) return false;
  auto take = [&](const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(module, name));
  };
  api->GetGlobalInfoW = reinterpret_cast<decltype(api->GetGlobalInfoW)>(take("GetGlobalInfoW"));
  api->SetStartupInfoW = reinterpret_cast<decltype(api->SetStartupInfoW)>(take("SetStartupInfoW"));
  api->GetPluginInfoW = reinterpret_cast<decltype(api->GetPluginInfoW)>(take("GetPluginInfoW"));
  api->OpenW = reinterpret_cast<decltype(api->OpenW)>(take("OpenW"));
  api->ProcessEditorInputW =
      reinterpret_cast<decltype(api->ProcessEditorInputW)>(take("ProcessEditorInputW"));
  api->ProcessEditorEventW =
      reinterpret_cast<decltype(api->ProcessEditorEventW)>(take("ProcessEditorEventW"));
  api->ConfigureW = reinterpret_cast<decltype(api->ConfigureW)>(take("ConfigureW"));
  api->ExitFARW = reinterpret_cast<decltype(api->ExitFARW)>(take("ExitFARW"));
  if (!api->Complete()) {
    *error = "plug-in '" + path + "' lacks one of the eight Far 3 entry points";
    return false;
  }
  return true;
}
#endif
