// The two brace assists: '}' on a blank line goes under its '{', and Enter
// right behind a '{' is followed by a Tab.
#pragma once

#include <cstdlib>
#include <cstring>

#include "assists/adapter.h"
#include "assists/text.h"

// Column of the '{' that opens the current line's block (looking only at the
// first non-space character of each line above), or -1. Leaves the cursor and
// the scroll as it found them.
template <class E>
int FindOpenBrace() {
  typename E::Editor *ed = E::editor();
  EditorPosition saved = ed->GetPosition();
  int depth = 0;
  int result = -1;
  typename E::Editor::LineRecord egs;
  for (int line = saved.CurLine - 1; line >= 0; --line) {
    ed->SetPosition(line, -1, -1, -1);
    ed->GetString(&egs, -1);
    if (egs.StringLength == 0) continue;
    int i = FirstNonSpace(egs.StringText);
    if (i < 0) continue;
    auto c = egs.StringText[i];
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
  ed->SetPosition(saved);
  return result;
}

// '}' typed on a line of spaces: rewrites the line to put '}' under its '{'.
// 1 when the line was rewritten, 0 when the host should insert the '}'.
template <class E>
int AlignClosingBrace() {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  typename E::Editor::LineRecord egs;
  ed->GetString(&egs, -1);
  // The whole line as the host holds it must be spaces: text behind a NUL
  // would otherwise be lost with the rewrite.
  if (!IsBlank(egs.StringText) || !IsBlank(egs.StringText, static_cast<int>(egs.StringLength)))
    return 0;

  int n = FindOpenBrace<E>();
  if (n < 0) return 0;

  Char *text = static_cast<Char *>(std::malloc((static_cast<size_t>(n) + 2) * sizeof(Char)));
  if (!text) return 0;
  for (int i = 0; i < n; ++i) text[i] = ' ';
  text[n] = '}';
  text[n + 1] = 0;
  ed->BeginUndo();
  ed->SetString(text, -1);
  std::free(text);

  ed->SetPosition(-1, n + 1, -1, -1);
  ed->EndUndo();
  ed->Redraw();
  return 1;
}

// Enter typed right behind a '{' with only spaces after the cursor: passes the
// Enter on, then one Tab. 1 when it did so, 0 when the host should handle it.
template <class E>
int IndentAfterBrace(const INPUT_RECORD *Rec, int column,
                     const typename E::Editor::LineRecord &line) {
  typename E::Editor *ed = E::editor();
  const int length = static_cast<int>(line.StringLength);
  if (column == 0) return 0;
  if (column < 0 || column > length) return 0;
  if (line.StringText[column - 1] != '{') return 0;
  if (column != length && !IsBlank(line.StringText + column, length - column)) return 0;

  ed->BeginUndo();
  E::busy() = 1;
  ed->ProcessInput(Rec);
  ed->PressKey(VK_TAB);
  E::busy() = 0;
  ed->EndUndo();
  return 1;
}
