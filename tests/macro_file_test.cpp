// The macro file: path derivation, the line grammar, text-mode reading done
// by our own code, limits, and a file that changes while it is read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "far1/edition.h"
#include "macros/macro_file.h"
#include "tests/support.h"

namespace {

std::string Path(const std::string &modulePath) {
  char buffer[260];
  std::memset(buffer, 0, sizeof(buffer));
  std::strncpy(buffer, modulePath.c_str(), sizeof(buffer) - 1);
  BuildMacroPath(buffer);
  return buffer;
}

TEST(BuildMacroPath, FoldsAndReplacesTheFirstDll) {
  EXPECT_EQ("c:\\far\\plugins\\vorlane\\vorlane.mac", Path("C:\\FAR\\PLUGINS\\VORLANE\\VORLANE.DLL"));
  EXPECT_EQ("c:\\tools.mac", Path("c:\\tools.dll\\vorlane.dll"));
  EXPECT_EQ("c:\\x\\other.mac", Path("C:\\X\\Other.Dll"));
  EXPECT_EQ("a:\\z\\az.mac", Path("A:\\Z\\AZ.DLL"));  // both ends of the alphabet
  EXPECT_EQ("c:\\\xC4\xE9\\v.mac", Path("C:\\\xC4\xE9\\V.DLL"));  // high bytes unchanged
  EXPECT_EQ("", Path("c:\\x\\vorlane.exe"));  // no ".dll": nothing to read
}

class Loader : public ::testing::Test {
protected:
  void SetUp() override {
    dir = test::NewTempDir();
    path = test::Join(dir, "m.mac");
  }
  void TearDown() override {
    FreeMacros();
    MacroLoadBetweenPasses = nullptr;
    std::remove(path.c_str());
  }
  // Loads `bytes` and returns the table as "name=body" strings.
  std::vector<std::string> Load(const std::string &bytes) {
    test::WriteFile(path, bytes);
    FreeMacros();
    LoadMacros(path.c_str());
    std::vector<std::string> out;
    for (int i = 0; i < MacroCount; ++i)
      out.push_back(std::string(MacroTable[i].Name) + "=" + MacroTable[i].Body);
    return out;
  }
  std::string dir, path;
};

using Table = std::vector<std::string>;

TEST_F(Loader, LineGrammar) {
  EXPECT_EQ(Table{"if=sp ( ) left left"}, Load("Macro if \"sp ( ) left left\"\n"));
  EXPECT_EQ(Table{"for=f o r"}, Load("   Macro for \"f o r\"\n"));
  EXPECT_EQ(Table{}, Load("macro if x\n"));
  EXPECT_EQ(Table{}, Load("Macro\tif x\n"));
  EXPECT_EQ(Table{"if=sp"}, Load("Macro if sp ( )\n"));
  EXPECT_EQ(Table{"x=a b"}, Load("Macro x \"a b\n"));
  EXPECT_EQ(Table{"if=x"}, Load("Macro if \"x\" remark text\n"));
  EXPECT_EQ(Table{"="}, Load("Macro\n"));
  EXPECT_EQ(Table{"if="}, Load("Macro if\n"));
  EXPECT_EQ(Table{"if=x"}, Load("Macro if x"));  // last line without a line feed
  EXPECT_EQ(Table{}, Load(""));
  EXPECT_EQ(Table{}, Load("; a remark\n\nMacros x y\nxMacro a b\n"));
}

TEST_F(Loader, TextModeIsOurs) {
  EXPECT_EQ((Table{"a=1", "b=2"}), Load("Macro a 1\r\nMacro b 2\r\n"));
  EXPECT_EQ((Table{"a=1", "b=2"}), Load("Macro a 1\r\nMac\rro b \r2\r\n"));  // every CR dropped
  EXPECT_EQ((Table{"a=1"}), Load("Macro a 1\n\x1A" "Macro b 2\n"));
  EXPECT_EQ((Table{"a=1"}), Load("Macro a 1\x1A\nMacro b 2\n"));
  // CR-only line ends join everything into one line.
  EXPECT_EQ((Table{"a=1Macro"}), Load("Macro a 1\rMacro b 2\r"));
  // A NUL ends the text of its line.
  const char withNul[] = "Macro a 1\0 z\nMacro\0 b 2\nMacro c 3\n";
  EXPECT_EQ((Table{"a=1", "=", "c=3"}), Load(std::string(withNul, sizeof(withNul) - 1)));
}

TEST_F(Loader, LongLinesAreReadInPiecesOf2047) {
  // 5000 characters: pieces of 2047, 2047 and 906; the third starts a macro line.
  std::string tail = "Macro t x";
  std::string line = "Macro a b " + std::string(2047 - 10, 'y') + std::string(2047, 'z') + tail;
  line += std::string(5000 - line.size(), ' ');
  ASSERT_EQ(5000u, line.size());
  EXPECT_EQ((Table{"a=b", "t=x", "c=d"}), Load(line + "\nMacro c d\n"));
  // Exactly 2047 characters then a line feed: no empty extra line in between.
  std::string exact = "Macro e f" + std::string(2047 - 9, ' ');
  EXPECT_EQ((Table{"e=f", "g=h"}), Load(exact + "\nMacro g h\n"));
}

TEST_F(Loader, DuplicatesAreKeptAndTheFirstWins) {
  Load("Macro if first\nMacro if second\n");
  ASSERT_EQ(2, MacroCount);
  ASSERT_NE(nullptr, FindMacro("if"));
  EXPECT_STREQ("first", FindMacro("if")->Body);
  EXPECT_EQ(nullptr, FindMacro("i"));
  EXPECT_EQ(nullptr, FindMacro("IF"));
  EXPECT_EQ(nullptr, FindMacro("if "));
}

TEST_F(Loader, NamesAndBodiesAtAndPastTheirLimits) {
  std::string name127(127, 'n'), name128(128, 'm');
  std::string body511(511, 'b'), body512(512, 'b');
  Table t = Load("Macro " + name127 + " x\nMacro " + name128 + " y\nMacro p \"" + body511 +
                 "\"\nMacro q \"" + body512 + "\"\nMacro r " + body512 + "\nMacro s z\n");
  EXPECT_EQ((Table{name127 + "=x", "p=" + body511, "s=z"}), t);
  EXPECT_EQ(nullptr, FindMacro(name128.substr(0, 127).c_str()));  // never matched cut short
  EXPECT_EQ(nullptr, FindMacro("q"));
  EXPECT_EQ(nullptr, FindMacro("r"));
}

TEST(Far3Loader, BodiesAndLinesOfAnyLength) {
  // The Far 3 edition keeps a 5 000-unit body and a 20 000-byte line whole,
  // where the 1.x edition (above) stops at 511 and reads 2047-byte pieces; a
  // name keeps its 127-unit limit.
  const std::string body(5000, 'b'), line(20000, 'l');
  const std::string bytes = "Macro long \"" + body + "\"\nMacro wide " + line + "\nMacro " +
                            std::string(128, 'n') + " x\nMacro after z\n";
  BasicMacroEntry<char16_t> *table = nullptr;
  int count = 0;
  ASSERT_TRUE(LoadMacroTableFromBytes<char16_t>(bytes.data(), bytes.size(), &table, &count));
  ASSERT_EQ(3, count);
  EXPECT_EQ(std::u16string(body.begin(), body.end()), std::u16string(table[0].Body));
  EXPECT_EQ(std::u16string(line.begin(), line.end()), std::u16string(table[1].Body));
  EXPECT_EQ(u"after", std::u16string(table[2].Name));
  FreeMacroEntries(table, static_cast<size_t>(count));
}

TEST(Far3Loader, TabMacrosAtAWordsStartLongestFirstAsTheirSectionSays) {
  const std::string bytes =
      "MacroTab pr general\nMacroTab \"x pr\" two\nMacro sp s\nMacroTab \"\" empty\nMacroTabs no\n"
      "MacroTab a.b ab\nMacroTab .b dot\n"
      "Files *.c\nMacro pr space\nMacroList q listed\nMacroTab r r\nMacro a.b space\n";
  BasicMacroEntry<char16_t> *table = nullptr;
  int count = 0;
  MacroSections<char16_t> sections;
  ASSERT_TRUE(LoadMacroTableFromBytes<char16_t>(bytes.data(), bytes.size(), &table, &count, &sections));
  ASSERT_EQ(9, count);
  EXPECT_EQ(u"x pr", std::u16string(table[1].Name));
  EXPECT_EQ(MacroTrigger::List, table[6].Trigger);
  bool inC = false;
  auto find = [&](const std::u16string &text) -> std::u16string {
    const BasicMacroEntry<char16_t> *e = FindTabMacroIn<char16_t>(
        table, count, sections, text.c_str(), static_cast<int>(text.size()), [&](int) { return inC; });
    return e ? std::u16string(e->Body) : u"-";
  };
  EXPECT_EQ(u"general", find(u"pr"));
  EXPECT_EQ(u"general", find(u"  (pr"));
  EXPECT_EQ(u"two", find(u"if x pr"));
  EXPECT_EQ(u"-", find(u"apr"));  // inside a word
  EXPECT_EQ(u"-", find(u"_pr"));
  EXPECT_EQ(u"-", find(u"\u0436pr"));
  EXPECT_EQ(u"ab", find(u"a.b"));
  EXPECT_EQ(u"dot", find(u"x.b"));  // a name that begins with no word's unit
  EXPECT_EQ(u"-", find(u"sp"));   // a Space macro
  EXPECT_EQ(u"-", find(u"q"));    // the list's only
  EXPECT_EQ(u"-", find(u".r"));   // its section does not apply
  inC = true;
  // The section's `pr` is a Space macro: in its files Tab does not take the
  // general one, nor the shorter `r` inside the word.
  EXPECT_EQ(u"-", find(u"pr"));
  EXPECT_EQ(u"two", find(u"x pr"));
  EXPECT_EQ(u"r", find(u".r"));
  EXPECT_EQ(u"dot", find(u"a.b"));  // the next shorter name ending there
  FreeMacroEntries(table, static_cast<size_t>(count));
  FreeMacroSections(&sections);
}

TEST_F(Loader, MissingFileGivesAnEmptyTable) {
  LoadMacros(test::Join(dir, "absent.mac").c_str());
  EXPECT_EQ(nullptr, MacroTable);
  EXPECT_EQ(0, MacroCount);
  EXPECT_EQ(nullptr, FindMacro(""));
  LoadMacros("");
  EXPECT_EQ(0, MacroCount);
}

std::string Replacement;
void Rewrite(const char *path) { test::WriteFile(path, Replacement); }

TEST_F(Loader, FileGrowingBetweenPassesFillsNoMoreThanCounted) {
  Replacement = "Macro a 1\nMacro b 2\nMacro c 3\nMacro d 4\n";
  MacroLoadBetweenPasses = &Rewrite;
  EXPECT_EQ((Table{"a=1", "b=2"}), Load("Macro x 1\nMacro y 2\n"));
}

TEST_F(Loader, FileShrinkingBetweenPassesCountsWhatWasFilled) {
  Replacement = "Macro a 1\n";
  MacroLoadBetweenPasses = &Rewrite;
  EXPECT_EQ((Table{"a=1"}), Load("Macro x 1\nMacro y 2\nMacro z 3\n"));
  Replacement = "";
  EXPECT_EQ(Table{}, Load("Macro x 1\n"));
  EXPECT_EQ(nullptr, MacroTable);
}

TEST_F(Loader, ReadingTheSameFileTwiceGivesTheSameTable) {
  Table once = Load("Macro a 1\nMacro b \"x y\"\n");
  FreeMacros();
  LoadMacros(path.c_str());
  Table again;
  for (int i = 0; i < MacroCount; ++i)
    again.push_back(std::string(MacroTable[i].Name) + "=" + MacroTable[i].Body);
  EXPECT_EQ(once, again);
}

}  // namespace
