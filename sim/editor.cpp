#include "sim/editor.h"

#include <algorithm>
#include <cstring>

namespace sim {

namespace {

bool IsKeyDown(const INPUT_RECORD &rec) {
  return rec.EventType == KEY_EVENT && rec.Event.KeyEvent.bKeyDown;
}

}  // namespace

template <class Unit>
typename TextEditor<Unit>::String TextEditor<Unit>::Lit(const char *ascii) {
  String s;
  for (; *ascii; ++ascii) s += static_cast<Unit>(*ascii);
  return s;
}

template <class Unit>
unsigned TextEditor<Unit>::UnitOf(const INPUT_RECORD &rec) {
  // The 1.x host reads the low byte of the character; Far 3 the whole unit.
  const unsigned c = rec.Event.KeyEvent.uChar.UnicodeChar;
  return sizeof(Unit) == 1 ? (c & 0xFF) : c;
}

template <class Unit>
void TextEditor<Unit>::CopyEditorFrom(const TextEditor &other) {
  lines = other.lines;
  clipboard = other.clipboard;
  curLine = other.curLine;
  curPos = other.curPos;
  topLine = other.topLine;
  leftPos = other.leftPos;
  windowX = other.windowX;
  windowY = other.windowY;
  settings = other.settings;
  blockType_ = other.blockType_;
  blockLine1_ = other.blockLine1_;
  blockPos1_ = other.blockPos1_;
  blockLine2_ = other.blockLine2_;
  blockPos2_ = other.blockPos2_;
  rememberedColumn_ = other.rememberedColumn_;
  unclampedColumn_ = other.unclampedColumn_;
  drawnColumn_ = other.drawnColumn_;
}

template <class Unit>
void TextEditor<Unit>::SetText(const String &bytes) {
  lines.clear();
  size_t start = 0;
  for (;;) {
    size_t nl = bytes.find('\n', start);
    if (nl == String::npos) {
      lines.push_back(Line{bytes.substr(start), String()});
      break;
    }
    Line line;
    if (nl > start && bytes[nl - 1] == '\r') {
      line.text = bytes.substr(start, nl - 1 - start);
      line.eol = Lit("\r\n");
    } else {
      line.text = bytes.substr(start, nl - start);
      line.eol = Lit("\n");
    }
    lines.push_back(line);
    start = nl + 1;
  }
  curLine = curPos = topLine = leftPos = 0;
  rememberedColumn_ = drawnColumn_ = 0;
  unclampedColumn_ = -1;
  blockType_ = BlockNone;
}

template <class Unit>
typename TextEditor<Unit>::String TextEditor<Unit>::Text() const {
  String out;
  for (const Line &l : lines) out += l.text + l.eol;
  return out;
}


template <class Unit>
void TextEditor<Unit>::Draw() {
  rememberedColumn_ = unclampedColumn_ >= 0 ? unclampedColumn_ : ScreenColumn(curLine, curPos);
  unclampedColumn_ = -1;
  // Each drawn line is given the cursor's column and, without a cursor beyond
  // the end, clamps it to its own length: the window's bottom line, or the
  // file's last one above it, is drawn last.
  drawnColumn_ = rememberedColumn_;
  if (!settings.cursorBeyondEol) {
    const int last = std::min(topLine + windowY, static_cast<int>(lines.size())) - 1;
    const int length = static_cast<int>(lines[static_cast<size_t>(last)].text.size());
    drawnColumn_ = std::min(drawnColumn_, ScreenColumn(last, length));
  }
  Fix();
}


template <class Unit>
typename TextEditor<Unit>::String TextEditor<Unit>::DefaultEol(int line) const {
  for (int i = line; i >= 0; --i)
    if (!lines[static_cast<size_t>(i)].eol.empty()) return lines[static_cast<size_t>(i)].eol;
  return Lit("\r\n");
}

template <class Unit>
int TextEditor<Unit>::ScreenColumn(int line, int pos) const {
  const String &t = lines[static_cast<size_t>(line)].text;
  int col = 0;
  int n = std::min<int>(pos, static_cast<int>(t.size()));
  if (std::find(t.begin(), t.begin() + n, Unit('\t')) == t.begin() + n) return pos;  // no tab: columns are indexes
  for (int i = 0; i < n; ++i) col = t[static_cast<size_t>(i)] == '\t' ? (col / settings.tabSize + 1) * settings.tabSize : col + 1;
  if (pos > n) col += pos - n;
  return col;
}

template <class Unit>
void TextEditor<Unit>::Fix() {
  if (curLine < 0) curLine = 0;
  if (curLine >= static_cast<int>(lines.size())) curLine = static_cast<int>(lines.size()) - 1;
  if (curPos < 0) curPos = 0;
  int len = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());
  // An editor that redraws only after the user's keys leaves the cursor of a
  // fed Up or Down beyond a short line until then: a character typed there
  // is padded out to it.
  const bool pending = unclampedColumn_ >= 0 && !settings.redrawAfterFedKeys;
  if (!settings.cursorBeyondEol && curPos > len && !pending) curPos = len;
}

template <class Unit>
void TextEditor<Unit>::EnsureVisible() {
  if (curLine < topLine) topLine = curLine;
  if (curLine >= topLine + windowY) topLine = curLine - windowY + 1;
  int col = ScreenColumn(curLine, curPos);
  if (col < leftPos) leftPos = col;
  if (col >= leftPos + windowX) leftPos = col - windowX + 1;
}

template <class Unit>
void TextEditor<Unit>::PadTo(Line &line, int pos) {
  if (static_cast<int>(line.text.size()) < pos) line.text.append(static_cast<size_t>(pos) - line.text.size(), ' ');
}

template <class Unit>
void TextEditor<Unit>::SelectStream(int line1, int pos1, int line2, int pos2) {
  blockType_ = BlockStream;
  blockLine1_ = line1;
  blockPos1_ = pos1;
  blockLine2_ = line2;
  blockPos2_ = pos2;
}

template <class Unit>
void TextEditor<Unit>::SelectColumn(int line1, int col1, int line2, int col2) {
  blockType_ = BlockColumn;
  blockLine1_ = line1;
  blockPos1_ = col1;
  blockLine2_ = line2;
  blockPos2_ = col2;
}

template <class Unit>
bool TextEditor<Unit>::Selected(int n, int *start, int *end) const {
  if (blockType_ == BlockNone || n < blockLine1_ || n > blockLine2_) return false;
  if (blockType_ == BlockStream) {
    *start = n == blockLine1_ ? blockPos1_ : 0;
    *end = n == blockLine2_ ? blockPos2_ : -1;
  } else {
    *start = blockPos1_;
    *end = blockPos2_;
  }
  return true;
}

template <class Unit>
void TextEditor<Unit>::DeleteSelection() {
  if (blockType_ == BlockNone) return;
  int last = static_cast<int>(lines.size()) - 1;
  int l1 = std::min(blockLine1_, last), l2 = std::min(blockLine2_, last);
  if (blockType_ == BlockStream) {
    Line &first = lines[static_cast<size_t>(l1)];
    Line &end = lines[static_cast<size_t>(l2)];
    size_t p1 = std::min<size_t>(static_cast<size_t>(blockPos1_), first.text.size());
    size_t p2 = std::min<size_t>(static_cast<size_t>(blockPos2_), end.text.size());
    String tail = end.text.substr(p2);
    String eol = end.eol;
    first.text = first.text.substr(0, p1) + tail;
    first.eol = eol;
    for (int l = l1 + 1; l <= l2; ++l) {
      lines.erase(lines.begin() + l1 + 1);
      Notify(LineDeleted, l1 + 1);
    }
    Notify(LineChanged, l1);
    // The cursor moves with the text: into the gap when it stood in the
    // block, along with what followed it; elsewhere it stays where it was.
    if (curLine > l2) {
      curLine -= l2 - l1;
    } else if (curLine == l2 && curPos >= static_cast<int>(p2)) {
      curPos = static_cast<int>(p1) + (curPos - static_cast<int>(p2));
      curLine = l1;
    } else if (curLine > l1 || (curLine == l1 && curPos > static_cast<int>(p1))) {
      curLine = l1;
      curPos = static_cast<int>(p1);
    }
  } else {
    for (int l = l1; l <= l2; ++l) {
      String &t = lines[static_cast<size_t>(l)].text;
      size_t a = std::min<size_t>(static_cast<size_t>(blockPos1_), t.size());
      size_t b = std::min<size_t>(static_cast<size_t>(blockPos2_), t.size());
      t.erase(a, b - a);
      Notify(LineChanged, l);
    }
    curLine = l1;
    curPos = blockPos1_;
  }
  blockType_ = BlockNone;
}

template <class Unit>
void TextEditor<Unit>::ShiftSelect(WORD vk) {
  const int fromLine = curLine, fromPos = curPos;
  const int last = static_cast<int>(lines.size()) - 1;
  if (vk == VK_LEFT && curPos > 0) --curPos;
  if (vk == VK_RIGHT) ++curPos;
  if (vk == VK_UP && curLine > 0) curPos = PosAtColumn(--curLine, ScreenColumn(fromLine, fromPos));
  if (vk == VK_DOWN && curLine < last) curPos = PosAtColumn(++curLine, ScreenColumn(fromLine, fromPos));
  // The anchor is the block's other end when the cursor stood at one of its
  // ends, else where the cursor stood.
  int anchorLine = fromLine, anchorPos = fromPos;
  if (blockType_ == BlockStream) {
    if (fromLine == blockLine2_ && fromPos == blockPos2_) {
      anchorLine = blockLine1_;
      anchorPos = blockPos1_;
    } else if (fromLine == blockLine1_ && fromPos == blockPos1_) {
      anchorLine = blockLine2_;
      anchorPos = blockPos2_;
    }
  }
  const bool before = curLine < anchorLine || (curLine == anchorLine && curPos < anchorPos);
  if (curLine == anchorLine && curPos == anchorPos)
    blockType_ = BlockNone;
  else if (before)
    SelectStream(curLine, curPos, anchorLine, anchorPos);
  else
    SelectStream(anchorLine, anchorPos, curLine, curPos);
}

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

template <class Unit>
int TextEditor<Unit>::PosAtColumn(int line, int col) const {
  const String &t = lines[static_cast<size_t>(line)].text;
  int c = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    int next = t[i] == '\t' ? (c / settings.tabSize + 1) * settings.tabSize : c + 1;
    if (col < next) return static_cast<int>(i);
    c = next;
  }
  return static_cast<int>(t.size()) + (col - c);
}

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
  // The cursor keeps its screen column, as Up and Down do.
  const int column = ScreenColumn(curLine, curPos);
  lines.erase(lines.begin() + curLine);
  Notify(LineDeleted, curLine);
  curPos = PosAtColumn(curLine, column);
}

template <class Unit>
void TextEditor<Unit>::Apply(const INPUT_RECORD &rec) {
  if (!IsKeyDown(rec)) return;
  const KEY_EVENT_RECORD &key = rec.Event.KeyEvent;
  const WORD vk = key.wVirtualKeyCode;
  const unsigned c = UnitOf(rec);
  const DWORD mods = key.dwControlKeyState;
  const bool ctrlAlt = (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED |
                                RIGHT_ALT_PRESSED)) != 0;
  const bool shift = (mods & SHIFT_PRESSED) != 0;
  Fix();
  // Only Up and Down leave a column for the next redraw to remember.
  unclampedColumn_ = -1;
  const int last = static_cast<int>(lines.size()) - 1;
  const int len = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());

  // Typing replaces a stream block wherever it is, unless blocks persist; a
  // column block is never replaced by typing.
  const bool replaces = blockType_ == BlockStream && !settings.persistentBlocks;
  const bool keepsBlock = settings.persistentBlocks;
  if ((vk == VK_TAB || c == '\t') && shift && !ctrlAlt && settings.shiftTabMovesBack) {
    // Back to the previous tab stop from the column last drawn; no text changes.
    const int col = drawnColumn_;
    curPos = PosAtColumn(curLine, col > 0 ? (col - 1) / settings.tabSize * settings.tabSize : 0);
  } else if (vk == VK_RETURN || c == '\r') {
    if (ctrlAlt || shift) return;  // the host does other things with these
    if (replaces) DeleteSelection();
    Enter();
  } else if (vk == VK_TAB || c == '\t') {
    if (ctrlAlt) return;
    if (replaces) DeleteSelection();
    if (!settings.overtype) IndentEmptyLine();  // in overtype Tab types nothing
    Tab();
  } else if (shift && !ctrlAlt && (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN)) {
    ShiftSelect(vk);
  } else if (vk == VK_BACK || c == 0x08) {
    if (blockType_ != BlockNone) DeleteSelection();
    else Backspace();
  } else if (vk == VK_DELETE) {
    if (blockType_ != BlockNone) DeleteSelection();
    else Delete();
  } else if (vk == VK_LEFT) {
    if (!keepsBlock) blockType_ = BlockNone;
    if (curPos > 0) {
      --curPos;
    } else if (curLine > 0) {
      --curLine;
      curPos = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());
    }
  } else if (vk == VK_RIGHT) {
    if (!keepsBlock) blockType_ = BlockNone;
    if (settings.cursorBeyondEol || curPos < len) {
      ++curPos;
    } else if (curLine < last) {
      ++curLine;
      curPos = 0;
    }
  } else if (vk == VK_UP || vk == VK_DOWN) {
    if (!keepsBlock) blockType_ = BlockNone;
    const int target = vk == VK_UP ? curLine - 1 : curLine + 1;
    if (target >= 0 && target <= last) {
      // The screen column is kept; without a cursor beyond the end, the one
      // remembered at the last redraw wins when it is further right.
      int col = ScreenColumn(curLine, curPos);
      if (!settings.cursorBeyondEol) col = std::max(col, rememberedColumn_);
      curLine = target;
      curPos = PosAtColumn(curLine, col);
      unclampedColumn_ = col;
    }
  } else if (vk == VK_INSERT && shift && !ctrlAlt) {
    Paste();
  } else if (vk == 'Y' && (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) &&
             !(mods & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED | SHIFT_PRESSED))) {
    DeleteLine();
  } else if (vk == VK_HOME) {
    if (!keepsBlock) blockType_ = BlockNone;
    curPos = 0;
  } else if (vk == VK_END) {
    if (!keepsBlock) blockType_ = BlockNone;
    curPos = len;
  } else if (c >= 0x20 && !ctrlAlt) {
    if (replaces) DeleteSelection();
    IndentEmptyLine();
    InsertText(String(1, static_cast<Unit>(c)));
  }
  Fix();
  EnsureVisible();
}

template class TextEditor<char>;
template class TextEditor<char16_t>;

}  // namespace sim
