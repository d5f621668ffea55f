// The stand-in host: an in-memory text editor behind the host's EditorControl,
// with the host's Dialog and GetMsg, driving a plug-in as the real host does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "far1/host.h"
#include "sim/plugin_api.h"

namespace sim {

struct Line {
  std::string text;
  std::string eol;  // "\r\n", "\n", or "" on a last line without one
};

struct Settings {
  bool autoIndent = false;
  bool expandTabs = false;
  int tabSize = 8;
  bool overtype = false;
  bool cursorBeyondEol = true;
  bool reentry = true;  // fed events go back to the plug-in first, as in the host
  // The editor redraws after every key it applies, fed keys included (1.x);
  // off, it redraws only after the user's own keys.
  bool redrawAfterFedKeys = true;
};

// One host command the plug-in issued, with the fields of its record.
struct Command {
  int code = 0;
  int depth = 0;  // how many plug-in calls were open when it was issued
  int line = 0;   // StringNumber of commands 0 and 1
  EditorSetPosition position{};  // command 7
  std::string text;              // command 1
  bool eolNull = false;          // command 1
  int length = 0;                // command 1
  INPUT_RECORD input{};          // command 17
};

// One call of the plug-in's ProcessEditorInput.
struct Event {
  INPUT_RECORD input{};
  int answer = 0;
  int depth = 0;
  bool fed = false;  // brought about by the plug-in's own command 17
};

struct DialogCall {
  INT_PTR moduleNumber = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool helpTopicNull = false;
  int itemsNumber = 0;
  std::vector<FarDialogItem> items;
  int answer = 0;
};

class Host {
public:
  explicit Host(PluginApi plugin = PluginApi());
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

  // The text, as bytes: lines split at LF, each keeping its own end of line.
  void SetText(const std::string &bytes);
  std::string Text() const;

  // Plug-in life.
  void Start(const std::string &moduleName);
  void Stop();
  bool started() const { return started_; }

  // A key or other console event typed by the user: the plug-in sees it first,
  // and the editor applies it only when the plug-in answers 0. Returns the answer.
  int Input(const INPUT_RECORD &rec);
  // The user chooses the plug-in's entry in the editor's plug-in menu.
  void Menu();
  // The text of the plug-in's menu entry, from GetPluginInfo.
  std::string menuText;

  // Takes over another editor's text, cursor, scroll, settings and selection
  // (not its plug-in, journal or dialog script).
  void CopyEditorFrom(const Host &other);

  // The editor alone applying one event.
  void Apply(const INPUT_RECORD &rec);

  // Selections, as a test sets them (stream: end exclusive).
  void SelectStream(int line1, int pos1, int line2, int pos2);
  void SelectColumn(int line1, int col1, int line2, int col2);
  void Unselect() { blockType_ = BTYPE_NONE; }

  // Language files: the messages of the file whose .Language= names `language`.
  bool LoadLanguageFile(const std::string &path, const std::string &language = "English");
  static std::vector<std::string> ParseLanguageFile(const std::string &bytes,
                                                    std::string *language);

  int EditorControl(int command, void *param);
  int Dialog(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
             FarDialogItem *items, int count);
  const char *GetMsg(INT_PTR module, int id);

  // Screen column of a character index on a line (tabs expand).
  int ScreenColumn(int line, int pos) const;
  // The character index whose screen span holds COL; past the end, the
  // remaining columns beyond it.
  int PosAtColumn(int line, int col) const;
  // The screen column the editor remembered at its last redraw.
  int rememberedColumn() const { return rememberedColumn_; }

  std::vector<Line> lines;
  int curLine = 0, curPos = 0, topLine = 0, leftPos = 0;
  int windowX = 80, windowY = 25;
  Settings settings;
  std::string fileName = "noname.cpp";
  bool fileNameNull = false;  // command 6 gives no file name
  bool getMsgNull = false;    // GetMsg answers null

  std::vector<std::string> messages;
  std::vector<int> dialogAnswers;  // one per dialog, -1 once they run out
  std::vector<DialogCall> dialogCalls;

  bool record = true;  // keep the journal and the events (benchmarks turn it off)
  std::vector<Command> journal;
  std::vector<Event> events;
  int redraws = 0;
  std::function<void(const std::string &)> trace;  // one line per event and command

private:
  void Trace(int depth, const std::string &text);
  void Draw();
  void Fix();
  void EnsureVisible();
  void DeleteSelection();
  void PadTo(Line &line, int pos);
  void InsertText(const std::string &s);
  void Enter();
  void Tab();
  void Backspace();
  void Delete();
  std::string DefaultEol(int line) const;

  PluginApi plugin_;
  PluginStartupInfo info_{};
  bool started_ = false;
  int depth_ = 0;
  size_t dialogNext_ = 0;
  int blockType_ = BTYPE_NONE;
  int rememberedColumn_ = 0;
  int unclampedColumn_ = -1;  // Up or Down's column before a short line pulled it back
  int blockLine1_ = 0, blockPos1_ = 0, blockLine2_ = 0, blockPos2_ = 0;
};

std::string DescribeInput(const INPUT_RECORD &rec);
std::string DescribeCommand(const Command &cmd);

}  // namespace sim
