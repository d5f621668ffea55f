// Every wrapper operation issues exactly one host command with the fields
// the host expects; the selection query walks and restores.
#include <gtest/gtest.h>

#include <cstring>

#include "far1/far_editor.h"
#include "far1/plugin.h"
#include "tests/support.h"

namespace {

using test::Session;

class Wrapper : public ::testing::Test {
protected:
  Wrapper() : s("zero\none\ntwo\nthree\nfour\n", "a.cpp") {}
  void SetUp() override { s.host.journal.clear(); }
  const sim::Command &Only() {
    EXPECT_EQ(1u, s.host.journal.size());
    return s.host.journal.back();
  }
  Session s;
};

TEST_F(Wrapper, PositionIsReadFromOneInfoCommand) {
  s.At(2, 3);
  s.host.topLine = 1;
  s.host.leftPos = 0;
  EditorPosition p = FarEditor->GetPosition();
  EXPECT_EQ(ECTL_GETINFO, Only().code);
  EXPECT_EQ(2, p.CurLine);
  EXPECT_EQ(3, p.CurPos);
  EXPECT_EQ(1, p.TopScreenLine);
  EXPECT_EQ(0, p.LeftPos);
}

TEST_F(Wrapper, SetPositionPassesMinusOneForEverythingNotGiven) {
  s.At(3, 1);
  FarEditor->SetPosition(-1, 5, -1, -1);
  const EditorSetPosition &p = Only().position;
  EXPECT_EQ(-1, p.CurLine);
  EXPECT_EQ(5, p.CurPos);
  EXPECT_EQ(-1, p.CurTabPos);
  EXPECT_EQ(-1, p.TopScreenLine);
  EXPECT_EQ(-1, p.LeftPos);
  EXPECT_EQ(-1, p.Overtype);
  EXPECT_EQ("3:5", s.Cursor());
}

TEST_F(Wrapper, FreshPositionChangesNothing) {
  s.At(2, 2);
  FarEditor->SetPosition(EditorPosition());
  const EditorSetPosition &p = Only().position;
  EXPECT_EQ(-1, p.CurLine);
  EXPECT_EQ(-1, p.CurPos);
  EXPECT_EQ(-1, p.TopScreenLine);
  EXPECT_EQ(-1, p.LeftPos);
  EXPECT_EQ("2:2", s.Cursor());
}

TEST_F(Wrapper, StringsAreReadAndReplacedKeepingTheLineEnd) {
  s.At(1, 0);
  EditorGetString egs;
  FarEditor->GetString(&egs, -1);
  EXPECT_EQ(ECTL_GETSTRING, Only().code);
  EXPECT_EQ(-1, Only().line);
  EXPECT_STREQ("one", egs.StringText);
  EXPECT_EQ(3, egs.StringLength);

  s.host.journal.clear();
  FarEditor->SetString("", -1);
  const sim::Command &c = Only();
  EXPECT_EQ(ECTL_SETSTRING, c.code);
  EXPECT_EQ(-1, c.line);
  EXPECT_EQ(0, c.length);
  EXPECT_TRUE(c.eolNull);
  EXPECT_EQ("zero\n\ntwo\nthree\nfour\n", s.host.Text());
}

TEST_F(Wrapper, FedKeysAreSingleKeyDownsWithoutModifiers) {
  s.host.settings.reentry = false;
  FarEditor->TypeChar(' ');
  FarEditor->PressKey(VK_TAB);
  FarEditor->TypeChar(0xE9);  // a byte above 0x7F is not sign-extended
  ASSERT_EQ(3u, s.host.journal.size());
  for (const sim::Command &c : s.host.journal) {
    EXPECT_EQ(ECTL_PROCESSINPUT, c.code);
    EXPECT_EQ(KEY_EVENT, c.input.EventType);
    EXPECT_EQ(1, c.input.Event.KeyEvent.bKeyDown);
    EXPECT_EQ(1, c.input.Event.KeyEvent.wRepeatCount);
    EXPECT_EQ(0, c.input.Event.KeyEvent.wVirtualScanCode);
    EXPECT_EQ(0u, c.input.Event.KeyEvent.dwControlKeyState);
  }
  EXPECT_EQ(0, s.host.journal[0].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ(0x20, s.host.journal[0].input.Event.KeyEvent.uChar.UnicodeChar);
  EXPECT_EQ(VK_TAB, s.host.journal[1].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ(0, s.host.journal[1].input.Event.KeyEvent.uChar.UnicodeChar);
  EXPECT_EQ(0x00E9, s.host.journal[2].input.Event.KeyEvent.uChar.UnicodeChar);
}

TEST_F(Wrapper, ProcessInputPassesTheCallersRecordUnchanged) {
  s.host.settings.reentry = false;
  INPUT_RECORD r = test::PressVk(VK_RETURN, '\r', SHIFT_PRESSED | LEFT_CTRL_PRESSED);
  r.Event.KeyEvent.wRepeatCount = 3;
  r.Event.KeyEvent.wVirtualScanCode = 0x1C;
  FarEditor->ProcessInput(&r);
  EXPECT_EQ(0, std::memcmp(&r, &Only().input, sizeof(r)));
}

TEST_F(Wrapper, UpdateInfoReadsIdAndTabSize) {
  s.host.settings.tabSize = 4;
  FarEditor->UpdateInfo();
  EXPECT_EQ(ECTL_GETINFO, Only().code);
  EXPECT_EQ(1, FarEditor->EditorID);
  EXPECT_EQ(4, FarEditor->TabSize);
}

// A host that answers ECTL_GETSTRING with no text and a negative length.
int WINAPI BrokenGetString(int command, void *param) {
  if (command != ECTL_GETSTRING) return 0;
  auto *egs = static_cast<EditorGetString *>(param);
  egs->StringText = nullptr;
  egs->StringLength = -1;
  return 1;
}

TEST(WrapperOnABrokenHost, AStringWithoutTextOrWithANegativeLengthIsEmpty) {
  PluginStartupInfo info;
  std::memset(&info, 0, sizeof(info));
  info.EditorControl = &BrokenGetString;
  TFarEditor editor(&info);
  EditorGetString egs;
  EXPECT_EQ(1, editor.GetString(&egs, -1));
  ASSERT_NE(nullptr, egs.StringText);
  EXPECT_STREQ("", egs.StringText);
  EXPECT_EQ(0, egs.StringLength);
}

TEST_F(Wrapper, UpdateBlockWithoutSelectionMovesNothing) {
  s.At(2, 1);
  FarEditor->BlockStartLine = 1234;
  FarEditor->UpdateBlock();
  EXPECT_EQ(ECTL_GETINFO, Only().code);
  EXPECT_EQ(0, FarEditor->BlockType);
  EXPECT_EQ(1234, FarEditor->BlockStartLine);
  EXPECT_EQ("2:1", s.Cursor());
}

TEST_F(Wrapper, UpdateBlockOnStreamSelectionFindsItsEndAndRestores) {
  s.At(4, 2);
  s.host.topLine = 1;
  s.host.SelectStream(1, 2, 3, 4);
  FarEditor->UpdateBlock();
  EXPECT_EQ(BTYPE_STREAM, FarEditor->BlockType);
  EXPECT_EQ(1, FarEditor->BlockStartLine);
  EXPECT_EQ(2, FarEditor->BlockStartPos);
  EXPECT_EQ(3, FarEditor->BlockEndLine);
  EXPECT_EQ(4, FarEditor->BlockEndPos);
  const EditorSetPosition &last = s.host.journal.back().position;
  EXPECT_EQ(ECTL_SETPOSITION, s.host.journal.back().code);
  EXPECT_EQ(4, last.CurLine);
  EXPECT_EQ(2, last.CurPos);
  EXPECT_EQ(1, last.TopScreenLine);
  EXPECT_EQ(0, last.LeftPos);
  EXPECT_EQ("4:2", s.Cursor());
}

TEST_F(Wrapper, UpdateBlockOnColumnSelection) {
  s.At(0, 0);
  s.host.SelectColumn(1, 1, 2, 3);
  FarEditor->UpdateBlock();
  EXPECT_EQ(BTYPE_COLUMN, FarEditor->BlockType);
  EXPECT_EQ(1, FarEditor->BlockStartLine);
  EXPECT_EQ(1, FarEditor->BlockStartPos);
  EXPECT_EQ(2, FarEditor->BlockEndLine);
  EXPECT_EQ(3, FarEditor->BlockEndPos);
  EXPECT_EQ("0:0", s.Cursor());
}

TEST_F(Wrapper, UpdateBlockRunningToTheLastLineEndsThere) {
  s.host.SelectStream(3, 1, 99, 0);  // runs past the end of the text
  FarEditor->UpdateBlock();
  EXPECT_EQ(5, FarEditor->BlockEndLine);
  EXPECT_EQ(0, FarEditor->BlockEndPos);
  // A last line with text: the block ends at its end.
  s.host.lines.back().text = "end";
  s.host.SelectStream(3, 1, 99, 0);
  FarEditor->UpdateBlock();
  EXPECT_EQ(5, FarEditor->BlockEndLine);
  EXPECT_EQ(3, FarEditor->BlockEndPos);
}

}  // namespace
