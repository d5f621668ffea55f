// The stand-in editor: each host command, then each key as the host's editor
// applies it.
#include <gtest/gtest.h>

#include "sim/far1/stand_in.h"
#include "sim/keys.h"
#include "tests/support.h"

namespace {

using test::Press;
using test::PressVk;

struct Editor : ::testing::Test {
  sim::Host host;  // no plug-in: the editor alone
  void Keys(const std::string &keys) { test::TypeKeys(host, keys); }
  std::string Cursor() const { return std::to_string(host.curLine) + ":" + std::to_string(host.curPos); }
};

TEST_F(Editor, TextRoundTripsByteForByte) {
  for (std::string text : {"", "a", "a\n", "a\r\nb\nc", "\r\n\r\n", "x\ry\n", "a\n\n"}) {
    host.SetText(text);
    EXPECT_EQ(text, host.Text());
  }
  host.SetText("a\r\nb");
  ASSERT_EQ(2u, host.lines.size());
  EXPECT_EQ("\r\n", host.lines[0].eol);
  EXPECT_EQ("", host.lines[1].eol);
}

TEST_F(Editor, GetStringReadsCurrentOrNumberedLine) {
  host.SetText("zero\r\none\n");
  host.curLine = 1;
  EditorGetString egs{};
  egs.StringNumber = -1;
  EXPECT_EQ(1, host.EditorControl(ECTL_GETSTRING, &egs));
  EXPECT_STREQ("one", egs.StringText);
  EXPECT_STREQ("\n", egs.StringEOL);
  EXPECT_EQ(3, egs.StringLength);
  EXPECT_EQ(-1, egs.SelStart);
  EXPECT_EQ(-1, egs.SelEnd);
  egs.StringNumber = 0;
  host.EditorControl(ECTL_GETSTRING, &egs);
  EXPECT_STREQ("zero", egs.StringText);
  EXPECT_STREQ("\r\n", egs.StringEOL);
  egs.StringNumber = 7;
  EXPECT_EQ(0, host.EditorControl(ECTL_GETSTRING, &egs));
}

TEST_F(Editor, GetStringReportsSelections) {
  host.SetText("aaaa\nbbbb\ncccc\ndddd");
  host.SelectStream(1, 2, 2, 3);
  EditorGetString egs{};
  auto sel = [&](int line) {
    egs.StringNumber = line;
    host.EditorControl(ECTL_GETSTRING, &egs);
    return std::to_string(egs.SelStart) + "," + std::to_string(egs.SelEnd);
  };
  EXPECT_EQ("-1,-1", sel(0));
  EXPECT_EQ("2,-1", sel(1));
  EXPECT_EQ("0,3", sel(2));
  EXPECT_EQ("-1,-1", sel(3));
  host.SelectColumn(1, 1, 3, 2);
  EXPECT_EQ("-1,-1", sel(0));
  EXPECT_EQ("1,2", sel(1));
  EXPECT_EQ("1,2", sel(3));
  EditorInfo ei{};
  host.EditorControl(ECTL_GETINFO, &ei);
  EXPECT_EQ(BTYPE_COLUMN, ei.BlockType);
  EXPECT_EQ(1, ei.BlockStartLine);
}

TEST_F(Editor, SetStringKeepsOrSetsTheLineEnd) {
  host.SetText("a\r\nb\n");
  char text[] = "xyz";
  EditorSetString ess{-1, text, nullptr, 2};
  EXPECT_EQ(1, host.EditorControl(ECTL_SETSTRING, &ess));
  EXPECT_EQ("xy\r\nb\n", host.Text());
  char eol[] = "\n";
  EditorSetString ess2{1, text, eol, 3};
  host.EditorControl(ECTL_SETSTRING, &ess2);
  EXPECT_EQ("xy\r\nxyz\n", host.Text());
  ASSERT_EQ(2u, host.journal.size());
  EXPECT_TRUE(host.journal[0].eolNull);
  EXPECT_EQ("xy", host.journal[0].text);
  EXPECT_FALSE(host.journal[1].eolNull);
}

TEST_F(Editor, GetInfoFillsTheFieldsThePluginReads) {
  host.SetText("a\n\tb\nc");
  host.fileName = "x\\main.cpp";
  host.curLine = 1;
  host.curPos = 2;
  host.settings.tabSize = 4;
  EditorInfo ei{};
  host.EditorControl(ECTL_GETINFO, &ei);
  EXPECT_STREQ("x\\main.cpp", ei.FileName);
  EXPECT_EQ(3, ei.TotalLines);
  EXPECT_EQ(1, ei.CurLine);
  EXPECT_EQ(2, ei.CurPos);
  EXPECT_EQ(5, ei.CurTabPos);
  EXPECT_EQ(0, ei.TopScreenLine);
  EXPECT_EQ(0, ei.LeftPos);
  EXPECT_EQ(BTYPE_NONE, ei.BlockType);
  EXPECT_EQ(4, ei.TabSize);
  host.fileNameNull = true;
  host.EditorControl(ECTL_GETINFO, &ei);
  EXPECT_EQ(nullptr, ei.FileName);
}

TEST_F(Editor, SetPositionLeavesMinusOneFieldsAndClampsTheLine) {
  host.SetText(std::string(100, '\n'));
  host.curLine = 50;
  host.curPos = 3;
  host.topLine = 40;
  EditorSetPosition p{-1, 7, -1, -1, -1, -1};
  host.EditorControl(ECTL_SETPOSITION, &p);
  EXPECT_EQ("50:7", Cursor());
  EXPECT_EQ(40, host.topLine);
  p = {5, -1, -1, -1, -1, -1};
  host.EditorControl(ECTL_SETPOSITION, &p);
  EXPECT_EQ("5:7", Cursor());
  EXPECT_EQ(5, host.topLine);  // scrolled to show the cursor
  p = {500, -1, -1, 60, -1, -1};
  host.EditorControl(ECTL_SETPOSITION, &p);
  EXPECT_EQ("100:7", Cursor());
  EXPECT_EQ(60, host.topLine);
  host.EditorControl(ECTL_REDRAW, nullptr);
  host.EditorControl(ECTL_REDRAW, nullptr);
  EXPECT_EQ(2, host.redraws);
}

TEST_F(Editor, TypingInsertsOvertypesAndPadsPastTheEnd) {
  host.SetText("abc");
  host.curPos = 1;
  Keys("XY");
  EXPECT_EQ("aXYbc", host.Text());
  host.settings.overtype = true;
  Keys("Q");
  EXPECT_EQ("aXYQc", host.Text());
  host.settings.overtype = false;
  host.curPos = 8;
  Keys("z");
  EXPECT_EQ("aXYQc   z", host.Text());
  EXPECT_EQ("0:9", Cursor());
}

TEST_F(Editor, ModifiedKeysAndNonKeyEventsChangeNothing) {
  host.SetText("ab\ncd");
  host.curPos = 1;
  Keys("<C-x><A-y><S-Enter><C-Enter><A-Enter><Release:q><Release:Enter><Mouse><Focus>");
  EXPECT_EQ("ab\ncd", host.Text());
  EXPECT_EQ("0:1", Cursor());
  Keys("<S-q>");  // Shift alone still types
  EXPECT_EQ("aqb\ncd", host.Text());
}

TEST_F(Editor, EnterSplitsAndTheNewLineTakesTheLineEnd) {
  host.SetText("abcd\r\nx\n");
  host.curPos = 2;
  Keys("<Enter>");
  EXPECT_EQ("ab\r\ncd\r\nx\n", host.Text());
  EXPECT_EQ("1:0", Cursor());
  host.SetText("last");
  host.curPos = 4;
  Keys("<Enter>");
  EXPECT_EQ("last\r\n", host.Text());
  host.SetText("a\nb");
  host.curLine = 1;
  host.curPos = 1;
  Keys("<Enter>");
  EXPECT_EQ("a\nb\n", host.Text());
  host.curPos = 9;  // past the end: no padding
  host.curLine = 0;
  Keys("<Enter>");
  EXPECT_EQ("a\n\nb\n", host.Text());
}

TEST_F(Editor, AutoIndentEnter) {
  host.settings.autoIndent = true;
  host.SetText("  \tint x;");
  host.curPos = 9;
  Keys("<Enter>");  // empty new line: the indent is only a cursor position
  EXPECT_EQ("  \tint x;\r\n", host.Text());
  EXPECT_EQ("1:8", Cursor());
  Keys("y");  // typed there, it takes the indent of the line above as it is
  EXPECT_EQ("  \tint x;\r\n  \ty", host.Text());

  host.SetText("    ab");
  host.curPos = 5;
  Keys("<Enter>");  // text follows: the indent is copied in front of it
  EXPECT_EQ("    a\r\n    b", host.Text());
  EXPECT_EQ("1:4", Cursor());

  host.SetText("  x\n\n");
  host.curLine = 1;
  host.settings.cursorBeyondEol = false;
  Keys("<Enter>");  // nearest non-blank line above; copied when the cursor may not float
  EXPECT_EQ("  x\n\n  \n", host.Text());
  EXPECT_EQ("2:2", Cursor());
}

TEST_F(Editor, AutoIndentEnterTakesTheWholeCurrentLineFirst) {
  host.settings.autoIndent = true;
  host.SetText("x\n    foo");
  host.curLine = 1;
  host.curPos = 0;  // left of the cursor is nothing, the line's indent still counts
  Keys("<Enter>");
  EXPECT_EQ("x\n\n    foo", host.Text());  // the moved part's own blanks already make it
  EXPECT_EQ("2:4", Cursor());
  host.SetText("    foo");
  host.curPos = 2;  // inside the indent: reduced by the moved blanks, then onto 'f'
  Keys("<Enter>");
  EXPECT_EQ("  \r\n    foo", host.Text());
  EXPECT_EQ("1:4", Cursor());
}

TEST_F(Editor, AutoIndentEnterTrimsTheStayingPartBeforeABlankMovedPart) {
  host.settings.autoIndent = true;
  host.SetText("  x  \t ");
  host.curPos = 4;
  Keys("<Enter>");
  EXPECT_EQ("  x\r\n   \t ", host.Text());  // the indent goes in front of the moved blanks
  EXPECT_EQ("1:2", Cursor());
  host.settings.autoIndent = false;  // without auto indent nothing is trimmed
  host.SetText("  x  \t ");
  host.curPos = 4;
  Keys("<Enter>");
  EXPECT_EQ("  x \r\n \t ", host.Text());
}

TEST_F(Editor, AutoIndentEnterTypesTheSourceBlanksThenSpaces) {
  host.settings.autoIndent = true;
  host.settings.tabSize = 4;
  host.SetText("\t  ab");
  host.curPos = 4;
  Keys("<Enter>");  // tab then two spaces, as the source line has them
  EXPECT_EQ("\t  a\r\n\t  b", host.Text());
  EXPECT_EQ("1:3", Cursor());
  host.settings.expandTabs = true;  // the tab is typed, so expansion applies
  host.SetText("\t  ab");
  host.curPos = 4;
  Keys("<Enter>");
  EXPECT_EQ("\t  a\r\n      b", host.Text());
  EXPECT_EQ("1:6", Cursor());
  host.settings.expandTabs = false;
  host.SetText("  \tab");  // a tab at column 2 reaches column 4: no padding needed
  host.curPos = 4;
  Keys("<Enter>");
  EXPECT_EQ("  \ta\r\n  \tb", host.Text());
  host.settings.overtype = true;  // the indent is inserted even in overtype mode
  host.SetText("  ab");
  host.curPos = 3;
  Keys("<Enter>");
  EXPECT_EQ("  a\r\n  b", host.Text());
}

TEST_F(Editor, TabInsertsExpandsOrMoves) {
  host.SetText("ab");
  host.curPos = 1;
  Keys("<Tab>");
  EXPECT_EQ("a\tb", host.Text());
  host.settings.expandTabs = true;
  host.settings.tabSize = 4;
  host.SetText("ab");
  host.curPos = 1;
  Keys("<Tab>");
  EXPECT_EQ("a   b", host.Text());
  EXPECT_EQ("0:4", Cursor());
  host.settings.expandTabs = false;
  host.SetText("x");
  host.curPos = 3;
  Keys("<Tab>");  // past the end the gap is filled first
  EXPECT_EQ("x  \t", host.Text());
  host.settings.overtype = true;
  host.SetText("abcdefgh");
  host.curPos = 1;
  Keys("<Tab>");
  EXPECT_EQ("abcdefgh", host.Text());
  EXPECT_EQ("0:4", Cursor());
}

TEST_F(Editor, BackspaceAndDeleteJoinLines) {
  host.SetText("ab\r\ncd\n");
  host.curLine = 1;
  host.curPos = 1;
  Keys("<BS>");
  EXPECT_EQ("ab\r\nd\n", host.Text());
  Keys("<BS>");
  EXPECT_EQ("abd\n", host.Text());
  EXPECT_EQ("0:2", Cursor());
  Keys("<Del>");
  EXPECT_EQ("ab\n", host.Text());
  Keys("<Del>");
  EXPECT_EQ("ab", host.Text());
  host.curPos = 0;
  Keys("<BS>");
  EXPECT_EQ("ab", host.Text());
}

TEST_F(Editor, CursorKeysMove) {
  host.SetText("abcdef\nab\nabcd");
  host.curPos = 5;
  Keys("<Down>");
  EXPECT_EQ("1:5", Cursor());  // the cursor may stand past the end
  Keys("<Home><Right><End><Left>");
  EXPECT_EQ("1:1", Cursor());
  Keys("<Left><Left>");  // column 0 goes to the end of the line above
  EXPECT_EQ("0:6", Cursor());
  Keys("<Home><Left><Up>");  // the first line: both stay
  EXPECT_EQ("0:0", Cursor());
  host.settings.cursorBeyondEol = false;
  host.curPos = 5;
  Keys("<Down>");
  EXPECT_EQ("1:2", Cursor());
  Keys("<Right><Right>");  // the end of the line goes on at the next line
  EXPECT_EQ("2:1", Cursor());
  Keys("<End><Right><Down>");  // the last line: both stay
  EXPECT_EQ("2:4", Cursor());
  EXPECT_EQ("abcdef\nab\nabcd", host.Text());
}

TEST_F(Editor, RightWithoutCursorBeyondEndReachesTheEmptyLastLine) {
  host.settings.cursorBeyondEol = false;
  host.SetText("ab\n");
  host.curPos = 2;
  Keys("<Right>");
  EXPECT_EQ("1:0", Cursor());
  host.settings.cursorBeyondEol = true;
  host.SetText("ab\n");
  host.curPos = 2;
  Keys("<Right>");
  EXPECT_EQ("0:3", Cursor());
}

TEST_F(Editor, UpAndDownKeepTheScreenColumn) {
  host.settings.tabSize = 4;
  host.SetText("\tx\nabcdefgh\n\t\tz\nab");
  host.curLine = 1;
  host.curPos = 5;  // screen column 5
  Keys("<Up>");
  EXPECT_EQ("0:2", Cursor());  // the tab spans 0-3, 'x' is column 4: column 5 is the end
  EXPECT_EQ(3, host.PosAtColumn(0, 6));
  host.curLine = 1;
  host.curPos = 6;
  Keys("<Down>");
  EXPECT_EQ("2:1", Cursor());  // inside the second tab's span: lands on the tab
  Keys("<Down>");
  EXPECT_EQ("3:4", Cursor());  // column 4 on "ab" (the cursor stood on the tab at column 4)
  Keys("q");
  EXPECT_EQ("\tx\nabcdefgh\n\t\tz\nab  q", host.Text());  // typing there pads
}

TEST_F(Editor, TheRememberedColumnOutlivesAShortLine) {
  host.settings.cursorBeyondEol = false;
  host.SetText("abcdefghijk\nx\nabcdefghijk\nabcdefghijk");
  host.curPos = 9;
  Keys("<Down>");
  EXPECT_EQ("1:1", Cursor());
  Keys("<Down>");
  EXPECT_EQ("2:9", Cursor());  // back out at the original column
  Keys("<Up><Up>");
  EXPECT_EQ("0:9", Cursor());
  Keys("<Down>y<Down>");  // typing on the short line forgets it
  EXPECT_EQ("2:2", Cursor());
  host.settings.cursorBeyondEol = true;  // with the option on it plays no part
  host.curLine = 0;
  host.curPos = 9;
  Keys("<Down><Left><Down>");
  EXPECT_EQ("2:8", Cursor());
}

TEST_F(Editor, FedKeysMayLeaveTheRememberedColumnBehind) {
  host.settings.cursorBeyondEol = false;
  host.SetText("abcdefghij\nabcdefghij");
  host.curPos = 8;
  Keys("<Left>");
  EXPECT_EQ(7, host.rememberedColumn());
  host.settings.redrawAfterFedKeys = false;  // only the user's own keys redraw
  INPUT_RECORD left = PressVk(VK_LEFT);
  host.EditorControl(ECTL_PROCESSINPUT, &left);
  host.EditorControl(ECTL_PROCESSINPUT, &left);
  EXPECT_EQ(7, host.rememberedColumn());
  Keys("<Down>");
  EXPECT_EQ("1:7", Cursor());  // the stale column wins
  host.settings.redrawAfterFedKeys = true;
  host.EditorControl(ECTL_PROCESSINPUT, &left);
  EXPECT_EQ(6, host.rememberedColumn());
  host.settings.redrawAfterFedKeys = false;
  host.EditorControl(ECTL_PROCESSINPUT, &left);
  host.EditorControl(ECTL_REDRAW, nullptr);  // a redraw mends it
  EXPECT_EQ(5, host.rememberedColumn());
}

TEST_F(Editor, TypingReplacesTheSelection) {
  host.SetText("hello world\nsecond");
  host.SelectStream(0, 6, 1, 3);
  host.curLine = 1;
  host.curPos = 3;  // at the block's end: the character takes its place
  Keys("X");
  EXPECT_EQ("hello Xond", host.Text());
  host.SelectStream(0, 1, 0, 3);
  host.curPos = 0;  // before it: the block goes, the character stays at the cursor
  Keys("Y");
  EXPECT_EQ("Yhlo Xond", host.Text());
  host.SetText("abcd\nefgh");
  host.SelectColumn(0, 1, 1, 3);
  Keys("<Del>");
  EXPECT_EQ("ad\neh", host.Text());
  host.SelectStream(0, 0, 0, 1);
  Keys("<Right>q");  // moving drops a non-persistent selection
  EXPECT_EQ("adq\neh", host.Text());
}

TEST_F(Editor, LanguageFilesAreParsedAsTheHostDoes) {
  std::string lang;
  auto msgs = sim::Host::ParseLanguageFile(
      "// remark\r\n.Language=English,English\r\n\r\n  \"Plain\"  \r\n"
      "\"a\\\\b\\\"c\\n\\td\"\r\n\"say \"\"hi\"\"\"\r\nnot a message\r\n\"no end\r\n",
      &lang);
  EXPECT_EQ("English", lang);
  ASSERT_EQ(4u, msgs.size());
  EXPECT_EQ("Plain", msgs[0]);
  EXPECT_EQ("a\\b\"c\n\td", msgs[1]);
  EXPECT_EQ("say \"hi\"", msgs[2]);
  EXPECT_EQ("no end", msgs[3]);
}

}  // namespace
