// The macro file and the table of macros read from it, for either edition:
// the 1.x edition keeps the file's bytes, the Far 3 edition decodes UTF-8 into
// UTF-16 units. Lines, fields and limits are the same for both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "macros/fields.h"
#include "macros/sections.h"
#include "macros/utf8.h"

// The key that expands a macro: Space behind a keyword alone on its line
// (`Macro`, every 1.x macro), Tab behind its name (`MacroTab`), or only the
// picker and Plugin.Call (`MacroList`). The last two are Far 3's.
enum class MacroTrigger : unsigned char { Space, Tab, List };

// One macro. The 1.x edition keeps its body in the entry (at most 511
// bytes); the Far 3 edition's body is as long as its line and lives in memory
// of its own, which FreeMacroEntries releases.
template <class Char, bool Wide = (sizeof(Char) > 1)>
struct BasicMacroEntry {
  Char Name[128];
  Char Body[1024];
};
template <class Char>
struct BasicMacroEntry<Char, true> {
  Char Name[128];
  Char *Body;
  MacroTrigger Trigger;
};

template <class Char>
MacroTrigger TriggerOf(const BasicMacroEntry<Char> &entry) {
  if constexpr (sizeof(Char) > 1) return entry.Trigger;
  (void)entry;
  return MacroTrigger::Space;
}

constexpr size_t MacroNameLimit = 127;  // the name buffer less its NUL
constexpr size_t MacroBodyLimit = 511;  // the 1.x field splitter's limit
constexpr size_t MacroLineLimit = 2047;  // 1.x: longer lines are read as several

// Reads a macro file the way the plug-in does: carriage returns dropped, a
// 0x1A byte ends the data, lines of at most MacroLineLimit bytes. The bytes
// come from an open file or from memory (the text an editor is saving).
class MacroLineReader {
public:
  explicit MacroLineReader(void *file) : file_(file), data_(storage_) {}
  MacroLineReader(const char *bytes, size_t size)
      : file_(nullptr), data_(reinterpret_cast<const unsigned char *>(bytes)), size_(size) {}
  // Reads the next line into `line` (MacroLineLimit + 1 bytes) without its line
  // feed. False at the end of the data.
  bool Next(char *line);
  // The same for a line of any length, into `*line` (`*room` bytes, grown
  // with realloc; the caller frees it). A line that cannot be held whole is
  // given empty. False at the end of the data.
  bool NextWhole(char **line, size_t *room);
  // Whether the line Next gave last ended the file's line (at a line feed or
  // the end of the data), rather than being cut at MacroLineLimit.
  bool EndedLine() const { return pending_ < 0; }
  // Whether the data ended at a 0x1A byte rather than the end of the file.
  bool EndedAtEof() const { return eofByte_; }

private:
  int Get();
  void *file_;
  const unsigned char *data_;
  unsigned char storage_[4096];
  size_t pos_ = 0, size_ = 0;
  bool ended_ = false;
  int pending_ = -1;
  bool eofByte_ = false;
};

// Takes one line of the macro file apart. True when it is a macro line that
// the table keeps; `entry` then holds its name and body. A name longer than
// 127 units, or in the 1.x edition a body longer than 511, is not kept: cut
// short, it would answer to a keyword nobody defined or type half a macro.
// `entry` may be null to ask only whether the line is kept. The Far 3 body is
// allocated (false without the memory). Far 3 also reads `MacroTab` and
// `MacroList` lines, whose name may be quoted to hold blanks ("else if"); an
// empty one is not kept, as it would stand behind every cursor.
template <class Char>
bool ParseMacroLine(const Char *line, BasicMacroEntry<Char> *entry) {
  // The first field is only ever compared with "Macro": look at it in place.
  const Char *p = line;
  while (*p == ' ') ++p;
  static const char word[] = "Macro";
  for (int i = 0; i < 5; ++i)
    if (p[i] != static_cast<Char>(word[i])) return false;
  size_t wordEnd = 5;
  MacroTrigger trigger = MacroTrigger::Space;
  if constexpr (sizeof(Char) > 1) {
    if (p[5] == 'T' && p[6] == 'a' && p[7] == 'b') {
      trigger = MacroTrigger::Tab;
      wordEnd = 8;
    } else if (p[5] == 'L' && p[6] == 'i' && p[7] == 's' && p[8] == 't') {
      trigger = MacroTrigger::List;
      wordEnd = 9;
    }
  }
  if (p[wordEnd] != ' ' && p[wordEnd] != 0) return false;
  size_t nameStart = 0, nameEnd = 0, bodyStart = 0, bodyEnd = 0;
  const bool quotedName = trigger != MacroTrigger::Space;
  FindField(line, 2, quotedName ? FS_GROUPQUOTES | FS_STRIPQUOTES : 0, &nameStart, &nameEnd);
  if (nameEnd - nameStart > MacroNameLimit) return false;
  if (quotedName && nameEnd == nameStart) return false;
  FindField(line, 3, FS_GROUPQUOTES | FS_STRIPQUOTES, &bodyStart, &bodyEnd);
  if constexpr (sizeof(Char) == 1) {
    if (bodyEnd - bodyStart > MacroBodyLimit) return false;
  }
  if (entry) {
    // The same units GetField would copy, without finding the fields again.
    std::memcpy(entry->Name, line + nameStart, (nameEnd - nameStart) * sizeof(Char));
    entry->Name[nameEnd - nameStart] = 0;
    if constexpr (sizeof(Char) > 1) {
      entry->Trigger = trigger;
      entry->Body = static_cast<Char *>(std::malloc((bodyEnd - bodyStart + 1) * sizeof(Char)));
      if (!entry->Body) return false;
    }
    std::memcpy(entry->Body, line + bodyStart, (bodyEnd - bodyStart) * sizeof(Char));
    entry->Body[bodyEnd - bodyStart] = 0;
  }
  return true;
}

// Gives the next line of the file in the edition's text: the bytes as they are,
// or decoded from UTF-8 (a byte-order mark at the very start skipped).
template <class Char>
class MacroTextReader {
public:
  explicit MacroTextReader(FILE *file) : bytes_(file) {}
  MacroTextReader(const char *bytes, size_t size) : bytes_(bytes, size) {}
  MacroTextReader(const MacroTextReader &) = delete;
  MacroTextReader &operator=(const MacroTextReader &) = delete;
  ~MacroTextReader() {
    std::free(line_);
    std::free(text_);
  }
  const Char *Next() {
    if constexpr (sizeof(Char) == 1) {
      static char line[MacroLineLimit + 1];
      if (!bytes_.Next(line)) return nullptr;
      return line;
    } else {
      // Far 3: lines of any length, decoded into a buffer that grows with them.
      if (!bytes_.NextWhole(&line_, &lineRoom_)) return nullptr;
      static Char empty[1] = {0};
      if (!line_) return empty;
      const char *start = line_;
      size_t n = std::strlen(line_);
      if (first_ && n >= 3 && std::memcmp(line_, "\xEF\xBB\xBF", 3) == 0) {
        start += 3;
        n -= 3;
      }
      first_ = false;
      // UTF-8 never takes fewer bytes than UTF-16 units.
      if (n + 1 > textRoom_) {
        Char *grown = static_cast<Char *>(std::realloc(text_, (n + 1) * sizeof(Char)));
        if (!grown) return empty;  // a line that cannot be held is no macro
        text_ = grown;
        textRoom_ = n + 1;
      }
      text_[DecodeUtf8(start, n, text_)] = 0;
      return text_;
    }
  }

private:
  MacroLineReader bytes_;
  bool first_ = true;
  char *line_ = nullptr;
  size_t lineRoom_ = 0;
  Char *text_ = nullptr;
  size_t textRoom_ = 0;
};

// Releases a table and, in the Far 3 edition, each of its first `count`
// entries' bodies.
template <class Char>
void FreeMacroEntries(BasicMacroEntry<Char> *table, size_t count) {
  if constexpr (sizeof(Char) > 1) {
    for (size_t i = 0; table && i < count; ++i) std::free(table[i].Body);
  }
  (void)count;
  std::free(table);
}

// Called between the two passes of a load when set; lets a test change the
// file at the moment a user might save it.
extern void (*MacroLoadBetweenPasses)(const char *path);

// Counts the lines a reader gives that the table keeps.
template <class Char>
size_t CountMacroLines(MacroTextReader<Char> &reader) {
  size_t counted = 0;
  while (const Char *line = reader.Next())
    if (ParseMacroLine<Char>(line, nullptr)) ++counted;
  return counted;
}

// A table for `counted` entries (one or more), or null when too many.
template <class Char>
BasicMacroEntry<Char> *AllocateMacroTable(size_t counted) {
  if (counted > SIZE_MAX / sizeof(BasicMacroEntry<Char>) || counted > static_cast<size_t>(INT32_MAX))
    return nullptr;
  return static_cast<BasicMacroEntry<Char> *>(std::malloc(counted * sizeof(BasicMacroEntry<Char>)));
}

// Fills `table` from a second reading, never past `counted` (a file may have
// changed since the count), and hands it over; an empty result is released.
// With `sections`, `Files` lines start sections and each kept entry's section
// is noted. Without memory for that the table is left empty: its sections'
// macros would otherwise apply to every file.
template <class Char>
void FillMacroTable(MacroTextReader<Char> *reader, BasicMacroEntry<Char> *table, size_t counted,
                    BasicMacroEntry<Char> **tableOut, int *countOut,
                    MacroSections<Char> *sections = nullptr) {
  size_t filled = 0;
  bool lost = false;
  // Only the Far 3 edition (UTF-16 text) reads sections: the 1.x edition's
  // table is built as it always was.
  if constexpr (sizeof(Char) == 1) sections = nullptr;
  if (sections && table) {
    sections->of = static_cast<int *>(std::malloc(counted * sizeof(int)));
    lost = !sections->of;
  }
  while (table && reader && filled < counted && !lost) {
    const Char *line = reader->Next();
    if (!line) break;
    if (ParseMacroLine(line, &table[filled])) {
      if (sections) sections->of[filled] = sections->count;
      ++filled;
      continue;
    }
    size_t start = 0, end = 0;
    if (sections && ParseFilesLine(line, &start, &end))
      lost = !AddMacroSection(sections, line, start, end);
  }
  if (filled == 0 || lost) {
    if (sections) FreeMacroSections(sections);
    FreeMacroEntries(table, filled);
    return;
  }
  *tableOut = table;
  *countOut = static_cast<int>(filled);
}

// Builds a new table from the open file `f` (and closes it): a first pass
// counts the kept lines, a second fills a table of that size. Leaves an empty
// table when nothing is kept. Does not release an earlier table.
template <class Char>
void LoadMacroTable(FILE *f, const char *path, BasicMacroEntry<Char> **tableOut, int *countOut,
                    MacroSections<Char> *sections = nullptr) {
  *tableOut = nullptr;
  *countOut = 0;
  if (!f) return;

  size_t counted = 0;
  {
    MacroTextReader<Char> reader(f);
    counted = CountMacroLines(reader);
  }

  if (MacroLoadBetweenPasses && path) MacroLoadBetweenPasses(path);

  BasicMacroEntry<Char> *table = nullptr;
  if (counted > 0 && std::fseek(f, 0, SEEK_SET) == 0) table = AllocateMacroTable<Char>(counted);
  {
    MacroTextReader<Char> reader(f);
    FillMacroTable(&reader, table, counted, tableOut, countOut, sections);
  }
  std::fclose(f);
}

// The same from the bytes of a macro file held in memory. False only when
// the memory for a table that would not be empty could not be had.
template <class Char>
bool LoadMacroTableFromBytes(const char *bytes, size_t size, BasicMacroEntry<Char> **tableOut,
                             int *countOut, MacroSections<Char> *sections = nullptr) {
  *tableOut = nullptr;
  *countOut = 0;
  MacroTextReader<Char> counter(bytes, size);
  size_t counted = CountMacroLines(counter);
  if (counted == 0) return true;
  BasicMacroEntry<Char> *table = AllocateMacroTable<Char>(counted);
  if (!table) return false;
  MacroTextReader<Char> reader(bytes, size);
  FillMacroTable(&reader, table, counted, tableOut, countOut, sections);
  return true;
}

// Whether two names are equal unit for unit.
template <class Char>
bool SameMacroName(const Char *a, const Char *b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

// The first entry whose name equals `name` unit for unit, or null.
template <class Char>
const BasicMacroEntry<Char> *FindMacroIn(const BasicMacroEntry<Char> *table, int count,
                                         const Char *name) {
  for (int i = 0; i < count; ++i)
    if (SameMacroName(table[i].Name, name)) return &table[i];
  return nullptr;
}

// The entry that answers to `name` in a file: the one of the latest section
// that applies (`applies(k)` for k >= 1), else the general part's; within
// one section the first. Without sections, the first of the table.
template <class Char, class Applies>
const BasicMacroEntry<Char> *FindMacroInSections(const BasicMacroEntry<Char> *table, int count,
                                                 const MacroSections<Char> &sections,
                                                 const Char *name, Applies applies) {
  if (!sections.of) return FindMacroIn<Char>(table, count, name);
  const BasicMacroEntry<Char> *best = nullptr;
  int bestSection = -1;
  for (int i = 0; i < count; ++i) {
    const int section = sections.of[i];
    if (section <= bestSection || !SameMacroName(table[i].Name, name)) continue;
    if (section > 0 && !applies(section)) continue;
    best = &table[i];
    bestSection = section;
  }
  return best;
}

// Whether a unit may stand inside a word: a name that begins with one needs
// a unit that may not (or the line's start) before it.
template <class Char>
bool WordUnit(Char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned long>(c) >= 0x80;
}

// The Tab-triggered macro whose name ends `text` (the `length` units before
// the cursor) at a word's start: `std::cout` behind blanks or `x = `, not the
// `if` of `elif`. The longest such name that answers in the file wins (a
// name's own entry may be shadowed by another section's of a different
// trigger). Each round rules out one name length: at most 128 rounds.
template <class Char, class Applies>
const BasicMacroEntry<Char> *FindTabMacroIn(const BasicMacroEntry<Char> *table, int count,
                                            const MacroSections<Char> &sections, const Char *text,
                                            int length, Applies applies) {
  size_t shorterThan = MacroNameLimit + 1;
  while (shorterThan > 1) {
    const BasicMacroEntry<Char> *best = nullptr;
    size_t bestLength = 0;
    for (int i = 0; i < count; ++i) {
      if (TriggerOf(table[i]) != MacroTrigger::Tab) continue;
      const Char *name = table[i].Name;
      const size_t n = TextLength(name);
      if (n <= bestLength || n >= shorterThan || n > static_cast<size_t>(length)) continue;
      const Char *at = text + (length - static_cast<int>(n));
      if (std::memcmp(at, name, n * sizeof(Char)) != 0) continue;
      if (at > text && WordUnit(at[-1]) && WordUnit(name[0])) continue;
      best = &table[i];
      bestLength = n;
    }
    if (!best) return nullptr;
    const BasicMacroEntry<Char> *answer = FindMacroInSections<Char>(table, count, sections, best->Name, applies);
    if (answer && TriggerOf(*answer) == MacroTrigger::Tab) return answer;
    shorterThan = bestLength;
  }
  return nullptr;
}

// Turns a copy of the DLL's path into the macro file's path in place: folds
// 'A'-'Z' to small letters and puts ".mac" in place of the first ".dll". A
// path without ".dll" becomes the empty path, which no file answers to.
template <class Char>
void BuildMacroPath(Char *buffer) {
  for (Char *p = buffer; *p; ++p)
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<Char>(*p + 32);
  for (Char *p = buffer; *p; ++p) {
    if (p[0] == '.' && p[1] == 'd' && p[2] == 'l' && p[3] == 'l') {
      p[1] = 'm';
      p[2] = 'a';
      p[3] = 'c';
      p[4] = 0;
      return;
    }
  }
  buffer[0] = 0;
}
