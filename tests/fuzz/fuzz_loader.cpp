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
  return 0;
}
