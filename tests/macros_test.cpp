// Playback and keyword expansion, observed through the events the plug-in
// feeds; the reload dialog against the stand-in host and a real language file.
#include <gtest/gtest.h>

#include <cstring>

#include "keys/input_filter.h"
#include "snippets/expand.h"
#include "macros/macro_file.h"
#include "snippets/playback.h"
#include "far1/plugin.h"
#include "tests/support.h"

namespace {

using test::Press;
using test::Session;

// The fed events as "c:X" (a character) or "k:N" (a virtual key).
std::vector<std::string> Fed(const sim::Host &host) {
  std::vector<std::string> out;
  for (const sim::Command &c : host.journal) {
    if (c.code != ECTL_PROCESSINPUT) continue;
    const KEY_EVENT_RECORD &k = c.input.Event.KeyEvent;
    EXPECT_EQ(0u, k.dwControlKeyState);
    EXPECT_EQ(1, k.bKeyDown);
    if (k.wVirtualKeyCode)
      out.push_back("k:" + std::to_string(k.wVirtualKeyCode));
    else
      out.push_back("c:" + std::string(1, static_cast<char>(k.uChar.UnicodeChar & 0xFF)));
  }
  return out;
}

using Keys = std::vector<std::string>;

TEST(Playback, TokensBecomeKeysInBodyOrder) {
  Session s("x\n", "main.cpp");
  s.host.settings.reentry = false;
  MacroEntry e;
  std::strcpy(e.Body, "{ en en } up tab");
  PlayMacro(&e);
  EXPECT_EQ((Keys{"c:{", "k:13", "k:13", "c:}", "k:38", "k:9"}), Fed(s.host));

  s.host.journal.clear();
  std::strcpy(e.Body, "  \t  sp qu down right home end bs left  ");
  PlayMacro(&e);
  EXPECT_EQ((Keys{"c:\t", "c: ", "c:\"", "k:40", "k:39", "k:36", "k:35", "k:8", "k:37"}),
            Fed(s.host));

  s.host.journal.clear();
  std::strcpy(e.Body, "SP Up for enter twelvechars tab12345678");
  PlayMacro(&e);
  EXPECT_TRUE(Fed(s.host).empty());
  std::strcpy(e.Body, "");
  PlayMacro(&e);
  std::strcpy(e.Body, "     ");
  PlayMacro(&e);
  EXPECT_TRUE(s.host.journal.empty());
}

TEST(Expand, PlaysWithTheBusyFlagHeldAndRedrawsOnce) {
  Session s("    if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.At(0, 6);
  EXPECT_EQ(1, s.host.Input(Press(' ')));
  EXPECT_EQ("    if ()\n", s.host.Text());
  EXPECT_EQ("0:8", s.Cursor());
  EXPECT_EQ(1, s.host.redraws);
  EXPECT_EQ(ECTL_REDRAW, s.host.journal.back().code);
  EXPECT_EQ(0, Busy);
  size_t fed = 0;
  for (const sim::Event &e : s.host.events)
    if (e.fed) {
      ++fed;
      EXPECT_EQ(0, e.answer);
    }
  EXPECT_EQ(4u, fed);
}

TEST(Expand, DeclinesWhereThereIsNoCharacterBeforeTheCursor) {
  Session s("if\n", "main.cpp", "Macro if x\nMacro \"\" y\n");
  for (int pos : {0, 3, 50}) {
    s.At(0, pos);
    s.host.journal.clear();
    EXPECT_EQ(0, ExpandKeyword()) << pos;
    for (const sim::Command &c : s.host.journal) EXPECT_NE(ECTL_PROCESSINPUT, c.code);
  }
  s.host.SetText("   \n");
  s.At(0, 3);
  EXPECT_EQ(0, ExpandKeyword());
}

TEST(Expand, OverlongLinesAreNeverCopied) {
  std::string line = std::string(4094, ' ') + "if";
  Session s(line + "\n", "main.cpp", "Macro if x\n");
  s.At(0, 4096);
  EXPECT_EQ(0, ExpandKeyword());
  s.host.SetText(std::string(4093, ' ') + "if\n");  // 4095 characters still fit
  s.At(0, 4095);
  EXPECT_EQ(1, ExpandKeyword());
  EXPECT_EQ(std::string(4093, ' ') + "ifx\n", s.host.Text());
}

TEST(Reload, DialogCallAndItsItemsComeFromTheLanguageFile) {
  Session s("", "main.cpp", "Macro if x\n");
  s.host.dialogAnswers = {2};
  s.host.Menu();
  EXPECT_EQ("vorlane", s.host.menuText);
  ASSERT_EQ(1u, s.host.dialogCalls.size());
  const sim::DialogCall &call = s.host.dialogCalls[0];
  EXPECT_EQ(0x1234, call.moduleNumber);
  EXPECT_EQ(-1, call.x1);
  EXPECT_EQ(-1, call.y1);
  EXPECT_EQ(35, call.x2);
  EXPECT_EQ(6, call.y2);
  EXPECT_TRUE(call.helpTopicNull);
  ASSERT_EQ(3, call.itemsNumber);
  EXPECT_STREQ(s.host.messages[1].c_str(), call.items[0].Data);
  EXPECT_STREQ(s.host.messages[2].c_str(), call.items[1].Data);
  EXPECT_STREQ(s.host.messages[3].c_str(), call.items[2].Data);
  EXPECT_EQ("&Reload macros", s.host.messages[2]);
  EXPECT_EQ(1, call.items[1].DefaultButton);
}

TEST(Reload, OnlyTheFirstButtonReplacesTheTable) {
  Session s("", "main.cpp", "Macro if old\n");
  test::WriteFile(s.macroPath, "Macro if new\nMacro for f\n");
  s.host.dialogAnswers = {2, -1, 0, 3};
  for (int i = 0; i < 4; ++i) s.host.Menu();
  ASSERT_EQ(1, MacroCount);
  EXPECT_STREQ("old", FindMacro("if")->Body);
  s.host.dialogAnswers.push_back(1);
  s.host.Menu();
  ASSERT_EQ(2, MacroCount);
  EXPECT_STREQ("new", FindMacro("if")->Body);
  std::remove(s.macroPath.c_str());
  s.host.dialogAnswers.push_back(1);
  s.host.Menu();
  EXPECT_EQ(0, MacroCount);
  EXPECT_EQ(nullptr, MacroTable);
}

TEST(Start, MacroFileIsFoundBesideTheDllWhateverItsLetterCase) {
  Session s("", "main.cpp", "Macro a b\n");
  ExitFAR();
  PluginStartupInfo info;
  std::memset(&info, 0, sizeof(info));
  std::string module = test::Join(s.dir, "VORLANE.DLL");
  std::strcpy(info.ModuleName, module.c_str());
  SetStartupInfo(&info);
  EXPECT_EQ(1, MacroCount);
  ExitFAR();
}

}  // namespace

namespace {

// A session's fixed clock: the date, the time and the zone as written, and
// anything else refused (then the system's clock is read instead).
TEST(Clock, AFixedTimeIsReadWholeAndAnythingElseRefused) {
  Clock c;
  ASSERT_TRUE(ParseClock("2026-12-08T10:20:30+01:30", &c));
  EXPECT_EQ(2026, c.year);
  EXPECT_EQ(12, c.month);
  EXPECT_EQ(8, c.day);
  EXPECT_EQ(10, c.hour);
  EXPECT_EQ(20, c.minute);
  EXPECT_EQ(30, c.second);
  EXPECT_EQ(90, c.offsetMinutes);
  EXPECT_EQ(2, c.weekday);  // a Tuesday
  EXPECT_EQ(1796719830LL, c.unixSeconds);
  ASSERT_TRUE(ParseClock("1970-01-01T00:00:00Z", &c));
  EXPECT_EQ(0, c.unixSeconds);
  EXPECT_EQ(4, c.weekday);
  ASSERT_TRUE(ParseClock("2000-02-29T23:59:60-05:00", &c));  // a leap second, west of UTC
  EXPECT_EQ(-300, c.offsetMinutes);
  EXPECT_EQ(951886800LL, c.unixSeconds);
  for (const char *bad : {"2026-12-08T10:20:30", "2026-12-08T10:20:30X", "2026-12-08T10:20:30ZZ",
                          "2026-12-08T10:20:30+0100", "2026-12-08T10:20:30+01:0", "2026-13-08T10:20:30Z",
                          "2026-12-32T10:20:30Z", "2026-12-08T24:20:30Z", "2026-12-08T10:60:30Z",
                          "2026-12-08T10:20:61Z", "2026-12-08 10:20:30Z", "x", "2026-12-08T10:20:30+0A:00",
                          "2026-12-08T10:20:30+A0:00", "2026-12-08T10:20:30+01:A0", "2026-12-08T10:20:30+01:0A",
                          "2026-12-00T10:20:30Z", "2026-00-08T10:20:30Z"})
    EXPECT_FALSE(ParseClock(bad, &c)) << bad;
}

}  // namespace
