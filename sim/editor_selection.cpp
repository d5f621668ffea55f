// The stand-in editor's selections: stream and column blocks as a test or
// Shift with an arrow makes them, and deleting them.
#include "sim/editor.h"

#include <algorithm>

namespace sim {

template <class Unit>
void TextEditor<Unit>::SelectStream(int line1, int pos1, int line2, int pos2) {
  blockType_ = BlockStream;
  blockLine1_ = line1;
  blockPos1_ = pos1;
  blockLine2_ = line2;
  blockPos2_ = pos2;
}

template <class Unit>
void TextEditor<Unit>::SelectColumn(int line1, int col1, int line2, int col2) {
  blockType_ = BlockColumn;
  blockLine1_ = line1;
  blockPos1_ = col1;
  blockLine2_ = line2;
  blockPos2_ = col2;
}

template <class Unit>
bool TextEditor<Unit>::Selected(int n, int *start, int *end) const {
  if (blockType_ == BlockNone || n < blockLine1_ || n > blockLine2_) return false;
  if (blockType_ == BlockStream) {
    *start = n == blockLine1_ ? blockPos1_ : 0;
    *end = n == blockLine2_ ? blockPos2_ : -1;
  } else {
    *start = blockPos1_;
    *end = blockPos2_;
  }
  return true;
}

template <class Unit>
void TextEditor<Unit>::DeleteSelection() {
  if (blockType_ == BlockNone) return;
  int last = static_cast<int>(lines.size()) - 1;
  int l1 = std::min(blockLine1_, last), l2 = std::min(blockLine2_, last);
  if (blockType_ == BlockStream) {
    Line &first = lines[static_cast<size_t>(l1)];
    Line &end = lines[static_cast<size_t>(l2)];
    size_t p1 = std::min<size_t>(static_cast<size_t>(blockPos1_), first.text.size());
    size_t p2 = std::min<size_t>(static_cast<size_t>(blockPos2_), end.text.size());
    String tail = end.text.substr(p2);
    String eol = end.eol;
    first.text = first.text.substr(0, p1) + tail;
    first.eol = eol;
    for (int l = l1 + 1; l <= l2; ++l) {
      lines.erase(lines.begin() + l1 + 1);
      Notify(LineDeleted, l1 + 1);
    }
    Notify(LineChanged, l1);
    // The cursor moves with the text: into the gap when it stood in the
    // block, along with what followed it; elsewhere it stays where it was.
    if (curLine > l2) {
      curLine -= l2 - l1;
    } else if (curLine == l2 && curPos >= static_cast<int>(p2)) {
      curPos = static_cast<int>(p1) + (curPos - static_cast<int>(p2));
      curLine = l1;
    } else if (curLine > l1 || (curLine == l1 && curPos > static_cast<int>(p1))) {
      curLine = l1;
      curPos = static_cast<int>(p1);
    }
  } else {
    for (int l = l1; l <= l2; ++l) {
      String &t = lines[static_cast<size_t>(l)].text;
      size_t a = std::min<size_t>(static_cast<size_t>(blockPos1_), t.size());
      size_t b = std::min<size_t>(static_cast<size_t>(blockPos2_), t.size());
      t.erase(a, b - a);
      Notify(LineChanged, l);
    }
    curLine = l1;
    curPos = blockPos1_;
  }
  blockType_ = BlockNone;
}

template <class Unit>
void TextEditor<Unit>::ShiftSelect(WORD vk) {
  const int fromLine = curLine, fromPos = curPos;
  const int last = static_cast<int>(lines.size()) - 1;
  if (vk == VK_LEFT && curPos > 0) --curPos;
  if (vk == VK_RIGHT) ++curPos;
  if (vk == VK_UP && curLine > 0) curPos = PosAtColumn(--curLine, ScreenColumn(fromLine, fromPos));
  if (vk == VK_DOWN && curLine < last) curPos = PosAtColumn(++curLine, ScreenColumn(fromLine, fromPos));
  // The anchor is the block's other end when the cursor stood at one of its
  // ends, else where the cursor stood.
  int anchorLine = fromLine, anchorPos = fromPos;
  if (blockType_ == BlockStream) {
    if (fromLine == blockLine2_ && fromPos == blockPos2_) {
      anchorLine = blockLine1_;
      anchorPos = blockPos1_;
    } else if (fromLine == blockLine1_ && fromPos == blockPos1_) {
      anchorLine = blockLine2_;
      anchorPos = blockPos2_;
    }
  }
  const bool before = curLine < anchorLine || (curLine == anchorLine && curPos < anchorPos);
  if (curLine == anchorLine && curPos == anchorPos)
    blockType_ = BlockNone;
  else if (before)
    SelectStream(curLine, curPos, anchorLine, anchorPos);
  else
    SelectStream(anchorLine, anchorPos, curLine, curPos);
}

template void TextEditor<char>::SelectStream(int, int, int, int);
template void TextEditor<char16_t>::SelectStream(int, int, int, int);
template void TextEditor<char>::SelectColumn(int, int, int, int);
template void TextEditor<char16_t>::SelectColumn(int, int, int, int);
template bool TextEditor<char>::Selected(int, int *, int *) const;
template bool TextEditor<char16_t>::Selected(int, int *, int *) const;
template void TextEditor<char>::DeleteSelection();
template void TextEditor<char16_t>::DeleteSelection();
template void TextEditor<char>::ShiftSelect(WORD);
template void TextEditor<char16_t>::ShiftSelect(WORD);

}  // namespace sim
