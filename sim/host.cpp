#include "sim/host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

Host *Current = nullptr;

int WINAPI EditorControlThunk(int command, void *param) {
  return Current ? Current->EditorControl(command, param) : 0;
}
int WINAPI DialogThunk(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
                       FarDialogItem *items, int count) {
  return Current ? Current->Dialog(module, x1, y1, x2, y2, help, items, count) : -1;
}
const char *WINAPI GetMsgThunk(INT_PTR module, int id) {
  return Current ? Current->GetMsg(module, id) : nullptr;
}

bool IsKeyDown(const INPUT_RECORD &rec) {
  return rec.EventType == KEY_EVENT && rec.Event.KeyEvent.bKeyDown;
}

std::string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "0x%02X", v);
  return buf;
}

}  // namespace

Host::Host(PluginApi plugin) : plugin_(plugin) { lines.push_back(Line()); }

void Host::CopyEditorFrom(const Host &other) {
  lines = other.lines;
  curLine = other.curLine;
  curPos = other.curPos;
  topLine = other.topLine;
  leftPos = other.leftPos;
  windowX = other.windowX;
  windowY = other.windowY;
  settings = other.settings;
  fileName = other.fileName;
  blockType_ = other.blockType_;
  blockLine1_ = other.blockLine1_;
  blockPos1_ = other.blockPos1_;
  blockLine2_ = other.blockLine2_;
  blockPos2_ = other.blockPos2_;
  rememberedColumn_ = other.rememberedColumn_;
  unclampedColumn_ = other.unclampedColumn_;
}

Host::~Host() {
  if (started_) Stop();
  if (Current == this) Current = nullptr;
}

void Host::SetText(const std::string &bytes) {
  lines.clear();
  size_t start = 0;
  for (;;) {
    size_t nl = bytes.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back(Line{bytes.substr(start), ""});
      break;
    }
    Line line;
    if (nl > start && bytes[nl - 1] == '\r') {
      line.text = bytes.substr(start, nl - 1 - start);
      line.eol = "\r\n";
    } else {
      line.text = bytes.substr(start, nl - start);
      line.eol = "\n";
    }
    lines.push_back(line);
    start = nl + 1;
  }
  curLine = curPos = topLine = leftPos = 0;
  rememberedColumn_ = 0;
  unclampedColumn_ = -1;
  blockType_ = BTYPE_NONE;
}

std::string Host::Text() const {
  std::string out;
  for (const Line &l : lines) out += l.text + l.eol;
  return out;
}

void Host::Start(const std::string &moduleName) {
  std::memset(&info_, 0, sizeof(info_));
  info_.StructSize = static_cast<int>(sizeof(info_));
  std::strncpy(info_.ModuleName, moduleName.c_str(), sizeof(info_.ModuleName) - 1);
  info_.ModuleNumber = 0x1234;
  info_.Dialog = &DialogThunk;
  info_.GetMsg = &GetMsgThunk;
  info_.EditorControl = &EditorControlThunk;
  Current = this;
  if (plugin_.SetStartupInfo) plugin_.SetStartupInfo(&info_);
  started_ = true;
}

void Host::Stop() {
  Current = this;
  if (started_ && plugin_.ExitFAR) plugin_.ExitFAR();
  started_ = false;
}

void Host::Trace(int depth, const std::string &text) {
  trace(std::string(static_cast<size_t>(depth) * 2, ' ') + text);
}

int Host::Input(const INPUT_RECORD &rec) {
  Current = this;
  int answer = 0;
  if (started_ && plugin_.ProcessEditorInput) {
    ++depth_;
    if (trace) Trace(depth_ - 1, "event " + DescribeInput(rec));
    answer = plugin_.ProcessEditorInput(&rec);
    --depth_;
    if (record) events.push_back(Event{rec, answer, depth_, false});
    if (trace) Trace(depth_, "answer " + std::to_string(answer));
  }
  if (answer == 0) Apply(rec);
  if (IsKeyDown(rec)) Draw();
  return answer;
}

// What a redraw does to the cursor: the column is remembered as it stood
// before a short line pulled it back.
void Host::Draw() {
  rememberedColumn_ = unclampedColumn_ >= 0 ? unclampedColumn_ : ScreenColumn(curLine, curPos);
  unclampedColumn_ = -1;
}

void Host::Menu() {
  Current = this;
  if (!started_ || !plugin_.GetPluginInfo || !plugin_.OpenPlugin) return;
  PluginInfo pi;
  std::memset(&pi, 0, sizeof(pi));
  plugin_.GetPluginInfo(&pi);
  menuText.clear();
  if (pi.PluginMenuStringsNumber > 0 && pi.PluginMenuStrings && pi.PluginMenuStrings[0])
    menuText = pi.PluginMenuStrings[0];
  if (trace) Trace(depth_, "menu \"" + menuText + "\"");
  HANDLE h = plugin_.OpenPlugin(5, 0);
  if (trace) Trace(depth_, std::string("open plugin -> ") + (h == INVALID_HANDLE_VALUE ? "-1" : "panel"));
}

std::string Host::DefaultEol(int line) const {
  for (int i = line; i >= 0; --i)
    if (!lines[static_cast<size_t>(i)].eol.empty()) return lines[static_cast<size_t>(i)].eol;
  return "\r\n";
}

int Host::ScreenColumn(int line, int pos) const {
  const std::string &t = lines[static_cast<size_t>(line)].text;
  int col = 0;
  int n = std::min<int>(pos, static_cast<int>(t.size()));
  if (!std::memchr(t.data(), '\t', static_cast<size_t>(n))) return pos;  // no tab: columns are indexes
  for (int i = 0; i < n; ++i) col = t[static_cast<size_t>(i)] == '\t' ? (col / settings.tabSize + 1) * settings.tabSize : col + 1;
  if (pos > n) col += pos - n;
  return col;
}

void Host::Fix() {
  if (curLine < 0) curLine = 0;
  if (curLine >= static_cast<int>(lines.size())) curLine = static_cast<int>(lines.size()) - 1;
  if (curPos < 0) curPos = 0;
  int len = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());
  if (!settings.cursorBeyondEol && curPos > len) curPos = len;
}

void Host::EnsureVisible() {
  if (curLine < topLine) topLine = curLine;
  if (curLine >= topLine + windowY) topLine = curLine - windowY + 1;
  int col = ScreenColumn(curLine, curPos);
  if (col < leftPos) leftPos = col;
  if (col >= leftPos + windowX) leftPos = col - windowX + 1;
}

void Host::PadTo(Line &line, int pos) {
  if (static_cast<int>(line.text.size()) < pos) line.text.append(static_cast<size_t>(pos) - line.text.size(), ' ');
}

void Host::SelectStream(int line1, int pos1, int line2, int pos2) {
  blockType_ = BTYPE_STREAM;
  blockLine1_ = line1;
  blockPos1_ = pos1;
  blockLine2_ = line2;
  blockPos2_ = pos2;
}

void Host::SelectColumn(int line1, int col1, int line2, int col2) {
  blockType_ = BTYPE_COLUMN;
  blockLine1_ = line1;
  blockPos1_ = col1;
  blockLine2_ = line2;
  blockPos2_ = col2;
}

void Host::DeleteSelection() {
  if (blockType_ == BTYPE_NONE) return;
  int last = static_cast<int>(lines.size()) - 1;
  int l1 = std::min(blockLine1_, last), l2 = std::min(blockLine2_, last);
  if (blockType_ == BTYPE_STREAM) {
    Line &first = lines[static_cast<size_t>(l1)];
    Line &end = lines[static_cast<size_t>(l2)];
    size_t p1 = std::min<size_t>(static_cast<size_t>(blockPos1_), first.text.size());
    size_t p2 = std::min<size_t>(static_cast<size_t>(blockPos2_), end.text.size());
    std::string tail = end.text.substr(p2);
    std::string eol = end.eol;
    first.text = first.text.substr(0, p1) + tail;
    first.eol = eol;
    lines.erase(lines.begin() + l1 + 1, lines.begin() + l2 + 1);
    curLine = l1;
    curPos = static_cast<int>(p1);
  } else {
    for (int l = l1; l <= l2; ++l) {
      std::string &t = lines[static_cast<size_t>(l)].text;
      size_t a = std::min<size_t>(static_cast<size_t>(blockPos1_), t.size());
      size_t b = std::min<size_t>(static_cast<size_t>(blockPos2_), t.size());
      t.erase(a, b - a);
    }
    curLine = l1;
    curPos = blockPos1_;
  }
  blockType_ = BTYPE_NONE;
}

void Host::InsertText(const std::string &s) {
  Line &line = lines[static_cast<size_t>(curLine)];
  PadTo(line, curPos);
  size_t pos = static_cast<size_t>(curPos);
  if (settings.overtype && pos < line.text.size())
    line.text.replace(pos, std::min(s.size(), line.text.size() - pos), s);
  else
    line.text.insert(pos, s);
  curPos += static_cast<int>(s.size());
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

int Host::PosAtColumn(int line, int col) const {
  const std::string &t = lines[static_cast<size_t>(line)].text;
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
void Host::Enter() {
  Line &line = lines[static_cast<size_t>(curLine)];
  const int len = static_cast<int>(line.text.size());
  const bool atEnd = curPos >= len;

  int indent = 0;
  std::string sourceBlanks;
  if (settings.autoIndent) {
    for (int l = curLine; l >= 0; --l) {
      const std::string &t = lines[static_cast<size_t>(l)].text;
      size_t i = 0;
      while (i < t.size() && IsBlank(t[i])) ++i;
      if (i == t.size()) continue;
      indent = ScreenColumn(l, static_cast<int>(i));
      sourceBlanks = t.substr(0, i);
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
  if (indenting && !atEnd && next.text.find_first_not_of(" \t") == std::string::npos) {
    size_t keep = line.text.find_last_not_of(" \t");
    line.text.erase(keep == std::string::npos ? 0 : keep + 1);
  }
  lines.insert(lines.begin() + curLine + 1, next);
  ++curLine;
  curPos = 0;
  if (!indenting) return;

  const int original = indent;
  if (onlyBlanks) {
    size_t b = 0;
    const std::string &t = lines[static_cast<size_t>(curLine)].text;
    while (b < t.size() && IsBlank(t[b])) ++b;
    indent -= ScreenColumn(curLine, static_cast<int>(b));
  }
  if (indent > 0) {
    if (!lines[static_cast<size_t>(curLine)].text.empty() || !settings.cursorBeyondEol) {
      const bool overtype = settings.overtype;
      settings.overtype = false;
      for (size_t i = 0; ScreenColumn(curLine, curPos) < indent; ++i) {
        if (i < sourceBlanks.size() && sourceBlanks[i] == '\t')
          Tab();
        else
          InsertText(" ");
      }
      while (ScreenColumn(curLine, curPos) > indent) Backspace();
      settings.overtype = overtype;
    }
    curPos = PosAtColumn(curLine, indent);
  }
  if (onlyBlanks) {
    const std::string &t = lines[static_cast<size_t>(curLine)].text;
    size_t f = t.find_first_not_of(" \t");
    if (f != std::string::npos) {
      int col = std::min(ScreenColumn(curLine, static_cast<int>(f)), original);
      if (col > ScreenColumn(curLine, curPos)) curPos = PosAtColumn(curLine, col);
    }
  }
}

void Host::Tab() {
  int col = ScreenColumn(curLine, curPos);
  int stop = (col / settings.tabSize + 1) * settings.tabSize;
  if (settings.overtype) {
    // Only moves the cursor to the next tab stop.
    const std::string &t = lines[static_cast<size_t>(curLine)].text;
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
    InsertText(std::string(static_cast<size_t>(stop - col), ' '));
  } else {
    InsertText("\t");
  }
}

void Host::Backspace() {
  Line &line = lines[static_cast<size_t>(curLine)];
  if (curPos > static_cast<int>(line.text.size())) {
    --curPos;
    return;
  }
  if (curPos > 0) {
    line.text.erase(static_cast<size_t>(curPos - 1), 1);
    --curPos;
    return;
  }
  if (curLine == 0) return;
  Line &above = lines[static_cast<size_t>(curLine - 1)];
  curPos = static_cast<int>(above.text.size());
  above.text += line.text;
  above.eol = line.eol;
  lines.erase(lines.begin() + curLine);
  --curLine;
}

void Host::Delete() {
  Line &line = lines[static_cast<size_t>(curLine)];
  if (curPos < static_cast<int>(line.text.size())) {
    line.text.erase(static_cast<size_t>(curPos), 1);
    return;
  }
  if (curLine + 1 >= static_cast<int>(lines.size())) return;
  PadTo(line, curPos);
  Line &below = lines[static_cast<size_t>(curLine + 1)];
  line.text += below.text;
  line.eol = below.eol;
  lines.erase(lines.begin() + curLine + 1);
}

void Host::Apply(const INPUT_RECORD &rec) {
  if (!IsKeyDown(rec)) return;
  const KEY_EVENT_RECORD &key = rec.Event.KeyEvent;
  const WORD vk = key.wVirtualKeyCode;
  const unsigned char c = KeyChar(rec);
  const DWORD mods = key.dwControlKeyState;
  const bool ctrlAlt = (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED |
                                RIGHT_ALT_PRESSED)) != 0;
  const bool shift = (mods & SHIFT_PRESSED) != 0;
  Fix();
  const int last = static_cast<int>(lines.size()) - 1;
  const int len = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());

  if (vk == VK_RETURN || c == '\r') {
    if (ctrlAlt || shift) return;  // the host does other things with these
    DeleteSelection();
    Enter();
  } else if (vk == VK_TAB || c == '\t') {
    if (ctrlAlt) return;
    DeleteSelection();
    Tab();
  } else if (vk == VK_BACK || c == 0x08) {
    if (blockType_ != BTYPE_NONE) DeleteSelection();
    else Backspace();
  } else if (vk == VK_DELETE) {
    if (blockType_ != BTYPE_NONE) DeleteSelection();
    else Delete();
  } else if (vk == VK_LEFT) {
    blockType_ = BTYPE_NONE;
    if (curPos > 0) {
      --curPos;
    } else if (curLine > 0) {
      --curLine;
      curPos = static_cast<int>(lines[static_cast<size_t>(curLine)].text.size());
    }
  } else if (vk == VK_RIGHT) {
    blockType_ = BTYPE_NONE;
    if (settings.cursorBeyondEol || curPos < len) {
      ++curPos;
    } else if (curLine < last) {
      ++curLine;
      curPos = 0;
    }
  } else if (vk == VK_UP || vk == VK_DOWN) {
    blockType_ = BTYPE_NONE;
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
  } else if (vk == VK_HOME) {
    blockType_ = BTYPE_NONE;
    curPos = 0;
  } else if (vk == VK_END) {
    blockType_ = BTYPE_NONE;
    curPos = len;
  } else if (c >= 0x20 && !ctrlAlt) {
    DeleteSelection();
    InsertText(std::string(1, static_cast<char>(c)));
  }
  Fix();
  EnsureVisible();
}

int Host::EditorControl(int command, void *param) {
  Command cmd;
  cmd.code = command;
  cmd.depth = depth_;
  int result = 0;
  switch (command) {
    case ECTL_GETSTRING: {
      auto *egs = static_cast<EditorGetString *>(param);
      cmd.line = egs->StringNumber;
      int n = egs->StringNumber == -1 ? curLine : egs->StringNumber;
      if (n >= 0 && n < static_cast<int>(lines.size())) {
        const Line &l = lines[static_cast<size_t>(n)];
        egs->StringText = l.text.c_str();
        egs->StringEOL = l.eol.c_str();
        egs->StringLength = static_cast<int>(l.text.size());
        egs->SelStart = egs->SelEnd = -1;
        if (blockType_ == BTYPE_STREAM && n >= blockLine1_ && n <= blockLine2_) {
          egs->SelStart = n == blockLine1_ ? blockPos1_ : 0;
          egs->SelEnd = n == blockLine2_ ? blockPos2_ : -1;
        } else if (blockType_ == BTYPE_COLUMN && n >= blockLine1_ && n <= blockLine2_) {
          egs->SelStart = blockPos1_;
          egs->SelEnd = blockPos2_;
        }
        result = 1;
      }
      break;
    }
    case ECTL_SETSTRING: {
      auto *ess = static_cast<EditorSetString *>(param);
      cmd.line = ess->StringNumber;
      cmd.eolNull = ess->StringEOL == nullptr;
      cmd.length = ess->StringLength;
      int n = ess->StringNumber == -1 ? curLine : ess->StringNumber;
      if (ess->StringText && ess->StringLength >= 0)
        cmd.text.assign(ess->StringText, static_cast<size_t>(ess->StringLength));
      if (n >= 0 && n < static_cast<int>(lines.size()) && ess->StringText && ess->StringLength >= 0) {
        lines[static_cast<size_t>(n)].text = cmd.text;
        if (ess->StringEOL) lines[static_cast<size_t>(n)].eol = ess->StringEOL;
        result = 1;
      }
      break;
    }
    case ECTL_GETINFO: {
      auto *ei = static_cast<EditorInfo *>(param);
      std::memset(ei, 0, sizeof(*ei));
      ei->EditorID = 1;
      ei->FileName = fileNameNull ? nullptr : fileName.c_str();
      ei->WindowSizeX = windowX;
      ei->WindowSizeY = windowY;
      ei->TotalLines = static_cast<int>(lines.size());
      ei->CurLine = curLine;
      ei->CurPos = curPos;
      ei->CurTabPos = ScreenColumn(curLine, curPos);
      ei->TopScreenLine = topLine;
      ei->LeftPos = leftPos;
      ei->Overtype = settings.overtype ? 1 : 0;
      ei->BlockType = blockType_;
      ei->BlockStartLine = blockType_ == BTYPE_NONE ? 0 : blockLine1_;
      ei->TableNum = -1;
      ei->TabSize = settings.tabSize;
      result = 1;
      break;
    }
    case ECTL_SETPOSITION: {
      auto *esp = static_cast<EditorSetPosition *>(param);
      cmd.position = *esp;
      if (esp->CurLine != -1) curLine = esp->CurLine;
      Fix();
      if (esp->CurPos != -1) {
        curPos = esp->CurPos;
      } else if (esp->CurTabPos != -1) {
        curPos = PosAtColumn(curLine, std::max(0, esp->CurTabPos));
      }
      if (esp->Overtype != -1) settings.overtype = esp->Overtype != 0;
      Fix();
      EnsureVisible();
      if (esp->TopScreenLine != -1)
        topLine = std::max(0, std::min(esp->TopScreenLine, static_cast<int>(lines.size()) - 1));
      if (esp->LeftPos != -1) leftPos = std::max(0, esp->LeftPos);
      result = 1;
      break;
    }
    case ECTL_REDRAW:
      ++redraws;
      Draw();
      result = 1;
      break;
    case ECTL_PROCESSINPUT: {
      const auto *rec = static_cast<const INPUT_RECORD *>(param);
      cmd.input = *rec;
      if (record) journal.push_back(cmd);
      if (trace) Trace(depth_, DescribeCommand(cmd));
      int answer = 0;
      if (settings.reentry && plugin_.ProcessEditorInput) {
        ++depth_;
        if (trace) Trace(depth_ - 1, "event " + DescribeInput(*rec) + " (fed)");
        answer = plugin_.ProcessEditorInput(rec);
        --depth_;
        if (record) events.push_back(Event{*rec, answer, depth_ + 1, true});
        if (trace) Trace(depth_, "answer " + std::to_string(answer));
      }
      if (answer == 0) Apply(*rec);
      if (settings.redrawAfterFedKeys && IsKeyDown(*rec)) Draw();
      return 1;
    }
    default:
      break;
  }
  if (record) journal.push_back(cmd);
  if (trace) Trace(depth_, DescribeCommand(cmd));
  return result;
}

int Host::Dialog(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
                 FarDialogItem *items, int count) {
  DialogCall call;
  call.moduleNumber = module;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.helpTopicNull = help == nullptr;
  call.itemsNumber = count;
  if (items && count > 0) call.items.assign(items, items + count);
  call.answer = dialogNext_ < dialogAnswers.size() ? dialogAnswers[dialogNext_++] : -1;
  dialogCalls.push_back(call);
  std::string text = "dialog";
  for (const FarDialogItem &item : call.items) text += std::string(" [") + item.Data + "]";
  if (trace) Trace(depth_, text + " -> " + std::to_string(call.answer));
  return call.answer;
}

const char *Host::GetMsg(INT_PTR, int id) {
  if (getMsgNull) return nullptr;
  if (id < 0 || id >= static_cast<int>(messages.size())) return "";
  return messages[static_cast<size_t>(id)].c_str();
}

std::vector<std::string> Host::ParseLanguageFile(const std::string &bytes,
                                                 std::string *language) {
  std::vector<std::string> out;
  std::istringstream in(bytes);
  std::string raw;
  while (std::getline(in, raw)) {
    size_t a = raw.find_first_not_of(" \t\r");
    if (a == std::string::npos) continue;
    size_t b = raw.find_last_not_of(" \t\r");
    std::string line = raw.substr(a, b - a + 1);
    if (line.compare(0, 10, ".Language=") == 0) {
      // ".Language=English,English": the name before the comma.
      std::string name = line.substr(10);
      if (language) *language = name.substr(0, name.find(','));
      continue;
    }
    if (line[0] != '"') continue;
    line.erase(0, 1);
    if (!line.empty() && line.back() == '"') line.pop_back();
    std::string text;
    for (size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      if (c == '\\' && i + 1 < line.size()) {
        char e = line[i + 1];
        const char *from = "\\\"nrbt";
        const char *to = "\\\"\n\r\b\t";
        const char *hit = std::strchr(from, e);
        if (hit && e) {
          text += to[hit - from];
          ++i;
          continue;
        }
      } else if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        text += '"';
        ++i;
        continue;
      }
      text += c;
    }
    out.push_back(text);
  }
  return out;
}

bool Host::LoadLanguageFile(const std::string &path, const std::string &language) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string lang;
  std::vector<std::string> parsed = ParseLanguageFile(bytes, &lang);
  if (lang != language) return false;
  messages = parsed;
  return true;
}

std::string DescribeInput(const INPUT_RECORD &rec) {
  switch (rec.EventType) {
    case KEY_EVENT: {
      const KEY_EVENT_RECORD &k = rec.Event.KeyEvent;
      return std::string(k.bKeyDown ? "key-down" : "key-up") + " vk=" + Hex(k.wVirtualKeyCode) +
             " char=" + Hex(KeyChar(rec)) + " mods=" + Hex(k.dwControlKeyState) +
             " repeat=" + std::to_string(k.wRepeatCount);
    }
    case MOUSE_EVENT:
      return "mouse";
    case FOCUS_EVENT:
      return "focus";
    default:
      return "event type " + std::to_string(rec.EventType);
  }
}

std::string DescribeCommand(const Command &cmd) {
  switch (cmd.code) {
    case ECTL_GETSTRING:
      return "ECTL_GETSTRING line=" + std::to_string(cmd.line);
    case ECTL_SETSTRING:
      return "ECTL_SETSTRING line=" + std::to_string(cmd.line) + " length=" +
             std::to_string(cmd.length) + (cmd.eolNull ? " eol=null" : " eol=set") + " text=\"" +
             cmd.text + "\"";
    case ECTL_GETINFO:
      return "ECTL_GETINFO";
    case ECTL_SETPOSITION: {
      const EditorSetPosition &p = cmd.position;
      return "ECTL_SETPOSITION line=" + std::to_string(p.CurLine) + " pos=" + std::to_string(p.CurPos) +
             " tabpos=" + std::to_string(p.CurTabPos) + " top=" + std::to_string(p.TopScreenLine) +
             " left=" + std::to_string(p.LeftPos) + " overtype=" + std::to_string(p.Overtype);
    }
    case ECTL_REDRAW:
      return "ECTL_REDRAW";
    case ECTL_PROCESSINPUT:
      return "ECTL_PROCESSINPUT " + DescribeInput(cmd.input);
    default:
      return "command " + std::to_string(cmd.code);
  }
}

}  // namespace sim
