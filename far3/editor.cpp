#include "far3/editor.h"

#include <cstdint>
#include <cstring>

#include "assists/text.h"
#include "far3/edition.h"
#include "macros/fields.h"

namespace far3 {

intptr_t Editor::Control(int command, intptr_t param1, void *param2) {
  if (!control_) return 0;
  return control_(-1, command, param1, param2);
}

EditorPosition Editor::GetPosition() {
  // Should the host fail the command, the -1 fields make a position that
  // changes nothing when it is set back.
  EditorInfo ei;
  std::memset(&ei, 0, sizeof(ei));
  ei.StructSize = sizeof(ei);
  ei.CurLine = ei.CurPos = ei.TopScreenLine = ei.LeftPos = -1;
  ei.Options = EOPT_CURSORBEYONDEOL;
  ei.EditorID = -1;
  Control(ECTL_GETINFO, 0, &ei);
  options_ = ei.Options;
  editorId_ = ei.EditorID;
  blockType_ = static_cast<int>(ei.BlockType);
  blockStartLine_ = static_cast<int>(ei.BlockStartLine);
  windowWidth_ = static_cast<int>(ei.WindowSizeX);
  tabSize_ = UsableTabSize(ei.TabSize);
  overtype_ = ei.Overtype != 0;
  EditorPosition pos;
  pos.CurLine = static_cast<int>(ei.CurLine);
  pos.CurPos = static_cast<int>(ei.CurPos);
  pos.TopScreenLine = static_cast<int>(ei.TopScreenLine);
  pos.LeftPos = static_cast<int>(ei.LeftPos);
  pos.TotalLines = ei.TotalLines > 0 && ei.TotalLines <= INT32_MAX ? static_cast<int>(ei.TotalLines) : -1;
  return pos;
}

int Editor::SetPosition(EditorPosition pos) {
  return SetPosition(pos.CurLine, pos.CurPos, pos.TopScreenLine, pos.LeftPos);
}

int Editor::SetPosition(int line, int column, int topLine, int leftColumn) {
  EditorSetPosition esp;
  esp.StructSize = sizeof(esp);
  esp.CurLine = line;
  esp.CurPos = column;
  esp.CurTabPos = -1;
  esp.TopScreenLine = topLine;
  esp.LeftPos = leftColumn;
  esp.Overtype = -1;
  return static_cast<int>(Control(ECTL_SETPOSITION, 0, &esp));
}

int Editor::Select(int line, int pos, int width, int height) {
  EditorSelect es;
  es.StructSize = sizeof(es);
  es.BlockType = BTYPE_STREAM;
  es.BlockStartLine = line;
  es.BlockStartPos = pos;
  es.BlockWidth = width;
  es.BlockHeight = height;
  return static_cast<int>(Control(ECTL_SELECT, 0, &es));
}

int Editor::Unselect() {
  EditorSelect es;
  std::memset(&es, 0, sizeof(es));
  es.StructSize = sizeof(es);
  es.BlockType = BTYPE_NONE;
  return static_cast<int>(Control(ECTL_SELECT, 0, &es));
}

int Editor::GetString(EditorGetString *egs, int line) {
  // A failed command leaves an empty line rather than stale pointers.
  static const FarChar empty[1] = {0};
  egs->StructSize = sizeof(*egs);
  egs->StringNumber = line;
  egs->StringText = empty;
  egs->StringEOL = empty;
  egs->StringLength = 0;
  egs->SelStart = -1;
  egs->SelEnd = -1;
  int result = static_cast<int>(Control(ECTL_GETSTRING, 0, egs));
  if (!egs->StringText) egs->StringText = empty;
  if (egs->StringLength < 0) egs->StringLength = 0;
  return result;
}

int Editor::SetString(const FarChar *text, int line) {
  EditorSetString ess;
  ess.StructSize = sizeof(ess);
  ess.StringNumber = line;
  ess.StringText = text;
  // An empty line break keeps the line's own: a line that has one keeps it
  // whatever is passed, and the file's last line stays without one (NULL
  // would give it the editor's default, a change the user did not make).
  static const FarChar keep[1] = {0};
  ess.StringEOL = keep;
  ess.StringLength = static_cast<intptr_t>(TextLength(text));
  const int result = static_cast<int>(Control(ECTL_SETSTRING, 0, &ess));
  SyncFieldStops<Edition>();
  return result;
}

int Editor::Feed(const INPUT_RECORD &rec) {
  int result = ProcessInput(&rec);
  if (redrawFedKeys_) Redraw();
  // The key's change reports came inside the call: waiting stops follow them now.
  SyncFieldStops<Edition>();
  return result;
}

intptr_t Editor::EditorId() {
  GetPosition();
  return editorId_;
}

bool Editor::SubscribeChanges(intptr_t id, bool on) {
  if (!control_) return false;
  EditorSubscribeChangeEvent s;
  std::memset(&s, 0, sizeof(s));
  s.StructSize = sizeof(s);
  s.PluginId = PluginGuid;
  return control_(id, on ? ECTL_SUBSCRIBECHANGEEVENT : ECTL_UNSUBSCRIBECHANGEEVENT, 0, &s) != 0;
}

int Editor::TypeChar(FarChar c) { return Feed(MakeKeyEvent(0, static_cast<WORD>(c))); }

int Editor::PressKey(WORD vk) { return Feed(MakeKeyEvent(vk, 0)); }

int Editor::ProcessInput(const INPUT_RECORD *rec) {
  return static_cast<int>(Control(ECTL_PROCESSINPUT, 0, const_cast<INPUT_RECORD *>(rec)));
}

const FarChar *Editor::ReadFileName() {
  name_[0] = 0;
  intptr_t need = Control(ECTL_GETFILENAME, static_cast<intptr_t>(NameLimit), name_);
  if (need <= 0 || static_cast<size_t>(need) > NameLimit) {
    name_[0] = 0;
    return nullptr;
  }
  name_[need - 1] = 0;  // whatever the host wrote, the name ends in the buffer
  return name_;
}

bool Editor::FileQualifies(KeyContext *) {
  const FarChar *name = ReadFileName();
  return name && NameMatchesMasks(name);
}

void Editor::EndUndo() {
  UndoRedo(EUR_END);
  // A group that shrank to one edit record is joined by typing close to it;
  // only the host's "new step" mark prevents that. A fed Home sets it, and
  // the place is put back, so neither the text nor the cursor changes.
  const EditorPosition pos = GetPosition();
  const INPUT_RECORD home = MakeKeyEvent(VK_HOME, 0);
  ++Busy;
  ProcessInput(&home);
  --Busy;
  SetPosition(pos);
}

void Editor::UndoRedo(int command) {
  EditorUndoRedo eur;
  std::memset(&eur, 0, sizeof(eur));
  eur.StructSize = sizeof(eur);
  eur.Command = command;
  Control(ECTL_UNDOREDO, 0, &eur);
}

}  // namespace far3
