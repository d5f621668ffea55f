#include "assists/braces.h"

#include <cstdlib>
#include <cstring>

#include "assists/input_filter.h"
#include "editor/far_editor.h"
#include "plugin/plugin.h"

int FirstNonSpace(const char *text) {
  for (int i = 0; text[i]; ++i)
    if (text[i] != ' ') return i;
  return -1;
}

int FindOpenBrace() {
  EditorPosition saved = FarEditor->GetPosition();
  int depth = 0;
  int result = -1;
  EditorGetString egs;
  for (int line = saved.CurLine - 1; line >= 0; --line) {
    FarEditor->SetPosition(line, -1, -1, -1);
    FarEditor->GetString(&egs, -1);
    if (egs.StringLength == 0) continue;
    int i = FirstNonSpace(egs.StringText);
    if (i < 0) continue;
    char c = egs.StringText[i];
    if (c == '{') {
      if (depth == 0) {
        result = i;
        break;
      }
      --depth;
    } else if (c == '}') {
      ++depth;
    }
  }
  FarEditor->SetPosition(saved);
  return result;
}

int AlignClosingBrace() {
  EditorGetString egs;
  FarEditor->GetString(&egs, -1);
  // The whole line as the host holds it must be spaces: text behind a NUL
  // byte would otherwise be lost with the rewrite.
  if (!IsBlank(egs.StringText) || !IsBlank(egs.StringText, egs.StringLength)) return 0;

  int n = FindOpenBrace();
  if (n < 0) return 0;

  char *text = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 2));
  if (!text) return 0;
  std::memset(text, ' ', static_cast<size_t>(n));
  text[n] = '}';
  text[n + 1] = '\0';
  FarEditor->SetString(text, -1);
  std::free(text);

  FarEditor->SetPosition(-1, n + 1, -1, -1);
  FarEditor->Control(ECTL_REDRAW, nullptr);
  return 1;
}

int IndentAfterBrace(const INPUT_RECORD *Rec, int column, const EditorGetString &line) {
  if (column == 0) return 0;
  if (column < 0 || column > line.StringLength) return 0;
  if (line.StringText[column - 1] != '{') return 0;
  if (column != line.StringLength &&
      !IsBlank(line.StringText + column, line.StringLength - column))
    return 0;

  Busy = 1;
  FarEditor->ProcessInput(Rec);
  FarEditor->PressKey(VK_TAB);
  Busy = 0;
  return 1;
}
