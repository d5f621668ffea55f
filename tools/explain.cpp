#include "tools/explain.h"

#include "far1/edition.h"
#include "assists/braces.h"
#include "assists/input_filter.h"
#include "macros/fields.h"
#include "macros/macro_file.h"

namespace {

std::string Quoted(const std::string &s) {
  std::string out = "`";
  for (char c : s) out += c == '\t' ? std::string("\\t") : std::string(1, c);
  return out + "`";
}

}  // namespace

void Explainer::SetMacroFile(const std::string &path, const std::string &shownName) {
  macros_ = CheckMacroFile(path).macros;
  shownName_ = shownName;
}

std::string Explainer::Before(const sim::Host &host, const INPUT_RECORD &rec, bool *takes) const {
  *takes = false;
  if (rec.EventType != KEY_EVENT || !rec.Event.KeyEvent.bKeyDown) return std::string();
  const unsigned char c = KeyChar(rec);
  std::string key;
  if (c == ' ') key = "Space";
  else if (c == '}') key = "'}'";
  else if (rec.Event.KeyEvent.wVirtualKeyCode == VK_RETURN) key = "Enter";
  else return std::string();
  key += " at " + std::to_string(host.curLine + 1) + ":" + std::to_string(host.curPos + 1) + ": ";
  if (!IsSourceFileName(host.fileName.c_str()))
    return key + "file name " + Quoted(host.fileName) +
           " does not qualify (extensions: .cpp .c .h .hpp)";
  if (c == ' ') return key + Space(host, takes);
  if (c == '}') return key + CloseBrace(host, takes);
  return key + Enter(host, takes);
}

std::string Explainer::Space(const sim::Host &host, bool *takes) const {
  const std::string &text = host.lines[static_cast<size_t>(host.curLine)].text;
  const int pos = host.curPos;
  if (pos == 0) return "not expanded: the cursor is at the start of the line, with nothing before it";
  if (pos > static_cast<int>(text.size()))
    return "not expanded: the cursor stands past the end of the line";
  if (text[static_cast<size_t>(pos - 1)] == ' ') return "not expanded: a space stands before the cursor";
  if (text.size() >= 4096) return "not expanded: the line is far longer than any macro name";
  char keyword[4096];
  TrimCopy(text.c_str(), keyword, sizeof(keyword));
  std::string word = keyword;
  const MacroEntry *entry = FindMacro(keyword);
  if (entry) {
    *takes = true;
    size_t index = static_cast<size_t>(entry - MacroTable);
    std::string where;
    if (index < macros_.size())
      where = " (line " + std::to_string(macros_[index].line) + " of " + shownName_ + ")";
    return "expanded macro " + Quoted(word) + where;
  }
  if (!word.empty() && word[0] == '\t')
    return "not expanded: the line is indented with a tab, and only spaces are trimmed, so " +
           Quoted(word) + " is not a macro name";
  if (word.find(' ') != std::string::npos || word.find('\t') != std::string::npos)
    return "not expanded: " + Quoted(word) +
           " is not a macro name (the line must hold the keyword alone)";
  if (MacroCount == 0) return "not expanded: there are no macros (no macro file, or none in it)";
  return "not expanded: " + Quoted(word) + " is not a macro name";
}

std::string Explainer::CloseBrace(const sim::Host &host, bool *takes) const {
  const std::string &text = host.lines[static_cast<size_t>(host.curLine)].text;
  if (!IsBlank(text.c_str()))
    return text.find('\t') != std::string::npos && text.find_first_not_of(" \t") == std::string::npos
               ? "not aligned: the line holds a tab, and only a line of spaces counts as blank"
               : "not aligned: the line holds text";
  int depth = 0;
  for (int line = host.curLine - 1; line >= 0; --line) {
    const std::string &t = host.lines[static_cast<size_t>(line)].text;
    int i = FirstNonSpace(t.c_str());
    if (i < 0) continue;
    char first = t[static_cast<size_t>(i)];
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

std::string Explainer::Enter(const sim::Host &host, bool *takes) const {
  const std::string &text = host.lines[static_cast<size_t>(host.curLine)].text;
  const int pos = host.curPos;
  if (pos == 0) return "no Tab: the cursor is at the start of the line";
  if (pos > static_cast<int>(text.size())) return "no Tab: the cursor stands past the end of the line";
  if (text[static_cast<size_t>(pos - 1)] != '{') return "no Tab: no '{' right before the cursor";
  std::string rest = text.substr(static_cast<size_t>(pos));
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
