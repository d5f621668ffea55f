#include "macros/macro_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "macros/fields.h"

MacroEntry *MacroTable = nullptr;
int MacroCount = 0;
void (*MacroLoadBetweenPasses)(const char *path) = nullptr;

void BuildMacroPath(char *buffer) {
  for (char *p = buffer; *p; ++p)
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p + 32);
  char *dll = std::strstr(buffer, ".dll");
  if (!dll) {
    buffer[0] = '\0';
    return;
  }
  std::memcpy(dll, ".mac", 5);
}

int MacroLineReader::Get() {
  if (ended_) return -1;
  if (pos_ == size_) {
    size_ = std::fread(buffer_, 1, sizeof(buffer_), static_cast<FILE *>(file_));
    pos_ = 0;
    if (size_ == 0) {
      ended_ = true;
      return -1;
    }
  }
  int c = buffer_[pos_++];
  if (c == 0x1A) {
    ended_ = true;
    eofByte_ = true;
    return -1;
  }
  return c;
}

bool MacroLineReader::Next(char *line) {
  size_t n = 0;
  int c = pending_;
  pending_ = -1;
  if (c < 0) c = Get();
  if (c < 0) return false;
  for (;; c = Get()) {
    if (c < 0 || c == '\n') break;
    if (c == '\r') continue;
    if (n == MacroLineLimit) {
      pending_ = c;  // the rest of a long line comes as the next line
      break;
    }
    line[n++] = static_cast<char>(c);
  }
  line[n] = '\0';
  return true;
}

bool ParseMacroLine(const char *line, MacroEntry *entry) {
  char first[32];
  size_t length = 0;
  GetField(first, sizeof(first), line, 1, 0, &length);
  if (length != 5 || std::strcmp(first, "Macro") != 0) return false;
  GetField(entry->Name, sizeof(entry->Name), line, 2, 0, &length);
  if (length > MacroNameLimit) return false;
  GetField(entry->Body, sizeof(entry->Body), line, 3, FS_GROUPQUOTES | FS_STRIPQUOTES,
           &length);
  if (length > MacroBodyLimit) return false;
  return true;
}

void LoadMacros(const char *path) {
  MacroTable = nullptr;
  MacroCount = 0;
  FILE *f = path[0] ? std::fopen(path, "rb") : nullptr;
  if (!f) return;

  static char line[MacroLineLimit + 1];
  static MacroEntry scratch;

  size_t counted = 0;
  {
    MacroLineReader reader(f);
    while (reader.Next(line))
      if (ParseMacroLine(line, &scratch)) ++counted;
  }

  if (MacroLoadBetweenPasses) MacroLoadBetweenPasses(path);

  MacroEntry *table = nullptr;
  if (counted > 0 && counted <= SIZE_MAX / sizeof(MacroEntry) &&
      counted <= static_cast<size_t>(INT32_MAX) && std::fseek(f, 0, SEEK_SET) == 0)
    table = static_cast<MacroEntry *>(std::malloc(counted * sizeof(MacroEntry)));

  size_t filled = 0;
  if (table) {
    // The file may have changed since the count: never fill past it.
    MacroLineReader reader(f);
    while (filled < counted && reader.Next(line))
      if (ParseMacroLine(line, &table[filled])) ++filled;
  }
  std::fclose(f);

  if (filled == 0) {
    std::free(table);
    return;
  }
  MacroTable = table;
  MacroCount = static_cast<int>(filled);
}

void FreeMacros() {
  std::free(MacroTable);
  MacroTable = nullptr;
  MacroCount = 0;
}

const MacroEntry *FindMacro(const char *name) {
  for (int i = 0; i < MacroCount; ++i)
    if (std::strcmp(MacroTable[i].Name, name) == 0) return &MacroTable[i];
  return nullptr;
}
