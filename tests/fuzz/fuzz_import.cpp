// libFuzzer target: any bytes as a snippet file for `vorlane import`. No
// crash, no hang, and every macro line written is one the plug-in keeps.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "macros/macro_file.h"
#include "sim/far3/masks.h"
#include "tools/import.h"

namespace {

bool Valid(const char16_t *masks) { return sim::MaskListValid(masks); }

size_t CountMacroLines(const std::string &text) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find("\nMacro", at)) != std::string::npos; ++at)
    if (text.compare(at, 7, "\nMacro ") == 0 || text.compare(at, 10, "\nMacroTab ") == 0) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks how the file is named: per-language or global.
  static const char *const names[] = {"cpp.json", "c.json", "java.json", "mine.code-snippets"};
  const std::string name = names[data[0] % 4];
  const std::string bytes(reinterpret_cast<const char *>(data + 1), size - 1);
  ImportResult result;
  result.onSpace = data[0] & 4;
  ImportSnippetFile(name, bytes, &result);
  const std::string out = ImportedMacroFile(&result);
  if (result.status < 0 || result.status > 2) __builtin_trap();

  MacroSections<char16_t> sections;
  sections.valid = &Valid;
  BasicMacroEntry<char16_t> *table = nullptr;
  int count = 0;
  if (!LoadMacroTableFromBytes<char16_t>(out.data(), out.size(), &table, &count, &sections))
    __builtin_trap();
  if (static_cast<size_t>(count) != CountMacroLines(out)) __builtin_trap();
  for (int k = 0; k < sections.count; ++k)
    if (!sections.masks[k]) __builtin_trap();  // every section's masks are Far's
  FreeMacroEntries(table, static_cast<size_t>(count));
  FreeMacroSections(&sections);

  // The body syntax alone, with the bytes as a body.
  std::string tokens;
  std::vector<std::string> notes;
  ConvertSnippetBody(bytes, "kw", "cpp", &tokens, &notes);
  return 0;
}
