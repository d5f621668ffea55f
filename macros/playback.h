// Macro playback: a body's tokens are fed into the editor as keystrokes.
#pragma once

#include "macros/macro_file.h"
#include "plugin/host.h"

constexpr int KeyNameCount = 9;
extern const char *const KeyNames[KeyNameCount];
extern const WORD KeyCodes[KeyNameCount];

// Longest token a body may hold: the 12-byte token buffer less its NUL.
constexpr size_t TokenLimit = 11;

void PlayMacro(const MacroEntry *entry);
void PlayNamedToken(const char *token);
