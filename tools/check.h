// `vorlane check`: reads macro files with the plug-in's own code and says
// what the plug-in will make of each line.
#pragma once

#include <string>
#include <vector>

#include "macros/macro_file.h"

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
  MacroTrigger trigger = MacroTrigger::Space;
};

struct CheckResult {
  bool readable = false;
  std::vector<Diagnostic> diagnostics;  // sorted by line and column
  std::vector<CheckedMacro> macros;
};

struct CheckOptions {
  bool far3 = false;     // read as the Far 3 edition does (UTF-8)
  int oemCodePage = 0;   // 437 or 866; 0: as this system suggests
  bool oemChosen = false;
};

CheckResult CheckMacroFile(const std::string &path, const CheckOptions &options = CheckOptions());

// The key events a body types, in a user's words ("Space ( ) Left"); names and
// bodies in UTF-8 for Far 3.
std::string DescribeBody(const std::string &body, bool far3 = false);

int RunCheck(int argc, char **argv);
