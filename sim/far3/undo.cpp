// The Far 3 face: undo as Far 3 keeps it.
#include "sim/far3/internal.h"

#include "sim/far1/stand_in.h"

namespace sim {

void Host3::PushUndo(UndoStep step) {
  // Like Far's own, the history has a bound: the oldest steps go.
  if (undoSteps.size() >= UndoLimit) undoSteps.erase(undoSteps.begin());
  undoSteps.push_back(std::move(step));
  ++undoStepsMade;
}

void Host3::Change(const INPUT_RECORD *rec) {
  // Key-ups, other events and the cursor keys leave the text alone: no copy.
  const WORD vk = rec ? rec->Event.KeyEvent.wVirtualKeyCode : 0;
  const bool move = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN ||
                    vk == VK_HOME || vk == VK_END;
  if (!record || (rec && (!IsKeyDown(*rec) || move))) {
    if (rec) Apply(*rec);
    return;
  }
  UndoStep before = Snapshot();
  if (rec) Apply(*rec);
  if (undoDepth_ == 0 && !SameText(before.lines, lines)) PushUndo(std::move(before));
}

void Host3::Undo() {
  if (undoSteps.empty()) return;
  const UndoStep &step = undoSteps.back();
  lines = step.lines;
  curLine = step.curLine;
  curPos = step.curPos;
  unclampedColumn_ = -1;
  blockType_ = BlockNone;
  undoSteps.pop_back();
  Fix();
  EnsureVisible();
  if (trace) Trace(depth_, "undo");
}

}  // namespace sim
