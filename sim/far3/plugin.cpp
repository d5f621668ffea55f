// The Far 3 face: the plug-in's life, the user's keys, the plug-in menu,
// "Plugins configuration" and the editor events, as Far 3 drives a plug-in.
#include "assists/windows_api.h"  // first: it declares what the rest uses
#include "sim/far3/internal.h"

#include "macros/utf8.h"
#include "sim/far1/stand_in.h"

namespace sim {

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
intptr_t WINAPI MenuThunk(const GUID *, const GUID *id, intptr_t x, intptr_t y, intptr_t, Flags64 flags,
                          const FarChar *title, const FarChar *bottom, const FarChar *help,
                          const far3::FarKey *breakKeys, intptr_t *breakCode,
                          const far3::FarMenuItem *items, size_t count) {
  return Current ? Current->ShowMenu(id, x, y, flags, title, bottom, help, breakKeys, breakCode, items, count)
                 : -1;
}
intptr_t WINAPI EditorThunk(const FarChar *fileName, const FarChar *, intptr_t, intptr_t, intptr_t,
                            intptr_t, Flags64 flags, intptr_t startLine, intptr_t startChar,
                            uintptr_t codePage) {
  return Current ? Current->OpenEditor(fileName, flags, startLine, startChar, codePage) : 0;
}

}  // namespace

void SetCurrent(Host3 *host) { Current = host; }

const Host3 *CurrentHost3() { return Current; }

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

Host3::Host3(PluginApi3 plugin) : plugin_(plugin) {
  settings.redrawAfterFedKeys = false;
  settings.shiftTabMovesBack = true;
}

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
#ifdef _WIN32
  // A plug-in DLL reads Windows' clipboard: it holds what this host keeps.
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (clipboard.size() + 1) * sizeof(wchar_t));
    wchar_t *units = data ? static_cast<wchar_t *>(GlobalLock(data)) : nullptr;
    if (units) {
      for (size_t i = 0; i < clipboard.size(); ++i) units[i] = static_cast<wchar_t>(clipboard[i]);
      units[clipboard.size()] = 0;
      GlobalUnlock(data);
      if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
    }
    CloseClipboard();
  }
#endif
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
    psi.Menu = &MenuThunk;
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

intptr_t Host3::Input(const INPUT_RECORD &rec) {
  Current = this;
  intptr_t answer = Offer(rec, false);
  if (undoDepth_ != 0) {
    undoFaults.push_back("an undo group was still open when the plug-in answered " +
                         DescribeInput(rec, true));
    undoDepth_ = 1;
    EndGroup();
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
  if (IsKeyDown(rec) && !IsModifierKey(rec)) {
    Draw();
    // The window is drawn after each of the user's keys, its change events
    // before.
    SendEvent(far3::EE_REDRAW, nullptr);
  }
  return answer;
}

void Host3::Changed(int type, int line) {
  if (!subscribed.count(editorId)) return;
  far3::EditorChange change;
  std::memset(&change, 0, sizeof(change));
  change.StructSize = sizeof(change);
  change.Type = type;
  change.StringNumber = line;
  insideChange_ = true;
  SendEvent(far3::EE_CHANGE, &change);
  insideChange_ = false;
}

void Host3::MidRedraw() { SendEvent(far3::EE_REDRAW, nullptr); }

void Host3::CheckCallEnded(const std::string &what) {
  shows_.CallEnded();
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
  std::string what;
  if (event == far3::EE_CHANGE && param) {
    const auto *change = static_cast<const far3::EditorChange *>(param);
    record.changeType = change->Type;
    record.changeLine = change->StringNumber;
    static const char *const names[] = {"changed", "added", "deleted"};
    what = std::string(" ") + names[change->Type % 3] + " " + std::to_string(change->StringNumber);
  }
  if (this->record) editorEvents.push_back(record);
  if (trace) Trace(depth_, "editor event " + std::to_string(event) + " id " + std::to_string(editorId) + what);
  ++depth_;
  plugin_.ProcessEditorEventW(&info);
  --depth_;
  if (depth_ == 0) CheckCallEnded("ProcessEditorEventW");
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

}  // namespace sim
