// The Far 3 edition on the stand-in host's Far 3 face: its start-up, its
// records, its journal of host commands, its dialog and its macro file.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "far3/edition.h"
#include "macros/utf8.h"
#include "tests/support.h"

namespace {

using test::Session3;

// The size of the record each command takes, 0 for one without.
size_t RecordSize(int code) {
  switch (code) {
    case far3::ECTL_GETSTRING: return sizeof(far3::EditorGetString);
    case far3::ECTL_SETSTRING: return sizeof(far3::EditorSetString);
    case far3::ECTL_GETINFO: return sizeof(far3::EditorInfo);
    case far3::ECTL_SETPOSITION: return sizeof(far3::EditorSetPosition);
    case far3::ECTL_UNDOREDO: return sizeof(far3::EditorUndoRedo);
    default: return 0;
  }
}

std::string Codes(const std::vector<sim::Command3> &journal) {
  std::string out;
  for (const sim::Command3 &c : journal) out += (out.empty() ? "" : " ") + std::to_string(c.code);
  return out;
}

TEST(Far3Start, GlobalInfoNamesThePluginAndTheOldestFarItNeeds) {
  Session3 s("");
  const far3::GlobalInfo &gi = s.host.globalInfo;
  EXPECT_EQ(sizeof(far3::GlobalInfo), gi.StructSize);  // Far's own value is left alone
  EXPECT_TRUE(test::SameGuid(far3::PluginGuid, gi.Guid));
  EXPECT_FALSE(test::SameGuid(far3::GUID{}, gi.Guid));
  EXPECT_EQ("vorlane", s.host.title);
  EXPECT_FALSE(s.host.description.empty());
  EXPECT_FALSE(s.host.author.empty());
  EXPECT_EQ(3u, gi.MinFarVersion.Major);
  EXPECT_EQ(0u, gi.MinFarVersion.Build);  // any Far 3, not the header's build
  EXPECT_EQ(VORLANE_VERSION, std::to_string(gi.Version.Major) + "." + std::to_string(gi.Version.Minor) +
                                 "." + std::to_string(gi.Version.Revision));
}

TEST(Far3Start, TheRecordAndTheFunctionsTableAreCopied) {
  // The stand-in host overwrites both of its stack copies once
  // SetStartupInfoW returns: everything below must come from the plug-in's own.
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  EXPECT_EQ(sizeof(far3::PluginStartupInfo), far3::StartupInfo.StructSize);
  ASSERT_EQ(&far3::StandardFunctions, far3::StartupInfo.FSF);
  EXPECT_EQ(sizeof(far3::FarStandardFunctions), far3::StandardFunctions.StructSize);
  EXPECT_EQ(reinterpret_cast<void *>(0x1000), far3::StandardFunctions.Functions1[0]);
  EXPECT_EQ(reinterpret_cast<void *>(0x1000 + 48), far3::StandardFunctions.Functions2[7]);
  EXPECT_NE(nullptr, far3::StandardFunctions.ProcessName);
  ASSERT_NE(nullptr, far3::StartupInfo.ModuleName);
  EXPECT_EQ(test::Join(s.dir, "vorlane.dll"),
            sim::Utf8(reinterpret_cast<const char16_t *>(far3::StartupInfo.ModuleName)));
  s.At(0, 2);
  s.Type(" ");  // the host's functions are still reached through the copy
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
  s.host.Stop();
  EXPECT_EQ(nullptr, far3::FarEditor);
  EXPECT_EQ(0, far3::MacroCount);
}

TEST(Far3Start, ADllReadsTheMacroFileOfItsOwnName) {
  std::string dir = test::NewTempDir();
  test::WriteFile(test::Join(dir, "other.mac"), "Macro if x\n");
  test::WriteFile(test::Join(dir, "vorlane.mac"), "Macro if y\nMacro do z\n");
  sim::Host3 host(LinkedPlugin3());
  host.Start(test::Join(dir, "Other.DLL"));
  EXPECT_EQ(1, far3::MacroCount);
  host.Start(test::Join(dir, "other.exe"));  // no ".dll": nothing to read
  EXPECT_EQ(0, far3::MacroCount);
  host.Stop();
  std::remove(test::Join(dir, "other.mac").c_str());
  std::remove(test::Join(dir, "vorlane.mac").c_str());
}

TEST(Far3Filter, OrdinaryKeysAndEveryKeyUpCostNoHostCommand) {
  Session3 s("{\n  \n", "main.cpp", "Macro if x\n");
  s.At(1, 2);
  std::vector<INPUT_RECORD> events;
  for (unsigned c : {0x61u, 0x3Bu, 0x0416u, 0xD83Du})  // a ; Ж and half a pair
    events.push_back(sim::KeyRecord(0, c, 0, true));
  for (WORD vk : {VK_TAB, VK_BACK, VK_LEFT, VK_DELETE}) events.push_back(sim::KeyRecord(vk, 0, 0, true));
  for (unsigned c : {0x20u, 0x7Du, 0x0Du, 0x61u})  // releases, the trigger keys' among them
    events.push_back(sim::KeyRecord(c == '\r' ? VK_RETURN : 0, c, 0, false));
  for (const INPUT_RECORD &r : events) {
    s.host.journal.clear();
    EXPECT_EQ(0, s.host.Input(r));
    EXPECT_TRUE(s.host.journal.empty()) << sim::DescribeInput(r, true);
  }
}

TEST(Far3Filter, AnEnterReadsABoundedNumberOfLinesAndWritesOne) {
  // The end of a 20 000-line function, and a line deep inside parentheses:
  // the lines read stay within the two looks up, and one line is written.
  std::string longFunction = "int f() {\n";
  for (int i = 0; i < 20000; ++i) longFunction += "    x;\n";
  const std::string deep = "int g() {\n    y = " + std::string(2000, '(') + "\n";
  for (const std::string &text : {longFunction, deep}) {
    Session3 s(text);
    const int last = static_cast<int>(s.host.lines.size()) - 2;
    s.At(last, static_cast<int>(s.host.lines[static_cast<size_t>(last)].text.size()));
    s.host.journal.clear();
    s.Type("<Enter>");
    size_t reads = 0, writes = 0;
    for (const sim::Command3 &c : s.host.journal) {
      if (c.code == far3::ECTL_GETSTRING) ++reads;
      if (c.code == far3::ECTL_SETSTRING) ++writes;
    }
    EXPECT_LE(reads, static_cast<size_t>(indent::NearLines + indent::FarLines + 2));
    EXPECT_EQ(1u, writes);
    EXPECT_EQ(last + 1, s.host.curLine);
  }
}

TEST(Far3Filter, EveryRecordCarriesItsStructSizeForTheCurrentEditor) {
  Session3 s("if\n{\n  \nint f() {\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.At(0, 2);
  s.Type(" ");
  s.At(2, 2);
  s.Type("}");
  s.At(3, 9);
  s.Type("<Enter>");
  EXPECT_EQ("if ()\n{\n}\nint f() {\n\t\n", s.host.TextUtf8());
  bool sawRecords = false;
  for (const sim::Command3 &c : s.host.journal) {
    EXPECT_EQ(-1, c.editorId) << sim::DescribeCommand3(c);
    if (RecordSize(c.code) == 0) continue;
    sawRecords = true;
    EXPECT_EQ(RecordSize(c.code), c.structSize) << sim::DescribeCommand3(c);
    EXPECT_NE(0, c.result) << sim::DescribeCommand3(c);
  }
  EXPECT_TRUE(sawRecords);
}

TEST(Far3Menu, ANarrowWindowStillGetsItemsOfTwentyUnits) {
  Session3 s("x\n", "main.cpp", "Macro lng \"a b c d e f g h i j k l m n o p q r s t u\"\n");
  s.host.windowX = 25;
  s.host.Menu(2);  // no keys for the menu: as Esc
  ASSERT_EQ(1u, s.host.menuCalls.size());
  ASSERT_EQ(1u, s.host.menuCalls[0].items.size());
  EXPECT_EQ(u"lng  lngabcdefghijk\u2026", s.host.menuCalls[0].items[0]);  // 20 units
}

TEST(Far3Menu, AWideWindowCutsItemsAtTheirLimit) {
  // 256 units at most, each item its own: the first one's end is not the
  // next one's start (the sanitizers see one unit too few).
  std::string body;
  for (int i = 0; i < 300; ++i) body += "x ";
  Session3 s("x\n", "main.cpp", "Macro lng \"" + body + "\"\nMacro zz \"z\"\n");
  s.host.windowX = 400;
  s.host.Menu(2);
  ASSERT_EQ(1u, s.host.menuCalls.size());
  ASSERT_EQ(2u, s.host.menuCalls[0].items.size());
  EXPECT_EQ(256u, s.host.menuCalls[0].items[0].size());
  EXPECT_EQ(u"zz   zzz", s.host.menuCalls[0].items[1]);
}

TEST(Far3Filter, TheBraceScanGivesBackTheScrollItFound) {
  // Scrolled down and sideways: the scan's last position set puts back the
  // top line and the left column each in its own field.
  std::string text = "{\n";
  for (int i = 0; i < 40; ++i) text += "  x;\n";
  text += "    \n";
  Session3 s(text);
  s.BraceRulesOnly();
  s.At(41, 4);
  s.host.topLine = 30;
  s.host.leftPos = 2;
  s.host.journal.clear();
  s.Type("}");
  const sim::Command3 *restore = nullptr;
  for (const sim::Command3 &c : s.host.journal)
    if (!restore && c.code == far3::ECTL_SETPOSITION && c.position.CurLine == 41) restore = &c;
  ASSERT_NE(nullptr, restore);
  EXPECT_EQ(30, restore->position.TopScreenLine);
  EXPECT_EQ(2, restore->position.LeftPos);
  EXPECT_EQ(30, s.host.topLine);
  EXPECT_EQ("{\n}\n", s.host.TextUtf8().substr(0, 2) + s.host.TextUtf8().substr(s.host.TextUtf8().size() - 2));
}

TEST(Far3Filter, TheIndentationKeysLeaveTheScrollAlone) {
  // Scrolled down and sideways: an electric key leaves the window's top line
  // and left column as they were.
  std::string text = "int f() {\n    if (x) {\n";
  for (int i = 0; i < 40; ++i) text += "        y();\n";
  text += "            \n";
  Session3 s(text);
  s.At(42, 12);
  s.host.topLine = 30;
  s.host.leftPos = 3;
  s.host.journal.clear();
  s.Type("}");
  EXPECT_EQ("    }\n", s.host.TextUtf8().substr(s.host.TextUtf8().size() - 6));
  EXPECT_EQ(30, s.host.topLine);
  EXPECT_EQ(3, s.host.leftPos);
}

TEST(Far3Fields, TheChoicesMenuOpensRightBelowTheStop) {
  // The menu's top left is on the screen row under the cursor's, at its
  // column: rows count from the editor's title line, the window scrolled.
  Session3 s("x\ny\n  t\n", "main.cpp", "Macro t \"bs from a or b field1\"\n");
  s.At(2, 3);
  s.host.topLine = 1;
  s.Type(" <Esc>");
  ASSERT_FALSE(s.host.menuCalls.empty());
  EXPECT_EQ(3, s.host.menuCalls.back().x);
  EXPECT_EQ(3, s.host.menuCalls.back().y);
  EXPECT_EQ("x\ny\n  a\n", s.host.TextUtf8());
}

TEST(Far3Filter, TheBusyFlagLetsFedKeysThroughAndIsClearedAfterwards) {
  Session3 s("if\nint f() {\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.BraceRulesOnly();
  s.At(0, 2);
  s.Type(" ");
  s.At(1, 9);
  s.Type("<Enter>");
  EXPECT_EQ(0, far3::Busy);
  int fed = 0;
  for (const sim::Event3 &e : s.host.events) {
    if (!e.fed) continue;
    ++fed;
    EXPECT_EQ(2, e.depth);  // inside the plug-in's own call
    EXPECT_EQ(0, e.answer) << sim::DescribeInput(e.input, true);  // the Space and the Enter among them
  }
  EXPECT_EQ(4 + 2 + 2, fed);  // and after each group a Home that starts the next step
  EXPECT_EQ("if ()\nint f() {\n\t\n", s.host.TextUtf8());
}

TEST(Far3Filter, FileNamesOfAnyLengthAreRead) {
  for (size_t length : {8u, 259u, 260u, 300u, 32000u, 32767u}) {
    std::string name = "c:\\" + std::string(length - 7, 'd') + ".cpp";
    ASSERT_EQ(length, name.size());
    Session3 s("if\n", name, "Macro if \"sp ( ) left\"\n");
    s.At(0, 2);
    s.Type(" ");
    EXPECT_EQ("if ()\n", s.host.TextUtf8()) << length;
    // One call: a buffer for the longest path, and the size the name needs.
    ASSERT_GE(s.host.journal.size(), 2u);
    EXPECT_EQ(far3::ECTL_GETFILENAME, s.host.journal[0].code);
    EXPECT_EQ(static_cast<intptr_t>(far3::Editor::NameLimit), s.host.journal[0].param1);
    EXPECT_EQ(static_cast<intptr_t>(length + 1), s.host.journal[0].result);
    EXPECT_NE(far3::ECTL_GETFILENAME, s.host.journal[1].code);
  }
  // Longer than any Windows path: turned away unread.
  Session3 s("if\n", "c:\\" + std::string(40000, 'd') + ".cpp", "Macro if x\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if \n", s.host.TextUtf8());
  EXPECT_EQ(1u, s.host.journal.size());
}

TEST(Far3Filter, NamesThatDoNotQualifyLeaveEveryKeyToTheEditor) {
  for (std::string name : {"main.txt", "main.cpp.bak", "cpp", ""}) {
    Session3 s("if\n{\n  \n", name, "Macro if x\n");
    s.At(0, 2);
    s.Type(" ");
    s.At(2, 2);
    s.Type("}");
    EXPECT_EQ("if \n{\n  }\n", s.host.TextUtf8()) << name;
  }
}

TEST(Far3Playback, FedKeysAreFollowedByARedrawOnlyWithoutCursorBeyondTheEnd) {
  for (bool beyond : {true, false}) {
    Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
    s.host.settings.cursorBeyondEol = beyond;
    s.At(0, 2);
    s.Type(" ");
    EXPECT_EQ("if ()\n", s.host.TextUtf8());
    // 33 ECTL_GETFILENAME, 6 ECTL_GETINFO, 0 ECTL_GETSTRING, 32 ECTL_UNDOREDO,
    // 15 ECTL_PROCESSINPUT, 7 ECTL_SETPOSITION, 9 ECTL_REDRAW; after the
    // group, a fed Home and the place put back start the next undo step
    if (beyond)
      EXPECT_EQ("33 6 0 32 15 15 15 15 32 6 15 7 9", Codes(s.host.journal));
    else
      EXPECT_EQ("33 6 0 32 15 9 15 9 15 9 15 9 32 6 15 7 9", Codes(s.host.journal));
  }
}

// The undo brackets of one trigger key: "" when there are none, else where
// they stand among the commands and whether every change is inside them.
std::string Brackets(const std::vector<sim::Command3> &journal) {
  int begin = -1, end = -1, begins = 0, ends = 0;
  for (size_t i = 0; i < journal.size(); ++i) {
    if (journal[i].code != far3::ECTL_UNDOREDO) continue;
    if (journal[i].undo == far3::EUR_BEGIN) ++begins, begin = static_cast<int>(i);
    if (journal[i].undo == far3::EUR_END) ++ends, end = static_cast<int>(i);
  }
  if (begins == 0 && ends == 0) return "";
  if (begins != 1 || ends != 1 || end < begin) return "unbalanced";
  for (size_t i = 0; i < journal.size(); ++i) {
    const int code = journal[i].code;
    // A fed Home changes no text: it only starts the next undo step.
    const bool home = code == far3::ECTL_PROCESSINPUT &&
                      journal[i].input.Event.KeyEvent.wVirtualKeyCode == VK_HOME;
    const bool change = code == far3::ECTL_SETSTRING || (code == far3::ECTL_PROCESSINPUT && !home) ||
                        (code == far3::ECTL_SETPOSITION && journal[i].position.CurLine == -1);
    if (change && (static_cast<int>(i) < begin || static_cast<int>(i) > end)) return "change outside";
  }
  return "one group";
}

TEST(Far3Undo, EachAssistIsOneGroupAndEveryEarlyReturnHasNone) {
  struct Case {
    const char *text;
    int line, pos;
    const char *keys;
    const char *brackets;
  } cases[] = {
      {"if\n", 0, 2, " ", "one group"},            // expansion
      {"nop\n", 0, 3, " ", "one group"},           // a body that types nothing
      {"if\n", 0, 0, " ", ""},                     // column 0
      {"if\n", 0, 5, " ", ""},                     // past the end
      {"x if\n", 0, 4, " ", ""},                   // not alone on the line
      {"zz\n", 0, 2, " ", ""},                     // no such macro
      {"{\n  \n", 1, 2, "}", "one group"},         // alignment
      {"{\n  x\n", 1, 2, "}", ""},                // not a blank line
      {"x\n  \n", 1, 2, "}", ""},                 // no '{' above
      {"f() {\n", 0, 5, "<Enter>", "one group"},   // Tab after '{'
      {"f() {\n", 0, 4, "<Enter>", ""},            // not behind the '{'
      {"f() { x\n", 0, 5, "<Enter>", ""},          // text after it
  };
  // With C/C++ indentation on, Enter and the electric keys.
  const Case indentCases[] = {
      {"f() {\n", 0, 5, "<Enter>", "one group"},       // behind '{'
      {"f() {\n", 0, 4, "<Enter>", "one group"},       // in the middle: the rest moves
      {"x = \"ab\";\n", 0, 6, "<Enter>", ""},        // inside a string
      {"x; // ab\n", 0, 6, "<Enter>", ""},            // inside a comment's text
      {"{\n  \n", 1, 2, "}", "one group"},            // '}' under its statement
      {"{\n  x\n", 1, 2, "}", ""},                    // not a blank line
      {"switch (x) {\n  case 1\n", 1, 8, ":", "one group"},  // to the switch's level
      {"switch (x) {\ncase 1\n", 1, 6, ":", ""},      // already there
      {"int x\n", 0, 5, ":", ""},                     // no label
      {"f();\n  \n", 1, 2, "#", "one group"},         // a directive to column 1
      {"  a\n", 0, 3, "#", ""},                       // not at the line's start
  };
  auto run = [](const Case &c, bool braceRulesOnly) {
    Session3 s(c.text, "main.cpp", "Macro if \"sp ( ) left\"\nMacro nop \"\"\n");
    if (braceRulesOnly) s.BraceRulesOnly();
    s.At(c.line, c.pos);
    s.host.journal.clear();
    s.Type(c.keys);
    EXPECT_EQ(c.brackets, Brackets(s.host.journal)) << c.text << " " << c.keys;
    EXPECT_TRUE(s.host.undoFaults.empty()) << c.text;
    for (const sim::Command3 &cmd : s.host.journal) {
      if (cmd.code == far3::ECTL_UNDOREDO) {
        EXPECT_EQ(sizeof(far3::EditorUndoRedo), cmd.structSize);
      }
    }
  };
  for (const Case &c : cases) run(c, true);
  for (const Case &c : indentCases) run(c, false);
}

TEST(Far3Undo, OneUndoGivesBackTheTextAndTheCursor) {
  Session3 s("if\n{\n      \nint f() {\n", "main.cpp", "Macro if \"sp ( ) en left\"\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n\n{\n      \nint f() {\n", s.host.TextUtf8());
  s.Type("<C-z>");
  EXPECT_EQ("if\n{\n      \nint f() {\n", s.host.TextUtf8());
  EXPECT_EQ("0:2", s.Cursor());
  s.At(2, 6);
  s.Type("}<C-z>");
  EXPECT_EQ("if\n{\n      \nint f() {\n", s.host.TextUtf8());
  EXPECT_EQ("2:6", s.Cursor());
  // Enter at a line's end: its undo puts the cursor as the host's own does,
  // on the added line's number (the line that moved up into its place).
  s.At(3, 9);
  s.Type("<Enter><C-z>");
  EXPECT_EQ("if\n{\n      \nint f() {\n", s.host.TextUtf8());
  EXPECT_EQ("4:0", s.Cursor());
  EXPECT_TRUE(s.host.undoFaults.empty());
}

TEST(Far3Undo, TheStandInCatchesAGroupLeftOpen) {
  sim::Host3 host;
  host.SetTextUtf8("ab\n");
  far3::EditorUndoRedo eur{sizeof(far3::EditorUndoRedo), far3::EUR_END};
  EXPECT_EQ(0, host.EditorControl(-1, far3::ECTL_UNDOREDO, 0, &eur));
  eur.Command = far3::EUR_BEGIN;
  host.EditorControl(-1, far3::ECTL_UNDOREDO, 0, &eur);
  host.Input(sim::KeyRecord(0, 'x', 0, true));
  ASSERT_EQ(2u, host.undoFaults.size());
  EXPECT_EQ("EUR_END without EUR_BEGIN", host.undoFaults[0]);
}

TEST(Far3Editor, SetStringGivesALineBreakOnlyToTheLastLineAndKeepsEveryOther) {
  // A line with a break keeps it whatever is passed; the last line, without
  // one, takes the one passed, the editor's default for NULL, none for "".
  sim::Host3 host;
  const far3::FarChar lf[] = {'\n', 0}, none[] = {0}, text[] = {'x', 0};
  auto set = [&](intptr_t line, const far3::FarChar *eol) {
    far3::EditorSetString ess{sizeof(far3::EditorSetString), line, 1, text, eol};
    EXPECT_EQ(1, host.EditorControl(-1, far3::ECTL_SETSTRING, 0, &ess));
  };
  host.SetTextUtf8("a\r\nb");
  set(0, lf);
  set(1, none);
  EXPECT_EQ("x\r\nx", host.TextUtf8());
  set(1, nullptr);
  EXPECT_EQ("x\r\nx\r\n", host.TextUtf8());
  host.SetTextUtf8("a\nb");
  set(1, lf);
  set(0, nullptr);
  EXPECT_EQ("x\nx\n", host.TextUtf8());
}

TEST(Far3Undo, TheStandInRefusesADialogShownWithoutEnd) {
  // A plug-in that reopens its dialog whatever the answer must fail fast,
  // not hang the suite: past the bound the host refuses and calls it a fault.
  sim::Host3 host;
  far3::GUID none{};
  for (int i = 0; i < sim::ShowLimit::Limit; ++i)
    EXPECT_NE(INVALID_HANDLE_VALUE, host.DialogInit(&none, &none, -1, -1, 10, 5, nullptr, nullptr, 0, 0));
  EXPECT_TRUE(host.hostFaults.empty());
  EXPECT_EQ(INVALID_HANDLE_VALUE, host.DialogInit(&none, &none, -1, -1, 10, 5, nullptr, nullptr, 0, 0));
  ASSERT_EQ(1u, host.hostFaults.size());
}

TEST(Far3Fields, TheEditorClosingEndsTheStopsAndOtherEditorsDoNot) {
  Session3 s("fr\n", "main.cpp", "Macro fr \"sp ( field ; sp field ) field\"\n");
  s.At(0, 2);
  s.Type(" ");
  ASSERT_TRUE(far3::Fields.waiting);
  EXPECT_EQ(1u, s.host.subscribed.count(s.host.editorId));
  far3::ProcessEditorEventInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  info.Event = far3::EE_CLOSE;
  info.EditorID = s.host.editorId + 1;  // another editor
  ProcessEditorEventW(&info);
  EXPECT_TRUE(far3::Fields.waiting);
  info.EditorID = s.host.editorId;
  ProcessEditorEventW(&info);
  EXPECT_FALSE(far3::Fields.waiting);
  s.Type("<Tab>");  // the editor's own again
  EXPECT_EQ("fr (\t; )\n", s.host.TextUtf8());
}

TEST(Far3Fields, DroppingEveryWaitingStopEndsThemAndTheSubscription) {
  Session3 s("ife\n", "main.cpp", "Macro ife \"sp ( field ) en field\"\n");
  s.At(0, 3);
  s.Type(" <Down><C-y>");  // the line of the only waiting stop goes
  EXPECT_FALSE(far3::Fields.waiting);
  EXPECT_TRUE(s.host.subscribed.empty());
}

// A plug-in that asks the editor for something inside EE_CHANGE.
sim::Host3 *Asking = nullptr;
intptr_t AskedResult = -1;
intptr_t WINAPI AskInsideChange(const far3::ProcessEditorEventInfo *info) {
  if (info->Event == far3::EE_CHANGE) {
    far3::EditorInfo ei;
    std::memset(&ei, 0, sizeof(ei));
    ei.StructSize = sizeof(ei);
    AskedResult = Asking->EditorControl(-1, far3::ECTL_GETINFO, 0, &ei);
  }
  return 0;
}

TEST(Far3Fields, TheStandInFailsAndJournalsEveryCommandInsideAChangeEvent) {
  PluginApi3 api = LinkedPlugin3();
  api.ProcessEditorEventW = &AskInsideChange;
  sim::Host3 host(api);
  Asking = &host;
  host.SetTextUtf8("ab\n");
  host.Start("vorlane.dll");
  far3::EditorSubscribeChangeEvent sub;
  std::memset(&sub, 0, sizeof(sub));
  sub.StructSize = sizeof(sub);
  ASSERT_EQ(1, host.EditorControl(-1, far3::ECTL_SUBSCRIBECHANGEEVENT, 0, &sub));
  host.journal.clear();
  host.Input(sim::KeyRecord('X', 'x', 0, true));
  EXPECT_EQ(0, AskedResult);
  ASSERT_EQ(1u, host.journal.size());
  EXPECT_TRUE(host.journal[0].insideChange);
  host.Stop();
  Asking = nullptr;
}

TEST(Far3Playback, WithoutTheRedrawsTheHostWouldTypeAtTheTriggerColumn) {
  // What the real Far 3 does with keys fed inside one call when the cursor may
  // not pass the end of a line, which the redraws above mend.
  sim::Host3 host;
  host.settings.cursorBeyondEol = false;
  host.SetTextUtf8("abcde\n");
  test::TypeKeys(host, "<End>");
  for (const INPUT_RECORD &r : {sim::KeyRecord(VK_RETURN, 0, 0, true), sim::KeyRecord(VK_RETURN, 0, 0, true),
                                sim::KeyRecord(0, ']', 0, true), sim::KeyRecord(VK_UP, 0, 0, true),
                                sim::KeyRecord(0, 'x', 0, true)}) {
    INPUT_RECORD copy = r;
    host.EditorControl(-1, far3::ECTL_PROCESSINPUT, 0, &copy);
  }
  EXPECT_EQ("abcde\n     x\n]\n", host.TextUtf8());
}

TEST(Far3Playback, CharactersBeyondAsciiAndOutsideTheBmpAreTypedAsTheyAre) {
  // "если" alone on its line; a body of a guillemet, an arrow, ё and U+1F600.
  Session3 s("    \xD0\xB5\xD1\x81\xD0\xBB\xD0\xB8\n", "main.cpp",
             "\xEF\xBB\xBFMacro \xD0\xB5\xD1\x81\xD0\xBB\xD0\xB8 \"sp \xC2\xAB \xE2\x86\x92 \xD1\x91 "
             "\xF0\x9F\x98\x80 \xC2\xBB left\"\n");
  s.At(0, 8);
  s.Type(" ");
  EXPECT_EQ("    \xD0\xB5\xD1\x81\xD0\xBB\xD0\xB8 \xC2\xAB\xE2\x86\x92\xD1\x91\xF0\x9F\x98\x80\xC2\xBB\n",
            s.host.TextUtf8());
  EXPECT_EQ("0:14", s.Cursor());  // behind the surrogate pair, which counts two units
  int units = 0;
  for (const sim::Command3 &c : s.host.journal)
    if (c.code == far3::ECTL_PROCESSINPUT && c.input.Event.KeyEvent.uChar.UnicodeChar >= 0xD800 &&
        c.input.Event.KeyEvent.uChar.UnicodeChar < 0xE000)
      ++units;
  EXPECT_EQ(2, units);  // the character outside the BMP is fed as its two units
}

TEST(Far3Playback, EachUtf8LengthIsTypedFromItsFirstToItsLastCodePoint) {
  // U+0080, U+07FF, U+0800, U+FFFF, U+10000 and U+10FFFF as one-character
  // tokens; then the first value past each length's range (overlong, or
  // past U+10FFFF), which decode to several U+FFFD and so type nothing.
  Session3 s("k\n", "main.cpp",
             "Macro k \"\xC2\x80 \xDF\xBF \xE0\xA0\x80 \xEF\xBF\xBF \xF0\x90\x80\x80 \xF4\x8F\xBF\xBF "
             "\xC1\xBF \xE0\x9F\xBF \xF0\x8F\xBF\xBF \xF4\x90\x80\x80 .\"\n");
  s.At(0, 1);
  s.Type(" ");
  EXPECT_EQ(u"k\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF.", s.host.lines[0].text);
}

TEST(Far3Text, NulsAndUnpairedSurrogatesAreHandledAsNulBytesAreIn1x) {
  Session3 s("", "main.cpp", "Macro if x\nMacro \xEF\xBF\xBD y\n");
  auto line = [](std::initializer_list<char16_t> units) { return std::u16string(units); };
  // A NUL inside the keyword's line: it holds more than a keyword.
  s.host.lines[0].text = line({u'i', u'f', 0, u'x'});
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ(line({u'i', u'f', u' ', 0, u'x'}), s.host.lines[0].text);
  // A lone surrogate is a character like any other: it matches only itself,
  // not the U+FFFD the macro file's own bad bytes became.
  s.host.lines[0].text = line({0xD800});
  s.At(0, 1);
  s.Type(" ");
  EXPECT_EQ(line({0xD800, u' '}), s.host.lines[0].text);
  s.host.lines[0].text = line({0xFFFD});
  s.At(0, 1);
  s.Type(" ");
  EXPECT_EQ(line({0xFFFD, u'y'}), s.host.lines[0].text);
  // A NUL or a surrogate on the line of a '}': not blank, so the host types it.
  for (char16_t odd : {char16_t(0), char16_t(0xDC00)}) {
    s.host.SetTextUtf8("{\n");
    s.host.lines[1].text = line({u' ', odd, u' '});
    s.At(1, 3);
    s.Type("}");
    EXPECT_EQ(line({u' ', odd, u' ', u'}'}), s.host.lines[1].text);
  }
}

TEST(Far3MacroFile, Utf8IsDecodedWithLimitsInUtf16Units) {
  // 127 Cyrillic letters make a 254-byte name that is still 127 units.
  std::string name;
  for (int i = 0; i < 127; ++i) name += "\xD0\xB6";
  Session3 s("", "main.cpp",
             "\xEF\xBB\xBFMacro a x\n"          // the byte-order mark is skipped
             "Macro " + name + " y\n"           // kept: 127 units
             "Macro " + name + "\xD0\xB6 z\n"   // 128 units: left out
             "Macro b\xFF c\n"                  // the stray byte becomes U+FFFD
             "\xEF\xBB\xBFMacro c d\n");        // a mark on a later line: a remark
  ASSERT_EQ(3, far3::MacroCount);
  EXPECT_EQ("a", sim::Utf8(reinterpret_cast<const char16_t *>(far3::MacroTable[0].Name)));
  EXPECT_EQ(127u, std::char_traits<char16_t>::length(
                      reinterpret_cast<const char16_t *>(far3::MacroTable[1].Name)));
  EXPECT_EQ("b\xEF\xBF\xBD", sim::Utf8(reinterpret_cast<const char16_t *>(far3::MacroTable[2].Name)));
}

TEST(Utf8, InvalidSequencesBecomeOneReplacementEach) {
  auto decode = [](const std::string &in) {
    std::u16string out(in.size(), u'\0');
    out.resize(DecodeUtf8(in.data(), in.size(), &out[0]));
    return out;
  };
  EXPECT_EQ(u"a\u00e9\u20ac\U0001F600", decode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_EQ(u"\uFFFD\uFFFD", decode("\xC0\xAF"));                // overlong: each byte
  EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD", decode("\xED\xA0\x80"));      // an encoded surrogate
  EXPECT_EQ(u"\uFFFDx", decode("\xE2\x82x"));                    // cut short: one for the run
  EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD\uFFFD", decode("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_EQ(u"\uFFFD", decode("\xF0\x9F\x98"));                  // ends inside a character
  char out[16];
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00};
  EXPECT_EQ("a\xEF\xBF\xBD" "b\xEF\xBF\xBD", std::string(out, EncodeUtf8(lone, 4, out)));
  const char16_t edges[] = {0xD800, 0xDC00, 0xDBFF, 0xDFFF};  // U+10000 and U+10FFFF
  EXPECT_EQ("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", std::string(out, EncodeUtf8(edges, 4, out)));
}

TEST(Far3Menu, TheEntryAndTheReloadDialog) {
  Session3 s("if\n", "main.cpp", "Macro if a\n");
  s.host.dialogAnswers = {2, 1, -1};
  test::WriteFile(s.macroPath, "Macro if b\n");
  s.Type("<Menu>");  // Close: the table stays
  EXPECT_EQ("vorlane", s.host.menuText);
  EXPECT_TRUE(test::SameGuid(far3::MenuGuid, s.host.menuGuid));
  EXPECT_EQ(far3::PF_EDITOR | far3::PF_DISABLEPANELS, s.host.pluginInfo.Flags);
  EXPECT_EQ(0u, s.host.pluginInfo.DiskMenu.Count);
  EXPECT_TRUE(test::SameGuid(far3::PluginGuid, s.host.getMsgPluginId));
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("ifa\n", s.host.TextUtf8());
  s.Type("<BS><Menu> <Menu>");  // Reload, then Esc
  EXPECT_EQ("ifb\n", s.host.TextUtf8());

  ASSERT_EQ(3u, s.host.dialogCalls.size());
  for (const sim::DialogCall3 &call : s.host.dialogCalls) {
    EXPECT_TRUE(test::SameGuid(far3::PluginGuid, call.pluginId));
    EXPECT_TRUE(test::SameGuid(far3::DialogGuid, call.id));
    EXPECT_TRUE(call.run);
    EXPECT_TRUE(call.freed);
    EXPECT_EQ(-1, call.x1);
    EXPECT_EQ(60, call.x2);
    EXPECT_EQ(6, call.y2);
    EXPECT_FALSE(call.helpTopicNull);
    ASSERT_EQ(4u, call.items.size());
    EXPECT_EQ(far3::DI_DOUBLEBOX, call.items[0].Type);
    EXPECT_EQ(far3::DI_BUTTON, call.items[1].Type);
    EXPECT_EQ(far3::DIF_CENTERGROUP | far3::DIF_DEFAULTBUTTON, call.items[1].Flags);
    EXPECT_EQ(far3::DIF_CENTERGROUP, call.items[2].Flags);
    EXPECT_EQ(far3::DIF_CENTERGROUP, call.items[3].Flags);
    EXPECT_EQ(u"vorlane", call.texts[0]);
    EXPECT_EQ(u"&Reload macros", call.texts[1]);
    EXPECT_EQ(u"&Close", call.texts[2]);
    EXPECT_EQ(u"&Edit macro file", call.texts[3]);
  }
  EXPECT_NE(far3::GUID{}.Data1, far3::DialogGuid.Data1);
  EXPECT_FALSE(test::SameGuid(far3::DialogGuid, far3::MenuGuid));
  EXPECT_FALSE(test::SameGuid(far3::DialogGuid, far3::PluginGuid));
}

HANDLE WINAPI RefusingDialogInit(const far3::GUID *, const far3::GUID *, intptr_t, intptr_t, intptr_t,
                                 intptr_t, const far3::FarChar *, const far3::FarDialogItem *, size_t,
                                 intptr_t, far3::Flags64, void *, void *) {
  return INVALID_HANDLE_VALUE;
}

// Plugin.Call from a keyboard macro: values that name no macro (none, no
// record, a number, a null string, a short record) are false and change
// nothing; a name is typed and expanded.
TEST(Far3Menu, KeyboardMacroCallsWithoutAMacroNameAreFalse) {
  Session3 s("\n", "main.cpp", "Macro if \"sp ( field ) field\"\n");
  auto call = [](far3::OpenMacroInfo *info) {
    far3::OpenInfo oi;
    std::memset(&oi, 0, sizeof(oi));
    oi.StructSize = sizeof(oi);
    oi.OpenFrom = far3::OPEN_FROMMACRO;
    oi.Data = reinterpret_cast<intptr_t>(info);
    return OpenW(&oi);
  };
  far3::FarMacroValue value;
  std::memset(&value, 0, sizeof(value));
  far3::OpenMacroInfo info{sizeof(far3::OpenMacroInfo), 1, &value};
  EXPECT_EQ(nullptr, call(nullptr));
  info.Count = 0;
  EXPECT_EQ(nullptr, call(&info));
  info.Count = 1;
  info.Values = nullptr;
  EXPECT_EQ(nullptr, call(&info));
  info.Values = &value;
  value.Type = far3::FMVT_DOUBLE;
  value.Double = 42;
  EXPECT_EQ(nullptr, call(&info));
  value.Type = far3::FMVT_STRING;
  value.String = nullptr;
  EXPECT_EQ(nullptr, call(&info));
  const std::u16string name = u"if";
  value.String = reinterpret_cast<const far3::FarChar *>(name.c_str());
  info.StructSize = 4;
  EXPECT_EQ(nullptr, call(&info));
  EXPECT_EQ("\n", s.host.TextUtf8());
  info.StructSize = sizeof(far3::OpenMacroInfo);
  EXPECT_NE(nullptr, call(&info));
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
  EXPECT_TRUE(s.host.undoFaults.empty());
}

TEST(Far3Menu, AFailedDialogChangesNothing) {
  Session3 s("if\n", "main.cpp", "Macro if a\n");
  far3::StartupInfo.DialogInit = &RefusingDialogInit;
  test::WriteFile(s.macroPath, "Macro if b\n");
  s.Type("<Menu>");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("ifa\n", s.host.TextUtf8());
}

}  // namespace

TEST(Far3Abi, TheHostsNumbersAsItsFactSheetsGiveThem) {
  // The stand-in reads these same declarations: a wrong number here would
  // pass every other test and fail only in Far itself.
  const struct {
    unsigned long long ours, sheet;
    const char *name;
  } numbers[] = {
#define N(name, value) {far3::name, value, #name}
      N(VS_RELEASE, 0), N(VS_PRIVATE, 5), N(ECTL_GETSTRING, 0), N(ECTL_SETSTRING, 1), N(ECTL_GETINFO, 6),
      N(ECTL_SETPOSITION, 7), N(ECTL_SELECT, 8), N(ECTL_REDRAW, 9), N(ECTL_PROCESSINPUT, 15),
      N(ECTL_DELETEBLOCK, 25), N(ECTL_UNDOREDO, 32), N(ECTL_GETFILENAME, 33), N(ECTL_SUBSCRIBECHANGEEVENT, 36),
      N(ECTL_UNSUBSCRIBECHANGEEVENT, 37), N(SCTL_CREATE, 0), N(SCTL_FREE, 1), N(SCTL_SET, 2), N(SCTL_GET, 3),
      N(FST_UNKNOWN, 0), N(FST_SUBKEY, 1), N(FST_QWORD, 2), N(FST_STRING, 3), N(FST_DATA, 4), N(PSL_ROAMING, 0),
      N(PSL_LOCAL, 1), N(PN_CMPNAME, 0), N(PN_CMPNAMELIST, 0x10000), N(PN_CHECKMASK, 0x30000),
      N(PN_SKIPPATH, 0x1000000), N(PN_SHOWERRORMESSAGE, 0x2000000), N(EF_NONMODAL, 0x1),
      N(EF_IMMEDIATERETURN, 0x100), N(EE_READ, 0), N(EE_SAVE, 1), N(EE_REDRAW, 2), N(EE_CLOSE, 3), N(EE_GOTFOCUS, 6),
      N(EE_KILLFOCUS, 7), N(EE_CHANGE, 8), N(ECTYPE_CHANGED, 0), N(ECTYPE_ADDED, 1), N(ECTYPE_DELETED, 2),
      N(DM_GETCHECK, 25), N(DM_GETCONSTTEXTPTR, 63), N(BSTATE_UNCHECKED, 0), N(BSTATE_CHECKED, 1), N(EUR_BEGIN, 0),
      N(EUR_END, 1), N(EUR_UNDO, 2), N(EUR_REDO, 3), N(BTYPE_NONE, 0), N(BTYPE_STREAM, 1), N(BTYPE_COLUMN, 2),
      N(EOPT_EXPANDALLTABS, 0x1), N(EOPT_PERSISTENTBLOCKS, 0x2), N(EOPT_DELREMOVESBLOCKS, 0x4),
      N(EOPT_AUTOINDENT, 0x8), N(EOPT_CURSORBEYONDEOL, 0x40), N(EOPT_EXPANDONLYNEWTABS, 0x80),
      N(OPEN_PLUGINSMENU, 1), N(OPEN_EDITOR, 5), N(OPEN_FROMMACRO, 11), N(FMVT_UNKNOWN, 0), N(FMVT_INTEGER, 1),
      N(FMVT_STRING, 2), N(FMVT_DOUBLE, 3), N(FMVT_BOOLEAN, 4), N(FMENU_SHOWAMPERSAND, 0x1), N(FMENU_WRAPMODE, 0x2),
      N(FMENU_AUTOHIGHLIGHT, 0x4), N(FMENU_SHOWNOBOX, 0x20), N(MIF_SELECTED, 0x10000), N(MIF_CHECKED, 0x20000),
      N(MIF_SEPARATOR, 0x40000), N(MIF_DISABLE, 0x80000), N(MIF_GRAYED, 0x100000), N(MIF_HIDDEN, 0x200000),
      N(PF_PRELOAD, 0x1), N(PF_DISABLEPANELS, 0x2), N(PF_EDITOR, 0x4), N(DI_TEXT, 0), N(DI_DOUBLEBOX, 3),
      N(DI_EDIT, 4), N(DI_BUTTON, 7), N(DI_CHECKBOX, 8), N(DIF_CENTERGROUP, 0x4000), N(DIF_SEPARATOR, 0x10000),
      N(DIF_HISTORY, 0x40000), N(DIF_DEFAULTBUTTON, 0x100000000ULL), N(DIF_FOCUS, 0x200000000ULL), N(FDLG_NONE, 0),
      N(FMSG_WARNING, 0x1), N(FMSG_MB_OK, 0x10000), N(CP_UTF8_FILE, 65001)
#undef N
  };
  for (const auto &n : numbers) EXPECT_EQ(n.sheet, n.ours) << n.name;
}

TEST(Far3Editor, ALineTheHostDoesNotGiveReadsAsEmpty) {
  // Not the record's stale text (a line read before): the host writes
  // nothing into it when it fails the command.
  Session3 s("a\nb\n");
  static const far3::FarChar stale[] = FAR3_TEXT("stale");
  far3::EditorGetString egs;
  egs.StringText = stale;
  egs.StringLength = 5;
  EXPECT_EQ(0, far3::FarEditor->GetString(&egs, 99));
  EXPECT_EQ(0, egs.StringLength);
  ASSERT_NE(nullptr, egs.StringText);
  EXPECT_EQ(0, egs.StringText[0]);
}

TEST(Far3Menu, AnOpenRecordTooShortIsNotRead) {
  // A record that ends before the fields the plug-in reads (an older host's):
  // nothing is opened.
  Session3 s("x\n", "main.cpp", "Macro one \"a\"\n");
  far3::OpenInfo info{};
  info.StructSize = offsetof(far3::OpenInfo, Data);
  info.OpenFrom = far3::OPEN_PLUGINSMENU;
  info.Guid = &far3::InsertMacroGuid;
  EXPECT_EQ(nullptr, OpenW(&info));
  EXPECT_TRUE(s.host.menuCalls.empty());
  info.StructSize = sizeof(info);
  OpenW(&info);
  EXPECT_EQ(1u, s.host.menuCalls.size());
}
