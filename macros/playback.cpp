#include "macros/playback.h"

#include <cstring>

#include "editor/far_editor.h"
#include "macros/fields.h"
#include "plugin/plugin.h"

const char *const KeyNames[KeyNameCount] = {"up", "down", "left", "right", "en",
                                            "bs", "home", "end",  "tab"};
const WORD KeyCodes[KeyNameCount] = {VK_UP,   VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN,
                                     VK_BACK, VK_HOME, VK_END,  VK_TAB};

void PlayNamedToken(const char *token) {
  if (std::strcmp(token, "sp") == 0) {
    FarEditor->TypeChar(' ');
    return;
  }
  if (std::strcmp(token, "qu") == 0) {
    FarEditor->TypeChar('"');
    return;
  }
  for (int i = 0; i < KeyNameCount; ++i) {
    if (std::strcmp(token, KeyNames[i]) == 0) {
      FarEditor->PressKey(KeyCodes[i]);
      return;
    }
  }
}

void PlayMacro(const MacroEntry *entry) {
  char token[TokenLimit + 1];
  for (int k = 1;; ++k) {
    size_t length = 0;
    GetField(token, sizeof(token), entry->Body, k, 0, &length);
    if (length == 0) break;
    // A token too long for the buffer is in no vocabulary: skip it whole
    // rather than act on a cut copy.
    if (length > TokenLimit) continue;
    if (length == 1)
      FarEditor->TypeChar(static_cast<unsigned char>(token[0]));
    else
      PlayNamedToken(token);
  }
}
