#include "far1/far_editor.h"

#include <cstring>

#include "assists/text.h"

TFarEditor::TFarEditor(const PluginStartupInfo *info) {
  std::memcpy(&Info, info, sizeof(Info));
}

int TFarEditor::Control(int command, void *param) {
  if (!Info.EditorControl) return 0;
  return Info.EditorControl(command, param);
}

EditorPosition TFarEditor::GetPosition() {
  // Should the host fail the command, the -1 fields make a position that
  // changes nothing when it is set back.
  EditorInfo ei;
  std::memset(&ei, 0, sizeof(ei));
  ei.CurLine = ei.CurPos = ei.TopScreenLine = ei.LeftPos = -1;
  Control(ECTL_GETINFO, &ei);
  EditorPosition pos;
  pos.CurLine = ei.CurLine;
  pos.CurPos = ei.CurPos;
  pos.TopScreenLine = ei.TopScreenLine;
  pos.LeftPos = ei.LeftPos;
  return pos;
}

int TFarEditor::SetPosition(EditorPosition pos) {
  return SetPosition(pos.CurLine, pos.CurPos, pos.TopScreenLine, pos.LeftPos);
}

int TFarEditor::SetPosition(int line, int column, int topLine, int leftColumn) {
  EditorSetPosition esp;
  esp.CurLine = line;
  esp.CurPos = column;
  esp.CurTabPos = -1;
  esp.TopScreenLine = topLine;
  esp.LeftPos = leftColumn;
  esp.Overtype = -1;
  return Control(ECTL_SETPOSITION, &esp);
}

int TFarEditor::GetString(EditorGetString *egs, int line) {
  // A failed command leaves an empty line rather than stale pointers.
  static const char empty[] = "";
  egs->StringNumber = line;
  egs->StringText = empty;
  egs->StringEOL = empty;
  egs->StringLength = 0;
  egs->SelStart = -1;
  egs->SelEnd = -1;
  int result = Control(ECTL_GETSTRING, egs);
  if (!egs->StringText) egs->StringText = empty;
  if (egs->StringLength < 0) egs->StringLength = 0;
  return result;
}

int TFarEditor::SetString(const char *text, int line) {
  EditorSetString ess;
  ess.StringNumber = line;
  ess.StringText = const_cast<char *>(text);
  ess.StringEOL = nullptr;  // the line keeps its own end of line
  ess.StringLength = static_cast<int>(std::strlen(text));
  return Control(ECTL_SETSTRING, &ess);
}

int TFarEditor::TypeChar(unsigned char c) {
  INPUT_RECORD rec = MakeKeyEvent(0, c);
  return Control(ECTL_PROCESSINPUT, &rec);
}

int TFarEditor::PressKey(WORD vk) {
  INPUT_RECORD rec = MakeKeyEvent(vk, 0);
  return Control(ECTL_PROCESSINPUT, &rec);
}

int TFarEditor::ProcessInput(const INPUT_RECORD *rec) {
  return Control(ECTL_PROCESSINPUT, const_cast<INPUT_RECORD *>(rec));
}

int TFarEditor::UpdateInfo() {
  EditorInfo ei;
  std::memset(&ei, 0, sizeof(ei));
  int result = Control(ECTL_GETINFO, &ei);
  EditorID = ei.EditorID;
  TabSize = ei.TabSize;
  return result;
}

int TFarEditor::UpdateBlock() {
  EditorInfo ei;
  std::memset(&ei, 0, sizeof(ei));
  int result = Control(ECTL_GETINFO, &ei);
  BlockType = ei.BlockType;
  if (BlockType == BTYPE_NONE) return result;

  BlockStartLine = ei.BlockStartLine;
  EditorPosition saved = GetPosition();

  EditorGetString egs;
  SetPosition(BlockStartLine, -1, -1, -1);
  GetString(&egs, -1);
  BlockStartPos = egs.SelStart;

  int last = 0;
  bool found = false;
  int line = BlockStartLine;
  for (; line <= ei.TotalLines - 1; ++line) {
    SetPosition(line, -1, -1, -1);
    GetString(&egs, -1);
    if (BlockType == BTYPE_STREAM) {
      if (egs.SelEnd != -1) {
        BlockEndLine = line;
        BlockEndPos = egs.SelEnd;
        found = true;
        break;
      }
    } else {
      if (egs.SelStart == -1) {
        BlockEndLine = line - 1;
        BlockEndPos = last;
        found = true;
        break;
      }
      last = egs.SelEnd;
    }
  }
  if (!found && line > BlockStartLine) {
    // The selection runs to the last line of the text: it ends there, at the
    // end of that line for a stream block.
    BlockEndLine = line - 1;
    BlockEndPos = BlockType == BTYPE_STREAM ? egs.StringLength : last;
  }
  return SetPosition(saved);
}

bool TFarEditor::FileQualifies(KeyContext *context) {
  EditorInfo ei;
  std::memset(&ei, 0, sizeof(ei));
  Control(ECTL_GETINFO, &ei);
  if (!ei.FileName || !IsSourceFileName(ei.FileName)) return false;
  context->column = ei.CurPos;
  return true;
}
