// Field splitting and trimming on the texts the macro file and bodies hold,
// and where an edit to a stop's line stood.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "macros/fields.h"
#include "snippets/state.h"

namespace {

std::string Field(const std::string &source, int index, int options, size_t size = 512) {
  std::string dest(size, '#');
  GetField(&dest[0], size, source.c_str(), index, options);
  return std::string(dest.c_str());
}

TEST(GetField, SplitsOnRunsOfSpacesOnly) {
  EXPECT_EQ("a", Field("  a   bb c ", 1, 0));
  EXPECT_EQ("bb", Field("  a   bb c ", 2, 0));
  EXPECT_EQ("c", Field("  a   bb c ", 3, 0));
  EXPECT_EQ("", Field("  a   bb c ", 4, 0));
  EXPECT_EQ("a", Field("  a   bb c ", 0, 0));
  EXPECT_EQ("a", Field("  a   bb c ", -5, 0));
  EXPECT_EQ("a\tb", Field("a\tb", 1, 0));
  EXPECT_EQ("", Field("", 1, 0));
  EXPECT_EQ("", Field("     ", 1, 3));
}

TEST(GetField, GroupsAndStripsQuotes) {
  const std::string line = "Macro if \"sp ( sp ) left\" rest";
  EXPECT_EQ("if", Field(line, 2, 0));
  EXPECT_EQ("\"sp", Field(line, 3, 0));
  EXPECT_EQ("sp ( sp ) left", Field(line, 3, 3));
  EXPECT_EQ("\"sp ( sp ) left\"", Field(line, 3, 1));
  EXPECT_EQ("rest", Field(line, 4, 3));
  EXPECT_EQ("\"sp", Field(line, 3, 2));  // stripping alone does nothing
}

TEST(GetField, QuotedStateRunsThroughTheWholeScan) {
  EXPECT_EQ("a b", Field("Macro x \"a b", 3, 3));
  EXPECT_EQ("a\"b", Field("Macro a\"b c\" d", 2, 0));
  EXPECT_EQ("d", Field("Macro a\"b c\" d", 3, 3));
  EXPECT_EQ("\"a b\"", Field("\"a b\" c", 1, 1));
  EXPECT_EQ("\"a b\"", Field("   \"a b\" c", 1, 1));
  EXPECT_EQ("", Field("x \"\"", 2, 3));
  EXPECT_EQ("", Field("x \"", 2, 3));
  EXPECT_EQ("a\"b", Field("x \"a\"b\"", 2, 3));  // inner quotes stay
  EXPECT_EQ("ab", Field("x \"ab", 2, 3));        // only the leading one goes
}

TEST(GetField, ReportsWholeLengthAndNeverWritesPastTheDestination) {
  std::string longField(700, 'z');
  std::string source = "a " + longField + " b";
  char small[13];
  std::memset(small, '#', sizeof(small));
  size_t length = 0;
  GetField(small, 12, source.c_str(), 2, 0, &length);
  EXPECT_EQ(700u, length);
  EXPECT_EQ(std::string(11, 'z'), std::string(small));
  EXPECT_EQ('#', small[12]);

  std::string big(1024, '#');
  GetField(&big[0], big.size(), source.c_str(), 2, 0, &length);
  EXPECT_EQ(std::string(511, 'z'), std::string(big.c_str()));  // the field limit
  EXPECT_EQ("b", Field(source, 3, 0));  // later fields are still found

  size_t quoted = 0;
  char body[1024];
  GetField(body, sizeof(body), "Macro x \"abc\"", 3, 3, &quoted);
  EXPECT_EQ(3u, quoted);
}

TEST(TrimCopy, TrimsSpacesButNotTabs) {
  char dest[64];
  TrimCopy("   int main   ", dest, sizeof(dest));
  EXPECT_STREQ("int main", dest);
  TrimCopy("     ", dest, sizeof(dest));
  EXPECT_STREQ("", dest);
  TrimCopy("", dest, sizeof(dest));
  EXPECT_STREQ("", dest);
  TrimCopy("\tif  ", dest, sizeof(dest));
  EXPECT_STREQ("\tif", dest);
  TrimCopy(" x ", dest, sizeof(dest));
  EXPECT_STREQ("x", dest);
  TrimCopy("  abcdef  ", dest, 4);
  EXPECT_STREQ("abc", dest);
}

// Where an edit stood, as (units kept before, units kept after), or "?" when
// a stop boundary makes the place matter and nothing tells it.
std::string Placed(const std::string &old, const std::string &now, int cursor, std::vector<int> bounds = {}) {
  int prefix = -1, suffix = -1;
  const bool sure =
      field_stops::PlaceEdit(old.c_str(), static_cast<int>(old.size()), now.c_str(), static_cast<int>(now.size()),
                             [cursor] { return cursor; }, bounds.data(), static_cast<int>(bounds.size()), &prefix, &suffix);
  return sure ? std::to_string(prefix) + "," + std::to_string(suffix) : "?";
}

TEST(PlaceEdit, TheCursorPlacesWhatTheTextAloneCannot) {
  // A blank typed behind "unsigned", in front of the body's own blank.
  EXPECT_EQ(Placed("typedef unsigned name;", "typedef unsigned  name;", 17, {8, 16, 17, 21}), "16,6");
  // Deleted by Backspace, or put back by an undo with the cursor at its start.
  EXPECT_EQ(Placed("typedef unsigned  name;", "typedef unsigned name;", 16, {8, 17}), "16,6");
  EXPECT_EQ(Placed("a  b", "a   b", 1, {0, 2}), "1,3");
  // Pasted: the text ends at the cursor.
  EXPECT_EQ(Placed("ab", "abab", 2, {0, 2}), "0,2");
  // Typed over a selection whose last unit is the typed one: a replacement.
  EXPECT_EQ(Placed("t )tnnn   ;", "t   ;", 3, {2, 9, 10}), "2,2");
  // One place only: the cursor is not needed, nor asked.
  EXPECT_EQ(Placed("typedef int name;", "typedef u name;", -1, {8, 11}), "8,6");
  // Nothing tells the place: sure only where no stop boundary lies in between.
  EXPECT_EQ(Placed("a  b", "a   b", -1, {0}), "3,1");
  EXPECT_EQ(Placed("a  b", "a   b", -1, {2}), "?");
  EXPECT_EQ(Placed("a  b", "a   b", -1, {1}), "?");
  EXPECT_EQ(Placed("a  b", "a   b", -1, {3}), "?");
  EXPECT_EQ(Placed("a  b", "a   b", 0, {2}), "?");
}

}  // namespace

