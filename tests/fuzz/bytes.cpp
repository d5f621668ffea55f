#include "assists/windows_api.h"  // first: it declares what the rest uses
#include "tests/fuzz/bytes.h"

#include <cstdlib>
#include <map>
#include <vector>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fuzz {

namespace {

std::string TempRoot() {
#ifdef _WIN32
  char tmp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(tmp), tmp);  // TMP, TEMP, then the system's
  std::string root(tmp, n);
  if (!root.empty() && root.back() == '\\') root.pop_back();
  return root;
#else
  const char *tmp = std::getenv("TMPDIR");
  std::string root = tmp && *tmp ? tmp : "/tmp";
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
#endif
}

bool MakeFolder(const std::string &path) {
#ifdef _WIN32
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
#else
  return mkdir(path.c_str(), 0700) == 0;
#endif
}

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Everything this process made, removed when it exits, also after a failed
// test.
struct Made {
  std::vector<std::string> folders;
  ~Made() {
    for (const std::string &f : folders) RemoveTree(f);
  }
};

Made &MadeFolders() {
  static Made made;
  return made;
}

}  // namespace

void RemoveTree(const std::string &path) {
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
#else
  if (DIR *d = opendir(path.c_str())) {
    while (dirent *e = readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      const std::string child = path + "/" + name;
      struct stat st;
      if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        RemoveTree(child);
      else
        unlink(child.c_str());
    }
    closedir(d);
  }
  rmdir(path.c_str());
#endif
}

std::string NewFolder(const std::string &prefix) {
  static int counter = 0;
  const std::string base = TempRoot();
#ifdef _WIN32
  const char sep = '\\';
#else
  const char sep = '/';
#endif
  Made &made = MadeFolders();
  for (;;) {
    std::string dir = base + sep + prefix + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
    if (MakeFolder(dir)) {
      made.folders.push_back(dir);
      return dir;
    }
  }
}

std::string Folder(const std::string &prefix) {
  static std::map<std::string, std::string> made;
  std::string &dir = made[prefix];
  if (!dir.empty()) return dir;
#ifdef _WIN32
  dir = NewFolder(prefix) + "\\";
#else
  dir = NewFolder(prefix) + "/";
#endif
  return dir;
}

}  // namespace fuzz
