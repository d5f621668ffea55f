// libFuzzer target: any bytes as the macro file, then lookups of names taken
// from the input.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "far1/edition.h"
#include "tests/fuzz/bytes.h"
#include "macros/fields.h"
#include "macros/macro_file.h"
#include "sim/far3/masks.h"

namespace {

bool Valid(const char16_t *masks) { return sim::MaskListValid(masks); }

// The same bytes as the Far 3 edition reads them, `Files` lines making
// sections: every entry's section exists, and a lookup finds the entry of
// the latest section that applies.
void LoadSections(const uint8_t *data, size_t size) {
  MacroSections<char16_t> sections;
  sections.valid = &Valid;
  BasicMacroEntry<char16_t> *table = nullptr;
  int count = 0;
  if (!LoadMacroTableFromBytes<char16_t>(reinterpret_cast<const char *>(data), size, &table, &count,
                                         &sections))
    return;
  if ((count == 0) != (table == nullptr)) __builtin_trap();
  for (int i = 0; i < count; ++i) {
    const int s = sections.of[i];
    if (s < 0 || s > sections.count || (i > 0 && s < sections.of[i - 1])) __builtin_trap();
    const BasicMacroEntry<char16_t> *all =
        FindMacroInSections<char16_t>(table, count, sections, table[i].Name, [](int) { return true; });
    const BasicMacroEntry<char16_t> *none =
        FindMacroInSections<char16_t>(table, count, sections, table[i].Name, [](int) { return false; });
    if (!all || sections.of[all - table] < s) __builtin_trap();
    if (s == 0 && (!none || sections.of[none - table] != 0 || none > &table[i])) __builtin_trap();
    if (none && sections.of[none - table] != 0) __builtin_trap();
  }
  FreeMacroEntries(table, static_cast<size_t>(count));
  FreeMacroSections(&sections);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static std::string path = fuzz::Folder("vorlane-fuzz-loader-") + "vorlane.mac";
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  LoadMacros(path.c_str());
  for (int i = 0; i < MacroCount; ++i) {
    const MacroEntry &e = MacroTable[i];
    if (std::strlen(e.Name) > MacroNameLimit || std::strlen(e.Body) > MacroBodyLimit) __builtin_trap();
    const MacroEntry *found = FindMacro(e.Name);
    if (!found || found > &e || std::strcmp(found->Name, e.Name) != 0) __builtin_trap();
  }
  // Names taken from the input itself: every word of it.
  std::string text(reinterpret_cast<const char *>(data), size);
  char word[128];
  for (int k = 1; k < 20; ++k) {
    size_t length = 0;
    GetField(word, sizeof(word), text.c_str(), k, 0, &length);
    if (length == 0) break;
    const MacroEntry *m = FindMacro(word);
    if (m && std::strcmp(m->Name, word) != 0) __builtin_trap();
  }
  FreeMacros();
  if (MacroTable || MacroCount) __builtin_trap();
  LoadSections(data, size);
  return 0;
}
