// vorlane: command-line tools around the plug-in.
#include <iostream>
#include <string_view>

#include "tools/check.h"
#include "tools/import.h"
#include "tools/indent.h"
#include "tools/play.h"
#include "tools/retype.h"

namespace {

const char ToolUsage[] =
    "usage: vorlane COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  play   run one scripted editing session through the stand-in host\n"
    "  check  read macro files as the plug-in does and report what is wrong\n"
    "  import turn Visual Studio Code snippet files into Far 3 macro lines\n"
    "  retype re-type real source files line by line and count the lines that\n"
    "         Enter and the typed text put where their authors put them\n"
    "  indent re-indent C/C++ files as the Far 3 plug-in re-indents a selection\n"
    "  play-batch FILE  many play sessions in one process, each in its own folder\n"
    "         (for the test suite's runs under valgrind and Wine; see tools/batch.cpp)\n"
    "\n"
    "'vorlane COMMAND --help' describes each command.\n";

}  // namespace

int main(int argc, char **argv) {
  const std::string_view command = argc < 2 ? std::string_view() : argv[1];
  if (argc < 2 || command == "--help" || command == "-h") {
    (argc < 2 ? std::cerr : std::cout) << ToolUsage;
    return argc < 2 ? 2 : 0;
  }
  if (command == "play") return RunPlay(argc - 2, argv + 2);
  if (command == "check") return RunCheck(argc - 2, argv + 2);
  if (command == "import") return RunImport(argc - 2, argv + 2);
  if (command == "indent") return RunIndent(argc - 2, argv + 2);
  if (command == "retype") return RunRetype(argc - 2, argv + 2);
  if (command == "play-batch") return RunPlayBatch(argc - 2, argv + 2);
  std::cerr << "vorlane: unknown command '" << argv[1] << "'\n" << ToolUsage;
  return 2;
}
