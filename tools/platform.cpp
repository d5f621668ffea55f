#include "assists/windows_api.h"  // first: it declares what the rest uses
#include "tools/platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32
const char PluginFolder::Separator = '\\';

std::string ProgramDirectory() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof(buf));
  std::string path(buf, n);
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool LoadPlugin(const std::string &path, PluginApi *api, std::string *error) {
#ifdef _WIN64
  if (path.empty()) {
    *error = "the 1.x edition is a 32-bit DLL: this 64-bit build plays Far 3 sessions only (--host far3)";
    return false;
  }
#endif
  return LoadPluginLibrary(path.empty() ? ProgramDirectory() + "vorlane.dll" : path, api, error);
}

bool LoadPlugin3(const std::string &path, PluginApi3 *api, std::string *error) {
  return LoadPluginLibrary3(path.empty() ? ProgramDirectory() + "far3\\vorlane.dll" : path, api,
                            error);
}

void SetBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void SetEnvironment(const std::string &name, const std::string &value) {
  // The value is a path in the ANSI code page, as the temporary folder gave it.
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

bool CreateTempFolder(const std::string &prefix, std::string *dir, std::string *error) {
  char tmp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(tmp), tmp);
  if (n == 0 || n >= sizeof(tmp)) {
    *error = "no temporary folder";
    return false;
  }
  std::string base(tmp, n);
  if (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
  for (int i = 0; i < 1000; ++i) {
    std::string candidate = base + "\\" + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(i);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      *dir = candidate;
      return true;
    }
  }
  *error = "cannot create a temporary folder in " + base;
  return false;
}

void PluginFolder::Remove() {
  if (dir_.empty()) return;
  DeleteFileA(MacroPath().c_str());
  RemoveDirectoryA(dir_.c_str());
  dir_.clear();
}
#else
const char PluginFolder::Separator = '/';

std::string ProgramDirectory() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return std::string();
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool LoadPlugin(const std::string &path, PluginApi *api, std::string *error) {
  if (!path.empty()) {
    *error = "--plugin is for the Windows build; this one has the plug-in linked in";
    return false;
  }
  *api = LinkedPlugin();
  return true;
}

bool LoadPlugin3(const std::string &path, PluginApi3 *api, std::string *error) {
  if (!path.empty()) {
    *error = "--plugin is for the Windows build; this one has the plug-in linked in";
    return false;
  }
  *api = LinkedPlugin3();
  return true;
}

void SetBinaryOutput() {}

void SetEnvironment(const std::string &name, const std::string &value) {
  setenv(name.c_str(), value.c_str(), 1);
}

bool CreateTempFolder(const std::string &prefix, std::string *dir, std::string *error) {
  const char *tmp = std::getenv("TMPDIR");
  const std::string base = tmp && tmp[0] ? tmp : "/tmp";
  for (int i = 0; i < 1000; ++i) {
    std::string candidate = base + "/" + prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(i);
    if (mkdir(candidate.c_str(), 0700) == 0) {
      *dir = candidate;
      return true;
    }
  }
  *error = "cannot create a temporary folder in " + base;
  return false;
}

void PluginFolder::Remove() {
  if (dir_.empty()) return;
  std::remove(MacroPath().c_str());
  rmdir(dir_.c_str());
  dir_.clear();
}
#endif

bool ReadFile(const std::string &path, std::string *out) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
  const bool read = !std::ferror(f);
  std::fclose(f);
  if (read) *out = bytes;
  return read;
}

bool WriteFile(const std::string &path, const std::string &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0) written = false;
  return written;
}

bool TabSizeArgument(const char *command, const char *value, int *tabSize) {
  *tabSize = std::atoi(value);
  if (*tabSize >= 1 && *tabSize <= 512) return true;
  std::fprintf(stderr, "vorlane %s: --tab-size takes 1 to 512\n", command);
  return false;
}
