#include "sim/far1/stand_in.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "sim/dialog_layout.h"

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

std::string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "0x%02X", v);
  return buf;
}

}  // namespace

Host::Host(PluginApi plugin) : plugin_(plugin) {}


void Host::CopyEditorFrom(const Host &other) {
  TextEditor<char>::CopyEditorFrom(other);
  fileName = other.fileName;
}

Host::~Host() {
  if (started_) Stop();
  if (Current == this) Current = nullptr;
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
  shows_.CallEnded();
  if (trace) Trace(depth_, std::string("open plugin -> ") + (h == INVALID_HANDLE_VALUE ? "-1" : "panel"));
}

int Host::EditorControl(int command, void *param) {
  ++commandCount;
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
        Selected(n, &egs->SelStart, &egs->SelEnd);
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
      FillInfo(ei);
      ei->TableNum = -1;
      result = 1;
      break;
    }
    case ECTL_SETPOSITION: {
      auto *esp = static_cast<EditorSetPosition *>(param);
      cmd.position = *esp;
      SetPosition(*esp);
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
  if (!shows_.Allow("dialog", &hostFaults)) return -1;
  DialogCall call;
  call.moduleNumber = module;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.helpTopicNull = help == nullptr;
  call.itemsNumber = count;
  if (items && count > 0) call.items.assign(items, items + count);
  std::vector<LayoutItem> layout;
  for (const FarDialogItem &item : call.items) {
    LayoutItem l;
    l.kind = item.Type == DI_DOUBLEBOX ? LayoutItem::Box
             : item.Type == DI_BUTTON  ? LayoutItem::Button
                                       : LayoutItem::Other;
    l.x1 = item.X1;
    l.y1 = item.Y1;
    l.x2 = item.X2;
    l.y2 = item.Y2;
    l.centerGroup = (item.Flags & DIF_CENTERGROUP) != 0;
    l.isDefault = item.DefaultButton != 0;
    const std::string data(item.Data, strnlen(item.Data, sizeof(item.Data)));
    ShownText(data.c_str(), &l.shown);
    l.width = static_cast<int>(l.shown.size());
    layout.push_back(l);
  }
  LayoutDialog(x1 == -1 ? x2 : x2 - x1 + 1, y1 == -1 ? y2 : y2 - y1 + 1, layout, &call.layout,
               &hostFaults);
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
  if (!language.empty() && lang != language) return false;
  messages = parsed;
  return true;
}

std::string DescribeInput(const INPUT_RECORD &rec, bool wide) {
  switch (rec.EventType) {
    case KEY_EVENT: {
      const KEY_EVENT_RECORD &k = rec.Event.KeyEvent;
      const unsigned c = wide ? k.uChar.UnicodeChar : KeyChar(rec);
      return std::string(k.bKeyDown ? "key-down" : "key-up") + " vk=" + Hex(k.wVirtualKeyCode) +
             " char=" + Hex(c) + " mods=" + Hex(k.dwControlKeyState) +
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
