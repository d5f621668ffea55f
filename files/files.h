// Opening files by name as Windows does. The editions build their paths the
// Windows way and may fold a path's letters where Windows does not care; on
// a native build, where names differ by letter case, every file the plug-in
// and the stand-in open by name goes through here. The Windows builds open
// the path as it stands.
#pragma once

#include <cstddef>
#include <cstdio>

namespace files {

#ifdef _WIN32
inline FILE *Open(const char *path, const char *mode) { return std::fopen(path, mode); }
#else
// PATH (UTF-8) as the file system spells it: each part that does not exist as
// written is taken from its folder's entries when one matches it letter case
// aside (ASCII letters); from the first part that matches nothing on (a file
// about to be made) the rest stays as written. False when the result does not
// fit SIZE bytes.
bool ResolveCase(const char *path, char *out, size_t size);

// fopen, mkdir and remove on the path ResolveCase gives.
FILE *Open(const char *path, const char *mode);
bool MakeFolder(const char *path);
bool Remove(const char *path);
#endif

}  // namespace files
