#include "sim/editor.h"

#include <algorithm>
#include <cstring>

namespace sim {

bool IsModifierKey(const INPUT_RECORD &rec) {
  const WORD vk = rec.Event.KeyEvent.wVirtualKeyCode;
  return rec.EventType == KEY_EVENT && (vk == 0x10 || vk == 0x11 || vk == 0x12);
}

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
  // A plain loop over the units: asked on every key, it must stay linear and
  // quick in the unoptimized test builds too.
  const Unit *units = t.data();
  int i = 0;
  while (i < n && units[i] != '\t') ++i;
  if (i == n) return pos;  // no tab: columns are indexes
  for (i = 0; i < n; ++i) col = units[i] == '\t' ? (col / settings.tabSize + 1) * settings.tabSize : col + 1;
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

template <class Unit>
void TextEditor<Unit>::Apply(const INPUT_RECORD &rec) {
  if (!IsKeyDown(rec)) return;
  const KEY_EVENT_RECORD &key = rec.Event.KeyEvent;
  const WORD vk = key.wVirtualKeyCode;
  if (IsModifierKey(rec)) return;  // Shift, Ctrl or Alt pressed alone
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
  } else if ((vk == VK_INSERT && shift && !ctrlAlt) ||
             (vk == 'V' && (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) &&
              !(mods & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED | SHIFT_PRESSED)))) {
    // Shift+Ins and Ctrl+V paste alike.
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
