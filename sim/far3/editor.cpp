// The Far 3 face: EditorControl, the editor commands a plug-in issues.
#include "sim/far3/internal.h"

#include <algorithm>
#include "sim/far1/stand_in.h"

namespace sim {

intptr_t Host3::EditorControl(intptr_t editorId, int command, intptr_t param1, void *param2) {
  ++commandCount;
  Command3 cmd;
  cmd.code = command;
  cmd.depth = depth_;
  cmd.editorId = editorId;
  cmd.param1 = param1;
  cmd.param2Null = param2 == nullptr;
  intptr_t result = 0;
  // Only the current editor answers commands.
  const bool ours = editorId == -1 || editorId == this->editorId;
  if (insideChange_) {
    // Inside EE_CHANGE Far answers nothing, whatever the command.
    cmd.insideChange = true;
    if (record) journal.push_back(cmd);
    if (trace) Trace(depth_, DescribeCommand3(cmd) + " (inside EE_CHANGE: fails)");
    return 0;
  }
  switch (command) {
    case far3::ECTL_SUBSCRIBECHANGEEVENT:
    case far3::ECTL_UNSUBSCRIBECHANGEEVENT: {
      auto *s = static_cast<far3::EditorSubscribeChangeEvent *>(param2);
      if (!s) break;
      cmd.structSize = s->StructSize;
      if (!SizeFits(s->StructSize, sizeof(far3::EditorSubscribeChangeEvent))) break;
      // The current editor, or any open window by its id.
      intptr_t id = editorId == -1 ? this->editorId : editorId;
      bool open = id == this->editorId;
      for (const Window &w : otherWindows_) open = open || w.id == id;
      if (!open) break;
      if (command == far3::ECTL_SUBSCRIBECHANGEEVENT)
        subscribed.insert(id);
      else
        subscribed.erase(id);
      result = 1;
      break;
    }
    case ECTL_GETSTRING: {
      auto *egs = static_cast<EditorGetString *>(param2);
      if (!egs) break;
      cmd.structSize = egs->StructSize;
      cmd.line = egs->StringNumber;
      if (!ours || !SizeFits(egs->StructSize, sizeof(EditorGetString))) break;
      if (saving_ && refuseLinesDuringSave) break;
      intptr_t n = egs->StringNumber == -1 ? curLine : egs->StringNumber;
      if (n >= 0 && n < static_cast<intptr_t>(lines.size())) {
        const Line &l = lines[static_cast<size_t>(n)];
        egs->StringText = reinterpret_cast<const FarChar *>(l.text.c_str());
        egs->StringEOL = reinterpret_cast<const FarChar *>(l.eol.c_str());
        egs->StringLength = static_cast<intptr_t>(l.text.size());
        int start = -1, end = 0;  // Far 3's "no selection"
        Selected(static_cast<int>(n), &start, &end);
        egs->SelStart = start;
        egs->SelEnd = end;
        result = 1;
      }
      break;
    }
    case ECTL_SETSTRING: {
      auto *ess = static_cast<EditorSetString *>(param2);
      if (!ess) break;
      cmd.structSize = ess->StructSize;
      cmd.line = ess->StringNumber;
      cmd.eolNull = ess->StringEOL == nullptr;
      cmd.length = ess->StringLength;
      if (ess->StringText && ess->StringLength >= 0)
        cmd.text.assign(reinterpret_cast<const char16_t *>(ess->StringText),
                        static_cast<size_t>(ess->StringLength));
      if (!ours || !SizeFits(ess->StructSize, sizeof(EditorSetString))) break;
      intptr_t n = ess->StringNumber == -1 ? curLine : ess->StringNumber;
      if (n >= 0 && n < static_cast<intptr_t>(lines.size()) && ess->StringText &&
          ess->StringLength >= 0) {
        Line &line = lines[static_cast<size_t>(n)];
        Line before = line;
        line.text = cmd.text;
        // A line with a line break keeps it whatever is passed; the file's
        // last line, without one, gets the one passed, the editor's default
        // for NULL, and stays without for L"".
        if (line.eol.empty()) line.eol = ess->StringEOL ? TextOf(ess->StringEOL) : DefaultEol(static_cast<int>(n));
        if (record && (line.text != before.text || line.eol != before.eol))
          RecordEdit(static_cast<int>(n), std::move(before), curPos);
        Notify(LineChanged, static_cast<int>(n));  // inside this call, as Far reports it
        result = 1;
      }
      break;
    }
    case ECTL_GETINFO: {
      auto *ei = static_cast<EditorInfo *>(param2);
      if (!ei) break;
      cmd.structSize = ei->StructSize;
      // Everything up to and including CodePage is the least Far accepts.
      if (!ours || !SizeFits(ei->StructSize, offsetof(EditorInfo, WindowArea))) break;
      const size_t size = ei->StructSize;
      std::memset(ei, 0, std::min(size, sizeof(EditorInfo)));
      ei->StructSize = size;
      ei->EditorID = this->editorId;
      FillInfo(ei);
      uintptr_t options = 0;
      if (settings.expandTabs) options |= EOPT_EXPANDALLTABS;
      if (settings.autoIndent) options |= EOPT_AUTOINDENT;
      if (settings.cursorBeyondEol) options |= EOPT_CURSORBEYONDEOL;
      if (settings.persistentBlocks) options |= far3::EOPT_PERSISTENTBLOCKS;
      options |= far3::EOPT_DELREMOVESBLOCKS;  // Far's default, which the stand-in follows
      ei->Options = options;
      ei->CodePage = 65001;
      if (size >= sizeof(EditorInfo)) {
        ei->WindowArea = Rect{0, 1, windowX - 1, windowY};
        ei->ClientArea = ei->WindowArea;
      }
      result = 1;
      break;
    }
    case ECTL_SETPOSITION: {
      auto *esp = static_cast<EditorSetPosition *>(param2);
      if (!esp) break;
      cmd.structSize = esp->StructSize;
      cmd.position = *esp;
      if (!ours || !SizeFits(esp->StructSize, sizeof(EditorSetPosition))) break;
      SetPosition(*esp);
      result = 1;
      break;
    }
    case far3::ECTL_SELECT: {
      auto *es = static_cast<far3::EditorSelect *>(param2);
      if (!es) break;
      cmd.structSize = es->StructSize;
      cmd.select = *es;
      if (!ours || !SizeFits(es->StructSize, sizeof(far3::EditorSelect))) break;
      if (es->BlockType == far3::BTYPE_NONE || es->BlockStartPos == -1) {
        Unselect();
        result = 1;
        break;
      }
      const intptr_t first = es->BlockStartLine == -1 ? curLine : es->BlockStartLine;
      if (es->BlockHeight < 1 || first < 0 || first >= static_cast<intptr_t>(lines.size())) break;
      const int l1 = static_cast<int>(first);
      const int l2 = static_cast<int>(std::min<intptr_t>(first + es->BlockHeight - 1,
                                                         static_cast<intptr_t>(lines.size()) - 1));
      const int p = static_cast<int>(es->BlockStartPos), w = static_cast<int>(es->BlockWidth);
      // A stream over several lines ends at P+W on its last line; the cursor
      // stays where it is.
      if (es->BlockType == far3::BTYPE_COLUMN)
        SelectColumn(l1, std::min(p, p + w), l2, std::max(p, p + w));
      else
        SelectStream(l1, p, l2, p + w);
      result = 1;
      break;
    }
    case far3::ECTL_DELETEBLOCK: {
      if (!ours || blockType() == BlockNone) break;
      const std::vector<Line> before = lines;
      const int line = curLine, pos = curPos, start = blockPos1_;
      DeleteSelection();
      if (record) {
        newStep_ = true;  // a step of its own
        RecordDiff(before, line, pos, start);
      }
      MidRedraw();  // the host draws inside the call
      result = 1;
      break;
    }
    case ECTL_REDRAW:
      ++redraws;
      Draw();
      result = 1;
      break;
    case ECTL_GETFILENAME: {
      // The size including the NUL; the name only into a buffer that holds it.
      result = static_cast<intptr_t>(fileName.size() + 1);
      if (param2 && param1 >= result)
        std::memcpy(param2, fileName.c_str(), (fileName.size() + 1) * sizeof(char16_t));
      break;
    }
    case ECTL_UNDOREDO: {
      auto *eur = static_cast<EditorUndoRedo *>(param2);
      if (!eur) break;
      cmd.structSize = eur->StructSize;
      cmd.undo = eur->Command;
      if (!ours || !SizeFits(eur->StructSize, sizeof(EditorUndoRedo))) break;
      result = 1;
      if (eur->Command == far3::EUR_BEGIN) {
        BeginGroup();
      } else if (eur->Command == far3::EUR_END) {
        if (undoDepth_ == 0) {
          undoFaults.push_back("EUR_END without EUR_BEGIN");
          result = 0;
        } else {
          EndGroup();
        }
      } else if (eur->Command == far3::EUR_UNDO) {
        Undo();
      }
      break;
    }
    case ECTL_PROCESSINPUT: {
      const auto *rec = static_cast<const INPUT_RECORD *>(param2);
      if (!rec) break;
      cmd.input = *rec;
      cmd.result = 1;
      if (record) journal.push_back(cmd);
      if (trace) Trace(depth_, DescribeCommand3(cmd));
      intptr_t answer = settings.reentry ? Offer(*rec, true) : 0;
      if (answer == 0) Change(rec);
      if (settings.redrawAfterFedKeys && IsKeyDown(*rec)) Draw();
      return 1;
    }
    default:
      break;
  }
  cmd.result = result;
  if (record) journal.push_back(cmd);
  if (trace) Trace(depth_, DescribeCommand3(cmd));
  return result;
}

std::string DescribeCommand3(const Command3 &cmd) {
  switch (cmd.code) {
    case ECTL_GETSTRING:
      return "ECTL_GETSTRING line=" + std::to_string(cmd.line);
    case ECTL_SETSTRING:
      return "ECTL_SETSTRING line=" + std::to_string(cmd.line) + " length=" +
             std::to_string(cmd.length) + (cmd.eolNull ? " eol=null" : " eol=set") + " text=\"" +
             Utf8(cmd.text) + "\"";
    case ECTL_GETINFO:
      return "ECTL_GETINFO";
    case ECTL_SETPOSITION: {
      const EditorSetPosition &p = cmd.position;
      return "ECTL_SETPOSITION line=" + std::to_string(p.CurLine) + " pos=" +
             std::to_string(p.CurPos) + " tabpos=" + std::to_string(p.CurTabPos) +
             " top=" + std::to_string(p.TopScreenLine) + " left=" + std::to_string(p.LeftPos) +
             " overtype=" + std::to_string(p.Overtype);
    }
    case ECTL_REDRAW:
      return "ECTL_REDRAW";
    case far3::ECTL_SELECT:
      return "ECTL_SELECT type=" + std::to_string(cmd.select.BlockType) + " line=" +
             std::to_string(cmd.select.BlockStartLine) + " pos=" + std::to_string(cmd.select.BlockStartPos) +
             " width=" + std::to_string(cmd.select.BlockWidth) + " height=" +
             std::to_string(cmd.select.BlockHeight);
    case far3::ECTL_DELETEBLOCK:
      return "ECTL_DELETEBLOCK";
    case ECTL_PROCESSINPUT:
      return "ECTL_PROCESSINPUT " + DescribeInput(cmd.input, true);
    case ECTL_GETFILENAME:
      return "ECTL_GETFILENAME size=" + std::to_string(cmd.param1) + " -> " +
             std::to_string(cmd.result);
    case ECTL_UNDOREDO:
      return "ECTL_UNDOREDO command=" + std::to_string(cmd.undo);
    case far3::ECTL_SUBSCRIBECHANGEEVENT:
      return "ECTL_SUBSCRIBECHANGEEVENT";
    case far3::ECTL_UNSUBSCRIBECHANGEEVENT:
      return "ECTL_UNSUBSCRIBECHANGEEVENT";
    default:
      return "command " + std::to_string(cmd.code);
  }
}

}  // namespace sim
