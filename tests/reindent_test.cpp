// Re-indenting lines that are there: what stays, what the lines around teach,
// and a file that writes a thing two ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "assists/indent/reindent.h"

namespace {

// Lines [from, to] of `text` re-indented with the editor's tab size 4 and
// spaces where the file shows neither (unless `tabs`); the whole text back.
std::string Reindented(const std::string &text, int from = 0, int to = -1, bool tabs = false, int tabSize = 4) {
  std::vector<std::u16string> lines;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(std::u16string(text.begin() + static_cast<long>(at), text.begin() + static_cast<long>(end)));
    at = end + 1;
  }
  indent::Fallback fallback;
  fallback.tabSize = tabSize;
  fallback.expandTabs = !tabs;
  fallback.totalLines = static_cast<int>(lines.size());
  if (to < 0) to = static_cast<int>(lines.size()) - 1;
  // Each line handed over in a buffer of its own length, no NUL after it (the
  // host promises none), so that the sanitizers see a read past its end.
  std::vector<std::unique_ptr<char16_t[]>> exact(lines.size());
  indent::Reindent<char16_t>(
      [&lines, &exact](int n, const char16_t **t, int *len) {
        const std::u16string &line = lines[static_cast<size_t>(n)];
        auto &buffer = exact[static_cast<size_t>(n)];
        if (!buffer) {  // valid until the line changes, as the host's
          buffer.reset(new char16_t[line.size() ? line.size() : 1]);
          std::copy(line.begin(), line.end(), buffer.get());
        }
        *t = buffer.get();
        *len = static_cast<int>(line.size());
      },
      from, to, fallback, [&lines, &exact](int n, const char16_t *t, int len) {
        lines[static_cast<size_t>(n)].assign(t, t + len);
        exact[static_cast<size_t>(n)].reset();
      });
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + std::string(lines[i].begin(), lines[i].end());
  return out;
}

TEST(Reindent, OnlyLeadingBlanksOfCodeLinesChange) {
  // The insides of a block comment, a raw string and a directive that goes
  // on keep theirs; so do blank lines and a line holding a NUL. '#' goes to
  // the line's start; the first line to column 1.
  const std::string nul("  a(\0);", 7);
  EXPECT_EQ("int f() {\n    /* a\n      b */\n    const char *s = R\"(\n   raw\n)\";\n   \n"
            "#define M(x) \\\n      x\n    return 0;\n" + nul + "\n}",
            Reindented("  int f() {\n/* a\n      b */\nconst char *s = R\"(\n   raw\n)\";\n   \n"
                       "  #define M(x) \\\n      x\n  return 0;\n" + nul + "\n}"));
  // A leader, a '/' or a '#' alone at its line's end: nothing is read past it.
  EXPECT_EQ("/*\n *\n */\nint x = a /\n        b;\n#", Reindented("/*\n *\n */\nint x = a /\n        b;\n#"));
}

TEST(Reindent, LabelsCommentRunsAndShifts) {
  // A goto label where none stands above keeps its column, and the next one
  // goes there (the unit is the file's: two); a run of line comments at the
  // line's start stays there; "<<" below a macro's use goes on that
  // statement.
  EXPECT_EQ("int f() {\n  if (x)\n    goto out;\nout:\n  return 0;\nerr:\n  return 1;\n}",
            Reindented("int f() {\n  if (x)\ngoto out;\nout:\n  return 0;\n   err:\n return 1;\n}"));
  EXPECT_EQ("void g() {\n    x();\n//  y();\n//  z();\n//  w();\n//  v();\n    CHECK(x)\n            << 1;\n}",
            Reindented("void g() {\n    x();\n//  y();\n//  z();\n  //  w();\n  //  v();\n  CHECK(x)\n << 1;\n}"));
}

TEST(Reindent, TabsAsTheFileWritesThem) {
  // A line of the right length with the wrong blanks is written again.
  EXPECT_EQ("void f()\n{\n\tif (a) {\n\t\tb();\n\t}\n\tc();\n}",
            Reindented("void f()\n{\n\tif (a) {\n \tb();\n\t}\n\tc();\n}", 0, -1, true, 8));
  // A tab size no editor gives (none, or past 512) reads as eight.
  const std::string tabbed = "void f()\n{\n\tif (a) {\n\t\tb(c,\n\t\t  d);\n\t}\n}";
  EXPECT_EQ(tabbed, Reindented(tabbed, 0, -1, true, 0));
  EXPECT_EQ(tabbed, Reindented(tabbed, 0, -1, true, 513));
  // Continuation lines two columns in, written with spaces, are alignment:
  // the function below them keeps its tabs.
  const std::string aligned = "static char *a =\n  \"x\";\nstatic char *b =\n  \"y\";\n\nvoid f()\n{\n\tg();\n}";
  EXPECT_EQ(aligned, Reindented(aligned, 0, -1, false, 8));
  const std::string call = "static int n = f(1,\n  2);\n\nvoid f()\n{\n\tg();\n}";
  EXPECT_EQ(call, Reindented(call, 0, -1, false, 8));
  // Such a line is all the file shows: a line a stop in is written with
  // spaces too, whatever the editor's.
  EXPECT_EQ("int x =\n  1;\n\nvoid f()\n{\n        g();\n}",
            Reindented("int x =\n  1;\n\nvoid f()\n{\ng();\n}", 0, -1, true, 8));
}

TEST(Reindent, TheStyleComesFromTheLinesThemselvesAndBelow) {
  // Re-indenting the first function alone: its unit is the one the lines
  // below show, not the editor's.
  EXPECT_EQ("int f() {\n  x = 1;\n}\nint g() {\n  y = 2;\n}",
            Reindented("int f() {\nx = 1;\n}\nint g() {\n  y = 2;\n}", 0, 2));
  // A parenthesis that ends its line: its ')' alone goes back to the
  // opener's line.
  const std::string call = "void g()\n{\n    int x = f(\n        a,\n        b\n    );\n}";
  EXPECT_EQ(call, Reindented(call));
  // A trailing return type below its head is no old-style parameter's
  // declaration: the function after it stays at the file's level.
  const std::string trailing = "auto f(int a)\n        -> int;\n\nint h(int a)\n{\n    return a +\n            1;\n}";
  EXPECT_EQ(trailing, Reindented(trailing));
  // Return types a tab in (C's "public" defined away marks one too): below
  // a comment a declaration that is no type alone stays at column 0.
  const std::string types = "/* f */\n\tpublic int\nf(void)\n{\n\treturn 0;\n}\n\n/*\n * n\n */\nstatic int n;\n\n"
                            "/* g */\n\tstatic int\ng(void)\n{\n\treturn 1;\n}";
  EXPECT_EQ(types, Reindented(types, 0, -1, true, 8));
}

TEST(Reindent, WhereTheFileWritesAThingTwoWays) {
  // Case labels: at the switch (five) or one in (two): each kept as written;
  // one in neither way goes as the switch above.
  EXPECT_EQ("void f(int a) {\n    switch (a) {\n    case 1:\n    case 2:\n    case 3:\n    case 4:\n    case 5:\n"
            "        break;\n    }\n    switch (a) {\n        case 6:\n        case 7:\n            break;\n    }\n"
            "    switch (a) {\n        case 8:\n            break;\n    }\n}",
            Reindented("void f(int a) {\n    switch (a) {\n    case 1:\n    case 2:\n    case 3:\n    case 4:\n    case 5:\n"
                       "        break;\n    }\n    switch (a) {\n        case 6:\n        case 7:\n            break;\n    }\n"
                       "    switch (a) {\n      case 8:\n        break;\n    }\n}"));
  // A way kept needs an eighth of the file's labels: two of sixteen are, two
  // of seventeen are not.
  auto labels = [](int atSwitch, int in) {
    std::string t = "void f(int a) {\n    switch (a) {\n";
    for (int i = 0; i < atSwitch; ++i) t += "    case " + std::to_string(i) + ":\n";
    t += "        break;\n    }\n    switch (a) {\n";
    for (int i = 0; i < in; ++i) t += "        case " + std::to_string(i) + ":\n";
    return t + "            break;\n    }\n}";
  };
  EXPECT_EQ(labels(14, 2), Reindented(labels(14, 2)));
  std::string moved = labels(15, 2);
  for (const char *deep : {"        case", "            break"})
    for (size_t at; (at = moved.find(deep)) != std::string::npos;) moved.erase(at, 4);
  EXPECT_EQ(moved, Reindented(labels(15, 2)));
  // ...and one far past any column counted goes so too.
  const std::string far = "void f(int a) {\n    switch (a) {\n    case 1:\n    case 2:\n        break;\n    }\n"
                          "    switch (a) {\n                     case 3:\n        break;\n    }\n}";
  EXPECT_EQ("void f(int a) {\n    switch (a) {\n    case 1:\n    case 2:\n        break;\n    }\n"
            "    switch (a) {\n    case 3:\n        break;\n    }\n}",
            Reindented(far));
  // Parentheses: prototypes aligned where most are...
  EXPECT_EQ("int f(int a,\n      int b);\nint g(int a,\n      int b);\nint h(int a,\n      int b);",
            Reindented("int f(int a,\n      int b);\nint g(int a,\n      int b);\nint h(int a,\n    int b);"));
  // ...and code that shows no parentheses of its own yet goes as most of the
  // file's, not as the latest.
  EXPECT_EQ("int f(int a,\n      int b);\nint g(int a,\n      int b);\nint h(int a,\n    int b);\nint k() {\n"
            "    return f(1,\n             2);\n}",
            Reindented("int f(int a,\n      int b);\nint g(int a,\n      int b);\nint h(int a,\n    int b);\nint k() {\n"
                       "    return f(1,\n  2);\n}", 7, 8));
  // ...calls aligned where most are, with no prototype to count...
  EXPECT_EQ("void k() {\n    f(1,\n      2);\n    g(1,\n      2);\n    h(1,\n      2);\n    x(1,\n        2);\n"
            "    y(1,\n      2);\n}",
            Reindented("void k() {\n    f(1,\n      2);\n    g(1,\n      2);\n    h(1,\n      2);\n    x(1,\n        2);\n"
                       "    y(1,\n  2);\n}", 10, 10));
  // ...prototypes indented, calls aligned, each the most of its kind.
  EXPECT_EQ("int f(int a,\n    int b);\nint g(int a,\n    int b);\nint h(int a,\n    int b);\nint k() {\n"
            "    return f(1,\n             2) + g(3,\n                    4) + h(5,\n                           6);\n}",
            Reindented("int f(int a,\n             int b);\nint g(int a,\n    int b);\nint h(int a,\n    int b);\nint k() {\n"
                       "    return f(1,\n             2) + g(3,\n      4) + h(5,\n                           6);\n}"));
}

}  // namespace
