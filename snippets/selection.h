// Wrapping a selection (Far 3): a macro picked from the list (or called by a
// keyboard macro) while a block is selected takes the block's text in place of
// its `selection` word. The block goes, the body is typed in its place, and
// the selected lines are typed again at the indentation where the word
// stands, each keeping its indentation relative to the first.
#pragma once

#include <cstdlib>

#include "assists/adapter.h"

// The selected block's text: lines joined by '\n' (allocated; the caller
// frees it), and what to delete to make room for the body.
template <class Char>
struct SelectedBlock {
  Char *text = nullptr;
  size_t length = 0;
  bool column = false;
  int line = 0, pos = 0;            // where the body goes
  int lastLine = 0, lastEnd = 0;    // a stream block's last line and end
  int width = 0;                    // a column block's first line's selected units
  int height = 0;
  SelectedBlock() = default;
  SelectedBlock(const SelectedBlock &) = delete;
  SelectedBlock &operator=(const SelectedBlock &) = delete;
  ~SelectedBlock() { std::free(text); }
};

// Reads the block the editor holds; false without one (or without memory).
// A stream block that ends at the start of a line keeps that line break,
// and the blanks that open its first line stay where they are: the body then
// begins at the selected code's indentation and ends before the next line.
template <class E>
bool ReadSelectedBlock(SelectedBlock<typename E::Char> *block) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  ed->GetPosition();
  const int type = ed->LastBlockType();
  if (type != 1 && type != 2) return false;
  block->column = type == 2;
  int line = ed->LastBlockStartLine();
  typename E::Editor::LineRecord egs;
  size_t room = 0;
  for (bool first = true;; first = false, ++line) {
    if (!ed->GetString(&egs, line) || egs.SelStart < 0) break;
    const int length = static_cast<int>(egs.StringLength);
    int from = static_cast<int>(egs.SelStart) < length ? static_cast<int>(egs.SelStart) : length;
    const bool toEnd = egs.SelEnd < 0;
    int to = toEnd || egs.SelEnd > length ? length : static_cast<int>(egs.SelEnd);
    if (to < from) to = from;
    if (first) {
      block->line = line;
      // Leading blanks of a line selected from its start stay on the line
      // (the text keeps them: the lines after measure theirs against them).
      int start = from;
      bool blankBefore = true;
      for (int i = 0; i < from; ++i) blankBefore = blankBefore && (egs.StringText[i] == ' ' || egs.StringText[i] == '\t');
      if (blankBefore && !block->column)
        while (start < to && (egs.StringText[start] == ' ' || egs.StringText[start] == '\t')) ++start;
      block->pos = start;
      block->width = to - start;
    }
    const size_t need = block->length + static_cast<size_t>(to - from) + 2;
    if (need > room) {
      room = need * 2;
      Char *grown = static_cast<Char *>(std::realloc(block->text, room * sizeof(Char)));
      if (!grown) return false;
      block->text = grown;
    }
    if (!first) block->text[block->length++] = '\n';
    for (int i = from; i < to; ++i) block->text[block->length++] = egs.StringText[i];
    block->lastLine = line;
    block->lastEnd = to;
    ++block->height;
    if (!block->column && !toEnd) break;  // a stream block's last line
  }
  if (!block->text || block->height == 0) return false;
  // A stream block ending at the start of a line: that line is not part of it.
  if (!block->column && block->height > 1 && block->lastEnd == 0) {
    --block->height;
    --block->lastLine;
    if (block->length > 0 && block->text[block->length - 1] == '\n') --block->length;
    typename E::Editor::LineRecord last;
    ed->GetString(&last, block->lastLine);
    block->lastEnd = static_cast<int>(last.StringLength);
  }
  block->text[block->length] = 0;
  return true;
}

// Deletes the block's text as read (for a stream block, from its place to
// its end) and puts the cursor where the body goes.
template <class E>
void DeleteSelectedBlock(const SelectedBlock<typename E::Char> &block) {
  typename E::Editor *ed = E::editor();
  if (block.column) {
    ed->DeleteBlock();
  } else {
    // Several lines: the last one ends at pos + width.
    ed->Select(block.line, block.pos, block.lastEnd - block.pos, block.height);
    ed->DeleteBlock();
  }
  ed->Unselect();
  ed->SetPosition(block.line, block.pos, -1, -1);
}
