// Benchmarks against the stand-in host, each beside the baseline it is judged
// by; scripts/bench turns the medians into the ratios of the summary.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include "far1/edition.h"
#include "assists/indent/reindent.h"
#include "keys/input_filter.h"
#include "snippets/expand.h"
#include "macros/macro_file.h"
#include "far1/plugin.h"
#include "macros/transform.h"
#include "far3/edition.h"
#include "sim/far1/stand_in.h"
#include "sim/far3/stand_in.h"
#include "sim/keys.h"

namespace {

// The run's folder, removed with everything in it when the program ends.
struct BenchFolder {
  std::string path;
  ~BenchFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

std::string Dir() {
  static BenchFolder folder;
  if (folder.path.empty()) {
    const char *tmp = std::getenv("TMPDIR");
    folder.path = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/vorlane-bench-" + std::to_string(getpid());
    mkdir(folder.path.c_str(), 0700);
  }
  return folder.path;
}

void Write(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A plug-in session on `text` with `macros` as its macro file.
struct Session {
  Session(const std::string &text, const std::string &macros, bool withPlugin = true)
      : host(withPlugin ? LinkedPlugin() : PluginApi()) {
    Write(Dir() + "/vorlane.mac", macros);
    host.SetText(text);
    host.fileName = "bench.cpp";
    host.Start(Dir() + "/vorlane.dll");
  }
  sim::Host host;
};

// The same through the Far 3 edition; unless `indentation`, with C/C++
// indentation switched off, so that Enter and '}' keep the brace rules that
// both editions share.
struct Session3 {
  Session3(const std::string &text, const std::string &macros, bool indentation = false)
      : host(LinkedPlugin3()) {
    Write(Dir() + "/vorlane.mac", macros);
    host.SetTextUtf8(text);
    host.fileName = u"bench.cpp";
    if (!indentation) {
      sim::StoredSetting off;
      off.type = far3::FST_QWORD;
      off.number = 0;
      host.settingsStore[u"Indentation"] = off;
    }
    host.Start(Dir() + "/vorlane.dll");
  }
  sim::Host3 host;
};

int WINAPI EmptyFilter(const INPUT_RECORD *) { return 0; }
intptr_t WINAPI EmptyFilter3(const far3::ProcessEditorInputInfo *) { return 0; }

std::vector<INPUT_RECORD> OrdinaryEvents() {
  std::vector<INPUT_RECORD> events;
  for (char c : std::string("abcdefghijklmnopqrstuvwxyz;(),.=+"))
    events.push_back(sim::KeyRecord(sim::VirtualKeyOf(c), c, 0, true));
  events.push_back(sim::KeyRecord(VK_TAB, '\t', 0, true));  // no field stop waits
  for (char c : std::string(" }x"))
    events.push_back(sim::KeyRecord(sim::VirtualKeyOf(c), c, 0, false));  // releases
  INPUT_RECORD mouse;
  std::memset(&mouse, 0, sizeof(mouse));
  mouse.EventType = MOUSE_EVENT;
  events.push_back(mouse);
  return events;
}

template <int (*Filter)(const INPUT_RECORD *)>
void OrdinaryKeys(benchmark::State &state) {
  Session s("x\n", "");
  std::vector<INPUT_RECORD> events = OrdinaryEvents();
  int (*volatile filter)(const INPUT_RECORD *) = Filter;  // called the same way
  size_t i = 0;
  s.host.journal.clear();
  for (auto _ : state) {
    benchmark::DoNotOptimize(filter(&events[i]));
    if (++i == events.size()) i = 0;
  }
  state.counters["host_commands"] = static_cast<double>(s.host.journal.size());
}
void BM_OrdinaryKeys_Plugin(benchmark::State &state) { OrdinaryKeys<&ProcessEditorInput>(state); }
void BM_OrdinaryKeys_EmptyFunction(benchmark::State &state) { OrdinaryKeys<&EmptyFilter>(state); }
BENCHMARK(BM_OrdinaryKeys_Plugin);
BENCHMARK(BM_OrdinaryKeys_EmptyFunction);

// Far 3 hands the record inside a ProcessEditorInputInfo.
template <intptr_t (*Filter)(const far3::ProcessEditorInputInfo *)>
void OrdinaryKeys3(benchmark::State &state) {
  Session3 s("x\n", "");
  std::vector<far3::ProcessEditorInputInfo> events;
  for (const INPUT_RECORD &r : OrdinaryEvents()) {
    far3::ProcessEditorInputInfo info;
    std::memset(&info, 0, sizeof(info));
    info.StructSize = sizeof(info);
    info.Rec = r;
    events.push_back(info);
  }
  intptr_t (*volatile filter)(const far3::ProcessEditorInputInfo *) = Filter;
  size_t i = 0;
  s.host.journal.clear();
  for (auto _ : state) {
    benchmark::DoNotOptimize(filter(&events[i]));
    if (++i == events.size()) i = 0;
  }
  state.counters["host_commands"] = static_cast<double>(s.host.journal.size());
}
void BM_OrdinaryKeys_Far3(benchmark::State &state) { OrdinaryKeys3<&ProcessEditorInputW>(state); }
void BM_OrdinaryKeys_Far3EmptyFunction(benchmark::State &state) { OrdinaryKeys3<&EmptyFilter3>(state); }
BENCHMARK(BM_OrdinaryKeys_Far3);
BENCHMARK(BM_OrdinaryKeys_Far3EmptyFunction);

// One trigger key of each kind, in each edition: the host commands it costs
// (fed keys counted once, as their ECTL_PROCESSINPUT).
const char TriggerMacros[] = "Macro if \"sp ( ) left\"\n";
struct Trigger {
  const char *text;
  int line, pos;
  char key;  // ' ', '}' or '\r'
};
const Trigger Triggers[] = {{"if\n", 0, 2, ' '}, {"{\n  x;\n  \n", 2, 2, '}'}, {"int f() {\n", 0, 9, '\r'}};

INPUT_RECORD TriggerKey(char key) {
  return key == '\r' ? sim::KeyRecord(VK_RETURN, '\r', 0, true) : sim::KeyRecord(sim::VirtualKeyOf(key), key, 0, true);
}

void Reset(sim::Host &host, const std::string &text) { host.SetText(text); }
void Reset(sim::Host3 &host, const std::string &text) { host.SetTextUtf8(text); }

template <class S>
void TriggerKeys(benchmark::State &state) {
  const Trigger &t = Triggers[state.range(0)];
  S s(t.text, TriggerMacros);
  const INPUT_RECORD key = TriggerKey(t.key);
  size_t commands = 0, redraws = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Reset(s.host, t.text);
    s.host.curLine = t.line;
    s.host.curPos = t.pos;
    s.host.journal.clear();
    state.ResumeTiming();
    s.host.Input(key);
    commands = 0;
    redraws = 0;
    for (const auto &c : s.host.journal) {
      if (c.depth != 1) continue;
      ++commands;
      if (c.code == 9) ++redraws;
    }
  }
  state.counters["host_commands"] = static_cast<double>(commands);
  state.counters["redraws"] = static_cast<double>(redraws);
}
void BM_Trigger_Far1(benchmark::State &state) { TriggerKeys<Session>(state); }
void BM_Trigger_Far3(benchmark::State &state) { TriggerKeys<Session3>(state); }
BENCHMARK(BM_Trigger_Far1)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Trigger_Far3)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Far 3 field stops: a Tab that moves to the next stop, and a character typed
// on a line holding a stop (its change event noted, the line read at the
// redraw). The host commands of the key's whole handling are counted.
// The template words: a key typed into a stop with two mirrors (one on its
// line, one below), and a Tab onto a stop whose default it selects.
const char FieldMacros[] =
    "Macro fr \"sp ( field ; sp field ) field\"\n"
    "Macro mi \"sp field1 sp = sp field1 ; en field1 ;\"\n"
    "Macro df \"sp ( field , sp from n field ) field\"\n";
void FieldKey(benchmark::State &state, const INPUT_RECORD &key, const char *keyword = "fr") {
  Session3 s("fr\n", FieldMacros);
  const std::string line = std::string(keyword) + "\n";
  size_t commands = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.SetTextUtf8(line);
    s.host.curLine = 0;
    s.host.curPos = 2;
    s.host.Input(sim::KeyRecord(VK_SPACE, ' ', 0, true));
    s.host.journal.clear();
    state.ResumeTiming();
    s.host.Input(key);
    commands = s.host.journal.size();
  }
  state.counters["host_commands"] = static_cast<double>(commands);
}
void BM_FieldTab_Far3(benchmark::State &state) { FieldKey(state, sim::KeyRecord(VK_TAB, '\t', 0, true)); }
void BM_FieldTracking_Far3(benchmark::State &state) { FieldKey(state, sim::KeyRecord('A', 'a', 0, true)); }
void BM_FieldMirrorKey_Far3(benchmark::State &state) { FieldKey(state, sim::KeyRecord('A', 'a', 0, true), "mi"); }
void BM_FieldTabDefault_Far3(benchmark::State &state) { FieldKey(state, sim::KeyRecord(VK_TAB, '\t', 0, true), "df"); }
BENCHMARK(BM_FieldTab_Far3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FieldTracking_Far3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FieldMirrorKey_Far3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FieldTabDefault_Far3)->Unit(benchmark::kMicrosecond);

// A value of N units (the clipboard's text, as a body's word types it) going
// into the line: the time of the whole key, which must grow with N, not N².
void BM_LongValue_Far3(benchmark::State &state) {
  Session3 s("lt\n", "Macro lt \"clipboard\"\n");
  s.host.clipboard = std::u16string(static_cast<size_t>(state.range(0)), u'a');
  size_t commands = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.SetTextUtf8("lt\n");
    s.host.curLine = 0;
    s.host.curPos = 2;
    s.host.journal.clear();
    state.ResumeTiming();
    s.host.Input(sim::KeyRecord(VK_SPACE, ' ', 0, true));
    commands = s.host.journal.size();
  }
  state.counters["host_commands"] = static_cast<double>(commands);
}
BENCHMARK(BM_LongValue_Far3)->Arg(20000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);

// A real C++ source from the compiler's own headers, typed key by key.
std::vector<INPUT_RECORD> SourceKeys(size_t *lines) {
  std::string text = Read("/usr/include/c++/12/bits/stl_algo.h");
  if (text.empty()) {
    for (int i = 0; i < 4000; ++i)
      text += i % 10 == 0 ? "int f" + std::to_string(i) + "() {\n" : i % 10 == 9 ? "}\n" : "    x = x + 1;\n";
  }
  std::vector<INPUT_RECORD> keys;
  *lines = 0;
  for (char c : text) {
    if (c == '\n') {
      ++*lines;
      keys.push_back(sim::KeyRecord(VK_RETURN, '\r', 0, true));
    } else {
      keys.push_back(sim::KeyRecord(sim::VirtualKeyOf(c), static_cast<unsigned char>(c), 0, true));
    }
    keys.push_back(sim::KeyRecord(keys.back().Event.KeyEvent.wVirtualKeyCode, 0, 0, false));
  }
  return keys;
}

void TypeFile(benchmark::State &state, bool withPlugin) {
  size_t lines = 0;
  std::vector<INPUT_RECORD> keys = SourceKeys(&lines);
  std::string macros = Read(std::string(VORLANE_SOURCE_DIR) + "/package/vorlane.mac");
  for (auto _ : state) {
    state.PauseTiming();
    {
      Session s("", macros, withPlugin);
      s.host.record = false;
      state.ResumeTiming();
      for (const INPUT_RECORD &k : keys) s.host.Input(k);
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["events"] = static_cast<double>(keys.size());
}
void BM_TypeFile_Plugin(benchmark::State &state) { TypeFile(state, true); }
void BM_TypeFile_EditorAlone(benchmark::State &state) { TypeFile(state, false); }
BENCHMARK(BM_TypeFile_Plugin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeFile_EditorAlone)->Unit(benchmark::kMillisecond);

std::string MacroFile(int lines) {
  std::string path = Dir() + "/m" + std::to_string(lines) + ".mac";
  std::string text;
  for (int i = 0; i < lines; ++i) text += "Macro kw" + std::to_string(i) + " \"sp ( ) left\"\r\n";
  Write(path, text);
  return path;
}

void BM_LoadMacros(benchmark::State &state) {
  std::string path = MacroFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    LoadMacros(path.c_str());
    benchmark::DoNotOptimize(MacroCount);
    FreeMacros();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadMacros)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The plain read: the same file, line by line, through the C library.
void BM_PlainRead(benchmark::State &state) {
  std::string path = MacroFile(static_cast<int>(state.range(0)));
  char line[2048];
  for (auto _ : state) {
    FILE *f = std::fopen(path.c_str(), "rb");
    size_t n = 0;
    while (std::fgets(line, sizeof(line), f)) ++n;
    std::fclose(f);
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_FindMacroMiss(benchmark::State &state) {
  std::string path = MacroFile(10000);
  LoadMacros(path.c_str());
  for (auto _ : state) benchmark::DoNotOptimize(FindMacro("nosuchkeyword"));
  FreeMacros();
}
BENCHMARK(BM_FindMacroMiss)->Unit(benchmark::kMicrosecond);

// The Far 3 edition's lookup for a file: 1 000 macros in one section or in
// ten (each `Files *.cpp`, so each applies); the name asked is the last one,
// in the last section. The host's mask matcher is called for each section
// that defines the name: once.
void BM_FindMacroSections_Far3(benchmark::State &state) {
  const int sections = static_cast<int>(state.range(0));
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    if (i % (1000 / sections) == 0) text += "Files *.cpp\n";
    text += "Macro kw" + std::to_string(i) + " \"sp ( ) left\"\n";
  }
  Session3 s("x\n", text);
  const std::u16string name = u"kw999", file = u"bench.cpp";
  const size_t calls = s.host.processNameCalls;
  for (auto _ : state)
    benchmark::DoNotOptimize(far3::FindMacroFor(reinterpret_cast<const far3::FarChar *>(name.c_str()),
                                                reinterpret_cast<const far3::FarChar *>(file.c_str())));
  state.counters["mask_calls"] =
      static_cast<double>(s.host.processNameCalls - calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FindMacroSections_Far3)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_BraceScan(benchmark::State &state) {
  const int distance = static_cast<int>(state.range(0));
  std::string text = "{\n";
  for (int i = 1; i < distance; ++i) text += "    x;\n";
  text += "    \n";
  Session s(text, "");
  s.host.record = false;  // the journal's growth would be the stand-in's cost
  INPUT_RECORD brace = sim::KeyRecord(0, '}', 0, true);
  size_t commands = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.lines[static_cast<size_t>(distance)].text = "    ";
    s.host.curLine = distance;
    s.host.curPos = 4;
    const size_t before = s.host.commandCount;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ProcessEditorInput(&brace));
    commands = s.host.commandCount - before;
  }
  state.SetItemsProcessed(state.iterations() * distance);
  state.counters["host_commands"] = static_cast<double>(commands);
  state.counters["lines_walked"] = distance;
}
BENCHMARK(BM_BraceScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_BraceScan_Far3(benchmark::State &state) {
  const int distance = static_cast<int>(state.range(0));
  std::string text = "{\n";
  for (int i = 1; i < distance; ++i) text += "    x;\n";
  text += "    \n";
  Session3 s(text, "");
  s.host.record = false;
  far3::ProcessEditorInputInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.Rec = sim::KeyRecord(0, '}', 0, true);
  size_t commands = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.lines[static_cast<size_t>(distance)].text = u"    ";
    s.host.curLine = distance;
    s.host.curPos = 4;
    const size_t before = s.host.commandCount;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ProcessEditorInputW(&info));
    commands = s.host.commandCount - before;
  }
  state.SetItemsProcessed(state.iterations() * distance);
  state.counters["host_commands"] = static_cast<double>(commands);
  state.counters["lines_walked"] = distance;
}
BENCHMARK(BM_BraceScan_Far3)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// C/C++ indentation: Enter at the end of a short function, at the end of a
// 20 000-line one, and behind a line 2 000 parentheses deep.
void BM_IndentEnter_Far3(benchmark::State &state) {
  std::string text;
  if (state.range(0) == 0) {
    text = "int f(int x) {\n  if (x > 0) {\n    g(x,\n      h(x));\n    return 1;\n  }\n  return 0;";
  } else if (state.range(0) == 1) {
    text = "int f() {\n";
    for (int i = 0; i < 20000; ++i) text += "    x;\n";
    text += "    x;";
  } else {
    text = "int g() {\n    y = " + std::string(2000, '(');
  }
  Session3 s(text, "", true);
  s.host.record = false;
  const int last = static_cast<int>(s.host.lines.size()) - 1;
  const std::u16string lastText = s.host.lines[static_cast<size_t>(last)].text;
  far3::ProcessEditorInputInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.Rec = sim::KeyRecord(VK_RETURN, '\r', 0, true);
  size_t commands = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.lines.resize(static_cast<size_t>(last) + 1);
    s.host.lines[static_cast<size_t>(last)].text = lastText;
    s.host.lines[static_cast<size_t>(last)].eol.clear();
    s.host.curLine = last;
    s.host.curPos = static_cast<int>(lastText.size());
    const size_t before = s.host.commandCount;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ProcessEditorInputW(&info));
    commands = s.host.commandCount - before;
  }
  state.counters["host_commands"] = static_cast<double>(commands);
}
BENCHMARK(BM_IndentEnter_Far3)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Re-indenting: a 20 000-line file of functions whose lines stand anywhere,
// by the core alone (as `vorlane indent` runs it) and by the menu's command
// on the whole file selected in the stand-in (a host call per line read and
// written); and a paste of 1 000 lines into a function.
std::string Scrambled(int lines) {
  static const char *const chunk[] = {"int f%d(int a, int b) {", "if (a > b) {", "  return g(a,", "b);",
                                      "}", "      switch (a) {", "case 1:", "    b++;", "break;", "  }",
                                      "for (int i = 0; i < b; ++i)", "h(i);", "return 0;", "}", ""};
  std::string text;
  for (int i = 0; i < lines; ++i) {
    char line[64];
    std::snprintf(line, sizeof(line), chunk[i % 15], i);
    text += line;
    text += '\n';
  }
  return text;
}

void BM_Reindent_Core(benchmark::State &state) {
  const std::string text = Scrambled(static_cast<int>(state.range(0)));
  std::vector<std::u16string> base;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    base.push_back(std::u16string(text.begin() + static_cast<long>(at), text.begin() + static_cast<long>(end)));
    at = end + 1;
  }
  indent::Fallback fallback;
  fallback.totalLines = static_cast<int>(base.size());
  int changed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::u16string> lines = base;
    state.ResumeTiming();
    changed = indent::Reindent<char16_t>(
        [&lines](int n, const char16_t **t, int *len) {
          *t = lines[static_cast<size_t>(n)].c_str();
          *len = static_cast<int>(lines[static_cast<size_t>(n)].size());
        },
        0, static_cast<int>(lines.size()) - 1, fallback,
        [&lines](int n, const char16_t *t, int len) { lines[static_cast<size_t>(n)].assign(t, t + len); });
  }
  state.counters["lines_changed"] = changed;
}
BENCHMARK(BM_Reindent_Core)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ReindentMenu_Far3(benchmark::State &state) {
  const std::string text = Scrambled(static_cast<int>(state.range(0)));
  Session3 s(text, "", true);
  s.host.record = false;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.SetTextUtf8(text);
    s.host.SelectStream(0, 0, static_cast<int>(s.host.lines.size()) - 1, 0);
    state.ResumeTiming();
    s.host.Menu(3);
  }
}
BENCHMARK(BM_ReindentMenu_Far3)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_Paste_Far3(benchmark::State &state) {
  const std::string function = "int f() {\n    if (x) {\n\n    }\n}\n";
  Session3 s(function, "", true);
  s.host.record = false;
  const std::string pasted = Scrambled(static_cast<int>(state.range(0)));
  s.host.clipboard = std::u16string(pasted.begin(), pasted.end());
  far3::ProcessEditorInputInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.Rec = sim::KeyRecord(VK_INSERT, 0, SHIFT_PRESSED, true);
  for (auto _ : state) {
    state.PauseTiming();
    s.host.SetTextUtf8(function);
    s.host.curLine = 2;
    s.host.curPos = 0;
    state.ResumeTiming();
    s.host.Input(info.Rec);
  }
  state.counters["lines"] = static_cast<double>(s.host.lines.size());
}
BENCHMARK(BM_Paste_Far3)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ExpandLongBody(benchmark::State &state) {
  std::string body;
  while (body.size() + 2 <= 511) body += body.size() % 4 == 0 ? "x " : "y ";
  body.pop_back();
  Session s("kw\n", "Macro kw \"" + body + "\"\n");
  s.host.settings.reentry = true;
  for (auto _ : state) {
    state.PauseTiming();
    s.host.lines[0].text = "kw";
    s.host.curLine = 0;
    s.host.curPos = 2;
    s.host.journal.clear();
    state.ResumeTiming();
    benchmark::DoNotOptimize(ExpandKeyword());
  }
  state.counters["body_chars"] = static_cast<double>(body.size());
}
BENCHMARK(BM_ExpandLongBody)->Unit(benchmark::kMicrosecond);

void BM_StartUp(benchmark::State &state) {
  std::string macros = Read(std::string(VORLANE_SOURCE_DIR) + "/package/vorlane.mac");
  Write(Dir() + "/vorlane.mac", macros);
  PluginStartupInfo info;
  std::memset(&info, 0, sizeof(info));
  std::strcpy(info.ModuleName, (Dir() + "/vorlane.dll").c_str());
  for (auto _ : state) {
    SetStartupInfo(&info);
    state.PauseTiming();
    ExitFAR();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMicrosecond);

void BM_StartUp_Far3(benchmark::State &state) {
  std::string macros = Read(std::string(VORLANE_SOURCE_DIR) + "/package/vorlane.mac");
  Write(Dir() + "/vorlane.mac", macros);
  std::u16string module = sim::Utf16(Dir() + "/vorlane.dll");
  far3::PluginStartupInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.ModuleName = reinterpret_cast<const far3::FarChar *>(module.c_str());
  far3::ExitInfo exitInfo{sizeof(far3::ExitInfo), nullptr};
  for (auto _ : state) {
    SetStartupInfoW(&info);
    state.PauseTiming();
    ExitFARW(&exitInfo);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUp_Far3)->Unit(benchmark::kMicrosecond);

// The worst transformations: expressions that backtrack without end or scan
// from every position, on values up to a megabyte. Each must return within
// milliseconds (the engine's limits); the `gave_up` counter says whether it
// gave up (the value typed as it is) or finished.
struct WorstTransform {
  const char *name, *re, *fmt, *opts;
  std::u16string (*value)();
};
std::u16string Repeated(const char16_t *s, size_t units) {
  std::u16string v;
  while (v.size() < units) v += s;
  return v;
}
const WorstTransform kWorst[] = {
    {"nested_star_b_20", "(a*)*b", "x", "", [] { return Repeated(u"a", 20); }},
    {"nested_star_alt_10k", "(a*)*(b|c)", "x", "", [] { return Repeated(u"a", 10000); }},
    {"nested_star_alt_1M", "(a*)*(b|c)", "x", "", [] { return Repeated(u"a", 1 << 20); }},
    {"scan_each_start_10k", "[^x]*(x|y)", "z", "", [] { return Repeated(u"a", 10000); }},
    {"scan_each_start_1M", "[^x]*(x|y)", "z", "", [] { return Repeated(u"a", 1 << 20); }},
    {"words_run_60", "^(\\w+\\s?)*$", "x", "", [] { return Repeated(u"word1 Word2 ", 60) + u"!"; }},
    {"upcase_line_10k", "(.*)", "${1:/upcase}", "", [] { return Repeated(u"a", 10000); }},
    {"upcase_line_1M", "(.*)", "${1:/upcase}", "", [] { return Repeated(u"a", 1 << 20); }},
    {"pascal_words_g_10k", "(\\w+)", "${1:/pascalcase}", "g", [] { return Repeated(u"word1 Word2 ", 10000); }},
    {"pascal_words_g_1M", "(\\w+)", "${1:/pascalcase}", "g", [] { return Repeated(u"word1 Word2 ", 1 << 20); }},
    {"lookbehind_g_1M", "(?<=a)b|a", "x", "g", [] { return Repeated(u"a", 1 << 20); }},
    {"word_boundary_g_1M", "\\b", "-", "g", [] { return Repeated(u"word1 Word2 ", 1 << 20); }},
    {"deep_group_1M", "(.)*", "x", "", [] { return Repeated(u"a", 1 << 20); }},
};
std::u16string Units16(const char *s) { return std::u16string(s, s + std::strlen(s)); }

void BM_TransformWorst(benchmark::State &state) {
  const WorstTransform &w = kWorst[state.range(0)];
  state.SetLabel(w.name);
  const std::u16string re = Units16(w.re), fmt = Units16(w.fmt), opts = Units16(w.opts), value = w.value();
  TransformText t;
  t.regex = re.data();
  t.regexLength = re.size();
  t.format = fmt.data();
  t.formatLength = fmt.size();
  t.options = opts.data();
  t.optionsLength = opts.size();
  const size_t before = TransformsGivenUp();
  for (auto _ : state) {
    size_t n = 0;
    char16_t *out = ApplyTransform(t, value.data(), value.size(), &n);
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
  state.counters["gave_up"] = TransformsGivenUp() != before ? 1 : 0;
}
BENCHMARK(BM_TransformWorst)->DenseRange(0, sizeof(kWorst) / sizeof(kWorst[0]) - 1)->Unit(benchmark::kMillisecond);

// The same load with glibc told to keep freed memory: without the cost of
// mapping and zeroing fresh pages for a table larger than its mapping
// threshold, what remains is the parse. Registered last, as it changes the
// allocator for the rest of the run.
void BM_LoadMacrosResidentHeap(benchmark::State &state) {
  mallopt(M_MMAP_THRESHOLD, 512 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
  BM_LoadMacros(state);
}
BENCHMARK(BM_LoadMacrosResidentHeap)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
