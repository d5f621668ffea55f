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
  for (;;) {
    if (c < 0 || c == '\n') break;
    if (c != '\r') {
      if (n == MacroLineLimit) {
        pending_ = c;  // the rest of a long line comes as the next line
        break;
      }
      line[n++] = static_cast<char>(c);
    }
    // Copy the run of plain bytes that follows straight from the buffer; the
    // byte that ends it (or the buffer's end) is taken by Get.
    if (pos_ < size_ && n < MacroLineLimit) {
      const unsigned char *start = buffer_ + pos_;
      size_t run = size_ - pos_;
      if (run > MacroLineLimit - n) run = MacroLineLimit - n;
      static const int stops[] = {'\n', '\r', 0x1A};
      for (int stop : stops) {
        const void *hit = std::memchr(start, stop, run);
        if (hit) run = static_cast<size_t>(static_cast<const unsigned char *>(hit) - start);
      }
      std::memcpy(line + n, start, run);
      n += run;
      pos_ += run;
    }
    c = Get();
  }
  line[n] = '\0';
  return true;
}

bool ParseMacroLine(const char *line, MacroEntry *entry) {
  // The first field is only ever compared with "Macro": look at it in place.
  const char *p = line;
  while (*p == ' ') ++p;
  if (std::strncmp(p, "Macro", 5) != 0 || (p[5] != ' ' && p[5] != '\0')) return false;
  size_t nameStart = 0, nameEnd = 0, bodyStart = 0, bodyEnd = 0;
  FindField(line, 2, 0, &nameStart, &nameEnd);
  if (nameEnd - nameStart > MacroNameLimit) return false;
  FindField(line, 3, FS_GROUPQUOTES | FS_STRIPQUOTES, &bodyStart, &bodyEnd);
  if (bodyEnd - bodyStart > MacroBodyLimit) return false;
  if (entry) {
    // The same bytes GetField would copy, without finding the fields again.
    std::memcpy(entry->Name, line + nameStart, nameEnd - nameStart);
    entry->Name[nameEnd - nameStart] = '\0';
    std::memcpy(entry->Body, line + bodyStart, bodyEnd - bodyStart);
    entry->Body[bodyEnd - bodyStart] = '\0';
  }
  return true;
}

void LoadMacros(const char *path) {
  MacroTable = nullptr;
  MacroCount = 0;
  FILE *f = path[0] ? std::fopen(path, "rb") : nullptr;
  if (!f) return;

  static char line[MacroLineLimit + 1];

  size_t counted = 0;
  {
    MacroLineReader reader(f);
    while (reader.Next(line))
      if (ParseMacroLine(line, nullptr)) ++counted;
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
