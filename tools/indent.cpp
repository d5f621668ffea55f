// `vorlane indent`: re-indents whole files as the Far 3 plug-in re-indents a
// selection, for users and for the whole-file measure.
#include "tools/indent.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "assists/indent/reindent.h"
#include "macros/utf8.h"
#include "tools/platform.h"

namespace {

const char IndentUsage[] =
    "usage: vorlane indent [options] FILE...\n"
    "\n"
    "Re-indents each C/C++ FILE as the Far 3 plug-in's \"Re-indent\" does: every\n"
    "line goes where Enter and its first key would put it below the lines above\n"
    "(as re-indented), in the file's own style; only leading blanks change, and\n"
    "blank lines, the insides of block comments, of literals and of directives\n"
    "that go on stay as they are. Writes the result on standard output.\n"
    "\n"
    "options:\n"
    "  --in-place       write each file back instead (only when it changes)\n"
    "  --check          write nothing; print FILE:LINE for each line that would\n"
    "                   change, and per file the share of non-blank lines left as\n"
    "                   written; exit status 1 when a line would change\n"
    "  --tab-size N     the tab size where the file shows no style (default 8)\n"
    "  --expand-tabs    indent with spaces where the file shows neither\n"
    "  --indent-case    case labels one level in where the file shows none\n"
    "\n"
    "Exit status: 0 nothing (left) to change, 1 lines changed with --check or a\n"
    "file not read or written, 2 usage.\n";

struct Line {
  std::string bytes;  // as in the file, without its line break
  bool cr = false;    // the break was CR LF
  bool broken = true; // a line break follows (the last line may have none)
  std::u16string units;
};

std::vector<Line> SplitFileLines(const std::string &bytes) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    Line l;
    l.broken = end != std::string::npos;
    if (!l.broken) end = bytes.size();
    l.bytes = bytes.substr(start, end - start);
    if (l.broken && !l.bytes.empty() && l.bytes.back() == '\r') {
      l.bytes.pop_back();
      l.cr = true;
    }
    std::vector<char16_t> u(l.bytes.size() + 1);
    u.resize(DecodeUtf8(l.bytes.data(), l.bytes.size(), u.data()));
    l.units.assign(u.begin(), u.end());
    lines.push_back(l);
    start = end + 1;
  }
  return lines;
}

bool BlankBytes(const std::string &s) { return s.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

int RunIndent(int argc, char **argv) {
  indent::Fallback fallback;
  bool inPlace = false, check = false;
  std::vector<std::string> files;
  bool options = true;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (!options) {
      files.push_back(a);
    } else if (a == "--") {
      options = false;
    } else if (a == "--help" || a == "-h") {
      std::cout << IndentUsage;
      return 0;
    } else if (a == "--in-place") {
      inPlace = true;
    } else if (a == "--check") {
      check = true;
    } else if (a == "--expand-tabs") {
      fallback.expandTabs = true;
    } else if (a == "--indent-case") {
      fallback.indentCaseLabels = true;
    } else if (a == "--tab-size" && i + 1 < argc) {
      if (!TabSizeArgument("indent", argv[++i], &fallback.tabSize)) return 2;
    } else if (!a.empty() && a[0] == '-') {
      std::cerr << "vorlane indent: unknown option '" << a << "'\n" << IndentUsage;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty() || (inPlace && check)) {
    std::cerr << IndentUsage;
    return 2;
  }
  SetBinaryOutput();
  int status = 0;
  long right = 0, total = 0;
  for (const std::string &file : files) {
    std::string bytes;
    if (!ReadFile(file, &bytes)) {
      std::cerr << "vorlane indent: cannot read '" << file << "'\n";
      status = 1;
      continue;
    }
    std::vector<Line> lines = SplitFileLines(bytes);
    std::vector<bool> changed(lines.size(), false);
    fallback.totalLines = static_cast<int>(lines.size());
    auto getLine = [&lines](int n, const char16_t **text, int *length) {
      *text = lines[static_cast<size_t>(n)].units.c_str();
      *length = static_cast<int>(lines[static_cast<size_t>(n)].units.size());
    };
    // Only the leading blanks change: the rest of the line keeps its bytes.
    auto setLine = [&lines, &changed](int n, const char16_t *text, int length) {
      Line &l = lines[static_cast<size_t>(n)];
      int blanks = 0;
      while (blanks < length && (text[blanks] == ' ' || text[blanks] == '\t')) ++blanks;
      l.bytes = std::string(text, text + blanks) + l.bytes.substr(l.bytes.find_first_not_of(" \t"));
      l.units.assign(text, text + length);
      changed[static_cast<size_t>(n)] = true;
    };
    if (!lines.empty() &&
        indent::Reindent<char16_t>(getLine, 0, static_cast<int>(lines.size()) - 1, fallback, setLine) < 0) {
      std::cerr << "vorlane indent: out of memory on '" << file << "'\n";
      status = 1;
      continue;
    }
    std::string out;
    long fileRight = 0, fileTotal = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      out += lines[i].bytes + (lines[i].cr ? "\r" : "") + (lines[i].broken ? "\n" : "");
      if (BlankBytes(lines[i].bytes)) continue;
      ++fileTotal;
      if (!changed[i]) ++fileRight;
      else if (check) std::cout << file << ":" << i + 1 << "\n";
    }
    if (check) {
      char share[32];
      std::snprintf(share, sizeof(share), "%.1f", fileTotal ? 100.0 * fileRight / fileTotal : 100.0);
      std::cout << file << ": " << fileRight << " of " << fileTotal << " lines as written (" << share << " %)\n";
      if (fileRight != fileTotal) status = status ? status : 1;
      right += fileRight;
      total += fileTotal;
    } else if (inPlace) {
      if (out != bytes && !WriteFile(file, out)) {
        std::cerr << "vorlane indent: cannot write '" << file << "'\n";
        status = 1;
      }
    } else {
      std::fwrite(out.data(), 1, out.size(), stdout);
    }
  }
  if (check && files.size() > 1) {
    char share[32];
    std::snprintf(share, sizeof(share), "%.1f", total ? 100.0 * right / total : 100.0);
    std::cout << "total: " << right << " of " << total << " lines as written (" << share << " %)\n";
  }
  std::fflush(stdout);
  return status;
}
