#include "sim/host3.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "macros/utf8.h"
#include "sim/host.h"
#include "sim/masks.h"

namespace sim {

using far3::FarChar;
using far3::GUID;
using far3::Flags64;
using far3::FarDialogItem;
using far3::PluginStartupInfo;
using far3::FarStandardFunctions;
using far3::PluginInfo;
using far3::OpenInfo;
using far3::ExitInfo;
using far3::GlobalInfo;
using far3::ProcessEditorInputInfo;
using far3::EditorInfo;
using far3::EditorGetString;
using far3::EditorSetString;
using far3::EditorSetPosition;
using far3::EditorUndoRedo;
using far3::Rect;
using far3::ECTL_GETSTRING;
using far3::ECTL_SETSTRING;
using far3::ECTL_GETINFO;
using far3::ECTL_SETPOSITION;
using far3::ECTL_REDRAW;
using far3::ECTL_PROCESSINPUT;
using far3::ECTL_GETFILENAME;
using far3::ECTL_UNDOREDO;
using far3::EOPT_EXPANDALLTABS;
using far3::EOPT_AUTOINDENT;
using far3::EOPT_CURSORBEYONDEOL;
using far3::OPEN_EDITOR;

namespace {

Host3 *Current = nullptr;

intptr_t WINAPI EditorControlThunk(intptr_t id, int command, intptr_t param1, void *param2) {
  return Current ? Current->EditorControl(id, command, param1, param2) : 0;
}
const FarChar *WINAPI GetMsgThunk(const GUID *pluginId, intptr_t id) {
  return Current ? Current->GetMsg(pluginId, id) : nullptr;
}
HANDLE WINAPI DialogInitThunk(const GUID *pluginId, const GUID *id, intptr_t x1, intptr_t y1,
                              intptr_t x2, intptr_t y2, const FarChar *help,
                              const FarDialogItem *items, size_t count, intptr_t, Flags64 flags,
                              void *, void *) {
  return Current ? Current->DialogInit(pluginId, id, x1, y1, x2, y2, help, items, count, flags)
                 : INVALID_HANDLE_VALUE;
}
intptr_t WINAPI DialogRunThunk(HANDLE dialog) { return Current ? Current->DialogRun(dialog) : -1; }
void WINAPI DialogFreeThunk(HANDLE dialog) {
  if (Current) Current->DialogFree(dialog);
}
intptr_t WINAPI MessageThunk(const GUID *, const GUID *, Flags64 flags, const FarChar *help,
                             const FarChar *const *items, size_t count, intptr_t buttons) {
  return Current ? Current->Message(flags, help, items, count, buttons) : -1;
}
intptr_t WINAPI SendDlgMessageThunk(HANDLE dialog, intptr_t msg, intptr_t param1, void *param2) {
  return Current ? Current->SendDlgMessage(dialog, msg, param1, param2) : 0;
}
size_t WINAPI ProcessNameThunk(const FarChar *mask, FarChar *name, size_t, Flags64 flags) {
  return Current ? Current->ProcessName(mask, name, flags) : 0;
}
intptr_t WINAPI SettingsControlThunk(HANDLE handle, int command, intptr_t param1, void *param2) {
  return Current ? Current->SettingsControl(handle, command, param1, param2) : 0;
}
intptr_t WINAPI EditorThunk(const FarChar *fileName, const FarChar *, intptr_t, intptr_t, intptr_t,
                            intptr_t, Flags64 flags, intptr_t startLine, intptr_t startChar,
                            uintptr_t codePage) {
  return Current ? Current->OpenEditor(fileName, flags, startLine, startChar, codePage) : 0;
}

// The one settings handle the stand-in gives out at a time.
HANDLE const SettingsHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5E77));

bool IsKeyDown(const INPUT_RECORD &rec) {
  return rec.EventType == KEY_EVENT && rec.Event.KeyEvent.bKeyDown;
}

// Far's check of a record's StructSize: its own size or more (a newer
// plug-in), up to a sane limit; less is refused.
bool SizeFits(size_t structSize, size_t minimum) {
  return structSize >= minimum && structSize <= 65536;
}

std::u16string TextOf(const FarChar *text) {
  std::u16string out;
  if (text)
    for (; *text; ++text) out += static_cast<char16_t>(*text);
  return out;
}

}  // namespace

std::string Utf8(const std::u16string &text) {
  std::string out(text.size() * 3, '\0');
  out.resize(EncodeUtf8(text.data(), text.size(), &out[0]));
  return out;
}

std::u16string Utf16(const std::string &bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(DecodeUtf8(bytes.data(), bytes.size(), &out[0]));
  return out;
}

Host3::Host3(PluginApi3 plugin) : plugin_(plugin) { settings.redrawAfterFedKeys = false; }

Host3::~Host3() {
  if (started_) Stop();
  if (Current == this) Current = nullptr;
}

void Host3::SetTextUtf8(const std::string &bytes) { SetText(Utf16(bytes)); }

std::string Host3::TextUtf8() const { return Utf8(Text()); }

void Host3::Trace(int depth, const std::string &text) {
  trace(std::string(static_cast<size_t>(depth) * 2, ' ') + text);
}

void Host3::Start(const std::string &moduleNameUtf8) {
  Current = this;
  moduleName_ = Utf16(moduleNameUtf8);
  if (plugin_.GetGlobalInfoW) {
    GlobalInfo gi;
    std::memset(&gi, 0, sizeof(gi));
    gi.StructSize = sizeof(gi);
    plugin_.GetGlobalInfoW(&gi);
    globalInfo = gi;
    title = Utf8(TextOf(gi.Title));
    description = Utf8(TextOf(gi.Description));
    author = Utf8(TextOf(gi.Author));
  }
  {
    // Far builds both records as locals of its loader.
    FarStandardFunctions fsf;
    std::memset(&fsf, 0, sizeof(fsf));
    fsf.StructSize = sizeof(fsf);
    // Functions the plug-in must not call are numbered by their slot.
    const size_t first = sizeof(fsf.Functions1) / sizeof(fsf.Functions1[0]);
    for (size_t i = 0; i < first; ++i)
      fsf.Functions1[i] = reinterpret_cast<void *>(static_cast<uintptr_t>(0x1000 + i));
    fsf.ProcessName = &ProcessNameThunk;
    for (size_t i = 0; i < sizeof(fsf.Functions2) / sizeof(fsf.Functions2[0]); ++i)
      fsf.Functions2[i] = reinterpret_cast<void *>(static_cast<uintptr_t>(0x1000 + first + 1 + i));
    PluginStartupInfo psi;
    std::memset(&psi, 0, sizeof(psi));
    psi.StructSize = sizeof(psi);
    std::u16string module = moduleName_;
    psi.ModuleName = reinterpret_cast<const FarChar *>(module.c_str());
    psi.Message = &MessageThunk;
    psi.GetMsg = &GetMsgThunk;
    psi.EditorControl = &EditorControlThunk;
    psi.FSF = &fsf;
    psi.DialogInit = &DialogInitThunk;
    psi.DialogRun = &DialogRunThunk;
    psi.DialogFree = &DialogFreeThunk;
    psi.SendDlgMessage = &SendDlgMessageThunk;
    psi.SettingsControl = &SettingsControlThunk;
    psi.Editor = &EditorThunk;
    if (plugin_.SetStartupInfoW) plugin_.SetStartupInfoW(&psi);
    // Gone once the call returns: a plug-in that kept pointers into them
    // finds rubbish.
    std::memset(&psi, 0xA5, sizeof(psi));
    std::memset(&fsf, 0xA5, sizeof(fsf));
    std::fill(module.begin(), module.end(), u'#');
  }
  started_ = true;
}

void Host3::Stop() {
  Current = this;
  if (started_ && plugin_.ExitFARW) {
    ExitInfo ei;
    std::memset(&ei, 0, sizeof(ei));
    ei.StructSize = sizeof(ei);
    plugin_.ExitFARW(&ei);
  }
  started_ = false;
}

intptr_t Host3::Offer(const INPUT_RECORD &rec, bool fed) {
  if (!started_ || !plugin_.ProcessEditorInputW) return 0;
  ProcessEditorInputInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.Rec = rec;
  ++depth_;
  if (trace) Trace(depth_ - 1, "event " + DescribeInput(rec, true) + (fed ? " (fed)" : ""));
  intptr_t answer = plugin_.ProcessEditorInputW(&info);
  --depth_;
  if (depth_ == 0) CheckCallEnded("ProcessEditorInputW");
  if (record) events.push_back(Event3{rec, answer, fed ? depth_ + 1 : depth_, fed});
  if (trace) Trace(depth_, "answer " + std::to_string(answer));
  return answer;
}

namespace {

bool IsUndoKey(const INPUT_RECORD &rec) {
  const DWORD ctrl = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
  return IsKeyDown(rec) && rec.Event.KeyEvent.wVirtualKeyCode == 'Z' &&
         (rec.Event.KeyEvent.dwControlKeyState & ctrl) != 0 &&
         (rec.Event.KeyEvent.dwControlKeyState & (SHIFT_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) == 0;
}

bool SameText(const std::vector<BasicLine<char16_t>> &a, const std::vector<BasicLine<char16_t>> &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].text != b[i].text || a[i].eol != b[i].eol) return false;
  return true;
}

}  // namespace

void Host3::PushUndo(UndoStep step) {
  // Like Far's own, the history has a bound: the oldest steps go.
  if (undoSteps.size() >= UndoLimit) undoSteps.erase(undoSteps.begin());
  undoSteps.push_back(std::move(step));
  ++undoStepsMade;
}

void Host3::Change(const INPUT_RECORD *rec) {
  // Key-ups, other events and the cursor keys leave the text alone: no copy.
  const WORD vk = rec ? rec->Event.KeyEvent.wVirtualKeyCode : 0;
  const bool move = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN ||
                    vk == VK_HOME || vk == VK_END;
  if (!record || (rec && (!IsKeyDown(*rec) || move))) {
    if (rec) Apply(*rec);
    return;
  }
  UndoStep before = Snapshot();
  if (rec) Apply(*rec);
  if (undoDepth_ == 0 && !SameText(before.lines, lines)) PushUndo(std::move(before));
}

void Host3::Undo() {
  if (undoSteps.empty()) return;
  const UndoStep &step = undoSteps.back();
  lines = step.lines;
  curLine = step.curLine;
  curPos = step.curPos;
  unclampedColumn_ = -1;
  blockType_ = BlockNone;
  undoSteps.pop_back();
  Fix();
  EnsureVisible();
  if (trace) Trace(depth_, "undo");
}

intptr_t Host3::Input(const INPUT_RECORD &rec) {
  Current = this;
  intptr_t answer = Offer(rec, false);
  if (undoDepth_ != 0) {
    undoFaults.push_back("an undo group was still open when the plug-in answered " +
                         DescribeInput(rec, true));
    undoDepth_ = 0;
    if (record && !SameText(groupStart_.lines, lines)) PushUndo(groupStart_);
  }
  if (answer == 0) {
    const WORD vk = rec.Event.KeyEvent.wVirtualKeyCode;
    const DWORD mods = rec.Event.KeyEvent.dwControlKeyState &
                       (SHIFT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED |
                        RIGHT_ALT_PRESSED);
    if (IsUndoKey(rec)) {
      Undo();
    } else if (IsKeyDown(rec) && vk == VK_F2 && (mods == 0 || mods == SHIFT_PRESSED)) {
      std::u16string name = fileName;
      if (mods == SHIFT_PRESSED && !saveAsNames.empty()) {
        name = saveAsNames.front();
        saveAsNames.pop_front();
      }
      Save(name);
    } else if (IsKeyDown(rec) && vk == VK_TAB && (mods & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) &&
               !(mods & (SHIFT_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED))) {
      NextWindow();
    } else {
      Change(&rec);
    }
  }
  if (IsKeyDown(rec)) Draw();
  return answer;
}

void Host3::Menu() {
  Current = this;
  if (!started_ || !plugin_.GetPluginInfoW || !plugin_.OpenW) return;
  TakePluginInfo(&PluginInfo::PluginMenu, &menuText, &menuGuid);
  if (trace) Trace(depth_, "menu \"" + menuText + "\"");
  OpenInfo oi;
  std::memset(&oi, 0, sizeof(oi));
  oi.StructSize = sizeof(oi);
  oi.OpenFrom = OPEN_EDITOR;
  oi.Guid = &menuGuid;
  HANDLE h = plugin_.OpenW(&oi);
  CheckCallEnded("OpenW");
  if (trace) Trace(depth_, std::string("open -> ") + (h ? "handle" : "null"));
  // The Enter that chose the entry is released in the editor.
  Input(MakeKeyEvent(VK_RETURN, '\r', 0, false));
}

intptr_t Host3::EditorControl(intptr_t editorId, int command, intptr_t param1, void *param2) {
  ++commandCount;
  Command3 cmd;
  cmd.code = command;
  cmd.depth = depth_;
  cmd.editorId = editorId;
  cmd.param1 = param1;
  cmd.param2Null = param2 == nullptr;
  intptr_t result = 0;
  // Only the current editor answers commands.
  const bool ours = editorId == -1 || editorId == this->editorId;
  switch (command) {
    case ECTL_GETSTRING: {
      auto *egs = static_cast<EditorGetString *>(param2);
      if (!egs) break;
      cmd.structSize = egs->StructSize;
      cmd.line = egs->StringNumber;
      if (!ours || !SizeFits(egs->StructSize, sizeof(EditorGetString))) break;
      if (saving_ && refuseLinesDuringSave) break;
      intptr_t n = egs->StringNumber == -1 ? curLine : egs->StringNumber;
      if (n >= 0 && n < static_cast<intptr_t>(lines.size())) {
        const Line &l = lines[static_cast<size_t>(n)];
        egs->StringText = reinterpret_cast<const FarChar *>(l.text.c_str());
        egs->StringEOL = reinterpret_cast<const FarChar *>(l.eol.c_str());
        egs->StringLength = static_cast<intptr_t>(l.text.size());
        int start = -1, end = 0;  // Far 3's "no selection"
        Selected(static_cast<int>(n), &start, &end);
        egs->SelStart = start;
        egs->SelEnd = end;
        result = 1;
      }
      break;
    }
    case ECTL_SETSTRING: {
      auto *ess = static_cast<EditorSetString *>(param2);
      if (!ess) break;
      cmd.structSize = ess->StructSize;
      cmd.line = ess->StringNumber;
      cmd.eolNull = ess->StringEOL == nullptr;
      cmd.length = ess->StringLength;
      if (ess->StringText && ess->StringLength >= 0)
        cmd.text.assign(reinterpret_cast<const char16_t *>(ess->StringText),
                        static_cast<size_t>(ess->StringLength));
      if (!ours || !SizeFits(ess->StructSize, sizeof(EditorSetString))) break;
      intptr_t n = ess->StringNumber == -1 ? curLine : ess->StringNumber;
      if (n >= 0 && n < static_cast<intptr_t>(lines.size()) && ess->StringText &&
          ess->StringLength >= 0) {
        UndoStep before = record && undoDepth_ == 0 ? Snapshot() : UndoStep();
        lines[static_cast<size_t>(n)].text = cmd.text;
        if (ess->StringEOL) lines[static_cast<size_t>(n)].eol = TextOf(ess->StringEOL);
        if (record && undoDepth_ == 0 && !SameText(before.lines, lines)) PushUndo(std::move(before));
        result = 1;
      }
      break;
    }
    case ECTL_GETINFO: {
      auto *ei = static_cast<EditorInfo *>(param2);
      if (!ei) break;
      cmd.structSize = ei->StructSize;
      // Everything up to and including CodePage is the least Far accepts.
      if (!ours || !SizeFits(ei->StructSize, offsetof(EditorInfo, WindowArea))) break;
      const size_t size = ei->StructSize;
      std::memset(ei, 0, std::min(size, sizeof(EditorInfo)));
      ei->StructSize = size;
      ei->EditorID = this->editorId;
      FillInfo(ei);
      uintptr_t options = 0;
      if (settings.expandTabs) options |= EOPT_EXPANDALLTABS;
      if (settings.autoIndent) options |= EOPT_AUTOINDENT;
      if (settings.cursorBeyondEol) options |= EOPT_CURSORBEYONDEOL;
      ei->Options = options;
      ei->CodePage = 65001;
      if (size >= sizeof(EditorInfo)) {
        ei->WindowArea = Rect{0, 1, windowX - 1, windowY};
        ei->ClientArea = ei->WindowArea;
      }
      result = 1;
      break;
    }
    case ECTL_SETPOSITION: {
      auto *esp = static_cast<EditorSetPosition *>(param2);
      if (!esp) break;
      cmd.structSize = esp->StructSize;
      cmd.position = *esp;
      if (!ours || !SizeFits(esp->StructSize, sizeof(EditorSetPosition))) break;
      SetPosition(*esp);
      result = 1;
      break;
    }
    case ECTL_REDRAW:
      ++redraws;
      Draw();
      result = 1;
      break;
    case ECTL_GETFILENAME: {
      // The size including the NUL; the name only into a buffer that holds it.
      result = static_cast<intptr_t>(fileName.size() + 1);
      if (param2 && param1 >= result)
        std::memcpy(param2, fileName.c_str(), (fileName.size() + 1) * sizeof(char16_t));
      break;
    }
    case ECTL_UNDOREDO: {
      auto *eur = static_cast<EditorUndoRedo *>(param2);
      if (!eur) break;
      cmd.structSize = eur->StructSize;
      cmd.undo = eur->Command;
      if (!ours || !SizeFits(eur->StructSize, sizeof(EditorUndoRedo))) break;
      result = 1;
      if (eur->Command == far3::EUR_BEGIN) {
        if (undoDepth_++ == 0 && record) groupStart_ = Snapshot();
      } else if (eur->Command == far3::EUR_END) {
        if (undoDepth_ == 0) {
          undoFaults.push_back("EUR_END without EUR_BEGIN");
          result = 0;
        } else if (--undoDepth_ == 0 && record && !SameText(groupStart_.lines, lines)) {
          PushUndo(groupStart_);
        }
      } else if (eur->Command == far3::EUR_UNDO) {
        Undo();
      }
      break;
    }
    case ECTL_PROCESSINPUT: {
      const auto *rec = static_cast<const INPUT_RECORD *>(param2);
      if (!rec) break;
      cmd.input = *rec;
      cmd.result = 1;
      if (record) journal.push_back(cmd);
      if (trace) Trace(depth_, DescribeCommand3(cmd));
      intptr_t answer = settings.reentry ? Offer(*rec, true) : 0;
      if (answer == 0) Change(rec);
      if (settings.redrawAfterFedKeys && IsKeyDown(*rec)) Draw();
      return 1;
    }
    default:
      break;
  }
  cmd.result = result;
  if (record) journal.push_back(cmd);
  if (trace) Trace(depth_, DescribeCommand3(cmd));
  return result;
}

HANDLE Host3::DialogInit(const GUID *pluginId, const GUID *id, intptr_t x1, intptr_t y1,
                         intptr_t x2, intptr_t y2, const FarChar *help,
                         const FarDialogItem *items, size_t count, Flags64 flags) {
  // Far dereferences both GUIDs and refuses a plug-in id it does not know.
  if (!pluginId || !id || std::memcmp(pluginId, &globalInfo.Guid, sizeof(GUID)) != 0)
    return INVALID_HANDLE_VALUE;
  DialogCall3 call;
  call.pluginId = *pluginId;
  call.id = *id;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.helpTopicNull = help == nullptr;
  call.helpTopic = TextOf(help);
  call.flags = flags;
  for (size_t i = 0; items && i < count; ++i) {
    call.items.push_back(items[i]);
    call.texts.push_back(TextOf(items[i].Data));
  }
  dialogCalls.push_back(call);
  // The handle is the call's number, counted from 1.
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(dialogCalls.size()));
}

intptr_t Host3::DialogRun(HANDLE dialog) {
  uintptr_t n = reinterpret_cast<uintptr_t>(dialog);
  if (n == 0 || n > dialogCalls.size()) return -1;
  DialogCall3 &call = dialogCalls[n - 1];
  call.run = true;
  if (dialogScript)
    call.answer = dialogScript(call);
  else
    call.answer = dialogNext_ < dialogAnswers.size() ? dialogAnswers[dialogNext_++] : -1;
  std::string text = "dialog";
  for (const std::u16string &t : call.texts) text += " [" + Utf8(t) + "]";
  if (trace) Trace(depth_, text + " -> " + std::to_string(call.answer));
  return call.answer;
}

void Host3::DialogFree(HANDLE dialog) {
  uintptr_t n = reinterpret_cast<uintptr_t>(dialog);
  if (n >= 1 && n <= dialogCalls.size()) dialogCalls[n - 1].freed = true;
}

intptr_t Host3::SendDlgMessage(HANDLE dialog, intptr_t msg, intptr_t param1, void *) {
  uintptr_t n = reinterpret_cast<uintptr_t>(dialog);
  if (n == 0 || n > dialogCalls.size()) return 0;
  DialogCall3 &call = dialogCalls[n - 1];
  if (call.freed) {
    hostFaults.push_back("a dialog was sent message " + std::to_string(msg) + " after DialogFree");
    return 0;
  }
  if (param1 < 0 || static_cast<size_t>(param1) >= call.items.size()) return 0;
  const size_t i = static_cast<size_t>(param1);
  if (msg == far3::DM_GETCONSTTEXTPTR)
    return reinterpret_cast<intptr_t>(call.texts[i].c_str());
  if (msg == far3::DM_GETCHECK) return call.items[i].Selected;
  return 0;
}

intptr_t Host3::Message(Flags64 flags, const FarChar *help, const FarChar *const *items,
                        size_t count, intptr_t buttons) {
  // At least a title and one line; the first button (or OK) is chosen.
  if (!items || count < 2) return -1;
  MessageCall3 call;
  call.flags = flags;
  call.helpTopic = TextOf(help);
  for (size_t i = 0; i < count; ++i) call.lines.push_back(TextOf(items[i]));
  messageBoxes.push_back(call);
  std::vector<std::string> parts = {"message"};
  for (const std::u16string &line : call.lines) {
    parts.push_back(" [");
    parts.push_back(Utf8(line));
    parts.push_back("]");
  }
  if (report) report(parts);
  if (trace) {
    std::string text;
    for (const std::string &part : parts) text += part;
    Trace(depth_, text);
  }
  (void)buttons;
  return 0;
}

size_t Host3::ProcessName(const FarChar *mask, const FarChar *name, Flags64 flags) {
  ++processNameCalls;
  const std::u16string list = TextOf(mask);
  const std::u16string subject = TextOf(name);
  const bool skipPath = (flags & far3::PN_SKIPPATH) != 0;
  const Flags64 mode = flags & 0xFF0000;
  bool valid = true;
  size_t result = 0;
  if (mode == far3::PN_CHECKMASK || mode == far3::PN_CMPNAMELIST) {
    // Far parses a list once and keeps it until another one comes.
    if (!lastMasks_ || lastMasks_->text() != list) lastMasks_.reset(new MaskList(list));
    valid = lastMasks_->valid();
    result = mode == far3::PN_CHECKMASK ? valid : lastMasks_->Matches(subject, skipPath);
  } else if (mode == far3::PN_CMPNAME) {
    result = MaskMatches(list, subject, skipPath) ? 1 : 0;
  }
  if (!valid && (flags & far3::PN_SHOWERRORMESSAGE)) {
    MessageCall3 call;
    call.flags = far3::FMSG_WARNING | far3::FMSG_MB_OK;
    call.lines = {u"Warning", u"File-mask string contains errors"};
    messageBoxes.push_back(call);
  }
  return result;
}

intptr_t Host3::SettingsControl(HANDLE handle, int command, intptr_t param1, void *param2) {
  using far3::FarSettingsCreate;
  using far3::FarSettingsItem;
  if (command == far3::SCTL_CREATE) {
    auto *create = static_cast<FarSettingsCreate *>(param2);
    if (!create || !SizeFits(create->StructSize, sizeof(FarSettingsCreate)) ||
        std::memcmp(&create->Guid, &globalInfo.Guid, sizeof(GUID)) != 0 ||
        param1 != far3::PSL_ROAMING)
      return 0;
    if (settingsOpen_) {
      // Far waits for the database, then reports it busy.
      hostFaults.push_back("a second settings handle while one was open");
      return 0;
    }
    settingsOpen_ = true;
    ++settingsHandles;
    settingsPending_ = settingsStore;
    create->Handle = SettingsHandle;
    return 1;
  }
  if (handle != SettingsHandle || !settingsOpen_) return 0;
  switch (command) {
    case far3::SCTL_FREE:
      settingsStore = settingsPending_;
      settingsStrings_.clear();
      settingsOpen_ = false;
      return 1;
    case far3::SCTL_GET: {
      auto *item = static_cast<FarSettingsItem *>(param2);
      if (!item || !SizeFits(item->StructSize, sizeof(FarSettingsItem)) || item->Root != 0 ||
          !item->Name)
        return 0;
      auto found = settingsPending_.find(TextOf(item->Name));
      if (found == settingsPending_.end()) return 0;
      const StoredSetting &value = found->second;
      // Far converts leniently between the two types.
      if (item->Type == far3::FST_QWORD) {
        item->Number = value.type == far3::FST_QWORD ? value.number : 0;
        return 1;
      }
      if (item->Type == far3::FST_STRING) {
        settingsStrings_.push_back(value.type == far3::FST_STRING
                                       ? value.text
                                       : Utf16(std::to_string(value.number)));
        item->String = reinterpret_cast<const FarChar *>(settingsStrings_.back().c_str());
        return 1;
      }
      return 0;
    }
    case far3::SCTL_SET: {
      auto *item = static_cast<FarSettingsItem *>(param2);
      if (!item || !SizeFits(item->StructSize, sizeof(FarSettingsItem)) || item->Root != 0 ||
          !item->Name)
        return 0;
      StoredSetting value;
      value.type = item->Type;
      if (item->Type == far3::FST_QWORD)
        value.number = item->Number;
      else if (item->Type == far3::FST_STRING && item->String)
        value.text = TextOf(item->String);
      else
        return 0;
      settingsPending_[TextOf(item->Name)] = value;
      return 1;
    }
    default:
      return 0;
  }
}

void Host3::CheckCallEnded(const std::string &what) {
  if (!settingsOpen_) return;
  hostFaults.push_back("a settings handle was still open when " + what + " returned");
  settingsOpen_ = false;
  settingsStrings_.clear();
}

void Host3::SendEvent(intptr_t event, void *param) {
  if (!started_ || !plugin_.ProcessEditorEventW) return;
  far3::ProcessEditorEventInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.Event = event;
  info.Param = param;
  info.EditorID = editorId;
  EditorEvent3 record;
  record.event = event;
  record.editorId = editorId;
  if (event == far3::EE_SAVE && param)
    record.fileName = TextOf(static_cast<far3::EditorSaveFile *>(param)->FileName);
  editorEvents.push_back(record);
  if (trace) Trace(depth_, "editor event " + std::to_string(event) + " id " + std::to_string(editorId));
  ++depth_;
  plugin_.ProcessEditorEventW(&info);
  --depth_;
  if (depth_ == 0) CheckCallEnded("ProcessEditorEventW");
}

intptr_t Host3::OpenEditor(const FarChar *name, Flags64 flags, intptr_t startLine,
                           intptr_t startChar, uintptr_t codePage) {
  EditorCall3 call;
  call.fileName = TextOf(name);
  call.flags = flags;
  call.startLine = startLine;
  call.startChar = startChar;
  call.codePage = codePage;
  if (trace) Trace(depth_, "editor open \"" + Utf8(call.fileName) + "\"");
  if (call.fileName.empty()) {
    editorCalls.push_back(call);
    return 0;
  }
  // A file that does not exist opens as a new, empty one.
  std::string bytes;
  ReadFileBytes(call.fileName, &bytes);
  SendEvent(far3::EE_KILLFOCUS, nullptr);
  Window previous{static_cast<const TextEditor<char16_t> &>(*this), fileName, undoSteps, editorId};
  otherWindows_.push_back(std::move(previous));
  SetTextUtf8(bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes);
  curLine = curPos = topLine = leftPos = 0;
  fileName = call.fileName;
  undoSteps.clear();
  editorId = nextEditorId_++;
  SendEvent(far3::EE_GOTFOCUS, nullptr);
  SendEvent(far3::EE_READ, nullptr);
  // Non-modal with an immediate return: this build answers EEC_MODIFIED.
  call.result = 1;
  editorCalls.push_back(call);
  if (report) report({"editor opened ", Utf8(call.fileName)});
  return call.result;
}

void Host3::NextWindow() {
  if (otherWindows_.empty()) return;
  SendEvent(far3::EE_KILLFOCUS, nullptr);
  Window next = std::move(otherWindows_.front());
  otherWindows_.pop_front();
  Window current{static_cast<const TextEditor<char16_t> &>(*this), fileName, undoSteps, editorId};
  otherWindows_.push_back(std::move(current));
  static_cast<TextEditor<char16_t> &>(*this) = next.editor;
  fileName = next.fileName;
  undoSteps = next.undo;
  editorId = next.id;
  if (trace) Trace(depth_, "window \"" + Utf8(fileName) + "\"");
  SendEvent(far3::EE_GOTFOCUS, nullptr);
}

void Host3::Save(const std::u16string &name) {
  // The event comes first; the file is written after it, with whatever the
  // plug-in changed in the text meanwhile.
  static const char16_t eol[] = u"\r\n";
  far3::EditorSaveFile save;
  std::memset(&save, 0, sizeof(save));
  save.StructSize = sizeof(save);
  save.FileName = reinterpret_cast<const FarChar *>(name.c_str());
  save.FileEOL = reinterpret_cast<const FarChar *>(eol);
  save.CodePage = 65001;
  saving_ = true;
  SendEvent(far3::EE_SAVE, &save);
  saving_ = false;
  if (trace) Trace(depth_, "save \"" + Utf8(name) + "\"");
  if (WriteFileBytes(name, TextUtf8())) fileName = name;
}

intptr_t Host3::Configure() {
  Current = this;
  if (!started_ || !plugin_.GetPluginInfoW || !plugin_.ConfigureW) return 0;
  TakePluginInfo(&PluginInfo::PluginConfig, &configText, &configGuid);
  if (trace) Trace(depth_, "configuration \"" + configText + "\"");
  far3::ConfigureInfo ci;
  std::memset(&ci, 0, sizeof(ci));
  ci.StructSize = sizeof(ci);
  ci.Guid = &configGuid;
  intptr_t changed = plugin_.ConfigureW(&ci);
  CheckCallEnded("ConfigureW");
  if (trace) Trace(depth_, "configure -> " + std::to_string(changed));
  // "Changed": Far asks for the plug-in's information again for its cache.
  if (changed) TakePluginInfo(&PluginInfo::PluginConfig, &configText, &configGuid);
  return changed;
}

void Host3::TakePluginInfo(far3::PluginMenuItem far3::PluginInfo::*menu, std::string *text,
                           GUID *guid) {
  PluginInfo pi;
  std::memset(&pi, 0, sizeof(pi));
  pi.StructSize = sizeof(pi);
  plugin_.GetPluginInfoW(&pi);
  pluginInfo = pi;
  const far3::PluginMenuItem &item = pi.*menu;
  text->clear();
  if (item.Count > 0 && item.Strings && item.Strings[0]) *text = Utf8(TextOf(item.Strings[0]));
  if (item.Count > 0 && item.Guids) *guid = item.Guids[0];
}

namespace {

FILE *OpenPath(const std::u16string &path, bool write) {
#ifdef _WIN32
  return _wfopen(reinterpret_cast<const wchar_t *>(path.c_str()), write ? L"wb" : L"rb");
#else
  return std::fopen(Utf8(path).c_str(), write ? "wb" : "rb");
#endif
}

}  // namespace

bool ReadFileBytes(const std::u16string &path, std::string *bytes) {
  bytes->clear();
  FILE *f = OpenPath(path, false);
  if (!f) return false;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes->append(buffer, n);
  std::fclose(f);
  return true;
}

bool WriteFileBytes(const std::u16string &path, const std::string &bytes) {
  FILE *f = OpenPath(path, true);
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

const FarChar *Host3::GetMsg(const GUID *pluginId, intptr_t id) {
  static const FarChar empty[1] = {0};
  if (pluginId) getMsgPluginId = *pluginId;
  if (id < 0 || id >= static_cast<intptr_t>(messages.size())) return empty;
  return reinterpret_cast<const FarChar *>(messages[static_cast<size_t>(id)].c_str());
}

bool Host3::LoadLanguageFile(const std::string &path, const std::string &language) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::string lang;
  std::vector<std::string> parsed = Host::ParseLanguageFile(bytes, &lang);
  if (lang != language) return false;
  messages.clear();
  for (const std::string &m : parsed) messages.push_back(Utf16(m));
  return true;
}

std::string DescribeCommand3(const Command3 &cmd) {
  switch (cmd.code) {
    case ECTL_GETSTRING:
      return "ECTL_GETSTRING line=" + std::to_string(cmd.line);
    case ECTL_SETSTRING:
      return "ECTL_SETSTRING line=" + std::to_string(cmd.line) + " length=" +
             std::to_string(cmd.length) + (cmd.eolNull ? " eol=null" : " eol=set") + " text=\"" +
             Utf8(cmd.text) + "\"";
    case ECTL_GETINFO:
      return "ECTL_GETINFO";
    case ECTL_SETPOSITION: {
      const EditorSetPosition &p = cmd.position;
      return "ECTL_SETPOSITION line=" + std::to_string(p.CurLine) + " pos=" +
             std::to_string(p.CurPos) + " tabpos=" + std::to_string(p.CurTabPos) +
             " top=" + std::to_string(p.TopScreenLine) + " left=" + std::to_string(p.LeftPos) +
             " overtype=" + std::to_string(p.Overtype);
    }
    case ECTL_REDRAW:
      return "ECTL_REDRAW";
    case ECTL_PROCESSINPUT:
      return "ECTL_PROCESSINPUT " + DescribeInput(cmd.input, true);
    case ECTL_GETFILENAME:
      return "ECTL_GETFILENAME size=" + std::to_string(cmd.param1) + " -> " +
             std::to_string(cmd.result);
    case ECTL_UNDOREDO:
      return "ECTL_UNDOREDO command=" + std::to_string(cmd.undo);
    default:
      return "command " + std::to_string(cmd.code);
  }
}

}  // namespace sim
