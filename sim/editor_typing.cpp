// The stand-in editor's keys that change text: typing, Enter with auto
// indent, Tab, Backspace, Del, paste and Ctrl+Y.
#include "sim/editor.h"

#include <algorithm>

namespace sim {

template <class Unit>
void TextEditor<Unit>::InsertText(const String &s) {
  Line &line = lines[static_cast<size_t>(curLine)];
  PadTo(line, curPos);
  size_t pos = static_cast<size_t>(curPos);
  // A block kept through typing (persistent blocks) moves with its text.
  if (blockType_ == BlockStream && !settings.overtype) {
    const int n = static_cast<int>(s.size());
    if (curLine == blockLine1_ && curPos < blockPos1_) blockPos1_ += n;
    if (curLine == blockLine2_ && curPos < blockPos2_) blockPos2_ += n;
  }
  if (settings.overtype && pos < line.text.size())
    line.text.replace(pos, std::min(s.size(), line.text.size() - pos), s);
  else
    line.text.insert(pos, s);
  curPos += static_cast<int>(s.size());
  Notify(LineChanged, curLine);
}

namespace {
template <class Unit>
bool IsBlank(Unit c) { return c == ' ' || c == '\t'; }
}  // namespace

// Enter as the host's editor does it, auto indent included: the indent comes
// from the whole current line or the nearest non-blank line above, and is
// typed into the new line key by key so that tab expansion applies.
template <class Unit>
void TextEditor<Unit>::Enter() {
  Line &line = lines[static_cast<size_t>(curLine)];
  const int len = static_cast<int>(line.text.size());
  const bool atEnd = curPos >= len;

  int indent = 0;
  bool sourced = false;  // a line with a non-blank character gives the indent
  String sourceBlanks;
  if (settings.autoIndent) {
    for (int l = curLine; l >= 0; --l) {
      const String &t = lines[static_cast<size_t>(l)].text;
      size_t i = 0;
      while (i < t.size() && IsBlank(t[i])) ++i;
      if (i == t.size()) continue;
      indent = ScreenColumn(l, static_cast<int>(i));
      sourceBlanks = t.substr(0, i);
      sourced = true;
      break;
    }
  }
  const bool indenting = indent > 0;
  bool onlyBlanks = atEnd;
  if (!atEnd) {
    onlyBlanks = true;
    for (int i = 0; i < curPos; ++i) onlyBlanks = onlyBlanks && IsBlank(line.text[static_cast<size_t>(i)]);
  }

  size_t pos = std::min<size_t>(static_cast<size_t>(curPos), line.text.size());
  Line next{line.text.substr(pos), line.eol};
  line.text.erase(pos);
  if (line.eol.empty()) line.eol = DefaultEol(curLine);
  // A split whose moved part is all blanks trims the part that stays, even
  // when the indent is 0.
  if (sourced && !atEnd && next.text.find_first_not_of(Lit(" \t")) == String::npos) {
    size_t keep = line.text.find_last_not_of(Lit(" \t"));
    line.text.erase(keep == String::npos ? 0 : keep + 1);
  }
  // Reported as the host does: the new line first, then the split.
  lines.insert(lines.begin() + curLine + 1, next);
  Notify(LineAdded, curLine + 1);
  if (!atEnd) Notify(LineChanged, curLine);
  Notify(LineChanged, curLine + 1);
  ++curLine;
  curPos = 0;
  if (!indenting) return;

  const int original = indent;
  if (onlyBlanks) {
    size_t b = 0;
    const String &t = lines[static_cast<size_t>(curLine)].text;
    while (b < t.size() && IsBlank(t[b])) ++b;
    indent -= ScreenColumn(curLine, static_cast<int>(b));
  }
  if (indent > 0) {
    if (!lines[static_cast<size_t>(curLine)].text.empty() || !settings.cursorBeyondEol) {
      // The indent is typed after a redraw, and reported as one change.
      MidRedraw();
      ++quiet_;
      const bool overtype = settings.overtype;
      settings.overtype = false;
      for (size_t i = 0; ScreenColumn(curLine, curPos) < indent; ++i) {
        if (i < sourceBlanks.size() && sourceBlanks[i] == '\t')
          Tab();
        else
          InsertText(Lit(" "));
      }
      while (ScreenColumn(curLine, curPos) > indent) Backspace();
      settings.overtype = overtype;
      --quiet_;
      Notify(LineChanged, curLine);
    }
    curPos = PosAtColumn(curLine, indent);
  }
  if (onlyBlanks) {
    const String &t = lines[static_cast<size_t>(curLine)].text;
    size_t f = t.find_first_not_of(Lit(" \t"));
    if (f != String::npos) {
      int col = std::min(ScreenColumn(curLine, static_cast<int>(f)), original);
      if (col > ScreenColumn(curLine, curPos)) curPos = PosAtColumn(curLine, col);
    }
  }
}

template <class Unit>
void TextEditor<Unit>::Tab() {
  int col = ScreenColumn(curLine, curPos);
  int stop = (col / settings.tabSize + 1) * settings.tabSize;
  if (settings.overtype) {
    // Only moves the cursor to the next tab stop.
    const String &t = lines[static_cast<size_t>(curLine)].text;
    int pos = curPos;
    while (ScreenColumn(curLine, pos) < stop) {
      if (pos >= static_cast<int>(t.size())) {
        pos += stop - ScreenColumn(curLine, pos);
        break;
      }
      ++pos;
    }
    curPos = pos;
    return;
  }
  if (settings.expandTabs) {
    PadTo(lines[static_cast<size_t>(curLine)], curPos);
    InsertText(String(static_cast<size_t>(stop - col), Unit(' ')));
  } else {
    InsertText(Lit("\t"));
  }
}

template <class Unit>
void TextEditor<Unit>::IndentEmptyLine() {
  if (curPos == 0 || !lines[static_cast<size_t>(curLine)].text.empty()) return;
  int above = curLine - 1;
  while (above >= 0 && lines[static_cast<size_t>(above)].text.empty()) --above;
  if (above < 0) return;
  const String &source = lines[static_cast<size_t>(above)].text;
  const int column = ScreenColumn(curLine, curPos);
  // The blanks are typed as the editor types them, tab expansion included;
  // the key that follows reports the change.
  const bool overtype = settings.overtype;
  settings.overtype = false;
  ++quiet_;
  curPos = 0;
  for (size_t i = 0; i < source.size() && IsBlank(source[i]); ++i) {
    if (ScreenColumn(curLine, curPos) >= column) break;
    if (source[i] == '\t')
      Tab();
    else
      InsertText(Lit(" "));
    if (ScreenColumn(curLine, curPos) > column) {
      while (ScreenColumn(curLine, curPos) > column) Backspace();
      while (ScreenColumn(curLine, curPos) < column) InsertText(Lit(" "));
      break;
    }
  }
  settings.overtype = overtype;
  --quiet_;
  curPos = PosAtColumn(curLine, column);
}

template <class Unit>
void TextEditor<Unit>::Backspace() {
  Line &line = lines[static_cast<size_t>(curLine)];
  if (curPos > static_cast<int>(line.text.size())) {
    --curPos;
    Notify(LineChanged, curLine);  // the host reports it, though the text stays
    return;
  }
  if (curPos > 0) {
    line.text.erase(static_cast<size_t>(curPos - 1), 1);
    --curPos;
    Notify(LineChanged, curLine);
    return;
  }
  if (curLine == 0) return;
  Line &above = lines[static_cast<size_t>(curLine - 1)];
  curPos = static_cast<int>(above.text.size());
  above.text += line.text;
  above.eol = line.eol;
  lines.erase(lines.begin() + curLine);
  Notify(LineDeleted, curLine);
  --curLine;
  Notify(LineChanged, curLine);
}

template <class Unit>
void TextEditor<Unit>::Delete() {
  Line &line = lines[static_cast<size_t>(curLine)];
  if (curPos < static_cast<int>(line.text.size())) {
    line.text.erase(static_cast<size_t>(curPos), 1);
    Notify(LineChanged, curLine);
    return;
  }
  if (curLine + 1 >= static_cast<int>(lines.size())) return;
  PadTo(line, curPos);
  Line &below = lines[static_cast<size_t>(curLine + 1)];
  line.text += below.text;
  line.eol = below.eol;
  lines.erase(lines.begin() + curLine + 1);
  Notify(LineDeleted, curLine + 1);
  Notify(LineChanged, curLine);
}

template <class Unit>
void TextEditor<Unit>::Paste() {
  if (clipboard.empty()) return;
  DeleteSelection();
  const bool autoIndent = settings.autoIndent, overtype = settings.overtype;
  settings.autoIndent = settings.overtype = false;
  String run;
  for (Unit c : clipboard) {
    if (c == '\r') continue;
    if (c != '\n') {
      run += c;
      continue;
    }
    if (!run.empty()) InsertText(run);
    run.clear();
    Enter();
  }
  if (!run.empty()) InsertText(run);
  settings.autoIndent = autoIndent;
  settings.overtype = overtype;
}

template <class Unit>
void TextEditor<Unit>::DeleteLine() {
  blockType_ = BlockNone;
  if (curLine + 1 >= static_cast<int>(lines.size())) {
    // The last line is never removed, only emptied.
    if (lines[static_cast<size_t>(curLine)].text.empty()) return;
    lines[static_cast<size_t>(curLine)].text.clear();
    curPos = 0;
    Notify(LineChanged, curLine);
    return;
  }
  // The cursor keeps its screen column, and the editor the column it
  // remembers for Up and Down, as those keys do.
  const int column = ScreenColumn(curLine, curPos);
  lines.erase(lines.begin() + curLine);
  Notify(LineDeleted, curLine);
  curPos = PosAtColumn(curLine, column);
  // Shown and reported on the shorter line at once, unlike a fed Up or Down.
  const int len = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());
  if (!settings.cursorBeyondEol && curPos > len) curPos = len;
  unclampedColumn_ = std::max(column, settings.cursorBeyondEol ? 0 : rememberedColumn_);
}

template void TextEditor<char>::InsertText(const String &);
template void TextEditor<char16_t>::InsertText(const String &);
template void TextEditor<char>::Enter();
template void TextEditor<char16_t>::Enter();
template void TextEditor<char>::Tab();
template void TextEditor<char16_t>::Tab();
template void TextEditor<char>::IndentEmptyLine();
template void TextEditor<char16_t>::IndentEmptyLine();
template void TextEditor<char>::Backspace();
template void TextEditor<char16_t>::Backspace();
template void TextEditor<char>::Delete();
template void TextEditor<char16_t>::Delete();
template void TextEditor<char>::Paste();
template void TextEditor<char16_t>::Paste();
template void TextEditor<char>::DeleteLine();
template void TextEditor<char16_t>::DeleteLine();

}  // namespace sim
