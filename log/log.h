// Diagnostic trace: each WriteLog call appends one time-stamped line to a fixed
// file, opening and closing it around the write. Nothing in the plug-in calls it.
#pragma once

#include <cstdio>

extern FILE *LogFile;
extern const char LogPath[];
// Where WriteLog writes; LogPath unless a test points it elsewhere.
extern const char *LogTarget;

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void WriteLog(const char *format, ...);
void OpenLog(const char *path);
void CloseLog();
