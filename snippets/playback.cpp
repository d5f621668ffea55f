#include "snippets/playback.h"

const char *const KeyNames[KeyNameCount] = {"up", "down", "left", "right", "en",
                                            "bs", "home", "end",  "tab"};
const WORD KeyCodes[KeyNameCount] = {VK_UP,   VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN,
                                     VK_BACK, VK_HOME, VK_END,  VK_TAB};
