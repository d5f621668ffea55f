// The stand-in host's Far 3 face: the same in-memory editor, holding UTF-16
// text, behind Far 3's EditorControl, GetMsg and dialog functions, driving the
// Far 3 edition as Far 3 does (key-ups included, records with StructSize).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "far3/host.h"
#include "sim/editor.h"
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
  std::u16string text;     // ECTL_SETSTRING
  bool eolNull = false;    // ECTL_SETSTRING
  intptr_t length = 0;     // ECTL_SETSTRING
  INPUT_RECORD input{};    // ECTL_PROCESSINPUT
  int undo = -1;           // ECTL_UNDOREDO's command
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
  far3::Flags64 flags = 0;
  std::vector<far3::FarDialogItem> items;
  std::vector<std::u16string> texts;  // each item's Data, copied as the host does
  intptr_t answer = -1;
  bool run = false;
  bool freed = false;
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
  // The user chooses the plug-in's entry in the editor's plug-in menu with
  // Enter: OpenW, then the key-up of that Enter reaches the editor.
  void Menu();
  std::string menuText;     // from GetPluginInfoW, UTF-8
  far3::GUID menuGuid{};
  far3::PluginInfo pluginInfo{};

  // What GetGlobalInfoW gave.
  far3::GlobalInfo globalInfo{};
  std::string title, description, author;

  // Language files: UTF-8 (a BOM skipped); the file whose .Language= names
  // `language`.
  bool LoadLanguageFile(const std::string &path, const std::string &language = "English");

  intptr_t EditorControl(intptr_t editorId, int command, intptr_t param1, void *param2);
  HANDLE DialogInit(const far3::GUID *pluginId, const far3::GUID *id, intptr_t x1, intptr_t y1,
                    intptr_t x2, intptr_t y2, const far3::FarChar *help,
                    const far3::FarDialogItem *items, size_t count, far3::Flags64 flags);
  intptr_t DialogRun(HANDLE dialog);
  void DialogFree(HANDLE dialog);
  const far3::FarChar *GetMsg(const far3::GUID *pluginId, intptr_t id);

  // Undo as Far 3 keeps it: each change the editor makes on its own is one
  // step, and the changes between ECTL_UNDOREDO's EUR_BEGIN and EUR_END are
  // one. Ctrl+Z takes back the last step: its text and cursor return.
  struct UndoStep {
    std::vector<Line> lines;
    int curLine = 0, curPos = 0;
  };
  std::vector<UndoStep> undoSteps;  // the last UndoLimit of them
  static constexpr size_t UndoLimit = 100;
  size_t undoStepsMade = 0;  // all steps ever kept
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

private:
  void Trace(int depth, const std::string &text);
  intptr_t Offer(const INPUT_RECORD &rec, bool fed);
  UndoStep Snapshot() const { return UndoStep{lines, curLine, curPos}; }
  void PushUndo(UndoStep step);
  // Applies a key or a line change as one undo step of its own, unless a
  // group is open.
  void Change(const INPUT_RECORD *rec);
  int undoDepth_ = 0;
  UndoStep groupStart_;

  PluginApi3 plugin_;
  std::u16string moduleName_;
  bool started_ = false;
  int depth_ = 0;
  size_t dialogNext_ = 0;
};

std::string DescribeCommand3(const Command3 &cmd);
std::string Utf8(const std::u16string &text);
std::u16string Utf16(const std::string &bytes);

}  // namespace sim
