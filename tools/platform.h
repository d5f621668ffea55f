// What differs between the native tool and the Windows one.
#pragma once

#include <string>

#include "sim/plugin_api.h"

// The plug-in to drive: linked in (native), or a DLL (Windows; `path` or
// vorlane.dll beside the program when empty).
bool LoadPlugin(const std::string &path, PluginApi *api, std::string *error);
// The same for the Far 3 edition (Windows: far3\vorlane.dll beside the program,
// of the program's own bitness).
bool LoadPlugin3(const std::string &path, PluginApi3 *api, std::string *error);

// The folder of this program, with a trailing separator.
std::string ProgramDirectory();

void SetBinaryOutput();

// The value of a `--tab-size N` option (1 to 512); false, said on standard
// error under the command's name, when it is none.
bool TabSizeArgument(const char *command, const char *value, int *tabSize);

// A whole file's bytes; false when it cannot be opened or read (a folder).
bool ReadFile(const std::string &path, std::string *out);
bool WriteFile(const std::string &path, const std::string &bytes);

// Makes a new folder of this process's own in the temporary area, named
// PREFIX-PID-N (in small letters on POSIX when PREFIX is).
bool CreateTempFolder(const std::string &prefix, std::string *dir, std::string *error);
// Sets a variable in this process's environment (where a plug-in reads it).
void SetEnvironment(const std::string &name, const std::string &value);

// A private folder standing for the plug-in's own: the DLL's path in it is
// what the plug-in is told, and its macro file lies beside that.
class PluginFolder {
public:
  // The plug-in folds its macro path to small letters: the folder's name is
  // in small letters too, for file systems that tell them apart.
  bool Create(std::string *error) { return CreateTempFolder("vorlane-play", &dir_, error); }
  void Remove();
  std::string ModulePath() const { return dir_ + Separator + "vorlane.dll"; }
  std::string MacroPath() const { return dir_ + Separator + "vorlane.mac"; }
  ~PluginFolder() { Remove(); }

private:
  static const char Separator;
  std::string dir_;
};
