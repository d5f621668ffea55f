// Hostile input: every buffer of the design is fixed-size and every input is
// outside our control. Each case asserts the sound outcome, not only that
// nothing crashed (the asan preset runs these too).
#include <gtest/gtest.h>

#include <cstring>

#include "keys/input_filter.h"
#include "macros/macro_file.h"
#include "snippets/playback.h"
#include "far1/plugin.h"
#include "tests/support.h"

namespace {

using test::Press;
using test::PressVk;
using test::Session;

class HostileMacroFile : public ::testing::Test {
protected:
  void SetUp() override { path = test::Join(test::NewTempDir(), "h.mac"); }
  void TearDown() override {
    FreeMacros();
    std::remove(path.c_str());
  }
  void Load(const std::string &bytes) {
    test::WriteFile(path, bytes);
    FreeMacros();
    LoadMacros(path.c_str());
  }
  std::string path;
};

TEST_F(HostileMacroFile, NulBytesEndTheirLine) {
  Load(std::string("Macro a\0b x\nMac\0ro c d\nMacro e f\n", 33));
  ASSERT_EQ(2, MacroCount);
  EXPECT_STREQ("a", MacroTable[0].Name);
  EXPECT_STREQ("", MacroTable[0].Body);
  EXPECT_STREQ("e", MacroTable[1].Name);
}

TEST_F(HostileMacroFile, EndOfDataByteInTheMiddle) {
  Load("Macro a x\nMacro b\x1Ay\nMacro c z\n");
  ASSERT_EQ(2, MacroCount);
  EXPECT_STREQ("b", MacroTable[1].Name);
  EXPECT_EQ(nullptr, FindMacro("c"));
}

TEST_F(HostileMacroFile, TenMegabyteSingleLine) {
  std::string big = "Macro a b " + std::string(10 * 1024 * 1024, 'x');
  Load(big);
  ASSERT_EQ(1, MacroCount);  // only the first 2047-character piece starts with Macro
  EXPECT_STREQ("b", MacroTable[0].Body);
}

TEST_F(HostileMacroFile, HundredThousandMacroLines) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "Macro m" + std::to_string(i) + " \"sp x\"\r\n";
  Load(text);
  ASSERT_EQ(100000, MacroCount);
  ASSERT_NE(nullptr, FindMacro("m99999"));
  EXPECT_STREQ("sp x", FindMacro("m99999")->Body);
  EXPECT_EQ(nullptr, FindMacro("m100000"));
}

TEST_F(HostileMacroFile, CarriageReturnOnlyLineEnds) {
  Load("Macro a x\rMacro b y\r");
  ASSERT_EQ(1, MacroCount);
  EXPECT_STREQ("xMacro", MacroTable[0].Body);
}

TEST_F(HostileMacroFile, NamesAndBodiesAtTheirLimits) {
  std::string n127(127, 'a'), n128(128, 'b'), b511(511, 'c'), b512(512, 'd');
  Load("Macro " + n127 + " x\nMacro " + n128 + " x\nMacro p \"" + b511 + "\"\nMacro q \"" + b512 + "\"\n");
  ASSERT_EQ(2, MacroCount);
  EXPECT_EQ(n127, MacroTable[0].Name);
  EXPECT_EQ(b511, MacroTable[1].Body);
  EXPECT_EQ(nullptr, FindMacro(n128.substr(0, 127).c_str()));
  EXPECT_EQ(nullptr, FindMacro("q"));
}

TEST(HostilePlayback, TokensOfElevenAndTwelveCharacters) {
  Session s("t\n", "main.cpp");
  s.host.settings.reentry = false;
  MacroEntry e;
  std::strcpy(e.Body, "abcdefghijk left abcdefghijkl x leftleftleft");  // 11, 12 and 12 characters
  PlayMacro(&e);
  std::vector<WORD> vks;
  std::string chars;
  for (const sim::Command &c : s.host.journal) {
    vks.push_back(c.input.Event.KeyEvent.wVirtualKeyCode);
    chars += static_cast<char>(c.input.Event.KeyEvent.uChar.UnicodeChar);
  }
  EXPECT_EQ((std::vector<WORD>{VK_LEFT, 0}), vks);
  EXPECT_EQ(std::string("\0x", 2), chars);
}

class HostileLines : public ::testing::Test {};

TEST_F(HostileLines, KeywordLinesAroundTheBufferSize) {
  for (size_t length : {4095u, 4096u, 1000000u}) {
    std::string line = std::string(length - 2, ' ') + "if";
    Session s(line + "\n", "main.cpp", "Macro if x\n");
    s.At(0, static_cast<int>(length));
    int answer = s.host.Input(Press(' '));
    EXPECT_EQ(length < 4096 ? 1 : 0, answer) << length;
    EXPECT_EQ(line + (length < 4096 ? "x" : " ") + "\n", s.host.Text()) << length;
  }
}

TEST_F(HostileLines, MillionCharacterLinesForTheBraceAssists) {
  std::string spaces(1000000, ' ');
  Session s("  {\n" + spaces + "\n" + spaces + "{\n", "main.cpp");
  s.At(1, 500000);
  EXPECT_EQ(1, s.host.Input(Press('}')));
  EXPECT_EQ("  }", s.host.lines[1].text);
  s.At(2, 1000001);
  EXPECT_EQ(1, s.host.Input(PressVk(VK_RETURN, '\r')));
  EXPECT_EQ("\t", s.host.lines[3].text);
}

TEST_F(HostileLines, MatchAHundredThousandLinesUp) {
  std::string text = "    {\n";
  for (int i = 0; i < 100000; ++i) text += "x\n";
  text += "  \n";
  Session s(text, "main.cpp");
  s.At(100001, 2);
  s.host.topLine = 99990;
  EXPECT_EQ(1, s.host.Input(Press('}')));
  EXPECT_EQ("    }", s.host.lines[100001].text);
  EXPECT_EQ(100001, s.host.curLine);
  EXPECT_EQ(5, s.host.curPos);
  EXPECT_EQ(99990, s.host.topLine);
}

TEST(HostileNames, FileNamesAtTheEdges) {
  std::string long259 = std::string(255, 'a') + ".cpp";
  ASSERT_EQ(259u, long259.size());
  for (const auto &name : {std::string("noext"), std::string("dot."), long259, std::string(259, '.'),
                           std::string(".cpp"), std::string("")}) {
    Session s("{\n  \n", name);
    s.At(1, 2);
    bool qualifies = name == long259 || name == ".cpp";
    EXPECT_EQ(qualifies ? 1 : 0, s.host.Input(Press('}'))) << name;
    EXPECT_EQ(qualifies ? "{\n}\n" : "{\n  }\n", s.host.Text()) << name;
  }
}

TEST(HostileStart, ModuleNamesWithoutNulOrWithoutDll) {
  std::string dir = test::NewTempDir();
  test::WriteFile(test::Join(dir, "vorlane.mac"), "Macro a b\n");
  PluginStartupInfo info;
  std::memset(&info, 0, sizeof(info));
  std::strcpy(info.ModuleName, test::Join(dir, "vorlane.exe").c_str());
  SetStartupInfo(&info);
  EXPECT_EQ(0, MacroCount);  // no ".dll": no macro file is guessed
  std::memset(info.ModuleName, 'Z', sizeof(info.ModuleName));
  SetStartupInfo(&info);
  EXPECT_EQ(0, MacroCount);
  EXPECT_NE(nullptr, FarEditor);
  ExitFAR();
}

}  // namespace
