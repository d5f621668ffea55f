// The key notation of `vorlane play --keys`.
#pragma once

#include <string>
#include <vector>

#include "assists/win32_input.h"

namespace sim {

struct ScriptStep {
  enum Kind { Input, Menu, Config, MacroMenu, MacroCall } kind = Input;
  INPUT_RECORD input{};
  int entry = 1;     // Menu, MacroMenu: which entry of the editor's plug-in menu
  std::string text;  // MacroCall: the string passed (UTF-8)
};

// Parses KEYS into steps. On a fault returns false with a message that names
// the culprit and its position (1-based). With `unicode` (the Far 3 host) a
// character is read from UTF-8 and gives one event per UTF-16 unit; without,
// each byte is a character. With `unicode` a character typed with Shift on a
// US keyboard (capitals, ~!@#$%^&*()_+{}|:"<>?) gives four events, as the
// console sends them: Shift's key-down, the character's key-down and key-up
// with SHIFT_PRESSED, Shift's key-up.
bool ParseKeys(const std::string &keys, std::vector<ScriptStep> *steps, std::string *error,
               bool unicode = false);

// The Shift key's own virtual-key code (VK_SHIFT).
constexpr WORD ShiftKey = 0x10;

// A key-down (or key-up) event as a US keyboard gives it.
INPUT_RECORD KeyRecord(WORD vk, unsigned c, DWORD mods, bool down);

// The virtual-key code a US keyboard gives for a typed character (0 if none).
WORD VirtualKeyOf(unsigned char c);

extern const char KeyNotationHelp[];

}  // namespace sim
