// The key notation of `vorlane play --keys`.
#pragma once

#include <string>
#include <vector>

#include "far1/host.h"

namespace sim {

struct ScriptStep {
  enum Kind { Input, Menu } kind = Input;
  INPUT_RECORD input{};
};

// Parses KEYS into steps. On a fault returns false with a message that names
// the culprit and its position (1-based).
bool ParseKeys(const std::string &keys, std::vector<ScriptStep> *steps, std::string *error);

// A key-down (or key-up) event as a US keyboard gives it.
INPUT_RECORD KeyRecord(WORD vk, unsigned char c, DWORD mods, bool down);

// The virtual-key code a US keyboard gives for a typed character (0 if none).
WORD VirtualKeyOf(unsigned char c);

extern const char KeyNotationHelp[];

}  // namespace sim
