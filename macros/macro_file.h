// The macro file beside the DLL, and the table of macros read from it.
#pragma once

#include <cstddef>

struct MacroEntry {
  char Name[128];
  char Body[1024];
};

constexpr size_t MacroNameLimit = sizeof(MacroEntry::Name) - 1;  // 127
constexpr size_t MacroBodyLimit = 511;  // the field splitter's limit
constexpr size_t MacroLineLimit = 2047;  // longer lines are read as several

extern MacroEntry *MacroTable;
extern int MacroCount;

// Turns a copy of the DLL's path (a 260-byte buffer) into the macro file's path:
// folds 'A'-'Z' to small letters and puts ".mac" in place of the first ".dll".
// A path without ".dll" becomes the empty path, which no file answers to.
void BuildMacroPath(char *buffer);

// Builds a new table from the file at `path`; a file that cannot be opened
// gives an empty table. Does not release an earlier table: call FreeMacros first.
void LoadMacros(const char *path);

void FreeMacros();

// The first entry whose name equals `name` byte for byte, or null.
const MacroEntry *FindMacro(const char *name);

// Takes one line of the macro file apart. True when it is a macro line that
// the table keeps; `entry` then holds its name and body. A name longer than
// 127 or a body longer than 511 characters is not kept: cut short, it would
// answer to a keyword nobody defined or type half a macro. `entry` may be null
// to ask only whether the line is kept.
bool ParseMacroLine(const char *line, MacroEntry *entry);

// Reads a macro file the way the plug-in does: carriage returns dropped, a
// 0x1A byte ends the data, lines of at most MacroLineLimit characters.
class MacroLineReader {
public:
  explicit MacroLineReader(void *file) : file_(file) {}
  // Reads the next line into `line` (MacroLineLimit + 1 bytes) without its line
  // feed. False at the end of the data.
  bool Next(char *line);
  // Whether the line Next gave last ended the file's line (at a line feed or
  // the end of the data), rather than being cut at MacroLineLimit.
  bool EndedLine() const { return pending_ < 0; }
  // Whether the data ended at a 0x1A byte rather than the end of the file.
  bool EndedAtEof() const { return eofByte_; }

private:
  int Get();
  void *file_;
  unsigned char buffer_[4096];
  size_t pos_ = 0, size_ = 0;
  bool ended_ = false;
  int pending_ = -1;
  bool eofByte_ = false;
};

// Called between the two passes of LoadMacros when set; lets a test change the
// file at the moment a user might save it.
extern void (*MacroLoadBetweenPasses)(const char *path);
