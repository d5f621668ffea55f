#include "assists/input_filter.h"
#include "far1/plugin.h"
#include "far3/edition.h"
#include "sim/plugin_api.h"

PluginApi LinkedPlugin() {
  PluginApi api;
  api.SetStartupInfo = &SetStartupInfo;
  api.GetPluginInfo = &GetPluginInfo;
  api.OpenPlugin = &OpenPlugin;
  api.ProcessEditorInput = &ProcessEditorInput;
  api.ExitFAR = &ExitFAR;
  return api;
}

PluginApi3 LinkedPlugin3() {
  PluginApi3 api;
  api.GetGlobalInfoW = &GetGlobalInfoW;
  api.SetStartupInfoW = &SetStartupInfoW;
  api.GetPluginInfoW = &GetPluginInfoW;
  api.OpenW = &OpenW;
  api.ProcessEditorInputW = &ProcessEditorInputW;
  api.ProcessEditorEventW = &ProcessEditorEventW;
  api.ConfigureW = &ConfigureW;
  api.ExitFARW = &ExitFARW;
  return api;
}
