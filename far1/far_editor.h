// TFarEditor: every command the plug-in gives the host's editor goes through
// the one instance of this class.
#pragma once

#include "assists/adapter.h"
#include "far1/host.h"

class TFarEditor {
public:
  PluginStartupInfo Info;  // the host's service table, copied at construction

  // Filled by UpdateInfo / UpdateBlock only; nothing in the plug-in reads them.
  int EditorID;
  int TabSize;
  int BlockType;
  int BlockStartLine;
  int BlockEndLine;
  int BlockStartPos;
  int BlockEndPos;

  explicit TFarEditor(const PluginStartupInfo *info);

  EditorPosition GetPosition();
  int SetPosition(EditorPosition pos);
  int SetPosition(int line, int column, int topLine, int leftColumn);
  int GetString(EditorGetString *egs, int line);
  int SetString(const char *text, int line);
  int TypeChar(unsigned char c);
  int PressKey(WORD vk);
  int ProcessInput(const INPUT_RECORD *rec);

  int UpdateInfo();
  int UpdateBlock();

  // Issues one editor command; a host without the service answers 0.
  int Control(int command, void *param);

  // What the shared assists need beyond the commands above.
  using LineRecord = EditorGetString;
  int Redraw() { return Control(ECTL_REDRAW, nullptr); }
  // One ECTL_GETINFO gives both the file name and the cursor's column.
  bool FileQualifies(KeyContext *context);
  int CursorColumn(const KeyContext &context) const { return context.column; }
  // The 1.x host redraws after every fed key by itself, and has no undo groups.
  void BeginPlayback() {}
  void EndPlayback() {}
  void BeginUndo() {}
  void EndUndo() {}
};
