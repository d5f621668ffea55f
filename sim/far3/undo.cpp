// The Far 3 face: undo as Far 3 keeps it, record by record.
#include "sim/far3/internal.h"

#include <cstdlib>
#include <cstring>

#include "sim/far1/stand_in.h"

namespace sim {

namespace {

// The keys after which the next change starts a step of its own, whatever
// its position. Right and End are not among them.
bool SetsNewStep(const INPUT_RECORD &rec) {
  const KEY_EVENT_RECORD &k = rec.Event.KeyEvent;
  const bool ctrl = (k.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
  switch (k.wVirtualKeyCode) {
    case VK_LEFT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_PRIOR: case VK_NEXT:
    case VK_RETURN:
      return true;
    case VK_INSERT:  // Shift+Ins: a paste
      return (k.dwControlKeyState & SHIFT_PRESSED) != 0;
    case 'N': case 'E': case 'Z':
      return ctrl;
    default:
      return false;
  }
}

bool MovesOnly(WORD vk) {
  return vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN || vk == VK_HOME ||
         vk == VK_END || vk == VK_PRIOR || vk == VK_NEXT;
}

}  // namespace

void Host3::DropOldestStep() {
  // Like Far's own, the history has a bound: the oldest step goes.
  // A step is one record (joined changes live in one) or a whole group.
  size_t n = 1;
  if (undoRecords.front().kind == UndoRecord::Begin)
    while (n < undoRecords.size() && undoRecords[n - 1].kind != UndoRecord::End) ++n;
  undoRecords.erase(undoRecords.begin(), undoRecords.begin() + static_cast<long>(n));
  --stepsHeld_;
}

void Host3::StepMade() {
  ++stepsHeld_;
  ++undoStepsMade;
  if (stepsHeld_ > UndoLimit) DropOldestStep();
}

void Host3::RecordEdit(int line, Line before, int pos) {
  // The last joined change's position is the editor's, not the record's: only
  // a join sets it.
  if (!undoRecords.empty() && !newStep_) {
    UndoRecord &last = undoRecords.back();
    if (last.kind == UndoRecord::Edit && last.line == line &&
        (undoDepth_ > 0 || std::abs(pos - last.pos) <= 1 || std::abs(pos - lastChangePos_) <= 1)) {
      lastChangePos_ = pos;
      return;
    }
  }
  newStep_ = false;
  UndoRecord r;
  r.kind = UndoRecord::Edit;
  r.line = line;
  r.old.push_back(std::move(before));
  r.pos = pos;
  undoRecords.push_back(std::move(r));
  if (undoDepth_ == 0) StepMade();
}

void Host3::RecordLines(int first, std::vector<Line> oldLines, int newCount, int line, int pos) {
  newStep_ = false;
  UndoRecord r;
  r.kind = UndoRecord::Lines;
  r.line = first;
  r.old = std::move(oldLines);
  r.newCount = newCount;
  r.curLine = line;
  r.curPos = pos;
  undoRecords.push_back(std::move(r));
  if (undoDepth_ == 0) StepMade();
}

void Host3::BeginGroup() {
  if (undoDepth_++ != 0 || !record) return;
  UndoRecord r;
  r.kind = UndoRecord::Begin;
  r.curLine = curLine;
  r.curPos = curPos;
  undoRecords.push_back(std::move(r));
  newStep_ = false;  // like every record, the group's begin clears the mark
}

void Host3::EndGroup() {
  if (--undoDepth_ != 0 || !record) return;
  if (!undoRecords.empty() && undoRecords.back().kind == UndoRecord::Begin) {
    undoRecords.pop_back();  // nothing changed: no step
    return;
  }
  // A group of one record loses its begin and gets no end: the record is left
  // as a plain one, which later typing close to it may join.
  if (undoRecords.size() >= 2 && undoRecords[undoRecords.size() - 2].kind == UndoRecord::Begin) {
    undoRecords.erase(undoRecords.end() - 2);
    StepMade();
    return;
  }
  UndoRecord r;
  r.kind = UndoRecord::End;
  undoRecords.push_back(std::move(r));
  StepMade();
}

// Whether a key types text: a character, Tab or Enter without Ctrl or Alt.
static bool TypesText(const INPUT_RECORD &rec) {
  const KEY_EVENT_RECORD &k = rec.Event.KeyEvent;
  if (k.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED))
    return false;
  if (k.wVirtualKeyCode == VK_RETURN) return (k.dwControlKeyState & SHIFT_PRESSED) == 0;
  if (k.wVirtualKeyCode == VK_TAB) return (k.dwControlKeyState & SHIFT_PRESSED) == 0;
  return k.uChar.UnicodeChar >= 0x20;
}

// Whether two lines hold the same text and line end. Compared as bytes: the
// unoptimized test builds compare every line of the file on every key, and a
// character-by-character loop made long lines quadratic there.
template <class Line>
static bool SameLine(const Line &a, const Line &b) {
  return a.text.size() == b.text.size() && a.eol == b.eol &&
         (a.text.empty() || std::memcmp(a.text.data(), b.text.data(), a.text.size() * sizeof(a.text[0])) == 0);
}

void Host3::RecordDiff(const std::vector<Line> &before, int line, int pos, int editPos) {
  // What changed: the lines between the common head and the common tail.
  const size_t oldSize = before.size(), newSize = lines.size();
  size_t head = 0;
  while (head < oldSize && head < newSize && SameLine(before[head], lines[head])) ++head;
  if (head == oldSize && head == newSize) return;
  size_t tail = 0;
  while (tail < oldSize - head && tail < newSize - head &&
         SameLine(before[oldSize - 1 - tail], lines[newSize - 1 - tail]))
    ++tail;
  const size_t oldCount = oldSize - head - tail, newCount = newSize - head - tail;
  if (oldCount == 1 && newCount == 1 && line == static_cast<int>(head) && curLine == line) {
    RecordEdit(line, before[head], editPos);
  } else {
    RecordLines(static_cast<int>(head),
                std::vector<Line>(before.begin() + static_cast<long>(head),
                                  before.begin() + static_cast<long>(head + oldCount)),
                static_cast<int>(newCount), line, pos);
  }
}

void Host3::Change(const INPUT_RECORD *rec) {
  if (!IsKeyDown(*rec)) {
    Apply(*rec);
    return;
  }
  const WORD vk = rec->Event.KeyEvent.wVirtualKeyCode;
  const bool shift = (rec->Event.KeyEvent.dwControlKeyState & SHIFT_PRESSED) != 0;
  // The cursor keys, Shift+Tab and selecting leave the text alone: no copy.
  if (!record || MovesOnly(vk) || (vk == VK_TAB && shift && settings.shiftTabMovesBack)) {
    Apply(*rec);
    if (record && SetsNewStep(*rec) && !shift) newStep_ = true;
    return;
  }
  // A paste is a step of its own, whatever came before it.
  if (vk == VK_INSERT && SetsNewStep(*rec)) newStep_ = true;
  bool grouped = false;
  if (blockType_ == BlockStream && !settings.persistentBlocks && TypesText(*rec)) {
    // Typing over a block deletes it first, a change of its own that joins
    // nothing before it: the key typed on one line then joins it (one step,
    // whose Ctrl+Z puts the cursor back where it stood before the key), a
    // block over several lines stays a step of its own.
    const std::vector<Line> before = lines;
    const int line = curLine, pos = curPos;
    grouped = blockLine1_ == blockLine2_;
    if (grouped) BeginGroup();
    DeleteSelection();
    newStep_ = true;
    RecordDiff(before, line, pos, pos);
  }
  const std::vector<Line> before = lines;
  const int line = curLine, pos = curPos;
  const size_t records = undoRecords.size();
  Apply(*rec);
  // A typed key: the smaller of the cursor's index before and after it; a
  // Backspace: the index before it.
  RecordDiff(before, line, pos, vk == VK_BACK ? pos : std::min(pos, curPos));
  if (undoRecords.size() > records && undoRecords.back().kind == UndoRecord::Lines) {
    // Taking back a whole line puts the cursor where the line was: an added
    // line (Enter at or beyond the end) at the column Enter gave the new one,
    // a deleted line (Ctrl+Y) at its end.
    UndoRecord &r = undoRecords.back();
    const bool ctrl = (rec->Event.KeyEvent.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    // (Enter below the end of a non-empty line, at its start too, is a split:
    // the cursor goes back to where it stood.)
    if (vk == VK_RETURN && r.old.empty() && r.newCount == 1 &&
        pos >= static_cast<int>(before[static_cast<size_t>(line)].text.size())) {
      r.curLine = curLine;
      r.curPos = curPos;
    } else if (vk == VK_RETURN && r.old.size() == 1 && r.newCount == 2 && settings.autoIndent) {
      // A split with auto indent on: at the line's start (also when it is
      // part of a group).
      r.curLine = r.line;
      r.curPos = 0;
      r.lineStart = true;
    } else if (vk == 'Y' && ctrl && r.old.size() == 1 && r.newCount == 0) {
      r.curLine = r.line;
      r.curPos = static_cast<int>(r.old[0].text.size());
    }
  }
  if (grouped) EndGroup();
  if (SetsNewStep(*rec)) newStep_ = true;
}

void Host3::UndoRecordAt(const UndoRecord &r) {
  // Each record replays as changes of its own, reported as it goes.
  const int size = static_cast<int>(lines.size());
  if (r.kind == UndoRecord::Edit) {
    if (r.line < size) {
      lines[static_cast<size_t>(r.line)] = r.old[0];
      Notify(LineChanged, r.line);
    }
    curLine = r.line;
    curPos = r.pos;
  } else if (r.kind == UndoRecord::Lines) {
    const int first = std::min(r.line, size);
    const int now = std::min(r.newCount, size - first);
    const int was = static_cast<int>(r.old.size());
    const int common = std::min(now, was);
    for (int i = common; i < now; ++i) {
      if (static_cast<int>(lines.size()) <= 1) break;
      lines.erase(lines.begin() + first + common);
      Notify(LineDeleted, first + common);
    }
    for (int i = common; i < was; ++i) {
      lines.insert(lines.begin() + first + i, r.old[static_cast<size_t>(i)]);
      Notify(LineAdded, first + i);
    }
    for (int i = 0; i < was && first + i < static_cast<int>(lines.size()); ++i) {
      lines[static_cast<size_t>(first + i)] = r.old[static_cast<size_t>(i)];
      Notify(LineChanged, first + i);
    }
    curLine = r.curLine;
    curPos = r.curPos;
  }
}

void Host3::Undo() {
  if (undoRecords.empty()) return;
  if (undoRecords.back().kind == UndoRecord::End) {
    // A group: its records one by one in reverse, each putting the cursor as
    // its kind does, so that it ends where the group's first record puts it.
    undoRecords.pop_back();
    int splitLine = -1;
    while (!undoRecords.empty() && undoRecords.back().kind != UndoRecord::Begin) {
      UndoRecordAt(undoRecords.back());
      if (undoRecords.back().lineStart) splitLine = undoRecords.back().line;
      undoRecords.pop_back();
    }
    if (!undoRecords.empty()) undoRecords.pop_back();
    if (splitLine >= 0) {
      curLine = splitLine;
      curPos = 0;
    }
  } else {
    UndoRecordAt(undoRecords.back());
    undoRecords.pop_back();
  }
  --stepsHeld_;
  newStep_ = true;
  unclampedColumn_ = -1;
  blockType_ = BlockNone;
  Fix();
  EnsureVisible();
  if (trace) Trace(depth_, "undo");
}

}  // namespace sim
