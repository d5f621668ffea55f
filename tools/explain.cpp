#include "tools/explain.h"

#include "assists/indent/assist.h"
#include "assists/text.h"
#include "far1/edition.h"
#include "far3/edition.h"
#include "macros/fields.h"
#include "macros/macro_file.h"

namespace {

std::string Utf8Of(const std::string &bytes) { return bytes; }
std::string Utf8Of(const std::u16string &units) { return sim::Utf8(units); }

std::string Quoted(const std::string &s) {
  std::string out = "`";
  for (char c : s) out += c == '\t' ? std::string("\\t") : std::string(1, c);
  return out + "`";
}

// The macro the plug-in's table holds for a keyword, as an index into it, or
// -1. The Windows tool reaches the plug-ins only through their DLLs and does
// not explain.
#ifdef _WIN32
int MacroIndex(const std::string &, const std::string &) { return -1; }
int MacroIndex(const std::u16string &, const std::u16string &) { return -1; }
int MacroCountOf(bool) { return 0; }
MacroTrigger TriggerAt(bool, int) { return MacroTrigger::Space; }
#else
int MacroIndex(const std::string &keyword, const std::string &) {
  const MacroEntry *entry = FindMacro(keyword.c_str());
  return entry ? static_cast<int>(entry - MacroTable) : -1;
}
int MacroIndex(const std::u16string &keyword, const std::u16string &fileName) {
  std::basic_string<far3::FarChar> wide(keyword.begin(), keyword.end());
  std::basic_string<far3::FarChar> file(fileName.begin(), fileName.end());
  const far3::MacroEntry *entry = far3::FindMacroFor(wide.c_str(), file.c_str());
  return entry ? static_cast<int>(entry - far3::MacroTable) : -1;
}
int MacroCountOf(bool far3) { return far3 ? far3::MacroCount : MacroCount; }
MacroTrigger TriggerAt(bool far3, int index) { return far3 ? far3::MacroTable[index].Trigger : MacroTrigger::Space; }
#endif

// The text from its first unit that is neither a space nor a tab.
template <class String>
String PastBlanks(const String &text) {
  size_t a = 0;
  while (a < text.size() && (text[a] == ' ' || text[a] == '\t')) ++a;
  return text.substr(a);
}

template <class String>
String Trimmed(const String &text) {
  size_t a = text.find_first_not_of(' ');
  if (a == String::npos) return String();
  return text.substr(a, text.find_last_not_of(' ') - a + 1);
}

}  // namespace

void Explainer::SetMacroFile(const std::string &path, const std::string &shownName, bool far3) {
  CheckOptions options;
  options.far3 = far3;
  macros_ = CheckMacroFile(path, options).macros;
  shownName_ = shownName;
}

std::string Explainer::Before(const sim::Host &host, const INPUT_RECORD &rec, bool *takes) const {
  return Explain(host, KeyChar(rec), rec.Event.KeyEvent.wVirtualKeyCode, takes);
}

std::string Explainer::Before(const sim::Host3 &host, const INPUT_RECORD &rec, bool *takes) const {
#ifndef _WIN32
  ends_ = far3::Fields.ends;
#endif
  const KEY_EVENT_RECORD &key = rec.Event.KeyEvent;
  const DWORD mods = SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
  // A release, or Shift pressed alone, is never an assist's key.
  if (rec.EventType == KEY_EVENT && (!key.bKeyDown || sim::IsModifierKey(rec))) return std::string();
#ifndef _WIN32
  far3::Fields.lastCopied = -1;  // After() tells which stop a key copied to its mirrors
#endif
  if (rec.EventType == KEY_EVENT && key.bKeyDown && key.wVirtualKeyCode == VK_TAB &&
      (key.dwControlKeyState & mods) == 0) {
    const std::string stops = FieldTab(host, false, takes);
    return stops.empty() ? TabMacro(host, takes) : stops;
  }
  if (rec.EventType == KEY_EVENT && key.bKeyDown && key.wVirtualKeyCode == VK_TAB &&
      (key.dwControlKeyState & mods) == SHIFT_PRESSED)
    return FieldTab(host, true, takes);
  const unsigned c = far3::KeyChar(rec);
  if (rec.EventType == KEY_EVENT && key.bKeyDown && IndentationOn() &&
      (key.wVirtualKeyCode == VK_RETURN || c == '}' || c == '{' || c == ':' || c == '#' || c == '/' || c == '<'))
    return Indentation(host, rec, takes);
  return Explain(host, c, key.wVirtualKeyCode, takes);
}

// C/C++ indentation (Far 3): the same plan the plug-in makes, from the lines
// the host holds, with the rule that placed the line.
#ifdef _WIN32
bool Explainer::IndentationOn() { return false; }
std::string Explainer::Indentation(const sim::Host3 &, const INPUT_RECORD &, bool *) const {
  return std::string();
}
#else
bool Explainer::IndentationOn() { return far3::ActiveOptions().indentation; }

std::string Explainer::Indentation(const sim::Host3 &host, const INPUT_RECORD &rec, bool *takes) const {
  const KEY_EVENT_RECORD &key = rec.Event.KeyEvent;
  const bool enter = key.wVirtualKeyCode == VK_RETURN;
  const unsigned c = far3::KeyChar(rec);
  std::string what = enter ? "Enter" : "'" + std::string(1, static_cast<char>(c)) + "'";
  what += " at " + std::to_string(host.curLine + 1) + ":" + std::to_string(host.curPos + 1) + ": ";
  std::basic_string<far3::FarChar> wide(host.fileName.begin(), host.fileName.end());
  if (!far3::NameMatchesMasks(wide.c_str())) {
    std::basic_string<far3::FarChar> masks(far3::ActiveOptions().masks);
    return what + "file name " + Quoted(Utf8Of(host.fileName)) + " does not match the file masks " +
           Quoted(sim::Utf8(std::u16string(masks.begin(), masks.end())));
  }
  const DWORD held = SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
  if (enter && (key.dwControlKeyState & held)) return what + "the editor's own: a modifier is held";
  if (host.settings.overtype) return what + "the editor's own: overtype mode";
  if (host.blockType() != sim::BlockNone) return what + "the editor's own: a block is selected";
  indent::Fallback fallback;
  fallback.tabSize = host.settings.tabSize;
  fallback.expandTabs = host.settings.expandTabs;
  fallback.indentCaseLabels = far3::ActiveOptions().indentCaseLabels;
  fallback.totalLines = static_cast<int>(host.lines.size());
  auto getLine = [&host](int line, const char16_t **text, int *n) {
    const std::u16string &t = host.lines[static_cast<size_t>(line)].text;
    *text = t.c_str();
    *n = static_cast<int>(t.size());
  };
  indent::Plan plan;
  if (enter) {
    plan = indent::PlanEnter<char16_t>(getLine, host.curLine, host.curPos, fallback);
  } else {
    char16_t *text = nullptr;
    int cursor = 0;
    plan = indent::PlanElectric<char16_t>(getLine, c, host.curLine, host.curPos, fallback, &text, &cursor);
    std::free(text);
  }
  switch (plan.verdict) {
    case indent::Taken: {
      *takes = true;
      const std::string blanks = plan.tabs ? "tabs" : "spaces";
      return what + (enter ? "the new line starts" : "the line goes") + " at column " +
             std::to_string(plan.place.column + 1) + " (" + blanks + "): " + plan.place.rule;
    }
    case indent::NulInLine: return what + "the editor's own: the line holds a NUL";
    case indent::InLiteral: return what + "the editor's own: the cursor is inside a string or character literal";
    case indent::InCommentText: return what + "the editor's own: the cursor is inside a comment's text";
    case indent::TextAfter: return what + "typed as it is: text follows the cursor";
    case indent::NotBlank: return what + "typed as it is: the line holds text before the cursor";
    case indent::NoLabel: return what + "typed as it is: it ends no case, default, access or goto label that has a place here";
    case indent::NoShift: return what + "typed as it is: it begins no '<<' line below a macro's use";
    case indent::NoCommentRun:
      return what + "typed as it is: it begins no line comment below a line comment at the line's start";
    case indent::InComment: return what + "typed as it is: inside a comment, a literal or a directive";
    case indent::InPlace: return what + "typed as it is: the line already stands at column " +
                                 std::to_string(plan.place.column + 1) + " (" + plan.place.rule + ")";
    case indent::NoMemory: return what + "the editor's own: out of memory";
  }
  return std::string();
}
#endif

// Tab while field stops wait: which waited, and where the cursor goes. The
// stops are as the plug-in last read them, which is after the previous key.
#ifdef _WIN32
std::string Explainer::FieldTab(const sim::Host3 &, bool, bool *) const {
  return std::string();
}

std::string Explainer::After(const sim::Host3 &) const { return std::string(); }
std::string Explainer::TabMacro(const sim::Host3 &, bool *) const {
  return std::string();
}
#else

namespace {

std::string Place(const FieldStops<far3::FarChar> &f, const FieldStops<far3::FarChar>::Stop &s) {
  return std::to_string(f.lines[s.line].number + 1) + ":" + std::to_string(s.pos + 1);
}

std::string StopText(const FieldStops<far3::FarChar> &f, const FieldStops<far3::FarChar>::Stop &s) {
  const far3::FarChar *text = nullptr;
  int length = 0;
  field_stops::StopText(f, s, &text, &length);
  return sim::Utf8(std::u16string(reinterpret_cast<const char16_t *>(text), static_cast<size_t>(length)));
}

}  // namespace

std::string Explainer::FieldTab(const sim::Host3 &host, bool back, bool *takes) const {
  const FieldStops<far3::FarChar> &f = far3::Fields;
  if (!f.waiting || f.editorId != host.editorId) return std::string();
  // The cursor moved out of the stops: they end before the Tab (After() says so).
  if (f.moved && !CursorInAStop(f, host.curLine, host.curPos)) return std::string();
  std::string key = std::string(back ? "Shift+Tab" : "Tab") + " at " + std::to_string(host.curLine + 1) + ":" +
                    std::to_string(host.curPos + 1) + ": ";
  std::string waited;
  int top = -1, bottom = -1, target = -1, last = -1;
  for (int i = 0; i < f.count; ++i) {
    if (f.stops[i].dropped) continue;
    const int line = f.lines[f.stops[i].line].number;
    if (top < 0 || line < top) top = line;
    if (line > bottom) bottom = line;
  }
  for (int k = 0; k < f.visitCount; ++k)
    if (!f.stops[f.visit[k]].dropped) last = f.visit[k];
  // In Tab's order: numbered stops by number, the exit last.
  int at = -1;
  for (int k = 0; k < f.visitCount; ++k)
    if (f.visit[k] == f.current) at = k;
  for (int k = 0; k < f.visitCount; ++k) {
    const int i = f.visit[k];
    const FieldStops<far3::FarChar>::Stop &s = f.stops[i];
    if (s.dropped || s.mirrorOf >= 0) continue;
    if (back ? k < at : k >= f.next) {
      if (back) target = i;
      else if (target < 0) target = i;
    }
    if (k < f.next) continue;
    waited += (waited.empty() ? "" : ", ") + Place(f, s) + (i == last ? " (the last)" : "");
  }
  if (!back && target < 0) return key + "ordinary: no field stop waits";
  if (host.curLine < top || host.curLine > bottom)
    return key + "ordinary: the cursor is outside lines " + std::to_string(top + 1) + " to " +
           std::to_string(bottom + 1) + " of the field stops, which end";
  *takes = true;
  if (back && target < 0) return key + "at the first field stop: nothing happens";
  const FieldStops<far3::FarChar>::Stop &s = f.stops[target];
  const std::string text = StopText(f, s);
  std::string where = std::to_string(f.lines[s.line].number + 1) + ":" + std::to_string(s.end + 1);
  std::string said = back ? key + "back to the field stop at " + Place(f, s) + "; the cursor goes to " + where
                          : key + "field stops waited at " + waited + "; the cursor goes to " + where;
  if (!s.exit && !text.empty()) said += ", selecting '" + text + "' to type over";
  return said;
}

std::string Explainer::After(const sim::Host3 &host) const {
  const FieldStops<far3::FarChar> &f = far3::Fields;
  if (f.ends != ends_ && f.endReason != FieldEndDone) {
    static const char *const why[] = {"", "the cursor moved out of every stop", "a key came in another editor",
                                      "Ctrl+Z took the expansion back",
                                      "an edit the text and the cursor could not place for certain"};
    return std::string("the field stops ended: ") + why[f.endReason];
  }
  if (f.lastCopied < 0 || !f.waiting || f.editorId != host.editorId || f.lastCopied >= f.count) return std::string();
  const FieldStops<far3::FarChar>::Stop &s = f.stops[f.lastCopied];
  std::string mirrors;
  for (int j = 0; j < f.count; ++j)
    if (!f.stops[j].dropped && f.stops[j].mirrorOf == f.lastCopied)
      mirrors += (mirrors.empty() ? "" : ", ") + Place(f, f.stops[j]);
  return "the field stop at " + Place(f, s) + " now holds '" + StopText(f, s) + "': copied to its mirrors at " +
         mirrors;
}
#endif

namespace {

// What decides before the text is looked at: 1.x serves four extensions; Far 3
// asks the user's switches and file masks.
std::string FileAndSwitch(const sim::Host &host, unsigned, const std::string &name) {
  if (!IsSourceFileName(host.fileName.c_str()))
    return "file name " + Quoted(name) + " does not qualify (extensions: .cpp .c .h .hpp)";
  return std::string();
}
#ifdef _WIN32
std::string FileAndSwitch(const sim::Host3 &, unsigned, const std::string &) { return std::string(); }
#else
std::string FileAndSwitch(const sim::Host3 &host, unsigned c, const std::string &name) {
  if (!far3::Edition::AssistOn(AssistOfKey(c))) return "switched off in the configuration";
  const far3::Options &o = far3::ActiveOptions();
  std::basic_string<far3::FarChar> wide(host.fileName.begin(), host.fileName.end());
  if (!far3::NameMatchesMasks(wide.c_str())) {
    std::basic_string<far3::FarChar> masks(o.masks);
    return "file name " + Quoted(name) + " does not match the file masks " +
           Quoted(sim::Utf8(std::u16string(masks.begin(), masks.end())));
  }
  return std::string();
}
#endif

}  // namespace

#ifndef _WIN32
// Tab with no stop waiting, where the macro file has Tab-triggered macros.
std::string Explainer::TabMacro(const sim::Host3 &host, bool *takes) const {
  if (!far3::TabMacros) return std::string();
  const std::string key = "Tab at " + std::to_string(host.curLine + 1) + ":" + std::to_string(host.curPos + 1) + ": ";
  const std::string refused = FileAndSwitch(host, ' ', Utf8Of(host.fileName));
  if (!refused.empty()) return key + refused;
  const std::u16string &text = host.lines[static_cast<size_t>(host.curLine)].text;
  if (host.curPos == 0) return key + "the editor's Tab: nothing stands before the cursor";
  if (host.curPos > static_cast<int>(text.size())) return key + "the editor's Tab: the cursor stands past the end of the line";
  std::basic_string<far3::FarChar> wide(text.begin(), text.end()), file(host.fileName.begin(), host.fileName.end());
  const far3::MacroEntry *entry = far3::FindTabMacroFor(wide.c_str(), host.curPos, file.c_str());
  if (!entry) {
    size_t from = static_cast<size_t>(host.curPos);
    while (from > 0 && WordUnit(text[from - 1])) --from;
    const std::u16string word = text.substr(from, static_cast<size_t>(host.curPos) - from);
    return key + "the editor's Tab: no Tab macro's name ends at the cursor" +
           (word.empty() ? std::string() : " (the word before it is " + Quoted(Utf8Of(word)) + ")");
  }
  *takes = true;
  const size_t index = static_cast<size_t>(entry - far3::MacroTable);
  const std::string name = sim::Utf8(std::u16string(entry->Name, entry->Name + TextLength(entry->Name)));
  std::string where;
  if (index < macros_.size()) where = " (line " + std::to_string(macros_[index].line) + " of " + shownName_ + ")";
  return key + "expanded macro " + Quoted(name) + where;
}
#endif

template <class HostT>
std::string Explainer::Explain(const HostT &host, unsigned c, WORD vk, bool *takes) const {
  std::string key;
  if (c == ' ') key = "Space";
  else if (c == '}') key = "'}'";
  else if (vk == VK_RETURN) key = "Enter";
  else return std::string();
  key += " at " + std::to_string(host.curLine + 1) + ":" + std::to_string(host.curPos + 1) + ": ";
  const std::string name = Utf8Of(host.fileName);
  const std::string refused = FileAndSwitch(host, c, name);
  if (!refused.empty()) return key + refused;
  const auto &text = host.lines[static_cast<size_t>(host.curLine)].text;
  const bool far3 = sizeof(text[0]) == 2;
  if (c == ' ') return key + Space(text, host.curPos, host.fileName, far3, takes);
  if (c == '}') return key + CloseBrace(host, takes);
  return key + Enter(text, host.curPos, takes);
}

template <class String>
std::string Explainer::Space(const String &text, int pos, const String &fileName, bool far3,
                                 bool *takes) const {
  if (pos == 0) return "not expanded: the cursor is at the start of the line, with nothing before it";
  if (pos > static_cast<int>(text.size()))
    return "not expanded: the cursor stands past the end of the line";
  if (text[static_cast<size_t>(pos - 1)] == ' ') return "not expanded: a space stands before the cursor";
  if (text.size() >= 4096) return "not expanded: the line is far longer than any macro name";
  // Far 3 passes over leading tabs as over spaces.
  const String keyword = Trimmed(far3 ? PastBlanks(text) : text);
  const std::string word = Utf8Of(keyword);
  const int index = MacroIndex(keyword, fileName);
  if (index >= 0 && TriggerAt(far3, index) != MacroTrigger::Space)
    return "not expanded: " + Quoted(word) +
           (TriggerAt(far3, index) == MacroTrigger::Tab ? " expands on Tab, not Space"
                                                        : " is only in the list (Insert macro, Plugin.Call)");
  if (index >= 0) {
    *takes = true;
    std::string where;
    if (static_cast<size_t>(index) < macros_.size())
      where = " (line " + std::to_string(macros_[static_cast<size_t>(index)].line) + " of " + shownName_ + ")";
    return "expanded macro " + Quoted(word) + where;
  }
  if (!word.empty() && word[0] == '\t')
    return "not expanded: the line is indented with a tab, and only spaces are trimmed, so " +
           Quoted(word) + " is not a macro name";
  if (word.find(' ') != std::string::npos || word.find('\t') != std::string::npos)
    return "not expanded: " + Quoted(word) +
           " is not a macro name (the line must hold the keyword alone)";
  if (MacroCountOf(far3) == 0) return "not expanded: there are no macros (no macro file, or none in it)";
  return "not expanded: " + Quoted(word) + " is not a macro name";
}

template <class HostT>
std::string Explainer::CloseBrace(const HostT &host, bool *takes) const {
  const auto &text = host.lines[static_cast<size_t>(host.curLine)].text;
  if (!IsBlank(text.c_str())) {
    const std::string t = Utf8Of(text);
    return t.find('\t') != std::string::npos && t.find_first_not_of(" \t") == std::string::npos
               ? "not aligned: the line holds a tab, and only a line of spaces counts as blank"
               : "not aligned: the line holds text";
  }
  int depth = 0;
  for (int line = host.curLine - 1; line >= 0; --line) {
    const auto &t = host.lines[static_cast<size_t>(line)].text;
    int i = FirstNonSpace(t.c_str());
    if (i < 0) continue;
    auto first = t[static_cast<size_t>(i)];
    if (first == '{') {
      if (depth == 0) {
        *takes = true;
        return "aligned under '{' of line " + std::to_string(line + 1);
      }
      --depth;
    } else if (first == '}') {
      ++depth;
    }
  }
  return "not aligned: no '{' above opens this block (only a brace that stands first on its line counts)";
}

template <class String>
std::string Explainer::Enter(const String &text, int pos, bool *takes) const {
  if (pos == 0) return "no Tab: the cursor is at the start of the line";
  if (pos > static_cast<int>(text.size())) return "no Tab: the cursor stands past the end of the line";
  if (text[static_cast<size_t>(pos - 1)] != '{') return "no Tab: no '{' right before the cursor";
  const std::string rest = Utf8Of(text.substr(static_cast<size_t>(pos)));
  if (!IsBlank(rest.c_str())) {
    size_t i = rest.find_first_not_of(' ');
    if (rest[i] == '\t') return "no Tab: a tab follows the '{'";
    if (rest.compare(i, 2, "//") == 0 || rest.compare(i, 2, "/*") == 0)
      return "no Tab: a comment follows the '{'";
    return "no Tab: text follows the '{'";
  }
  *takes = true;
  return "Tab added after the '{'";
}
