// The stand-in host: an in-memory text editor behind the host's EditorControl,
// with the host's Dialog and GetMsg, driving a plug-in as the real host does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "far1/host.h"
#include "sim/editor.h"
#include "sim/plugin_api.h"
#include "sim/show_limit.h"

namespace sim {

using Line = BasicLine<char>;

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
  std::vector<std::string> layout;  // where the host draws each item
};

// The 1.x host's face: the editor holds the file's bytes.
class Host : public TextEditor<char> {
public:
  explicit Host(PluginApi plugin = PluginApi());
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

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

  // Takes over another editor's text, cursor, scroll, settings, selection and
  // file name (not its plug-in, journal or dialog script).
  void CopyEditorFrom(const Host &other);

  // Language files: the messages of the file whose .Language= names `language`
  // (empty: whatever language the file declares).
  bool LoadLanguageFile(const std::string &path, const std::string &language = "English");
  static std::vector<std::string> ParseLanguageFile(const std::string &bytes,
                                                    std::string *language);

  int EditorControl(int command, void *param);
  int Dialog(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
             FarDialogItem *items, int count);
  const char *GetMsg(INT_PTR module, int id);

  std::string fileName = "noname.cpp";
  bool fileNameNull = false;  // command 6 gives no file name
  bool getMsgNull = false;    // GetMsg answers null

  std::vector<std::string> messages;
  std::vector<int> dialogAnswers;  // one per dialog, -1 once they run out
  std::vector<DialogCall> dialogCalls;

  // Faults in the plug-in's use of the host: dialogs shown without end, a
  // dialog item outside its frame.
  std::vector<std::string> hostFaults;

  bool record = true;  // keep the journal and the events (benchmarks turn it off)
  size_t commandCount = 0;  // every host command, recorded or not
  std::vector<Command> journal;
  std::vector<Event> events;
  int redraws = 0;
  std::function<void(const std::string &)> trace;  // one line per event and command

private:
  void Trace(int depth, const std::string &text);

  PluginApi plugin_;
  PluginStartupInfo info_{};
  bool started_ = false;
  int depth_ = 0;
  size_t dialogNext_ = 0;
  ShowLimit shows_;
};

// An event as the trace shows it; `wide`: the whole UTF-16 character (Far 3).
std::string DescribeInput(const INPUT_RECORD &rec, bool wide = false);
std::string DescribeCommand(const Command &cmd);

}  // namespace sim
