// The stand-in's model of Far 3's file masks against the rows observed in the
// real host (compare modes and PN_CHECKMASK), through ProcessName as the
// plug-in calls it.
#include <gtest/gtest.h>

#include "far3/host.h"
#include "sim/far3/stand_in.h"
#include "sim/far3/masks.h"

namespace {

enum Mode { List, ListSkipPath, Name, NameSkipPath };

struct Row {
  int number;
  Mode mode;
  const char16_t *mask;
  const char16_t *name;
  int result;
};

// Far 3.0 build 6727, x86 and x64 alike.
const Row Rows[] = {
    {1, List, u"*.c,*.cpp,*.h,*.hpp", u"a.c", 1},
    {2, List, u"*.c,*.cpp,*.h,*.hpp", u"A.CPP", 1},
    {3, List, u"*.c,*.cpp,*.h,*.hpp", u"a.cc", 0},
    {4, List, u"*.c,*.cpp,*.h,*.hpp", u"a.c.bak", 0},
    {5, List, u"*.c,*.cpp,*.h,*.hpp", u"x.hpp", 1},
    {6, List, u"*.c,*.cpp,*.h,*.hpp", u"noext", 0},
    {7, List, u"*.cpp|*.g.cpp", u"x.g.cpp", 0},
    {8, List, u"*.cpp|*.g.cpp", u"x.cpp", 1},
    {9, List, u"*.cpp|*.g.cpp", u"X.G.CPP", 0},
    {10, List, u"*.cpp | *.g.cpp", u"x.g.cpp", 0},
    {11, List, u"*.c;*.h", u"a.h", 1},
    {12, List, u"*.c, *.h", u"a.h", 1},
    {13, List, u"*.c *.h", u"a.h", 0},
    {14, List, u"*.c *.h", u"a.c b.h", 1},
    {15, List, u"\"my file.txt\"", u"my file.txt", 1},
    {16, List, u"my file.txt", u"my file.txt", 1},
    {17, List, u"\"a,b.txt\",*.c", u"a,b.txt", 1},
    {18, List, u"\"a,b.txt\",*.c", u"z.c", 1},
    {19, List, u"a,b.txt", u"a,b.txt", 0},
    {20, List, u"\"*.c\"", u"x.c", 1},
    {21, List, u"\"*.c", u"a.c", 1},
    {22, List, u"a?c.txt", u"abc.txt", 1},
    {23, List, u"a?c.txt", u"ac.txt", 0},
    {24, List, u"[abc]*.txt", u"B1.txt", 1},
    {25, List, u"[abc]*.txt", u"d1.txt", 0},
    {26, List, u"*.[ch]", u"x.h", 1},
    {27, List, u"*.[ch]", u"x.cpp", 0},
    {28, List, u"file[0-9].log", u"file7.log", 1},
    {29, List, u"file[0-9].log", u"filex.log", 0},
    {30, List, u"[a-c]x", u"Bx", 1},
    {31, List, u"[!a]x", u"bx", 0},
    {32, List, u"[!a]x", u"!x", 1},
    {33, List, u"[,;]x", u";x", 1},
    {34, List, u"a[b", u"a[b", 1},
    {35, List, u"makefile", u"Makefile", 1},
    {36, List, u"makefile", u"makefile.bak", 0},
    {37, List, u"*", u"noext", 1},
    {38, List, u"*", u".hidden", 1},
    {39, List, u"*.*", u"noext", 1},
    {40, List, u"*.", u"noext", 1},
    {41, List, u"*.", u"a.txt", 0},
    {42, List, u"file.*", u"file", 1},
    {43, List, u"*.c", u".c", 1},
    {44, List, u"*.CPP", u"a.cpp", 1},
    {45, List, u"*.c", u"a.C", 1},
    {46, List, u"*.\u0442\u0445\u0442", u"\u0410.\u0422\u0425\u0422", 1},
    {47, List, u"**.c", u"a.c", 1},
    {48, List, u"  *.c  ", u"a.c", 1},
    {49, List, u"", u"a.c", 0},
    {50, List, u"|*.bak", u"a.c", 1},
    {51, List, u"|*.bak", u"a.bak", 0},
    {52, List, u"*.c|", u"a.c", 1},
    {53, List, u"*.c|*.h|*.cpp", u"a.cpp", 0},
    {54, List, u"*.c|*.h|*.cpp", u"a.c", 1},
    {55, List, u"*.C;*.H|a*", u"b.c", 1},
    {56, List, u"*.C;*.H|a*", u"a.c", 0},
    {57, List, u"/\\.cpp$/", u"a.cpp", 1},
    {58, List, u"/\\.cpp$/", u"A.CPP", 0},
    {59, List, u"/\\.cpp$/i", u"A.CPP", 1},
    {60, List, u"/^a/", u"ba.c", 0},
    {61, List, u"/c/", u"abc.cpp", 1},
    {62, List, u"*.h,/\\.cpp$/i", u"y.CPP", 1},
    {63, List, u"*.h,/\\.cpp$/i", u"y.h", 1},
    {64, List, u"/\\.c$/|x.c", u"x.c", 0},
    {65, List, u"/\\.c$/|x.c", u"y.c", 1},
    {66, List, u"/[/", u"a.c", 0},
    {67, List, u"/abc/q", u"abc", 0},
    {68, List, u",,,", u"a.c", 0},
    {69, List, u"|", u"a.c", 0},
    {70, List, u"a/b", u"a", 0},
    {71, List, u"<temp>", u"x.bak", 1},
    {72, List, u"<nosuch>", u"x.bak", 0},
    {73, List, u"*.c,<nosuch>", u"a.c", 1},
    {74, List, u"%PATHEXT%", u"x.exe", 1},
    {75, List, u"*.c", u"C:\\dir\\a.c", 1},
    {76, List, u"a*.c", u"C:\\dir\\a.c", 0},
    {77, ListSkipPath, u"a*.c", u"C:\\dir\\a.c", 1},
    {78, List, u"/^a/", u"C:\\dir\\a.c", 0},
    {79, ListSkipPath, u"/^a/", u"C:\\dir\\a.c", 1},
    {80, Name, u"*.c,*.h", u"a.c", 0},
    {81, Name, u"\"*.c\"", u"x.c", 0},
    {82, Name, u"*.c", u"a.c", 1},
    {83, Name, u"*.c|*.h", u"a.c", 0},
    {84, Name, u"", u"", 1},
    {85, Name, u"a*.c", u"C:\\dir\\a.c", 0},
    {86, NameSkipPath, u"a*.c", u"C:\\dir\\a.c", 1},
    {87, List, u"\"*.c;*.h\"", u"a.c", 0},
    {88, List, u"*.[a-c]", u"x.B", 1},
    {89, List, u"*", u"", 1},
    {90, List, u"?", u"", 0},
    {91, List, u"*.c", u"", 0},
    {92, List, u"|/\\.bak$/", u"a.c", 1},
    {93, List, u"|/\\.bak$/", u"a.bak", 0},
    {94, List, u"src\\*.c", u"src\\a.c", 1},
    {95, ListSkipPath, u"src\\*.c", u"src\\a.c", 0},
    {96, List, u"*.c,", u"a.c", 1},
    {97, List, u";*.c", u"a.c", 1},
    {98, List, u"abc", u"abc.txt", 0},
    {99, List, u"abc*", u"abc.txt", 1},
    {100, List, u"abc.", u"abc", 1},
    {101, List, u"*.c", u"a.c ", 0},
    {102, List, u"<exec>", u"run.BAT", 1},
};

struct CheckRow {
  const char16_t *mask;
  int valid;
};

const CheckRow CheckRows[] = {
    {u"*.c,*.cpp", 1},
    {u"", 0},
    {u",,,", 0},
    {u"|", 0},
    {u"/[/", 0},
    {u"/\\.cpp$/i", 1},
    {u"*.c|*.h|*.cpp", 1},
    {u"<nosuch>", 0},
    {u"a/b", 0},
    {u"\"*.c", 1},
    {u"[", 1},
    {u"*.c|", 1},
    {u"|*.bak", 1},
    {u"/abc/q", 0},
    {u"/x", 0},
    {u"*.c,/(/", 0},
    {u"<temp>", 1},
    {u" ", 0},
    {u"\"\"", 0},
    {u"*.c;;*.h", 1},
    {u"a b", 1},
    {u"/a/I", 0},
    {u"*.c,", 1},
    {u";*.c", 1},
    {u"\"*.c;*.h\"", 1},
};

far3::Flags64 FlagsOf(Mode mode) {
  switch (mode) {
    case List: return far3::PN_CMPNAMELIST;
    case ListSkipPath: return far3::PN_CMPNAMELIST | far3::PN_SKIPPATH;
    case Name: return far3::PN_CMPNAME;
    case NameSkipPath: return far3::PN_CMPNAME | far3::PN_SKIPPATH;
  }
  return 0;
}

const far3::FarChar *Text(const char16_t *s) { return reinterpret_cast<const far3::FarChar *>(s); }

TEST(FarMasks, EveryObservedComparisonGivesFarsResult) {
  sim::Host3 host;
  for (const Row &row : Rows) {
    SCOPED_TRACE("row " + std::to_string(row.number) + ": mask \"" + sim::Utf8(row.mask) +
                 "\", name \"" + sim::Utf8(row.name) + "\"");
    EXPECT_EQ(static_cast<size_t>(row.result),
              host.ProcessName(Text(row.mask), Text(row.name), FlagsOf(row.mode)));
  }
  EXPECT_EQ(sizeof(Rows) / sizeof(Rows[0]), host.processNameCalls);
  EXPECT_TRUE(host.messageBoxes.empty());
}

TEST(FarMasks, EveryObservedCheckGivesFarsVerdict) {
  sim::Host3 host;
  for (const CheckRow &row : CheckRows) {
    SCOPED_TRACE("mask \"" + sim::Utf8(row.mask) + "\"");
    EXPECT_EQ(static_cast<size_t>(row.valid), host.ProcessName(Text(row.mask), nullptr, far3::PN_CHECKMASK));
    // An invalid list matches nothing at all, not even what it seems to name.
    if (!row.valid) {
      EXPECT_FALSE(sim::MaskListMatches(row.mask, u"a.c", true));
    }
  }
}

TEST(FarMasks, AnInvalidListShowsFarsBoxOnlyWhenAsked) {
  sim::Host3 host;
  EXPECT_EQ(0u, host.ProcessName(Text(u"a/b"), Text(u"a"), far3::PN_CMPNAMELIST));
  EXPECT_TRUE(host.messageBoxes.empty());
  EXPECT_EQ(0u, host.ProcessName(Text(u"a/b"), nullptr, far3::PN_CHECKMASK | far3::PN_SHOWERRORMESSAGE));
  ASSERT_EQ(1u, host.messageBoxes.size());
  EXPECT_EQ(u"File-mask string contains errors", host.messageBoxes[0].lines[1]);
  EXPECT_EQ(1u, host.ProcessName(Text(u"*.c"), nullptr, far3::PN_CHECKMASK | far3::PN_SHOWERRORMESSAGE));
  EXPECT_EQ(1u, host.messageBoxes.size());
}

TEST(FarMasks, TheSourceFileListsUsersWrite) {
  const std::u16string wide = u"*.c,*.cpp,*.h,*.hpp,*.cc,*.cxx,*.hh,*.inl|*.g.cpp";
  for (const char16_t *name : {u"a.cc", u"B.CXX", u"x.hh", u"t.inl", u"main.cpp", u"C:\\src\\io.h"})
    EXPECT_TRUE(sim::MaskListMatches(wide, name, true)) << sim::Utf8(name);
  for (const char16_t *name : {u"x.g.cpp", u"X.G.CPP", u"a.c.orig", u"makefile", u"a.hxx", u""})
    EXPECT_FALSE(sim::MaskListMatches(wide, name, true)) << sim::Utf8(name);
  // Without PN_SKIPPATH a folder's name takes part.
  EXPECT_TRUE(sim::MaskListMatches(u"*.cpp|gen*", u"gen\\a.cpp", true));
  EXPECT_FALSE(sim::MaskListMatches(u"*.cpp|gen*", u"gen\\a.cpp", false));
}

}  // namespace
