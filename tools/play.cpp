// `vorlane play`: one scripted editing session through the stand-in host.
#include "tools/play.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <type_traits>

#include "sim/far1/stand_in.h"
#include "sim/far3/stand_in.h"
#include "sim/keys.h"
#include "macros/variables.h"
#include "macros/transform.h"
#include "tools/explain.h"
#include "tools/platform.h"

namespace {

const char PlayUsage[] =
    "usage: vorlane play [options] FILE\n"
    "\n"
    "Loads FILE into the stand-in editor, starts the plug-in as the host does,\n"
    "plays the keys, stops the plug-in and writes the final text to standard\n"
    "output byte for byte; the last line on standard error is 'cursor LINE:COL'.\n"
    "\n"
    "options:\n"
    "  --name NAME           file name the editor reports (default: FILE as given)\n"
    "  --macros PATH         macro file the plug-in loads at start-up (default: none)\n"
    "  --replace-macros PATH before the next <Menu>, replace the plug-in's macro file\n"
    "                        with PATH's content ('-' deletes it); may be repeated\n"
    "  --at LINE:COL         starting cursor, 1-based (default 1:1)\n"
    "  --select L:C-L:C      a stream block selected before the keys, from the\n"
    "                        first place to the second (1-based; the second not in it)\n"
    "  --select-column L:C-L:C  the same as a column block\n"
    "  --keys KEYS           the keys to play (notation below)\n"
    "  --keys-file PATH      read KEYS from a file instead\n"
    "  --dialog A,B,...      what the reload dialog returns at each <Menu>:\n"
    "                        1 first button, 2 second, -1 Esc (default -1)\n"
    "  --lng PATH            language file serving the plug-in's messages, in\n"
    "                        whatever language it declares (default:\n"
    "                        vorlane_eng.lng beside this program; far3\\ for Far 3)\n"
    "  --clipboard TEXT      what <S-Ins> pastes (\\n in TEXT: a line end)\n"
    "  --clock TIME          Far 3: the fixed local time the date words of macro\n"
    "                        bodies type, as 2026-12-08T10:20:30+01:00 (the\n"
    "                        plug-in reads it from VORLANE_CLOCK; default: now)\n"
    "  --show-dialogs        at the end, each dialog the plug-in showed: its size\n"
    "                        and where the host draws each item (columns, line)\n"
    "  --auto-indent         editor setting: auto indent on (default off)\n"
    "  --expand-tabs         editor setting: Tab inserts spaces (default off)\n"
    "  --tab-size N          editor setting: tab size (default 8)\n"
    "  --overtype            editor setting: overtype mode (default insert)\n"
    "  --no-cursor-beyond-eol  the cursor may not stand past the end of a line\n"
    "  --no-reentry          events the plug-in feeds are not passed back to it\n"
    "  --persistent-blocks   editor setting: typing neither replaces nor drops a\n"
    "                        selection (Far 3's option; default off)\n"
    "  --host 1.x|far3       the host and edition to play: FAR 1.x with the ANSI\n"
    "                        plug-in (default), or Far Manager 3 with the Unicode\n"
    "                        one (FILE, KEYS and the macro file in UTF-8; <C-z>\n"
    "                        takes back one undo step; an undo group or a\n"
    "                        settings handle the plug-in leaves open, or a\n"
    "                        dialog it reads after freeing it, makes the exit\n"
    "                        status 3)\n"
    "                        With either host a dialog or message box shown more\n"
    "                        than 16 times in one plug-in call, or a dialog item\n"
    "                        outside its frame, is a host fault (exit status 3).\n"
    "  --explain             for each Space, '}' and Enter, say on standard error\n"
    "                        what the plug-in decided and why (Far 3: also for each\n"
    "                        Tab while field stops wait: which, and where it goes)\n"
    "  --trace               one line on standard error per event with the\n"
    "                        plug-in's answer, and per host command with its fields\n"
#ifdef _WIN32
    "  --plugin PATH         the plug-in DLL (default: vorlane.dll beside this program,\n"
    "                        or far3\\vorlane.dll with --host far3)\n"
#endif
    "\n"
    "Far 3 only (--host far3); the plug-in's profile folder (FARPROFILE) is a\n"
    "private temporary folder, written %FARPROFILE% in paths and messages:\n"
    "  --profile-macros PATH the user's macro file in the profile\n"
    "                        (%FARPROFILE%\\PluginsData\\vorlane\\vorlane.mac)\n"
    "  --setting NAME=TEXT   a text value in the plug-in's settings store\n"
    "  --setting-number NAME=N  a number value there\n"
    "  --config ANSWER       what each <Config> dialog does, in order: ok, cancel or\n"
    "                        esc, then ,macros=on|off ,braces=on|off ,tab=on|off\n"
    "                        ,fields=on|off ,indent=on|off ,cases=on|off\n"
    "                        ,paste=on|off ,blank=on|off and\n"
    "                        last ,masks=TEXT (the rest);\n"
    "                        e.g. ok,tab=off,masks=*.cc\n"
    "  --save-as NAME        the name of each <S-F2> save, in order (%FARPROFILE%\n"
    "                        in NAME stands for the profile folder)\n"
    "  --unreadable-save     the editor will not give its lines during a save\n"
    "Message boxes, editor windows the plug-in opens and configuration dialogs\n"
    "are reported on standard error.\n"
    "\n";


bool ParseInt(const std::string &s, int *out) {
  if (s.empty()) return false;
  char *end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (*end || v < -1000000000L || v > 1000000000L) return false;
  *out = static_cast<int>(v);
  return true;
}

int Usage(const std::string &message) {
  std::cerr << "vorlane play: " << message << "\n(see 'vorlane play --help')\n";
  return 2;
}


// One --config answer: the button, then switches to set and the masks to
// type, in the order the dialog shows them (-1: leave the box as it is).
struct ConfigAnswer {
  std::string text;  // as given, for the report
  std::string button;
  int switches[8] = {-1, -1, -1, -1, -1, -1, -1, -1};  // keyword macros, '}' alignment, Tab after
                                                     // '{', field stops, C/C++ indentation, case
                                                     // labels, paste, blank lines
  bool setMasks = false;
  std::string masks;
};

// Reads "ok|cancel|esc[,macros=on|off]...[,paste=on|off][,blank=on|off][,masks=TEXT]"
// (masks last: the rest of the text is the list); false when malformed.
bool ParseConfigAnswer(const std::string &text, ConfigAnswer *out) {
  static const char *const names[] = {"macros", "braces", "tab", "fields", "indent", "cases", "paste", "blank"};
  out->text = text;
  size_t comma = text.find(',');
  out->button = text.substr(0, comma);
  if (out->button != "ok" && out->button != "cancel" && out->button != "esc") return false;
  std::string rest = comma == std::string::npos ? std::string() : text.substr(comma + 1);
  while (!rest.empty()) {
    if (rest.compare(0, 6, "masks=") == 0) {
      out->setMasks = true;
      out->masks = rest.substr(6);
      return true;
    }
    comma = rest.find(',');
    const std::string pair = rest.substr(0, comma);
    rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    bool known = false;
    for (int i = 0; i < 8; ++i) {
      if (pair == std::string(names[i]) + "=on") out->switches[i] = 1, known = true;
      if (pair == std::string(names[i]) + "=off") out->switches[i] = 0, known = true;
    }
    if (!known) return false;
  }
  return true;
}

struct PlayOptions {
  std::string text, fileName, macros, lng, pluginPath, profileMacros, clipboard;
  std::vector<int> answers;
  std::vector<std::string> replacements, saveAs;
  std::vector<ConfigAnswer> configs;
  std::vector<std::pair<std::string, std::string>> textSettings, numberSettings;
  bool unreadableSave = false;
  std::vector<sim::ScriptStep> steps;
  int atLine = 1, atCol = 1;
  // --select / --select-column: a block selected before the keys (1-based;
  // 0 in selectKind: none, 1 stream, 2 column).
  int selectKind = 0, selLine1 = 0, selCol1 = 0, selLine2 = 0, selCol2 = 0;
  sim::Settings settings;
  bool trace = false, explain = false, showDialogs = false;
};

// What differs between the two hosts' faces.
bool LoadApi(const std::string &path, PluginApi *api, std::string *error) {
  return LoadPlugin(path, api, error);
}
bool LoadApi(const std::string &path, PluginApi3 *api, std::string *error) {
  return LoadPlugin3(path, api, error);
}
void SetUp(sim::Host &host, const PlayOptions &o) {
  host.SetText(o.text);
  host.clipboard = o.clipboard;
  host.fileName = o.fileName;
  // A file named with --lng serves its own language, whichever it is.
  if (o.lng.empty())
    host.LoadLanguageFile(ProgramDirectory() + "vorlane_eng.lng");
  else
    host.LoadLanguageFile(o.lng, std::string());
}
void SetUp(sim::Host3 &host, const PlayOptions &o) {
  host.settings.redrawAfterFedKeys = false;  // Far 3 redraws after the user's keys only
  host.settings.shiftTabMovesBack = true;     // and its editor's Shift+Tab goes back a tab stop
  host.SetTextUtf8(o.text);
  host.clipboard = sim::Utf16(o.clipboard);
  host.fileName = sim::Utf16(o.fileName);
  if (o.lng.empty())
    host.LoadLanguageFile(ProgramDirectory() + "far3/vorlane_eng.lng");
  else
    host.LoadLanguageFile(o.lng, std::string());
  host.refuseLinesDuringSave = o.unreadableSave;
  for (const auto &setting : o.textSettings) {
    sim::StoredSetting value;
    value.type = far3::FST_STRING;
    value.text = sim::Utf16(setting.second);
    host.settingsStore[sim::Utf16(setting.first)] = value;
  }
  for (const auto &setting : o.numberSettings) {
    sim::StoredSetting value;
    value.type = far3::FST_QWORD;
    value.number = std::strtoull(setting.second.c_str(), nullptr, 10);
    host.settingsStore[sim::Utf16(setting.first)] = value;
  }
}

// Far 3's profile folder, private to one session: FARPROFILE names it for the
// plug-in, and paths under it are reported as %FARPROFILE%.
class Profile {
public:
  bool Create(const std::string &macros, std::string *error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!CreateTempFolder("vorlane-profile", &dir_, error)) return false;
    // Far makes PluginsData at start-up.
    fs::create_directories(fs::path(dir_) / "PluginsData", ec);
    SetEnvironment("FARPROFILE", dir_);
    if (!macros.empty()) {
      std::string bytes;
      fs::path folder = fs::path(dir_) / "PluginsData" / "vorlane";
      fs::create_directories(folder, ec);
      if (!ReadFile(macros, &bytes) || !WriteFile((folder / "vorlane.mac").string(), bytes)) {
        *error = "cannot copy the profile's macro file '" + macros + "'";
        return false;
      }
    }
    return true;
  }
  ~Profile() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  // A name with %FARPROFILE% put in for the folder, as the host gives names.
  std::string Resolve(const std::string &name) const {
    std::string out = name;
    const std::string token = "%FARPROFILE%";
    size_t at = out.find(token);
    if (at != std::string::npos) out.replace(at, token.size(), dir_);
#ifndef _WIN32
    for (char &c : out)
      if (c == '\\') c = '/';
#endif
    return out;
  }
  // A text as reported: a path in the profile written %FARPROFILE%\..., with
  // backslashes on every system.
  std::string Show(const std::string &text) const {
    if (dir_.empty() || text.compare(0, dir_.size(), dir_) != 0) return text;
    std::string out = "%FARPROFILE%" + text.substr(dir_.size());
    for (char &c : out)
      if (c == '/') c = '\\';
    return out;
  }

private:
  std::string dir_;
};

std::string OnOff(intptr_t state) { return state ? "on" : "off"; }

// Fills in the configuration dialog as the answer says (its edit field and
// check boxes in order) and returns the index of the button it names.
intptr_t AnswerConfig(sim::DialogCall3 &call, const ConfigAnswer &answer) {
  std::vector<size_t> edits, checks, buttons;
  for (size_t i = 0; i < call.items.size(); ++i) {
    if (call.items[i].Type == far3::DI_EDIT) edits.push_back(i);
    if (call.items[i].Type == far3::DI_CHECKBOX) checks.push_back(i);
    if (call.items[i].Type == far3::DI_BUTTON) buttons.push_back(i);
  }
  if (answer.setMasks && !edits.empty()) call.texts[edits[0]] = sim::Utf16(answer.masks);
  for (size_t i = 0; i < 8 && i < checks.size(); ++i)
    if (answer.switches[i] >= 0) call.items[checks[i]].Selected = answer.switches[i];
  if (answer.button == "ok" && !buttons.empty()) return static_cast<intptr_t>(buttons[0]);
  if (answer.button == "cancel" && buttons.size() > 1) return static_cast<intptr_t>(buttons[1]);
  return -1;
}

struct Far3Session {
  Profile profile;
};
bool Prepare(sim::Host3 &host, const PlayOptions &o, std::unique_ptr<Far3Session> *session,
             std::string *error) {
  session->reset(new Far3Session);
  Profile &profile = (*session)->profile;
  if (!profile.Create(o.profileMacros, error)) return false;
  for (const std::string &name : o.saveAs) host.saveAsNames.push_back(sim::Utf16(profile.Resolve(name)));
  // What the host shows the user, reported as it happens.
  host.report = [&profile](const std::vector<std::string> &parts) {
    std::string line;
    for (const std::string &part : parts) line += profile.Show(part);
    std::cerr << line << "\n";
  };
  return true;
}
bool Prepare(sim::Host &, const PlayOptions &, std::unique_ptr<Far3Session> *, std::string *) {
  return true;
}
void SetDialogScript(sim::Host &, const PlayOptions &) {}
void SetDialogScript(sim::Host3 &host, const PlayOptions &o) {
  // The configuration dialog (the one with an edit field) takes the --config
  // answers, every other dialog the --dialog ones.
  size_t nextConfig = 0, nextAnswer = 0;
  host.dialogScript = [o, nextConfig, nextAnswer](sim::DialogCall3 &call) mutable -> intptr_t {
    bool config = false;
    for (const far3::FarDialogItem &item : call.items) config = config || item.Type == far3::DI_EDIT;
    if (!config) return nextAnswer < o.answers.size() ? o.answers[nextAnswer++] : -1;
    ConfigAnswer answer;
    if (nextConfig < o.configs.size())
      answer = o.configs[nextConfig++];
    else
      ParseConfigAnswer("esc", &answer);
    std::string shown = "configuration dialog:";
    std::vector<std::string> names = {"macros", "braces", "tab", "fields"};
    size_t check = 0;
    for (size_t i = 0; i < call.items.size(); ++i) {
      if (call.items[i].Type == far3::DI_EDIT) shown += " masks \"" + sim::Utf8(call.texts[i]) + "\"";
      if (call.items[i].Type == far3::DI_CHECKBOX && check < names.size())
        shown += " " + names[check++] + " " + OnOff(call.items[i].Selected);
    }
    std::cerr << shown << " -> " << answer.text << "\n";
    return AnswerConfig(call, answer);
  };
}
void Configure(sim::Host &) {}
void Configure(sim::Host3 &host) { host.Configure(); }
void OpenMenu(sim::Host &host, int) { host.Menu(); }
void OpenMenu(sim::Host3 &host, int entry) { host.Menu(entry); }
// A menu the plug-in shows takes the script's next keys, up to a step that
// is not a key.
void SetMenuKeys(sim::Host &, const std::vector<sim::ScriptStep> &, size_t *) {}
void SetMenuKeys(sim::Host3 &host, const std::vector<sim::ScriptStep> &steps, size_t *next) {
  host.menuKeys = [&steps, next](INPUT_RECORD *rec) {
    if (*next >= steps.size() || steps[*next].kind != sim::ScriptStep::Input) return false;
    *rec = steps[(*next)++].input;
    return true;
  };
}
void MacroStep(sim::Host &, const sim::ScriptStep &) {}
void MacroStep(sim::Host3 &host, const sim::ScriptStep &step) {
  if (step.kind == sim::ScriptStep::MacroMenu) {
    const bool result = host.MacroMenu(step.entry);
    std::cerr << "Plugin.Menu -> " << (result ? "true" : "false") << "\n";
  } else {
    const bool result = host.MacroCall({sim::Utf16(step.text)});
    std::cerr << "Plugin.Call(\"" << step.text << "\") -> " << (result ? "true" : "false") << "\n";
  }
}
// The plug-in's faults in its use of the host: dialogs and message boxes shown
// without end; in Far 3 also undo groups, settings handles and dialogs read
// after they were freed.
std::vector<std::string> HostFaults(const sim::Host &host) { return host.hostFaults; }
std::vector<std::string> HostFaults(const sim::Host3 &host) {
  std::vector<std::string> faults;
  for (const std::string &f : host.undoFaults) faults.push_back("undo: " + f);
  for (const std::string &f : host.hostFaults) faults.push_back(f);
  return faults;
}
std::string FinalText(const sim::Host &host) { return host.Text(); }
std::string FinalText(const sim::Host3 &host) { return host.TextUtf8(); }

template <class HostT>
int Play(PlayOptions o) {
  std::string error;
  typename std::conditional<std::is_same<HostT, sim::Host>::value, PluginApi, PluginApi3>::type api;
  if (!LoadApi(o.pluginPath, &api, &error)) {
    std::cerr << "vorlane play: " << error << "\n";
    return 1;
  }

  // The plug-in finds its macro file beside its own DLL, under a name it derives
  // in small letters: give it a folder of its own with the file copied in.
  PluginFolder folder;
  if (!folder.Create(&error)) {
    std::cerr << "vorlane play: " << error << "\n";
    return 1;
  }
  if (!o.macros.empty()) {
    std::string bytes;
    if (!ReadFile(o.macros, &bytes))
      std::cerr << "vorlane play: warning: macro file '" << o.macros
                << "' not found; starting with no macros\n";
    else
      WriteFile(folder.MacroPath(), bytes);
  }

  HostT host(api);
  host.settings = o.settings;
  SetUp(host, o);
  host.dialogAnswers = o.answers;
  std::unique_ptr<Far3Session> far3Session;
  if (!Prepare(host, o, &far3Session, &error)) {
    std::cerr << "vorlane play: " << error << "\n";
    return 1;
  }
  SetDialogScript(host, o);
  if (o.trace) host.trace = [](const std::string &line) { std::cerr << line << "\n"; };

  host.curLine = o.atLine - 1;
  host.curPos = o.atCol - 1;
  if (o.selectKind == 1) host.SelectStream(o.selLine1 - 1, o.selCol1 - 1, o.selLine2 - 1, o.selCol2 - 1);
  if (o.selectKind == 2) host.SelectColumn(o.selLine1 - 1, o.selCol1 - 1, o.selLine2 - 1, o.selCol2 - 1);
  if (host.curLine >= static_cast<int>(host.lines.size()))
    host.curLine = static_cast<int>(host.lines.size()) - 1;
  // The host shows the cursor where it was put, drawn as after any key.
  host.DrawAt();

#ifdef _WIN32
  if (o.explain) {
    std::cerr << "vorlane play: --explain is not available in the Windows build\n";
    o.explain = false;
  }
#endif
  Explainer explainer;
  auto baseName = [](const std::string &path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
  };
  const bool far3 = std::is_same<HostT, sim::Host3>::value;
  if (o.explain)
    explainer.SetMacroFile(folder.MacroPath(), baseName(o.macros.empty() ? "vorlane.mac" : o.macros),
                           far3);

  host.Start(folder.ModulePath());
  size_t nextReplacement = 0;
  size_t next = 0;
  SetMenuKeys(host, o.steps, &next);
  while (next < o.steps.size()) {
    const sim::ScriptStep &step = o.steps[next++];
    if (step.kind == sim::ScriptStep::MacroMenu || step.kind == sim::ScriptStep::MacroCall) {
      MacroStep(host, step);
    } else if (step.kind == sim::ScriptStep::Menu) {
      if (nextReplacement < o.replacements.size()) {
        const std::string &r = o.replacements[nextReplacement++];
        std::string bytes;
        if (r == "-")
          std::remove(folder.MacroPath().c_str());
        else if (ReadFile(r, &bytes))
          WriteFile(folder.MacroPath(), bytes);
        else
          std::cerr << "vorlane play: warning: cannot read '" << r << "'\n";
        if (o.explain) explainer.SetMacroFile(folder.MacroPath(), baseName(r), far3);
      }
      OpenMenu(host, step.entry);
    } else if (step.kind == sim::ScriptStep::Config) {
      Configure(host);
    } else {
      bool takes = false;
      std::string why = o.explain ? explainer.Before(host, step.input, &takes) : std::string();
      const size_t givenUp = TransformsGivenUp();
      auto answer = host.Input(step.input);
      if (!why.empty()) {
        if ((answer != 0) != takes) why += " (yet the plug-in answered " + std::to_string(answer) + ")";
        std::cerr << why << "\n";
      }
      if (o.explain) {
        const std::string copied = explainer.After(host);
        if (!copied.empty()) std::cerr << copied << "\n";
        if (TransformsGivenUp() != givenUp)
          std::cerr << "a transformation's expression ran past the engine's limits: the engine gave up, and the value "
                       "is typed untransformed\n";
      }
    }
  }
  host.Stop();
  folder.Remove();

  SetBinaryOutput();
  std::string out = FinalText(host);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  if (o.showDialogs)
    for (const auto &call : host.dialogCalls)
      for (const std::string &line : call.layout) std::cerr << line << "\n";
  std::vector<std::string> faults = HostFaults(host);
  for (const std::string &f : faults) std::cerr << "vorlane play: " << f << "\n";
  std::cerr << "cursor " << host.curLine + 1 << ":" << host.curPos + 1 << "\n";
  return faults.empty() ? 0 : 3;
}

}  // namespace

int RunPlay(int argc, char **argv) {
  std::string file, name, macros, keys, lng, pluginPath, dialog, hostName = "1.x";
  bool haveName = false, haveKeys = false, trace = false, explain = false, showDialogs = false;
  std::string clipboard;
  std::vector<std::string> replacements, saveAs;
  std::vector<ConfigAnswer> configs;
  std::vector<std::pair<std::string, std::string>> textSettings, numberSettings;
  std::string profileMacros;
  bool unreadableSave = false, far3Only = false;
  int selectKind = 0, selLine1 = 0, selCol1 = 0, selLine2 = 0, selCol2 = 0;
  int atLine = 1, atCol = 1;
  sim::Settings settings;

  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string *out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      std::cout << PlayUsage << sim::KeyNotationHelp;
      return 0;
    } else if (arg == "--name") {
      if (!value(&name)) return Usage("option --name needs a value");
      haveName = true;
    } else if (arg == "--macros") {
      if (!value(&macros)) return Usage("option --macros needs a value");
    } else if (arg == "--profile-macros") {
      if (!value(&profileMacros)) return Usage("option --profile-macros needs a value");
      far3Only = true;
    } else if (arg == "--setting" || arg == "--setting-number") {
      size_t eq;
      if (!value(&v) || (eq = v.find('=')) == std::string::npos || eq == 0)
        return Usage("option " + arg + " needs NAME=VALUE");
      std::string number = v.substr(eq + 1);
      if (arg == "--setting-number") {
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
          return Usage("option --setting-number needs NAME=N with N a number");
        numberSettings.push_back({v.substr(0, eq), number});
      } else {
        textSettings.push_back({v.substr(0, eq), number});
      }
      far3Only = true;
    } else if (arg == "--config") {
      ConfigAnswer answer;
      if (!value(&v) || !ParseConfigAnswer(v, &answer))
        return Usage("option --config needs ok, cancel or esc, then ,macros=on|off ,braces=on|off "
                     ",tab=on|off ,fields=on|off ,indent=on|off ,cases=on|off ,paste=on|off ,blank=on|off "
                     ",masks=TEXT");
      configs.push_back(answer);
      far3Only = true;
    } else if (arg == "--save-as") {
      if (!value(&v)) return Usage("option --save-as needs a value");
      saveAs.push_back(v);
      far3Only = true;
    } else if (arg == "--unreadable-save") {
      unreadableSave = true;
      far3Only = true;
    } else if (arg == "--replace-macros") {
      if (!value(&v)) return Usage("option --replace-macros needs a value");
      replacements.push_back(v);
    } else if (arg == "--select" || arg == "--select-column") {
      int l1 = 0, c1 = 0, l2 = 0, c2 = 0;
      if (!value(&v) || std::sscanf(v.c_str(), "%d:%d-%d:%d", &l1, &c1, &l2, &c2) != 4 || l1 < 1 || c1 < 1 ||
          l2 < l1 || c2 < 1)
        return Usage("malformed " + arg + " '" + v + "': expected LINE:COL-LINE:COL, 1-based");
      selectKind = arg == "--select" ? 1 : 2;
      selLine1 = l1, selCol1 = c1, selLine2 = l2, selCol2 = c2;
    } else if (arg == "--at") {
      if (!value(&v)) return Usage("option --at needs a value");
      size_t colon = v.find(':');
      if (colon == std::string::npos || !ParseInt(v.substr(0, colon), &atLine) ||
          !ParseInt(v.substr(colon + 1), &atCol) || atLine < 1 || atCol < 1)
        return Usage("malformed --at '" + v + "' (argument " + std::to_string(i + 1) +
                     "): expected LINE:COL, both 1 or more");
    } else if (arg == "--keys") {
      if (!value(&keys)) return Usage("option --keys needs a value");
      haveKeys = true;
    } else if (arg == "--keys-file") {
      if (!value(&v)) return Usage("option --keys-file needs a value");
      if (!ReadFile(v, &keys)) {
        std::cerr << "vorlane play: cannot read keys file '" << v << "'\n";
        return 1;
      }
      haveKeys = true;
    } else if (arg == "--dialog") {
      if (!value(&dialog)) return Usage("option --dialog needs a value");
    } else if (arg == "--lng") {
      if (!value(&lng)) return Usage("option --lng needs a value");
    } else if (arg == "--plugin") {
      if (!value(&pluginPath)) return Usage("option --plugin needs a value");
    } else if (arg == "--auto-indent") {
      settings.autoIndent = true;
    } else if (arg == "--expand-tabs") {
      settings.expandTabs = true;
    } else if (arg == "--tab-size") {
      if (!value(&v) || !ParseInt(v, &settings.tabSize) || settings.tabSize < 1 ||
          settings.tabSize > 512)
        return Usage("option --tab-size needs a number from 1 to 512");
    } else if (arg == "--overtype") {
      settings.overtype = true;
    } else if (arg == "--no-cursor-beyond-eol") {
      settings.cursorBeyondEol = false;
    } else if (arg == "--no-reentry") {
      settings.reentry = false;
    } else if (arg == "--persistent-blocks") {
      settings.persistentBlocks = true;
    } else if (arg == "--host") {
      if (!value(&hostName) || (hostName != "1.x" && hostName != "far3"))
        return Usage("option --host needs 1.x or far3");
    } else if (arg == "--trace") {
      trace = true;
    } else if (arg == "--clock") {
      std::string clock;
      Clock parsed;
      if (!value(&clock) || !ParseClock(clock.c_str(), &parsed))
        return Usage("option --clock needs a time as 2026-12-08T10:20:30+01:00");
      SetEnvironment("VORLANE_CLOCK", clock);
    } else if (arg == "--clipboard") {
      if (!value(&clipboard)) return Usage("option --clipboard needs a value");
      // "\n" stands for a line end: an argument is one line of a scenario.
      for (size_t at; (at = clipboard.find("\\n")) != std::string::npos;) clipboard.replace(at, 2, "\n");
    } else if (arg == "--show-dialogs") {
      showDialogs = true;
    } else if (arg == "--explain") {
      explain = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option '" + arg + "' (argument " + std::to_string(i + 1) + ")");
    } else if (file.empty()) {
      file = arg;
    } else {
      return Usage("more than one FILE: '" + arg + "' (argument " + std::to_string(i + 1) + ")");
    }
  }
  if (file.empty()) return Usage("no FILE given");
  (void)haveKeys;

  std::vector<sim::ScriptStep> steps;
  std::string error;
  if (!sim::ParseKeys(keys, &steps, &error, hostName == "far3")) return Usage("--keys: " + error);
  if (hostName != "far3") {
    for (const sim::ScriptStep &step : steps)
      if (step.kind == sim::ScriptStep::Config) return Usage("<Config> needs --host far3");
      else if (step.kind == sim::ScriptStep::MacroMenu || step.kind == sim::ScriptStep::MacroCall ||
               (step.kind == sim::ScriptStep::Menu && step.entry != 1))
        return Usage("<Menu N>, <Plugin.Menu N> and <Plugin.Call TEXT> need --host far3");
    if (far3Only) return Usage("the profile, settings, --config, --save-as and --unreadable-save need --host far3");
  }

  std::vector<int> answers;
  if (!dialog.empty()) {
    std::stringstream ss(dialog);
    std::string item;
    while (std::getline(ss, item, ',')) {
      int a = 0;
      if (!ParseInt(item, &a)) return Usage("malformed --dialog '" + dialog + "'");
      answers.push_back(a);
    }
  }

  std::string text;
  if (!ReadFile(file, &text)) {
    std::cerr << "vorlane play: cannot read '" << file << "'\n";
    return 1;
  }

  PlayOptions o;
  o.selectKind = selectKind;
  o.selLine1 = selLine1, o.selCol1 = selCol1, o.selLine2 = selLine2, o.selCol2 = selCol2;
  o.text = text;
  o.fileName = haveName ? name : file;
  o.macros = macros;
  o.lng = lng;
  o.pluginPath = pluginPath;
  o.answers = answers;
  o.replacements = replacements;
  o.configs = configs;
  o.saveAs = saveAs;
  o.textSettings = textSettings;
  o.numberSettings = numberSettings;
  o.profileMacros = profileMacros;
  o.unreadableSave = unreadableSave;
  o.steps = steps;
  o.atLine = atLine;
  o.atCol = atCol;
  o.settings = settings;
  o.trace = trace;
  o.explain = explain;
  o.showDialogs = showDialogs;
  o.clipboard = clipboard;
  if (hostName == "far3") return Play<sim::Host3>(o);
  return Play<sim::Host>(o);
}
