// The editor's key-event filter: picks the three trigger keys in C and C++
// files and hands each to its assist.
#pragma once

#include "plugin/host.h"

// 1 while the plug-in feeds key events into the editor itself; every event
// that reaches the filter then goes to the host untouched.
extern int Busy;

// True when every byte of `text` is a space (0x20); an empty text is blank.
bool IsBlank(const char *text);

// The same for the `length` bytes at `text`, which the host may hold with a
// NUL among them: a NUL is no space, so such a line is never blank.
bool IsBlank(const char *text, int length);

// True when `fileName` ends in .cpp, .c, .h or .hpp, in any letter case.
bool IsSourceFileName(const char *fileName);

extern "C" int WINAPI ProcessEditorInput(const INPUT_RECORD *Rec);
