#include "tests/fuzz/bytes.h"

#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fuzz {

std::string Folder(const std::string &prefix) {
  static std::map<std::string, std::string> made;
  std::string &dir = made[prefix];
  if (!dir.empty()) return dir;
#ifdef _WIN32
  char tmp[MAX_PATH];
  GetTempPathA(sizeof(tmp), tmp);
  dir = std::string(tmp) + prefix + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  dir += "\\";
#else
  dir = "/tmp/" + prefix + std::to_string(getpid());
  mkdir(dir.c_str(), 0700);
  dir += "/";
#endif
  return dir;
}

}  // namespace fuzz
