// TFarEditor: every command the plug-in gives the host's editor goes through
// the one instance of this class.
#pragma once

#include "plugin/host.h"

// A cursor-and-scroll position; -1 in a field means "leave it as it is".
struct EditorPosition {
  int CurLine = -1;
  int CurPos = -1;
  int TopScreenLine = -1;
  int LeftPos = -1;
};

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
};

// A key-down event with repeat count 1 and no modifiers, as the plug-in feeds it.
INPUT_RECORD MakeKeyEvent(WORD vk, unsigned char c);
