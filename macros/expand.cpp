#include "macros/expand.h"

#include <cstring>

#include "assists/input_filter.h"
#include "editor/far_editor.h"
#include "macros/fields.h"
#include "macros/macro_file.h"
#include "macros/playback.h"
#include "plugin/plugin.h"

int ExpandKeyword() {
  EditorPosition pos = FarEditor->GetPosition();
  EditorGetString line;
  FarEditor->GetString(&line, -1);

  // No character before the cursor within the text: at column 0 the body
  // would land in front of the keyword, past the end there is nothing to see.
  if (pos.CurPos <= 0 || pos.CurPos > line.StringLength) return 0;
  if (line.StringText[pos.CurPos - 1] == ' ') return 0;

  // A line that does not fit the buffer is far longer than any name.
  char keyword[4096];
  if (static_cast<size_t>(line.StringLength) >= sizeof(keyword)) return 0;
  // A NUL inside the line: it holds more than a keyword.
  if (std::memchr(line.StringText, '\0', static_cast<size_t>(line.StringLength))) return 0;
  TrimCopy(line.StringText, keyword, sizeof(keyword));

  const MacroEntry *entry = FindMacro(keyword);
  if (!entry) return 0;

  Busy = 1;
  PlayMacro(entry);
  Busy = 0;
  FarEditor->Control(ECTL_REDRAW, nullptr);
  return 1;
}
