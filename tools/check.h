// `vorlane check`: reads macro files with the plug-in's own code and says
// what the plug-in will make of each line.
#pragma once

#include <string>
#include <vector>

struct Diagnostic {
  enum Severity { Error, Warning, Note };
  int line = 0;    // 1-based
  int column = 0;  // 1-based
  Severity severity = Warning;
  std::string message;
};

// A macro the plug-in keeps, in table order.
struct CheckedMacro {
  int line = 0;
  std::string name;
  std::string body;
};

struct CheckResult {
  bool readable = false;
  std::vector<Diagnostic> diagnostics;  // sorted by line and column
  std::vector<CheckedMacro> macros;
};

CheckResult CheckMacroFile(const std::string &path);

// The key events a body types, in a user's words ("Space ( ) Left").
std::string DescribeBody(const std::string &body);

int RunCheck(int argc, char **argv);
