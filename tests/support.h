// Helpers shared by the unit tests.
#pragma once

#include <cstring>
#include <string>

#include "sim/far1/stand_in.h"
#include "sim/far3/stand_in.h"
#include "sim/keys.h"

namespace test {

inline bool SameGuid(const far3::GUID &a, const far3::GUID &b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

// A new empty folder for one test, removed by nobody (the system's temp area).
// On POSIX its path is in small letters, as the plug-in's macro path lookup needs.
std::string NewTempDir();
std::string Join(const std::string &dir, const std::string &name);
void WriteFile(const std::string &path, const std::string &bytes);
std::string ReadFile(const std::string &path);
bool FileExists(const std::string &path);

// A stand-in host with the linked plug-in started in its own folder.
struct Session {
  explicit Session(const std::string &text, const std::string &fileName = "main.cpp",
                   const std::string &macros = std::string(), bool withMacroFile = true);
  ~Session();
  // Types KEYS (the `vorlane play` notation) into this session.
  void Type(const std::string &keys);
  void At(int line, int pos) {
    host.curLine = line;
    host.curPos = pos;
  }
  std::string Cursor() const {
    return std::to_string(host.curLine) + ":" + std::to_string(host.curPos);
  }
  std::string dir;
  std::string macroPath;
  sim::Host host;
};

// The same with the Far 3 edition linked in: text, names and macros in UTF-8.
struct Session3 {
  explicit Session3(const std::string &text, const std::string &fileName = "main.cpp",
                    const std::string &macros = std::string(), bool withMacroFile = true);
  ~Session3();
  void Type(const std::string &keys);
  void At(int line, int pos) {
    host.curLine = line;
    host.curPos = pos;
  }
  std::string Cursor() const {
    return std::to_string(host.curLine) + ":" + std::to_string(host.curPos);
  }
  // C/C++ indentation switched off: Enter and '}' keep the brace rules alone.
  void BraceRulesOnly();
  std::string dir;
  std::string macroPath;
  sim::Host3 host;
};

// Types KEYS (the `vorlane play` notation) into `host`; <Menu> chooses the
// plug-in's menu entry.
void TypeKeys(sim::Host &host, const std::string &keys);
void TypeKeys(sim::Host3 &host, const std::string &keys);

INPUT_RECORD Press(unsigned char c, DWORD mods = 0);
INPUT_RECORD PressVk(WORD vk, unsigned char c = 0, DWORD mods = 0);

}  // namespace test
