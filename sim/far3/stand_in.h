// The stand-in host's Far 3 face: the same in-memory editor, holding UTF-16
// text, behind Far 3's EditorControl, GetMsg and dialog functions, driving the
// Far 3 edition as Far 3 does (key-ups included, records with StructSize).
// One file per service: plugin.cpp (the plug-in's life, keys, menus, events),
// editor.cpp (EditorControl), undo.cpp, dialog.cpp (dialogs, message boxes),
// settings.cpp, mask_service.cpp with masks.h (file masks), windows.cpp
// (editor windows, saving), language.cpp.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "far3/host.h"
#include "sim/editor.h"
#include "sim/far3/masks.h"
#include "sim/show_limit.h"
#include "sim/plugin_api.h"

namespace sim {

// One host command the plug-in issued, with the fields of its record.
struct Command3 {
  int code = 0;
  int depth = 0;           // how many plug-in calls were open when it was issued
  intptr_t editorId = 0;   // -1 for the current editor
  intptr_t param1 = 0;
  bool param2Null = false;
  size_t structSize = 0;   // of the record Param2 points to, where it has one
  intptr_t line = 0;       // StringNumber of ECTL_GETSTRING and ECTL_SETSTRING
  far3::EditorSetPosition position{};  // ECTL_SETPOSITION
  far3::EditorSelect select{};         // ECTL_SELECT
  std::u16string text;     // ECTL_SETSTRING
  bool eolNull = false;    // ECTL_SETSTRING
  intptr_t length = 0;     // ECTL_SETSTRING
  INPUT_RECORD input{};    // ECTL_PROCESSINPUT
  int undo = -1;           // ECTL_UNDOREDO's command
  bool insideChange = false;  // issued inside EE_CHANGE, where every command fails
  intptr_t result = 0;
};

// One call of the plug-in's ProcessEditorInputW.
struct Event3 {
  INPUT_RECORD input{};
  intptr_t answer = 0;
  int depth = 0;
  bool fed = false;  // brought about by the plug-in's own ECTL_PROCESSINPUT
};

struct DialogCall3 {
  far3::GUID pluginId{};
  far3::GUID id{};
  intptr_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool helpTopicNull = false;
  std::u16string helpTopic;
  far3::Flags64 flags = 0;
  std::vector<far3::FarDialogItem> items;
  std::vector<std::u16string> texts;  // each item's Data, copied as the host does
  intptr_t answer = -1;
  bool run = false;
  bool freed = false;
  std::vector<std::string> layout;  // where the host draws each item
};

// One message box the plug-in showed (or Far showed for it).
struct MessageCall3 {
  far3::Flags64 flags = 0;
  std::u16string helpTopic;
  std::vector<std::u16string> lines;  // the title first
};

// One call of PluginStartupInfo.Editor.
struct EditorCall3 {
  std::u16string fileName;
  far3::Flags64 flags = 0;
  intptr_t startLine = 0, startChar = 0;
  uintptr_t codePage = 0;
  intptr_t result = 0;
};

// One call of the plug-in's ProcessEditorEventW.
struct EditorEvent3 {
  intptr_t event = 0;
  intptr_t editorId = 0;
  std::u16string fileName;  // EE_SAVE: the name being written
  int changeType = -1;      // EE_CHANGE: what changed, and which line
  intptr_t changeLine = -1;
};

// A value in the settings store, as the settings API keeps it.
struct StoredSetting {
  int type = 0;  // FST_QWORD or FST_STRING
  unsigned long long number = 0;
  std::u16string text;
};

class Host3 : public TextEditor<char16_t> {
public:
  explicit Host3(PluginApi3 plugin = PluginApi3());
  ~Host3();
  Host3(const Host3 &) = delete;
  Host3 &operator=(const Host3 &) = delete;

  // The text as UTF-8 bytes; a sequence that is not UTF-8 becomes U+FFFD.
  void SetTextUtf8(const std::string &bytes);
  std::string TextUtf8() const;

  // Plug-in life: GetGlobalInfoW, then SetStartupInfoW with the start-up
  // record and the functions table on the stack, overwritten once it returns.
  void Start(const std::string &moduleNameUtf8);
  void Stop();
  bool started() const { return started_; }

  // A console event typed by the user: the plug-in sees it first, and the
  // editor applies it only when the plug-in answers 0. Returns the answer.
  intptr_t Input(const INPUT_RECORD &rec);
  // The user chooses the plug-in's ENTRY-th entry (1-based, in the order Far
  // shows them: sorted by text) in the editor's plug-in menu with Enter:
  // OpenW, then the key-up of that Enter reaches the editor.
  void Menu(int entry = 1);
  // A keyboard macro's Plugin.Menu with that entry's GUID: OpenW as from the
  // menu, no focus events, no key-up. False when there is no such entry.
  bool MacroMenu(int entry);
  // A keyboard macro's Plugin.Call with these strings: OpenW from a macro;
  // what the macro receives (a null handle is false).
  bool MacroCall(const std::vector<std::u16string> &strings);
  // The Menu service. The user's keys in a menu come from `menuKeys` (none
  // left: Esc). Up, Down (around with FMENU_WRAPMODE), Enter, Esc, F1 (shows
  // the help topic), a break key, Ctrl+Alt+F (Far's filter: typed characters
  // and BS edit it, items that do not contain it are hidden), and without the
  // filter an item's '&' letter.
  intptr_t ShowMenu(const far3::GUID *id, intptr_t x, intptr_t y, far3::Flags64 flags, const far3::FarChar *title,
                    const far3::FarChar *bottom, const far3::FarChar *helpTopic,
                    const far3::FarKey *breakKeys, intptr_t *breakCode,
                    const far3::FarMenuItem *items, size_t count);
  std::function<bool(INPUT_RECORD *)> menuKeys;
  struct MenuCall3 {
    far3::GUID id{};
    intptr_t x = -1, y = -1;  // where the box's top left goes on the screen (-1: centred)
    far3::Flags64 flags = 0;
    std::u16string title, bottom, helpTopic;
    std::vector<std::u16string> items;
    std::vector<far3::Flags64> itemFlags;
    std::vector<std::string> drawn;         // each item as the box shows it
    std::vector<std::u16string> helpShown;  // a topic for each F1
    intptr_t answer = -1;
  };
  std::vector<MenuCall3> menuCalls;
  // The user chooses the plug-in's entry in "Plugins configuration":
  // GetPluginInfoW, ConfigureW, and GetPluginInfoW again when it answers
  // "changed". Returns ConfigureW's answer.
  intptr_t Configure();
  std::string configText;   // from GetPluginInfoW, UTF-8
  far3::GUID configGuid{};
  std::string menuText;     // from GetPluginInfoW, UTF-8
  far3::GUID menuGuid{};
  far3::PluginInfo pluginInfo{};

  // What GetGlobalInfoW gave.
  far3::GlobalInfo globalInfo{};
  std::string title, description, author;

  // Language files: UTF-8 (a BOM skipped); the file whose .Language= names
  // `language` (empty: whatever language the file declares).
  bool LoadLanguageFile(const std::string &path, const std::string &language = "English");

  intptr_t EditorControl(intptr_t editorId, int command, intptr_t param1, void *param2);
  HANDLE DialogInit(const far3::GUID *pluginId, const far3::GUID *id, intptr_t x1, intptr_t y1,
                    intptr_t x2, intptr_t y2, const far3::FarChar *help,
                    const far3::FarDialogItem *items, size_t count, far3::Flags64 flags);
  intptr_t DialogRun(HANDLE dialog);
  void DialogFree(HANDLE dialog);
  intptr_t SendDlgMessage(HANDLE dialog, intptr_t msg, intptr_t param1, void *param2);
  const far3::FarChar *GetMsg(const far3::GUID *pluginId, intptr_t id);
  intptr_t Message(far3::Flags64 flags, const far3::FarChar *helpTopic,
                   const far3::FarChar *const *items, size_t count, intptr_t buttons);
  size_t ProcessName(const far3::FarChar *mask, const far3::FarChar *name, far3::Flags64 flags);
  intptr_t SettingsControl(HANDLE handle, int command, intptr_t param1, void *param2);
  intptr_t OpenEditor(const far3::FarChar *fileName, far3::Flags64 flags, intptr_t startLine,
                      intptr_t startChar, uintptr_t codePage);

  // Editor windows: the current one is this editor; Ctrl+Tab goes to the
  // next. F2 saves the current one under its name, Shift+F2 under the next of
  // `saveAsNames` (its own name when they have run out): the plug-in sees
  // EE_SAVE before the file is written, as in Far.
  intptr_t editorId = 0;
  size_t WindowCount() const { return otherWindows_.size() + 1; }
  void NextWindow();
  void Save(const std::u16string &name);
  std::deque<std::u16string> saveAsNames;
  // A save whose text the plug-in cannot read: the editor refuses
  // ECTL_GETSTRING during EE_SAVE.
  bool refuseLinesDuringSave = false;
  std::vector<EditorEvent3> editorEvents;
  // The editors subscribed to change events (EE_CHANGE), by id.
  std::set<intptr_t> subscribed;
  std::vector<EditorCall3> editorCalls;

  // The settings store (roaming, the plug-in's top key), which outlives a
  // Stop and Start as Far's database does. A handle holds it until SCTL_FREE,
  // which commits what was set.
  std::map<std::u16string, StoredSetting> settingsStore;
  size_t settingsHandles = 0;  // handles ever created
  size_t processNameCalls = 0;
  std::vector<MessageCall3> messageBoxes;
  // Told of each message box ("message", then " [", each line, "]") and each
  // editor the plug-in opens ("editor opened ", the name), for a tool to show.
  std::function<void(const std::vector<std::string> &)> report;
  // Answers a dialog's run instead of `dialogAnswers` when set: it may change
  // the texts and check states the plug-in reads back.
  std::function<intptr_t(DialogCall3 &)> dialogScript;
  // Faults in the plug-in's use of the host other than undo: a settings handle
  // left open when its call returned, a second one opened meanwhile, a dialog
  // read after it was freed, dialogs or message boxes shown without end.
  std::vector<std::string> hostFaults;

  // Undo as Far 3 keeps it: a list of records. A change to one line's text
  // is an edit record, which joins the one before it (same line, no "new
  // step" mark, an open group or a position within 1); a change of several
  // lines is a record of its own; EUR_BEGIN and EUR_END bracket records that
  // are one step. Ctrl+Z takes back the last step.
  struct UndoRecord {
    enum Kind { Edit, Lines, Begin, End } kind = Edit;
    int line = 0;              // Edit: the line; Lines: the first line replaced
    std::vector<Line> old;     // the line or lines as they were
    int newCount = 0;          // Lines: how many lines stand in their place now
    int pos = 0;               // Edit: its position
    int curLine = 0, curPos = 0;  // Begin: the cursor before; Lines: where taking it back puts it
    bool lineStart = false;       // a split by Enter with auto indent: also a group's undo goes there
  };
  std::vector<UndoRecord> undoRecords;  // the last UndoLimit steps of them
  static constexpr size_t UndoLimit = 100;
  size_t undoStepsMade = 0;  // all steps ever begun
  // Faults in the plug-in's use of undo groups: an end without a begin, or a
  // begin still open when the plug-in's call returned.
  std::vector<std::string> undoFaults;
  void Undo();

  std::u16string fileName = u"noname.cpp";
  std::vector<std::u16string> messages;
  std::vector<int> dialogAnswers;  // one per dialog, -1 once they run out
  std::vector<DialogCall3> dialogCalls;
  far3::GUID getMsgPluginId{};  // the plug-in id of the last GetMsg

  // Keep the journal, the events and the undo history (benchmarks turn it
  // off: they measure the plug-in, not the stand-in's bookkeeping).
  bool record = true;
  size_t commandCount = 0;  // every host command, recorded or not
  std::vector<Command3> journal;
  std::vector<Event3> events;
  int redraws = 0;
  std::function<void(const std::string &)> trace;  // one line per event and command

protected:
  // Each change the editor makes: an EE_CHANGE to a subscribed editor's
  // plug-in, every command failing while it runs.
  void Changed(int type, int line) override;
  void MidRedraw() override;

private:
  void Trace(int depth, const std::string &text);
  intptr_t Offer(const INPUT_RECORD &rec, bool fed);
  void SendEvent(intptr_t event, void *param);
  struct MenuEntry {
    std::string text;
    far3::GUID guid;
  };
  // OpenW with a record as Far fills it.
  HANDLE Open(int openFrom, const far3::GUID *guid, intptr_t data);
  // GetPluginInfoW: the editor menu's entries, in Far's order.
  std::vector<MenuEntry> PluginMenuEntries();
  // GetPluginInfoW, with the first entry of one of its menus.
  void TakePluginInfo(far3::PluginMenuItem far3::PluginInfo::*menu, std::string *text,
                      far3::GUID *guid);
  // After each of the plug-in's calls: nothing may stay open.
  void CheckCallEnded(const std::string &what);
  // Applies a key the editor itself handles, keeping its undo record.
  void Change(const INPUT_RECORD *rec);
  // Records what changed since BEFORE: one line's edit at EDITPOS, or the
  // lines replaced (LINE and POS: the cursor before).
  void RecordDiff(const std::vector<Line> &before, int line, int pos, int editPos);
  // Records one line's change (its text before, the change's position).
  void RecordEdit(int line, Line before, int pos);
  // Records the lines [first, first + oldLines.size()) that NEWCOUNT lines replaced.
  void RecordLines(int first, std::vector<Line> oldLines, int newCount, int line, int pos);
  void BeginGroup();
  void EndGroup();
  void UndoRecordAt(const UndoRecord &r);
  // A step completed (outside a group: a record; a group at its end).
  void StepMade();
  void DropOldestStep();
  int undoDepth_ = 0;
  bool newStep_ = false;   // the "new step" mark
  int lastChangePos_ = 0;  // the position of the last change that joined a record
  size_t stepsHeld_ = 0;   // steps in undoRecords

  struct Window {
    TextEditor<char16_t> editor;
    std::u16string fileName;
    std::vector<UndoRecord> undo;
    size_t stepsHeld = 0;
    bool newStep = false;
    intptr_t id = 0;
    int lastChangePos = 0;
  };
  std::deque<Window> otherWindows_;
  intptr_t nextEditorId_ = 1;
  bool saving_ = false;
  bool insideChange_ = false;
  bool settingsOpen_ = false;
  std::map<std::u16string, StoredSetting> settingsPending_;
  std::deque<std::u16string> settingsStrings_;  // what GET lent, until SCTL_FREE
  std::unique_ptr<MaskList> lastMasks_;  // the last list ProcessName parsed

  PluginApi3 plugin_;
  std::u16string moduleName_;
  bool started_ = false;
  int depth_ = 0;
  size_t dialogNext_ = 0;
  ShowLimit shows_;
};

std::string DescribeCommand3(const Command3 &cmd);
// The host whose plug-in runs now (null between sessions).
const Host3 *CurrentHost3();

std::string Utf8(const std::u16string &text);
std::u16string Utf16(const std::string &bytes);
// Whole files by a UTF-16 name (UTF-8 on the native file system).
bool ReadFileBytes(const std::u16string &path, std::string *bytes);
bool WriteFileBytes(const std::u16string &path, const std::string &bytes);

}  // namespace sim
