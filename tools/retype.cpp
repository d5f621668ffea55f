// `vorlane retype`: how often Enter puts a real file's lines where their
// authors put them. For every non-blank line after the first, the stand-in
// Far 3 editor opens the lines above it as written, the cursor goes to the end
// of the line above, Enter is pressed and the line's text is typed without its
// leading blanks; the line counts when it comes out exactly as written.
#include "tools/retype.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "sim/far3/stand_in.h"
#include "sim/keys.h"
#include "tools/platform.h"

namespace {

const char RetypeUsage[] =
    "usage: vorlane retype [options] FILE...\n"
    "\n"
    "Re-types each FILE line by line through the Far 3 plug-in in the stand-in\n"
    "editor: for every non-blank line after the first, the lines above it as\n"
    "written, the cursor at the end of the line above, Enter, then the line's\n"
    "text without its leading blanks (no macros). Prints, per file, the lines\n"
    "that came out exactly as written, and a total.\n"
    "\n"
    "options:\n"
    "  --auto-indent    editor setting: auto indent on (default off, as Far 3's)\n"
    "  --expand-tabs    editor setting: Tab inserts spaces\n"
    "  --tab-size N     editor setting: tab size (default 8)\n"
    "  --no-indentation the plug-in's C/C++ indentation switched off\n"
    "  --below          the lines below stay in the editor too (editing a whole\n"
    "                   file: its style may show only further down)\n"
    "  --misses         print each line that differs: where, as written, as typed\n"
#ifdef _WIN32
    "  --plugin PATH    the Far 3 plug-in DLL (default: far3\\vorlane.dll beside\n"
    "                   this program)\n"
#endif
    "\n"
    "The editor reports each file as 'retyped.cpp', a name the plug-in serves.\n";

struct Tally {
  long right = 0, total = 0;
};

std::vector<std::u16string> SplitLines(const std::string &bytes) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(sim::Utf16(line));
    if (end == bytes.size()) break;
    start = end + 1;
  }
  return lines;
}

bool Blank(const std::u16string &s) { return s.find_first_not_of(u" \t") == std::u16string::npos; }

// Shows a line's blanks: a tab as "\t", the rest as written.
std::string Shown(const std::u16string &s) {
  std::string out;
  for (char16_t c : s) out += c == '\t' ? std::string("\\t") : sim::Utf8(std::u16string(1, c));
  return out;
}

void Type(sim::Host3 &host, char16_t c, WORD vk) {
  const unsigned char ascii = c < 0x80 ? static_cast<unsigned char>(c) : 0;
  const WORD key = vk ? vk : sim::VirtualKeyOf(ascii);
  host.Input(sim::KeyRecord(key, c, 0, true));
  host.Input(sim::KeyRecord(key, c, 0, false));
}

}  // namespace

int RunRetype(int argc, char **argv) {
  sim::Settings settings;
  bool misses = false, indentation = true, below = false;
  std::string pluginPath;
  std::vector<std::string> files;
  bool options = true;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (!options) {
      files.push_back(a);
    } else if (a == "--") {
      options = false;  // file names follow, whatever they begin with
    } else if (a == "--help" || a == "-h") {
      std::cout << RetypeUsage;
      return 0;
    } else if (a == "--auto-indent") {
      settings.autoIndent = true;
    } else if (a == "--expand-tabs") {
      settings.expandTabs = true;
    } else if (a == "--tab-size" && i + 1 < argc) {
      if (!TabSizeArgument("retype", argv[++i], &settings.tabSize)) return 2;
    } else if (a == "--no-indentation") {
      indentation = false;
    } else if (a == "--below") {
      below = true;
    } else if (a == "--misses") {
      misses = true;
    } else if (a == "--plugin" && i + 1 < argc) {
      pluginPath = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      std::cerr << "vorlane retype: unknown option '" << a << "'\n" << RetypeUsage;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    std::cerr << RetypeUsage;
    return 2;
  }
#ifdef _WIN32
  if (pluginPath.empty()) pluginPath = ProgramDirectory() + "far3\\vorlane.dll";
#endif
  PluginApi3 api;
  std::string error;
  if (!LoadPlugin3(pluginPath, &api, &error)) {
    std::cerr << "vorlane retype: " << error << "\n";
    return 2;
  }
  PluginFolder folder;  // no macro file in it: nothing expands
  std::string profile;
  if (!folder.Create(&error) || !CreateTempFolder("vorlane-profile", &profile, &error)) {
    std::cerr << "vorlane retype: " << error << "\n";
    return 2;
  }
  SetEnvironment("FARPROFILE", profile);

  Tally all;
  int status = 0;
  for (const std::string &file : files) {
    std::string bytes;
    if (!ReadFile(file, &bytes)) {
      std::cerr << "vorlane retype: cannot read '" << file << "'\n";
      status = 1;
      continue;
    }
    const std::vector<std::u16string> lines = SplitLines(bytes);
    sim::Host3 host(api);
    host.record = false;
    host.settings = settings;
    host.settings.redrawAfterFedKeys = false;
    host.settings.shiftTabMovesBack = true;
    host.fileName = u"retyped.cpp";
    if (!indentation) {
      sim::StoredSetting off;
      off.type = far3::FST_QWORD;
      off.number = 0;
      host.settingsStore[u"Indentation"] = off;
    }
    host.Start(folder.ModulePath());
    Tally t;
    for (size_t i = 1; i < lines.size(); ++i) {
      if (Blank(lines[i])) continue;
      std::u16string above;
      for (size_t k = 0; k < i; ++k) above += (k ? u"\n" : u"") + lines[k];
      for (size_t k = i + 1; below && k < lines.size(); ++k) above += u"\n" + lines[k];
      host.SetText(above);
      host.curLine = static_cast<int>(i - 1);
      host.curPos = static_cast<int>(lines[i - 1].size());
      Type(host, '\r', VK_RETURN);
      const std::u16string &want = lines[i];
      for (size_t k = want.find_first_not_of(u" \t"); k < want.size(); ++k)
        Type(host, want[k], want[k] == '\t' ? VK_TAB : 0);
      const std::u16string got =
          i < host.lines.size() ? host.lines[i].text : std::u16string(u"(no such line)");
      ++t.total;
      if (got == want) {
        ++t.right;
      } else if (misses) {
        std::cout << file << ":" << i + 1 << ": want '" << Shown(want) << "'\n"
                  << std::string(file.size() + std::to_string(i + 1).size() + 2, ' ') << "got  '"
                  << Shown(got) << "'\n";
      }
    }
    host.Stop();
    char share[32];
    std::snprintf(share, sizeof(share), "%.1f", t.total ? 100.0 * t.right / t.total : 100.0);
    std::cout << file << ": " << t.right << " of " << t.total << " lines as written (" << share << " %)\n";
    all.right += t.right;
    all.total += t.total;
  }
  folder.Remove();
  std::error_code ec;
  std::filesystem::remove_all(profile, ec);
  char share[32];
  std::snprintf(share, sizeof(share), "%.1f", all.total ? 100.0 * all.right / all.total : 100.0);
  std::cout << "total: " << all.right << " of " << all.total << " lines as written (" << share << " %)\n";
  return status;
}
