// The Far 3 editor adapter: every command the Far 3 edition gives the host's
// editor goes through the one instance of this class, for the current editor
// (id -1), with StructSize set on every record.
#pragma once

#include "assists/adapter.h"
#include "far3/host.h"

namespace far3 {

class Editor {
public:
  using LineRecord = EditorGetString;

  explicit Editor(EditorControlFn control) : control_(control) { name_[0] = 0; }

  EditorPosition GetPosition();
  int SetPosition(EditorPosition pos);
  int SetPosition(int line, int column, int topLine, int leftColumn);
  int GetString(EditorGetString *egs, int line);
  int SetString(const FarChar *text, int line);
  int TypeChar(FarChar c);
  int PressKey(WORD vk);
  int ProcessInput(const INPUT_RECORD *rec);
  int Redraw() { return static_cast<int>(Control(ECTL_REDRAW, 0, nullptr)); }
  // A stream block on one line, from POS over WIDTH units (the cursor stays).
  int Select(int line, int pos, int width, int height = 1);
  int Unselect();
  int DeleteBlock() { return static_cast<int>(Control(ECTL_DELETEBLOCK, 0, nullptr)); }
  // What the last GetPosition read: the "persistent blocks" option and the
  // block type.
  bool PersistentBlocks() const { return (options_ & EOPT_PERSISTENTBLOCKS) != 0; }
  int LastBlockType() const { return blockType_; }
  int LastBlockStartLine() const { return blockStartLine_; }
  // The editor window's width in columns, as the last GetPosition read it.
  int WindowWidth() const { return windowWidth_; }
  // The editor's tab size, whether Tab types spaces, and overtype mode, as
  // the last GetPosition read them.
  int TabSize() const { return tabSize_; }
  bool ExpandsTabs() const { return (options_ & (EOPT_EXPANDALLTABS | EOPT_EXPANDONLYNEWTABS)) != 0; }
  bool Overtype() const { return overtype_; }

  // The file test on the name ECTL_GETFILENAME gives: one call with a buffer
  // for the longest Windows path; the host copies the name only when the size
  // it answers fits.
  bool FileQualifies(KeyContext *context);
  // The file's name (null when the host gives none that fits), and the name
  // the last reading gave (empty after a failed one).
  const FarChar *ReadFileName();
  const FarChar *FileName() const { return name_; }
  // Far 3 gives the column with ECTL_GETINFO, asked only when needed.
  int CursorColumn(const KeyContext &) { return GetPosition().CurPos; }

  // With "cursor beyond end of line" off, the host does not update the column
  // it remembers for Up and Down during keys fed within one call: a redraw
  // after each fed key makes a body type what the same keys typed by hand do.
  // The option is read by the expansion's own ECTL_GETINFO.
  void BeginPlayback() { redrawFedKeys_ = (options_ & EOPT_CURSORBEYONDEOL) == 0; }
  void EndPlayback() { redrawFedKeys_ = false; }

  // The current editor's id (from ECTL_GETINFO), and the one the last
  // GetPosition read.
  intptr_t EditorId();
  intptr_t LastEditorId() const { return editorId_; }
  // Change reports (EE_CHANGE) for editor `id`, on or off; true when the host
  // took the request.
  bool SubscribeChanges(intptr_t id, bool on);

  // Each assist's changes make one undo step, and the user's next key starts
  // a step of its own.
  void BeginUndo() { UndoRedo(EUR_BEGIN); }
  void EndUndo();

  intptr_t Control(int command, intptr_t param1, void *param2);

  // The longest file name the test reads, NUL included: Windows' longest path.
  static constexpr size_t NameLimit = 32768;

private:
  int Feed(const INPUT_RECORD &rec);
  void UndoRedo(int command);

  EditorControlFn control_;
  uintptr_t options_ = EOPT_CURSORBEYONDEOL;
  intptr_t editorId_ = 0;
  int blockType_ = 0;
  int blockStartLine_ = 0;
  int windowWidth_ = 0;
  int tabSize_ = 8;
  bool overtype_ = false;
  bool redrawFedKeys_ = false;
  FarChar name_[NameLimit];
};

}  // namespace far3
