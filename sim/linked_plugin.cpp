#include "assists/input_filter.h"
#include "far1/plugin.h"
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
