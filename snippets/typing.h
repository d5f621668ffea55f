// Text typed into the editor by a body: values, selections, mirrors' copies.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "assists/adapter.h"

// Types N units at the cursor as the editor types them, a line end among
// them through NEW_LINE (CR and NUL dropped). Each run between them takes two
// line commands, whatever its length: its first unit is typed (the editor
// pads a line the cursor stands beyond, overtypes, replaces a selection), the
// rest go in behind it with one SetString, so a long value costs time linear
// in its line's length. A tab is typed, as the editor writes it.
template <class E, class NewLine>
void TypeUnits(const typename E::Char *text, size_t n, NewLine newLine) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  for (size_t i = 0; i < n;) {
    const Char c = text[i];
    if (c == '\n') {
      newLine();
      ++i;
      continue;
    }
    if (c == '\r' || c == 0) {
      ++i;
      continue;
    }
    ed->TypeChar(c);
    size_t end = ++i;
    if (c == '\t') continue;
    while (end < n && text[end] != '\n' && text[end] != '\r' && text[end] != 0 && text[end] != '\t') ++end;
    if (end == i) continue;
    const EditorPosition pos = ed->GetPosition();
    typename E::Editor::LineRecord line;
    ed->GetString(&line, -1);
    const size_t length = static_cast<size_t>(line.StringLength), rest = end - i;
    if (pos.CurPos < 0 || static_cast<size_t>(pos.CurPos) > length) {
      for (; i < end; ++i) ed->TypeChar(text[i]);
      continue;
    }
    const size_t at = static_cast<size_t>(pos.CurPos);
    const size_t tail = ed->Overtype() ? (at + rest < length ? at + rest : length) : at;
    Char *joined = static_cast<Char *>(std::malloc((at + rest + (length - tail) + 1) * sizeof(Char)));
    if (!joined) {
      for (; i < end; ++i) ed->TypeChar(text[i]);
      continue;
    }
    std::memcpy(joined, line.StringText, at * sizeof(Char));
    std::memcpy(joined + at, text + i, rest * sizeof(Char));
    std::memcpy(joined + at + rest, line.StringText + tail, (length - tail) * sizeof(Char));
    joined[at + rest + (length - tail)] = 0;
    ed->SetString(joined, -1);
    std::free(joined);
    ed->SetPosition(-1, static_cast<int>(at + rest), -1, -1);
    i = end;
  }
}
