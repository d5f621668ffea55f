#include "keys/input_filter.h"
#include "far1/plugin.h"
#include "far3/edition.h"
#include "sim/far3/stand_in.h"
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

#ifndef _WIN32
// The linked Far 3 edition reads the stand-in's own clipboard (on Windows it
// reads Windows' one, which the stand-in fills).
const char16_t *StandInClipboardText(size_t *length) {
  const sim::Host3 *host = sim::CurrentHost3();
  if (!host) return nullptr;
  *length = host->clipboard.size();
  return host->clipboard.c_str();
}
#endif

PluginApi3 LinkedPlugin3() {
#ifndef _WIN32
  far3::StandInClipboard = &StandInClipboardText;
#endif
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
