// The key filter and the brace assists, observed through the host's journal.
#include <gtest/gtest.h>

#include <cstring>

#include "assists/braces.h"
#include "keys/input_filter.h"
#include "far1/plugin.h"
#include "tests/support.h"

namespace {

using test::Press;
using test::PressVk;
using test::Session;

TEST(Filter, NonTriggerEventsCostNoHostCommand) {
  Session s("{\n  \n", "main.cpp");
  s.At(1, 2);
  std::vector<INPUT_RECORD> events = {Press('a'), Press('{'), PressVk(VK_TAB, '\t'),
                                      PressVk(VK_BACK, 8), PressVk(VK_LEFT), PressVk(VK_DELETE)};
  for (INPUT_RECORD r : {Press(' '), Press('}'), PressVk(VK_RETURN, '\r')}) {
    r.Event.KeyEvent.bKeyDown = 0;  // releases of the trigger keys
    events.push_back(r);
  }
  INPUT_RECORD spare = PressVk(0, 0);
  spare.Event.KeyEvent.bKeyDown = 0;
  events.push_back(spare);
  INPUT_RECORD other;
  std::memset(&other, 0, sizeof(other));
  for (WORD type : {MOUSE_EVENT, FOCUS_EVENT, WINDOW_BUFFER_SIZE_EVENT, MENU_EVENT}) {
    other.EventType = type;
    events.push_back(other);
  }
  for (const INPUT_RECORD &r : events) {
    s.host.journal.clear();
    EXPECT_EQ(0, ProcessEditorInput(&r));
    EXPECT_TRUE(s.host.journal.empty()) << sim::DescribeInput(r);
  }
}

TEST(Filter, BusyFlagTurnsEverythingAway) {
  Session s("if\n", "main.cpp", "Macro if x\n");
  s.At(0, 2);
  Busy = 1;
  for (const INPUT_RECORD &r : {Press(' '), Press('}'), PressVk(VK_RETURN, '\r')})
    EXPECT_EQ(0, ProcessEditorInput(&r));
  Busy = 0;
  EXPECT_TRUE(s.host.journal.empty());
  EXPECT_EQ("if\n", s.host.Text());
}

TEST(Filter, TriggersAreRecognisedByCharacterWhateverTheModifiers) {
  Session s("{\n  \n", "main.cpp");
  s.At(1, 2);
  INPUT_RECORD ctrlBrace = Press('}', LEFT_CTRL_PRESSED | SHIFT_PRESSED);
  ctrlBrace.Event.KeyEvent.wRepeatCount = 5;
  EXPECT_EQ(1, ProcessEditorInput(&ctrlBrace));
  EXPECT_EQ("{\n}\n", s.host.Text());
}

TEST(Filter, FilesThatDoNotQualifyGetTheEditorsOwnResult) {
  const std::string text = "int main() {\n    if\n  \n";
  const std::string keys = "<Down><End> x<Down><Home>}<Up><Up><End><Enter>{<Enter>  }if <C-Enter>";
  for (const char *name : {"main.cc", "notes.txt", "makefile", "main.c.bak"}) {
    Session with(text, name, "Macro if \"sp ( ) left\"\n");
    sim::Host alone;  // the editor without any plug-in
    alone.SetText(text);
    with.Type(keys);
    test::TypeKeys(alone, keys);
    EXPECT_EQ(alone.Text(), with.host.Text()) << name;
    EXPECT_EQ(alone.curLine, with.host.curLine) << name;
    EXPECT_EQ(alone.curPos, with.host.curPos) << name;
    for (const sim::Event &e : with.host.events) EXPECT_EQ(0, e.answer);
  }
}

TEST(Filter, NoFileNameOrNoEditorObjectMeansTheHostHandlesTheKey) {
  Session s("{\n  \n", "main.cpp");
  s.At(1, 2);
  s.host.fileNameNull = true;
  INPUT_RECORD brace = Press('}');
  EXPECT_EQ(0, ProcessEditorInput(&brace));
  ASSERT_EQ(1u, s.host.journal.size());  // only the question for the name
  EXPECT_EQ(ECTL_GETINFO, s.host.journal[0].code);
  s.host.fileNameNull = false;
  ExitFAR();
  s.host.journal.clear();
  EXPECT_EQ(0, ProcessEditorInput(&brace));
  EXPECT_TRUE(s.host.journal.empty());
}

TEST(Filter, FileNamesAndBlankTexts) {
  for (const char *yes : {"MAIN.CPP", "Main.Cpp", "util.H", "x.c", "a.b.hpp", "c:\\x.y\\z.h"})
    EXPECT_TRUE(IsSourceFileName(yes)) << yes;
  for (const char *no : {"main.cc", "main.cxx", "main.hh", "main.c.bak", "makefile", "main.",
                         "c:\\src.old\\makefile", "", ".", "x.cpp ", "x.\xc3pp"})
    EXPECT_FALSE(IsSourceFileName(no)) << no;
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank("    "));
  EXPECT_FALSE(IsBlank("  \t "));
  EXPECT_FALSE(IsBlank("  x"));
  EXPECT_EQ(-1, FirstNonSpace(""));
  EXPECT_EQ(-1, FirstNonSpace("   "));
  EXPECT_EQ(2, FirstNonSpace("  \t{"));
  EXPECT_EQ(0, FirstNonSpace("{"));
  // The editor's tab size: 1 to 512 as given, any other as eight.
  EXPECT_EQ(1, UsableTabSize(1));
  EXPECT_EQ(512, UsableTabSize(512));
  EXPECT_EQ(8, UsableTabSize(513));
  EXPECT_EQ(8, UsableTabSize(0));
}

TEST(CloseBrace, LineWithANulAfterItsSpacesIsNotBlank) {
  Session s("{\n", "main.cpp");
  s.host.lines[1] = sim::Line{std::string("   \0x;", 6), "\n"};
  s.At(1, 2);
  EXPECT_EQ(0, s.host.Input(Press('}')));  // rewriting would lose "\0x;"
  EXPECT_EQ(std::string("{\n  } \0x;\n", 10), s.host.Text());
}

TEST(CloseBrace, ScanRestoresAllFourFieldsInOneCommand) {
  std::string text = "{\n";
  for (int i = 0; i < 80; ++i) text += "  x;\n";
  text += "    \n";
  for (bool match : {true, false}) {
    Session s(match ? text : text.substr(2), "main.cpp");
    int cur = match ? 81 : 80;
    s.At(cur, 3);
    s.host.topLine = cur - 10;
    s.host.leftPos = 2;
    s.host.journal.clear();
    int n = FindOpenBrace();
    EXPECT_EQ(match ? 0 : -1, n);
    const sim::Command &last = s.host.journal.back();
    ASSERT_EQ(ECTL_SETPOSITION, last.code);
    EXPECT_EQ(cur, last.position.CurLine);
    EXPECT_EQ(3, last.position.CurPos);
    EXPECT_EQ(cur - 10, last.position.TopScreenLine);
    EXPECT_EQ(2, last.position.LeftPos);
    EXPECT_EQ(-1, last.position.CurTabPos);
    EXPECT_EQ(-1, last.position.Overtype);
    EXPECT_EQ(cur, s.host.curLine);
    EXPECT_EQ(3, s.host.curPos);
    EXPECT_EQ(cur - 10, s.host.topLine);
    EXPECT_EQ(2, s.host.leftPos);
    // Two commands per line walked, the position read and its restore.
    size_t walked = match ? 81 : 80;
    EXPECT_EQ(2 * walked + 2, s.host.journal.size());
  }
}

TEST(CloseBrace, RewriteSetsTheLineThenTheColumnThenRedraws) {
  Session s("    {\n        \n", "main.cpp");
  s.At(1, 8);
  INPUT_RECORD brace = Press('}');
  EXPECT_EQ(1, ProcessEditorInput(&brace));
  const auto &j = s.host.journal;
  ASSERT_GE(j.size(), 3u);
  const sim::Command &set = j[j.size() - 3], &pos = j[j.size() - 2], &redraw = j.back();
  EXPECT_EQ(ECTL_SETSTRING, set.code);
  EXPECT_EQ(-1, set.line);
  EXPECT_EQ("    }", set.text);
  EXPECT_EQ(5, set.length);
  EXPECT_TRUE(set.eolNull);
  EXPECT_EQ(ECTL_SETPOSITION, pos.code);
  EXPECT_EQ(-1, pos.position.CurLine);
  EXPECT_EQ(5, pos.position.CurPos);
  EXPECT_EQ(-1, pos.position.TopScreenLine);
  EXPECT_EQ(-1, pos.position.LeftPos);
  EXPECT_EQ(ECTL_REDRAW, redraw.code);
  EXPECT_EQ("    {\n    }\n", s.host.Text());
}

TEST(OpenBrace, EnterRecordGoesOnUnchangedThenAPlainTab) {
  for (bool reentry : {true, false}) {
    Session s("int main() {\n", "main.cpp");
    s.host.settings.reentry = reentry;
    s.At(0, 12);
    INPUT_RECORD enter = PressVk(VK_RETURN, '\r', RIGHT_ALT_PRESSED | SHIFT_PRESSED);
    enter.Event.KeyEvent.wRepeatCount = 2;
    enter.Event.KeyEvent.wVirtualScanCode = 0x1C;
    s.host.journal.clear();
    EXPECT_EQ(1, s.host.Input(enter));
    std::vector<sim::Command> fed;
    for (const auto &c : s.host.journal)
      if (c.code == ECTL_PROCESSINPUT) fed.push_back(c);
    ASSERT_EQ(2u, fed.size());
    EXPECT_EQ(0, std::memcmp(&enter, &fed[0].input, sizeof(enter)));
    const KEY_EVENT_RECORD &tab = fed[1].input.Event.KeyEvent;
    EXPECT_EQ(VK_TAB, tab.wVirtualKeyCode);
    EXPECT_EQ(0, tab.uChar.UnicodeChar);
    EXPECT_EQ(0u, tab.dwControlKeyState);
    EXPECT_EQ(1, tab.wRepeatCount);
    EXPECT_EQ(0, Busy);
    // Fed events came back to the plug-in only with re-entry on, and were
    // answered 0 at once.
    size_t fedEvents = 0;
    for (const sim::Event &e : s.host.events)
      if (e.fed) {
        ++fedEvents;
        EXPECT_EQ(0, e.answer);
      }
    EXPECT_EQ(reentry ? 2u : 0u, fedEvents);
  }
}

TEST(OpenBrace, ConditionIsCheckedWithinTheLine) {
  Session s("{", "main.cpp");
  EditorGetString line{};
  line.StringText = "a{  ";
  line.StringLength = 4;
  INPUT_RECORD enter = PressVk(VK_RETURN, '\r');
  Busy = 0;
  s.host.settings.reentry = false;
  s.host.journal.clear();
  EXPECT_EQ(0, IndentAfterBrace(&enter, 0, line));
  EXPECT_EQ(0, IndentAfterBrace(&enter, 5, line));
  EXPECT_EQ(0, IndentAfterBrace(&enter, -3, line));
  EXPECT_EQ(0, IndentAfterBrace(&enter, 1, line));
  EXPECT_EQ(0, IndentAfterBrace(&enter, 3, line));
  EXPECT_TRUE(s.host.journal.empty());
  EXPECT_EQ(1, IndentAfterBrace(&enter, 2, line));
}

}  // namespace
