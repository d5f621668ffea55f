#include "files/files.h"

#include <cstring>

#ifndef _WIN32
#include <cerrno>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace files {

namespace {

// Longer native paths than this are refused rather than cut.
constexpr size_t PathLimit = 4096;

bool Present(const char *path) {
  struct stat st;
  return lstat(path, &st) == 0;
}

// Looks up OUT[start, end) in the folder OUT[0, start) and, when an entry
// matches it letter case aside, writes the entry's spelling in its place.
bool MatchPart(char *out, size_t start, size_t end) {
  const size_t length = end - start;
  char folder[PathLimit];
  if (start == 0) {
    folder[0] = '.';
    folder[1] = 0;
  } else {
    std::memcpy(folder, out, start);
    folder[start] = 0;
  }
  DIR *dir = opendir(folder);
  if (!dir) return false;
  bool found = false;
  while (const dirent *entry = readdir(dir)) {
    if (std::strlen(entry->d_name) == length && strncasecmp(entry->d_name, out + start, length) == 0) {
      std::memcpy(out + start, entry->d_name, length);
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

bool ResolveCase(const char *path, char *out, size_t size) {
  const size_t n = std::strlen(path);
  if (n + 1 > size || n + 1 > PathLimit) return false;
  std::memcpy(out, path, n + 1);
  if (n == 0 || Present(out)) return true;
  // Part by part: a part that exists as written is kept, one that does not
  // takes the spelling of its folder's entry; the first that matches nothing
  // (a file about to be made) ends the walk.
  size_t start = 0;
  while (start < n) {
    while (start < n && out[start] == '/') ++start;
    size_t end = start;
    while (end < n && out[end] != '/') ++end;
    if (end == start) break;
    const char c = out[end];
    out[end] = 0;
    const bool here = Present(out);
    out[end] = c;
    if (!here && !MatchPart(out, start, end)) break;
    start = end;
  }
  return true;
}

FILE *Open(const char *path, const char *mode) {
  char resolved[PathLimit];
  return ResolveCase(path, resolved, sizeof(resolved)) ? std::fopen(resolved, mode) : nullptr;
}

bool MakeFolder(const char *path) {
  char resolved[PathLimit];
  if (!ResolveCase(path, resolved, sizeof(resolved))) return false;
  return mkdir(resolved, 0777) == 0 || errno == EEXIST;
}

bool Remove(const char *path) {
  char resolved[PathLimit];
  return ResolveCase(path, resolved, sizeof(resolved)) && std::remove(resolved) == 0;
}

}  // namespace files

#endif
