#include "assists/windows_api.h"  // first: it declares what the rest uses
#include "tests/support.h"

#include "tests/fuzz/bytes.h"
#include "far3/edition.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace test {

namespace {
void RemoveDir(const std::string &dir);
}  // namespace

std::string NewTempDir() { return fuzz::NewFolder("vorlane-test-"); }

std::string Join(const std::string &dir, const std::string &name) {
#ifdef _WIN32
  return dir + "\\" + name;
#else
  return dir + "/" + name;
#endif
}

void WriteFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool FileExists(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

Session::Session(const std::string &text, const std::string &fileName, const std::string &macros,
                 bool withMacroFile)
    : dir(NewTempDir()), macroPath(Join(dir, "vorlane.mac")), host(LinkedPlugin()) {
  if (withMacroFile) WriteFile(macroPath, macros);
  host.SetText(text);
  host.fileName = fileName;
  host.LoadLanguageFile(std::string(VORLANE_SOURCE_DIR) + "/package/vorlane_eng.lng");
  host.Start(Join(dir, "vorlane.dll"));
}

Session::~Session() {
  host.Stop();
  std::remove(macroPath.c_str());
  RemoveDir(dir);
}

namespace {

void Configure(sim::Host &) { ADD_FAILURE() << "the 1.x host has no configuration menu"; }
void Configure(sim::Host3 &host) { host.Configure(); }

template <class H>
void Play(H &host, const std::string &keys, bool unicode) {
  std::vector<sim::ScriptStep> steps;
  std::string error;
  ASSERT_TRUE(sim::ParseKeys(keys, &steps, &error, unicode)) << error;
  for (const sim::ScriptStep &s : steps) {
    if (s.kind == sim::ScriptStep::Menu)
      host.Menu();
    else if (s.kind == sim::ScriptStep::Config)
      Configure(host);
    else
      host.Input(s.input);
  }
}

void RemoveDir(const std::string &dir) { fuzz::RemoveTree(dir); }

}  // namespace

void TypeKeys(sim::Host &host, const std::string &keys) { Play(host, keys, false); }
void TypeKeys(sim::Host3 &host, const std::string &keys) { Play(host, keys, true); }

Session3::Session3(const std::string &text, const std::string &fileName, const std::string &macros,
                   bool withMacroFile)
    : dir(NewTempDir()), macroPath(Join(dir, "vorlane.mac")), host(LinkedPlugin3()) {
  if (withMacroFile) WriteFile(macroPath, macros);
  host.SetTextUtf8(text);
  host.fileName = sim::Utf16(fileName);
  host.LoadLanguageFile(std::string(VORLANE_SOURCE_DIR) + "/package/far3/vorlane_eng.lng");
  host.Start(Join(dir, "vorlane.dll"));
}

Session3::~Session3() {
  host.Stop();
  std::remove(macroPath.c_str());
  RemoveDir(dir);
}

void Session3::Type(const std::string &keys) { TypeKeys(host, keys); }

void Session3::BraceRulesOnly() {
  sim::StoredSetting off;
  off.type = far3::FST_QWORD;
  off.number = 0;
  host.settingsStore[u"Indentation"] = off;
  far3::ResetOptions();
}

void Session::Type(const std::string &keys) { TypeKeys(host, keys); }

INPUT_RECORD Press(unsigned char c, DWORD mods) {
  return sim::KeyRecord(sim::VirtualKeyOf(c), c, mods, true);
}

INPUT_RECORD PressVk(WORD vk, unsigned char c, DWORD mods) {
  return sim::KeyRecord(vk, c, mods, true);
}

}  // namespace test
